// The file component against the scripted engine of fake_engine.cpp.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QWidget>
#include <functional>

#include "imaging/components/Zqfile.h"
#include "imaging/engine/Zqdllprocs.h"
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

// Takes one entry out of the table for a test's lifetime, as an engine without it would.
template <typename Entry>
class WithoutEntry {
 public:
  explicit WithoutEntry(Entry& entry) : FEntry(entry), FSaved(entry) { entry = nullptr; }
  ~WithoutEntry() { FEntry = FSaved; }
  WithoutEntry(const WithoutEntry&) = delete;
  WithoutEntry& operator=(const WithoutEntry&) = delete;

 private:
  Entry& FEntry;
  Entry FSaved;
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

// Every save mode reaches its saver with the options in the saver's order, and each
// outcome comes back with the engine's own status. The options are chosen so that any
// two the savers could confuse differ (Interlace set, Transparent not; MultiFrame set,
// GifAnime not; three different palette values).
TEST_F(ZqfileTest, SaversReceiveTheirOptions) {
  file->SetFileName("/p/out.img");
  file->ImgHandle = 9;
  file->Comment = "メモ";
  file->Interlace = true;
  file->Transparent = false;
  file->SetPalRed(300);
  file->SetPalGreen(7);
  file->SetPalBlue(200);
  file->GifAnime = false;
  file->SetGifAnimeDelay(12);
  file->MultiFrame = true;
  file->SetJpegQuality(80);
  file->JpegSubsamp = vzq422;
  file->TiffColorSpace = vzqCMYK;
  file->TiffAppend = true;
  file->TiffSaveOneStrip = false;
  file->J2kOption = false;
  file->J2kValue1 = 5;
  file->J2kValue2 = -3;
  const std::vector<LONG> gif = {9, -1, 0, 255, 7, 200, 0, 12};
  const std::vector<LONG> png = {9, -1, 0, 255, 7, 200, -1};
  const std::vector<LONG> j2k = {9, 0, 0, 5, -3, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<LONG> j2kStream = {9, -1, 0, 5, -3, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<LONG> plain = {9};
  struct Case {
    TVZqSaveFile mode;
    const char* entry;
    std::vector<LONG> numbers;
    bool commented;
  };
  const Case cases[] = {
      {vzqSaveBMP, "ZQBmpFileSave", {9, 0}, false},
      {vzqSaveBMPRLE, "ZQBmpFileSave", {9, -1}, false},
      {vzqSaveJPEG, "ZQJpegFileSave", {9, 0, 80, 1}, true},
      {vzqSaveJPEGProgress, "ZQJpegFileSave", {9, 1, 80, 1}, true},
      {vzqSaveGIF, "ZQGifFileSave", gif, true},
      {vzqSaveTIFFNoncompressed, "ZQTiffFileSave", {9, 0, 1, -1, 0}, true},
      {vzqSaveTIFFCcittrle, "ZQTiffFileSave", {9, 1, 1, -1, 0}, true},
      {vzqSaveTIFFGroup3_1D, "ZQTiffFileSave", {9, 2, 1, -1, 0}, true},
      {vzqSaveTIFFGroup3_2D, "ZQTiffFileSave", {9, 3, 1, -1, 0}, true},
      {vzqSaveTIFFGroup4, "ZQTiffFileSave", {9, 4, 1, -1, 0}, true},
      {vzqSaveTIFFPackbits, "ZQTiffFileSave", {9, 5, 1, -1, 0}, true},
      {vzqSaveTIFFLZW, "ZQTiffFileSave", {9, 6, 1, -1, 0}, true},
      {vzqSavePNG, "ZQPngFileSaveEx", png, true},
      {vzqSaveFPXNoncompressed, "ZQFpxFileSave", {9, 0, 0}, true},
      {vzqSaveFPXSingleColor, "ZQFpxFileSave", {9, 1, 0}, true},
      {vzqSaveFPXJpeg, "ZQFpxFileSave", {9, 2, 80}, true},
      {vzqSavePCX, "ZQPcxFileSave", plain, false},
      {vzqSaveWMF, "ZQWmfFileSave", plain, false},
      {vzqSaveEMF, "ZQEmfFileSave", plain, false},
      {vzqSaveDXF, "ZQDxfFileSave", plain, false},
      {vzqSaveSVG, "ZQSvgFileSave", plain, false},
      {vzqSaveJPEG2000, "ZQJ2kFileSave", j2k, true},
      {vzqSaveJPEG2000Stream, "ZQJ2kFileSave", j2kStream, true},
      {vzqSaveSXFP21, "ZQSxfP21FileSave", plain, false},
      {vzqSaveSXFSFC, "ZQSxfSfcFileSave", plain, false},
      {vzqSaveTIFFJPEG, "ZQTiffFileSave", {9, 7, 80, -1, 0}, true},
  };
  ASSERT_EQ(std::size(cases), 26u) << "every save mode";
  std::vector<std::string> events;
  file->OnStartSave = [&](QObject*, const std::string& n) { events.push_back("start " + n); };
  file->OnEndSave = [&](QObject*, const std::string& n) { events.push_back("end " + n); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry + std::string(" for mode ") + std::to_string(c.mode));
    // Success and failure alternate, each with a status of its own.
    const bool succeeds = c.mode % 2 == 0;
    fake->saveResult = succeeds ? 1 : 0;
    fake->status = static_cast<WORD>(200 + c.mode);
    fake->comment.clear();
    events.clear();
    const auto calls = fake->calls.size();
    EXPECT_EQ(file->SaveFile(c.mode), succeeds);
    EXPECT_EQ(file->ErrorStatus, 200 + c.mode);
    ASSERT_EQ(fake->calls.size(), calls + 1) << "one saver call";
    EXPECT_EQ(fake->calls.back(), c.entry);
    EXPECT_EQ(fake->numbers, c.numbers);
    EXPECT_EQ(fake->comment, c.commented ? "メモ" : "(null)");
    EXPECT_EQ(fake->name, "/p/out.img");
    EXPECT_TRUE(fake->callbackGiven);
    EXPECT_EQ(events, (std::vector<std::string>{"start /p/out.img", "end /p/out.img"}));
  }
}

TEST_F(ZqfileTest, MissingSaversAreReportedBeforeOrAfterTheEvents) {
  int events = 0;
  file->OnStartSave = [&](QObject*, const std::string&) { ++events; };
  file->OnEndSave = [&](QObject*, const std::string&) { ++events; };
  fake->status = 42;
  {
    // A saver the engine lacks: nothing is called, false with the engine's status.
    const WithoutEntry png(ZqPngFileSaveEx);
    const auto calls = fake->calls.size();
    EXPECT_FALSE(file->SaveFile(vzqSavePNG));
    EXPECT_EQ(fake->calls.size(), calls);
    EXPECT_EQ(file->ErrorStatus, 42);
    EXPECT_EQ(events, 2);
  }
  {
    // Without the BMP saver no save starts at all, whatever the mode.
    const WithoutEntry bmp(ZqBmpFileSave);
    events = 0;
    EXPECT_FALSE(file->SaveFile(vzqSaveGIF));
    EXPECT_EQ(file->ErrorStatus, kZqStatusNoEntry);
    EXPECT_EQ(events, 0);
  }
}

// The dialogs get the name, folder, extensions and preview flag, write back what the
// user chose, and are owned by the component's window or, without one, by the
// application's main window, never by whichever window happens to be active.
TEST_F(ZqfileTest, DialogsPassTheirArgumentsAndTheOwnerWindow) {
  QMainWindow main;
  main.show();
  QWidget tool;
  tool.show();
  tool.activateWindow();
  QApplication::processEvents();
  file->SetFileName("/p/old.jpg");
  file->SetFilePath("/p");
  file->SetFileExt("JPG;PNG");
  file->Preview = true;
  fake->dialogName = "/q/new.png";
  fake->status = 3;
  ASSERT_TRUE(file->OpenFileDlg());
  EXPECT_EQ(fake->calls.back(), "ZQOpenFileDlg");
  EXPECT_EQ(fake->owner, &main);
  EXPECT_EQ(fake->name, "/p/old.jpg");
  EXPECT_EQ(fake->comment, "/p|JPG;PNG");
  EXPECT_EQ(fake->numbers, (std::vector<LONG>{-1}));
  EXPECT_EQ(file->FileName(), "/q/new.png");
  EXPECT_EQ(file->ErrorStatus, 3);

  file->SaveFileType = 4;
  fake->dialogName = "/q/saved.tif";
  fake->dialogType = 6;
  file->Preview = false;
  ASSERT_TRUE(file->SaveFileDlg());
  EXPECT_EQ(fake->calls.back(), "ZQSaveFileDlgEx");
  EXPECT_EQ(fake->owner, &main);
  EXPECT_EQ(fake->name, "/q/new.png");
  EXPECT_EQ(fake->numbers, (std::vector<LONG>{0, 4})) << "the preview flag, then the type index handed in";
  EXPECT_EQ(file->FileName(), "/q/saved.tif");
  EXPECT_EQ(file->SaveFileType, 6);

  // A cancelled dialog changes nothing.
  fake->saveResult = 0;
  fake->dialogType = 9;
  EXPECT_FALSE(file->SaveFileDlg());
  EXPECT_EQ(file->FileName(), "/q/saved.tif");
  EXPECT_EQ(file->SaveFileType, 6);

  // A component owned by a widget uses that widget's window.
  QWidget form;
  auto* panel = new QWidget(&form);
  TVZqFile owned(panel);
  fake->saveResult = 1;
  ASSERT_TRUE(owned.OpenFileDlg());
  EXPECT_EQ(fake->owner, &form);
}

// A load, a transfer or a new component started by a progress handler must leave the
// outer operation its callbacks: the engine would otherwise stop the outer operation as
// if it had been cancelled.
TEST_F(ZqfileTest, NestedOperationsLeaveTheOuterProgressAlone) {
  TVZqFile inner;
  int innerEvents = 0;
  inner.OnProgress = [&](QObject*, short) { ++innerEvents; };
  std::unique_ptr<TVZqFile> made;
  struct Case {
    const char* name;
    std::function<void()> nested;
  };
  const Case cases[] = {
      {"a load", [&] { inner.LoadFile(vzqLoad); }},
      {"a save", [&] { inner.SaveFile(vzqSaveBMP); }},
      {"a transfer", [&] { inner.HTTPGetFile("h", "u", "p", "r", 1); }},
      {"a new component", [&] { made = std::make_unique<TVZqFile>(); }},
      {"the outer component's own load", [&] { file->LoadFile(vzqLoad); }},
  };
  fake->loadResult = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<short> seen;
    bool nestedOnce = false;
    file->OnProgress = [&](QObject*, short p) {
      seen.push_back(p);
      if (p == 10 && !nestedOnce) {
        nestedOnce = true;
        c.nested();
      }
    };
    fake->progress = {10, 20, 30};
    ASSERT_TRUE(file->LoadFile(vzqLoad));
    EXPECT_EQ(seen, (std::vector<short>{10, 20, 30}));
    EXPECT_EQ(fake->callbackAnswers, (std::vector<int>{-1, -1, -1})) << "the outer load ran to its end";
    EXPECT_EQ(TVZqFile::ProgressCallback(50), 0) << "no owner once the outer load ended";
    made.reset();
  }
  EXPECT_EQ(innerEvents, 0) << "the nested operations had no callback of their own";

  // Once the outer operation is over, the inner component owns its own progress.
  fake->progress = {60};
  inner.LoadFile(vzqLoad);
  EXPECT_EQ(innerEvents, 1);
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
  EXPECT_FALSE(file->FTPRenameFile("a", "b", "c", "d", std::string(platform::MaxPath, 'e')));
  EXPECT_EQ(file->ErrorStatus, kZqStatusTextTooLong);
  EXPECT_EQ(fake->calls.size(), calls);
  const WithoutEntry get(ZqFTPGetFile);
  EXPECT_FALSE(file->FTPGetFile("h", "u", "p", "r", 21));
  EXPECT_EQ(file->ErrorStatus, kZqStatusNoEntry);
}

// Each transfer reaches the entry of its name with its texts in the engine's order.
TEST_F(ZqfileTest, TransfersCallTheirOwnEntries) {
  file->SetFileName("/p/local.jpg");
  fake->status = 7;
  struct Case {
    const char* entry;
    bool (TVZqFile::*method)(const std::string&, const std::string&, const std::string&, const std::string&, LONG);
  };
  const Case cases[] = {{"ZQFTPGetFile", &TVZqFile::FTPGetFile},
                        {"ZQFTPPutFile", &TVZqFile::FTPPutFile},
                        {"ZQHTTPGetFile", &TVZqFile::HTTPGetFile},
                        {"ZQHTTPPutFile", &TVZqFile::HTTPPutFile}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    fake->saveResult = 1;
    EXPECT_TRUE(((*file).*c.method)("a", "b", "c", "d", 21));
    EXPECT_EQ(fake->calls.back(), c.entry);
    EXPECT_EQ(fake->name, "/p/local.jpg");
    EXPECT_EQ(fake->comment, "a|b|c|d");
    EXPECT_EQ(fake->numbers, (std::vector<LONG>{21}));
    EXPECT_EQ(file->ErrorStatus, 7);
    fake->saveResult = 0;
    EXPECT_FALSE(((*file).*c.method)("a", "b", "c", "d", 21));
  }
  fake->saveResult = 1;
  EXPECT_TRUE(file->FTPDeleteFile("h", "u", "p", "r"));
  EXPECT_EQ(fake->calls.back(), "ZQFTPDeleteFile");
  EXPECT_EQ(fake->comment, "h|u|p|r");
  EXPECT_TRUE(file->FTPRenameFile("h", "u", "p", "old", "new"));
  EXPECT_EQ(fake->calls.back(), "ZQFTPRenameFile");
  EXPECT_EQ(fake->comment, "h|u|p|old|new");
  EXPECT_EQ(file->ErrorStatus, 7);
}
