#include "zq7/Zq7Com/ZqDraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/text.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

// A point list longer than this is not a figure's.
constexpr int kMaxPoints = 1 << 24;

using zq::Fail;

// Every context has a mix mode from 1 to 16; a handle that is not a context has none.
bool ValidDc(HDC dc) { return dc && GetROP2(dc) != 0; }

// A pen and a brush made for one figure, selected for its drawing and deselected (then
// deleted) when it ends. Without an outline the stock null pen is used; without a fill,
// the null brush.
class Tools {
 public:
  Tools(HDC dc, HPEN pen, HBRUSH brush)
      : pen_(pen),
        brush_(brush),
        selectPen_(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN)),
        selectBrush_(dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH)) {}

 private:
  platform::ScopedGdiObject<HPEN> pen_;
  platform::ScopedGdiObject<HBRUSH> brush_;
  platform::ScopedSelect selectPen_;
  platform::ScopedSelect selectBrush_;
};

// A pen of width pixels, 0 counting as 1 as in GDI; null for a negative width.
HPEN MakePen(int width, COLORREF color) { return width < 0 ? nullptr : CreatePen(PS_SOLID, std::max(width, 1), color); }

// Draws one figure with an outline (when outlined) and a fill (when filled). A fill
// without an outline is outlined in its own colour, so that the figure covers the same
// pixels as an outlined one.
template <typename Draw>
BOOL Figure(HDC dc, int width, COLORREF penColor, bool outlined, COLORREF fillColor, bool filled, Draw draw) {
  if (!ValidDc(dc) || (outlined && width < 0)) return Fail(ZQ_ERR_BAD_PARAMETER);
  const HPEN pen = outlined ? MakePen(width, penColor) : CreatePen(PS_SOLID, 1, fillColor);
  const HBRUSH brush = filled ? CreateSolidBrush(fillColor) : nullptr;
  if (!pen || (filled && !brush)) {
    if (pen) DeleteObject(pen);
    if (brush) DeleteObject(brush);
    return zq::Fail(ZQ_ERR_NO_MEMORY);
  }
  Tools tools(dc, pen, brush);
  return zq::Result(draw(), ZQ_ERR_BAD_PARAMETER);
}

bool ValidPoints(const POINT* points, int count, int least) { return points && count >= least && count <= kMaxPoints; }

}  // namespace

ZQ_EXPORT int _StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                             int srcHeight, const void* bits, const BITMAPINFO* header, UINT usage, DWORD rop) {
  return zq::Guard<int>(0, [&]() -> int {
    if (!ValidDc(dc) || !header || width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    const BITMAPINFOHEADER& h = header->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    if (!bits) bits = reinterpret_cast<const BYTE*>(header) + platform::DibBitsOffset(h);
    const std::int64_t pictureW = h.biWidth, pictureH = static_cast<std::int64_t>(platform::DibAbsHeight(h));
    // The part of the source that exists, and the part of the destination it maps to.
    const std::int64_t x0 = std::max<std::int64_t>(srcX, 0), y0 = std::max<std::int64_t>(srcY, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{srcX} + srcWidth, pictureW);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{srcY} + srcHeight, pictureH);
    ZqSetErrorStatus(ZQ_OK);
    if (x1 <= x0 || y1 <= y0) return 0;
    const double fx = static_cast<double>(width) / srcWidth, fy = static_cast<double>(height) / srcHeight;
    const int dx0 = x + static_cast<int>(std::lround((x0 - srcX) * fx)), dx1 = x + static_cast<int>(std::lround((x1 - srcX) * fx));
    const int dy0 = y + static_cast<int>(std::lround((y0 - srcY) * fy)), dy1 = y + static_cast<int>(std::lround((y1 - srcY) * fy));
    if (dx1 <= dx0 || dy1 <= dy0) return 0;
    // The platform counts the rows of a bottom-up picture from its bottom.
    const std::int64_t fromBottom = h.biHeight > 0 ? pictureH - y1 : y0;
    const int lines = StretchDIBits(dc, dx0, dy0, dx1 - dx0, dy1 - dy0, static_cast<int>(x0), static_cast<int>(fromBottom),
                                    static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), bits, header, usage, rop);
    if (lines == 0) ZqSetErrorStatus(ZQ_ERR_BAD_PARAMETER);
    return lines;
  });
}

ZQ_EXPORT BOOL _StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                           int srcHeight, DWORD rop) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidDc(dest)) return Fail(ZQ_ERR_BAD_PARAMETER);
    return zq::Result(StretchBlt(dest, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, rop), ZQ_ERR_BAD_PARAMETER);
  });
}

ZQ_EXPORT BOOL ZQStretchBlt(HDC dc, int x, int y, int width, int height, HGLOBAL image, int srcX, int srcY,
                            int srcWidth, int srcHeight, DWORD rop) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    zq::RasterLock r(image);
    if (!r) return Fail(ZQ_ERR_BAD_PARAMETER);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(&r.header());
    const int lines = _StretchDIBits(dc, x, y, width, height, srcX, srcY, srcWidth, srcHeight, nullptr, info,
                                     DIB_RGB_COLORS, rop);
    return lines > 0 || ZQGetErrorStatus() == ZQ_OK ? TRUE : FALSE;
  });
}

ZQ_EXPORT BOOL ZQBitBlt(HDC dc, int x, int y, int width, int height, HGLOBAL image, int srcX, int srcY, DWORD rop) {
  return ZQStretchBlt(dc, x, y, width, height, image, srcX, srcY, width, height, rop);
}

ZQ_EXPORT BOOL ZQGetDpiFromHdc(HDC dc, LONG* xdpi, LONG* ydpi) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidDc(dc) || !xdpi || !ydpi) return Fail(ZQ_ERR_BAD_PARAMETER);
    *xdpi = GetDeviceCaps(dc, LOGPIXELSX);
    *ydpi = GetDeviceCaps(dc, LOGPIXELSY);
    return zq::Result(*xdpi > 0 && *ydpi > 0, ZQ_ERR_BAD_PARAMETER);
  });
}

ZQ_EXPORT HFONT CreateFontFromPixel(HDC dc, LPCSTR face, int pixelSize, BOOL vertical) {
  return zq::Guard<HFONT>(nullptr, [&]() -> HFONT {
    if ((dc && !ValidDc(dc)) || !face || pixelSize <= 0) {
      Fail(ZQ_ERR_BAD_PARAMETER);
      return nullptr;
    }
    LOGFONT lf;
    lf.lfHeight = -pixelSize;
    lf.lfWeight = 400;
    lf.lfEscapement = lf.lfOrientation = vertical ? 900 : 0;
    const std::string name = platform::TruncateUtf8(face, LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, name.c_str(), name.size() + 1);
    const HFONT font = CreateFontIndirect(&lf);
    ZqSetErrorStatus(font ? WORD{ZQ_OK} : WORD{ZQ_ERR_NO_MEMORY});
    return font;
  });
}

ZQ_EXPORT BOOL _SetPixel(HDC dc, int x, int y, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidDc(dc)) return Fail(ZQ_ERR_BAD_PARAMETER);
    return zq::Result(SetPixelV(dc, x, y, color), ZQ_ERR_BAD_PARAMETER);
  });
}

ZQ_EXPORT BOOL _Line(HDC dc, int x1, int y1, int x2, int y2, int width, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    return Figure(dc, width, color, true, 0, false, [&] {
      POINT previous;
      MoveToEx(dc, x1, y1, &previous);
      const BOOL ok = LineTo(dc, x2, y2);
      MoveToEx(dc, previous.x, previous.y, nullptr);
      return ok;
    });
  });
}

ZQ_EXPORT BOOL _Bezier(HDC dc, const POINT* points, int count, int width, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidPoints(points, count, 4) || (count - 1) % 3 != 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Figure(dc, width, color, true, 0, false, [&] { return PolyBezier(dc, points, static_cast<DWORD>(count)); });
  });
}

ZQ_EXPORT BOOL _Box(HDC dc, int left, int top, int right, int bottom, int width, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    return Figure(dc, width, color, true, 0, false, [&] { return Rectangle(dc, left, top, right, bottom); });
  });
}

ZQ_EXPORT BOOL _BoxFull(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidDc(dc)) return Fail(ZQ_ERR_BAD_PARAMETER);
    platform::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(color));
    const RECT rc{left, top, right, bottom};
    return zq::Result(brush && FillRect(dc, &rc, brush) != 0, ZQ_ERR_BAD_PARAMETER);
  });
}

ZQ_EXPORT BOOL _BoxFull2(HDC dc, int left, int top, int right, int bottom, int width, COLORREF penColor,
                         COLORREF fillColor) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    return Figure(dc, width, penColor, true, fillColor, true, [&] { return Rectangle(dc, left, top, right, bottom); });
  });
}

ZQ_EXPORT BOOL _BoxFullHatch(HDC dc, int left, int top, int right, int bottom, COLORREF back, COLORREF hatch,
                             int style) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidDc(dc) || style < HS_HORIZONTAL || style > HS_DIAGCROSS) return Fail(ZQ_ERR_BAD_PARAMETER);
    platform::ScopedGdiObject<HBRUSH> brush(CreateHatchBrush(style, hatch));
    if (!brush) return Fail(ZQ_ERR_BAD_PARAMETER);
    // A hatch filled through FillRect paints its gaps in the background colour.
    const COLORREF previous = SetBkColor(dc, back);
    const RECT rc{left, top, right, bottom};
    const BOOL ok = FillRect(dc, &rc, brush) != 0;
    SetBkColor(dc, previous);
    return zq::Result(ok, ZQ_ERR_BAD_PARAMETER);
  });
}

ZQ_EXPORT BOOL _Ellipse(HDC dc, int left, int top, int right, int bottom, int width, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    return Figure(dc, width, color, true, 0, false, [&] { return Ellipse(dc, left, top, right, bottom); });
  });
}

ZQ_EXPORT BOOL _EllipseFull(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    return Figure(dc, 1, 0, false, color, true, [&] { return Ellipse(dc, left, top, right, bottom); });
  });
}

ZQ_EXPORT BOOL _EllipseFull2(HDC dc, int left, int top, int right, int bottom, int width, COLORREF penColor,
                             COLORREF fillColor) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    return Figure(dc, width, penColor, true, fillColor, true, [&] { return Ellipse(dc, left, top, right, bottom); });
  });
}

ZQ_EXPORT BOOL _CircleFull(HDC dc, int x, int y, int radius, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (radius < 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    return _EllipseFull(dc, x - radius, y - radius, x + radius + 1, y + radius + 1, color);
  });
}

ZQ_EXPORT BOOL _RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int corner, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (corner < 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Figure(dc, width, color, true, 0, false,
                  [&] { return RoundRect(dc, left, top, right, bottom, corner, corner); });
  });
}

ZQ_EXPORT BOOL _RoundRectFull(HDC dc, int left, int top, int right, int bottom, int corner, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (corner < 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Figure(dc, 1, 0, false, color, true, [&] { return RoundRect(dc, left, top, right, bottom, corner, corner); });
  });
}

ZQ_EXPORT BOOL _RoundRectFull2(HDC dc, int left, int top, int right, int bottom, int corner, int width,
                               COLORREF penColor, COLORREF fillColor) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (corner < 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Figure(dc, width, penColor, true, fillColor, true,
                  [&] { return RoundRect(dc, left, top, right, bottom, corner, corner); });
  });
}

ZQ_EXPORT BOOL _Polygon(HDC dc, const POINT* points, int count, int width, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidPoints(points, count, 2)) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Figure(dc, width, color, true, 0, false, [&] { return Polygon(dc, points, count); });
  });
}

ZQ_EXPORT BOOL _PolygonFull(HDC dc, const POINT* points, int count, COLORREF color) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidPoints(points, count, 2)) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Figure(dc, 1, 0, false, color, true, [&] { return Polygon(dc, points, count); });
  });
}

ZQ_EXPORT BOOL _PolygonFull2(HDC dc, const POINT* points, int count, int width, COLORREF penColor,
                             COLORREF fillColor) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!ValidPoints(points, count, 2)) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Figure(dc, width, penColor, true, fillColor, true, [&] { return Polygon(dc, points, count); });
  });
}
