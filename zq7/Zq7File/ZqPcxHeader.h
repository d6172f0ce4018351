// Header typing of PCX files: the 128-byte header.
#pragma once

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

// The resolution is the header's HDpi and VDpi words as stored: old writers put the
// screen size there, and nothing in the file tells the two uses apart.
ZqStatus ReadPcxHeader(ZqByteReader& in, int page, ZqFileInfo& info);
