// Raster primitives: inks (pen, brush, hatch and pattern colours in a mix mode), the
// span painter every primitive ends in, lines, coverage masks for shapes, and the
// drawing calls built on them.
#include <QPainter>
#include <QPainterPath>
#include <cstdlib>

#include "platform/gdiprivate.h"

namespace platform {
namespace gdi {
namespace {

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

}  // namespace

Ink PenInk(const DeviceContext& dc, std::uint32_t pixel, bool mono) {
  Ink ink;
  ink.none = false;
  ink.rop2 = dc.state.rop2;
  ink.color = mono ? ToMono(pixel) : pixel;
  return ink;
}

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

void FillBox(Target& t, int l, int top, int r, int b, const Ink& ink) {
  // Rows outside the surface are skipped without a visit, so any rectangle is cheap.
  top = std::max(top, 0);
  b = std::min(b, t.bm->height);
  for (int y = top; y < b; ++y) Span(t, y, l, r, ink);
}

namespace {

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


}  // namespace
}  // namespace gdi
}  // namespace platform

using namespace platform;
using namespace platform::gdi;

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

