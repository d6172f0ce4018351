// TIFF writing over libtiff. Each frame becomes one page (directory): 1-bit images as
// bilevel (black on white or white on black, as their table says) or a two-colour
// palette, grey ramps of 4 and 8 bits as grey, other tables as palettes, colour as RGB
// (RGBA with alpha) or CMYK. JPEG compression writes grey as grey and everything else
// as YCbCr. libtiff's messages never reach the terminal; an error becomes a status.
#pragma once

#include <string>
#include <vector>

#include "zq7/Zq7Api.h"

class ZqProgress;
struct ZqSaveFrame;

enum class ZqTiffCompression { None, CcittRle, Group3_1D, Group3_2D, Group4, PackBits, Lzw, Jpeg };

struct ZqTiffOptions {
  ZqTiffCompression compression = ZqTiffCompression::None;
  bool cmyk = false;      // colour images as CMYK (not with JPEG)
  int quality = 75;       // JPEG quality 1..100
  bool append = false;    // add pages to the TIFF already at path
  bool oneStrip = false;  // one strip per page instead of strips of about 8 KB
  std::string comment;    // ImageDescription of every page
};

// Writes every frame as a page to the file at path (after its pages when appending).
// The CCITT compressions take 1-bit images only: ZQ_ERR_BAD_PARAMETER for others.
WORD ZqTiffWrite(const std::vector<ZqSaveFrame>& frames, const ZqTiffOptions& options, const std::string& path,
                 ZqProgress& progress);
