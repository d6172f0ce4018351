#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <cstring>

#include "platform/dialogs.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

TEST(Dialogs, ScriptAnswersAndRecords) {
  testsupport::ScopedScript s;
  s.script().answers = {IDYES};
  EXPECT_EQ(MessageBoxA(nullptr, "消去しますか？", "確認", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "again?", "t", MB_YESNO), IDNO) << "no answer left";
  EXPECT_EQ(MessageBoxA(nullptr, "done", "info", MB_OK | MB_ICONINFORMATION), IDOK);
  MessageBeep(0);
  ASSERT_EQ(s.log().messages.size(), 3u);
  EXPECT_EQ(s.log().messages[0].text, "消去しますか？");
  EXPECT_EQ(s.log().messages[0].caption, "確認");
  EXPECT_EQ(s.log().messages[0].type & MB_ICONMASK, MB_ICONQUESTION);
  EXPECT_EQ(s.log().unanswered, 1);
  EXPECT_EQ(s.log().beeps, 1);

  platform::OpenDialogOptions options;
  options.title = "開く";
  options.allowMultiSelect = true;
  EXPECT_FALSE(platform::CurrentDialogs().OpenFile(nullptr, options).accepted);
  s.script().opens.push_back({true, {"/a.jpg", "/b.tif"}, 2});
  const auto r = platform::CurrentDialogs().OpenFile(nullptr, options);
  EXPECT_TRUE(r.accepted);
  EXPECT_EQ(r.files.size(), 2u);
  ASSERT_EQ(s.log().openDialogs.size(), 2u);
  EXPECT_EQ(s.log().openDialogs[0].title, "開く");
}

TEST(Dialogs, FilterListPairs) {
  const auto pairs = platform::ParseFilter("画像 (*.jpg)|*.jpg;*.jpeg|すべて (*.*)|*.*");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].second, "*.jpg;*.jpeg");
  EXPECT_EQ(pairs[1].first, "すべて (*.*)");
  EXPECT_TRUE(platform::ParseFilter("").empty());
  EXPECT_EQ(platform::ParseFilter("odd|*.x|lonely").size(), 1u);
}

// The Qt message box shows the program's button texts; clicking "いいえ(&N)" answers No.
TEST(Dialogs, QtMessageBoxButtons) {
  QStringList seen;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        for (QAbstractButton* b : box->buttons()) seen << b->text();
        for (QAbstractButton* b : box->buttons())
          if (b->text() == QString::fromUtf8("いいえ(&N)")) b->click();
      }
    }
  });
  EXPECT_EQ(MessageBoxA(nullptr, "q", "t", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_TRUE(seen.contains(QString::fromUtf8("はい(&Y)")));
  EXPECT_TRUE(seen.contains(QString::fromUtf8("いいえ(&N)")));
}

// The font dialog is built from the caller's template; the hook hides controls by their
// identifiers, and OK writes the choice into the LOGFONT.
TEST(Dialogs, QtFontDialogFromATemplate) {
  platform::DialogTemplate tpl;
  tpl.caption = "Font";
  tpl.face = "MS Sans Serif";
  tpl.pointSize = 8;
  tpl.items = {{1088, platform::DialogItemKind::Label, "&Font:"},
               {1136, platform::DialogItemKind::ComboBox, ""},
               {1040, platform::DialogItemKind::CheckBox, "Stri&kethrough"},
               {1091, platform::DialogItemKind::Label, "&Color:"},
               {1092, platform::DialogItemKind::Label, "Preview"},
               {1, platform::DialogItemKind::Button, "OK"},
               {2, platform::DialogItemKind::Button, "Cancel"}};
  LOGFONT lf;
  std::strcpy(lf.lfFaceName, "Arial");
  lf.lfHeight = -16;
  platform::ChooseFontRequest request;
  request.logFont = &lf;
  request.dialogTemplate = &tpl;
  request.hook = [](platform::DialogItems& items) { items.ShowItem(1091, false); };
  bool colourHidden = false;
  QString sample;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(w);
      if (!dialog || dialog->windowTitle() != "Font") continue;
      colourHidden = dialog->findChild<QWidget*>("item1091")->isHidden();
      sample = dialog->findChild<QLabel*>("item1092")->text();
      dialog->findChild<QComboBox*>("item1138")->setCurrentText("24");
      dialog->findChild<QCheckBox*>("item1040")->setChecked(true);
      dialog->findChild<QPushButton*>("item1")->click();
    }
  });
  ASSERT_TRUE(platform::CurrentDialogs().ChooseFont(nullptr, request));
  EXPECT_TRUE(colourHidden);
  EXPECT_EQ(sample, "Preview");
  EXPECT_EQ(lf.lfHeight, -32);  // 24 points at 96 dpi
  EXPECT_EQ(lf.lfStrikeOut, 1);
  EXPECT_EQ(lf.lfUnderline, 0);
  EXPECT_GT(std::strlen(lf.lfFaceName), 0u);
}

TEST(Dialogs, QtColourDialogReportsOkToTheHook) {
  platform::ChooseColorRequest request;
  request.rgbResult = RGB(1, 2, 3);
  int heard = 0;
  request.hook = [&](int id) { heard = id; };
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<QColorDialog*>(w)) {
        dialog->setCurrentColor(QColor(10, 20, 30));
        dialog->accept();
      }
  });
  ASSERT_TRUE(platform::CurrentDialogs().ChooseColor(nullptr, request));
  EXPECT_EQ(heard, IDOK);
  EXPECT_EQ(request.rgbResult, RGB(10, 20, 30));
}

// The open dialog shows each filter's caption once, and "*.*" lists names without a dot,
// as on Windows.
TEST(Dialogs, QtOpenDialogCaptionsAndEveryNameFilter) {
  testsupport::TempDir dir;
  dir.Write("noext", "x");
  dir.Write("a.jpg", "x");
  const std::string filter = "画像 (*.jpg;*.png)|*.jpg;*.png|すべてのﾌｧｲﾙ (*.*)|*.*";
  EXPECT_EQ(platform::QtNameFilters(filter),
            (QStringList{QString::fromUtf8("画像 (*.jpg;*.png) (*.jpg *.png)"), QString::fromUtf8("すべてのﾌｧｲﾙ (*.*) (*)")}));
  QStringList captions, listed;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo"))
      for (int i = 0; i < combo->count(); ++i) captions << combo->itemText(i);
    auto* model = dialog->findChild<QFileSystemModel*>();
    const QModelIndex folder = model ? model->index(QString::fromStdString(dir.path())) : QModelIndex();
    for (int wait = 0; model && wait < 200 && model->rowCount(folder) < 2; ++wait) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(10);
    }
    for (int r = 0; model && r < model->rowCount(folder); ++r) listed << model->index(r, 0, folder).data().toString();
    dialog->reject();
  });
  platform::OpenDialogOptions options;
  options.filter = filter;
  options.filterIndex = 2;
  options.initialDir = dir.path();
  EXPECT_FALSE(platform::CurrentDialogs().OpenFile(nullptr, options).accepted);
  EXPECT_EQ(captions, (QStringList{QString::fromUtf8("画像 (*.jpg;*.png)"), QString::fromUtf8("すべてのﾌｧｲﾙ (*.*)")}));
  EXPECT_TRUE(listed.contains("noext")) << listed.join(",").toStdString();
  EXPECT_TRUE(listed.contains("a.jpg"));
}

// A message box shows its details on request.
TEST(Dialogs, QtMessageBoxDetails) {
  QString details;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      details = box->detailedText();
      box->accept();
    }
  });
  EXPECT_EQ(MessageBoxDetails(nullptr, "done", "t", MB_OK, "a : why\nb : why"), IDOK);
  EXPECT_EQ(details, "a : why\nb : why");
}
