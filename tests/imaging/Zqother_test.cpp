// The interval timer and the area-marking objects on a real window surface and the real
// engine: countdown, hit boxes, ratio dragging, moves against the image edge, corner
// order, press bounds, the NOT-XOR rubber band and the point cap.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "imaging/components/Zqother.h"
#include "imaging/engine/Zqdllprocs.h"
#include "imaging/engine/Zqinit.h"
#include "platform/winwidget.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class MarkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeZQ(kZqKindImage);
    ASSERT_NE(ZqCreateImage, nullptr) << "the engine libraries were not found";
    image = ZqCreateImage(300, 200, 24, 255, 255, 255, 0, 0, 0, 0);
    ASSERT_NE(image, 0u);
    window = std::make_unique<platform::WinWidget>();
    window->resize(400, 300);
    HDC dc = GetDC(window.get());
    const RECT all{0, 0, 400, 300};
    platform::ScopedGdiObject<HBRUSH> white(CreateSolidBrush(kWhite));
    FillRect(dc, &all, white);
    ReleaseDC(window.get(), dc);
  }
  void TearDown() override {
    window.reset();
    if (image && ZqFreeMemory) ZqFreeMemory(image);
    TerminateZQ(kZqKindImage);
  }

  COLORREF At(int x, int y) {
    const QImage surface = platform::BitmapImage(window->Surface());
    return platform::ColorFromPixel(surface.pixel(x, y));
  }

  // A rectangle object viewing the image 1:1 from the window's top-left, or at zoom.
  std::unique_ptr<TCRect> MakeRect(double ratio = 0, double zoom = 1.0) {
    auto rect = std::make_unique<TCRect>(window.get(), image, ratio);
    rect->SetView(RECT{0, 0, 399, 299}, 0, 0, 300, 200, zoom, zoom);
    return rect;
  }

  // Press, a first move that only wakes the object, the drag, the release.
  static void Drag(TCRect& rect, int x0, int y0, int x1, int y1) {
    rect.OnLButtonDown_Rect_EDIT(x0, y0);
    rect.OnMouseMove_Rect_EDIT(x0, y0, false);
    rect.OnMouseMove_Rect_EDIT(x1, y1, false);
    rect.OnLButtonUp_Rect_EDIT();
  }

  HGLOBAL image = 0;
  std::unique_ptr<platform::WinWidget> window;
};

TEST(TCInterTimer, CountdownRunsOutThenStaysOver) {
  platform::WinWidget window;
  TCInterTimer timer;
  EXPECT_FALSE(timer.SetIntervalTimer(nullptr, 2, 500, 2)) << "no window, no timer";
  EXPECT_FALSE(timer.IsRunningTimer());
  ASSERT_TRUE(timer.SetIntervalTimer(&window, 2, 500, 2));
  EXPECT_TRUE(timer.IsRunningTimer());
  const bool expected[] = {false, false, true, true, true};
  for (bool over : expected) EXPECT_EQ(timer.IsTimeOver(), over);
  timer.KillIntervalTimer();
  EXPECT_FALSE(timer.IsRunningTimer());
  EXPECT_FALSE(KillTimer(&window, 2)) << "the system timer is gone";
}

TEST_F(MarkTest, FailedConstructionLeavesAHarmlessObject) {
  TCRect noWindow(nullptr, image, 0);
  EXPECT_FALSE(noWindow.IsValid());
  EXPECT_FALSE(noWindow.OnLButtonDown_Rect_EDIT(10, 10));
  EXPECT_FALSE(noWindow.OnMouseMove_Rect_EDIT(20, 20, false));
  EXPECT_FALSE(noWindow.OnLButtonUp_Rect_EDIT());
  TCSelRect disabled(window.get(), image, false);
  EXPECT_FALSE(disabled.IsValid());
  EXPECT_FALSE(disabled.OnLButtonDown_SelRect_EDIT(10, 10));
  TCSelFree noImage(window.get(), 0, true);
  EXPECT_FALSE(noImage.OnLButtonDown_SelFree_EDIT(10, 10));
  EXPECT_EQ(noImage.PointCount(), 0);
}

TEST_F(MarkTest, PressOnTheDisplayEdgeAcceptedOnePixelBeyondIgnored) {
  TCSelRect sel(window.get(), image, true);
  sel.SetView(RECT{0, 0, 99, 79}, 0, 0, 100, 80, 1.0, 1.0);
  EXPECT_TRUE(sel.OnLButtonDown_SelRect_EDIT(99, 79));
  EXPECT_FALSE(sel.OnLButtonDown_SelRect_EDIT(100, 79));
  EXPECT_FALSE(sel.OnLButtonDown_SelRect_EDIT(99, 80));
  EXPECT_FALSE(sel.OnLButtonDown_SelRect_EDIT(-1, 0));
  // A view with no extent takes no press at all.
  sel.SetView(RECT{0, 0, 99, 79}, 0, 0, 0, 80, 1.0, 1.0);
  EXPECT_FALSE(sel.OnLButtonDown_SelRect_EDIT(10, 10));
}

TEST_F(MarkTest, BorderHitBoxesFollowTheZoom) {
  auto rect = MakeRect(0, 2.0);
  Drag(*rect, 20, 20, 100, 60);  // image (10, 10) to (50, 30)
  ASSERT_EQ(rect->Rect().left, 10);
  ASSERT_EQ(rect->Rect().bottom, 30);
  const struct {
    double zoom;
    int x, y, code;
  } cases[] = {
      {2.0, 12, 20, 8}, {2.0, 13, 20, 0}, {2.0, 8, 8, 1},   {2.0, 7, 8, 0},   {2.0, 50, 30, 3},
      {2.0, 30, 12, 5}, {2.0, 30, 13, 0}, {2.0, 52, 20, 6}, {2.0, 30, 29, 7}, {2.0, 48, 10, 2},
      {0.0, 14, 20, 8}, {0.0, 15, 20, 0}, {0.0, 6, 6, 1},   {0.0, 5, 6, 0},   {0.0, 54, 34, 3},
  };
  for (const auto& c : cases) {
    rect->SetView(RECT{0, 0, 399, 299}, 0, 0, 300, 200, c.zoom, c.zoom);
    EXPECT_EQ(rect->IsMouseOnRectborder(c.x, c.y), c.code != 0) << c.zoom << " " << c.x << "," << c.y;
    EXPECT_EQ(rect->BorderCode(), c.code) << c.zoom << " " << c.x << "," << c.y;
  }
  rect->NoResize = true;
  EXPECT_FALSE(rect->IsMouseOnRectborder(10, 20));
}

TEST_F(MarkTest, AspectRatioDrags) {
  const struct {
    int dx, dy, width, height;
  } cases[] = {{100, 10, 100, 50}, {10, 100, 200, 100}, {-100, -10, 100, 50}};
  for (const auto& c : cases) {
    auto rect = MakeRect(0.5);
    Drag(*rect, 150, 110, 150 + c.dx, 110 + c.dy);
    const RECT r = rect->Rect();
    EXPECT_EQ(r.right - r.left, c.width) << c.dx << "," << c.dy;
    EXPECT_EQ(r.bottom - r.top, c.height) << c.dx << "," << c.dy;
  }
}

TEST_F(MarkTest, ReleaseAfterDraggingUpLeftOrdersTheCorners) {
  auto rect = MakeRect();
  Drag(*rect, 100, 100, 20, 30);
  const RECT r = rect->Rect();
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 100);
  EXPECT_EQ(rect->DragMode(), 0);
  EXPECT_TRUE(rect->Active());
}

TEST_F(MarkTest, MovingPastTheImageEdgeStopsAtItWithTheWidthKept) {
  auto rect = MakeRect();
  Drag(*rect, 10, 10, 110, 60);
  // A press inside moves the rectangle; the pointer runs far beyond the image.
  EXPECT_TRUE(rect->OnLButtonDown_Rect_EDIT(50, 30));
  EXPECT_EQ(rect->DragMode(), 2);
  rect->OnMouseMove_Rect_EDIT(390, 30, false);
  RECT r = rect->Rect();
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.left, 200);
  rect->OnMouseMove_Rect_EDIT(-50, -50, false);
  r = rect->Rect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(r.bottom - r.top, 50);
  EXPECT_TRUE(rect->OnLButtonUp_Rect_EDIT());
}

TEST_F(MarkTest, RubberBandShowsWhileDraggingAndGoesOnRelease) {
  auto rect = MakeRect();
  rect->OnLButtonDown_Rect_EDIT(10, 10);
  rect->OnMouseMove_Rect_EDIT(10, 10, false);
  rect->OnMouseMove_Rect_EDIT(60, 40, false);
  EXPECT_EQ(At(10, 20), kBlack) << "left side";
  EXPECT_EQ(At(35, 10), kBlack) << "top side";
  EXPECT_EQ(At(35, 25), kWhite) << "inside";
  rect->OnMouseMove_Rect_EDIT(80, 50, false);
  EXPECT_EQ(At(59, 20), kWhite) << "the earlier band is removed";
  EXPECT_EQ(At(79, 20), kBlack);
  EXPECT_FALSE(rect->IsRunningTimer());
  EXPECT_TRUE(rect->OnLButtonUp_Rect_EDIT());
  for (const auto& [x, y] : {std::pair{10, 20}, std::pair{79, 20}, std::pair{35, 10}})
    EXPECT_EQ(At(x, y), kWhite) << x << "," << y;
  EXPECT_TRUE(rect->IsRunningTimer()) << "the frame blinks once released";
  EXPECT_TRUE(KillTimer(window.get(), kZqBlinkTimerId)) << "the blink timer has event id 2";
}

TEST_F(MarkTest, SelectionRectangleCornersRunClockwise) {
  TCSelRect sel(window.get(), image, true);
  sel.SetView(RECT{0, 0, 399, 299}, 0, 0, 300, 200, 1.0, 1.0);
  ASSERT_TRUE(sel.OnLButtonDown_SelRect_EDIT(90, 80));
  EXPECT_TRUE(sel.OnMouseMove_SelRect_EDIT(30, 20, false));
  EXPECT_EQ(At(60, 80), kBlack) << "band along the press row";
  EXPECT_TRUE(sel.OnLButtonUp_SelRect_EDIT());
  const POINT expected[4] = {{30, 20}, {90, 20}, {90, 80}, {30, 80}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(sel.Corner(i).x, expected[i].x) << i;
    EXPECT_EQ(sel.Corner(i).y, expected[i].y) << i;
  }
  EXPECT_EQ(At(60, 80), kWhite) << "band removed";
  EXPECT_TRUE(sel.IsRunningTimer());
  EXPECT_FALSE(sel.OnMouseMove_SelRect_EDIT(10, 10, false)) << "inactive after release";
}

TEST_F(MarkTest, FreeSelectionGrowsPointByPointUpToTheCap) {
  TCSelFree free(window.get(), image, true);
  free.SetView(RECT{0, 0, 399, 299}, 0, 0, 300, 200, 1.0, 1.0);
  EXPECT_FALSE(free.OnLButtonDown_SelFree_EDIT(10, 10)) << "a press reports false";
  EXPECT_EQ(free.PointCount(), 1);
  EXPECT_TRUE(free.OnMouseMove_SelFree_EDIT(50, 10, false));
  EXPECT_FALSE(free.OnMouseMove_SelFree_EDIT(50, 10, false)) << "the same point again";
  EXPECT_FALSE(free.OnMouseMove_SelFree_EDIT(500, 10, false)) << "outside without redraw";
  EXPECT_EQ(free.PointCount(), 2);
  EXPECT_EQ(At(30, 10), kBlack) << "the newest segment is drawn";
  free.OnLButtonUp_SelFree_EDIT(false);
  EXPECT_TRUE(free.IsRunningTimer());

  TCSelFree big(window.get(), image, true);
  ASSERT_TRUE(big.CreateSelectedFreePoints(99990));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(big.CreateSelectedFreePoints(0));
  EXPECT_EQ(big.PointCount(), TCSelFree::kMaxPoints);
  big.FreeSelectedPoints();
  EXPECT_EQ(big.PointCount(), 0);
}

}  // namespace
