#include "platform/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/gditext.h"
#include "platform/text.h"

namespace platform {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The font dialog built from a template: face, style and size lists with their labels,
// the effects and preview groups, and the buttons, each found by its identifier.
class TemplateFontDialog final : public DialogItems {
 public:
  TemplateFontDialog(QWidget* owner, const DialogTemplate& tpl, const LOGFONT& start) : dialog_(owner) {
    dialog_.setWindowTitle(Q(tpl.caption));
    QFont font(Q(tpl.face));
    font.setPointSize(tpl.pointSize);
    dialog_.setFont(font);
    for (const DialogItem& item : tpl.items) Make(item);
    Arrange();
    const QFont initial = QFontFromLogFont(start);
    face_->setCurrentFont(initial);
    style_->setCurrentIndex((start.lfWeight >= 700 ? 2 : 0) + (start.lfItalic ? 1 : 0));
    const int points = start.lfHeight < 0 ? static_cast<int>(std::lround(-start.lfHeight * 72.0 / 96.0))
                                          : (start.lfHeight > 0 ? static_cast<int>(std::lround(start.lfHeight * 72.0 / 96.0)) : 9);
    size_->setCurrentText(QString::number(points));
    strike_->setChecked(start.lfStrikeOut != 0);
    underline_->setChecked(start.lfUnderline != 0);
    // The Apply and Help buttons appear only when asked for, which this dialog never is.
    ShowItem(1026, false);
    ShowItem(1038, false);
    auto update = [this] { UpdateSample(); };
    QObject::connect(face_, &QFontComboBox::currentFontChanged, &dialog_, update);
    QObject::connect(style_, &QComboBox::currentIndexChanged, &dialog_, update);
    QObject::connect(size_, &QComboBox::currentTextChanged, &dialog_, update);
    QObject::connect(strike_, &QCheckBox::toggled, &dialog_, update);
    QObject::connect(underline_, &QCheckBox::toggled, &dialog_, update);
    UpdateSample();
  }

  void ShowItem(int id, bool show) override {
    const auto it = items_.find(id);
    if (it != items_.end()) it->second->setVisible(show);
  }

  bool Run(LOGFONT& result) {
    if (dialog_.exec() != QDialog::Accepted) return false;
    const QByteArray face = face_->currentFont().family().toUtf8();
    std::fill(std::begin(result.lfFaceName), std::end(result.lfFaceName), '\0');
    const std::string cut = TruncateUtf8(std::string_view(face.constData(), static_cast<std::size_t>(face.size())),
                                         LF_FACESIZE - 1);
    std::copy(cut.begin(), cut.end(), result.lfFaceName);
    const int points = std::max(1, size_->currentText().toInt());
    result.lfHeight = -static_cast<LONG>(std::lround(points * 96.0 / 72.0));
    result.lfWeight = style_->currentIndex() >= 2 ? 700 : 400;
    result.lfItalic = (style_->currentIndex() % 2) ? 1 : 0;
    result.lfStrikeOut = strike_->isChecked() ? 1 : 0;
    result.lfUnderline = underline_->isChecked() ? 1 : 0;
    return true;
  }

 private:
  void Make(const DialogItem& item) {
    QWidget* w = nullptr;
    switch (item.kind) {
      case DialogItemKind::Label: w = new QLabel(Q(item.text), &dialog_); break;
      case DialogItemKind::Group: w = new QGroupBox(Q(item.text), &dialog_); break;
      case DialogItemKind::CheckBox: w = new QCheckBox(Q(item.text), &dialog_); break;
      case DialogItemKind::Button: {
        auto* b = new QPushButton(Q(item.text), &dialog_);
        if (item.id == IDOK) QObject::connect(b, &QPushButton::clicked, &dialog_, &QDialog::accept);
        if (item.id == 2) QObject::connect(b, &QPushButton::clicked, &dialog_, &QDialog::reject);
        w = b;
        break;
      }
      case DialogItemKind::ComboBox:
        w = item.id == 1136 ? new QFontComboBox(&dialog_) : new QComboBox(&dialog_);
        break;
    }
    w->setObjectName(QString("item%1").arg(item.id));
    items_[item.id] = w;
  }

  // The template's control of that identifier, or an empty one in its place.
  template <typename T>
  T* Item(int id) {
    if (auto* w = qobject_cast<T*>(items_[id])) return w;
    auto* made = new T(&dialog_);
    made->setObjectName(QString("item%1").arg(id));
    items_[id] = made;
    return made;
  }

  void Arrange() {
    face_ = Item<QFontComboBox>(1136);
    style_ = Item<QComboBox>(1137);
    style_->addItems({"Regular", "Italic", "Bold", "Bold Italic"});
    size_ = Item<QComboBox>(1138);
    size_->setEditable(true);
    for (int p : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) size_->addItem(QString::number(p));
    strike_ = Item<QCheckBox>(1040);
    underline_ = Item<QCheckBox>(1041);
    sample_ = Item<QLabel>(1092);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(40);
    auto* grid = new QGridLayout(&dialog_);
    grid->addWidget(Item<QLabel>(1088), 0, 0);
    grid->addWidget(face_, 1, 0);
    grid->addWidget(Item<QLabel>(1089), 0, 1);
    grid->addWidget(style_, 1, 1);
    grid->addWidget(Item<QLabel>(1090), 0, 2);
    grid->addWidget(size_, 1, 2);
    auto* buttons = new QVBoxLayout;
    for (int id : {IDOK, 2, 1026, 1038}) buttons->addWidget(Item<QPushButton>(id));
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 3, 1);
    auto* effects = Item<QGroupBox>(1072);
    auto* effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(strike_);
    effectsLayout->addWidget(underline_);
    effectsLayout->addWidget(Item<QLabel>(1091));
    effectsLayout->addWidget(Item<QComboBox>(1139));
    grid->addWidget(effects, 2, 0);
    auto* preview = Item<QGroupBox>(1073);
    auto* previewLayout = new QVBoxLayout(preview);
    previewLayout->addWidget(sample_);
    previewLayout->addWidget(Item<QLabel>(1093));
    grid->addWidget(preview, 2, 1, 1, 2);
  }

  void UpdateSample() {
    QFont f = face_->currentFont();
    f.setPointSize(std::max(1, size_->currentText().toInt()));
    f.setBold(style_->currentIndex() >= 2);
    f.setItalic(style_->currentIndex() % 2 != 0);
    f.setStrikeOut(strike_->isChecked());
    f.setUnderline(underline_->isChecked());
    sample_->setFont(f);
  }

  QDialog dialog_;
  std::map<int, QWidget*> items_;
  QFontComboBox* face_ = nullptr;
  QComboBox* style_ = nullptr;
  QComboBox* size_ = nullptr;
  QCheckBox* strike_ = nullptr;
  QCheckBox* underline_ = nullptr;
  QLabel* sample_ = nullptr;
};

class QtDialogs final : public Dialogs {
 public:
  int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) override {
    return MessageBoxWithDetails(owner, text, {}, caption, type);
  }

  int MessageBoxWithDetails(QWidget* owner, const std::string& text, const std::string& details,
                            const std::string& caption, UINT type) override {
    QMessageBox box(owner);
    box.setWindowTitle(Q(caption));
    box.setText(Q(text));
    if (!details.empty()) box.setDetailedText(Q(details));
    switch (type & MB_ICONMASK) {
      case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
      case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
      case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
      case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
      default: box.setIcon(QMessageBox::NoIcon); break;
    }
    if ((type & MB_TYPEMASK) == MB_YESNO) {
      QPushButton* yes = box.addButton(QString::fromUtf8(kYesCaption), QMessageBox::YesRole);
      QPushButton* no = box.addButton(QString::fromUtf8(kNoCaption), QMessageBox::NoRole);
      box.setDefaultButton(yes);
      box.setEscapeButton(no);
      box.exec();
      return box.clickedButton() == yes ? IDYES : IDNO;
    }
    QPushButton* ok = box.addButton(QString::fromUtf8(kOkCaption), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return IDOK;
  }

  void MessageBeep(UINT) override { QApplication::beep(); }

  OpenDialogResult OpenFile(QWidget* owner, const OpenDialogOptions& options) override {
    QFileDialog dialog(owner, Q(options.title), Q(options.initialDir));
    dialog.setFileMode(options.allowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setSizeGripEnabled(options.resizable);
    QStringList filters;
    for (const auto& [description, patterns] : ParseFilter(options.filter)) {
      QString p = Q(patterns);
      p.replace(';', ' ');
      filters << Q(description) + " (" + p + ")";
    }
    if (!filters.isEmpty()) {
      dialog.setNameFilters(filters);
      const int index = std::clamp(options.filterIndex, 1, static_cast<int>(filters.size())) - 1;
      dialog.selectNameFilter(filters[index]);
    }
    OpenDialogResult result;
    if (dialog.exec() != QDialog::Accepted) return result;
    result.accepted = true;
    for (const QString& f : dialog.selectedFiles()) {
      const QByteArray bytes = QFile::encodeName(f);
      result.files.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    const auto selected = filters.indexOf(dialog.selectedNameFilter());
    result.filterIndex = selected >= 0 ? static_cast<int>(selected) + 1 : options.filterIndex;
    return result;
  }

  bool ChooseColor(QWidget* owner, ChooseColorRequest& request) override {
    for (int i = 0; i < 16; ++i) {
      const COLORREF c = request.custColors[static_cast<std::size_t>(i)];
      QColorDialog::setCustomColor(i, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
    const COLORREF start = request.rgbResult;
    QColorDialog dialog(QColor(GetRValue(start), GetGValue(start), GetBValue(start)), owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (request.hook) request.hook(IDOK);
    const QColor chosen = dialog.selectedColor();
    request.rgbResult = RGB(static_cast<BYTE>(chosen.red()), static_cast<BYTE>(chosen.green()),
                            static_cast<BYTE>(chosen.blue()));
    return true;
  }

  bool ChooseFont(QWidget* owner, ChooseFontRequest& request) override {
    if (!request.logFont || !request.dialogTemplate) return false;
    TemplateFontDialog dialog(owner, *request.dialogTemplate, *request.logFont);
    if (request.hook) request.hook(dialog);
    return dialog.Run(*request.logFont);
  }
};

std::unique_ptr<Dialogs>& Slot() {
  static std::unique_ptr<Dialogs> current;
  return current;
}

}  // namespace

Dialogs& CurrentDialogs() {
  auto& slot = Slot();
  if (!slot) slot = std::make_unique<QtDialogs>();
  return *slot;
}

std::unique_ptr<Dialogs> SetDialogs(std::unique_ptr<Dialogs> dialogs) {
  auto previous = std::move(Slot());
  Slot() = std::move(dialogs);
  return previous;
}

std::vector<std::pair<std::string, std::string>> ParseFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= filter.size() && !filter.empty()) {
    const auto bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
  return pairs;
}

}  // namespace platform

int MessageBoxA(QWidget* owner, LPCSTR text, LPCSTR caption, UINT type) {
  return platform::CurrentDialogs().MessageBox(owner, text ? text : "", caption ? caption : "", type);
}

BOOL MessageBeep(UINT type) {
  platform::CurrentDialogs().MessageBeep(type);
  return TRUE;
}
