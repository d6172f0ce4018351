#include "zq7/Zq7File/ZqBmpHeader.h"

#include <cstdlib>

#include "platform/dib.h"
#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;     // OS/2 1.x: 16-bit sizes, no resolution
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiAlphaBitfields = 6;

WORD CompressionCode(DWORD compression) {
  switch (compression) {
    case BI_RGB: return ZQ_CODE_BMP;
    case BI_RLE8: return ZQ_CODE_BMP_RLE8;
    case BI_RLE4: return ZQ_CODE_BMP_RLE4;
    default: return ZQ_CODE_UNKNOWN;  // bit fields, embedded JPEG or PNG, OS/2 Huffman and RLE24
  }
}

WORD DpiOf(LONG pelsPerMeter) {
  return pelsPerMeter > 0 ? ZqDpi(static_cast<std::uint32_t>(pelsPerMeter), 1, ZqLengthUnit::Metre) : WORD{0};
}

std::uint32_t U32At(ZqByteReader& in, std::uint64_t offset) {
  const std::uint8_t* p = in.Span(offset, 4);
  return p ? LoadU32(p, false) : 0;
}

// What only the reader needs: the colour count, the masks and where palette and pixels
// are. Typing does not depend on them, so a field missing here refuses nothing yet.
void ReadLayout(ZqByteReader& in, ZqBmpHeader& h) {
  const std::uint64_t info = kFileHeaderSize;
  if (h.infoSize >= 36) h.colorsUsed = U32At(in, info + 32);
  std::uint64_t afterHeader = info + h.infoSize;
  if (h.compression == BI_BITFIELDS || h.compression == kBiAlphaBitfields) {
    const unsigned count = h.compression == kBiAlphaBitfields ? 4 : 3;
    h.hasMasks = true;
    // Version 4 and 5 headers hold the masks; a 40-byte header is followed by them.
    const std::uint64_t at = h.infoSize >= 52 ? info + 40 : afterHeader;
    const unsigned stored = h.infoSize >= 52 ? (h.infoSize >= 56 ? 4 : 3) : count;
    const std::uint8_t* p = in.Span(at, 4 * stored);
    if (!p) {
      h.masksMissing = true;
    } else {
      for (unsigned k = 0; k < stored; ++k) h.masks[k] = LoadU32(p + 4 * k, false);
    }
    if (h.infoSize < 52) afterHeader += 4 * count;
  }
  h.paletteOffset = afterHeader;
  const std::uint32_t offBits = U32At(in, 10);
  h.bitsOffset = offBits >= afterHeader && offBits < in.Size() ? offBits : 0;
}

}  // namespace

ZqStatus ReadBmpHeader(ZqByteReader& in, int page, ZqFileInfo& info, ZqBmpHeader& h) {
  in.SetBigEndian(false);
  in.Seek(kFileHeaderSize);
  h.infoSize = in.U32();
  const std::uint32_t size = h.infoSize;
  if (!in.Ok() || size < kCoreHeaderSize || (size > kCoreHeaderSize && size < 16)) return ZQ_ERR_DAMAGED;
  h.compression = BI_RGB;
  if (size == kCoreHeaderSize) {
    h.width = in.U16();
    h.height = in.U16();
    in.U16();  // planes
    h.bits = in.U16();
    h.paletteEntryBytes = 3;
  } else {
    // Fields past the header's stated size are absent (OS/2 2.x headers may stop early).
    h.width = static_cast<LONG>(in.U32());
    h.height = static_cast<LONG>(in.U32());
    in.U16();  // planes
    h.bits = in.U16();
    if (size >= 20) h.compression = in.U32();
    if (size >= 32) {
      in.U32();  // image size
      h.xppm = static_cast<LONG>(in.U32());
      h.yppm = static_cast<LONG>(in.U32());
    }
  }
  if (!in.Ok() || h.width <= 0 || h.height == 0) return ZQ_ERR_DAMAGED;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;
  ReadLayout(in, h);
  info.width = static_cast<DWORD>(h.width);
  info.height = static_cast<DWORD>(std::llabs(h.height));
  info.bitCount = static_cast<WORD>(h.bits);
  info.code = CompressionCode(h.compression);
  info.xdpi = DpiOf(h.xppm);
  info.ydpi = DpiOf(h.yppm);
  info.pages = 1;
  return ZQ_OK;
}
