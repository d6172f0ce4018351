// The program's main window.
#pragma once

#include <QMainWindow>

class TMainForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm1(QWidget* parent = nullptr);
};

extern TMainForm1* MainForm1;
