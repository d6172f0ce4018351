// PNG decoding over libpng: palette and grey images stay palette DIBs (1, 4 or 8 bits;
// 2-bit images widen to 8), colour becomes 24-bit BGR, anything with alpha or a tRNS
// transparency 32-bit BGRA; 16-bit samples are scaled to 8. libpng's error message is
// kept and tells the status (out of memory, or damaged).
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;

// Decodes the PNG file (its one image; Debian's libpng reads no animation frames)
// into a packed DIB (*out, owned by the caller) and returns ZQ_OK, or a status with *out 0.
WORD ZqPngDecode(ZqFile& file, ZqProgress& progress, HGLOBAL* out);
