#include "widgets/ShadoLbl.h"

#include <QEvent>
#include <cmath>

#include "platform/gditext.h"
#include "platform/syscolors.h"
#include "platform/text.h"
#include "widgets/Canvas.h"
#include "widgets/Property.h"

namespace {

// Characters of a text: every byte but the trail bytes of a multi-byte character.
std::size_t CharCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += platform::CharLength(text, pos)) ++count;
  return count;
}

// The colour at fraction t of the way from one colour to another, each channel truncated.
COLORREF Between(COLORREF from, COLORREF to, double t) {
  auto channel = [t](BYTE a, BYTE b) {
    return static_cast<BYTE>(std::trunc((static_cast<int>(b) - static_cast<int>(a)) * t + a));
  };
  return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
             channel(GetBValue(from), GetBValue(to)));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TShadow

void TShadow::Changed() {
  if (OnChange) OnChange(this);
}

void TShadow::SetVisible(bool value) {
  if (StoreChanged(FVisible, value)) Changed();
}
void TShadow::SetColor(DWORD value) {
  if (StoreChanged(FColor, value)) Changed();
}
void TShadow::SetOffsetLeft(int value) {
  if (StoreChanged(FOffsetLeft, value)) Changed();
}
void TShadow::SetOffsetTop(int value) {
  if (StoreChanged(FOffsetTop, value)) Changed();
}

void TShadow::Assign(const TShadow& source) {
  FVisible = source.FVisible;
  FColor = source.FColor;
  FOffsetLeft = source.FOffsetLeft;
  FOffsetTop = source.FOffsetTop;
  Changed();
}

// ---------------------------------------------------------------------------------------
// TShadowLabel

TShadowLabel::TShadowLabel(QWidget* parent) : platform::WinWidget(parent), FColor(clBtnFace) {
  SetBackgroundBrush(nullptr);  // every paint covers the whole label
  FHighlight.SetColor(clWhite);
  FHighlight.SetOffsetLeft(-1);
  FHighlight.SetOffsetTop(-1);
  FHighlight.OnChange = [this](TShadow*) { Repaint(); };
  FShadow.OnChange = [this](TShadow*) { Repaint(); };
  FFont.OnChange = [this] {
    AdjustBounds();
    Repaint();
  };
  resize(65, 17);
  AdjustBounds();
}

TShadowLabel::~TShadowLabel() = default;

void TShadowLabel::Repaint() { InvalidateRect(this, nullptr, FALSE); }

void TShadowLabel::SetCaption(const std::string& value) {
  if (!StoreChanged(FCaption, value)) return;
  AdjustBounds();
  Repaint();
}
void TShadowLabel::SetAlignment(TAlignment value) {
  if (StoreChanged(FAlignment, value)) Repaint();
}
void TShadowLabel::SetLayout(TTextLayout value) {
  if (StoreChanged(FLayout, value)) Repaint();
}
void TShadowLabel::SetWordWrap(bool value) {
  if (!StoreChanged(FWordWrap, value)) return;
  AdjustBounds();
  Repaint();
}
void TShadowLabel::SetShowAccelChar(bool value) {
  if (!StoreChanged(FShowAccelChar, value)) return;
  AdjustBounds();
  Repaint();
}
void TShadowLabel::SetTransparent(bool value) {
  if (value == IsTransparent()) return;
  platform::WinWidget::SetTransparent(value);
  Repaint();
}
void TShadowLabel::SetAutoSize(bool value) {
  if (!StoreChanged(FAutoSize, value)) return;
  AdjustBounds();
  Repaint();
}
void TShadowLabel::SetColor(DWORD value) {
  if (StoreChanged(FColor, value)) Repaint();
}
void TShadowLabel::SetEllipsis(TEllipsis value) {
  if (StoreChanged(FEllipsis, value)) Repaint();
}
void TShadowLabel::SetFlickerless(bool value) {
  if (StoreChanged(FFlickerless, value)) Repaint();
}
void TShadowLabel::SetGradateVert(bool value) {
  if (StoreChanged(FGradateVert, value)) Repaint();
}
void TShadowLabel::SetGradation(bool value) {
  if (StoreChanged(FGradation, value)) Repaint();
}
void TShadowLabel::SetGradationColor(DWORD value) {
  if (StoreChanged(FGradationColor, value)) Repaint();
}
void TShadowLabel::SetHighlight(const TShadow* source) {
  if (!source) return;
  FHighlight.Assign(*source);  // its notification repaints
}
void TShadowLabel::SetShadow(const TShadow* source) {
  if (!source) return;
  FShadow.Assign(*source);
}
void TShadowLabel::SetTextGradation(TTextGradation value) {
  if (StoreChanged(FTextGradation, value)) Repaint();
}
void TShadowLabel::SetTextGradationColor(DWORD value) {
  if (StoreChanged(FTextGradationColor, value) && FTextGradation != tgNone) Repaint();
}
void TShadowLabel::SetTextMidColor(DWORD value) {
  if (StoreChanged(FTextMidColor, value) && FTextGradation == tg3Colors) Repaint();
}

void TShadowLabel::changeEvent(QEvent* event) {
  platform::WinWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) Repaint();
}

void TShadowLabel::GetRGB(DWORD color, BYTE& red, BYTE& green, BYTE& blue) {
  SplitColor(color, red, green, blue);
}

void TShadowLabel::GradBitmap(HBITMAP bitmap, DWORD from, DWORD to, bool vertical) {
  BITMAP info;
  if (!GetObject(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return;
  const int w = info.bmWidth, h = info.bmHeight;
  const COLORREF a = platform::ColorToRGB(from), b = platform::ColorToRGB(to);
  platform::ScopedDC dc(CreateCompatibleDC(nullptr));
  platform::ScopedSelect select(dc, bitmap);
  if (vertical) {
    // The first pixel of each row, then column 0 stretched across.
    for (int y = 0; y < h; ++y) SetPixelV(dc, 0, y, Between(a, b, h > 1 ? static_cast<double>(y) / (h - 1) : 0.0));
    if (w >= 2) StretchBlt(dc, 0, 0, w, h, dc, 0, 0, 1, h, SRCCOPY);
  } else {
    // The first row, then copied into every further row.
    for (int x = 0; x < w; ++x) SetPixelV(dc, x, 0, Between(a, b, w > 1 ? static_cast<double>(x) / (w - 1) : 0.0));
    for (int y = 1; y < h; ++y) BitBlt(dc, 0, y, w, 1, dc, 0, 0, SRCCOPY);
  }
}

void TShadowLabel::GradRect(HDC dc, const RECT& rc, DWORD from, DWORD to, bool vertical) {
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return;
  const int bw = vertical ? 1 : w, bh = vertical ? h : h / 20 + 1;
  platform::ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, bw, bh));
  GradBitmap(bitmap, from, to, vertical);
  platform::ScopedDC source(CreateCompatibleDC(dc));
  platform::ScopedSelect select(source, bitmap);
  const int previous = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, rc.left, rc.top, w, h, source, 0, 0, bw, bh, SRCCOPY);
  SetStretchBltMode(dc, previous);
}

std::string TShadowLabel::DrawnText() const {
  if (FCaption.empty() || (FShowAccelChar && FCaption == "&")) return FCaption + " ";
  return FCaption;
}

UINT TShadowLabel::DrawFormat() const {
  UINT format = DT_EXPANDTABS;
  if (FAlignment == taRightJustify) format |= DT_RIGHT;
  if (FAlignment == taCenter) format |= DT_CENTER;
  if (FWordWrap) format |= DT_WORDBREAK;
  if (!FShowAccelChar) format |= DT_NOPREFIX;
  if (FEllipsis == elEnd) format |= DT_END_ELLIPSIS;
  if (FEllipsis == elPath) format |= DT_PATH_ELLIPSIS;
  return format;
}

RECT TShadowLabel::TextRect(HDC dc) const {
  const std::string text = DrawnText();
  platform::ScopedGdiObject<HFONT> font(FFont.Create());
  platform::ScopedSelect select(dc, font);
  RECT rc{0, 0, width(), height()};
  RECT measured = rc;
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &measured, DrawFormat() | DT_CALCRECT);
  const LONG textHeight = measured.bottom - measured.top;
  if (FLayout == tlCenter) OffsetRect(&rc, 0, (height() - textHeight) / 2);
  if (FLayout == tlBottom) OffsetRect(&rc, 0, height() - textHeight);
  return rc;
}

void TShadowLabel::AdjustBounds() {
  if (!FAutoSize) return;
  const std::string text = DrawnText();
  platform::ScopedDC dc(CreateCompatibleDC(nullptr));
  platform::ScopedGdiObject<HFONT> font(FFont.Create());
  platform::ScopedSelect select(dc, font);
  RECT rc{0, 0, FWordWrap ? width() : 0x7FFF, 0};
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &rc, (DrawFormat() & ~(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) | DT_CALCRECT);
  resize(rc.right - rc.left, rc.bottom - rc.top);
}

void TShadowLabel::WmPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(this, &ps);
  if (!dc) return;
  const int w = width(), h = height();
  const RECT client{0, 0, w, h};
  if (FFlickerless && !IsTransparent() && w > 0 && h > 0) {
    platform::ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, w, h));
    if (FGradation) GradBitmap(bitmap, FGradationColor, FColor, FGradateVert);
    {
      platform::ScopedDC mem(CreateCompatibleDC(dc));
      platform::ScopedSelect select(mem, bitmap);
      if (!FGradation) FillColor(mem, client, FColor);
      Paint(mem, false);
      BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    }
  } else {
    Paint(dc, !IsTransparent());
  }
  EndPaint(this, &ps);
}

void TShadowLabel::Paint(HDC dc, bool background) {
  const RECT client{0, 0, width(), height()};
  if (background) {
    if (FGradation) GradRect(dc, client, FGradationColor, FColor, FGradateVert);
    else FillColor(dc, client, FColor);
  }
  const std::string text = DrawnText();
  const UINT format = DrawFormat();
  const RECT rc = TextRect(dc);
  platform::ScopedGdiObject<HFONT> font(FFont.Create());
  platform::ScopedSelect select(dc, font);
  SetBkMode(dc, TRANSPARENT);

  const bool enabled = isEnabled();
  const COLORREF textColor = enabled ? platform::ColorToRGB(FFont.Color()) : GetSysColor(COLOR_BTNSHADOW);
  const COLORREF shadowColor = enabled ? platform::ColorToRGB(FShadow.Color()) : 0x808080;
  const COLORREF highlightColor = enabled ? platform::ColorToRGB(FHighlight.Color()) : GetSysColor(COLOR_BTNHIGHLIGHT);
  const int length = static_cast<int>(text.size());
  auto copy = [&](const TShadow& which, COLORREF color) {
    if (!which.Visible()) return;
    RECT at = rc;
    OffsetRect(&at, which.OffsetLeft(), which.OffsetTop());
    SetTextColor(dc, color);
    DrawText(dc, text.c_str(), length, &at, format);
  };
  copy(FShadow, shadowColor);
  copy(FHighlight, highlightColor);

  const std::size_t chars = CharCount(text);
  if (FTextGradation == tgNone || chars <= 1) {
    RECT at = rc;
    SetTextColor(dc, textColor);
    DrawText(dc, text.c_str(), length, &at, format);
    return;
  }
  RECT at = rc;
  if (FTextGradation == tg2Colors || chars == 2) {
    DrawCharGradient(dc, at, FFont.Color(), FTextGradationColor, text);
    return;
  }
  // Split in the middle, never inside a character.
  std::size_t n = text.size() / 2;
  if (!platform::IsCharBoundary(text, n)) {
    const std::size_t start = platform::FloorCharBoundary(text, n);
    n = start + platform::CharLength(text, start);
  }
  const std::string first = text.substr(0, n), rest = text.substr(n);
  DrawCharGradient(dc, at, FFont.Color(), FTextMidColor, first);
  if (CharCount(rest) == 1) {
    // The gradient left the rectangle as narrow as its last character; the lone rest
    // gets the room up to the text's right edge, or it would be clipped away.
    at.right = rc.right;
    SetTextColor(dc, platform::ColorToRGB(FTextGradationColor));
    DrawText(dc, rest.c_str(), static_cast<int>(rest.size()), &at, format);
  } else {
    DrawCharGradient(dc, at, FTextMidColor, FTextGradationColor, rest);
  }
}

void TShadowLabel::DrawCharGradient(HDC dc, RECT& rc, DWORD from, DWORD to, const std::string& text) const {
  const COLORREF a = platform::ColorToRGB(from), b = platform::ColorToRGB(to);
  const UINT format = DrawFormat();
  const std::size_t k = CharCount(text);
  if (k == 1) {
    SetTextColor(dc, a);
    SIZE size;
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
    rc.left += size.cx;
    return;
  }
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  std::size_t c = 0;
  for (std::size_t pos = 0; pos < text.size(); ++c) {
    const std::size_t len = platform::CharLength(text, pos);
    SetTextColor(dc, Between(a, b, static_cast<double>(c) / static_cast<double>(k - 1)));
    SIZE size;
    GetTextExtentPoint32(dc, text.c_str() + pos, static_cast<int>(len), &size);
    rc.right = rc.left + size.cx - tm.tmOverhang;
    DrawText(dc, text.c_str() + pos, static_cast<int>(len), &rc, format);
    rc.left = rc.right;
    pos += len;
  }
}
