// Header typing of JPEG 2000: JP2 files (the boxes of the JP2 header) and raw code
// streams (the SIZ marker segment).
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

// Size and bits from ihdr (bpcc when the depth varies), resolution from the res box,
// capture resolution before display resolution.
ZqStatus ReadJp2Header(ZqByteReader& in, int page, ZqFileInfo& info);
// Size from SIZ (reference grid less the image offset), bits the sum of the
// components' depths; a code stream records no resolution.
ZqStatus ReadJ2kCodestreamHeader(ZqByteReader& in, int page, ZqFileInfo& info);
