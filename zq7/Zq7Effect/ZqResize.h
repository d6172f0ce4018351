// Resizing for the effect library, done by the common library's resampler so that every
// resized picture of the engine looks the same.
#pragma once

#include "zq7/Zq7Api.h"

// Resizes the raster image in images[0] to width x height into *result. On success the
// source has been consumed (images[0] is set to 0) and *result holds the new image; on
// failure *result is 0 and images[0] is left as it was for the caller to free. images[1]
// is reserved for a mask and must be 0. Every resize is smoothed (area averaging when
// reducing, bilinear when enlarging), so smooth is accepted as given; the four reserved
// arguments must be 0.
ZQ_EXPORT BOOL ZQResizeEx(HGLOBAL* images, HGLOBAL* result, LONG width, LONG height, LONG smooth, LONG reserved1,
                          LONG reserved2, LONG reserved3, LONG reserved4);
