// The file and common components on the real engine libraries: the application's road
// through them, and what the common component frees and what it refuses to.
#include <gtest/gtest.h>

#include "imaging/components/Zqcommon.h"
#include "imaging/components/Zqfile.h"
#include "imaging/engine/Zqdispinit.h"
#include "platform/memory.h"
#include "tests/support/SourcePath.h"


namespace {

std::string Fixture(const std::string& name) {
  return testsupport::SourcePath("tests/data/" + name);
}

}  // namespace

TEST(ImageComponents, TheApplicationsRoadFreesTheImageOnce) {
  TVZqFile file;
  TVZqCommon common;
  const auto blocks = GlobalBlockCount();
  file.SetFileName(Fixture("type/tiff_jpeg.tif"));
  ASSERT_TRUE(file.LoadFile(vzqLoad));
  ASSERT_TRUE(file.GetImagefileType());
  EXPECT_EQ(file.ErrorStatus, 0);
  EXPECT_EQ(file.BitCount, 24);
  EXPECT_EQ(file.Width, 32u);
  EXPECT_EQ(file.Height, 21u);
  EXPECT_EQ(file.Ydpi, 96);
  EXPECT_EQ(file.Compression, 29);
  common.ImgHandle = file.ImgHandle;
  ASSERT_TRUE(common.GetImageType());
  EXPECT_EQ(common.ImageKind, vzqRasterImage);
  EXPECT_EQ(common.Width, 32u);
  EXPECT_EQ(common.Ydpi(), 96);
  EXPECT_GT(common.GetMemorySize(), 32u * 21u * 3u);
  EXPECT_TRUE(common.FreeMemory());
  EXPECT_EQ(common.ImgHandle, 0u);
  EXPECT_EQ(GlobalBlockCount(), blocks) << "the loaded image is gone";
  common.ImgHandle = file.ImgHandle;  // the file component still names the freed handle
  EXPECT_FALSE(common.FreeMemory()) << "a handle is freed once";
  EXPECT_EQ(common.ImgHandle, file.ImgHandle);
  common.ImgHandle = 0;
}

TEST(ImageComponents, FreeMemoryRefusesWhatIsNoImage) {
  TVZqCommon common;
  EXPECT_FALSE(common.FreeMemory());
  EXPECT_NE(common.ErrorStatus, 0) << "the engine's status for handle 0";
  const HGLOBAL notAnImage = GlobalAlloc(GHND, 64);
  common.ImgHandle = notAnImage;
  EXPECT_FALSE(common.FreeMemory());
  EXPECT_EQ(common.ImgHandle, notAnImage);
  EXPECT_NE(GlobalSize(notAnImage), 0u) << "nothing was freed";
  common.ImgHandle = 0;
  GlobalFree(notAnImage);
  common.SetXdpi(-5);
  EXPECT_EQ(common.Xdpi(), 0);
  common.SetXdpi(300);
  common.SetXdpi(-5);
  EXPECT_EQ(common.Xdpi(), 300);
}

TEST(ImageComponents, DestroyingTheCommonComponentFreesItsImage) {
  const auto blocks = GlobalBlockCount();
  {
    TVZqCommon common;
    ASSERT_TRUE(common.CreateImage(8, 4, 24, 255, 0, 0));
    EXPECT_EQ(GlobalBlockCount(), blocks + 1);
  }
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST(ImageComponents, PictureRoundTrip) {
  TVZqCommon common;
  QImage picture(6, 3, QImage::Format_RGB32);
  picture.fill(qRgb(10, 200, 30));
  picture.setPixel(5, 2, qRgb(250, 0, 0));
  common.SetPicture(picture);
  ASSERT_NE(common.ImgHandle, 0u);
  ASSERT_TRUE(common.GetImageType());
  EXPECT_EQ(common.Width, 6u);
  EXPECT_EQ(common.Height, 3u);
  const HGLOBAL first = common.ImgHandle;
  const QImage back = common.Picture();
  ASSERT_EQ(back.size(), picture.size());
  EXPECT_EQ(back.pixel(0, 0) & 0xFFFFFF, picture.pixel(0, 0) & 0xFFFFFF);
  EXPECT_EQ(back.pixel(5, 2) & 0xFFFFFF, qRgb(250, 0, 0) & 0xFFFFFF);
  const auto blocks = GlobalBlockCount();
  common.SetPicture(QImage());
  EXPECT_EQ(common.ImgHandle, 0u);
  EXPECT_EQ(GlobalBlockCount(), blocks - 1) << "the previous image " << first << " was freed";
}

TEST(ImageComponents, ExifOfAJpeg) {
  TVZqFile file;
  ASSERT_TRUE(file.Exif().GetExifInfo(Fixture("type/jpeg_exif.jpg")));
  EXPECT_NE(file.Exif().Values.xResolution[1], 0u);
  TCExif other;
  EXPECT_FALSE(other.GetExifInfo(Fixture("type/png_rgb.png")));
  file.SetExif(other);
  EXPECT_EQ(file.Exif().Values.xResolution[1], 0u) << "assigning copies the values";
}

TEST(ImageComponents, SharedDisplayStateLivesFromTheFirstToTheLastImageComponent) {
  auto file = std::make_unique<TVZqFile>();
  EXPECT_EQ(g_PenSize, 3) << "the first component set the shared state up";
  g_PenSize = 99;
  auto common = std::make_unique<TVZqCommon>();
  EXPECT_EQ(g_PenSize, 99) << "a second component does not set it up again";
  g_Clip[1] = GlobalAlloc(GMEM_MOVEABLE, 8);
  const auto blocks = GlobalBlockCount();
  file.reset();
  EXPECT_NE(g_Clip[1], 0u) << "one component is still alive";
  common.reset();
  EXPECT_EQ(g_Clip[1], 0u) << "the last one closed the shared state";
  EXPECT_EQ(GlobalBlockCount(), blocks - 1);
}
