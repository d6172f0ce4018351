// Header typing of PCX files: the 128-byte header, kept for our own PCX reader so that
// the file is parsed once per load.
#pragma once

#include <cstdint>

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

struct ZqPcxHeader {
  BYTE encoding = 0;         // 1: run-length
  BYTE bitsPerPlane = 0;
  BYTE planes = 0;
  WORD xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  WORD hdpi = 0, vdpi = 0;
  WORD bytesPerLine = 0;
  BYTE palette16[48] = {};   // the header's 16-colour palette, RGB triples
};

// The resolution is the header's HDpi and VDpi words as stored: old writers put the
// screen size there, and nothing in the file tells the two uses apart.
ZqStatus ReadPcxHeader(ZqByteReader& in, int page, ZqFileInfo& info, ZqPcxHeader& pcx);
