// Images and GDI bitmaps: conversion both ways, the palette of a DIB, copies, turned
// copies, and drawing through a transparency mask. Bitmaps and palettes these entries
// return are the caller's, deleted with ZQDeleteBitmapObject (or DeleteObject).
#pragma once

#include "platform/gdi.h"
#include "zq7/Zq7Api.h"

// A new 32-bit bitmap showing a raster image.
ZQ_EXPORT HBITMAP ZQBitmapFromDib(HGLOBAL image);
// A new raster image of a bitmap's pixels: 1-bit black and white for a monochrome
// bitmap, 24-bit for any other. Bitmaps hold true colour here, so the palette (which may
// be null) adds nothing; anything but a palette is refused.
ZQ_EXPORT HGLOBAL ZQDibFromBitmap(HBITMAP bitmap, HPALETTE palette);
// Deletes a bitmap or palette; other objects are refused.
ZQ_EXPORT BOOL ZQDeleteBitmapObject(HGDIOBJ object);
// A palette of the colour table of the DIB whose header is given (a locked image's
// first bytes); null, with the status ZQ_OK, for images without a colour table.
ZQ_EXPORT HPALETTE CreateBIPalette(const BITMAPINFOHEADER* header);
// A copy of a bitmap (monochrome stays monochrome).
ZQ_EXPORT HBITMAP CreateDuplicateBitMap(HBITMAP bitmap);
// A copy of a bitmap turned counter-clockwise by a multiple of 90 degrees.
ZQ_EXPORT HBITMAP BitMapRotation(HBITMAP bitmap, int degrees);
// Draws a whole bitmap at (x, y) with a raster operation.
ZQ_EXPORT BOOL PaintBitmap(HDC dc, int x, int y, HBITMAP bitmap, DWORD rop);
// A monochrome mask of a bitmap: white where its pixel has the transparent colour,
// black elsewhere. The ByBitmap form takes the colour of the bitmap's top-left pixel.
ZQ_EXPORT HBITMAP CreateTransparentMaskBitmap(HBITMAP bitmap, COLORREF transparent);
ZQ_EXPORT HBITMAP CreateTransparentMaskBitmapByBitmap(HBITMAP bitmap);
// Stretches part of a bitmap onto dc, leaving the destination visible where the mask
// (made as above, of the bitmap's size) is white.
ZQ_EXPORT BOOL TransparentMaskStretchBlt(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, HBITMAP mask,
                                         int srcX, int srcY, int srcWidth, int srcHeight);
