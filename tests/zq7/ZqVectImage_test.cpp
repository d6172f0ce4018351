// Vector images: typing and loading of WMF, EMF and SVG headers made here byte by byte,
// the vector handle's entries, SVG rendering, and the public corpus of real metafiles.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/SourcePath.h"
#include "tests/support/TempDir.h"
#include "tests/zq7/ZqTestImages.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqFileLoad.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "zq7/Zq7VectCom/ZqVectImage.h"
#include "zq7/Zq7VectCom/ZqVector.h"

namespace {

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A placeable WMF whose bounding box is (0, 0, dx, dy) in units of 1/inch inch, with a
// header and the end-of-file record.
std::string PlaceableWmf(int dx, int dy, unsigned inch) {
  std::string s;
  Put32(s, 0x9AC6CDD7);
  Put16(s, 0);
  for (int v : {0, 0, dx, dy}) Put16(s, static_cast<unsigned>(v));
  Put16(s, inch);
  Put32(s, 0);
  Put16(s, 0);  // checksum, not checked
  for (unsigned w : {1u, 9u, 0x300u}) Put16(s, w);
  Put32(s, 12);  // size in words
  Put16(s, 0);
  Put32(s, 3);
  Put16(s, 0);
  Put32(s, 3);  // META_EOF
  Put16(s, 0);
  return s;
}

// A bare WMF with a SetWindowExt record of (cx, cy) after a SetMapMode record.
std::string BareWmf(int cx, int cy) {
  std::string s;
  for (unsigned w : {1u, 9u, 0x300u}) Put16(s, w);
  Put32(s, 20);
  Put16(s, 0);
  Put32(s, 4);
  Put16(s, 0);
  Put32(s, 4), Put16(s, 0x0103), Put16(s, 8);                          // SetMapMode(MM_ANISOTROPIC)
  Put32(s, 5), Put16(s, 0x020C), Put16(s, static_cast<unsigned>(cy)), Put16(s, static_cast<unsigned>(cx));
  Put32(s, 3), Put16(s, 0);
  return s;
}

// An EMF header record with the frame (hundredths of a millimetre) and reference device.
std::string EmfHeader(int frameW, int frameH, int devX, int devY, int mmX, int mmY) {
  std::string s;
  Put32(s, 1);
  Put32(s, 88);
  for (int v : {0, 0, 0, 0, 0, 0, frameW, frameH}) Put32(s, static_cast<std::uint32_t>(v));
  Put32(s, 0x464D4520);
  Put32(s, 0x10000);
  Put32(s, 88 + 20);
  Put32(s, 2);
  Put16(s, 1), Put16(s, 0);
  Put32(s, 0), Put32(s, 0), Put32(s, 0);
  for (int v : {devX, devY, mmX, mmY}) Put32(s, static_cast<std::uint32_t>(v));
  Put32(s, 14), Put32(s, 20), Put32(s, 0), Put32(s, 16), Put32(s, 20);  // EMR_EOF
  return s;
}

struct TypingCase {
  const char* name;
  std::string contents;
  WORD code;
  DWORD width, height;
  WORD xdpi;
};

void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.name; }

class ZqVectorTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(ZqVectorTyping, SizeAndResolutionComeFromTheHeader) {
  const TypingCase& c = GetParam();
  testsupport::TempDir dir;
  const std::string path = dir.Write("drawing", c.contents);
  ZqFileInfo info{};
  ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info)) << "status " << ZQGetErrorStatus();
  EXPECT_EQ(info.code, c.code);
  EXPECT_EQ(info.width, c.width);
  EXPECT_EQ(info.height, c.height);
  EXPECT_EQ(info.xdpi, c.xdpi);
  EXPECT_EQ(info.fileSize, c.contents.size());

  const HGLOBAL image = ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(image, 0u) << "status " << ZQGetErrorStatus();
  ZqImageInfo ii{};
  ASSERT_TRUE(ZQGetImageType(image, &ii));
  EXPECT_EQ(ii.width, c.width);
  EXPECT_EQ(ii.height, c.height);
  EXPECT_EQ(ii.xdpi, c.xdpi);
  EXPECT_EQ(ii.kind, ZQGetVectImageType(image));
  EXPECT_GE(ii.kind, ZQ_KIND_WMF);
  EXPECT_EQ(ZQGetVectImageMemorySize(image), sizeof(ZqVectorHeader) + c.contents.size())
      << "the drawing's own bytes are kept";
  EXPECT_EQ(ZQGetVectFileType(path.c_str()), ii.kind);
  EXPECT_TRUE(ZQFreeVectImage(image));
}

const TypingCase kTypingCases[] = {
    {"PlaceableWmfAt1440PerInch", PlaceableWmf(2880, 1440, 1440), ZQ_CODE_WMF, 192, 96, 96},
    {"PlaceableWmfAt96PerInch", PlaceableWmf(400, 300, 96), ZQ_CODE_WMF, 400, 300, 96},
    {"BareWmfFromItsWindowExtent", BareWmf(640, 480), ZQ_CODE_WMF, 640, 480, 96},
    {"EmfFrameAtTheDevicesResolution", EmfHeader(10000, 5000, 1024, 768, 320, 240), ZQ_CODE_EMF, 320, 160, 81},
    {"SvgWidthAndHeightInPixels", "<svg xmlns='http://www.w3.org/2000/svg' width='120' height='80'/>", ZQ_CODE_SVG,
     120, 80, 96},
    {"SvgUnitsAreCssPixels", "<?xml version='1.0'?>\n<!-- a drawing -->\n<svg width=\"1in\" height=\"72pt\"></svg>",
     ZQ_CODE_SVG, 96, 96, 96},
    {"SvgViewBoxAlone", "\xEF\xBB\xBF<svg viewBox=\"0 0 300 200\"/>", ZQ_CODE_SVG, 300, 200, 96},
    {"SvgPercentFallsBackOnTheViewBox", "<svg width=\"100%\" height=\"100%\" viewBox=\"10,10,50,25\"/>", ZQ_CODE_SVG,
     50, 25, 96},
    {"SvgOneSideFollowsTheViewBox", "<!DOCTYPE svg [ <!ENTITY a 'b'> ]><svg width='40mm' viewBox='0 0 2 1'/>",
     ZQ_CODE_SVG, 151, 76, 96},
};
INSTANTIATE_TEST_SUITE_P(Headers, ZqVectorTyping, ::testing::ValuesIn(kTypingCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ZqVectorTyping, DamagedHeadersGiveAStatus) {
  struct Case {
    const char* name;
    std::string contents;
    WORD status;
  };
  std::string cut = PlaceableWmf(400, 300, 96).substr(0, 26);
  const Case cases[] = {
      {"placeable without its metafile header", cut, ZQ_ERR_DAMAGED},
      {"placeable of zero units per inch", PlaceableWmf(400, 300, 0), ZQ_ERR_DAMAGED},
      {"empty bounding box", PlaceableWmf(0, 300, 96), ZQ_ERR_DAMAGED},
      {"bare WMF without a window extent", BareWmf(0, 0), ZQ_ERR_DAMAGED},
      {"EMF without a reference device", EmfHeader(100, 100, 0, 0, 0, 0), ZQ_ERR_DAMAGED},
      {"EMF with an empty frame", EmfHeader(0, 100, 1024, 768, 320, 240), ZQ_ERR_DAMAGED},
      {"EMF header longer than the file", EmfHeader(100, 100, 1024, 768, 320, 240).substr(0, 60), ZQ_ERR_DAMAGED},
      {"SVG with a bad viewBox", "<svg viewBox='0 0 -1 5'/>", ZQ_ERR_DAMAGED},
      {"SVG start tag never closed", "<svg width='5'", ZQ_ERR_DAMAGED},
      {"XML that is not SVG", "<?xml version='1.0'?><html/>", ZQ_ERR_UNSUPPORTED},
  };
  testsupport::TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("bad", c.contents);
    ZqFileInfo info{};
    EXPECT_FALSE(ZQFileType(path.c_str(), 0, &info)) << c.name;
    EXPECT_EQ(ZQGetErrorStatus(), c.status) << c.name;
    EXPECT_EQ(ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, nullptr, nullptr, nullptr), 0u) << c.name;
    EXPECT_EQ(ZQGetErrorStatus(), c.status) << c.name;
  }
}

TEST(ZqVectorLoad, AskedSizeIsReportedAndFormatLoadersInsistOnTheirFormat) {
  testsupport::TempDir dir;
  const std::string wmf = dir.Write("a.wmf", PlaceableWmf(400, 300, 96));
  const HGLOBAL image = ZQWmfFileLoad(wmf.c_str(), 800, 0, nullptr, nullptr, nullptr, nullptr);
  LONG w = 0, h = 0;
  ASSERT_TRUE(ZQGetVectImagePixelSize(image, &w, &h));
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600) << "a side of 0 follows the drawing's proportions";
  const HGLOBAL copy = ZQCopyVectImage(image);
  ASSERT_NE(copy, 0u);
  EXPECT_TRUE(ZQGetVectImageDpi(copy, &w, &h));
  EXPECT_EQ(w, 96);
  EXPECT_TRUE(ZQFreeVectImage(copy));
  EXPECT_TRUE(ZQFreeVectImage(image));

  EXPECT_EQ(ZQSvgFileLoad(wmf.c_str(), 0, 0, nullptr, nullptr, nullptr, nullptr), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_UNSUPPORTED);
  EXPECT_EQ(ZQFileLoad(wmf.c_str(), 1, 0, 0, nullptr, nullptr, nullptr, nullptr), 0u) << "one page only";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);

  const HGLOBAL raster = zqtest::White(2, 2, 24);
  EXPECT_EQ(ZQGetVectImageType(raster), ZQ_KIND_INVALID);
  EXPECT_EQ(ZQCopyVectImage(raster), 0u);
  EXPECT_FALSE(ZQFreeVectImage(raster)) << "a raster image is not freed as a vector one";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  ZQFreeMemory(raster);
}

TEST(ZqVectorRender, SvgIsDrawnAtTheReportedSizeOnTheBackground) {
  testsupport::TempDir dir;
  // A red square over the left half of a 40 x 20 drawing.
  const std::string svg = dir.Write(
      "a.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'>"
               "<rect x='0' y='0' width='20' height='20' fill='#ff0000'/></svg>");
  for (const int scale : {1, 3}) {
    const HGLOBAL image = ZQSvgFileLoad(svg.c_str(), 40 * scale, 20 * scale, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(image, 0u);
    const HGLOBAL raster = ZQVectorToRaster(image, 24, -1, 0, 0, 255);
    ASSERT_NE(raster, 0u) << "status " << ZQGetErrorStatus();
    const BITMAPINFOHEADER h = zqtest::Header(raster);
    EXPECT_EQ(h.biWidth, 40 * scale);
    EXPECT_EQ(h.biHeight, 20 * scale);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(zqtest::Red(raster, 5 * scale, 10 * scale), 255) << "inside the square";
    EXPECT_EQ(zqtest::Red(raster, 30 * scale, 10 * scale), 0) << "the blue page";
    ZQFreeMemory(raster);
    ZQFreeMemory(image);
  }
}

TEST(ZqVectorRender, EmptyAndBrokenDrawings) {
  const HGLOBAL empty = ZQCreateVectImageEx(ZQ_KIND_SVG, 8, 4, 0, 0);
  ASSERT_NE(empty, 0u);
  const HGLOBAL page = ZQVectorToRaster(empty, 32, -1, 10, 20, 30);
  ASSERT_NE(page, 0u);
  EXPECT_EQ(zqtest::Red(page, 7, 3), 10) << "an empty drawing is its page";
  ZQFreeMemory(page);
  EXPECT_EQ(ZQVectorToRaster(empty, 8, -1, 0, 0, 0), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  ZQFreeMemory(empty);
  EXPECT_EQ(ZQCreateVectImageEx(ZQ_KIND_RASTER, 8, 4, 0, 0), 0u);
  EXPECT_EQ(ZQCreateVectImage(0, 4, 0, 0), 0u);

  testsupport::TempDir dir;
  const std::string svg = dir.Write("b.svg", "<svg width='10' height='10'><rect></svg>");
  const HGLOBAL broken = ZQSvgFileLoad(svg.c_str(), 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(broken, 0u) << "typing reads only the root element";
  EXPECT_EQ(ZQVectorToRaster(broken, 24, -1, 0, 0, 0), 0u);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_DAMAGED);
  ZQFreeMemory(broken);
}

// Every real metafile of the public corpus types and loads; the damaged ones give a
// status and nothing else.
TEST(ZqVectorCorpus, EveryListedMetafileTypesAndLoadsOrGivesAStatus) {
  const std::filesystem::path dir(testsupport::SourcePath("../shared/corpus"));
  std::ifstream list(dir / "vector-files.tsv");
  if (!list) GTEST_SKIP() << "public corpus not found at " << dir << "; skipped";
  std::string line;
  std::getline(list, line);
  int typed = 0, refused = 0;
  while (std::getline(list, line)) {
    const std::string path = (dir / line.substr(0, line.find('\t'))).string();
    if (path.ends_with(".fpx")) continue;
    const bool damaged = path.find("corrupted") != std::string::npos;
    ZqFileInfo info{};
    const bool ok = ZQFileType(path.c_str(), 0, &info);
    const HGLOBAL image = ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(ok, image != 0) << path << ": typing and loading disagree";
    if (!damaged) {
      EXPECT_TRUE(ok) << path << ": status " << ZQGetErrorStatus();
      EXPECT_GT(info.width, 0u) << path;
    }
    if (ok) {
      ++typed;
      EXPECT_TRUE(info.code == ZQ_CODE_WMF || info.code == ZQ_CODE_EMF) << path;
    } else {
      ++refused;
    }
    ZQFreeMemory(image);
  }
  EXPECT_GT(typed, 50);
  std::cout << typed << " metafiles typed and loaded, " << refused << " damaged ones refused\n";
}

}  // namespace
