// JPEG decoding over libjpeg-turbo: grey images as 8-bit palette DIBs, colour as 24-bit
// BGR (CMYK and YCCK converted, Adobe's inverted CMYK recognised).
#pragma once

#include <cstdint>

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;

// Decodes the JPEG data that starts at offset of the file (0 for a JPEG file, further
// on for one embedded in a BMP) into a packed DIB (*out, owned by the caller) and returns ZQ_OK,
// or a status with *out left 0.
WORD ZqJpegDecode(ZqFile& file, std::uint64_t offset, ZqProgress& progress, HGLOBAL* out);
