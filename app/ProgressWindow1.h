// The progress window shared by registration, attribute reading and the rename run:
// the current file, its number, the total and a progress bar. Modeless, on top,
// centred on the desktop, without a close box; handlers repaint it explicitly.
#pragma once

#include <QWidget>
#include <string>

class TdxfProgressBar;
class TGradBox;
class TShadowLabel;

class TProgressForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TProgressForm1(QWidget* parent = nullptr);

  TGradBox* GradBox2;  // the background
  TShadowLabel* Label1;
  TShadowLabel* Label2;
  TShadowLabel* Label4;  // the file being handled
  TShadowLabel* Label5;  // its number
  TShadowLabel* Label6;  // the total
  TShadowLabel* ShadowLabel1;
  TdxfProgressBar* ProgressBar1;

  // The protocol of every long command: Start before the loop, Step after each item,
  // then close(). Each repaints the window at once.
  void Start(int total);
  void Step(const std::string& item, int number);
  // Paints the window now, without taking any input.
  void RepaintNow();
};

extern TProgressForm1* ProgressForm1;
