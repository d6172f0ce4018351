#include "zq7/Zq7File/ZqJpegHeader.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "zq7/Zq7File/ZqExif.h"
#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

bool IsFrameHeader(BYTE marker) {
  // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC), which share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsProgressive(BYTE sof) { return sof == 0xC2 || sof == 0xC6 || sof == 0xCA || sof == 0xCE; }

bool StartsWith(const std::uint8_t* p, std::size_t n, std::string_view sig) {
  return n >= sig.size() && std::memcmp(p, sig.data(), sig.size()) == 0;
}

}  // namespace

ZqStatus ScanJpeg(ZqByteReader& in, ZqJpegScan& scan) {
  in.SetBigEndian(true);
  in.Seek(2);  // past SOI
  for (;;) {
    // Find the next marker: stray bytes up to an 0xFF are skipped, then fill bytes.
    BYTE b = in.U8();
    while (in.Ok() && b != 0xFF) b = in.U8();
    while (in.Ok() && b == 0xFF) b = in.U8();
    if (!in.Ok()) break;
    const BYTE marker = b;
    if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD9 || marker == 0xDA) break;  // EOI, or the first scan: the header is over
    const std::uint64_t length = in.U16();
    if (!in.Ok() || length < 2 || length - 2 > in.Remaining()) break;
    const std::uint64_t payload = in.Tell();
    const std::size_t n = static_cast<std::size_t>(length - 2);
    if (IsFrameHeader(marker) && scan.sofMarker == 0) {
      if (n < 6) break;
      scan.sofMarker = marker;
      scan.precision = in.U8();
      scan.height = in.U16();
      scan.width = in.U16();
      scan.components = in.U8();
    } else if (marker == 0xE0 && !scan.jfif) {
      const std::uint8_t* p = in.Span(payload, std::min<std::size_t>(n, 14));
      if (p && n >= 12 && StartsWith(p, n, std::string_view("JFIF\0", 5))) {
        scan.jfif = true;
        scan.jfifUnit = p[7];
        scan.jfifX = LoadU16(p + 8, true);
        scan.jfifY = LoadU16(p + 10, true);
      }
    } else if (marker == 0xE1 && !scan.exif) {
      const std::uint8_t* p = in.Span(payload, std::min<std::size_t>(n, 6));
      if (p && n >= 6 && StartsWith(p, n, std::string_view("Exif\0", 5))) {
        scan.exif = true;
        scan.exifTiff = payload + 6;
        scan.exifLength = n - 6;
      }
    } else if (marker == 0xFE && !scan.comment) {
      scan.comment = true;
      scan.commentOffset = payload;
      scan.commentLength = n;
    }
    in.Seek(payload + n);
  }
  return scan.sofMarker ? ZQ_OK : ZQ_ERR_DAMAGED;
}

ZqStatus ReadJpegHeader(ZqByteReader& in, int page, ZqFileInfo& info) {
  ZqJpegScan scan;
  if (const ZqStatus status = ScanJpeg(in, scan); status != ZQ_OK) return status;
  if (page > 0) return ZQ_ERR_BAD_PARAMETER;
  info.width = scan.width;
  info.height = scan.height;
  info.bitCount = static_cast<WORD>(scan.precision * scan.components);
  info.code = scan.exif ? ZQ_CODE_JPEG_EXIF : IsProgressive(scan.sofMarker) ? ZQ_CODE_JPEG_PROGRESSIVE : ZQ_CODE_JPEG_BASELINE;
  info.pages = 1;

  // Exif IFD0 first, as cameras write it; JFIF density only when Exif gives nothing usable.
  bool haveDpi = false;
  if (scan.exif) {
    ZqExif exif(in, scan.exifTiff, scan.exifLength);
    std::vector<ZqIfdEntry> ifd0;
    std::uint64_t next = 0;
    if (exif.ReadHeader() && exif.ReadIfd(exif.FirstIfd(), ifd0, next)) {
      if (const auto dpi = exif.ResolutionDpi(ifd0)) {
        info.xdpi = dpi->first;
        info.ydpi = dpi->second;
        haveDpi = true;
      }
    }
  }
  if (!haveDpi && scan.jfif && (scan.jfifUnit == 1 || scan.jfifUnit == 2)) {
    const ZqLengthUnit unit = scan.jfifUnit == 1 ? ZqLengthUnit::Inch : ZqLengthUnit::Centimetre;
    info.xdpi = ZqDpi(scan.jfifX, 1, unit);
    info.ydpi = ZqDpi(scan.jfifY, 1, unit);
  }
  if (scan.comment) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(scan.commentLength, sizeof info.comment));
    if (const std::uint8_t* p = in.Span(scan.commentOffset, n))
      ZqSetComment(info, std::string_view(reinterpret_cast<const char*>(p), n));
  }
  return ZQ_OK;
}
