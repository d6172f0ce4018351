#include "zq7/Zq7File/ZqFormat.h"

#include <algorithm>
#include <cstring>

#include "zq7/Zq7File/ZqBmpReader.h"
#include "zq7/Zq7File/ZqByteReader.h"
#include "zq7/Zq7File/ZqGifCodec.h"
#include "zq7/Zq7File/ZqGifHeader.h"
#include "zq7/Zq7File/ZqJ2kCodec.h"
#include "zq7/Zq7File/ZqJp2Header.h"
#include "zq7/Zq7File/ZqJpegCodec.h"
#include "zq7/Zq7File/ZqJpegHeader.h"
#include "zq7/Zq7File/ZqMetafileHeader.h"
#include "zq7/Zq7File/ZqPcxReader.h"
#include "zq7/Zq7File/ZqPngCodec.h"
#include "zq7/Zq7File/ZqPngHeader.h"
#include "zq7/Zq7File/ZqTiffCodec.h"
#include "zq7/Zq7File/ZqTiffHeader.h"
#include "zq7/Zq7File/ZqVectorReader.h"

namespace {

constexpr ZqFormatEntry kFormats[] = {
    {ZqFormat::Bmp, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadBmpHeader(in, page, h.info, h.bmp); },
     [](ZqFile& f, const ZqHeader& h, int, ZqProgress& p, HGLOBAL* out) { return ZqBmpDecode(f, h.bmp, p, out); }, false},
    {ZqFormat::Jpeg, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadJpegHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader&, int, ZqProgress& p, HGLOBAL* out) { return ZqJpegDecode(f, 0, p, out); }, false},
    {ZqFormat::Png, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadPngHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader&, int, ZqProgress& p, HGLOBAL* out) { return ZqPngDecode(f, 0, p, out); }, false},
    {ZqFormat::Gif, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadGifHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader&, int page, ZqProgress& p, HGLOBAL* out) { return ZqGifDecode(f, page, p, out); }, true},
    {ZqFormat::Tiff, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadTiffHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader&, int page, ZqProgress& p, HGLOBAL* out) { return ZqTiffDecode(f, page, p, out); }, true},
    {ZqFormat::Pcx, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadPcxHeader(in, page, h.info, h.pcx); },
     [](ZqFile& f, const ZqHeader& h, int, ZqProgress& p, HGLOBAL* out) { return ZqPcxDecode(f, h.pcx, p, out); }, false},
    {ZqFormat::Jp2, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadJp2Header(in, page, h.info); },
     [](ZqFile& f, const ZqHeader&, int, ZqProgress& p, HGLOBAL* out) { return ZqJ2kDecode(f, false, p, out); }, false},
    {ZqFormat::J2kCodestream, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadJ2kCodestreamHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader&, int, ZqProgress& p, HGLOBAL* out) { return ZqJ2kDecode(f, true, p, out); }, false},
    {ZqFormat::Wmf, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadWmfHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader& h, int, ZqProgress&, HGLOBAL* out) { return ZqVectorDecode(f, ZQ_KIND_WMF, h.info, out); },
     false, ZQ_KIND_WMF},
    {ZqFormat::Emf, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadEmfHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader& h, int, ZqProgress&, HGLOBAL* out) { return ZqVectorDecode(f, ZQ_KIND_EMF, h.info, out); },
     false, ZQ_KIND_EMF},
    {ZqFormat::Svg, [](ZqByteReader& in, int page, ZqHeader& h) { return ReadSvgHeader(in, page, h.info); },
     [](ZqFile& f, const ZqHeader& h, int, ZqProgress&, HGLOBAL* out) { return ZqVectorDecode(f, ZQ_KIND_SVG, h.info, out); },
     false, ZQ_KIND_SVG},
};

}  // namespace

ZqFormat DetectFormat(const std::uint8_t* h, std::size_t n) {
  auto starts = [&](const char* sig, std::size_t len) { return n >= len && std::memcmp(h, sig, len) == 0; };
  if (starts("BM", 2) && n >= 14) return ZqFormat::Bmp;
  if (n >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return ZqFormat::Jpeg;
  if (starts("\x89PNG\r\n\x1A\n", 8)) return ZqFormat::Png;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return ZqFormat::Gif;
  if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4)) return ZqFormat::Tiff;
  if (starts("\0\0\0\x0CjP  \r\n\x87\n", 12)) return ZqFormat::Jp2;
  if (starts("\xFF\x4F\xFF\x51", 4)) return ZqFormat::J2kCodestream;
  // PCX: manufacturer 10, version 0..5, encoding 0 or 1, and a plausible bit depth.
  if (n >= 4 && h[0] == 0x0A && h[1] <= 5 && h[2] <= 1 && (h[3] == 1 || h[3] == 2 || h[3] == 4 || h[3] == 8))
    return ZqFormat::Pcx;
  const auto u32 = [&](std::size_t at) { return n >= at + 4 ? LoadU32(h + at, false) : 0u; };
  if (u32(0) == kZqPlaceableKey) return ZqFormat::Wmf;
  // A bare WMF: a memory (1) or disk (2) metafile header of 9 words, version 1 or 3.
  if (n >= 6 && (h[0] == 1 || h[0] == 2) && h[1] == 0 && h[2] == 9 && h[3] == 0 && h[4] == 0 && (h[5] == 1 || h[5] == 3))
    return ZqFormat::Wmf;
  if (u32(0) == 1 && u32(40) == kZqEmfSignature) return ZqFormat::Emf;
  if (LooksLikeSvg(std::string_view(reinterpret_cast<const char*>(h), n))) return ZqFormat::Svg;
  return ZqFormat::Unknown;
}

ZqFormat DetectFormat(ZqByteReader& in) {
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(in.Size(), kZqSniffBytes));
  const std::uint8_t* head = in.Span(0, n);
  return head ? DetectFormat(head, n) : ZqFormat::Unknown;
}

const ZqFormatEntry* FindFormat(ZqFormat format) {
  for (const ZqFormatEntry& e : kFormats)
    if (e.format == format) return &e;
  return nullptr;
}
