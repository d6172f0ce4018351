// ZQFileType and ZQJpegExifInfo on fixtures made with independent tools (see
// tests/data/type/make_fixtures.sh); every expected value was read from the fixture with
// exiftool, identify or tiffinfo. Then pages, statuses, hostile structures, and every
// fixture cut short and corrupted.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "tests/support/SourcePath.h"

namespace {

std::string Fixture(const std::string& name) {
  return testsupport::SourcePath("tests/data/type/" + name);
}

struct Expected {
  const char* file;
  int page;
  DWORD bytes, width, height;
  WORD bits, xdpi, ydpi, code, interlace;
  int pages;
  const char* comment;
};

// Sources of the values: sizes and bits from exiftool (BitDepth, BitsPerSample x
// ColorComponents, BitsPerPixel), dpi from exiftool's resolution tags with their unit
// (pixels per metre x 0.0254, per cm x 2.54, rounded), pages from identify, TIFF
// compression, T4Options and descriptions from tiffinfo, comments from exiftool.
const Expected kFixtures[] = {
    // JPEG: no Exif, JFIF aspect only (0 dpi); COM comment.
    {"jpeg_baseline.jpg", 0, 857, 32, 21, 24, 0, 0, ZQ_CODE_JPEG_BASELINE, 0, 1, "baseline rose"},
    {"jpeg_progressive.jpg", 0, 759, 32, 21, 24, 0, 0, ZQ_CODE_JPEG_PROGRESSIVE, 0, 1, ""},
    {"jpeg_grey.jpg", 0, 501, 32, 21, 8, 0, 0, ZQ_CODE_JPEG_BASELINE, 0, 1, ""},
    {"jpeg_cmyk.jpg", 0, 759, 32, 21, 32, 150, 150, ZQ_CODE_JPEG_BASELINE, 0, 1, ""},
    // JFIF 40 dots per cm.
    {"jpeg_jfif_dpcm.jpg", 0, 527, 32, 21, 24, 102, 102, ZQ_CODE_JPEG_BASELINE, 0, 1, ""},
    // Exif IFD0 300 x 150 dpi wins over JFIF 72 dpi.
    {"jpeg_exif.jpg", 0, 1260, 32, 21, 24, 300, 150, ZQ_CODE_JPEG_EXIF, 0, 1, ""},
    // Progressive with Exif (40 dots per cm) is an Exif JPEG; JFIF records no unit.
    {"jpeg_exif_cm.jpg", 0, 847, 32, 21, 24, 102, 102, ZQ_CODE_JPEG_EXIF, 0, 1, ""},
    // PNG: pHYs 2834 per metre is 72 dpi, 4000 per metre 102 dpi.
    {"png_rgb.png", 0, 1848, 32, 21, 24, 72, 72, ZQ_CODE_PNG, 0, 1, "rose in png"},
    {"png_palette_interlaced.png", 0, 1238, 32, 21, 8, 0, 0, ZQ_CODE_PNG, 1, 1, ""},
    {"png_grey16_dpcm.png", 0, 1158, 32, 21, 16, 102, 102, ZQ_CODE_PNG, 0, 1, ""},
    {"png_rgba.png", 0, 2023, 32, 21, 32, 0, 0, ZQ_CODE_PNG, 0, 1, ""},
    // GIF: bits of the global colour table; frames counted; comment extension.
    {"gif87a.gif", 0, 1537, 32, 21, 8, 0, 0, ZQ_CODE_GIF87A, 0, 1, ""},
    {"gif89a_frames.gif", 0, 4136, 32, 21, 8, 0, 0, ZQ_CODE_GIF89A, 1, 3, "three roses"},
    {"gif89a_frames.gif", 2, 4136, 16, 11, 8, 0, 0, ZQ_CODE_GIF89A, 1, 3, "three roses"},
    {"gif_interlaced16.gif", 0, 397, 32, 21, 4, 0, 0, ZQ_CODE_GIF89A, 1, 1, ""},
    // TIFF: compression by tag (T4Options bit 0 for 2-D), resolution with its unit.
    {"tiff_g3.tif", 0, 254, 32, 21, 1, 0, 0, ZQ_CODE_TIFF_G3_1D, 0, 1, ""},
    {"tiff_g3_2d.tif", 0, 262, 32, 21, 1, 0, 0, ZQ_CODE_TIFF_G3_2D, 0, 1, ""},
    {"tiff_g4.tif", 0, 212, 32, 21, 1, 0, 0, ZQ_CODE_TIFF_G4, 0, 1, ""},
    {"tiff_lzw.tif", 0, 2666, 32, 21, 24, 96, 96, ZQ_CODE_TIFF_LZW, 0, 1, ""},
    {"tiff_packbits.tif", 0, 2348, 32, 21, 24, 96, 96, ZQ_CODE_TIFF_PACKBITS, 0, 1, ""},
    {"tiff_jpeg.tif", 0, 1324, 32, 21, 24, 96, 96, ZQ_CODE_TIFF_JPEG, 0, 1, ""},
    {"tiff_none_desc.tif", 0, 2667, 32, 21, 24, 96, 96, ZQ_CODE_TIFF_NONE, 0, 1, "rose described"},
    // ResolutionUnit 1 (no unit): the values are no dpi.
    {"tiff_nounit.tif", 0, 2656, 32, 21, 24, 0, 0, ZQ_CODE_TIFF_PACKBITS, 0, 1, ""},
    {"tiff_multipage.tif", 0, 3775, 32, 21, 24, 96, 96, ZQ_CODE_TIFF_NONE, 0, 3, ""},
    {"tiff_multipage.tif", 1, 3775, 32, 21, 1, 0, 0, ZQ_CODE_TIFF_G4, 0, 3, ""},
    {"tiff_multipage.tif", 2, 3775, 16, 11, 24, 102, 102, ZQ_CODE_TIFF_LZW, 0, 3, "third page"},
    // BigTIFF, big-endian, two pages.
    {"tiff_bigtiff_be.tif", 0, 3846, 32, 21, 24, 96, 96, ZQ_CODE_TIFF_LZW, 0, 2, ""},
    {"tiff_bigtiff_be.tif", 1, 3846, 16, 11, 24, 102, 102, ZQ_CODE_TIFF_LZW, 0, 2, ""},
    // BMP: 4000 pixels per metre is 102 dpi; the OS/2 core header has no resolution.
    {"bmp_rgb24.bmp", 0, 2070, 32, 21, 24, 102, 102, ZQ_CODE_BMP, 0, 1, ""},
    {"bmp_pal1.bmp", 0, 146, 32, 21, 1, 0, 0, ZQ_CODE_BMP, 0, 1, ""},
    {"bmp_rle8.bmp", 0, 2234, 32, 21, 8, 0, 0, ZQ_CODE_BMP_RLE8, 0, 1, ""},
    {"bmp_os2.bmp", 0, 2042, 32, 21, 24, 0, 0, ZQ_CODE_BMP, 0, 1, ""},
    // PCX: bits per plane x planes; the header's dpi words as stored.
    {"pcx_rgb.pcx", 0, 2438, 32, 21, 24, 150, 150, ZQ_CODE_PCX, 0, 1, ""},
    {"pcx_palette.pcx", 0, 1521, 32, 21, 8, 0, 0, ZQ_CODE_PCX, 0, 1, ""},
    // JPEG 2000: a JP2 file, and raw code streams (whatever their extension).
    {"jp2_rgb.jp2", 0, 250, 32, 21, 24, 0, 0, ZQ_CODE_JP2, 0, 1, ""},
    {"jp2_grey16.j2k", 0, 156, 32, 21, 16, 0, 0, ZQ_CODE_J2K_CODESTREAM, 0, 1, ""},
    {"jp2_codestream.j2c", 0, 159, 16, 11, 24, 0, 0, ZQ_CODE_J2K_CODESTREAM, 0, 1, ""},
};

class ZqFileTypeFixture : public ::testing::TestWithParam<Expected> {};

TEST_P(ZqFileTypeFixture, FieldsMatchTheTools) {
  const Expected& e = GetParam();
  ZqFileInfo info;
  std::memset(&info, 0xAB, sizeof info);
  ASSERT_TRUE(ZQFileType(Fixture(e.file).c_str(), e.page, &info)) << "status " << ZQGetErrorStatus();
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  EXPECT_EQ(info.fileSize, e.bytes);
  EXPECT_EQ(info.width, e.width);
  EXPECT_EQ(info.height, e.height);
  EXPECT_EQ(info.bitCount, e.bits);
  EXPECT_EQ(info.xdpi, e.xdpi);
  EXPECT_EQ(info.ydpi, e.ydpi);
  EXPECT_EQ(info.code, e.code);
  EXPECT_EQ(info.interlace, e.interlace);
  EXPECT_EQ(info.pages, e.pages);
  EXPECT_STREQ(info.comment, e.comment);
  // Fields the record does not interpret are cleared, not left as they were.
  EXPECT_EQ(info.value20, 0u);
  EXPECT_EQ(info.value36, 0u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZqFileTypeFixture, ::testing::ValuesIn(kFixtures), [](const auto& param) {
  std::string name = std::string(param.param.file) + "_page" + std::to_string(param.param.page);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

// A failed call reports its status and leaves the caller's record as it was.
void ExpectRefused(const std::string& path, int page, WORD status) {
  ZqFileInfo info;
  std::memset(&info, 0x5A, sizeof info);
  EXPECT_FALSE(ZQFileType(path.c_str(), page, &info)) << path << " page " << page;
  EXPECT_EQ(ZQGetErrorStatus(), status) << path << " page " << page;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
  EXPECT_EQ(std::count(bytes, bytes + sizeof info, 0x5A), static_cast<long>(sizeof info)) << path;
}

TEST(ZqFileType, PagesBeyondTheLastAreRefused) {
  ExpectRefused(Fixture("tiff_multipage.tif"), 3, ZQ_ERR_BAD_PARAMETER);
  ExpectRefused(Fixture("gif89a_frames.gif"), 3, ZQ_ERR_BAD_PARAMETER);
  ExpectRefused(Fixture("jpeg_baseline.jpg"), 1, ZQ_ERR_BAD_PARAMETER);
  ExpectRefused(Fixture("png_rgb.png"), 1, ZQ_ERR_BAD_PARAMETER);
  ExpectRefused(Fixture("jp2_rgb.jp2"), 5, ZQ_ERR_BAD_PARAMETER);
  ExpectRefused(Fixture("jpeg_baseline.jpg"), -1, ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqFileType, AllFramesPageDescribesTheFirstImage) {
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(Fixture("tiff_multipage.tif").c_str(), kZqAllPages, &info));
  EXPECT_EQ(info.code, ZQ_CODE_TIFF_NONE);
  EXPECT_EQ(info.pages, 3);
}

TEST(ZqFileType, StatusesForWhatIsNoReadableImage) {
  testsupport::TempDir dir;
  ExpectRefused(dir.path() + "missing.jpg", 0, ZQ_ERR_FILE_NOT_FOUND);
  ExpectRefused(dir.path(), 0, ZQ_ERR_FILE_NOT_FOUND);  // a folder
  // A pipe without a writer would block a plain open or read forever.
  ASSERT_EQ(::mkfifo((dir.path() + "pipe.jpg").c_str(), 0600), 0);
  ExpectRefused(dir.path() + "pipe.jpg", 0, ZQ_ERR_FILE_NOT_FOUND);
  ExpectRefused(dir.Write("empty.jpg", ""), 0, ZQ_ERR_UNSUPPORTED);
  ExpectRefused(dir.Write("text.png", "just some text, not a picture"), 0, ZQ_ERR_UNSUPPORTED);
  ExpectRefused(dir.Write("sig.jpg", "\xFF\xD8\xFF"), 0, ZQ_ERR_DAMAGED);

  ZqFileInfo info{};
  EXPECT_FALSE(ZQFileType(nullptr, 0, &info));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  EXPECT_FALSE(ZQFileType(Fixture("png_rgb.png").c_str(), 0, nullptr));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqFileType, ContentDecidesTheFormatNotTheExtension) {
  testsupport::TempDir dir;
  const std::string png = testsupport::TempDir::Read(Fixture("png_rgb.png"));
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(dir.Write("really-a-png.jpg", png).c_str(), 0, &info));
  EXPECT_EQ(info.code, ZQ_CODE_PNG);
}

TEST(ZqFileType, SizesBeyondFourGibibytesAreClamped) {
  testsupport::TempDir dir;
  const std::string path = dir.Write("big.bmp", testsupport::TempDir::Read(Fixture("bmp_rgb24.bmp")));
  std::error_code ec;
  std::filesystem::resize_file(path, (std::uint64_t{1} << 32) + 100, ec);  // sparse: costs no space
  if (ec) GTEST_SKIP() << "the file system cannot hold a sparse file of 4 GiB: " << ec.message();
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info));
  EXPECT_EQ(info.fileSize, 0xFFFFFFFFu);
  EXPECT_EQ(info.width, 32u);
}

// Little-endian TIFF pieces for hand-made hostile structures.
std::string U16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; }
std::string U32(unsigned v) { return U16(v & 0xFFFF) + U16(v >> 16); }
std::string Entry(unsigned tag, unsigned type, unsigned count, unsigned value) { return U16(tag) + U16(type) + U32(count) + U32(value); }
std::string Ifd(unsigned width, unsigned next) {
  return U16(2) + Entry(256, 3, 1, width) + Entry(257, 3, 1, 10) + U32(next);
}

TEST(ZqFileType, TiffDirectoryLoopsEndTheCount) {
  testsupport::TempDir dir;
  // IFD at 8 points to 38, which points back to 8.
  const std::string loop = "II*" + std::string(1, '\0') + U32(8) + Ifd(5, 38) + Ifd(7, 8);
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(dir.Write("loop.tif", loop).c_str(), 1, &info));
  EXPECT_EQ(info.width, 7u);
  EXPECT_EQ(info.pages, 2);
  EXPECT_EQ(info.bitCount, 1);             // no BitsPerSample: 1 bit
  EXPECT_EQ(info.code, ZQ_CODE_TIFF_NONE);  // no Compression tag
  ExpectRefused(dir.path() + "loop.tif", 2, ZQ_ERR_BAD_PARAMETER);
  // A directory pointing at itself.
  const std::string self = "II*" + std::string(1, '\0') + U32(8) + Ifd(5, 8);
  ASSERT_TRUE(ZQFileType(dir.Write("self.tif", self).c_str(), 0, &info));
  EXPECT_EQ(info.pages, 1);
}

TEST(ZqFileType, TiffValuesOutsideTheFileAreIgnored) {
  testsupport::TempDir dir;
  // XResolution and YResolution point far past the end; an entry count that cannot fit.
  const std::string tiff = "II*" + std::string(1, '\0') + U32(8) + U16(4) + Entry(256, 4, 1, 9) + Entry(257, 4, 1, 4) +
                           Entry(282, 5, 1, 0x7FFFFFF0) + Entry(283, 5, 1, 0x7FFFFFF0) + U32(0);
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(dir.Write("far.tif", tiff).c_str(), 0, &info));
  EXPECT_EQ(info.width, 9u);
  EXPECT_EQ(info.xdpi, 0);
  const std::string huge = "II*" + std::string(1, '\0') + U32(8) + U16(0xFFFF) + Entry(256, 4, 1, 9) + U32(0);
  ExpectRefused(dir.Write("huge.tif", huge), 0, ZQ_ERR_DAMAGED);
}

TEST(ZqFileType, PngCommentAfterTheImageData) {
  testsupport::TempDir dir;
  auto chunk = [](const std::string& type, const std::string& data) {
    const auto n = static_cast<unsigned>(data.size());
    return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)} +
           type + data + "CRC!";  // the header reader does not check CRCs
  };
  const std::string ihdr{0, 0, 0, 3, 0, 0, 0, 2, 8, 6, 0, 0, 0};
  const std::string png = "\x89PNG\r\n\x1A\n" + chunk("IHDR", ihdr) + chunk("IDAT", "xx") +
                          chunk("tEXt", std::string("Title\0ignored", 13)) + chunk("tEXt", std::string("Comment\0caf\xE9", 12)) +
                          chunk("IEND", "");
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(dir.Write("late.png", png).c_str(), 0, &info));
  EXPECT_EQ(info.bitCount, 32);
  EXPECT_STREQ(info.comment, "caf\xC3\xA9");  // Latin-1 turned into UTF-8
}

TEST(ZqFileType, LongCommentsAreCutToTheField) {
  testsupport::TempDir dir;
  std::string jpeg = testsupport::TempDir::Read(Fixture("jpeg_grey.jpg"));
  // A COM segment of 3000 "é" bytes pairs right after SOI.
  std::string text;
  for (int i = 0; i < 1500; ++i) text += "\xC3\xA9";
  const unsigned length = static_cast<unsigned>(text.size() + 2);
  jpeg.insert(2, std::string{'\xFF', '\xFE', static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + text);
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(dir.Write("long.jpg", jpeg).c_str(), 0, &info));
  const std::size_t n = strnlen(info.comment, sizeof info.comment);
  EXPECT_EQ(n, 2046u);  // 2047 bytes would split a character
  EXPECT_EQ(info.comment[n], '\0');
}

TEST(ZqFileType, JpegSkipsStrayBytesBetweenSegments) {
  testsupport::TempDir dir;
  std::string jpeg = testsupport::TempDir::Read(Fixture("jpeg_exif.jpg"));
  // Stray bytes after the first segment (APP0 at offset 2), before the Exif segment.
  const std::size_t afterApp0 = 4 + (static_cast<unsigned char>(jpeg[4]) << 8 | static_cast<unsigned char>(jpeg[5]));
  ASSERT_EQ(jpeg.substr(afterApp0, 2), "\xFF\xE1");
  jpeg.insert(afterApp0, "junkjunk");
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(dir.Write("junk.jpg", jpeg).c_str(), 0, &info));
  EXPECT_EQ(info.code, ZQ_CODE_JPEG_EXIF);
  EXPECT_EQ(info.xdpi, 300);
}

// Every fixture cut at every length up to 600 bytes and at a few fractions, and with
// bytes overwritten: each call comes back with a status or a record, and a cut inside
// the signature's header is damaged.
TEST(ZqFileType, TruncatedAndCorruptedFixturesGiveAStatus) {
  testsupport::TempDir dir;
  std::vector<std::string> files;
  for (const Expected& e : kFixtures)
    if (e.page == 0) files.push_back(e.file);
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
  for (const std::string& file : files) {
    const std::string whole = testsupport::TempDir::Read(Fixture(file));
    for (std::size_t n = 0; n < whole.size(); n += n < 600 ? 1 : whole.size() / 7 + 1) {
      ZqFileInfo info{};
      const BOOL ok = ZQFileType(dir.Write("cut", whole.substr(0, n)).c_str(), 0, &info);
      const WORD status = ZQGetErrorStatus();
      EXPECT_EQ(ok != FALSE, status == ZQ_OK) << file << " cut at " << n;
      if (n >= 16 && n <= 20) {
        EXPECT_EQ(status, ZQ_ERR_DAMAGED) << file << " cut at " << n;
      }
    }
    for (int round = 0; round < 200; ++round) {
      std::string bad = whole;
      for (int k = 0; k < 4; ++k) bad[next() % bad.size()] = static_cast<char>(next());
      for (int page : {0, 1}) {
        ZqFileInfo info{};
        const BOOL ok = ZQFileType(dir.Write("bad", bad).c_str(), page, &info);
        EXPECT_EQ(ok != FALSE, ZQGetErrorStatus() == ZQ_OK) << file;
        if (ok) {
          EXPECT_LT(strnlen(info.comment, sizeof info.comment), sizeof info.comment) << file;
        }
      }
      ZqExifInfo exif{};
      ZQJpegExifInfo((dir.path() + "bad").c_str(), &exif);
    }
  }
}

double Ratio(const DWORD* r) { return r[1] ? static_cast<double>(r[0]) / r[1] : -1; }

TEST(ZqJpegExifInfo, ReadsCameraShotAndPlaceValues) {
  ZqExifInfo exif;
  std::memset(&exif, 0x77, sizeof exif);
  ASSERT_TRUE(ZQJpegExifInfo(Fixture("jpeg_exif.jpg").c_str(), &exif)) << ZQGetErrorStatus();
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_OK);
  // Values as exiftool reads them from the fixture.
  EXPECT_STREQ(exif.make, "Tesmarin");
  EXPECT_STREQ(exif.model, "Rose One");
  EXPECT_EQ(exif.orientation, 6);
  EXPECT_EQ(exif.resolutionUnit, 2);
  EXPECT_DOUBLE_EQ(Ratio(exif.xResolution), 300.0);
  EXPECT_DOUBLE_EQ(Ratio(exif.yResolution), 150.0);
  EXPECT_STREQ(exif.dateTimeOriginal, "2024:05:06 07:08:09");
  EXPECT_NEAR(Ratio(exif.fNumber), 2.8, 1e-9);
  EXPECT_NEAR(Ratio(exif.exposureTime), 0.004, 1e-9);
  EXPECT_EQ(exif.isoSpeed, 200);
  EXPECT_STREQ(exif.gpsLatitudeRef, "N");
  EXPECT_STREQ(exif.gpsLongitudeRef, "E");
  EXPECT_NEAR(Ratio(exif.gpsLatitude) + Ratio(exif.gpsLatitude + 2) / 60 + Ratio(exif.gpsLatitude + 4) / 3600, 35.5, 1e-6);
  EXPECT_NEAR(Ratio(exif.gpsLongitude) + Ratio(exif.gpsLongitude + 2) / 60 + Ratio(exif.gpsLongitude + 4) / 3600, 139.25, 1e-6);
  EXPECT_STREQ(exif.software, "");  // not recorded: empty, not left as it was
  EXPECT_EQ(exif.flash, 0);
}

TEST(ZqJpegExifInfo, StatusesWithoutExif) {
  ZqExifInfo exif{};
  EXPECT_FALSE(ZQJpegExifInfo(Fixture("jpeg_baseline.jpg").c_str(), &exif));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  EXPECT_FALSE(ZQJpegExifInfo(Fixture("tiff_lzw.tif").c_str(), &exif));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  EXPECT_FALSE(ZQJpegExifInfo("/nonexistent/x.jpg", &exif));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
  EXPECT_FALSE(ZQJpegExifInfo(Fixture("jpeg_exif.jpg").c_str(), nullptr));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

}  // namespace
