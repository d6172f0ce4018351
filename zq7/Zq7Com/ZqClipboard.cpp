#include "zq7/Zq7Com/ZqClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

// The clipboard exists only inside a GUI application.
QClipboard* Clipboard() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    ZqSetErrorStatus(ZQ_ERR_NOT_AVAILABLE);
    return nullptr;
  }
  return QGuiApplication::clipboard();
}

bool HoldsImage(const QClipboard& clipboard) {
  const QMimeData* data = clipboard.mimeData();
  return data && data->hasImage();
}

}  // namespace

ZQ_EXPORT HGLOBAL ZQGetFromClipBrd(HWND owner, LONG reserved1, LONG reserved2, LONG reserved3, LONG reserved4) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    if (reserved1 || reserved2 || reserved3 || reserved4) {
      ZqSetErrorStatus(ZQ_ERR_BAD_PARAMETER);
      return 0;
    }
    QClipboard* clipboard = Clipboard();
    if (!clipboard) return 0;
    if (!HoldsImage(*clipboard)) {
      ZqSetErrorStatus(ZQ_ERR_UNSUPPORTED);
      return 0;
    }
    const QImage image = clipboard->image();
    if (static_cast<std::uint64_t>(image.width()) * static_cast<std::uint64_t>(image.height()) > kZqMaxPixels) {
      ZqSetErrorStatus(ZQ_ERR_TOO_LARGE);
      return 0;
    }
    return zq::FromQImage(image);
  });
}

ZQ_EXPORT BOOL ZQSetToClipBrd(HWND owner, HGLOBAL image, LONG reserved1, LONG reserved2, LONG reserved3, LONG reserved4) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    zq::RasterLock r(image);
    if (!r || reserved1 || reserved2 || reserved3 || reserved4) {
      ZqSetErrorStatus(ZQ_ERR_BAD_PARAMETER);
      return FALSE;
    }
    QClipboard* clipboard = Clipboard();
    if (!clipboard) return FALSE;
    const QImage picture = zq::ToQImage(r);
    if (picture.isNull()) {
      ZqSetErrorStatus(ZQ_ERR_NO_MEMORY);
      return FALSE;
    }
    clipboard->setImage(picture);
    ZqSetErrorStatus(ZQ_OK);
    return TRUE;
  });
}

ZQ_EXPORT void ZQClearClipBrd(HWND owner) {
  zq::Guard<BOOL>(FALSE, [&] {
    QClipboard* clipboard = Clipboard();
    if (!clipboard) return FALSE;
    clipboard->clear();
    return zq::Ok();
  });
}

ZQ_EXPORT BOOL ZQIsClipBrdData(HWND owner) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    QClipboard* clipboard = Clipboard();
    if (!clipboard) return FALSE;
    ZqSetErrorStatus(ZQ_OK);
    return HoldsImage(*clipboard) ? TRUE : FALSE;
  });
}
