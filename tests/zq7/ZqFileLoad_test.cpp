#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <tiffio.h>

#include "platform/dib.h"
#include "platform/memory.h"
#include "tests/support/TempDir.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqFileLoad.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "tests/support/SourcePath.h"
#include "tests/zq7/ZqTestImages.h"

namespace fs = std::filesystem;
using zqtest::Decode;
using zqtest::Decoded;

namespace {

std::string Fixture(const std::string& name) { return testsupport::SourcePath("tests/data/load/" + name); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

HGLOBAL Load(const std::string& path, int page = 0, ZqProgressProc callback = nullptr) {
  return ZQFileLoad(path.c_str(), page, 0, 0, callback, "", "", "");
}

// Compares with the RGBA pixels ImageMagick decoded; on a difference reports the first
// differing pixel and writes both images (as PAM) beside the test's output.
::testing::AssertionResult SamePixels(const std::string& name, const Decoded& d, const std::string& expectedPath, int tolerance) {
  const std::string expected = ReadAll(expectedPath);
  if (expected.size() != d.rgba.size())
    return ::testing::AssertionFailure() << name << ": " << d.rgba.size() << " bytes decoded, " << expected.size() << " expected";
  const std::uint32_t w = static_cast<std::uint32_t>(d.header.biWidth);
  const bool alpha = d.header.biBitCount == 32;
  for (std::size_t i = 0; i < expected.size(); i += 4) {
    const auto* e = reinterpret_cast<const std::uint8_t*>(expected.data() + i);
    const std::uint8_t* a = &d.rgba[i];
    bool differs = alpha && std::abs(int(a[3]) - int(e[3])) > tolerance;
    if (!alpha || e[3] != 0)  // colour under full transparency is not defined
      for (int c = 0; c < 3; ++c) differs = differs || std::abs(int(a[c]) - int(e[c])) > tolerance;
    if (differs) {
      auto pam = [&](const std::string& file, const std::uint8_t* px) {
        std::ofstream out(file, std::ios::binary);
        out << "P7\nWIDTH " << w << "\nHEIGHT " << expected.size() / 4 / w << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
        out.write(reinterpret_cast<const char*>(px), static_cast<std::streamsize>(expected.size()));
      };
      pam(name + ".actual.pam", d.rgba.data());
      pam(name + ".expected.pam", reinterpret_cast<const std::uint8_t*>(expected.data()));
      const std::size_t p = i / 4;
      return ::testing::AssertionFailure() << name << ": first difference at " << p % w << "," << p / w << ": got " << int(a[0]) << ","
                                           << int(a[1]) << "," << int(a[2]) << "," << int(a[3]) << " expected " << int(e[0]) << ","
                                           << int(e[1]) << "," << int(e[2]) << "," << int(e[3]);
    }
  }
  return ::testing::AssertionSuccess();
}

struct FixtureCase {
  const char* file;
  WORD bits;         // DIB bit count
  DWORD colors;      // colour table entries
  int xdpi, ydpi;    // -1: not checked
  int tolerance;     // per channel
};

std::ostream& operator<<(std::ostream& os, const FixtureCase& c) { return os << c.file; }

class LoadFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(LoadFixture, MatchesImageMagickPixelsAndHeader) {
  const FixtureCase& c = GetParam();
  const std::size_t blocks = GlobalBlockCount();
  const HGLOBAL h = Load(Fixture(c.file));
  ASSERT_NE(h, 0u) << c.file << " status " << ZQGetErrorStatus();
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  const Decoded d = Decode(h);
  EXPECT_EQ(d.header.biSize, 40u);
  EXPECT_EQ(d.header.biWidth, 37);
  EXPECT_EQ(d.header.biHeight, 23) << "bottom-up";
  EXPECT_EQ(d.header.biBitCount, c.bits);
  EXPECT_EQ(d.header.biCompression, BI_RGB);
  EXPECT_EQ(d.palette.size(), c.colors);
  if (c.xdpi >= 0) {
    EXPECT_EQ(platform::DpiFromPelsPerMeter(d.header.biXPelsPerMeter), c.xdpi);
  }
  if (c.ydpi >= 0) {
    EXPECT_EQ(platform::DpiFromPelsPerMeter(d.header.biYPelsPerMeter), c.ydpi);
  }
  EXPECT_TRUE(SamePixels(c.file, d, Fixture(std::string(c.file) + ".rgba"), c.tolerance));
  EXPECT_EQ(GlobalFree(h), 0u);
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

// JPEG pixels may differ by a level or two where ImageMagick's decoder settings differ.
constexpr int kLossy = 3;
const FixtureCase kFixtures[] = {
    {"bmp24.bmp", 24, 0, -1, -1, 0},
    {"bmp8.bmp", 8, 256, -1, -1, 0},
    {"bmp4.bmp", 4, 16, -1, -1, 0},
    {"bmp1.bmp", 1, 2, -1, -1, 0},
    {"rle8.bmp", 8, 256, -1, -1, 0},
    {"rle4.bmp", 4, 16, 72, 72, 0},
    {"bmp565.bmp", 24, 0, -1, -1, 0},
    {"bmp32a.bmp", 32, 0, -1, -1, 0},
    {"os2.bmp", 8, 256, 0, 0, 0},
    {"topdown.bmp", 24, 0, -1, -1, 0},
    {"grey1.png", 1, 2, 0, 0, 0},
    {"grey2.png", 8, 256, 0, 0, 0},
    {"grey4.png", 4, 16, 0, 0, 0},
    {"grey16.png", 8, 256, 0, 0, 1},
    {"pal4.png", 4, 16, -1, -1, 0},
    {"paltrns.png", 32, 0, -1, -1, 0},
    {"rgb8.png", 24, 0, 300, 300, 0},
    {"rgb16.png", 24, 0, -1, -1, 1},
    {"rgba.png", 32, 0, -1, -1, 0},
    {"greyalpha.png", 32, 0, -1, -1, 0},
    {"interlaced.png", 24, 0, -1, -1, 0},
    {"baseline.jpg", 24, 0, 0, 0, kLossy},
    {"progressive.jpg", 24, 0, 0, 0, kLossy},
    {"grey.jpg", 8, 256, 0, 0, kLossy},
    {"cmyk.jpg", 24, 0, -1, -1, kLossy},
    {"density.jpg", 24, 0, 72, 150, kLossy},
    {"gif87.gif", 8, 64, 0, 0, 0},
    {"gif89.gif", 8, 32, 0, 0, 0},
    {"interlaced.gif", 8, 64, 0, 0, 0},
    {"rgb_none.tif", 24, 0, 300, 300, 0},
    {"rgb_lzw.tif", 24, 0, 300, 300, 0},
    {"rgb_packbits.tif", 24, 0, 300, 300, 0},
    {"rgb_zip.tif", 24, 0, 300, 300, 0},
    {"rgb_jpeg.tif", 24, 0, 300, 300, kLossy},
    {"rgb_tiled.tif", 24, 0, 300, 300, 0},
    {"rgb_planar.tif", 24, 0, 300, 300, 0},
    {"bw_g3.tif", 1, 2, -1, -1, 0},
    {"bw_g3_2d.tif", 1, 2, -1, -1, 0},
    {"bw_g4.tif", 1, 2, -1, -1, 0},
    {"bw_tiled.tif", 1, 2, -1, -1, 0},
    {"bw_miniswhite.tif", 1, 2, -1, -1, 0},
    {"rgb16.tif", 24, 0, -1, -1, 1},
    {"cmyk.tif", 24, 0, -1, -1, 1},
    {"pal4.tif", 4, 16, -1, -1, 0},
    {"grey8.tif", 8, 256, -1, -1, 0},
    {"grey16.tif", 8, 256, -1, -1, 1},
    {"rgba.tif", 32, 0, -1, -1, 0},
    {"twopages.tif", 24, 0, 300, 300, 0},
    {"pcx24.pcx", 24, 0, -1, -1, 0},
    {"pcx8.pcx", 8, 256, -1, -1, 0},
    {"pcx1.pcx", 1, 2, 96, 96, 0},
    {"pcx4planes.pcx", 4, 16, 300, 200, 0},
    {"rgb.jp2", 24, 0, 0, 0, 0},
    {"rgb.j2k", 24, 0, 0, 0, 0},
    {"grey.jp2", 8, 256, 0, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Fixtures, LoadFixture, ::testing::ValuesIn(kFixtures));

TEST(ZqFileLoad, PagesSelectFramesAndDirectories) {
  struct Case {
    const char* file;
    int page;
    const char* expected;  // RGBA reference; null: the page does not exist
  };
  const Case cases[] = {
      {"gif89.gif", 1, "gif89.gif.1.rgba"},       {"gif89.gif", kZqAllPages, "gif89.gif.rgba"},
      {"gif89.gif", 2, nullptr},                  {"twopages.tif", 1, "twopages.tif.1.rgba"},
      {"twopages.tif", kZqAllPages, "twopages.tif.rgba"}, {"twopages.tif", 2, nullptr},
      {"baseline.jpg", kZqAllPages, "baseline.jpg.rgba"}, {"baseline.jpg", 1, nullptr},
      {"bmp24.bmp", -1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " page " + std::to_string(c.page));
    const std::size_t blocks = GlobalBlockCount();
    const HGLOBAL h = Load(Fixture(c.file), c.page);
    if (!c.expected) {
      EXPECT_EQ(h, 0u);
      EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
    } else {
      ASSERT_NE(h, 0u) << ZQGetErrorStatus();
      EXPECT_TRUE(SamePixels(c.file, Decode(h), Fixture(c.expected), std::string(c.file).ends_with(".jpg") ? kLossy : 0));
      GlobalFree(h);
    }
    EXPECT_EQ(GlobalBlockCount(), blocks);
  }
}

TEST(ZqFileLoad, SecondTiffPageIsBilevelWithItsOwnHeader) {
  const HGLOBAL h = ZQTiffFileLoad(Fixture("twopages.tif").c_str(), 1, nullptr, "", "", "");
  ASSERT_NE(h, 0u);
  const Decoded d = Decode(h);
  EXPECT_EQ(d.header.biBitCount, 1);
  ASSERT_EQ(d.palette.size(), 2u);
  EXPECT_EQ(d.palette[0].rgbRed, 0) << "min-is-black: black first";
  GlobalFree(h);
}

TEST(ZqFileLoad, MinIsWhiteKeepsPixelsAndPutsWhiteFirst) {
  const HGLOBAL h = Load(Fixture("bw_miniswhite.tif"));
  ASSERT_NE(h, 0u);
  const Decoded d = Decode(h);
  ASSERT_EQ(d.palette.size(), 2u);
  EXPECT_EQ(d.palette[0].rgbRed, 255);
  EXPECT_EQ(d.palette[1].rgbRed, 0);
  GlobalFree(h);
}

// Each format's own loader reads its format and refuses the others by content.
TEST(ZqFileLoad, FormatLoadersAcceptOnlyTheirFormat) {
  using Loader = HGLOBAL (*)(const char*);
  struct Case {
    const char* name;
    Loader load;
    const char* own;
  };
  const Case cases[] = {
      {"bmp", [](const char* f) { return ZQBmpFileLoad(f, nullptr, "", "", ""); }, "rle8.bmp"},
      {"jpeg", [](const char* f) { return ZQJpegFileLoad(f, nullptr, "", "", ""); }, "cmyk.jpg"},
      {"pcx", [](const char* f) { return ZQPcxFileLoad(f, nullptr, "", "", ""); }, "pcx8.pcx"},
      {"j2k", [](const char* f) { return ZQJ2kFileLoad(f, nullptr, "", "", ""); }, "rgb.j2k"},
      {"jp2", [](const char* f) { return ZQJ2kFileLoad(f, nullptr, "", "", ""); }, "grey.jp2"},
      {"gif", [](const char* f) { return ZQGifFileLoad(f, 0, nullptr, "", "", ""); }, "interlaced.gif"},
      {"tiff", [](const char* f) { return ZQTiffFileLoad(f, 0, nullptr, "", "", ""); }, "bw_g4.tif"},
      {"png", [](const char* f) { return ZQPngFileLoad(f, nullptr, "", "", ""); }, "rgba.png"},
      {"pngex1", [](const char* f) { return ZQPngFileLoadEx(f, 1, nullptr, "", "", ""); }, "grey4.png"},
      {"pngex2", [](const char* f) { return ZQPngFileLoadEx(f, 2, nullptr, "", "", ""); }, "grey4.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HGLOBAL own = c.load(Fixture(c.own).c_str());
    EXPECT_NE(own, 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
    GlobalFree(own);
    // A file of another format with a misleading extension is refused.
    testsupport::TempDir dir;
    const std::string other = std::string(c.own).ends_with(".pcx") ? "bmp8.bmp" : "pcx8.pcx";
    const std::string disguised = dir.Write(std::string("x.") + c.name, ReadAll(Fixture(other)));
    EXPECT_EQ(c.load(disguised.c_str()), 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  }
  EXPECT_EQ(ZQPngFileLoadEx(Fixture("rgba.png").c_str(), 3, nullptr, "", "", ""), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqFileLoad, ArgumentsAndFilesThatAreNoImages) {
  testsupport::TempDir dir;
  EXPECT_EQ(ZQFileLoad(nullptr, 0, 0, 0, nullptr, nullptr, nullptr, nullptr), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  EXPECT_EQ(Load(dir.path() + "missing.jpg"), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
  EXPECT_EQ(Load(dir.path()), 0u) << "a folder";
  EXPECT_NE(ZQGetErrorStatus(), ZQ_OK);
  EXPECT_EQ(Load(dir.Write("empty.png", "")), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  EXPECT_EQ(Load(dir.Write("text.bmp", "just some text, not a picture")), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  // A success clears an earlier failure's status.
  const HGLOBAL h = Load(Fixture("bmp1.bmp"));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  GlobalFree(h);
}

std::vector<int> g_percents;
int g_cancelAt = -1;  // number of calls after which the callback answers 0
BOOL Record(int percent) {
  g_percents.push_back(percent);
  return static_cast<int>(g_percents.size()) == g_cancelAt ? FALSE : TRUE;
}

// A plain 24-bit BMP of the given size, written here so that the test needs no tool.
std::string MakeBmp(int width, int height) {
  BITMAPINFOHEADER h;
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = 24;
  const std::uint64_t image = platform::DibStride(width, 24) * static_cast<std::uint64_t>(height);
  std::string file = "BM";
  auto put32 = [&](std::uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
  put32(static_cast<std::uint32_t>(14 + 40 + image));
  put32(0);
  put32(14 + 40);
  file.append(reinterpret_cast<const char*>(&h), sizeof h);
  for (std::uint64_t i = 0; i < image; ++i) file.push_back(static_cast<char>(i * 7));
  return file;
}

TEST(ZqFileLoad, ProgressRisesInSmallStepsToHundred) {
  testsupport::TempDir dir;
  const std::string big = dir.Write("big.bmp", MakeBmp(300, 1000));
  g_percents.clear();
  g_cancelAt = -1;
  const HGLOBAL h = Load(big, 0, Record);
  ASSERT_NE(h, 0u);
  GlobalFree(h);
  ASSERT_FALSE(g_percents.empty());
  EXPECT_EQ(g_percents.back(), 100);
  EXPECT_LE(g_percents.front(), 5);
  for (std::size_t i = 1; i < g_percents.size(); ++i) {
    EXPECT_GT(g_percents[i], g_percents[i - 1]) << "each value once, rising";
    EXPECT_LE(g_percents[i] - g_percents[i - 1], 5) << "at least every few percent";
  }
}

// Every fixture reports progress ending at 100, and a 0 answer at the first or a later
// call cancels with nothing leaked.
TEST_P(LoadFixture, ProgressAndCancel) {
  const std::string path = Fixture(GetParam().file);
  g_percents.clear();
  g_cancelAt = -1;
  HGLOBAL h = Load(path, 0, Record);
  ASSERT_NE(h, 0u);
  GlobalFree(h);
  ASSERT_FALSE(g_percents.empty());
  EXPECT_EQ(g_percents.back(), 100);
  const std::size_t calls = g_percents.size();
  for (int at : {1, static_cast<int>(calls + 1) / 2, static_cast<int>(calls)}) {
    SCOPED_TRACE("cancel at call " + std::to_string(at));
    const std::size_t blocks = GlobalBlockCount();
    g_percents.clear();
    g_cancelAt = at;
    h = Load(path, 0, Record);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_CANCELLED);
    EXPECT_EQ(static_cast<int>(g_percents.size()), at) << "no call after the cancellation";
    EXPECT_EQ(GlobalBlockCount(), blocks);
  }
  g_cancelAt = -1;
}

// Cut and damaged copies of every fixture: a status or a picture, never a crash or a
// leak; a file cut in half always fails.
TEST_P(LoadFixture, TruncatedAndCorruptedCopiesGiveAStatus) {
  const std::string whole = ReadAll(Fixture(GetParam().file));
  testsupport::TempDir dir;
  auto attempt = [&](const std::string& contents, const std::string& what) {
    SCOPED_TRACE(what);
    const std::size_t blocks = GlobalBlockCount();
    const HGLOBAL h = Load(dir.Write("damaged", contents));
    const WORD status = ZQGetErrorStatus();
    if (h) {
      EXPECT_EQ(status, ZQ_OK);
      GlobalFree(h);
    } else {
      EXPECT_NE(status, ZQ_OK);
    }
    EXPECT_EQ(GlobalBlockCount(), blocks);
    return h != 0;
  };
  for (std::size_t keep : {std::size_t{8}, std::size_t{20}, std::size_t{60}, whole.size() / 4, whole.size() / 2, whole.size() - 40})
    attempt(whole.substr(0, keep), "cut to " + std::to_string(keep));
  const std::string name = GetParam().file;
  // openjpeg decodes a code stream cut between quality layers without complaint.
  if (!name.ends_with(".jp2") && !name.ends_with(".j2k")) {
    EXPECT_FALSE(attempt(whole.substr(0, whole.size() / 2), "half"));
  }
  std::uint32_t seed = 12345;
  for (int round = 0; round < 40; ++round) {
    std::string copy = whole;
    for (int k = 0; k < 1 + round % 8; ++k) {
      seed = seed * 1103515245 + 12345;
      copy[seed % copy.size()] = static_cast<char>(seed >> 16);
    }
    attempt(copy, "corrupted round " + std::to_string(round));
  }
}

}  // namespace

namespace {

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}
void PutBe32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (24 - 8 * i));
}
void PutLe(std::string& s, std::size_t at, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
std::uint32_t GetLe(const std::string& s, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

// The fixtures with headers that claim huge pictures (their data stays small).
std::string Huge(const std::string& file) {
  std::string s = ReadAll(Fixture(file));
  if (file.ends_with(".bmp")) {  // 16384 x 16384 at 32 bits: a DIB just over 1 GiB
    PutLe(s, 18, 16384, 4);
    PutLe(s, 22, 16384, 4);
  } else if (file.ends_with(".pcx")) {  // 20000 x 20000: over 2^28 pixels
    PutLe(s, 8, 19999, 2);
    PutLe(s, 10, 19999, 2);
    PutLe(s, 66, 20000, 2);
  } else if (file.ends_with(".gif")) {
    PutLe(s, 6, 65535, 2);
    PutLe(s, 8, 65535, 2);
  } else if (file.ends_with(".jpg")) {
    const std::size_t sof = s.find("\xFF\xC0");
    s[sof + 5] = s[sof + 7] = '\xEA';  // 60000 x 60000
    s[sof + 6] = s[sof + 8] = '\x60';
  } else if (file.ends_with(".png")) {
    PutBe32(s, 16, 60000);
    PutBe32(s, 20, 60000);
    PutBe32(s, 29, Crc32(s.substr(12, 17)));
  } else if (file.ends_with(".tif")) {
    const std::uint32_t ifd = GetLe(s, 4, 4);
    for (std::uint32_t i = 0, n = GetLe(s, ifd, 2); i < n; ++i) {
      const std::size_t e = ifd + 2 + 12 * i;
      const std::uint32_t tag = GetLe(s, e, 2);
      if (tag == 256 || tag == 257) PutLe(s, e + 8, 60000, GetLe(s, e + 2, 2) == 3 ? 2 : 4);
    }
  } else if (file.ends_with(".j2k")) {  // SIZ: image and tile 60000 x 60000
    for (std::size_t at : {8u, 12u, 24u, 28u}) PutBe32(s, at, 60000);
  }
  return s;
}

TEST(ZqFileLoad, HugeHeadersAreRefusedBeforeAllocating) {
  testsupport::TempDir dir;
  for (const char* file : {"bmp32a.bmp", "pcx24.pcx", "gif87.gif", "baseline.jpg", "rgb8.png", "rgb_none.tif", "bw_g4.tif", "rgb.j2k"}) {
    SCOPED_TRACE(file);
    const std::size_t blocks = GlobalBlockCount();
    EXPECT_EQ(Load(dir.Write(std::string("huge_") + file, Huge(file))), 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_TOO_LARGE);
    EXPECT_EQ(GlobalBlockCount(), blocks);
  }
}

// Files a fuzzer found troublesome: each gives a status (or a picture) without crashing.
TEST(ZqFileLoad, FuzzerFindingsGiveAStatus) {
  const fs::path regress = fs::path(testsupport::SourcePath("tests/data/regress"));
  if (!fs::is_directory(regress)) GTEST_SKIP() << "no fuzzer findings kept yet";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(regress)) {
    if (!entry.is_regular_file() || !entry.path().filename().string().starts_with("load_")) continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    const std::size_t blocks = GlobalBlockCount();
    const HGLOBAL h = Load(entry.path().string());
    if (h) {
      GlobalFree(h);
    } else {
      EXPECT_NE(ZQGetErrorStatus(), ZQ_OK);
    }
    EXPECT_EQ(GlobalBlockCount(), blocks);
  }
  if (files == 0) GTEST_SKIP() << "no fuzzer findings kept yet";
}

// Every public test file loads or gives a status; the counts go to the test's output.
TEST(ZqFileLoad, CorpusFilesLoadOrGiveAStatus) {
  const fs::path corpus = fs::path(testsupport::SourcePath("../shared/corpus/files"));
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus << " (it is present in CI)";
  std::map<WORD, int> byStatus;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    const std::size_t blocks = GlobalBlockCount();
    const HGLOBAL h = Load(entry.path().string());
    const WORD status = ZQGetErrorStatus();
    ++byStatus[status];
    if (h) {
      EXPECT_EQ(status, ZQ_OK);
      // Metafiles load as vector images, which carry their size in the engine's header.
      ZqImageInfo info{};
      ASSERT_TRUE(ZQGetImageType(h, &info));
      if (info.kind == ZQ_KIND_RASTER) {
        EXPECT_GT(Decode(h).header.biWidth, 0);
      } else {
        EXPECT_GT(info.width, 0u);
      }
      GlobalFree(h);
    } else {
      EXPECT_NE(status, ZQ_OK);
    }
    EXPECT_EQ(GlobalBlockCount(), blocks);
  }
  std::string summary;
  for (const auto& [status, count] : byStatus) summary += " status " + std::to_string(status) + ": " + std::to_string(count) + ";";
  std::printf("corpus: %d files;%s\n", files, summary.c_str());
  EXPECT_GT(files, 0);
}

}  // namespace

// A loaded JPEG carries the resolution the header reading reports, Exif before JFIF.
TEST(ZqFileLoadResolution, JpegImagesTakeTheHeadersResolution) {
  for (const char* name : {"jpeg_exif.jpg", "jpeg_exif_cm.jpg", "jpeg_jfif_dpcm.jpg", "jpeg_baseline.jpg"}) {
    const std::string path = testsupport::SourcePath(std::string("tests/data/type/") + name);
    ZqFileInfo info{};
    ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info)) << name;
    const HGLOBAL h = ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, "", "", "");
    ASSERT_NE(h, 0u) << name;
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
    {
      platform::GlobalLockGuard lock(h);
      const auto* header = lock.as<BITMAPINFOHEADER>();
      EXPECT_EQ(platform::DpiFromPelsPerMeter(header->biXPelsPerMeter), info.xdpi) << name;
      EXPECT_EQ(platform::DpiFromPelsPerMeter(header->biYPelsPerMeter), info.ydpi) << name;
    }
    GlobalFree(h);
  }
}

namespace {

// A TIFF of width x 2 written through libtiff: the samples given, row by row, stored
// contiguously or one plane per sample.
struct WideTiff {
  const char* name;
  std::uint16_t format, bits, samples;
  bool planar;
  std::vector<double> values;  // width * 2 * samples, pixel by pixel
  std::vector<int> expected;   // the 8-bit channels the DIB must hold, R G B or grey
};

std::string WriteTiff(const std::string& path, const WideTiff& t) {
  const std::uint32_t width = static_cast<std::uint32_t>(t.values.size() / 2 / t.samples);
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 2);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, t.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, t.samples);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, t.format);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, t.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
  const unsigned bytes = t.bits / 8;
  auto put = [&](std::vector<std::uint8_t>& row, std::size_t at, double v) {
    std::uint8_t* p = row.data() + at * bytes;
    if (t.format == SAMPLEFORMAT_IEEEFP && t.bits == 32) { const float f = static_cast<float>(v); std::memcpy(p, &f, 4); }
    else if (t.format == SAMPLEFORMAT_IEEEFP) std::memcpy(p, &v, 8);
    else if (t.format == SAMPLEFORMAT_INT) { const std::int64_t i = static_cast<std::int64_t>(v); std::memcpy(p, &i, bytes); }
    else { const std::uint64_t u = static_cast<std::uint64_t>(v); std::memcpy(p, &u, bytes); }
  };
  for (std::uint32_t y = 0; y < 2; ++y) {
    for (std::uint16_t plane = 0; plane < (t.planar ? t.samples : 1); ++plane) {
      std::vector<std::uint8_t> row(std::size_t{width} * (t.planar ? 1 : t.samples) * bytes);
      for (std::uint32_t x = 0; x < width; ++x)
        for (std::uint16_t s = 0; s < t.samples; ++s) {
          if (t.planar && s != plane) continue;
          put(row, t.planar ? x : x * t.samples + s, t.values[(std::size_t{y} * width + x) * t.samples + s]);
        }
      TIFFWriteScanline(tif, row.data(), y, plane);
    }
  }
  TIFFClose(tif);
  return path;
}

// Samples of any format and depth, contiguous or in planes, come out as 8 bits per
// channel: unsigned ones of up to 32 bits by their own range, the others by the range the
// picture uses (floats at least 0..1).
TEST(ZqFileLoad, TiffSamplesOfEveryFormatAreReducedToEightBits) {
  testsupport::TempDir dir;
  const std::vector<WideTiff> cases = {
      {"u8_planar", SAMPLEFORMAT_UINT, 8, 3, true, {255, 0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {255, 0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"u16_planar", SAMPLEFORMAT_UINT, 16, 3, true, {65535, 0, 257, 0, 0, 0, 514, 0, 0, 0, 0, 65535},
       {255, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 255}},
      {"u32_grey", SAMPLEFORMAT_UINT, 32, 1, false, {0, 4294967295.0, 2155905152.0, 0}, {0, 255, 128, 0}},
      {"u64_rgb_uses_its_range", SAMPLEFORMAT_UINT, 64, 3, false, {4294967295.0, 0, 0, 0, 2147483648.0, 0, 0, 0, 0, 0, 0, 4294967295.0},
       {255, 0, 0, 0, 128, 0, 0, 0, 0, 0, 0, 255}},
      {"i16_grey", SAMPLEFORMAT_INT, 16, 1, false, {-100, 20, 100, 50}, {0, 153, 255, 191}},
      {"f32_grey_unit", SAMPLEFORMAT_IEEEFP, 32, 1, false, {0, 0.5, 1, 2}, {0, 64, 128, 255}},
      {"f32_grey_fraction", SAMPLEFORMAT_IEEEFP, 32, 1, false, {0, 0.25, 0.5, 1}, {0, 64, 128, 255}},
      {"f64_grey_bytes", SAMPLEFORMAT_IEEEFP, 64, 1, false, {74, 255, 0, 127.5}, {74, 255, 0, 128}},
      {"f64_planar_rgb", SAMPLEFORMAT_IEEEFP, 64, 3, true, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5, 0.5, 0.5},
       {255, 0, 0, 0, 255, 0, 0, 0, 255, 128, 128, 128}},
  };
  for (const WideTiff& t : cases) {
    SCOPED_TRACE(t.name);
    const HGLOBAL h = Load(WriteTiff(dir.path() + t.name + ".tif", t));
    ASSERT_NE(h, 0u) << "status " << ZQGetErrorStatus();
    const Decoded d = Decode(h);
    GlobalFree(h);
    std::vector<int> got;
    for (std::size_t px = 0; px < d.rgba.size() / 4; ++px)
      for (int c = 0; c < (t.samples == 1 ? 1 : 3); ++c) got.push_back(d.rgba[px * 4 + c]);
    EXPECT_EQ(got, t.expected);
  }
}

// A BMP whose pixels are a JPEG or PNG file shows what that file shows.
TEST(ZqFileLoad, BmpsWithJpegOrPngPixelsDecodeThem) {
  testsupport::TempDir dir;
  for (const auto& [fixture, compression] : {std::pair{"baseline.jpg", 4u}, std::pair{"rgb8.png", 5u}}) {
    SCOPED_TRACE(fixture);
    const std::string inner = ReadAll(Fixture(fixture));
    const HGLOBAL direct = Load(Fixture(fixture));
    ASSERT_NE(direct, 0u);
    const Decoded want = Decode(direct);
    GlobalFree(direct);
    BITMAPINFOHEADER h;
    h.biWidth = want.header.biWidth;
    h.biHeight = want.header.biHeight;
    h.biBitCount = 0;
    h.biCompression = compression;
    h.biSizeImage = static_cast<DWORD>(inner.size());
    std::string file = "BM";
    auto put32 = [&](std::uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
    put32(static_cast<std::uint32_t>(14 + 40 + inner.size()));
    put32(0);
    put32(14 + 40);
    file.append(reinterpret_cast<const char*>(&h), sizeof h);
    file += inner;
    const HGLOBAL wrapped = Load(dir.Write(std::string(fixture) + ".bmp", file));
    ASSERT_NE(wrapped, 0u) << "status " << ZQGetErrorStatus();
    const Decoded got = Decode(wrapped);
    GlobalFree(wrapped);
    EXPECT_EQ(got.header.biWidth, want.header.biWidth);
    EXPECT_EQ(got.rgba, want.rgba);
  }
}

}  // namespace

namespace {

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return -1;
}

// How far the resident memory of a child process running load rises above where it
// started, in MiB (at most 255); -1 when it cannot be told.
int PeakGrowthMiB(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const long before = StatusKb("VmRSS:");
    if (const HGLOBAL h = Load(path)) GlobalFree(h);
    const long peak = StatusKb("VmHWM:");
    ::_exit(before < 0 || peak < 0 ? 255 : static_cast<int>(std::clamp<long>((peak - before) / 1024, 0, 254)));
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255) return -1;
  return WEXITSTATUS(status);
}

// Small files whose headers claim far more than they hold are refused before anything
// large is allocated: a 5.6 KB progressive JPEG claiming 16000 x 16000, a 1.6 KB PNG whose
// sPLT chunk claims 0x7FFFFFFF bytes (made by tests/data/regress/make_bombs.py).
TEST(ZqFileLoad, MemoryBombsAreRefusedQuicklyAndSmall) {
  for (const char* name : {"load_bomb_progressive_16000.jpg", "load_bomb_splt.png"}) {
    SCOPED_TRACE(name);
    const std::string path = testsupport::SourcePath(std::string("tests/data/regress/") + name);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(path), 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_DAMAGED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    const int growth = PeakGrowthMiB(path);
    EXPECT_GE(growth, 0);
    EXPECT_LT(growth, 50);
  }
}

}  // namespace
