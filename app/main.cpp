// Program entry: the application titled "Tesmarin" in the Japanese UI font, the main
// window, then the hidden progress window, and the message loop.
#include <QApplication>
#include <exception>

#include "app/MainWindow1.h"
#include "app/ProgressWindow1.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tesmarin");
  QApplication::setFont(platform::FontFromFace(platform::kUiFace, 12));
  int rc = 0;
  try {
    TMainForm1 mainForm;
    MainForm1 = &mainForm;
    TProgressForm1 progressForm;
    ProgressForm1 = &progressForm;
    mainForm.show();
    rc = QApplication::exec();
    ProgressForm1 = nullptr;
    MainForm1 = nullptr;
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Tesmarin", MB_OK | MB_ICONHAND);
  } catch (...) {
    MessageBoxA(nullptr, "", "Tesmarin", MB_OK | MB_ICONHAND);
  }
  return rc;
}
