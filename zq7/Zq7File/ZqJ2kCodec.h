// JPEG 2000 decoding over openjpeg, for JP2 files and raw code streams: one component
// becomes an 8-bit grey palette DIB, grey with alpha and RGB with alpha 32-bit BGRA,
// three components and CMYK 24-bit BGR (sYCC and CMYK converted); deeper or signed samples are
// scaled to 8 bits and subsampled components are widened to the full grid. openjpeg
// decodes the whole picture in one call, so progress moves while the result is copied
// into the DIB, and a cancellation takes effect after the decode.
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;

// Decodes the JPEG 2000 file (codestream true for a raw code stream) into a packed
// DIB (*out, owned by the caller) and returns ZQ_OK, or a status with *out 0.
WORD ZqJ2kDecode(ZqFile& file, bool codestream, ZqProgress& progress, HGLOBAL* out);
