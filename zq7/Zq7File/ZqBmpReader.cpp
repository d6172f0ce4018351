#include "zq7/Zq7File/ZqBmpReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "zq7/Zq7File/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

constexpr std::uint32_t kBiJpeg = 4;
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::uint32_t kFileHeaderBytes = 14;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24); }

// One channel of a bit-field pixel, scaled to 0..255.
class Channel {
 public:
  explicit Channel(std::uint32_t mask)
      : shift_(mask ? std::countr_zero(mask) : 0), max_(mask ? (mask >> shift_) : 0), width_(std::bit_width(max_)) {}
  // Narrow channels repeat their bits to fill the byte (5-bit 24 gives 198, as the usual
  // decoders do); wide ones keep their top 8 bits.
  BYTE Get(std::uint32_t pixel) const {
    if (!max_) return 0;
    const std::uint32_t v = (pixel >> shift_) & max_;
    if (width_ >= 8) return static_cast<BYTE>(v >> (width_ - 8));
    unsigned out = 0;
    for (int left = 8; left > 0; left -= width_) out |= left >= width_ ? v << (left - width_) : v >> (width_ - left);
    return static_cast<BYTE>(out);
  }

 private:
  int shift_;
  std::uint32_t max_;
  int width_;
};

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: top-down
  unsigned bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  LONG xppm = 0, yppm = 0;
  std::uint32_t masks[4] = {};  // red, green, blue, alpha
  bool hasMasks = false;
  std::uint64_t paletteOffset = 0;
  unsigned paletteEntryBytes = 4;
  std::uint64_t bitsOffset = 0;
};

WORD ParseHeader(const std::uint8_t* d, std::size_t size, Header* h) {
  if (size < kFileHeaderBytes + 12 || d[0] != 'B' || d[1] != 'M') return ZQ_ERR_DAMAGED;
  const std::uint32_t infoSize = U32(d + 14);
  if (infoSize < 12 || infoSize > size - kFileHeaderBytes) return ZQ_ERR_DAMAGED;
  const std::uint8_t* i = d + kFileHeaderBytes;
  if (infoSize == 12) {
    h->width = U16(i + 4);
    h->height = U16(i + 6);
    h->bits = U16(i + 10);
    h->paletteEntryBytes = 3;
  } else {
    if (infoSize < 16) return ZQ_ERR_DAMAGED;
    h->width = static_cast<std::int32_t>(U32(i + 4));
    h->height = static_cast<std::int32_t>(U32(i + 8));
    h->bits = U16(i + 14);
    if (infoSize >= 20) h->compression = U32(i + 16);
    if (infoSize >= 32) {
      h->xppm = static_cast<LONG>(U32(i + 24));
      h->yppm = static_cast<LONG>(U32(i + 28));
    }
    if (infoSize >= 36) h->colorsUsed = U32(i + 32);
  }
  const bool os2v2 = infoSize == 64 || (infoSize > 12 && infoSize < 40);
  // OS/2 2.x reuses codes 3 and 4 for Huffman 1-D and RLE24.
  if (os2v2 && (h->compression == 3 || h->compression == 4)) return ZQ_ERR_UNSUPPORTED;
  if (h->compression == kBiJpeg || h->compression == kBiPng) return ZQ_ERR_UNSUPPORTED;
  if (h->compression > kBiAlphaBitfields) return ZQ_ERR_UNSUPPORTED;

  std::uint64_t afterHeader = kFileHeaderBytes + std::uint64_t{infoSize};
  if (h->compression == BI_BITFIELDS || h->compression == kBiAlphaBitfields) {
    const unsigned count = h->compression == kBiAlphaBitfields ? 4 : 3;
    h->hasMasks = true;
    if (infoSize >= 52) {
      for (unsigned k = 0; k < 3; ++k) h->masks[k] = U32(i + 40 + 4 * k);
      if (infoSize >= 56) h->masks[3] = U32(i + 52);
    } else {
      // A 40-byte header is followed by the masks.
      if (afterHeader + 4 * count > size) return ZQ_ERR_DAMAGED;
      for (unsigned k = 0; k < count; ++k) h->masks[k] = U32(d + afterHeader + 4 * k);
      afterHeader += 4 * count;
    }
  }
  h->paletteOffset = afterHeader;
  const std::uint32_t offBits = U32(d + 10);
  h->bitsOffset = offBits >= afterHeader && offBits < size ? offBits : 0;
  return ZQ_OK;
}

class BmpDecoder {
 public:
  BmpDecoder(const std::uint8_t* d, std::size_t size, const Header& h, ZqDibBuilder& dib, ZqProgress& progress)
      : d_(d), size_(size), h_(h), dib_(dib), progress_(progress) {}

  // Row index from the top for the n-th row stored.
  std::uint32_t TopRow(std::uint64_t n) const {
    return h_.height < 0 ? static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(dib_.height() - 1 - n);
  }

  WORD Plain(std::uint64_t offset) {
    const std::uint64_t stride = platform::DibStride(h_.width, h_.bits);
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(h_.width) * h_.bits + 7) / 8;
    const std::uint32_t height = dib_.height();
    if (offset > size_ || (size_ - offset) < stride * (height - 1) + rowBytes) return ZQ_ERR_DAMAGED;
    const Channel r(h_.masks[0]), g(h_.masks[1]), b(h_.masks[2]), a(h_.masks[3]);
    const bool alpha = h_.masks[3] != 0;
    for (std::uint32_t n = 0; n < height; ++n) {
      const std::uint8_t* src = d_ + offset + stride * n;
      BYTE* dst = dib_.Row(TopRow(n));
      const std::uint32_t w = dib_.width();
      switch (h_.bits) {
        case 1:
        case 4:
        case 8:
          std::memcpy(dst, src, rowBytes);
          break;
        case 2:
          for (std::uint32_t x = 0; x < w; ++x) dst[x] = static_cast<BYTE>((src[x / 4] >> (6 - 2 * (x % 4))) & 3);
          break;
        case 24:
          std::memcpy(dst, src, rowBytes);
          break;
        default:
          for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t p = h_.bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
            BYTE* px = dst + std::uint64_t{x} * (alpha ? 4 : 3);
            px[0] = b.Get(p);
            px[1] = g.Get(p);
            px[2] = r.Get(p);
            if (alpha) px[3] = a.Get(p);
          }
          break;
      }
      if (!progress_.Step(n + 1, height)) return ZQ_ERR_CANCELLED;
    }
    return ZQ_OK;
  }

  // RLE8 and RLE4 into a zeroed 8 or 4-bit DIB; runs past the right edge are clipped.
  WORD Rle(std::uint64_t offset) {
    const bool four = h_.compression == BI_RLE4;
    const std::uint32_t w = dib_.width(), height = dib_.height();
    std::uint64_t p = offset;
    std::uint32_t x = 0, y = 0;
    auto put = [&](std::uint32_t px, BYTE v) {
      if (px >= w || y >= height) return;
      BYTE* row = dib_.Row(TopRow(y));
      if (!four) {
        row[px] = v;
      } else {
        BYTE& cell = row[px / 2];
        cell = (px & 1) ? static_cast<BYTE>((cell & 0xF0) | (v & 0x0F)) : static_cast<BYTE>((cell & 0x0F) | (v << 4));
      }
    };
    while (y < height) {
      if (p + 2 > size_) return ZQ_ERR_DAMAGED;
      const unsigned count = d_[p], value = d_[p + 1];
      p += 2;
      if (count > 0) {
        for (unsigned k = 0; k < count; ++k, ++x)
          put(x, static_cast<BYTE>(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value));
        continue;
      }
      if (value == 0) {  // end of line
        x = 0;
        ++y;
        if (!progress_.Step(y, height)) return ZQ_ERR_CANCELLED;
      } else if (value == 1) {  // end of bitmap
        break;
      } else if (value == 2) {  // delta
        if (p + 2 > size_) return ZQ_ERR_DAMAGED;
        x += d_[p];
        y += d_[p + 1];
        p += 2;
      } else {  // absolute run of `value` pixels, padded to 16 bits
        const std::uint64_t bytes = four ? (value + 1) / 2 : value;
        if (p + bytes > size_) return ZQ_ERR_DAMAGED;
        for (unsigned k = 0; k < value; ++k, ++x) {
          const BYTE byte = d_[p + (four ? k / 2 : k)];
          put(x, static_cast<BYTE>(four ? ((k & 1) ? (byte & 0x0F) : (byte >> 4)) : byte));
        }
        p += (bytes + 1) & ~std::uint64_t{1};
      }
    }
    return ZQ_OK;
  }

 private:
  const std::uint8_t* d_;
  std::size_t size_;
  const Header& h_;
  ZqDibBuilder& dib_;
  ZqProgress& progress_;
};

}  // namespace

WORD ZqBmpDecode(const std::uint8_t* data, std::size_t size, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  Header h;
  if (const WORD s = ParseHeader(data, size, &h); s != ZQ_OK) return s;
  if (h.width <= 0 || h.height == 0) return ZQ_ERR_DAMAGED;
  const std::uint64_t height = static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);

  const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
  if ((h.compression == BI_RLE8 && h.bits != 8) || (h.compression == BI_RLE4 && h.bits != 4)) return ZQ_ERR_DAMAGED;
  if (h.hasMasks && h.bits != 16 && h.bits != 32) return ZQ_ERR_DAMAGED;
  unsigned dibBits = 0;
  switch (h.bits) {
    case 1:
    case 4:
    case 8:
      dibBits = h.bits;
      break;
    case 2:
      dibBits = 8;
      break;
    case 24:
      dibBits = 24;
      break;
    case 16:
    case 32:
      if (!h.hasMasks) {
        // Plain 16-bit pixels are 5-5-5; plain 32-bit pixels carry an unused fourth byte.
        h.masks[0] = h.bits == 16 ? 0x7C00 : 0xFF0000;
        h.masks[1] = h.bits == 16 ? 0x03E0 : 0x00FF00;
        h.masks[2] = h.bits == 16 ? 0x001F : 0x0000FF;
        h.masks[3] = 0;
      }
      dibBits = h.masks[3] ? 32 : 24;
      break;
    default:
      return ZQ_ERR_UNSUPPORTED;
  }
  const unsigned full = h.bits <= 8 ? 1u << h.bits : 0u;
  // Plain pixels must all be in the file: a short file claiming a huge picture is refused
  // before the picture is allocated.
  const unsigned colors = h.bits == 2 ? 4 : full;
  if (const WORD s = ZqDibBuilder::CheckSize(static_cast<std::uint64_t>(h.width), height, dibBits, colors); s != ZQ_OK) return s;
  if (!rle && platform::DibStride(h.width, h.bits) * (height - 1) > size) return ZQ_ERR_DAMAGED;
  ZqDibBuilder dib;
  if (const WORD s = dib.Create(static_cast<std::uint64_t>(h.width), height, dibBits, colors); s != ZQ_OK)
    return s;
  dib.SetPelsPerMeter(h.xppm, h.yppm);

  // The palette ends where the pixels start, or at the end of the file.
  if (full) {
    const std::uint32_t listed = h.colorsUsed > 0 && h.colorsUsed < full ? h.colorsUsed : full;
    const std::uint64_t end = h.bitsOffset ? h.bitsOffset : size;
    const std::uint64_t room = end > h.paletteOffset ? (end - h.paletteOffset) / h.paletteEntryBytes : 0;
    const std::uint64_t count = std::min<std::uint64_t>(listed, room);
    for (std::uint64_t k = 0; k < count; ++k) {
      const std::uint8_t* e = data + h.paletteOffset + k * h.paletteEntryBytes;
      dib.Palette()[k] = RGBQUAD{e[0], e[1], e[2], 0};
    }
  }
  const std::uint64_t offset =
      h.bitsOffset ? h.bitsOffset
                   : h.paletteOffset + std::uint64_t{full ? (h.colorsUsed > 0 && h.colorsUsed < full ? h.colorsUsed : full) : 0} *
                                           h.paletteEntryBytes;
  BmpDecoder decoder(data, size, h, dib, progress);
  const WORD status = rle ? decoder.Rle(offset) : decoder.Plain(offset);
  if (status != ZQ_OK) return status;
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}
