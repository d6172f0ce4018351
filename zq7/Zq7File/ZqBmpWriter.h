// Our own BMP writer (the format is a header in front of the DIB itself): BI_RGB at 1, 4,
// 8, 24 or 32 bits, or run-length encoded (RLE8 for 8-bit, RLE4 for 4-bit images).
#pragma once

#include <string>

#include "zq7/Zq7Api.h"

class ZqProgress;
class ZqRaster;

// Writes image to the file at path; rle asks for run-length encoding, which only 4 and
// 8-bit images get (the others are written plain). 16-bit images are written at 24 bits.
WORD ZqBmpWrite(const ZqRaster& image, bool rle, const std::string& path, ZqProgress& progress);
