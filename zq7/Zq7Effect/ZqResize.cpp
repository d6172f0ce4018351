#include "zq7/Zq7Effect/ZqResize.h"

#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"

ZQ_EXPORT BOOL ZQResizeEx(HGLOBAL* images, HGLOBAL* result, LONG width, LONG height, LONG smooth, LONG reserved1,
                          LONG reserved2, LONG reserved3, LONG reserved4) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (result) *result = 0;
    if (!images || !result || images[1] != 0 || reserved1 || reserved2 || reserved3 || reserved4 || width <= 0 ||
        height <= 0 || GetImageHandleType(images[0]) != ZQ_KIND_RASTER) {
      ZqSetErrorStatus(ZQ_ERR_BAD_PARAMETER);
      return FALSE;
    }
    const HGLOBAL resized = SetImageSize(images[0], width, height);
    // SetImageSize hands the source back unresized when memory runs short; it then stays
    // in the caller's slot.
    if (!resized || ZQGetErrorStatus() != ZQ_OK) return FALSE;
    images[0] = 0;
    *result = resized;
    return TRUE;
  });
}
