#include "zq7/Zq7File/ZqFileType.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqBmpHeader.h"
#include "zq7/Zq7File/ZqByteReader.h"
#include "zq7/Zq7File/ZqExif.h"
#include "zq7/Zq7File/ZqFormat.h"
#include "zq7/Zq7File/ZqGifHeader.h"
#include "zq7/Zq7File/ZqHeaderInfo.h"
#include "zq7/Zq7File/ZqJp2Header.h"
#include "zq7/Zq7File/ZqJpegHeader.h"
#include "zq7/Zq7File/ZqPcxHeader.h"
#include "zq7/Zq7File/ZqPngHeader.h"
#include "zq7/Zq7File/ZqTiffHeader.h"

namespace {

ZqFormat Detect(ZqByteReader& in) {
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(in.Size(), kZqSniffBytes));
  const std::uint8_t* head = in.Span(0, n);
  return head ? DetectFormat(head, n) : ZqFormat::Unknown;
}

ZqStatus ReadHeader(ZqByteReader& in, ZqFormat format, int page, ZqFileInfo& info) {
  switch (format) {
    case ZqFormat::Bmp: return ReadBmpHeader(in, page, info);
    case ZqFormat::Jpeg: return ReadJpegHeader(in, page, info);
    case ZqFormat::Png: return ReadPngHeader(in, page, info);
    case ZqFormat::Gif: return ReadGifHeader(in, page, info);
    case ZqFormat::Tiff: return ReadTiffHeader(in, page, info);
    case ZqFormat::Pcx: return ReadPcxHeader(in, page, info);
    case ZqFormat::Jp2: return ReadJp2Header(in, page, info);
    case ZqFormat::J2kCodestream: return ReadJ2kCodestreamHeader(in, page, info);
    case ZqFormat::Unknown: break;
  }
  return ZQ_ERR_UNSUPPORTED;
}

ZqStatus FileType(LPCSTR name, int page, ZqFileInfo* info) {
  if (!name || !info || page < 0) return ZQ_ERR_BAD_PARAMETER;
  // The all-frames page of the loaders describes the file as a whole: its first image.
  if (page == kZqAllPages) page = 0;
  const auto in = ZqByteReader::OpenFile(name);
  if (!in) return ZQ_ERR_FILE_NOT_FOUND;
  ZqFileInfo result{};
  const ZqStatus status = ReadHeader(*in, Detect(*in), page, result);
  if (status != ZQ_OK) return status;
  result.fileSize = ZqClampDword(in->Size());
  *info = result;
  return ZQ_OK;
}

ZqStatus JpegExifInfo(LPCSTR name, ZqExifInfo* info) {
  if (!name || !info) return ZQ_ERR_BAD_PARAMETER;
  const auto in = ZqByteReader::OpenFile(name);
  if (!in) return ZQ_ERR_FILE_NOT_FOUND;
  std::memset(info, 0, sizeof *info);
  if (Detect(*in) != ZqFormat::Jpeg) return ZQ_ERR_UNSUPPORTED;
  ZqJpegScan scan;
  if (const ZqStatus status = ScanJpeg(*in, scan); status != ZQ_OK) return status;
  if (!scan.exif) return ZQ_ERR_UNSUPPORTED;
  ZqExif exif(*in, scan.exifTiff, scan.exifLength);
  return exif.ReadHeader() && exif.ReadExifInfo(*info) ? ZQ_OK : ZQ_ERR_DAMAGED;
}

// Runs an entry's work, sets the status, and keeps every exception inside the library.
template <typename Work>
BOOL Entry(Work work) {
  ZqStatus status = ZQ_ERR_NO_MEMORY;
  try {
    status = work();
  } catch (const std::bad_alloc&) {
    status = ZQ_ERR_NO_MEMORY;
  } catch (...) {
    status = ZQ_ERR_DAMAGED;
  }
  ZqSetErrorStatus(status);
  return status == ZQ_OK ? TRUE : FALSE;
}

}  // namespace

ZQ_EXPORT BOOL ZQFileType(LPCSTR name, int page, ZqFileInfo* info) {
  return Entry([&] { return FileType(name, page, info); });
}

ZQ_EXPORT BOOL ZQJpegExifInfo(LPCSTR name, ZqExifInfo* info) {
  return Entry([&] { return JpegExifInfo(name, info); });
}
