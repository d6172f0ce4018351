// TShadowLabel: a label that draws a drop shadow and a highlight (two offset copies of
// its text in their own colours) beneath the text, a plain or gradient background, an
// optional colour gradient across the characters of the text (two or three colours,
// multi-byte characters kept whole), and an end or path ellipsis. It paints through an
// off-screen bitmap unless it is transparent; a transparent label draws only its text,
// straight over what lies beneath it.
#pragma once

#include <functional>
#include <string>

#include "platform/winwidget.h"
#include "widgets/Font.h"

// The settings of one offset copy of the text.
class TShadow {
 public:
  bool Visible() const { return FVisible; }
  DWORD Color() const { return FColor; }
  int OffsetLeft() const { return FOffsetLeft; }
  int OffsetTop() const { return FOffsetTop; }

  void SetVisible(bool value);
  void SetColor(DWORD value);
  void SetOffsetLeft(int value);
  void SetOffsetTop(int value);
  // Takes the four values of another shadow, with one notification.
  void Assign(const TShadow& source);

  // Called after each real change.
  std::function<void(TShadow* sender)> OnChange;

 private:
  void Changed();

  bool FVisible = true;
  DWORD FColor = 0xC0C0C0;  // clSilver
  int FOffsetLeft = 1;
  int FOffsetTop = 1;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEllipsis { elNone, elEnd, elPath };
enum TTextGradation { tgNone, tg2Colors, tg3Colors };

class TShadowLabel : public platform::WinWidget {
  Q_OBJECT
 public:
  explicit TShadowLabel(QWidget* parent = nullptr);
  ~TShadowLabel() override;

  // The label's own settings.
  const std::string& Caption() const { return FCaption; }
  TAlignment Alignment() const { return FAlignment; }
  TTextLayout Layout() const { return FLayout; }
  bool WordWrap() const { return FWordWrap; }
  bool ShowAccelChar() const { return FShowAccelChar; }
  bool Transparent() const { return IsTransparent(); }
  bool AutoSize() const { return FAutoSize; }
  DWORD Color() const { return FColor; }
  TFont& Font() { return FFont; }
  void SetCaption(const std::string& value);
  void SetAlignment(TAlignment value);
  void SetLayout(TTextLayout value);
  void SetWordWrap(bool value);
  void SetShowAccelChar(bool value);
  void SetTransparent(bool value);
  // An auto-sized label takes the size of its text whenever the text or font changes.
  void SetAutoSize(bool value);
  void SetColor(DWORD value);

  TEllipsis Ellipsis() const { return FEllipsis; }
  bool Flickerless() const { return FFlickerless; }
  bool GradateVert() const { return FGradateVert; }
  bool Gradation() const { return FGradation; }
  DWORD GradationColor() const { return FGradationColor; }
  TShadow& Highlight() { return FHighlight; }
  TShadow& Shadow() { return FShadow; }
  TTextGradation TextGradation() const { return FTextGradation; }
  DWORD TextGradationColor() const { return FTextGradationColor; }
  DWORD TextMidColor() const { return FTextMidColor; }
  void SetEllipsis(TEllipsis value);
  void SetFlickerless(bool value);
  void SetGradateVert(bool value);
  void SetGradation(bool value);
  void SetGradationColor(DWORD value);
  // Copy the values of source into the label's own copy (a null source is ignored).
  void SetHighlight(const TShadow* source);
  void SetShadow(const TShadow* source);
  void SetTextGradation(TTextGradation value);
  void SetTextGradationColor(DWORD value);  // repaints only while there is a text gradation
  void SetTextMidColor(DWORD value);        // repaints only with tg3Colors

  static void GetRGB(DWORD color, BYTE& red, BYTE& green, BYTE& blue);
  // Fills a bitmap with a linear gradient from one colour (top or left) to the other.
  // A bitmap of a single row (vertical) or column (horizontal) takes the from colour.
  static void GradBitmap(HBITMAP bitmap, DWORD from, DWORD to, bool vertical);
  // Paints a gradient into rc of a context through a small bitmap stretched over it.
  static void GradRect(HDC dc, const RECT& rc, DWORD from, DWORD to, bool vertical);

  // The text as drawn ("&" alone or nothing becomes one blank), its format, and the
  // client rectangle moved down by the layout: what painting and sizing share.
  std::string DrawnText() const;
  UINT DrawFormat() const;
  RECT TextRect(HDC dc) const;

 protected:
  void WmPaint() override;
  void changeEvent(QEvent* event) override;

 private:
  void Paint(HDC dc, bool background);
  void Repaint();
  void AdjustBounds();
  void DrawCharGradient(HDC dc, RECT& rc, DWORD from, DWORD to, const std::string& text) const;

  std::string FCaption;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  bool FAutoSize = true;
  DWORD FColor;
  TFont FFont;
  TEllipsis FEllipsis = elNone;
  bool FFlickerless = true;
  bool FGradateVert = false;
  bool FGradation = false;
  DWORD FGradationColor = 0xFF0000;  // clBlue
  TShadow FHighlight;
  TShadow FShadow;
  TTextGradation FTextGradation = tgNone;
  DWORD FTextGradationColor = 0x000080;  // clMaroon
  DWORD FTextMidColor = 0x800000;        // clNavy
};
