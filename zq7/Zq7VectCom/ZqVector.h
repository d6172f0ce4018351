// Vector images: the drawing session bookkeeping the display components bracket their
// life with, and rendering a vector image to a raster one.
#pragma once

#include "zq7/Zq7Api.h"

// Opens a drawing session and returns its token (never 0).
ZQ_EXPORT DWORD ZQVectorGdipStart();
// Closes the session of a token from ZQVectorGdipStart; any other token is refused
// with ZQ_ERR_BAD_PARAMETER.
ZQ_EXPORT void ZQVectorGdipEnd(DWORD token);
// Renders a vector image at bitCount bits (1, 4, 8, 24 or 32) on the background (red,
// green, blue), opaque when background is nonzero. No vector format is drawn by this
// build: a vector image gets ZQ_ERR_NOT_AVAILABLE, anything else ZQ_ERR_BAD_PARAMETER,
// and the result is 0.
ZQ_EXPORT HGLOBAL ZQVectorToRaster(HGLOBAL vector, LONG bitCount, LONG background, BYTE red, BYTE green, BYTE blue);
