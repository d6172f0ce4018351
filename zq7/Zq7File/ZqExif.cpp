#include "zq7/Zq7File/ZqExif.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/text.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "zq7/Zq7File/ZqHeaderInfo.h"

namespace {

// Bytes per value of a field type; 0 for a type this code does not know.
std::size_t TypeSize(WORD type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;   // BYTE, ASCII, SBYTE, UNDEFINED
    case 3: case 8: return 2;                   // SHORT, SSHORT
    case 4: case 9: case 11: case 13: return 4; // LONG, SLONG, FLOAT, IFD
    case 5: case 10: case 12: case 16: case 17: case 18: return 8;  // RATIONAL, SRATIONAL, DOUBLE, LONG8, SLONG8, IFD8
    default: return 0;
  }
}

template <std::size_t N>
void CopyText(char (&dst)[N], const std::string& text) {
  const std::string kept = platform::TruncateUtf8(text, N - 1);
  std::memcpy(dst, kept.data(), kept.size());
  dst[kept.size()] = '\0';
}

}  // namespace

ZqExif::ZqExif(ZqByteReader& in, std::uint64_t base, std::uint64_t length) : in_(in), base_(base), length_(length) {}

bool ZqExif::ReadHeader() {
  const std::uint8_t* h = FitsAt(0, 8) ? in_.Span(base_, 8) : nullptr;
  if (!h) return false;
  if (h[0] == 'I' && h[1] == 'I') bigEndian_ = false;
  else if (h[0] == 'M' && h[1] == 'M') bigEndian_ = true;
  else return false;
  const WORD magic = LoadU16(h + 2, bigEndian_);
  if (magic == 42) {
    bigTiff_ = false;
    firstIfd_ = LoadU32(h + 4, bigEndian_);
    return true;
  }
  // BigTIFF: offset size 8, a zero word, then an 8-byte first offset.
  if (magic != 43 || LoadU16(h + 4, bigEndian_) != 8 || LoadU16(h + 6, bigEndian_) != 0) return false;
  const std::uint8_t* o = FitsAt(8, 8) ? in_.Span(base_ + 8, 8) : nullptr;
  if (!o) return false;
  bigTiff_ = true;
  firstIfd_ = LoadU64(o, bigEndian_);
  return true;
}

bool ZqExif::ReadIfd(std::uint64_t offset, std::vector<ZqIfdEntry>& entries, std::uint64_t& next) {
  entries.clear();
  next = 0;
  const std::uint64_t countBytes = bigTiff_ ? 8 : 2, entryBytes = bigTiff_ ? 20 : 12, inlineBytes = bigTiff_ ? 8 : 4;
  if (offset == 0 || !FitsAt(offset, countBytes)) return false;
  in_.SetBigEndian(bigEndian_);
  in_.Seek(base_ + offset);
  const std::uint64_t n = bigTiff_ ? in_.U64() : in_.U16();
  if (!in_.Ok() || n > kMaxEntries || n > (length_ - offset - countBytes) / entryBytes) return false;
  entries.reserve(static_cast<std::size_t>(n));
  for (std::uint64_t i = 0; i < n; ++i) {
    ZqIfdEntry e;
    const std::uint64_t fieldAt = in_.Tell() + 4 + (bigTiff_ ? 8 : 4) - base_;  // the value field, relative
    e.tag = in_.U16();
    e.type = in_.U16();
    e.count = bigTiff_ ? in_.U64() : in_.U32();
    const std::uint64_t field = bigTiff_ ? in_.U64() : in_.U32();
    if (!in_.Ok()) return false;
    const std::size_t size = TypeSize(e.type);
    if (size == 0 || e.count > length_ / size) {
      e.valueOffset = ZqIfdEntry::kNoValue;
    } else {
      const std::uint64_t bytes = e.count * size;
      const std::uint64_t at = bytes <= inlineBytes ? fieldAt : field;
      e.valueOffset = FitsAt(at, bytes) ? base_ + at : ZqIfdEntry::kNoValue;
    }
    entries.push_back(e);
  }
  next = bigTiff_ ? in_.U64() : in_.U32();
  if (!in_.Ok()) next = 0;
  return true;
}

ZqIfdChain ZqExif::WalkChain(std::uint64_t page) {
  ZqIfdChain chain;
  const std::uint64_t countBytes = bigTiff_ ? 8 : 2, entryBytes = bigTiff_ ? 20 : 12;
  std::unordered_set<std::uint64_t> seen;
  in_.SetBigEndian(bigEndian_);
  for (std::uint64_t offset = firstIfd_; offset != 0 && chain.count < kMaxIfds;) {
    if (!FitsAt(offset, countBytes) || !seen.insert(offset).second) break;
    in_.Seek(base_ + offset);
    const std::uint64_t n = bigTiff_ ? in_.U64() : in_.U16();
    if (!in_.Ok() || n > kMaxEntries || n > (length_ - offset - countBytes) / entryBytes) break;
    if (chain.count == page) chain.pageOffset = offset;
    ++chain.count;
    in_.Skip(n * entryBytes);
    const std::uint64_t next = bigTiff_ ? in_.U64() : in_.U32();
    offset = in_.Ok() ? next : 0;
  }
  return chain;
}

const ZqIfdEntry* ZqExif::Find(const std::vector<ZqIfdEntry>& entries, WORD tag) {
  const auto it = std::find_if(entries.begin(), entries.end(), [tag](const ZqIfdEntry& e) { return e.tag == tag; });
  return it == entries.end() ? nullptr : &*it;
}

const std::uint8_t* ZqExif::ValueBytes(const ZqIfdEntry& e, std::uint64_t index, std::size_t size) {
  if (e.valueOffset == ZqIfdEntry::kNoValue || index >= e.count) return nullptr;
  return in_.Span(e.valueOffset + index * size, size);
}

std::optional<std::uint64_t> ZqExif::Unsigned(const ZqIfdEntry& e, std::uint64_t index) {
  const std::size_t size = TypeSize(e.type);
  const bool isUnsigned = e.type == ZQ_TIFF_BYTE || e.type == ZQ_TIFF_SHORT || e.type == ZQ_TIFF_LONG ||
                          e.type == ZQ_TIFF_IFD || e.type == ZQ_TIFF_LONG8 || e.type == ZQ_TIFF_IFD8;
  const std::uint8_t* p = isUnsigned ? ValueBytes(e, index, size) : nullptr;
  if (!p) return std::nullopt;
  switch (size) {
    case 1: return p[0];
    case 2: return LoadU16(p, bigEndian_);
    case 4: return LoadU32(p, bigEndian_);
    default: return LoadU64(p, bigEndian_);
  }
}

std::optional<std::uint64_t> ZqExif::Unsigned(const std::vector<ZqIfdEntry>& entries, WORD tag) {
  const ZqIfdEntry* e = Find(entries, tag);
  return e ? Unsigned(*e) : std::nullopt;
}

std::optional<ZqRational> ZqExif::Rational(const ZqIfdEntry& e, std::uint64_t index) {
  if (e.type != ZQ_TIFF_RATIONAL && e.type != ZQ_TIFF_SRATIONAL) return std::nullopt;
  const std::uint8_t* p = ValueBytes(e, index, 8);
  if (!p) return std::nullopt;
  return ZqRational{LoadU32(p, bigEndian_), LoadU32(p + 4, bigEndian_)};
}

std::string ZqExif::Text(const ZqIfdEntry& e, std::size_t maxBytes) {
  if (e.type != ZQ_TIFF_ASCII && e.type != ZQ_TIFF_BYTE && e.type != ZQ_TIFF_UNDEFINED) return {};
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>({e.count, maxBytes, ZqByteReader::kMaxSpan}));
  // The whole value lies inside the structure whenever valueOffset is set.
  const std::uint8_t* p = n && e.valueOffset != ZqIfdEntry::kNoValue ? in_.Span(e.valueOffset, n) : nullptr;
  if (!p) return {};
  const auto* end = std::find(p, p + n, std::uint8_t{0});
  return std::string(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(end));
}

std::optional<std::pair<WORD, WORD>> ZqExif::ResolutionDpi(const std::vector<ZqIfdEntry>& entries) {
  const ZqIfdEntry* xe = Find(entries, ZQ_TAG_X_RESOLUTION);
  const ZqIfdEntry* ye = Find(entries, ZQ_TAG_Y_RESOLUTION);
  if (!xe || !ye || xe->type != ZQ_TIFF_RATIONAL || ye->type != ZQ_TIFF_RATIONAL) return std::nullopt;
  const auto x = Rational(*xe), y = Rational(*ye);
  if (!x || !y || x->num == 0 || x->den == 0 || y->num == 0 || y->den == 0) return std::nullopt;
  const ZqIfdEntry* ue = Find(entries, ZQ_TAG_RESOLUTION_UNIT);
  const std::uint64_t unit = ue ? Unsigned(*ue).value_or(0) : 2;
  if (unit != 2 && unit != 3) return std::nullopt;
  const ZqLengthUnit per = unit == 2 ? ZqLengthUnit::Inch : ZqLengthUnit::Centimetre;
  return std::pair{ZqDpi(x->num, x->den, per), ZqDpi(y->num, y->den, per)};
}

bool ZqExif::ReadExifInfo(ZqExifInfo& info) {
  std::memset(&info, 0, sizeof info);
  std::vector<ZqIfdEntry> ifd0, sub;
  std::uint64_t ifd1 = 0, ignored = 0;
  if (!ReadIfd(firstIfd_, ifd0, ifd1)) return false;

  auto text = [&](const std::vector<ZqIfdEntry>& entries, WORD tag, auto& dst) {
    if (const ZqIfdEntry* e = Find(entries, tag)) CopyText(dst, Text(*e, sizeof dst - 1));
  };
  auto word = [&](const std::vector<ZqIfdEntry>& entries, WORD tag, WORD& dst) {
    dst = ZqClampWord(Unsigned(entries, tag).value_or(0));
  };
  auto rationals = [&](const std::vector<ZqIfdEntry>& entries, WORD tag, auto* dst, std::size_t n) {
    const ZqIfdEntry* e = Find(entries, tag);
    for (std::size_t i = 0; e && i < n; ++i) {
      const auto r = Rational(*e, i);
      if (!r) break;
      dst[2 * i] = static_cast<std::remove_reference_t<decltype(dst[0])>>(r->num);
      dst[2 * i + 1] = static_cast<std::remove_reference_t<decltype(dst[0])>>(r->den);
    }
  };

  text(ifd0, ZQ_TAG_MAKE, info.make);
  text(ifd0, ZQ_TAG_MODEL, info.model);
  text(ifd0, ZQ_TAG_SOFTWARE, info.software);
  text(ifd0, ZQ_TAG_ARTIST, info.artist);
  text(ifd0, ZQ_TAG_COPYRIGHT, info.copyright);
  text(ifd0, ZQ_TAG_IMAGE_DESCRIPTION, info.imageDescription);
  text(ifd0, ZQ_TAG_DATE_TIME, info.dateTime);
  word(ifd0, ZQ_TAG_ORIENTATION, info.orientation);
  word(ifd0, ZQ_TAG_RESOLUTION_UNIT, info.resolutionUnit);
  rationals(ifd0, ZQ_TAG_X_RESOLUTION, info.xResolution, 1);
  rationals(ifd0, ZQ_TAG_Y_RESOLUTION, info.yResolution, 1);

  if (const auto exifIfd = Unsigned(ifd0, ZQ_TAG_EXIF_IFD); exifIfd && ReadIfd(*exifIfd, sub, ignored)) {
    text(sub, ZQ_TAG_EXIF_VERSION, info.exifVersion);
    text(sub, ZQ_TAG_DATE_TIME_ORIGINAL, info.dateTimeOriginal);
    text(sub, ZQ_TAG_DATE_TIME_DIGITIZED, info.dateTimeDigitized);
    rationals(sub, ZQ_TAG_EXPOSURE_TIME, info.exposureTime, 1);
    rationals(sub, ZQ_TAG_F_NUMBER, info.fNumber, 1);
    rationals(sub, ZQ_TAG_EXPOSURE_BIAS, info.exposureBias, 1);
    rationals(sub, ZQ_TAG_FOCAL_LENGTH, info.focalLength, 1);
    word(sub, ZQ_TAG_EXPOSURE_PROGRAM, info.exposureProgram);
    word(sub, ZQ_TAG_ISO_SPEED, info.isoSpeed);
    word(sub, ZQ_TAG_METERING_MODE, info.meteringMode);
    word(sub, ZQ_TAG_FLASH, info.flash);
    word(sub, ZQ_TAG_WHITE_BALANCE, info.whiteBalance);
    word(sub, ZQ_TAG_COLOR_SPACE, info.colorSpace);
    word(sub, ZQ_TAG_FOCAL_LENGTH_35MM, info.focalLength35mm);
    info.pixelXDimension = ZqClampDword(Unsigned(sub, ZQ_TAG_PIXEL_X_DIMENSION).value_or(0));
    info.pixelYDimension = ZqClampDword(Unsigned(sub, ZQ_TAG_PIXEL_Y_DIMENSION).value_or(0));
  }
  if (const auto gpsIfd = Unsigned(ifd0, ZQ_TAG_GPS_IFD); gpsIfd && ReadIfd(*gpsIfd, sub, ignored)) {
    text(sub, ZQ_TAG_GPS_LATITUDE_REF, info.gpsLatitudeRef);
    text(sub, ZQ_TAG_GPS_LONGITUDE_REF, info.gpsLongitudeRef);
    rationals(sub, ZQ_TAG_GPS_LATITUDE, info.gpsLatitude, 3);
    rationals(sub, ZQ_TAG_GPS_LONGITUDE, info.gpsLongitude, 3);
    rationals(sub, ZQ_TAG_GPS_ALTITUDE, info.gpsAltitude, 1);
    info.gpsAltitudeRef = static_cast<BYTE>(std::min<std::uint64_t>(Unsigned(sub, ZQ_TAG_GPS_ALTITUDE_REF).value_or(0), 0xFF));
  }
  if (ifd1 != 0 && ReadIfd(ifd1, sub, ignored)) {
    const auto offset = Unsigned(sub, ZQ_TAG_JPEG_IF_OFFSET), length = Unsigned(sub, ZQ_TAG_JPEG_IF_LENGTH);
    // Only a thumbnail that lies wholly inside the segment is reported.
    if (offset && length && *length > 0 && FitsAt(*offset, *length)) {
      info.thumbnailOffset = ZqClampDword(base_ + *offset);
      info.thumbnailLength = ZqClampDword(*length);
    }
  }
  return true;
}
