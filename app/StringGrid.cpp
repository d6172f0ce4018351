#include "app/StringGrid.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>

// The model shows rows 1.. and columns 1.. as data; row 0 and column 0 feed the headers.
class StringGridModel : public QAbstractTableModel {
 public:
  explicit StringGridModel(TStringGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : grid_->RowCount() - 1;
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : grid_->ColCount() - 1; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Text(grid_->Cells(index.column() + 1, index.row() + 1));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role == Qt::DisplayRole)
      return Text(orientation == Qt::Horizontal ? grid_->Cells(section + 1, 0) : grid_->Cells(0, section + 1));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

  void CellChanged(int col, int row) {
    if (row == 0 && col > 0) emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (col == 0 && row > 0) emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    else if (row > 0 && col > 0) emit dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
  }
  // Grows or shrinks the data rows, telling the view which rows came or went, so the
  // view keeps its state instead of being rebuilt.
  void Resize(int rows) {
    const int before = grid_->RowCount();
    if (rows > before) {
      beginInsertRows({}, before - 1, rows - 2);
      grid_->cells_.resize(static_cast<std::size_t>(rows), std::vector<std::string>(grid_->colCount_));
      endInsertRows();
    } else if (rows < before) {
      beginRemoveRows({}, rows - 1, before - 2);
      grid_->cells_.resize(static_cast<std::size_t>(rows));
      endRemoveRows();
    }
  }

  static QString Text(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

 private:
  TStringGrid* grid_;
};

namespace {

const std::string kEmpty;

// Paints the title of cell (0, 0) on the view's corner button, which otherwise stays blank.
class CornerPainter : public QObject {
 public:
  CornerPainter(TStringGrid* grid, QAbstractButton* corner) : QObject(corner), grid_(grid), corner_(corner) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == corner_ && event->type() == QEvent::Paint) {
      QPainter p(corner_);
      p.fillRect(corner_->rect(), TStringGrid::kFixedColor);
      p.setPen(corner_->palette().mid().color());
      p.drawLine(corner_->rect().topRight(), corner_->rect().bottomRight());
      p.drawLine(corner_->rect().bottomLeft(), corner_->rect().bottomRight());
      p.setPen(corner_->palette().color(QPalette::Active, QPalette::ButtonText));
      p.drawText(corner_->rect().adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                 StringGridModel::Text(grid_->Cells(0, 0)));
      return true;
    }
    return false;
  }

 private:
  TStringGrid* grid_;
  QAbstractButton* corner_;
};

}  // namespace

TStringGrid::TStringGrid(int colCount, QWidget* parent)
    : QTableView(parent), colCount_(colCount), cells_(2, std::vector<std::string>(colCount)) {
  model_ = new StringGridModel(this);
  setModel(model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setShowGrid(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);  // a narrow cell cuts its text, as a grid does
  setCornerButtonEnabled(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(4);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setHighlightSections(false);
  verticalHeader()->setMinimumSectionSize(4);
  verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  if (auto* corner = findChild<QAbstractButton*>()) corner->installEventFilter(new CornerPainter(this, corner));
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetRowCount(int rows) {
  rows = std::max(rows, 2);
  if (rows == RowCount()) return;
  // Rows come and go without the user moving: the focus stays on its row, or on the last
  // one when its row went, and the select handler is not called for that.
  const bool wasQuiet = quiet_;
  quiet_ = true;
  model_->Resize(rows);
  ApplyRowHeights();
  quiet_ = wasQuiet;
}

const std::string& TStringGrid::Cells(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return kEmpty;
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TStringGrid::SetCells(int col, int row, const std::string& text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return;
  cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
  model_->CellChanged(col, row);
  if (row == 0 && col == 0)
    if (auto* corner = findChild<QAbstractButton*>()) corner->update();
}

std::vector<std::string> TStringGrid::RowCells(int row) const {
  if (row < 0 || row >= RowCount()) return std::vector<std::string>(static_cast<std::size_t>(colCount_));
  return cells_[static_cast<std::size_t>(row)];
}

void TStringGrid::SetRowCells(int row, const std::vector<std::string>& cells) {
  for (int c = 0; c < colCount_; ++c) SetCells(c, row, c < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(c)] : kEmpty);
}

int TStringGrid::Row() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() + 1 : 1;
}

void TStringGrid::SetRow(int row) {
  if (row < 1 || row >= RowCount()) return;
  const int col = currentIndex().isValid() ? currentIndex().column() : 0;
  setCurrentIndex(model_->index(row - 1, col));
}

void TStringGrid::SetColWidths(const std::vector<int>& widths) {
  if (!widths.empty()) verticalHeader()->setFixedWidth(widths[0]);
  for (int c = 1; c < colCount_ && c < static_cast<int>(widths.size()); ++c) setColumnWidth(c - 1, widths[static_cast<std::size_t>(c)]);
}

void TStringGrid::SetRowHeights(int titleHeight, int firstRowHeight, int defaultHeight) {
  horizontalHeader()->setFixedHeight(titleHeight);
  firstRowHeight_ = firstRowHeight;
  defaultRowHeight_ = defaultHeight;
  ApplyRowHeights();
}

void TStringGrid::ApplyRowHeights() {
  verticalHeader()->setDefaultSectionSize(defaultRowHeight_);
  if (RowCount() > 1) setRowHeight(0, firstRowHeight_);
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (quiet_ || !current.isValid() || !OnSelectCell) return;
  bool canSelect = true;
  OnSelectCell(current.column() + 1, current.row() + 1, canSelect);
}
