// A string grid: cells addressed by column and row, with the title row 0 and the label
// column 0 kept in place while the data scrolls. Row 0 is shown as the column header,
// column 0 as the row header. Cells hold texts exactly as given (bytes, not decoded),
// so a path the file system gave in another encoding survives unchanged.
#pragma once

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

class StringGridModel;

class TStringGrid : public QTableView {
  Q_OBJECT
 public:
  TStringGrid(int colCount, QWidget* parent = nullptr);

  // The colour of the fixed cells (row 0 and column 0) and of the empty area beside them:
  // silver (clSilver).
  static constexpr QRgb kFixedColor = 0xFFC0C0C0;
  ~TStringGrid() override;

  int ColCount() const { return colCount_; }
  int RowCount() const { return static_cast<int>(cells_.size()); }
  // Grows with empty rows or drops rows from the end; never below 2 (title and one row).
  // Row 0 is always the one fixed row. OnSelectCell is not fired by it.
  void SetRowCount(int rows);

  const std::string& Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  // All cells of a row, and a whole row at once.
  std::vector<std::string> RowCells(int row) const;
  void SetRowCells(int row, const std::vector<std::string>& cells);

  // The row of the focused cell (at least 1), and moving the focus there.
  int Row() const;
  void SetRow(int row);

  void SetColWidths(const std::vector<int>& widths);
  void SetRowHeights(int titleHeight, int firstRowHeight, int defaultHeight);

  // Fired when the user moves to another cell; canSelect may be cleared to refuse.
  std::function<void(int col, int row, bool& canSelect)> OnSelectCell;

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  friend class StringGridModel;
  int colCount_;
  std::vector<std::vector<std::string>> cells_;
  StringGridModel* model_;
  int firstRowHeight_ = 16;
  int defaultRowHeight_ = 16;
  bool quiet_ = false;  // rows are being added or removed: no select events
  void ApplyRowHeights();
};
