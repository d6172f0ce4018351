// TGradBox: a box that paints a two-colour linear gradient over its whole area in 256
// bands (top to bottom, bottom to top, left to right or right to left), may frame itself
// with an outline, and draws its caption plain, disabled, shadowed or extruded. With
// gsNone it paints no gradient and what lies beneath it shows through. The windows use
// one as the decorative background behind their buttons and labels.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/winwidget.h"
#include "widgets/Font.h"

enum TGradStyle { gsTopBottom, gsBottomTop, gsLeftRight, gsRightLeft, gsNone };
enum TFontStyle3D { fsLowShadow, fsRaiseShadow, fsLow3D, fsRaise3D };

class TGradBox : public platform::WinWidget {
  Q_OBJECT
 public:
  explicit TGradBox(QWidget* parent = nullptr);
  ~TGradBox() override;

  int CaptionLeft() const { return FCaptionLeft; }
  int CaptionTop() const { return FCaptionTop; }
  DWORD TopColor() const { return FTopColor; }
  DWORD LastColor() const { return FLastColor; }
  DWORD OutLineColor() const { return FOutLineColor; }
  bool DrawOutLine() const { return FDrawOutLine; }
  TGradStyle GradStyle() const { return FGradStyle; }
  bool Font3D() const { return FFont3D; }
  BYTE FontDepth() const { return FFontDepth; }
  TFontStyle3D Style3D() const { return FStyle3D; }
  DWORD BackFont() const { return FBackFont; }
  const std::string& Caption() const { return FCaption; }
  TFont& Font() { return FFont; }
  // The form designer shows the box: its outline is always drawn, dashed.
  bool Designing() const { return FDesigning; }

  void SetCaptionLeft(int value);
  void SetCaptionTop(int value);
  void SetTopColor(DWORD value);
  void SetLastColor(DWORD value);
  void SetOutLineColor(DWORD value);  // repaints only while DrawOutLine is set
  void SetDrawOutLine(bool value);
  void SetGradStyle(TGradStyle value);
  void SetFont3D(bool value);
  void SetFontDepth(BYTE value);  // repaints only while Font3D is set
  void SetStyle3D(TFontStyle3D value);
  void SetBackFont(DWORD value);  // repaints only while Font3D is set
  void SetCaption(const std::string& value);
  void SetDesigning(bool value);

  // The three bytes of a colour, a system colour constant resolved first.
  static void GetRGB(DWORD color, BYTE& red, BYTE& green, BYTE& blue);
  // Fills the colour table for a direction; gsNone leaves it as it is.
  void SetColarray(TGradStyle style);
  const std::array<DWORD, 256>& Colarray() const { return FColarray; }
  // The rectangle of each of the 256 bands, in painting order. Band i + 1 starts where
  // band i's position was computed from, so band 1 covers band 0.
  std::array<RECT, 256> Bands() const;
  // Draws the caption into rc in the look the box's state and settings give it.
  void DrawCaptionText(HDC dc, RECT rc);

  // Called after each paint with the box as sender.
  std::function<void(TGradBox* sender)> OnPaint;

 protected:
  virtual void DoPaint();
  void WmPaint() override;
  void changeEvent(QEvent* event) override;

 private:
  void Paint(HDC dc);
  void Repaint();
  void DrawCaptionAt(HDC dc, const RECT& rc, int dx, int dy, COLORREF color);

  int FCaptionLeft = 10;
  int FCaptionTop = 10;
  DWORD FTopColor = 0x008000;   // clGreen
  DWORD FLastColor = 0x00FF00;  // clLime
  DWORD FOutLineColor = 0;
  bool FDrawOutLine = false;
  TGradStyle FGradStyle = gsTopBottom;
  bool FFont3D = false;
  BYTE FFontDepth = 1;
  TFontStyle3D FStyle3D = fsRaise3D;
  DWORD FBackFont = 0x00FFFF;  // clYellow
  std::string FCaption;
  TFont FFont;
  bool FDesigning = false;
  std::array<DWORD, 256> FColarray{};
};
