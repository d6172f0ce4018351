#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/dialogs.h"
#include "tests/support/ScriptedDialogs.h"

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
