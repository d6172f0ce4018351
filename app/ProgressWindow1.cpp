#include "app/ProgressWindow1.h"

#include <QApplication>
#include <QFrame>
#include <QScreen>

#include "imaging/components/Zqdisp.h"
#include "platform/fonts.h"
#include "platform/syscolors.h"
#include "widgets/GradBox.h"
#include "widgets/ShadoLbl.h"
#include "widgets/dxfProgressBar.h"

TProgressForm1* ProgressForm1 = nullptr;

namespace {

QFrame* Bevel(QWidget* parent, int x, int y, int w, int h, QFrame::Shadow shadow) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::Box);
  frame->setFrameShadow(shadow);
  frame->setGeometry(x, y, w, h);
  frame->setAttribute(Qt::WA_TransparentForMouseEvents);
  return frame;
}

// White text with a black shadow one pixel down and right, straight on the background
// box. A label given a width keeps its size; the others take the size of their text.
TShadowLabel* Label(QWidget* parent, const char* caption, int x, int y, int w, TAlignment align) {
  auto* label = new TShadowLabel(parent);
  label->SetAutoSize(w == 0);
  label->SetCaption(caption);
  label->move(x, y);
  if (w != 0) label->resize(w, 12);
  label->SetAlignment(align);
  label->Font().SetName(platform::kUiFace);
  label->Font().SetColor(clWhite);
  label->SetTransparent(true);
  label->SetLayout(tlCenter);
  label->SetGradateVert(true);
  label->SetGradation(true);
  label->SetGradationColor(clBlack);
  label->Highlight().SetVisible(false);
  label->Shadow().SetColor(clBlack);
  label->Shadow().SetOffsetLeft(1);
  label->Shadow().SetOffsetTop(1);
  label->SetTextGradation(tgNone);
  return label;
}

}  // namespace

TProgressForm1::TProgressForm1(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("ProgressForm1");
  setWindowTitle(QString::fromUtf8("処理中..."));
  setFixedSize(468, 98);
  setFont(platform::FontFromFace(platform::kUiFace, 12));
  setAutoFillBackground(true);

  // The background box and the frames of the fields.
  GradBox2 = new TGradBox(this);
  GradBox2->setObjectName("GradBox2");
  GradBox2->setGeometry(8, 4, 452, 90);
  GradBox2->SetTopColor(clSilver);
  GradBox2->SetLastColor(clWhite);
  GradBox2->SetDrawOutLine(false);
  Bevel(this, 8, 4, 452, 90, QFrame::Raised);
  Bevel(this, 18, 12, 326, 19, QFrame::Sunken);
  Bevel(this, 18, 36, 161, 19, QFrame::Sunken);
  Bevel(this, 183, 36, 161, 19, QFrame::Sunken);
  Bevel(this, 350, 12, 100, 75, QFrame::Sunken);

  Label1 = Label(this, "ファイル名 :", 24, 15, 0, taLeftJustify);
  Label4 = Label(this, "", 88, 15, 252, taLeftJustify);
  Label2 = Label(this, "ファイルNo. :", 24, 39, 0, taLeftJustify);
  Label5 = Label(this, "0", 80, 39, 94, taRightJustify);
  ShadowLabel1 = Label(this, "総ファイル数 :", 188, 39, 0, taLeftJustify);
  Label6 = Label(this, "0", 258, 39, 80, taRightJustify);

  ProgressBar1 = new TdxfProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(31, 66, 300, 16);
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(10);
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetStep(1);
  ProgressBar1->SetStyle(sExRectangles);
  ProgressBar1->SetOrientation(orHorizontal);
  ProgressBar1->SetBevelOuter(bvLowered);
  ProgressBar1->SetBarBevelOuter(bvLowered);

  // The thumbnail of the file being read, inside the last sunken frame.
  ZqDisp1 = new TVZqDisp(this);
  ZqDisp1->setObjectName("ZqDisp1");
  ZqDisp1->setGeometry(351, 13, 98, 73);
  ZqDisp1->SetBorderColor(GetSysColor(COLOR_BTNFACE));
  ZqDisp1->SetColor(GetSysColor(COLOR_BTNFACE));
  ZqDisp1->SetInvalidHatchPattern(false);
  ZqDisp1->SetDispScale(1);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desk = screen->geometry();
    move(desk.center() - rect().center());
  }
}

void TProgressForm1::Start(int total) {
  // The file name line belongs to the run that starts: the last run's name goes.
  Label4->SetCaption("");
  Label5->SetCaption("0");
  Label6->SetCaption(std::to_string(total));
  ProgressBar1->SetMax(total);
  ProgressBar1->SetPosition(0);
  show();
  // A window just shown is mapped by the event loop; user input stays queued.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  RepaintNow();
}

void TProgressForm1::Step(const std::string& item, int number) {
  Label4->SetCaption(item);
  Label5->SetCaption(std::to_string(number));
  RepaintNow();
  ProgressBar1->SetPosition(number);
}

void TProgressForm1::ClearThumbnail() {
  ZqDisp1->SetImgHandle(0);
  ZqDisp1->Display(vzqClear);
}

void TProgressForm1::ShowThumbnail(HGLOBAL image) {
  ZqDisp1->SetImgHandle(image);
  ZqDisp1->Display(vzqScale);
  ZqDisp1->Refresh();
  ZqDisp1->SetImgHandle(0);
}

void TProgressForm1::RepaintNow() {
  // This window alone: running the event loop here would repaint the main window (its
  // whole file list) after every file, which costs far more than reading a small file.
  repaint();
}
