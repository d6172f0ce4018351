// Header typing of BMP files: the file header and the information header of any
// version (OS/2 1.x core header, Windows 3.x and its V4/V5 extensions, OS/2 2.x).
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

ZqStatus ReadBmpHeader(ZqByteReader& in, int page, ZqFileInfo& info);
