#include "zq7/Zq7File/ZqPcxHeader.h"

ZqStatus ReadPcxHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  const std::uint8_t* h = in.Span(0, 128);
  if (!h) return ZQ_ERR_DAMAGED;
  const WORD xmin = LoadU16(h + 4, false), ymin = LoadU16(h + 6, false);
  const WORD xmax = LoadU16(h + 8, false), ymax = LoadU16(h + 10, false);
  const BYTE bitsPerPlane = h[3], planes = h[65];
  if (xmax < xmin || ymax < ymin || planes == 0) return ZQ_ERR_DAMAGED;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;
  info.width = DWORD{xmax} - xmin + 1;
  info.height = DWORD{ymax} - ymin + 1;
  info.bitCount = static_cast<WORD>(bitsPerPlane * planes);
  info.xdpi = LoadU16(h + 12, false);
  info.ydpi = LoadU16(h + 14, false);
  info.code = ZQ_CODE_PCX;
  info.pages = 1;
  return ZQ_OK;
}
