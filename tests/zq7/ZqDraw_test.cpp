#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "tests/support/PixelCheck.h"
#include "tests/zq7/ZqTestImages.h"
#include "zq7/Zq7Com/ZqBitmap.h"
#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqDraw.h"
#include "zq7/Zq7Com/ZqGeometry.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"

using testsupport::SamePicture;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0),
                   kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);
const std::map<char, COLORREF> kLegend{{'.', kWhite}, {'#', kBlack}, {'r', kRed}, {'b', kBlue}, {'g', kGreen}};

// A memory context on a 32-bit bitmap filled with one colour.
class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill = kWhite)
      : dc_(CreateCompatibleDC(nullptr)), bitmap_(platform::CreateSurfaceBitmap(w, h)) {
    previous_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, w, h};
    platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    FillRect(dc_, &all, brush);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

// A 4 x 4 24-bit image: white with a red top-left pixel and a blue bottom-right one.
HGLOBAL Marked() {
  const HGLOBAL h = zqtest::White(4, 4, 24);
  zqtest::Put(h, 0, 0, 0xFF0000);  // bytes B, G, R
  zqtest::Put(h, 3, 3, 0x0000FF);
  return h;
}

}  // namespace

TEST(ZqDraw, FiguresDrawWithTheirOwnPenAndLeaveTheContextAsItWas) {
  Canvas c(6, 5);
  const HGDIOBJ pen = GetCurrentObject(c.dc(), OBJ_PEN), brush = GetCurrentObject(c.dc(), OBJ_BRUSH);
  const std::size_t objects = platform::GdiObjectCount();
  ASSERT_TRUE(_Box(c.dc(), 1, 1, 5, 4, 1, kRed));
  EXPECT_TRUE(SamePicture(c.bitmap(),
                          {"......",
                           ".rrrr.",
                           ".r..r.",
                           ".rrrr.",
                           "......"},
                          kLegend, "zqdraw_box"));
  ASSERT_TRUE(_BoxFull(c.dc(), 2, 2, 4, 3, kBlue));
  ASSERT_TRUE(_Line(c.dc(), 0, 4, 1, 5, 1, kBlack));  // one pixel, the end point left out
  EXPECT_TRUE(SamePicture(c.bitmap(),
                          {"......",
                           ".rrrr.",
                           ".rbbr.",
                           ".rrrr.",
                           "#....."},
                          kLegend, "zqdraw_fill_line"));
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_BRUSH), brush);
  EXPECT_EQ(platform::GdiObjectCount(), objects) << "every pen and brush made was deleted";
}

TEST(ZqDraw, NotXorFiguresUndoThemselves) {
  Canvas c(12, 10);
  _BoxFull(c.dc(), 0, 0, 6, 10, kBlue);
  const QImage before = platform::BitmapImage(c.bitmap()).copy();
  SetROP2(c.dc(), R2_NOTXORPEN);
  const POINT quad[4] = {{1, 1}, {9, 2}, {8, 8}, {2, 7}};
  const std::vector<std::function<BOOL()>> figures = {
      [&] { return _Box(c.dc(), 1, 1, 10, 9, 1, kBlack); },
      [&] { return _Ellipse(c.dc(), 1, 1, 10, 9, 1, kBlack); },
      [&] { return _RoundRect(c.dc(), 0, 0, 10, 8, 1, 4, kBlack); },
      [&] { return _Polygon(c.dc(), quad, 4, 1, kBlack); },
      [&] { return _Line(c.dc(), 0, 9, 11, 0, 1, kBlack); },
  };
  for (std::size_t i = 0; i < figures.size(); ++i) {
    ASSERT_TRUE(figures[i]()) << i;
    EXPECT_NE(platform::BitmapImage(c.bitmap()), before) << "figure " << i << " drew something";
    ASSERT_TRUE(figures[i]()) << i;
    EXPECT_TRUE(testsupport::SameImage(platform::BitmapImage(c.bitmap()), before, "zqdraw_notxor_" + std::to_string(i)));
  }
}

TEST(ZqDraw, HatchedBoxPaintsBothColoursInsideOnly) {
  Canvas c(12, 12);
  ASSERT_TRUE(_BoxFullHatch(c.dc(), 2, 2, 10, 10, kBlue, kRed, HS_DIAGCROSS));
  const QImage img = platform::BitmapImage(c.bitmap());
  int red = 0, blue = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const COLORREF p = platform::ColorFromPixel(img.pixel(x, y));
      const bool inside = x >= 2 && x < 10 && y >= 2 && y < 10;
      if (!inside) {
        EXPECT_EQ(p, kWhite) << x << "," << y;
      }
      red += p == kRed, blue += p == kBlue;
    }
  EXPECT_GT(red, 0);
  EXPECT_GT(blue, 0);
  EXPECT_EQ(red + blue, 64);
  EXPECT_EQ(GetBkColor(c.dc()), kWhite) << "the background colour is restored";
  EXPECT_FALSE(_BoxFullHatch(c.dc(), 0, 0, 4, 4, kBlue, kRed, 9));
}

TEST(ZqDraw, StretchDIBitsCountsSourceRowsFromTheTop) {
  const HGLOBAL image = Marked();
  platform::GlobalLockGuard g(image);
  const auto* info = g.as<BITMAPINFO>();
  Canvas c(4, 4, kGreen);
  // The top-left quarter at 1:1.
  EXPECT_EQ(_StretchDIBits(c.dc(), 0, 0, 2, 2, 0, 0, 2, 2, nullptr, info, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_TRUE(SamePicture(c.bitmap(), {"r.gg", "..gg", "gggg", "gggg"}, kLegend, "zqdraw_dib_quarter"));
  // A source reaching beyond the picture is cut, and the destination with it.
  Canvas d(4, 4, kGreen);
  _StretchDIBits(d.dc(), 0, 0, 4, 4, 2, 2, 4, 4, nullptr, info, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_TRUE(SamePicture(d.bitmap(), {"..gg", ".bgg", "gggg", "gggg"}, kLegend, "zqdraw_dib_cut"));
  EXPECT_EQ(_StretchDIBits(d.dc(), 0, 0, 4, 4, 9, 9, 2, 2, nullptr, info, DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK) << "nothing to draw is no error";
  // The same through the image handle, stretched to twice the size.
  Canvas e(8, 8);
  ASSERT_TRUE(ZQStretchBlt(e.dc(), 0, 0, 8, 8, image, 0, 0, 4, 4, SRCCOPY));
  const QImage big = platform::BitmapImage(e.bitmap());
  EXPECT_EQ(platform::ColorFromPixel(big.pixel(1, 1)), kRed);
  EXPECT_EQ(platform::ColorFromPixel(big.pixel(7, 6)), kBlue);
  GlobalUnlock(image);
  ZQFreeMemory(image);
}

TEST(ZqDraw, ImagesAndBitmapsConvertBothWays) {
  const HGLOBAL image = Marked();
  const HBITMAP bitmap = ZQBitmapFromDib(image);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_TRUE(SamePicture(bitmap, {"r...", "....", "....", "...b"}, kLegend, "zqdraw_from_dib"));
  const HGLOBAL back = ZQDibFromBitmap(bitmap, nullptr);
  ASSERT_NE(back, 0u);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(GetRGBPixel(back, x, y), GetRGBPixel(image, x, y)) << x << "," << y;
  EXPECT_TRUE(ZQDeleteBitmapObject(bitmap));
  EXPECT_FALSE(ZQDeleteBitmapObject(bitmap)) << "deleted already";
  EXPECT_EQ(ZQDibFromBitmap(bitmap, nullptr), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  ZQFreeMemory(back);
  ZQFreeMemory(image);
}

TEST(ZqDraw, PaletteOfAColourTable) {
  const HGLOBAL four = zqtest::White(3, 3, 4);
  {
    platform::GlobalLockGuard g(four);
    const HPALETTE palette = CreateBIPalette(g.as<BITMAPINFOHEADER>());
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[16];
    EXPECT_EQ(GetPaletteEntries(palette, 0, 16, entries), 16u);
    EXPECT_EQ(entries[9].peRed, 255);
    EXPECT_EQ(entries[9].peGreen, 0);
    EXPECT_TRUE(ZQDeleteBitmapObject(palette));
  }
  ZQFreeMemory(four);
  const HGLOBAL rgb = zqtest::White(3, 3, 24);
  {
    platform::GlobalLockGuard g(rgb);
    EXPECT_EQ(CreateBIPalette(g.as<BITMAPINFOHEADER>()), nullptr);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  }
  ZQFreeMemory(rgb);
}

// A bitmap of red pixels with blue ones at the given points.
HBITMAP RedWithBlue(int w, int h, const std::vector<POINT>& blue) {
  const HGLOBAL image = ZQCreateImage(w, h, 24, 255, 0, 0, 0, 0, 0, 0);
  for (const POINT& p : blue) zqtest::Put(image, p.x, p.y, 0x0000FF);
  const HBITMAP bitmap = ZQBitmapFromDib(image);
  ZQFreeMemory(image);
  return bitmap;
}

TEST(ZqDraw, TransparentMaskKeepsTheBackground) {
  platform::ScopedGdiObject<HBITMAP> sprite(RedWithBlue(3, 2, {{1, 0}}));
  platform::ScopedGdiObject<HBITMAP> bitmap(CreateDuplicateBitMap(sprite));
  ASSERT_TRUE(bitmap);
  EXPECT_TRUE(SamePicture(bitmap, {"rbr", "rrr"}, kLegend, "zqdraw_duplicate"));
  platform::ScopedGdiObject<HBITMAP> mask(CreateTransparentMaskBitmapByBitmap(bitmap));
  ASSERT_TRUE(mask);
  EXPECT_TRUE(SamePicture(mask, {".#.", "..."}, kLegend, "zqdraw_mask"));
  const HGLOBAL maskImage = ZQDibFromBitmap(mask, nullptr);
  EXPECT_EQ(zqtest::Header(maskImage).biBitCount, 1) << "a monochrome bitmap gives a 1-bit image";
  DWORD black = 0, white = 0;
  ASSERT_TRUE(ZQGetOneBitPalCount(maskImage, &black, &white));
  EXPECT_EQ(black, 1u);
  EXPECT_EQ(white, 5u);
  EXPECT_EQ(GetRGBPixel(maskImage, 1, 0), kBlack);
  ZQFreeMemory(maskImage);
  Canvas target(6, 4, kGreen);
  ASSERT_TRUE(TransparentMaskStretchBlt(target.dc(), 0, 0, 6, 4, bitmap, mask, 0, 0, 3, 2));
  EXPECT_TRUE(SamePicture(target.bitmap(), {"ggbbgg", "ggbbgg", "gggggg", "gggggg"}, kLegend, "zqdraw_masked"));
}

TEST(ZqDraw, TurnedBitmapAndFont) {
  platform::ScopedGdiObject<HBITMAP> wide(RedWithBlue(2, 1, {{1, 0}}));
  platform::ScopedGdiObject<HBITMAP> turned(BitMapRotation(wide, 90));
  ASSERT_TRUE(turned);
  EXPECT_TRUE(SamePicture(turned, {"b", "r"}, kLegend, "zqdraw_turned"));
  platform::ScopedGdiObject<HBITMAP> back(BitMapRotation(wide, -270));
  EXPECT_TRUE(SamePicture(back, {"b", "r"}, kLegend, "zqdraw_turned_back"));
  EXPECT_EQ(BitMapRotation(wide, 45), nullptr);

  platform::ScopedGdiObject<HFONT> font(CreateFontFromPixel(nullptr, "Roman", 11, -1));
  ASSERT_TRUE(font);
  const LOGFONT* lf = platform::FontLogFont(font);
  ASSERT_NE(lf, nullptr);
  EXPECT_EQ(lf->lfHeight, -11);
  EXPECT_EQ(lf->lfEscapement, 900);
  EXPECT_STREQ(lf->lfFaceName, "Roman");
  EXPECT_EQ(CreateFontFromPixel(nullptr, "Roman", 0, 0), nullptr);
}

TEST(ZqDraw, EntriesRefuseContextsAndObjectsThatAreNotThere) {
  const auto bogusDc = reinterpret_cast<HDC>(0x1234);
  const auto bogusBitmap = reinterpret_cast<HBITMAP>(0x5678);
  const POINT pts[4] = {{0, 0}, {1, 1}, {2, 0}, {3, 1}};
  LONG x, y;
  const std::vector<std::pair<const char*, std::function<BOOL(HDC)>>> calls = {
      {"_Box", [](HDC dc) { return _Box(dc, 0, 0, 2, 2, 1, 0); }},
      {"_BoxFull", [](HDC dc) { return _BoxFull(dc, 0, 0, 2, 2, 0); }},
      {"_BoxFullHatch", [](HDC dc) { return _BoxFullHatch(dc, 0, 0, 2, 2, 0, 0, HS_CROSS); }},
      {"_Line", [](HDC dc) { return _Line(dc, 0, 0, 2, 2, 1, 0); }},
      {"_Ellipse", [](HDC dc) { return _Ellipse(dc, 0, 0, 2, 2, 1, 0); }},
      {"_CircleFull", [](HDC dc) { return _CircleFull(dc, 2, 2, 2, 0); }},
      {"_RoundRect", [](HDC dc) { return _RoundRect(dc, 0, 0, 2, 2, 1, 1, 0); }},
      {"_PolygonFull", [&](HDC dc) { return _PolygonFull(dc, pts, 4, 0); }},
      {"_Bezier", [&](HDC dc) { return _Bezier(dc, pts, 4, 1, 0); }},
      {"_SetPixel", [](HDC dc) { return _SetPixel(dc, 0, 0, 0); }},
      {"_StretchDIBits", [](HDC dc) { return static_cast<BOOL>(_StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, nullptr, nullptr, 0, SRCCOPY)); }},
      {"ZQGetDpiFromHdc", [&](HDC dc) { return ZQGetDpiFromHdc(dc, &x, &y); }},
      {"PaintBitmap", [&](HDC dc) { return PaintBitmap(dc, 0, 0, bogusBitmap, SRCCOPY); }},
  };
  for (const HDC dc : {HDC{nullptr}, bogusDc}) {
    for (const auto& [name, call] : calls) {
      ZqSetErrorStatus(ZQ_OK);
      EXPECT_FALSE(call(dc)) << name;
      EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER) << name;
    }
  }
  EXPECT_EQ(ZQBitmapFromDib(0), nullptr);
  EXPECT_EQ(CreateDuplicateBitMap(bogusBitmap), nullptr);
  EXPECT_EQ(CreateTransparentMaskBitmap(bogusBitmap, 0), nullptr);
  EXPECT_FALSE(ZQDeleteBitmapObject(reinterpret_cast<HGDIOBJ>(bogusDc)));
  Canvas c(4, 4);
  EXPECT_FALSE(_Bezier(c.dc(), pts, 3, 1, 0)) << "a Bézier needs 1 + 3n points";
  EXPECT_FALSE(_Polygon(c.dc(), nullptr, 4, 1, 0));
  ASSERT_TRUE(ZQGetDpiFromHdc(c.dc(), &x, &y));
  EXPECT_GT(x, 0);
}

TEST(ZqGeometry, AnglesAndTurns) {
  const std::vector<std::tuple<LONG, LONG, double>> directions = {
      {1, 0, 0}, {0, -1, 90}, {-1, 0, 180}, {0, 1, 270}, {1, -1, 45}, {0, 0, 0}};
  for (const auto& [dx, dy, angle] : directions) EXPECT_NEAR(GetAngleFrom2Points(5, 5, 5 + dx, 5 + dy), angle, 1e-9);
  POINT p[2] = {{11, 5}, {5, 5}};
  ASSERT_TRUE(RotateCoordinatesEx(p, 2, 5, 5, 90));
  EXPECT_EQ(p[0].x, 5);
  EXPECT_EQ(p[0].y, -1) << "a quarter turn counter-clockwise points up on the screen";
  EXPECT_EQ(p[1].x, 5);
  EXPECT_FALSE(RotateCoordinatesEx(p, 0, 0, 0, 90));
  POINT e[4];
  ASSERT_TRUE(GenEllipsePoints(0, 0, 10, 6, e, 4));
  const POINT expected[4] = {{10, 3}, {5, 0}, {0, 3}, {5, 6}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(e[i].x, expected[i].x) << i;
    EXPECT_EQ(e[i].y, expected[i].y) << i;
  }
  const HGLOBAL block = SetPointsToMemory(e, 4);
  ASSERT_NE(block, 0u);
  EXPECT_EQ(GlobalSize(block), sizeof e);
  GlobalFree(block);
  EXPECT_EQ(SetPointsToMemory(e, 0), 0u);
}
