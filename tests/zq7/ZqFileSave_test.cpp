// Every saver, checked three ways: ImageMagick and the format's own tools read the saved
// file and report the expected format, size, depth and compression; lossless saves
// equal the source pixel for pixel (compare -metric AE gives 0) and lossy ones stay close
// (PSNR); our own loader reads the file back to the same pixels and attributes. Tools
// that are missing skip their checks with a message.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "platform/memory.h"
#include "tests/support/SourcePath.h"
#include "tests/support/TempDir.h"
#include "tests/zq7/ZqTestImages.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqFileLoad.h"
#include "zq7/Zq7File/ZqFileSave.h"
#include "zq7/Zq7File/ZqFileType.h"

namespace fs = std::filesystem;

namespace {

std::string Fixture(const std::string& name) { return testsupport::SourcePath("tests/data/load/" + name); }

// Runs a shell command and gives what it printed (stdout and stderr).
std::string Shell(const std::string& command) {
  std::string out;
  if (std::FILE* p = ::popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

bool HaveTool(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }

std::string Quote(const std::string& path) { return "'" + path + "'"; }

HGLOBAL Load(const std::string& path, int page = 0) { return ZQFileLoad(path.c_str(), page, 0, 0, nullptr, "", "", ""); }

using SaveFn = std::function<BOOL(const char* path, HGLOBAL image)>;

// One saver in one mode, applied to one source fixture.
struct SaveCase {
  const char* label;
  const char* source;       // fixture under tests/data/load
  SaveFn save;
  const char* magick;       // what identify's %m reports
  const char* compression;  // what identify's %C reports ("" not checked)
  WORD code;                // what ZQFileType reports as the format and compression
  WORD bits;                // what ZQFileType reports as bits per pixel
  bool lossless;
  bool keepsAlpha;          // the saved file keeps the source's alpha
};

std::ostream& operator<<(std::ostream& os, const SaveCase& c) { return os << c.label; }

SaveFn Bmp(bool rle) {
  return [rle](const char* p, HGLOBAL h) { return ZQBmpFileSave(p, h, rle ? -1 : 0, nullptr, "", "", ""); };
}
SaveFn Jpeg(int progressive, int quality, int subsampling, const char* comment = "") {
  return [=](const char* p, HGLOBAL h) {
    return ZQJpegFileSave(p, h, progressive, quality, subsampling, comment, nullptr, "", "", "");
  };
}

SaveFn Png(int interlace = 0, const char* comment = "") {
  return [=](const char* p, HGLOBAL h) {
    return ZQPngFileSaveEx(p, h, interlace, 0, 0, 0, 0, 0, comment, nullptr, "", "", "");
  };
}

SaveFn Tiff(int compression, int colorSpaceOrQuality = 0, int oneStrip = 0, const char* comment = "") {
  return [=](const char* p, HGLOBAL h) {
    return ZQTiffFileSave(p, h, compression, colorSpaceOrQuality, 0, comment, oneStrip, nullptr, "", "", "");
  };
}

SaveFn Gif(int interlace = 0, const char* comment = "") {
  return [=](const char* p, HGLOBAL h) {
    return ZQGifFileSave(p, h, interlace, 0, 0, 0, 0, 0, 0, comment, nullptr, "", "", "");
  };
}

SaveFn Pcx() {
  return [](const char* p, HGLOBAL h) { return ZQPcxFileSave(p, h, nullptr, "", "", ""); };
}

SaveFn J2k(int codeStream, int lossless, int ratio = 0, const char* comment = "") {
  return [=](const char* p, HGLOBAL h) {
    return ZQJ2kFileSave(p, h, codeStream, lossless, ratio, 0, 0, 0, 0, 0, 0, 0, 0, comment, nullptr, "", "", "");
  };
}

// 8-bit grey, 4-bit palette, 1-bit, 24-bit photo and 32-bit alpha sources.
const SaveCase kCases[] = {
    {"bmp_1", "bmp1.bmp", Bmp(false), "BMP3", "None", ZQ_CODE_BMP, 1, true, false},
    {"bmp_4", "bmp4.bmp", Bmp(false), "BMP3", "None", ZQ_CODE_BMP, 4, true, false},
    {"bmp_grey8", "grey8.tif", Bmp(false), "BMP3", "None", ZQ_CODE_BMP, 8, true, false},
    {"bmp_24", "baseline.jpg", Bmp(false), "BMP3", "None", ZQ_CODE_BMP, 24, true, false},
    {"bmp_32", "rgba.png", Bmp(false), "BMP3", "None", ZQ_CODE_BMP, 32, true, false},
    {"bmp_rle4", "bmp4.bmp", Bmp(true), "BMP3", "RLE", ZQ_CODE_BMP_RLE4, 4, true, false},
    {"bmp_rle8", "bmp8.bmp", Bmp(true), "BMP3", "RLE", ZQ_CODE_BMP_RLE8, 8, true, false},
    {"bmp_rle8_grey", "grey8.tif", Bmp(true), "BMP3", "RLE", ZQ_CODE_BMP_RLE8, 8, true, false},
    {"bmp_rle_24_plain", "baseline.jpg", Bmp(true), "BMP3", "None", ZQ_CODE_BMP, 24, true, false},
    {"jpeg_baseline_24", "baseline.jpg", Jpeg(0, 90, 0), "JPEG", "JPEG", ZQ_CODE_JPEG_BASELINE, 24, false, false},
    {"jpeg_progressive_24", "bmp24.bmp", Jpeg(1, 90, 2), "JPEG", "JPEG", ZQ_CODE_JPEG_PROGRESSIVE, 24, false, false},
    {"jpeg_grey8", "grey8.tif", Jpeg(0, 90, 1), "JPEG", "JPEG", ZQ_CODE_JPEG_BASELINE, 8, false, false},
    {"jpeg_4", "bmp4.bmp", Jpeg(0, 95, 2), "JPEG", "JPEG", ZQ_CODE_JPEG_BASELINE, 24, false, false},
    {"jpeg_1", "bmp1.bmp", Jpeg(0, 90, 0), "JPEG", "JPEG", ZQ_CODE_JPEG_BASELINE, 8, false, false},
    {"jpeg_32", "rgba.png", Jpeg(0, 90, 0), "JPEG", "JPEG", ZQ_CODE_JPEG_BASELINE, 24, false, false},
    {"png_1", "bmp1.bmp", Png(), "PNG", "Zip", ZQ_CODE_PNG, 1, true, true},
    {"png_4", "bmp4.bmp", Png(), "PNG", "Zip", ZQ_CODE_PNG, 4, true, true},
    {"png_pal4", "pal4.png", Png(1), "PNG", "Zip", ZQ_CODE_PNG, 4, true, true},
    {"png_grey8", "grey8.tif", Png(), "PNG", "Zip", ZQ_CODE_PNG, 8, true, true},
    {"png_24", "baseline.jpg", Png(), "PNG", "Zip", ZQ_CODE_PNG, 24, true, true},
    {"png_24_interlaced", "bmp24.bmp", Png(1), "PNG", "Zip", ZQ_CODE_PNG, 24, true, true},
    {"png_32", "rgba.png", Png(), "PNG", "Zip", ZQ_CODE_PNG, 32, true, true},
    {"png_8", "bmp8.bmp", Png(), "PNG", "Zip", ZQ_CODE_PNG, 8, true, true},
    {"tiff_none_1", "bmp1.bmp", Tiff(0), "TIFF", "None", ZQ_CODE_TIFF_NONE, 1, true, true},
    {"tiff_none_4", "bmp4.bmp", Tiff(0), "TIFF", "None", ZQ_CODE_TIFF_NONE, 4, true, true},
    {"tiff_none_grey8", "grey8.tif", Tiff(0, 0, -1), "TIFF", "None", ZQ_CODE_TIFF_NONE, 8, true, true},
    {"tiff_none_24", "baseline.jpg", Tiff(0), "TIFF", "None", ZQ_CODE_TIFF_NONE, 24, true, true},
    {"tiff_none_32", "rgba.png", Tiff(0), "TIFF", "None", ZQ_CODE_TIFF_NONE, 32, true, true},
    {"tiff_ccittrle", "bmp1.bmp", Tiff(1), "TIFF", "", ZQ_CODE_TIFF_CCITTRLE, 1, true, true},
    {"tiff_g3_1d", "bmp1.bmp", Tiff(2), "TIFF", "Fax", ZQ_CODE_TIFF_G3_1D, 1, true, true},
    {"tiff_g3_2d", "bw_g4.tif", Tiff(3), "TIFF", "Fax", ZQ_CODE_TIFF_G3_2D, 1, true, true},
    {"tiff_g4", "bw_miniswhite.tif", Tiff(4, 0, -1), "TIFF", "Group4", ZQ_CODE_TIFF_G4, 1, true, true},
    {"tiff_packbits_4", "bmp4.bmp", Tiff(5), "TIFF", "RLE", ZQ_CODE_TIFF_PACKBITS, 4, true, true},
    {"tiff_packbits_24", "bmp24.bmp", Tiff(5), "TIFF", "RLE", ZQ_CODE_TIFF_PACKBITS, 24, true, true},
    {"tiff_lzw_1", "bmp1.bmp", Tiff(6), "TIFF", "LZW", ZQ_CODE_TIFF_LZW, 1, true, true},
    {"tiff_lzw_grey8", "grey8.tif", Tiff(6), "TIFF", "LZW", ZQ_CODE_TIFF_LZW, 8, true, true},
    {"tiff_lzw_8", "bmp8.bmp", Tiff(6), "TIFF", "LZW", ZQ_CODE_TIFF_LZW, 8, true, true},
    {"tiff_lzw_24", "baseline.jpg", Tiff(6, 0, -1), "TIFF", "LZW", ZQ_CODE_TIFF_LZW, 24, true, true},
    {"tiff_lzw_32", "rgba.png", Tiff(6), "TIFF", "LZW", ZQ_CODE_TIFF_LZW, 32, true, true},
    {"tiff_jpeg_24", "baseline.jpg", Tiff(7, 90), "TIFF", "JPEG", ZQ_CODE_TIFF_JPEG, 24, false, false},
    {"tiff_jpeg_grey8", "grey8.tif", Tiff(7, 90), "TIFF", "JPEG", ZQ_CODE_TIFF_JPEG, 8, false, false},
    {"gif_1", "bmp1.bmp", Gif(), "GIF", "LZW", ZQ_CODE_GIF87A, 1, true, true},
    {"gif_4", "bmp4.bmp", Gif(1), "GIF", "LZW", ZQ_CODE_GIF87A, 4, true, true},
    {"gif_grey8", "grey8.tif", Gif(0, "見本"), "GIF", "LZW", ZQ_CODE_GIF89A, 8, true, true},
    {"gif_8", "bmp8.bmp", Gif(), "GIF", "LZW", ZQ_CODE_GIF87A, 8, true, true},
    {"gif_24", "baseline.jpg", Gif(), "GIF", "LZW", ZQ_CODE_GIF87A, 8, false, false},
    {"pcx_1", "bmp1.bmp", Pcx(), "PCX", "", ZQ_CODE_PCX, 1, true, true},
    {"pcx_4", "bmp4.bmp", Pcx(), "PCX", "", ZQ_CODE_PCX, 4, true, true},
    {"pcx_grey8", "grey8.tif", Pcx(), "PCX", "", ZQ_CODE_PCX, 8, true, true},
    {"pcx_8", "bmp8.bmp", Pcx(), "PCX", "", ZQ_CODE_PCX, 8, true, true},
    {"pcx_24", "baseline.jpg", Pcx(), "PCX", "", ZQ_CODE_PCX, 24, true, true},
    {"pcx_32", "rgba.png", Pcx(), "PCX", "", ZQ_CODE_PCX, 24, true, false},
    {"jp2_1", "bmp1.bmp", J2k(0, -1), "JP2", "JPEG2000", ZQ_CODE_JP2, 8, true, true},
    {"jp2_4", "bmp4.bmp", J2k(0, -1), "JP2", "JPEG2000", ZQ_CODE_JP2, 24, true, true},
    {"jp2_grey8", "grey8.tif", J2k(0, -1), "JP2", "JPEG2000", ZQ_CODE_JP2, 8, true, true},
    {"jp2_24", "baseline.jpg", J2k(0, -1), "JP2", "JPEG2000", ZQ_CODE_JP2, 24, true, true},
    {"jp2_32", "rgba.png", J2k(0, -1), "JP2", "JPEG2000", ZQ_CODE_JP2, 32, true, true},
    {"j2k_24", "bmp24.bmp", J2k(-1, -1), "J2K", "JPEG2000", ZQ_CODE_J2K_CODESTREAM, 24, true, true},
    {"jp2_lossy_24", "baseline.jpg", J2k(0, 0, 4), "JP2", "JPEG2000", ZQ_CODE_JP2, 24, false, false},
    {"j2k_lossy_grey8", "grey8.tif", J2k(-1, 0, 3), "J2K", "JPEG2000", ZQ_CODE_J2K_CODESTREAM, 8, false, false},
};

class SaveEach : public ::testing::TestWithParam<SaveCase> {};

double Psnr(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
  double sum = 0;
  std::size_t n = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (i % 4 == 3) continue;
    const double d = double(a[i]) - double(b[i]);
    sum += d * d;
    ++n;
  }
  return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / (sum / double(n)));
}

// Pixels as RGB, with alpha kept only when asked (a format without alpha shows the colour).
std::vector<BYTE> Pixels(HGLOBAL image, bool alpha) {
  std::vector<BYTE> px = zqtest::Decode(image).rgba;
  if (!alpha)
    for (std::size_t i = 3; i < px.size(); i += 4) px[i] = 255;
  return px;
}

TEST_P(SaveEach, IndependentToolsAndOurLoaderReadItBack) {
  const SaveCase& c = GetParam();
  testsupport::TempDir dir;
  const std::string path = dir.path() + c.label;
  const HGLOBAL source = Load(Fixture(c.source));
  ASSERT_NE(source, 0u) << c.source;
  ASSERT_TRUE(c.save(path.c_str(), source)) << "status " << ZQGetErrorStatus();
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);

  if (HaveTool("identify")) {
    const std::string want = std::string(c.magick) + " 37 23" + (*c.compression ? std::string(" ") + c.compression : "");
    const std::string format = std::string("%m %w %h") + (*c.compression ? " %C" : "");
    EXPECT_EQ(Shell("identify -format '" + format + "\\n' " + Quote(path) + " | head -1"), want + "\n");
  } else {
    std::printf("identify missing: format check skipped\n");
  }
  // ImageMagick reads monochrome PCX with 0 as white, against the format's own rule that
  // our loader follows, so its pixels are not compared there.
  const bool magickAgrees = std::string(c.label) != "pcx_1";
  if (HaveTool("compare") && magickAgrees) {
    const std::string metric = c.lossless ? "AE" : "PSNR";
    // Where the saved file has no alpha, the source's colour under its alpha is compared.
    const std::string alpha = c.keepsAlpha ? "" : " -alpha off";
    const std::string got = Shell("compare -metric " + metric + alpha + " " + Quote(Fixture(c.source)) + " " + Quote(path) + " null:");
    if (c.lossless) {
      EXPECT_EQ(got.substr(0, got.find_first_of(" (")), "0") << got;
    } else {
      EXPECT_GE(std::atof(got.c_str()), 35.0) << got;
    }
  } else {
    std::printf("compare missing: pixel check against ImageMagick skipped\n");
  }

  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info));
  EXPECT_EQ(info.code, c.code);
  EXPECT_EQ(info.bitCount, c.bits);
  EXPECT_EQ(info.width, 37u);
  EXPECT_EQ(info.height, 23u);
  const HGLOBAL back = Load(path);
  ASSERT_NE(back, 0u) << "status " << ZQGetErrorStatus();
  const std::vector<BYTE> want = Pixels(source, c.keepsAlpha), got = Pixels(back, c.keepsAlpha);
  if (c.lossless) {
    EXPECT_EQ(got, want);
  } else {
    EXPECT_GE(Psnr(got, want), 35.0);
  }
  ZQFreeMemory(back);
  ZQFreeMemory(source);
}

INSTANTIATE_TEST_SUITE_P(Savers, SaveEach, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

std::string Bytes(const std::string& path) { return testsupport::TempDir::Read(path); }

TEST(JpegSave, QualityZeroIsTheLibraryDefaultAndOutOfRangeArgumentsAreRefused) {
  testsupport::TempDir dir;
  const HGLOBAL source = Load(Fixture("baseline.jpg"));
  ASSERT_TRUE(Jpeg(0, 0, 0)((dir.path() + "q0.jpg").c_str(), source));
  ASSERT_TRUE(Jpeg(0, 75, 0)((dir.path() + "q75.jpg").c_str(), source));
  ASSERT_TRUE(Jpeg(0, 90, 0)((dir.path() + "q90.jpg").c_str(), source));
  EXPECT_EQ(Bytes(dir.path() + "q0.jpg"), Bytes(dir.path() + "q75.jpg"));
  EXPECT_NE(Bytes(dir.path() + "q0.jpg"), Bytes(dir.path() + "q90.jpg"));
  for (auto [quality, subsampling] : {std::pair{101, 0}, {-1, 0}, {90, 3}, {90, -1}}) {
    EXPECT_FALSE(Jpeg(0, quality, subsampling)((dir.path() + "bad.jpg").c_str(), source));
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  }
  EXPECT_FALSE(fs::exists(dir.path() + "bad.jpg"));
  ZQFreeMemory(source);
}

// What tiffinfo prints about every page of a file.
std::string TiffInfo(const std::string& path) { return Shell("tiffinfo " + Quote(path)); }

TEST(TiffSave, TiffinfoSeesTheCompressionColourSpaceStripsCommentAndResolution) {
  if (!HaveTool("tiffinfo")) GTEST_SKIP() << "tiffinfo missing";
  testsupport::TempDir dir;
  struct Case {
    const char* source;
    SaveFn save;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"bmp1.bmp", Tiff(1), {"Compression Scheme: CCITT RLE", "Bits/Sample: 1"}},
      {"bmp1.bmp", Tiff(2), {"Compression Scheme: CCITT Group 3", "!2-d encoding"}},
      {"bmp1.bmp", Tiff(3), {"Compression Scheme: CCITT Group 3", "2-d encoding"}},
      {"bmp1.bmp", Tiff(4), {"Compression Scheme: CCITT Group 4"}},
      {"bmp24.bmp", Tiff(5), {"Compression Scheme: PackBits", "Photometric Interpretation: RGB color"}},
      {"bmp24.bmp", Tiff(6, 1), {"Compression Scheme: LZW", "Photometric Interpretation: separated", "Samples/Pixel: 4"}},
      {"bmp24.bmp", Tiff(7, 80), {"Compression Scheme: JPEG", "Photometric Interpretation: YCbCr"}},
      {"bmp4.bmp", Tiff(0), {"Photometric Interpretation: palette color", "Bits/Sample: 4"}},
      {"rgba.png", Tiff(6), {"Extra Samples: 1<unassoc-alpha>", "Samples/Pixel: 4"}},
      {"density.jpg", Tiff(6, 0, -1, "見本 sample"), {"Rows/Strip: 23", "ImageDescription: 見本 sample", "Resolution: 72, 150 pixels/inch"}},
      {"bmp24.bmp", Tiff(6), {"Rows/Strip: 23"}},  // 111-byte rows: 73 rows would fill 8 KB
  };
  for (const Case& c : cases) {
    const std::string path = dir.path() + "t.tif";
    const HGLOBAL source = Load(Fixture(c.source));
    ASSERT_TRUE(c.save(path.c_str(), source)) << c.source << " status " << ZQGetErrorStatus();
    const std::string info = TiffInfo(path);
    // A line that begins with "!" must not be there.
    for (const std::string& line : c.lines)
      if (line[0] == '!') {
        EXPECT_EQ(info.find(line.substr(1)), std::string::npos) << line << "\n" << info;
      } else {
        EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
      }
    ZQFreeMemory(source);
  }
}

TEST(TiffSave, CmykPagesReadBackToTheirColours) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "cmyk.tif";
  const HGLOBAL source = Load(Fixture("bmp24.bmp"));
  ASSERT_TRUE(Tiff(5, 1)(path.c_str(), source));
  const HGLOBAL back = Load(path);
  ASSERT_NE(back, 0u);
  EXPECT_GE(Psnr(Pixels(back, false), Pixels(source, false)), 45.0);
  ZQFreeMemory(back);
  ZQFreeMemory(source);
}

TEST(TiffSave, StripsOfAboutEightKilobytesUnlessOneStripIsAsked) {
  testsupport::TempDir dir;
  const HGLOBAL big = ZQCreateImage(1000, 100, 24, 10, 20, 30, 0, 0, 0, 0);
  const std::string strips = dir.path() + "strips.tif", one = dir.path() + "one.tif";
  ASSERT_TRUE(Tiff(6)(strips.c_str(), big));
  ASSERT_TRUE(Tiff(6, 0, -1)(one.c_str(), big));
  if (HaveTool("tiffinfo")) {
    EXPECT_NE(TiffInfo(strips).find("Rows/Strip: 2\n"), std::string::npos) << "3000-byte rows, two to a strip";
    EXPECT_NE(TiffInfo(one).find("Rows/Strip: 100\n"), std::string::npos);
  }
  ZQFreeMemory(big);
}

TEST(TiffSave, AppendAddsPagesAndCcittRefusesDeepImages) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "pages.tif";
  const HGLOBAL one = Load(Fixture("bmp1.bmp")), colour = Load(Fixture("bmp24.bmp"));
  auto append = [&](HGLOBAL h, int compression) {
    return ZQTiffFileSave(path.c_str(), h, compression, 0, -1, "", 0, nullptr, "", "", "");
  };
  ASSERT_TRUE(append(one, 4)) << "appending to no file starts one";
  ASSERT_TRUE(append(colour, 6));
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info));
  EXPECT_EQ(info.pages, 2);
  const std::string before = Bytes(path);
  EXPECT_FALSE(append(colour, 4)) << "G4 takes 1-bit images only";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  EXPECT_EQ(Bytes(path), before) << "a refused append leaves the file as it was";
  const HGLOBAL second = Load(path, 1);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(Pixels(second, false), Pixels(colour, false));
  for (HGLOBAL h : {one, colour, second}) ZQFreeMemory(h);
}

std::string Identify(const std::string& format, const std::string& path) {
  return Shell("identify -format '" + format + "' " + Quote(path));
}

TEST(GifSave, AnimationAppendsLoopingFramesWithTheirDelays) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "anim.gif";
  const HGLOBAL frames[] = {Load(Fixture("bmp4.bmp")), Load(Fixture("bmp8.bmp")), Load(Fixture("baseline.jpg"))};
  const int delays[] = {10, 25, 50};
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(ZQGifFileSave(path.c_str(), frames[i], 0, 0, 0, 0, 0, -1, delays[i], i == 0 ? "first" : "", nullptr, "",
                              "", ""))
        << "frame " << i << " status " << ZQGetErrorStatus();
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info));
  EXPECT_EQ(info.code, ZQ_CODE_GIF89A);
  EXPECT_EQ(info.pages, 3);
  for (int i = 0; i < 2; ++i) {
    const HGLOBAL back = Load(path, i);
    ASSERT_NE(back, 0u) << "frame " << i;
    EXPECT_EQ(Pixels(back, false), Pixels(frames[i], false)) << "frame " << i;
    ZQFreeMemory(back);
  }
  if (HaveTool("identify")) {
    EXPECT_EQ(Identify("%T,", path), "10,25,50,");
    EXPECT_EQ(Identify("%c", path + "[0]"), "first");
  }
  const std::string dump = Bytes(path);
  EXPECT_NE(dump.find("NETSCAPE2.0"), std::string::npos);
  EXPECT_EQ(dump.find("NETSCAPE2.0"), dump.rfind("NETSCAPE2.0")) << "one loop extension however many appends";
  for (HGLOBAL h : frames) ZQFreeMemory(h);
}

TEST(GifSave, TransparentColourAndAlphaBecomeTheTransparentEntry) {
  if (!HaveTool("identify")) GTEST_SKIP() << "identify missing";
  testsupport::TempDir dir;
  const HGLOBAL palette = Load(Fixture("bmp4.bmp")), alpha = Load(Fixture("rgba.png"));
  RGBQUAD first{};
  ZQGetPalette(palette, &first, 1);
  const std::string keyed = dir.path() + "keyed.gif", cut = dir.path() + "alpha.gif", plain = dir.path() + "plain.gif";
  ASSERT_TRUE(ZQGifFileSave(keyed.c_str(), palette, 0, -1, first.rgbRed, first.rgbGreen, first.rgbBlue, 0, 0, "", nullptr,
                            "", "", ""));
  ASSERT_TRUE(Gif()(cut.c_str(), alpha));
  ASSERT_TRUE(Gif()(plain.c_str(), palette));
  EXPECT_EQ(Identify("%A", keyed), "True");
  EXPECT_EQ(Identify("%A", cut), "True");
  EXPECT_EQ(Identify("%A", plain), "False");
  ZQFreeMemory(palette);
  ZQFreeMemory(alpha);
}

TEST(GifSave, AnAnimationDoesNotAddToAFileThatIsNoGif) {
  testsupport::TempDir dir;
  const std::string path = dir.Write("not.gif", "plain text, not a picture");
  const HGLOBAL image = Load(Fixture("bmp4.bmp"));
  EXPECT_FALSE(ZQGifFileSave(path.c_str(), image, 0, 0, 0, 0, 0, -1, 10, "", nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  EXPECT_EQ(Bytes(path), "plain text, not a picture");
  ZQFreeMemory(image);
}

// Everything in a folder, for checking that a failed save left no sibling behind.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

BOOL CancelAtOnce(int) { return FALSE; }

TEST(SaveSafety, AFailedSaveKeepsTheTargetAndLeavesNothingBehind) {
  testsupport::TempDir dir;
  const std::string target = dir.Write("kept.png", "the picture that was there");
  const HGLOBAL image = Load(Fixture("bmp24.bmp"));
  struct Case {
    const char* what;
    std::function<BOOL()> save;
    WORD status;
  };
  const Case cases[] = {
      {"cancelled", [&] { return ZQPngFileSaveEx(target.c_str(), image, 0, 0, 0, 0, 0, 0, "", CancelAtOnce, "", "", ""); },
       ZQ_ERR_CANCELLED},
      {"G4 of colour", [&] { return ZQTiffFileSave(target.c_str(), image, 4, 0, 0, "", 0, nullptr, "", "", ""); },
       ZQ_ERR_BAD_PARAMETER},
      {"no image", [&] { return ZQBmpFileSave(target.c_str(), 0, 0, nullptr, "", "", ""); }, ZQ_ERR_BAD_PARAMETER},
      {"freed handle", [&] { return ZQPcxFileSave(target.c_str(), 0x7FFFFFF0u, nullptr, "", "", ""); }, ZQ_ERR_BAD_PARAMETER},
      {"vector image", [&] {
         const HGLOBAL v = GlobalAlloc(GHND, sizeof(ZqVectorHeader));
         {
           const platform::GlobalLockGuard lock(v);
           std::memcpy(lock.get(), kZqVectorMagic, sizeof kZqVectorMagic);
         }
         const BOOL ok = ZQJpegFileSave(target.c_str(), v, 0, 90, 0, "", nullptr, "", "", "");
         GlobalFree(v);
         return ok;
       },
       ZQ_ERR_UNSUPPORTED},
      {"J2K reserved value", [&] {
         return ZQJ2kFileSave(target.c_str(), image, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 0, "", nullptr, "", "", "");
       },
       ZQ_ERR_BAD_PARAMETER},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(c.save()) << c.what;
    EXPECT_EQ(ZQGetErrorStatus(), c.status) << c.what;
    EXPECT_EQ(Bytes(target), "the picture that was there") << c.what;
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"kept.png"}) << c.what;
  }
  ZQFreeMemory(image);
}

TEST(SaveSafety, ASuccessfulSaveReplacesTheTargetAndKeepsItsPermissions) {
  testsupport::TempDir dir;
  const std::string target = dir.Write("old.bmp", "old");
  ::chmod(target.c_str(), 0640);
  const HGLOBAL image = Load(Fixture("bmp8.bmp"));
  ASSERT_TRUE(Bmp(false)(target.c_str(), image));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Bytes(target).substr(0, 2), "BM");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"old.bmp"});
  ZQFreeMemory(image);
}

TEST(SaveSafety, AReadOnlyFolderOrAFolderAsTargetGivesAStatus) {
  testsupport::TempDir dir;
  const std::string folder = dir.path() + "locked";
  fs::create_directory(folder);
  ::chmod(folder.c_str(), 0500);
  const HGLOBAL image = Load(Fixture("bmp8.bmp"));
  // A superuser writes into any folder; /proc takes no new files from anyone.
  EXPECT_FALSE(Png()("/proc/tesmarin-save-test.png", image));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_WRITE_FAILED);
  if (::access(folder.c_str(), W_OK) != 0) {
    EXPECT_FALSE(Png()((folder + "/new.png").c_str(), image));
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_WRITE_FAILED);
    EXPECT_TRUE(Entries(folder).empty());
  }
  ::chmod(folder.c_str(), 0700);
  EXPECT_FALSE(Png()(folder.c_str(), image)) << "a folder is no target";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  EXPECT_FALSE(Png()(nullptr, image));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  ZQFreeMemory(image);
}

TEST(SaveProgress, TheCallbackSeesTheRowsGoByAndEndsAtOneHundred) {
  testsupport::TempDir dir;
  static std::vector<int> seen;
  seen.clear();
  const HGLOBAL image = ZQCreateImage(64, 200, 24, 1, 2, 3, 0, 0, 0, 0);
  ASSERT_TRUE(ZQJpegFileSave((dir.path() + "p.jpg").c_str(), image, 0, 90, 0, "", [](int p) -> BOOL {
    seen.push_back(p);
    return TRUE;
  }, "", "", ""));
  ASSERT_GE(seen.size(), 3u);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 100);
  ZQFreeMemory(image);
}

TEST(JpegSave, ExiftoolSeesProcessSubsamplingCommentAndResolution) {
  if (!HaveTool("exiftool")) GTEST_SKIP() << "exiftool missing";
  testsupport::TempDir dir;
  const HGLOBAL photo = Load(Fixture("density.jpg")), grey = Load(Fixture("grey8.tif"));
  struct Case {
    HGLOBAL image;
    SaveFn save;
    const char* want;
  };
  const Case cases[] = {
      {photo, Jpeg(0, 90, 0, "撮影 memo"),
       "Baseline DCT, Huffman coding|YCbCr4:2:0 (2 2)|撮影 memo|72|150|inches|3"},
      {photo, Jpeg(1, 90, 1), "Progressive DCT, Huffman coding|YCbCr4:2:2 (2 1)|-|72|150|inches|3"},
      {photo, Jpeg(0, 90, 2), "Baseline DCT, Huffman coding|YCbCr4:4:4 (1 1)|-|72|150|inches|3"},
      {grey, Jpeg(0, 90, 0), "Baseline DCT, Huffman coding|-|-|1|1|None|1"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.path() + "e.jpg";
    ASSERT_TRUE(c.save(path.c_str(), c.image));
    EXPECT_EQ(Shell("exiftool -s3 -f -p '$EncodingProcess|$YCbCrSubSampling|$Comment|$XResolution|$YResolution|"
                    "$ResolutionUnit|$ColorComponents' " + Quote(path)),
              std::string(c.want) + "\n");
  }
  ZQFreeMemory(photo);
  ZQFreeMemory(grey);
}

TEST(PngSave, PngcheckSeesTheChunksAsked) {
  if (!HaveTool("pngcheck")) GTEST_SKIP() << "pngcheck missing";
  testsupport::TempDir dir;
  const HGLOBAL palette = Load(Fixture("bmp4.bmp")), photo = Load(Fixture("density.jpg")), grey = Load(Fixture("grey8.tif"));
  struct Case {
    HGLOBAL image;
    int interlace, transparent;
    const char* comment;
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {palette, 0, -1, "", {"chunk tRNS", "chunk PLTE", "4-bit palette", "non-interlaced"}},
      {photo, 1, -1, "撮影", {"24-bit RGB", "interlaced", "chunk tRNS", "chunk tEXt", "Comment", "chunk pHYs",
                             "2835x5906 pixels/meter"}},
      {grey, 0, 0, "", {"8-bit grayscale", "!chunk tRNS", "!chunk tEXt"}},
  };
  for (const Case& c : cases) {
    const std::string path = dir.path() + "c.png";
    ASSERT_TRUE(ZQPngFileSaveEx(path.c_str(), c.image, c.interlace, c.transparent, 1, 2, 3, 0, c.comment, nullptr, "",
                                "", ""));
    const std::string out = Shell("pngcheck -v " + Quote(path));
    EXPECT_NE(out.find("No errors detected"), std::string::npos) << out;
    for (const std::string& part : c.parts)
      if (part[0] == '!') {
        EXPECT_EQ(out.find(part.substr(1)), std::string::npos) << part << "\n" << out;
      } else {
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
      }
  }
  for (HGLOBAL h : {palette, photo, grey}) ZQFreeMemory(h);
}

TEST(J2kSave, OpjDumpSeesTheFormTheWaveletAndTheComponents) {
  if (!HaveTool("opj_dump")) GTEST_SKIP() << "opj_dump missing";
  testsupport::TempDir dir;
  const HGLOBAL photo = Load(Fixture("bmp24.bmp")), alpha = Load(Fixture("rgba.png"));
  struct Case {
    HGLOBAL image;
    SaveFn save;
    const char* file;
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {photo, J2k(0, -1), "a.jp2", {"numcomps=3", "qmfbid=1"}},
      {photo, J2k(-1, 0, 8), "b.j2k", {"numcomps=3", "qmfbid=0"}},
      {alpha, J2k(0, -1, 0, "note"), "c.jp2", {"numcomps=4"}},
  };
  for (const Case& c : cases) {
    const std::string path = dir.path() + c.file;
    ASSERT_TRUE(c.save(path.c_str(), c.image));
    const std::string out = Shell("opj_dump -i " + Quote(path));
    for (const std::string& part : c.parts) EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
  }
  EXPECT_EQ(Bytes(dir.path() + "a.jp2").substr(4, 4), "jP  ") << "a JP2 file begins with its signature box";
  EXPECT_EQ(Bytes(dir.path() + "b.j2k").substr(0, 2), "\xFF\x4F") << "a code stream begins with SOC";
  EXPECT_NE(Bytes(dir.path() + "c.jp2").find("note"), std::string::npos) << "the comment's COM marker";
  ZQFreeMemory(photo);
  ZQFreeMemory(alpha);
}

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(AllFrames, AGifLoadedWholeBecomesAnAnimatedPngWithTheSameFramesAndDelays) {
  testsupport::TempDir dir;
  const std::string gif = dir.path() + "anim.gif", png = dir.path() + "anim.png";
  const HGLOBAL frames[] = {Load(Fixture("bmp4.bmp")), Load(Fixture("bmp8.bmp")), Load(Fixture("baseline.jpg"))};
  const int delays[] = {10, 25, 50};
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(ZQGifFileSave(gif.c_str(), frames[i], 0, 0, 0, 0, 0, -1, delays[i], "", nullptr, "", "", ""));
  const HGLOBAL all = Load(gif, kZqAllPages);
  ASSERT_NE(all, 0u) << ZQGetErrorStatus();
  EXPECT_GT(ZQGetMemorySize(all), platform::PackedDibSize(zqtest::Header(all))) << "the further frames follow the first";
  EXPECT_EQ(Pixels(all, false), Pixels(frames[0], false)) << "read as one picture it is the first frame";
  ASSERT_TRUE(ZQPngFileSaveEx(png.c_str(), all, 0, 0, 0, 0, 0, -1, "", nullptr, "", "", ""));
  if (HaveTool("pngcheck")) {
    const std::string out = Shell("pngcheck -v " + Quote(png));
    EXPECT_NE(out.find("No errors detected"), std::string::npos) << out;
    // This pngcheck knows no animation chunks: it checks their CRCs and lists them.
    EXPECT_EQ(CountOf(out, "chunk acTL"), 1) << out;
    EXPECT_EQ(CountOf(out, "chunk fcTL"), 3) << out;
    EXPECT_EQ(CountOf(out, "chunk fdAT"), 2) << out;
  }
  // The frame controls, read from the file: sequence numbers, full-size frames, delays.
  const std::string bytes = Bytes(png);
  auto u32 = [&](std::size_t at) {
    return std::uint32_t(BYTE(bytes[at])) << 24 | std::uint32_t(BYTE(bytes[at + 1])) << 16 |
           std::uint32_t(BYTE(bytes[at + 2])) << 8 | BYTE(bytes[at + 3]);
  };
  std::vector<std::uint32_t> sequence, delay;
  for (std::size_t at = 8; at + 8 <= bytes.size(); at += 12 + u32(at)) {
    const std::string type = bytes.substr(at + 4, 4);
    if (type == "acTL") {
      EXPECT_EQ(u32(at + 8), 3u) << "frames";
    }
    if (type == "fcTL") {
      sequence.push_back(u32(at + 8));
      EXPECT_EQ(u32(at + 12), 37u);
      EXPECT_EQ(u32(at + 16), 23u);
      delay.push_back((u32(at + 28) >> 16) * 100 / (u32(at + 28) & 0xFFFF));
    }
    if (type == "fdAT") {
      sequence.push_back(u32(at + 8));
    }
  }
  EXPECT_EQ(sequence, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(delay, (std::vector<std::uint32_t>{10, 25, 50}));
  if (HaveTool("identify")) {
    // ImageMagick shows an animated PNG's first frame; its pixels are the GIF's first.
    EXPECT_EQ(Shell("compare -metric AE " + Quote(gif + "[0]") + " " + Quote(png) + " null:").substr(0, 1), "0");
  }
  // Without MultiFrame the PNG is the still first frame; the GIF saver without animation
  // writes one frame too, and the TIFF saver writes every frame as a page.
  const std::string still = dir.path() + "still.png", tif = dir.path() + "pages.tif", one = dir.path() + "one.gif";
  ASSERT_TRUE(Png()(still.c_str(), all));
  EXPECT_EQ(Bytes(still).find("acTL"), std::string::npos);
  ASSERT_TRUE(Gif()(one.c_str(), all));
  ASSERT_TRUE(Tiff(6)(tif.c_str(), all));
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(one.c_str(), 0, &info));
  EXPECT_EQ(info.pages, 1);
  ASSERT_TRUE(ZQFileType(tif.c_str(), 0, &info));
  EXPECT_EQ(info.pages, 3);
  for (int i = 0; i < 3; ++i) {
    const HGLOBAL page = Load(tif, i), frame = Load(gif, i);
    EXPECT_EQ(Pixels(page, false), Pixels(frame, false)) << "page " << i;
    ZQFreeMemory(page);
    ZQFreeMemory(frame);
  }
  ZQFreeMemory(all);
  for (HGLOBAL h : frames) ZQFreeMemory(h);
}

TEST(AllFrames, TiffPagesLoadedWholeAreAppendedAsPages) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "more.tif";
  const HGLOBAL all = Load(Fixture("twopages.tif"), kZqAllPages);
  ASSERT_NE(all, 0u);
  ASSERT_TRUE(ZQTiffFileSave(path.c_str(), all, 6, 0, -1, "", 0, nullptr, "", "", ""));
  ASSERT_TRUE(ZQTiffFileSave(path.c_str(), all, 5, 0, -1, "", 0, nullptr, "", "", ""));
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info));
  EXPECT_EQ(info.pages, 4);
  const HGLOBAL second = Load(Fixture("twopages.tif"), 1), last = Load(path, 3);
  EXPECT_EQ(Pixels(last, false), Pixels(second, false));
  for (HGLOBAL h : {all, second, last}) ZQFreeMemory(h);
}

}  // namespace
