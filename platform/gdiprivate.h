// The drawing layer's own records and the mechanisms its units share. Only the
// platform's drawing units include this header; everything else goes through gdi.h.
//
//   gdi.cpp          the object table: pens, brushes, fonts, bitmaps, regions, palettes
//   gdicontext.cpp   device contexts: state, saving and restoring, clipping, and the
//                    target through which a drawing call paints
//   gdiraster.cpp    inks, spans, lines, coverage masks and shapes
//   gdiblit.cpp      raster operations, pixel sources, the stretch and the blits
//   gdiedges.cpp     3D edges and focus rectangles
#pragma once

#include <QRect>
#include <QRegion>
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/gdi.h"

namespace platform {

using Kind = GdiKind;

struct PenData final : Pen {
  LOGPEN log;
  int style = PS_SOLID;
  int width = 1;
};

struct BrushData final : Brush {
  LOGBRUSH log;
  // Pattern brushes: 8 × 8 pixels; monochrome ones take the context's colours.
  std::array<std::uint32_t, 64> pattern{};
  bool monoPattern = false;
};

struct FontData final : Font {
  LOGFONT log;
};

struct BitmapData final : Bitmap {
  QImage image;  // Format_RGB32; rows reversed in memory for a bottom-up DIB section
  int bitsPixel = 32;
  bool bottomUp = false;
  bool dibSection = false;
  DeviceContext* selectedIn = nullptr;
  int surfaceUsers = 0;  // contexts made by CreateSurfaceDC drawing on it
  std::uint8_t* bits = nullptr;
  qsizetype stride = 0;
  int width = 0;
  int height = 0;

  std::uint32_t* Row(int y) {
    return reinterpret_cast<std::uint32_t*>(bits + static_cast<qsizetype>(bottomUp ? height - 1 - y : y) * stride);
  }
};

struct RegionData final : Region {
  QRegion region;
};

struct PaletteData final : Palette {
  std::vector<PALETTEENTRY> entries;
};

struct DcState {
  PenData* pen = nullptr;
  BrushData* brush = nullptr;
  FontData* font = nullptr;
  BitmapData* bitmap = nullptr;
  PaletteData* palette = nullptr;
  std::optional<QRegion> clip;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int bkMode = OPAQUE;
  int polyFillMode = ALTERNATE;
  UINT textAlign = TA_LEFT | TA_TOP;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  POINT position;
  POINT brushOrigin;
  int styleOffset = 0;  // where a dashed line's pattern continues
};

struct DeviceContext {
  int technology = DT_RASDISPLAY;
  bool memory = false;
  bool fixedSurface = false;
  std::function<void(const RECT&)> changed;
  DcState state;
  std::vector<DcState> saved;
};

namespace gdi {

using Kind = GdiKind;

// ---------------------------------------------------------------------------------------
// The object table (gdi.cpp). Lookups answer null for a handle that was never made or is
// already gone, so that no call dereferences a stale handle.

GdiObject* Find(const void* handle);
template <typename T, Kind K>
T* FindAs(const void* handle) {
  GdiObject* obj = Find(handle);
  return obj && obj->kind == K ? static_cast<T*>(obj) : nullptr;
}
inline BrushData* FindBrush(const void* h) { return FindAs<BrushData, Kind::Brush>(h); }
inline FontData* FindFont(const void* h) { return FindAs<FontData, Kind::Font>(h); }
inline BitmapData* FindBitmap(const void* h) { return FindAs<BitmapData, Kind::Bitmap>(h); }
inline RegionData* FindRegion(const void* h) { return FindAs<RegionData, Kind::Region>(h); }
inline PaletteData* FindPalette(const void* h) { return FindAs<PaletteData, Kind::Palette>(h); }
DeviceContext* FindDC(const void* handle);

// Contexts enter the table when made and leave it when deleted.
DeviceContext* AddContext(std::unique_ptr<DeviceContext> dc);
void RemoveContext(DeviceContext* dc);

// Selections count references, so that an object deleted while selected lives until it
// is deselected.
void Retain(GdiObject* obj);
void Release(GdiObject* obj);
void RetainState(const DcState& s);
void ReleaseState(const DcState& s);

// The 1 × 1 monochrome bitmap that a fresh memory context holds.
BitmapData* StockBitmap();

// ---------------------------------------------------------------------------------------
// Coordinates

inline int RegionKind(const QRegion& r) {
  return r.isEmpty() ? NULLREGION : (r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION);
}

// Coordinates are kept within 28 bits, far beyond any surface, so that edge arithmetic
// on hostile values cannot overflow; what is visible does not change.
inline int Coord(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -(1 << 28), 1 << 28)); }
inline RECT Coords(const RECT& r) { return RECT{Coord(r.left), Coord(r.top), Coord(r.right), Coord(r.bottom)}; }

// The pixels of a rectangle given by two corners in either order, right and bottom
// edges excluded.
inline QRect Normalised(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

// ---------------------------------------------------------------------------------------
// Pixels and inks (gdiraster.cpp)

inline constexpr std::uint32_t kOpaque = 0xFF000000u;

// A monochrome surface keeps black and white only: a colour lands as white when it is
// light and black otherwise.
inline std::uint32_t ToMono(std::uint32_t p) {
  const unsigned lum = ((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11;
  return lum >= 12800 ? 0xFFFFFFFFu : kOpaque;
}

// What a span is painted with: one colour, or an 8 × 8 pattern in which some cells may
// be left alone (the background of a hatch drawn in transparent mode).
struct Ink {
  int rop2 = R2_COPYPEN;
  bool none = true;
  bool patterned = false;
  std::uint32_t color = kOpaque;
  std::array<std::uint32_t, 64> cells{};
  std::array<bool, 64> skip{};
  int orgX = 0;
  int orgY = 0;
};

// The current pen's colour (pixel) in the context's mix mode.
Ink PenInk(const DeviceContext& dc, std::uint32_t pixel, bool mono);
// honourBkMode leaves a hatch's background alone in TRANSPARENT mode (drawing
// primitives); fills through FillRect and PatBlt always paint it.
Ink BrushInk(const DeviceContext& dc, const BrushData* brush, int rop2, bool honourBkMode, bool mono);

// ---------------------------------------------------------------------------------------
// The target of one drawing call (gdicontext.cpp): the surface, the clip rectangles
// inside it, and the bounds of what the call changed.

struct Target {
  DeviceContext* dc = nullptr;
  BitmapData* bm = nullptr;
  std::vector<QRect> clip;
  QRect touched;
  bool mono = false;

  bool Ok() const { return bm != nullptr; }
};

// dc null when the handle is unknown; bm null when the context has no surface.
Target MakeTarget(HDC hdc);
// Tells the context's listener that r changed.
void Notify(DeviceContext* dc, const QRect& r);
// Ends a drawing call: reports what it touched.
void Finish(Target& t);

// ---------------------------------------------------------------------------------------
// Spans (gdiraster.cpp)

// Paints x0 <= x < x1 of row y, clipped.
void Span(Target& t, int y, int x0, int x1, const Ink& ink);
inline void Dot(Target& t, int x, int y, const Ink& ink) { Span(t, y, x, x + 1, ink); }
// Paints the rectangle l <= x < r, top <= y < b, clipped.
void FillBox(Target& t, int l, int top, int r, int b, const Ink& ink);

}  // namespace gdi
}  // namespace platform
