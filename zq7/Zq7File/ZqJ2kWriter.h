// JPEG 2000 writing over openjpeg, as a JP2 file or a raw code stream: images with a
// grey colour table as one grey component, 32-bit images with alpha as RGBA, all others
// as RGB, 8 bits per sample. Lossless uses the reversible 5/3 wavelet and keeps every
// pixel; lossy uses the irreversible 9/7 wavelet at the compression ratio asked for.
// openjpeg encodes the whole picture in one call, so progress moves while the samples
// are prepared and a cancellation takes effect before the encoding starts. The
// resolution is not written: openjpeg writes no JP2 resolution box.
#pragma once

#include <string>

#include "zq7/Zq7Api.h"

class ZqProgress;
class ZqRaster;

struct ZqJ2kOptions {
  bool codestream = false;  // a raw code stream instead of a JP2 file
  bool lossless = true;
  int ratio = 10;           // lossy: compressed to 1/ratio of the samples' size
  int resolutions = 6;      // wavelet levels plus one, cut to what the size allows
  std::string comment;      // a COM marker
};

WORD ZqJ2kWrite(const ZqRaster& image, const ZqJ2kOptions& options, const std::string& path, ZqProgress& progress);
