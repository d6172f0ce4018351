#include "platform/gdi.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/syscolors.h"

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

namespace {

// ---------------------------------------------------------------------------------------
// The object table

struct Table {
  std::unordered_map<const void*, std::unique_ptr<GdiObject>> objects;
  std::unordered_map<const void*, std::unique_ptr<DeviceContext>> contexts;
  std::array<GdiObject*, 20> stock{};
};

Table& TheTable() {
  static Table* table = new Table;  // lives to the end of the process, past every static
  return *table;
}

template <typename T>
T* Register(std::unique_ptr<T> obj) {
  T* raw = obj.get();
  TheTable().objects.emplace(raw, std::move(obj));
  return raw;
}

GdiObject* Find(const void* handle) {
  if (!handle) return nullptr;
  auto& objs = TheTable().objects;
  const auto it = objs.find(handle);
  return it == objs.end() ? nullptr : it->second.get();
}

template <typename T, Kind K>
T* FindAs(const void* handle) {
  GdiObject* obj = Find(handle);
  return obj && obj->kind == K ? static_cast<T*>(obj) : nullptr;
}
BrushData* FindBrush(const void* h) { return FindAs<BrushData, Kind::Brush>(h); }
FontData* FindFont(const void* h) { return FindAs<FontData, Kind::Font>(h); }
BitmapData* FindBitmap(const void* h) { return FindAs<BitmapData, Kind::Bitmap>(h); }
RegionData* FindRegion(const void* h) { return FindAs<RegionData, Kind::Region>(h); }
PaletteData* FindPalette(const void* h) { return FindAs<PaletteData, Kind::Palette>(h); }

DeviceContext* FindDC(const void* handle) {
  if (!handle) return nullptr;
  auto& dcs = TheTable().contexts;
  const auto it = dcs.find(handle);
  return it == dcs.end() ? nullptr : it->second.get();
}

void Destroy(GdiObject* obj) { TheTable().objects.erase(obj); }

void Retain(GdiObject* obj) {
  if (obj) ++obj->references;
}
void Release(GdiObject* obj) {
  if (!obj) return;
  if (--obj->references == 0 && obj->deletePending) Destroy(obj);
}
void RetainState(const DcState& s) {
  Retain(s.pen), Retain(s.brush), Retain(s.font), Retain(s.bitmap), Retain(s.palette);
}
void ReleaseState(const DcState& s) {
  Release(s.pen), Release(s.brush), Release(s.font), Release(s.bitmap), Release(s.palette);
}

BitmapData* NewBitmap(int width, int height, int bitsPixel) {
  if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > (std::int64_t{1} << 28)) return nullptr;
  auto bm = std::make_unique<BitmapData>();
  bm->image = QImage(width, height, QImage::Format_RGB32);
  if (bm->image.isNull()) return nullptr;
  bm->image.fill(0xFF000000u);  // a new bitmap is black
  bm->bitsPixel = bitsPixel;
  bm->bits = bm->image.bits();
  bm->stride = bm->image.bytesPerLine();
  bm->width = width;
  bm->height = height;
  return Register(std::move(bm));
}

GdiObject* MakeStock(int which) {
  auto pen = [](int style, COLORREF c) {
    auto p = std::make_unique<PenData>();
    p->style = style;
    p->log.lopnStyle = static_cast<UINT>(style);
    p->log.lopnWidth.x = 1;
    p->log.lopnColor = c;
    return static_cast<GdiObject*>(Register(std::move(p)));
  };
  auto brush = [](UINT style, COLORREF c) {
    auto b = std::make_unique<BrushData>();
    b->log.lbStyle = style;
    b->log.lbColor = c;
    return static_cast<GdiObject*>(Register(std::move(b)));
  };
  switch (which) {
    case WHITE_BRUSH: return brush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH: return brush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH: return brush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH: return brush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH: return brush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH: return brush(BS_NULL, 0);
    case DC_BRUSH: return brush(BS_SOLID, RGB(255, 255, 255));
    case WHITE_PEN: return pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN: return pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN: return pen(PS_NULL, 0);
    case DC_PEN: return pen(PS_SOLID, RGB(0, 0, 0));
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
      auto f = std::make_unique<FontData>();
      f->log.lfHeight = -12;
      f->log.lfWeight = 400;
      f->log.lfCharSet = 128;  // SHIFTJIS_CHARSET: the system's UI face is Japanese
      std::strncpy(f->log.lfFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE - 1);
      return Register(std::move(f));
    }
    case DEFAULT_PALETTE: {
      auto p = std::make_unique<PaletteData>();
      static constexpr BYTE kLevels[] = {0, 128, 255};
      for (BYTE r : kLevels)
        for (BYTE g : kLevels)
          for (BYTE b : kLevels) p->entries.push_back({r, g, b, 0});
      return Register(std::move(p));
    }
    default: return nullptr;
  }
}

// The 1 × 1 monochrome bitmap that a fresh memory context holds.
BitmapData* StockBitmap() {
  static BitmapData* bm = [] {
    BitmapData* b = NewBitmap(1, 1, 1);
    b->stock = true;
    return b;
  }();
  return bm;
}

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
  DeviceContext* raw = dc.get();
  if (claim && surface && !surface->stock) surface->selectedIn = raw;
  TheTable().contexts.emplace(raw, std::move(dc));
  return raw;
}

// ---------------------------------------------------------------------------------------
// Pixel machinery

constexpr std::uint32_t kOpaque = 0xFF000000u;

inline std::uint32_t Mix(int rop2, std::uint32_t pen, std::uint32_t dst) {
  std::uint32_t r;
  switch (rop2) {
    case R2_BLACK: r = 0; break;
    case R2_NOTMERGEPEN: r = ~(pen | dst); break;
    case R2_MASKNOTPEN: r = ~pen & dst; break;
    case R2_NOTCOPYPEN: r = ~pen; break;
    case R2_MASKPENNOT: r = pen & ~dst; break;
    case R2_NOT: r = ~dst; break;
    case R2_XORPEN: r = pen ^ dst; break;
    case R2_NOTMASKPEN: r = ~(pen & dst); break;
    case R2_MASKPEN: r = pen & dst; break;
    case R2_NOTXORPEN: r = ~(pen ^ dst); break;
    case R2_NOP: r = dst; break;
    case R2_MERGENOTPEN: r = ~pen | dst; break;
    case R2_MERGEPEN: r = pen | dst; break;
    case R2_MERGEPENNOT: r = pen | ~dst; break;
    case R2_WHITE: r = 0xFFFFFFu; break;
    default: r = pen; break;  // R2_COPYPEN
  }
  return r | kOpaque;
}

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

std::array<BYTE, 8> HatchRows(UINT_PTR style) {
  switch (style) {
    case HS_HORIZONTAL: return {0, 0, 0, 0xFF, 0, 0, 0, 0};
    case HS_VERTICAL: return {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08};
    case HS_FDIAGONAL: return {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    case HS_BDIAGONAL: return {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
    case HS_CROSS: return {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08};
    default: return {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};  // HS_DIAGCROSS
  }
}

Ink PenInk(const DeviceContext& dc, std::uint32_t pixel, bool mono) {
  Ink ink;
  ink.none = false;
  ink.rop2 = dc.state.rop2;
  ink.color = mono ? ToMono(pixel) : pixel;
  return ink;
}

// transparentBackground leaves a hatch's background alone (drawing primitives in
// TRANSPARENT mode); fills through FillRect and PatBlt always paint it.
Ink BrushInk(const DeviceContext& dc, const BrushData* brush, int rop2, bool honourBkMode, bool mono) {
  Ink ink;
  ink.rop2 = rop2;
  if (!brush || brush->log.lbStyle == BS_NULL) return ink;
  ink.none = false;
  const auto adapt = [mono](std::uint32_t p) { return mono ? ToMono(p) : p; };
  const std::uint32_t fg = adapt(PixelFromColor(brush->log.lbColor));
  if (brush->log.lbStyle == BS_SOLID) {
    ink.color = fg;
    return ink;
  }
  ink.patterned = true;
  ink.orgX = dc.state.brushOrigin.x;
  ink.orgY = dc.state.brushOrigin.y;
  const std::uint32_t bk = adapt(PixelFromColor(dc.state.bkColor));
  if (brush->log.lbStyle == BS_HATCHED) {
    const auto rows = HatchRows(brush->log.lbHatch);
    const bool transparentBk = honourBkMode && dc.state.bkMode == TRANSPARENT;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool on = (rows[y] >> (7 - x)) & 1;
        ink.cells[y * 8 + x] = on ? fg : bk;
        ink.skip[y * 8 + x] = !on && transparentBk;
      }
    return ink;
  }
  const std::uint32_t text = adapt(PixelFromColor(dc.state.textColor));
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t p = brush->pattern[i];
    ink.cells[i] = brush->monoPattern ? ((p & 0xFFFFFFu) ? bk : text) : adapt(p);
  }
  return ink;
}

// One drawing call's target: the surface, the clip rectangles inside it, and the
// bounds of what the call changed.
struct Target {
  DeviceContext* dc = nullptr;
  BitmapData* bm = nullptr;
  std::vector<QRect> clip;
  QRect touched;
  bool mono = false;

  bool Ok() const { return bm != nullptr; }
};

std::vector<QRect> ClipRects(const DeviceContext& dc, const BitmapData& bm) {
  const QRect bounds(0, 0, bm.width, bm.height);
  if (!dc.state.clip) return {bounds};
  std::vector<QRect> out;
  for (const QRect& r : dc.state.clip->intersected(bounds)) out.push_back(r);
  return out;
}

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
  dc->changed(RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}

void Finish(Target& t) {
  if (t.bm && t.bm->stock) return;
  Notify(t.dc, t.touched);
}

// Paints x0 <= x < x1 of row y, clipped.
void Span(Target& t, int y, int x0, int x1, const Ink& ink) {
  if (ink.none || x0 >= x1) return;
  for (const QRect& c : t.clip) {
    if (y < c.top() || y > c.bottom()) continue;
    const int a = std::max(x0, c.left());
    const int b = std::min(x1, c.right() + 1);
    if (a >= b) continue;
    std::uint32_t* row = t.bm->Row(y);
    if (!ink.patterned) {
      if (ink.rop2 == R2_COPYPEN) {
        std::fill(row + a, row + b, ink.color);
      } else {
        for (int x = a; x < b; ++x) row[x] = Mix(ink.rop2, ink.color, row[x]);
      }
    } else {
      const int py = ((y - ink.orgY) % 8 + 8) % 8;
      for (int x = a; x < b; ++x) {
        const int cell = py * 8 + ((x - ink.orgX) % 8 + 8) % 8;
        if (!ink.skip[cell]) row[x] = Mix(ink.rop2, ink.cells[cell], row[x]);
      }
    }
    t.touched |= QRect(a, y, b - a, 1);
  }
}

void Dot(Target& t, int x, int y, const Ink& ink) { Span(t, y, x, x + 1, ink); }

void FillBox(Target& t, int l, int top, int r, int b, const Ink& ink) {
  // Rows outside the surface are skipped without a visit, so any rectangle is cheap.
  top = std::max(top, 0);
  b = std::min(b, t.bm->height);
  for (int y = top; y < b; ++y) Span(t, y, l, r, ink);
}

// Dash patterns of cosmetic pens, in pixels: on, off, on, off...
struct DashPattern {
  std::array<int, 6> runs{};
  int count = 0;
  int total = 0;
};
DashPattern DashOf(int style) {
  switch (style) {
    case PS_DASH: return {{18, 6}, 2, 24};
    case PS_DOT: return {{3, 3}, 2, 6};
    case PS_DASHDOT: return {{9, 6, 3, 6}, 4, 24};
    case PS_DASHDOTDOT: return {{9, 3, 3, 3, 3, 3}, 6, 24};
    default: return {{1}, 1, 1};
  }
}
bool DashOn(const DashPattern& p, int pos) {
  pos %= p.total;
  for (int i = 0; i < p.count; ++i) {
    if (pos < p.runs[i]) return i % 2 == 0;
    pos -= p.runs[i];
  }
  return true;
}

bool IsDashed(const PenData& pen) { return pen.width <= 1 && pen.style >= PS_DASH && pen.style <= PS_DASHDOTDOT; }

// Bresenham from (x1, y1) towards (x2, y2), end point left out. With limit, only the
// steps whose major coordinate lies within it (widened by one) are walked: the walk
// starts with the error term it would have had, so the pixels are the same as a full
// walk's, and a line reaching far outside the surface costs only what lies on it.
template <typename F>
void WalkLine(int x1, int y1, int x2, int y2, F&& visit, const QRect* limit = nullptr) {
  const std::int64_t dx = std::abs(std::int64_t{x2} - x1), dy = std::abs(std::int64_t{y2} - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  const bool xMajor = dx >= dy;
  const std::int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  const int sMajor = xMajor ? sx : sy, sMinor = xMajor ? sy : sx;
  const std::int64_t start = xMajor ? x1 : y1;
  std::int64_t i0 = 0, i1 = major;
  if (limit) {
    const std::int64_t lo = (xMajor ? limit->left() : limit->top()) - 1;
    const std::int64_t hi = (xMajor ? limit->right() : limit->bottom()) + 1;
    // Steps i with lo <= start + sMajor * i <= hi.
    const std::int64_t a = sMajor > 0 ? lo - start : start - hi;
    const std::int64_t b = sMajor > 0 ? hi - start : start - lo;
    i0 = std::max<std::int64_t>(i0, a);
    i1 = std::min<std::int64_t>(i1, b + 1);
    if (i0 >= i1) return;
  }
  // Minor steps taken before step i: the error term stays in (2m - 2M, 2m], or in
  // [2m - 2M, 2m) when ties step (towards increasing major coordinates).
  const bool tieSteps = sMajor > 0;
  const std::int64_t e0 = 2 * minor - major;
  std::int64_t k = 0;
  if (i0 > 0) {
    const std::int64_t num = e0 + 2 * minor * (i0 - 1);
    const std::int64_t den = 2 * major;
    const auto floorDiv = [](std::int64_t n, std::int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); };
    k = tieSteps ? floorDiv(num, den) + 1 : -floorDiv(-num, den);
  }
  std::int64_t err = e0 + 2 * minor * i0 - 2 * major * k;
  std::int64_t a = start + sMajor * i0;
  std::int64_t m = (xMajor ? y1 : x1) + sMinor * k;
  for (std::int64_t i = i0; i < i1; ++i) {
    if (xMajor) {
      visit(static_cast<int>(a), static_cast<int>(m));
    } else {
      visit(static_cast<int>(m), static_cast<int>(a));
    }
    if (err > 0 || (err == 0 && tieSteps)) {
      m += sMinor;
      err -= 2 * major;
    }
    err += 2 * minor;
    a += sMajor;
  }
}

// Coverage masks: shapes drawn by a QPainter into an image of labels, then applied by
// the span painter so that mix modes, hatches and clipping hold for them too.
constexpr std::uint32_t kMaskBrush = 1, kMaskPen = 2, kMaskGap = 3;

struct Mask {
  QImage image;
  QPoint origin;
};

Mask NewMask(const QRect& bounds) {
  Mask m;
  m.origin = bounds.topLeft();
  m.image = QImage(bounds.size(), QImage::Format_RGB32);
  m.image.fill(0xFF000000u);
  return m;
}

void ApplyMask(Target& t, const Mask& m, const Ink& brush, const Ink& pen, const Ink& gap) {
  for (int my = 0; my < m.image.height(); ++my) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(m.image.constScanLine(my));
    int x = 0;
    const int w = m.image.width();
    while (x < w) {
      const std::uint32_t label = row[x] & 0xFF;
      int e = x + 1;
      while (e < w && (row[e] & 0xFF) == label) ++e;
      const Ink* ink = label == kMaskBrush ? &brush : label == kMaskPen ? &pen : label == kMaskGap ? &gap : nullptr;
      if (ink) Span(t, m.origin.y() + my, m.origin.x() + x, m.origin.x() + e, *ink);
      x = e;
    }
  }
}

QColor Label(std::uint32_t v) { return QColor::fromRgb(0xFF000000u | v); }

// Stroke and fill a path in labels; the pen's own pattern for dashed pens, round caps
// and joins for wide ones, as Windows' geometric pens have.
void PaintShape(Target& t, const QPainterPath& outline, bool closedFill) {
  const DeviceContext& dc = *t.dc;
  const PenData* pen = dc.state.pen;
  const BrushData* brush = dc.state.brush;
  const bool drawPen = pen && pen->style != PS_NULL;
  const bool drawFill = closedFill && brush && brush->log.lbStyle != BS_NULL;
  if (!drawPen && !drawFill) return;
  const int margin = drawPen ? pen->width + 2 : 2;
  // The mask covers only what the clip lets through, however large the shape.
  QRect visible;
  for (const QRect& c : t.clip) visible |= c;
  const QRectF shape = outline.boundingRect().adjusted(-margin, -margin, margin, margin);
  const QRect bounds = visible.intersected(QRectF(visible).intersected(shape).toAlignedRect());
  if (bounds.isEmpty()) return;
  Mask m = NewMask(bounds);
  {
    QPainter p(&m.image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(-bounds.left(), -bounds.top());
    if (drawFill) {
      QPainterPath fill = outline;
      fill.setFillRule(dc.state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
      p.fillPath(fill, Label(kMaskBrush));
    }
    if (drawPen) {
      QPen qp(Label(kMaskPen));
      qp.setWidth(std::max(1, pen->width));
      if (pen->width > 1) {
        qp.setCapStyle(Qt::RoundCap);
        qp.setJoinStyle(Qt::RoundJoin);
      } else {
        qp.setCosmetic(true);
      }
      if (IsDashed(*pen)) {
        QPen gapPen = qp;
        gapPen.setColor(Label(kMaskGap));
        p.strokePath(outline, gapPen);
        const DashPattern d = DashOf(pen->style);
        QList<qreal> dashes;
        for (int i = 0; i < d.count; ++i) dashes << d.runs[i];
        qp.setDashPattern(dashes);
      }
      p.strokePath(outline, qp);
    }
  }
  const Ink penInk = drawPen ? PenInk(dc, PixelFromColor(pen->log.lopnColor), t.mono) : Ink{};
  Ink gapInk;
  if (drawPen && dc.state.bkMode == OPAQUE) gapInk = PenInk(dc, PixelFromColor(dc.state.bkColor), t.mono);
  const Ink brushInk = drawFill ? BrushInk(dc, brush, dc.state.rop2, true, t.mono) : Ink{};
  ApplyMask(t, m, brushInk, penInk, gapInk);
}

// Width-1 line of the current pen from a to b, end point excluded.
void CosmeticLine(Target& t, POINT a, POINT b) {
  DeviceContext& dc = *t.dc;
  const PenData& pen = *dc.state.pen;
  const Ink ink = PenInk(dc, PixelFromColor(pen.log.lopnColor), t.mono);
  const QRect limit(0, 0, t.bm->width, t.bm->height);
  if (!IsDashed(pen)) {
    WalkLine(a.x, a.y, b.x, b.y, [&](int x, int y) { Dot(t, x, y, ink); }, &limit);
    return;
  }
  const DashPattern d = DashOf(pen.style);
  const bool opaqueGaps = dc.state.bkMode == OPAQUE;
  const Ink gap = PenInk(dc, PixelFromColor(dc.state.bkColor), t.mono);
  // The dash pattern counts every pixel of the line, visible or not.
  int& pos = dc.state.styleOffset;
  const std::int64_t length = std::max(std::abs(std::int64_t{b.x} - a.x), std::abs(std::int64_t{b.y} - a.y));
  const int startPos = pos;
  WalkLine(a.x, a.y, b.x, b.y, [&](int x, int y) {
    const std::int64_t step = std::max(std::abs(std::int64_t{x} - a.x), std::abs(std::int64_t{y} - a.y));
    const int at = static_cast<int>((startPos + step) % d.total);
    if (DashOn(d, at)) {
      Dot(t, x, y, ink);
    } else if (opaqueGaps) {
      Dot(t, x, y, gap);
    }
  }, &limit);
  pos = static_cast<int>((startPos + length) % d.total);
}

QPointF Centre(POINT p) { return QPointF(p.x + 0.5, p.y + 0.5); }

void DrawLine(Target& t, POINT a, POINT b) {
  const PenData* pen = t.dc->state.pen;
  if (!pen || pen->style == PS_NULL) return;
  if (pen->width <= 1) {
    CosmeticLine(t, a, b);
    return;
  }
  QPainterPath path(Centre(a));
  path.lineTo(Centre(b));
  PaintShape(t, path, false);
}

// ---------------------------------------------------------------------------------------
// Raster operations over rows

// Which operands a ternary raster operation reads.
bool RopUsesSource(DWORD rop) {
  const DWORD c = (rop >> 16) & 0xFF;
  return (((c >> 2) ^ c) & 0x33) != 0;
}
bool RopUsesPattern(DWORD rop) {
  const DWORD c = (rop >> 16) & 0xFF;
  return (((c >> 4) ^ c) & 0x0F) != 0;
}

inline std::uint32_t Ternary(unsigned code, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}

// dst[i] = rop(pattern[i], src[i], dst[i]) for n pixels; src and pattern may be null
// when the operation does not read them.
void RopRow(std::uint32_t* d, const std::uint32_t* s, const std::uint32_t* p, int n, DWORD rop) {
  const unsigned code = (rop >> 16) & 0xFF;
  switch (code) {
    case 0xCC: std::memcpy(d, s, static_cast<std::size_t>(n) * 4); return;
    case 0x66: for (int i = 0; i < n; ++i) d[i] = (d[i] ^ s[i]) | kOpaque; return;
    case 0x88: for (int i = 0; i < n; ++i) d[i] &= s[i]; return;
    case 0xEE: for (int i = 0; i < n; ++i) d[i] |= s[i]; return;
    case 0x33: for (int i = 0; i < n; ++i) d[i] = ~s[i] | kOpaque; return;
    case 0x55: for (int i = 0; i < n; ++i) d[i] = ~d[i] | kOpaque; return;
    case 0xF0: std::memcpy(d, p, static_cast<std::size_t>(n) * 4); return;
    case 0x5A: for (int i = 0; i < n; ++i) d[i] = (d[i] ^ p[i]) | kOpaque; return;
    case 0x00: std::fill(d, d + n, kOpaque); return;
    case 0xFF: std::fill(d, d + n, 0xFFFFFFFFu); return;
    case 0xE2: for (int i = 0; i < n; ++i) d[i] = (s[i] & p[i]) | (~s[i] & d[i]) | kOpaque; return;
    default: break;
  }
  for (int i = 0; i < n; ++i) d[i] = Ternary(code, p ? p[i] : 0, s ? s[i] : 0, d[i]) | kOpaque;
}

// The brush row for PatBlt-like operations: cells of x for row y.
void PatternRow(const Ink& ink, int y, int x0, int n, std::uint32_t* out) {
  if (ink.none) {
    std::fill(out, out + n, kOpaque);
    return;
  }
  if (!ink.patterned) {
    std::fill(out, out + n, ink.color);
    return;
  }
  const int py = ((y - ink.orgY) % 8 + 8) % 8;
  for (int i = 0; i < n; ++i) out[i] = ink.cells[py * 8 + ((x0 + i - ink.orgX) % 8 + 8) % 8];
}

// ---------------------------------------------------------------------------------------
// Pixel sources for blits and stretches

// A source image: rows top-down reached through base + y * stride (stride may be
// negative), pixels of 1 to 32 bits converted to 0xFFRRGGBB.
struct Source {
  const std::uint8_t* base = nullptr;
  std::ptrdiff_t stride = 0;
  int bits = 32;
  int width = 0;
  int height = 0;
  std::array<std::uint32_t, 256> palette{};
  std::array<std::uint32_t, 3> masks{};   // red, green, blue for bit fields
  std::array<int, 3> shifts{};
  std::array<std::uint32_t, 3> maxima{};
  bool bitfields = false;
  // A monochrome bitmap read into a colour target takes the target's colours.
  bool monoToColor = false;
  std::uint32_t monoBlack = 0, monoWhite = 0;
  // A colour image read into a monochrome target: its background colour becomes white.
  bool colorToMono = false;
  std::uint32_t srcBk = 0;

  const std::uint8_t* RowPtr(int y) const { return base + static_cast<std::ptrdiff_t>(y) * stride; }

  std::uint32_t Field(std::uint32_t v, int c) const {
    if (!maxima[c]) return 0;
    return ((v & masks[c]) >> shifts[c]) * 255u / maxima[c];
  }
  std::uint32_t FromFields(std::uint32_t v) const {
    return kOpaque | (Field(v, 0) << 16) | (Field(v, 1) << 8) | Field(v, 2);
  }

  std::uint32_t Adapt(std::uint32_t p) const {
    if (monoToColor) return (p & 0xFFFFFFu) ? monoWhite : monoBlack;
    if (colorToMono) return ((p | kOpaque) == srcBk) ? 0xFFFFFFFFu : kOpaque;
    return p;
  }

  // Pixel x of a row.
  std::uint32_t At(const std::uint8_t* row, int x) const {
    switch (bits) {
      case 1: return palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
      case 4: return palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
      case 8: return palette[row[x]];
      case 16: {
        const std::uint32_t v = static_cast<std::uint32_t>(row[2 * x]) | (static_cast<std::uint32_t>(row[2 * x + 1]) << 8);
        return FromFields(v);
      }
      case 24: {
        const std::uint8_t* q = row + 3 * x;
        return kOpaque | (static_cast<std::uint32_t>(q[2]) << 16) | (static_cast<std::uint32_t>(q[1]) << 8) | q[0];
      }
      default: {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return bitfields ? FromFields(v) : (v | kOpaque);
      }
    }
  }

  // Pixels xs[0..n) of row y into out.
  void Pick(int y, const int* xs, int n, std::uint32_t* out) const {
    const std::uint8_t* row = RowPtr(y);
    if (bits == 24 && !monoToColor && !colorToMono) {
      for (int i = 0; i < n; ++i) {
        const std::uint8_t* q = row + 3 * xs[i];
        out[i] = kOpaque | (static_cast<std::uint32_t>(q[2]) << 16) | (static_cast<std::uint32_t>(q[1]) << 8) | q[0];
      }
      return;
    }
    if (bits == 32 && !bitfields && !monoToColor && !colorToMono) {
      const auto* r32 = reinterpret_cast<const std::uint32_t*>(row);
      for (int i = 0; i < n; ++i) out[i] = r32[xs[i]] | kOpaque;
      return;
    }
    for (int i = 0; i < n; ++i) out[i] = Adapt(At(row, xs[i]));
  }

  // Pixels x0 <= x < x1 of row y into out.
  void Fetch(int y, int x0, int x1, std::uint32_t* out) const {
    const std::uint8_t* row = RowPtr(y);
    if (bits == 32 && !bitfields && !monoToColor && !colorToMono) {
      const auto* r32 = reinterpret_cast<const std::uint32_t*>(row);
      for (int x = x0; x < x1; ++x) *out++ = r32[x] | kOpaque;
      return;
    }
    if (bits == 24 && !monoToColor && !colorToMono) {
      const std::uint8_t* q = row + 3 * x0;
      for (int x = x0; x < x1; ++x, q += 3)
        *out++ = kOpaque | (static_cast<std::uint32_t>(q[2]) << 16) | (static_cast<std::uint32_t>(q[1]) << 8) | q[0];
      return;
    }
    for (int x = x0; x < x1; ++x) *out++ = Adapt(At(row, x));
  }
};

void SetMask(Source& s, int c, std::uint32_t mask) {
  s.masks[c] = mask;
  if (!mask) return;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  s.shifts[c] = shift;
  s.maxima[c] = mask >> shift;
}

Source BitmapSource(BitmapData& bm) {
  Source s;
  s.bits = 32;
  s.width = bm.width;
  s.height = bm.height;
  s.base = reinterpret_cast<const std::uint8_t*>(bm.Row(0));
  s.stride = bm.bottomUp ? -bm.stride : bm.stride;
  return s;
}

// Describes where each destination pixel of a stretch takes its source from, along
// one axis: nearest index, and the range [lo, hi) it covers when reducing.
struct AxisMap {
  std::vector<int> nearest;
  std::vector<int> lo;
  std::vector<int> hi;
};

// Destination pixels i0 <= i < i1 of dn over source pixels srcOrigin..srcOrigin+sn-1
// (mirrored when flip), stored from index 0; pixels whose source falls outside
// [0, limit) get -1.
AxisMap MapAxis(int dn, int i0, int i1, std::int64_t srcOrigin, int sn, bool flip, int limit, bool ranges) {
  AxisMap m;
  const auto count = static_cast<std::size_t>(i1 - i0);
  m.nearest.resize(count);
  if (ranges) {
    m.lo.resize(count);
    m.hi.resize(count);
  }
  const auto n64 = static_cast<std::int64_t>(dn), s64 = static_cast<std::int64_t>(sn);
  for (int i = i0; i < i1; ++i) {
    const auto at = static_cast<std::size_t>(i - i0);
    const auto k = static_cast<int>((2 * static_cast<std::int64_t>(i) + 1) * s64 / (2 * n64));
    const std::int64_t idx = srcOrigin + (flip ? sn - 1 - k : k);
    m.nearest[at] = (idx >= 0 && idx < limit) ? static_cast<int>(idx) : -1;
    if (ranges) {
      std::int64_t a = i * s64 / n64;
      std::int64_t b = (i + 1) * s64 / n64;
      if (b <= a) b = a + 1;
      if (flip) {
        const std::int64_t fa = s64 - b, fb = s64 - a;
        a = fa, b = fb;
      }
      a = std::clamp<std::int64_t>(srcOrigin + a, 0, limit);
      b = std::clamp<std::int64_t>(srcOrigin + b, 0, limit);
      m.lo[at] = static_cast<int>(a);
      m.hi[at] = static_cast<int>(b);
      if (a >= b) m.nearest[at] = -1;
    }
  }
  return m;
}

// The valid run [first, last) of a map: sources are monotonic, so invalid pixels sit at
// the ends only.
std::pair<int, int> ValidRun(const std::vector<int>& v) {
  int a = 0, b = static_cast<int>(v.size());
  while (a < b && v[static_cast<std::size_t>(a)] < 0) ++a;
  while (b > a && v[static_cast<std::size_t>(b - 1)] < 0) --b;
  return {a, b};
}

enum class Reduce { Nearest, Average, And, Or };

// The core of BitBlt, StretchBlt and StretchDIBits: destination rectangle (x, y, w, h)
// of t from source rectangle (sx, sy, sw, sh) of src (top-down coordinates); negative
// sizes mirror.
void Stretch(Target& t, int x, int y, int w, int h, const Source* src, std::int64_t sx, std::int64_t sy, int sw, int sh,
             DWORD rop) {
  const DeviceContext& dc = *t.dc;
  constexpr int kMin = std::numeric_limits<int>::min();
  if (w == 0 || h == 0 || w == kMin || h == kMin || sw == kMin || sh == kMin) return;
  bool flipX = false, flipY = false;
  // A negative size runs from the given edge backwards, that edge's pixel included.
  std::int64_t X = x, Y = y, SX = sx, SY = sy;
  if (w < 0) X += w + 1, w = -w, flipX = !flipX;
  if (h < 0) Y += h + 1, h = -h, flipY = !flipY;
  if (sw < 0) SX += sw + 1, sw = -sw, flipX = !flipX;
  if (sh < 0) SY += sh + 1, sh = -sh, flipY = !flipY;
  const bool useSrc = RopUsesSource(rop) && src;
  if (RopUsesSource(rop) && !src) return;
  if (useSrc && (sw == 0 || sh == 0)) return;
  // Only the part of the destination inside the clip is mapped, so that a huge
  // destination rectangle costs no more than the surface it lands on.
  QRect bounds;
  for (const QRect& c : t.clip) bounds |= c;
  const std::int64_t ax0 = std::max<std::int64_t>(X, bounds.left());
  const std::int64_t ax1 = std::min<std::int64_t>(X + w, std::int64_t{bounds.right()} + 1);
  const std::int64_t ay0 = std::max<std::int64_t>(Y, bounds.top());
  const std::int64_t ay1 = std::min<std::int64_t>(Y + h, std::int64_t{bounds.bottom()} + 1);
  if (bounds.isEmpty() || ax0 >= ax1 || ay0 >= ay1) return;
  const int i0 = static_cast<int>(ax0 - X), i1 = static_cast<int>(ax1 - X);
  const int j0 = static_cast<int>(ay0 - Y), j1 = static_cast<int>(ay1 - Y);
  const bool usePat = RopUsesPattern(rop);
  const Ink pat = usePat ? BrushInk(dc, dc.state.brush, R2_COPYPEN, false, t.mono) : Ink{};

  Reduce reduce = Reduce::Nearest;
  if (useSrc && (sw > w || sh > h)) {
    switch (dc.state.stretchMode) {
      case HALFTONE: reduce = Reduce::Average; break;
      case BLACKONWHITE: reduce = Reduce::And; break;
      case WHITEONBLACK: reduce = Reduce::Or; break;
      default: break;
    }
  }
  const bool ranges = reduce != Reduce::Nearest;
  AxisMap mx, my;
  int colA = 0, colB = i1 - i0, rowA = 0, rowB = j1 - j0;
  if (useSrc) {
    mx = MapAxis(w, i0, i1, SX, sw, flipX, src->width, ranges);
    my = MapAxis(h, j0, j1, SY, sh, flipY, src->height, ranges);
    std::tie(colA, colB) = ValidRun(mx.nearest);
    std::tie(rowA, rowB) = ValidRun(my.nearest);
  }
  const auto ox = static_cast<int>(X + i0), oy = static_cast<int>(Y + j0);  // pixel of map index 0
  const QRect area(ox + colA, oy + rowA, colB - colA, rowB - rowA);

  const auto width = static_cast<std::size_t>(i1 - i0);
  std::vector<std::uint32_t> srcBuf(width), patBuf(width);
  std::vector<std::uint32_t> line;
  std::vector<std::uint32_t> acc;
  if (ranges) {
    line.resize(static_cast<std::size_t>(src->width));
    acc.resize(width * 4);
  }
  for (const QRect& c : t.clip) {
    const QRect r = c.intersected(area);
    if (r.isEmpty()) continue;
    const int n = r.width();
    const int c0 = r.left() - ox;  // first column, as a map index
    for (int dy = r.top(); dy <= r.bottom(); ++dy) {
      const int j = dy - oy;
      std::uint32_t* d = t.bm->Row(dy) + r.left();
      if (useSrc) {
        const int sy0 = my.nearest[static_cast<std::size_t>(j)];
        if (reduce == Reduce::Nearest) {
          src->Pick(sy0, mx.nearest.data() + c0, n, srcBuf.data());
        } else {
          // Reduce each destination pixel's footprint to one value.
          const int ylo = my.lo[static_cast<std::size_t>(j)];
          const int yhi = my.hi[static_cast<std::size_t>(j)];
          // Footprints run monotonically (backwards when mirrored): the span's two ends
          // bound the source columns that the whole row needs.
          const auto first = static_cast<std::size_t>(c0), last = static_cast<std::size_t>(c0 + n - 1);
          const int lx0 = std::min(mx.lo[first], mx.lo[last]);
          const int lx1 = std::max(mx.hi[first], mx.hi[last]);
          std::fill(acc.begin(), acc.begin() + 4 * n, reduce == Reduce::And ? 0xFFFFFFFFu : 0u);
          for (int syy = ylo; syy < yhi; ++syy) {
            src->Fetch(syy, lx0, lx1, line.data());
            const std::uint32_t* L = line.data() - lx0;
            for (int i = 0; i < n; ++i) {
              const int a = mx.lo[static_cast<std::size_t>(c0 + i)], b = mx.hi[static_cast<std::size_t>(c0 + i)];
              std::uint32_t* A = &acc[static_cast<std::size_t>(4 * i)];
              if (reduce == Reduce::Average) {
                std::uint32_t sb = 0, sg = 0, sr = 0;
                for (int k = a; k < b; ++k) {
                  const std::uint32_t p = L[k];
                  sb += p & 0xFF, sg += (p >> 8) & 0xFF, sr += (p >> 16) & 0xFF;
                }
                A[0] += sb, A[1] += sg, A[2] += sr, A[3] += static_cast<std::uint32_t>(b - a);
              } else if (reduce == Reduce::And) {
                for (int k = a; k < b; ++k) A[0] &= L[k];
              } else {
                for (int k = a; k < b; ++k) A[0] |= L[k];
              }
            }
          }
          for (int i = 0; i < n; ++i) {
            const std::uint32_t* A = &acc[static_cast<std::size_t>(4 * i)];
            if (reduce == Reduce::Average) {
              const std::uint32_t cnt = std::max<std::uint32_t>(A[3], 1), half = cnt / 2;
              srcBuf[static_cast<std::size_t>(i)] =
                  kOpaque | (((A[2] + half) / cnt) << 16) | (((A[1] + half) / cnt) << 8) | ((A[0] + half) / cnt);
            } else {
              srcBuf[static_cast<std::size_t>(i)] = A[0] | kOpaque;
            }
          }
        }
      }
      if (usePat) PatternRow(pat, dy, r.left(), n, patBuf.data());
      RopRow(d, useSrc ? srcBuf.data() : nullptr, usePat ? patBuf.data() : nullptr, n, rop);
    }
    t.touched |= r;
  }
}

bool BuildDibSource(const BITMAPINFO* bmi, const void* bits, UINT usage, const DeviceContext& dc, Source& s) {
  if (!bmi || !bits) return false;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize < 40 || h.biSize > 1024 || h.biWidth <= 0 || h.biHeight == 0) return false;
  const unsigned bc = h.biBitCount;
  if (bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) return false;
  const bool fields = h.biCompression == BI_BITFIELDS;
  if (h.biCompression != BI_RGB && !(fields && (bc == 16 || bc == 32))) return false;
  if (DibImageBytes(h) > (std::uint64_t{1} << 31)) return false;
  const auto stride = static_cast<std::ptrdiff_t>(DibStride(h.biWidth, bc));
  const auto height = static_cast<int>(DibAbsHeight(h));
  const bool bottomUp = h.biHeight > 0;
  const auto* base = static_cast<const std::uint8_t*>(bits);
  s.bits = static_cast<int>(bc);
  s.width = h.biWidth;
  s.height = height;
  s.base = bottomUp ? base + (height - 1) * stride : base;
  s.stride = bottomUp ? -stride : stride;
  const auto* table = reinterpret_cast<const std::uint8_t*>(bmi) + h.biSize;
  if (bc <= 8) {
    const std::uint32_t count = std::min<std::uint32_t>(DibColorCount(h), 256);
    for (std::uint32_t i = 0; i < count; ++i) {
      if (usage == DIB_PAL_COLORS) {
        WORD index;
        std::memcpy(&index, table + 2 * i, 2);
        const auto& entries = dc.state.palette ? dc.state.palette->entries : std::vector<PALETTEENTRY>{};
        const PALETTEENTRY e = index < entries.size() ? entries[index] : PALETTEENTRY{};
        s.palette[i] = PixelFromColor(RGB(e.peRed, e.peGreen, e.peBlue));
      } else {
        const std::uint8_t* q = table + 4 * i;
        s.palette[i] = kOpaque | (static_cast<std::uint32_t>(q[2]) << 16) | (static_cast<std::uint32_t>(q[1]) << 8) | q[0];
      }
    }
    for (std::uint32_t i = count; i < 256; ++i) s.palette[i] = kOpaque;
  } else if (bc == 16 || (bc == 32 && fields)) {
    std::array<std::uint32_t, 3> m{0x7C00, 0x03E0, 0x001F};
    if (fields) std::memcpy(m.data(), reinterpret_cast<const std::uint8_t*>(bmi) + 40, 12);
    s.bitfields = true;
    for (int c = 0; c < 3; ++c) SetMask(s, c, m[static_cast<std::size_t>(c)]);
  }
  return true;
}

int RegionKind(const QRegion& r) {
  return r.isEmpty() ? NULLREGION : (r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION);
}

// Coordinates are kept within 28 bits, far beyond any surface, so that edge arithmetic
// on hostile values cannot overflow; what is visible does not change.
int Coord(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -(1 << 28), 1 << 28)); }
RECT Coords(const RECT& r) { return RECT{Coord(r.left), Coord(r.top), Coord(r.right), Coord(r.bottom)}; }

QRect Normalised(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Exported helpers

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

HBITMAP CreateSurfaceBitmap(int width, int height) { return NewBitmap(width, height, 32); }

QImage BitmapImage(HBITMAP bitmap) {
  BitmapData* bm = FindBitmap(bitmap);
  if (!bm) return {};
  return bm->bottomUp ? bm->image.mirrored(false, true) : bm->image;
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
  QRect r = QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1))
                .intersected(QRect(0, 0, dc->state.bitmap->width, dc->state.bitmap->height));
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

const LOGFONT* FontLogFont(HFONT font) {
  const FontData* f = FindFont(font);
  return f ? &f->log : nullptr;
}

std::size_t GdiObjectCount() {
  const Table& t = TheTable();
  std::size_t stock = 0;
  for (const auto& [key, obj] : t.objects) stock += obj->stock ? 1 : 0;
  return t.objects.size() - stock + t.contexts.size();
}

}  // namespace platform

using namespace platform;

// ---------------------------------------------------------------------------------------
// Rectangles

BOOL SetRect(RECT* rc, int left, int top, int right, int bottom) {
  if (!rc) return FALSE;
  *rc = RECT{left, top, right, bottom};
  return TRUE;
}
BOOL SetRectEmpty(RECT* rc) { return SetRect(rc, 0, 0, 0, 0); }
BOOL IsRectEmpty(const RECT* rc) { return !rc || rc->right <= rc->left || rc->bottom <= rc->top; }
BOOL PtInRect(const RECT* rc, POINT pt) {
  return rc && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}
BOOL OffsetRect(RECT* rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left += dx, rc->right += dx, rc->top += dy, rc->bottom += dy;
  return TRUE;
}
BOOL InflateRect(RECT* rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left -= dx, rc->right += dx, rc->top -= dy, rc->bottom += dy;
  return TRUE;
}
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
               std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(out);
    return FALSE;
  }
  *out = r;
  return TRUE;
}
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  if (IsRectEmpty(a)) {
    *out = *b;
  } else if (IsRectEmpty(b)) {
    *out = *a;
  } else {
    *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
  }
  return !IsRectEmpty(out);
}
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL CopyRect(RECT* out, const RECT* in) {
  if (!out || !in) return FALSE;
  *out = *in;
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Objects

HGDIOBJ GetStockObject(int which) {
  if (which < 0 || which >= static_cast<int>(TheTable().stock.size())) return nullptr;
  GdiObject*& slot = TheTable().stock[static_cast<std::size_t>(which)];
  if (!slot) {
    slot = MakeStock(which);
    if (slot) slot->stock = true;
  }
  return slot;
}

DWORD GetObjectType(HGDIOBJ obj) {
  if (FindDC(obj)) return FindDC(obj)->memory ? OBJ_MEMDC : OBJ_DC;
  const GdiObject* o = Find(obj);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::Palette: return OBJ_PAL;
  }
  return 0;
}

BOOL DeleteObject(HGDIOBJ obj) {
  GdiObject* o = Find(obj);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->references > 0) {
    o->deletePending = true;
    return TRUE;
  }
  Destroy(o);
  return TRUE;
}

int GetObject(HGDIOBJ obj, int bytes, void* buffer) {
  const GdiObject* o = Find(obj);
  if (!o) return 0;
  auto give = [&](const void* data, int size) {
    if (!buffer) return size;
    if (bytes < size) return 0;
    std::memcpy(buffer, data, static_cast<std::size_t>(size));
    return size;
  };
  switch (o->kind) {
    case Kind::Bitmap: {
      const auto& b = static_cast<const BitmapData&>(*o);
      BITMAP bm;
      bm.bmWidth = b.width;
      bm.bmHeight = b.height;
      bm.bmBitsPixel = static_cast<WORD>(b.bitsPixel);
      bm.bmWidthBytes = b.bitsPixel == 1 ? ((b.width + 15) / 16) * 2 : b.width * 4;
      bm.bmBits = b.dibSection ? b.bits : nullptr;
      return give(&bm, sizeof bm);
    }
    case Kind::Pen: return give(&static_cast<const PenData&>(*o).log, sizeof(LOGPEN));
    case Kind::Brush: return give(&static_cast<const BrushData&>(*o).log, sizeof(LOGBRUSH));
    case Kind::Font: return give(&static_cast<const FontData&>(*o).log, sizeof(LOGFONT));
    case Kind::Palette: {
      const auto n = static_cast<WORD>(static_cast<const PaletteData&>(*o).entries.size());
      return give(&n, sizeof n);
    }
    case Kind::Region: return 0;
  }
  return 0;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) return nullptr;
  auto p = std::make_unique<PenData>();
  p->style = style;
  p->width = std::clamp(width, 1, 1 << 15);  // wider pens than any surface change nothing
  if (p->width > 1 && style != PS_NULL && style != PS_INSIDEFRAME) p->style = PS_SOLID;
  p->log.lopnStyle = static_cast<UINT>(style);
  p->log.lopnWidth.x = std::max(0, width);
  p->log.lopnColor = color & 0xFFFFFFu;
  return Register(std::move(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  return lp ? CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_unique<BrushData>();
  b->log.lbStyle = BS_SOLID;
  b->log.lbColor = color & 0xFFFFFFu;
  return Register(std::move(b));
}

HBRUSH CreateHatchBrush(int style, COLORREF color) {
  if (style < HS_HORIZONTAL || style > HS_DIAGCROSS) return nullptr;
  auto b = std::make_unique<BrushData>();
  b->log.lbStyle = BS_HATCHED;
  b->log.lbColor = color & 0xFFFFFFu;
  b->log.lbHatch = static_cast<UINT_PTR>(style);
  return Register(std::move(b));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  BitmapData* bm = FindBitmap(bitmap);
  if (!bm) return nullptr;
  auto b = std::make_unique<BrushData>();
  b->log.lbStyle = BS_PATTERN;
  b->monoPattern = bm->bitsPixel == 1;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) b->pattern[static_cast<std::size_t>(y * 8 + x)] = bm->Row(y % bm->height)[x % bm->width];
  return Register(std::move(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_NULL: {
      auto b = std::make_unique<BrushData>();
      b->log.lbStyle = BS_NULL;
      return Register(std::move(b));
    }
    default: return nullptr;
  }
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return nullptr;
  auto f = std::make_unique<FontData>();
  f->log = *lf;
  f->log.lfFaceName[LF_FACESIZE - 1] = '\0';
  return Register(std::move(f));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) return nullptr;
  BitmapData* bm = NewBitmap(width, height, static_cast<int>(bitsPerPixel));
  if (!bm || !bits) return bm;
  const auto* src = static_cast<const std::uint8_t*>(bits);
  if (bitsPerPixel == 1) {
    // Rows of monochrome bitmaps are padded to 16 bits; a set bit is white.
    const int rowBytes = ((width + 15) / 16) * 2;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        bm->Row(y)[x] = ((src[y * rowBytes + x / 8] >> (7 - x % 8)) & 1) ? 0xFFFFFFFFu : kOpaque;
  } else {
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = bm->Row(y);
      std::memcpy(row, src + static_cast<std::size_t>(y) * width * 4, static_cast<std::size_t>(width) * 4);
      for (int x = 0; x < width; ++x) row[x] |= kOpaque;
    }
  }
  return bm;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return nullptr;
  // A memory context still holding its 1 × 1 bitmap is monochrome, as on Windows.
  const bool mono = dc->state.bitmap && dc->state.bitmap->bitsPixel == 1;
  return NewBitmap(width, height, mono ? 1 : 32);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, void*, DWORD) {
  if (bits) *bits = nullptr;
  if (!bmi || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return nullptr;
  BitmapData* bm = NewBitmap(h.biWidth, static_cast<int>(DibAbsHeight(h)), 32);
  if (!bm) return nullptr;
  bm->image.fill(0u);
  bm->dibSection = true;
  bm->bottomUp = h.biHeight > 0;
  if (bits) *bits = bm->bits;
  return bm;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto r = std::make_unique<RegionData>();
  if (left != right && top != bottom) r->region = QRegion(Normalised(left, top, right, bottom));
  return Register(std::move(r));
}
HRGN CreateRectRgnIndirect(const RECT* rc) {
  return rc ? CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr;
}
HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  auto r = std::make_unique<RegionData>();
  if (left != right && top != bottom) r->region = QRegion(Normalised(left, top, right, bottom), QRegion::Ellipse);
  return Register(std::move(r));
}
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh) {
  auto r = std::make_unique<RegionData>();
  const QRect box = Normalised(left, top, right, bottom);
  if (!box.isEmpty()) {
    QPainterPath path;
    path.addRoundedRect(QRectF(box.left(), box.top(), box.width(), box.height()), std::abs(ew) / 2.0,
                        std::abs(eh) / 2.0);
    r->region = QRegion(path.toFillPolygon().toPolygon());
  }
  return Register(std::move(r));
}
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (!points || count < 0) return nullptr;
  QPolygon poly;
  for (int i = 0; i < count; ++i) poly << QPoint(points[i].x, points[i].y);
  auto r = std::make_unique<RegionData>();
  if (count >= 3) r->region = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  return Register(std::move(r));
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode) {
  RegionData* d = FindRegion(dest);
  const RegionData* ra = FindRegion(a);
  const RegionData* rb = FindRegion(b);
  if (!d || !ra || (mode != RGN_COPY && !rb)) return ERROR;
  switch (mode) {
    case RGN_AND: d->region = ra->region.intersected(rb->region); break;
    case RGN_OR: d->region = ra->region.united(rb->region); break;
    case RGN_XOR: d->region = ra->region.xored(rb->region); break;
    case RGN_DIFF: d->region = ra->region.subtracted(rb->region); break;
    case RGN_COPY: d->region = ra->region; break;
    default: return ERROR;
  }
  return RegionKind(d->region);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionData* r = FindRegion(rgn);
  if (!r) return ERROR;
  r->region.translate(dx, dy);
  return RegionKind(r->region);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  const RegionData* r = FindRegion(rgn);
  return r && r->region.contains(QPoint(x, y));
}

int GetRgnBox(HRGN rgn, RECT* box) {
  const RegionData* r = FindRegion(rgn);
  if (!r || !box) return ERROR;
  const QRect b = r->region.boundingRect();
  *box = b.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
  return RegionKind(r->region);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  const RegionData* ra = FindRegion(a);
  const RegionData* rb = FindRegion(b);
  return ra && rb && ra->region == rb->region;
}

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palVersion != 0x300 || lp->palNumEntries == 0) return nullptr;
  auto p = std::make_unique<PaletteData>();
  p->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return Register(std::move(p));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL) {
  DeviceContext* dc = FindDC(hdc);
  PaletteData* p = FindPalette(palette);
  if (!dc || !p) return nullptr;
  PaletteData* previous = dc->state.palette;
  Retain(p);
  dc->state.palette = p;
  Release(previous);
  return previous;
}

UINT RealizePalette(HDC hdc) { return FindDC(hdc) ? 0 : static_cast<UINT>(-1); }

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  const PaletteData* p = FindPalette(palette);
  if (!p) return 0;
  const auto size = static_cast<UINT>(p->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(p->entries.begin() + start, n, entries);
  return n;
}

// ---------------------------------------------------------------------------------------
// Contexts

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
  TheTable().contexts.erase(dc);
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
  const QRect b = r.boundingRect();
  *box = b.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
  return RegionKind(r);
}

// ---------------------------------------------------------------------------------------
// Lines and shapes

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

BOOL LineTo(HDC hdc, int x, int y) {
  Target t = MakeTarget(hdc);
  if (!t.dc) return FALSE;
  if (t.Ok()) DrawLine(t, t.dc->state.position, POINT{x, y});
  t.dc->state.position = POINT{x, y};
  Finish(t);
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  Target t = MakeTarget(hdc);
  if (!t.dc || !points || count < 2) return FALSE;
  if (!t.Ok()) return TRUE;
  const PenData* pen = t.dc->state.pen;
  const int savedOffset = t.dc->state.styleOffset;
  t.dc->state.styleOffset = 0;
  if (pen && pen->width > 1 && pen->style != PS_NULL) {
    QPainterPath path(Centre(points[0]));
    for (int i = 1; i < count; ++i) path.lineTo(Centre(points[i]));
    PaintShape(t, path, false);
  } else {
    for (int i = 1; i < count; ++i) DrawLine(t, points[i - 1], points[i]);
  }
  t.dc->state.styleOffset = savedOffset;
  Finish(t);
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
  Target t = MakeTarget(hdc);
  if (!t.dc || !points || count < 2) return FALSE;
  if (!t.Ok()) return TRUE;
  QPainterPath path(Centre(points[0]));
  for (int i = 1; i < count; ++i) path.lineTo(Centre(points[i]));
  path.closeSubpath();
  PaintShape(t, path, true);
  Finish(t);
  return TRUE;
}

BOOL PolyBezier(HDC hdc, const POINT* points, DWORD count) {
  Target t = MakeTarget(hdc);
  if (!t.dc || !points || count < 4 || (count - 1) % 3 != 0) return FALSE;
  if (!t.Ok()) return TRUE;
  QPainterPath path(Centre(points[0]));
  for (DWORD i = 1; i + 2 < count; i += 3) path.cubicTo(Centre(points[i]), Centre(points[i + 1]), Centre(points[i + 2]));
  PaintShape(t, path, false);
  Finish(t);
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  Target t = MakeTarget(hdc);
  if (!t.dc) return FALSE;
  if (!t.Ok()) return TRUE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  left = Coord(left), top = Coord(top), right = Coord(right), bottom = Coord(bottom);
  const DeviceContext& dc = *t.dc;
  const PenData* pen = dc.state.pen;
  const Ink brush = BrushInk(dc, dc.state.brush, dc.state.rop2, true, t.mono);
  if (!pen || pen->style == PS_NULL) {
    // Without a pen the interior shrinks by the pen's missing right and bottom edge.
    FillBox(t, left, top, right - 1, bottom - 1, brush);
    Finish(t);
    return TRUE;
  }
  if (right - left < 1 || bottom - top < 1) return TRUE;
  int w = pen->width;
  int ol = left, ot = top, orr = right, ob = bottom;  // frame's outer edges
  if (w > 1 && pen->style != PS_INSIDEFRAME) {
    ol -= w / 2, ot -= w / 2, orr += (w - 1) / 2, ob += (w - 1) / 2;
  }
  w = static_cast<int>(std::min<std::int64_t>(
      {w, (std::int64_t{orr} - ol + 1) / 2, (std::int64_t{ob} - ot + 1) / 2}));
  if (IsDashed(*pen)) {
    const POINT c[] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
    t.dc->state.styleOffset = 0;
    for (int i = 0; i < 4; ++i) CosmeticLine(t, c[i], c[i + 1]);
  } else {
    const Ink ink = PenInk(dc, PixelFromColor(pen->log.lopnColor), t.mono);
    FillBox(t, ol, ot, orr, ot + w, ink);
    FillBox(t, ol, ob - w, orr, ob, ink);
    FillBox(t, ol, ot + w, ol + w, ob - w, ink);
    FillBox(t, orr - w, ot + w, orr, ob - w, ink);
  }
  FillBox(t, ol + w, ot + w, orr - w, ob - w, brush);
  Finish(t);
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  Target t = MakeTarget(hdc);
  if (!t.dc) return FALSE;
  if (!t.Ok()) return TRUE;
  const QRect box = Normalised(left, top, right, bottom);
  if (box.width() < 1 || box.height() < 1) return TRUE;
  QPainterPath path;
  path.addEllipse(QRectF(box.left() + 0.5, box.top() + 0.5, box.width() - 1, box.height() - 1));
  PaintShape(t, path, true);
  Finish(t);
  return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int ew, int eh) {
  Target t = MakeTarget(hdc);
  if (!t.dc) return FALSE;
  if (!t.Ok()) return TRUE;
  const QRect box = Normalised(left, top, right, bottom);
  if (box.width() < 1 || box.height() < 1) return TRUE;
  QPainterPath path;
  path.addRoundedRect(QRectF(box.left() + 0.5, box.top() + 0.5, box.width() - 1, box.height() - 1),
                      std::min(std::abs(ew), box.width()) / 2.0, std::min(std::abs(eh), box.height()) / 2.0);
  PaintShape(t, path, true);
  Finish(t);
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rc, HBRUSH hbrush) {
  Target t = MakeTarget(hdc);
  const BrushData* brush = FindBrush(hbrush);
  if (!t.dc || !rc || !brush) return FALSE;
  if (!t.Ok()) return TRUE;
  FillBox(t, rc->left, rc->top, rc->right, rc->bottom, BrushInk(*t.dc, brush, R2_COPYPEN, false, t.mono));
  Finish(t);
  return TRUE;
}

int FrameRect(HDC hdc, const RECT* rc, HBRUSH hbrush) {
  Target t = MakeTarget(hdc);
  const BrushData* brush = FindBrush(hbrush);
  if (!t.dc || !rc || !brush) return FALSE;
  const RECT r = Coords(*rc);
  if (!t.Ok() || r.right <= r.left || r.bottom <= r.top) return TRUE;
  const Ink ink = BrushInk(*t.dc, brush, R2_COPYPEN, false, t.mono);
  FillBox(t, r.left, r.top, r.right, r.top + 1, ink);
  FillBox(t, r.left, r.bottom - 1, r.right, r.bottom, ink);
  FillBox(t, r.left, r.top + 1, r.left + 1, r.bottom - 1, ink);
  FillBox(t, r.right - 1, r.top + 1, r.right, r.bottom - 1, ink);
  Finish(t);
  return TRUE;
}

BOOL InvertRect(HDC hdc, const RECT* rc) {
  if (!rc) return FALSE;
  const RECT r = Coords(*rc);
  return PatBlt(hdc, r.left, r.top, r.right - r.left, r.bottom - r.top, DSTINVERT);
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH hbrush) {
  Target t = MakeTarget(hdc);
  const RegionData* r = FindRegion(rgn);
  const BrushData* brush = FindBrush(hbrush);
  if (!t.dc || !r || !brush) return FALSE;
  if (!t.Ok()) return TRUE;
  const Ink ink = BrushInk(*t.dc, brush, R2_COPYPEN, false, t.mono);
  for (const QRect& q : r->region) FillBox(t, q.left(), q.top(), q.right() + 1, q.bottom() + 1, ink);
  Finish(t);
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Target t = MakeTarget(hdc);
  if (!t.Ok()) return CLR_INVALID;
  Ink ink;
  ink.none = false;
  ink.color = t.mono ? ToMono(PixelFromColor(color)) : PixelFromColor(color);
  Dot(t, x, y, ink);
  if (t.touched.isEmpty()) return CLR_INVALID;
  Finish(t);
  return ColorFromPixel(ink.color);
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) { return SetPixel(hdc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC hdc, int x, int y) {
  const Target t = MakeTarget(hdc);
  if (!t.Ok() || x < 0 || y < 0 || x >= t.bm->width || y >= t.bm->height) return CLR_INVALID;
  bool inside = false;
  for (const QRect& c : t.clip) inside = inside || c.contains(x, y);
  if (!inside) return CLR_INVALID;
  return ColorFromPixel(t.bm->Row(y)[x]);
}

BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data) {
  if (!proc) return FALSE;
  WalkLine(x1, y1, x2, y2, [&](int x, int y) { proc(x, y, data); });
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Blits

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  if (RopUsesSource(rop)) return FALSE;
  Target t = MakeTarget(hdc);
  if (!t.dc) return FALSE;
  if (!t.Ok()) return TRUE;
  Stretch(t, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
  Finish(t);
  return TRUE;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
  Target t = MakeTarget(dest);
  if (!t.dc) return FALSE;
  const bool needsSource = RopUsesSource(rop);
  DeviceContext* sdc = needsSource ? FindDC(src) : nullptr;
  if (needsSource && (!sdc || !sdc->state.bitmap)) return FALSE;
  if (!t.Ok()) return TRUE;
  std::optional<Source> source;
  if (needsSource) {
    source = BitmapSource(*sdc->state.bitmap);
    const bool srcMono = sdc->state.bitmap->bitsPixel == 1;
    if (srcMono && !t.mono) {
      source->monoToColor = true;
      source->monoBlack = PixelFromColor(t.dc->state.textColor);
      source->monoWhite = PixelFromColor(t.dc->state.bkColor);
    } else if (!srcMono && t.mono) {
      source->colorToMono = true;
      source->srcBk = PixelFromColor(sdc->state.bkColor);
    }
  }
  if (needsSource && sdc->state.bitmap == t.bm) {
    // A source reading its own destination must see the pixels before they change.
    const QImage snapshot = t.bm->image.copy();
    Source s = *source;
    const std::ptrdiff_t shift = reinterpret_cast<const std::uint8_t*>(t.bm->Row(0)) - t.bm->bits;
    s.base = snapshot.constBits() + shift;
    Stretch(t, x, y, width, height, &s, srcX, srcY, srcWidth, srcHeight, rop);
  } else {
    Stretch(t, x, y, width, height, source ? &*source : nullptr, srcX, srcY, srcWidth, srcHeight, rop);
  }
  Finish(t);
  return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  return StretchBlt(dest, x, y, width, height, src, srcX, srcY, width, height, rop);
}

int StretchDIBits(HDC hdc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight,
                  const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  Target t = MakeTarget(hdc);
  if (!t.dc) return 0;
  Source s;
  if (!BuildDibSource(bmi, bits, usage, *t.dc, s)) return 0;
  if (t.mono) {
    s.colorToMono = true;
    s.srcBk = PixelFromColor(t.dc->state.bkColor);
  }
  // Bottom-up DIBs count the source rectangle's y from their bottom row.
  const std::int64_t top = bmi->bmiHeader.biHeight > 0 ? std::int64_t{s.height} - srcY - srcHeight : srcY;
  if (t.Ok()) Stretch(t, x, y, width, height, &s, srcX, top, srcWidth, srcHeight, rop);
  Finish(t);
  return std::abs(srcHeight);
}

// ---------------------------------------------------------------------------------------
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
