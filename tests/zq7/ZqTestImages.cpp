#include "tests/zq7/ZqTestImages.h"

#include <gtest/gtest.h>

#include <cstring>

#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqImage.h"

namespace zqtest {

HGLOBAL White(int width, int height, int bitCount) {
  const HGLOBAL h = ZQCreateImage(width, height, static_cast<WORD>(bitCount), 255, 255, 255, 0, 0, 0, 0);
  EXPECT_NE(h, 0u) << width << "x" << height << "x" << bitCount;
  return h;
}

void Put(HGLOBAL image, int x, int y, std::uint32_t value) {
  platform::GlobalLockGuard g(image);
  ASSERT_TRUE(g);
  auto* h = g.as<BITMAPINFOHEADER>();
  const int rows = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  const int stored = h->biHeight < 0 ? y : rows - 1 - y;
  BYTE* row = reinterpret_cast<BYTE*>(h) + platform::DibBitsOffset(*h) +
              platform::DibStride(h->biWidth, h->biBitCount) * static_cast<std::size_t>(stored);
  const int bits = h->biBitCount;
  if (bits < 8) {
    const int perByte = 8 / bits;
    const int shift = 8 - bits * (x % perByte + 1);
    const int mask = ((1 << bits) - 1) << shift;
    row[x / perByte] = static_cast<BYTE>((row[x / perByte] & ~mask) | ((value << shift) & mask));
  } else {
    std::memcpy(row + static_cast<std::size_t>(x) * (bits / 8), &value, static_cast<std::size_t>(bits / 8));
  }
}

int Red(HGLOBAL image, int x, int y) { return static_cast<int>(GetRGBPixel(image, x, y) & 0xFF); }

BITMAPINFOHEADER Header(HGLOBAL image) {
  platform::GlobalLockGuard g(image);
  return g ? *g.as<BITMAPINFOHEADER>() : BITMAPINFOHEADER{};
}

}  // namespace zqtest
