#include "widgets/dxfProgressBar.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/fonts.h"
#include "platform/syscolors.h"

namespace {

// Each channel goes from begin to end in proportion pos / total, truncated.
COLORREF GradientColor(COLORREF begin, COLORREF end, LONG pos, LONG total) {
  if (total == 0) return begin;
  auto channel = [&](int shift) {
    const double b = (begin >> shift) & 0xFF, e = (end >> shift) & 0xFF;
    const auto v = static_cast<long>((e - b) * pos / total + b);
    return static_cast<COLORREF>(std::clamp(v, 0L, 255L)) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

void Fill(HDC dc, const RECT& rc, COLORREF color) {
  platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &rc, brush);
}

UINT EdgeOf(TdxfBevelOuter bevel) { return bevel == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER; }

// The bar's end along its length for a position, by the bar's own formula.
LONG Length(LONG position, LONG min, LONG max, LONG extent) {
  if (max == min) return 0;
  return static_cast<LONG>(static_cast<long long>(position - min) * extent / (max - min));
}

}  // namespace

TdxfProgressBar::TdxfProgressBar(QWidget* parent) : platform::WinWidget(parent), FColor(GetSysColor(COLOR_BTNFACE)) {
  FFont.lfHeight = -12;
  FFont.lfCharSet = SHIFTJIS_CHARSET;
  std::strncpy(FFont.lfFaceName, platform::kUiFace, sizeof FFont.lfFaceName - 1);
  SetBackgroundBrush(nullptr);  // every paint covers the whole area it repaints
  resize(150, 16);
}

TdxfProgressBar::~TdxfProgressBar() = default;

void TdxfProgressBar::Repaint() {
  InvalidateRect(this, nullptr, FALSE);
  UpdateWindow(this);
}

void TdxfProgressBar::SetBarBevelOuter(TdxfBevelOuter value) {
  if (value == FBarBevelOuter) return;
  FBarBevelOuter = value;
  Repaint();
}

void TdxfProgressBar::SetBeginColor(COLORREF value) {
  if (value == FBeginColor) return;
  FBeginColor = value;
  if (FStyle != sPictures) Repaint();
}

void TdxfProgressBar::SetBevelOuter(TdxfBevelOuter value) {
  if (value == FBevelOuter) return;
  FBevelOuter = value;
  Repaint();
}

void TdxfProgressBar::SetEndColor(COLORREF value) {
  if (value == FEndColor) return;
  FEndColor = value;
  if (FStyle == sExSolid || FStyle == sExRectangles) Repaint();
}

void TdxfProgressBar::SetGlyph(const QImage& value) {
  FGlyph = value.convertToFormat(QImage::Format_RGB32);
  if (!FGlyph.isNull() && FGlyph.width() > 0 && FGlyph.height() > 0) {
    if (FOrientation == orVertical) resize(FGlyph.width() + 4, height());
    else resize(width(), FGlyph.height() + 4);
  }
  Loaded();
}

void TdxfProgressBar::Loaded() {
  // A transparent glyph leaves out every pixel of its bottom-left pixel's colour.
  FShownGlyph = FGlyph.convertToFormat(QImage::Format_ARGB32);
  if (FTransparentGlyph && !FShownGlyph.isNull()) {
    const QRgb key = FGlyph.pixel(0, FGlyph.height() - 1);
    for (int y = 0; y < FShownGlyph.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(FShownGlyph.scanLine(y));
      for (int x = 0; x < FShownGlyph.width(); ++x)
        if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF)) row[x] = 0;
    }
  }
  if (FStyle == sPictures) Repaint();
}

void TdxfProgressBar::SetMax(LONG value) {
  if (value == FMax || value < FMin) return;
  FMax = value;
  Repaint();
}

void TdxfProgressBar::SetMin(LONG value) {
  if (value == FMin || value > FMax) return;
  FMin = value;
  Repaint();
}

void TdxfProgressBar::SetOrientation(TdxfPBOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  Repaint();
}

void TdxfProgressBar::SetPosition(LONG value) {
  if (value == FPosition) return;
  const LONG old = FPosition;
  // The old text may reach beyond the new one (a position outside the range).
  const RECT oldText = FShowText ? TextRect(platform::ScopedWindowDC(this), Text()) : RECT{};
  FPosition = value;
  InvalidatePosition(old);
  if (FShowText) {
    InvalidateRect(this, &oldText, FALSE);
    InvalidateText();
  }
}

void TdxfProgressBar::SetShowText(bool value) {
  if (value == FShowText) return;
  FShowText = value;
  Repaint();
}

void TdxfProgressBar::SetShowTextStyle(TdxfShowTextStyle value) {
  if (value == FShowTextStyle) return;
  FShowTextStyle = value;
  if (FShowText) Repaint();
}

void TdxfProgressBar::SetStyle(TdxfPBStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Repaint();
}

void TdxfProgressBar::SetTransparentGlyph(bool value) {
  FTransparentGlyph = value;
  Loaded();
  Repaint();
}

void TdxfProgressBar::SetColor(COLORREF value) {
  if (value == FColor) return;
  FColor = value;
  Repaint();
}

void TdxfProgressBar::SetFont(const LOGFONT& value) {
  FFont = value;
  Repaint();
}

std::string TdxfProgressBar::Text() const {
  if (FShowTextStyle == stsPosition) return std::to_string(FPosition);
  // An empty range shows 0 %; halves round to the even neighbour.
  const double percent = FMax == FMin ? 0.0 : std::nearbyint(static_cast<double>(FPosition - FMin) * 100.0 / (FMax - FMin));
  return std::to_string(static_cast<long long>(percent)) + " %";
}

TdxfProgressBar::Geometry TdxfProgressBar::Layout(LONG position) const {
  Geometry g;
  GetClientRect(const_cast<TdxfProgressBar*>(this), &g.client);
  g.inner = g.client;
  if (FBevelOuter != bvNone) InflateRect(&g.inner, -2, -2);
  const RECT& in = g.inner;
  g.bar = in;
  const bool horizontal = FOrientation == orHorizontal;
  if (position == FMin) {
    // Nothing is filled at Min, whatever the range.
    if (horizontal) g.bar.right = in.left;
    else g.bar.top = in.bottom;
  } else if (horizontal) {
    g.bar.right = std::min(in.left + Length(position, FMin, FMax, in.right - in.left), in.right);
  } else {
    g.bar.top = std::max(in.bottom - Length(position, FMin, FMax, in.bottom - in.top), in.top);
  }
  g.end = horizontal ? g.bar.right : g.bar.top;
  if (FStyle == sPictures) {
    g.pitch = horizontal ? FGlyph.width() : FGlyph.height();
  } else if (FStyle == sRectangles || FStyle == sExRectangles) {
    const LONG across = horizontal ? in.bottom - in.top : in.right - in.left;
    g.pitch = static_cast<int>(across * 2 / 3 + 2);
  }
  return g;
}

RECT TdxfProgressBar::TextRect(HDC dc, const std::string& text) const {
  const SIZE size = TextSize(dc, text);
  RECT client;
  GetClientRect(const_cast<TdxfProgressBar*>(this), &client);
  const LONG w = client.right - client.left, h = client.bottom - client.top;
  // A vertical bar's text runs downwards, so its extent is turned too.
  const bool vertical = FOrientation == orVertical;
  const LONG tw = vertical ? size.cy : size.cx;
  const LONG th = vertical ? size.cx : size.cy;
  const LONG left = client.left + (w - tw) / 2, top = client.top + (h - th) / 2;
  return RECT{left, top, left + tw, top + th};
}

void TdxfProgressBar::BarEdge(HDC dc, RECT rc) const {
  if (FBarBevelOuter != bvNone) DrawEdge(dc, &rc, EdgeOf(FBarBevelOuter), BF_RECT);
}

void TdxfProgressBar::WmPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(this, &ps);
  if (!dc) return;
  const Geometry g = Layout(FPosition);
  const int w = g.client.right - g.client.left, h = g.client.bottom - g.client.top;
  if (w > 0 && h > 0) {
    platform::ScopedDC mem(CreateCompatibleDC(dc));
    platform::ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, w, h));
    {
      platform::ScopedSelect select(mem, bitmap);
      Paint(mem, g);
      BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    }
  }
  EndPaint(this, &ps);
}

void TdxfProgressBar::Paint(HDC dc, const Geometry& g) {
  Fill(dc, g.client, FColor);
  if (FBevelOuter != bvNone) {
    RECT edge = g.client;
    DrawEdge(dc, &edge, EdgeOf(FBevelOuter), BF_RECT);
  }
  const RECT& inner = g.inner;
  const RECT& bar = g.bar;
  const bool horizontal = FOrientation == orHorizontal;
  if (bar.right > bar.left && bar.bottom > bar.top) {
    switch (FStyle) {
      case sSolid:
        Fill(dc, bar, FBeginColor);
        BarEdge(dc, bar);
        break;
      case sExSolid:
        if (horizontal) {
          for (LONG x = bar.left; x < bar.right; ++x)
            Fill(dc, {x, bar.top, x + 1, bar.bottom},
                 GradientColor(FBeginColor, FEndColor, x - bar.left, inner.right - inner.left));
        } else {
          for (LONG y = bar.bottom - 1; y >= bar.top; --y)
            Fill(dc, {bar.left, y, bar.right, y + 1},
                 GradientColor(FBeginColor, FEndColor, bar.bottom - y, inner.bottom - inner.top));
        }
        BarEdge(dc, bar);
        break;
      case sRectangles: DrawBlocks(dc, g, false); break;
      case sExRectangles: DrawBlocks(dc, g, true); break;
      case sPictures: DrawPictures(dc, bar); break;
    }
  }
  if (FShowText) DrawBarText(dc);
}

void TdxfProgressBar::DrawBlocks(HDC dc, const Geometry& g, bool gradient) {
  const RECT& inner = g.inner;
  const RECT& bar = g.bar;
  const int pitch = g.pitch;
  const bool full = FPosition >= FMax;
  if (FOrientation == orHorizontal) {
    const LONG total = inner.right - inner.left;
    auto block = [&](RECT rc, LONG boundary) {
      Fill(dc, rc, gradient ? GradientColor(FBeginColor, FEndColor, boundary - bar.left, total) : FBeginColor);
      BarEdge(dc, rc);
    };
    LONG last = bar.left;
    for (LONG x = bar.left + pitch; x <= bar.right - 1; x += pitch) {
      block({x - pitch, bar.top, x - 2, bar.bottom}, x);
      last = x;
    }
    if (full && last < bar.right) block({last, bar.top, bar.right, bar.bottom}, bar.right);
  } else {
    const LONG total = inner.bottom - inner.top;
    auto block = [&](RECT rc, LONG boundary) {
      Fill(dc, rc, gradient ? GradientColor(FBeginColor, FEndColor, bar.bottom - boundary, total) : FBeginColor);
      BarEdge(dc, rc);
    };
    LONG last = bar.bottom - 1;
    for (LONG y = bar.bottom - 1 - pitch; y >= bar.top; y -= pitch) {
      block({bar.left, y + 2, bar.right, y + pitch}, y);
      last = y;
    }
    if (full && last > bar.top) block({bar.left, bar.top, bar.right, last}, bar.top);
  }
}

void TdxfProgressBar::DrawGlyphAt(HDC dc, int x, int y) {
  for (int gy = 0; gy < FShownGlyph.height(); ++gy) {
    const auto* row = reinterpret_cast<const QRgb*>(FShownGlyph.constScanLine(gy));
    for (int gx = 0; gx < FShownGlyph.width(); ++gx)
      if (qAlpha(row[gx]) != 0) SetPixelV(dc, x + gx, y + gy, RGB(qRed(row[gx]), qGreen(row[gx]), qBlue(row[gx])));
  }
}

void TdxfProgressBar::DrawPictures(HDC dc, const RECT& bar) {
  if (FGlyph.width() <= 0 || FGlyph.height() <= 0) return;
  const int gw = FGlyph.width(), gh = FGlyph.height();
  if (FOrientation == orHorizontal) {
    LONG last = bar.left;
    for (LONG x = bar.left + gw; x <= bar.right - 1; x += gw) {
      DrawGlyphAt(dc, x - gw, bar.top);
      last = x;
    }
    if (FPosition == FMax) DrawGlyphAt(dc, last, bar.top);
  } else {
    LONG last = bar.bottom - 1;
    for (LONG y = bar.bottom - 1 - gh; y >= bar.top; y -= gh) {
      DrawGlyphAt(dc, bar.left, y);
      last = y;
    }
    if (FPosition == FMax) DrawGlyphAt(dc, bar.left, last - gh);
  }
}

HFONT TdxfProgressBar::CreateTextFont(bool vertical, HDC dc) const {
  LOGFONT lf = FFont;
  if (vertical) {
    lf.lfEscapement = lf.lfOrientation = 2700;
    // Only outline fonts turn; anything else is replaced by one that does.
    TEXTMETRIC tm{};
    platform::ScopedGdiObject<HFONT> probe(CreateFontIndirect(&FFont));
    {
      platform::ScopedSelect select(dc, probe);
      GetTextMetrics(dc, &tm);
    }
    if ((tm.tmPitchAndFamily & TMPF_TRUETYPE) == 0) std::strncpy(lf.lfFaceName, "Arial", sizeof lf.lfFaceName - 1);
  }
  return CreateFontIndirect(&lf);
}

SIZE TdxfProgressBar::TextSize(HDC dc, const std::string& text) const {
  SIZE size{};
  platform::ScopedGdiObject<HFONT> font(CreateFontIndirect(&FFont));
  platform::ScopedSelect select(dc, font);
  GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void TdxfProgressBar::DrawBarText(HDC dc) {
  const std::string text = Text();
  const RECT area = TextRect(dc, text);
  const bool vertical = FOrientation == orVertical;
  platform::ScopedGdiObject<HFONT> font(CreateTextFont(vertical, dc));
  platform::ScopedSelect select(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  // Turned text hangs to the left of its reference point.
  TextOut(dc, vertical ? area.right : area.left, area.top, text.c_str(), static_cast<int>(text.size()));
}

void TdxfProgressBar::InvalidatePosition(LONG oldPosition) {
  const Geometry now = Layout(FPosition), before = Layout(oldPosition);
  // The strip between the two ends, widened by the edges (2) and by a block or glyph,
  // which is drawn or left out whole.
  const LONG a = std::min(now.end, before.end) - 2 - now.pitch;
  const LONG b = std::max(now.end, before.end) + 2 + now.pitch;
  RECT area = now.client;
  if (FOrientation == orHorizontal) {
    area.left = a, area.right = b;
  } else {
    area.top = a, area.bottom = b;
  }
  RECT visible;
  if (!IntersectRect(&visible, &area, &now.client)) return;
  InvalidateRect(this, &visible, FALSE);
  UpdateWindow(this);
}

void TdxfProgressBar::InvalidateText() {
  const platform::ScopedWindowDC dc(this);
  const RECT widest = TextRect(dc, FShowTextStyle == stsPercent ? "100 %" : std::to_string(FMax));
  const RECT shown = TextRect(dc, Text());
  RECT area;
  UnionRect(&area, &widest, &shown);
  InvalidateRect(this, &area, FALSE);
}
