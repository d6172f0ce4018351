// The file library's formats: detection from a file's first bytes (the extension is
// never consulted) and the one table that says, for each format, how its header is read,
// how its pixels are decoded and whether it holds several pages. ZQFileType and every
// loading entry go through this table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zq7/Zq7Api.h"
#include "zq7/Zq7File/ZqBmpHeader.h"
#include "zq7/Zq7File/ZqPcxHeader.h"
#include "zq7/Zq7File/ZqSvgHeader.h"

class ZqByteReader;
class ZqFile;
class ZqProgress;

enum class ZqFormat { Unknown, Bmp, Jpeg, Png, Gif, Tiff, Pcx, Jp2, J2kCodestream, Wmf, Emf, Svg };

// Bytes DetectFormat needs to see (fewer are fine for short files): an SVG's root element
// may follow a declaration and comments.
inline constexpr std::size_t kZqSniffBytes = kZqSvgSniffBytes;

ZqFormat DetectFormat(const std::uint8_t* head, std::size_t size);
// The format of the file in; Unknown when its first bytes cannot be read.
ZqFormat DetectFormat(ZqByteReader& in);

// What typing learnt of one file: the record ZQFileType fills, and the parsed headers
// of the formats we read ourselves, which their readers decode from.
struct ZqHeader {
  ZqFileInfo info{};
  ZqBmpHeader bmp;
  ZqPcxHeader pcx;
};

struct ZqFormatEntry {
  ZqFormat format;
  // Fills header from the file's headers for page (0 and up; beyond the last page:
  // ZQ_ERR_BAD_PARAMETER). The file size is the caller's to fill.
  ZqStatus (*readHeader)(ZqByteReader& in, int page, ZqHeader& header);
  // Decodes page of the file whose headers readHeader read into a packed DIB (*out,
  // owned by the caller), leaving the resolution to the caller.
  WORD (*decode)(ZqFile& file, const ZqHeader& header, int page, ZqProgress& progress, HGLOBAL* out);
  // Whether the format has pages beyond the first (TIFF directories, GIF frames).
  bool multiPage;
  // The image kind decode makes: ZQ_KIND_RASTER, or a vector kind whose loaders take the
  // size to draw at.
  WORD kind = ZQ_KIND_RASTER;
};

// The table's entry for a format; null for Unknown.
const ZqFormatEntry* FindFormat(ZqFormat format);
