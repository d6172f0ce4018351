// The program's application object: Qt's texts in Japanese, and exceptions that escape an
// event handler shown and survived. Its own main makes the application as the program does.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <stdexcept>

#include "app/Application.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("壊れたハンドラ");
    if (e->type() == QEvent::User + 1) ++delivered;
    return QObject::event(e);
  }
  int delivered = 0;
};

}  // namespace

TEST(Application, AnExceptionFromAnyHandlerIsShownAndTheProgramGoesOn) {
  testsupport::ScopedScript script;
  Thrower thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&thrower, new QEvent(static_cast<QEvent::Type>(QEvent::User + 1)));
  QCoreApplication::processEvents();
  ASSERT_EQ(script.log().messages.size(), 1u);
  EXPECT_EQ(script.log().messages[0].text, "壊れたハンドラ");
  EXPECT_EQ(script.log().messages[0].caption, "Tesmarin");
  EXPECT_EQ(thrower.delivered, 1) << "the next event still arrives";
}

TEST(Application, QtsOwnTextsAreJapanese) {
  auto* app = static_cast<TApplication*>(QCoreApplication::instance());
  ASSERT_TRUE(app->JapaneseLoaded()) << "qt6-translations-l10n is not installed";
  QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().toStdString(), "キャンセル");
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const auto* lookIn = dialog.findChild<QLabel*>("lookInLabel");
  ASSERT_NE(lookIn, nullptr);
  EXPECT_NE(lookIn->text(), "Look in:");
  EXPECT_NE(dialog.labelText(QFileDialog::FileName), "File &name:");
  EXPECT_NE(dialog.labelText(QFileDialog::Accept), "&Open");
}

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
