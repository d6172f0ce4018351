// Our own BMP reader: Windows headers of every version (40, 52, 56, 108, 124 bytes), OS/2
// 1.x (12 bytes, three-byte palette entries) and 2.x (16 to 64 bytes) headers, 1, 2, 4,
// 8, 16, 24 and 32 bits, BI_RGB, BI_RLE4, BI_RLE8 and bit fields (with or without alpha),
// bottom-up and top-down. Palette images stay palette DIBs (2 bits widen to 8, RLE
// expands to plain 4 or 8 bits, pixels an RLE delta skips take index 0), 16 and 32-bit
// images become 24-bit BGR, or 32-bit BGRA when an alpha mask is given. Embedded JPEG or
// PNG data, OS/2 Huffman and RLE24 and 64-bit pixels are refused as unsupported.
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;
struct ZqBmpHeader;

// Decodes the BMP file whose headers typing parsed into header: checks the picture's
// size against the caps and the file's length first, then reads the colour table and
// the pixels, a band of rows at a time. Gives a packed DIB (*out, owned by the caller)
// and ZQ_OK, or a status with *out 0.
WORD ZqBmpDecode(ZqFile& file, const ZqBmpHeader& header, ZqProgress& progress, HGLOBAL* out);
