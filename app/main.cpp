// Program entry: the application titled "Tesmarin" in the Japanese UI font, then the
// main window and the message loop.
#include <QApplication>

#include "app/MainWindow1.h"
#include "platform/fonts.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tesmarin");
  QApplication::setApplicationDisplayName("Tesmarin");
  QFont ui = platform::FontFromFace(platform::kUiFace);
  ui.setPointSize(9);
  QApplication::setFont(ui);

  TMainForm1 mainForm;
  MainForm1 = &mainForm;
  mainForm.show();
  const int rc = QApplication::exec();
  MainForm1 = nullptr;
  return rc;
}
