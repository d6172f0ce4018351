// Image memory: what an image handle holds, how it is checked, created, copied, freed
// and described, and its resolution and colour table.
//
// A raster image is a global memory block holding a packed DIB (header, colour table,
// bottom-up rows padded to 4 bytes); a vector image's block begins with ZqVectorHeader.
// Any other handle (0, freed, unknown, or a block that is neither) is not an image: the
// entries answer it with ZQ_ERR_BAD_PARAMETER and never touch it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dib.h"
#include "platform/memory.h"
#include "zq7/Zq7Api.h"

// Bytes of the image's block; 0 for a handle that is not an image.
ZQ_EXPORT DWORD ZQGetMemorySize(HGLOBAL image);
// Frees an image; nonzero when freed. A handle that is not an image is left alone.
ZQ_EXPORT BOOL ZQFreeMemory(HGLOBAL image);
// Describes an image (raster or vector) into info; nonzero on success.
ZQ_EXPORT BOOL ZQGetImageType(HGLOBAL image, ZqImageInfo* info);
// The image kind (ZqImageKind) of a handle, ZQ_KIND_INVALID for anything else.
ZQ_EXPORT WORD GetImageHandleType(HGLOBAL image);

// Resolution in whole dots per inch, kept in the header's pixels per metre.
ZQ_EXPORT BOOL ZQSetDpi(HGLOBAL image, LONG xdpi, LONG ydpi);
ZQ_EXPORT BOOL ZQGetDpi(HGLOBAL image, LONG* xdpi, LONG* ydpi);
// The same with fractions, for resolutions such as 72.5 dpi.
ZQ_EXPORT BOOL ZQSetDpiF(HGLOBAL image, double xdpi, double ydpi);
ZQ_EXPORT BOOL ZQGetDpiF(HGLOBAL image, double* xdpi, double* ydpi);

// Copies up to count colour table entries into palette; returns how many the image has
// (0 with ZQ_ERR_UNSUPPORTED for an image without a colour table).
ZQ_EXPORT int ZQGetPalette(HGLOBAL image, RGBQUAD* palette, int count);
// Replaces the first count entries of the colour table (count is cut to the table).
ZQ_EXPORT BOOL ZQSetPalette(HGLOBAL image, const RGBQUAD* palette, int count);
// For a 1-bit image: how many pixels use colour 0 and how many colour 1.
ZQ_EXPORT BOOL ZQGetOneBitPalCount(HGLOBAL image, DWORD* count0, DWORD* count1);

// The system palette as a new 16 x 16 image of 8 bits whose pixel i (row by row from the
// top left) shows colour i of its table: the twenty static colours of the standard
// palette at both ends, a 6 x 6 x 6 colour cube and greys between. The handle is the
// caller's to free with ZQFreeMemory.
ZQ_EXPORT LONG ZQGetSystemPalette();

// A new image with the same contents, owned by the caller.
ZQ_EXPORT HGLOBAL ZQCopyImage(HGLOBAL image);
// A new raster image of width x height at bitCount bits (1, 4, 8, 16, 24 or 32), filled
// with the colour (red, green, blue); 1, 4 and 8 bits get a grey or standard colour table
// and the nearest entry. xdpi and ydpi of 0 mean 96 dpi; reserved1 and reserved2 must be 0.
ZQ_EXPORT HGLOBAL ZQCreateImage(LONG width, LONG height, WORD bitCount, BYTE red, BYTE green, BYTE blue,
                                LONG xdpi, LONG ydpi, LONG reserved1, LONG reserved2);

namespace zq {

// Checks that data (bytes long) is a packed DIB this engine reads: a header of at least
// 40 bytes, positive width, nonzero height, 1/4/8/16/24/32 bits, uncompressed (or bit
// fields for 16 and 32 bits), within the pixel cap, and colour table and rows inside.
bool IsValidDib(const void* data, std::size_t bytes);
// The vector header when data (bytes long) is a complete vector image, else null.
const ZqVectorHeader* AsVectorImage(const void* data, std::size_t bytes);

// A raster image locked for the lifetime of the object; false when the handle is not a
// valid raster image. Rows are addressed from the top.
class RasterLock {
 public:
  explicit RasterLock(HGLOBAL image);
  explicit operator bool() const { return header_ != nullptr; }

  BITMAPINFOHEADER& header() const { return *header_; }
  int width() const { return header_->biWidth; }
  int height() const { return static_cast<int>(platform::DibAbsHeight(*header_)); }
  int bitCount() const { return header_->biBitCount; }
  // The colour table of a 1, 4 or 8-bit image; empty for deeper ones.
  RGBQUAD* colors() const;
  int colorCount() const;
  std::size_t stride() const { return static_cast<std::size_t>(platform::DibStride(header_->biWidth, header_->biBitCount)); }
  BYTE* row(int yFromTop) const;

 private:
  platform::GlobalLockGuard guard_;
  BITMAPINFOHEADER* header_ = nullptr;
};

}  // namespace zq
