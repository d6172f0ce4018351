#include "zq7/Zq7File/ZqFileLoad.h"

#include <algorithm>

#include "platform/dib.h"
#include "platform/memory.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7Com/ZqVectorImage.h"
#include "zq7/Zq7File/ZqByteReader.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "zq7/Zq7File/ZqFormat.h"
#include "zq7/Zq7File/ZqFrameLoad.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

// The resolution of every loaded image is the one typing read, which applies every rule
// a format has (Exif before JFIF, the JP2 resolution box, TIFF units), so that loading
// and ZQFileType never disagree.
void SetResolution(HGLOBAL image, const ZqFileInfo& info) {
  const platform::GlobalLockGuard lock(image);
  if (auto* header = lock.as<BITMAPINFOHEADER>()) {
    header->biXPelsPerMeter = platform::PelsPerMeterFromDpi(info.xdpi);
    header->biYPelsPerMeter = platform::PelsPerMeterFromDpi(info.ydpi);
  }
}

// A vector image's size: the drawing's own when both are 0, else the one asked for (a
// side of 0 follows the drawing's proportions).
void SetVectorSize(HGLOBAL image, int width, int height) {
  const ZqVectorLock lock(image);
  if (!lock || (width <= 0 && height <= 0)) return;
  ZqVectorHeader& h = lock.header();
  const std::uint64_t w = width > 0 ? std::uint64_t(width) : std::uint64_t{h.width} * std::uint64_t(height) / h.height;
  const std::uint64_t v = height > 0 ? std::uint64_t(height) : std::uint64_t{h.height} * std::uint64_t(width) / h.width;
  h.width = static_cast<DWORD>(std::clamp<std::uint64_t>(w, 1, kZqMaxVectorSide));
  h.height = static_cast<DWORD>(std::clamp<std::uint64_t>(v, 1, kZqMaxVectorSide));
}

// One load: checks the arguments, opens the file once, detects the format from the
// content (a format's own loader insists on that format), reads its headers through the
// format table and decodes the page.
WORD LoadFile(LPCSTR name, int page, int vectorWidth, int vectorHeight, ZqProgressProc callback,
              bool (*accepts)(ZqFormat), HGLOBAL* out) {
  if (!name || page < 0) return ZQ_ERR_BAD_PARAMETER;
  const auto file = ZqFile::OpenRead(name);
  if (!file) return ZQ_ERR_FILE_NOT_FOUND;
  ZqByteReader in(*file);
  const ZqFormat format = DetectFormat(in);
  const ZqFormatEntry* entry = FindFormat(format);
  if (!entry || !accepts(format)) return ZQ_ERR_UNSUPPORTED;
  if (!entry->multiPage && page != 0 && page != kZqAllPages) return ZQ_ERR_BAD_PARAMETER;
  const bool allFrames = page == kZqAllPages && entry->multiPage;
  if (page == kZqAllPages) page = 0;
  ZqHeader header;
  if (const WORD status = ZqReadHeaders(in, format, page, header); status != ZQ_OK) return status;
  ZqProgress progress(callback);
  const WORD decoded = allFrames ? ZqDecodeAllFrames(*file, *entry, header, progress, out)
                                 : entry->decode(*file, header, page, progress, out);
  if (decoded != ZQ_OK) return decoded;
  if (entry->kind == ZQ_KIND_RASTER) SetResolution(*out, header.info);
  else SetVectorSize(*out, vectorWidth, vectorHeight);
  return ZQ_OK;
}

HGLOBAL Load(LPCSTR name, int page, ZqProgressProc callback, bool (*accepts)(ZqFormat), int vectorWidth = 0,
             int vectorHeight = 0) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    HGLOBAL handle = 0;
    const WORD status = LoadFile(name, page, vectorWidth, vectorHeight, callback, accepts, &handle);
    return status == ZQ_OK ? zq::Ok(handle) : zq::Fail<HGLOBAL>(status, 0);
  });
}

}  // namespace

ZQ_EXPORT HGLOBAL ZQFileLoad(LPCSTR name, int page, int vectorWidth, int vectorHeight, ZqProgressProc callback,
                             LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, page, callback, [](ZqFormat f) { return f != ZqFormat::Unknown; }, vectorWidth, vectorHeight);
}

ZQ_EXPORT HGLOBAL ZQWmfFileLoad(LPCSTR name, int width, int height, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Wmf; }, width, height);
}

ZQ_EXPORT HGLOBAL ZQEmfFileLoad(LPCSTR name, int width, int height, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Emf; }, width, height);
}

ZQ_EXPORT HGLOBAL ZQSvgFileLoad(LPCSTR name, int width, int height, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Svg; }, width, height);
}

ZQ_EXPORT HGLOBAL ZQBmpFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Bmp; });
}

ZQ_EXPORT HGLOBAL ZQJpegFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Jpeg; });
}

ZQ_EXPORT HGLOBAL ZQPcxFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Pcx; });
}

ZQ_EXPORT HGLOBAL ZQJ2kFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Jp2 || f == ZqFormat::J2kCodestream; });
}

ZQ_EXPORT HGLOBAL ZQGifFileLoad(LPCSTR name, int page, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, page, callback, [](ZqFormat f) { return f == ZqFormat::Gif; });
}

ZQ_EXPORT HGLOBAL ZQTiffFileLoad(LPCSTR name, int page, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, page, callback, [](ZqFormat f) { return f == ZqFormat::Tiff; });
}

ZQ_EXPORT HGLOBAL ZQPngFileLoadEx(LPCSTR name, int mode, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  if (mode != 1 && mode != 2) return zq::Fail<HGLOBAL>(ZQ_ERR_BAD_PARAMETER, 0);
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Png; });
}

ZQ_EXPORT HGLOBAL ZQPngFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Png; });
}
