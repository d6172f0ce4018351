// 3D edges in the system colours and focus rectangles.
#include "platform/gdiprivate.h"
#include "platform/syscolors.h"

using namespace platform;
using namespace platform::gdi;

// Edges

BOOL DrawEdge(HDC hdc, RECT* rc, UINT edge, UINT flags) {
  Target t = MakeTarget(hdc);
  if (!t.dc || !rc) return FALSE;
  // Colours of the outer and inner lines by the four border bits, top-left and
  // bottom-right; -1 draws nothing. A lone inner border is drawn in the outer place.
  static constexpr int kLtOuter[16] = {-1, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1, COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT,
                                       COLOR_BTNSHADOW, -1, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1,
                                       -1, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1};
  static constexpr int kLtInner[16] = {-1, -1, -1, -1, -1, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT, -1,
                                       -1, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, -1, -1, -1, -1, -1};
  static constexpr int kRbOuter[16] = {-1, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1, COLOR_BTNSHADOW,
                                       COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1, COLOR_3DLIGHT, COLOR_3DDKSHADOW,
                                       COLOR_BTNHIGHLIGHT, -1, -1, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1};
  static constexpr int kRbInner[16] = {-1, -1, -1, -1, -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW, -1,
                                       -1, COLOR_3DLIGHT, COLOR_3DLIGHT, -1, -1, -1, -1, -1};
  const unsigned e = edge & 0xF;
  int ltOuter = kLtOuter[e], ltInner = kLtInner[e], rbOuter = kRbOuter[e], rbInner = kRbInner[e];
  if (flags & BF_MONO) {
    ltOuter = rbOuter = ltOuter < 0 ? -1 : COLOR_WINDOWFRAME;
    ltInner = rbInner = ltInner < 0 ? -1 : COLOR_WINDOW;
  } else if (flags & BF_FLAT) {
    ltOuter = rbOuter = ltOuter < 0 ? -1 : COLOR_BTNSHADOW;
    ltInner = rbInner = ltInner < 0 ? -1 : COLOR_BTNFACE;
  }
  RECT r = Coords(*rc);
  auto ink = [&](int index) {
    Ink i;
    i.none = index < 0;
    i.color = PixelFromColor(GetSysColor(index));
    if (t.mono) i.color = ToMono(i.color);
    return i;
  };
  auto band = [&](int lt, int rb) {
    if (lt < 0 && rb < 0) return;
    const Ink a = ink(lt), b = ink(rb);
    if (r.right <= r.left || r.bottom <= r.top) return;
    if (t.Ok()) {
      if (flags & BF_TOP) FillBox(t, r.left, r.top, r.right, r.top + 1, a);
      if (flags & BF_LEFT) FillBox(t, r.left, r.top, r.left + 1, r.bottom, a);
      if (flags & BF_BOTTOM) FillBox(t, r.left, r.bottom - 1, r.right, r.bottom, b);
      if (flags & BF_RIGHT) FillBox(t, r.right - 1, r.top, r.right, r.bottom, b);
    }
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_RIGHT) --r.right;
    if (flags & BF_BOTTOM) --r.bottom;
  };
  band(ltOuter, rbOuter);
  band(ltInner, rbInner);
  if ((flags & BF_MIDDLE) && t.Ok()) FillBox(t, r.left, r.top, r.right, r.bottom, ink((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) *rc = r;
  Finish(t);
  return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rc) {
  Target t = MakeTarget(hdc);
  if (!t.dc || !rc) return FALSE;
  if (!t.Ok()) return TRUE;
  Ink inv;
  inv.none = false;
  inv.rop2 = R2_NOT;
  const auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) Dot(t, x, y, inv);
  };
  const RECT r = Coords(*rc);
  const int x0 = std::max<int>(r.left, -1), x1 = std::min<int>(r.right, t.bm->width + 1);
  const int y0 = std::max<int>(r.top + 1, -1), y1 = std::min<int>(r.bottom - 1, t.bm->height + 1);
  for (int x = x0; x < x1; ++x) dot(x, r.top), dot(x, r.bottom - 1);
  for (int y = y0; y < y1; ++y) dot(r.left, y), dot(r.right - 1, y);
  Finish(t);
  return TRUE;
}
