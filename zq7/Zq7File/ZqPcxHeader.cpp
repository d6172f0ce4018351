#include "zq7/Zq7File/ZqPcxHeader.h"

#include <cstring>

ZqStatus ReadPcxHeader(ZqByteReader& in, int page, ZqFileInfo& info, ZqPcxHeader& pcx) {
  const std::uint8_t* h = in.Span(0, 128);
  if (!h) return ZQ_ERR_DAMAGED;
  pcx.encoding = h[2];
  pcx.bitsPerPlane = h[3];
  pcx.xmin = LoadU16(h + 4, false);
  pcx.ymin = LoadU16(h + 6, false);
  pcx.xmax = LoadU16(h + 8, false);
  pcx.ymax = LoadU16(h + 10, false);
  pcx.hdpi = LoadU16(h + 12, false);
  pcx.vdpi = LoadU16(h + 14, false);
  std::memcpy(pcx.palette16, h + 16, sizeof pcx.palette16);
  pcx.planes = h[65];
  pcx.bytesPerLine = LoadU16(h + 66, false);
  if (pcx.xmax < pcx.xmin || pcx.ymax < pcx.ymin || pcx.planes == 0) return ZQ_ERR_DAMAGED;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;
  info.width = DWORD{pcx.xmax} - pcx.xmin + 1;
  info.height = DWORD{pcx.ymax} - pcx.ymin + 1;
  info.bitCount = static_cast<WORD>(pcx.bitsPerPlane * pcx.planes);
  info.xdpi = pcx.hdpi;
  info.ydpi = pcx.vdpi;
  info.code = ZQ_CODE_PCX;
  info.pages = 1;
  return ZQ_OK;
}
