// Vector images: the drawing session bookkeeping the display components bracket their
// life with, and drawing a vector image into a raster image or onto a device context.
#pragma once

#include "platform/gdi.h"
#include "zq7/Zq7Api.h"

// Opens a drawing session and returns its token (never 0).
ZQ_EXPORT DWORD ZQVectorGdipStart();
// Closes the session of a token from ZQVectorGdipStart; any other token is refused
// with ZQ_ERR_BAD_PARAMETER.
ZQ_EXPORT void ZQVectorGdipEnd(DWORD token);
// Renders a vector image at its reported size into a new raster image of bitCount bits
// (24, or 32 with an opaque alpha) on the background (red, green, blue); background is
// accepted either way, as a drawing always goes onto a filled page. Other depths:
// ZQ_ERR_BAD_PARAMETER. SVG is drawn (an empty drawing gives the page alone); a kind
// this build does not draw yet gives ZQ_ERR_NOT_AVAILABLE.
ZQ_EXPORT HGLOBAL ZQVectorToRaster(HGLOBAL vector, LONG bitCount, LONG background, BYTE red, BYTE green, BYTE blue);
// Draws a vector image onto dc, fitted into the rectangle (x, y, width, height) on the
// page colour background (a COLORREF), with the same kinds as ZQVectorToRaster.
ZQ_EXPORT BOOL ZQDrawVectImage(HDC dc, HGLOBAL vector, LONG x, LONG y, LONG width, LONG height, COLORREF background);
