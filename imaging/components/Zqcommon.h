// TVZqCommon: the component that works on one image handle: its kind and information,
// its resolution, copies, new images, and freeing it. It owns the handle it holds.
#pragma once

#include <QImage>
#include <string>

#include "imaging/engine/Zqinit.h"
#include "platform/gdi.h"
#include "platform/wintypes.h"

enum TVZqCreateVectImage : unsigned char { vzqCreateWMF = 0, vzqCreateEMF = 1 };

class TVZqCommon : public QObject {
  Q_OBJECT
 public:
  explicit TVZqCommon(QObject* owner = nullptr);
  ~TVZqCommon() override;

  // Published resolution of the current image; negative values are ignored.
  LONG Xdpi() const { return FXdpi; }
  LONG Ydpi() const { return FYdpi; }
  void SetXdpi(LONG value);
  void SetYdpi(LONG value);

  HGLOBAL ImgHandle = 0;  // owned: freed by FreeMemory and the destructor
  WORD ErrorStatus = 0;
  DWORD Width = 0, Height = 0;
  TVZqImageKind ImageKind = vzqInvalidImage;
  // Further values of the image information, passed through uninterpreted.
  WORD InfoValue0 = 0, InfoValue2 = 0, InfoValue4 = 0;
  DWORD InfoValue24 = 0, InfoValue32 = 0;
  bool InfoFlag = false;

  bool GetImageType();
  bool FreeMemory();
  bool GetDpi();
  bool SetDpi();
  DWORD GetMemorySize();
  HGLOBAL CopyImage();  // a copy owned by the caller
  bool CreateImage(LONG width, LONG height, short bitCount, short red, short green, short blue);
  bool CreateVectImage(LONG a, LONG b, LONG c, LONG d);
  bool CreateVectImageEx(TVZqCreateVectImage kind, LONG a, LONG b, LONG c, LONG d);
  bool VectToDib(HGLOBAL vector, short bitCount, bool flag, short red, short green, short blue);
  LONG GetSystemPalette();  // -1 when the entry is missing
  bool GetDpiFromHdc(HDC dc);
  HBITMAP BitmapFromDib();  // a new bitmap owned by the caller
  bool DibFromBitmap(HBITMAP bitmap, HPALETTE palette);  // the old handle is not freed
  bool DeleteBitmapObject(HGDIOBJ object);
  bool GetOneBitPalCount(DWORD& count0, DWORD& count1);
  bool GetPalette(RGBQUAD* palette, int count);
  bool SetPalette(const RGBQUAD* palette, int count);
  bool GetFromClipBrd();  // the old handle is not freed
  bool SetToClipBrd();
  void ClearClipBrd();
  bool IsClipBrdData();

  // The image as a picture: a copy of the raster image of ImgHandle, or the stored
  // picture when there is none to take.
  const QImage& Picture();
  // Frees the present image and makes a new one of picture (none for an empty one).
  void SetPicture(const QImage& picture);
  int UseLZW(const std::string& key);
  void About();

 private:
  LONG FXdpi = 0, FYdpi = 0;
  QImage FPicture;
};
