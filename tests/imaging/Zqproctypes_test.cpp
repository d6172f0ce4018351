// The typed entries of the table have exactly the signatures the engine exports.
//
// Every engine header that declares exports is included (the build lists them, so a
// header added later is checked too), and every typed entry is declared once more from
// the table's own signature: a C function declared twice with different signatures does
// not compile, so a saver, dialog or transfer the engine declares with another argument
// list breaks this test's build. The run then checks that each typed entry the engine
// libraries export was among those compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <type_traits>

#include "ZqEngineExports.h"
#include "imaging/engine/Zqproctypes.h"
#include "platform/modules.h"

#define ZQ_TYPED_ENTRIES(X)                                                                                      \
  X(ZQGetMemorySize) X(ZQFreeMemory) X(ZQGetImageType) X(ZQGetSystemPalette) X(ZQSetDpi) X(ZQGetDpi)             \
  X(ZQGetErrorStatus) X(ZQGetPalette) X(ZQSetPalette) X(ZQDibFromBitmap) X(ZQBitmapFromDib)                      \
  X(ZQDeleteBitmapObject) X(ZQGetOneBitPalCount) X(ZQGetFromClipBrd) X(ZQSetToClipBrd) X(ZQClearClipBrd)         \
  X(ZQIsClipBrdData) X(ZQCopyImage) X(ZQCreateImage) X(ZQGetDpiFromHdc) X(DataFileExist) X(IsSetDrive)           \
  X(GetFileExt) X(GetPathDir) X(GetFileDateTimeEx) X(GetPathFileDateTime) X(GetPathFileExt)                      \
  X(GetFullpathFilename) X(CutPagefromFilename) X(GetPagefromFilename) X(_StretchDIBits) X(GetDibPalSize)        \
  X(CreateBIPalette) X(_Line) X(_Box) X(_BoxFull) X(SetTermYEN) X(StrRightCopy) X(SetImageSize) X(ZQResizeEx)    \
  X(ZQOpenFileDlg) X(ZQSaveFileDlgEx) X(ZQFileType) X(ZQFileLoad) X(ZQBmpFileLoad) X(ZQBmpFileSave)              \
  X(ZQJpegFileLoad) X(ZQJpegFileSave) X(ZQJpegExifInfo) X(ZQGifFileLoad) X(ZQGifFileSave) X(ZQTiffFileLoad)      \
  X(ZQTiffFileSave) X(ZQPngFileLoadEx) X(ZQPngFileSaveEx) X(ZQFpxFileLoad) X(ZQFpxFileSave) X(ZQPcxFileLoad)     \
  X(ZQPcxFileSave) X(ZQWmfFileLoad) X(ZQWmfFileSave) X(ZQEmfFileLoad) X(ZQEmfFileSave) X(ZQDxfFileLoad)          \
  X(ZQDxfFileSave) X(ZQFTPGetFile) X(ZQFTPPutFile) X(ZQFTPDeleteFile) X(ZQFTPRenameFile) X(ZQHTTPGetFile)        \
  X(ZQHTTPPutFile) X(ZQJ2kFileLoad) X(ZQJ2kFileSave) X(ZQSvgFileLoad) X(ZQSvgFileSave) X(ZQSxfP21FileLoad)       \
  X(ZQSxfP21FileSave) X(ZQSxfSfcFileLoad) X(ZQSxfSfcFileSave) X(ZQCreateVectImage) X(ZQCreateVectImageEx)        \
  X(ZQVectorGdipEnd) X(ZQVectorGdipStart) X(ZQVectorToRaster)

#define ZQ_AS_THE_TABLE_CALLS_IT(entry) extern "C" std::remove_pointer_t<entry##_t> entry;
ZQ_TYPED_ENTRIES(ZQ_AS_THE_TABLE_CALLS_IT)
#undef ZQ_AS_THE_TABLE_CALLS_IT

namespace {

#define ZQ_NAME(entry) #entry,
constexpr const char* kTypedEntries[] = {ZQ_TYPED_ENTRIES(ZQ_NAME)};
#undef ZQ_NAME

bool Declared(const std::string& name) {
  return std::find(std::begin(kZqDeclaredExports), std::end(kZqDeclaredExports), name) != std::end(kZqDeclaredExports);
}

}  // namespace

TEST(Zqproctypes, EveryTypedEntryTheEngineExportsWasCompared) {
  const char* const libraries[] = {"Zq7Com.DLL", "Zq7File.DLL", "Zq7Effect.DLL", "Zq7VectCom.DLL"};
  HMODULE modules[std::size(libraries)] = {};
  for (std::size_t i = 0; i < std::size(libraries); ++i) {
    modules[i] = LoadLibraryA(libraries[i]);
    ASSERT_NE(modules[i], nullptr) << libraries[i];
  }
  int exported = 0;
  for (const char* entry : kTypedEntries) {
    const bool found = std::any_of(std::begin(modules), std::end(modules),
                                   [&](HMODULE m) { return GetProcAddress(m, entry) != nullptr; });
    exported += found ? 1 : 0;
    EXPECT_EQ(found, Declared(entry)) << entry
                                      << (found ? " is exported but declared in no engine header"
                                                : " is declared in an engine header but not exported");
  }
  EXPECT_GE(exported, 53) << "the reading half of the engine at least";
  for (HMODULE m : modules) FreeLibrary(m);
}
