// The engine's frame trailer: how one image handle holds every frame of an animation or
// every page of a TIFF. The block begins with the first frame as an ordinary packed DIB,
// so everything that expects one raster reads the first frame; the trailer follows that
// DIB's last row:
//
//   ZqFramesHeader              magic "ZQFRAME1", frame count (first included), the
//                               first frame's delay
//   then for each further frame ZqFrameRecord (its delay and its bytes), then its
//                               packed DIB
//
// Delays are in hundredths of a second. Only the loaders' all-frames mode makes such
// handles; the savers of animations and of TIFF pages write every frame they find.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zq7/Zq7Api.h"

inline constexpr char kZqFramesMagic[8] = {'Z', 'Q', 'F', 'R', 'A', 'M', 'E', '1'};

#pragma pack(push, 1)
struct ZqFramesHeader {
  char magic[8];
  DWORD count;       // frames in the handle, the first one included (2 or more)
  DWORD firstDelay;  // the first frame's delay
};
struct ZqFrameRecord {
  DWORD delay;
  DWORD bytes;  // bytes of the packed DIB that follows
};
#pragma pack(pop)

// One frame as a loader decoded it, and how long it stays.
struct ZqLoadedFrame {
  HGLOBAL dib = 0;  // a packed DIB; ZqJoinFrames frees it
  DWORD delay = 0;
};

// Joins frames (two or more) into one handle: the first frame's DIB grown by the
// trailer. Frees every frame's handle, also on failure. ZQ_ERR_TOO_LARGE when the
// whole would pass the engine's DIB cap, ZQ_ERR_NO_MEMORY when it cannot be allocated.
WORD ZqJoinFrames(std::vector<ZqLoadedFrame>& frames, HGLOBAL* out);
