// Our own BMP reader: Windows headers of every version (40, 52, 56, 108, 124 bytes), OS/2
// 1.x (12 bytes, three-byte palette entries) and 2.x (16 to 64 bytes) headers, 1, 2, 4,
// 8, 16, 24 and 32 bits, BI_RGB, BI_RLE4, BI_RLE8 and bit fields (with or without alpha),
// bottom-up and top-down. Palette images stay palette DIBs (2 bits widen to 8, RLE
// expands to plain 4 or 8 bits, pixels an RLE delta skips take index 0), 16 and 32-bit
// images become 24-bit BGR, or 32-bit BGRA when an alpha mask is given. Embedded JPEG or
// PNG data, OS/2 Huffman and RLE24 and 64-bit pixels are refused as unsupported.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zq7/Zq7Api.h"

class ZqProgress;

// Decodes the BMP file held in data[0..size) into a packed DIB (*out, owned by the
// caller) and returns ZQ_OK, or a status with *out 0.
WORD ZqBmpDecode(const std::uint8_t* data, std::size_t size, ZqProgress& progress, HGLOBAL* out);
