// TIFF decoding over libtiff. The common layouts are decoded strip by strip or tile by
// tile and converted row by row: bilevel, grey and palette images of 1, 2, 4, 8 or 16
// bits as palette DIBs (1 and 4 bits kept, others 8; min-is-white keeps its pixels and
// reverses the palette), RGB of 8 or 16 bits as 24-bit BGR or, with an alpha sample,
// 32-bit BGRA, CMYK as BGR, and JPEG-compressed YCbCr through libjpeg's own conversion.
// Every other photometric, planar layout or depth goes through libtiff's RGBA reader.
// libtiff's messages never reach the terminal; an error becomes a status.
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;

// Decodes directory page (from 0) of the TIFF file into a packed DIB (*out, owned by the caller) and returns ZQ_OK, or a status with *out 0
// (ZQ_ERR_BAD_PARAMETER for a page the file does not have).
WORD ZqTiffDecode(ZqFile& file, int page, ZqProgress& progress, HGLOBAL* out);
