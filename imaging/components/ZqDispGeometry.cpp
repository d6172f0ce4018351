#include "imaging/components/ZqDispGeometry.h"

#include <algorithm>

#include "imaging/components/Zqutils.h"

namespace {

constexpr int kRulerExtent = 20;

int Trunc(double v) { return static_cast<int>(v); }

}  // namespace

void TZqDispGeometry::Layout(const Frame& frame) {
  const int width = frame.width - (VBar.shown ? frame.scrollBarExtent : 0);
  const int height = frame.height - (HBar.shown ? frame.scrollBarExtent : 0);
  Client = RECT{0, 0, width - 1, height - 1};
  Area = Client;
  if (frame.rulers) Area.left = Area.top = kRulerExtent;
  if (frame.border) {
    const int inset = frame.appearance == vzqFlat ? 1 : 2;
    InflateRect(&Area, -inset, -inset);
  }
  const double scale = DispScale > 0 ? DispScale : 1.0;
  VisibleCols = std::max(0, Trunc(AreaWidth() / scale));
  VisibleRows = std::max(0, Trunc(AreaHeight() / scale));
}

void TZqDispGeometry::ScrollBarPass(const Frame& frame, bool offer) {
  const int scaledWidth = Trunc(ImageWidth * DispScale + 0.5);
  const int scaledHeight = Trunc(ImageHeight * DispScale + 0.5);
  Layout(frame);
  if (!offer) {
    HBar = VBar = TZqScrollBarState{};
    return;
  }
  HBar = AreaWidth() < scaledWidth ? TZqScrollBarState{true, ImageWidth - 1, VisibleCols} : TZqScrollBarState{};
  VBar = AreaHeight() < scaledHeight ? TZqScrollBarState{true, ImageHeight - 1, VisibleRows} : TZqScrollBarState{};
}

void TZqDispGeometry::Initialise(const Frame& frame, bool offer) {
  ScrollBarPass(frame, offer);
  ScrollBarPass(frame, offer);
  // The area the bars leave, for whoever draws next; a bar's page is what it shows.
  Layout(frame);
  if (HBar.shown) HBar.page = VisibleCols;
  if (VBar.shown) VBar.page = VisibleRows;
}

void TZqDispGeometry::StartPosition(TVZqDispMode mode, int startX, int startY, int centerX, int centerY) {
  if (mode != vzqActualSize) return;
  Visible.left = startX;
  Visible.top = startY;
  if (DispScale <= 0) return;
  if (centerX > 0) Visible.left = centerX - Trunc((Area.right - Area.left) * 0.5 / DispScale + 0.5);
  if (centerY > 0) Visible.top = centerY - Trunc((Area.bottom - Area.top) * 0.5 / DispScale + 0.5);
}

void TZqDispGeometry::StartCheck(TVZqDispMode mode) {
  if (mode != vzqActualSize) {
    Visible = RECT{0, 0, ImageWidth - 1, ImageHeight - 1};
    return;
  }
  Visible.left = std::max<LONG>(Visible.left, 0);
  Visible.top = std::max<LONG>(Visible.top, 0);
  Visible.right = Visible.left + VisibleCols - 1;
  Visible.bottom = Visible.top + VisibleRows - 1;
  if (Visible.right > ImageWidth - 1) {
    Visible.right = ImageWidth - 1;
    Visible.left = std::max(ImageWidth - VisibleCols, 0);
  }
  if (Visible.bottom > ImageHeight - 1) {
    Visible.bottom = ImageHeight - 1;
    Visible.top = std::max(ImageHeight - VisibleRows, 0);
  }
}

void TZqDispGeometry::ScrollBy(TVZqScrollDir direction, int stepX, int stepY) {
  int dx = 0;
  int dy = 0;
  switch (direction) {
    case vzqUpLeft: dx = -stepX, dy = -stepY; break;
    case vzqUp: dy = -stepY; break;
    case vzqUpRight: dx = stepX, dy = -stepY; break;
    case vzqRight: dx = stepX; break;
    case vzqDownRight: dx = stepX, dy = stepY; break;
    case vzqDown: dy = stepY; break;
    case vzqDownLeft: dx = -stepX, dy = stepY; break;
    case vzqLeft: dx = -stepX; break;
  }
  Visible.left += dx;
  Visible.top += dy;
}

bool TZqDispGeometry::ScaledPlan(TVZqDispMode mode, TZqDrawPlan& plan) {
  const int aw = AreaWidth();
  const int ah = AreaHeight();
  if (aw < 2 || ah < 2 || ImageWidth <= 0 || ImageHeight <= 0) return false;
  int w = aw;
  int h = ah;
  int ox = 0;
  int oy = 0;
  if (mode == vzqScale) {
    const double sx = aw < ImageWidth ? static_cast<double>(aw) / ImageWidth : 1.0;
    const double sy = ImageHeight > ah ? static_cast<double>(ah) / ImageHeight : 1.0;
    const double s = std::min(sx, sy);
    w = Trunc(ImageWidth * s);
    h = Trunc(ImageHeight * s);
    ox = (aw - w) / 2;
    oy = (ah - h) / 2;
  }
  w = std::max(w, 1);
  h = std::max(h, 1);
  const int x = std::max<int>(Area.left + ox, Area.left);
  const int y = std::max<int>(Area.top + oy, Area.top);
  w = std::min<int>(w, Area.right + 1 - x);
  h = std::min<int>(h, Area.bottom + 1 - y);
  ScaleX = static_cast<double>(w) / ImageWidth;
  ScaleY = static_cast<double>(h) / ImageHeight;
  plan = TZqDrawPlan{x, y, w, h, 0, 0, ImageWidth, ImageHeight};
  Drawn = RECT{x, y, x + w, y + h};
  return true;
}

bool TZqDispGeometry::ActualPlan(TZqDrawPlan& plan) {
  const int aw = AreaWidth();
  const int ah = AreaHeight();
  const double s = DispScale;
  if (aw < 2 || ah < 2 || s <= 0 || ImageWidth <= 0 || ImageHeight <= 0) return false;
  int cols = Trunc(aw / s);
  int rows = Trunc(ah / s);
  int w = Trunc(cols * s);
  int h = Trunc(rows * s);
  // A last, partly visible column or row is shown when the image goes on beyond it.
  if (w < aw) {
    w = Visible.right < ImageWidth - 1 ? Trunc(s * (cols + 1)) : Trunc(s * cols);
    cols = Trunc(w / s);
  }
  if (h < ah) {
    h = Visible.bottom < ImageHeight - 1 ? Trunc(s * (rows + 1)) : Trunc(s * rows);
    rows = Trunc(h / s);
  }
  const int sw = Trunc(ImageWidth * s);
  const int sh = Trunc(ImageHeight * s);
  int x = Area.left;
  int y = Area.top;
  if (sw < aw) {
    x = std::max<int>(Area.left + (aw - sw) / 2, Area.left);
    w = sw;
    cols = Visible.right - Visible.left + 1;
  }
  if (sh < ah) {
    y = std::max<int>(Area.top + (ah - sh) / 2, Area.top);
    h = sh;
    rows = Visible.bottom - Visible.top + 1;
  }
  w = std::max(w, 1);
  h = std::max(h, 1);
  // Never a source column or row beyond the image.
  cols = std::clamp<int>(cols, 1, std::max<int>(ImageWidth - Visible.left, 1));
  rows = std::clamp<int>(rows, 1, std::max<int>(ImageHeight - Visible.top, 1));
  ScaleX = ScaleY = s;
  plan = TZqDrawPlan{x, y, w, h, Visible.left, Visible.top, cols, rows};
  Drawn = RECT{x, y, x + w, y + h};
  return true;
}

bool TZqDispGeometry::ReducedPlan(TZqDrawPlan& plan) {
  const int aw = AreaWidth();
  const int ah = AreaHeight();
  const double s = DispScale;
  if (aw < 2 || ah < 2 || s <= 0) return false;
  const int sw = Trunc(ImageWidth * s);
  const int sh = Trunc(ImageHeight * s);
  int x = Area.left;
  int y = Area.top;
  int w = aw;
  int h = ah;
  if (sw < aw) {
    x = std::max<int>(Area.left + (aw - sw) / 2, Area.left);
    w = sw;
  }
  if (sh < ah) {
    y = std::max<int>(Area.top + (ah - sh) / 2, Area.top);
    h = sh;
  }
  w = std::max(w, 1);
  h = std::max(h, 1);
  ScaleX = ScaleY = s;
  plan = TZqDrawPlan{x, y, w, h, Trunc(Visible.left * s), Trunc(Visible.top * s), w, h};
  Drawn = RECT{x, y, x + w, y + h};
  return true;
}

bool TZqDispGeometry::OverImage(int x, int y) const {
  if (Visible.right == 0 || Visible.bottom == 0) return false;
  return x >= Drawn.left && x <= Drawn.right && y >= Drawn.top && y <= Drawn.bottom;
}

int TZqDispGeometry::ImageX(int x) const {
  return ConvToImgX(x, Drawn.left, ScaleX > 0 ? ScaleX : 1.0, Visible.left);
}

int TZqDispGeometry::ImageY(int y) const {
  return ConvToImgY(y, Drawn.top, ScaleY > 0 ? ScaleY : 1.0, Visible.top);
}
