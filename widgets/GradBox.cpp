#include "widgets/GradBox.h"

#include <QEvent>
#include <cmath>

#include "platform/gditext.h"
#include "platform/syscolors.h"
#include "widgets/Canvas.h"
#include "widgets/Property.h"

TGradBox::TGradBox(QWidget* parent) : platform::WinWidget(parent) {
  SetBackgroundBrush(nullptr);  // the bands cover the whole box
  FFont.OnChange = [this] { Repaint(); };
  resize(200, 100);
}

TGradBox::~TGradBox() = default;

void TGradBox::Repaint() { InvalidateRect(this, nullptr, FALSE); }

void TGradBox::SetCaptionLeft(int value) {
  if (StoreChanged(FCaptionLeft, value)) Repaint();
}
void TGradBox::SetCaptionTop(int value) {
  if (StoreChanged(FCaptionTop, value)) Repaint();
}
void TGradBox::SetTopColor(DWORD value) {
  if (StoreChanged(FTopColor, value)) Repaint();
}
void TGradBox::SetLastColor(DWORD value) {
  if (StoreChanged(FLastColor, value)) Repaint();
}
void TGradBox::SetOutLineColor(DWORD value) {
  if (StoreChanged(FOutLineColor, value) && FDrawOutLine) Repaint();
}
void TGradBox::SetDrawOutLine(bool value) {
  if (StoreChanged(FDrawOutLine, value)) Repaint();
}
void TGradBox::SetGradStyle(TGradStyle value) {
  if (!StoreChanged(FGradStyle, value)) return;
  // Without a gradient nothing covers what lies beneath.
  SetTransparent(FGradStyle == gsNone);
  Repaint();
}
void TGradBox::SetFont3D(bool value) {
  if (StoreChanged(FFont3D, value)) Repaint();
}
void TGradBox::SetFontDepth(BYTE value) {
  if (StoreChanged(FFontDepth, value) && FFont3D) Repaint();
}
void TGradBox::SetStyle3D(TFontStyle3D value) {
  if (StoreChanged(FStyle3D, value)) Repaint();
}
void TGradBox::SetBackFont(DWORD value) {
  if (StoreChanged(FBackFont, value) && FFont3D) Repaint();
}
void TGradBox::SetCaption(const std::string& value) {
  if (StoreChanged(FCaption, value)) Repaint();
}
void TGradBox::SetDesigning(bool value) {
  if (StoreChanged(FDesigning, value)) Repaint();
}

void TGradBox::changeEvent(QEvent* event) {
  platform::WinWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) Repaint();
}

void TGradBox::GetRGB(DWORD color, BYTE& red, BYTE& green, BYTE& blue) {
  SplitColor(color, red, green, blue);
}

void TGradBox::SetColarray(TGradStyle style) {
  DWORD first = FTopColor, last = FLastColor;
  switch (style) {
    case gsTopBottom:
    case gsLeftRight: break;
    case gsBottomTop:
    case gsRightLeft: std::swap(first, last); break;
    case gsNone: return;
  }
  BYTE r0, g0, b0, r1, g1, b1;
  GetRGB(first, r0, g0, b0);
  GetRGB(last, r1, g1, b1);
  // The running values and their steps in extended precision, truncated when stored.
  const long double stepR = (static_cast<long double>(r0) - r1) / 255, stepG = (static_cast<long double>(g0) - g1) / 255,
                    stepB = (static_cast<long double>(b0) - b1) / 255;
  long double r = r0, g = g0, b = b0;
  FColarray[0] = first;
  for (std::size_t i = 1; i < 255; ++i) {
    r -= stepR;
    g -= stepG;
    b -= stepB;
    FColarray[i] = RGB(static_cast<BYTE>(std::trunc(r)), static_cast<BYTE>(std::trunc(g)), static_cast<BYTE>(std::trunc(b)));
  }
  FColarray[255] = last;
}

std::array<RECT, 256> TGradBox::Bands() const {
  std::array<RECT, 256> bands{};
  const bool across = FGradStyle == gsLeftRight || FGradStyle == gsRightLeft;
  const LONG extent = across ? width() : height();
  const long double step = static_cast<long double>(extent) / 255;
  const auto band = static_cast<LONG>(std::trunc(step + 1));
  LONG start = 0;
  for (std::size_t i = 0; i < bands.size(); ++i) {
    bands[i] = across ? RECT{start, 0, start + band, height()} : RECT{0, start, width(), start + band};
    start = static_cast<LONG>(std::trunc(static_cast<long double>(i) * step));
  }
  return bands;
}

void TGradBox::WmPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(this, &ps);
  if (!dc) return;
  Paint(dc);
  EndPaint(this, &ps);
}

void TGradBox::Paint(HDC dc) {
  SetColarray(FGradStyle);
  if (FGradStyle != gsNone) {
    const std::array<RECT, 256> bands = Bands();
    for (std::size_t i = 0; i < bands.size(); ++i) FillColor(dc, bands[i], FColarray[i]);
  }
  platform::ScopedGdiObject<HFONT> font(FFont.Create());
  platform::ScopedSelect selectFont(dc, font);
  SetBkMode(dc, TRANSPARENT);
  if (FDesigning || FDrawOutLine) {
    platform::ScopedGdiObject<HPEN> pen(CreatePen(FDesigning ? PS_DASH : PS_SOLID, 1, platform::ColorToRGB(FOutLineColor)));
    platform::ScopedSelect selectPen(dc, pen);
    platform::ScopedSelect selectBrush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, width(), height());
  }
  DrawCaptionText(dc, RECT{FCaptionLeft, FCaptionTop, width(), height()});
  DoPaint();
}

void TGradBox::DoPaint() {
  if (OnPaint) OnPaint(this);
}

void TGradBox::DrawCaptionAt(HDC dc, const RECT& rc, int dx, int dy, COLORREF color) {
  RECT at = rc;
  OffsetRect(&at, dx, dy);
  SetTextColor(dc, color);
  DrawText(dc, FCaption.c_str(), -1, &at, DT_EXPANDTABS | DT_WORDBREAK);
}

void TGradBox::DrawCaptionText(HDC dc, RECT rc) {
  SetBkMode(dc, TRANSPARENT);
  const COLORREF text = platform::ColorToRGB(FFont.Color());
  const COLORREF back = platform::ColorToRGB(FBackFont);
  const int depth = FFontDepth;
  if (!isEnabled()) {
    DrawCaptionAt(dc, rc, 1, 1, 0xFFFFFF);
    DrawCaptionAt(dc, rc, 0, 0, 0x808080);
    return;
  }
  if (FFont3D) {
    switch (FStyle3D) {
      case fsLowShadow: DrawCaptionAt(dc, rc, depth, depth, back); break;
      case fsRaiseShadow: DrawCaptionAt(dc, rc, -depth, -depth, back); break;
      case fsLow3D:
        for (int k = 1; k <= depth; ++k) DrawCaptionAt(dc, rc, k, k, back);
        break;
      case fsRaise3D:
        for (int k = 1; k <= depth; ++k) DrawCaptionAt(dc, rc, -k, -k, back);
        break;
    }
  }
  DrawCaptionAt(dc, rc, 0, 0, text);
}
