#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/zq7/ZqTestImages.h"
#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"

using zqtest::Header;
using zqtest::Put;
using zqtest::Red;
using zqtest::White;

namespace {

// A black-and-white 1-bit image of w x h whose columns from split on are white.
HGLOBAL HalfWhite(int w, int h, int split) {
  const HGLOBAL img = ZQCreateImage(w, h, 1, 0, 0, 0, 0, 0, 0, 0);
  for (int y = 0; y < h; ++y)
    for (int x = split; x < w; ++x) Put(img, x, y, 1);
  return img;
}

double MeanRed(HGLOBAL image) {
  const BITMAPINFOHEADER h = Header(image);
  double sum = 0;
  const int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < h.biWidth; ++x) sum += Red(image, x, y);
  return sum / (static_cast<double>(h.biWidth) * rows);
}

}  // namespace

struct TableCase {
  WORD bits;
  DWORD clrUsed;
  DWORD compression;
  WORD colours;
  WORD palBytes;
};

TEST(ZqDib, ColourTableSizes) {
  const TableCase cases[] = {
      {1, 0, BI_RGB, 2, 8},        {4, 0, BI_RGB, 16, 64},      {8, 0, BI_RGB, 256, 1024},
      {8, 16, BI_RGB, 16, 64},     {24, 0, BI_RGB, 0, 0},       {16, 0, BI_BITFIELDS, 0, 12},
      {32, 0, BI_BITFIELDS, 0, 12}, {32, 0, BI_RGB, 0, 0},
  };
  for (const TableCase& c : cases) {
    BITMAPINFOHEADER h;
    h.biWidth = 4;
    h.biHeight = 4;
    h.biBitCount = c.bits;
    h.biClrUsed = c.clrUsed;
    h.biCompression = c.compression;
    EXPECT_EQ(DibNumColors(&h), c.colours) << c.bits << " bits, " << c.clrUsed << " used";
    EXPECT_EQ(GetDibPalSize(&h), c.palBytes) << c.bits << " bits, " << c.clrUsed << " used";
  }
  EXPECT_EQ(GetDibPalSize(nullptr), 0);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqDib, PixelsOfEveryLayout) {
  // 16-bit 5-6-5 through bit fields, and a top-down 24-bit image.
  const std::size_t size = 40 + 12 + 4 * 2;
  const HGLOBAL h = GlobalAlloc(GHND, size);
  {
    platform::GlobalLockGuard g(h);
    BITMAPINFOHEADER hdr;
    hdr.biWidth = 2;
    hdr.biHeight = 2;
    hdr.biBitCount = 16;
    hdr.biCompression = BI_BITFIELDS;
    std::memcpy(g.get(), &hdr, 40);
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(static_cast<BYTE*>(g.get()) + 40, masks, 12);
  }
  Put(h, 0, 0, 0xF800);
  Put(h, 1, 1, 0x07E0);
  EXPECT_EQ(GetRGBPixel(h, 0, 0), 0x0000FFu);
  EXPECT_EQ(GetRGBPixel(h, 1, 1), 0x00FF00u);
  EXPECT_EQ(GetRGBPixel(h, 1, 0), 0u);
  EXPECT_EQ(GetRGBPixel(h, 2, 0), 0xFFFFFFFFu) << "outside";
  ZQFreeMemory(h);

  const HGLOBAL top = White(3, 2, 24);
  {
    platform::GlobalLockGuard g(top);
    g.as<BITMAPINFOHEADER>()->biHeight = -2;
  }
  Put(top, 2, 0, 0xFF0000);  // bytes B, G, R: red, in the first stored row
  EXPECT_EQ(GetRGBPixel(top, 2, 0), 0x0000FFu);
  EXPECT_EQ(GetRGBPixel(top, 2, 1), 0xFFFFFFu);
  const HGLOBAL flipped = SetImageSize(ZQCopyImage(top), 6, 4);
  EXPECT_EQ(Red(flipped, 5, 0), 255) << "the top stays on top when resampled";
  EXPECT_EQ(GetRGBPixel(flipped, 5, 0) & 0xFFFF00, 0u);
  EXPECT_EQ(GetRGBPixel(flipped, 5, 3), 0xFFFFFFu);
  ZQFreeMemory(flipped);
  ZQFreeMemory(top);
}

TEST(ZqDib, SetImageSizeAveragesAreasAndConsumesTheSource) {
  const std::size_t blocks = GlobalBlockCount();
  const HGLOBAL checker = White(4, 4, 24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if ((x + y) % 2) Put(checker, x, y, 0);
  const HGLOBAL small = SetImageSize(checker, 2, 2);
  ASSERT_NE(small, 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  EXPECT_EQ(GetImageHandleType(checker), ZQ_KIND_INVALID) << "the source was freed";
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(GetRGBPixel(small, x, y), 0x808080u);
  EXPECT_EQ(Header(small).biBitCount, 24);
  EXPECT_EQ(SetImageSize(small, 2, 2), small) << "same size: the same handle";
  ZQFreeMemory(small);
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST(ZqDib, SetImageSizeKeepsTheMeanAtAnyRatio) {
  std::mt19937 random(7);
  const HGLOBAL h = White(17, 11, 8);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 17; ++x) Put(h, x, y, random() % 256);
  const double before = MeanRed(h);
  ZqImageInfo info{};
  ASSERT_TRUE(ZQGetImageType(h, &info));
  const HGLOBAL small = SetImageSize(h, 5, 3);
  ASSERT_TRUE(ZQGetImageType(small, &info));
  EXPECT_EQ(info.value0, 8) << "grey images stay grey";
  EXPECT_EQ(info.width, 5u);
  EXPECT_EQ(info.height, 3u);
  EXPECT_NEAR(MeanRed(small), before, 1.0);
  ZQFreeMemory(small);
}

TEST(ZqDib, EnlargingInterpolatesBetweenNeighbours) {
  const HGLOBAL h = White(2, 1, 24);
  Put(h, 0, 0, 0);
  const HGLOBAL big = SetImageSize(h, 8, 1);
  ASSERT_NE(big, 0u);
  EXPECT_EQ(Red(big, 0, 0), 0);
  EXPECT_EQ(Red(big, 7, 0), 255);
  for (int x = 1; x < 8; ++x) EXPECT_LE(Red(big, x - 1, 0), Red(big, x, 0)) << x;
  EXPECT_GT(Red(big, 4, 0), 0);
  EXPECT_LT(Red(big, 3, 0), 255);
  ZQFreeMemory(big);
}

TEST(ZqDib, SetImageSizeKeepsAlphaAndRefusesHugeSizes) {
  const HGLOBAL h = ZQCreateImage(4, 4, 32, 10, 20, 30, 0, 0, 0, 0);
  const HGLOBAL half = SetImageSize(h, 2, 2);
  EXPECT_EQ(Header(half).biBitCount, 32);
  EXPECT_EQ(GetRGBPixel(half, 1, 1), 0x1E140Au);
  const HGLOBAL same = SetImageSize(half, 1 << 20, 1 << 20);
  EXPECT_EQ(same, half) << "the caller keeps the source when no resampled image can be made";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_TOO_LARGE);
  EXPECT_EQ(SetImageSize(half, 0, 5), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  EXPECT_EQ(GetImageHandleType(half), ZQ_KIND_RASTER) << "a refused call frees nothing";
  ZQFreeMemory(half);
}

TEST(ZqDib, GreyCopyOnlyForBlackAndWhitePages) {
  const HGLOBAL bw = HalfWhite(9, 3, 4);
  EXPECT_TRUE(IsGrayImage(bw));
  const HGLOBAL grey = ConvertColorTo8Gray(bw);
  ASSERT_NE(grey, 0u);
  EXPECT_EQ(Header(grey).biBitCount, 8);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(Red(grey, x, 1), x < 4 ? 0 : 255) << x;
  ZQFreeMemory(grey);
  EXPECT_EQ(GetImageHandleType(bw), ZQ_KIND_RASTER) << "the source is kept";
  ZQFreeMemory(bw);

  // Images with more than two levels are shown in their own colours, grey ones too.
  for (const WORD bits : {4, 8, 24}) {
    const HGLOBAL other = ZQCreateImage(3, 3, bits, 0, 0, 0, 0, 0, 0, 0);
    ASSERT_NE(other, 0u) << bits;
    EXPECT_EQ(ConvertColorTo8Gray(other), 0u) << bits;
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED) << bits;
    ZQFreeMemory(other);
  }
  // A two-colour page in colours of its own keeps them.
  const HGLOBAL tinted = ZQCreateImage(3, 3, 1, 0, 0, 0, 0, 0, 0, 0);
  const RGBQUAD table[2] = {{255, 0, 0, 0}, {0, 255, 255, 0}};
  ASSERT_TRUE(ZQSetPalette(tinted, table, 2));
  EXPECT_EQ(ConvertColorTo8Gray(tinted), 0u);
  ZQFreeMemory(tinted);
}

struct PartCase {
  LONG left, top, right, bottom, width, height;
  int leftValue, rightValue;  // grey of the output's first and last column
};

TEST(ZqDib, Resize1BitTakesTheGivenPart) {
  const HGLOBAL bw = HalfWhite(8, 8, 4);
  const PartCase cases[] = {
      {0, 0, 0, 0, 2, 2, 0, 255},        // whole image
      {4, 0, 7, 7, 2, 2, 255, 255},      // the white half
      {0, 0, 3, 7, 3, 1, 0, 0},          // the black half
      {2, 0, 5, 7, 1, 1, 128, 128},      // across the edge: half and half
      {-3, -3, 100, 100, 2, 2, 0, 255},  // cut to the image
  };
  for (const PartCase& c : cases) {
    const HGLOBAL part = Resize1Bit(bw, c.left, c.top, c.right, c.bottom, c.width, c.height);
    ASSERT_NE(part, 0u) << c.left << "," << c.right;
    EXPECT_EQ(Header(part).biWidth, c.width);
    EXPECT_EQ(Red(part, 0, 0), c.leftValue) << c.left << "," << c.right;
    EXPECT_EQ(Red(part, c.width - 1, c.height - 1), c.rightValue) << c.left << "," << c.right;
    ZQFreeMemory(part);
  }
  EXPECT_EQ(Resize1Bit(bw, 10, 10, 12, 12, 2, 2), 0u) << "wholly outside";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  ZQFreeMemory(bw);
}

TEST(ZqDib, RefineOneBitGivesTheShareOfWhite) {
  const HGLOBAL bw = HalfWhite(4, 4, 3);  // one white column in four
  const HGLOBAL one = ZQResizeRefine1BitImage(bw, 1, 1);
  ASSERT_NE(one, 0u);
  EXPECT_EQ(Red(one, 0, 0), 64);
  ZQFreeMemory(one);
  ZQFreeMemory(bw);
  const HGLOBAL deep = White(4, 4, 8);
  EXPECT_EQ(ZQResizeRefine1BitImage(deep, 1, 1), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  ZQFreeMemory(deep);
}

// Blocks whose header bytes were scrambled: every entry either works within the block
// or refuses with a status (run under the address sanitizer this also proves that no
// read leaves the block).
TEST(ZqDib, ScrambledHeadersNeverReadOutsideTheBlock) {
  std::mt19937 random(2024);
  const int depths[] = {1, 4, 8, 16, 24, 32};
  for (int round = 0; round < 3000; ++round) {
    const HGLOBAL h = White(5, 3, depths[round % 6]);
    {
      platform::GlobalLockGuard g(h);
      auto* bytes = static_cast<BYTE*>(g.get());
      for (int k = 0; k < 1 + round % 4; ++k) {
        const auto at = random() % 40;
        bytes[at] = static_cast<BYTE>(random() % 3 == 0 ? 0xFF : random());
      }
    }
    ZqImageInfo info{};
    ZQGetImageType(h, &info);
    GetRGBPixel(h, 4, 2);
    IsGrayImage(h);
    const HGLOBAL grey = ConvertColorTo8Gray(h);
    if (grey) ZQFreeMemory(grey);
    const HGLOBAL part = Resize1Bit(h, 0, 0, 0, 0, 3, 2);
    if (part) ZQFreeMemory(part);
    const HGLOBAL resized = SetImageSize(h, 7, 2);
    const HGLOBAL left = resized ? resized : h;
    EXPECT_TRUE(ZQFreeMemory(left) || GlobalFree(left) == 0) << "round " << round;
  }
}
