// Header typing of GIF files: the logical screen, and a walk over every block (image
// data skipped by its sub-block lengths, never decompressed) to count the frames and
// find the comment.
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

// Page 0 gives the logical screen's size; a later page gives that frame's own size.
// Bits are the global colour table's, or the frame's local table's when there is no
// global one. The comment is the first comment extension, for a later page the first
// one between the end of the previous frame and the start of the next. A file cut off
// after at least one image descriptor still types, with the frames it holds.
ZqStatus ReadGifHeader(ZqByteReader& in, int page, ZqFileInfo& info);
