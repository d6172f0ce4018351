// TVZqFile: the component through which the application names, types, loads and saves
// image files. Every operation is one guarded call into the imaging engine.
#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "imaging/engine/Zqinit.h"
#include "imaging/engine/Zqproctypes.h"
#include "platform/wintypes.h"

class TVZqFile;

// The Exif values of a JPEG file, as the engine reads them.
class TCExif {
 public:
  ZqExifInfo Values{};
  WORD ErrorStatus = 0;
  // Fills Values from the file; false (status 14 when the engine lacks the entry) when
  // the file has no readable Exif segment.
  bool GetExifInfo(const std::string& fileName);
};

using TVZqProgressEvent = std::function<void(QObject* sender, short percent)>;
using TVZqFileEvent = std::function<void(QObject* sender, const std::string& fileName)>;

enum TVZqJpegSubsamp { vzq411, vzq422, vzq444 };
enum TVZqTiffColorSpace { vzqRGB, vzqCMYK };

enum TVZqLoadFile {
  vzqLoad = 0, vzqLoadBMP = 1, vzqLoadJPEG = 2, vzqLoadGIF = 3, vzqLoadTIFF = 4, vzqLoadPNG = 5, vzqLoadFPX = 6,
  vzqLoadPCX = 7, vzqLoadWMF = 8, vzqLoadEMF = 9, vzqLoadDXF = 10, vzqLoadSVG = 11, vzqLoadJPEG2000 = 12,
  vzqLoadSXFP21 = 13, vzqLoadSXFSFC = 14,
};

enum TVZqSaveFile {
  vzqSaveBMP = 0, vzqSaveBMPRLE = 1, vzqSaveJPEG = 2, vzqSaveJPEGProgress = 3, vzqSaveGIF = 4,
  vzqSaveTIFFNoncompressed = 5, vzqSaveTIFFCcittrle = 6, vzqSaveTIFFGroup3_1D = 7, vzqSaveTIFFGroup3_2D = 8,
  vzqSaveTIFFGroup4 = 9, vzqSaveTIFFPackbits = 10, vzqSaveTIFFLZW = 11, vzqSavePNG = 12,
  vzqSaveFPXNoncompressed = 13, vzqSaveFPXSingleColor = 14, vzqSaveFPXJpeg = 15, vzqSavePCX = 16, vzqSaveWMF = 17,
  vzqSaveEMF = 18, vzqSaveDXF = 19, vzqSaveSVG = 20, vzqSaveJPEG2000 = 21, vzqSaveJPEG2000Stream = 22,
  vzqSaveSXFP21 = 23, vzqSaveSXFSFC = 24, vzqSaveTIFFJPEG = 25,
};

class TVZqFile : public TVZqNoUiControl {
  Q_OBJECT
 public:
  explicit TVZqFile(QObject* owner = nullptr);
  ~TVZqFile() override;

  // Events, fired through the virtual Do… operations with this component as sender.
  TVZqProgressEvent OnProgress;
  TVZqFileEvent OnEndLoad, OnEndSave, OnStartLoad, OnStartSave;

  // Published properties without a rule.
  std::string ButtonName, Caption, Comment, Message;
  bool GifAnime = false;
  bool Interlace = false;
  TVZqJpegSubsamp JpegSubsamp = vzq411;
  bool Preview = false;
  bool TiffAppend = false;
  TVZqTiffColorSpace TiffColorSpace = vzqRGB;
  bool TiffSaveOneStrip = false;
  bool Transparent = false;

  // Published properties with a setter rule.
  const std::string& FileExt() const { return FFileExt; }
  const std::string& FileName() const { return FFileName; }
  const std::string& FilePath() const { return FFilePath; }
  short GifAnimeDelay() const { return FGifAnimeDelay; }
  short JpegQuality() const { return FJpegQuality; }
  short LoadPage() const { return FLoadPage; }
  short PalBlue() const { return FPalBlue; }
  short PalGreen() const { return FPalGreen; }
  short PalRed() const { return FPalRed; }
  LONG VectorHeight() const { return FVectorHeight; }
  LONG VectorWidth() const { return FVectorWidth; }
  void SetFileExt(const std::string& value);   // texts of the path limit or more are ignored
  void SetFileName(const std::string& value);
  void SetFilePath(const std::string& value);
  void SetGifAnimeDelay(short value);          // below 0 becomes 0
  void SetJpegQuality(short value);            // clamped to 0..100
  void SetLoadPage(short value);               // below 0 becomes 0
  void SetPalBlue(short value);                // clamped to 0..255
  void SetPalGreen(short value);
  void SetPalRed(short value);
  void SetVectorHeight(LONG value);            // below 0 becomes 0
  void SetVectorWidth(LONG value);

  // Public members.
  HGLOBAL ImgHandle = 0;       // made by the last LoadFile; never freed by this component
  WORD ErrorStatus = 0;
  WORD BitCount = 0;
  WORD Xdpi = 0, Ydpi = 0;
  DWORD Width = 0, Height = 0;
  DWORD FileSize = 0;
  WORD Compression = 0;
  DWORD InfoValue20 = 0;       // further values of the file information, not interpreted
  short PageCount = 0;
  DWORD InfoValue36 = 0;
  bool Cancel = false;
  bool MultiFrame = false;
  WORD SaveFileType = 0;
  bool J2kOption = true;       // JPEG 2000 saver options, passed through
  LONG J2kValue1 = 0, J2kValue2 = 0;

  bool GetImagefileType();
  bool LoadFile(TVZqLoadFile mode);
  bool SaveFile(TVZqSaveFile mode);
  bool OpenFileDlg();
  bool SaveFileDlg();
  bool FTPDeleteFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d);
  bool FTPRenameFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d,
                     const std::string& e);
  bool FTPGetFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n);
  bool FTPPutFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n);
  bool HTTPGetFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n);
  bool HTTPPutFile(const std::string& a, const std::string& b, const std::string& c, const std::string& d, LONG n);
  void About();

  // The Exif values; assigning copies another object's values.
  TCExif& Exif() { return FExif; }
  void SetExif(const TCExif& value) { FExif = value; }

  // The progress callback the engine receives (one per process, through the owner).
  static BOOL ProgressCallback(int percent);

 protected:
  virtual void DoProgress(short percent);
  virtual void DoStartLoad(const std::string& fileName);
  virtual void DoEndLoad(const std::string& fileName);
  virtual void DoStartSave(const std::string& fileName);
  virtual void DoEndSave(const std::string& fileName);

 private:
  // An operation's progress begins and ends with these. The set-up answers the progress
  // owner it found, which the take-down puts back: an operation run from a progress
  // handler then leaves the outer operation its callbacks.
  QPointer<TVZqFile> ProgressSetUp();
  void ProgressTakeDown(const QPointer<TVZqFile>& previous);
  bool Transfer(ZqTransfer_t entry, const std::string& a, const std::string& b, const std::string& c, const std::string& d,
                LONG n);

  std::string FFileExt = "BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC";
  std::string FFileName, FFilePath;
  short FGifAnimeDelay = 0, FJpegQuality = 0, FLoadPage = 0;
  short FPalBlue = 0, FPalGreen = 0, FPalRed = 0;
  LONG FVectorHeight = 0, FVectorWidth = 0;
  short FLastPercent = 0;
  ZqProgressProc FCallback = nullptr;
  TCExif FExif;
};
