#include "app/ProgressWindow1.h"

#include <QApplication>
#include <QFrame>
#include <QScreen>

#include "platform/fonts.h"
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

QLabel* Label(QWidget* parent, const char* caption, int x, int y, int w, Qt::Alignment align) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setAlignment(align | Qt::AlignVCenter);
  label->setGeometry(x, y, w, 12);
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
  GradBox2 = new QWidget(this);
  GradBox2->setObjectName("GradBox2");
  GradBox2->setGeometry(8, 4, 452, 90);
  GradBox2->setStyleSheet("background-color: silver;");
  Bevel(this, 8, 4, 452, 90, QFrame::Raised);
  Bevel(this, 18, 12, 326, 19, QFrame::Sunken);
  Bevel(this, 18, 36, 161, 19, QFrame::Sunken);
  Bevel(this, 183, 36, 161, 19, QFrame::Sunken);
  Bevel(this, 350, 12, 100, 75, QFrame::Sunken);

  Label1 = Label(this, "ファイル名 :", 24, 15, 64, Qt::AlignLeft);
  Label4 = Label(this, "", 88, 15, 252, Qt::AlignLeft);
  Label2 = Label(this, "ファイルNo. :", 24, 39, 56, Qt::AlignLeft);
  Label5 = Label(this, "0", 80, 39, 94, Qt::AlignRight);
  ShadowLabel1 = Label(this, "総ファイル数 :", 188, 39, 70, Qt::AlignLeft);
  Label6 = Label(this, "0", 258, 39, 80, Qt::AlignRight);
  for (QLabel* l : {Label1, Label4, Label2, Label5, ShadowLabel1, Label6}) l->setStyleSheet("color: white;");
  // The captions without a size of their own take the size of their text.
  for (QLabel* l : {Label1, Label2, ShadowLabel1}) l->adjustSize();

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

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desk = screen->geometry();
    move(desk.center() - rect().center());
  }
}

void TProgressForm1::Start(int total) {
  // The file name line belongs to the run that starts: the last run's name goes.
  Label4->clear();
  Label5->setText("0");
  Label6->setText(QString::number(total));
  ProgressBar1->SetMax(total);
  ProgressBar1->SetPosition(0);
  show();
  // A window just shown is mapped by the event loop; user input stays queued.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  RepaintNow();
}

void TProgressForm1::Step(const std::string& item, int number) {
  Label4->setText(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
  Label5->setText(QString::number(number));
  RepaintNow();
  ProgressBar1->SetPosition(number);
}

void TProgressForm1::RepaintNow() {
  // This window alone: running the event loop here would repaint the main window (its
  // whole file list) after every file, which costs far more than reading a small file.
  repaint();
}
