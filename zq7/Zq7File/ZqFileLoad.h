// The file library's loading entries: ZQFileLoad for any format it recognises from the
// content, and one loader per format. Each returns a packed DIB (for WMF, EMF and SVG a
// vector image: the file's bytes behind the engine's vector header) in a global memory
// handle that the caller owns (0 on failure) and sets the status ZQGetErrorStatus
// reports: ZQ_ERR_FILE_NOT_FOUND, ZQ_ERR_UNSUPPORTED (not an image, another format than
// the loader reads, or an unsupported variant), ZQ_ERR_DAMAGED, ZQ_ERR_TOO_LARGE (over
// 2^28 pixels or a DIB over 1 GiB), ZQ_ERR_NO_MEMORY, ZQ_ERR_CANCELLED or
// ZQ_ERR_BAD_PARAMETER (null name, negative page, a page the file does not have).
//
// Pages count from 0. kZqAllPages (all frames) gives every frame of a GIF and every page
// of a TIFF in one handle: the first as an ordinary DIB, which is all that a caller
// expecting one picture sees, the others behind it in the engine's frame trailer
// (ZqFrames.h), which the savers of animations and pages write. Files of one picture
// take page 0 or kZqAllPages only.
//
// The callback, when given, gets the percentage done at every percent of the rows
// decoded (JPEG 2000: of the rows copied out after openjpeg's one-call decode) and 100
// at the end; a 0 answer stops the load with ZQ_ERR_CANCELLED and
// frees everything. The caption, message and button texts would label the engine's own
// progress window; this engine shows none, so they are accepted and ignored, and
// without a callback a load simply runs to its end.
#pragma once

#include "zq7/Zq7Api.h"

// vectorWidth and vectorHeight set the size a vector image reports and is drawn at: both
// 0 keep the drawing's own size, one of them 0 follows its proportions. Raster loads
// ignore them.
ZQ_EXPORT HGLOBAL ZQFileLoad(LPCSTR name, int page, int vectorWidth, int vectorHeight, ZqProgressProc callback,
                             LPCSTR caption, LPCSTR message, LPCSTR button);

ZQ_EXPORT HGLOBAL ZQBmpFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
ZQ_EXPORT HGLOBAL ZQJpegFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
ZQ_EXPORT HGLOBAL ZQPcxFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
// JP2 files and raw JPEG 2000 code streams.
ZQ_EXPORT HGLOBAL ZQJ2kFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
ZQ_EXPORT HGLOBAL ZQGifFileLoad(LPCSTR name, int page, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                                LPCSTR button);
ZQ_EXPORT HGLOBAL ZQTiffFileLoad(LPCSTR name, int page, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                                 LPCSTR button);
// mode 1 loads the image, mode 2 asks for all frames of an animation; both give the
// PNG's one still image, since animation chunks are not read. Other modes:
// ZQ_ERR_BAD_PARAMETER.
ZQ_EXPORT HGLOBAL ZQPngFileLoadEx(LPCSTR name, int mode, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                                  LPCSTR button);
ZQ_EXPORT HGLOBAL ZQPngFileLoad(LPCSTR name, ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
// Vector drawings, sized as ZQFileLoad sizes them.
ZQ_EXPORT HGLOBAL ZQWmfFileLoad(LPCSTR name, int width, int height, ZqProgressProc callback, LPCSTR caption,
                                LPCSTR message, LPCSTR button);
ZQ_EXPORT HGLOBAL ZQEmfFileLoad(LPCSTR name, int width, int height, ZqProgressProc callback, LPCSTR caption,
                                LPCSTR message, LPCSTR button);
ZQ_EXPORT HGLOBAL ZQSvgFileLoad(LPCSTR name, int width, int height, ZqProgressProc callback, LPCSTR caption,
                                LPCSTR message, LPCSTR button);
