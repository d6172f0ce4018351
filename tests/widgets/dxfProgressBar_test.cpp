#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/syscolors.h"
#include "tests/support/PixelCheck.h"
#include "widgets/dxfProgressBar.h"

namespace {

constexpr COLORREF kNavy = 0x800000;

// A bar that counts its paints.
class CountingBar : public TdxfProgressBar {
 public:
  int paints = 0;

 protected:
  void WmPaint() override {
    ++paints;
    TdxfProgressBar::WmPaint();
  }
};

// The progress window's bar: 300 x 16, horizontal, lowered edges, Max 10.
void MakeWindowBar(TdxfProgressBar& bar, TdxfPBStyle style) {
  bar.resize(300, 16);
  bar.SetOrientation(orHorizontal);
  bar.SetStyle(style);
  bar.SetBevelOuter(bvLowered);
  bar.SetBarBevelOuter(bvNone);
  bar.SetMax(10);
}

// Paints the bar into a bitmap of its size and returns the pixels.
QImage Render(TdxfProgressBar& bar, const std::string& name) {
  platform::ScopedGdiObject<HBITMAP> bitmap(platform::CreateSurfaceBitmap(bar.width(), bar.height()));
  HDC dc = platform::CreateSurfaceDC(bitmap, DT_RASDISPLAY);
  bar.PaintCopy(dc);
  DeleteDC(dc);
  QImage image = platform::BitmapImage(bitmap).copy();
  testsupport::SavePng(image, name);
  return image;
}

COLORREF At(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return RGB(qRed(p), qGreen(p), qBlue(p));
}

// The lengths of the runs of colour along row y, from x0 to x1 (exclusive).
std::vector<std::pair<COLORREF, int>> Runs(const QImage& image, int y, int x0, int x1) {
  std::vector<std::pair<COLORREF, int>> runs;
  for (int x = x0; x < x1; ++x) {
    const COLORREF c = At(image, x, y);
    if (runs.empty() || runs.back().first != c) runs.push_back({c, 0});
    ++runs.back().second;
  }
  return runs;
}

}  // namespace

TEST(dxfProgressBar, DefaultsOfANewBar) {
  TdxfProgressBar bar;
  EXPECT_EQ(bar.width(), 150);
  EXPECT_EQ(bar.height(), 16);
  EXPECT_EQ(bar.Max(), 100);
  EXPECT_EQ(bar.Step(), 10);
  EXPECT_EQ(bar.Style(), sRectangles);
  EXPECT_EQ(bar.Orientation(), orVertical);
  EXPECT_EQ(bar.BevelOuter(), bvLowered);
  EXPECT_EQ(bar.BeginColor(), kNavy);
  EXPECT_TRUE(bar.TransparentGlyph());
}

TEST(dxfProgressBar, SolidBarLengthFollowsThePosition) {
  TdxfProgressBar bar;
  MakeWindowBar(bar, sSolid);
  bar.SetPosition(5);
  const QImage image = Render(bar, "bar_solid_5_of_10");
  const auto runs = Runs(image, 8, 2, 298);
  ASSERT_GE(runs.size(), 2u);
  EXPECT_EQ(runs[0].first, kNavy);
  EXPECT_EQ(runs[0].second, 148) << "5 of 10 on an inner width of 296";
  EXPECT_EQ(runs[1].first, GetSysColor(COLOR_BTNFACE));
  // The lowered outer edge: shadow on the top and left, highlight on the bottom and right.
  EXPECT_EQ(At(image, 0, 8), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(At(image, 299, 8), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST(dxfProgressBar, BlocksOfEightWithTwoPixelGaps) {
  TdxfProgressBar bar;
  MakeWindowBar(bar, sRectangles);
  bar.SetPosition(9);
  const QImage nine = Render(bar, "bar_blocks_9_of_10");
  const auto runs = Runs(nine, 8, 2, 40);
  ASSERT_GE(runs.size(), 4u);
  EXPECT_EQ(runs[0], std::make_pair(kNavy, 8));
  EXPECT_EQ(runs[1].second, 2);
  EXPECT_EQ(runs[2], std::make_pair(kNavy, 8));
  // One step below Max the partial block after the last boundary stays empty ...
  EXPECT_EQ(At(nine, 295, 8), GetSysColor(COLOR_BTNFACE));
  // ... and at Max it is filled.
  bar.SetPosition(10);
  const QImage ten = Render(bar, "bar_blocks_10_of_10");
  EXPECT_EQ(At(ten, 295, 8), kNavy);
  EXPECT_EQ(At(ten, 297, 8), kNavy);
}

TEST(dxfProgressBar, GradientBlocksRunFromBeginToEnd) {
  TdxfProgressBar bar;
  MakeWindowBar(bar, sExRectangles);
  bar.SetPosition(10);
  const QImage image = Render(bar, "bar_gradient_blocks");
  const COLORREF first = At(image, 3, 8), last = At(image, 296, 8);
  EXPECT_LT(GetRValue(first), 20) << "near navy at the start";
  EXPECT_GT(GetRValue(last), 230) << "near white at the end";
  EXPECT_GT(GetBValue(last), GetBValue(first));
}

TEST(dxfProgressBar, NothingDrawnAtMinAndAnEmptyRange) {
  TdxfProgressBar bar;
  MakeWindowBar(bar, sSolid);
  const QImage empty = Render(bar, "bar_at_min");
  for (int x = 2; x < 298; ++x) ASSERT_EQ(At(empty, x, 8), GetSysColor(COLOR_BTNFACE)) << x;
  bar.SetMax(0);  // Max = Min: allowed, shows an empty bar and 0 %
  EXPECT_EQ(bar.Max(), 0);
  bar.SetPosition(3);
  const QImage none = Render(bar, "bar_empty_range");
  EXPECT_EQ(At(none, 10, 8), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(bar.Text(), "0 %");
}

TEST(dxfProgressBar, TextRoundsHalvesToEven) {
  TdxfProgressBar bar;
  bar.SetMax(8);
  bar.SetShowText(true);
  bar.SetPosition(1);
  EXPECT_EQ(bar.Text(), "12 %");
  bar.SetPosition(3);
  EXPECT_EQ(bar.Text(), "38 %");
  bar.SetPosition(8);
  EXPECT_EQ(bar.Text(), "100 %");
  bar.SetShowTextStyle(stsPosition);
  EXPECT_EQ(bar.Text(), "8");
}

TEST(dxfProgressBar, PositionChangesRepaintOnlyWhenTheyChange) {
  CountingBar bar;
  MakeWindowBar(bar, sExRectangles);
  bar.show();
  QCoreApplication::processEvents();  // the window is exposed by the event loop
  bar.paints = 0;
  bar.SetPosition(0);
  EXPECT_EQ(bar.paints, 0) << "the same position repaints nothing";
  bar.SetPosition(4);
  EXPECT_EQ(bar.paints, 1) << "a new position repaints at once";
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 14);
  bar.StepBy(-10);
  EXPECT_EQ(bar.Position(), 4);
}

TEST(dxfProgressBar, RangeSettersRefuseCrossing) {
  TdxfProgressBar bar;
  bar.SetMin(50);
  bar.SetMax(40);
  EXPECT_EQ(bar.Max(), 100);
  bar.SetMin(120);
  EXPECT_EQ(bar.Min(), 50);
  bar.SetPosition(500);
  EXPECT_EQ(bar.Position(), 500) << "not clamped";
}

TEST(dxfProgressBar, PicturesRepeatTheGlyph) {
  TdxfProgressBar bar;
  bar.SetOrientation(orHorizontal);
  bar.SetStyle(sPictures);
  QImage glyph(6, 6, QImage::Format_RGB32);
  glyph.fill(QColor(255, 255, 255));  // the bottom-left colour: transparent
  for (int y = 1; y < 5; ++y)
    for (int x = 1; x < 5; ++x) glyph.setPixel(x, y, qRgb(200, 0, 0));
  bar.SetGlyph(glyph);
  EXPECT_EQ(bar.height(), 10) << "the glyph's height + 4";
  bar.resize(100, 10);
  bar.SetPosition(50);
  const QImage image = Render(bar, "bar_pictures");
  EXPECT_EQ(At(image, 2 + 1, 2 + 1), RGB(200, 0, 0));
  EXPECT_EQ(At(image, 2 + 0, 2 + 0), GetSysColor(COLOR_BTNFACE)) << "transparent corner";
  EXPECT_EQ(At(image, 2 + 6 + 2, 2 + 2), RGB(200, 0, 0)) << "second glyph";
}

namespace {

// The bar's gradient rule, written out: each channel runs from begin to end over the
// inner length, truncated.
COLORREF Blend(COLORREF begin, COLORREF end, int pos, int total) {
  auto channel = [&](int shift) {
    const int b = (begin >> shift) & 0xFF, e = (end >> shift) & 0xFF;
    return static_cast<COLORREF>(static_cast<int>(static_cast<double>(e - b) * pos / total + b)) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

TEST(dxfProgressBar, PartlyFilledGradientColumnByColumn) {
  TdxfProgressBar bar;
  MakeWindowBar(bar, sExSolid);
  bar.SetEndColor(kWhite);
  bar.SetPosition(3);
  const QImage image = Render(bar, "bar_exsolid_3_of_10");
  // 3 of 10 on the inner width of 296 fills 88 columns; each column takes its share of
  // the whole inner width, not of the filled part.
  for (int x = 2; x < 2 + 88; ++x)
    for (int y : {2, 8, 13}) ASSERT_EQ(At(image, x, y), Blend(kNavy, kWhite, x - 2, 296)) << x << "," << y;
  for (int x = 2 + 88; x < 298; ++x) ASSERT_EQ(At(image, x, 8), GetSysColor(COLOR_BTNFACE)) << x;
}

TEST(dxfProgressBar, VerticalBarsFillFromTheBottom) {
  struct Case {
    TdxfPBStyle style;
    const char* name;
  };
  for (const Case c : {Case{sSolid, "bar_vertical_solid"}, Case{sExSolid, "bar_vertical_exsolid"}}) {
    SCOPED_TRACE(c.name);
    TdxfProgressBar bar;
    bar.resize(16, 300);
    bar.SetStyle(c.style);
    bar.SetEndColor(kWhite);
    bar.SetMax(10);
    bar.SetPosition(5);
    const QImage image = Render(bar, c.name);
    // Inner height 296 from row 2 to 297: the lower 148 rows are filled.
    for (int y = 2; y < 298 - 148; ++y) ASSERT_EQ(At(image, 8, y), GetSysColor(COLOR_BTNFACE)) << y;
    for (int y = 298 - 148; y < 298; ++y) {
      const COLORREF want = c.style == sSolid ? kNavy : Blend(kNavy, kWhite, 298 - y, 296);
      ASSERT_EQ(At(image, 8, y), want) << y;
      ASSERT_EQ(At(image, 2, y), want) << y;
      ASSERT_EQ(At(image, 13, y), want) << y;
    }
  }
}

// A shown bar stepped through positions must look, after each step's own repaint, as a
// full paint of the same state does: the repainted strip covers everything that
// changed, for every style, both orientations, and the text.
TEST(dxfProgressBar, RepaintedStripsLeaveWhatAFullPaintDraws) {
  struct Case {
    TdxfPBStyle style;
    TdxfPBOrientation orientation;
    bool text;
    TdxfShowTextStyle textStyle;
  };
  const Case cases[] = {
      {sSolid, orHorizontal, false, stsPercent},   {sRectangles, orHorizontal, false, stsPercent},
      {sExSolid, orHorizontal, false, stsPercent}, {sExRectangles, orHorizontal, false, stsPercent},
      {sSolid, orVertical, false, stsPercent},     {sExRectangles, orVertical, false, stsPercent},
      {sSolid, orHorizontal, true, stsPercent},    {sSolid, orHorizontal, true, stsPosition},
      {sExSolid, orVertical, true, stsPosition},
  };
  // Positions outside the range too: their texts are wider than the range's widest.
  const LONG steps[] = {3, 7, 10, 4, 100000, 5, -20000, 0, 9};
  int index = 0;
  for (const Case& c : cases) {
    const std::string name = "bar_strips_" + std::to_string(index++);
    SCOPED_TRACE(name);
    TdxfProgressBar bar;
    if (c.orientation == orHorizontal) bar.resize(300, 24);
    else bar.resize(24, 300);
    bar.SetOrientation(c.orientation);
    bar.SetStyle(c.style);
    bar.SetEndColor(kWhite);
    bar.SetBarBevelOuter(bvRaised);
    bar.SetMax(10);
    bar.SetShowText(c.text);
    bar.SetShowTextStyle(c.textStyle);
    bar.show();
    QCoreApplication::processEvents();
    for (const LONG position : steps) {
      SCOPED_TRACE(position);
      bar.SetPosition(position);
      UpdateWindow(&bar);  // what is left (the text) is painted with the next paint
      const QImage shown = platform::BitmapImage(bar.Surface()).copy();
      const QImage full = Render(bar, name + "_full");
      ASSERT_TRUE(testsupport::SameImage(shown, full, name + "_at_" + std::to_string(position)));
    }
  }
}

TEST(dxfProgressBar, TextIsCentredAndTurnsWithAVerticalBar) {
  struct Case {
    TdxfPBOrientation orientation;
    int width, height;
    const char* name;
  };
  for (const Case c : {Case{orHorizontal, 300, 24, "bar_text_horizontal"}, Case{orVertical, 24, 300, "bar_text_vertical"}}) {
    SCOPED_TRACE(c.name);
    TdxfProgressBar bar;
    bar.resize(c.width, c.height);
    bar.SetOrientation(c.orientation);
    bar.SetStyle(sSolid);
    bar.SetBeginColor(kWhite);  // the text in black stands out on a white bar
    bar.SetColor(kWhite);
    bar.SetMax(10);
    bar.SetShowText(true);
    bar.SetPosition(5);
    const QImage image = Render(bar, c.name);
    // The bounds of the text's pixels (window text colour) inside the edges.
    int left = c.width, right = -1, top = c.height, bottom = -1;
    for (int y = 2; y < c.height - 2; ++y)
      for (int x = 2; x < c.width - 2; ++x)
        if (At(image, x, y) == GetSysColor(COLOR_WINDOWTEXT)) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, left) << "no text drawn";
    const int w = right - left + 1, h = bottom - top + 1;
    if (c.orientation == orHorizontal) EXPECT_GT(w, h) << "\"50 %\" runs across";
    else EXPECT_GT(h, w) << "\"50 %\" runs down a vertical bar";
    // Centred: the margins on either side differ by a few pixels at most.
    EXPECT_LE(std::abs(left - (c.width - 1 - right)), 4) << left << ".." << right;
    EXPECT_LE(std::abs(top - (c.height - 1 - bottom)), 6) << top << ".." << bottom;
  }
}
