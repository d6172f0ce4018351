#include "zq7/Zq7Com/ZqImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace zq {

namespace {

bool ValidBitCount(WORD bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

bool IsValidDib(const void* data, std::size_t bytes) {
  if (!data || bytes < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > bytes) return false;
  if (h.biWidth <= 0 || h.biHeight == 0 || !ValidBitCount(h.biBitCount)) return false;
  const bool bitFields = h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32);
  if (h.biCompression != BI_RGB && !bitFields) return false;
  if (h.biBitCount <= 8 && h.biClrUsed > (1u << h.biBitCount)) return false;
  if (h.biBitCount > 8 && !bitFields && h.biClrUsed > 256) return false;
  if (static_cast<std::uint64_t>(h.biWidth) * platform::DibAbsHeight(h) > kZqMaxPixels) return false;
  const std::uint64_t size = platform::PackedDibSize(h);
  return size <= kZqMaxDibBytes && size <= bytes;
}

const ZqVectorHeader* AsVectorImage(const void* data, std::size_t bytes) {
  if (!data || bytes < sizeof(ZqVectorHeader)) return nullptr;
  const auto* v = static_cast<const ZqVectorHeader*>(data);
  if (std::memcmp(v->magic, kZqVectorMagic, sizeof kZqVectorMagic) != 0) return nullptr;
  if (v->kind < ZQ_KIND_WMF || v->kind > ZQ_KIND_SXF) return nullptr;
  if (std::uint64_t{v->dataBytes} + sizeof(ZqVectorHeader) > bytes) return nullptr;
  return v;
}

RasterLock::RasterLock(HGLOBAL image) : guard_(image) {
  if (guard_ && IsValidDib(guard_.get(), GlobalSize(image))) header_ = guard_.as<BITMAPINFOHEADER>();
}

RGBQUAD* RasterLock::colors() const {
  if (header_->biBitCount > 8) return nullptr;
  return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(header_) + header_->biSize);
}

int RasterLock::colorCount() const {
  return header_->biBitCount > 8 ? 0 : static_cast<int>(platform::DibColorCount(*header_));
}

BYTE* RasterLock::row(int yFromTop) const {
  const int stored = header_->biHeight < 0 ? yFromTop : height() - 1 - yFromTop;
  return reinterpret_cast<BYTE*>(header_) + platform::DibBitsOffset(*header_) + stride() * static_cast<std::size_t>(stored);
}

}  // namespace zq

namespace {

using zq::Fail;
using zq::Ok;
using zq::RasterLock;

// What a handle holds, found under one lock.
struct ImageView {
  WORD kind = ZQ_KIND_INVALID;
  std::size_t bytes = 0;
};

ImageView Inspect(HGLOBAL image) {
  platform::GlobalLockGuard g(image);
  if (!g) return {};
  const std::size_t bytes = GlobalSize(image);
  if (zq::IsValidDib(g.get(), bytes)) return {ZQ_KIND_RASTER, bytes};
  if (const ZqVectorHeader* v = zq::AsVectorImage(g.get(), bytes)) return {v->kind, bytes};
  return {};
}

// The 16-colour table of the standard VGA palette, for new 4-bit images.
constexpr BYTE kVga16[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

// The twenty static colours: ten at the start of the system palette, ten at its end.
constexpr BYTE kStaticLow[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                                    {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
constexpr BYTE kStaticHigh[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
                                     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};

RGBQUAD Quad(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }

int NearestEntry(const RGBQUAD* table, int n, BYTE r, BYTE g, BYTE b) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < n; ++i) {
    const long dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

// One pixel value repeated over a whole row of bits-per-pixel below 8.
void FillPackedRow(BYTE* row, std::size_t stride, int bits, int index) {
  BYTE pattern = 0;
  for (int shift = 8 - bits; shift >= 0; shift -= bits) pattern = static_cast<BYTE>(pattern | (index << shift));
  std::memset(row, pattern, stride);
}

}  // namespace

ZQ_EXPORT DWORD ZQGetMemorySize(HGLOBAL image) {
  return zq::Guard<DWORD>(0, [&]() -> DWORD {
    const ImageView v = Inspect(image);
    if (v.kind == ZQ_KIND_INVALID) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Ok(static_cast<DWORD>(v.bytes));
  });
}

ZQ_EXPORT BOOL ZQFreeMemory(HGLOBAL image) {
  return zq::Guard<BOOL>(FALSE, [&] {
    if (Inspect(image).kind == ZQ_KIND_INVALID) return Fail(ZQ_ERR_BAD_PARAMETER);
    if (GlobalFree(image) != 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Ok();
  });
}

ZQ_EXPORT WORD GetImageHandleType(HGLOBAL image) {
  return zq::Guard<WORD>(ZQ_KIND_INVALID, [&] {
    const WORD kind = Inspect(image).kind;
    return kind == ZQ_KIND_INVALID ? Fail(ZQ_ERR_BAD_PARAMETER, kind) : Ok(kind);
  });
}

ZQ_EXPORT BOOL ZQGetImageType(HGLOBAL image, ZqImageInfo* info) {
  return zq::Guard<BOOL>(FALSE, [&] {
    if (!info) return Fail(ZQ_ERR_BAD_PARAMETER);
    platform::GlobalLockGuard g(image);
    if (!g) return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::size_t bytes = GlobalSize(image);
    ZqImageInfo out{};
    out.value24 = static_cast<DWORD>(bytes);
    if (zq::IsValidDib(g.get(), bytes)) {
      const auto& h = *g.as<BITMAPINFOHEADER>();
      out.value0 = h.biBitCount;
      out.value2 = h.biBitCount <= 8 ? static_cast<WORD>(platform::DibColorCount(h)) : 0;
      out.xdpi = static_cast<DWORD>(std::max<LONG>(0, platform::DpiFromPelsPerMeter(h.biXPelsPerMeter)));
      out.ydpi = static_cast<DWORD>(std::max<LONG>(0, platform::DpiFromPelsPerMeter(h.biYPelsPerMeter)));
      out.width = static_cast<DWORD>(h.biWidth);
      out.height = static_cast<DWORD>(platform::DibAbsHeight(h));
      out.kind = ZQ_KIND_RASTER;
    } else if (const ZqVectorHeader* v = zq::AsVectorImage(g.get(), bytes)) {
      out.xdpi = v->xdpi;
      out.ydpi = v->ydpi;
      out.width = v->width;
      out.height = v->height;
      out.kind = v->kind;
    } else {
      return Fail(ZQ_ERR_BAD_PARAMETER);
    }
    // Grey is a property of the colour table (1, 4 and 8-bit images only).
    if (out.kind == ZQ_KIND_RASTER) out.flag28 = zq::HasGreyTable(RasterLock(image)) ? 1 : 0;
    *info = out;
    return Ok();
  });
}

ZQ_EXPORT BOOL ZQSetDpi(HGLOBAL image, LONG xdpi, LONG ydpi) {
  return ZQSetDpiF(image, static_cast<double>(xdpi), static_cast<double>(ydpi));
}

ZQ_EXPORT BOOL ZQGetDpi(HGLOBAL image, LONG* xdpi, LONG* ydpi) {
  return zq::Guard<BOOL>(FALSE, [&] {
    RasterLock r(image);
    if (!r || !xdpi || !ydpi) return Fail(ZQ_ERR_BAD_PARAMETER);
    *xdpi = platform::DpiFromPelsPerMeter(r.header().biXPelsPerMeter);
    *ydpi = platform::DpiFromPelsPerMeter(r.header().biYPelsPerMeter);
    return Ok();
  });
}

ZQ_EXPORT BOOL ZQSetDpiF(HGLOBAL image, double xdpi, double ydpi) {
  return zq::Guard<BOOL>(FALSE, [&] {
    // 0 is allowed: it records that the resolution is unknown.
    constexpr double kMaxDpi = 1e6;
    if (!(xdpi >= 0 && xdpi <= kMaxDpi && ydpi >= 0 && ydpi <= kMaxDpi)) return Fail(ZQ_ERR_BAD_PARAMETER);
    RasterLock r(image);
    if (!r) return Fail(ZQ_ERR_BAD_PARAMETER);
    r.header().biXPelsPerMeter = static_cast<LONG>(std::lround(xdpi / 0.0254));
    r.header().biYPelsPerMeter = static_cast<LONG>(std::lround(ydpi / 0.0254));
    return Ok();
  });
}

ZQ_EXPORT BOOL ZQGetDpiF(HGLOBAL image, double* xdpi, double* ydpi) {
  return zq::Guard<BOOL>(FALSE, [&] {
    RasterLock r(image);
    if (!r || !xdpi || !ydpi) return Fail(ZQ_ERR_BAD_PARAMETER);
    *xdpi = r.header().biXPelsPerMeter * 0.0254;
    *ydpi = r.header().biYPelsPerMeter * 0.0254;
    return Ok();
  });
}

ZQ_EXPORT int ZQGetPalette(HGLOBAL image, RGBQUAD* palette, int count) {
  return zq::Guard<int>(0, [&]() -> int {
    RasterLock r(image);
    if (!r || count < 0 || (count > 0 && !palette)) return Fail(ZQ_ERR_BAD_PARAMETER);
    if (r.colorCount() == 0) return Fail(ZQ_ERR_UNSUPPORTED);
    std::copy_n(r.colors(), std::min(count, r.colorCount()), palette);
    return Ok(r.colorCount());
  });
}

ZQ_EXPORT BOOL ZQSetPalette(HGLOBAL image, const RGBQUAD* palette, int count) {
  return zq::Guard<BOOL>(FALSE, [&] {
    RasterLock r(image);
    if (!r || !palette || count <= 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    if (r.colorCount() == 0) return Fail(ZQ_ERR_UNSUPPORTED);
    std::copy_n(palette, std::min(count, r.colorCount()), r.colors());
    return Ok();
  });
}

ZQ_EXPORT BOOL ZQGetOneBitPalCount(HGLOBAL image, DWORD* count0, DWORD* count1) {
  return zq::Guard<BOOL>(FALSE, [&] {
    RasterLock r(image);
    if (!r || !count0 || !count1 || r.bitCount() != 1) return Fail(ZQ_ERR_BAD_PARAMETER);
    std::uint64_t ones = 0;
    const int full = r.width() / 8, rest = r.width() % 8;
    for (int y = 0; y < r.height(); ++y) {
      const BYTE* p = r.row(y);
      for (int i = 0; i < full; ++i) ones += static_cast<unsigned>(__builtin_popcount(p[i]));
      if (rest) ones += static_cast<unsigned>(__builtin_popcount(p[full] & (0xFF00 >> rest)));
    }
    *count1 = static_cast<DWORD>(ones);
    *count0 = static_cast<DWORD>(static_cast<std::uint64_t>(r.width()) * static_cast<std::uint64_t>(r.height()) - ones);
    return Ok();
  });
}

ZQ_EXPORT LONG ZQGetSystemPalette() {
  return zq::Guard<LONG>(0, [&]() -> LONG {
    ZqDibBuilder dib;
    if (const WORD s = dib.Create(16, 16, 8, 256); s != ZQ_OK) return Fail(s);
    dib.SetDpi(kZqDefaultDpi, kZqDefaultDpi);
    RGBQUAD* table = dib.Palette();
    for (int i = 0; i < 10; ++i) {
      table[i] = Quad(kStaticLow[i][0], kStaticLow[i][1], kStaticLow[i][2]);
      table[246 + i] = Quad(kStaticHigh[i][0], kStaticHigh[i][1], kStaticHigh[i][2]);
    }
    int n = 10;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) table[n++] = Quad(static_cast<BYTE>(51 * r), static_cast<BYTE>(51 * g), static_cast<BYTE>(51 * b));
    for (int i = 0; n < 246; ++i) {
      const auto v = static_cast<BYTE>(12 + 12 * i);  // greys the cube lacks: 12, 24, ... 240
      table[n++] = Quad(v, v, v);
    }
    for (std::uint32_t y = 0; y < 16; ++y)
      for (std::uint32_t x = 0; x < 16; ++x) dib.Row(y)[x] = static_cast<BYTE>(16 * y + x);
    return Ok(static_cast<LONG>(dib.Release()));
  });
}

ZQ_EXPORT HGLOBAL ZQCopyImage(HGLOBAL image) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    const ImageView v = Inspect(image);
    if (v.kind == ZQ_KIND_INVALID) return Fail(ZQ_ERR_BAD_PARAMETER);
    const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, v.bytes);
    platform::GlobalLockGuard from(image);
    platform::GlobalLockGuard to(copy);
    if (!to) {
      if (copy) GlobalFree(copy);
      return Fail(ZQ_ERR_NO_MEMORY);
    }
    std::memcpy(to.get(), from.get(), v.bytes);
    return Ok(copy);
  });
}

ZQ_EXPORT HGLOBAL ZQCreateImage(LONG width, LONG height, WORD bitCount, BYTE red, BYTE green, BYTE blue,
                                LONG xdpi, LONG ydpi, LONG reserved1, LONG reserved2) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    if (xdpi < 0 || ydpi < 0 || reserved1 != 0 || reserved2 != 0 || width <= 0 || height <= 0)
      return Fail(ZQ_ERR_BAD_PARAMETER);
    if (!zq::ValidBitCount(bitCount)) return Fail(ZQ_ERR_BAD_PARAMETER);
    const unsigned colors = bitCount <= 8 ? 1u << bitCount : 0u;
    ZqDibBuilder dib;
    if (const WORD s = dib.Create(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), bitCount, colors);
        s != ZQ_OK)
      return Fail(s);
    dib.SetPelsPerMeter(platform::PelsPerMeterFromDpi(xdpi ? xdpi : kZqDefaultDpi),
                        platform::PelsPerMeterFromDpi(ydpi ? ydpi : kZqDefaultDpi));
    const std::size_t stride = static_cast<std::size_t>(platform::DibStride(width, bitCount));
    if (bitCount <= 8) {
      const int n = static_cast<int>(colors);
      if (bitCount == 4) {
        for (int i = 0; i < n; ++i) dib.Palette()[i] = RGBQUAD{kVga16[i][2], kVga16[i][1], kVga16[i][0], 0};
      } else {
        dib.SetGreyPalette(false);
      }
      const int index = NearestEntry(dib.Palette(), n, red, green, blue);
      for (std::uint32_t y = 0; y < dib.height(); ++y) {
        if (bitCount == 8) std::memset(dib.Row(y), index, stride);
        else FillPackedRow(dib.Row(y), stride, bitCount, index);
      }
    } else {
      BYTE pixel[4] = {blue, green, red, 0};
      if (bitCount == 16) {
        const auto v = static_cast<WORD>(((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3));
        pixel[0] = static_cast<BYTE>(v & 0xFF);
        pixel[1] = static_cast<BYTE>(v >> 8);
      } else if (bitCount == 32) {
        pixel[3] = 0xFF;  // opaque: a 32-bit image carries alpha
      }
      const int bytesPerPixel = bitCount / 8;
      for (std::uint32_t y = 0; y < dib.height(); ++y) {
        BYTE* p = dib.Row(y);
        for (LONG x = 0; x < width; ++x) std::memcpy(p + static_cast<std::size_t>(x) * bytesPerPixel, pixel, bytesPerPixel);
      }
    }
    return Ok(dib.Release());
  });
}
