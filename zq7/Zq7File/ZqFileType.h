// Header typing: what a file is and what its headers say, without decoding pixels.
#pragma once

#include "zq7/Zq7Api.h"

// The Exif values of a JPEG file, as ZQJpegExifInfo fills them for the file
// component's Exif object. Texts are copied as stored (ASCII, or UTF-8 where a writer
// used it), cut at a character boundary and always NUL-terminated; a value the file
// does not record is 0 or an empty text. Rationals keep numerator and denominator, so
// a caller decides how to show them and a zero denominator stays visible as such.
// Fields are ordered by width so that every one sits at its natural alignment with no
// padding between them.
struct ZqExifInfo {
  // Rationals (numerator, denominator) of IFD0, the Exif directory and the GPS directory.
  DWORD xResolution[2];
  DWORD yResolution[2];
  DWORD exposureTime[2];          // seconds
  DWORD fNumber[2];
  LONG exposureBias[2];           // EV, signed
  DWORD focalLength[2];           // millimetres
  DWORD gpsLatitude[6];           // degrees, minutes, seconds
  DWORD gpsLongitude[6];
  DWORD gpsAltitude[2];           // metres
  DWORD pixelXDimension;          // the Exif directory's idea of the picture's size
  DWORD pixelYDimension;
  DWORD thumbnailOffset;          // IFD1's embedded JPEG thumbnail: file offset and
  DWORD thumbnailLength;          // length, 0 when there is none
  WORD orientation;               // 1..8
  WORD resolutionUnit;            // 2 inch, 3 centimetre, as stored
  WORD exposureProgram;
  WORD isoSpeed;
  WORD meteringMode;
  WORD flash;
  WORD whiteBalance;
  WORD colorSpace;                // 1 sRGB, 0xFFFF uncalibrated
  WORD focalLength35mm;
  BYTE gpsAltitudeRef;            // 0 above sea level, 1 below
  char gpsLatitudeRef[2];         // "N" or "S"
  char gpsLongitudeRef[2];        // "E" or "W"
  char exifVersion[5];            // "0230", "0232", ...
  char make[64];
  char model[64];
  char software[64];
  char artist[64];
  char copyright[128];
  char imageDescription[256];
  char dateTime[20];              // "YYYY:MM:DD HH:MM:SS", last change
  char dateTimeOriginal[20];      // when the picture was taken
  char dateTimeDigitized[20];
};
static_assert(sizeof(ZqExifInfo) == 848);

// Fills info from the headers of the file name: bits per pixel as stored, resolution,
// size in pixels and bytes, format and compression code, interlace flag, page count
// and comment. Page 0 (and kZqAllPages) describes the file's first image; a higher
// page describes that TIFF directory or GIF frame, and one beyond the last is refused
// with ZQ_ERR_BAD_PARAMETER. Nonzero for a readable image; the status says why not
// (ZQ_ERR_FILE_NOT_FOUND, ZQ_ERR_UNSUPPORTED, ZQ_ERR_DAMAGED, ZQ_ERR_BAD_PARAMETER),
// and info is left as it was on failure.
ZQ_EXPORT BOOL ZQFileType(LPCSTR name, int page, ZqFileInfo* info);

// Fills info from the Exif segment of the JPEG file name. Nonzero on success; a file
// that is not a JPEG, or a JPEG without an Exif segment, gives ZQ_ERR_UNSUPPORTED, an
// Exif segment whose first directory cannot be read ZQ_ERR_DAMAGED. info is cleared
// whenever the file could be read.
ZQ_EXPORT BOOL ZQJpegExifInfo(LPCSTR name, ZqExifInfo* info);
