// The loaders' all-frames mode: every frame of a GIF or every page of a TIFF decoded
// one after another by the format's own decoder and joined into one handle with the
// engine's frame trailer (ZqFrames.h), GIF frames with their delays. The callback sees
// the share of frames done.
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqFormat.h"

class ZqProgress;

// format is ZqFormat::Gif or ZqFormat::Tiff. A file of one frame gives a plain DIB.
WORD ZqDecodeAllFrames(const char* path, ZqFormat format, ZqProgress& progress, HGLOBAL* out);
