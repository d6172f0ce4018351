#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <stdexcept>
#include <vector>

#include "platform/gdi.h"
#include "platform/syscolors.h"
#include "tests/support/PixelCheck.h"

using testsupport::SameImage;
using testsupport::SamePicture;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0),
                   kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

// A memory context on a white 32-bit bitmap of the given size.
class Canvas {
 public:
  Canvas(int w, int h) : dc_(CreateCompatibleDC(nullptr)), bm_(platform::CreateSurfaceBitmap(w, h)) {
    previous_ = SelectObject(dc_, bm_);
    const RECT all{0, 0, w, h};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bm_);
  }
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bm_; }
  QImage image() const { return platform::BitmapImage(bm_).copy(); }
  // Fills every pixel with reproducible noise.
  void Noise(unsigned seed = 7) {
    std::mt19937 rng(seed);
    const QImage img = platform::BitmapImage(bm_);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) SetPixel(dc_, x, y, rng() & 0xFFFFFF);
  }

 private:
  HDC dc_;
  HBITMAP bm_;
  HGDIOBJ previous_;
};

const std::map<char, COLORREF> kLegend{{'.', kWhite}, {'#', kBlack}, {'r', kRed}, {'b', kBlue}, {'g', kGreen}};

}  // namespace

TEST(GdiPrimitives, RectangleFillsInsideAndFramesInPenColour) {
  Canvas c(7, 6);
  platform::ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kRed));
  platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(kBlue));
  platform::ScopedSelect sp(c.dc(), pen);
  platform::ScopedSelect sb(c.dc(), brush);
  ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 5, 4));
  EXPECT_TRUE(SamePicture(c.bitmap(),
                          {".......",
                           ".rrrr..",
                           ".rbbr..",
                           ".rrrr..",
                           ".......",
                           "......."},
                          kLegend, "rectangle"));
  // Without a pen the interior loses the right and bottom edge, as on Windows.
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  Rectangle(c.dc(), 0, 4, 4, 6);
  EXPECT_EQ(GetPixel(c.dc(), 2, 4), kBlue);
  EXPECT_EQ(GetPixel(c.dc(), 3, 4), kWhite);
  EXPECT_EQ(GetPixel(c.dc(), 0, 5), kWhite);
}

TEST(GdiPrimitives, LineToLeavesOutItsEndPointInEveryDirection) {
  struct Case {
    POINT from, to;
    std::vector<std::string> picture;
  };
  const Case cases[] = {
      {{0, 0}, {4, 0}, {"####.", ".....", "....."}},
      {{4, 2}, {0, 2}, {".....", ".....", ".####"}},
      {{0, 0}, {0, 3}, {"#....", "#....", "#....", "....."}},
      {{0, 0}, {3, 3}, {"#....", ".#...", "..#..", "....."}},
  };
  for (const Case& k : cases) {
    Canvas c(5, static_cast<int>(k.picture.size()));
    MoveToEx(c.dc(), k.from.x, k.from.y, nullptr);
    ASSERT_TRUE(LineTo(c.dc(), k.to.x, k.to.y));
    POINT pos;
    GetCurrentPositionEx(c.dc(), &pos);
    EXPECT_EQ(pos.x, k.to.x);
    EXPECT_EQ(pos.y, k.to.y);
    EXPECT_TRUE(SamePicture(c.bitmap(), k.picture, kLegend, "lineto"));
  }
}

TEST(GdiPrimitives, DashedPenDashesAndGapsFollowTheBackgroundMode) {
  Canvas c(40, 2);
  platform::ScopedGdiObject<HPEN> pen(CreatePen(PS_DASH, 1, kRed));
  platform::ScopedSelect sp(c.dc(), pen);
  SetBkColor(c.dc(), kBlue);
  SetBkMode(c.dc(), OPAQUE);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 40, 0);
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), 0, 1, nullptr);
  LineTo(c.dc(), 40, 1);
  std::string row0, row1;
  for (int x = 0; x < 40; ++x) {
    row0 += GetPixel(c.dc(), x, 0) == kRed ? 'r' : GetPixel(c.dc(), x, 0) == kBlue ? 'b' : '.';
    row1 += GetPixel(c.dc(), x, 1) == kRed ? 'r' : '.';
  }
  EXPECT_EQ(row0, std::string(18, 'r') + std::string(6, 'b') + std::string(16, 'r'));
  EXPECT_EQ(row1, std::string(18, 'r') + std::string(6, '.') + std::string(16, 'r'));
}

TEST(GdiPrimitives, WidePenCoversItsWidth) {
  Canvas c(20, 9);
  platform::ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 3, kBlack));
  platform::ScopedSelect sp(c.dc(), pen);
  MoveToEx(c.dc(), 5, 4, nullptr);
  LineTo(c.dc(), 15, 4);
  for (int y = 3; y <= 5; ++y) EXPECT_EQ(GetPixel(c.dc(), 10, y), kBlack) << y;
  EXPECT_EQ(GetPixel(c.dc(), 10, 2), kWhite);
  EXPECT_EQ(GetPixel(c.dc(), 10, 6), kWhite);
}

TEST(GdiPrimitives, EveryMixModeCombinesPenAndDestinationBitwise) {
  const COLORREF pen = RGB(0x0F, 0x33, 0xA5), dst = RGB(0xF0, 0x55, 0x3C);
  const std::function<DWORD(DWORD, DWORD)> expected[16] = {
      [](DWORD, DWORD) { return 0u; },          [](DWORD p, DWORD d) { return ~(p | d); },
      [](DWORD p, DWORD d) { return ~p & d; },  [](DWORD p, DWORD) { return ~p; },
      [](DWORD p, DWORD d) { return p & ~d; },  [](DWORD, DWORD d) { return ~d; },
      [](DWORD p, DWORD d) { return p ^ d; },   [](DWORD p, DWORD d) { return ~(p & d); },
      [](DWORD p, DWORD d) { return p & d; },   [](DWORD p, DWORD d) { return ~(p ^ d); },
      [](DWORD, DWORD d) { return d; },         [](DWORD p, DWORD d) { return ~p | d; },
      [](DWORD p, DWORD) { return p; },         [](DWORD p, DWORD d) { return p | ~d; },
      [](DWORD p, DWORD d) { return p | d; },   [](DWORD, DWORD) { return 0xFFFFFFu; },
  };
  Canvas c(2, 1);
  platform::ScopedGdiObject<HPEN> hp(CreatePen(PS_SOLID, 1, pen));
  platform::ScopedSelect sp(c.dc(), hp);
  for (int mode = R2_BLACK; mode <= R2_WHITE; ++mode) {
    SetROP2(c.dc(), R2_COPYPEN);
    SetPixel(c.dc(), 0, 0, dst);
    EXPECT_EQ(SetROP2(c.dc(), mode), R2_COPYPEN);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 1, 0);
    EXPECT_EQ(GetPixel(c.dc(), 0, 0), expected[mode - 1](pen, dst) & 0xFFFFFF) << "mode " << mode;
  }
  EXPECT_EQ(SetROP2(c.dc(), 0), 0);  // refused
  EXPECT_EQ(GetROP2(c.dc()), R2_WHITE);
}

TEST(GdiPrimitives, NotXorPenDrawnTwiceRestoresEveryPixel) {
  const POINT poly[] = {{3, 3}, {30, 6}, {12, 25}, {28, 28}};
  const POINT bezier[] = {{2, 30}, {10, 2}, {20, 40}, {30, 4}};
  const std::pair<const char*, std::function<void(HDC)>> figures[] = {
      {"line", [](HDC dc) { MoveToEx(dc, 1, 2, nullptr), LineTo(dc, 29, 17); }},
      {"rectangle", [](HDC dc) { Rectangle(dc, 4, 5, 27, 20); }},
      {"ellipse", [](HDC dc) { Ellipse(dc, 2, 3, 30, 25); }},
      {"roundrect", [](HDC dc) { RoundRect(dc, 2, 3, 30, 25, 5, 4); }},
      {"polygon", [&](HDC dc) { Polygon(dc, poly, 4); }},
      {"bezier", [&](HDC dc) { PolyBezier(dc, bezier, 4); }},
  };
  for (const auto& [name, draw] : figures) {
    Canvas c(32, 32);
    c.Noise();
    const QImage before = c.image();
    platform::ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kBlack));
    platform::ScopedSelect sp(c.dc(), pen);
    platform::ScopedSelect sb(c.dc(), GetStockObject(HOLLOW_BRUSH));
    SetROP2(c.dc(), R2_NOTXORPEN);
    draw(c.dc());
    EXPECT_NE(c.image(), before) << name << " drew nothing";
    draw(c.dc());
    EXPECT_TRUE(SameImage(c.image(), before, std::string("notxor-") + name));
  }
}

TEST(GdiPrimitives, EllipseStaysInsideItsBoxAndTouchesEverySide) {
  Canvas c(12, 10);
  platform::ScopedSelect sb(c.dc(), GetStockObject(BLACK_BRUSH));
  Ellipse(c.dc(), 2, 1, 9, 8);
  int minX = 99, maxX = -1, minY = 99, maxY = -1;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x)
      if (GetPixel(c.dc(), x, y) != kWhite) {
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  EXPECT_EQ(minX, 2);
  EXPECT_EQ(maxX, 8);
  EXPECT_EQ(minY, 1);
  EXPECT_EQ(maxY, 7);
  EXPECT_EQ(GetPixel(c.dc(), 5, 4), kBlack);  // filled
}

TEST(GdiPrimitives, ClipRegionCutsEveryPrimitive) {
  const POINT tri[] = {{0, 0}, {31, 0}, {0, 31}};
  const std::pair<const char*, std::function<void(HDC)>> figures[] = {
      {"line", [](HDC dc) { MoveToEx(dc, 0, 16, nullptr), LineTo(dc, 32, 16); }},
      {"rectangle", [](HDC dc) { Rectangle(dc, 0, 0, 32, 32); }},
      {"ellipse", [](HDC dc) { Ellipse(dc, 0, 0, 32, 32); }},
      {"polygon", [&](HDC dc) { Polygon(dc, tri, 3); }},
      {"fillrect", [](HDC dc) { RECT r{0, 0, 32, 32}; FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }},
      {"setpixel", [](HDC dc) { SetPixel(dc, 2, 2, kBlack), SetPixel(dc, 12, 12, kBlack); }},
      {"patblt", [](HDC dc) { PatBlt(dc, 0, 0, 32, 32, DSTINVERT); }},
      {"drawedge", [](HDC dc) { RECT r{0, 0, 32, 32}; DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE); }},
  };
  for (const auto& [name, draw] : figures) {
    Canvas c(32, 32);
    platform::ScopedSelect sb(c.dc(), GetStockObject(BLACK_BRUSH));
    platform::ScopedGdiObject<HRGN> clip(CreateEllipticRgn(8, 8, 24, 24));
    EXPECT_EQ(SelectClipRgn(c.dc(), clip), COMPLEXREGION);
    draw(c.dc());
    SelectClipRgn(c.dc(), nullptr);
    bool inside = false;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (GetPixel(c.dc(), x, y) != kWhite) {
          ASSERT_TRUE(PtInRegion(clip, x, y)) << name << " drew outside the clip at " << x << "," << y;
          inside = true;
        }
    EXPECT_TRUE(inside) << name << " drew nothing inside the clip";
  }
}

TEST(GdiPrimitives, DiagonalCrossHatchRepeatsEveryEightPixels) {
  Canvas c(32, 32);
  platform::ScopedGdiObject<HBRUSH> hatch(CreateHatchBrush(HS_DIAGCROSS, kRed));
  SetBkColor(c.dc(), kBlue);
  const RECT all{0, 0, 32, 32};
  FillRect(c.dc(), &all, hatch);
  int red = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const COLORREF p = GetPixel(c.dc(), x, y);
      ASSERT_TRUE(p == kRed || p == kBlue);
      ASSERT_EQ(p, GetPixel(c.dc(), x + 8, y)) << x << "," << y;
      ASSERT_EQ(p, GetPixel(c.dc(), x, y + 8)) << x << "," << y;
      red += p == kRed;
    }
  EXPECT_EQ(red, 9 * 16);  // two diagonals of one pixel per row in each of the nine cells
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), kRed);
  EXPECT_EQ(GetPixel(c.dc(), 7, 0), kRed);
  EXPECT_EQ(GetPixel(c.dc(), 3, 3), kRed);
  EXPECT_EQ(GetPixel(c.dc(), 1, 0), kBlue);
  // A rectangle in transparent mode leaves the hatch's background alone.
  Canvas t(16, 16);
  platform::ScopedSelect sb(t.dc(), hatch);
  platform::ScopedSelect sp(t.dc(), GetStockObject(NULL_PEN));
  SetBkMode(t.dc(), TRANSPARENT);
  Rectangle(t.dc(), 0, 0, 17, 17);
  EXPECT_EQ(GetPixel(t.dc(), 0, 0), kRed);
  EXPECT_EQ(GetPixel(t.dc(), 1, 0), kWhite);
}

TEST(GdiPrimitives, DrawEdgeUsesTheSchemeColoursOnTheRightSides) {
  struct Case {
    UINT edge;
    int topLeft, bottomRight;
  };
  const Case cases[] = {{BDR_SUNKENOUTER, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
                        {BDR_RAISEDINNER, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
                        {BDR_RAISEDOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW},
                        {BDR_SUNKENINNER, COLOR_3DDKSHADOW, COLOR_3DLIGHT}};
  for (const Case& k : cases) {
    Canvas c(10, 8);
    RECT r{1, 1, 9, 7};
    ASSERT_TRUE(DrawEdge(c.dc(), &r, k.edge, BF_RECT | BF_ADJUST));
    EXPECT_EQ(GetPixel(c.dc(), 4, 1), GetSysColor(k.topLeft)) << k.edge << " top";
    EXPECT_EQ(GetPixel(c.dc(), 1, 4), GetSysColor(k.topLeft)) << k.edge << " left";
    EXPECT_EQ(GetPixel(c.dc(), 4, 6), GetSysColor(k.bottomRight)) << k.edge << " bottom";
    EXPECT_EQ(GetPixel(c.dc(), 8, 4), GetSysColor(k.bottomRight)) << k.edge << " right";
    EXPECT_EQ(GetPixel(c.dc(), 8, 1), GetSysColor(k.bottomRight)) << k.edge << " top-right corner";
    EXPECT_EQ(GetPixel(c.dc(), 4, 4), kWhite);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.bottom, 6);
  }
  // Both borders: the inner line sits one pixel in.
  Canvas c(10, 8);
  RECT r{0, 0, 10, 8};
  DrawEdge(c.dc(), &r, EDGE_SUNKEN, BF_RECT);
  EXPECT_EQ(GetPixel(c.dc(), 4, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(GetPixel(c.dc(), 4, 1), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(GetPixel(c.dc(), 4, 6), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(GetPixel(c.dc(), 4, 7), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST(GdiPrimitives, LineDdaVisitsEveryPointButTheLast) {
  std::vector<POINT> seen;
  LineDDA(0, 0, 3, 1, [](int x, int y, LPARAM data) { reinterpret_cast<std::vector<POINT>*>(data)->push_back({x, y}); },
          reinterpret_cast<LPARAM>(&seen));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen.front().x, 0);
  EXPECT_EQ(seen.back().x, 2);
  EXPECT_FALSE(LineDDA(0, 0, 1, 1, nullptr, 0));
}

TEST(GdiObjects, SelectReturnsPreviousAndDeletionWaitsForDeselection) {
  const std::size_t before = platform::GdiObjectCount();
  {
    Canvas c(4, 4);
    HPEN red = CreatePen(PS_SOLID, 1, kRed);
    EXPECT_EQ(SelectObject(c.dc(), red), GetStockObject(BLACK_PEN));
    EXPECT_TRUE(DeleteObject(red));  // still selected: freed when deselected
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 2, 0);
    EXPECT_EQ(GetPixel(c.dc(), 0, 0), kRed);
    EXPECT_EQ(SelectObject(c.dc(), GetStockObject(BLACK_PEN)), red);
    EXPECT_FALSE(DeleteObject(red)) << "already freed";
    EXPECT_EQ(SelectObject(c.dc(), red), nullptr);
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // stock: kept
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH);

    const int level = SaveDC(c.dc());
    HBRUSH blue = CreateSolidBrush(kBlue);
    SelectObject(c.dc(), blue);
    SetROP2(c.dc(), R2_XORPEN);
    SetTextColor(c.dc(), kGreen);
    ASSERT_TRUE(RestoreDC(c.dc(), level));
    EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetROP2(c.dc()), R2_COPYPEN);
    EXPECT_EQ(GetTextColor(c.dc()), kBlack);
    EXPECT_FALSE(RestoreDC(c.dc(), -1)) << "nothing left to restore";
    EXPECT_TRUE(DeleteObject(blue));

    BITMAP info;
    ASSERT_EQ(GetObject(c.bitmap(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(GetObject(c.bitmap(), 4, &info), 0) << "buffer too small";
  }
  EXPECT_EQ(platform::GdiObjectCount(), before) << "leaked objects";
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_FALSE(LineTo(nullptr, 1, 1));
  EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
}

TEST(GdiObjects, BitmapsSelectIntoOneContextAtATime) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(a, 4, 4);
  BITMAP info;
  GetObject(bm, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 1) << "a fresh memory context is monochrome";
  HGDIOBJ old = SelectObject(a, bm);
  EXPECT_NE(old, nullptr);
  EXPECT_EQ(SelectObject(b, bm), nullptr);
  SelectObject(a, old);
  EXPECT_NE(SelectObject(b, bm), nullptr);
  DeleteDC(a);
  DeleteDC(b);
  EXPECT_TRUE(DeleteObject(bm));
}

TEST(GdiObjects, DeviceCapsTellDisplaysFromOtherDevices) {
  platform::ScopedGdiObject<HBITMAP> page(platform::CreateSurfaceBitmap(50, 40));
  HDC printer = platform::CreateSurfaceDC(page, DT_RASPRINTER);
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(GetDeviceCaps(printer, TECHNOLOGY), DT_RASPRINTER);
  EXPECT_EQ(GetDeviceCaps(printer, LOGPIXELSX), 600);
  EXPECT_EQ(GetDeviceCaps(printer, HORZRES), 50);
  EXPECT_EQ(SelectObject(printer, GetStockObject(BLACK_PEN)), GetStockObject(BLACK_PEN));
  platform::ScopedDC mem(CreateCompatibleDC(printer));
  EXPECT_EQ(GetDeviceCaps(mem, TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(GetDeviceCaps(mem, LOGPIXELSY), 96);
  EXPECT_TRUE(GetDeviceCaps(mem, RASTERCAPS) & RC_STRETCHDIB);
  EXPECT_FALSE(GetDeviceCaps(mem, RASTERCAPS) & RC_PALETTE);
  platform::ScopedGdiObject<HBITMAP> other(platform::CreateSurfaceBitmap(2, 2));
  EXPECT_EQ(SelectObject(printer, other), nullptr) << "a device's surface stays";
  DeleteDC(printer);
}

TEST(GdiObjects, PalettesAreKeptWithoutEffect) {
  Canvas c(2, 2);
  LOGPALETTE lp;
  lp.palNumEntries = 1;
  lp.palPalEntry[0] = {10, 20, 30, 0};
  platform::ScopedGdiObject<HPALETTE> pal(CreatePalette(&lp));
  ASSERT_TRUE(pal);
  HPALETTE old = SelectPalette(c.dc(), pal, FALSE);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(c.dc()), 0u);
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), kWhite);
  PALETTEENTRY e;
  EXPECT_EQ(GetPaletteEntries(pal, 0, 1, &e), 1u);
  EXPECT_EQ(e.peGreen, 20);
  EXPECT_EQ(SelectPalette(c.dc(), old, FALSE), pal.get());
}

TEST(GdiBlits, SourceInvertTwiceRestoresAndCopyCopies) {
  Canvas dst(16, 16), src(16, 16);
  dst.Noise(1);
  src.Noise(2);
  const QImage before = dst.image();
  ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 16, 16, src.dc(), 0, 0, SRCINVERT));
  EXPECT_NE(dst.image(), before);
  BitBlt(dst.dc(), 0, 0, 16, 16, src.dc(), 0, 0, SRCINVERT);
  EXPECT_TRUE(SameImage(dst.image(), before, "srcinvert-twice"));
  BitBlt(dst.dc(), 4, 4, 8, 8, src.dc(), 2, 3, SRCCOPY);
  EXPECT_EQ(GetPixel(dst.dc(), 4, 4), GetPixel(src.dc(), 2, 3));
  EXPECT_EQ(GetPixel(dst.dc(), 11, 11), GetPixel(src.dc(), 9, 10));
  EXPECT_EQ(GetPixel(dst.dc(), 3, 4), platform::ColorFromPixel(before.pixel(3, 4)));
  // An overlapping copy inside one bitmap reads the pixels as they were.
  const QImage shifted = dst.image();
  BitBlt(dst.dc(), 1, 0, 15, 16, dst.dc(), 0, 0, SRCCOPY);
  for (int x = 0; x < 15; ++x) ASSERT_EQ(GetPixel(dst.dc(), x + 1, 5), platform::ColorFromPixel(shifted.pixel(x, 5))) << x;
}

TEST(GdiBlits, RasterOperationsOnOnePixel) {
  struct Case {
    DWORD rop;
    std::function<DWORD(DWORD, DWORD, DWORD)> f;  // pattern, source, destination
  };
  const Case cases[] = {
      {SRCCOPY, [](DWORD, DWORD s, DWORD) { return s; }},
      {SRCPAINT, [](DWORD, DWORD s, DWORD d) { return s | d; }},
      {SRCAND, [](DWORD, DWORD s, DWORD d) { return s & d; }},
      {SRCINVERT, [](DWORD, DWORD s, DWORD d) { return s ^ d; }},
      {NOTSRCCOPY, [](DWORD, DWORD s, DWORD) { return ~s; }},
      {DSTINVERT, [](DWORD, DWORD, DWORD d) { return ~d; }},
      {PATCOPY, [](DWORD p, DWORD, DWORD) { return p; }},
      {PATINVERT, [](DWORD p, DWORD, DWORD d) { return p ^ d; }},
      {BLACKNESS, [](DWORD, DWORD, DWORD) { return 0u; }},
      {WHITENESS, [](DWORD, DWORD, DWORD) { return 0xFFFFFFu; }},
      {MERGECOPY, [](DWORD p, DWORD s, DWORD) { return p & s; }},
      {SRCERASE, [](DWORD, DWORD s, DWORD d) { return s & ~d; }},
      {DSPDxax, [](DWORD p, DWORD s, DWORD d) { return (s & p) | (~s & d); }},
  };
  const COLORREF P = RGB(0x12, 0xF0, 0x5A), S = RGB(0x3C, 0x0F, 0xAA), D = RGB(0x99, 0x66, 0x0F);
  Canvas dst(1, 1), src(1, 1);
  SetPixel(src.dc(), 0, 0, S);
  platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(P));
  platform::ScopedSelect sb(dst.dc(), brush);
  for (const Case& k : cases) {
    SetPixel(dst.dc(), 0, 0, D);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, k.rop));
    EXPECT_EQ(GetPixel(dst.dc(), 0, 0), k.f(P, S, D) & 0xFFFFFF) << std::hex << k.rop;
  }
}

TEST(GdiBlits, MaskOperationKeepsDestinationUnderBlackAndPaintsBrushUnderWhite) {
  Canvas dst(8, 1), mask(8, 1);
  dst.Noise(3);
  const QImage before = dst.image();
  for (int x = 0; x < 8; x += 2) SetPixel(mask.dc(), x, 0, kBlack);
  platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(kGreen));
  platform::ScopedSelect sb(dst.dc(), brush);
  BitBlt(dst.dc(), 0, 0, 8, 1, mask.dc(), 0, 0, 0xE20746);
  for (int x = 0; x < 8; ++x) {
    if (x % 2 == 0) {
      EXPECT_EQ(GetPixel(dst.dc(), x, 0), platform::ColorFromPixel(before.pixel(x, 0))) << x;
    } else {
      EXPECT_EQ(GetPixel(dst.dc(), x, 0), kGreen) << x;
    }
  }
}

TEST(GdiBlits, MonochromeBitmapsMapThroughTextAndBackgroundColours) {
  Canvas colour(4, 1);
  SetPixel(colour.dc(), 1, 0, kRed);
  SetPixel(colour.dc(), 2, 0, kBlue);
  platform::ScopedDC monoDc(CreateCompatibleDC(nullptr));
  platform::ScopedGdiObject<HBITMAP> mono(CreateBitmap(4, 1, 1, 1, nullptr));
  platform::ScopedSelect sm(monoDc, mono);
  // Colour to monochrome: the source's background colour turns white, the rest black.
  SetBkColor(colour.dc(), kRed);
  BitBlt(monoDc, 0, 0, 4, 1, colour.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(monoDc, 0, 0), kBlack);
  EXPECT_EQ(GetPixel(monoDc, 1, 0), kWhite);
  EXPECT_EQ(GetPixel(monoDc, 2, 0), kBlack);
  // Monochrome to colour: black takes the text colour, white the background colour.
  Canvas out(4, 1);
  SetTextColor(out.dc(), kGreen);
  SetBkColor(out.dc(), kBlue);
  BitBlt(out.dc(), 0, 0, 4, 1, monoDc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(out.dc(), 0, 0), kGreen);
  EXPECT_EQ(GetPixel(out.dc(), 1, 0), kBlue);
}

// ---------------------------------------------------------------------------------------
// StretchDIBits

namespace {

// A packed DIB of the given depth holding a picture of palette indices; the palette
// holds colours whose channels are 0 or 255, so every depth represents them exactly.
struct Dib {
  std::vector<std::uint8_t> bytes;
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(bytes.data()); }
  const void* bits() const { return bytes.data() + platform::DibBitsOffset(info()->bmiHeader); }
};

const COLORREF kPalette[8] = {kBlack, kRed, kGreen, kBlue, kWhite, RGB(255, 255, 0), RGB(0, 255, 255),
                              RGB(255, 0, 255)};

Dib MakeDib(const std::vector<std::vector<int>>& rows, int bits, bool topDown, bool fields565 = false) {
  const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
  BITMAPINFOHEADER hdr;
  hdr.biWidth = w;
  hdr.biHeight = topDown ? -h : h;
  hdr.biBitCount = static_cast<WORD>(bits);
  hdr.biCompression = fields565 ? BI_BITFIELDS : BI_RGB;
  if (bits <= 8) hdr.biClrUsed = std::min(8u, 1u << bits);
  Dib d;
  d.bytes.assign(platform::PackedDibSize(hdr), 0);
  std::memcpy(d.bytes.data(), &hdr, sizeof hdr);
  std::uint8_t* table = d.bytes.data() + 40;
  if (bits <= 8) {
    for (DWORD i = 0; i < hdr.biClrUsed; ++i) {
      RGBQUAD q{GetBValue(kPalette[i]), GetGValue(kPalette[i]), GetRValue(kPalette[i]), 0};
      std::memcpy(table + 4 * i, &q, 4);
    }
  } else if (fields565) {
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(table, masks, 12);
  }
  const auto stride = platform::DibStride(w, static_cast<unsigned>(bits));
  std::uint8_t* px = d.bytes.data() + platform::DibBitsOffset(hdr);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = px + (topDown ? y : h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      const int i = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      const COLORREF c = kPalette[i];
      const unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      switch (bits) {
        case 1: row[x / 8] |= static_cast<std::uint8_t>(i << (7 - x % 8)); break;
        case 4: row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? i : i << 4); break;
        case 8: row[x] = static_cast<std::uint8_t>(i); break;
        case 16: {
          const unsigned v = fields565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                       : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
          row[2 * x] = static_cast<std::uint8_t>(v), row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
          break;
        }
        case 24: row[3 * x] = static_cast<std::uint8_t>(b), row[3 * x + 1] = static_cast<std::uint8_t>(g),
                 row[3 * x + 2] = static_cast<std::uint8_t>(r); break;
        default: row[4 * x] = static_cast<std::uint8_t>(b), row[4 * x + 1] = static_cast<std::uint8_t>(g),
                 row[4 * x + 2] = static_cast<std::uint8_t>(r); break;
      }
    }
  }
  return d;
}

}  // namespace

TEST(GdiStretchDIBits, EveryDepthLandsRightSideUpWithItsColours) {
  struct Case {
    const char* name;
    int bits;
    bool topDown;
    bool fields;
    std::vector<std::vector<int>> picture;
  };
  const std::vector<std::vector<int>> two = {{0, 1, 1, 0, 1, 0, 0, 1, 1}, {1, 1, 0, 0, 0, 1, 1, 1, 0}, {0, 0, 0, 1, 1, 1, 0, 1, 0}};
  const std::vector<std::vector<int>> eight = {{0, 1, 2, 3, 4}, {5, 6, 7, 0, 1}, {2, 3, 4, 5, 6}};
  const Case cases[] = {
      {"1-bit", 1, false, false, two},    {"4-bit", 4, false, false, eight},   {"8-bit", 8, false, false, eight},
      {"16-bit", 16, false, false, eight}, {"16-bit-565", 16, false, true, eight}, {"24-bit-odd", 24, false, false, eight},
      {"32-bit", 32, false, false, eight}, {"24-bit-topdown", 24, true, false, eight}, {"8-bit-topdown", 8, true, false, eight},
  };
  for (const Case& k : cases) {
    const int h = static_cast<int>(k.picture.size()), w = static_cast<int>(k.picture[0].size());
    const Dib dib = MakeDib(k.picture, k.bits, k.topDown, k.fields);
    Canvas c(w, h);
    SetStretchBltMode(c.dc(), COLORONCOLOR);
    ASSERT_EQ(StretchDIBits(c.dc(), 0, 0, w, h, 0, 0, w, h, dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY), h)
        << k.name;
    QImage expected(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        expected.setPixel(x, y, platform::PixelFromColor(kPalette[k.picture[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]]));
    EXPECT_TRUE(SameImage(c.image(), expected, std::string("dib-") + k.name));
  }
}

TEST(GdiStretchDIBits, SourceRectangleCountsFromTheBottomOfBottomUpDibs) {
  const std::vector<std::vector<int>> pic = {{0, 1, 2, 3}, {4, 5, 6, 7}, {1, 2, 3, 4}, {5, 6, 7, 0}};
  for (const bool topDown : {false, true}) {
    const Dib dib = MakeDib(pic, 8, topDown);
    Canvas c(2, 2);
    StretchDIBits(c.dc(), 0, 0, 2, 2, 1, 0, 2, 2, dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
    const int firstRow = topDown ? 0 : 2;  // bottom-up: y 0 is the bottom row
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        EXPECT_EQ(GetPixel(c.dc(), x, y), kPalette[pic[static_cast<std::size_t>(firstRow + y)][static_cast<std::size_t>(1 + x)]])
            << (topDown ? "top-down " : "bottom-up ") << x << "," << y;
  }
}

TEST(GdiStretchDIBits, HalftoneAveragesWhileColorOnColorPicks) {
  const Dib dib = MakeDib({{0, 4, 0, 4}, {0, 4, 0, 4}}, 24, false);
  Canvas c(2, 1);
  SetStretchBltMode(c.dc(), COLORONCOLOR);
  StretchDIBits(c.dc(), 0, 0, 2, 1, 0, 0, 4, 2, dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), kWhite);
  EXPECT_EQ(GetPixel(c.dc(), 1, 0), kWhite);
  EXPECT_EQ(SetStretchBltMode(c.dc(), HALFTONE), COLORONCOLOR);
  StretchDIBits(c.dc(), 0, 0, 2, 1, 0, 0, 4, 2, dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), RGB(128, 128, 128));
  EXPECT_EQ(GetPixel(c.dc(), 1, 0), RGB(128, 128, 128));
  // Enlarging repeats pixels in every mode.
  Canvas big(8, 4);
  SetStretchBltMode(big.dc(), HALFTONE);
  StretchDIBits(big.dc(), 0, 0, 8, 4, 0, 0, 4, 2, dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(GetPixel(big.dc(), 0, 0), kBlack);
  EXPECT_EQ(GetPixel(big.dc(), 1, 3), kBlack);
  EXPECT_EQ(GetPixel(big.dc(), 2, 0), kWhite);
}

TEST(GdiStretchDIBits, StretchBltMirrorsAndScales) {
  Canvas src(2, 1), dst(4, 2);
  SetPixel(src.dc(), 0, 0, kRed);
  SetPixel(src.dc(), 1, 0, kBlue);
  SetStretchBltMode(dst.dc(), COLORONCOLOR);
  StretchBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_TRUE(SamePicture(dst.bitmap(), {"rrbb", "...."}, kLegend, "stretchblt"));
  StretchBlt(dst.dc(), 3, 1, -4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_TRUE(SamePicture(dst.bitmap(), {"rrbb", "bbrr"}, kLegend, "stretchblt-mirror"));
}

TEST(GdiStretchDIBits, DamagedHeadersAreRefused) {
  Dib dib = MakeDib({{1, 2}, {3, 4}}, 24, false);
  Canvas c(2, 2);
  auto draw = [&](const Dib& d, const void* bits) {
    return StretchDIBits(c.dc(), 0, 0, 2, 2, 0, 0, 2, 2, bits, d.info(), DIB_RGB_COLORS, SRCCOPY);
  };
  EXPECT_EQ(draw(dib, nullptr), 0);
  const std::function<void(BITMAPINFOHEADER&)> breakers[] = {
      [](BITMAPINFOHEADER& h) { h.biBitCount = 7; },        [](BITMAPINFOHEADER& h) { h.biWidth = 0; },
      [](BITMAPINFOHEADER& h) { h.biHeight = 0; },          [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; },
      [](BITMAPINFOHEADER& h) { h.biSize = 12; },           [](BITMAPINFOHEADER& h) { h.biWidth = -2; },
      [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF, h.biHeight = 0x7FFFFFFF; },
  };
  for (const auto& breaker : breakers) {
    Dib bad = dib;
    breaker(*reinterpret_cast<BITMAPINFOHEADER*>(bad.bytes.data()));
    EXPECT_EQ(draw(bad, bad.bits()), 0);
  }
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), kWhite);
  // A source rectangle beyond the image draws only the part that exists.
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 2, 2, 1, 0, 2, 2, dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY), 2);
}

TEST(GdiStretchDIBits, DibSectionsExposeTheirRowsInDibOrder) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = 3;
  bmi.bmiHeader.biHeight = 2;  // bottom-up
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  platform::ScopedGdiObject<HBITMAP> bm(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(bm);
  ASSERT_NE(bits, nullptr);
  static_cast<std::uint32_t*>(bits)[0] = 0x00FF0000;  // first row in memory = bottom row, red
  platform::ScopedDC dc(CreateCompatibleDC(nullptr));
  platform::ScopedSelect s(dc, bm);
  EXPECT_EQ(GetPixel(dc, 0, 1), kRed);
  SetPixel(dc, 2, 0, kBlue);  // top row = second row in memory
  EXPECT_EQ(static_cast<std::uint32_t*>(bits)[3 + 2] & 0xFFFFFF, 0x0000FFu);
  BITMAP info;
  GetObject(bm, sizeof info, &info);
  EXPECT_EQ(info.bmBits, bits);
  bmi.bmiHeader.biBitCount = 24;
  EXPECT_EQ(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST(GdiRobustness, LinesReachingFarOutsideDrawExactlyTheirVisiblePixels) {
  // LineDDA walks every point; a drawn line skips what lies outside the surface and
  // must still land on the same pixels.
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> far(-3000, 3000);
  for (int n = 0; n < 60; ++n) {
    const POINT a{far(rng), far(rng)}, b{far(rng) / (n % 3 + 1), far(rng) / (n % 2 + 1)};
    Canvas c(64, 48);
    MoveToEx(c.dc(), a.x, a.y, nullptr);
    LineTo(c.dc(), b.x, b.y);
    QImage expected(64, 48, QImage::Format_RGB32);
    expected.fill(Qt::white);
    LineDDA(a.x, a.y, b.x, b.y,
            [](int x, int y, LPARAM data) {
              auto* img = reinterpret_cast<QImage*>(data);
              if (img->rect().contains(x, y)) img->setPixel(x, y, 0xFF000000u);
            },
            reinterpret_cast<LPARAM>(&expected));
    ASSERT_TRUE(SameImage(c.image(), expected, "far-line")) << a.x << "," << a.y << " -> " << b.x << "," << b.y;
  }
}

TEST(GdiRobustness, HugeCoordinatesCostOnlyWhatIsVisible) {
  Canvas c(32, 32);
  const int big = 2000000000;
  platform::ScopedSelect sb(c.dc(), GetStockObject(BLACK_BRUSH));
  MoveToEx(c.dc(), -big, 5, nullptr);
  EXPECT_TRUE(LineTo(c.dc(), big, 5));
  EXPECT_EQ(GetPixel(c.dc(), 20, 5), kBlack);
  Canvas r(32, 32);
  platform::ScopedSelect rb(r.dc(), GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(Rectangle(r.dc(), -big, -big, big, big));
  EXPECT_EQ(GetPixel(r.dc(), 31, 31), kBlack);
  Canvas e(32, 32);
  platform::ScopedSelect eb(e.dc(), GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(Ellipse(e.dc(), -5000, -5000, 5000, 5000));
  EXPECT_EQ(GetPixel(e.dc(), 16, 16), kBlack) << "the visible part of a huge ellipse is drawn";
  Canvas src(2, 2);
  SetPixel(src.dc(), 0, 0, kRed);
  EXPECT_TRUE(StretchBlt(c.dc(), -big, -big, 2 * (big / 2), 2 * (big / 2), src.dc(), 0, 0, 2, 2, SRCCOPY));
  EXPECT_TRUE(PatBlt(c.dc(), -big, -big, big, big, BLACKNESS));
  const Dib dib = MakeDib({{1, 2}, {3, 4}}, 24, false);
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, big, big, 0, 0, 2, 2, dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(GetPixel(c.dc(), 31, 31), kPalette[1]);
  RECT huge{-big, -big, big, big};
  EXPECT_TRUE(DrawFocusRect(c.dc(), &huge));
  EXPECT_TRUE(DrawEdge(c.dc(), &huge, EDGE_RAISED, BF_RECT | BF_MIDDLE));
}

TEST(GdiPrimitives, EveryHatchStyleHasItsShape) {
  struct Case {
    int style;
    int lit;              // hatch pixels in one 8 × 8 cell
    POINT on[2], off[1];  // sample cells
  };
  const Case cases[] = {
      {HS_HORIZONTAL, 8, {{0, 3}, {7, 3}}, {{0, 0}}},   {HS_VERTICAL, 8, {{4, 0}, {4, 7}}, {{0, 0}}},
      {HS_FDIAGONAL, 8, {{0, 0}, {7, 7}}, {{7, 0}}},    {HS_BDIAGONAL, 8, {{7, 0}, {0, 7}}, {{0, 0}}},
      {HS_CROSS, 15, {{4, 0}, {0, 3}}, {{0, 0}}},       {HS_DIAGCROSS, 16, {{0, 0}, {0, 7}}, {{1, 0}}},
  };
  for (const Case& k : cases) {
    Canvas c(8, 8);
    platform::ScopedGdiObject<HBRUSH> hatch(CreateHatchBrush(k.style, kRed));
    const RECT all{0, 0, 8, 8};
    FillRect(c.dc(), &all, hatch);
    int lit = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) lit += GetPixel(c.dc(), x, y) == kRed;
    EXPECT_EQ(lit, k.lit) << k.style;
    for (const POINT& p : k.on) EXPECT_EQ(GetPixel(c.dc(), p.x, p.y), kRed) << k.style;
    EXPECT_EQ(GetPixel(c.dc(), k.off[0].x, k.off[0].y), kWhite) << k.style;
  }
  EXPECT_EQ(CreateHatchBrush(6, kRed), nullptr);
}

TEST(GdiRobustness, RandomDibsAndRectanglesStayInsideTheirBuffers) {
  // Every depth, orientation, size, source and destination rectangle and mode, with
  // the pixels in a buffer of exactly the size the header implies: a read past it is
  // caught by the sanitizers of the checked build.
  std::mt19937 rng(5);
  const int depths[] = {1, 4, 8, 16, 24, 32};
  for (int n = 0; n < 300; ++n) {
    BITMAPINFOHEADER h;
    h.biWidth = 1 + static_cast<int>(rng() % 37);
    const int height = 1 + static_cast<int>(rng() % 29);
    h.biHeight = rng() % 2 ? height : -height;
    h.biBitCount = static_cast<WORD>(depths[rng() % 6]);
    h.biCompression = (h.biBitCount == 16 || h.biBitCount == 32) && rng() % 2 ? BI_BITFIELDS : BI_RGB;
    h.biClrUsed = h.biBitCount <= 8 ? static_cast<DWORD>(rng() % (1u << h.biBitCount)) : 0;
    std::vector<std::uint8_t> info(platform::DibBitsOffset(h));
    std::memcpy(info.data(), &h, sizeof h);
    for (std::size_t i = sizeof h; i < info.size(); ++i) info[i] = static_cast<std::uint8_t>(rng());
    std::vector<std::uint8_t> bits(platform::DibImageBytes(h));
    for (auto& b : bits) b = static_cast<std::uint8_t>(rng());
    Canvas c(24, 20);
    SetStretchBltMode(c.dc(), 1 + static_cast<int>(rng() % 4));
    const auto r = [&](int span) { return static_cast<int>(rng() % (2 * span + 1)) - span; };
    const int lines = StretchDIBits(c.dc(), r(30), r(30), r(60), r(60), r(50), r(50), r(60), r(60), bits.data(),
                                    reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_GE(lines, 0);
  }
}

TEST(GdiGuards, SavedStateComesBackHoweverTheScopeIsLeft) {
  Canvas c(8, 8);
  platform::ScopedGdiObject<HPEN> red(CreatePen(PS_SOLID, 1, kRed));
  platform::ScopedGdiObject<HRGN> corner(CreateRectRgn(0, 0, 2, 2));
  const HGDIOBJ pen = GetCurrentObject(c.dc(), OBJ_PEN), brush = GetCurrentObject(c.dc(), OBJ_BRUSH);
  SetROP2(c.dc(), R2_COPYPEN);
  SelectClipRgn(c.dc(), corner);
  auto changeEverything = [&] {
    const platform::ScopedSaveDC saved(c.dc());
    SelectObject(c.dc(), red);
    SelectObject(c.dc(), GetStockObject(HOLLOW_BRUSH));
    SelectClipRgn(c.dc(), nullptr);
    SetROP2(c.dc(), R2_NOTXORPEN);
    throw std::runtime_error("left early");
  };
  EXPECT_THROW(changeEverything(), std::runtime_error);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_BRUSH), brush);
  EXPECT_EQ(GetROP2(c.dc()), R2_COPYPEN);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 2) << "the clip of before, not none";
  SelectClipRgn(c.dc(), nullptr);
}
