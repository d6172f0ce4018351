#include "zq7/Zq7File/ZqFileSave.h"

#include <string>

#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqBmpWriter.h"
#include "zq7/Zq7File/ZqGifWriter.h"
#include "zq7/Zq7File/ZqJ2kWriter.h"
#include "zq7/Zq7File/ZqJpegWriter.h"
#include "zq7/Zq7File/ZqPcxWriter.h"
#include "zq7/Zq7File/ZqPngWriter.h"
#include "zq7/Zq7File/ZqTiffWriter.h"
#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"
#include "zq7/Zq7File/ZqFile.h"

namespace {

// The one saving path: checks the image, makes the sibling (a copy of the target when
// the save adds to it), lets write fill it and renames it onto the target; the guard
// sets the status and lets nothing escape.
template <typename Write>
BOOL Save(LPCSTR name, HGLOBAL image, ZqProgressProc callback, bool adds, Write&& write) {
  return zq::GuardStatus([&]() -> WORD {
    if (!name || !*name) return ZQ_ERR_BAD_PARAMETER;
    ZqSaveImage source;
    if (const WORD s = source.Open(image); s != ZQ_OK) return s;
    ZqSaveTarget target(name);
    ZqProgress progress(callback);
    if (const WORD s = target.Create(adds); s != ZQ_OK) return s;
    if (const WORD s = write(source, target, progress); s != ZQ_OK) return s;
    return target.Commit();
  });
}

}  // namespace

ZQ_EXPORT BOOL ZQBmpFileSave(LPCSTR name, HGLOBAL image, LONG runLength, ZqProgressProc callback, LPCSTR, LPCSTR,
                             LPCSTR) {
  return Save(name, image, callback, false, [&](const ZqSaveImage& src, const ZqSaveTarget& target, ZqProgress& p) {
    return ZqBmpWrite(src.first(), runLength != 0, target.path(), p);
  });
}

ZQ_EXPORT BOOL ZQJpegFileSave(LPCSTR name, HGLOBAL image, LONG progressive, LONG quality, LONG subsampling,
                              LPCSTR comment, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  if (quality < 0 || quality > 100 || subsampling < 0 || subsampling > 2) {
    return zq::Fail(ZQ_ERR_BAD_PARAMETER);
  }
  return Save(name, image, callback, false, [&](const ZqSaveImage& src, const ZqSaveTarget& target, ZqProgress& p) {
    const ZqJpegOptions options{progressive != 0, quality == 0 ? 75 : static_cast<int>(quality),
                                static_cast<int>(subsampling), comment ? comment : ""};
    return ZqJpegWrite(src.first(), options, target.path(), p);
  });
}

ZQ_EXPORT BOOL ZQPngFileSaveEx(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE red, BYTE green,
                               BYTE blue, LONG multiFrame, LPCSTR comment, ZqProgressProc callback, LPCSTR, LPCSTR,
                               LPCSTR) {
  return Save(name, image, callback, false, [&](const ZqSaveImage& src, const ZqSaveTarget& target, ZqProgress& p) {
    ZqPngOptions options{interlace != 0, std::nullopt, comment ? comment : ""};
    if (transparent) options.transparent = RGBQUAD{blue, green, red, 0};
    const std::vector<ZqSaveFrame> first(src.frames().begin(), src.frames().begin() + 1);
    return ZqPngWrite(multiFrame ? src.frames() : first, options, target.path(), p);
  });
}

ZQ_EXPORT BOOL ZQPngFileSave(LPCSTR name, HGLOBAL image, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                             LPCSTR button) {
  return ZQPngFileSaveEx(name, image, 0, 0, 0, 0, 0, 0, "", callback, caption, message, button);
}

ZQ_EXPORT BOOL ZQTiffFileSave(LPCSTR name, HGLOBAL image, LONG compression, LONG colorSpaceOrQuality, LONG append,
                              LPCSTR comment, LONG oneStrip, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  const bool jpeg = compression == 7;
  if (compression < 0 || compression > 7 || colorSpaceOrQuality < 0 || colorSpaceOrQuality > (jpeg ? 100 : 1)) {
    return zq::Fail(ZQ_ERR_BAD_PARAMETER);
  }
  return Save(name, image, callback, append != 0, [&](const ZqSaveImage& src, const ZqSaveTarget& target, ZqProgress& p) {
    ZqTiffOptions options;
    options.compression = static_cast<ZqTiffCompression>(compression);
    options.cmyk = !jpeg && colorSpaceOrQuality == 1;
    options.quality = jpeg && colorSpaceOrQuality > 0 ? static_cast<int>(colorSpaceOrQuality) : 75;
    options.append = append != 0 && target.targetExisted();
    options.oneStrip = oneStrip != 0;
    options.comment = comment ? comment : "";
    return ZqTiffWrite(src.frames(), options, target.path(), p);
  });
}

ZQ_EXPORT BOOL ZQGifFileSave(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE red, BYTE green,
                             BYTE blue, LONG animation, LONG delay, LPCSTR comment, ZqProgressProc callback, LPCSTR,
                             LPCSTR, LPCSTR) {
  if (delay < 0) {
    return zq::Fail(ZQ_ERR_BAD_PARAMETER);
  }
  return Save(name, image, callback, false, [&](const ZqSaveImage& src, const ZqSaveTarget& target, ZqProgress& p) {
    ZqGifOptions options;
    options.interlace = interlace != 0;
    if (transparent) options.transparent = RGBQUAD{blue, green, red, 0};
    options.animation = animation != 0;
    options.delay = static_cast<DWORD>(delay);
    options.comment = comment ? comment : "";
    // The frames are added to the target as it stands; the sibling receives the whole.
    if (options.animation && target.targetExisted()) options.existing = name;
    return ZqGifWrite(src.frames(), options, target.path(), p);
  });
}

ZQ_EXPORT BOOL ZQPcxFileSave(LPCSTR name, HGLOBAL image, ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Save(name, image, callback, false, [&](const ZqSaveImage& src, const ZqSaveTarget& target, ZqProgress& p) {
    return ZqPcxWrite(src.first(), target.path(), p);
  });
}

ZQ_EXPORT BOOL ZQJ2kFileSave(LPCSTR name, HGLOBAL image, LONG codeStream, LONG lossless, LONG value1, LONG value2,
                             LONG r1, LONG r2, LONG r3, LONG r4, LONG r5, LONG r6, LONG r7, LPCSTR comment,
                             ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  if (value1 < 0 || value1 > 1000 || value2 < 0 || value2 > 32 || r1 || r2 || r3 || r4 || r5 || r6 || r7) {
    return zq::Fail(ZQ_ERR_BAD_PARAMETER);
  }
  return Save(name, image, callback, false, [&](const ZqSaveImage& src, const ZqSaveTarget& target, ZqProgress& p) {
    ZqJ2kOptions options;
    options.codestream = codeStream != 0;
    options.lossless = lossless != 0;
    if (value1 > 0) options.ratio = static_cast<int>(value1);
    if (value2 > 0) options.resolutions = static_cast<int>(value2);
    options.comment = comment ? comment : "";
    return ZqJ2kWrite(src.first(), options, target.path(), p);
  });
}
