// Device contexts: their state (selected objects, modes, colours, position), saving and
// restoring it, clipping, and the target through which every drawing call paints.
#include <QPainter>

#include "platform/gdiprivate.h"

namespace platform {
namespace gdi {

namespace {

// A new context holds the stock pen, brush, font and palette, and surface.
HDC NewDC(int technology, bool memory, BitmapData* surface, bool claim = true) {
  auto dc = std::make_unique<DeviceContext>();
  dc->technology = technology;
  dc->memory = memory;
  DcState& s = dc->state;
  s.pen = static_cast<PenData*>(GetStockObject(BLACK_PEN));
  s.brush = static_cast<BrushData*>(GetStockObject(WHITE_BRUSH));
  s.font = static_cast<FontData*>(GetStockObject(SYSTEM_FONT));
  s.palette = static_cast<PaletteData*>(GetStockObject(DEFAULT_PALETTE));
  s.bitmap = surface;
  RetainState(s);
  if (claim && surface && !surface->stock) surface->selectedIn = dc.get();
  return AddContext(std::move(dc));
}

std::vector<QRect> ClipRects(const DeviceContext& dc, const BitmapData& bm) {
  const QRect bounds(0, 0, bm.width, bm.height);
  if (!dc.state.clip) return {bounds};
  std::vector<QRect> out;
  for (const QRect& r : dc.state.clip->intersected(bounds)) out.push_back(r);
  return out;
}

}  // namespace

Target MakeTarget(HDC hdc) {
  Target t;
  t.dc = FindDC(hdc);
  if (!t.dc || !t.dc->state.bitmap) return t;
  t.bm = t.dc->state.bitmap;
  t.clip = ClipRects(*t.dc, *t.bm);
  t.mono = t.bm->bitsPixel == 1;
  return t;
}

void Notify(DeviceContext* dc, const QRect& r) {
  if (!dc || !dc->changed || r.isEmpty()) return;
  dc->changed(ToRECT(r));
}

void Finish(Target& t) {
  if (t.bm && t.bm->stock) return;
  Notify(t.dc, t.touched);
}

}  // namespace gdi

using namespace gdi;

HDC CreateSurfaceDC(HBITMAP surface, int technology, std::function<void(const RECT&)> changed) {
  BitmapData* bm = FindBitmap(surface);
  if (!bm || bm->selectedIn) return nullptr;
  // Several contexts may draw on one window surface at once (a paint and a GetDC), so
  // the surface is not marked as selected; memory contexts still cannot take it while
  // it is referenced.
  HDC dc = NewDC(technology, false, bm, false);
  ++bm->surfaceUsers;
  dc->fixedSurface = true;
  dc->changed = std::move(changed);
  return dc;
}

bool BeginDcPainter(HDC hdc, QPainter& painter) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || !dc->state.bitmap || dc->state.bitmap->stock) return false;
  BitmapData& bm = *dc->state.bitmap;
  if (!painter.begin(&bm.image)) return false;
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  if (bm.bottomUp) {
    painter.translate(0, bm.height);
    painter.scale(1, -1);
  }
  if (dc->state.clip) painter.setClipRegion(*dc->state.clip);
  return true;
}

void NotifyDcChanged(HDC hdc, const RECT& area) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || !dc->state.bitmap) return;
  QRect r = ToQRect(area).intersected(QRect(0, 0, dc->state.bitmap->width, dc->state.bitmap->height));
  if (dc->state.clip) r = dc->state.clip->intersected(r).boundingRect();
  Notify(dc, r);
}

HFONT DcFont(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.font : nullptr;
}

POINT DcPosition(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.position : POINT{};
}

void SetDcPosition(HDC hdc, POINT pt) {
  if (DeviceContext* dc = FindDC(hdc)) dc->state.position = pt;
}

}  // namespace platform

using namespace platform;
using namespace platform::gdi;

HDC CreateCompatibleDC(HDC hdc) {
  const DeviceContext* like = FindDC(hdc);
  if (hdc && !like) return nullptr;
  // A memory context is a raster device whatever it is compatible with.
  return NewDC(DT_RASDISPLAY, true, StockBitmap());
}

BOOL DeleteDC(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->state.bitmap && dc->state.bitmap->selectedIn == dc) dc->state.bitmap->selectedIn = nullptr;
  if (dc->fixedSurface) --dc->state.bitmap->surfaceUsers;
  for (const DcState& s : dc->saved) ReleaseState(s);
  ReleaseState(dc->state);
  RemoveContext(dc);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return 0;
  const bool printer = dc->technology == DT_RASPRINTER;
  const BitmapData* bm = dc->state.bitmap;
  switch (index) {
    case TECHNOLOGY: return dc->technology;
    case LOGPIXELSX:
    case LOGPIXELSY: return printer ? 600 : 96;
    case BITSPIXEL: return bm && bm->bitsPixel == 1 && dc->memory ? 1 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case SIZEPALETTE: return 0;
    case HORZRES: return bm ? bm->width : 0;
    case VERTRES: return bm ? bm->height : 0;
    case HORZSIZE: return bm ? bm->width * 254 / (printer ? 6000 : 960) : 0;
    case VERTSIZE: return bm ? bm->height * 254 / (printer ? 6000 : 960) : 0;
    case RASTERCAPS:
      return dc->technology == DT_METAFILE ? 0
                                           : RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
                                                 RC_STRETCHDIB;
    default: return 0;
  }
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  DeviceContext* dc = FindDC(hdc);
  GdiObject* o = Find(obj);
  if (!dc || !o || o->deletePending) return nullptr;
  DcState& s = dc->state;
  auto swap = [](auto*& slot, auto* next) -> HGDIOBJ {
    auto* previous = slot;
    Retain(next);
    slot = next;
    Release(previous);
    return previous;
  };
  switch (o->kind) {
    case Kind::Pen: return swap(s.pen, static_cast<PenData*>(o));
    case Kind::Brush: return swap(s.brush, static_cast<BrushData*>(o));
    case Kind::Font: return swap(s.font, static_cast<FontData*>(o));
    case Kind::Palette: return nullptr;  // palettes go through SelectPalette
    case Kind::Region:
      return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(SelectClipRgn(hdc, static_cast<HRGN>(o))));
    case Kind::Bitmap: {
      auto* bm = static_cast<BitmapData*>(o);
      if (!dc->memory || dc->fixedSurface) return nullptr;
      if (bm->selectedIn && bm->selectedIn != dc) return nullptr;  // one context at a time
      if (bm->surfaceUsers > 0) return nullptr;  // a window's or device's surface
      BitmapData* previous = s.bitmap;
      if (previous && previous->selectedIn == dc) previous->selectedIn = nullptr;
      if (!bm->stock) bm->selectedIn = dc;
      swap(s.bitmap, bm);
      s.clip.reset();  // the clip region belongs to the old surface
      return previous;
    }
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->state.pen;
    case OBJ_BRUSH: return dc->state.brush;
    case OBJ_FONT: return dc->state.font;
    case OBJ_BITMAP: return dc->state.bitmap;
    case OBJ_PAL: return dc->state.palette;
    default: return nullptr;
  }
}

int SaveDC(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return 0;
  RetainState(dc->state);
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int level) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  const int depth = static_cast<int>(dc->saved.size());
  const int target = level < 0 ? depth + level + 1 : level;  // the save to return to
  if (target < 1 || target > depth) return FALSE;
  while (static_cast<int>(dc->saved.size()) > target) {
    ReleaseState(dc->saved.back());
    dc->saved.pop_back();
  }
  DcState restored = dc->saved.back();
  dc->saved.pop_back();
  // A bitmap saved in the state may have been selected elsewhere meanwhile; keep the
  // current one then, as it is the only safe surface.
  if (restored.bitmap != dc->state.bitmap) {
    if (restored.bitmap->selectedIn && restored.bitmap->selectedIn != dc) {
      Retain(dc->state.bitmap);
      Release(restored.bitmap);
      restored.bitmap = dc->state.bitmap;
    } else {
      if (dc->state.bitmap->selectedIn == dc) dc->state.bitmap->selectedIn = nullptr;
      if (!restored.bitmap->stock) restored.bitmap->selectedIn = dc;
    }
  }
  ReleaseState(dc->state);
  dc->state = restored;  // the saved copy's references move to the current state
  return TRUE;
}

int SetROP2(HDC hdc, int mode) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || mode < R2_BLACK || mode > R2_WHITE) return 0;
  return std::exchange(dc->state.rop2, mode);
}
int GetROP2(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.rop2 : 0;
}

int SetStretchBltMode(HDC hdc, int mode) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return std::exchange(dc->state.stretchMode, mode);
}
int GetStretchBltMode(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.stretchMode : 0;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = FindDC(hdc);
  return dc ? std::exchange(dc->state.textColor, color & 0xFFFFFFu) : CLR_INVALID;
}
COLORREF GetTextColor(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.textColor : CLR_INVALID;
}
COLORREF SetBkColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = FindDC(hdc);
  return dc ? std::exchange(dc->state.bkColor, color & 0xFFFFFFu) : CLR_INVALID;
}
COLORREF GetBkColor(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.bkColor : CLR_INVALID;
}
int SetBkMode(HDC hdc, int mode) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->state.bkMode, mode);
}
int GetBkMode(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.bkMode : 0;
}
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* previous) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.brushOrigin;
  dc->state.brushOrigin = POINT{x, y};
  return TRUE;
}
UINT SetTextAlign(HDC hdc, UINT align) {
  DeviceContext* dc = FindDC(hdc);
  return dc ? std::exchange(dc->state.textAlign, align & (TA_UPDATECP | TA_CENTER | TA_BASELINE)) : GDI_ERROR;
}
UINT GetTextAlign(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->state.textAlign : GDI_ERROR;
}
int SetPolyFillMode(HDC hdc, int mode) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || (mode != ALTERNATE && mode != WINDING)) return 0;
  return std::exchange(dc->state.polyFillMode, mode);
}

int SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return ERROR;
  const RegionData* r = FindRegion(rgn);
  auto& clip = dc->state.clip;
  const QRegion whole = dc->state.bitmap ? QRegion(0, 0, dc->state.bitmap->width, dc->state.bitmap->height) : QRegion();
  if (!r) {
    if (mode != RGN_COPY || rgn) return ERROR;
    clip.reset();
    return SIMPLEREGION;
  }
  const QRegion current = clip ? *clip : whole;
  switch (mode) {
    case RGN_COPY: clip = r->region; break;
    case RGN_AND: clip = current.intersected(r->region); break;
    case RGN_OR: clip = current.united(r->region); break;
    case RGN_XOR: clip = current.xored(r->region); break;
    case RGN_DIFF: clip = current.subtracted(r->region); break;
    default: return ERROR;
  }
  return RegionKind(clip->intersected(whole));
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  ScopedGdiObject<HRGN> r(CreateRectRgn(left, top, right, bottom));
  return ExtSelectClipRgn(hdc, r, RGN_AND);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  ScopedGdiObject<HRGN> r(CreateRectRgn(left, top, right, bottom));
  return ExtSelectClipRgn(hdc, r, RGN_DIFF);
}

int GetClipBox(HDC hdc, RECT* box) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || !box || !dc->state.bitmap) return ERROR;
  const QRegion whole(0, 0, dc->state.bitmap->width, dc->state.bitmap->height);
  const QRegion r = dc->state.clip ? dc->state.clip->intersected(whole) : whole;
  *box = ToRECT(r.boundingRect());
  return RegionKind(r);
}

// The current position; LineTo and the text calls that update it move it.

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.position;
  dc->state.position = POINT{x, y};
  dc->state.styleOffset = 0;
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* pos) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || !pos) return FALSE;
  *pos = dc->state.position;
  return TRUE;
}
