#include "zq7/Zq7File/ZqFileType.h"

#include <cstring>

#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqByteReader.h"
#include "zq7/Zq7File/ZqExif.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqHeaderInfo.h"
#include "zq7/Zq7File/ZqJpegHeader.h"

namespace {

WORD FileType(LPCSTR name, int page, ZqFileInfo* info) {
  if (!name || !info || page < 0) return ZQ_ERR_BAD_PARAMETER;
  const auto file = ZqFile::OpenRead(name);
  if (!file) return ZQ_ERR_FILE_NOT_FOUND;
  ZqByteReader in(*file);
  ZqHeader header;
  if (const ZqStatus status = ZqReadHeaders(in, DetectFormat(in), page, header); status != ZQ_OK) return status;
  *info = header.info;
  return ZQ_OK;
}

WORD JpegExifInfo(LPCSTR name, ZqExifInfo* info) {
  if (!name || !info) return ZQ_ERR_BAD_PARAMETER;
  const auto file = ZqFile::OpenRead(name);
  if (!file) return ZQ_ERR_FILE_NOT_FOUND;
  ZqByteReader in(*file);
  std::memset(info, 0, sizeof *info);
  if (DetectFormat(in) != ZqFormat::Jpeg) return ZQ_ERR_UNSUPPORTED;
  ZqJpegScan scan;
  if (const ZqStatus status = ScanJpeg(in, scan); status != ZQ_OK) return status;
  if (!scan.exif) return ZQ_ERR_UNSUPPORTED;
  ZqExif exif(in, scan.exifTiff, scan.exifLength);
  return exif.ReadHeader() && exif.ReadExifInfo(*info) ? ZQ_OK : ZQ_ERR_DAMAGED;
}

}  // namespace

ZqStatus ZqReadHeaders(ZqByteReader& in, ZqFormat format, int page, ZqHeader& header) {
  const ZqFormatEntry* entry = FindFormat(format);
  if (!entry) return ZQ_ERR_UNSUPPORTED;
  // The all-frames page of the loaders describes the file as a whole: its first image.
  if (page == kZqAllPages) page = 0;
  if (const ZqStatus status = entry->readHeader(in, page, header); status != ZQ_OK) return status;
  header.info.fileSize = ZqClampDword(in.Size());
  return ZQ_OK;
}

ZQ_EXPORT BOOL ZQFileType(LPCSTR name, int page, ZqFileInfo* info) {
  return zq::GuardStatus([&] { return FileType(name, page, info); });
}

ZQ_EXPORT BOOL ZQJpegExifInfo(LPCSTR name, ZqExifInfo* info) {
  return zq::GuardStatus([&] { return JpegExifInfo(name, info); });
}
