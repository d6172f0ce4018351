// The file library's saving entries, one per raster format. Each takes the target's name
// and an image handle first and ends with the progress callback and the texts of the
// engine's progress window (accepted and ignored: this engine shows no window of its
// own). Each returns nonzero on success and sets the status ZQGetErrorStatus reports:
// ZQ_ERR_BAD_PARAMETER (null name, a folder as target, a handle that is not an image,
// an argument out of range or a compression the picture's depth does not allow),
// ZQ_ERR_UNSUPPORTED (a vector image), ZQ_ERR_WRITE_FAILED (the folder or disk refused),
// ZQ_ERR_NO_MEMORY, ZQ_ERR_CANCELLED (the callback answered 0).
//
// Every save writes a hidden sibling in the target's folder and renames it onto the
// target only when it is complete: a failed or cancelled save leaves no file behind and
// an existing target as it was. Saves that add to a file (TIFF pages, GIF frames) add to
// a copy of it in the same way. The callback gets the percentage of rows written.
//
// A handle that holds several frames (the loaders' all-frames mode) is written whole by
// the savers that keep frames: TIFF writes every frame as a page, GIF with animation and
// PNG with multiFrame write an animation; the others write the first frame.
#pragma once

#include "zq7/Zq7Api.h"

// BI_RGB at the image's depth (1, 4, 8, 24 or 32 bits; 16-bit images are written at
// 24, as are 32-bit images laid out by colour masks). runLength nonzero asks for RLE8 (8-bit images) or RLE4 (4-bit images); other
// depths cannot be run-length encoded in a BMP and are written plain.
ZQ_EXPORT BOOL ZQBmpFileSave(LPCSTR name, HGLOBAL image, LONG runLength, ZqProgressProc callback, LPCSTR caption,
                             LPCSTR message, LPCSTR button);

// progressive 0 baseline, 1 progressive; quality 1..100 (0 is libjpeg's default 75);
// subsampling 0 4:1:1 (written as 4:2:0, the common form of quarter chroma), 1 4:2:2,
// 2 4:4:4. Images with a grey colour table are written as one grey component; the
// comment becomes a COM marker and the resolution the JFIF density in dots per inch.
ZQ_EXPORT BOOL ZQJpegFileSave(LPCSTR name, HGLOBAL image, LONG progressive, LONG quality, LONG subsampling,
                              LPCSTR comment, ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);

// GIF89a. Images of 1 to 8 bits keep their colour table; deeper ones are quantised to
// 256 colours by libimagequant. transparent makes the colour (red, green, blue) the
// transparent one (the table entry nearest to it). animation appends the image's
// frames to an existing GIF, or starts one, that loops for ever, each frame shown for
// delay hundredths of a second; the comment becomes a comment extension.
ZQ_EXPORT BOOL ZQGifFileSave(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE red, BYTE green,
                             BYTE blue, LONG animation, LONG delay, LPCSTR comment, ZqProgressProc callback,
                             LPCSTR caption, LPCSTR message, LPCSTR button);

// compression 0 none, 1 CCITT RLE, 2 G3 1-D, 3 G3 2-D, 4 G4 (these four only for 1-bit
// images), 5 PackBits, 6 LZW, 7 JPEG. For 0 to 6 the fourth argument is the colour
// space of colour images (0 RGB, 1 CMYK); for 7 it is the JPEG quality (0 is 75).
// append adds the pages after those of an existing TIFF; oneStrip writes each page as
// one strip instead of strips of about 8 KB. The comment becomes ImageDescription.
ZQ_EXPORT BOOL ZQTiffFileSave(LPCSTR name, HGLOBAL image, LONG compression, LONG colorSpaceOrQuality, LONG append,
                              LPCSTR comment, LONG oneStrip, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                              LPCSTR button);

// At the image's depth (palette images keep their table, grey tables become grey PNGs,
// 32-bit images with alpha RGBA). interlace asks for Adam7; transparent writes the
// colour (red, green, blue) as tRNS; multiFrame writes all frames as an animated PNG;
// the comment becomes a tEXt chunk "Comment", the resolution pHYs.
ZQ_EXPORT BOOL ZQPngFileSaveEx(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE red, BYTE green,
                               BYTE blue, LONG multiFrame, LPCSTR comment, ZqProgressProc callback, LPCSTR caption,
                               LPCSTR message, LPCSTR button);
// ZQPngFileSaveEx without interlace, transparency, frames or comment.
ZQ_EXPORT BOOL ZQPngFileSave(LPCSTR name, HGLOBAL image, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                             LPCSTR button);

// Run-length encoded PCX of 1, 4 (as four planes), 8 or 24 bits (as three planes);
// 16-bit and 32-bit images are written at 24 bits.
ZQ_EXPORT BOOL ZQPcxFileSave(LPCSTR name, HGLOBAL image, ZqProgressProc callback, LPCSTR caption, LPCSTR message,
                             LPCSTR button);

// codeStream nonzero writes a raw code stream, else a JP2 file. lossless nonzero uses
// the reversible 5/3 wavelet, pixel for pixel; zero uses the irreversible 9/7 wavelet at
// a compression ratio of value1 to 1 (0 is 10:1, at most 1000). value2 is the number of resolution
// levels (0 is openjpeg's 6, cut to what the picture's size allows). The seven
// arguments after it are reserved and must be 0. The comment becomes a COM marker.
ZQ_EXPORT BOOL ZQJ2kFileSave(LPCSTR name, HGLOBAL image, LONG codeStream, LONG lossless, LONG value1, LONG value2,
                             LONG, LONG, LONG, LONG, LONG, LONG, LONG, LPCSTR comment, ZqProgressProc callback,
                             LPCSTR caption, LPCSTR message, LPCSTR button);
