// The display control's geometry without a window: the display area inside frame and
// scroll bars, fit, stretch and real-size plans, the start position and check, the
// scroll-bar passes and the image pixel under a screen point.
#include <gtest/gtest.h>

#include "imaging/components/ZqDispGeometry.h"

namespace {

TZqDispGeometry::Frame FrameOf(int w, int h, bool border = false, TVZqAppearance look = vzqFlat) {
  TZqDispGeometry::Frame f;
  f.width = w;
  f.height = h;
  f.border = border;
  f.appearance = look;
  f.scrollBarExtent = 16;
  return f;
}

TZqDispGeometry For(int imageW, int imageH, const TZqDispGeometry::Frame& frame, double scale = 1.0,
                    bool bars = false) {
  TZqDispGeometry g;
  g.ImageWidth = imageW;
  g.ImageHeight = imageH;
  g.DispScale = scale;
  g.Initialise(frame, bars);
  return g;
}

struct ScaledCase {
  const char* name;
  int imageW, imageH, areaW, areaH;
  TVZqDispMode mode;
  RECT drawn;
  double scaleX, scaleY;
};

TEST(ZqDispGeometry, FitAndStretchPlans) {
  const ScaledCase cases[] = {
      {"small image centred, not enlarged", 100, 50, 200, 200, vzqScale, {50, 75, 150, 125}, 1.0, 1.0},
      {"wide image halved", 400, 100, 200, 200, vzqScale, {0, 75, 200, 125}, 0.5, 0.5},
      {"tall image fitted", 100, 400, 200, 200, vzqScale, {75, 0, 125, 200}, 0.5, 0.5},
      {"stretch covers the area", 400, 100, 200, 200, vzqStretch, {0, 0, 200, 200}, 0.5, 2.0},
      {"thumbnail of 4000 x 3000", 4000, 3000, 98, 73, vzqScale, {0, 0, 97, 73}, 97 / 4000.0, 73 / 3000.0},
      {"one pixel image", 1, 1, 10, 10, vzqScale, {4, 4, 5, 5}, 1.0, 1.0},
  };
  for (const ScaledCase& c : cases) {
    TZqDispGeometry g = For(c.imageW, c.imageH, FrameOf(c.areaW, c.areaH));
    g.StartCheck(c.mode);
    TZqDrawPlan plan;
    ASSERT_TRUE(g.ScaledPlan(c.mode, plan)) << c.name;
    EXPECT_EQ(g.Drawn.left, c.drawn.left) << c.name;
    EXPECT_EQ(g.Drawn.top, c.drawn.top) << c.name;
    EXPECT_EQ(g.Drawn.right, c.drawn.right) << c.name;
    EXPECT_EQ(g.Drawn.bottom, c.drawn.bottom) << c.name;
    EXPECT_DOUBLE_EQ(g.ScaleX, c.scaleX) << c.name;
    EXPECT_DOUBLE_EQ(g.ScaleY, c.scaleY) << c.name;
    EXPECT_EQ(plan.srcWidth, c.imageW) << c.name;
    EXPECT_EQ(plan.srcHeight, c.imageH) << c.name;
    EXPECT_EQ(g.Visible.right, c.imageW - 1) << c.name;
  }
}

TEST(ZqDispGeometry, AreaBelowTwoPixelsPlansNothing) {
  for (const auto& [w, h] : {std::pair{1, 50}, std::pair{50, 1}, std::pair{0, 0}}) {
    TZqDispGeometry g = For(10, 10, FrameOf(w, h));
    TZqDrawPlan plan;
    EXPECT_FALSE(g.ScaledPlan(vzqScale, plan)) << w << "x" << h;
    EXPECT_FALSE(g.ActualPlan(plan)) << w << "x" << h;
  }
}

TEST(ZqDispGeometry, FrameInsetsTheDisplayArea) {
  EXPECT_EQ(For(10, 10, FrameOf(100, 80)).Area.left, 0);
  const TZqDispGeometry flat = For(10, 10, FrameOf(100, 80, true, vzqFlat));
  EXPECT_EQ(flat.Area.left, 1);
  EXPECT_EQ(flat.Area.right, 98);
  EXPECT_EQ(flat.AreaWidth(), 98);
  const TZqDispGeometry sunken = For(10, 10, FrameOf(100, 80, true, vzqLowered));
  EXPECT_EQ(sunken.Area.top, 2);
  EXPECT_EQ(sunken.AreaHeight(), 76);
}

TEST(ZqDispGeometry, StartCheckKeepsTheViewInsideTheImage) {
  TZqDispGeometry g = For(1000, 500, FrameOf(200, 100), 2.0);
  ASSERT_EQ(g.VisibleCols, 100);
  ASSERT_EQ(g.VisibleRows, 50);
  const struct {
    int startX, startY;
    RECT expected;
  } cases[] = {
      {-5, -7, {0, 0, 99, 49}},
      {300, 100, {300, 100, 399, 149}},
      {950, 480, {900, 450, 999, 499}},
      {5000, 5000, {900, 450, 999, 499}},
  };
  for (const auto& c : cases) {
    g.StartPosition(vzqActualSize, c.startX, c.startY, 0, 0);
    g.StartCheck(vzqActualSize);
    EXPECT_EQ(g.Visible.left, c.expected.left) << c.startX;
    EXPECT_EQ(g.Visible.top, c.expected.top) << c.startY;
    EXPECT_EQ(g.Visible.right, c.expected.right) << c.startX;
    EXPECT_EQ(g.Visible.bottom, c.expected.bottom) << c.startY;
  }
  // Every other mode shows the whole image.
  g.StartCheck(vzqScale);
  EXPECT_EQ(g.Visible.right, 999);
  EXPECT_EQ(g.Visible.bottom, 499);
}

TEST(ZqDispGeometry, CentringOnAColumnAndRow) {
  TZqDispGeometry g = For(1000, 1000, FrameOf(201, 101), 1.0);
  g.StartPosition(vzqActualSize, 7, 7, 500, 300);
  EXPECT_EQ(g.Visible.left, 500 - 100);
  EXPECT_EQ(g.Visible.top, 300 - 50);
  // Zero leaves the start alone.
  g.StartPosition(vzqActualSize, 7, 9, 0, 0);
  EXPECT_EQ(g.Visible.left, 7);
  EXPECT_EQ(g.Visible.top, 9);
}

TEST(ZqDispGeometry, ScrollDirections) {
  const struct {
    TVZqScrollDir dir;
    int dx, dy;
  } cases[] = {
      {vzqUpLeft, -3, -4}, {vzqUp, 0, -4},  {vzqUpRight, 3, -4}, {vzqRight, 3, 0},
      {vzqDownRight, 3, 4}, {vzqDown, 0, 4}, {vzqDownLeft, -3, 4}, {vzqLeft, -3, 0},
  };
  for (const auto& c : cases) {
    TZqDispGeometry g;
    g.Visible = RECT{10, 10, 20, 20};
    g.ScrollBy(c.dir, 3, 4);
    EXPECT_EQ(g.Visible.left, 10 + c.dx) << c.dir;
    EXPECT_EQ(g.Visible.top, 10 + c.dy) << c.dir;
  }
}

TEST(ZqDispGeometry, BarsOnlyAlongTheAxisThatOverflows) {
  // 300 x 80 at scale 1 in 200 x 100: only the horizontal bar, which narrows the area
  // to 84 rows, still enough for 80.
  TZqDispGeometry wide = For(300, 80, FrameOf(200, 100), 1.0, true);
  EXPECT_TRUE(wide.HBar.shown);
  EXPECT_FALSE(wide.VBar.shown);
  EXPECT_EQ(wide.HBar.max, 299);
  EXPECT_EQ(wide.HBar.page, 200);
  EXPECT_EQ(wide.AreaHeight(), 84);
  // 300 x 90: the horizontal bar leaves 84 rows, so the second pass adds the vertical
  // bar too, and the page shrinks by its width.
  TZqDispGeometry both = For(300, 90, FrameOf(200, 100), 1.0, true);
  EXPECT_TRUE(both.HBar.shown);
  EXPECT_TRUE(both.VBar.shown);
  EXPECT_EQ(both.VBar.max, 89);
  EXPECT_EQ(both.HBar.page, 184);
  EXPECT_EQ(both.VBar.page, 84);
  // Ranges are image pixels whatever the scale.
  TZqDispGeometry zoomed = For(300, 10, FrameOf(200, 100), 2.0, true);
  EXPECT_EQ(zoomed.HBar.max, 299);
  EXPECT_EQ(zoomed.HBar.page, 100);
  // Without the offer no bar is shown.
  EXPECT_FALSE(For(3000, 3000, FrameOf(200, 100), 1.0, false).HBar.shown);
}

TEST(ZqDispGeometry, RealSizeLastPartialColumnAndCentring) {
  // 1000 x 1000 at 3.0 in 200 x 200: 66 columns leave 2 pixels, so a 67th is shown in
  // part while the image goes on.
  TZqDispGeometry g = For(1000, 1000, FrameOf(200, 200), 3.0);
  g.StartPosition(vzqActualSize, 0, 0, 0, 0);
  g.StartCheck(vzqActualSize);
  TZqDrawPlan plan;
  ASSERT_TRUE(g.ActualPlan(plan));
  EXPECT_EQ(plan.srcWidth, 67);
  EXPECT_EQ(plan.width, 201);
  // At the last column no partial one is added.
  g.StartPosition(vzqActualSize, 5000, 0, 0, 0);
  g.StartCheck(vzqActualSize);
  ASSERT_TRUE(g.ActualPlan(plan));
  EXPECT_EQ(plan.srcX, 1000 - 66);
  EXPECT_EQ(plan.srcWidth, 66);
  EXPECT_EQ(plan.width, 198);
  // An image smaller than the area is centred.
  TZqDispGeometry small = For(50, 20, FrameOf(200, 100), 2.0);
  small.StartCheck(vzqActualSize);
  ASSERT_TRUE(small.ActualPlan(plan));
  EXPECT_EQ(plan.x, 50);
  EXPECT_EQ(plan.y, 30);
  EXPECT_EQ(plan.width, 100);
  EXPECT_EQ(plan.srcWidth, 50);
  EXPECT_DOUBLE_EQ(small.ScaleX, 2.0);
}

TEST(ZqDispGeometry, ImagePixelUnderThePointer) {
  TZqDispGeometry g = For(1000, 1000, FrameOf(200, 200), 2.0);
  g.StartPosition(vzqActualSize, 100, 40, 0, 0);
  g.StartCheck(vzqActualSize);
  TZqDrawPlan plan;
  ASSERT_TRUE(g.ActualPlan(plan));
  EXPECT_TRUE(g.OverImage(0, 0));
  EXPECT_TRUE(g.OverImage(200, 200)) << "edges included";
  EXPECT_FALSE(g.OverImage(201, 10));
  EXPECT_EQ(g.ImageX(0), 100);
  EXPECT_EQ(g.ImageX(7), 103);
  EXPECT_EQ(g.ImageY(11), 45);
  // Nothing is under the pointer before anything was shown.
  TZqDispGeometry empty;
  EXPECT_FALSE(empty.OverImage(0, 0));
}

}  // namespace
