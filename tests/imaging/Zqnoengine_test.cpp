// The components in a folder without engine libraries: every call fails with status 14
// and nothing is shown.
#include <gtest/gtest.h>

#include <functional>

#include "imaging/components/Zqcommon.h"
#include "imaging/components/Zqfile.h"
#include "imaging/components/Zqslide.h"
#include "platform/text.h"
#include "tests/support/ScriptedDialogs.h"

// The component headers keep the entry-point table inside the imaging layer: were one
// of them to declare the table, these names could not be declared again here.
[[maybe_unused]] static int ZqFileLoad, ZqGetErrorStatus, ZqResizeEx, ZQFrameRect, ZqScanExec, ZqRasterToVector,
    ZqCreateVectImage, SetImageSize;

TEST(NoEngine, FileComponentReportsMissingEntries) {
  testsupport::ScopedScript s;
  TVZqFile file;
  int events = 0;
  file.OnStartLoad = file.OnEndLoad = file.OnStartSave = file.OnEndSave = [&](QObject*, const std::string&) {
    ++events;
  };
  file.OnProgress = [&](QObject*, short) { ++events; };
  file.SetFileName("/no/engine.jpg");
  struct Call {
    const char* name;
    std::function<bool()> run;
  };
  const std::string longText(platform::MaxPath, 'x');
  const Call calls[] = {
      {"GetImagefileType", [&] { return file.GetImagefileType(); }},
      {"LoadFile", [&] { return file.LoadFile(vzqLoad); }},
      {"LoadFile TIFF", [&] { return file.LoadFile(vzqLoadTIFF); }},
      {"SaveFile JPEG", [&] { return file.SaveFile(vzqSaveJPEG); }},
      {"SaveFile BMP", [&] { return file.SaveFile(vzqSaveBMP); }},
      {"OpenFileDlg", [&] { return file.OpenFileDlg(); }},
      {"SaveFileDlg", [&] { return file.SaveFileDlg(); }},
      {"FTPDeleteFile", [&] { return file.FTPDeleteFile("a", "b", "c", "d"); }},
      {"FTPRenameFile", [&] { return file.FTPRenameFile("a", "b", "c", "d", "e"); }},
      {"FTPGetFile", [&] { return file.FTPGetFile("a", "b", "c", "d", 1); }},
      {"FTPPutFile", [&] { return file.FTPPutFile("a", "b", "c", "d", 1); }},
      {"HTTPGetFile", [&] { return file.HTTPGetFile("a", "b", "c", "d", 1); }},
      // The missing entry is reported before the text length is looked at.
      {"HTTPPutFile", [&] { return file.HTTPPutFile(longText, "b", "c", "d", 1); }},
      {"GetExifInfo", [&] {
         const bool ok = file.Exif().GetExifInfo("/no/engine.jpg");
         file.ErrorStatus = file.Exif().ErrorStatus;
         return ok;
       }},
  };
  for (const Call& call : calls) {
    SCOPED_TRACE(call.name);
    file.ErrorStatus = 99;
    file.ImgHandle = 5;
    EXPECT_FALSE(call.run());
    EXPECT_EQ(file.ErrorStatus, kZqStatusNoEntry);
  }
  EXPECT_EQ(file.ImgHandle, 5u) << "only a load drops the handle";
  file.LoadFile(vzqLoad);
  EXPECT_EQ(file.ImgHandle, 0u);
  EXPECT_EQ(events, 0) << "no event without the engine";
  EXPECT_EQ(file.FileName(), "/no/engine.jpg") << "the dialogs changed nothing";
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
