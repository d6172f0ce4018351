// Small raster images for the engine tests, built and inspected through the engine's
// own entries plus direct pixel writes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dib.h"
#include "platform/memory.h"

namespace zqtest {

// A white image of the given size and depth (ZQCreateImage).
HGLOBAL White(int width, int height, int bitCount);
// Writes the colour index (1, 4, 8 bits) or the BGR(A) value (16, 24, 32 bits, low bytes
// first) of pixel (x, y) counted from the top of a bottom-up image.
void Put(HGLOBAL image, int x, int y, std::uint32_t value);
// The red channel of pixel (x, y); equals the grey level of grey images.
int Red(HGLOBAL image, int x, int y);
// Width, height and bits per pixel from the header.
BITMAPINFOHEADER Header(HGLOBAL image);

// A decoded DIB as its header, its colour table and RGBA pixels, top row first.
struct Decoded {
  BITMAPINFOHEADER header;
  std::vector<RGBQUAD> palette;
  std::vector<std::uint8_t> rgba;
};
// Decodes the first picture of an image handle (its block the size its header implies,
// or followed by the engine's frame trailer).
Decoded Decode(HGLOBAL image);

}  // namespace zqtest
