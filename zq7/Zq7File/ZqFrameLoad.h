// The loaders' all-frames mode: every frame of a GIF or every page of a TIFF decoded
// one after another by the format's own decoder and joined into one handle with the
// engine's frame trailer (ZqFrames.h), GIF frames with their delays. The callback sees
// the share of frames done.
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqFormat.h"

class ZqFile;
class ZqProgress;

// Decodes every page of file, whose first page's headers are first (first.info.pages
// tells how many). A file of one frame gives a plain DIB.
WORD ZqDecodeAllFrames(ZqFile& file, const ZqFormatEntry& entry, const ZqHeader& first, ZqProgress& progress,
                       HGLOBAL* out);
