#include "zq7/Zq7VectCom/ZqVectImage.h"

#include <cstring>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7Com/ZqVectorImage.h"
#include "zq7/Zq7File/ZqFileType.h"

namespace {

using zq::Fail;
using zq::Ok;

// Reads two values of a vector image's header into the caller's variables.
template <typename Get>
BOOL ReadPair(HGLOBAL image, LONG* a, LONG* b, Get get) {
  return zq::Guard<BOOL>(FALSE, [&] {
    if (!a || !b) return Fail(ZQ_ERR_BAD_PARAMETER);
    const ZqVectorLock lock(image);
    if (!lock) return Fail(ZQ_ERR_BAD_PARAMETER);
    get(lock.header(), *a, *b);
    return Ok();
  });
}

WORD KindOfCode(WORD code) {
  switch (code) {
    case ZQ_CODE_WMF: return ZQ_KIND_WMF;
    case ZQ_CODE_EMF: return ZQ_KIND_EMF;
    case ZQ_CODE_DXF: return ZQ_KIND_DXF;
    case ZQ_CODE_SVG: return ZQ_KIND_SVG;
    default: return ZQ_KIND_INVALID;
  }
}

}  // namespace

ZQ_EXPORT BOOL ZQGetVectImagePixelSize(HGLOBAL image, LONG* width, LONG* height) {
  return ReadPair(image, width, height, [](const ZqVectorHeader& h, LONG& w, LONG& v) {
    w = static_cast<LONG>(h.width);
    v = static_cast<LONG>(h.height);
  });
}

ZQ_EXPORT BOOL ZQGetVectImageDpi(HGLOBAL image, LONG* xdpi, LONG* ydpi) {
  return ReadPair(image, xdpi, ydpi, [](const ZqVectorHeader& h, LONG& x, LONG& y) {
    x = static_cast<LONG>(h.xdpi);
    y = static_cast<LONG>(h.ydpi);
  });
}

ZQ_EXPORT WORD ZQGetVectImageType(HGLOBAL image) {
  return zq::Guard<WORD>(ZQ_KIND_INVALID, [&]() -> WORD {
    const ZqVectorLock lock(image);
    return lock ? Ok(lock.header().kind) : Fail<WORD>(ZQ_ERR_BAD_PARAMETER, ZQ_KIND_INVALID);
  });
}

ZQ_EXPORT DWORD ZQGetVectImageMemorySize(HGLOBAL image) {
  return zq::Guard<DWORD>(0, [&]() -> DWORD {
    const ZqVectorLock lock(image);
    return lock ? Ok(static_cast<DWORD>(sizeof(ZqVectorHeader) + lock.bytes())) : Fail<DWORD>(ZQ_ERR_BAD_PARAMETER, 0);
  });
}

ZQ_EXPORT HGLOBAL ZQCopyVectImage(HGLOBAL image) {
  return ZQGetVectImageType(image) == ZQ_KIND_INVALID ? 0 : ZQCopyImage(image);
}

ZQ_EXPORT BOOL ZQFreeVectImage(HGLOBAL image) {
  return ZQGetVectImageType(image) == ZQ_KIND_INVALID ? FALSE : ZQFreeMemory(image);
}

ZQ_EXPORT WORD ZQGetVectFileType(LPCSTR name) {
  return zq::Guard<WORD>(ZQ_KIND_INVALID, [&]() -> WORD {
    ZqFileInfo info{};
    if (!ZQFileType(name, 0, &info)) return ZQ_KIND_INVALID;  // typing's status stands
    const WORD kind = KindOfCode(info.code);
    return kind == ZQ_KIND_INVALID ? Fail<WORD>(ZQ_ERR_UNSUPPORTED, kind) : Ok(kind);
  });
}

ZQ_EXPORT HGLOBAL ZQCreateVectImage(LONG width, LONG height, LONG xdpi, LONG ydpi) {
  return ZQCreateVectImageEx(ZQ_KIND_EMF, width, height, xdpi, ydpi);
}

ZQ_EXPORT HGLOBAL ZQCreateVectImageEx(BYTE kind, LONG width, LONG height, LONG xdpi, LONG ydpi) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    if (kind < ZQ_KIND_WMF || kind > ZQ_KIND_SVG || width <= 0 || height <= 0 || xdpi < 0 || ydpi < 0 ||
        width > LONG(kZqMaxVectorSide) || height > LONG(kZqMaxVectorSide))
      return Fail(ZQ_ERR_BAD_PARAMETER);
    HGLOBAL out = 0;
    const WORD status = ZqNewVectorImage(kind, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                         static_cast<std::uint32_t>(xdpi ? xdpi : kZqDefaultDpi),
                                         static_cast<std::uint32_t>(ydpi ? ydpi : kZqDefaultDpi), nullptr, 0, &out);
    return status == ZQ_OK ? Ok(out) : Fail<HGLOBAL>(status, 0);
  });
}
