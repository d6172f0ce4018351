#include "zq7/Zq7File/ZqMetafileHeader.h"

#include <cstdlib>

#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

constexpr int kWmfDpi = 96;
// A bare WMF carries its size only in a SetWindowExt record; these first bytes of the
// record stream are all that typing looks at for it.
constexpr std::uint64_t kWindowExtSearchBytes = 64 * 1024;
constexpr WORD kMetaSetWindowExt = 0x020C;
constexpr WORD kMetaEof = 0x0000;

void FillVector(ZqFileInfo& info, WORD code, std::uint64_t width, std::uint64_t height, WORD xdpi, WORD ydpi) {
  info = {};
  info.bitCount = 24;
  info.width = ZqClampDword(width);
  info.height = ZqClampDword(height);
  info.xdpi = xdpi;
  info.ydpi = ydpi;
  info.code = code;
  info.pages = 1;
}

// The 18-byte metafile header at offset: type 1 (memory) or 2 (disk), 9 words long.
bool IsWmfHeader(ZqByteReader& in, std::uint64_t offset) {
  in.Seek(offset);
  const WORD type = in.U16(), words = in.U16(), version = in.U16();
  return in.Ok() && (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

// The window extent of a bare WMF, from the records that follow its header.
bool FindWindowExt(ZqByteReader& in, std::uint64_t& width, std::uint64_t& height) {
  std::uint64_t pos = 18;
  while (pos < kWindowExtSearchBytes && pos + 6 <= in.Size()) {
    in.Seek(pos);
    const std::uint32_t words = in.U32();
    const WORD function = in.U16();
    if (!in.Ok() || words < 3 || function == kMetaEof) return false;
    if (function == kMetaSetWindowExt && words >= 5) {
      const auto y = static_cast<std::int16_t>(in.U16()), x = static_cast<std::int16_t>(in.U16());
      if (!in.Ok() || x == 0 || y == 0) return false;
      width = static_cast<std::uint64_t>(std::abs(x));
      height = static_cast<std::uint64_t>(std::abs(y));
      return true;
    }
    pos += std::uint64_t{words} * 2;
  }
  return false;
}

}  // namespace

ZqStatus ReadWmfHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  if (page != 0) return ZQ_ERR_BAD_PARAMETER;
  in.Seek(0);
  if (in.U32() == kZqPlaceableKey) {
    in.Skip(2);  // the handle, 0 on disk
    const auto left = static_cast<std::int16_t>(in.U16()), top = static_cast<std::int16_t>(in.U16());
    const auto right = static_cast<std::int16_t>(in.U16()), bottom = static_cast<std::int16_t>(in.U16());
    const WORD inch = in.U16();
    if (!in.Ok() || inch == 0 || !IsWmfHeader(in, 22)) return ZQ_ERR_DAMAGED;
    const std::uint64_t dx = static_cast<std::uint64_t>(std::abs(right - left));
    const std::uint64_t dy = static_cast<std::uint64_t>(std::abs(bottom - top));
    if (dx == 0 || dy == 0) return ZQ_ERR_DAMAGED;
    FillVector(info, ZQ_CODE_WMF, (dx * kWmfDpi + inch / 2) / inch, (dy * kWmfDpi + inch / 2) / inch, kWmfDpi, kWmfDpi);
    return ZQ_OK;
  }
  if (!IsWmfHeader(in, 0)) return ZQ_ERR_UNSUPPORTED;
  std::uint64_t width = 0, height = 0;
  if (!FindWindowExt(in, width, height)) return ZQ_ERR_DAMAGED;
  // Without a placeable header the extent is in the drawing's logical units, which
  // writers nearly always make pixels.
  FillVector(info, ZQ_CODE_WMF, width, height, kWmfDpi, kWmfDpi);
  return ZQ_OK;
}

ZqStatus ReadEmfHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  if (page != 0) return ZQ_ERR_BAD_PARAMETER;
  in.Seek(0);
  const std::uint32_t type = in.U32(), size = in.U32();
  in.Seek(24);
  const auto frameLeft = static_cast<std::int32_t>(in.U32()), frameTop = static_cast<std::int32_t>(in.U32());
  const auto frameRight = static_cast<std::int32_t>(in.U32()), frameBottom = static_cast<std::int32_t>(in.U32());
  const std::uint32_t signature = in.U32();
  if (!in.Ok() || type != 1 || signature != kZqEmfSignature) return ZQ_ERR_UNSUPPORTED;
  in.Seek(72);
  const auto devX = static_cast<std::int32_t>(in.U32()), devY = static_cast<std::int32_t>(in.U32());
  const auto mmX = static_cast<std::int32_t>(in.U32()), mmY = static_cast<std::int32_t>(in.U32());
  if (!in.Ok() || size < 88 || size > in.Size() || devX <= 0 || devY <= 0 || mmX <= 0 || mmY <= 0) return ZQ_ERR_DAMAGED;
  // The frame is in hundredths of a millimetre, inclusive at both ends.
  const double frameW = static_cast<double>(frameRight) - frameLeft, frameH = static_cast<double>(frameBottom) - frameTop;
  if (!(frameW > 0) || !(frameH > 0)) return ZQ_ERR_DAMAGED;
  const double pxPerMmX = static_cast<double>(devX) / mmX, pxPerMmY = static_cast<double>(devY) / mmY;
  const double width = frameW / 100.0 * pxPerMmX + 0.5, height = frameH / 100.0 * pxPerMmY + 0.5;
  if (width < 1 || height < 1 || width > 4e9 || height > 4e9) return ZQ_ERR_DAMAGED;
  FillVector(info, ZQ_CODE_EMF, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
             ZqDpiFromDouble(pxPerMmX * 25.4), ZqDpiFromDouble(pxPerMmY * 25.4));
  return ZQ_OK;
}
