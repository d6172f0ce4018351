// Pixels of raster images: colour table arithmetic, reading pixels of every depth,
// quality resampling and grey conversion, and the bridge to QImage.
#pragma once

#include <QImage>

#include "zq7/Zq7Com/ZqImage.h"

// Entries of the colour table of the DIB that starts at header (0 for images without
// one); the header is a locked image's first bytes.
ZQ_EXPORT WORD DibNumColors(const BITMAPINFOHEADER* header);
// Bytes between the header and the pixels: the colour table, or the three colour masks
// of a bit-field image.
ZQ_EXPORT WORD GetDibPalSize(const BITMAPINFOHEADER* header);
// Nonzero for an image of 1, 4 or 8 bits whose colour table holds only greys.
ZQ_EXPORT BOOL IsGrayImage(HGLOBAL image);
// The colour of pixel (x, y), counted from the top left, as 0x00BBGGRR; 0xFFFFFFFF when
// the handle is not an image or the point lies outside it.
ZQ_EXPORT DWORD GetRGBPixel(HGLOBAL image, LONG x, LONG y);

// Resamples a raster image to width x height (area averaging when reducing, bilinear
// when enlarging) and gives the handle the caller keeps from now on: on success the
// source is freed and the new image returned; at the same size, or when memory runs
// short, the source itself comes back (with the status telling which). Grey images stay
// 8-bit grey, 32-bit images keep their alpha, all others become 24-bit. A handle that is
// not a raster image is not touched and 0 is returned.
ZQ_EXPORT HGLOBAL SetImageSize(HGLOBAL image, LONG width, LONG height);
// An 8-bit grey copy of a 1-bit image in black and white (documents, faxes), whose
// reductions are smoothed from it; 0 with ZQ_ERR_UNSUPPORTED for every other image,
// which is shown in its own colours.
ZQ_EXPORT HGLOBAL ConvertColorTo8Gray(HGLOBAL image);
// An 8-bit grey image of width x height resampled by area averaging from the part
// (left, top)-(right, bottom), inclusive, of an image; all four 0 take the whole image.
// The source is kept.
ZQ_EXPORT HGLOBAL Resize1Bit(HGLOBAL image, LONG left, LONG top, LONG right, LONG bottom, LONG width, LONG height);
// The grey reduction of a 1-bit image to width x height, each output pixel the share of
// white in the area it covers.
ZQ_EXPORT HGLOBAL ZQResizeRefine1BitImage(HGLOBAL image, LONG width, LONG height);

namespace zq {

// Nonzero when the image has a colour table and every entry is grey.
bool HasGreyTable(const RasterLock& image);
// Row y (from the top) as 4 bytes B, G, R, A per pixel; A is 255 except in 32-bit images.
void UnpackRow(const RasterLock& image, int y, BYTE* bgra);
// The image as a QImage (ARGB32 for 32-bit images, RGB32 otherwise), resolution kept.
QImage ToQImage(const RasterLock& image);
// A new 24-bit (32-bit when it has alpha) raster image from a QImage; 0 with the
// status set on failure.
HGLOBAL FromQImage(const QImage& image);

}  // namespace zq
