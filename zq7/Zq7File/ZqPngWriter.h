// PNG writing over libpng, at the image's own depth: a colour table that is the even
// grey ramp of its depth becomes a grey PNG of 1, 4 or 8 bits, any other table a palette
// PNG, 32-bit images with alpha RGBA, the rest RGB. Optional Adam7 interlace, a
// transparent colour as tRNS, a comment as a tEXt chunk "Comment" and the resolution as
// pHYs. Several frames make an animated PNG: Debian's libpng writes no animation
// chunks, so acTL, fcTL and fdAT are framed here and each further frame's rows are
// deflated with zlib, as libpng does for IDAT. Every frame of an animation is the size of
// the first and is shown whole (no blending with the one before); frames are not
// interlaced, and they share one pixel format: the first frame's palette or grey form
// when every frame has the same table, else RGB or RGBA.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "zq7/Zq7Api.h"

class ZqProgress;
struct ZqSaveFrame;

struct ZqPngOptions {
  bool interlace = false;
  std::optional<RGBQUAD> transparent;  // rgbRed, rgbGreen, rgbBlue of the transparent colour
  std::string comment;
};

// Writes the frames (one for a still image) to the file at path.
WORD ZqPngWrite(const std::vector<ZqSaveFrame>& frames, const ZqPngOptions& options, const std::string& path,
                ZqProgress& progress);
