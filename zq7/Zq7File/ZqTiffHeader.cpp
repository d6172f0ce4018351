#include "zq7/Zq7File/ZqTiffHeader.h"

#include <algorithm>
#include <vector>

#include "zq7/Zq7File/ZqExif.h"
#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

// The format code of a Compression tag value; 3 (T.4) splits by T4Options bit 0.
WORD CompressionCode(std::uint64_t compression, std::uint64_t t4Options) {
  switch (compression) {
    case 1: return ZQ_CODE_TIFF_NONE;
    case 2: return ZQ_CODE_TIFF_CCITTRLE;
    case 3: return (t4Options & 1) ? ZQ_CODE_TIFF_G3_2D : ZQ_CODE_TIFF_G3_1D;
    case 4: return ZQ_CODE_TIFF_G4;
    case 5: return ZQ_CODE_TIFF_LZW;
    case 6: case 7: return ZQ_CODE_TIFF_JPEG;
    case 32773: return ZQ_CODE_TIFF_PACKBITS;
    default: return ZQ_CODE_UNKNOWN;
  }
}

}  // namespace

ZqStatus ReadTiffHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  ZqExif tiff(in, 0, in.Size());
  if (!tiff.ReadHeader()) return ZQ_ERR_DAMAGED;
  const ZqIfdChain chain = tiff.WalkChain(static_cast<std::uint64_t>(page));
  if (chain.count == 0) return ZQ_ERR_DAMAGED;
  if (!chain.pageOffset) return ZQ_ERR_BAD_PARAMETER;

  std::vector<ZqIfdEntry> ifd;
  std::uint64_t next = 0;
  if (!tiff.ReadIfd(*chain.pageOffset, ifd, next)) return ZQ_ERR_DAMAGED;
  const auto width = tiff.Unsigned(ifd, ZQ_TAG_IMAGE_WIDTH), height = tiff.Unsigned(ifd, ZQ_TAG_IMAGE_LENGTH);
  if (!width || !height) return ZQ_ERR_DAMAGED;
  info.width = ZqClampDword(*width);
  info.height = ZqClampDword(*height);

  // Bits per pixel: BitsPerSample summed over the samples of a pixel. A list shorter
  // than SamplesPerPixel repeats its last value, as a single value is meant for every
  // sample; values beyond SamplesPerPixel describe nothing. 0x10000 samples already
  // overflow the field, so the loop stops there.
  const std::uint64_t samples = std::min<std::uint64_t>(tiff.Unsigned(ifd, ZQ_TAG_SAMPLES_PER_PIXEL).value_or(1), 0x10000);
  std::uint64_t bits = samples;  // 1 bit per sample when the tag is missing
  if (const ZqIfdEntry* bps = ZqExif::Find(ifd, ZQ_TAG_BITS_PER_SAMPLE); bps && bps->count > 0) {
    bits = 0;
    for (std::uint64_t i = 0; i < samples; ++i) bits += tiff.Unsigned(*bps, std::min(i, bps->count - 1)).value_or(0);
  }
  info.bitCount = ZqClampWord(bits);

  const std::uint64_t compression = tiff.Unsigned(ifd, ZQ_TAG_COMPRESSION).value_or(1);
  info.code = CompressionCode(compression, tiff.Unsigned(ifd, ZQ_TAG_T4_OPTIONS).value_or(0));
  if (const auto dpi = tiff.ResolutionDpi(ifd)) {
    info.xdpi = dpi->first;
    info.ydpi = dpi->second;
  }
  if (const ZqIfdEntry* text = ZqExif::Find(ifd, ZQ_TAG_IMAGE_DESCRIPTION)) ZqSetComment(info, tiff.Text(*text, sizeof info.comment));
  info.pages = ZqClampPages(chain.count);
  return ZQ_OK;
}
