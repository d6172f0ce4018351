// JPEG writing over libjpeg-turbo: baseline or progressive, the quality and chroma
// subsampling asked for, grey images as one component, the comment as a COM marker and
// the resolution as the JFIF density in dots per inch.
#pragma once

#include <string>

#include "zq7/Zq7Api.h"

class ZqProgress;
class ZqRaster;

struct ZqJpegOptions {
  bool progressive = false;
  int quality = 75;       // 1..100
  int subsampling = 0;    // 0 4:2:0, 1 4:2:2, 2 4:4:4
  std::string comment;
};

WORD ZqJpegWrite(const ZqRaster& image, const ZqJpegOptions& options, const std::string& path, ZqProgress& progress);
