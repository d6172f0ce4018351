#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "platform/gditext.h"
#include "platform/syscolors.h"
#include "tests/support/PixelCheck.h"
#include "widgets/ShadoLbl.h"

namespace {

using testsupport::PaintControl;
using testsupport::ColoursAlong;
using testsupport::PixelAt;

constexpr COLORREF kUnder = RGB(255, 0, 255);
constexpr COLORREF kBack = RGB(0, 0, 255);

// A label of a fixed size, copies hidden, large black text on a blue background.
void MakeLabel(TShadowLabel& label, const std::string& caption, int w = 120, int h = 30) {
  label.SetAutoSize(false);
  label.resize(w, h);
  label.SetColor(kBack);
  label.Font().SetColor(clBlack);
  label.Font().SetHeight(-20);
  label.Shadow().SetVisible(false);
  label.Highlight().SetVisible(false);
  label.SetCaption(caption);
}

std::set<COLORREF> Colours(const QImage& image) {
  std::set<COLORREF> all;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) all.insert(PixelAt(image, x, y));
  return all;
}

}  // namespace

TEST(ShadowLabel, DefaultsAndShadowNotifications) {
  TShadowLabel label;
  EXPECT_EQ(label.Ellipsis(), elNone);
  EXPECT_TRUE(label.Flickerless());
  EXPECT_FALSE(label.GradateVert());
  EXPECT_FALSE(label.Gradation());
  EXPECT_EQ(label.GradationColor(), clBlue);
  EXPECT_EQ(label.TextGradation(), tgNone);
  EXPECT_EQ(label.TextGradationColor(), clMaroon);
  EXPECT_EQ(label.TextMidColor(), clNavy);
  EXPECT_EQ(label.Highlight().Color(), clWhite);
  EXPECT_EQ(label.Highlight().OffsetLeft(), -1);
  EXPECT_EQ(label.Highlight().OffsetTop(), -1);
  EXPECT_TRUE(label.Highlight().Visible());
  EXPECT_EQ(label.Shadow().Color(), clSilver);
  EXPECT_EQ(label.Shadow().OffsetLeft(), 1);
  EXPECT_EQ(label.Shadow().OffsetTop(), 1);

  TShadow shadow;
  int changes = 0;
  shadow.OnChange = [&](TShadow* sender) {
    EXPECT_EQ(sender, &shadow);
    ++changes;
  };
  shadow.SetColor(clSilver);
  shadow.SetOffsetLeft(1);
  shadow.SetVisible(true);
  EXPECT_EQ(changes, 0) << "setting a value it has is no change";
  shadow.SetOffsetTop(3);
  EXPECT_EQ(changes, 1);
  TShadow other;
  other.SetColor(clRed);
  other.SetOffsetLeft(-4);
  other.SetOffsetTop(5);
  other.SetVisible(false);
  shadow.Assign(other);
  EXPECT_EQ(changes, 2) << "one notification for the four values";
  EXPECT_EQ(shadow.Color(), clRed);
  EXPECT_EQ(shadow.OffsetLeft(), -4);
  EXPECT_EQ(shadow.OffsetTop(), 5);
  EXPECT_FALSE(shadow.Visible());
}

TEST(ShadowLabel, SettersRepaintOnlyWhenTheyShow) {
  struct Case {
    const char* name;
    std::function<void(TShadowLabel&)> setup, change;
    bool repaints;
  };
  const auto none = [](TShadowLabel&) {};
  TShadow red;
  red.SetColor(clRed);
  const Case cases[] = {
      {"end colour without gradation", none, [](TShadowLabel& l) { l.SetTextGradationColor(clRed); }, false},
      {"end colour with gradation", [](TShadowLabel& l) { l.SetTextGradation(tg2Colors); },
       [](TShadowLabel& l) { l.SetTextGradationColor(clRed); }, true},
      {"middle colour with two colours", [](TShadowLabel& l) { l.SetTextGradation(tg2Colors); },
       [](TShadowLabel& l) { l.SetTextMidColor(clRed); }, false},
      {"middle colour with three colours", [](TShadowLabel& l) { l.SetTextGradation(tg3Colors); },
       [](TShadowLabel& l) { l.SetTextMidColor(clRed); }, true},
      {"null shadow", none, [](TShadowLabel& l) { l.SetShadow(nullptr); }, false},
      {"shadow assigned", none, [&](TShadowLabel& l) { l.SetShadow(&red); }, true},
      {"shadow's own setter", none, [](TShadowLabel& l) { l.Highlight().SetOffsetLeft(3); }, true},
      {"same caption", none, [](TShadowLabel& l) { l.SetCaption(""); }, false},
      {"caption", none, [](TShadowLabel& l) { l.SetCaption("a"); }, true},
  };
  for (const Case& c : cases) {
    TShadowLabel label;
    c.setup(label);
    label.Validate(nullptr);
    c.change(label);
    EXPECT_EQ(!label.InvalidRegion().isEmpty(), c.repaints) << c.name;
  }
  TShadowLabel label;
  label.SetShadow(&red);
  EXPECT_EQ(label.Shadow().Color(), clRed) << "the values are copied into the label's own shadow";
}

TEST(ShadowLabel, BackgroundPlainGradientOrNone) {
  TShadowLabel label;
  MakeLabel(label, "");
  // An empty caption still paints the background, and nothing else.
  EXPECT_EQ(Colours(PaintControl(label, kUnder, "shadolbl-empty")), std::set<COLORREF>{kBack});

  // A horizontal gradient from GradationColor at the left to Color at the right, the
  // same through the off-screen bitmap and straight onto the control.
  label.SetGradation(true);
  label.SetGradationColor(clBlack);
  label.SetColor(RGB(0, 0, 238));
  for (bool flickerless : {true, false}) {
    label.SetFlickerless(flickerless);
    const QImage image = PaintControl(label, kUnder, flickerless ? "shadolbl-grad-bitmap" : "shadolbl-grad-direct");
    EXPECT_EQ(PixelAt(image, 0, 10), clBlack) << flickerless;
    EXPECT_EQ(PixelAt(image, 119, 29), RGB(0, 0, 238)) << flickerless;
    EXPECT_EQ(GetBValue(PixelAt(image, 60, 10)), 120) << flickerless;  // 238 x 60 / 119 = 120.0
  }

  // A transparent label ignores Gradation and Flickerless: beneath shows around the text.
  label.SetTransparent(true);
  label.SetCaption("W");
  const std::set<COLORREF> seen = Colours(PaintControl(label, kUnder, "shadolbl-transparent"));
  EXPECT_EQ(seen, (std::set<COLORREF>{kUnder, clBlack}));
}

TEST(ShadowLabel, GradBitmapAndGradRect) {
  struct Case {
    int w, h;
    bool vertical;
    std::vector<std::tuple<int, int, BYTE>> expected;  // x, y, grey level
  };
  const Case cases[] = {
      {4, 3, true, {{0, 0, 0}, {3, 1, 127}, {2, 2, 255}}},
      {3, 2, false, {{0, 1, 0}, {1, 0, 127}, {2, 1, 255}}},
      {5, 1, true, {{0, 0, 0}, {4, 0, 0}}},    // one row: the from colour
      {1, 4, false, {{0, 0, 0}, {0, 3, 0}}},   // one column: the from colour
  };
  for (const Case& c : cases) {
    platform::ScopedGdiObject<HBITMAP> bitmap(platform::CreateSurfaceBitmap(c.w, c.h));
    TShadowLabel::GradBitmap(bitmap, clBlack, clWhite, c.vertical);
    const QImage image = platform::BitmapImage(bitmap);
    for (const auto& [x, y, grey] : c.expected)
      EXPECT_EQ(PixelAt(image, x, y), RGB(grey, grey, grey)) << c.w << "x" << c.h << " at " << x << "," << y;
  }

  platform::ScopedGdiObject<HBITMAP> target(platform::CreateSurfaceBitmap(60, 50));
  HDC dc = platform::CreateSurfaceDC(target, DT_RASDISPLAY);
  TShadowLabel::GradRect(dc, RECT{10, 5, 50, 45}, clBlack, clWhite, false);
  DeleteDC(dc);
  const QImage image = platform::BitmapImage(target);
  EXPECT_EQ(PixelAt(image, 10, 5), clBlack);
  EXPECT_EQ(PixelAt(image, 49, 44), clWhite);
  EXPECT_EQ(PixelAt(image, 9, 20), clBlack) << "outside the rectangle nothing changes";
  EXPECT_EQ(PixelAt(image, 50, 20), clBlack);
}

TEST(ShadowLabel, TextGradationColoursCharacterByCharacter) {
  constexpr COLORREF font = RGB(0, 0, 0), mid = RGB(0, 200, 0), end = RGB(200, 0, 0);
  struct Case {
    const char* name;
    std::string text;
    TTextGradation gradation;
    std::vector<COLORREF> along;
  };
  const Case cases[] = {
      {"two colours on three", "HHH", tg2Colors, {font, RGB(100, 0, 0), end}},
      {"three colours on ABCDE", "ABCDE", tg3Colors, {font, mid, RGB(100, 100, 0), end}},
      {"one double-byte character", "あ", tg3Colors, {font}},
      {"two characters use two colours", "あい", tg3Colors, {font, end}},
      {"split keeps a character whole", "あいう", tg3Colors, {font, mid, end}},
      {"no gradation", "HHH", tgNone, {font}},
  };
  for (const Case& c : cases) {
    TShadowLabel label;
    MakeLabel(label, c.text);
    label.Font().SetColor(font);
    label.SetTextMidColor(mid);
    label.SetTextGradationColor(end);
    label.SetTextGradation(c.gradation);
    const QImage image = PaintControl(label, kUnder, std::string("shadolbl-textgrad-") + c.name);
    EXPECT_EQ(ColoursAlong(image, kBack), c.along) << c.name;
  }
}

TEST(ShadowLabel, CopiesShadowThenHighlightThenText) {
  TShadowLabel label;
  MakeLabel(label, "I");
  label.Font().SetColor(clBlack);
  label.Shadow().SetVisible(true);
  label.Shadow().SetColor(clRed);
  label.Shadow().SetOffsetLeft(3);
  label.Shadow().SetOffsetTop(0);
  label.Highlight().SetVisible(true);
  label.Highlight().SetColor(clWhite);
  label.Highlight().SetOffsetLeft(6);
  label.Highlight().SetOffsetTop(0);
  EXPECT_EQ(ColoursAlong(PaintControl(label, kUnder, "shadolbl-copies"), kBack),
            (std::vector<COLORREF>{clBlack, clRed, clWhite}));

  // The highlight is drawn over the shadow.
  label.Highlight().SetOffsetLeft(3);
  EXPECT_EQ(ColoursAlong(PaintControl(label, kUnder, "shadolbl-copies-over"), kBack),
            (std::vector<COLORREF>{clBlack, clWhite}));

  // Disabled: grey shadow, highlight in the button highlight colour, text in the button
  // shadow colour (the same grey in the default scheme), whatever the gradation.
  label.Highlight().SetOffsetLeft(6);
  label.SetTextGradation(tg2Colors);
  label.setEnabled(false);
  ASSERT_EQ(GetSysColor(COLOR_BTNSHADOW), 0x808080u);
  EXPECT_EQ(ColoursAlong(PaintControl(label, kUnder, "shadolbl-disabled"), kBack),
            (std::vector<COLORREF>{0x808080, GetSysColor(COLOR_BTNHIGHLIGHT)}));
}

TEST(ShadowLabel, LayoutMovesTheTextDown) {
  TShadowLabel label;
  MakeLabel(label, "H", 40, 60);
  auto topRow = [&](TTextLayout layout) {
    label.SetLayout(layout);
    const QImage image = PaintControl(label, kUnder, "shadolbl-layout");
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (PixelAt(image, x, y) != kBack) return y;
    return -1;
  };
  platform::ScopedDC dc(CreateCompatibleDC(nullptr));
  platform::ScopedGdiObject<HFONT> font(label.Font().Create());
  platform::ScopedSelect select(dc, font);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  const int top = topRow(tlTop);
  ASSERT_GE(top, 0);
  EXPECT_EQ(topRow(tlCenter), top + (60 - tm.tmHeight) / 2);
  EXPECT_EQ(topRow(tlBottom), top + 60 - tm.tmHeight);
}

TEST(ShadowLabel, AutoSizeAndEllipsis) {
  TShadowLabel label;
  label.SetCaption("ファイル名 :");
  platform::ScopedDC dc(CreateCompatibleDC(nullptr));
  platform::ScopedGdiObject<HFONT> font(label.Font().Create());
  platform::ScopedSelect select(dc, font);
  SIZE size;
  GetTextExtentPoint32(dc, "ファイル名 :", -1, &size);
  EXPECT_EQ(label.width(), size.cx);
  EXPECT_EQ(label.height(), size.cy);

  // An end ellipsis keeps a long text inside the label and shows that it was cut.
  TShadowLabel cut;
  MakeLabel(cut, "/a/long/folder/name/photo.jpg", 60, 30);
  const QImage whole = PaintControl(cut, kUnder, "shadolbl-uncut");
  cut.SetEllipsis(elEnd);
  const QImage end = PaintControl(cut, kUnder, "shadolbl-end-ellipsis");
  cut.SetEllipsis(elPath);
  const QImage path = PaintControl(cut, kUnder, "shadolbl-path-ellipsis");
  EXPECT_NE(whole, end);
  EXPECT_NE(end, path);
}
