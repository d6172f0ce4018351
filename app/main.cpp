// Program entry: the application titled "Tesmarin" in the Japanese UI font, the main
// window, then the hidden progress window, and the message loop. Files named on the
// command line (a file manager's "open with") arrive as if dropped on the window.
#include <QApplication>
#include <QTimer>
#include <exception>
#include <string>
#include <vector>

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
    // QApplication has taken its own options out of argv; the rest are paths, as bytes.
    std::vector<std::string> opened(argv + 1, argv + argc);
    if (!opened.empty()) QTimer::singleShot(0, &mainForm, [&mainForm, opened] { mainForm.WMDropFiles(opened); });
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
