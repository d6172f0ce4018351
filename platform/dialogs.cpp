#include "platform/dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

class QtDialogs final : public Dialogs {
 public:
  int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) override {
    QMessageBox box(owner);
    box.setWindowTitle(Q(caption));
    box.setText(Q(text));
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
