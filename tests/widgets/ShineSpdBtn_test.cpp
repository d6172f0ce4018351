#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QPalette>
#include <QWidget>
#include <functional>

#include "platform/gditext.h"
#include "platform/syscolors.h"
#include "tests/support/PixelCheck.h"
#include "widgets/ShineSpdBtn.h"
#include "widgets/SpeedButton.h"

namespace {

using testsupport::PaintControl;
using testsupport::ColoursAlong;
using testsupport::PixelAt;
using testsupport::Picture;

constexpr COLORREF kUnder = RGB(255, 0, 255);
constexpr COLORREF kKey = 0x008080;
constexpr COLORREF kA = RGB(16, 32, 48), kB = RGB(128, 64, 240), kS = RGB(64, 128, 192);

const std::map<char, COLORREF> kGlyphColours{{'K', kKey}, {'A', kA}, {'B', kB}, {'S', kS}};

// Five wide, four high (an even height): a two-by-two picture inside a key border.
const std::vector<std::string> kEven{"KKKKK", "KABKK", "KBAKK", "KKKKK"};
// Five by five (an odd height): a three-by-three picture inside a key border.
const std::vector<std::string> kOdd{"KKKKK", "KABAK", "KBABK", "KABAK", "KKKKK"};

QImage Glyph(const std::vector<std::string>& rows) { return Picture(rows, kGlyphColours); }

// A button on a shown window, so that the mouse and the accelerator reach it.
struct Host {
  QWidget window;
  Host() {
    window.setGeometry(100, 100, 200, 100);
    window.show();
  }
};

}  // namespace

TEST(ShineSpeedButton, NewButtonValues) {
  TShineSpeedButton b;
  EXPECT_EQ(b.width(), 25);
  EXPECT_EQ(b.height(), 25);
  EXPECT_EQ(b.GroupIndex(), 0);
  EXPECT_FALSE(b.Down());
  EXPECT_FALSE(b.AllowAllUp());
  EXPECT_FALSE(b.ClickDownHook());
  EXPECT_FALSE(b.AccelCharDown());
  EXPECT_EQ(b.FrameType(), ftNormalFrame);
  EXPECT_FALSE(b.Transparent());
  EXPECT_TRUE(b.ActiveFrame() && b.UpFrame() && b.DownFrame());
  EXPECT_EQ(b.ActiveImage(), aiFrameLight);
  EXPECT_EQ(b.DisabledImage(), diDefault);
  EXPECT_EQ(b.DisabledHighlight(), clBtnHighlight);
  EXPECT_EQ(b.DisabledShadow(), clBtnShadow);
  EXPECT_EQ(b.Colors().Color(), clBtnFace);
  EXPECT_EQ(b.PressedColors().Color(), clBtnHighlight);
  EXPECT_EQ(b.Colors().DarkShadow(), clWindowFrame);
  EXPECT_EQ(b.Colors().GradColor(), clBlue);
  EXPECT_EQ(b.ShineColor(), clYellow);
  EXPECT_EQ(b.Font().Color(), clBtnText);
  EXPECT_EQ(b.ActiveFont().Color(), clHighlight);
  EXPECT_EQ(b.FontHighlight(), clNone);
  EXPECT_EQ(b.FontShadow(), clNone);
  EXPECT_EQ(b.Layout(), blGlyphLeft);
  EXPECT_EQ(b.Margin(), -1);
  EXPECT_EQ(b.Spacing(), 4);
  EXPECT_TRUE(b.Glyph().isNull());
  EXPECT_EQ(b.State(), TShineSpeedButton::kUp);
}

TEST(ShineSpeedButton, ColourSetsNotifyAndCopy) {
  TShineBtnColors a, b;
  int changes = 0;
  b.OnChange = [&](TShineBtnColors* sender) {
    EXPECT_EQ(sender, &b);
    ++changes;
  };
  b.SetColor(clBtnFace);
  EXPECT_EQ(changes, 0);
  b.SetGradation(true);
  EXPECT_EQ(changes, 1);
  a.SetColor(clRed);
  a.SetHighlight(clWhite);
  a.SetShadow(clGray);
  a.SetDarkShadow(clBlack);
  a.SetGradColor(clLime);
  a.SetGradVertical(true);
  a.AssignTo(b);
  EXPECT_EQ(changes, 2) << "one notification for seven values";
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.GradColor(), clLime);
  EXPECT_TRUE(b.GradVertical());
  EXPECT_FALSE(b.Gradation());

  // The button repaints when one of its sets changes.
  TShineSpeedButton button;
  button.Validate(nullptr);
  button.PressedColors().SetShadow(clRed);
  EXPECT_FALSE(button.InvalidRegion().isEmpty());
}

TEST(ShineSpeedButton, StateGlyphsPixelForPixel) {
  constexpr int hot = TShineSpeedButton::kHot, off = TShineSpeedButton::kDisabled;
  struct Case {
    const char* name;
    const std::vector<std::string>* glyph;
    int state;
    TActiveImageType active;
    TDisabledImageType disabled;
    std::vector<std::string> expected;
    std::map<char, COLORREF> extra;
  };
  const Case cases[] = {
      {"normal", &kEven, hot, aiNormal, diDefault, kEven, {}},
      {"xor", &kEven, hot, aiXorLight, diDefault, {"KKKKK", "KxyKK", "KyxKK", "KKKKK"},
       {{'x', RGB(80, 160, 240)}, {'y', RGB(192, 192, 48)}}},
      {"half", &kEven, hot, aiHalfLight, diDefault, {"KKKKK", "KxyKK", "KyxKK", "KKKKK"},
       {{'x', RGB(40, 80, 120)}, {'y', RGB(96, 96, 216)}}},
      {"quarter", &kEven, hot, aiQuaterLight, diDefault, {"KKKKK", "KxyKK", "KyxKK", "KKKKK"},
       {{'x', RGB(52, 104, 156)}, {'y', RGB(80, 112, 204)}}},
      {"add", &kEven, hot, aiAddLight, diDefault, {"KKKKK", "KxyKK", "KyxKK", "KKKKK"},
       {{'x', RGB(80, 160, 240)}, {'y', RGB(192, 192, 255)}}},
      {"mask even height", &kEven, hot, aiMaskLight, diDefault, {"KKKKK", "KSBKK", "KSAKK", "KKKKK"}, {}},
      {"mask odd height", &kOdd, TShineSpeedButton::kPressed, aiMaskLight, diDefault,
       {"KKKKK", "KASAK", "KSASK", "KASAK", "KKKKK"}, {}},
      {"one-pixel halo", &kEven, hot, aiFrameLight, diDefault, {"KSSKK", "SABSK", "SBASK", "KSSKK"}, {}},
      {"two-pixel halo", &kEven, hot, aiFrameLight2, diDefault, {"SSSSK", "SABSS", "SBASS", "SSSSK"}, {}},
      {"no effect when up", &kEven, TShineSpeedButton::kUp, aiXorLight, diGrayscale, kEven, {}},
      {"no effect when down", &kEven, TShineSpeedButton::kDown, aiXorLight, diGrayscale, kEven, {}},
      {"edge mask", &kEven, off, aiNormal, diDefault, {"WWW..", "W.W..", "WWW..", "....."},
       {{'W', 0xFFFFFF}, {'.', 0x000000}}},
      {"grey", &kEven, off, aiNormal, diGrayscale, {"KKKKK", "KxyKK", "KyxKK", "KKKKK"},
       {{'x', RGB(32, 32, 32)}, {'y', RGB(144, 144, 144)}}},
      {"half transparent", &kEven, off, aiNormal, diAlphaHalfTrans, {"KKKKK", "KxyKK", "KyxKK", "KKKKK"},
       {{'x', RGB(104, 112, 120)}, {'y', RGB(160, 128, 216)}}},
      {"quarter transparent", &kEven, off, aiNormal, diAlphaQuaterTrans, {"KKKKK", "KxyKK", "KyxKK", "KKKKK"},
       {{'x', RGB(148, 152, 156)}, {'y', RGB(176, 160, 204)}}},
      {"mask transparent odd", &kOdd, off, aiNormal, diMaskTrans, {"KKKKK", "KAKAK", "KKAKK", "KAKAK", "KKKKK"}, {}},
      {"mask transparent even", &kEven, off, aiNormal, diMaskTrans, {"KKKKK", "KKBKK", "KKAKK", "KKKKK"}, {}},
  };
  for (const Case& c : cases) {
    TShineSpeedButton b;
    b.SetGlyph(Glyph(*c.glyph));
    b.SetShineColor(kS);
    b.SetActiveImage(c.active);
    b.SetDisabledImage(c.disabled);
    std::map<char, COLORREF> legend = kGlyphColours;
    legend.insert(c.extra.begin(), c.extra.end());
    EXPECT_TRUE(testsupport::SameImage(b.StateGlyph(c.state), Picture(c.expected, legend),
                                       std::string("shine-glyph-") + c.name));
  }
}

TEST(ShineSpeedButton, EmptyButtonPaintsFaceAndFrameOnly) {
  struct Case {
    const char* name;
    TFrameType frame;
    bool down;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"normal-up", ftNormalFrame, false,
       {"WWWWWWWWWF", "WFFFFFFFSD", "WFFFFFFFSD", "WFFFFFFFSD", "WFFFFFFFSD", "WFFFFFFFSD", "WSSSSSSSSD", "FDDDDDDDDD"}},
      {"normal-down", ftNormalFrame, true,
       {"DDDDDDDDDW", "DSSSSSSSSW", "DSWWWWWWWW", "DSWWWWWWWW", "DSWWWWWWWW", "DSWWWWWWWW", "DSWWWWWWWW", "WWWWWWWWWW"}},
      {"flat-up", ftFlatFrame, false,
       {"WWWWWWWWWF", "WFFFFFFFFS", "WFFFFFFFFS", "WFFFFFFFFS", "WFFFFFFFFS", "WFFFFFFFFS", "WFFFFFFFFS", "FSSSSSSSSS"}},
      {"enclosed-up", ftEnclosedFrame, false,
       {"DDDDDDDDDD", "DWWWWWWWFD", "DWFFFFFFSD", "DWFFFFFFSD", "DWFFFFFFSD", "DWFFFFFFSD", "DFSSSSSSSD", "DDDDDDDDDD"}},
  };
  const std::map<char, COLORREF> legend{{'W', 0xFFFFFF}, {'F', GetSysColor(COLOR_BTNFACE)}, {'S', 0x808080}, {'D', 0}};
  for (const Case& c : cases) {
    QWidget parent;
    TShineSpeedButton b(&parent);
    b.resize(10, 8);
    b.SetFrameType(c.frame);
    if (c.down) {
      b.SetGroupIndex(1);
      b.SetDown(true);
    }
    EXPECT_TRUE(testsupport::SameImage(PaintControl(b, kUnder, std::string("shine-frame-") + c.name), Picture(c.expected, legend),
                                       std::string("shine-frame-") + c.name));
  }

  // Transparent: no face, nothing but the frame on what lies beneath.
  TShineSpeedButton b;
  b.resize(10, 8);
  b.SetTransparent(true);
  b.SetUpFrame(false);
  const QImage image = PaintControl(b, kUnder, "shine-transparent");
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(PixelAt(image, x, y), kUnder) << x << "," << y;
}

TEST(ShineSpeedButton, GradientFaceRunsFromColorToGradColor) {
  TShineSpeedButton b;
  b.resize(256, 4);
  b.SetUpFrame(false);
  b.Colors().SetColor(clBlack);
  b.Colors().SetGradColor(RGB(255, 0, 100));
  b.Colors().SetGradation(true);
  const QImage image = PaintControl(b, kUnder, "shine-gradient");
  EXPECT_EQ(PixelAt(image, 0, 0), clBlack);
  EXPECT_EQ(PixelAt(image, 128, 2), RGB(128, 0, 50));
  EXPECT_EQ(PixelAt(image, 255, 3), RGB(255, 0, 100));
}

TEST(ShineSpeedButton, CaptionCopiesInFontShadowAndFontHighlight) {
  struct Case {
    DWORD shadow, highlight;
    std::vector<COLORREF> along;
  };
  const Case cases[] = {
      {clRed, clNone, {clBlack, clRed}},
      {clNone, clWhite, {clWhite, clBlack}},
      {clRed, clWhite, {clWhite, clBlack, clRed}},
      {clNone, clNone, {clBlack}},
  };
  for (const Case& c : cases) {
    TShineSpeedButton b;
    b.resize(30, 30);
    b.SetUpFrame(false);
    b.Font().SetColor(clBlack);
    b.Font().SetHeight(-20);
    b.SetCaption("I");
    b.SetFontShadow(c.shadow);
    b.SetFontHighlight(c.highlight);
    EXPECT_EQ(ColoursAlong(PaintControl(b, kUnder, "shine-caption"), GetSysColor(COLOR_BTNFACE)), c.along);
  }
}

TEST(ShineSpeedButton, LayoutOfGlyphAndCaption) {
  struct Case {
    TButtonLayout layout;
    int margin;
    POINT glyph;
  };
  const Case cases[] = {{blGlyphLeft, -1, {16, 12}}, {blGlyphLeft, 3, {3, 12}},  {blGlyphRight, 3, {29, 12}},
                        {blGlyphTop, 3, {16, 3}},    {blGlyphBottom, 3, {16, 21}}};
  platform::ScopedDC dc(CreateCompatibleDC(nullptr));
  for (const Case& c : cases) {
    TShineSpeedButton b;
    b.resize(40, 30);
    b.SetGlyph(QImage(8, 6, QImage::Format_RGB32));
    b.SetLayout(c.layout);
    b.SetMargin(c.margin);
    const auto layout = b.CalcLayout(dc);
    EXPECT_EQ(layout.glyph.x, c.glyph.x) << c.layout << " " << c.margin;
    EXPECT_EQ(layout.glyph.y, c.glyph.y) << c.layout << " " << c.margin;
  }
  // With a caption the two stand side by side, Spacing apart, centred together.
  TShineSpeedButton b;
  b.resize(100, 30);
  b.SetGlyph(QImage(8, 6, QImage::Format_RGB32));
  b.SetCaption("Go");
  const auto layout = b.CalcLayout(dc);
  const LONG textWidth = layout.caption.right - layout.caption.left;
  EXPECT_EQ(layout.caption.left, layout.glyph.x + 8 + 4);
  EXPECT_EQ(layout.glyph.x, (100 - (8 + 4 + textWidth)) / 2);
}

TEST(ShineSpeedButton, HotTrackingPressAndRelease) {
  Host host;
  TShineSpeedButton b(&host.window);
  b.setGeometry(10, 10, 30, 30);
  b.show();
  int clicks = 0;
  b.OnClick = [&](TShineSpeedButton*) { ++clicks; };
  b.MouseEnter(0, 5, 5);
  EXPECT_EQ(b.State(), TShineSpeedButton::kHot);
  b.MouseDown(ssLeft, 5, 5);
  EXPECT_EQ(b.State(), TShineSpeedButton::kPressed);
  EXPECT_TRUE(b.Tracking());
  b.MouseMove(ssLeft, 50, 5);
  EXPECT_EQ(b.State(), TShineSpeedButton::kUp);
  b.MouseMove(ssLeft, 5, 5);
  EXPECT_EQ(b.State(), TShineSpeedButton::kPressed);
  b.MouseUp(0, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b.Tracking());
  EXPECT_FALSE(b.Down()) << "an ungrouped button does not stay down";

  b.MouseDown(ssLeft, 5, 5);
  b.MouseUp(0, 50, 50);
  EXPECT_EQ(clicks, 1) << "released outside: no click";

  // The pressed look while the handler runs.
  b.SetClickDownHook(true);
  int during = -1;
  b.OnClick = [&](TShineSpeedButton* s) { during = s->State(); };
  const int before = b.State();
  b.Click();
  EXPECT_EQ(during, TShineSpeedButton::kPressed);
  EXPECT_EQ(b.State(), before);

  b.setEnabled(false);
  EXPECT_EQ(b.State(), TShineSpeedButton::kDisabled);
}

TEST(ShineSpeedButton, LeavingQuicklyReturnsToUpWithoutALeaveNotification) {
  Host host;
  TShineSpeedButton b(&host.window);
  b.setGeometry(10, 10, 30, 30);
  b.show();
  QCursor::setPos(5, 5);  // far from the button
  int leaves = 0;
  b.OnMouseLeave = [&](TShineSpeedButton*, TShiftState, int, int) { ++leaves; };
  b.MouseEnter(0, 5, 5);
  ASSERT_EQ(b.State(), TShineSpeedButton::kHot);
  QElapsedTimer clock;
  clock.start();
  while (b.State() != TShineSpeedButton::kUp && clock.elapsed() < 1000) QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(b.State(), TShineSpeedButton::kUp);
  EXPECT_LE(clock.elapsed(), 400);
  EXPECT_EQ(leaves, 1);
  EXPECT_FALSE(b.MouseInside());
}

TEST(ShineSpeedButton, GroupsReleaseEachOtherAndTheFrameworkButtons) {
  QWidget parent;
  TShineSpeedButton a(&parent), b(&parent);
  TSpeedButton framework(&parent);
  TShineSpeedButton other(&parent);
  for (TShineSpeedButton* s : {&a, &b}) s->SetGroupIndex(1);
  other.SetGroupIndex(2);
  framework.SetGroupIndex(1);
  other.SetDown(true);

  framework.SetDown(true);
  a.MouseDown(ssLeft, 2, 2);
  a.MouseUp(0, 2, 2);
  EXPECT_TRUE(a.Down());
  EXPECT_EQ(a.State(), TShineSpeedButton::kDown);
  EXPECT_FALSE(framework.Down()) << "the framework's button of the group is released";
  EXPECT_FALSE(framework.isChecked());
  EXPECT_TRUE(other.Down()) << "another group is left alone";

  b.SetDown(true);
  EXPECT_FALSE(a.Down());
  EXPECT_EQ(a.State(), TShineSpeedButton::kUp);

  framework.click();
  EXPECT_TRUE(framework.Down());
  EXPECT_FALSE(b.Down()) << "a framework button going down releases a shine button";

  // Without AllowAllUp a down button cannot be set up; with it, it can.
  a.SetDown(true);
  a.SetDown(false);
  EXPECT_TRUE(a.Down());
  a.SetAllowAllUp(true);
  a.SetDown(false);
  EXPECT_FALSE(a.Down());
  EXPECT_EQ(a.State(), TShineSpeedButton::kUp);
  EXPECT_TRUE(b.AllowAllUp()) << "the group takes over AllowAllUp";

  // An ungrouped button never stays down.
  TShineSpeedButton loose(&parent);
  loose.SetDown(true);
  EXPECT_FALSE(loose.Down());
}

TEST(ShineSpeedButton, AcceleratorClicksAndTogglesDown) {
  Host host;
  TShineSpeedButton b(&host.window);
  b.show();
  b.SetCaption("&Go");
  int clicks = 0;
  b.OnClick = [&](TShineSpeedButton*) { ++clicks; };
  EXPECT_FALSE(b.DialogChar('x'));
  EXPECT_TRUE(b.DialogChar('g'));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b.Down());
  b.SetGroupIndex(3);
  b.SetAccelCharDown(true);
  EXPECT_TRUE(b.DialogChar('G'));
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(clicks, 2);
  b.setEnabled(false);
  EXPECT_FALSE(b.DialogChar('g'));
  EXPECT_FALSE(b.Down()) << "disabling releases the button";
}

TEST(ShineSpeedButton, TransparentDisabledGlyphLeavesWhatLiesBeneath) {
  QWidget parent;
  parent.resize(30, 30);
  parent.setAutoFillBackground(true);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, QColor(0, 0, 255));
  parent.setPalette(palette);
  TShineSpeedButton b(&parent);
  b.setGeometry(0, 0, 30, 30);
  b.SetTransparent(true);
  b.SetUpFrame(false);
  b.SetGlyph(Glyph(kOdd));
  b.setEnabled(false);
  const QImage shot = parent.grab().toImage();
  testsupport::SavePng(shot, "shine-transparent-disabled");
  // The glyph stands at (12, 12); its edge mask is white at (0, 0), black at (1, 1) and
  // (2, 2): drawn once in highlight at (+1, +1), once in shadow at (0, 0).
  EXPECT_EQ(shot.pixel(12, 12) & 0xFFFFFF, 0x808080u) << "the mask in the disabled shadow colour";
  EXPECT_EQ(shot.pixel(13, 13) & 0xFFFFFF, 0xFFFFFFu) << "its copy in the disabled highlight colour";
  EXPECT_EQ(shot.pixel(14, 14) & 0xFFFFFF, 0x0000FFu) << "where the mask is black, beneath shows";
  EXPECT_EQ(shot.pixel(5, 5) & 0xFFFFFF, 0x0000FFu) << "no face";
}
