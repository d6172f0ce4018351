#include "zq7/Zq7Com/ZqDib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

using zq::Fail;
using zq::Ok;
using zq::RasterLock;

constexpr DWORD kInvalidColor = 0xFFFFFFFF;

// One channel of a bit-field pixel scaled to 0..255.
struct Channel {
  DWORD mask = 0;
  int shift = 0;
  DWORD max = 0;

  explicit Channel(DWORD m) : mask(m) {
    if (!m) return;
    shift = __builtin_ctz(m);
    max = m >> shift;
  }
  BYTE operator()(DWORD v) const {
    if (!max) return 0;
    return static_cast<BYTE>(((v & mask) >> shift) * 255u / max);
  }
};

// The masks of a 16 or 32-bit image: from the header's tail for bit fields, else 5-5-5
// for 16 bits and 8-8-8 (and alpha) for 32 bits.
void Masks(const BITMAPINFOHEADER& h, DWORD& r, DWORD& g, DWORD& b) {
  if (h.biCompression == BI_BITFIELDS) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&h) + sizeof(BITMAPINFOHEADER);
    std::memcpy(&r, p, 4);
    std::memcpy(&g, p + 4, 4);
    std::memcpy(&b, p + 8, 4);
  } else if (h.biBitCount == 16) {
    r = 0x7C00, g = 0x03E0, b = 0x001F;
  } else {
    r = 0xFF0000, g = 0xFF00, b = 0xFF;
  }
}

enum class OutFormat { Grey8, Bgr24, Bgra32 };

int Channels(OutFormat f) { return f == OutFormat::Grey8 ? 1 : f == OutFormat::Bgr24 ? 3 : 4; }

BYTE Luma(const BYTE* bgra) { return static_cast<BYTE>((bgra[2] * 299 + bgra[1] * 587 + bgra[0] * 114 + 500) / 1000); }

// Which source pixels make one output pixel along one axis, and with what weight.
struct Taps {
  std::vector<int> first;
  std::vector<int> count;
  std::vector<std::size_t> offset;
  std::vector<float> weight;
};

// Output pixel i covers [i * scale, (i + 1) * scale) of the source run: when reducing,
// every source pixel counts with the share of it that falls inside (area averaging);
// when enlarging, the two nearest source centres are interpolated.
Taps MakeTaps(int srcLength, int dstLength) {
  Taps t;
  const double scale = static_cast<double>(srcLength) / dstLength;
  for (int i = 0; i < dstLength; ++i) {
    t.offset.push_back(t.weight.size());
    if (scale >= 1.0) {
      const double lo = i * scale, hi = (i + 1) * scale;
      const int a = static_cast<int>(lo);
      const int b = std::min(srcLength - 1, static_cast<int>(std::ceil(hi)) - 1);
      t.first.push_back(a);
      t.count.push_back(b - a + 1);
      for (int s = a; s <= b; ++s) {
        const double cover = std::min<double>(s + 1, hi) - std::max<double>(s, lo);
        t.weight.push_back(static_cast<float>(cover / scale));
      }
    } else {
      const double c = std::clamp((i + 0.5) * scale - 0.5, 0.0, srcLength - 1.0);
      const int a = static_cast<int>(c);
      const double f = c - a;
      t.first.push_back(a);
      if (a + 1 < srcLength && f > 0) {
        t.count.push_back(2);
        t.weight.push_back(static_cast<float>(1 - f));
        t.weight.push_back(static_cast<float>(f));
      } else {
        t.count.push_back(1);
        t.weight.push_back(1.0f);
      }
    }
  }
  return t;
}

BYTE ToByte(float v) { return static_cast<BYTE>(std::clamp(std::lround(v), 0l, 255l)); }

// Resamples the part (sx, sy, sw, sh) of src to dw x dh in the given format. Rows are
// filtered horizontally once each and kept only while some output row still needs
// them, so memory stays a few rows whatever the image size. Sets the status.
HGLOBAL Resample(const RasterLock& src, int sx, int sy, int sw, int sh, int dw, int dh, OutFormat format) {
  ZqDibBuilder dib;
  const bool grey = format == OutFormat::Grey8;
  if (const WORD s = dib.Create(static_cast<std::uint64_t>(dw), static_cast<std::uint64_t>(dh),
                                grey ? 8 : format == OutFormat::Bgr24 ? 24 : 32, grey ? 256 : 0);
      s != ZQ_OK)
    return Fail<HGLOBAL>(s, 0);
  if (grey) dib.SetGreyPalette(false);
  dib.SetPelsPerMeter(src.header().biXPelsPerMeter, src.header().biYPelsPerMeter);

  const int channels = Channels(format);
  const Taps tx = MakeTaps(sw, dw), ty = MakeTaps(sh, dh);
  std::vector<BYTE> unpacked(static_cast<std::size_t>(src.width()) * 4);
  std::deque<std::vector<float>> rows;  // horizontally filtered source rows, from rowsFirst on
  int rowsFirst = 0;

  auto filterRow = [&](int y) {
    zq::UnpackRow(src, sy + y, unpacked.data());
    std::vector<float> out(static_cast<std::size_t>(dw) * channels, 0.0f);
    for (int i = 0; i < dw; ++i) {
      float acc[4] = {0, 0, 0, 0};
      const float* w = &tx.weight[tx.offset[i]];
      for (int k = 0; k < tx.count[i]; ++k) {
        const BYTE* p = &unpacked[static_cast<std::size_t>(sx + tx.first[i] + k) * 4];
        if (channels == 1) {
          acc[0] += w[k] * Luma(p);
        } else {
          for (int c = 0; c < channels; ++c) acc[c] += w[k] * p[c];
        }
      }
      std::copy_n(acc, channels, &out[static_cast<std::size_t>(i) * channels]);
    }
    return out;
  };

  std::vector<float> acc(static_cast<std::size_t>(dw) * channels);
  for (int j = 0; j < dh; ++j) {
    const int first = ty.first[j], last = first + ty.count[j] - 1;
    while (!rows.empty() && rowsFirst < first) {
      rows.pop_front();
      ++rowsFirst;
    }
    if (rows.empty()) rowsFirst = first;
    while (rowsFirst + static_cast<int>(rows.size()) <= last) rows.push_back(filterRow(rowsFirst + static_cast<int>(rows.size())));
    std::fill(acc.begin(), acc.end(), 0.0f);
    const float* w = &ty.weight[ty.offset[j]];
    for (int k = 0; k < ty.count[j]; ++k) {
      const std::vector<float>& r = rows[static_cast<std::size_t>(first + k - rowsFirst)];
      for (std::size_t i = 0; i < acc.size(); ++i) acc[i] += w[k] * r[i];
    }
    BYTE* out = dib.Row(static_cast<std::uint32_t>(j));
    for (std::size_t i = 0; i < acc.size(); ++i) out[i] = ToByte(acc[i]);
  }
  return Ok(dib.Release());
}

OutFormat NaturalFormat(const RasterLock& r) {
  if (zq::HasGreyTable(r)) return OutFormat::Grey8;
  return r.bitCount() == 32 ? OutFormat::Bgra32 : OutFormat::Bgr24;
}

}  // namespace

namespace zq {

bool HasGreyTable(const RasterLock& image) {
  const int n = image.colorCount();
  if (n == 0) return false;
  const RGBQUAD* t = image.colors();
  return std::all_of(t, t + n, [](const RGBQUAD& c) { return c.rgbRed == c.rgbGreen && c.rgbGreen == c.rgbBlue; });
}

void UnpackRow(const RasterLock& image, int y, BYTE* bgra) {
  const BYTE* p = image.row(y);
  const int w = image.width();
  const int bits = image.bitCount();
  if (bits <= 8) {
    const RGBQUAD* table = image.colors();
    const int n = image.colorCount();
    const int perByte = 8 / bits;
    const int mask = (1 << bits) - 1;
    for (int x = 0; x < w; ++x) {
      const int shift = 8 - bits * (x % perByte + 1);
      int index = (p[x / perByte] >> shift) & mask;
      if (index >= n) index = 0;  // a pixel beyond a short colour table takes the first entry
      const RGBQUAD c = table[index];
      BYTE* o = bgra + 4 * x;
      o[0] = c.rgbBlue, o[1] = c.rgbGreen, o[2] = c.rgbRed, o[3] = 255;
    }
    return;
  }
  if (bits == 24) {
    for (int x = 0; x < w; ++x) {
      BYTE* o = bgra + 4 * x;
      o[0] = p[3 * x], o[1] = p[3 * x + 1], o[2] = p[3 * x + 2], o[3] = 255;
    }
    return;
  }
  if (bits == 32 && image.header().biCompression == BI_RGB) {
    std::memcpy(bgra, p, static_cast<std::size_t>(w) * 4);
    return;
  }
  DWORD rm = 0, gm = 0, bm = 0;
  Masks(image.header(), rm, gm, bm);
  const Channel r(rm), g(gm), b(bm);
  for (int x = 0; x < w; ++x) {
    DWORD v = 0;
    if (bits == 16) v = static_cast<DWORD>(p[2 * x] | (p[2 * x + 1] << 8));
    else std::memcpy(&v, p + 4 * x, 4);
    BYTE* o = bgra + 4 * x;
    o[0] = b(v), o[1] = g(v), o[2] = r(v), o[3] = 255;
  }
}

QImage ToQImage(const RasterLock& image) {
  const bool alpha = image.bitCount() == 32 && image.header().biCompression == BI_RGB;
  QImage out(image.width(), image.height(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (out.isNull()) return out;
  for (int y = 0; y < image.height(); ++y) UnpackRow(image, y, out.scanLine(y));
  out.setDotsPerMeterX(image.header().biXPelsPerMeter);
  out.setDotsPerMeterY(image.header().biYPelsPerMeter);
  return out;
}

HGLOBAL FromQImage(const QImage& image) {
  if (image.isNull()) return Fail<HGLOBAL>(ZQ_ERR_BAD_PARAMETER, 0);
  const bool alpha = image.hasAlphaChannel();
  const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  ZqDibBuilder dib;
  if (const WORD s = dib.Create(static_cast<std::uint64_t>(image.width()), static_cast<std::uint64_t>(image.height()),
                                alpha ? 32 : 24, 0);
      s != ZQ_OK)
    return Fail<HGLOBAL>(s, 0);
  if (src.isNull()) return Fail<HGLOBAL>(ZQ_ERR_NO_MEMORY, 0);
  for (int y = 0; y < src.height(); ++y) {
    const BYTE* in = src.constScanLine(y);
    BYTE* out = dib.Row(static_cast<std::uint32_t>(y));
    if (alpha) {
      std::memcpy(out, in, static_cast<std::size_t>(src.width()) * 4);
    } else {
      for (int x = 0; x < src.width(); ++x) std::memcpy(out + 3 * x, in + 4 * x, 3);
    }
  }
  const LONG screen = platform::PelsPerMeterFromDpi(kZqDefaultDpi);
  dib.SetPelsPerMeter(src.dotsPerMeterX() > 0 ? src.dotsPerMeterX() : screen, src.dotsPerMeterY() > 0 ? src.dotsPerMeterY() : screen);
  return Ok(dib.Release());
}

}  // namespace zq

ZQ_EXPORT WORD DibNumColors(const BITMAPINFOHEADER* header) {
  return zq::Guard<WORD>(0, [&]() -> WORD {
    if (!header || header->biSize < sizeof(BITMAPINFOHEADER)) return Fail(ZQ_ERR_BAD_PARAMETER);
    if (header->biBitCount > 8)
      return Ok(header->biCompression == BI_BITFIELDS ? WORD{0} : static_cast<WORD>(std::min<DWORD>(header->biClrUsed, 256)));
    return Ok(static_cast<WORD>(platform::DibColorCount(*header)));
  });
}

ZQ_EXPORT WORD GetDibPalSize(const BITMAPINFOHEADER* header) {
  return zq::Guard<WORD>(0, [&]() -> WORD {
    if (!header || header->biSize < sizeof(BITMAPINFOHEADER)) return Fail(ZQ_ERR_BAD_PARAMETER);
    // Bit-field masks count as three entries, as the pixel offset of every reader does.
    const std::uint64_t bytes = platform::DibBitsOffset(*header) - header->biSize;
    return bytes > 0xFFFF ? Fail(ZQ_ERR_BAD_PARAMETER) : Ok(static_cast<WORD>(bytes));
  });
}

ZQ_EXPORT BOOL IsGrayImage(HGLOBAL image) {
  return zq::Guard<BOOL>(FALSE, [&] {
    RasterLock r(image);
    if (!r) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Ok(zq::HasGreyTable(r) ? TRUE : FALSE);
  });
}

ZQ_EXPORT DWORD GetRGBPixel(HGLOBAL image, LONG x, LONG y) {
  return zq::Guard(kInvalidColor, [&] {
    RasterLock r(image);
    if (!r || x < 0 || y < 0 || x >= r.width() || y >= r.height()) return Fail(ZQ_ERR_BAD_PARAMETER, kInvalidColor);
    std::vector<BYTE> row(static_cast<std::size_t>(r.width()) * 4);
    zq::UnpackRow(r, y, row.data());
    const BYTE* p = &row[static_cast<std::size_t>(x) * 4];
    return Ok(static_cast<DWORD>(p[2] | (p[1] << 8) | (p[0] << 16)));
  });
}

ZQ_EXPORT HGLOBAL SetImageSize(HGLOBAL image, LONG width, LONG height) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    HGLOBAL result = 0;
    {
      RasterLock r(image);
      if (!r || width <= 0 || height <= 0) return Fail(ZQ_ERR_BAD_PARAMETER);
      if (width == r.width() && height == r.height()) return Ok(image);
      // Running out of memory for the working buffers is a status like any other here:
      // the caller keeps the source.
      result = zq::Guard<HGLOBAL>(0, [&] { return Resample(r, 0, 0, r.width(), r.height(), width, height, NaturalFormat(r)); });
      // The caller keeps only what comes back; without a resampled image that is the source.
      if (!result) return image;
    }
    GlobalFree(image);
    return result;
  });
}

ZQ_EXPORT HGLOBAL ConvertColorTo8Gray(HGLOBAL image) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    RasterLock r(image);
    if (!r) return Fail(ZQ_ERR_BAD_PARAMETER);
    if (!zq::HasGreyTable(r)) return Fail(ZQ_ERR_UNSUPPORTED);
    return Resample(r, 0, 0, r.width(), r.height(), r.width(), r.height(), OutFormat::Grey8);
  });
}

ZQ_EXPORT HGLOBAL Resize1Bit(HGLOBAL image, LONG left, LONG top, LONG right, LONG bottom, LONG width, LONG height) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    RasterLock r(image);
    if (!r || width <= 0 || height <= 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    if (left == 0 && top == 0 && right == 0 && bottom == 0) {
      right = r.width() - 1;
      bottom = r.height() - 1;
    }
    // A part reaching beyond the image is cut to it; one wholly outside is refused.
    left = std::max<LONG>(left, 0);
    top = std::max<LONG>(top, 0);
    right = std::min<LONG>(right, r.width() - 1);
    bottom = std::min<LONG>(bottom, r.height() - 1);
    if (right < left || bottom < top) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Resample(r, left, top, right - left + 1, bottom - top + 1, width, height, OutFormat::Grey8);
  });
}

ZQ_EXPORT HGLOBAL ZQResizeRefine1BitImage(HGLOBAL image, LONG width, LONG height) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    RasterLock r(image);
    if (!r || r.bitCount() != 1 || width <= 0 || height <= 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Resample(r, 0, 0, r.width(), r.height(), width, height, OutFormat::Grey8);
  });
}
