// GDI drawing over our own pixel buffers.
//
// A bitmap holds 32-bit BGRX pixels (the memory of a QImage in Format_RGB32); a
// COLORREF is 0x00BBGGRR. Handles are pointers to objects owned by one process-wide
// table: a handle that was never made or is already deleted is refused (FALSE, null,
// CLR_INVALID) and never dereferenced. Lines, rectangles, fills, blits and stretches
// are pixel loops of this unit that keep GDI's rules to the pixel (right and bottom
// edges excluded, LineTo without its end point, the mix mode pixel by pixel); ellipses,
// rounded rectangles, polygons and Béziers are shaped by a non-antialiased QPainter
// into a coverage mask that the same loops then apply, so the mix mode, hatches and
// clipping behave alike for every primitive. Everything runs on the UI thread.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>

#include <QImage>
#include <QRect>

#include "platform/dib.h"
#include "platform/wintypes.h"

class QPainter;

// ---------------------------------------------------------------------------------------
// Scalar types and small records

using COLORREF = DWORD;
using UINT_PTR = std::uintptr_t;
using LPARAM = std::intptr_t;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct POINT {
  LONG x = 0;
  LONG y = 0;
};
struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};
using LPRECT = RECT*;

inline BOOL SetRect(RECT* rc, int left, int top, int right, int bottom) {
  if (!rc) return FALSE;
  *rc = RECT{left, top, right, bottom};
  return TRUE;
}
inline BOOL SetRectEmpty(RECT* rc) { return SetRect(rc, 0, 0, 0, 0); }
inline BOOL IsRectEmpty(const RECT* rc) { return !rc || rc->right <= rc->left || rc->bottom <= rc->top; }
inline BOOL PtInRect(const RECT* rc, POINT pt) {
  return rc && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}
inline BOOL OffsetRect(RECT* rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left += dx, rc->right += dx, rc->top += dy, rc->bottom += dy;
  return TRUE;
}
inline BOOL InflateRect(RECT* rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left -= dx, rc->right += dx, rc->top -= dy, rc->bottom += dy;
  return TRUE;
}
// An empty intersection leaves *out empty and returns FALSE.
inline BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
               std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(out);
    return FALSE;
  }
  *out = r;
  return TRUE;
}
// An empty rectangle adds nothing to the union.
inline BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  if (IsRectEmpty(a)) {
    *out = *b;
  } else if (IsRectEmpty(b)) {
    *out = *a;
  } else {
    *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
  }
  return !IsRectEmpty(out);
}
inline BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
inline BOOL CopyRect(RECT* out, const RECT* in) {
  if (!out || !in) return FALSE;
  *out = *in;
  return TRUE;
}

// A RECT excludes its right and bottom edges, a QRect includes them: the one conversion
// in each direction. A null QRect becomes an empty RECT at the origin.
namespace platform {
inline QRect ToQRect(const RECT& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }
inline RECT ToRECT(const QRect& r) { return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }
}  // namespace platform

inline constexpr int LF_FACESIZE = 32;

// A font as asked for. Heights below 0 are character heights, above 0 cell heights,
// both in pixels; escapement is in tenths of a degree, counter-clockwise.
struct LOGFONT {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};  // UTF-8, NUL-terminated
};
using LOGFONTA = LOGFONT;

struct LOGPEN {
  UINT lopnStyle = 0;
  POINT lopnWidth;
  COLORREF lopnColor = 0;
};
struct LOGBRUSH {
  UINT lbStyle = 0;
  COLORREF lbColor = 0;
  UINT_PTR lbHatch = 0;
};
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;  // the pixels of a DIB section, null for other bitmaps
};
struct PALETTEENTRY {
  BYTE peRed = 0;
  BYTE peGreen = 0;
  BYTE peBlue = 0;
  BYTE peFlags = 0;
};
struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[1];
};

// ---------------------------------------------------------------------------------------
// Objects and handles

// The objects behind the handles. Their contents are the platform's own; callers only
// hold and pass handles, converting among them as Windows code does.
namespace platform {
enum class GdiKind { Pen, Brush, Font, Bitmap, Region, Palette };
struct GdiObject {
  explicit GdiObject(GdiKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  const GdiKind kind;
  bool stock = false;
  int references = 0;          // selections in contexts, saved states included
  bool deletePending = false;  // DeleteObject came while selected
};
struct Pen : GdiObject {
 protected:
  Pen() : GdiObject(GdiKind::Pen) {}
};
struct Brush : GdiObject {
 protected:
  Brush() : GdiObject(GdiKind::Brush) {}
};
struct Font : GdiObject {
 protected:
  Font() : GdiObject(GdiKind::Font) {}
};
struct Bitmap : GdiObject {
 protected:
  Bitmap() : GdiObject(GdiKind::Bitmap) {}
};
struct Region : GdiObject {
 protected:
  Region() : GdiObject(GdiKind::Region) {}
};
struct Palette : GdiObject {
 protected:
  Palette() : GdiObject(GdiKind::Palette) {}
};
struct DeviceContext;
}  // namespace platform

using HGDIOBJ = platform::GdiObject*;
using HPEN = platform::Pen*;
using HBRUSH = platform::Brush*;
using HFONT = platform::Font*;
using HBITMAP = platform::Bitmap*;
using HRGN = platform::Region*;
using HPALETTE = platform::Palette*;
using HDC = platform::DeviceContext*;

// Object kinds as GetObjectType reports them.
inline constexpr DWORD OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_PAL = 5, OBJ_FONT = 6, OBJ_BITMAP = 7,
                       OBJ_REGION = 8, OBJ_MEMDC = 10;

// Stock objects. They are never deleted; DeleteObject on them succeeds and does nothing.
inline constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
                     NULL_BRUSH = 5, HOLLOW_BRUSH = NULL_BRUSH, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
                     SYSTEM_FONT = 13, DEFAULT_PALETTE = 15, DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19;
HGDIOBJ GetStockObject(int which);

DWORD GetObjectType(HGDIOBJ obj);
// Frees an object. An object still selected into a context is freed once it is
// deselected; stock objects are kept. FALSE for an unknown handle.
BOOL DeleteObject(HGDIOBJ obj);
// Copies the object's description (BITMAP, LOGPEN, LOGBRUSH, LOGFONT or a WORD palette
// entry count) into buffer and returns the bytes copied; with a null buffer, the bytes
// needed. 0 for an unknown handle or a buffer too small.
int GetObject(HGDIOBJ obj, int bytes, void* buffer);
inline int GetObjectA(HGDIOBJ obj, int bytes, void* buffer) { return GetObject(obj, bytes, buffer); }

// Pens. Styles above width 1 are drawn solid, as on Windows.
inline constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
                     PS_INSIDEFRAME = 6;
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);

// Brushes. Hatches are 8 × 8 patterns aligned on the surface's origin.
inline constexpr UINT BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = BS_NULL, BS_HATCHED = 2, BS_PATTERN = 3;
inline constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
                     HS_DIAGCROSS = 5;
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int style, COLORREF color);
// A brush that tiles the top-left 8 × 8 pixels of a bitmap (monochrome bitmaps take the
// text and background colours of the context, as on Windows).
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);

// Fonts (their drawing lives in gditext.h).
HFONT CreateFontIndirect(const LOGFONT* lf);
inline HFONT CreateFontIndirectA(const LOGFONT* lf) { return CreateFontIndirect(lf); }

// Bitmaps. A bitmap of 1 bit per pixel is monochrome: its pixels are black or white, a
// colour copied into it turns white where it equals the source's background colour and
// black elsewhere, and copied out of it black takes the destination's text colour and
// white its background colour. Every other bitmap is 32-bit BGRX.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A 32-bit DIB section (bottom-up or top-down as biHeight says); *bits receives its
// memory, rows of 4 × width bytes in the DIB's own order.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* bmi, UINT usage, void** bits, void* section, DWORD offset);

// Regions.
inline constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
inline constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rc);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
// dest must exist already; its kind (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR.
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
int GetRgnBox(HRGN rgn, RECT* box);
BOOL EqualRgn(HRGN a, HRGN b);

// Palettes. They are kept and selected but change nothing on true-colour surfaces.
HPALETTE CreatePalette(const LOGPALETTE* lp);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
UINT RealizePalette(HDC dc);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);

// ---------------------------------------------------------------------------------------
// Device contexts

// Technologies (GetDeviceCaps(TECHNOLOGY)).
inline constexpr int DT_PLOTTER = 0, DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_RASCAMERA = 3,
                     DT_CHARSTREAM = 4, DT_METAFILE = 5, DT_DISPFILE = 6;
inline constexpr int TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12,
                     PLANES = 14, NUMCOLORS = 24, RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90,
                     SIZEPALETTE = 104;
inline constexpr int RC_BITBLT = 0x0001, RC_BITMAP64 = 0x0008, RC_DI_BITMAP = 0x0080, RC_PALETTE = 0x0100,
                     RC_DIBTODEV = 0x0200, RC_STRETCHBLT = 0x0800, RC_STRETCHDIB = 0x2000;

// A memory context compatible with dc (or with the screen when dc is null), holding a
// 1 × 1 monochrome bitmap until another is selected.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int GetDeviceCaps(HDC dc, int index);

// Selects a pen, brush, font or bitmap and returns the previous one (null on failure);
// selecting a region sets the clip region to a copy of it and returns its kind.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT objectType);
// Saves the whole state (objects, clip, modes, colours, position); RestoreDC(dc, -1)
// goes back one level, a positive level returns to that save.
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);

// Mix modes for pens and brush interiors.
inline constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
                     R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
                     R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
int SetROP2(HDC dc, int mode);  // previous mode, 0 for a bad handle or mode
int GetROP2(HDC dc);

inline constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
inline constexpr int STRETCH_ANDSCANS = BLACKONWHITE, STRETCH_ORSCANS = WHITEONBLACK,
                     STRETCH_DELETESCANS = COLORONCOLOR, STRETCH_HALFTONE = HALFTONE;
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

inline constexpr int TRANSPARENT = 1, OPAQUE = 2;
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
// Where TextOut's point lies on the text, and whether it uses and moves the current
// position.
inline constexpr UINT TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
                      TA_BOTTOM = 8, TA_BASELINE = 24;
UINT SetTextAlign(HDC dc, UINT align);  // previous alignment, GDI_ERROR for a bad handle
UINT GetTextAlign(HDC dc);
inline constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// Clipping. SelectClipRgn copies the region (null removes clipping); the others change
// the current clip.
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int GetClipBox(HDC dc, RECT* box);

// ---------------------------------------------------------------------------------------
// Drawing

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL GetCurrentPositionEx(HDC dc, POINT* pos);
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL Polygon(HDC dc, const POINT* points, int count);
// One start point, then three points per cubic segment.
BOOL PolyBezier(HDC dc, const POINT* points, DWORD count);
inline constexpr int ALTERNATE = 1, WINDING = 2;
int SetPolyFillMode(HDC dc, int mode);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
int FillRect(HDC dc, const RECT* rc, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rc, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT* rc);
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);

// Calls proc for every point of the line from (x1, y1) to (x2, y2), end point left out.
using LINEDDAPROC = void (*)(int x, int y, LPARAM data);
BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data);

// Raster operations of BitBlt, StretchBlt, PatBlt and StretchDIBits (any of the 256
// ternary codes works; the usual ones take fast paths).
inline constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                       SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                       NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                       PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                       DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
// Paints the brush where the source is white and keeps the destination where it is black.
inline constexpr DWORD DSPDxax = 0x00E20746;

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);
// Draws part of a packed DIB's pixels (1, 4, 8, 16, 24 or 32 bits, uncompressed or
// bit fields). The source rectangle is in DIB coordinates: for a bottom-up DIB srcY
// counts rows from the bottom. Returns the number of scan lines drawn, 0 on failure.
int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight,
                  const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop);

// 3D edges in the system colours.
inline constexpr UINT BDR_RAISEDOUTER = 0x0001, BDR_SUNKENOUTER = 0x0002, BDR_RAISEDINNER = 0x0004,
                      BDR_SUNKENINNER = 0x0008, BDR_OUTER = 0x0003, BDR_INNER = 0x000C;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
                      EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr UINT BF_LEFT = 0x0001, BF_TOP = 0x0002, BF_RIGHT = 0x0004, BF_BOTTOM = 0x0008,
                      BF_TOPLEFT = BF_TOP | BF_LEFT, BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
                      BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM, BF_MIDDLE = 0x0800, BF_SOFT = 0x1000,
                      BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;
BOOL DrawEdge(HDC dc, RECT* rc, UINT edge, UINT flags);
// A focus rectangle: every other pixel of the frame inverted (drawing it twice removes it).
BOOL DrawFocusRect(HDC dc, const RECT* rc);

// ---------------------------------------------------------------------------------------
// What the other units of the platform build on

namespace platform {

// A context drawing on bitmap with the given technology (DT_RASDISPLAY for window
// surfaces, DT_RASPRINTER or DT_METAFILE to stand for other devices). The bitmap stays
// selected for the context's life and cannot be replaced; several such contexts may
// share one surface, but a memory context cannot select it meanwhile. changed, when set, hears the
// bounds of every drawing call's effect right after it.
HDC CreateSurfaceDC(HBITMAP surface, int technology, std::function<void(const RECT&)> changed = {});
// A black 32-bit bitmap whatever context is at hand (CreateCompatibleBitmap follows
// the context's depth); freed with DeleteObject like any other.
HBITMAP CreateSurfaceBitmap(int width, int height);
// The bitmap's pixels as a top-down image (shared with the bitmap when its rows are
// already top-down, a copy otherwise). Null image for a bad handle.
QImage BitmapImage(HBITMAP bitmap);
// A QPainter on the context's surface with its clip region applied and no
// antialiasing, for the text and shape drawing of the platform. Fails (returns false)
// when the context has no drawable surface.
bool BeginDcPainter(HDC dc, QPainter& painter);
// Tells the context's listener that area changed (after drawing through a painter).
void NotifyDcChanged(HDC dc, const RECT& area);
// Selected font of a context (the stock system font by default).
HFONT DcFont(HDC dc);
// The current position (TextOut with TA_UPDATECP reads and moves it).
POINT DcPosition(HDC dc);
void SetDcPosition(HDC dc, POINT pt);
// Pixel value of a COLORREF in the bitmap's memory order (0xFFRRGGBB).
constexpr std::uint32_t PixelFromColor(COLORREF c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF ColorFromPixel(std::uint32_t p) {
  return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}
// The LOGFONT a font was made from (null for a bad handle).
const LOGFONT* FontLogFont(HFONT font);
// Number of live objects and contexts, so tests can prove that nothing leaked.
std::size_t GdiObjectCount();

// Owns a GDI object and deletes it at the end of the scope.
template <typename H>
class ScopedGdiObject {
 public:
  explicit ScopedGdiObject(H handle = nullptr) : handle_(handle) {}
  ~ScopedGdiObject() {
    if (handle_) ::DeleteObject(handle_);
  }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
  H get() const { return handle_; }
  operator H() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  H handle_;
};

// Owns a context made by CreateCompatibleDC and deletes it at the end of the scope.
class ScopedDC {
 public:
  explicit ScopedDC(HDC dc) : dc_(dc) {}
  ~ScopedDC() {
    if (dc_) ::DeleteDC(dc_);
  }
  ScopedDC(const ScopedDC&) = delete;
  ScopedDC& operator=(const ScopedDC&) = delete;
  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object for the scope and selects the previous one back afterwards.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), previous_(::SelectObject(dc, obj)) {}
  ~ScopedSelect() {
    if (previous_) ::SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace platform
