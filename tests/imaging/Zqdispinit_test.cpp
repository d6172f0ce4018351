#include <gtest/gtest.h>

#include <QLocale>

#include "imaging/engine/Zqdispinit.h"
#include "platform/memory.h"

TEST(Zqdispinit, StartValues) {
  g_PenSize = 9;
  g_Action = 7;
  g_Text = "x";
  Zqdispinit::Initialize();
  EXPECT_EQ(g_PenSize, 3);
  EXPECT_EQ(g_PenSize5, 5);
  EXPECT_EQ(g_AirBrushSize3, 12);
  EXPECT_EQ(g_EraserSize2, 3);
  EXPECT_EQ(g_EraserSize5, 12);
  EXPECT_EQ(g_BackColor, 0xFFFFFFu);
  EXPECT_EQ(g_ForeColor, 0u);
  EXPECT_EQ(g_FontTrans, 1);
  EXPECT_EQ(g_EnableEditPopupMenu, 1);
  EXPECT_EQ(g_Action, 0);
  EXPECT_TRUE(g_Text.empty());
}

TEST(Zqdispinit, CaptionsFollowTheLocaleLanguage) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  Zqdispinit::Initialize();
  EXPECT_STREQ(szPopupEditMenu_All.data(), "全選択(&A)");
  EXPECT_STREQ(szPopupEditMenu_Clear.data(), "選択範囲取消し(&L)");
  EXPECT_STREQ(szPopupEditMenu_Back.data(), "最背面へ移動(&B)");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  Zqdispinit::Initialize();
  EXPECT_STREQ(szPopupEditMenu_All.data(), "Select&All");
  EXPECT_STREQ(szPopupEditMenu_Front.data(), "Bring to &Front");
  EXPECT_STREQ(szPopupEditMenu_Create.data(), "Cr&Eate");
  QLocale::setDefault(saved);
}

TEST(Zqdispinit, TerminateReleasesTheHeldClip) {
  Zqdispinit::Initialize();
  const auto before = GlobalBlockCount();
  g_Clip[1] = GlobalAlloc(GMEM_MOVEABLE, 16);
  Zqdispinit::Terminate();
  EXPECT_EQ(g_Clip[1], 0u);
  EXPECT_EQ(GlobalBlockCount(), before);
  Zqdispinit::Terminate();  // nothing held: nothing happens
}
