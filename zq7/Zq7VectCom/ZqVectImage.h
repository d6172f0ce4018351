// Vector image handles: their size, resolution and kind, copies, freeing, new empty
// drawings, and the kind of a vector file. Each entry answers a handle that is not a
// vector image with ZQ_ERR_BAD_PARAMETER.
#pragma once

#include "zq7/Zq7Api.h"

// The size in pixels the image reports and is drawn at.
ZQ_EXPORT BOOL ZQGetVectImagePixelSize(HGLOBAL image, LONG* width, LONG* height);
ZQ_EXPORT BOOL ZQGetVectImageDpi(HGLOBAL image, LONG* xdpi, LONG* ydpi);
// The image's kind (ZQ_KIND_WMF .. ZQ_KIND_SXF); ZQ_KIND_INVALID for anything else.
ZQ_EXPORT WORD ZQGetVectImageType(HGLOBAL image);
// Bytes of the image's block (header and drawing).
ZQ_EXPORT DWORD ZQGetVectImageMemorySize(HGLOBAL image);
// A new vector image with the same header and drawing, owned by the caller.
ZQ_EXPORT HGLOBAL ZQCopyVectImage(HGLOBAL image);
ZQ_EXPORT BOOL ZQFreeVectImage(HGLOBAL image);
// The vector kind of a file from its content; ZQ_KIND_INVALID with the typing status for
// a file that is not a vector drawing (ZQ_ERR_UNSUPPORTED for a raster image).
ZQ_EXPORT WORD ZQGetVectFileType(LPCSTR name);
// A new empty EMF drawing of width x height pixels at xdpi x ydpi (0: 96 dpi).
ZQ_EXPORT HGLOBAL ZQCreateVectImage(LONG width, LONG height, LONG xdpi, LONG ydpi);
// The same for a kind (ZQ_KIND_WMF .. ZQ_KIND_SVG).
ZQ_EXPORT HGLOBAL ZQCreateVectImageEx(BYTE kind, LONG width, LONG height, LONG xdpi, LONG ydpi);
