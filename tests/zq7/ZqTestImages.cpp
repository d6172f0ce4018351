#include "tests/zq7/ZqTestImages.h"

#include <gtest/gtest.h>

#include <cstring>

#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7File/ZqFrames.h"

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

Decoded Decode(HGLOBAL h) {
  Decoded d;
  platform::GlobalLockGuard lock(h);
  if (!lock) return d;
  const auto* base = lock.as<const std::uint8_t>();
  std::memcpy(&d.header, base, sizeof d.header);
  const BITMAPINFOHEADER& hd = d.header;
  // The block ends with the picture, or the engine's frame trailer follows it.
  const std::size_t dibBytes = static_cast<std::size_t>(platform::PackedDibSize(hd));
  const bool trailer = GlobalSize(h) >= dibBytes + sizeof kZqFramesMagic &&
                       std::memcmp(base + dibBytes, kZqFramesMagic, sizeof kZqFramesMagic) == 0;
  EXPECT_TRUE(GlobalSize(h) == dibBytes || trailer) << "block size matches the header";
  const std::uint32_t colors = hd.biBitCount <= 8 ? platform::DibColorCount(hd) : 0;
  const auto* pal = reinterpret_cast<const RGBQUAD*>(base + hd.biSize);
  d.palette.assign(pal, pal + colors);
  const std::uint8_t* bits = base + platform::DibBitsOffset(hd);
  const std::uint64_t stride = platform::DibStride(hd.biWidth, hd.biBitCount);
  const std::uint32_t w = static_cast<std::uint32_t>(hd.biWidth), ht = static_cast<std::uint32_t>(platform::DibAbsHeight(hd));
  d.rgba.resize(std::size_t{w} * ht * 4);
  for (std::uint32_t y = 0; y < ht; ++y) {
    const std::uint8_t* row = bits + stride * (hd.biHeight > 0 ? ht - 1 - y : y);
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint8_t* o = &d.rgba[(std::size_t{y} * w + x) * 4];
      if (hd.biBitCount <= 8) {
        const unsigned per = 8 / hd.biBitCount;
        const unsigned index = (row[x / per] >> ((per - 1 - x % per) * hd.biBitCount)) & ((1u << hd.biBitCount) - 1);
        EXPECT_LT(index, colors) << "pixel " << x << "," << y << " indexes past the colour table";
        const RGBQUAD q = index < colors ? pal[index] : RGBQUAD{};
        o[0] = q.rgbRed, o[1] = q.rgbGreen, o[2] = q.rgbBlue, o[3] = 255;
      } else {
        const std::uint8_t* p = row + std::size_t{x} * (hd.biBitCount / 8);
        o[0] = p[2], o[1] = p[1], o[2] = p[0], o[3] = hd.biBitCount == 32 ? p[3] : 255;
      }
    }
  }
  return d;
}

}  // namespace zqtest
