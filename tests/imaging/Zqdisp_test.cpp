// The display control on the real engine: fit, stretch and real-size drawing read back
// from the control's pixels, margins, frame, printer devices, status codes, scrolling,
// zoom, scroll bars, wheel, mouse, drag scrolling, grey refinement of 1-bit pages, the
// marked area's blinking frame and grab().
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "imaging/components/Zqdisp.h"
#include "imaging/engine/Zqdllprocs.h"
#include "platform/memory.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/SourcePath.h"

namespace {

constexpr COLORREF kBack = RGB(255, 255, 213);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kHatch = 12632256;

class TestDisp : public TVZqDisp {
 public:
  using TVZqDisp::TVZqDisp;
  void Tick(UINT_PTR id) { WmTimer(id); }
};

COLORREF Pixel(const QImage& image, int x, int y) { return platform::ColorFromPixel(image.pixel(x, y)); }

// What the control shows, read through grab().
QImage Shown(TVZqDisp& disp) { return disp.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// A 24-bit image whose pixel (x, y) is RGB(x % 250, y % 250, 7).
HGLOBAL Gradient(int w, int h) {
  const HGLOBAL image = ZqCreateImage(w, h, 24, 0, 0, 0, 0, 0, 0, 0);
  platform::GlobalLockGuard lock(image);
  auto* header = static_cast<BITMAPINFOHEADER*>(lock.get());
  auto* bits = reinterpret_cast<BYTE*>(header) + header->biSize;
  const int stride = (w * 3 + 3) / 4 * 4;
  for (int y = 0; y < h; ++y) {
    BYTE* row = bits + static_cast<std::size_t>(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      row[3 * x] = 7;
      row[3 * x + 1] = static_cast<BYTE>(y % 250);
      row[3 * x + 2] = static_cast<BYTE>(x % 250);
    }
  }
  return image;
}

class DispTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disp = std::make_unique<TestDisp>();
    ASSERT_NE(ZqCreateImage, nullptr) << "the engine libraries were not found";
    disp->SetColor(kBack);
    disp->SetInvalidHatchPattern(false);
    disp->resize(200, 200);
    disp->OnEndDispImage = [this](QObject*, LONG ox, LONG oy, LONG l, LONG t, LONG r, LONG b, double sx, double sy) {
      ++ends;
      end = {ox, oy, l, t, r, b};
      endScale = {sx, sy};
    };
  }
  void TearDown() override {
    // The images go while the control keeps the engine loaded.
    disp->SetImgHandle(0);
    for (HGLOBAL h : images)
      if (ZqFreeMemory) ZqFreeMemory(h);
    disp.reset();
  }
  HGLOBAL Keep(HGLOBAL h) {
    images.push_back(h);
    return h;
  }
  HGLOBAL Solid(int w, int h, COLORREF c) {
    return Keep(ZqCreateImage(w, h, 24, GetRValue(c), GetGValue(c), GetBValue(c), 0, 0, 0, 0));
  }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(x, y), disp->mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
    QApplication::sendEvent(disp.get(), &event);
  }
  void Wheel(int delta) {
    QWheelEvent event(QPointF(50, 50), disp->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(disp.get(), &event);
  }

  std::unique_ptr<TestDisp> disp;
  std::vector<HGLOBAL> images;
  int ends = 0;
  std::array<LONG, 6> end{};
  std::array<double, 2> endScale{};
};

TEST_F(DispTest, DefaultsAndSetterRules) {
  TVZqDisp fresh;
  EXPECT_EQ(fresh.width(), 100);
  EXPECT_EQ(fresh.height(), 100);
  EXPECT_EQ(fresh.Color(), RGB(255, 255, 255));
  EXPECT_EQ(fresh.Appearance(), vzqFlat);
  EXPECT_FALSE(fresh.BorderVisible());
  EXPECT_EQ(fresh.ScrollWidth(), 10);
  EXPECT_EQ(fresh.ScrollHeight(), 10);
  EXPECT_DOUBLE_EQ(fresh.DispScale(), 1.0);
  EXPECT_EQ(fresh.MouseWheel(), vzqVertical);
  EXPECT_TRUE(fresh.Refine1BitImage());
  EXPECT_TRUE(fresh.InvalidHatchPattern());
  EXPECT_EQ(fresh.InvalidHatchColor(), kHatch);
  EXPECT_TRUE(fresh.ShowInDisp());
  EXPECT_FALSE(fresh.ScrollDrag());
  EXPECT_EQ(fresh.CurrentMode(), vzqClear);
  EXPECT_EQ(fresh.ImgHandle(), 0u);

  fresh.SetScrollWidth(-1);
  fresh.SetStartX(-5);
  fresh.SetDispScale(0);
  fresh.SetDispScale(-2);
  fresh.SetRefine1BitImageScale(1.0);
  fresh.SetRefine1BitImageScale(-0.1);
  EXPECT_EQ(fresh.ScrollWidth(), 10);
  EXPECT_EQ(fresh.StartX(), 0);
  EXPECT_DOUBLE_EQ(fresh.DispScale(), 1.0);
  EXPECT_DOUBLE_EQ(fresh.Refine1BitImageScale(), 0.0);
  fresh.SetRefine1BitImageScale(0.5);
  fresh.SetDispScale(2.5);
  EXPECT_DOUBLE_EQ(fresh.Refine1BitImageScale(), 0.5);
  EXPECT_DOUBLE_EQ(fresh.DispScale(), 2.5);
}

TEST_F(DispTest, FitAndStretchDrawings) {
  const struct {
    const char* name;
    int w, h;
    TVZqDispMode mode;
    RECT drawn;
  } cases[] = {
      {"fit_small", 100, 50, vzqScale, {50, 75, 150, 125}},
      {"fit_wide", 400, 100, vzqScale, {0, 75, 200, 125}},
      {"stretch", 400, 100, vzqStretch, {0, 0, 200, 200}},
  };
  for (const auto& c : cases) {
    disp->SetImgHandle(Solid(c.w, c.h, kRed));
    ends = 0;
    ASSERT_TRUE(disp->Display(c.mode)) << c.name;
    QImage expected(200, 200, QImage::Format_RGB32);
    expected.fill(QColor(GetRValue(kBack), GetGValue(kBack), GetBValue(kBack)));
    for (int y = c.drawn.top; y < c.drawn.bottom; ++y)
      for (int x = c.drawn.left; x < c.drawn.right; ++x) expected.setPixel(x, y, qRgb(255, 0, 0));
    EXPECT_TRUE(testsupport::SameImage(Shown(*disp), expected, std::string("disp_") + c.name));
    EXPECT_EQ(ends, 1) << c.name;
    EXPECT_EQ(end[0], c.drawn.left) << c.name;
    EXPECT_EQ(end[1], c.drawn.top) << c.name;
    EXPECT_EQ(end[4], c.w - 1) << c.name;
    EXPECT_DOUBLE_EQ(endScale[0], (c.drawn.right - c.drawn.left) / static_cast<double>(c.w)) << c.name;
    // A repaint draws the same picture again.
    InvalidateRect(disp.get(), nullptr, FALSE);
    UpdateWindow(disp.get());
    EXPECT_TRUE(testsupport::SameImage(Shown(*disp), expected, std::string("disp_repaint_") + c.name));
  }
}

TEST_F(DispTest, HatchedOrPlainMargins) {
  disp->SetImgHandle(Solid(100, 50, kRed));
  for (bool hatch : {false, true}) {
    disp->SetInvalidHatchPattern(hatch);
    ASSERT_TRUE(disp->Display(vzqScale));
    const QImage shown = Shown(*disp);
    std::set<COLORREF> margin;
    for (int y = 0; y < 75; ++y)
      for (int x = 0; x < 200; ++x) margin.insert(Pixel(shown, x, y));
    if (hatch) {
      EXPECT_EQ(margin, (std::set<COLORREF>{kBack, kHatch}));
      testsupport::SavePng(shown, "disp_hatch");
    } else {
      EXPECT_EQ(margin, std::set<COLORREF>{kBack});
    }
    EXPECT_EQ(Pixel(shown, 100, 100), kRed);
  }
}

TEST_F(DispTest, FrameAroundTheDisplayArea) {
  disp->SetBorderColor(RGB(0, 0, 255));
  disp->SetBorderVisible(true);
  disp->SetImgHandle(Solid(400, 400, kRed));
  ASSERT_TRUE(disp->Display(vzqScale));
  const QImage shown = Shown(*disp);
  EXPECT_EQ(Pixel(shown, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(Pixel(shown, 199, 100), RGB(0, 0, 255));
  EXPECT_EQ(Pixel(shown, 1, 1), kRed);
  EXPECT_EQ(end[0], 1);
  EXPECT_DOUBLE_EQ(endScale[0], 198 / 400.0);
}

TEST_F(DispTest, ShowInDispFalseFillsTheImagePlaceButDrawsLayers) {
  const HGLOBAL green = Solid(10, 10, RGB(0, 255, 0));
  disp->SetImgHandle(Solid(100, 100, kRed));
  disp->SetShowInDisp(false);
  TVZqRasterLayer& layer = disp->RasterLayer(3);
  layer = TVZqRasterLayer{true, 20, 30, 10, 10, green};
  ASSERT_TRUE(disp->Display(vzqScale));
  const QImage shown = Shown(*disp);
  EXPECT_EQ(Pixel(shown, 55, 55), kBack) << "the image's place is Color";
  EXPECT_EQ(Pixel(shown, 50 + 25, 50 + 35), RGB(0, 255, 0)) << "the layer is drawn over it";
  layer.Visible = false;
}

TEST_F(DispTest, AreaBelowTwoPixelsDrawsNothingAndReportsFalse) {
  disp->SetImgHandle(Solid(10, 10, kRed));
  for (const auto& [w, h] : {std::pair{1, 50}, std::pair{50, 1}}) {
    disp->resize(w, h);
    ends = 0;
    EXPECT_FALSE(disp->Display(vzqScale)) << w << "x" << h;
    EXPECT_EQ(ends, 0);
  }
}

TEST_F(DispTest, PrinterDeviceGetsThePictureButNoEndEvent) {
  disp->SetImgHandle(Solid(100, 50, kRed));
  ASSERT_TRUE(disp->Display(vzqScale));
  HBITMAP page = platform::CreateSurfaceBitmap(200, 200);
  HDC printer = platform::CreateSurfaceDC(page, DT_RASPRINTER);
  ends = 0;
  EXPECT_TRUE(disp->DrawTo(printer, RECT{0, 0, 200, 200}));
  EXPECT_EQ(ends, 0);
  const QImage printed = platform::BitmapImage(page).copy();
  EXPECT_EQ(Pixel(printed, 100, 100), kRed);
  EXPECT_EQ(Pixel(printed, 10, 10), kBack);
  DeleteDC(printer);
  DeleteObject(page);
  EXPECT_FALSE(disp->DrawTo(nullptr, RECT{0, 0, 200, 200}));
  EXPECT_EQ(disp->ErrorStatus, kZqDispNoTarget);
}

TEST_F(DispTest, RefusedModesAndOperations) {
  EXPECT_FALSE(disp->Display(vzqScale)) << "no image: the background only";
  EXPECT_EQ(disp->CurrentMode(), vzqClear);
  EXPECT_EQ(Pixel(Shown(*disp), 100, 100), kBack);

  disp->SetImgHandle(Solid(300, 200, kRed));
  ASSERT_TRUE(disp->Display(vzqScale));
  for (TVZqDispMode refused : {vzqFitToWidth, vzqFitToHeight}) {
    EXPECT_FALSE(disp->Display(refused));
    EXPECT_EQ(disp->ErrorStatus, kZqDispRefusedMode);
    EXPECT_EQ(disp->CurrentMode(), vzqScale);
  }
  EXPECT_FALSE(disp->ScrollImage(vzqRight));
  EXPECT_EQ(disp->ErrorStatus, 5);
  EXPECT_FALSE(disp->Zoom(0, 0, 300, 10)) << "past the image";
  EXPECT_EQ(disp->ErrorStatus, 5);
  EXPECT_FALSE(disp->Zoom(20, 0, 10, 10)) << "empty";
  EXPECT_FALSE(disp->Modify());
  EXPECT_EQ(disp->ErrorStatus, 5);
}

TEST_F(DispTest, ClearLeavesOnlyTheBackground) {
  disp->SetImgHandle(Solid(300, 200, kRed));
  ASSERT_TRUE(disp->Display(vzqScale));
  EXPECT_TRUE(disp->Display(vzqClear));
  UpdateWindow(disp.get());
  const QImage shown = Shown(*disp);
  for (const auto& [x, y] : {std::pair{100, 100}, std::pair{0, 0}, std::pair{199, 199}})
    EXPECT_EQ(Pixel(shown, x, y), kBack) << x << "," << y;
}

TEST_F(DispTest, UnusableHandlesLeaveTheControlEmpty) {
  const HGLOBAL freed = ZqCreateImage(10, 10, 24, 0, 0, 0, 0, 0, 0, 0);
  ZqFreeMemory(freed);
  disp->SetImgHandle(freed);
  EXPECT_EQ(disp->ImgHandle(), 0u);
  disp->SetImgHandle(0x7654321);
  EXPECT_EQ(disp->ImgHandle(), 0u);

  // A vector image: the engine's header, no raster.
  const HGLOBAL vector = GlobalAlloc(GMEM_MOVEABLE, sizeof(ZqVectorHeader));
  {
    platform::GlobalLockGuard lock(vector);
    ZqVectorHeader header{};
    std::memcpy(header.magic, kZqVectorMagic, sizeof header.magic);
    header.kind = ZQ_KIND_SVG;
    header.width = header.height = 10;
    std::memcpy(lock.get(), &header, sizeof header);
  }
  disp->SetImgHandle(vector);
  EXPECT_EQ(disp->ImgHandle(), 0u);
  EXPECT_FALSE(disp->Display(vzqScale));
  GlobalFree(vector);
}

TEST_F(DispTest, RealSizeScrollingStopsAtBothEnds) {
  disp->resize(100, 100);
  disp->SetImgHandle(Keep(Gradient(300, 200)));
  disp->SetScrollWidth(50);
  disp->SetScrollHeight(40);
  ASSERT_TRUE(disp->Display(vzqActualSize));
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(disp->ScrollImage(vzqDownRight));
  EXPECT_EQ(disp->StartX(), 200);
  EXPECT_EQ(disp->StartY(), 100);
  QImage shown = Shown(*disp);
  EXPECT_EQ(Pixel(shown, 99, 99), RGB(299 % 250, 199, 7)) << "the last column and row at the area's edge";
  EXPECT_EQ(end[4], 299);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(disp->ScrollImage(vzqUpLeft));
  EXPECT_EQ(disp->StartX(), 0);
  EXPECT_EQ(disp->StartY(), 0);
  shown = Shown(*disp);
  EXPECT_EQ(Pixel(shown, 0, 0), RGB(0, 0, 7));
  EXPECT_EQ(Pixel(shown, 30, 20), RGB(30, 20, 7));
}

TEST_F(DispTest, ZoomOfTheWholeImageFitsAndCentres) {
  disp->SetImgHandle(Keep(Gradient(400, 100)));
  ASSERT_TRUE(disp->Display(vzqActualSize));
  EXPECT_TRUE(disp->Zoom(0, 0, 399, 99));
  EXPECT_EQ(disp->ErrorStatus, 0);
  EXPECT_DOUBLE_EQ(disp->DispScale(), 0.5);
  EXPECT_EQ(disp->CurrentMode(), vzqActualSize);
  EXPECT_EQ(end[0], 0);
  EXPECT_EQ(end[1], 75);
  EXPECT_EQ(end[4], 399);
  const QImage shown = Shown(*disp);
  // Screen (100, 100) shows image pixel (200, 50) or its neighbour, as the halving samples.
  const COLORREF middle = Pixel(shown, 100, 100);
  EXPECT_NEAR(GetRValue(middle), 200, 1);
  EXPECT_NEAR(GetGValue(middle), 50, 1);
  EXPECT_EQ(Pixel(shown, 100, 74), kBack);

  // A part is centred at its middle column and row.
  EXPECT_TRUE(disp->Zoom(100, 20, 149, 69));
  EXPECT_DOUBLE_EQ(disp->DispScale(), 4.0);
  EXPECT_EQ(disp->StartX(), 125 - 25);
  EXPECT_EQ(disp->StartY(), 45 - 25);
}

TEST_F(DispTest, ScrollBarsOnlyWhereTheImageOverflows) {
  disp->SetScrollBar(true);
  disp->SetImgHandle(Keep(Gradient(300, 80)));
  ASSERT_TRUE(disp->Display(vzqActualSize));
  QScrollBar* h = disp->HorzScrollBar();
  EXPECT_FALSE(h->isHidden());
  EXPECT_TRUE(disp->VertScrollBar()->isHidden());
  const int page = disp->Geometry().VisibleCols;
  EXPECT_EQ(page, 200);
  EXPECT_EQ(disp->Geometry().HBar.max, 299) << "range in image pixels";
  EXPECT_EQ(h->maximum(), 300 - page);
  EXPECT_EQ(h->pageStep(), page);

  std::vector<std::pair<int, TVZqMouseWheel>> scrolls;
  disp->OnScrollDispImage = [&](QObject*, int code, short, TVZqMouseWheel dir) { scrolls.emplace_back(code, dir); };
  h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(disp->StartX(), 10);
  EXPECT_EQ(h->value(), 10);
  h->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(disp->StartX(), 100);
  EXPECT_EQ(h->value(), 100);
  h->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(disp->StartX(), 0);
  ASSERT_EQ(scrolls.size(), 3u);
  EXPECT_EQ(scrolls[0], std::make_pair(SB_LINEDOWN, vzqHorizontal));
  EXPECT_EQ(scrolls[1].first, SB_BOTTOM);
  EXPECT_EQ(scrolls[2].first, SB_PAGEUP);

  // Fitting hides the bars again.
  ASSERT_TRUE(disp->Display(vzqScale));
  EXPECT_TRUE(h->isHidden());
}

TEST_F(DispTest, OneWheelNotchGivesThreeLineScrolls) {
  disp->SetImgHandle(Keep(Gradient(100, 1000)));
  disp->SetStartY(500);
  ASSERT_TRUE(disp->Display(vzqActualSize));
  int lineUps = 0;
  int ups = 0;
  int downs = 0;
  disp->OnScrollDispImage = [&](QObject*, int code, short, TVZqMouseWheel) { lineUps += code == SB_LINEUP; };
  disp->OnMouseWheelUpImage = [&](QObject*, Qt::KeyboardModifiers, TVZqMouseWheel) { ++ups; };
  disp->OnMouseWheelDownImage = [&](QObject*, Qt::KeyboardModifiers, TVZqMouseWheel) { ++downs; };
  Wheel(120);
  EXPECT_EQ(lineUps, 3);
  EXPECT_EQ(disp->StartY(), 470);
  EXPECT_EQ(ups, 1);
  Wheel(20);  // less than a line: no scroll, a "down" event
  EXPECT_EQ(disp->StartY(), 470);
  EXPECT_EQ(downs, 1);
  Wheel(-140);
  EXPECT_EQ(disp->StartY(), 500);
  EXPECT_EQ(downs, 2);
}

TEST_F(DispTest, MouseEventsCarryTheImagePixelAndDragScrolls) {
  disp->SetImgHandle(Keep(Gradient(1000, 1000)));
  disp->SetDispScale(2.0);
  disp->SetStartX(100);
  disp->SetStartY(40);
  ASSERT_TRUE(disp->Display(vzqActualSize));
  std::vector<std::pair<LONG, LONG>> downs;
  disp->OnMouseDownImage = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, LONG, LONG, LONG, LONG, LONG, LONG,
                               double, double, LONG x, LONG y) { downs.emplace_back(x, y); };
  Mouse(QEvent::MouseButtonPress, 7, 11, Qt::RightButton, Qt::RightButton);
  Mouse(QEvent::MouseButtonRelease, 7, 11, Qt::RightButton, Qt::NoButton);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0], std::make_pair(LONG{103}, LONG{45}));

  disp->SetScrollDrag(true);
  Mouse(QEvent::MouseButtonPress, 100, 100, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(disp->cursor().shape(), Qt::SizeAllCursor);
  Mouse(QEvent::MouseMove, 60, 80, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(disp->StartX(), 120);
  EXPECT_EQ(disp->StartY(), 50);
  Mouse(QEvent::MouseButtonRelease, 60, 80, Qt::LeftButton, Qt::NoButton);
  EXPECT_NE(disp->cursor().shape(), Qt::SizeAllCursor);
  Mouse(QEvent::MouseMove, 0, 0, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(disp->StartX(), 120) << "no drag after the release";
}

// A 500 x 500 Group 4 page of the public corpus, reduced into 100 x 100.
TEST_F(DispTest, OneBitPageReducedShowsGreyOnlyWhenRefined) {
  const std::string page = testsupport::SourcePath("../shared/corpus/files/pillow/hopper_g4_500.tif");
  if (!std::filesystem::exists(page)) GTEST_SKIP() << "public corpus not found: " << page;
  ASSERT_NE(ZqFileLoad, nullptr);
  const HGLOBAL image = ZqFileLoad(page.c_str(), 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(image, 0u) << page;
  Keep(image);
  disp->resize(100, 100);
  for (bool refine : {true, false}) {
    disp->SetRefine1BitImage(refine);
    disp->SetImgHandle(image);
    ASSERT_TRUE(disp->Display(vzqScale));
    const QImage shown = Shown(*disp);
    int greys = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) {
        const COLORREF c = Pixel(shown, x, y);
        if (c != RGB(0, 0, 0) && c != RGB(255, 255, 255)) ++greys;
      }
    testsupport::SavePng(shown, refine ? "disp_g4_refined" : "disp_g4_plain");
    if (refine) {
      EXPECT_GT(greys, 2000) << "grey levels, not a speckle";
      EXPECT_NE(disp->ReducedGrayImage(), 0u);
    } else {
      EXPECT_EQ(greys, 0) << "only black and white";
      EXPECT_EQ(disp->GrayImage(), 0u);
    }
  }
}

TEST_F(DispTest, RepaintsReuseTheReducedCopyUntilTheAreaChanges) {
  const HGLOBAL page = Keep(ZqCreateImage(800, 600, 1, 255, 255, 255, 0, 0, 0, 0));
  disp->SetImgHandle(page);
  ASSERT_TRUE(disp->Display(vzqScale));
  const HGLOBAL reduced = disp->ReducedGrayImage();
  ASSERT_NE(reduced, 0u);
  ASSERT_TRUE(disp->Refresh());
  ASSERT_TRUE(disp->Refresh());
  EXPECT_EQ(disp->ReducedGrayImage(), reduced);
  disp->resize(150, 150);
  ASSERT_TRUE(disp->Refresh());
  EXPECT_NE(disp->ReducedGrayImage(), 0u);
  LONG w = 0;
  {
    platform::GlobalLockGuard lock(disp->ReducedGrayImage());
    w = static_cast<const BITMAPINFOHEADER*>(lock.get())->biWidth;
  }
  EXPECT_EQ(w, 150) << "remade for the new area";
  // Colour images get no grey copy.
  disp->SetImgHandle(Solid(800, 600, kRed));
  ASSERT_TRUE(disp->Display(vzqScale));
  EXPECT_EQ(disp->GrayImage(), 0u);
}

TEST_F(DispTest, MarkedRectangleBlinksOnTimerTicks) {
  disp->SetImgHandle(Solid(200, 200, RGB(128, 128, 128)));
  ASSERT_TRUE(disp->Display(vzqScale));
  ASSERT_TRUE(disp->BeginMarkRect());
  Mouse(QEvent::MouseButtonPress, 20, 30, Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 20, 30, Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 120, 90, Qt::NoButton, Qt::LeftButton);
  EXPECT_NE(Pixel(Shown(*disp), 20, 60), RGB(128, 128, 128)) << "the rubber band shows";
  Mouse(QEvent::MouseButtonRelease, 120, 90, Qt::LeftButton, Qt::NoButton);
  const auto* mark = static_cast<const TCRect*>(disp->MarkObject());
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(mark->Rect().left, 20);
  EXPECT_EQ(mark->Rect().bottom, 90);
  EXPECT_TRUE(mark->IsRunningTimer());
  EXPECT_EQ(Pixel(Shown(*disp), 20, 60), RGB(128, 128, 128)) << "the band is removed on release";
  disp->Tick(kZqBlinkTimerId);
  const QImage blink = Shown(*disp);
  std::set<COLORREF> edge;
  for (int y = 30; y <= 90; ++y) edge.insert(Pixel(blink, 20, y));
  EXPECT_EQ(edge, (std::set<COLORREF>{RGB(255, 255, 255), RGB(0, 0, 0)})) << "dashes in the two colours";
  testsupport::SavePng(blink, "disp_blink");
  disp->ClearMark();
  EXPECT_EQ(Pixel(Shown(*disp), 20, 60), RGB(128, 128, 128));
}

TEST_F(DispTest, GrabShowsTheSurfaceWithoutRedrawing) {
  disp->SetImgHandle(Solid(100, 50, kRed));
  ASSERT_TRUE(disp->Display(vzqScale));
  // Something drawn straight on the surface, as the rubber bands are.
  HDC dc = GetDC(disp.get());
  SetPixelV(dc, 5, 5, RGB(1, 2, 3));
  ReleaseDC(disp.get(), dc);
  ends = 0;
  const QImage shown = Shown(*disp);
  EXPECT_EQ(ends, 0) << "grab() draws nothing anew";
  EXPECT_TRUE(testsupport::SameImage(shown, platform::BitmapImage(disp->Surface()).convertToFormat(QImage::Format_RGB32),
                                     "disp_grab"));
  EXPECT_EQ(Pixel(shown, 5, 5), RGB(1, 2, 3));
}

}  // namespace
