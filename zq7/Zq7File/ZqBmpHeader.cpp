#include "zq7/Zq7File/ZqBmpHeader.h"

#include <cstdlib>

#include "platform/dib.h"
#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;     // OS/2 1.x: 16-bit sizes, no resolution
constexpr std::uint32_t kFileHeaderSize = 14;

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

}  // namespace

ZqStatus ReadBmpHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  in.SetBigEndian(false);
  in.Seek(kFileHeaderSize);
  const std::uint32_t size = in.U32();
  if (!in.Ok() || size < kCoreHeaderSize || (size > kCoreHeaderSize && size < 16)) return ZQ_ERR_DAMAGED;
  std::int64_t width = 0, height = 0;
  WORD bits = 0;
  DWORD compression = BI_RGB;
  LONG xppm = 0, yppm = 0;
  if (size == kCoreHeaderSize) {
    width = in.U16();
    height = in.U16();
    in.U16();  // planes
    bits = in.U16();
  } else {
    // Fields past the header's stated size are absent (OS/2 2.x headers may stop early).
    width = static_cast<LONG>(in.U32());
    height = static_cast<LONG>(in.U32());
    in.U16();  // planes
    bits = in.U16();
    if (size >= 20) compression = in.U32();
    if (size >= 32) {
      in.U32();  // image size
      xppm = static_cast<LONG>(in.U32());
      yppm = static_cast<LONG>(in.U32());
    }
  }
  if (!in.Ok() || width <= 0 || height == 0) return ZQ_ERR_DAMAGED;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;
  info.width = static_cast<DWORD>(width);
  info.height = static_cast<DWORD>(std::llabs(height));  // negative: rows stored top-down
  info.bitCount = bits;
  info.code = CompressionCode(compression);
  info.xdpi = DpiOf(xppm);
  info.ydpi = DpiOf(yppm);
  info.pages = 1;
  return ZQ_OK;
}
