#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <vector>

#include "platform/syscolors.h"
#include "platform/winwidget.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

// Runs the event loop until done() or the time is up.
template <typename F>
void Pump(int ms, F&& done) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms && !done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A control that paints its invalid area red and records what it saw.
class Probe : public platform::WinWidget {
 public:
  std::vector<UINT_PTR> ticks;
  std::vector<RECT> painted;
  std::vector<bool> copies;
  int screenCopies = 0;
  BOOL lastErase = FALSE;
  COLORREF colour = kRed;

 protected:
  void WmPaint() override {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(this, &ps);
    ASSERT_NE(dc, nullptr);
    painted.push_back(ps.rcPaint);
    copies.push_back(IsPaintingCopy());
    lastErase = ps.fErase;
    platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    RECT all;
    GetClientRect(this, &all);
    FillRect(dc, &all, brush);  // clipped to the invalid area
    EndPaint(this, &ps);
  }
  void WmTimer(UINT_PTR id) override { ticks.push_back(id); }
  void paintEvent(QPaintEvent* e) override {
    ++screenCopies;
    WinWidget::paintEvent(e);
  }
};

COLORREF SurfacePixel(platform::WinWidget& w, int x, int y) {
  platform::ScopedDC dc(platform::CreateSurfaceDC(w.Surface(), DT_RASDISPLAY));
  return GetPixel(dc, x, y);
}

}  // namespace

TEST(WinWidget, TimerDeliversTicksWithItsIdentifierUntilKilled) {
  Probe w;
  EXPECT_EQ(SetTimer(&w, 7, 5, nullptr), 7u);
  Pump(2000, [&] { return w.ticks.size() >= 3; });
  ASSERT_GE(w.ticks.size(), 3u);
  for (UINT_PTR id : w.ticks) EXPECT_EQ(id, 7u);
  EXPECT_TRUE(KillTimer(&w, 7));
  w.ticks.clear();
  Pump(100, [] { return false; });
  EXPECT_TRUE(w.ticks.empty());
  EXPECT_FALSE(KillTimer(&w, 7));
  EXPECT_EQ(SetTimer(nullptr, 1, 10, nullptr), 0u);
  EXPECT_EQ(SetTimer(&w, 0, 10, nullptr), 0u);

  // Any window with a callback: the callback hears window, message and identifier.
  static std::vector<std::pair<HWND, UINT_PTR>> heard;
  heard.clear();
  QWidget plain;
  ASSERT_EQ(SetTimer(&plain, 4, 5,
                     [](HWND h, UINT msg, UINT_PTR id, DWORD) {
                       if (msg == WM_TIMER) heard.emplace_back(h, id);
                     }),
            4u);
  Pump(2000, [] { return !heard.empty(); });
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard[0].first, &plain);
  EXPECT_EQ(heard[0].second, 4u);
  KillTimer(&plain, 4);
}

TEST(WinWidget, PaintCoversTheInvalidAreaOnceAndErasesWhenAsked) {
  Probe w;
  w.resize(20, 10);
  UpdateWindow(&w);
  ASSERT_EQ(w.painted.size(), 1u) << "a new size is painted whole";
  EXPECT_EQ(w.painted[0].right, 20);
  w.painted.clear();
  InvalidateRect(&w, nullptr, FALSE);
  ValidateRect(&w, nullptr);
  UpdateWindow(&w);
  EXPECT_TRUE(w.painted.empty()) << "nothing invalid, nothing painted";
  const RECT r{2, 3, 6, 7};
  w.colour = kBlue;
  InvalidateRect(&w, &r, TRUE);
  UpdateWindow(&w);
  ASSERT_EQ(w.painted.size(), 1u);
  EXPECT_TRUE(EqualRect(&w.painted[0], &r));
  EXPECT_FALSE(w.lastErase) << "the class brush erased it";
  EXPECT_EQ(SurfacePixel(w, 2, 3), kBlue);
  EXPECT_EQ(SurfacePixel(w, 5, 6), kBlue);
  EXPECT_EQ(SurfacePixel(w, 6, 6), kRed) << "outside the invalid area";
  EXPECT_TRUE(w.InvalidRegion().isEmpty());
  UpdateWindow(&w);
  EXPECT_EQ(w.painted.size(), 1u);

  w.SetBackgroundBrush(nullptr);
  InvalidateRect(&w, nullptr, TRUE);
  UpdateWindow(&w);
  EXPECT_TRUE(w.lastErase) << "no class brush: the control must erase";
}

TEST(WinWidget, GetDcDrawsOnTheSurfaceAndShowsAtOnce) {
  Probe w;
  w.resize(30, 20);
  w.show();
  Pump(500, [&] { return !w.painted.empty(); });
  Pump(50, [] { return false; });
  const std::size_t paints = w.painted.size();
  const int copies = w.screenCopies;
  HDC dc = GetDC(&w);
  ASSERT_NE(dc, nullptr);
  platform::ScopedGdiObject<HBRUSH> blue(CreateSolidBrush(kBlue));
  const RECT r{1, 1, 4, 4};
  FillRect(dc, &r, blue);
  EXPECT_GT(w.screenCopies, copies) << "pushed to the screen without waiting";
  EXPECT_EQ(ReleaseDC(&w, dc), 1);
  EXPECT_EQ(ReleaseDC(&w, dc), 0);
  EXPECT_EQ(w.painted.size(), paints) << "the control's painting did not run";
  EXPECT_EQ(SurfacePixel(w, 2, 2), kBlue);
}

TEST(WinWidget, PaintingAsACopyGoesToTheTargetOnly) {
  Probe w;
  w.resize(8, 8);
  UpdateWindow(&w);
  platform::ScopedGdiObject<HBITMAP> bm(platform::CreateSurfaceBitmap(8, 8));
  platform::ScopedDC target(CreateCompatibleDC(nullptr));
  platform::ScopedSelect s(target, bm);
  const RECT r{0, 0, 2, 2};
  InvalidateRect(&w, &r, FALSE);
  w.PaintCopy(target);
  ASSERT_FALSE(w.copies.empty());
  EXPECT_TRUE(w.copies.back());
  EXPECT_EQ(GetPixel(target, 7, 7), kRed) << "a copy paints the whole client area";
  w.colour = kBlue;
  w.PaintCopy(target);
  EXPECT_EQ(GetPixel(target, 7, 7), kBlue);
  EXPECT_EQ(SurfacePixel(w, 7, 7), kRed) << "the surface is left alone";
  EXPECT_FALSE(w.InvalidRegion().isEmpty()) << "and leaves the invalid area for the real paint";
  EXPECT_FALSE(w.IsPaintingCopy());
}

TEST(WinWidget, ResizeKeepsTheSurfaceContent) {
  Probe w;
  w.resize(10, 10);
  UpdateWindow(&w);
  HDC dc = GetDC(&w);
  SetPixel(dc, 3, 3, kBlue);
  ReleaseDC(&w, dc);
  w.resize(40, 30);
  BITMAP info;
  ASSERT_TRUE(GetObject(w.Surface(), sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 40);
  EXPECT_EQ(info.bmHeight, 30);
  EXPECT_EQ(SurfacePixel(w, 3, 3), kBlue);
}

TEST(WinWidget, GeometryCaptionCaptureAndScreenContexts) {
  const std::size_t objects = platform::GdiObjectCount();
  {
  Probe w;
  w.setGeometry(100, 50, 60, 40);
  w.show();
  RECT rc;
  ASSERT_TRUE(GetClientRect(&w, &rc));
  EXPECT_EQ(rc.right, 60);
  EXPECT_EQ(rc.bottom, 40);
  POINT p{5, 6};
  ClientToScreen(&w, &p);
  POINT back = p;
  ScreenToClient(&w, &back);
  EXPECT_EQ(back.x, 5);
  EXPECT_EQ(back.y, 6);
  ASSERT_TRUE(GetWindowRect(&w, &rc));
  EXPECT_GE(rc.right - rc.left, 60);

  ASSERT_TRUE(SetWindowTextA(&w, "処理中..."));
  EXPECT_EQ(GetWindowTextLengthA(&w), 12);
  char buf[8];
  EXPECT_EQ(GetWindowTextA(&w, buf, sizeof buf), 6) << "cut before a split character";
  EXPECT_STREQ(buf, "処理");

  SetCapture(&w);
  EXPECT_EQ(GetCapture(), &w);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);

  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(BeginPaint(nullptr, nullptr), nullptr);
  }
  EXPECT_EQ(platform::GdiObjectCount(), objects) << "contexts and surfaces all freed";
}

TEST(WinWidget, TransparentControlShowsWhatLiesBeneathWhereItDidNotPaint) {
  QWidget parent;
  parent.resize(40, 20);
  parent.setAutoFillBackground(true);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, QColor(0, 0, 255));
  parent.setPalette(palette);

  // A control that paints only a bar down its middle, once opaque and once transparent.
  class Bar : public platform::WinWidget {
   protected:
    void WmPaint() override {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(this, &ps);
      platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(kRed));
      const RECT bar{8, 0, 12, 20};
      FillRect(dc, &bar, brush);
      EndPaint(this, &ps);
    }
  };
  Bar bar;
  bar.setParent(&parent);
  bar.setGeometry(0, 0, 20, 20);
  bar.SetBackgroundBrush(nullptr);
  bar.SetTransparent(true);
  EXPECT_TRUE(bar.IsTransparent());
  const QImage shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixel(2, 5) & 0xFFFFFF, 0x0000FFu) << "beneath shows where nothing was painted";
  EXPECT_EQ(shot.pixel(9, 5) & 0xFFFFFF, 0xFF0000u);

  // Painted again after a change, the old pixels are gone: each paint starts clear.
  bar.move(20, 0);
  const QImage moved = parent.grab().toImage();
  EXPECT_EQ(moved.pixel(9, 5) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(moved.pixel(29, 5) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(moved.pixel(22, 5) & 0xFFFFFF, 0x0000FFu);

  bar.SetTransparent(false);
  const QImage opaque = parent.grab().toImage();
  EXPECT_NE(opaque.pixel(22, 5) & 0xFFFFFF, 0x0000FFu) << "an opaque control covers its whole area";
}

TEST(WinWidget, ScopedWindowDcIsReleasedAtTheEndOfItsScope) {
  const std::size_t objects = platform::GdiObjectCount();
  platform::WinWidget w;
  w.resize(10, 10);
  {
    const platform::ScopedWindowDC dc(&w);
    ASSERT_NE(dc.get(), nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 10) << "a context on the window's surface";
    const platform::ScopedWindowDC screen(nullptr);
    ASSERT_NE(screen.get(), nullptr);
  }
  EXPECT_EQ(platform::GdiObjectCount(), objects + 1) << "only the window's surface is left";
}
