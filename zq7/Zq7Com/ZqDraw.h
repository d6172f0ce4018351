// Drawing on device contexts: pictures from packed DIBs and images, and figures with a
// pen of a given width and colour. Each figure entry makes its own pen and brush,
// selects them for the one call and restores the context's own afterwards, so the
// caller's selections, position and colours are left as they were; the context's mix
// mode applies, which is how the rubber-band figures draw with NOT-XOR.
//
// Rectangles exclude their right and bottom edge. Every entry answers a context,
// pointer or image that is not valid with ZQ_ERR_BAD_PARAMETER.
#pragma once

#include "platform/gdi.h"
#include "zq7/Zq7Api.h"

// Draws part of a packed DIB's pixels as the platform's StretchDIBits does, except that
// the source rectangle counts rows from the top of the picture whatever its row order,
// and a source rectangle reaching beyond the picture is cut to it with the destination
// cut in proportion. bits may be null for the pixels that follow the header and its
// colour table. Returns the number of scan lines drawn.
ZQ_EXPORT int _StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                             int srcHeight, const void* bits, const BITMAPINFO* header, UINT usage, DWORD rop);
// The platform's StretchBlt with the status set.
ZQ_EXPORT BOOL _StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                           int srcHeight, DWORD rop);
// Draws an image (from its top-left corner (srcX, srcY)) at its own size or stretched.
ZQ_EXPORT BOOL ZQBitBlt(HDC dc, int x, int y, int width, int height, HGLOBAL image, int srcX, int srcY, DWORD rop);
ZQ_EXPORT BOOL ZQStretchBlt(HDC dc, int x, int y, int width, int height, HGLOBAL image, int srcX, int srcY,
                            int srcWidth, int srcHeight, DWORD rop);
// The resolution of a device in dots per inch.
ZQ_EXPORT BOOL ZQGetDpiFromHdc(HDC dc, LONG* xdpi, LONG* ydpi);
// A font of face at a character height of pixelSize pixels; with vertical nonzero its
// text runs upwards (turned 90 degrees counter-clockwise). The caller deletes it. dc may
// be null.
ZQ_EXPORT HFONT CreateFontFromPixel(HDC dc, LPCSTR face, int pixelSize, BOOL vertical);

ZQ_EXPORT BOOL _SetPixel(HDC dc, int x, int y, COLORREF color);
// A line from (x1, y1) to (x2, y2), the end point left out.
ZQ_EXPORT BOOL _Line(HDC dc, int x1, int y1, int x2, int y2, int width, COLORREF color);
// Cubic Bézier segments: a start point, then three points per segment.
ZQ_EXPORT BOOL _Bezier(HDC dc, const POINT* points, int count, int width, COLORREF color);

// Outlines, fills, and fills with an outline (the "2" forms).
ZQ_EXPORT BOOL _Box(HDC dc, int left, int top, int right, int bottom, int width, COLORREF color);
ZQ_EXPORT BOOL _BoxFull(HDC dc, int left, int top, int right, int bottom, COLORREF color);
ZQ_EXPORT BOOL _BoxFull2(HDC dc, int left, int top, int right, int bottom, int width, COLORREF penColor,
                         COLORREF fillColor);
// The rectangle filled with back, then hatched in hatch with one of the HS_ styles.
ZQ_EXPORT BOOL _BoxFullHatch(HDC dc, int left, int top, int right, int bottom, COLORREF back, COLORREF hatch,
                             int style);
ZQ_EXPORT BOOL _Ellipse(HDC dc, int left, int top, int right, int bottom, int width, COLORREF color);
ZQ_EXPORT BOOL _EllipseFull(HDC dc, int left, int top, int right, int bottom, COLORREF color);
ZQ_EXPORT BOOL _EllipseFull2(HDC dc, int left, int top, int right, int bottom, int width, COLORREF penColor,
                             COLORREF fillColor);
// A filled circle around (x, y).
ZQ_EXPORT BOOL _CircleFull(HDC dc, int x, int y, int radius, COLORREF color);
// Rounded rectangles with corner ellipses of corner x corner pixels.
ZQ_EXPORT BOOL _RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int corner, COLORREF color);
ZQ_EXPORT BOOL _RoundRectFull(HDC dc, int left, int top, int right, int bottom, int corner, COLORREF color);
ZQ_EXPORT BOOL _RoundRectFull2(HDC dc, int left, int top, int right, int bottom, int corner, int width,
                               COLORREF penColor, COLORREF fillColor);
ZQ_EXPORT BOOL _Polygon(HDC dc, const POINT* points, int count, int width, COLORREF color);
ZQ_EXPORT BOOL _PolygonFull(HDC dc, const POINT* points, int count, COLORREF color);
ZQ_EXPORT BOOL _PolygonFull2(HDC dc, const POINT* points, int count, int width, COLORREF penColor,
                             COLORREF fillColor);
