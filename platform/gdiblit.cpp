// Raster operations, the pixel sources of blits and stretches (bitmaps and packed DIBs of
// 1 to 32 bits), the stretch that maps a source rectangle onto a destination one, and
// the blits built on it.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <tuple>

#include "platform/gdiprivate.h"

namespace platform {
namespace gdi {
namespace {

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

// Buffers of a reducing stretch, sized once per call: one source row, and four sums
// (blue, green, red, count) per destination pixel.
struct ReduceScratch {
  std::vector<std::uint32_t> line;
  std::vector<std::uint32_t> acc;
};

// Reduces the footprints of n destination pixels (map indices c0.., source rows
// ylo <= y < yhi, columns from mx's ranges) to one value each in out: their average, or
// all their pixels ANDed or ORed together.
void ReduceFootprints(const Source& src, Reduce reduce, const AxisMap& mx, int c0, int n, int ylo, int yhi,
                      ReduceScratch& scratch, std::uint32_t* out) {
  std::vector<std::uint32_t>& acc = scratch.acc;
  // Footprints run monotonically (backwards when mirrored): the span's two ends bound the
  // source columns that the whole row needs.
  const auto first = static_cast<std::size_t>(c0), last = static_cast<std::size_t>(c0 + n - 1);
  const int lx0 = std::min(mx.lo[first], mx.lo[last]);
  const int lx1 = std::max(mx.hi[first], mx.hi[last]);
  std::fill(acc.begin(), acc.begin() + 4 * n, reduce == Reduce::And ? 0xFFFFFFFFu : 0u);
  for (int syy = ylo; syy < yhi; ++syy) {
    src.Fetch(syy, lx0, lx1, scratch.line.data());
    const std::uint32_t* L = scratch.line.data() - lx0;
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
      out[i] = kOpaque | (((A[2] + half) / cnt) << 16) | (((A[1] + half) / cnt) << 8) | ((A[0] + half) / cnt);
    } else {
      out[i] = A[0] | kOpaque;
    }
  }
}

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
  ReduceScratch scratch;
  if (ranges) {
    scratch.line.resize(static_cast<std::size_t>(src->width));
    scratch.acc.resize(width * 4);
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
          const auto row = static_cast<std::size_t>(j);
          ReduceFootprints(*src, reduce, mx, c0, n, my.lo[row], my.hi[row], scratch, srcBuf.data());
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

}  // namespace
}  // namespace gdi
}  // namespace platform

using namespace platform;
using namespace platform::gdi;

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
