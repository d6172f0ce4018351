// Header typing of BMP files: the file header and the information header of any
// version (OS/2 1.x core header, Windows 3.x and its V4/V5 extensions, OS/2 2.x). The
// parsed header is kept for our own BMP reader, so the file is parsed once per load.
#pragma once

#include <cstdint>

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

struct ZqBmpHeader {
  std::uint32_t infoSize = 0;      // bytes of the information header
  std::int64_t width = 0;
  std::int64_t height = 0;         // negative: rows stored top-down
  unsigned bits = 0;
  std::uint32_t compression = 0;   // BI_RGB unless the header says otherwise
  std::uint32_t colorsUsed = 0;
  LONG xppm = 0, yppm = 0;
  std::uint32_t masks[4] = {};     // red, green, blue, alpha of a bit-field image
  bool hasMasks = false;
  bool masksMissing = false;       // the masks a 40-byte header promises lie past the end
  std::uint64_t paletteOffset = 0;
  unsigned paletteEntryBytes = 4;  // 3 for OS/2 1.x
  std::uint64_t bitsOffset = 0;    // where the pixels start; 0 when the header's offset is unusable
};

// Fills info (and bmp with everything the reader needs) from the headers.
ZqStatus ReadBmpHeader(ZqByteReader& in, int page, ZqFileInfo& info, ZqBmpHeader& bmp);
