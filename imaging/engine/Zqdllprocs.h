// The entry-point table: one variable per entry of the imaging engine libraries, null
// while unresolved. A variable bears its entry's name with "Zq" in place of "ZQ"
// (ZqFileLoad holds ZQFileLoad); entries without that prefix keep their name, and
// ZQFrameRect keeps its own. Entries the system calls have typed pointers; the rest are
// held as generic pointers. Callers test a variable for null before calling through it.
//
// The table and its guards are the imaging layer's own: the component headers do not
// include this header, so code above the components reaches the engine only through them.
#pragma once

#include "imaging/engine/Zqinit.h"
#include "imaging/engine/Zqproctypes.h"

// Zq7Com.DLL: 98 entries, in the order they are resolved.
#define ZQ7_COM_ENTRIES(TYPED, GENERIC) \
  TYPED(ZqGetMemorySize, ZQGetMemorySize) \
  TYPED(ZqFreeMemory, ZQFreeMemory) \
  TYPED(ZqGetImageType, ZQGetImageType) \
  TYPED(ZqGetSystemPalette, ZQGetSystemPalette) \
  TYPED(ZqSetDpi, ZQSetDpi) \
  TYPED(ZqGetDpi, ZQGetDpi) \
  TYPED(ZqGetErrorStatus, ZQGetErrorStatus) \
  TYPED(ZqGetPalette, ZQGetPalette) \
  TYPED(ZqSetPalette, ZQSetPalette) \
  TYPED(ZqDibFromBitmap, ZQDibFromBitmap) \
  TYPED(ZqBitmapFromDib, ZQBitmapFromDib) \
  TYPED(ZqDeleteBitmapObject, ZQDeleteBitmapObject) \
  TYPED(ZqGetOneBitPalCount, ZQGetOneBitPalCount) \
  TYPED(ZqGetFromClipBrd, ZQGetFromClipBrd) \
  TYPED(ZqSetToClipBrd, ZQSetToClipBrd) \
  TYPED(ZqClearClipBrd, ZQClearClipBrd) \
  TYPED(ZqIsClipBrdData, ZQIsClipBrdData) \
  TYPED(ZqCopyImage, ZQCopyImage) \
  TYPED(ZqCreateImage, ZQCreateImage) \
  GENERIC(ZqResizeRefine1BitImage, ZQResizeRefine1BitImage) \
  GENERIC(ZqBitBlt, ZQBitBlt) \
  TYPED(ZqGetDpiFromHdc, ZQGetDpiFromHdc) \
  GENERIC(ZqStretchBlt, ZQStretchBlt) \
  GENERIC(ZqSetDpiF, ZQSetDpiF) \
  GENERIC(ZqGetDpiF, ZQGetDpiF) \
  GENERIC(DataFileOpen, DataFileOpen) \
  GENERIC(DataFileReadOpen, DataFileReadOpen) \
  GENERIC(DataFileWriteOpen, DataFileWriteOpen) \
  GENERIC(DataFileCreateOpen, DataFileCreateOpen) \
  TYPED(DataFileExist, DataFileExist) \
  GENERIC(DataFileClose, DataFileClose) \
  GENERIC(DataFileDelete, DataFileDelete) \
  GENERIC(__hwrite, __hwrite) \
  GENERIC(__hread, __hread) \
  GENERIC(__llseek, __llseek) \
  GENERIC(DataFileSize, DataFileSize) \
  GENERIC(DataFileNameSize, DataFileNameSize) \
  TYPED(IsSetDrive, IsSetDrive) \
  GENERIC(IsOkFileExt, IsOkFileExt) \
  TYPED(GetFileExt, GetFileExt) \
  TYPED(GetPathDir, GetPathDir) \
  GENERIC(GetFileDateTime, GetFileDateTime) \
  TYPED(GetFileDateTimeEx, GetFileDateTimeEx) \
  TYPED(GetPathFileDateTime, GetPathFileDateTime) \
  TYPED(GetPathFileExt, GetPathFileExt) \
  TYPED(GetFullpathFilename, GetFullpathFilename) \
  TYPED(CutPagefromFilename, CutPagefromFilename) \
  TYPED(GetPagefromFilename, GetPagefromFilename) \
  GENERIC(CreateFontFromPixel, CreateFontFromPixel) \
  TYPED(_StretchDIBits, _StretchDIBits) \
  GENERIC(_StretchBlt, _StretchBlt) \
  GENERIC(DibNumColors, DibNumColors) \
  TYPED(GetDibPalSize, GetDibPalSize) \
  GENERIC(IsGrayImage, IsGrayImage) \
  TYPED(CreateBIPalette, CreateBIPalette) \
  GENERIC(GetRGBPixel, GetRGBPixel) \
  GENERIC(_SetPixel, _SetPixel) \
  TYPED(_Line, _Line) \
  GENERIC(_Bezier, _Bezier) \
  TYPED(_Box, _Box) \
  TYPED(_BoxFull, _BoxFull) \
  GENERIC(_BoxFull2, _BoxFull2) \
  GENERIC(_BoxFullHatch, _BoxFullHatch) \
  GENERIC(_Ellipse, _Ellipse) \
  GENERIC(_EllipseFull, _EllipseFull) \
  GENERIC(_EllipseFull2, _EllipseFull2) \
  GENERIC(_CircleFull, _CircleFull) \
  GENERIC(_RoundRect, _RoundRect) \
  GENERIC(_RoundRectFull, _RoundRectFull) \
  GENERIC(_RoundRectFull2, _RoundRectFull2) \
  GENERIC(_Polygon, _Polygon) \
  GENERIC(_PolygonFull, _PolygonFull) \
  GENERIC(_PolygonFull2, _PolygonFull2) \
  GENERIC(GetPixelXYFromDlg, GetPixelXYFromDlg) \
  GENERIC(GetImageHandleType, GetImageHandleType) \
  GENERIC(SetPointsToMemory, SetPointsToMemory) \
  GENERIC(CutFrontSpace, CutFrontSpace) \
  GENERIC(CutBackSpace, CutBackSpace) \
  TYPED(SetTermYEN, SetTermYEN) \
  GENERIC(CutTermYEN, CutTermYEN) \
  GENERIC(lstrchr, lstrchr) \
  GENERIC(lstrstr, lstrstr) \
  GENERIC(StrLeftCopy, StrLeftCopy) \
  GENERIC(StrMidCopy, StrMidCopy) \
  TYPED(StrRightCopy, StrRightCopy) \
  GENERIC(CutMultiSpace, CutMultiSpace) \
  GENERIC(BitMapRotation, BitMapRotation) \
  GENERIC(GetAngleFrom2Points, GetAngleFrom2Points) \
  GENERIC(RotateCoordinatesEx, RotateCoordinatesEx) \
  GENERIC(PaintBitmap, PaintBitmap) \
  GENERIC(CreateTransparentMaskBitmap, CreateTransparentMaskBitmap) \
  GENERIC(CreateTransparentMaskBitmapByBitmap, CreateTransparentMaskBitmapByBitmap) \
  GENERIC(TransparentMaskStretchBlt, TransparentMaskStretchBlt) \
  GENERIC(CreateDuplicateBitMap, CreateDuplicateBitMap) \
  GENERIC(GenEllipsePoints, GenEllipsePoints) \
  TYPED(SetImageSize, SetImageSize) \
  GENERIC(ConvertColorTo8Gray, ConvertColorTo8Gray) \
  GENERIC(Resize1Bit, Resize1Bit)

// Zq7Effect.DLL: 48 entries, in the order they are resolved.
#define ZQ7_EFFECT_ENTRIES(TYPED, GENERIC) \
  GENERIC(ZqAntiAlias, ZQAntiAlias) \
  GENERIC(ZqCustomFilter, ZQCustomFilter) \
  GENERIC(ZqEmboss, ZQEmboss) \
  GENERIC(ZqMosaic, ZQMosaic) \
  GENERIC(ZqOutline, ZQOutline) \
  GENERIC(ZqRemoveNoise, ZQRemoveNoise) \
  GENERIC(ZqBlur, ZQBlur) \
  GENERIC(ZqSharp, ZQSharp) \
  GENERIC(ZqChroma, ZQChroma) \
  GENERIC(ZqConvertColor, ZQConvertColor) \
  GENERIC(ZqRGBLevel, ZQRGBLevel) \
  GENERIC(ZqRGBGamma, ZQRGBGamma) \
  GENERIC(ZqRGBSpline, ZQRGBSpline) \
  GENERIC(ZqRGBRev, ZQRGBRev) \
  GENERIC(ZqSetGray, ZQSetGray) \
  GENERIC(ZqYCCLevel, ZQYCCLevel) \
  GENERIC(ZqYCCGamma, ZQYCCGamma) \
  GENERIC(ZqYCCSpline, ZQYCCSpline) \
  GENERIC(ZqYCCRev, ZQYCCRev) \
  GENERIC(ZqSetSecretImage, ZQSetSecretImage) \
  GENERIC(ZqCheckSecretImage, ZQCheckSecretImage) \
  GENERIC(ZqAffine, ZQAffine) \
  GENERIC(ZqPanorama, ZQPanorama) \
  GENERIC(ZqSelectImageEx, ZQSelectImageEx) \
  GENERIC(ZqAutoSelectImageEx, ZQAutoSelectImageEx) \
  TYPED(ZqResizeEx, ZQResizeEx) \
  GENERIC(ZqRotationEx, ZQRotationEx) \
  GENERIC(ZqPasteImage, ZQPasteImage) \
  GENERIC(ZqLayer, ZQLayer) \
  GENERIC(ZqLayerEx, ZQLayerEx) \
  GENERIC(ZqRipple, ZQRipple) \
  GENERIC(ZqWhirlPinch, ZQWhirlPinch) \
  GENERIC(ZqWaves, ZQWaves) \
  GENERIC(ZqOilPaint, ZQOilPaint) \
  GENERIC(ZqCanvas, ZQCanvas) \
  GENERIC(ZqLens, ZQLens) \
  GENERIC(ZqMotionBlur, ZQMotionBlur) \
  GENERIC(ZqGlassTile, ZQGlassTile) \
  GENERIC(ZqStartDibAccess, ZQStartDibAccess) \
  GENERIC(ZqEndDibAccess, ZQEndDibAccess) \
  GENERIC(ZqGetDibPixel, ZQGetDibPixel) \
  GENERIC(ZqSetDibPixel, ZQSetDibPixel) \
  GENERIC(ZqUnifyColor, ZQUnifyColor) \
  GENERIC(ZqCutRectImage, ZQCutRectImage) \
  GENERIC(ZqMakeRGBAImage, ZQMakeRGBAImage) \
  GENERIC(ZqSplitRGBAImage, ZQSplitRGBAImage) \
  GENERIC(ZqRedEyeRemoval, ZQRedEyeRemoval) \
  GENERIC(ResizeColorBit, ResizeColorBit)

// Zq7File.DLL: 99 entries, in the order they are resolved.
#define ZQ7_FILE_ENTRIES(TYPED, GENERIC) \
  TYPED(ZqOpenFileDlg, ZQOpenFileDlg) \
  GENERIC(ZqSaveFileDlg, ZQSaveFileDlg) \
  TYPED(ZqSaveFileDlgEx, ZQSaveFileDlgEx) \
  TYPED(ZqFileType, ZQFileType) \
  TYPED(ZqFileLoad, ZQFileLoad) \
  TYPED(ZqBmpFileLoad, ZQBmpFileLoad) \
  TYPED(ZqBmpFileSave, ZQBmpFileSave) \
  TYPED(ZqJpegFileLoad, ZQJpegFileLoad) \
  TYPED(ZqJpegFileSave, ZQJpegFileSave) \
  TYPED(ZqJpegExifInfo, ZQJpegExifInfo) \
  TYPED(ZqGifFileLoad, ZQGifFileLoad) \
  TYPED(ZqGifFileSave, ZQGifFileSave) \
  TYPED(ZqTiffFileLoad, ZQTiffFileLoad) \
  TYPED(ZqTiffFileSave, ZQTiffFileSave) \
  GENERIC(ZqPngFileLoad, ZQPngFileLoad) \
  TYPED(ZqPngFileLoadEx, ZQPngFileLoadEx) \
  GENERIC(ZqPngFileSave, ZQPngFileSave) \
  TYPED(ZqPngFileSaveEx, ZQPngFileSaveEx) \
  TYPED(ZqFpxFileLoad, ZQFpxFileLoad) \
  TYPED(ZqFpxFileSave, ZQFpxFileSave) \
  TYPED(ZqPcxFileLoad, ZQPcxFileLoad) \
  TYPED(ZqPcxFileSave, ZQPcxFileSave) \
  TYPED(ZqWmfFileLoad, ZQWmfFileLoad) \
  TYPED(ZqWmfFileSave, ZQWmfFileSave) \
  TYPED(ZqEmfFileLoad, ZQEmfFileLoad) \
  TYPED(ZqEmfFileSave, ZQEmfFileSave) \
  TYPED(ZqDxfFileLoad, ZQDxfFileLoad) \
  TYPED(ZqDxfFileSave, ZQDxfFileSave) \
  TYPED(ZqFTPGetFile, ZQFTPGetFile) \
  TYPED(ZqFTPPutFile, ZQFTPPutFile) \
  TYPED(ZqFTPDeleteFile, ZQFTPDeleteFile) \
  TYPED(ZqFTPRenameFile, ZQFTPRenameFile) \
  TYPED(ZqHTTPGetFile, ZQHTTPGetFile) \
  TYPED(ZqHTTPPutFile, ZQHTTPPutFile) \
  GENERIC(ZqBmpFileLoadMem, ZQBmpFileLoadMem) \
  GENERIC(ZqBmpFileSaveMem, ZQBmpFileSaveMem) \
  GENERIC(ZqCMYKBmpPlaneFileLoad, ZQCMYKBmpPlaneFileLoad) \
  GENERIC(ZqCMYKBmpPlaneFileSave, ZQCMYKBmpPlaneFileSave) \
  GENERIC(ZqDxfFileLoadMem, ZQDxfFileLoadMem) \
  GENERIC(ZqDxfFileSaveMem, ZQDxfFileSaveMem) \
  GENERIC(ZqEmfFileLoadMem, ZQEmfFileLoadMem) \
  GENERIC(ZqEmfFileSaveMem, ZQEmfFileSaveMem) \
  GENERIC(ZqFileLoadAsRawData, ZQFileLoadAsRawData) \
  GENERIC(ZqFileLoadMem, ZQFileLoadMem) \
  GENERIC(ZqFileSaveAsRawData, ZQFileSaveAsRawData) \
  GENERIC(ZqFileTypeMem, ZQFileTypeMem) \
  GENERIC(ZqFpxFileLoadMem, ZQFpxFileLoadMem) \
  GENERIC(ZqFpxFileSaveMem, ZQFpxFileSaveMem) \
  GENERIC(ZqGifFileLoadMem, ZQGifFileLoadMem) \
  GENERIC(ZqGifFileSaveMem, ZQGifFileSaveMem) \
  TYPED(ZqJ2kFileLoad, ZQJ2kFileLoad) \
  GENERIC(ZqJ2kFileLoadMem, ZQJ2kFileLoadMem) \
  TYPED(ZqJ2kFileSave, ZQJ2kFileSave) \
  GENERIC(ZqJ2kFileSaveMem, ZQJ2kFileSaveMem) \
  GENERIC(ZqJpegExifInfoMem, ZQJpegExifInfoMem) \
  GENERIC(ZqJpegFileLoadMem, ZQJpegFileLoadMem) \
  GENERIC(ZqJpegFileSaveMem, ZQJpegFileSaveMem) \
  GENERIC(ZqOpenFileDialog, ZQOpenFileDialog) \
  GENERIC(ZqPcxFileLoadMem, ZQPcxFileLoadMem) \
  GENERIC(ZqPcxFileSaveMem, ZQPcxFileSaveMem) \
  GENERIC(ZqPngFileLoadExMem, ZQPngFileLoadExMem) \
  GENERIC(ZqPngFileLoadMem, ZQPngFileLoadMem) \
  GENERIC(ZqPngFileSaveExMem, ZQPngFileSaveExMem) \
  GENERIC(ZqPngFileSaveMem, ZQPngFileSaveMem) \
  GENERIC(ZqRGBBmpPlaneFileLoad, ZQRGBBmpPlaneFileLoad) \
  GENERIC(ZqRGBBmpPlaneFileSave, ZQRGBBmpPlaneFileSave) \
  GENERIC(ZqSaveFileDialog, ZQSaveFileDialog) \
  TYPED(ZqSvgFileLoad, ZQSvgFileLoad) \
  GENERIC(ZqSvgFileLoadMem, ZQSvgFileLoadMem) \
  TYPED(ZqSvgFileSave, ZQSvgFileSave) \
  GENERIC(ZqSvgFileSaveMem, ZQSvgFileSaveMem) \
  GENERIC(ZqSxfFileLoad, ZQSxfFileLoad) \
  GENERIC(ZqSxfFileLoadMem, ZQSxfFileLoadMem) \
  GENERIC(ZqSxfFileSave, ZQSxfFileSave) \
  GENERIC(ZqSxfFileSaveMem, ZQSxfFileSaveMem) \
  TYPED(ZqSxfP21FileLoad, ZQSxfP21FileLoad) \
  GENERIC(ZqSxfP21FileLoadMem, ZQSxfP21FileLoadMem) \
  TYPED(ZqSxfP21FileSave, ZQSxfP21FileSave) \
  GENERIC(ZqSxfP21FileSaveMem, ZQSxfP21FileSaveMem) \
  TYPED(ZqSxfSfcFileLoad, ZQSxfSfcFileLoad) \
  GENERIC(ZqSxfSfcFileLoadMem, ZQSxfSfcFileLoadMem) \
  TYPED(ZqSxfSfcFileSave, ZQSxfSfcFileSave) \
  GENERIC(ZqSxfSfcFileSaveMem, ZQSxfSfcFileSaveMem) \
  GENERIC(ZqTiffFileLoadMem, ZQTiffFileLoadMem) \
  GENERIC(ZqTiffFileSaveMem, ZQTiffFileSaveMem) \
  GENERIC(ZqWmfFileLoadMem, ZQWmfFileLoadMem) \
  GENERIC(ZqWmfFileSaveMem, ZQWmfFileSaveMem) \
  GENERIC(ZqYCCBmpPlaneFileLoad, ZQYCCBmpPlaneFileLoad) \
  GENERIC(ZqYCCBmpPlaneFileSave, ZQYCCBmpPlaneFileSave) \
  GENERIC(ZqFTPConnect, ZQFTPConnect) \
  GENERIC(ZqFTPDisconnect, ZQFTPDisconnect) \
  GENERIC(ZqFTPGetFileEx, ZQFTPGetFileEx) \
  GENERIC(ZqFTPPutFileEx, ZQFTPPutFileEx) \
  GENERIC(ZqFTPDeleteFileEx, ZQFTPDeleteFileEx) \
  GENERIC(ZqFTPRenameFileEx, ZQFTPRenameFileEx) \
  GENERIC(ZqHTTPConnect, ZQHTTPConnect) \
  GENERIC(ZqHTTPDisconnect, ZQHTTPDisconnect) \
  GENERIC(ZqHTTPGetFileEx, ZQHTTPGetFileEx) \
  GENERIC(ZqHTTPPutFileEx, ZQHTTPPutFileEx)

// Zq7Print.DLL: 51 entries, in the order they are resolved.
#define ZQ7_PRINT_ENTRIES(TYPED, GENERIC) \
  GENERIC(ZqImageOut, ZQImageOut) \
  GENERIC(ZqImageOutToHwnd, ZQImageOutToHwnd) \
  GENERIC(ZqSetPixel, ZQSetPixel) \
  GENERIC(ZqGetPixel, ZQGetPixel) \
  GENERIC(ZqPaint, ZQPaint) \
  GENERIC(ZqLine, ZQLine) \
  GENERIC(ZqRectangle, ZQRectangle) \
  GENERIC(ZqEllipse, ZQEllipse) \
  GENERIC(ZqPolygon, ZQPolygon) \
  GENERIC(ZqPolyline, ZQPolyline) \
  GENERIC(ZqArc, ZQArc) \
  GENERIC(ZqPie, ZQPie) \
  GENERIC(ZqChord, ZQChord) \
  GENERIC(ZqRoundRect, ZQRoundRect) \
  GENERIC(ZqFillRect, ZQFillRect) \
  GENERIC(ZqDrawText, ZQDrawText) \
  GENERIC(ZqTextOut, ZQTextOut) \
  GENERIC(ZqGetTextExtent, ZQGetTextExtent) \
  GENERIC(ZqGetImageFromHdc, ZQGetImageFromHdc) \
  GENERIC(ZqPreviewInit, ZQPreviewInit) \
  GENERIC(ZqSetPrint, ZQSetPrint) \
  GENERIC(ZqPrintStartDoc, ZQPrintStartDoc) \
  GENERIC(ZqPrintStartPage, ZQPrintStartPage) \
  GENERIC(ZqPrintEndPage, ZQPrintEndPage) \
  GENERIC(ZqPrintEndDoc, ZQPrintEndDoc) \
  GENERIC(ZqPrintAbortDoc, ZQPrintAbortDoc) \
  GENERIC(ZqGetPaperSize, ZQGetPaperSize) \
  GENERIC(ZqPrintDlg, ZQPrintDlg) \
  GENERIC(ZqPrintCreateDC, ZQPrintCreateDC) \
  GENERIC(ZqPrintDeleteDC, ZQPrintDeleteDC) \
  GENERIC(ZqGetDevModeHandle, ZQGetDevModeHandle) \
  GENERIC(ZqReleaseDevModeHandle, ZQReleaseDevModeHandle) \
  GENERIC(ZqEnumPrinters, ZQEnumPrinters) \
  GENERIC(ZqGetPrinterPort, ZQGetPrinterPort) \
  GENERIC(ZqGetDevModeInfo, ZQGetDevModeInfo) \
  GENERIC(ZqSetDevModeInfo, ZQSetDevModeInfo) \
  GENERIC(ZqDrawFocusRect, ZQDrawFocusRect) \
  GENERIC(ZqDrawString, ZQDrawString) \
  GENERIC(ZqEnumPaperBins, ZQEnumPaperBins) \
  GENERIC(ZqEnumPaperSizes, ZQEnumPaperSizes) \
  GENERIC(ZqEnumPorts, ZQEnumPorts) \
  GENERIC(ZqEnumResolutions, ZQEnumResolutions) \
  GENERIC(ZQFrameRect, ZQFrameRect) \
  GENERIC(ZqGetDefaultPrinter, ZQGetDefaultPrinter) \
  GENERIC(ZqMeasureString, ZQMeasureString) \
  GENERIC(ZqPolyBezier, ZQPolyBezier) \
  GENERIC(ZqPrintGetArrayNum, ZQPrintGetArrayNum) \
  GENERIC(ZqPrintGdipEnd, ZQPrintGdipEnd) \
  GENERIC(ZqPrintGdipStart, ZQPrintGdipStart) \
  GENERIC(ZqSaveDevModeHandle, ZQSaveDevModeHandle) \
  GENERIC(ZqSetDefaultPrinter, ZQSetDefaultPrinter)

// Zq7Scan.DLL: 16 entries, in the order they are resolved.
#define ZQ7_SCAN_ENTRIES(TYPED, GENERIC) \
  GENERIC(ZqScanInitialize, ZQScanInitialize) \
  GENERIC(ZqScanSelect, ZQScanSelect) \
  GENERIC(ZqScanListLen, ZQScanListLen) \
  GENERIC(ZqScanList, ZQScanList) \
  GENERIC(ZqScanGetDSInfo, ZQScanGetDSInfo) \
  GENERIC(ZqScanOpenDS, ZQScanOpenDS) \
  GENERIC(ZqScanGetPixelType, ZQScanGetPixelType) \
  GENERIC(ZqScanGetPhysicalSize, ZQScanGetPhysicalSize) \
  GENERIC(ZqScanGetMinimumSize, ZQScanGetMinimumSize) \
  GENERIC(ZqScanGetBitDepth, ZQScanGetBitDepth) \
  GENERIC(ZqScanGetCapRange, ZQScanGetCapRange) \
  GENERIC(ZqScanIsCapSupported, ZQScanIsCapSupported) \
  GENERIC(ZqScanGetCapEnum, ZQScanGetCapEnum) \
  GENERIC(ZqScanExec, ZQScanExec) \
  GENERIC(ZqScanCloseDS, ZQScanCloseDS) \
  GENERIC(ZqScanTerminate, ZQScanTerminate)

// Zq7RasToVect.DLL: 1 entries, in the order they are resolved.
#define ZQ7_RASTOVECT_ENTRIES(TYPED, GENERIC) \
  GENERIC(ZqRasterToVector, ZQRasterToVector)

// Zq7VectCom.DLL: 46 entries, in the order they are resolved.
#define ZQ7_VECTCOM_ENTRIES(TYPED, GENERIC) \
  TYPED(ZqCreateVectImage, ZQCreateVectImage) \
  TYPED(ZqCreateVectImageEx, ZQCreateVectImageEx) \
  GENERIC(ZqDrawVectObject, ZQDrawVectObject) \
  TYPED(ZqVectorGdipEnd, ZQVectorGdipEnd) \
  TYPED(ZqVectorGdipStart, ZQVectorGdipStart) \
  TYPED(ZqVectorToRaster, ZQVectorToRaster) \
  GENERIC(ZqAllocVectObjectPara, ZQAllocVectObjectPara) \
  GENERIC(ZqAppendVectObject, ZQAppendVectObject) \
  GENERIC(ZqCnvPenSize, ZQCnvPenSize) \
  GENERIC(ZqCnvFontSize, ZQCnvFontSize) \
  GENERIC(ZqCopyVectImage, ZQCopyVectImage) \
  GENERIC(ZqCreateVectEllipse, ZQCreateVectEllipse) \
  GENERIC(ZqCreateVectBitmap, ZQCreateVectBitmap) \
  GENERIC(ZqCreateVectLine, ZQCreateVectLine) \
  GENERIC(ZqCreateVectPolygon, ZQCreateVectPolygon) \
  GENERIC(ZqCreateVectPolyline, ZQCreateVectPolyline) \
  GENERIC(ZqCreateVectRectangle, ZQCreateVectRectangle) \
  GENERIC(ZqCreateVectRoundRect, ZQCreateVectRoundRect) \
  GENERIC(ZqCreateVectText, ZQCreateVectText) \
  GENERIC(ZqDeleteVectObject, ZQDeleteVectObject) \
  GENERIC(ZqDrawVectObjectEx, ZQDrawVectObjectEx) \
  GENERIC(ZqDrawVectObjectEx2, ZQDrawVectObjectEx2) \
  GENERIC(ZqDrawVectImage, ZQDrawVectImage) \
  GENERIC(ZqEnumVectObject, ZQEnumVectObject) \
  GENERIC(ZqFreeVectImage, ZQFreeVectImage) \
  GENERIC(ZqFreeVectObject, ZQFreeVectObject) \
  GENERIC(ZqFreeVectObjectPara, ZQFreeVectObjectPara) \
  GENERIC(ZqGetMatrixFromVectObject, ZQGetMatrixFromVectObject) \
  GENERIC(ZqGetPointIndex, ZQGetPointIndex) \
  GENERIC(ZqGetRectFromVectObject, ZQGetRectFromVectObject) \
  GENERIC(ZqGetVectFileType, ZQGetVectFileType) \
  GENERIC(ZqGetVectImageDpi, ZQGetVectImageDpi) \
  GENERIC(ZqGetVectImageMemorySize, ZQGetVectImageMemorySize) \
  GENERIC(ZqGetVectImagePixelSize, ZQGetVectImagePixelSize) \
  GENERIC(ZqGetVectImageType, ZQGetVectImageType) \
  GENERIC(ZqGetVectObject, ZQGetVectObject) \
  GENERIC(ZqGetVectObjectPoint, ZQGetVectObjectPoint) \
  GENERIC(ZqMoveObjectPos, ZQMoveObjectPos) \
  GENERIC(ZqMoveVectObject, ZQMoveVectObject) \
  GENERIC(ZqRotateVectObject, ZQRotateVectObject) \
  GENERIC(ZqSelectVectObject, ZQSelectVectObject) \
  GENERIC(ZqSetVectObject, ZQSetVectObject) \
  GENERIC(ZqSetVectObjectPoint, ZQSetVectObjectPoint) \
  GENERIC(ZqCnvEmfHandleToMbk, ZQCnvEmfHandleToMbk) \
  GENERIC(ZqCnvMbkToEmfHandle, ZQCnvMbkToEmfHandle) \
  GENERIC(ZqCnvWmfToEmfHandle, ZQCnvWmfToEmfHandle)
#define ZQ_DECLARE_TYPED(variable, entry) extern entry##_t variable;
#define ZQ_DECLARE_GENERIC(variable, entry) extern ZqGenericProc variable;
ZQ7_COM_ENTRIES(ZQ_DECLARE_TYPED, ZQ_DECLARE_GENERIC)
ZQ7_EFFECT_ENTRIES(ZQ_DECLARE_TYPED, ZQ_DECLARE_GENERIC)
ZQ7_FILE_ENTRIES(ZQ_DECLARE_TYPED, ZQ_DECLARE_GENERIC)
ZQ7_PRINT_ENTRIES(ZQ_DECLARE_TYPED, ZQ_DECLARE_GENERIC)
ZQ7_SCAN_ENTRIES(ZQ_DECLARE_TYPED, ZQ_DECLARE_GENERIC)
ZQ7_RASTOVECT_ENTRIES(ZQ_DECLARE_TYPED, ZQ_DECLARE_GENERIC)
ZQ7_VECTCOM_ENTRIES(ZQ_DECLARE_TYPED, ZQ_DECLARE_GENERIC)
#undef ZQ_DECLARE_TYPED
#undef ZQ_DECLARE_GENERIC

// The engine libraries in load order, and one entry of the table.
enum class ZqLibrary { Com, Effect, File, Print, Scan, RasToVect, VectCom };
inline constexpr int kZqLibraryCount = 7;

struct ZqEntrySlot {
  const char* name;                // the export's name
  void (*assign)(FARPROC proc);    // stores a resolved address (or null) into the variable
  bool (*present)();               // whether the variable holds an address
};

// The entries of one library, in resolution order.
struct ZqEntryGroup {
  const ZqEntrySlot* entries;
  int count;
};
ZqEntryGroup ZqEntries(ZqLibrary library);

namespace zqdllprocs {

// The guard of every component call into the engine: when any entry the call needs is
// missing, status becomes 14 and the answer is false; otherwise status is cleared for
// the call.
template <typename... Entries>
bool Ready(WORD& status, Entries... entries) {
  if (((entries == nullptr) || ...)) {
    status = kZqStatusNoEntry;
    return false;
  }
  status = 0;
  return true;
}

// The engine's status after a call: ZQGetErrorStatus, or 14 when the engine lacks it.
WORD TakeStatus();

}  // namespace zqdllprocs
