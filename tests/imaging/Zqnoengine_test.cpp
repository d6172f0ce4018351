// The components in a folder without engine libraries: every call fails with status 14
// and nothing is shown.
#include <gtest/gtest.h>

#include "imaging/components/Zqcommon.h"
#include "imaging/components/Zqfile.h"
#include "imaging/components/Zqslide.h"
#include "tests/support/ScriptedDialogs.h"

TEST(NoEngine, FileComponentReportsMissingEntries) {
  testsupport::ScopedScript s;
  TVZqFile file;
  int events = 0;
  file.OnStartLoad = [&](QObject*, const std::string&) { ++events; };
  file.SetFileName("/no/engine.jpg");
  EXPECT_FALSE(file.GetImagefileType());
  EXPECT_EQ(file.ErrorStatus, 14);
  file.ErrorStatus = 0;
  EXPECT_FALSE(file.LoadFile(vzqLoad));
  EXPECT_EQ(file.ErrorStatus, 14);
  EXPECT_EQ(file.ImgHandle, 0u);
  EXPECT_FALSE(file.LoadFile(vzqLoadTIFF));
  EXPECT_EQ(events, 0) << "no event without the loader";
  EXPECT_FALSE(file.SaveFile(vzqSaveJPEG));
  EXPECT_EQ(file.ErrorStatus, 14);
  EXPECT_FALSE(file.OpenFileDlg());
  EXPECT_FALSE(file.SaveFileDlg());
  EXPECT_FALSE(file.FTPDeleteFile("a", "b", "c", "d"));
  EXPECT_FALSE(file.HTTPPutFile("a", "b", "c", "d", 1));
  EXPECT_EQ(file.ErrorStatus, 14);
  EXPECT_TRUE(s.log().messages.empty());
  EXPECT_EQ(s.log().beeps, 0);
}

TEST(NoEngine, CommonComponentReportsMissingEntries) {
  testsupport::ScopedScript s;
  TVZqCommon common;
  common.ImgHandle = 5;
  EXPECT_FALSE(common.GetImageType());
  EXPECT_EQ(common.ErrorStatus, 14);
  EXPECT_FALSE(common.FreeMemory());
  EXPECT_EQ(common.ImgHandle, 5u) << "nothing freed";
  EXPECT_FALSE(common.GetDpi());
  EXPECT_EQ(common.GetMemorySize(), 0u);
  EXPECT_EQ(common.CopyImage(), 0u);
  EXPECT_EQ(common.GetSystemPalette(), -1);
  EXPECT_FALSE(common.CreateImage(10, 10, 24, 0, 0, 0));
  EXPECT_EQ(common.ErrorStatus, 14);
  common.ImgHandle = 0;
  EXPECT_TRUE(s.log().messages.empty());
}

// The slide show has its own codes: without the engine no list can be built, and a
// clear still paints the background.
TEST(NoEngine, SlideShowBuildsNoList) {
  testsupport::ScopedScript s;
  TVZqSlide slide;
  slide.SlideFileName = "/no/engine/list.tmp";
  EXPECT_FALSE(slide.Open());
  EXPECT_EQ(slide.ErrorStatus, 5);
  slide.FileReadWay = vzqFolder;
  slide.SetFilePath("/no/engine");
  EXPECT_FALSE(slide.Open());
  EXPECT_EQ(slide.ErrorStatus, 5);
  EXPECT_FALSE(slide.Start());
  EXPECT_EQ(slide.ErrorStatus, 11);
  slide.Clear();
  EXPECT_TRUE(s.log().messages.empty());
}
