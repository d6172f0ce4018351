// Our own PCX writer (version 5, run-length encoded, like the reader no library is
// needed for the format): 1-bit images as monochrome, 4-bit as four bit planes with the
// header's 16-colour table, 8-bit with the 256-colour table at the end, and everything
// deeper as three 8-bit planes of red, green and blue. Monochrome PCX is black and white
// whatever its palette, so a 1-bit image whose first colour is the lighter one is
// written with its bits inverted to look the same.
#pragma once

#include <string>

#include "zq7/Zq7Api.h"

class ZqProgress;
class ZqRaster;

WORD ZqPcxWrite(const ZqRaster& image, const std::string& path, ZqProgress& progress);
