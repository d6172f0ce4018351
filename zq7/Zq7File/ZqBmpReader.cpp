#include "zq7/Zq7File/ZqBmpReader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqBmpHeader.h"
#include "zq7/Zq7File/ZqByteReader.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

constexpr std::uint32_t kBiJpeg = 4;
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::uint32_t kFileHeaderBytes = 14;
// Plain pixels are read in bands of about this many bytes.
constexpr std::uint64_t kBandBytes = 1 << 20;

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

class BmpDecoder {
 public:
  BmpDecoder(ZqFile& file, const ZqBmpHeader& h, ZqDibBuilder& dib, ZqProgress& progress)
      : file_(file), size_(file.size()), h_(h), dib_(dib), progress_(progress) {}

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
    const std::uint32_t bandRows = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(kBandBytes / stride, 1, height));
    std::vector<std::uint8_t> band(static_cast<std::size_t>(stride * bandRows));
    for (std::uint32_t first = 0; first < height; first += bandRows) {
      const std::uint32_t rows = std::min(bandRows, height - first);
      // The last row of the file may stop at its last pixel, without its padding.
      const std::uint64_t at = offset + stride * first;
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(stride * rows, size_ - at));
      if (file_.ReadAt(at, band.data(), want) != want) return ZQ_ERR_DAMAGED;
      for (std::uint32_t i = 0; i < rows; ++i) {
        const std::uint32_t n = first + i;
        const std::uint8_t* src = band.data() + stride * i;
        BYTE* dst = dib_.Row(TopRow(n));
        const std::uint32_t w = dib_.width();
        switch (h_.bits) {
          case 1:
          case 4:
          case 8:
          case 24:
            std::memcpy(dst, src, rowBytes);
            break;
          case 2:
            for (std::uint32_t x = 0; x < w; ++x) dst[x] = static_cast<BYTE>((src[x / 4] >> (6 - 2 * (x % 4))) & 3);
            break;
          default:
            for (std::uint32_t x = 0; x < w; ++x) {
              const std::uint32_t p = h_.bits == 16 ? LoadU16(src + 2 * x, false) : LoadU32(src + 4 * x, false);
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
    }
    return ZQ_OK;
  }

  // RLE8 and RLE4 into a zeroed 8 or 4-bit DIB; runs past the right edge are clipped.
  WORD Rle(std::uint64_t offset) {
    const bool four = h_.compression == BI_RLE4;
    const std::uint32_t w = dib_.width(), height = dib_.height();
    ZqByteReader in(file_);
    in.Seek(offset);
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
      const unsigned count = in.U8(), value = in.U8();
      if (!in.Ok()) return ZQ_ERR_DAMAGED;
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
        const unsigned dx = in.U8(), dy = in.U8();
        if (!in.Ok()) return ZQ_ERR_DAMAGED;
        x += dx;
        y += dy;
      } else {  // absolute run of `value` pixels, padded to 16 bits
        const std::size_t bytes = four ? (value + 1) / 2 : value;
        const std::uint8_t* run = in.Span(in.Tell(), bytes);
        if (!run) return ZQ_ERR_DAMAGED;
        for (unsigned k = 0; k < value; ++k, ++x) {
          const BYTE byte = run[four ? k / 2 : k];
          put(x, static_cast<BYTE>(four ? ((k & 1) ? (byte & 0x0F) : (byte >> 4)) : byte));
        }
        // The padding byte of an odd run may be missing at the very end of the file.
        in.Seek(std::min<std::uint64_t>(in.Tell() + ((bytes + 1) & ~std::size_t{1}), size_));
      }
    }
    return ZQ_OK;
  }

 private:
  ZqFile& file_;
  std::uint64_t size_;
  const ZqBmpHeader& h_;
  ZqDibBuilder& dib_;
  ZqProgress& progress_;
};

}  // namespace

WORD ZqBmpDecode(ZqFile& file, const ZqBmpHeader& header, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  ZqBmpHeader h = header;
  const std::uint64_t size = file.size();
  if (size < kFileHeaderBytes + 12 || h.infoSize > size - kFileHeaderBytes || h.masksMissing) return ZQ_ERR_DAMAGED;
  const bool os2v2 = h.infoSize == 64 || (h.infoSize > 12 && h.infoSize < 40);
  // OS/2 2.x reuses codes 3 and 4 for Huffman 1-D and RLE24.
  if (os2v2 && (h.compression == 3 || h.compression == 4)) return ZQ_ERR_UNSUPPORTED;
  if (h.compression == kBiJpeg || h.compression == kBiPng) return ZQ_ERR_UNSUPPORTED;
  if (h.compression > kBiAlphaBitfields) return ZQ_ERR_UNSUPPORTED;
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

  // The palette ends where the pixels start, or at the end of the file.
  const std::uint32_t listed = full ? (h.colorsUsed > 0 && h.colorsUsed < full ? h.colorsUsed : full) : 0;
  if (full) {
    const std::uint64_t end = h.bitsOffset ? h.bitsOffset : size;
    const std::uint64_t room = end > h.paletteOffset ? (end - h.paletteOffset) / h.paletteEntryBytes : 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(listed, room));
    std::vector<std::uint8_t> entries(count * h.paletteEntryBytes);
    if (file.ReadAt(h.paletteOffset, entries.data(), entries.size()) != entries.size()) return ZQ_ERR_DAMAGED;
    for (std::size_t k = 0; k < count; ++k) {
      const std::uint8_t* e = entries.data() + k * h.paletteEntryBytes;
      dib.Palette()[k] = RGBQUAD{e[0], e[1], e[2], 0};
    }
  }
  const std::uint64_t offset = h.bitsOffset ? h.bitsOffset : h.paletteOffset + std::uint64_t{listed} * h.paletteEntryBytes;
  BmpDecoder decoder(file, h, dib, progress);
  const WORD status = rle ? decoder.Rle(offset) : decoder.Plain(offset);
  if (status != ZQ_OK) return status;
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}
