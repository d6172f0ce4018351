// GIF decoding over giflib. A frame becomes an 8-bit palette DIB the size of the logical
// screen (grown when a frame reaches past it), with the frame's own colour table or else
// the global one; the area the frame leaves uncovered takes the frame's transparent index
// when it has one, else the background index. Frames are decoded as stored: earlier
// frames are not composited under a later one.
#pragma once

#include "zq7/Zq7Api.h"

class ZqFile;
class ZqProgress;

// Decodes frame page (from 0) of the GIF file
// into a packed DIB (*out, owned by the caller) and returns ZQ_OK, or a status with *out 0
// (ZQ_ERR_BAD_PARAMETER for a frame the file does not have).
WORD ZqGifDecode(ZqFile& file, int page, ZqProgress& progress, HGLOBAL* out);
