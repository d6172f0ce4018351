#include "zq7/Zq7File/ZqFileLoad.h"

#include <cstdio>
#include <new>
#include <vector>

#include "platform/dib.h"
#include "platform/memory.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqBmpReader.h"
#include "zq7/Zq7File/ZqFileBytes.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "zq7/Zq7File/ZqFormat.h"
#include "zq7/Zq7File/ZqFrameLoad.h"
#include "zq7/Zq7File/ZqGifCodec.h"
#include "zq7/Zq7File/ZqJ2kCodec.h"
#include "zq7/Zq7File/ZqJpegCodec.h"
#include "zq7/Zq7File/ZqPcxReader.h"
#include "zq7/Zq7File/ZqPngCodec.h"
#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqTiffCodec.h"

namespace {

WORD DecodeWhole(const char* name, WORD (*decode)(const std::uint8_t*, std::size_t, ZqProgress&, HGLOBAL*),
                 ZqProgress& progress, HGLOBAL* out) {
  std::vector<std::uint8_t> bytes;
  if (const WORD s = ZqReadFileBytes(name, &bytes); s != ZQ_OK) return s;
  return decode(bytes.data(), bytes.size(), progress, out);
}

WORD Decode(const char* name, ZqFormat format, int page, ZqProgress& progress, HGLOBAL* out) {
  const bool multiPage = format == ZqFormat::Gif || format == ZqFormat::Tiff;
  if (!multiPage && page != 0 && page != kZqAllPages) return ZQ_ERR_BAD_PARAMETER;
  switch (format) {
    case ZqFormat::Bmp:
      return DecodeWhole(name, ZqBmpDecode, progress, out);
    case ZqFormat::Pcx:
      return DecodeWhole(name, ZqPcxDecode, progress, out);
    case ZqFormat::Jpeg:
      return ZqJpegDecode(name, progress, out);
    case ZqFormat::Png:
      return ZqPngDecode(name, progress, out);
    case ZqFormat::Gif:
      return page == kZqAllPages ? ZqDecodeAllFrames(name, format, progress, out) : ZqGifDecode(name, page, progress, out);
    case ZqFormat::Tiff:
      return page == kZqAllPages ? ZqDecodeAllFrames(name, format, progress, out) : ZqTiffDecode(name, page, progress, out);
    case ZqFormat::Jp2:
      return ZqJ2kDecode(name, false, progress, out);
    case ZqFormat::J2kCodestream:
      return ZqJ2kDecode(name, true, progress, out);
    case ZqFormat::Unknown:
      break;
  }
  return ZQ_ERR_UNSUPPORTED;
}

// The JPEG and JPEG 2000 decoders see only part of the resolution records a file may
// hold (not Exif, not the JP2 resolution box); the header reading applies every rule,
// so its resolution goes into the loaded image.
void TakeHeaderResolution(LPCSTR name, int page, HGLOBAL image) {
  ZqFileInfo info{};
  if (!ZQFileType(name, page == kZqAllPages ? 0 : page, &info)) return;
  const platform::GlobalLockGuard lock(image);
  if (auto* header = lock.as<BITMAPINFOHEADER>()) {
    header->biXPelsPerMeter = platform::PelsPerMeterFromDpi(info.xdpi);
    header->biYPelsPerMeter = platform::PelsPerMeterFromDpi(info.ydpi);
  }
}

// One load: checks the arguments, detects the format from the content and, for a
// format's own loader, insists on that format. Sets the status; nothing escapes.
HGLOBAL Load(LPCSTR name, int page, ZqProgressProc callback, bool (*accepts)(ZqFormat)) {
  HGLOBAL handle = 0;
  WORD status = ZQ_OK;
  try {
    if (!name || page < 0) {
      status = ZQ_ERR_BAD_PARAMETER;
    } else if (std::FILE* probe = std::fopen(name, "rb"); !probe) {
      status = ZQ_ERR_FILE_NOT_FOUND;
    } else {
      std::fclose(probe);
      const ZqFormat format = DetectFileFormat(name);
      ZqProgress progress(callback);
      status = accepts(format) ? Decode(name, format, page, progress, &handle) : WORD{ZQ_ERR_UNSUPPORTED};
      if (status == ZQ_OK &&
          (format == ZqFormat::Jpeg || format == ZqFormat::Jp2 || format == ZqFormat::J2kCodestream))
        TakeHeaderResolution(name, page, handle);
    }
  } catch (const std::bad_alloc&) {
    status = ZQ_ERR_NO_MEMORY;
  } catch (...) {
    status = ZQ_ERR_DAMAGED;
  }
  ZqSetErrorStatus(status);
  return status == ZQ_OK ? handle : 0;
}

}  // namespace

ZQ_EXPORT HGLOBAL ZQFileLoad(LPCSTR name, int page, int, int, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, page, callback, [](ZqFormat f) { return f != ZqFormat::Unknown; });
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
  if (mode != 1 && mode != 2) {
    ZqSetErrorStatus(ZQ_ERR_BAD_PARAMETER);
    return 0;
  }
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Png; });
}

ZQ_EXPORT HGLOBAL ZQPngFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Load(name, 0, callback, [](ZqFormat f) { return f == ZqFormat::Png; });
}
