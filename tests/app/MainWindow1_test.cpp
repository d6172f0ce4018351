// The main window driven as a user would: settings, registration by drops and the open
// dialog, attribute texts, list operations, the rename run and help, on real files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
#include <QUrlQuery>
#include <sys/inotify.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "app/MainWindow1.h"
#include "app/ProgressWindow1.h"
#include "app/StringGrid.h"
#include "imaging/components/Zqfile.h"
#include "imaging/components/Zqslide.h"
#include "platform/files.h"
#include "platform/modules.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "tests/app/AppWindows.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"
#include "widgets/GradBox.h"
#include "widgets/ShadoLbl.h"
#include "widgets/ShineSpdBtn.h"
#include "widgets/SpeedButton.h"
#include "widgets/dxfProgressBar.h"
#include "tests/support/SourcePath.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

std::string Fixture(const std::string& name) {
  return testsupport::SourcePath("tests/data/app/" + name);
}

class MainWindowTest : public ::testing::Test {
 protected:
  static std::string Ini() { return testsupport::AppWindows::SettingsPath(); }

  // Copies a fixture into the temporary folder under a new name.
  std::string Copy(const std::string& fixture, const std::string& name) {
    const std::string to = dir.path() + name;
    fs::copy_file(Fixture(fixture), to, fs::copy_options::overwrite_existing);
    return to;
  }

  std::vector<std::string> Row(int r) const { return form->StringGrid1->RowCells(r); }
  bool CommandSetEnabled() const {
    return form->SpeedButton1_2->isEnabled() && form->SpeedButton1_3->isEnabled() &&
           form->SpeedButton1_4->isEnabled() && form->SpeedButton1_5->isEnabled() && form->F2->isEnabled() &&
           form->F4->isEnabled() && form->F6->isEnabled() && form->F7->isEnabled();
  }
  bool CommandSetDisabled() const {
    return !form->SpeedButton1_2->isEnabled() && !form->SpeedButton1_3->isEnabled() &&
           !form->SpeedButton1_4->isEnabled() && !form->SpeedButton1_5->isEnabled() && !form->F2->isEnabled() &&
           !form->F4->isEnabled() && !form->F6->isEnabled() && !form->F7->isEnabled();
  }
  // Puts rows of texts into the list as if they had been registered.
  void Fill(const std::vector<std::vector<std::string>>& rows) {
    form->StringGrid1->SetRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) form->StringGrid1->SetRowCells(static_cast<int>(i) + 1, rows[i]);
    form->FileCount = static_cast<int>(rows.size());
  }

  TempDir dir;
  testsupport::ScopedScript script;
  testsupport::AppWindows windows;
  std::unique_ptr<TMainForm1>& form = windows.form;
};

// Counts the times a window is shown.
struct ShowCounter : QObject {
  explicit ShowCounter(QWidget* w) : watched(w) { w->installEventFilter(this); }
  ~ShowCounter() override { watched->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Show) ++count;
    return false;
  }
  QWidget* watched;
  int count = 0;
};

const char* const kTitles[] = {" No.", " 変換元ﾌｧｲﾙ名", " ﾊﾞｲﾄ数", " 色数", " ﾋﾟｸｾﾙ数", " 解像度", " 圧縮方法", " 拡張子"};

}  // namespace

TEST_F(MainWindowTest, StartsInTheEmptyListState) {
  form->show();
  EXPECT_EQ(form->windowTitle(), "Tesmarin");
  EXPECT_EQ(form->StringGrid1->RowCount(), 2);
  for (int c = 0; c < 8; ++c) EXPECT_EQ(form->StringGrid1->Cells(c, 0), kTitles[c]);
  EXPECT_EQ(form->FileCount, 0);
  EXPECT_TRUE(CommandSetDisabled());
  EXPECT_TRUE(form->SpeedButton1_1->isEnabled());
  EXPECT_EQ(form->SpeedButton1_1->statusTip().toStdString(), "ファイルの登録・追加");
  EXPECT_EQ(form->F2->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(form->F6->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
  EXPECT_EQ(form->N1_1->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(MainWindowTest, FirstRunDefaultsAndEveryKeyWrittenOnExit) {
  form->show();
  EXPECT_EQ(form->x(), 177);
  EXPECT_EQ(form->y(), 99);
  for (QCheckBox* c : {form->CheckBox1, form->CheckBox2, form->CheckBox3, form->CheckBox4, form->CheckBox5})
    EXPECT_FALSE(c->isChecked());
  form->F9Click();
  const platform::TIniFile ini(Ini());
  EXPECT_EQ(ini.ReadString("SET", "M_TOP", "-"), "99");
  EXPECT_EQ(ini.ReadString("SET", "M_LEFT", "-"), "177");
  for (const char* key : {"BYTE", "BIT", "PIXEL", "DPI", "TYPE"}) EXPECT_EQ(ini.ReadString("SET", key, "-"), "0") << key;
}

TEST_F(MainWindowTest, StoredValuesAreReadAsTheSettingsRulesSay) {
  std::ofstream(Ini()) << "[SET]\r\nM_TOP=0x20\r\nM_LEFT=abc\r\nBYTE=2\r\nBIT=0\r\nPIXEL=\r\nDPI=1\r\n";
  form->CheckBox3->setChecked(true);
  form->show();
  EXPECT_EQ(form->y(), 32);
  EXPECT_EQ(form->x(), 177) << "not a number: the current value";
  EXPECT_TRUE(form->CheckBox1->isChecked()) << "2 ticks";
  EXPECT_FALSE(form->CheckBox2->isChecked());
  EXPECT_TRUE(form->CheckBox3->isChecked()) << "empty keeps the current state";
  EXPECT_TRUE(form->CheckBox4->isChecked());
  EXPECT_FALSE(form->CheckBox5->isChecked());
}

TEST_F(MainWindowTest, CloseBoxAndMenuExitStoreTheSame) {
  form->show();
  form->move(300, 200);
  form->CheckBox2->setChecked(true);
  form->CheckBox5->setChecked(true);
  form->close();
  const std::string byClose = TempDir::Read(Ini());
  fs::remove(Ini());
  form->show();
  form->F9Click();
  EXPECT_EQ(TempDir::Read(Ini()), byClose);
  const platform::TIniFile ini(Ini());
  EXPECT_EQ(ini.ReadInteger("SET", "M_LEFT", 0), 300);
  EXPECT_EQ(ini.ReadInteger("SET", "M_TOP", 0), 200);
  EXPECT_EQ(ini.ReadString("SET", "BIT", ""), "1");
  EXPECT_EQ(ini.ReadString("SET", "TYPE", ""), "1");
}

TEST_F(MainWindowTest, AFailedSettingsWriteIsShownAndTheProgramStillEnds) {
  fs::create_directory(Ini());  // a folder in the file's place cannot be replaced
  form->show();
  form->close();
  EXPECT_FALSE(form->isVisible());
  ASSERT_EQ(script.log().messages.size(), 1u);
  EXPECT_EQ(script.log().messages[0].text, Ini() + " に書き込めません");
}

TEST_F(MainWindowTest, DropsTakeImageExtensionsAndReadEachFile) {
  const std::string a = Copy("photo.jpg", "a.JPG");
  const std::string b = dir.Write("b.txt", "text");
  const std::string c = Copy("g4.tif", "c.Tiff");
  form->WMDropFiles({a, b, c});
  EXPECT_EQ(form->FileCount, 2);
  EXPECT_EQ(Row(1), (std::vector<std::string>{" file 1", a, "3060", "RGB24", "640x480", "72dpi", "BASELINE", ".jpg"}));
  EXPECT_EQ(Row(2), (std::vector<std::string>{" file 2", c, "246", "2", "40x30", "200dpi", "G4", ".tif"}));
  EXPECT_EQ(ProgressForm1->Label6->Caption(), "3");
  EXPECT_EQ(ProgressForm1->Label5->Caption(), "2");
  EXPECT_FALSE(ProgressForm1->isVisible());
  EXPECT_TRUE(CommandSetEnabled());
  EXPECT_TRUE(script.log().messages.empty());

  form->WMDropFiles({dir.Write("photo.jpe", "x")});
  EXPECT_EQ(form->FileCount, 2) << ".jpe is not taken";

  // Numbering goes on; the same file may come twice.
  form->WMDropFiles({a});
  EXPECT_EQ(form->StringGrid1->Cells(0, 3), " file 3");
  EXPECT_EQ(form->StringGrid1->Cells(1, 3), a);
  EXPECT_EQ(form->StringGrid1->RowCount(), 4);
}

TEST_F(MainWindowTest, FilesDroppedFromAFileManagerArrive) {
  // A name that is not valid UTF-8 is kept as the file system's bytes and still renamed.
  const std::string odd = Copy("photo.jpg", "\xff\xfe.jpg");
  const std::string plain = Copy("g4.tif", "scan.tif");
  QMimeData mime;
  const QUrl oddUrl = QUrl::fromEncoded("file://" + QByteArray(odd.c_str()).toPercentEncoding("/"));
  mime.setUrls({oddUrl, QUrl::fromLocalFile(QString::fromStdString(plain)), QUrl("https://example.org/remote.jpg")});
  form->show();
  // A drop comes after the drag entered the window, as from a file manager.
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.get(), &drop);
  ASSERT_EQ(form->FileCount, 2) << "the remote address is no file";
  EXPECT_EQ(form->StringGrid1->Cells(1, 1), odd);
  EXPECT_EQ(form->StringGrid1->Cells(2, 1), "3060");
  script.script().answers = {IDYES, IDNO};
  form->SpeedButton1_2Click();
  // No option ticked and the right extensions already: both keep their names exactly.
  EXPECT_EQ(TempDir::Read(odd), TempDir::Read(Fixture("photo.jpg")));
  EXPECT_EQ(TempDir::Read(plain), TempDir::Read(Fixture("g4.tif")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  form->CheckBox1->setChecked(true);
  script.script().answers = {IDYES, IDNO};
  form->SpeedButton1_2Click();
  EXPECT_TRUE(platform::FileExists(dir.path() + "\xff\xfe_3060.jpg"));
}

TEST_F(MainWindowTest, UnreadableFilesKeepTheirRowWithoutAnotherFilesValues) {
  const std::string good = Copy("photo.jpg", "good.jpg");
  const std::string folder = dir.path() + "set.png";
  fs::create_directory(folder);
  const std::string fake = dir.Write("fake.png", "not an image at all");
  form->WMDropFiles({good, folder, fake});
  EXPECT_EQ(form->FileCount, 3);
  for (int r : {2, 3}) {
    const auto row = Row(r);
    for (int col = 2; col < 8; ++col) EXPECT_EQ(row[static_cast<std::size_t>(col)], "") << "row " << r << " col " << col;
  }
  EXPECT_EQ(script.log().beeps, 2);
  ASSERT_EQ(script.log().messages.size(), 2u);
  EXPECT_EQ(script.log().messages[0].text, folder + " は非対応フォーマットです。\n情報を読み取ることができませんでした。");
  EXPECT_EQ(script.log().messages[0].caption, "Tesmarin");
}

TEST_F(MainWindowTest, AttributeTextsOfFixtures) {
  form->WMDropFiles({Copy("rgb48.png", "rgb48.png"), Copy("deflate.tif", "deflate.tif"),
                     Copy("palette96.png", "palette96.png")});
  EXPECT_EQ(form->StringGrid1->Cells(3, 1), "48bit");
  EXPECT_EQ(form->StringGrid1->Cells(6, 2), "") << "a code outside the table";
  EXPECT_EQ(form->StringGrid1->Cells(7, 2), "");
  EXPECT_EQ(form->StringGrid1->Cells(2, 2), "298");
  EXPECT_EQ(Row(3), (std::vector<std::string>{" file 3", dir.path() + "palette96.png", "173", "256", "12x10", "96dpi",
                                              "NON", ".png"}));
}

TEST_F(MainWindowTest, OpenDialogRegistersExistingSelections) {
  const std::string x = dir.Write("x.txt", "plain text");
  const std::string photo = Copy("photo.jpg", "p.jpg");
  script.script().opens.push_back({true, {dir.path() + "gone.jpg", x, photo}, 2});
  form->SpeedButton1_1Click();
  ASSERT_EQ(script.log().openDialogs.size(), 1u);
  const auto& options = script.log().openDialogs[0];
  EXPECT_EQ(options.title, "ファイルの登録・追加(複数のファイルを選択可)");
  EXPECT_TRUE(options.allowMultiSelect);
  EXPECT_EQ(options.filterIndex, 1);
  EXPECT_EQ(options.filter.rfind("すべての画像ﾌｧｲﾙ (*.bmp;*.jpg;*.jpeg;*.gif;*.tif;*.tiff;*.pcx;*.fpx;*.png)|", 0), 0u);
  EXPECT_EQ(form->FileCount, 2) << "the missing file is skipped";
  EXPECT_EQ(form->StringGrid1->Cells(1, 1), x);
  EXPECT_EQ(form->StringGrid1->Cells(2, 2), "3060");
  EXPECT_EQ(ProgressForm1->Label6->Caption(), "3");
  EXPECT_EQ(ProgressForm1->Label5->Caption(), "2");

  // A cancelled dialog registers nothing, even with files in its answer, and shows no
  // progress window.
  ShowCounter shows(ProgressForm1);
  script.script().opens.push_back({false, {photo, x}, 1});
  form->SpeedButton1_1Click();
  EXPECT_EQ(form->FileCount, 2);
  EXPECT_EQ(form->StringGrid1->RowCount(), 3);
  EXPECT_EQ(shows.count, 0);

  // A selection of missing files into an empty list.
  form->SpeedButton1_4Click();
  form->SpeedButton1_4Click();
  EXPECT_EQ(form->FileCount, 0);
  script.script().opens.push_back({true, {dir.path() + "none.png"}, 1});
  form->SpeedButton1_1Click();
  EXPECT_EQ(form->FileCount, 0);
  EXPECT_EQ(form->StringGrid1->RowCount(), 2);
  EXPECT_TRUE(CommandSetDisabled());
}

TEST_F(MainWindowTest, SortIgnoresCaseAndKeepsTitlesFirst) {
  Fill({{" file 1", "/x/b.jpg", "1", "RGB24", "1x1", "72dpi", "BASELINE", ".jpg"},
        {" file 2", "/X/A.jpg", "2", "256", "2x2", "96dpi", "NON", ".jpg"},
        {" file 3", "/x/a.gif", "3", "16", "3x3", "0dpi", "89a", ".gif"}});
  script.script().answers = {IDYES};
  form->SpeedButton1_3Click();
  ASSERT_EQ(script.log().messages.size(), 1u);
  EXPECT_EQ(script.log().messages[0].text, "ファイル名(パス)を基準に ソートしてもよろしいですか？");
  EXPECT_EQ(script.log().messages[0].caption, "確認");
  EXPECT_EQ(form->StringGrid1->Cells(1, 0), " 変換元ﾌｧｲﾙ名");
  EXPECT_EQ(Row(1), (std::vector<std::string>{" file 1", "/x/a.gif", "3", "16", "3x3", "0dpi", "89a", ".gif"}));
  EXPECT_EQ(Row(2), (std::vector<std::string>{" file 2", "/X/A.jpg", "2", "256", "2x2", "96dpi", "NON", ".jpg"}));
  EXPECT_EQ(Row(3)[1], "/x/b.jpg");

  // No leaves an unsorted list as it is. One file: no question.
  Fill({{" file 1", "/x/c.jpg", "1"}, {" file 2", "/x/a.jpg", "2"}});
  script.script().answers = {IDNO};
  form->SpeedButton1_3Click();
  EXPECT_EQ(script.log().messages.size(), 2u);
  EXPECT_EQ(Row(1), (std::vector<std::string>{" file 1", "/x/c.jpg", "1", "", "", "", "", ""}));
  EXPECT_EQ(Row(2)[1], "/x/a.jpg");
  Fill({{" file 1", "/only.jpg", "", "", "", "", "", ""}});
  form->StringGrid1->SetRowCount(2);
  const auto asked = script.log().messages.size();
  form->SpeedButton1_3Click();
  EXPECT_EQ(script.log().messages.size(), asked);
}

TEST_F(MainWindowTest, DeleteMovesRowsUpAndRenumbers) {
  const std::vector<std::vector<std::string>> rows = {{" file 1", "/1.jpg"}, {" file 2", "/2.jpg"},
                                                      {" file 3", "/3.jpg"}, {" file 4", "/4.jpg"}};
  Fill(rows);
  form->StringGrid1->SetRow(2);
  form->SpeedButton1_4Click();
  EXPECT_EQ(form->FileCount, 3);
  EXPECT_EQ(form->StringGrid1->RowCount(), 4);
  EXPECT_EQ(form->StringGrid1->Cells(1, 2), "/3.jpg");
  EXPECT_EQ(form->StringGrid1->Cells(0, 2), " file 2");
  EXPECT_EQ(form->StringGrid1->Cells(1, 3), "/4.jpg");
  EXPECT_EQ(form->StringGrid1->Cells(0, 3), " file 3");

  form->StringGrid1->SetRow(3);  // the last row
  form->SpeedButton1_4Click();
  EXPECT_EQ(form->StringGrid1->RowCount(), 3);
  EXPECT_EQ(form->StringGrid1->Cells(1, 2), "/3.jpg");
  form->StringGrid1->SetRow(1);
  form->SpeedButton1_4Click();
  EXPECT_EQ(form->StringGrid1->Cells(1, 1), "/3.jpg");
  EXPECT_EQ(form->StringGrid1->Cells(0, 1), " file 1");
  EXPECT_EQ(form->FileCount, 1);

  // The only file: the empty list state.
  form->SpeedButton1_4Click();
  EXPECT_EQ(form->FileCount, 0);
  EXPECT_EQ(form->StringGrid1->RowCount(), 2);
  EXPECT_EQ(Row(1), std::vector<std::string>(8));
  EXPECT_TRUE(CommandSetDisabled());
  form->SpeedButton1_4Click();
  EXPECT_EQ(form->FileCount, 0) << "nothing to delete";
  EXPECT_TRUE(script.log().messages.empty()) << "delete asks nothing";
}

TEST_F(MainWindowTest, ClearAsksFirst) {
  Fill({{" file 1", "/1.jpg", "9"}, {" file 2", "/2.jpg", "8"}});
  form->StringGrid1->SetCells(2, 0, "changed title");
  script.script().answers = {IDNO, IDYES};
  form->SpeedButton1_5Click();
  EXPECT_EQ(form->FileCount, 2);
  EXPECT_EQ(form->StringGrid1->Cells(1, 2), "/2.jpg");
  form->SpeedButton1_5Click();
  EXPECT_EQ(script.log().messages[1].text, "登録したファイルをクリアしてもよろしいですか？");
  EXPECT_EQ(form->FileCount, 0);
  EXPECT_EQ(form->StringGrid1->RowCount(), 2);
  EXPECT_EQ(form->StringGrid1->Cells(2, 0), " ﾊﾞｲﾄ数") << "titles written again";
  EXPECT_EQ(Row(1), std::vector<std::string>(8));
  EXPECT_TRUE(CommandSetDisabled());
}

TEST_F(MainWindowTest, HelpOpensTheGuideAndTheInformationPage) {
  std::vector<QUrl> opened;
  auto previous = platform::SetShellOpener([&](const QUrl& u) {
    opened.push_back(u);
    return true;
  });
  form->N1_1Click();
  form->N1_2Click();
  platform::SetShellOpener(previous);
  ASSERT_EQ(opened.size(), 2u);
  const std::string guide = opened[0].toLocalFile().toStdString();
  EXPECT_EQ(guide, platform::ExecutableDir() + "Readme.txt");
  EXPECT_TRUE(platform::FileExists(guide)) << "the guide is installed beside the program";
  EXPECT_EQ(opened[1].scheme(), "http");
  EXPECT_EQ(opened[1].path(), "/info.php");
  EXPECT_EQ(opened[1].query().toStdString(), "pf=w&sn=MainWindow1_test");

  // A name with a blank, an ampersand or a hash still makes one valid address.
  const QUrl odd = platform::ShellTarget(TMainForm1::InformationAddress("/opt/my tools/photo tool&#2.exe"));
  EXPECT_EQ(odd.scheme(), "http");
  EXPECT_EQ(odd.path(), "/info.php");
  const QUrlQuery query(odd);
  EXPECT_EQ(query.queryItemValue("pf"), "w");
  EXPECT_EQ(query.queryItemValue("sn", QUrl::FullyDecoded), "photo tool&#2");
}

// Closing writes all seven settings in one replacement of the file.
TEST_F(MainWindowTest, SettingsAreWrittenInOneReplacement) {
  std::ofstream(Ini()) << "[SET]\r\nM_TOP=120\r\n";
  form->show();
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, platform::ExecutableDir().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
  form->CheckBox4->setChecked(true);
  form->close();
  int replacements = 0;
  alignas(inotify_event) char buffer[8192];
  for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
    for (char* at = buffer; at < buffer + n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(at);
      if ((event->mask & IN_MOVED_TO) && event->len > 0 && std::string(event->name) == "Tesmarin.ini") ++replacements;
      at += sizeof(inotify_event) + event->len;
    }
  ::close(watch);
  EXPECT_EQ(replacements, 1);
  const platform::TIniFile ini(Ini());
  EXPECT_EQ(ini.ReadString("SET", "M_TOP", ""), "120");
  EXPECT_EQ(ini.ReadString("SET", "DPI", ""), "1");
  EXPECT_EQ(ini.ReadString("SET", "TYPE", ""), "0");
}

// The whole road offscreen: three files dropped, two options ticked, the run confirmed,
// the clear declined; then the files on disk, the grid and pictures of both windows.
TEST_F(MainWindowTest, RenameRunEndToEnd) {
  form->show();
  const std::string photo = Copy("photo.jpg", "photo.JPEG");
  const std::string palette = Copy("palette96.png", "palette96.png");
  const std::string g4 = Copy("g4.tif", "a.b.tif");
  dir.Write("a.b_2_200dpi.tif", "already here");
  form->WMDropFiles({photo, palette, g4});
  ASSERT_EQ(form->FileCount, 3);
  form->CheckBox2->setChecked(true);
  form->CheckBox4->setChecked(true);

  const std::string shots = platform::ExecutableDir() + "screenshots/";
  QDir().mkpath(QString::fromStdString(shots));
  form->grab().save(QString::fromStdString(shots + "main_window.png"));

  script.script().answers = {IDYES, IDNO};
  form->SpeedButton1_2Click();
  EXPECT_TRUE(platform::FileExists(dir.path() + "photo_RGB24_72dpi.jpg"));
  EXPECT_TRUE(platform::FileExists(dir.path() + "palette96_256_96dpi.png"));
  EXPECT_FALSE(platform::FileExists(photo));
  EXPECT_TRUE(platform::FileExists(g4)) << "its new name was taken";
  EXPECT_EQ(TempDir::Read(dir.path() + "a.b_2_200dpi.tif"), "already here");

  const auto& m = script.log().messages;
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].text, "リネーム処理を開始してもよろしいですか？");
  EXPECT_EQ(m[1].text.rfind("リネーム処理は終了しました。", 0), 0u);
  EXPECT_NE(m[1].text.find(g4 + " : 同じ名前のファイルが既にあります"), std::string::npos);
  EXPECT_EQ(m[2].text, "登録したファイルをクリアしてもよろしいですか？");
  EXPECT_EQ(form->FileCount, 3) << "No keeps the list";
  EXPECT_EQ(form->StringGrid1->Cells(1, 1), photo);
  EXPECT_EQ(ProgressForm1->Label5->Caption(), "3");
  EXPECT_EQ(ProgressForm1->Label4->Caption(), "a.b_2_200dpi.tif");
  EXPECT_EQ(ProgressForm1->ProgressBar1->Position(), 3);
  EXPECT_EQ(ProgressForm1->ProgressBar1->Max(), 3);

  // A second run finds none of the old files and reports each; Yes clears the list.
  script.script().answers = {IDYES, IDYES};
  form->SpeedButton1_2Click();
  EXPECT_NE(script.log().messages[4].text.find(photo + " : ファイルが見つかりません"), std::string::npos);
  EXPECT_EQ(form->FileCount, 0);
  EXPECT_TRUE(CommandSetDisabled());

  ProgressForm1->Start(3);
  ProgressForm1->Step("palette96_256_96dpi.png", 2);
  ProgressForm1->grab().save(QString::fromStdString(shots + "progress_window.png"));
  ProgressForm1->close();
}

TEST_F(MainWindowTest, StripsAndShadowLabelsAsTheWindowsShowThem) {
  // The main window's strip runs from silver at the top to white at the bottom.
  form->show();
  QCoreApplication::processEvents();
  const QImage strip = form->GradBox2->grab().toImage();
  ASSERT_EQ(strip.width(), 50);
  EXPECT_EQ(strip.pixel(0, 0) & 0xFFFFFF, 0xC0C0C0u);
  EXPECT_EQ(strip.pixel(0, strip.height() - 1) & 0xFFFFFF, 0xFFFFFFu);

  // The progress labels: white text with black shadow pixels over the gradient box.
  ProgressForm1->Start(3);
  ProgressForm1->Step("photo.jpg", 2);
  const QImage shot = ProgressForm1->grab().toImage();
  testsupport::SavePng(shot, "progress-window");
  for (TShadowLabel* label : {ProgressForm1->Label1, ProgressForm1->Label2, ProgressForm1->Label4,
                              ProgressForm1->Label5, ProgressForm1->Label6, ProgressForm1->ShadowLabel1}) {
    const QRect area = label->geometry().adjusted(0, 0, 1, 1);
    int white = 0, black = 0, other = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) {
        const QRgb p = shot.pixel(x, y) & 0xFFFFFF;
        if (p == 0xFFFFFF) ++white;
        else if (p == 0) ++black;
        else ++other;
      }
    EXPECT_GT(white, 5) << label->Caption();
    EXPECT_GT(black, 5) << label->Caption();
    EXPECT_GT(other, white) << label->Caption() << ": the gradient shows around the text";
  }
  ProgressForm1->close();
}

TEST_F(MainWindowTest, AGroupedShineButtonReleasesAGroupedToolbarButton) {
  TShineSpeedButton shine(form->GradBox2);
  form->SpeedButton1_1->SetGroupIndex(5);
  form->SpeedButton1_1->SetDown(true);
  shine.SetGroupIndex(5);
  shine.SetDown(true);
  EXPECT_FALSE(form->SpeedButton1_1->Down());
  form->SpeedButton1_1->SetDown(true);
  EXPECT_FALSE(shine.Down());
}

// Registration previews row 1 once, after the last file, not once per file; the progress
// window's file name line starts empty instead of showing the last run's name.
TEST_F(MainWindowTest, RegistrationPreviewsRowOneOnceAtTheEnd) {
  std::vector<std::string> files;
  for (int i = 0; i < 5; ++i) files.push_back(Copy("photo.jpg", "p" + std::to_string(i) + ".jpg"));
  std::vector<std::string> previews;
  form->ZqSlide1->OnStartSlide = [&](QObject*, short, const std::string&, const std::string& name) {
    previews.push_back(name);
  };
  ProgressForm1->Step("/old/run/last.jpg", 9);
  std::vector<std::string> nameLineAtLoad;
  form->ZqFile1->OnStartLoad = [&](QObject*, const std::string&) {
    nameLineAtLoad.push_back(ProgressForm1->Label4->Caption());
  };
  form->WMDropFiles(files);
  ASSERT_EQ(form->FileCount, 5);
  EXPECT_EQ(previews, (std::vector<std::string>{"p0.jpg"}));
  ASSERT_EQ(nameLineAtLoad.size(), 5u);
  EXPECT_EQ(nameLineAtLoad[0], "") << "the previous run's name is gone";
  EXPECT_EQ(nameLineAtLoad[1], files[0]);

  // The open dialog's registration too.
  previews.clear();
  script.script().opens.push_back({true, {files[3], files[4]}, 1});
  form->SpeedButton1_1Click();
  EXPECT_EQ(form->FileCount, 7);
  EXPECT_EQ(previews, (std::vector<std::string>{"p0.jpg"}));
}

// A file whose header reads but whose pixels do not decode still gets its texts and is
// renamed; only a file whose header does not read is refused.
TEST_F(MainWindowTest, AFileWhosePixelsDoNotDecodeKeepsItsHeaderTexts) {
  const std::string photo = TempDir::Read(Fixture("photo.jpg"));
  const std::string noScan = dir.Write("noscan.jpg", photo.substr(0, photo.find("\xff\xda")));
  const std::string fake = dir.Write("fake.png", "not an image at all");
  form->WMDropFiles({noScan, fake});
  ASSERT_EQ(form->FileCount, 2);
  EXPECT_EQ(Row(1), (std::vector<std::string>{" file 1", noScan, "274", "RGB24", "640x480", "72dpi", "BASELINE", ".jpg"}));
  ASSERT_EQ(script.log().messages.size(), 1u) << "only the file that is no image is refused";
  EXPECT_EQ(script.log().messages[0].text.rfind(fake, 0), 0u);

  form->CheckBox3->setChecked(true);
  script.script().answers = {IDYES, IDNO};
  form->SpeedButton1_2Click();
  EXPECT_TRUE(platform::FileExists(dir.path() + "noscan_640x480.jpg"));
  EXPECT_TRUE(platform::FileExists(fake));
}

// The captions are drawn in IPA P Gothic at 12 pixels, as the font substitution promises,
// and each fits its control's given width: no final "_" is cut.
TEST_F(MainWindowTest, CaptionsUseTheUiFaceAndFitTheirWidths) {
  form->show();
  for (QCheckBox* c : {form->CheckBox1, form->CheckBox2, form->CheckBox3, form->CheckBox4, form->CheckBox5}) {
    const QFontInfo info(c->font());
    EXPECT_EQ(info.family().toStdString(), "IPAPGothic") << c->text().toStdString();
    EXPECT_EQ(info.pixelSize(), 12) << c->text().toStdString();
    QStyleOptionButton option;
    option.initFrom(c);
    option.text = c->text();
    const QRect contents = c->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, c);
    EXPECT_GE(contents.width(), c->fontMetrics().horizontalAdvance(c->text())) << c->text().toStdString();
    EXPECT_LE(contents.right(), c->width() - 1) << c->text().toStdString();
  }
  for (QLabel* l : {form->Label1, form->Label2})
    EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << l->text().toStdString();
}

// A disabled menu item shows its hint in the status bar too.
TEST_F(MainWindowTest, DisabledMenuItemsShowTheirHints) {
  form->show();
  QMenu* file = form->F2->associatedObjects().isEmpty() ? nullptr : qobject_cast<QMenu*>(form->F2->associatedObjects()[0]);
  ASSERT_NE(file, nullptr);
  file->popup(form->mapToGlobal(QPoint(10, 10)));
  QCoreApplication::processEvents();
  for (QAction* item : {form->F2, form->F4, form->F6, form->F7}) {
    ASSERT_FALSE(item->isEnabled());
    const QPoint at = file->actionGeometry(item).center();
    QMouseEvent move(QEvent::MouseMove, at, file->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(file, &move);
    EXPECT_EQ(form->statusBar()->currentMessage(), item->statusTip()) << item->text().toStdString();
  }
  file->hide();
  EXPECT_EQ(form->statusBar()->currentMessage(), "");
}

// The " No." title cell and the empty area below the row labels are silver like the other
// fixed cells.
TEST_F(MainWindowTest, FixedCellsAndTheAreaBelowThemAreSilver) {
  form->show();
  QCoreApplication::processEvents();
  const QImage grid = form->StringGrid1->grab().toImage();
  const int labels = form->StringGrid1->verticalHeader()->width();
  const QPoint corner(labels - 4, form->StringGrid1->horizontalHeader()->height() / 2);
  const QPoint below(labels / 2, grid.height() - 30);
  for (const QPoint& p : {corner, below})
    EXPECT_EQ(QColor(grid.pixel(p)), QColor(192, 192, 192)) << p.x() << "," << p.y();
}

// The run's question unfolds the forecast; the undo item takes the run back.
TEST_F(MainWindowTest, ForecastInTheQuestionAndUndoOfTheRun) {
  std::filesystem::remove_all(std::string(std::getenv("XDG_STATE_HOME")) + "/tesmarin");
  const std::string photo = Copy("photo.jpg", "photo.JPEG");
  const std::string g4 = Copy("g4.tif", "a.b.tif");
  dir.Write("a.b_200dpi.tif", "already here");
  form->WMDropFiles({photo, g4});
  form->CheckBox4->setChecked(true);
  script.script().answers = {IDYES, IDNO};
  form->SpeedButton1_2Click();
  const auto& m = script.log().messages;
  ASSERT_GE(m.size(), 1u);
  EXPECT_EQ(m[0].text, "リネーム処理を開始してもよろしいですか？");
  EXPECT_EQ(m[0].details, photo + " → photo_72dpi.jpg\n" + g4 + " → a.b_200dpi.tif  [同じ名前のファイルが既にあります]");
  EXPECT_TRUE(platform::FileExists(dir.path() + "photo_72dpi.jpg"));
  EXPECT_TRUE(form->F10->isEnabled());
  EXPECT_EQ(form->F10->text().toStdString(), "リネームを元に戻す(&U)...");
  EXPECT_EQ(form->F10->statusTip().toStdString(), "直前のリネーム処理を元に戻す");

  script.script().answers = {IDNO};
  form->F10Click();
  EXPECT_TRUE(platform::FileExists(dir.path() + "photo_72dpi.jpg")) << "No keeps the new names";
  script.script().answers = {IDYES};
  form->F10Click();
  ASSERT_GE(m.size(), 5u);
  EXPECT_EQ(m[m.size() - 2].text, "直前のリネーム処理を元に戻してもよろしいですか？");
  EXPECT_EQ(m.back().text, "リネームを元に戻しました。");
  EXPECT_TRUE(platform::FileExists(photo));
  EXPECT_FALSE(form->F10->isEnabled());
}

TEST_F(MainWindowTest, ADroppedFolderRegistersTheImagesDirectlyInside) {
  const std::string folder = dir.path() + "card";
  const std::string empty = dir.path() + "empty";
  fs::create_directories(folder + "/sub");
  fs::create_directories(empty);
  fs::copy_file(Fixture("photo.jpg"), folder + "/b.JPG");
  fs::copy_file(Fixture("g4.tif"), folder + "/a.tif");
  fs::copy_file(Fixture("photo.jpg"), folder + "/sub/c.jpg");
  std::ofstream(folder + "/notes.txt") << "x";
  form->WMDropFiles({folder});
  ASSERT_EQ(form->FileCount, 2);
  EXPECT_EQ(form->StringGrid1->Cells(1, 1), folder + "/a.tif");
  EXPECT_EQ(form->StringGrid1->Cells(1, 2), folder + "/b.JPG");
  EXPECT_EQ(form->StringGrid1->Cells(7, 2), ".jpg");
  EXPECT_TRUE(CommandSetEnabled());

  form->WMDropFiles({empty});
  EXPECT_EQ(form->FileCount, 2);
  EXPECT_EQ(form->statusBar()->currentMessage().toStdString(), empty + " には画像ファイルがありません");
}
