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

// The fixture's Exif values as exiftool reads them (make_fixtures.sh wrote them).
TEST(ImageComponents, ExifOfAJpeg) {
  TVZqFile file;
  TCExif& exif = file.Exif();
  exif.ErrorStatus = 99;
  ASSERT_TRUE(exif.GetExifInfo(Fixture("type/jpeg_exif.jpg")));
  EXPECT_EQ(exif.ErrorStatus, 0);
  const ZqExifInfo& v = exif.Values;
  EXPECT_STREQ(v.make, "Tesmarin");
  EXPECT_STREQ(v.model, "Rose One");
  EXPECT_EQ(v.orientation, 6) << "rotate 90 CW";
  EXPECT_EQ(v.xResolution[0], 300u);
  EXPECT_EQ(v.xResolution[1], 1u);
  EXPECT_EQ(v.yResolution[0], 150u) << "IFD0's value, not the JFIF 72";
  EXPECT_EQ(v.resolutionUnit, 2) << "inches";
  EXPECT_EQ(v.exposureTime[0], 1u);
  EXPECT_EQ(v.exposureTime[1], 250u);
  EXPECT_EQ(v.fNumber[0], 14u);
  EXPECT_EQ(v.fNumber[1], 5u);
  EXPECT_EQ(v.isoSpeed, 200);
  EXPECT_EQ(v.colorSpace, 0xFFFF) << "uncalibrated";
  EXPECT_STREQ(v.exifVersion, "0232");
  EXPECT_STREQ(v.dateTimeOriginal, "2024:05:06 07:08:09");
  EXPECT_STREQ(v.gpsLatitudeRef, "N");
  EXPECT_STREQ(v.gpsLongitudeRef, "E");
  const DWORD latitude[6] = {35, 1, 30, 1, 0, 1};
  const DWORD longitude[6] = {139, 1, 15, 1, 0, 1};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(v.gpsLatitude[i], latitude[i]) << "latitude word " << i;
    EXPECT_EQ(v.gpsLongitude[i], longitude[i]) << "longitude word " << i;
  }

  // A file without Exif and a missing file: false, the engine's status, values untouched.
  TCExif other;
  EXPECT_FALSE(other.GetExifInfo(Fixture("type/png_rgb.png")));
  EXPECT_NE(other.ErrorStatus, 0);
  EXPECT_FALSE(exif.GetExifInfo(Fixture("type/missing.jpg")));
  EXPECT_EQ(exif.ErrorStatus, ZQ_ERR_FILE_NOT_FOUND);
  EXPECT_STREQ(exif.Values.make, "Tesmarin") << "a failed read keeps the values";

  // Assigning copies the values; the copy does not follow its source afterwards.
  TCExif copy;
  copy.Values = exif.Values;
  file.SetExif(other);
  EXPECT_EQ(file.Exif().Values.xResolution[1], 0u);
  EXPECT_STREQ(file.Exif().Values.make, "");
  file.SetExif(copy);
  copy.Values.orientation = 1;
  EXPECT_EQ(file.Exif().Values.orientation, 6);
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
