// TdxfProgressBar: a progress bar between Min and Max, filled up to Position, in one of
// five styles (solid, blocks, gradient, gradient blocks, repeated picture), horizontal
// or vertical, with an optional centred percentage or position text. It paints into an
// off-screen bitmap and copies it out in one step; a position change repaints only the
// strip between the old and the new end of the bar, at once, so every step shows.
#pragma once

#include <QImage>
#include <string>

#include "platform/gditext.h"
#include "platform/winwidget.h"

enum TdxfBevelOuter { bvNone, bvLowered, bvRaised };
enum TdxfPBOrientation { orVertical, orHorizontal };
enum TdxfShowTextStyle { stsPercent, stsPosition };
enum TdxfPBStyle { sSolid, sRectangles, sExSolid, sExRectangles, sPictures };

class TdxfProgressBar : public platform::WinWidget {
  Q_OBJECT
 public:
  explicit TdxfProgressBar(QWidget* parent = nullptr);
  ~TdxfProgressBar() override;

  TdxfBevelOuter BarBevelOuter() const { return FBarBevelOuter; }
  COLORREF BeginColor() const { return FBeginColor; }
  TdxfBevelOuter BevelOuter() const { return FBevelOuter; }
  COLORREF EndColor() const { return FEndColor; }
  const QImage& Glyph() const { return FGlyph; }
  LONG Max() const { return FMax; }
  LONG Min() const { return FMin; }
  TdxfPBOrientation Orientation() const { return FOrientation; }
  LONG Position() const { return FPosition; }
  bool ShowText() const { return FShowText; }
  TdxfShowTextStyle ShowTextStyle() const { return FShowTextStyle; }
  LONG Step() const { return FStep; }
  TdxfPBStyle Style() const { return FStyle; }
  bool TransparentGlyph() const { return FTransparentGlyph; }
  COLORREF Color() const { return FColor; }
  const LOGFONT& Font() const { return FFont; }

  void SetBarBevelOuter(TdxfBevelOuter value);
  void SetBeginColor(COLORREF value);
  void SetBevelOuter(TdxfBevelOuter value);
  void SetEndColor(COLORREF value);
  void SetGlyph(const QImage& value);
  void SetMax(LONG value);  // refused below Min; equal to Min gives an empty range
  void SetMin(LONG value);  // refused above Max; equal to Max gives an empty range
  void SetOrientation(TdxfPBOrientation value);
  void SetPosition(LONG value);  // not clamped
  void SetShowText(bool value);
  void SetShowTextStyle(TdxfShowTextStyle value);
  void SetStep(LONG value) { FStep = value; }
  void SetStyle(TdxfPBStyle value);
  void SetTransparentGlyph(bool value);
  void SetColor(COLORREF value);
  void SetFont(const LOGFONT& value);

  void StepIt() { SetPosition(FPosition + FStep); }
  void StepBy(LONG delta) { SetPosition(FPosition + delta); }

  // The text the bar shows: the position, or the percentage followed by " %".
  std::string Text() const;

  // Invalidates the strip between the bar's end at oldPosition and its present end,
  // and repaints it at once.
  void InvalidatePosition(LONG oldPosition);
  // Invalidates the area of the centred text (room for the widest text of the range and
  // for the text shown now), to be painted with the next paint.
  void InvalidateText();
  // Applies the glyph's transparency after the control's settings are all made.
  void Loaded();

 protected:
  void WmPaint() override;

 private:
  // The control's geometry at a position: what painting draws and invalidation covers.
  struct Geometry {
    RECT client;
    RECT inner;     // inside the outer edge
    RECT bar;       // the filled part of inner (empty at Min)
    LONG end = 0;   // where the bar ends: its right edge, or its top when vertical
    int pitch = 0;  // block or glyph pitch along the bar; 0 for the solid styles
  };
  Geometry Layout(LONG position) const;
  // Where text lies: centred in the client area, turned for a vertical bar.
  RECT TextRect(HDC dc, const std::string& text) const;

  void Paint(HDC dc, const Geometry& g);
  void Repaint();
  void DrawBlocks(HDC dc, const Geometry& g, bool gradient);
  void DrawPictures(HDC dc, const RECT& bar);
  void DrawGlyphAt(HDC dc, int x, int y);
  void DrawBarText(HDC dc);
  void BarEdge(HDC dc, RECT rc) const;
  SIZE TextSize(HDC dc, const std::string& text) const;
  HFONT CreateTextFont(bool vertical, HDC dc) const;

  TdxfBevelOuter FBarBevelOuter = bvNone;
  COLORREF FBeginColor = 0x800000;  // navy
  TdxfBevelOuter FBevelOuter = bvLowered;
  COLORREF FEndColor = 0xFFFFFF;
  QImage FGlyph;
  QImage FShownGlyph;  // the glyph as drawn, with its transparency applied
  LONG FMax = 100;
  LONG FMin = 0;
  TdxfPBOrientation FOrientation = orVertical;
  LONG FPosition = 0;
  bool FShowText = false;
  TdxfShowTextStyle FShowTextStyle = stsPercent;
  LONG FStep = 10;
  TdxfPBStyle FStyle = sRectangles;
  bool FTransparentGlyph = true;
  COLORREF FColor;
  LOGFONT FFont;
};
