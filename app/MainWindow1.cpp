#include "app/MainWindow1.h"

TMainForm1* MainForm1 = nullptr;

TMainForm1::TMainForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("MainForm1");
  setWindowTitle("Tesmarin");
  resize(640, 480);
}
