// The progress window shared by registration, attribute reading and the rename run:
// the current file, its number, the total and a progress bar. Modeless, on top,
// centred on the desktop, without a close box; handlers repaint it explicitly.
#pragma once

#include <QWidget>
#include <string>

#include "platform/wintypes.h"

class TdxfProgressBar;
class TVZqDisp;
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
  TVZqDisp* ZqDisp1;

  // The protocol of every long command: Start before the loop, Step after each item,
  // then close(). Each repaints the window at once.
  void Start(int total);
  void Step(const std::string& item, int number);
  // Empties the thumbnail before a file is read: the picture of the previous file must
  // not stand for one that has none.
  void ClearThumbnail();
  // Shows a raster image fitted into the thumbnail at once and detaches it again, so
  // that the caller may free the image; the picture stays until the next one.
  void ShowThumbnail(HGLOBAL image);
  // Paints this window now, without taking any input or painting other windows.
  void RepaintNow();
};

extern TProgressForm1* ProgressForm1;
