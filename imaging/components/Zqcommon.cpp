#include "imaging/components/Zqcommon.h"

#include "imaging/engine/Zqdispinit.h"
#include "imaging/engine/Zqdllprocs.h"
#include "platform/memory.h"

using zqdllprocs::Ready;
using zqdllprocs::TakeStatus;

TVZqCommon::TVZqCommon(QObject* owner) : QObject(owner) {
  const int r = InitializeZQ(kZqKindImage);
  if (r != -1 && (r >> 16) == 1) Zqdispinit::Initialize();
}

TVZqCommon::~TVZqCommon() {
  if (ImgHandle != 0 && ZqFreeMemory) ZqFreeMemory(ImgHandle);
  ImgHandle = 0;
  const int r = TerminateZQ(kZqKindImage);
  if (r != -1 && r < 65536) Zqdispinit::Terminate();
}

void TVZqCommon::SetXdpi(LONG value) {
  if (value >= 0) FXdpi = value;
}
void TVZqCommon::SetYdpi(LONG value) {
  if (value >= 0) FYdpi = value;
}

bool TVZqCommon::GetImageType() {
  if (!Ready(ErrorStatus, ZqGetImageType)) return false;
  ZqImageInfo info{};
  const bool ok = ZqGetImageType(ImgHandle, &info) != 0;
  ErrorStatus = TakeStatus();
  if (!ok) return false;
  InfoValue0 = info.value0;
  InfoValue2 = info.value2;
  InfoValue4 = info.value4;
  FXdpi = static_cast<LONG>(info.xdpi);
  FYdpi = static_cast<LONG>(info.ydpi);
  Width = info.width;
  Height = info.height;
  InfoValue24 = info.value24;
  InfoFlag = info.flag28 != 0;
  InfoValue32 = info.value32;
  ImageKind = static_cast<TVZqImageKind>(info.kind & 0xFF);
  return true;
}

bool TVZqCommon::FreeMemory() {
  if (!Ready(ErrorStatus, ZqGetImageType, ZqFreeMemory)) return false;
  // Only a handle the engine recognises as an image is freed.
  ZqImageInfo info{};
  if (ZqGetImageType(ImgHandle, &info) == 0 || info.kind == vzqInvalidImage) {
    ErrorStatus = TakeStatus();
    return false;
  }
  const bool ok = ZqFreeMemory(ImgHandle) != 0;
  ImgHandle = 0;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqCommon::GetDpi() {
  if (!Ready(ErrorStatus, ZqGetDpi)) return false;
  LONG x = FXdpi, y = FYdpi;
  const bool ok = ZqGetDpi(ImgHandle, &x, &y) != 0;
  FXdpi = x;
  FYdpi = y;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqCommon::SetDpi() {
  if (!Ready(ErrorStatus, ZqSetDpi)) return false;
  const bool ok = ZqSetDpi(ImgHandle, FXdpi, FYdpi) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

DWORD TVZqCommon::GetMemorySize() {
  if (!Ready(ErrorStatus, ZqGetMemorySize)) return 0;
  const DWORD size = ZqGetMemorySize(ImgHandle);
  ErrorStatus = TakeStatus();
  return size;
}

HGLOBAL TVZqCommon::CopyImage() {
  if (!Ready(ErrorStatus, ZqCopyImage)) return 0;
  const HGLOBAL copy = ZqCopyImage(ImgHandle);
  ErrorStatus = TakeStatus();
  return copy;
}

bool TVZqCommon::CreateImage(LONG width, LONG height, short bitCount, short red, short green, short blue) {
  if (!Ready(ErrorStatus, ZqCreateImage)) return false;
  ImgHandle = ZqCreateImage(width, height, static_cast<WORD>(bitCount), static_cast<BYTE>(red),
                            static_cast<BYTE>(green), static_cast<BYTE>(blue), 0, 0, 0, 0);
  ErrorStatus = TakeStatus();
  return ImgHandle != 0;
}

bool TVZqCommon::CreateVectImage(LONG a, LONG b, LONG c, LONG d) {
  if (!Ready(ErrorStatus, ZqCreateVectImage)) return false;
  ImgHandle = ZqCreateVectImage(a, b, c, d);
  ErrorStatus = TakeStatus();
  return ImgHandle != 0;
}

bool TVZqCommon::CreateVectImageEx(TVZqCreateVectImage kind, LONG a, LONG b, LONG c, LONG d) {
  if (!Ready(ErrorStatus, ZqCreateVectImageEx)) return false;
  ImgHandle = ZqCreateVectImageEx(static_cast<BYTE>(kind), a, b, c, d);
  ErrorStatus = TakeStatus();
  return ImgHandle != 0;
}

bool TVZqCommon::VectToDib(HGLOBAL vector, short bitCount, bool flag, short red, short green, short blue) {
  if (!Ready(ErrorStatus, ZqVectorToRaster)) return false;
  ImgHandle = ZqVectorToRaster(vector, bitCount, flag ? -1 : 0, static_cast<BYTE>(red), static_cast<BYTE>(green),
                               static_cast<BYTE>(blue));
  ErrorStatus = TakeStatus();
  return ImgHandle != 0;
}

LONG TVZqCommon::GetSystemPalette() {
  if (!Ready(ErrorStatus, ZqGetSystemPalette)) return -1;
  const LONG value = ZqGetSystemPalette();
  ErrorStatus = TakeStatus();
  return value;
}

int TVZqCommon::UseLZW(const std::string&) {
  ErrorStatus = 0;
  return 0;
}

bool TVZqCommon::GetDpiFromHdc(HDC dc) {
  if (!Ready(ErrorStatus, ZqGetDpiFromHdc)) return false;
  LONG x = FXdpi, y = FYdpi;
  const bool ok = ZqGetDpiFromHdc(dc, &x, &y) != 0;
  FXdpi = x;
  FYdpi = y;
  ErrorStatus = TakeStatus();
  return ok;
}

HBITMAP TVZqCommon::BitmapFromDib() {
  if (!Ready(ErrorStatus, ZqBitmapFromDib)) return nullptr;
  HBITMAP bitmap = ZqBitmapFromDib(ImgHandle);
  ErrorStatus = TakeStatus();
  return bitmap;
}

bool TVZqCommon::DibFromBitmap(HBITMAP bitmap, HPALETTE palette) {
  if (!Ready(ErrorStatus, ZqDibFromBitmap)) return false;
  ImgHandle = ZqDibFromBitmap(bitmap, palette);
  ErrorStatus = TakeStatus();
  return ImgHandle != 0;
}

bool TVZqCommon::DeleteBitmapObject(HGDIOBJ object) {
  if (!Ready(ErrorStatus, ZqDeleteBitmapObject)) return false;
  const bool ok = ZqDeleteBitmapObject(object) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqCommon::GetOneBitPalCount(DWORD& count0, DWORD& count1) {
  if (!Ready(ErrorStatus, ZqGetOneBitPalCount)) return false;
  const bool ok = ZqGetOneBitPalCount(ImgHandle, &count0, &count1) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqCommon::GetPalette(RGBQUAD* palette, int count) {
  if (!Ready(ErrorStatus, ZqGetPalette)) return false;
  const bool ok = ZqGetPalette(ImgHandle, palette, count) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqCommon::SetPalette(const RGBQUAD* palette, int count) {
  if (!Ready(ErrorStatus, ZqSetPalette)) return false;
  const bool ok = ZqSetPalette(ImgHandle, palette, count) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

bool TVZqCommon::GetFromClipBrd() {
  if (!Ready(ErrorStatus, ZqGetFromClipBrd)) return false;
  ImgHandle = ZqGetFromClipBrd(ZqOwnerWindow(parent()), 0, 0, 0, 0);
  ErrorStatus = TakeStatus();
  return ImgHandle != 0;
}

bool TVZqCommon::SetToClipBrd() {
  if (!Ready(ErrorStatus, ZqSetToClipBrd)) return false;
  const bool ok = ZqSetToClipBrd(ZqOwnerWindow(parent()), ImgHandle, 0, 0, 0, 0) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

void TVZqCommon::ClearClipBrd() {
  if (!Ready(ErrorStatus, ZqClearClipBrd)) return;
  ZqClearClipBrd(ZqOwnerWindow(parent()));
  ErrorStatus = TakeStatus();
}

bool TVZqCommon::IsClipBrdData() {
  if (!Ready(ErrorStatus, ZqIsClipBrdData)) return false;
  const bool ok = ZqIsClipBrdData(ZqOwnerWindow(parent())) != 0;
  ErrorStatus = TakeStatus();
  return ok;
}

const QImage& TVZqCommon::Picture() {
  if (!ZqGetImageType || !ZqBitmapFromDib || !CreateBIPalette || ImgHandle == 0) return FPicture;
  ZqImageInfo info{};
  if (ZqGetImageType(ImgHandle, &info) == 0 || info.kind != vzqRasterImage) return FPicture;
  const platform::GlobalLockGuard lock(ImgHandle);
  if (!lock) return FPicture;
  const platform::ScopedGdiObject<HBITMAP> bitmap(ZqBitmapFromDib(ImgHandle));
  const platform::ScopedGdiObject<HPALETTE> palette(CreateBIPalette(lock.as<BITMAPINFOHEADER>()));
  if (bitmap) FPicture = platform::BitmapImage(bitmap).copy();
  return FPicture;
}

void TVZqCommon::SetPicture(const QImage& picture) {
  if (!ZqDibFromBitmap || !ZqFreeMemory) return;
  if (ImgHandle != 0) ZqFreeMemory(ImgHandle);
  ImgHandle = 0;
  FPicture = QImage();
  if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return;
  const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
  const platform::ScopedGdiObject<HBITMAP> bitmap(CreateBitmap(pixels.width(), pixels.height(), 1, 32, pixels.constBits()));
  if (!bitmap) return;
  ImgHandle = ZqDibFromBitmap(bitmap, nullptr);
  ErrorStatus = TakeStatus();
  FPicture = picture.copy();
}

void TVZqCommon::About() { ShowZqAbout(ZqOwnerWindow(parent())); }
