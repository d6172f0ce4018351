// GIF writing over giflib. Images of 1 to 8 bits keep their colour table; deeper ones
// are quantised to 256 colours by libimagequant, the field's well-kept quantiser, with
// its default dithering; a 32-bit image's transparent pixels (alpha below 128) take one
// transparent entry. An animation loops for ever (a NETSCAPE2.0 application extension)
// and adds its frames after those of the GIF already at the target; each frame carries
// a graphic control extension with its delay. Files are GIF89a when they carry any
// extension, else GIF87a.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "zq7/Zq7Api.h"

class ZqProgress;
struct ZqSaveFrame;

struct ZqGifOptions {
  bool interlace = false;
  std::optional<RGBQUAD> transparent;  // the colour whose nearest table entry is transparent
  bool animation = false;              // add every frame to the GIF at existing (or start one)
  DWORD delay = 0;                     // hundredths of a second; 0 keeps each frame's own
  std::string comment;                 // a comment extension before the first frame written
  std::string existing;                // the GIF an animation adds to; empty for none
};

// Writes the first frame, or with animation every frame after existing's, to path.
// ZQ_ERR_UNSUPPORTED when an animation is to add to a file that is not a readable GIF.
WORD ZqGifWrite(const std::vector<ZqSaveFrame>& frames, const ZqGifOptions& options, const std::string& path,
                ZqProgress& progress);
