// The system clipboard as a place for raster images. The owner window is accepted for
// the callers' sake; the clipboard of this process's application object is used.
#pragma once

#include "platform/winwidget.h"
#include "zq7/Zq7Com/ZqImage.h"

// A new raster image from the picture on the clipboard; 0 with ZQ_ERR_UNSUPPORTED when
// the clipboard holds none, ZQ_ERR_NOT_AVAILABLE without a GUI application. The four
// reserved arguments must be 0.
ZQ_EXPORT HGLOBAL ZQGetFromClipBrd(HWND owner, LONG reserved1, LONG reserved2, LONG reserved3, LONG reserved4);
// Puts a copy of a raster image on the clipboard; the image stays the caller's.
ZQ_EXPORT BOOL ZQSetToClipBrd(HWND owner, HGLOBAL image, LONG reserved1, LONG reserved2, LONG reserved3, LONG reserved4);
// Empties the clipboard.
ZQ_EXPORT void ZQClearClipBrd(HWND owner);
// Nonzero when the clipboard holds a picture that ZQGetFromClipBrd can take.
ZQ_EXPORT BOOL ZQIsClipBrdData(HWND owner);
