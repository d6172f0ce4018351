#include "imaging/components/Zqfile.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/engine/Zqdispinit.h"
#include "imaging/engine/Zqdllprocs.h"
#include "platform/dialogs.h"
#include "platform/text.h"

using zqdllprocs::Ready;
using zqdllprocs::TakeStatus;

namespace {

// The component whose operation currently receives the engine's progress calls.
TVZqFile* g_progressOwner = nullptr;

// Booleans go to the engine as -1 and 0.
LONG EngineBool(bool value) { return value ? -1 : 0; }

bool FitsPath(const std::string& text) { return text.size() < platform::MaxPath; }

// The engine's dialogs write a file name of at most the path limit into this buffer.
using NameBuffer = std::array<char, platform::MaxPath + 1>;

NameBuffer BufferWith(const std::string& text) {
  NameBuffer buffer{};
  std::memcpy(buffer.data(), text.data(), std::min(text.size(), buffer.size() - 1));
  return buffer;
}

}  // namespace

bool TCExif::GetExifInfo(const std::string& fileName) {
  if (!Ready(ErrorStatus, ZqJpegExifInfo)) return false;
  ZqExifInfo values{};
  const bool ok = ZqJpegExifInfo(fileName.c_str(), &values) != 0;
  if (ok) Values = values;
  ErrorStatus = TakeStatus();
  return ok;
}

TVZqFile::TVZqFile(QObject* owner) : TVZqNoUiControl(owner) {
  const int r = InitializeZQ(kZqKindImage);
  if (r != -1 && (r >> 16) == 1) Zqdispinit::Initialize();
  // The progress owner is left alone: a component made by a progress handler must not
  // take the running operation's callbacks away.
}

TVZqFile::~TVZqFile() {
  if (g_progressOwner == this) g_progressOwner = nullptr;
  const int r = TerminateZQ(kZqKindImage);
  if (r != -1 && r < 65536) Zqdispinit::Terminate();
}

void TVZqFile::SetFileExt(const std::string& value) {
  if (FitsPath(value)) FFileExt = value;
}
void TVZqFile::SetFileName(const std::string& value) {
  if (FitsPath(value)) FFileName = value;
}
void TVZqFile::SetFilePath(const std::string& value) {
  if (FitsPath(value)) FFilePath = value;
}
void TVZqFile::SetGifAnimeDelay(short value) { FGifAnimeDelay = std::max<short>(value, 0); }
void TVZqFile::SetJpegQuality(short value) { FJpegQuality = std::clamp<short>(value, 0, 100); }
void TVZqFile::SetLoadPage(short value) { FLoadPage = std::max<short>(value, 0); }
void TVZqFile::SetPalBlue(short value) { FPalBlue = std::clamp<short>(value, 0, 255); }
void TVZqFile::SetPalGreen(short value) { FPalGreen = std::clamp<short>(value, 0, 255); }
void TVZqFile::SetPalRed(short value) { FPalRed = std::clamp<short>(value, 0, 255); }
void TVZqFile::SetVectorHeight(LONG value) { FVectorHeight = std::max<LONG>(value, 0); }
void TVZqFile::SetVectorWidth(LONG value) { FVectorWidth = std::max<LONG>(value, 0); }

void TVZqFile::DoProgress(short percent) {
  if (OnProgress) OnProgress(this, percent);
}
void TVZqFile::DoStartLoad(const std::string& fileName) {
  if (OnStartLoad) OnStartLoad(this, fileName);
}
void TVZqFile::DoEndLoad(const std::string& fileName) {
  if (OnEndLoad) OnEndLoad(this, fileName);
}
void TVZqFile::DoStartSave(const std::string& fileName) {
  if (OnStartSave) OnStartSave(this, fileName);
}
void TVZqFile::DoEndSave(const std::string& fileName) {
  if (OnEndSave) OnEndSave(this, fileName);
}

QPointer<TVZqFile> TVZqFile::ProgressSetUp() {
  QPointer<TVZqFile> previous(g_progressOwner);
  FLastPercent = 0;
  Cancel = false;
  FCallback = nullptr;
  // The engine shows its own progress window when any of its texts is set; only
  // without them does one component receive the progress calls.
  if (Caption.empty() && Message.empty() && ButtonName.empty() && g_progressOwner == nullptr) {
    g_progressOwner = this;
    FCallback = &TVZqFile::ProgressCallback;
  }
  return previous;
}

void TVZqFile::ProgressTakeDown(const QPointer<TVZqFile>& previous) {
  FLastPercent = 0;
  Cancel = false;
  FCallback = nullptr;
  g_progressOwner = previous.data();
}

BOOL TVZqFile::ProgressCallback(int percent) {
  TVZqFile* owner = g_progressOwner;
  if (!owner) return 0;
  const auto value = static_cast<short>(percent & 0xFFFF);
  if (value != owner->FLastPercent) {
    owner->DoProgress(value);
    owner->FLastPercent = value;
  }
  // A handler may have destroyed the owner or asked to stop.
  if (g_progressOwner != owner || owner->Cancel) return 0;
  return -1;
}

bool TVZqFile::GetImagefileType() {
  if (!Ready(ErrorStatus, ZqFileType)) return false;
  ZqFileInfo info{};
  const bool ok = ZqFileType(FFileName.c_str(), FLoadPage, &info) != 0;
  if (ok) {
    BitCount = info.bitCount;
    Xdpi = info.xdpi;
    Ydpi = info.ydpi;
    Width = info.width;
    Height = info.height;
    InfoValue20 = info.value20;
    FileSize = info.fileSize;
    Compression = info.code;
    Interlace = (info.interlace & 0xFF) != 0;
    PageCount = info.pages;
    InfoValue36 = info.value36;
    Comment.assign(info.comment, strnlen(info.comment, sizeof info.comment));
  }
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqFile::LoadFile(TVZqLoadFile mode) {
  ImgHandle = 0;
  if (!Ready(ErrorStatus, ZqFileLoad)) return false;
  DoStartLoad(FFileName);
  const QPointer<TVZqFile> previous = ProgressSetUp();
  const char* name = FFileName.c_str();
  const char *cap = Caption.c_str(), *msg = Message.c_str(), *btn = ButtonName.c_str();
  // Each loader of the table is called only when present; a missing one leaves status 0.
  bool called = false;
  auto plain = [&](ZqPlainLoad_t entry) {
    if ((called = entry != nullptr)) ImgHandle = entry(name, FCallback, cap, msg, btn);
  };
  auto paged = [&](ZqPageLoad_t entry, LONG page) {
    if ((called = entry != nullptr)) ImgHandle = entry(name, page, FCallback, cap, msg, btn);
  };
  auto vector = [&](ZqVectorLoad_t entry) {
    if ((called = entry != nullptr)) ImgHandle = entry(name, FVectorWidth, FVectorHeight, FCallback, cap, msg, btn);
  };
  switch (mode) {
    case vzqLoad:
      called = true;
      ImgHandle = ZqFileLoad(name, MultiFrame ? kZqAllPages : FLoadPage, FVectorWidth, FVectorHeight, FCallback, cap,
                             msg, btn);
      break;
    case vzqLoadBMP: plain(ZqBmpFileLoad); break;
    case vzqLoadJPEG: plain(ZqJpegFileLoad); break;
    case vzqLoadPCX: plain(ZqPcxFileLoad); break;
    case vzqLoadJPEG2000: plain(ZqJ2kFileLoad); break;
    case vzqLoadGIF: paged(ZqGifFileLoad, FLoadPage); break;
    case vzqLoadTIFF: paged(ZqTiffFileLoad, FLoadPage); break;
    case vzqLoadFPX: paged(ZqFpxFileLoad, FLoadPage); break;
    case vzqLoadPNG: paged(ZqPngFileLoadEx, MultiFrame ? 2 : 1); break;
    case vzqLoadWMF: vector(ZqWmfFileLoad); break;
    case vzqLoadEMF: vector(ZqEmfFileLoad); break;
    case vzqLoadDXF: vector(ZqDxfFileLoad); break;
    case vzqLoadSVG: vector(ZqSvgFileLoad); break;
    case vzqLoadSXFP21: vector(ZqSxfP21FileLoad); break;
    case vzqLoadSXFSFC: vector(ZqSxfSfcFileLoad); break;
  }
  WORD status = 0;
  if (called) status = TakeStatus();
  ErrorStatus = status;
  ProgressTakeDown(previous);
  DoEndLoad(FFileName);
  return ImgHandle != 0;
}

bool TVZqFile::SaveFile(TVZqSaveFile mode) {
  if (!Ready(ErrorStatus, ZqBmpFileSave)) return false;
  DoStartSave(FFileName);
  const QPointer<TVZqFile> previous = ProgressSetUp();
  const char* name = FFileName.c_str();
  const char *cap = Caption.c_str(), *msg = Message.c_str(), *btn = ButtonName.c_str();
  const char* comment = Comment.c_str();
  const auto r = static_cast<BYTE>(FPalRed), g = static_cast<BYTE>(FPalGreen), b = static_cast<BYTE>(FPalBlue);
  const HGLOBAL img = ImgHandle;
  bool ok = false;
  switch (mode) {
    case vzqSaveBMP: case vzqSaveBMPRLE:
      ok = ZqBmpFileSave(name, img, mode == vzqSaveBMPRLE ? -1 : 0, FCallback, cap, msg, btn) != 0;
      break;
    case vzqSaveJPEG: case vzqSaveJPEGProgress:
      ok = ZqJpegFileSave && ZqJpegFileSave(name, img, mode == vzqSaveJPEGProgress ? 1 : 0, FJpegQuality, JpegSubsamp,
                                            comment, FCallback, cap, msg, btn) != 0;
      break;
    case vzqSaveGIF:
      ok = ZqGifFileSave && ZqGifFileSave(name, img, EngineBool(Interlace), EngineBool(Transparent), r, g, b,
                                          EngineBool(GifAnime), FGifAnimeDelay, comment, FCallback, cap, msg, btn) != 0;
      break;
    case vzqSaveTIFFNoncompressed: case vzqSaveTIFFCcittrle: case vzqSaveTIFFGroup3_1D: case vzqSaveTIFFGroup3_2D:
    case vzqSaveTIFFGroup4: case vzqSaveTIFFPackbits: case vzqSaveTIFFLZW:
      ok = ZqTiffFileSave && ZqTiffFileSave(name, img, mode - vzqSaveTIFFNoncompressed, TiffColorSpace,
                                            EngineBool(TiffAppend), comment, EngineBool(TiffSaveOneStrip), FCallback,
                                            cap, msg, btn) != 0;
      break;
    case vzqSaveTIFFJPEG:
      ok = ZqTiffFileSave && ZqTiffFileSave(name, img, 7, FJpegQuality, EngineBool(TiffAppend), comment,
                                            EngineBool(TiffSaveOneStrip), FCallback, cap, msg, btn) != 0;
      break;
    case vzqSavePNG:
      ok = ZqPngFileSaveEx && ZqPngFileSaveEx(name, img, EngineBool(Interlace), EngineBool(Transparent), r, g, b,
                                              EngineBool(MultiFrame), comment, FCallback, cap, msg, btn) != 0;
      break;
    case vzqSaveFPXNoncompressed: case vzqSaveFPXSingleColor:
      ok = ZqFpxFileSave && ZqFpxFileSave(name, img, mode == vzqSaveFPXSingleColor ? 1 : 0, 0, comment, FCallback, cap,
                                          msg, btn) != 0;
      break;
    case vzqSaveFPXJpeg:
      ok = ZqFpxFileSave && ZqFpxFileSave(name, img, 2, FJpegQuality, comment, FCallback, cap, msg, btn) != 0;
      break;
    case vzqSavePCX: case vzqSaveWMF: case vzqSaveEMF: case vzqSaveDXF: case vzqSaveSVG: case vzqSaveSXFP21:
    case vzqSaveSXFSFC: {
      ZqPlainSave_t entry = mode == vzqSavePCX ? ZqPcxFileSave
                            : mode == vzqSaveWMF ? ZqWmfFileSave
                            : mode == vzqSaveEMF ? ZqEmfFileSave
                            : mode == vzqSaveDXF ? ZqDxfFileSave
                            : mode == vzqSaveSVG ? ZqSvgFileSave
                            : mode == vzqSaveSXFP21 ? ZqSxfP21FileSave
                                                    : ZqSxfSfcFileSave;
      ok = entry && entry(name, img, FCallback, cap, msg, btn) != 0;
      break;
    }
    case vzqSaveJPEG2000: case vzqSaveJPEG2000Stream:
      ok = ZqJ2kFileSave && ZqJ2kFileSave(name, img, mode == vzqSaveJPEG2000Stream ? -1 : 0, EngineBool(J2kOption),
                                          J2kValue1, J2kValue2, 0, 0, 0, 0, 0, 0, 0, comment, FCallback, cap, msg,
                                          btn) != 0;
      break;
  }
  ErrorStatus = TakeStatus();
  ProgressTakeDown(previous);
  DoEndSave(FFileName);
  return ok;
}

bool TVZqFile::OpenFileDlg() {
  if (!Ready(ErrorStatus, ZqOpenFileDlg)) return false;
  NameBuffer buffer = BufferWith(FFileName);
  const bool ok = ZqOpenFileDlg(ZqOwnerWindow(parent()), buffer.data(), FFilePath.c_str(), FFileExt.c_str(),
                                EngineBool(Preview)) != 0;
  if (ok) SetFileName(buffer.data());
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqFile::SaveFileDlg() {
  if (!Ready(ErrorStatus, ZqSaveFileDlgEx)) return false;
  NameBuffer buffer = BufferWith(FFileName);
  WORD type = SaveFileType;
  const bool ok = ZqSaveFileDlgEx(ZqOwnerWindow(parent()), buffer.data(), FFilePath.c_str(), FFileExt.c_str(),
                                  EngineBool(Preview), &type) != 0;
  if (ok) {
    SetFileName(buffer.data());
    SaveFileType = type;
  }
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqFile::FTPDeleteFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
  if (!Ready(ErrorStatus, ZqFTPDeleteFile)) return false;
  if (!FitsPath(a) || !FitsPath(b) || !FitsPath(c) || !FitsPath(d)) {
    ErrorStatus = kZqStatusTextTooLong;
    return false;
  }
  const bool ok = ZqFTPDeleteFile(a.c_str(), b.c_str(), c.c_str(), d.c_str()) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqFile::FTPRenameFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d,
                             const std::string& e) {
  if (!Ready(ErrorStatus, ZqFTPRenameFile)) return false;
  if (!FitsPath(a) || !FitsPath(b) || !FitsPath(c) || !FitsPath(d) || !FitsPath(e)) {
    ErrorStatus = kZqStatusTextTooLong;
    return false;
  }
  const bool ok = ZqFTPRenameFile(a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str()) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqFile::Transfer(ZqTransfer_t entry, const std::string& a, const std::string& b, const std::string& c,
                        const std::string& d, LONG n) {
  if (!Ready(ErrorStatus, entry)) return false;
  if (!FitsPath(a) || !FitsPath(b) || !FitsPath(c) || !FitsPath(d)) {
    ErrorStatus = kZqStatusTextTooLong;
    return false;
  }
  const QPointer<TVZqFile> previous = ProgressSetUp();
  const bool ok = entry(a.c_str(), b.c_str(), FFileName.c_str(), c.c_str(), d.c_str(), n, FCallback, Caption.c_str(),
                        Message.c_str(), ButtonName.c_str()) != 0;
  ErrorStatus = TakeStatus();
  ProgressTakeDown(previous);
  return ok;
}

bool TVZqFile::FTPGetFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n) {
  return Transfer(ZqFTPGetFile, a, b, c, d, n);
}
bool TVZqFile::FTPPutFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n) {
  return Transfer(ZqFTPPutFile, a, b, c, d, n);
}
bool TVZqFile::HTTPGetFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n) {
  return Transfer(ZqHTTPGetFile, a, b, c, d, n);
}
bool TVZqFile::HTTPPutFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n) {
  return Transfer(ZqHTTPPutFile, a, b, c, d, n);
}

void TVZqFile::About() { ShowZqAbout(ZqOwnerWindow(parent())); }
