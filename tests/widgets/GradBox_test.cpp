#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/gditext.h"
#include "platform/syscolors.h"
#include "tests/support/PixelCheck.h"
#include "widgets/GradBox.h"

namespace {

using testsupport::PaintControl;
using testsupport::PixelAt;

constexpr COLORREF kUnder = RGB(255, 0, 255);  // what lies beneath the box

// The windows' strip: silver to white, no outline, no 3D caption.
void MakeStrip(TGradBox& box, int w, int h) {
  box.resize(w, h);
  box.SetTopColor(clSilver);
  box.SetLastColor(clWhite);
}

// What the caption is expected to look like: the text drawn at each offset in its
// colour, in order, on the colour beneath.
QImage ExpectedCaption(const TGradBox& box, int w, int h, const std::vector<std::tuple<int, int, COLORREF>>& copies,
                       const std::string& text) {
  platform::ScopedGdiObject<HBITMAP> bitmap(platform::CreateSurfaceBitmap(w, h));
  HDC dc = platform::CreateSurfaceDC(bitmap, DT_RASDISPLAY);
  platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(kUnder));
  const RECT all{0, 0, w, h};
  FillRect(dc, &all, brush);
  platform::ScopedGdiObject<HFONT> font(const_cast<TGradBox&>(box).Font().Create());
  {
    platform::ScopedSelect select(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (const auto& [dx, dy, color] : copies) {
      RECT rc{box.CaptionLeft() + dx, box.CaptionTop() + dy, w + dx, h + dy};
      SetTextColor(dc, color);
      DrawText(dc, text.c_str(), -1, &rc, DT_EXPANDTABS | DT_WORDBREAK);
    }
  }
  DeleteDC(dc);
  return platform::BitmapImage(bitmap).copy();
}

}  // namespace

TEST(GradBox, NewBoxHasItsDeclaredDefaults) {
  TGradBox box;
  EXPECT_EQ(box.width(), 200);
  EXPECT_EQ(box.height(), 100);
  EXPECT_EQ(box.CaptionLeft(), 10);
  EXPECT_EQ(box.CaptionTop(), 10);
  EXPECT_EQ(box.TopColor(), clGreen);
  EXPECT_EQ(box.LastColor(), clLime);
  EXPECT_EQ(box.OutLineColor(), clBlack);
  EXPECT_FALSE(box.DrawOutLine());
  EXPECT_EQ(box.GradStyle(), gsTopBottom);
  EXPECT_FALSE(box.Font3D());
  EXPECT_EQ(box.FontDepth(), 1);
  EXPECT_EQ(box.Style3D(), fsRaise3D);
  EXPECT_EQ(box.BackFont(), clYellow);
}

TEST(GradBox, ColourTableRunsInExtendedPrecisionWithExactEnds) {
  TGradBox box;
  MakeStrip(box, 50, 90);
  box.SetColarray(gsTopBottom);
  const auto& t = box.Colarray();
  EXPECT_EQ(t[0], clSilver);
  EXPECT_EQ(GetRValue(t[1]), 192) << "192.247 truncated";
  EXPECT_EQ(GetRValue(t[128]), 223) << "192 + 128 x 63 / 255 = 223.6";
  EXPECT_EQ(GetRValue(t[254]), 254);
  EXPECT_EQ(t[255], clWhite);
  box.SetColarray(gsRightLeft);
  EXPECT_EQ(box.Colarray()[0], clWhite);
  EXPECT_EQ(GetRValue(box.Colarray()[1]), 254) << "255 - 0.247 truncated";
  EXPECT_EQ(box.Colarray()[255], clSilver);

  // A system colour stays one at the ends and is resolved in between.
  box.SetTopColor(clBtnShadow);
  box.SetColarray(gsTopBottom);
  EXPECT_EQ(box.Colarray()[0], clBtnShadow);
  EXPECT_EQ(GetRValue(box.Colarray()[1]), 128);
  BYTE r, g, b;
  TGradBox::GetRGB(clBtnFace, r, g, b);
  EXPECT_EQ(RGB(r, g, b), GetSysColor(COLOR_BTNFACE));

  // gsNone leaves the table as it was.
  const auto before = box.Colarray();
  box.SetTopColor(clBlack);
  box.SetColarray(gsNone);
  EXPECT_EQ(box.Colarray(), before);
}

TEST(GradBox, BandsCoverTheBoxWithBandOneOnBandZero) {
  struct Case {
    TGradStyle style;
    int w, h;
    LONG band;  // thickness
  };
  for (const Case& c : {Case{gsTopBottom, 50, 90, 1}, Case{gsTopBottom, 50, 600, 3}, Case{gsLeftRight, 452, 90, 2},
                        Case{gsRightLeft, 255, 10, 2}}) {
    TGradBox box;
    box.resize(c.w, c.h);
    box.SetGradStyle(c.style);
    const auto bands = box.Bands();
    const bool across = c.style == gsLeftRight || c.style == gsRightLeft;
    const LONG extent = across ? c.w : c.h;
    for (const RECT& r : bands) EXPECT_EQ(across ? r.right - r.left : r.bottom - r.top, c.band);
    EXPECT_TRUE(EqualRect(&bands[0], &bands[1])) << "band 1 lands on band 0";
    const LONG end = across ? bands[255].right : bands[255].bottom;
    EXPECT_GE(end, extent) << "the last band reaches the far edge";
    EXPECT_LE(end - extent, 1);
  }
}

TEST(GradBox, NinetyPixelStripEndsInTheLastColourExactly) {
  TGradBox box;
  MakeStrip(box, 50, 90);
  const QImage top = PaintControl(box, kUnder, "gradbox-strip");
  box.SetColarray(gsTopBottom);
  EXPECT_EQ(PixelAt(top, 0, 0), box.Colarray()[1]) << "band 0 is covered by band 1";
  EXPECT_EQ(PixelAt(top, 49, 89), clWhite);
  EXPECT_EQ(PixelAt(top, 0, 88), box.Colarray()[254]);
  for (int y = 1; y < 90; ++y) EXPECT_GE(GetRValue(PixelAt(top, 25, y)), GetRValue(PixelAt(top, 25, y - 1))) << y;

  // Bottom to top paints the mirror image: the ends exchanged, every row within the
  // rounding of the bands of its mirror row.
  box.SetGradStyle(gsBottomTop);
  const QImage bottom = PaintControl(box, kUnder, "gradbox-strip-mirrored");
  EXPECT_EQ(PixelAt(bottom, 0, 89), clSilver);
  for (int y = 0; y < 90; ++y)
    EXPECT_LE(std::abs(GetRValue(PixelAt(bottom, 10, y)) - GetRValue(PixelAt(top, 10, 89 - y))), 1) << y;
}

TEST(GradBox, NoGradientDrawsOnlyOutlineAndCaption) {
  TGradBox box;
  box.resize(60, 40);
  box.SetGradStyle(gsNone);
  box.SetDrawOutLine(true);
  box.SetOutLineColor(clBlue);
  box.Font().SetColor(clBlack);
  box.SetCaption("Ab");
  const QImage image = PaintControl(box, kUnder, "gradbox-none");
  int text = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      const COLORREF c = PixelAt(image, x, y);
      const bool edge = x == 0 || y == 0 || x == 59 || y == 39;
      if (edge) {
        EXPECT_EQ(c, clBlue) << x << "," << y;
      } else if (c == clBlack) {
        ++text;
        EXPECT_GE(x, 10);
        EXPECT_GE(y, 10);
      } else {
        EXPECT_EQ(c, kUnder) << "beneath shows at " << x << "," << y;
      }
    }
  EXPECT_GT(text, 10) << "the caption is drawn";
  EXPECT_TRUE(box.IsTransparent());

  // At design time the outline is dashed even without DrawOutLine.
  box.SetDrawOutLine(false);
  box.SetDesigning(true);
  const QImage designing = PaintControl(box, kUnder, "gradbox-designing");
  int blue = 0, gaps = 0;
  for (int x = 0; x < 60; ++x) (PixelAt(designing, x, 0) == clBlue ? blue : gaps)++;
  EXPECT_GT(blue, 10);
  EXPECT_GT(gaps, 5);
}

TEST(GradBox, CaptionLooks) {
  struct Case {
    const char* name;
    bool enabled;
    bool font3D;
    TFontStyle3D style;
    BYTE depth;
    std::vector<std::tuple<int, int, COLORREF>> copies;  // font colour red, back colour yellow
  };
  constexpr COLORREF red = RGB(255, 0, 0), yellow = clYellow;
  const Case cases[] = {
      {"disabled", false, true, fsLow3D, 3, {{1, 1, 0xFFFFFF}, {0, 0, 0x808080}}},
      {"plain", true, false, fsLow3D, 3, {{0, 0, red}}},
      {"low-shadow", true, true, fsLowShadow, 2, {{2, 2, yellow}, {0, 0, red}}},
      {"raise-shadow", true, true, fsRaiseShadow, 2, {{-2, -2, yellow}, {0, 0, red}}},
      {"low-3d", true, true, fsLow3D, 3, {{1, 1, yellow}, {2, 2, yellow}, {3, 3, yellow}, {0, 0, red}}},
      {"raise-3d", true, true, fsRaise3D, 2, {{-1, -1, yellow}, {-2, -2, yellow}, {0, 0, red}}},
      {"depth-0-shadow", true, true, fsLowShadow, 0, {{0, 0, yellow}, {0, 0, red}}},
      {"depth-0-3d", true, true, fsLow3D, 0, {{0, 0, red}}},
  };
  for (const Case& c : cases) {
    TGradBox box;
    box.resize(80, 40);
    box.SetGradStyle(gsNone);
    box.Font().SetColor(red);
    box.Font().SetHeight(-16);
    box.SetCaption("Hg\tx");
    box.SetFont3D(c.font3D);
    box.SetStyle3D(c.style);
    box.SetFontDepth(c.depth);
    box.setEnabled(c.enabled);
    const QImage got = PaintControl(box, kUnder, std::string("gradbox-caption-") + c.name);
    EXPECT_TRUE(testsupport::SameImage(got, ExpectedCaption(box, 80, 40, c.copies, "Hg\tx"),
                                       std::string("gradbox-caption-") + c.name));
  }
}

TEST(GradBox, SettersRepaintOnlyWhenTheyShow) {
  struct Case {
    const char* name;
    std::function<void(TGradBox&)> setup;
    std::function<void(TGradBox&)> change;
    bool repaints;
  };
  const auto none = [](TGradBox&) {};
  const Case cases[] = {
      {"BackFont without Font3D", none, [](TGradBox& b) { b.SetBackFont(clRed); }, false},
      {"BackFont with Font3D", [](TGradBox& b) { b.SetFont3D(true); }, [](TGradBox& b) { b.SetBackFont(clRed); }, true},
      {"FontDepth without Font3D", none, [](TGradBox& b) { b.SetFontDepth(4); }, false},
      {"FontDepth with Font3D", [](TGradBox& b) { b.SetFont3D(true); }, [](TGradBox& b) { b.SetFontDepth(4); }, true},
      {"OutLineColor without outline", none, [](TGradBox& b) { b.SetOutLineColor(clRed); }, false},
      {"OutLineColor with outline", [](TGradBox& b) { b.SetDrawOutLine(true); },
       [](TGradBox& b) { b.SetOutLineColor(clRed); }, true},
      {"same TopColor", none, [](TGradBox& b) { b.SetTopColor(clGreen); }, false},
      {"TopColor", none, [](TGradBox& b) { b.SetTopColor(clRed); }, true},
      {"caption", none, [](TGradBox& b) { b.SetCaption("x"); }, true},
      {"font colour", none, [](TGradBox& b) { b.Font().SetColor(clRed); }, true},
      {"disabled", none, [](TGradBox& b) { b.setEnabled(false); }, true},
  };
  for (const Case& c : cases) {
    TGradBox box;
    c.setup(box);
    box.Validate(nullptr);
    c.change(box);
    EXPECT_EQ(!box.InvalidRegion().isEmpty(), c.repaints) << c.name;
  }
}

TEST(GradBox, OnPaintFollowsEachPaint) {
  TGradBox box;
  box.resize(20, 20);
  int calls = 0;
  box.OnPaint = [&](TGradBox* sender) {
    EXPECT_EQ(sender, &box);
    ++calls;
  };
  PaintControl(box, kUnder, "gradbox-onpaint");
  PaintControl(box, kUnder, "gradbox-onpaint");
  EXPECT_EQ(calls, 2);
}
