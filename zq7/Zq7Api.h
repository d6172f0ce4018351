// What the imaging engine and its callers share: status codes, the records the engine
// fills, image kinds, format and compression codes, and the progress callback.
// Both sides include this header; nothing above the platform layer links an engine
// library, it only calls through the entry points the loader resolves.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

// Status of the last engine call, as ZQGetErrorStatus returns it. The codes sit above
// the components' own codes (5, 6, 11, 14, ...) so that a component's ErrorStatus tells
// at a glance whether the engine or the component refused.
enum ZqStatus : WORD {
  ZQ_OK = 0,
  ZQ_ERR_FILE_NOT_FOUND = 101,   // the file does not exist or cannot be opened for reading
  ZQ_ERR_UNSUPPORTED = 102,      // not an image, or a format or variant the engine does not read
  ZQ_ERR_DAMAGED = 103,          // the data is truncated or corrupt
  ZQ_ERR_NO_MEMORY = 104,        // an allocation failed
  ZQ_ERR_TOO_LARGE = 105,        // above 2^28 pixels or a DIB beyond 1 GiB
  ZQ_ERR_CANCELLED = 106,        // the progress callback answered 0
  ZQ_ERR_BAD_PARAMETER = 107,    // a null, stale or foreign handle, or an argument out of range
  ZQ_ERR_WRITE_FAILED = 108,     // a file could not be written
  ZQ_ERR_NOT_AVAILABLE = 109,    // the entry exists but this build does not provide the feature
  ZQ_ERR_TRANSFER_FAILED = 110,  // a server could not be reached, or refused the login or the request
};

// Caps every reader checks before it allocates.
inline constexpr std::uint64_t kZqMaxPixels = std::uint64_t{1} << 28;
inline constexpr std::uint64_t kZqMaxDibBytes = std::uint64_t{1} << 30;

// Image kinds (TVZqImageKind values).
enum ZqImageKind : WORD {
  ZQ_KIND_INVALID = 0,
  ZQ_KIND_RASTER = 1,
  ZQ_KIND_WMF = 2,
  ZQ_KIND_EMF = 3,
  ZQ_KIND_DXF = 4,
  ZQ_KIND_SVG = 5,
  ZQ_KIND_SXF = 6,
};

// Format and compression codes.
enum ZqFormatCode : WORD {
  ZQ_CODE_UNKNOWN = 0,
  ZQ_CODE_BMP = 1,
  ZQ_CODE_BMP_RLE4 = 2,
  ZQ_CODE_BMP_RLE8 = 3,
  ZQ_CODE_JPEG_BASELINE = 4,
  ZQ_CODE_JPEG_PROGRESSIVE = 5,
  ZQ_CODE_GIF87A = 6,
  ZQ_CODE_GIF89A = 7,
  ZQ_CODE_TIFF_NONE = 8,
  ZQ_CODE_TIFF_CCITTRLE = 9,
  ZQ_CODE_TIFF_G3_1D = 10,
  ZQ_CODE_TIFF_G3_2D = 11,
  ZQ_CODE_TIFF_G4 = 12,
  ZQ_CODE_TIFF_PACKBITS = 13,
  ZQ_CODE_TIFF_LZW = 14,
  ZQ_CODE_PNG = 15,
  ZQ_CODE_FPX = 16,
  ZQ_CODE_FPX_SINGLE = 17,
  ZQ_CODE_FPX_JPEG = 18,
  ZQ_CODE_PCX = 19,
  ZQ_CODE_JPEG_EXIF = 23,
  ZQ_CODE_JP2 = 25,
  ZQ_CODE_J2K_CODESTREAM = 26,
  ZQ_CODE_TIFF_JPEG = 29,
  // Vector drawings have no compression; their codes lie outside the compression table,
  // so a caller that maps codes to extensions keeps the file's own.
  ZQ_CODE_WMF = 201,
  ZQ_CODE_EMF = 202,
  ZQ_CODE_DXF = 203,
  ZQ_CODE_SVG = 204,
};

// Page number that asks a loader for all frames.
inline constexpr int kZqAllPages = 32767;

#pragma pack(push, 1)
// Filled by ZQFileType from a file's headers (2128 bytes, little-endian).
struct ZqFileInfo {
  WORD bitCount;           // 0: bits per pixel as stored
  WORD reserved2;
  WORD xdpi;               // 4
  WORD reserved6;
  WORD ydpi;               // 8
  WORD reserved10;
  DWORD width;             // 12
  DWORD height;            // 16
  DWORD value20;           // 20: not interpreted by the callers
  DWORD fileSize;          // 24
  WORD code;               // 28: format and compression code
  WORD interlace;          // 30
  std::int16_t pages;      // 32
  WORD reserved34;
  DWORD value36;           // 36: not interpreted by the callers
  char comment[2048];      // 40: NUL-terminated unless all 2048 bytes are used
  BYTE reserved2088[40];
};

// Filled by ZQGetImageType for an image handle (40 bytes).
struct ZqImageInfo {
  WORD value0;             // 0: bits per pixel of a raster image
  WORD value2;             // 2: colours in the colour table
  WORD value4;             // 4: reserved
  WORD reserved6;
  DWORD xdpi;              // 8
  DWORD ydpi;              // 12
  DWORD width;             // 16
  DWORD height;            // 20
  DWORD value24;           // 24: bytes of the image block
  DWORD flag28;            // 28: nonzero when the image is grey
  DWORD value32;           // 32: reserved
  WORD kind;               // 36: ZqImageKind
  WORD reserved38;
};
#pragma pack(pop)

static_assert(sizeof(ZqFileInfo) == 2128);
static_assert(sizeof(ZqImageInfo) == 40);

// A vector image's block begins with this header; a raster image's block begins with a
// BITMAPINFOHEADER (biSize 40), so the first bytes tell the two apart.
inline constexpr char kZqVectorMagic[8] = {'Z', 'Q', 'V', 'E', 'C', 'T', '1', '\0'};
#pragma pack(push, 1)
struct ZqVectorHeader {
  char magic[8];           // kZqVectorMagic
  WORD kind;               // ZQ_KIND_WMF .. ZQ_KIND_SXF
  WORD reserved;
  DWORD width;             // natural size in pixels
  DWORD height;
  DWORD xdpi;
  DWORD ydpi;
  DWORD dataBytes;         // bytes of format data that follow the header
};
#pragma pack(pop)

// The transfer entries (ZQFTPGetFile, ZQFTPPutFile, ZQHTTPGetFile, ZQHTTPPutFile) take
// their texts in this order: server (host, optionally with its scheme), remote path,
// local file, user, password, then the port (0 for the protocol's own).
// ZQFTPDeleteFile takes server, user, password, remote path; ZQFTPRenameFile server,
// user, password, old remote path, new remote path. Passwords are never printed.

// The progress callback: gets the percentage done, returns nonzero to go on, 0 to stop.
using ZqProgressProc = BOOL (*)(int percent);

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

// The version texts every engine library carries, answered by its ZqVersionInfo export.
struct ZqVersionRecord {
  const char* fileVersion;     // "major.minor.patch.build"
  const char* productVersion;  // "major.minor"
  const char* description;     // the library's name and role
};
using ZqVersionInfo_t = const ZqVersionRecord* (*)();

// Every export of an engine library is declared with this: C linkage, visible, and it
// never lets an exception out.
#define ZQ_EXPORT extern "C" __attribute__((visibility("default")))
// A C++ helper of Zq7Com that the other engine libraries use (the DIB builder); never
// called from outside the engine.
#define ZQ_SHARED __attribute__((visibility("default")))
