// JPEG decoding over libjpeg-turbo: grey images as 8-bit palette DIBs, colour as 24-bit
// BGR (CMYK and YCCK converted, Adobe's inverted CMYK recognised).
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;

// Decodes the JPEG file into a packed DIB (*out, owned by the caller) and returns ZQ_OK,
// or a status with *out left 0.
WORD ZqJpegDecode(ZqFile& file, ZqProgress& progress, HGLOBAL* out);
