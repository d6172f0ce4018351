#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/zq7/ZqTestImages.h"
#include "zq7/Zq7Com/ZqClipboard.h"
#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"

using zqtest::Put;
using zqtest::White;

namespace {

// A block that is no image: the bytes of a BITMAPINFOHEADER whose pixels would lie
// beyond the block, or plain zeros.
HGLOBAL TruncatedDib() {
  const HGLOBAL h = White(16, 16, 24);
  GlobalReAlloc(h, 40 + 16 * 48 - 1, 0);
  return h;
}

HGLOBAL ZeroBlock() { return GlobalAlloc(GHND, 256); }

HGLOBAL VectorImage(WORD kind, DWORD dataBytes, std::size_t blockBytes) {
  const HGLOBAL h = GlobalAlloc(GHND, blockBytes);
  platform::GlobalLockGuard g(h);
  ZqVectorHeader v{};
  std::memcpy(v.magic, kZqVectorMagic, sizeof v.magic);
  v.kind = kind;
  v.width = 640;
  v.height = 480;
  v.xdpi = v.ydpi = 96;
  v.dataBytes = dataBytes;
  std::memcpy(g.get(), &v, sizeof v);
  return h;
}

}  // namespace

// Every entry that takes an image answers a handle that is not one with a status and
// leaves the block alone.
TEST(ZqImage, EntriesRefuseHandlesThatAreNotImages) {
  const HGLOBAL freed = White(4, 4, 8);
  GlobalFree(freed);
  const HGLOBAL truncated = TruncatedDib();
  const HGLOBAL zeros = ZeroBlock();
  const HGLOBAL cutVector = VectorImage(ZQ_KIND_SVG, 100, sizeof(ZqVectorHeader) + 99);
  const std::vector<std::pair<const char*, std::function<bool(HGLOBAL)>>> calls = {
      {"ZQGetMemorySize", [](HGLOBAL h) { return ZQGetMemorySize(h) == 0; }},
      {"ZQFreeMemory", [](HGLOBAL h) { return !ZQFreeMemory(h); }},
      {"ZQGetImageType", [](HGLOBAL h) { ZqImageInfo i{}; return !ZQGetImageType(h, &i); }},
      {"GetImageHandleType", [](HGLOBAL h) { return GetImageHandleType(h) == ZQ_KIND_INVALID; }},
      {"ZQGetDpi", [](HGLOBAL h) { LONG x, y; return !ZQGetDpi(h, &x, &y); }},
      {"ZQSetDpi", [](HGLOBAL h) { return !ZQSetDpi(h, 72, 72); }},
      {"ZQCopyImage", [](HGLOBAL h) { return ZQCopyImage(h) == 0; }},
      {"ZQGetPalette", [](HGLOBAL h) { RGBQUAD p[2]; return ZQGetPalette(h, p, 2) == 0; }},
      {"ZQGetOneBitPalCount", [](HGLOBAL h) { DWORD a, b; return !ZQGetOneBitPalCount(h, &a, &b); }},
      {"GetRGBPixel", [](HGLOBAL h) { return GetRGBPixel(h, 0, 0) == 0xFFFFFFFF; }},
      {"IsGrayImage", [](HGLOBAL h) { return !IsGrayImage(h); }},
      {"SetImageSize", [](HGLOBAL h) { return SetImageSize(h, 2, 2) == 0; }},
      {"ConvertColorTo8Gray", [](HGLOBAL h) { return ConvertColorTo8Gray(h) == 0; }},
      {"Resize1Bit", [](HGLOBAL h) { return Resize1Bit(h, 0, 0, 0, 0, 2, 2) == 0; }},
      {"ZQResizeRefine1BitImage", [](HGLOBAL h) { return ZQResizeRefine1BitImage(h, 2, 2) == 0; }},
      {"ZQSetToClipBrd", [](HGLOBAL h) { return !ZQSetToClipBrd(nullptr, h, 0, 0, 0, 0); }},
  };
  const std::size_t blocks = GlobalBlockCount();
  for (const HGLOBAL h : {HGLOBAL{0}, freed, truncated, zeros, cutVector}) {
    for (const auto& [name, call] : calls) {
      ZqSetErrorStatus(ZQ_OK);
      EXPECT_TRUE(call(h)) << name << " on handle " << h;
      EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER) << name << " on handle " << h;
    }
  }
  EXPECT_EQ(GlobalBlockCount(), blocks) << "nothing was freed or leaked";
  for (const HGLOBAL h : {truncated, zeros, cutVector}) EXPECT_EQ(GlobalFree(h), 0u);
}

struct CreateCase {
  int bits;
  BYTE r, g, b;
  DWORD expected;  // 0x00BBGGRR
};

TEST(ZqImage, CreateImageFillsEveryDepthWithTheNearestColour) {
  const CreateCase cases[] = {
      {1, 255, 0, 0, 0x000000},      // nearer black than white
      {1, 200, 200, 200, 0xFFFFFF},
      {4, 255, 0, 0, 0x0000FF},      // the standard table's red
      {4, 120, 120, 120, 0x808080},
      {8, 90, 90, 90, 0x5A5A5A},     // grey table holds every grey
      {16, 255, 128, 0, 0x0083FF},   // 5 bits per channel: 128 -> 16/31
      {24, 1, 2, 3, 0x030201},
      {32, 1, 2, 3, 0x030201},
  };
  for (const CreateCase& c : cases) {
    const HGLOBAL h = ZQCreateImage(13, 7, static_cast<WORD>(c.bits), c.r, c.g, c.b, 0, 0, 0, 0);
    ASSERT_NE(h, 0u) << c.bits;
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{12, 0}, std::pair{12, 6}, std::pair{5, 3}})
      EXPECT_EQ(GetRGBPixel(h, x, y), c.expected) << c.bits << " bits at " << x << "," << y;
    EXPECT_TRUE(ZQFreeMemory(h));
  }
}

TEST(ZqImage, CreateImageRefusesImpossibleRequests) {
  for (const auto& [w, h, bits] : {std::tuple{0, 5, 24}, std::tuple{5, -1, 24}, std::tuple{5, 5, 2}, std::tuple{5, 5, 0}}) {
    EXPECT_EQ(ZQCreateImage(w, h, static_cast<WORD>(bits), 0, 0, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  }
  EXPECT_EQ(ZQCreateImage(1 << 15, 1 << 15, 24, 0, 0, 0, 0, 0, 0, 0), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_TOO_LARGE);
}

TEST(ZqImage, ImageTypeDescribesRasterAndVectorImages) {
  const HGLOBAL raster = ZQCreateImage(30, 20, 8, 0, 0, 0, 300, 150, 0, 0);
  ZqImageInfo info{};
  ASSERT_TRUE(ZQGetImageType(raster, &info));
  EXPECT_EQ(info.value0, 8);
  EXPECT_EQ(info.value2, 256);
  EXPECT_EQ(info.xdpi, 300u);
  EXPECT_EQ(info.ydpi, 150u);
  EXPECT_EQ(info.width, 30u);
  EXPECT_EQ(info.height, 20u);
  EXPECT_EQ(info.value24, ZQGetMemorySize(raster));
  EXPECT_EQ(info.flag28, 1u) << "grey table";
  EXPECT_EQ(info.kind, ZQ_KIND_RASTER);
  ZQFreeMemory(raster);

  const HGLOBAL colour = White(3, 3, 24);
  ASSERT_TRUE(ZQGetImageType(colour, &info));
  EXPECT_EQ(info.flag28, 0u);
  EXPECT_EQ(info.value2, 0);
  ZQFreeMemory(colour);

  const HGLOBAL vector = VectorImage(ZQ_KIND_EMF, 10, sizeof(ZqVectorHeader) + 10);
  ASSERT_TRUE(ZQGetImageType(vector, &info));
  EXPECT_EQ(info.kind, ZQ_KIND_EMF);
  EXPECT_EQ(info.width, 640u);
  EXPECT_EQ(info.height, 480u);
  EXPECT_EQ(GetImageHandleType(vector), ZQ_KIND_EMF);
  const HGLOBAL copy = ZQCopyImage(vector);
  EXPECT_EQ(GetImageHandleType(copy), ZQ_KIND_EMF);
  EXPECT_TRUE(ZQFreeMemory(copy));
  EXPECT_TRUE(ZQFreeMemory(vector));
  EXPECT_FALSE(ZQFreeMemory(vector)) << "a second free is refused";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqImage, ResolutionRoundTripsAndRefusesNegativeValues) {
  const HGLOBAL h = White(4, 4, 24);
  LONG x = 0, y = 0;
  ASSERT_TRUE(ZQGetDpi(h, &x, &y));
  EXPECT_EQ(x, 96);
  EXPECT_EQ(y, 96);
  ASSERT_TRUE(ZQSetDpi(h, 72, 300));
  ASSERT_TRUE(ZQGetDpi(h, &x, &y));
  EXPECT_EQ(x, 72);
  EXPECT_EQ(y, 300);
  EXPECT_FALSE(ZQSetDpi(h, -5, 300));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  ASSERT_TRUE(ZQGetDpi(h, &x, &y));
  EXPECT_EQ(x, 72) << "a refused value changes nothing";
  ASSERT_TRUE(ZQSetDpiF(h, 72.5, 0));
  double fx = 0, fy = 1;
  ASSERT_TRUE(ZQGetDpiF(h, &fx, &fy));
  EXPECT_NEAR(fx, 72.5, 0.02);
  EXPECT_EQ(fy, 0.0);
  EXPECT_FALSE(ZQGetDpi(h, nullptr, &y));
  ZQFreeMemory(h);
}

TEST(ZqImage, CopyIsIndependentOfItsSource) {
  const std::size_t blocks = GlobalBlockCount();
  const HGLOBAL h = White(5, 5, 4);
  const HGLOBAL copy = ZQCopyImage(h);
  ASSERT_NE(copy, 0u);
  ASSERT_NE(copy, h);
  const RGBQUAD black{};
  ASSERT_TRUE(ZQSetPalette(h, &black, 1));
  Put(h, 2, 2, 0);
  EXPECT_EQ(GetRGBPixel(h, 2, 2), 0u);
  EXPECT_EQ(GetRGBPixel(copy, 2, 2), 0xFFFFFFu);
  EXPECT_TRUE(ZQFreeMemory(h));
  EXPECT_TRUE(ZQFreeMemory(copy));
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST(ZqImage, PaletteReadAndWrite) {
  const HGLOBAL h = White(2, 2, 4);
  RGBQUAD table[16];
  EXPECT_EQ(ZQGetPalette(h, table, 16), 16);
  EXPECT_EQ(table[9].rgbRed, 255);
  EXPECT_EQ(table[9].rgbGreen, 0);
  const RGBQUAD pink[2] = {{200, 100, 255, 0}, {1, 2, 3, 0}};
  ASSERT_TRUE(ZQSetPalette(h, pink, 2));
  RGBQUAD first[1];
  EXPECT_EQ(ZQGetPalette(h, first, 1), 16) << "answers the full count, copies what fits";
  EXPECT_EQ(first[0].rgbBlue, 200);
  ZQFreeMemory(h);

  const HGLOBAL rgb = White(2, 2, 24);
  EXPECT_EQ(ZQGetPalette(rgb, table, 16), 0);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  ZQFreeMemory(rgb);
}

TEST(ZqImage, OneBitCountsIgnoreRowPadding) {
  const HGLOBAL h = ZQCreateImage(10, 3, 1, 0, 0, 0, 0, 0, 0, 0);  // all colour 0
  {
    // Set every padding bit so that a count that reads them is caught.
    platform::GlobalLockGuard g(h);
    BYTE* bits = static_cast<BYTE*>(g.get()) + 40 + 8;
    for (int row = 0; row < 3; ++row) bits[row * 4 + 1] |= 0x3F, bits[row * 4 + 2] = 0xFF, bits[row * 4 + 3] = 0xFF;
  }
  Put(h, 0, 0, 1);
  Put(h, 9, 2, 1);
  Put(h, 8, 1, 1);
  DWORD zeros = 0, ones = 0;
  ASSERT_TRUE(ZQGetOneBitPalCount(h, &zeros, &ones));
  EXPECT_EQ(ones, 3u);
  EXPECT_EQ(zeros, 27u);
  ZQFreeMemory(h);
  const HGLOBAL deep = White(2, 2, 8);
  EXPECT_FALSE(ZQGetOneBitPalCount(deep, &zeros, &ones));
  ZQFreeMemory(deep);
}

TEST(ZqImage, ClipboardRoundTrip) {
  const HGLOBAL h = White(6, 4, 24);
  Put(h, 1, 2, 0x102030);  // B=0x30 G=0x20 R=0x10
  ZQSetDpi(h, 200, 200);
  ASSERT_TRUE(ZQSetToClipBrd(nullptr, h, 0, 0, 0, 0));
  EXPECT_TRUE(ZQIsClipBrdData(nullptr));
  const HGLOBAL back = ZQGetFromClipBrd(nullptr, 0, 0, 0, 0);
  ASSERT_NE(back, 0u);
  EXPECT_EQ(zqtest::Header(back).biWidth, 6);
  EXPECT_EQ(GetRGBPixel(back, 1, 2), 0x302010u);
  EXPECT_EQ(GetRGBPixel(back, 0, 0), 0xFFFFFFu);
  ZQClearClipBrd(nullptr);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  EXPECT_FALSE(ZQIsClipBrdData(nullptr));
  EXPECT_EQ(ZQGetFromClipBrd(nullptr, 0, 0, 0, 0), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  ZQFreeMemory(back);
  ZQFreeMemory(h);
}

TEST(ZqImage, SystemPaletteIsAnImageOfItsColours) {
  const auto h = static_cast<HGLOBAL>(ZQGetSystemPalette());
  ASSERT_NE(h, 0u);
  RGBQUAD table[256];
  ASSERT_EQ(ZQGetPalette(h, table, 256), 256);
  EXPECT_EQ(GetRGBPixel(h, 0, 0), 0x000000u);
  EXPECT_EQ(GetRGBPixel(h, 15, 15), 0xFFFFFFu);
  EXPECT_EQ(GetRGBPixel(h, 9, 15), 0x0000FFu) << "entry 249 is red";
  EXPECT_EQ(GetRGBPixel(h, 1, 0), 0x000080u) << "entry 1 is dark red";
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD c = table[i];
    EXPECT_EQ(GetRGBPixel(h, i % 16, i / 16), static_cast<DWORD>(c.rgbRed | c.rgbGreen << 8 | c.rgbBlue << 16)) << i;
  }
  EXPECT_TRUE(ZQFreeMemory(h));
}
