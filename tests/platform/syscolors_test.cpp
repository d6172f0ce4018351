#include <gtest/gtest.h>

#include <QApplication>

#include "platform/syscolors.h"

TEST(SysColors, DefaultSchemeValuesAndTheirBrushes) {
  struct Case {
    int index;
    COLORREF color;
  };
  const Case cases[] = {{COLOR_BTNFACE, RGB(192, 192, 192)},   {COLOR_BTNSHADOW, RGB(128, 128, 128)},
                        {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)}, {COLOR_WINDOWFRAME, RGB(0, 0, 0)},
                        {COLOR_3DDKSHADOW, RGB(0, 0, 0)},         {COLOR_3DLIGHT, RGB(223, 223, 223)},
                        {COLOR_WINDOW, RGB(255, 255, 255)},       {COLOR_INFOBK, RGB(255, 255, 225)}};
  for (const Case& k : cases) {
    EXPECT_EQ(GetSysColor(k.index), k.color) << k.index;
    HBRUSH b = GetSysColorBrush(k.index);
    ASSERT_NE(b, nullptr);
    LOGBRUSH lb;
    ASSERT_EQ(GetObject(b, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, k.color);
    EXPECT_EQ(GetSysColorBrush(k.index), b) << "one brush per colour";
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_EQ(GetObjectType(b), OBJ_BRUSH) << "system colour brushes survive DeleteObject";
  }
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColorBrush(99), nullptr);
}

TEST(SysColors, MetricsAndWheelLines) {
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(12345), 0);
  UINT lines = 0;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
  EXPECT_EQ(lines, static_cast<UINT>(QApplication::wheelScrollLines()));
  QApplication::setWheelScrollLines(5);
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(lines, 5u);
  QApplication::setWheelScrollLines(3);
  EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &lines, 0));
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, nullptr, 0));
}

TEST(SysColors, CursorsAndTheDisplayCounter) {
  const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  const HCURSOR sizeAll = LoadCursor(nullptr, IDC_SIZEALL);
  ASSERT_NE(arrow, nullptr);
  ASSERT_NE(sizeAll, nullptr);
  EXPECT_NE(arrow, sizeAll);
  EXPECT_EQ(platform::CursorShapeOf(sizeAll).shape(), Qt::SizeAllCursor);
  EXPECT_EQ(LoadCursor(nullptr, TESMARIN_CURSOR_ID(1)), nullptr);
  SetCursor(arrow);
  EXPECT_EQ(SetCursor(sizeAll), arrow);
  EXPECT_EQ(GetCursor(), sizeAll);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "visible again";
}

TEST(SysColors, FrameworkColoursResolveSystemColourConstants) {
  EXPECT_EQ(platform::ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(platform::ColorToRGB(clSystemColor | COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(platform::ColorToRGB(clSilver), RGB(192, 192, 192));
  EXPECT_EQ(platform::ColorToRGB(0x02123456), 0x123456u) << "the high byte of a plain colour is dropped";
}
