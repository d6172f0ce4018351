// Header typing of PNG files: IHDR, pHYs before the image data, and the first text
// chunk whose keyword is "Comment".
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

ZqStatus ReadPngHeader(ZqByteReader& in, int page, ZqFileInfo& info);
