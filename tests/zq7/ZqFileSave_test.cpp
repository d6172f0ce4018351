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
  if (HaveTool("compare")) {
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

}  // namespace
