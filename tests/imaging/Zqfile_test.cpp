// The file component against the scripted engine of fake_engine.cpp.
#include <gtest/gtest.h>

#include "imaging/components/Zqfile.h"
#include "platform/modules.h"
#include "platform/text.h"
#include "tests/imaging/fake_engine.h"

namespace {

class ZqfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = std::make_unique<TVZqFile>();
    // The component loaded the fake libraries; reach their shared state the same way.
    com = LoadLibraryA("Zq7Com.DLL");
    ASSERT_NE(com, nullptr);
    auto state = reinterpret_cast<FakeEngineState_t>(GetProcAddress(com, "FakeEngine"));
    ASSERT_NE(state, nullptr);
    fake = state();
    *fake = FakeEngineState{};
  }
  void TearDown() override {
    file.reset();
    FreeLibrary(com);
  }

  std::unique_ptr<TVZqFile> file;
  HMODULE com = nullptr;
  FakeEngineState* fake = nullptr;
};

}  // namespace

TEST_F(ZqfileTest, DefaultsAndSetterRules) {
  EXPECT_EQ(file->FileExt(), "BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC");
  EXPECT_EQ(file->JpegSubsamp, vzq411);
  file->SetJpegQuality(150);
  EXPECT_EQ(file->JpegQuality(), 100);
  file->SetJpegQuality(-4);
  EXPECT_EQ(file->JpegQuality(), 0);
  file->SetPalRed(300);
  EXPECT_EQ(file->PalRed(), 255);
  file->SetLoadPage(-1);
  EXPECT_EQ(file->LoadPage(), 0);
  file->SetGifAnimeDelay(-3);
  EXPECT_EQ(file->GifAnimeDelay(), 0);
  file->SetVectorWidth(-1);
  EXPECT_EQ(file->VectorWidth(), 0);
  file->SetFileName("/photos/a.jpg");
  file->SetFileName(std::string(platform::MaxPath, 'x'));
  EXPECT_EQ(file->FileName(), "/photos/a.jpg") << "a text of the path limit is ignored";
  file->SetFilePath(std::string(platform::MaxPath - 1, 'p'));
  EXPECT_EQ(file->FilePath().size(), platform::MaxPath - 1);
}

TEST_F(ZqfileTest, TypeCopiesTheRecordAndKeepsValuesOnFailure) {
  fake->info.bitCount = 24;
  fake->info.xdpi = 72;
  fake->info.ydpi = 96;
  fake->info.width = 640;
  fake->info.height = 480;
  fake->info.fileSize = 51234;
  fake->info.code = 23;
  fake->info.interlace = 0x0100;  // only the low byte counts
  fake->info.pages = 3;
  std::snprintf(fake->info.comment, sizeof fake->info.comment, "撮影メモ");
  file->SetFileName("/p/a.jpg");
  file->SetLoadPage(2);
  ASSERT_TRUE(file->GetImagefileType());
  EXPECT_EQ(fake->page, 2);
  EXPECT_EQ(file->BitCount, 24);
  EXPECT_EQ(file->Xdpi, 72);
  EXPECT_EQ(file->Ydpi, 96);
  EXPECT_EQ(file->Width, 640u);
  EXPECT_EQ(file->FileSize, 51234u);
  EXPECT_EQ(file->Compression, 23);
  EXPECT_FALSE(file->Interlace);
  EXPECT_EQ(file->PageCount, 3);
  EXPECT_EQ(file->Comment, "撮影メモ");

  fake->typeResult = 0;
  fake->status = 103;
  fake->info.width = 1;
  EXPECT_FALSE(file->GetImagefileType());
  EXPECT_EQ(file->ErrorStatus, 103);
  EXPECT_EQ(file->Width, 640u) << "members keep their values on failure";
}

TEST_F(ZqfileTest, LoadPassesArgumentsAndFiresEvents) {
  std::vector<std::string> events;
  file->OnStartLoad = [&](QObject* sender, const std::string& n) {
    EXPECT_EQ(sender, file.get());
    events.push_back("start " + n);
  };
  file->OnEndLoad = [&](QObject*, const std::string& n) { events.push_back("end " + n); };
  fake->loadResult = 77;
  file->SetFileName("/p/b.tif");
  file->SetLoadPage(4);
  file->SetVectorWidth(300);
  ASSERT_TRUE(file->LoadFile(vzqLoad));
  EXPECT_EQ(file->ImgHandle, 77u);
  EXPECT_EQ(fake->page, 4);
  EXPECT_EQ(fake->vectorWidth, 300);
  EXPECT_TRUE(fake->callbackGiven);
  EXPECT_EQ(fake->caption, "");
  EXPECT_EQ(events, (std::vector<std::string>{"start /p/b.tif", "end /p/b.tif"}));

  file->MultiFrame = true;
  file->LoadFile(vzqLoad);
  EXPECT_EQ(fake->page, kZqAllPages);
  file->LoadFile(vzqLoadPNG);
  EXPECT_EQ(fake->calls.back(), "ZQPngFileLoadEx");
  EXPECT_EQ(fake->page, 2);
  file->MultiFrame = false;
  file->LoadFile(vzqLoadTIFF);
  EXPECT_EQ(fake->page, 4);

  // A loader the engine lacks: nothing is called, status 0, still both events.
  fake->status = 55;
  const auto calls = fake->calls.size();
  events.clear();
  EXPECT_FALSE(file->LoadFile(vzqLoadBMP));
  EXPECT_EQ(fake->calls.size(), calls);
  EXPECT_EQ(file->ErrorStatus, 0);
  EXPECT_EQ(file->ImgHandle, 0u);
  EXPECT_EQ(events.size(), 2u);

  fake->loadResult = 0;
  EXPECT_FALSE(file->LoadFile(vzqLoad));
  EXPECT_EQ(file->ErrorStatus, 55);
}

TEST_F(ZqfileTest, ProgressFiresOnChangeAndCancelStops) {
  std::vector<short> seen;
  file->OnProgress = [&](QObject*, short p) {
    seen.push_back(p);
    if (p == 20) file->Cancel = true;
  };
  fake->progress = {0, 10, 10, 20, 30};
  fake->loadResult = 5;
  file->LoadFile(vzqLoad);
  EXPECT_EQ(seen, (std::vector<short>{10, 20, 30}));
  EXPECT_EQ(fake->callbackAnswers, (std::vector<int>{-1, -1, -1, 0, 0}));
  EXPECT_FALSE(file->Cancel) << "taken down after the load";
  EXPECT_EQ(TVZqFile::ProgressCallback(50), 0) << "no owner outside an operation";
}

TEST_F(ZqfileTest, EngineProgressWindowTextsSuppressTheCallback) {
  int events = 0;
  file->OnProgress = [&](QObject*, short) { ++events; };
  file->Caption = "読み込み中";
  file->Message = "お待ちください";
  fake->progress = {10, 50};
  file->LoadFile(vzqLoad);
  EXPECT_FALSE(fake->callbackGiven);
  EXPECT_EQ(fake->caption, "読み込み中");
  EXPECT_EQ(fake->message, "お待ちください");
  EXPECT_EQ(events, 0);
}

TEST_F(ZqfileTest, SaversReceiveTheirOptions) {
  file->SetFileName("/p/out.gif");
  file->ImgHandle = 9;
  file->Interlace = true;
  file->SetPalRed(300);
  file->SetPalGreen(7);
  file->SetGifAnimeDelay(12);
  file->Comment = "c";
  EXPECT_TRUE(file->SaveFile(vzqSaveGIF));
  EXPECT_EQ(fake->numbers, (std::vector<LONG>{9, -1, 0, 255, 7, 0, 0, 12}));
  EXPECT_EQ(fake->comment, "c");

  file->TiffAppend = true;
  file->SaveFile(vzqSaveTIFFLZW);
  EXPECT_EQ(fake->numbers, (std::vector<LONG>{9, 6, 0, -1, 0}));
  file->SetJpegQuality(80);
  file->SaveFile(vzqSaveTIFFJPEG);
  EXPECT_EQ(fake->numbers, (std::vector<LONG>{9, 7, 80, -1, 0}));
  file->SaveFile(vzqSaveBMPRLE);
  EXPECT_EQ(fake->numbers, (std::vector<LONG>{9, -1}));
  fake->saveResult = 0;
  fake->status = 108;
  EXPECT_FALSE(file->SaveFile(vzqSaveBMP));
  EXPECT_EQ(file->ErrorStatus, 108);
  // The PNG saver is missing: false with the engine's status.
  EXPECT_FALSE(file->SaveFile(vzqSavePNG));
}

TEST_F(ZqfileTest, TransfersCheckTextLengths) {
  file->SetFileName("/p/local.jpg");
  EXPECT_TRUE(file->HTTPGetFile("host", "user", "pass", "remote.jpg", 80));
  EXPECT_EQ(fake->name, "/p/local.jpg");
  EXPECT_EQ(fake->comment, "host|user|pass|remote.jpg");
  EXPECT_EQ(fake->numbers, (std::vector<LONG>{80}));
  const auto calls = fake->calls.size();
  EXPECT_FALSE(file->HTTPGetFile(std::string(platform::MaxPath, 'h'), "u", "p", "r", 80));
  EXPECT_EQ(file->ErrorStatus, kZqStatusTextTooLong);
  EXPECT_EQ(fake->calls.size(), calls);
  EXPECT_FALSE(file->FTPGetFile("h", "u", "p", "r", 21));
  EXPECT_EQ(file->ErrorStatus, kZqStatusNoEntry);
}
