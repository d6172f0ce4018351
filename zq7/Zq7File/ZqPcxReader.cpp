#include "zq7/Zq7File/ZqPcxReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqByteReader.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqPcxHeader.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

constexpr std::size_t kHeaderBytes = 128;
constexpr std::size_t kVgaPaletteBytes = 769;  // 0x0C, then 256 RGB triples

// The run-length stream after the header; a run may continue from one scan line into
// the next.
class RleStream {
 public:
  RleStream(ZqFile& file, bool encoded) : in_(file), encoded_(encoded) { in_.Seek(kHeaderBytes); }
  bool Read(std::uint8_t* out, std::size_t n) {
    for (std::size_t i = 0; i < n;) {
      if (run_ == 0) {
        const std::uint8_t b = in_.U8();
        if (!in_.Ok()) return false;
        if (encoded_ && (b & 0xC0) == 0xC0) {
          run_ = b & 0x3F;
          value_ = in_.U8();
          if (!in_.Ok()) return false;
          continue;
        }
        out[i++] = b;
        continue;
      }
      const std::size_t take = std::min<std::size_t>(run_, n - i);
      std::memset(out + i, value_, take);
      i += take;
      run_ -= static_cast<unsigned>(take);
    }
    return true;
  }

 private:
  ZqByteReader in_;
  bool encoded_;
  unsigned run_ = 0;
  std::uint8_t value_ = 0;
};

}  // namespace

WORD ZqPcxDecode(ZqFile& file, const ZqPcxHeader& h, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  const std::uint64_t size = file.size();
  if (size < kHeaderBytes || h.encoding > 1) return ZQ_ERR_DAMAGED;
  const unsigned bits = h.bitsPerPlane;
  const unsigned planes = h.planes;
  const unsigned bytesPerLine = h.bytesPerLine;
  if (h.xmax < h.xmin || h.ymax < h.ymin) return ZQ_ERR_DAMAGED;
  const std::uint32_t width = std::uint32_t{h.xmax} - h.xmin + 1;
  const std::uint32_t height = std::uint32_t{h.ymax} - h.ymin + 1;
  if (bytesPerLine == 0 || std::uint64_t{bytesPerLine} * 8 < std::uint64_t{width} * bits) return ZQ_ERR_DAMAGED;

  unsigned dibBits = 0;
  if (bits == 1 && planes == 1) dibBits = 1;
  else if (bits == 1 && planes >= 2 && planes <= 4) dibBits = 4;
  else if ((bits == 2 || bits == 4) && planes == 1) dibBits = bits == 4 ? 4 : 8;
  else if (bits == 8 && planes == 1) dibBits = 8;
  else if (bits == 8 && (planes == 3 || planes == 4)) dibBits = planes * 8;
  else return ZQ_ERR_UNSUPPORTED;
  const unsigned colors = dibBits <= 8 ? (dibBits == 8 && bits == 2 ? 4u : 1u << dibBits) : 0u;

  // Two bytes of run-length data give at most 63 bytes: a short file claiming a huge
  // picture is refused before the picture is allocated.
  if (const WORD s = ZqDibBuilder::CheckSize(width, height, dibBits, colors); s != ZQ_OK) return s;
  const std::uint64_t lineBytes = std::uint64_t{bytesPerLine} * planes;
  if (lineBytes * height > (size - kHeaderBytes) / 2 * 63 + 1) return ZQ_ERR_DAMAGED;
  ZqDibBuilder dib;
  if (const WORD s = dib.Create(width, height, dibBits, colors); s != ZQ_OK) return s;
  if (bits == 8 && planes == 1) {
    std::uint8_t vga[kVgaPaletteBytes];
    if (size >= kHeaderBytes + kVgaPaletteBytes && file.ReadAt(size - kVgaPaletteBytes, vga, sizeof vga) == sizeof vga &&
        vga[0] == 0x0C) {
      const std::uint8_t* p = vga + 1;
      for (unsigned i = 0; i < 256; ++i) dib.Palette()[i] = RGBQUAD{p[3 * i + 2], p[3 * i + 1], p[3 * i], 0};
    } else {
      dib.SetGreyPalette(false);
    }
  } else if (colors == 2) {
    // Monochrome PCX is black and white whatever the header's palette holds; writers
    // leave it empty or fill it with anything.
    dib.Palette()[1] = RGBQUAD{255, 255, 255, 0};
  } else if (colors) {
    const std::uint8_t* p = h.palette16;
    for (unsigned i = 0; i < colors && i < 16; ++i) dib.Palette()[i] = RGBQUAD{p[3 * i + 2], p[3 * i + 1], p[3 * i], 0};
  }

  RleStream stream(file, h.encoding == 1);
  std::vector<std::uint8_t> line(std::size_t{bytesPerLine} * planes);
  for (std::uint32_t y = 0; y < height; ++y) {
    if (!stream.Read(line.data(), line.size())) return ZQ_ERR_DAMAGED;
    BYTE* dst = dib.Row(y);
    if (planes == 1 && (bits == 1 || bits == 4 || bits == 8)) {
      std::memcpy(dst, line.data(), (std::uint64_t{width} * bits + 7) / 8);
    } else if (bits == 2) {
      for (std::uint32_t x = 0; x < width; ++x) dst[x] = static_cast<BYTE>((line[x / 4] >> (6 - 2 * (x % 4))) & 3);
    } else if (bits == 1) {
      // Plane k holds bit k of each pixel's index.
      for (std::uint32_t x = 0; x < width; ++x) {
        unsigned index = 0;
        for (unsigned k = 0; k < planes; ++k) index |= ((line[k * bytesPerLine + x / 8] >> (7 - x % 8)) & 1u) << k;
        dst[x / 2] = static_cast<BYTE>((x & 1) ? (dst[x / 2] | index) : (index << 4));
      }
    } else {
      // One plane per channel: red, green, blue (and alpha).
      for (std::uint32_t x = 0; x < width; ++x) {
        BYTE* px = dst + std::uint64_t{x} * planes;
        px[0] = line[2 * bytesPerLine + x];
        px[1] = line[bytesPerLine + x];
        px[2] = line[x];
        if (planes == 4) px[3] = line[3 * bytesPerLine + x];
      }
    }
    if (!progress.Step(std::uint64_t{y} + 1, height)) return ZQ_ERR_CANCELLED;
  }
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}
