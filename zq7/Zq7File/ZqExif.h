// The TIFF structure that TIFF files and Exif segments share: a byte-order header
// (classic or BigTIFF), a chain of image file directories, and typed values that sit
// either in the entry itself or at an offset. Offsets count from the structure's start
// and every read stays inside the structure, so a hostile offset or count can only
// make a value unreadable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqByteReader.h"

struct ZqExifInfo;

// TIFF field types this code reads.
enum ZqTiffType : WORD {
  ZQ_TIFF_BYTE = 1, ZQ_TIFF_ASCII = 2, ZQ_TIFF_SHORT = 3, ZQ_TIFF_LONG = 4, ZQ_TIFF_RATIONAL = 5,
  ZQ_TIFF_UNDEFINED = 7, ZQ_TIFF_SRATIONAL = 10, ZQ_TIFF_IFD = 13, ZQ_TIFF_LONG8 = 16, ZQ_TIFF_IFD8 = 18,
};

// Tags the header parsers and the Exif reader use.
enum ZqTiffTag : WORD {
  ZQ_TAG_IMAGE_WIDTH = 256, ZQ_TAG_IMAGE_LENGTH = 257, ZQ_TAG_BITS_PER_SAMPLE = 258, ZQ_TAG_COMPRESSION = 259,
  ZQ_TAG_IMAGE_DESCRIPTION = 270, ZQ_TAG_MAKE = 271, ZQ_TAG_MODEL = 272, ZQ_TAG_ORIENTATION = 274,
  ZQ_TAG_SAMPLES_PER_PIXEL = 277, ZQ_TAG_X_RESOLUTION = 282, ZQ_TAG_Y_RESOLUTION = 283, ZQ_TAG_T4_OPTIONS = 292,
  ZQ_TAG_RESOLUTION_UNIT = 296, ZQ_TAG_SOFTWARE = 305, ZQ_TAG_DATE_TIME = 306, ZQ_TAG_ARTIST = 315,
  ZQ_TAG_JPEG_IF_OFFSET = 513, ZQ_TAG_JPEG_IF_LENGTH = 514, ZQ_TAG_COPYRIGHT = 33432,
  ZQ_TAG_EXPOSURE_TIME = 33434, ZQ_TAG_F_NUMBER = 33437, ZQ_TAG_EXIF_IFD = 34665, ZQ_TAG_EXPOSURE_PROGRAM = 34850,
  ZQ_TAG_GPS_IFD = 34853, ZQ_TAG_ISO_SPEED = 34855, ZQ_TAG_EXIF_VERSION = 36864, ZQ_TAG_DATE_TIME_ORIGINAL = 36867,
  ZQ_TAG_DATE_TIME_DIGITIZED = 36868, ZQ_TAG_EXPOSURE_BIAS = 37380, ZQ_TAG_METERING_MODE = 37383,
  ZQ_TAG_FLASH = 37385, ZQ_TAG_FOCAL_LENGTH = 37386, ZQ_TAG_COLOR_SPACE = 40961, ZQ_TAG_PIXEL_X_DIMENSION = 40962,
  ZQ_TAG_PIXEL_Y_DIMENSION = 40963, ZQ_TAG_WHITE_BALANCE = 41987, ZQ_TAG_FOCAL_LENGTH_35MM = 41989,
  ZQ_TAG_GPS_LATITUDE_REF = 1, ZQ_TAG_GPS_LATITUDE = 2, ZQ_TAG_GPS_LONGITUDE_REF = 3, ZQ_TAG_GPS_LONGITUDE = 4,
  ZQ_TAG_GPS_ALTITUDE_REF = 5, ZQ_TAG_GPS_ALTITUDE = 6,
};

struct ZqIfdEntry {
  WORD tag = 0;
  WORD type = 0;
  std::uint64_t count = 0;
  // Where the value's bytes start in the reader, or kNoValue when they do not lie
  // inside the structure (or the type is unknown).
  std::uint64_t valueOffset = 0;
  static constexpr std::uint64_t kNoValue = ~std::uint64_t{0};
};

struct ZqRational {
  std::uint32_t num = 0;
  std::uint32_t den = 0;
};

// Where the main chain of directories leads.
struct ZqIfdChain {
  std::uint64_t count = 0;                 // directories before the chain ends, loops or breaks
  std::optional<std::uint64_t> pageOffset; // the asked-for directory, when the chain reaches it
};

class ZqExif {
 public:
  // Directories beyond this many are neither counted nor read.
  static constexpr std::uint64_t kMaxIfds = 0x8000;
  // A directory claiming more entries than a classic TIFF directory can hold is taken
  // as damaged, in BigTIFF too.
  static constexpr std::uint64_t kMaxEntries = 0xFFFF;

  // The structure occupies length bytes of in from base.
  ZqExif(ZqByteReader& in, std::uint64_t base, std::uint64_t length);

  // Reads the header; false when the bytes are no TIFF header.
  bool ReadHeader();
  std::uint64_t FirstIfd() const { return firstIfd_; }

  // Reads the directory at offset: its entries and the offset of the next one (0 at
  // the end of the chain or when the pointer is cut off). False when the directory's
  // entries do not lie inside the structure.
  bool ReadIfd(std::uint64_t offset, std::vector<ZqIfdEntry>& entries, std::uint64_t& next);
  // Follows the main chain, stopping at its end, at a directory visited before, at one
  // that cannot be read, or after kMaxIfds; notes the offset of directory page (0-based).
  ZqIfdChain WalkChain(std::uint64_t page);

  static const ZqIfdEntry* Find(const std::vector<ZqIfdEntry>& entries, WORD tag);
  // Value index of an unsigned integer entry (BYTE, SHORT, LONG, LONG8, IFD, IFD8).
  std::optional<std::uint64_t> Unsigned(const ZqIfdEntry& e, std::uint64_t index = 0);
  std::optional<std::uint64_t> Unsigned(const std::vector<ZqIfdEntry>& entries, WORD tag);
  // Value index of a RATIONAL or SRATIONAL entry, bits as stored.
  std::optional<ZqRational> Rational(const ZqIfdEntry& e, std::uint64_t index = 0);
  // The bytes of an ASCII, BYTE or UNDEFINED entry up to its first NUL, at most maxBytes.
  std::string Text(const ZqIfdEntry& e, std::size_t maxBytes);

  // X and Y resolution in dpi from XResolution, YResolution and ResolutionUnit (inch
  // when missing, or centimetre); nothing when a value is missing, not RATIONAL, zero
  // or the unit is "none" or unknown.
  std::optional<std::pair<WORD, WORD>> ResolutionDpi(const std::vector<ZqIfdEntry>& entries);

  // Fills the Exif record from IFD0, the Exif and GPS directories and IFD1's
  // thumbnail pointers. False (record cleared) when IFD0 cannot be read.
  bool ReadExifInfo(ZqExifInfo& info);

 private:
  bool FitsAt(std::uint64_t offset, std::uint64_t bytes) const {
    return offset <= length_ && bytes <= length_ - offset;
  }
  const std::uint8_t* ValueBytes(const ZqIfdEntry& e, std::uint64_t index, std::size_t size);

  ZqByteReader& in_;
  std::uint64_t base_;
  std::uint64_t length_;
  bool bigEndian_ = false;
  bool bigTiff_ = false;
  std::uint64_t firstIfd_ = 0;
};
