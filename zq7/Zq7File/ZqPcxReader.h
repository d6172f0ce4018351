// Our own PCX reader: run-length or plain data, 1 bit in one plane (a 1-bit DIB, 0 black
// and 1 white), 1 bit in 2 to 4 planes (a 4-bit DIB with the header's palette), 2 and 4 bits in one plane, 8 bits with the 256-colour palette at the
// end of the file (a grey ramp when it is missing), and 8 bits in 3 or 4 planes (24-bit
// BGR or 32-bit BGRA). The resolution is the header's HDpi and VDpi as stored.
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;
struct ZqPcxHeader;

// Decodes the PCX file whose header typing parsed into header: checks the picture's
// size against the caps and the file's length first, then reads the data. Gives a
// packed DIB (*out, owned by the caller) and ZQ_OK, or a status with *out 0.
WORD ZqPcxDecode(ZqFile& file, const ZqPcxHeader& header, ZqProgress& progress, HGLOBAL* out);
