// TShineSpeedButton: a speed button with hot tracking. It knows five visual states
// (pressed, down, hot, up, disabled), paints a plain or gradient face from one of two
// colour sets, draws one of three frame types, and derives the glyph it shows from the
// user's picture by the state: lit by a shine colour while the mouse is over it, greyed,
// faded or outlined while disabled. Grouped buttons release each other, the framework's
// speed buttons of the same group included. A 200 ms timer notices that the mouse has
// left even when no leave notification arrives.
#pragma once

#include <QImage>
#include <functional>
#include <string>

#include "platform/winwidget.h"
#include "widgets/Font.h"

class QShortcut;
class TSpeedButton;

// One colour set of the button's face and frame.
class TShineBtnColors {
 public:
  DWORD Color() const { return FColor; }
  DWORD Highlight() const { return FHighlight; }
  DWORD Shadow() const { return FShadow; }
  DWORD DarkShadow() const { return FDarkShadow; }
  DWORD GradColor() const { return FGradColor; }
  bool GradVertical() const { return FGradVertical; }
  bool Gradation() const { return FGradation; }

  void SetColor(DWORD value);
  void SetHighlight(DWORD value);
  void SetShadow(DWORD value);
  void SetDarkShadow(DWORD value);
  void SetGradColor(DWORD value);
  void SetGradVertical(bool value);
  void SetGradation(bool value);
  // Copy all seven values from or into another set, with one notification.
  void Assign(const TShineBtnColors& source);
  void AssignTo(TShineBtnColors& dest) const { dest.Assign(*this); }

  std::function<void(TShineBtnColors* sender)> OnChange;

 private:
  void Changed();

  DWORD FColor = 0x8000000F;       // clBtnFace
  DWORD FHighlight = 0x80000014;   // clBtnHighlight
  DWORD FShadow = 0x80000010;      // clBtnShadow
  DWORD FDarkShadow = 0x80000006;  // clWindowFrame
  DWORD FGradColor = 0xFF0000;     // clBlue
  bool FGradVertical = false;
  bool FGradation = false;
};

enum TFrameType { ftFlatFrame, ftNormalFrame, ftEnclosedFrame };
enum TActiveImageType { aiNormal, aiXorLight, aiHalfLight, aiQuaterLight, aiAddLight, aiFrameLight, aiFrameLight2,
                        aiMaskLight };
enum TDisabledImageType { diDefault, diGrayscale, diAlphaHalfTrans, diAlphaQuaterTrans, diMaskTrans };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Mouse buttons and keys held, as the mouse events report them.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32;

class TShineSpeedButton : public platform::WinWidget {
  Q_OBJECT
 public:
  // The visual states.
  static constexpr int kPressed = 0, kDown = 1, kHot = 2, kUp = 3, kDisabled = 4;

  explicit TShineSpeedButton(QWidget* parent = nullptr);
  ~TShineSpeedButton() override;

  int GroupIndex() const { return FGroupIndex; }
  bool Down() const { return FDown; }
  bool AllowAllUp() const { return FAllowAllUp; }
  bool ClickDownHook() const { return FClickDownHook; }
  bool AccelCharDown() const { return FAccelCharDown; }
  TFrameType FrameType() const { return FFrameType; }
  bool Transparent() const { return IsTransparent(); }
  bool ActiveFrame() const { return FActiveFrame; }
  bool UpFrame() const { return FUpFrame; }
  bool DownFrame() const { return FDownFrame; }
  TActiveImageType ActiveImage() const { return FActiveImage; }
  TDisabledImageType DisabledImage() const { return FDisabledImage; }
  DWORD DisabledHighlight() const { return FDisabledHighlight; }
  DWORD DisabledShadow() const { return FDisabledShadow; }
  TShineBtnColors& Colors() { return FColors; }
  TShineBtnColors& PressedColors() { return FPressedColors; }
  DWORD ShineColor() const { return FShineColor; }
  TFont& Font() { return FFont; }
  TFont& ActiveFont() { return FActiveFont; }
  DWORD FontHighlight() const { return FFontHighlight; }
  DWORD FontShadow() const { return FFontShadow; }
  TButtonLayout Layout() const { return FLayout; }
  int Margin() const { return FMargin; }
  int Spacing() const { return FSpacing; }
  const QImage& Glyph() const { return FGlyph; }
  const std::string& Caption() const { return FCaption; }
  int State() const { return FState; }
  bool MouseInside() const { return FMouseInside; }
  bool Tracking() const { return FTracking; }

  void SetGroupIndex(int value);
  void SetDown(bool value);
  void SetAllowAllUp(bool value);
  void SetClickDownHook(bool value) { FClickDownHook = value; }
  void SetAccelCharDown(bool value) { FAccelCharDown = value; }
  void SetFrameType(TFrameType value);
  void SetTransparent(bool value);
  void SetActiveFrame(bool value);
  void SetUpFrame(bool value);
  void SetDownFrame(bool value);
  void SetActiveImage(TActiveImageType value);
  void SetDisabledImage(TDisabledImageType value);
  void SetDisabledHighlight(DWORD value);
  void SetDisabledShadow(DWORD value);
  void SetColors(const TShineBtnColors& value) { FColors.Assign(value); }
  void SetPressedColors(const TShineBtnColors& value) { FPressedColors.Assign(value); }
  void SetShineColor(DWORD value);
  void SetFontHighlight(DWORD value);
  void SetFontShadow(DWORD value);
  void SetLayout(TButtonLayout value);
  void SetMargin(int value);
  void SetSpacing(int value);
  // The picture, held as a 32-bit image; its bottom-left pixel's colour is transparent.
  void SetGlyph(const QImage& value);
  void SetCaption(const std::string& value);

  // Tells the other buttons of the parent that this one's group changed state.
  void GroupUpdateStatus(int group);
  // The glyph as the state shows it, and the colour that is transparent in it.
  QImage StateGlyph(int state) const;
  // Where the glyph and the caption stand for the current state's font; painting and
  // the caption's measuring share it.
  struct ContentLayout {
    POINT glyph;
    RECT caption;
  };
  ContentLayout CalcLayout(HDC dc) const;

  // What the framework's notifications and the mouse make the button do.
  void MouseEnter(TShiftState shift, int x, int y);
  void MouseLeave(TShiftState shift, int x, int y);
  void MouseDown(TShiftState shift, int x, int y);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseUp(TShiftState shift, int x, int y);
  void Click();
  void DblClick();
  // The caption's accelerator key: true when the key was the button's.
  bool DialogChar(char key);

  std::function<void(TShineSpeedButton* sender, TShiftState shift, int x, int y)> OnMouseEnter, OnMouseLeave;
  std::function<void(TShineSpeedButton* sender)> OnClick, OnDblClick;

 protected:
  void WmPaint() override;
  void WmTimer(UINT_PTR id) override;
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Paint(HDC dc);
  void PaintFace(HDC dc);
  void PaintGlyphAndCaption(HDC dc);
  void PaintFrame(HDC dc);
  void Repaint();
  void SetState(int state);
  void UpdateTracking();
  bool InsideClient(int x, int y) const;
  void CurrentMouse(TShiftState& shift, POINT& pt) const;
  const TFont& StateFont() const;

  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FClickDownHook = false;
  bool FAccelCharDown = false;
  TFrameType FFrameType = ftNormalFrame;
  bool FActiveFrame = true;
  bool FUpFrame = true;
  bool FDownFrame = true;
  TActiveImageType FActiveImage = aiFrameLight;
  TDisabledImageType FDisabledImage = diDefault;
  DWORD FDisabledHighlight = 0x80000014;  // clBtnHighlight
  DWORD FDisabledShadow = 0x80000010;     // clBtnShadow
  TShineBtnColors FColors;
  TShineBtnColors FPressedColors;
  DWORD FShineColor = 0x00FFFF;  // clYellow
  TFont FFont;
  TFont FActiveFont;
  DWORD FFontHighlight = 0x1FFFFFFF;  // clNone
  DWORD FFontShadow = 0x1FFFFFFF;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  QImage FGlyph;
  std::string FCaption;
  QShortcut* FAccelerator = nullptr;

  int FState = kUp;
  bool FMouseInside = false;
  bool FTracking = false;
  TSpeedButton* FGroupMessenger = nullptr;  // the temporary button of GroupUpdateStatus
};
