// The signatures of the engine entries the system calls, as the entry-point table
// holds them. Kept apart from the table so that they can be checked against the
// engine's own declarations, whose unprefixed names the table's variables share.
#pragma once

#include "platform/gdi.h"
#include "platform/wintypes.h"
#include "zq7/Zq7Api.h"

class QWidget;

// A resolved entry that the system does not call.
using ZqGenericProc = void (*)();

// Signatures of the typed entries. Loaders take the file name first and end with the
// progress callback and the three texts of the engine's progress window; savers take
// the file name and the image handle first and end the same way.
using ZQGetMemorySize_t = DWORD (*)(HGLOBAL image);
using ZQFreeMemory_t = BOOL (*)(HGLOBAL image);
using ZQGetImageType_t = BOOL (*)(HGLOBAL image, ZqImageInfo* info);
using ZQSetDpi_t = BOOL (*)(HGLOBAL image, LONG xdpi, LONG ydpi);
using ZQGetDpi_t = BOOL (*)(HGLOBAL image, LONG* xdpi, LONG* ydpi);
using ZQGetErrorStatus_t = WORD (*)();
using ZQCopyImage_t = HGLOBAL (*)(HGLOBAL image);
using ZQCreateImage_t = HGLOBAL (*)(LONG width, LONG height, WORD bitCount, BYTE red, BYTE green, BYTE blue, LONG, LONG,
                                    LONG, LONG);
using ZQGetSystemPalette_t = LONG (*)();
using ZQGetPalette_t = int (*)(HGLOBAL image, RGBQUAD* palette, int count);
using ZQSetPalette_t = BOOL (*)(HGLOBAL image, const RGBQUAD* palette, int count);
using ZQGetOneBitPalCount_t = BOOL (*)(HGLOBAL image, DWORD* count0, DWORD* count1);
using ZQDibFromBitmap_t = HGLOBAL (*)(HBITMAP bitmap, HPALETTE palette);
using ZQBitmapFromDib_t = HBITMAP (*)(HGLOBAL image);
using ZQDeleteBitmapObject_t = BOOL (*)(HGDIOBJ object);
using ZQGetDpiFromHdc_t = BOOL (*)(HDC dc, LONG* xdpi, LONG* ydpi);
using CreateBIPalette_t = HPALETTE (*)(const BITMAPINFOHEADER* header);
using ZQGetFromClipBrd_t = HGLOBAL (*)(QWidget* owner, LONG, LONG, LONG, LONG);
using ZQSetToClipBrd_t = BOOL (*)(QWidget* owner, HGLOBAL image, LONG, LONG, LONG, LONG);
using ZQClearClipBrd_t = void (*)(QWidget* owner);
using ZQIsClipBrdData_t = BOOL (*)(QWidget* owner);
using SetImageSize_t = HGLOBAL (*)(HGLOBAL image, LONG width, LONG height);
using ZQResizeEx_t = BOOL (*)(HGLOBAL* pair, HGLOBAL* result, LONG width, LONG height, LONG, LONG, LONG, LONG, LONG);
using ZQVectorGdipStart_t = DWORD (*)();
using ZQVectorGdipEnd_t = void (*)(DWORD token);
// Paths, page designations, file dates and extension tables. Path buffers hold
// platform::MaxPath bytes, date texts 16; an extension table is 1000 slots of 64 bytes.
using IsSetDrive_t = BOOL (*)(LPCSTR path);
using DataFileExist_t = BOOL (*)(LPCSTR path);
using SetTermYEN_t = BOOL (*)(LPSTR path);
using GetFullpathFilename_t = BOOL (*)(LPCSTR path, LPSTR directory, LPSTR fileName);
using GetPagefromFilename_t = int (*)(LPCSTR path);
using CutPagefromFilename_t = BOOL (*)(LPSTR path);
using GetFileDateTimeEx_t = BOOL (*)(LPCSTR fileName, LPCSTR directory, LPSTR creation, LPSTR lastWrite,
                                     LPSTR lastAccess);
using GetPathFileDateTime_t = BOOL (*)(LPCSTR path, LPSTR lastWrite);
using GetPathFileExt_t = int (*)(LPCSTR pathList, LPCSTR extList, char (*table)[64]);
using GetPathDir_t = BOOL (*)(int index, LPCSTR pathList, LPSTR directory);
using GetFileExt_t = int (*)(LPCSTR fileName, LPSTR ext, const char (*table)[64]);
using StrRightCopy_t = LPSTR (*)(LPSTR dest, LPCSTR src, int count);
// Drawing on device contexts; rectangles exclude their right and bottom edge.
using GetDibPalSize_t = WORD (*)(const BITMAPINFOHEADER* header);
using _StretchDIBits_t = int (*)(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                                 int srcHeight, const void* bits, const BITMAPINFO* header, UINT usage, DWORD rop);
using _Line_t = BOOL (*)(HDC dc, int x1, int y1, int x2, int y2, int width, COLORREF color);
using _Box_t = BOOL (*)(HDC dc, int left, int top, int right, int bottom, int width, COLORREF color);
using _BoxFull_t = BOOL (*)(HDC dc, int left, int top, int right, int bottom, COLORREF color);
using _BoxFullHatch_t = BOOL (*)(HDC dc, int left, int top, int right, int bottom, COLORREF back, COLORREF hatch,
                                 int style);
using _Polygon_t = BOOL (*)(HDC dc, const POINT* points, int count, int width, COLORREF color);
// Grey copies for smoothed reductions: the whole image as 8-bit grey, and a part of it
// (all of it when the four bounds are 0) resampled to width x height.
using ConvertColorTo8Gray_t = HGLOBAL (*)(HGLOBAL image);
using Resize1Bit_t = HGLOBAL (*)(HGLOBAL image, LONG left, LONG top, LONG right, LONG bottom, LONG width, LONG height);
using ZQVectorToRaster_t = HGLOBAL (*)(HGLOBAL vector, LONG bitCount, LONG flag, BYTE red, BYTE green, BYTE blue);

using ZQFileType_t = BOOL (*)(LPCSTR name, LONG page, ZqFileInfo* info);
using ZQFileLoad_t = HGLOBAL (*)(LPCSTR name, LONG page, LONG vectorWidth, LONG vectorHeight, ZqProgressProc callback,
                                 LPCSTR caption, LPCSTR message, LPCSTR button);
using ZqPlainLoad_t = HGLOBAL (*)(LPCSTR name, ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
using ZqPageLoad_t = HGLOBAL (*)(LPCSTR name, LONG page, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                                 LPCSTR button);
using ZqVectorLoad_t = HGLOBAL (*)(LPCSTR name, LONG width, LONG height, ZqProgressProc callback, LPCSTR caption,
                                   LPCSTR message, LPCSTR button);
using ZQBmpFileLoad_t = ZqPlainLoad_t;
using ZQJpegFileLoad_t = ZqPlainLoad_t;
using ZQPcxFileLoad_t = ZqPlainLoad_t;
using ZQJ2kFileLoad_t = ZqPlainLoad_t;
using ZQGifFileLoad_t = ZqPageLoad_t;
using ZQTiffFileLoad_t = ZqPageLoad_t;
using ZQFpxFileLoad_t = ZqPageLoad_t;
using ZQPngFileLoadEx_t = ZqPageLoad_t;  // the page argument is the mode: 1 one frame, 2 all frames
using ZQWmfFileLoad_t = ZqVectorLoad_t;
using ZQEmfFileLoad_t = ZqVectorLoad_t;
using ZQDxfFileLoad_t = ZqVectorLoad_t;
using ZQSvgFileLoad_t = ZqVectorLoad_t;
using ZQSxfP21FileLoad_t = ZqVectorLoad_t;
using ZQSxfSfcFileLoad_t = ZqVectorLoad_t;

using ZQBmpFileSave_t = BOOL (*)(LPCSTR name, HGLOBAL image, LONG runLength, ZqProgressProc callback, LPCSTR caption,
                                 LPCSTR message, LPCSTR button);
using ZQJpegFileSave_t = BOOL (*)(LPCSTR name, HGLOBAL image, LONG progressive, LONG quality, LONG subsampling,
                                  LPCSTR comment, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                                  LPCSTR button);
using ZQGifFileSave_t = BOOL (*)(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE red, BYTE green,
                                 BYTE blue, LONG animation, LONG delay, LPCSTR comment, ZqProgressProc callback,
                                 LPCSTR caption, LPCSTR message, LPCSTR button);
// The fourth argument is the colour space, or the JPEG quality for compression 7.
using ZQTiffFileSave_t = BOOL (*)(LPCSTR name, HGLOBAL image, LONG compression, LONG colorSpaceOrQuality, LONG append,
                                  LPCSTR comment, LONG oneStrip, ZqProgressProc callback, LPCSTR caption,
                                  LPCSTR message, LPCSTR button);
using ZQPngFileSaveEx_t = BOOL (*)(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE red, BYTE green,
                                   BYTE blue, LONG multiFrame, LPCSTR comment, ZqProgressProc callback, LPCSTR caption,
                                   LPCSTR message, LPCSTR button);
using ZQFpxFileSave_t = BOOL (*)(LPCSTR name, HGLOBAL image, LONG mode, LONG quality, LPCSTR comment,
                                 ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
using ZqPlainSave_t = BOOL (*)(LPCSTR name, HGLOBAL image, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                               LPCSTR button);
using ZQPcxFileSave_t = ZqPlainSave_t;
using ZQWmfFileSave_t = ZqPlainSave_t;
using ZQEmfFileSave_t = ZqPlainSave_t;
using ZQDxfFileSave_t = ZqPlainSave_t;
using ZQSvgFileSave_t = ZqPlainSave_t;
using ZQSxfP21FileSave_t = ZqPlainSave_t;
using ZQSxfSfcFileSave_t = ZqPlainSave_t;
using ZQJ2kFileSave_t = BOOL (*)(LPCSTR name, HGLOBAL image, LONG codeStream, LONG option, LONG value1, LONG value2,
                                 LONG, LONG, LONG, LONG, LONG, LONG, LONG, LPCSTR comment, ZqProgressProc callback,
                                 LPCSTR caption, LPCSTR message, LPCSTR button);

using ZQOpenFileDlg_t = BOOL (*)(QWidget* owner, LPSTR fileName, LPCSTR path, LPCSTR extensions, LONG preview);
using ZQSaveFileDlgEx_t = BOOL (*)(QWidget* owner, LPSTR fileName, LPCSTR path, LPCSTR extensions, LONG preview,
                                   WORD* fileType);
using ZQJpegExifInfo_t = BOOL (*)(LPCSTR name, ZqExifInfo* exif);
using ZQFTPDeleteFile_t = BOOL (*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR);
using ZQFTPRenameFile_t = BOOL (*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR);
using ZqTransfer_t = BOOL (*)(LPCSTR, LPCSTR, LPCSTR fileName, LPCSTR, LPCSTR, LONG, ZqProgressProc callback,
                              LPCSTR caption, LPCSTR message, LPCSTR button);
using ZQFTPGetFile_t = ZqTransfer_t;
using ZQFTPPutFile_t = ZqTransfer_t;
using ZQHTTPGetFile_t = ZqTransfer_t;
using ZQHTTPPutFile_t = ZqTransfer_t;
using ZQCreateVectImage_t = HGLOBAL (*)(LONG, LONG, LONG, LONG);
using ZQCreateVectImageEx_t = HGLOBAL (*)(BYTE kind, LONG, LONG, LONG, LONG);
