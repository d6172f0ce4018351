// Header typing of JPEG files: the markers from SOI up to the first scan.
#pragma once

#include <cstdint>

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

// What the markers before the first scan say. Offsets are file offsets of a segment's
// payload (after its length word); a segment is recorded only when it lies wholly
// inside the file.
struct ZqJpegScan {
  BYTE sofMarker = 0;          // 0xC0..0xCF of the first frame header, 0 when none
  BYTE precision = 0;
  WORD height = 0;
  WORD width = 0;
  BYTE components = 0;
  bool jfif = false;           // the first APP0 "JFIF" segment
  BYTE jfifUnit = 0;           // 0 aspect ratio only, 1 dots per inch, 2 dots per cm
  WORD jfifX = 0;
  WORD jfifY = 0;
  bool exif = false;           // the first APP1 "Exif" segment
  std::uint64_t exifTiff = 0;  // where its TIFF structure starts
  std::uint64_t exifLength = 0;
  bool comment = false;        // the first COM segment
  std::uint64_t commentOffset = 0;
  std::uint64_t commentLength = 0;
};

// Walks the markers up to the first scan (or EOI), skipping stray bytes between
// segments as decoders do. ZQ_ERR_DAMAGED when no frame header is found before the
// data ends.
ZqStatus ScanJpeg(ZqByteReader& in, ZqJpegScan& scan);

// Fills info from the markers: size, bits, resolution (Exif IFD0 when usable, else
// JFIF), code (Exif, progressive or baseline) and the first comment.
ZqStatus ReadJpegHeader(ZqByteReader& in, int page, ZqFileInfo& info);
