// Program entry: the application titled "Tesmarin" in the Japanese UI font, the main
// window, then the hidden progress window, and the message loop.
#include <exception>

#include "app/Application.h"
#include "app/MainWindow1.h"
#include "app/ProgressWindow1.h"

int main(int argc, char* argv[]) {
  TApplication app(argc, argv);
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
    TApplication::ShowException(e.what());
  } catch (...) {
    TApplication::ShowException("");
  }
  return rc;
}
