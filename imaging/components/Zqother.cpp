#include "imaging/components/Zqother.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>

#include "imaging/components/Zqutils.h"
#include "imaging/engine/Zqdllprocs.h"

// ---------------------------------------------------------------------------------------
// Interval timer

TCInterTimer::~TCInterTimer() { KillIntervalTimer(); }

bool TCInterTimer::SetIntervalTimer(HWND window, UINT_PTR eventId, UINT interval, int countdown) {
  KillIntervalTimer();
  FWindow = window;
  FTimerId = SetTimer(window, eventId, interval, nullptr);
  if (FTimerId == 0) return false;
  FCountdown = countdown;
  FRunning = true;
  return true;
}

void TCInterTimer::KillIntervalTimer() {
  if (FWindow && FTimerId != 0) {
    KillTimer(FWindow, FTimerId);
    FTimerId = 0;
  }
  FRunning = false;
}

bool TCInterTimer::IsTimeOver() {
  if (FCountdown == 0) return true;
  --FCountdown;
  return false;
}

// ---------------------------------------------------------------------------------------
// What the marking objects share

namespace {

UINT BlinkInterval(TVZqBlinkSpeed speed) {
  switch (speed) {
    case vzqSlow: return 500;
    case vzqMedium: return 200;
    case vzqFast: return 50;
  }
  return 0;
}

double UsableZoom(double zoom) { return zoom > 0 ? zoom : 1.0; }

}  // namespace

TCEditObject::TCEditObject(HWND window, HGLOBAL image, bool enabled) {
  ZqImageInfo info{};
  if (!window || image == 0 || !enabled || !ZqGetImageType || !ZqGetImageType(image, &info)) return;
  FWindow = window;
  FImage = image;
  FImageWidth = static_cast<LONG>(info.width);
  FImageHeight = static_cast<LONG>(info.height);
}

void TCEditObject::SetView(const RECT& display, int originX, int originY, int extentX, int extentY, double zoomX,
                           double zoomY) {
  FDispRect = display;
  FOriginX = originX;
  FOriginY = originY;
  FExtentX = extentX;
  FExtentY = extentY;
  FZoomX = zoomX;
  FZoomY = zoomY;
}

void TCEditObject::SetBlinkTimer() {
  if (!FImage || IsRunningTimer()) return;
  const UINT interval = BlinkInterval(BlinkSpeed);
  if (interval != 0) SetIntervalTimer(FWindow, kZqBlinkTimerId, interval, 0);
}

void TCEditObject::ChangeBlinkTimer() {
  if (!FImage || !IsRunningTimer()) return;
  KillIntervalTimer();
  const UINT interval = BlinkInterval(BlinkSpeed);
  if (interval != 0) SetIntervalTimer(FWindow, kZqBlinkTimerId, interval, 0);
}

int TCEditObject::ImgX(int x) const { return ConvToImgX(x, FDispRect.left, UsableZoom(FZoomX), FOriginX); }
int TCEditObject::ImgY(int y) const { return ConvToImgY(y, FDispRect.top, UsableZoom(FZoomY), FOriginY); }
int TCEditObject::ScrnX(int x) const { return ConvToScrnX(x, FOriginX, UsableZoom(FZoomX), FDispRect.left); }
int TCEditObject::ScrnY(int y) const { return ConvToScrnY(y, FOriginY, UsableZoom(FZoomY), FDispRect.top); }

bool TCEditObject::PressAllowed(int x, int y) const {
  if (!FImage || FExtentX == 0 || FExtentY == 0) return false;
  return x >= FDispRect.left && x <= FDispRect.right && y >= FDispRect.top && y <= FDispRect.bottom;
}

void TCEditObject::ClampToDisplay(int& x, int& y) const {
  x = std::clamp<int>(x, FDispRect.left, std::max(FDispRect.left, FDispRect.right));
  y = std::clamp<int>(y, FDispRect.top, std::max(FDispRect.top, FDispRect.bottom));
}

TCEditObject::RubberBandDC::RubberBandDC(const TCEditObject& owner) : window_(owner.FWindow), dc_(GetDC(window_)) {
  if (!dc_) return;
  const RECT& r = owner.FDispRect;
  if (HRGN region = CreateRectRgn(r.left, r.top, r.right + 1, r.bottom + 1)) {
    SelectClipRgn(dc_, region);
    DeleteObject(region);
  }
  rop_ = SetROP2(dc_, R2_NOTXORPEN);
}

TCEditObject::RubberBandDC::~RubberBandDC() {
  if (!dc_) return;
  if (rop_ != 0) SetROP2(dc_, rop_);
  SelectClipRgn(dc_, nullptr);
  ReleaseDC(window_, dc_);
}

// ---------------------------------------------------------------------------------------
// TCRect

TCRect::TCRect(HWND window, HGLOBAL image, double aspectRatio)
    : TCEditObject(window, image, true), FAspectRatio(aspectRatio > 0 ? aspectRatio : 0) {
  ClearStatusValues();
  FArrowCursor = LoadCursor(nullptr, IDC_ARROW);
  FSizeNWSE = LoadCursor(nullptr, IDC_SIZENWSE);
  FSizeNESW = LoadCursor(nullptr, IDC_SIZENESW);
  FSizeWE = LoadCursor(nullptr, IDC_SIZEWE);
  FSizeNS = LoadCursor(nullptr, IDC_SIZENS);
}

void TCRect::ClearStatusValues() {
  FActive = false;
  FDragMode = 0;
  FLeft = FTop = FRight = FBottom = 0;
  FMoveOffsetX = FMoveOffsetY = 0;
}

void TCRect::ShowSavedCursor() const { SetCursor(FSavedCursor ? FSavedCursor : FArrowCursor); }

bool TCRect::OnLButtonDown_Rect_EDIT(int x, int y) {
  if (!PressAllowed(x, y)) return false;
  const int ix = ImgX(x);
  const int iy = ImgY(y);
  if (!FActive) {
    if (FLeft != 0 || FTop != 0 || FRight != 0 || FBottom != 0) {
      FActive = true;
    } else {
      ClearStatusValues();
    }
    FSavedCursor = GetCursor();
  }
  if (FActive) {
    if (FBorderCode != 0) {
      FDragMode = 3;
      ShowSavedCursor();
      KillIntervalTimer();
      return true;
    }
    if (IsMouseInRectarea(ix, iy)) {
      FDragMode = 2;
      FMoveOffsetY = iy - FTop;
      FMoveOffsetX = ix - FLeft;
      SetCursor(FMoveCursor ? FMoveCursor : LoadCursor(nullptr, IDC_SIZEALL));
      KillIntervalTimer();
      return true;
    }
    KillIntervalTimer();
  }
  FLeft = FRight = ix;
  FTop = FBottom = iy;
  FDragMode = 1;
  return false;
}

bool TCRect::OnMouseMove_Rect_EDIT(int x, int y, bool redraw) {
  if (!FImage) return false;
  ClampToDisplay(x, y);
  if (!FActive && (FLeft > 0 || FTop > 0 || FRight > 0 || FBottom > 0)) {
    FActive = true;
    if (FDragMode == 0) FSavedCursor = GetCursor();
    return false;
  }
  if (FActive && FDragMode == 0) {
    if (!IsMouseOnRectborder(ImgX(x), ImgY(y))) {
      ShowSavedCursor();
      return false;
    }
    switch (FBorderCode) {
      case 1:
      case 3: SetCursor(FSizeNWSE); break;
      case 2:
      case 4: SetCursor(FSizeNESW); break;
      case 5:
      case 7: SetCursor(FSizeNS); break;
      default: SetCursor(FSizeWE); break;
    }
    return redraw;
  }
  if (FDrawn) DrawRectangle();
  if (FAspectRatio != 0) {
    SetRectPosRectDrawRatio(x, y);
  } else {
    SetRectPos(x, y);
  }
  DrawRectangle();
  return !redraw || FDragMode != 0;
}

void TCRect::SetRectPos(int x, int y) {
  x = ImgX(x);
  y = ImgY(y);
  switch (FDragMode) {
    case 1:
      FRight = x;
      FBottom = y;
      break;
    case 2: {
      const int width = FRight - FLeft;
      const int height = FBottom - FTop;
      FTop = std::max(y - FMoveOffsetY, 0);
      FLeft = std::max(x - FMoveOffsetX, 0);
      FBottom = FTop + height;
      if (FBottom >= FImageHeight) {
        FBottom = FImageHeight;
        FTop = FImageHeight - height;
      }
      FRight = FLeft + width;
      if (FRight >= FImageWidth) {
        FRight = FImageWidth;
        FLeft = FImageWidth - width;
      }
      break;
    }
    case 3:
      switch (FBorderCode) {
        case 1: FLeft = x, FTop = y; break;
        case 2: FRight = x, FTop = y; break;
        case 3: FRight = x, FBottom = y; break;
        case 4: FLeft = x, FBottom = y; break;
        case 5: FTop = y; break;
        case 6: FRight = x; break;
        case 7: FBottom = y; break;
        case 8: FLeft = x; break;
        default: break;
      }
      break;
    default: break;
  }
}

void TCRect::SetRectPosRectDrawRatio(int x, int y) {
  if (FDragMode == 2 || FAspectRatio <= 0) {
    SetRectPos(x, y);
    return;
  }
  const int px = ImgX(x);
  const int py = ImgY(y);
  // The anchor stays; the moving corner follows the pointer on the ratio.
  auto follow = [&](int ax, int ay, int& mx, int& my) {
    int dx = std::abs(px - ax);
    int dy = std::abs(py - ay);
    if (dy >= dx * FAspectRatio) {
      dx = static_cast<int>(dy / FAspectRatio + 0.5);
    } else {
      dy = static_cast<int>(dx * FAspectRatio + 0.5);
    }
    mx = px < ax ? ax - dx : ax + dx;
    my = py < ay ? ay - dy : ay + dy;
  };
  if (FDragMode == 1) {
    follow(FLeft, FTop, FRight, FBottom);
    return;
  }
  if (FDragMode != 3) return;
  switch (FBorderCode) {
    case 1:
    case 5:
    case 8: follow(FRight, FBottom, FLeft, FTop); break;
    case 2: follow(FLeft, FBottom, FRight, FTop); break;
    case 3:
    case 6:
    case 7: follow(FLeft, FTop, FRight, FBottom); break;
    case 4: follow(FRight, FTop, FLeft, FBottom); break;
    default: break;
  }
}

bool TCRect::IsMouseInRectarea(int x, int y) const {
  return x >= FLeft && x <= FRight && y >= FTop && y <= FBottom;
}

bool TCRect::IsMouseOnRectborder(int x, int y) {
  FBorderCode = 0;
  if (NoResize) return false;
  const double tx = FZoomX > 0 ? 4 / FZoomX : 4;
  const double ty = FZoomY > 0 ? 4 / FZoomY : 4;
  auto within = [](int v, double from, double to) {
    return v >= static_cast<int>(from) && v <= static_cast<int>(to);
  };
  const struct {
    int code;
    double x0, x1, y0, y1;
  } boxes[] = {
      {1, FLeft - tx, FLeft + tx, FTop - ty, FTop + ty},
      {2, FRight - tx, FRight + tx, FTop - ty, FTop + ty},
      {3, FRight - tx, FRight + tx, FBottom - ty, FBottom + ty},
      {4, FLeft - tx, FLeft + tx, FBottom - ty, FBottom + ty},
      {5, FLeft + tx, FRight - tx, FTop - ty, FTop + ty},
      {6, FRight - tx, FRight + tx, FTop + ty, FBottom - ty},
      {7, FLeft + tx, FRight - tx, FBottom - ty, FBottom + ty},
      {8, FLeft - tx, FLeft + tx, FTop + ty, FBottom - ty},
  };
  for (const auto& b : boxes) {
    if (within(x, b.x0, b.x1) && within(y, b.y0, b.y1)) {
      FBorderCode = b.code;
      return true;
    }
  }
  return false;
}

bool TCRect::OnLButtonUp_Rect_EDIT() {
  ShowSavedCursor();
  if (FDragMode == 0) return false;
  FActive = true;
  FBorderCode = 0;
  FDragMode = 0;
  if (FLeft > FRight) std::swap(FLeft, FRight);
  if (FTop > FBottom) std::swap(FTop, FBottom);
  if (FDrawn) DrawRectangle();
  SetBlinkTimer();
  return true;
}

void TCRect::DrawRectangle() {
  if (!FImage || !_Box) return;
  if (FLeft <= 0 && FTop <= 0 && FRight <= 0 && FBottom <= 0) return;
  if (FLeft == FRight && FTop == FBottom) return;
  RubberBandDC dc(*this);
  if (!dc.get()) return;
  _Box(dc.get(), ScrnX(FLeft), ScrnY(FTop), ScrnX(FRight), ScrnY(FBottom), 1, RGB(0, 0, 0));
  FDrawn = !FDrawn;
}

// ---------------------------------------------------------------------------------------
// TCSelRect

TCSelRect::TCSelRect(HWND window, HGLOBAL image, bool enabled) : TCEditObject(window, image, enabled) {}

bool TCSelRect::OnLButtonDown_SelRect_EDIT(int x, int y) {
  if (!PressAllowed(x, y)) return false;
  const int ix = ImgX(x);
  const int iy = ImgY(y);
  std::fill(std::begin(FX), std::end(FX), ix);
  std::fill(std::begin(FY), std::end(FY), iy);
  FActive = true;
  return true;
}

bool TCSelRect::OnMouseMove_SelRect_EDIT(int x, int y, bool redraw) {
  if (!FImage || !FActive) return false;
  ClampToDisplay(x, y);
  if (!redraw || FDrawn) DrawRectangle();
  const int ix = ImgX(x);
  const int iy = ImgY(y);
  FX[1] = ix, FY[1] = FY[0];
  FX[2] = ix, FY[2] = iy;
  FX[3] = FX[0], FY[3] = iy;
  DrawRectangle();
  return true;
}

bool TCSelRect::OnLButtonUp_SelRect_EDIT() {
  if (!FImage) return false;
  FActive = false;
  const int left = *std::min_element(std::begin(FX), std::end(FX));
  const int right = *std::max_element(std::begin(FX), std::end(FX));
  const int top = *std::min_element(std::begin(FY), std::end(FY));
  const int bottom = *std::max_element(std::begin(FY), std::end(FY));
  // The rubber band goes before the corners change, so that it is removed exactly.
  if (FDrawn) DrawRectangle();
  FX[0] = left, FY[0] = top;
  FX[1] = right, FY[1] = top;
  FX[2] = right, FY[2] = bottom;
  FX[3] = left, FY[3] = bottom;
  SetBlinkTimer();
  return true;
}

void TCSelRect::DrawRectangle() {
  if (!FImage || !_Polygon) return;
  if (FX[0] <= 0 && FY[0] <= 0 && FX[2] <= 0 && FY[2] <= 0) return;
  if (FX[0] == FX[2] && FY[0] == FY[2]) return;
  RubberBandDC dc(*this);
  if (!dc.get()) return;
  POINT points[4];
  for (int i = 0; i < 4; ++i) points[i] = POINT{ScrnX(FX[i]), ScrnY(FY[i])};
  _Polygon(dc.get(), points, 4, 1, RGB(0, 0, 0));
  FDrawn = !FDrawn;
}

// ---------------------------------------------------------------------------------------
// TCSelFree

TCSelFree::TCSelFree(HWND window, HGLOBAL image, bool enabled) : TCEditObject(window, image, enabled) {}

TCSelFree::~TCSelFree() { FreeSelectedPoints(); }

bool TCSelFree::CreateSelectedFreePoints(int count) {
  try {
    if (count < 1) {
      if (FCount > kMaxPoints - 1) return true;
      FPointX.push_back(0);
      FPointY.push_back(0);
      ++FCount;
      return true;
    }
    if (count > kMaxPoints - 1) return false;
    std::vector<int> xs(static_cast<std::size_t>(count), 0);
    std::vector<int> ys(static_cast<std::size_t>(count), 0);
    FPointX = std::move(xs);
    FPointY = std::move(ys);
    FCount = count;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void TCSelFree::FreeSelectedPoints() {
  FPointX = {};
  FPointY = {};
  FCount = 0;
}

bool TCSelFree::Append(int x, int y) {
  if (!CreateSelectedFreePoints(0) || FCount == 0) return false;
  // At the cap the newest position takes the last point's place.
  FPointX[static_cast<std::size_t>(FCount - 1)] = x;
  FPointY[static_cast<std::size_t>(FCount - 1)] = y;
  return true;
}

bool TCSelFree::OnLButtonDown_SelFree_EDIT(int x, int y) {
  if (!PressAllowed(x, y)) return false;
  if (Append(ImgX(x), ImgY(y))) FActive = true;
  return false;
}

bool TCSelFree::OnMouseMove_SelFree_EDIT(int x, int y, bool redraw) {
  if (!FImage || !FActive) return false;
  if (redraw) {
    ClampToDisplay(x, y);
  } else if (x < FDispRect.left || x > FDispRect.right || y < FDispRect.top || y > FDispRect.bottom) {
    return false;
  }
  const int ix = ImgX(x);
  const int iy = ImgY(y);
  if (FCount > 0 && FPointX[static_cast<std::size_t>(FCount - 1)] == ix &&
      FPointY[static_cast<std::size_t>(FCount - 1)] == iy) {
    if (!redraw) return false;
    DrawFreeLine(true);
    return true;
  }
  if (!Append(ix, iy)) return false;
  DrawFreeLine(false);
  return true;
}

void TCSelFree::OnLButtonUp_SelFree_EDIT(bool redraw) {
  if (!FImage) return;
  FActive = false;
  if (redraw) DrawFreeLine(true);
  SetBlinkTimer();
}

void TCSelFree::DrawFreeLine(bool whole) {
  if (!FImage || FCount < 2) return;
  RubberBandDC dc(*this);
  if (!dc.get()) return;
  HGDIOBJ oldPen = nullptr;
  HGDIOBJ oldBrush = nullptr;
  platform::ScopedGdiObject<HPEN> pen(whole ? nullptr : CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  if (pen) {
    oldPen = SelectObject(dc.get(), pen.get());
    oldBrush = SelectObject(dc.get(), GetStockObject(HOLLOW_BRUSH));
  }
  auto at = [this](int i) {
    return POINT{ScrnX(FPointX[static_cast<std::size_t>(i)]), ScrnY(FPointY[static_cast<std::size_t>(i)])};
  };
  if (whole) {
    const POINT first = at(0);
    MoveToEx(dc.get(), first.x, first.y, nullptr);
    for (int i = 1; i < FCount; ++i) {
      const POINT p = at(i);
      LineTo(dc.get(), p.x, p.y);
    }
  } else {
    const POINT from = at(FCount - 2);
    const POINT to = at(FCount - 1);
    MoveToEx(dc.get(), from.x, from.y, nullptr);
    LineTo(dc.get(), to.x, to.y);
  }
  if (pen) {
    SelectObject(dc.get(), oldPen);
    SelectObject(dc.get(), oldBrush);
  }
}
