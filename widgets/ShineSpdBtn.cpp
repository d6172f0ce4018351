#include "widgets/ShineSpdBtn.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QShortcut>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gditext.h"
#include "platform/syscolors.h"
#include "widgets/Canvas.h"
#include "widgets/Property.h"
#include "widgets/SpeedButton.h"

namespace {

constexpr UINT_PTR kLeaveTimer = 1;
constexpr UINT kLeaveInterval = 200;
constexpr QRgb kRgbMask = 0xFFFFFF;

// The accelerator of a caption: the character after a single "&", 0 for none.
char AcceleratorOf(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;  // "&&" shows one "&"
  }
  return 0;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

TShiftState ShiftState(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
  return ((buttons & Qt::LeftButton) ? ssLeft : 0) | ((buttons & Qt::RightButton) ? ssRight : 0) |
         ((buttons & Qt::MiddleButton) ? ssMiddle : 0) | ((keys & Qt::ShiftModifier) ? ssShift : 0) |
         ((keys & Qt::ControlModifier) ? ssCtrl : 0) | ((keys & Qt::AltModifier) ? ssAlt : 0);
}
TShiftState ShiftOf(const QMouseEvent* e) { return ShiftState(e->buttons(), e->modifiers()); }

// Each channel of a pixel through f, the result clamped to a byte.
template <typename F>
QRgb PerChannel(QRgb p, F f) {
  auto c = [&](int v, int shift) { return static_cast<QRgb>(std::clamp(f(v, shift), 0, 255)) << shift; };
  return 0xFF000000u | c((p >> 16) & 0xFF, 16) | c((p >> 8) & 0xFF, 8) | c(p & 0xFF, 0);
}

// Runs over the pixels row by row; the pixels for which the counter is odd are the
// changed half. The counter moves once more after each row when the height is even.
template <typename F>
void Checkerboard(QImage& image, QRgb key, F change) {
  unsigned counter = 0;
  const bool extra = image.height() % 2 == 0;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x, ++counter)
      if ((row[x] & kRgbMask) != key && (counter & 1)) row[x] = change(row[x]);
    if (extra) ++counter;
  }
}

// The key pixels with a non-key neighbour to the left, right, top or bottom.
std::vector<QPoint> Halo(const QImage& image, QRgb key) {
  std::vector<QPoint> halo;
  const int w = image.width(), h = image.height();
  auto isKey = [&](int x, int y) { return (image.pixel(x, y) & kRgbMask) == key; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!isKey(x, y)) continue;
      const bool edge = (x > 0 && !isKey(x - 1, y)) || (x + 1 < w && !isKey(x + 1, y)) ||
                        (y > 0 && !isKey(x, y - 1)) || (y + 1 < h && !isKey(x, y + 1));
      if (edge) halo.push_back(QPoint(x, y));
    }
  return halo;
}

// The embossed outline of a disabled glyph: white where the picture changes along
// either diagonal, black elsewhere (and in the bottom row and right column, which have
// no neighbours below or to the right).
QImage EdgeMask(const QImage& glyph) {
  const int w = glyph.width(), h = glyph.height();
  QImage mask(w, h, QImage::Format_RGB32);
  mask.fill(0xFF000000u);
  auto at = [&](int x, int y) { return glyph.pixel(x, y) & kRgbMask; };
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x)
      if (at(x, y) != at(x + 1, y + 1) || at(x + 1, y) != at(x, y + 1)) mask.setPixel(x, y, 0xFFFFFFFFu);
  return mask;
}

// A monochrome bitmap of a black-and-white image (set bits white).
HBITMAP MonoBitmap(const QImage& mask) {
  const int w = mask.width(), h = mask.height();
  const int rowBytes = ((w + 15) / 16) * 2;
  std::vector<BYTE> bits(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (mask.pixel(x, y) & kRgbMask) bits[static_cast<std::size_t>(y * rowBytes + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
  return CreateBitmap(w, h, 1, 1, bits.data());
}

// A pen line from one point to another (the end point left out).
void Line(HDC dc, COLORREF color, int x0, int y0, int x1, int y1) {
  platform::ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
  platform::ScopedSelect select(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TShineBtnColors

void TShineBtnColors::Changed() {
  if (OnChange) OnChange(this);
}
void TShineBtnColors::SetColor(DWORD value) {
  if (StoreChanged(FColor, value)) Changed();
}
void TShineBtnColors::SetHighlight(DWORD value) {
  if (StoreChanged(FHighlight, value)) Changed();
}
void TShineBtnColors::SetShadow(DWORD value) {
  if (StoreChanged(FShadow, value)) Changed();
}
void TShineBtnColors::SetDarkShadow(DWORD value) {
  if (StoreChanged(FDarkShadow, value)) Changed();
}
void TShineBtnColors::SetGradColor(DWORD value) {
  if (StoreChanged(FGradColor, value)) Changed();
}
void TShineBtnColors::SetGradVertical(bool value) {
  if (StoreChanged(FGradVertical, value)) Changed();
}
void TShineBtnColors::SetGradation(bool value) {
  if (StoreChanged(FGradation, value)) Changed();
}
void TShineBtnColors::Assign(const TShineBtnColors& source) {
  FColor = source.FColor;
  FHighlight = source.FHighlight;
  FShadow = source.FShadow;
  FDarkShadow = source.FDarkShadow;
  FGradColor = source.FGradColor;
  FGradVertical = source.FGradVertical;
  FGradation = source.FGradation;
  Changed();
}

// ---------------------------------------------------------------------------------------
// TShineSpeedButton

TShineSpeedButton::TShineSpeedButton(QWidget* parent) : platform::WinWidget(parent) {
  SetBackgroundBrush(nullptr);  // the face covers the button
  FPressedColors.SetColor(clBtnHighlight);
  FFont.SetColor(clBtnText);
  FActiveFont.SetColor(clHighlight);
  FColors.OnChange = [this](TShineBtnColors*) { Repaint(); };
  FPressedColors.OnChange = [this](TShineBtnColors*) { Repaint(); };
  FFont.OnChange = [this] { Repaint(); };
  FActiveFont.OnChange = [this] { Repaint(); };
  setMouseTracking(true);
  resize(25, 25);
}

TShineSpeedButton::~TShineSpeedButton() = default;

void TShineSpeedButton::Repaint() { InvalidateRect(this, nullptr, FALSE); }

void TShineSpeedButton::SetState(int state) {
  if (StoreChanged(FState, state)) Repaint();
}

void TShineSpeedButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  GroupUpdateStatus(value);
}

void TShineSpeedButton::SetDown(bool value) {
  if (value == FDown || FGroupIndex == 0) return;
  if (!FAllowAllUp && FDown) return;  // a down button of a group cannot be set up
  FDown = value;
  GroupUpdateStatus(FGroupIndex);
  FState = FDown ? kDown : kUp;
  Repaint();
}

void TShineSpeedButton::SetAllowAllUp(bool value) {
  if (!StoreChanged(FAllowAllUp, value)) return;
  GroupUpdateStatus(FGroupIndex);
}

void TShineSpeedButton::GroupUpdateStatus(int group) {
  FGroupIndex = group;
  QWidget* parent = parentWidget();
  if (group == 0 || !parent) return;
  // The framework's buttons of the group learn of the change from one of their own kind.
  auto messenger = std::make_unique<TSpeedButton>(parent);
  messenger->hide();
  messenger->SetGroupIndex(group);
  messenger->SetAllowAllUp(FAllowAllUp);
  FGroupMessenger = messenger.get();
  if (FDown) messenger->SetDown(true);  // going down sends the notification
  else BroadcastButtonPressed(parent, group, messenger.get());
  FGroupMessenger = nullptr;
}

bool TShineSpeedButton::event(QEvent* event) {
  if (event->type() != static_cast<QEvent::Type>(CM_BUTTONPRESSED)) return platform::WinWidget::event(event);
  const auto* message = static_cast<TButtonPressedEvent*>(event);
  if (message->GroupIndex == FGroupIndex && message->Sender != this && message->Sender != FGroupMessenger) {
    if (const auto* sender = qobject_cast<const TSpeedButton*>(message->Sender)) {
      if (sender->Down() && FDown) {
        FDown = false;
        FState = kUp;
        Repaint();
      }
      FAllowAllUp = sender->AllowAllUp();
    }
  }
  return true;
}

void TShineSpeedButton::SetFrameType(TFrameType value) {
  if (StoreChanged(FFrameType, value)) Repaint();
}
void TShineSpeedButton::SetTransparent(bool value) {
  if (value == IsTransparent()) return;
  platform::WinWidget::SetTransparent(value);
  Repaint();
}
void TShineSpeedButton::SetActiveFrame(bool value) {
  if (StoreChanged(FActiveFrame, value)) Repaint();
}
void TShineSpeedButton::SetUpFrame(bool value) {
  if (StoreChanged(FUpFrame, value)) Repaint();
}
void TShineSpeedButton::SetDownFrame(bool value) {
  if (StoreChanged(FDownFrame, value)) Repaint();
}
void TShineSpeedButton::SetActiveImage(TActiveImageType value) {
  if (StoreChanged(FActiveImage, value)) Repaint();
}
void TShineSpeedButton::SetDisabledImage(TDisabledImageType value) {
  if (StoreChanged(FDisabledImage, value)) Repaint();
}
void TShineSpeedButton::SetDisabledHighlight(DWORD value) {
  if (StoreChanged(FDisabledHighlight, value)) Repaint();
}
void TShineSpeedButton::SetDisabledShadow(DWORD value) {
  if (StoreChanged(FDisabledShadow, value)) Repaint();
}
void TShineSpeedButton::SetShineColor(DWORD value) {
  if (StoreChanged(FShineColor, value)) Repaint();
}
void TShineSpeedButton::SetFontHighlight(DWORD value) {
  if (StoreChanged(FFontHighlight, value)) Repaint();
}
void TShineSpeedButton::SetFontShadow(DWORD value) {
  if (StoreChanged(FFontShadow, value)) Repaint();
}
void TShineSpeedButton::SetLayout(TButtonLayout value) {
  if (StoreChanged(FLayout, value)) Repaint();
}
void TShineSpeedButton::SetMargin(int value) {
  if (StoreChanged(FMargin, value)) Repaint();
}
void TShineSpeedButton::SetSpacing(int value) {
  if (StoreChanged(FSpacing, value)) Repaint();
}

void TShineSpeedButton::SetGlyph(const QImage& value) {
  FGlyph = value.isNull() ? QImage() : value.convertToFormat(QImage::Format_RGB32);
  Repaint();
}

void TShineSpeedButton::SetCaption(const std::string& value) {
  if (!StoreChanged(FCaption, value)) return;
  delete FAccelerator;
  FAccelerator = nullptr;
  if (const char key = Upper(AcceleratorOf(FCaption)); key > ' ' && static_cast<unsigned char>(key) < 0x80) {
    FAccelerator = new QShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(key)), this);  // owned by the button
    connect(FAccelerator, &QShortcut::activated, this, [this, key] { DialogChar(key); });
  }
  Repaint();
}

void TShineSpeedButton::changeEvent(QEvent* event) {
  platform::WinWidget::changeEvent(event);
  if (event->type() != QEvent::EnabledChange) return;
  FDown = false;
  FState = isEnabled() ? kUp : kDisabled;
  UpdateTracking();
  Repaint();
}

// ---------------------------------------------------------------------------------------
// Mouse

void TShineSpeedButton::CurrentMouse(TShiftState& shift, POINT& pt) const {
  shift = ShiftState(QGuiApplication::mouseButtons(), QGuiApplication::queryKeyboardModifiers());
  GetCursorPos(&pt);
  ScreenToClient(const_cast<TShineSpeedButton*>(this), &pt);
}

bool TShineSpeedButton::InsideClient(int x, int y) const { return x >= 0 && y >= 0 && x < width() && y < height(); }

void TShineSpeedButton::MouseEnter(TShiftState shift, int x, int y) {
  if (OnMouseEnter) OnMouseEnter(this, shift, x, y);
  if (FMouseInside || !isEnabled() || GetCapture()) return;
  FMouseInside = true;
  if (FState == kUp) SetState(kHot);
  else if (FState == kDown) SetState(kPressed);
  SetTimer(this, kLeaveTimer, kLeaveInterval, nullptr);
}

void TShineSpeedButton::MouseLeave(TShiftState shift, int x, int y) {
  if (OnMouseLeave) OnMouseLeave(this, shift, x, y);
  if (!FMouseInside || !isEnabled() || FTracking) return;
  KillTimer(this, kLeaveTimer);
  FMouseInside = false;
  if (FState == kHot) SetState(kUp);
  else if (FState == kPressed) SetState(kDown);
}

void TShineSpeedButton::WmTimer(UINT_PTR id) {
  if (id != kLeaveTimer) return;
  if (!FMouseInside || !isEnabled() || FTracking) {
    KillTimer(this, kLeaveTimer);
    return;
  }
  TShiftState shift;
  POINT pt;
  CurrentMouse(shift, pt);
  if (!InsideClient(pt.x, pt.y)) MouseLeave(shift, pt.x, pt.y);
}

void TShineSpeedButton::UpdateTracking() {
  if (!isEnabled()) return;
  TShiftState shift;
  POINT pt;
  CurrentMouse(shift, pt);
  POINT screen = pt;
  ClientToScreen(this, &screen);
  const bool over = isVisible() && WindowFromPoint(screen) == this;
  FMouseInside = !over;
  if (over) MouseEnter(shift, pt.x, pt.y);
  else MouseLeave(shift, pt.x, pt.y);
}

void TShineSpeedButton::MouseDown(TShiftState, int, int) {
  if (!isEnabled()) return;
  FState = kPressed;
  if (!FDown) Repaint();
  FTracking = true;
}

void TShineSpeedButton::MouseMove(TShiftState, int x, int y) {
  if (FTracking) {
    SetState(InsideClient(x, y) ? kPressed : (FDown ? kDown : kUp));
  } else if (!FMouseInside) {
    UpdateTracking();
  }
}

void TShineSpeedButton::MouseUp(TShiftState, int x, int y) {
  if (!FTracking) return;
  const bool inside = InsideClient(x, y);
  if (FGroupIndex == 0) {
    FState = kUp;
    FMouseInside = false;
    FDown = false;
    if (inside) Repaint();
  } else if (inside) {
    SetDown(!FDown);
    if (FDown) Repaint();
  } else {
    SetState(FDown ? kPressed : kHot);
  }
  FTracking = false;
  if (inside) Click();
  UpdateTracking();
}

void TShineSpeedButton::Click() {
  if (!FClickDownHook) {
    if (OnClick) OnClick(this);
    return;
  }
  // The pressed look stays on screen while the handler runs.
  const int saved = FState;
  FState = kPressed;
  Repaint();
  UpdateWindow(this);
  if (OnClick) OnClick(this);
  FState = saved;
  Repaint();
}

void TShineSpeedButton::DblClick() {
  if (FDown && OnDblClick) OnDblClick(this);
}

bool TShineSpeedButton::DialogChar(char key) {
  const char accel = AcceleratorOf(FCaption);
  if (accel == 0 || Upper(accel) != Upper(key)) return false;
  if (!isEnabled() || !isVisible() || !parentWidget() || !parentWidget()->isVisible()) return false;
  if (FAccelCharDown) SetDown(!FDown);
  Click();
  return true;
}

void TShineSpeedButton::enterEvent(QEnterEvent*) {
  TShiftState shift;
  POINT pt;
  CurrentMouse(shift, pt);
  MouseEnter(shift, pt.x, pt.y);
}

void TShineSpeedButton::leaveEvent(QEvent*) {
  TShiftState shift;
  POINT pt;
  CurrentMouse(shift, pt);
  MouseLeave(shift, pt.x, pt.y);
}

void TShineSpeedButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) MouseDown(ShiftOf(event), event->position().toPoint().x(), event->position().toPoint().y());
}

void TShineSpeedButton::mouseMoveEvent(QMouseEvent* event) {
  MouseMove(ShiftOf(event), event->position().toPoint().x(), event->position().toPoint().y());
}

void TShineSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) MouseUp(ShiftOf(event), event->position().toPoint().x(), event->position().toPoint().y());
}

void TShineSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click presses the button like the first.
  mousePressEvent(event);
  if (event->button() == Qt::LeftButton) DblClick();
}

// ---------------------------------------------------------------------------------------
// Painting

const TFont& TShineSpeedButton::StateFont() const {
  return (FState == kPressed || FState == kHot) ? FActiveFont : FFont;
}

QImage TShineSpeedButton::StateGlyph(int state) const {
  if (FGlyph.isNull() || FGlyph.width() <= 0 || FGlyph.height() <= 0) return {};
  QImage image = FGlyph.copy();
  const QRgb key = FGlyph.pixel(0, FGlyph.height() - 1) & kRgbMask;
  const QRgb shine = platform::PixelFromColor(platform::ColorToRGB(FShineColor));
  auto eachPixel = [&](auto f) {
    for (int y = 0; y < image.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if ((row[x] & kRgbMask) != key) row[x] = f(row[x]);
    }
  };
  auto shineChannel = [shine](int shift) { return static_cast<int>((shine >> shift) & 0xFF); };
  if (state == kPressed || state == kHot) {
    switch (FActiveImage) {
      case aiNormal: break;
      case aiXorLight: eachPixel([&](QRgb p) { return PerChannel(p, [&](int v, int s) { return v ^ shineChannel(s); }); }); break;
      case aiHalfLight: eachPixel([&](QRgb p) { return PerChannel(p, [&](int v, int s) { return (v + shineChannel(s)) / 2; }); }); break;
      case aiQuaterLight:
        eachPixel([&](QRgb p) { return PerChannel(p, [&](int v, int s) { return (3 * shineChannel(s) + v) / 4; }); });
        break;
      case aiAddLight: eachPixel([&](QRgb p) { return PerChannel(p, [&](int v, int s) { return v + shineChannel(s); }); }); break;
      case aiMaskLight: Checkerboard(image, key, [&](QRgb) { return shine; }); break;
      case aiFrameLight:
      case aiFrameLight2: {
        const std::vector<QPoint> halo = Halo(FGlyph, key);
        for (const QPoint& p : halo) image.setPixel(p, shine);
        if (FActiveImage == aiFrameLight2) {
          const QPoint around[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
          for (const QPoint& p : halo)
            for (const QPoint& d : around) {
              const QPoint n = p + d;
              if (image.valid(n) && (FGlyph.pixel(n) & kRgbMask) == key) image.setPixel(n, shine);
            }
        }
        break;
      }
    }
  } else if (state == kDisabled) {
    const QRgb face = platform::PixelFromColor(platform::ColorToRGB(FColors.Color()));
    auto faceChannel = [face](int shift) { return static_cast<int>((face >> shift) & 0xFF); };
    switch (FDisabledImage) {
      case diDefault: return EdgeMask(FGlyph);
      case diGrayscale:
        eachPixel([](QRgb p) {
          const int grey = (qRed(p) + qGreen(p) + qBlue(p)) / 3;
          return qRgb(grey, grey, grey);
        });
        break;
      case diAlphaHalfTrans:
        eachPixel([&](QRgb p) { return PerChannel(p, [&](int v, int s) { return (v + faceChannel(s)) / 2; }); });
        break;
      case diAlphaQuaterTrans:
        eachPixel([&](QRgb p) { return PerChannel(p, [&](int v, int s) { return (3 * faceChannel(s) + v) / 4; }); });
        break;
      case diMaskTrans: Checkerboard(image, key, [&](QRgb) { return 0xFF000000u | key; }); break;
    }
  }
  return image;
}

TShineSpeedButton::ContentLayout TShineSpeedButton::CalcLayout(HDC dc) const {
  RECT text{0, 0, 0, 0};
  if (!FCaption.empty()) {
    platform::ScopedGdiObject<HFONT> font(StateFont().Create());
    platform::ScopedSelect select(dc, font);
    text = RECT{0, 0, width(), 0};
    DrawText(dc, FCaption.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
  }
  const int tw = text.right - text.left, th = text.bottom - text.top;
  const bool glyph = !FGlyph.isNull() && FGlyph.width() > 0 && FGlyph.height() > 0;
  const int gw = glyph ? FGlyph.width() : 0, gh = glyph ? FGlyph.height() : 0;
  const int gap = (glyph && !FCaption.empty()) ? FSpacing : 0;
  const bool sideBySide = FLayout == blGlyphLeft || FLayout == blGlyphRight;
  const int bw = sideBySide ? gw + gap + tw : std::max(gw, tw);
  const int bh = sideBySide ? std::max(gh, th) : gh + gap + th;

  // The block's place: centred, or Margin from the glyph's edge and centred across.
  int bx = (width() - bw) / 2, by = (height() - bh) / 2;
  if (FMargin != -1) {
    switch (FLayout) {
      case blGlyphLeft: bx = FMargin; break;
      case blGlyphRight: bx = width() - FMargin - bw; break;
      case blGlyphTop: by = FMargin; break;
      case blGlyphBottom: by = height() - FMargin - bh; break;
    }
  }
  ContentLayout layout{};
  switch (FLayout) {
    case blGlyphLeft:
      layout.glyph = POINT{bx, by + (bh - gh) / 2};
      layout.caption = RECT{bx + gw + gap, by + (bh - th) / 2, bx + gw + gap + tw, by + (bh - th) / 2 + th};
      break;
    case blGlyphRight:
      layout.glyph = POINT{bx + tw + gap, by + (bh - gh) / 2};
      layout.caption = RECT{bx, by + (bh - th) / 2, bx + tw, by + (bh - th) / 2 + th};
      break;
    case blGlyphTop:
      layout.glyph = POINT{bx + (bw - gw) / 2, by};
      layout.caption = RECT{bx + (bw - tw) / 2, by + gh + gap, bx + (bw - tw) / 2 + tw, by + gh + gap + th};
      break;
    case blGlyphBottom:
      layout.glyph = POINT{bx + (bw - gw) / 2, by + th + gap};
      layout.caption = RECT{bx + (bw - tw) / 2, by, bx + (bw - tw) / 2 + tw, by + th};
      break;
  }
  return layout;
}

void TShineSpeedButton::WmPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(this, &ps);
  if (!dc) return;
  if (!isEnabled()) {
    FState = kDisabled;
    FTracking = false;
  }
  const int w = width(), h = height();
  if (!IsTransparent() && w > 0 && h > 0) {
    platform::ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, w, h));
    platform::ScopedDC mem(CreateCompatibleDC(dc));
    platform::ScopedSelect select(mem, bitmap);
    Paint(mem);
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
  } else {
    Paint(dc);
  }
  EndPaint(this, &ps);
}

void TShineSpeedButton::Paint(HDC dc) {
  PaintFace(dc);
  PaintGlyphAndCaption(dc);
  PaintFrame(dc);
}

void TShineSpeedButton::PaintFace(HDC dc) {
  if (IsTransparent()) return;
  const TShineBtnColors& set = (FState == kPressed || FState == kDown) ? FPressedColors : FColors;
  const RECT client{0, 0, width(), height()};
  if (!set.Gradation()) {
    FillColor(dc, client, set.Color());
    return;
  }
  // 256 pixels from Color to GradColor, stretched over the face.
  BYTE r0, g0, b0, r1, g1, b1;
  SplitColor(set.Color(), r0, g0, b0);
  SplitColor(set.GradColor(), r1, g1, b1);
  const bool vertical = set.GradVertical();
  std::vector<std::uint32_t> pixels(256);
  for (int i = 0; i < 256; ++i) {
    auto c = [i](int a, int b) { return static_cast<BYTE>(a + i * (b - a) / 255); };
    pixels[static_cast<std::size_t>(i)] = platform::PixelFromColor(RGB(c(r0, r1), c(g0, g1), c(b0, b1)));
  }
  platform::ScopedGdiObject<HBITMAP> strip(CreateBitmap(vertical ? 1 : 256, vertical ? 256 : 1, 1, 32, pixels.data()));
  platform::ScopedDC source(CreateCompatibleDC(dc));
  platform::ScopedSelect select(source, strip);
  const int previous = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, width(), height(), source, 0, 0, vertical ? 1 : 256, vertical ? 256 : 1, SRCCOPY);
  SetStretchBltMode(dc, previous);
}

void TShineSpeedButton::PaintGlyphAndCaption(HDC dc) {
  ContentLayout layout = CalcLayout(dc);
  const int shift = (FState == kPressed || FState == kDown) ? 1 : 0;
  layout.glyph.x += shift;
  layout.glyph.y += shift;
  OffsetRect(&layout.caption, shift, shift);

  const QImage glyph = StateGlyph(FState);
  if (!glyph.isNull()) {
    if (FState == kDisabled && FDisabledImage == diDefault) {
      // The edge mask twice: the brush where the mask is white, the face kept elsewhere.
      platform::ScopedGdiObject<HBITMAP> mono(MonoBitmap(glyph));
      platform::ScopedDC source(CreateCompatibleDC(dc));
      platform::ScopedSelect selectMask(source, mono);
      SetTextColor(dc, 0x000000);
      SetBkColor(dc, 0xFFFFFF);
      const auto emboss = [&](int dx, DWORD color) {
        platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(platform::ColorToRGB(color)));
        platform::ScopedSelect selectBrush(dc, brush);
        BitBlt(dc, layout.glyph.x + dx, layout.glyph.y + dx, glyph.width(), glyph.height(), source, 0, 0, DSPDxax);
      };
      emboss(1, FDisabledHighlight);
      emboss(0, FDisabledShadow);
    } else {
      const QRgb key = glyph.pixel(0, glyph.height() - 1) & kRgbMask;
      for (int y = 0; y < glyph.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(glyph.constScanLine(y));
        for (int x = 0; x < glyph.width(); ++x)
          if ((row[x] & kRgbMask) != key)
            SetPixelV(dc, layout.glyph.x + x, layout.glyph.y + y, platform::ColorFromPixel(row[x]));
      }
    }
  }

  if (FCaption.empty()) return;
  platform::ScopedGdiObject<HFONT> font(StateFont().Create());
  platform::ScopedSelect selectFont(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const auto caption = [&](int d, DWORD color) {
    RECT at = layout.caption;
    OffsetRect(&at, d, d);
    SetTextColor(dc, platform::ColorToRGB(color));
    DrawText(dc, FCaption.c_str(), -1, &at, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  };
  if (FState == kDisabled) {
    caption(1, FDisabledHighlight);
    caption(0, FDisabledShadow);
    return;
  }
  if (FFontShadow != clNone) caption(1, FFontShadow);
  if (FFontHighlight != clNone) caption(-1, FFontHighlight);
  caption(0, StateFont().Color());
}

void TShineSpeedButton::PaintFrame(HDC dc) {
  const bool pressedLook = FState == kPressed || FState == kDown;
  const bool draw = pressedLook ? ((FState == kDown && FDownFrame) || (FState == kPressed && FActiveFrame))
                                : ((FUpFrame && FState != kHot) || (FActiveFrame && FState == kHot));
  if (!draw) return;
  const TShineBtnColors& set = pressedLook ? FPressedColors : FColors;
  const COLORREF light = platform::ColorToRGB(set.Highlight()), shadow = platform::ColorToRGB(set.Shadow()),
                 dark = platform::ColorToRGB(set.DarkShadow());
  const int w = width(), h = height();
  const auto topLeft = [&](int k, int e, COLORREF c) {
    Line(dc, c, k, k, w - 1 - e, k);
    Line(dc, c, k, k, k, h - 1 - e);
  };
  const auto bottomRight = [&](int k, int e, COLORREF c) {
    Line(dc, c, w - k, h - k, e, h - k);
    Line(dc, c, w - k, h - k, w - k, e);
  };
  switch (FFrameType) {
    case ftFlatFrame:
      topLeft(0, 0, pressedLook ? shadow : light);
      bottomRight(1, 0, pressedLook ? light : shadow);
      break;
    case ftNormalFrame:
      if (pressedLook) {
        topLeft(1, 0, shadow);
        topLeft(0, 0, dark);
        bottomRight(1, 0, light);
      } else {
        bottomRight(2, 0, shadow);
        bottomRight(1, 0, dark);
        topLeft(0, 0, light);
      }
      break;
    case ftEnclosedFrame: {
      topLeft(1, 1, pressedLook ? shadow : light);
      bottomRight(2, 1, pressedLook ? light : shadow);
      platform::ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, platform::ColorToRGB(FColors.DarkShadow())));
      platform::ScopedSelect selectPen(dc, pen);
      platform::ScopedSelect selectBrush(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, 0, 0, w, h);
      break;
    }
  }
}
