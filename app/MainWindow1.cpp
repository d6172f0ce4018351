#include "app/MainWindow1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <fstream>

#include "app/FileAttributes.h"
#include "app/ProgressWindow1.h"
#include "app/FolderScan.h"
#include "app/Forecast.h"
#include "app/Journal.h"
#include "app/RenameRun.h"
#include "app/SettingsLocation.h"
#include "app/StringGrid.h"
#include "imaging/components/Zqcommon.h"
#include "imaging/components/Zqdisp.h"
#include "imaging/components/Zqfile.h"
#include "imaging/components/Zqslide.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/fonts.h"
#include "platform/modules.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/syscolors.h"
#include "platform/text.h"
#include "widgets/GradBox.h"
#include "widgets/SpeedButton.h"

TMainForm1* MainForm1 = nullptr;

namespace {

constexpr int kColumns = 8;
constexpr std::array<const char*, kColumns> kTitles{" No.", " 変換元ﾌｧｲﾙ名", " ﾊﾞｲﾄ数", " 色数",
                                                    " ﾋﾟｸｾﾙ数", " 解像度", " 圧縮方法", " 拡張子"};
constexpr const char* kSection = "SET";
constexpr const char* kConfirmTitle = "確認";
constexpr const char* kAppTitle = "Tesmarin";

QString Q(const char* s) { return QString::fromUtf8(s); }

std::string RowLabel(int n) { return " file " + std::to_string(n); }

// Toolbar glyphs of our own: a simple picture per command, drawn at run time, with a
// greyed copy for the disabled state.
enum class Glyph { Register, Rename, Sort, Delete, Clear };

QPixmap DrawGlyph(Glyph glyph, bool enabled) {
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink = enabled ? QColor(0, 0, 128) : QColor(160, 160, 160);
  const QColor fill = enabled ? QColor(255, 230, 140) : QColor(220, 220, 220);
  const QColor accent = enabled ? QColor(200, 30, 30) : QColor(170, 170, 170);
  p.setPen(QPen(ink, 1.2));
  switch (glyph) {
    case Glyph::Register:  // a sheet with a plus
      p.setBrush(fill);
      p.drawRect(QRectF(3.5, 2.5, 10, 14));
      p.setPen(QPen(accent, 2.2));
      p.drawLine(QPointF(14, 10), QPointF(14, 18));
      p.drawLine(QPointF(10, 14), QPointF(18, 14));
      break;
    case Glyph::Rename: {  // a label with a pencil
      p.setBrush(fill);
      QPainterPath tag;
      tag.moveTo(2.5, 6.5);
      tag.lineTo(13.5, 6.5);
      tag.lineTo(17.5, 10.5);
      tag.lineTo(13.5, 14.5);
      tag.lineTo(2.5, 14.5);
      tag.closeSubpath();
      p.drawPath(tag);
      p.setPen(QPen(accent, 2));
      p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
      break;
    }
    case Glyph::Sort:  // two arrows, up and down
      p.setPen(QPen(ink, 1.8));
      p.drawLine(QPointF(6, 3), QPointF(6, 17));
      p.drawLine(QPointF(6, 3), QPointF(3, 7));
      p.drawLine(QPointF(6, 3), QPointF(9, 7));
      p.setPen(QPen(accent, 1.8));
      p.drawLine(QPointF(14, 3), QPointF(14, 17));
      p.drawLine(QPointF(14, 17), QPointF(11, 13));
      p.drawLine(QPointF(14, 17), QPointF(17, 13));
      break;
    case Glyph::Delete:  // a sheet with a cross
      p.setBrush(fill);
      p.drawRect(QRectF(3.5, 2.5, 10, 14));
      p.setPen(QPen(accent, 2.2));
      p.drawLine(QPointF(10, 10), QPointF(18, 18));
      p.drawLine(QPointF(18, 10), QPointF(10, 18));
      break;
    case Glyph::Clear:  // a stack of sheets swept away
      p.setBrush(fill);
      p.drawRect(QRectF(2.5, 5.5, 9, 11));
      p.drawRect(QRectF(5.5, 2.5, 9, 11));
      p.setPen(QPen(accent, 2));
      p.drawLine(QPointF(11, 18), QPointF(18, 11));
      break;
  }
  return pm;
}

QIcon GlyphIcon(Glyph glyph) {
  QIcon icon;
  icon.addPixmap(DrawGlyph(glyph, true), QIcon::Normal);
  icon.addPixmap(DrawGlyph(glyph, false), QIcon::Disabled);
  return icon;
}

void SetHint(QWidget* w, const char* hint) {
  w->setToolTip(Q(hint));
  w->setStatusTip(Q(hint));
}

void ShowError(QWidget* owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), kAppTitle, MB_OK | MB_ICONHAND);
}

}  // namespace

TMainForm1::TMainForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("MainForm1");
  setWindowTitle(kAppTitle);
  setFont(platform::FontFromFace(platform::kUiFace, 12));
  move(177, 99);
  resize(800, 600);
  setAcceptDrops(true);

  ZqFile1 = new TVZqFile(this);
  ZqFile1->SetFileExt("BMP;JPG;TIF;PCX;FPX;PNG;WMF;EMF;DXF;GIF");
  ZqCommon1 = new TVZqCommon(this);

  BuildMenu();

  auto* central = new QWidget(this);
  auto* outer = new QHBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  Panel0 = new QFrame(central);
  Panel0->setObjectName("Panel0");
  static_cast<QFrame*>(Panel0)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  static_cast<QFrame*>(Panel0)->setLineWidth(2);
  Panel0->setStyleSheet("#Panel0 { background: white; }");
  outer->addWidget(Panel0, 1);
  auto* splitter1 = new QFrame(central);  // the 2-pixel edge at the right
  splitter1->setObjectName("Splitter1");
  splitter1->setFixedWidth(2);
  outer->addWidget(splitter1);
  setCentralWidget(central);

  auto* panel0Layout = new QVBoxLayout(Panel0);
  panel0Layout->setContentsMargins(2, 2, 2, 2);
  panel0Layout->setSpacing(0);
  Panel1 = new QWidget(Panel0);
  Panel1->setObjectName("Panel1");
  panel0Layout->addWidget(Panel1, 1);
  Panel2 = new QWidget(Panel0);
  Panel2->setObjectName("Panel2");
  Panel2->setFixedHeight(30);
  Panel2->setAutoFillBackground(true);
  Panel2->setStyleSheet("#Panel2 { background: rgb(195,195,195); }");
  panel0Layout->addWidget(Panel2);

  auto* panel1Layout = new QHBoxLayout(Panel1);
  panel1Layout->setContentsMargins(0, 0, 0, 0);
  panel1Layout->setSpacing(0);
  GradBox2 = new TGradBox(Panel1);
  GradBox2->setObjectName("GradBox2");
  GradBox2->setFixedWidth(50);
  GradBox2->SetTopColor(clSilver);
  GradBox2->SetLastColor(clWhite);
  GradBox2->SetDrawOutLine(false);
  GradBox2->SetFont3D(false);
  GradBox2->setStyleSheet("QToolButton:disabled { color: rgb(128,128,128); }");
  panel1Layout->addWidget(GradBox2);
  BuildToolbar();

  Splitter2 = new QSplitter(Qt::Horizontal, Panel1);
  Splitter2->setObjectName("Splitter2");
  Splitter2->setHandleWidth(3);
  Splitter2->setChildrenCollapsible(false);
  StringGrid1 = new TStringGrid(kColumns, Splitter2);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->SetColWidths({40, 154, 52, 41, 70, 46, 61, 47});
  StringGrid1->SetRowHeights(16, 15, 16);
  // The fixed cells and the empty header area below the last row label are silver.
  StringGrid1->setStyleSheet(
      "QHeaderView { background: silver; } "
      "QHeaderView::section { background: silver; border: 1px solid gray; padding-left: 1px; }");
  StringGrid1->setFont(font());
  SetHint(StringGrid1, "リネームする対象ファイル一覧");
  StringGrid1->OnSelectCell = [this](int col, int row, bool& canSelect) { StringGrid1SelectCell(col, row, canSelect); };
  ZqSlide1 = new TVZqSlide(Splitter2);
  ZqSlide1->setObjectName("ZqSlide1");
  ZqSlide1->SetAppearance(vzqLowered);
  ZqSlide1->SetBorderVisible(true);
  ZqSlide1->FileExt = "BMP;JPG;TIF;PCX;FPX;PNG;WMF;EMF;DXF;GIF";
  ZqSlide1->FileReadWay = vzqSlidefile;
  ZqSlide1->SetIntervalTime(1);
  ZqSlide1->ScrollDir = vzqLeftToRight;
  ZqSlide1->SetScrollSize(4);
  ZqSlide1->Sort = vzqSortFileName;
  ZqSlide1->SetColor(14024703);
  SetHint(ZqSlide1, "プレビュー");
  Splitter2->addWidget(StringGrid1);
  Splitter2->addWidget(ZqSlide1);
  Splitter2->setSizes({396, 330});
  panel1Layout->addWidget(Splitter2, 1);

  BuildOptions();

  statusBar()->setObjectName("StatusBar1");
  statusBar()->setFixedHeight(19);
  statusBar()->setSizeGripEnabled(false);
  statusBar()->setStyleSheet("QStatusBar { background: white; }");

  FileCount = 0;
  // The program's own folder holds the user's guide.
  BaseFolder = platform::ExecutableDir();
  if (!BaseFolder.empty() && BaseFolder.back() == '/') BaseFolder.pop_back();
  NewFileName.clear();
  WriteTitles();
  EnableCommandSet(false);
}

TMainForm1::~TMainForm1() = default;

namespace {

// Shows the hint of a disabled menu item in the status bar while the pointer is on it;
// the menu itself shows hints of enabled items only.
class DisabledItemHints : public QObject {
 public:
  DisabledItemHints(QMenu* menu, QStatusBar* bar) : QObject(menu), menu_(menu), bar_(bar) {
    menu->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseMove) {
      const QAction* a = menu_->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (a && !a->isEnabled() && !a->isSeparator()) bar_->showMessage(a->statusTip());
      else if (a != shown_ && shown_) bar_->clearMessage();
      shown_ = a && !a->isEnabled() ? a : nullptr;
    } else if (event->type() == QEvent::Hide && shown_) {
      bar_->clearMessage();
      shown_ = nullptr;
    }
    return false;
  }

 private:
  QMenu* menu_;
  QStatusBar* bar_;
  const QAction* shown_ = nullptr;
};

}  // namespace

void TMainForm1::BuildMenu() {
  QMenu* file = menuBar()->addMenu(Q("ファイル(&F)"));
  new DisabledItemHints(file, statusBar());
  auto item = [this](QMenu* menu, const char* caption, const char* hint, QKeySequence key, void (TMainForm1::*handler)()) {
    QAction* a = menu->addAction(Q(caption));
    a->setStatusTip(Q(hint));
    a->setShortcut(key);
    connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return a;
  };
  F1 = item(file, "ファイル登録(&O)...", "ファイルの登録・追加", QKeySequence(Qt::CTRL | Qt::Key_O), &TMainForm1::SpeedButton1_1Click);
  F2 = item(file, "リネーム開始(&R)...", "リネーム処理の開始", QKeySequence(Qt::Key_F8), &TMainForm1::SpeedButton1_2Click);
  F10 = item(file, "リネームを元に戻す(&U)...", "直前のリネーム処理を元に戻す", {}, &TMainForm1::F10Click);
  UpdateUndoItem();
  file->addSeparator();
  F4 = item(file, "ソート(&S)...", "登録したファイルを並べ替え", {}, &TMainForm1::SpeedButton1_3Click);
  file->addSeparator();
  F6 = item(file, "削除(&D)", "登録したファイルを削除", QKeySequence(Qt::CTRL | Qt::Key_Delete), &TMainForm1::SpeedButton1_4Click);
  F7 = item(file, "クリア(&C)...", "登録したファイルをクリア", {}, &TMainForm1::SpeedButton1_5Click);
  file->addSeparator();
  F9 = item(file, "終了(&X)", "アプリケーションの終了", {}, &TMainForm1::F9Click);
  QMenu* help = menuBar()->addMenu(Q("ヘルプ(&H)"));
  N1_1 = item(help, "ユーザーズガイド(&G)", "ユーザーズガイドの参照", QKeySequence(Qt::Key_F1), &TMainForm1::N1_1Click);
  help->addSeparator();
  N1_2 = item(help, "インフォメーション(&I)...", "インフォメーション", {}, &TMainForm1::N1_2Click);
}

void TMainForm1::BuildToolbar() {
  auto button = [this](const char* caption, const char* hint, Glyph glyph, QRect geometry, void (TMainForm1::*handler)()) {
    auto* b = new TSpeedButton(GradBox2);
    b->setText(Q(caption));
    b->setIcon(GlyphIcon(glyph));
    b->setIconSize(QSize(20, 20));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setGeometry(geometry);
    SetHint(b, hint);
    connect(b, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    return b;
  };
  SpeedButton1_1 = button("登録", "ファイルの登録・追加", Glyph::Register, {1, 1, 48, 36}, &TMainForm1::SpeedButton1_1Click);
  SpeedButton1_2 = button("ﾘﾈｰﾑ", "リネーム処理の開始", Glyph::Rename, {1, 37, 48, 40}, &TMainForm1::SpeedButton1_2Click);
  Bevel1 = new QFrame(GradBox2);
  Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Bevel1->setGeometry(6, 80, 40, 4);
  SpeedButton1_3 = button("ｿｰﾄ", "登録したファイルを並べ替え", Glyph::Sort, {1, 88, 48, 36}, &TMainForm1::SpeedButton1_3Click);
  SpeedButton1_4 = button("削除", "登録したファイルを削除", Glyph::Delete, {1, 124, 48, 36}, &TMainForm1::SpeedButton1_4Click);
  SpeedButton1_5 = button("ｸﾘｱ", "登録したファイルをクリア", Glyph::Clear, {1, 160, 48, 36}, &TMainForm1::SpeedButton1_5Click);
}

void TMainForm1::BuildOptions() {
  auto label = [this](const char* caption, QRect geometry, const char* style) {
    auto* l = new QLabel(Q(caption), Panel2);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(geometry);
    l->setAutoFillBackground(true);
    l->setStyleSheet(style);
    l->setFont(font());
    return l;
  };
  auto check = [this](const char* caption, const char* hint, QRect geometry, int grey) {
    auto* c = new QCheckBox(Q(caption), Panel2);
    c->setGeometry(geometry);
    c->setAutoFillBackground(true);
    // The indicator sits 2 pixels from its caption so that the caption, final "_"
    // included, fits the given width in the 12-pixel face. A widget with a style sheet
    // takes the application's font rather than its parent's, so the face is set on it.
    c->setStyleSheet(QString("QCheckBox { background: rgb(%1,%1,%1); spacing: 2px; }").arg(grey));
    c->setFont(font());
    SetHint(c, hint);
    return c;
  };
  Label1 = label("ファイル名_", {1, 1, 70, 28}, "background: white;");
  CheckBox1 = check("バイト数_", "リネームに｢バイト数｣を含める", {70, 1, 70, 28}, 245);
  CheckBox2 = check("色数_", "リネームに｢色数｣を含める", {140, 1, 52, 28}, 235);
  CheckBox3 = check("ピクセル数_", "リネームに｢ピクセル数｣を含める", {192, 1, 82, 28}, 225);
  CheckBox4 = check("解像度_", "リネームに｢解像度｣を含める", {274, 1, 64, 28}, 215);
  CheckBox5 = check("圧縮形式", "リネームに｢圧縮形式｣を含める", {338, 1, 72, 28}, 205);
  Label2 = label(".拡張子", {410, 1, 50, 28}, "background: rgb(195,195,195);");
}

void TMainForm1::WriteTitles() {
  for (int c = 0; c < kColumns; ++c) StringGrid1->SetCells(c, 0, kTitles[static_cast<std::size_t>(c)]);
}

void TMainForm1::EnableCommandSet(bool enabled) {
  for (TSpeedButton* b : {SpeedButton1_2, SpeedButton1_3, SpeedButton1_4, SpeedButton1_5}) b->setEnabled(enabled);
  for (QAction* a : {F2, F4, F6, F7}) a->setEnabled(enabled);
}

void TMainForm1::Renumber() {
  for (int n = 1; n <= FileCount; ++n) StringGrid1->SetCells(0, n, RowLabel(n));
}

bool TMainForm1::Confirm(const char* question) {
  return MessageBoxA(this, question, kConfirmTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::string TMainForm1::InformationAddress(const std::string& programPath) {
  const std::string name = platform::RemoveFileExt(platform::ExtractFileName(programPath));
  // The name is percent-encoded: a blank, "&" or "#" in it would otherwise end the
  // query or make the text no address at all.
  const QByteArray sn = QByteArray(name.data(), static_cast<qsizetype>(name.size())).toPercentEncoding();
  return std::string("http://") + TESMARIN_INFO_HOST + "/info.php?pf=w&sn=" + sn.toStdString();
}

// Registration

void TMainForm1::RegisterRow(const std::string& path) {
  ++FileCount;
  if (StringGrid1->RowCount() < FileCount + 1) StringGrid1->SetRowCount(FileCount + 1);
  StringGrid1->SetCells(0, FileCount, RowLabel(FileCount));
  StringGrid1->SetCells(1, FileCount, path);
  Button1Click();
}

void TMainForm1::SpeedButton1_1Click() {
  platform::OpenDialogOptions options;
  options.title = "ファイルの登録・追加(複数のファイルを選択可)";
  options.filter =
      "すべての画像ﾌｧｲﾙ (*.bmp;*.jpg;*.jpeg;*.gif;*.tif;*.tiff;*.pcx;*.fpx;*.png)|"
      "*.bmp;*.jpg;*.jpeg;*.gif;*.tif;*.tiff;*.pcx;*.fpx;*.png|すべてのﾌｧｲﾙ (*.*)|*.*";
  options.filterIndex = 1;
  options.allowMultiSelect = true;
  options.hideReadOnly = true;
  options.resizable = true;
  const platform::OpenDialogResult result = platform::CurrentDialogs().OpenFile(this, options);
  if (!result.accepted) return;

  const std::vector<std::string> selected = WithFolderImages(result.files);
  const int total = static_cast<int>(selected.size());
  ProgressForm1->Start(total);
  for (int i = 0; i < total; ++i) {
    const std::string& path = selected[static_cast<std::size_t>(i)];
    if (!platform::FileExists(path)) continue;
    RegisterRow(path);
    ProgressForm1->Step(path, i);
  }
  if (FileCount >= 1) StringGrid1->SetRowCount(FileCount + 1);
  ProgressForm1->close();
  if (FileCount >= 1) {
    EnableCommandSet(true);
    ShowFirstRow();
  }
}

void TMainForm1::WMDropFiles(const std::vector<std::string>& items) {
  const std::vector<std::string> expanded = WithFolderImages(items);
  const int total = static_cast<int>(expanded.size());
  ProgressForm1->Start(total);
  for (int i = 0; i < total; ++i) {
    const std::string& path = expanded[static_cast<std::size_t>(i)];
    if (path.size() >= platform::MaxPath || !HasImageExtension(path)) continue;
    RegisterRow(path);
    ProgressForm1->Step(path, i);
  }
  if (FileCount >= 1) {
    StringGrid1->SetRowCount(FileCount + 1);
    EnableCommandSet(true);
  }
  // The progress window closes even when the preview fails.
  ProgressForm1->close();
  if (FileCount >= 1) ShowFirstRow();
}

std::vector<std::string> TMainForm1::WithFolderImages(const std::vector<std::string>& items) {
  // A folder whose own name has an image extension stays a row of its own, as before.
  std::vector<std::string> out;
  for (const auto& item : items) {
    if (HasImageExtension(item) || !platform::DirectoryExists(item)) {
      out.push_back(item);
      continue;
    }
    const auto images = ImagesInFolder(item);
    if (images.empty()) statusBar()->showMessage(QString::fromUtf8(item + " には画像ファイルがありません"));
    out.insert(out.end(), images.begin(), images.end());
  }
  return out;
}

void TMainForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm1::dropEvent(QDropEvent* event) {
  std::vector<std::string> items;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    // The path's bytes as the file system gave them: a name that is not valid UTF-8
    // survives only in its percent-encoded form, never through a decoded text.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    items.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  event->acceptProposedAction();
  if (!items.empty()) WMDropFiles(items);
}

// Attribute reading

void TMainForm1::Button1Click() {
  const int r = FileCount;
  const std::string path = StringGrid1->Cells(1, r);
  std::optional<AttributeTexts> texts;
  try {
    ProgressForm1->ClearThumbnail();
    // The pixels are loaded for the progress window's thumbnail; the texts need only the
    // header, so a file whose pixels do not decode still gets them.
    texts = ReadAttributes(*ZqFile1, *ZqCommon1, path, PixelRead::Decode,
                           [](HGLOBAL image) { ProgressForm1->ShowThumbnail(image); })
                .texts;
  } catch (const std::exception&) {
    texts.reset();
  }
  if (!texts) {
    MessageBeep(0);
    const std::string message = ZqFile1->FileName() + " は非対応フォーマットです。\n情報を読み取ることができませんでした。";
    MessageBoxA(this, message.c_str(), kAppTitle, MB_OK);
    return;
  }
  StringGrid1->SetCells(2, r, texts->bytes);
  StringGrid1->SetCells(3, r, texts->colors);
  StringGrid1->SetCells(4, r, texts->pixels);
  StringGrid1->SetCells(5, r, texts->dpi);
  StringGrid1->SetCells(6, r, texts->compression);
  StringGrid1->SetCells(7, r, texts->extension);
}

// Rename run

void TMainForm1::SpeedButton1_2Click() {
  const RenameOptions options{CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked(),
                              CheckBox4->isChecked(), CheckBox5->isChecked()};
  std::vector<RenameRowInput> rows;
  std::vector<int> gridRows;
  const int total = StringGrid1->RowCount() - 1;
  for (int r = 1; r <= total; ++r) {
    const std::string& source = StringGrid1->Cells(1, r);
    if (source.empty()) continue;
    // A row whose attributes could not be read has no size text and is left out.
    std::optional<AttributeTexts> texts;
    if (!StringGrid1->Cells(2, r).empty())
      texts = AttributeTexts{StringGrid1->Cells(2, r), StringGrid1->Cells(3, r), StringGrid1->Cells(4, r),
                             StringGrid1->Cells(5, r), StringGrid1->Cells(6, r), StringGrid1->Cells(7, r)};
    rows.push_back({source, std::move(texts)});
    gridRows.push_back(r);
  }
  // The question unfolds the forecast: every new name, and the rows that will be refused.
  const std::string forecast = ForecastDetails(ForecastRenames(rows, options));
  if (MessageBoxDetails(this, "リネーム処理を開始してもよろしいですか？", kConfirmTitle,
                                 MB_YESNO | MB_ICONQUESTION, forecast) != IDYES)
    return;
  try {
    ProgressForm1->Start(total);
    ProgressForm1->ZqDisp1->Display(vzqClear);
    bool journaled = false;
    const auto outcomes = RunRenames(
        rows, options,
        [&](std::size_t i, const RenameOutcome& outcome) {
          NewFileName = outcome.unread ? outcome.from : outcome.to;
          ProgressForm1->Step(platform::ExtractFileName(NewFileName), gridRows[i]);
        },
        &journaled);
    ProgressForm1->close();
    UpdateUndoItem();
    MessageBeep(0);
    RenameReportTexts report = RenameReport(outcomes);
    if (!journaled) report.text += "\n\n元に戻すための記録を書き込めませんでした。";
    MessageBoxDetails(this, report.text, kAppTitle, MB_OK, report.details);
    SpeedButton1_5Click();
  } catch (const std::exception&) {
    MessageBeep(0);
    MessageBoxA(this, "非対応フォーマットが含まれていました。処理を中止します。", kAppTitle, MB_OK);
    ProgressForm1->close();
  }
}

void TMainForm1::F10Click() {
  const auto latest = LatestJournal();
  if (!latest || !Confirm("直前のリネーム処理を元に戻してもよろしいですか？")) return;
  const UndoResult result = UndoJournal(*latest);
  UpdateUndoItem();
  MessageBeep(0);
  const RenameReportTexts report = UndoReport(result);
  MessageBoxDetails(this, report.text, kAppTitle, MB_OK, report.details);
}

void TMainForm1::UpdateUndoItem() {
  const auto latest = LatestJournal();
  const auto journal = latest ? ReadJournal(*latest) : std::nullopt;
  F10->setEnabled(journal && journal->CanUndo());
}

// List operations

void TMainForm1::SpeedButton1_3Click() {
  if (StringGrid1->RowCount() == 2) return;
  if (!Confirm("ファイル名(パス)を基準に ソートしてもよろしいですか？")) return;
  std::vector<std::vector<std::string>> rows;
  for (int r = 0; r < StringGrid1->RowCount(); ++r) rows.push_back(StringGrid1->RowCells(r));
  // The title row takes part: its path title starts with a blank, which sorts first.
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return platform::CompareTextI(a[1], b[1]) < 0; });
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) StringGrid1->SetRowCells(r, rows[static_cast<std::size_t>(r)]);
  Renumber();
  ShowFirstRow();
}

void TMainForm1::SpeedButton1_4Click() {
  if (StringGrid1->RowCount() == 2) {
    if (StringGrid1->Cells(1, 1).empty()) return;
    StringGrid1->SetRowCells(1, {});
    --FileCount;
    EnableCommandSet(false);
    ZqSlide1->Close();
    return;
  }
  const int d = std::max(StringGrid1->Row(), 1);
  for (int i = d; i < StringGrid1->RowCount(); ++i) StringGrid1->SetRowCells(i, StringGrid1->RowCells(i + 1));
  --FileCount;
  StringGrid1->SetRowCount(FileCount + 1);
  Renumber();
  ShowFirstRow();
}

void TMainForm1::SpeedButton1_5Click() {
  if (!Confirm("登録したファイルをクリアしてもよろしいですか？")) return;
  WriteTitles();
  FileCount = 0;
  for (int r = 1; r < StringGrid1->RowCount(); ++r) StringGrid1->SetRowCells(r, {});
  StringGrid1->SetRowCount(2);
  ZqSlide1->Close();
  EnableCommandSet(false);
}

// Preview

void TMainForm1::ShowFirstRow() {
  bool canSelect = true;
  StringGrid1SelectCell(0, 1, canSelect);
}

void TMainForm1::StringGrid1SelectCell(int, int row, bool&) {
  // The slide show reads its one entry from a list file; it lives in the per-user
  // private folder only while the preview is being drawn.
  const std::string folder = platform::PrivateTempDir();
  const std::string listFile = folder + "_slide.tmp";
  {
    std::ofstream out;
    if (!folder.empty()) out.open(listFile, std::ios::binary | std::ios::trunc);
    if (!out) {
      ShowError(this, "ファイル " + listFile + " を作成できません");
      return;
    }
    const std::string line = StringGrid1->Cells(1, row) + "\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.close();
    if (!out) {
      platform::DeleteFile(listFile);
      ShowError(this, "ファイル " + listFile + " を作成できません");
      return;
    }
  }
  ZqSlide1->SlideFileName = listFile;
  ZqSlide1->Close();
  ZqSlide1->Open();
  ZqSlide1->SetCurrentImage(row - 1);
  ZqSlide1->Start();
  ZqSlide1->Stop();
  platform::DeleteFile(listFile);
}

// Settings, exit and help

void TMainForm1::setVisible(bool visible) {
  // The settings apply when the window is first shown, before its native window exists:
  // only then does a move place the frame, not the client area, at the stored position.
  if (visible && !shown_) {
    shown_ = true;
    FormShow();
  }
  QMainWindow::setVisible(visible);
}

void TMainForm1::FormShow() {
  const platform::TIniFile ini(LocateSettings(CurrentSettingsEnvironment()).read);
  // Top and Left are the frame's, both when stored and when restored.
  const int top = static_cast<int>(ini.ReadInteger(kSection, "M_TOP", y()));
  const int left = static_cast<int>(ini.ReadInteger(kSection, "M_LEFT", x()));
  move(left, top);
  CheckBox1->setChecked(ini.ReadBool(kSection, "BYTE", CheckBox1->isChecked()));
  CheckBox2->setChecked(ini.ReadBool(kSection, "BIT", CheckBox2->isChecked()));
  CheckBox3->setChecked(ini.ReadBool(kSection, "PIXEL", CheckBox3->isChecked()));
  CheckBox4->setChecked(ini.ReadBool(kSection, "DPI", CheckBox4->isChecked()));
  CheckBox5->setChecked(ini.ReadBool(kSection, "TYPE", CheckBox5->isChecked()));
}

void TMainForm1::FormClose() {
  const std::string path = LocateSettings(CurrentSettingsEnvironment()).write;
  if (path.empty() || !MakeSettingsFolder(path)) throw platform::EIniFileException(path);
  // All seven keys go in one replacement of the file.
  platform::TMemIniFile ini(path);
  const QPoint frame = frameGeometry().topLeft();
  ini.WriteInteger(kSection, "M_TOP", frame.y());
  ini.WriteInteger(kSection, "M_LEFT", frame.x());
  ini.WriteBool(kSection, "BYTE", CheckBox1->isChecked());
  ini.WriteBool(kSection, "BIT", CheckBox2->isChecked());
  ini.WriteBool(kSection, "PIXEL", CheckBox3->isChecked());
  ini.WriteBool(kSection, "DPI", CheckBox4->isChecked());
  ini.WriteBool(kSection, "TYPE", CheckBox5->isChecked());
  ini.UpdateFile();
}

void TMainForm1::closeEvent(QCloseEvent* event) {
  // A settings file that cannot be written is reported, and the program still ends.
  try {
    FormClose();
  } catch (const platform::EIniFileException& e) {
    ShowError(this, e.what());
  }
  event->accept();
}

void TMainForm1::F9Click() { close(); }

void TMainForm1::N1_1Click() {
  const std::string guide = BaseFolder + "/Readme.txt";
  ShellExecuteA(this, "OPEN", guide.c_str(), "", "", 1);
}

void TMainForm1::N1_2Click() {
  char exe[platform::MaxPath];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  const std::string address = InformationAddress(exe);
  ShellExecuteA(this, "OPEN", address.c_str(), "", "", 1);
}
