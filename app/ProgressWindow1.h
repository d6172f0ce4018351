// The progress window shared by registration, attribute reading and the rename run:
// the current file, its number, the total and a progress bar. Modeless, on top,
// centred on the desktop, without a close box; handlers repaint it explicitly.
#pragma once

#include <QLabel>
#include <QWidget>
#include <string>

class TdxfProgressBar;

class TProgressForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TProgressForm1(QWidget* parent = nullptr);

  QWidget* GradBox2;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* ShadowLabel1;
  TdxfProgressBar* ProgressBar1;

  // The protocol of every long command: Start before the loop, Step after each item,
  // then close(). Each repaints the window at once.
  void Start(int total);
  void Step(const std::string& item, int number);
  // Paints this window now, without taking any input or painting other windows.
  void RepaintNow();
};

extern TProgressForm1* ProgressForm1;
