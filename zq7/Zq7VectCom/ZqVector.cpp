#include "zq7/Zq7VectCom/ZqVector.h"

#include <cstring>
#include <set>
#include <vector>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7Com/ZqVectorImage.h"
#include "zq7/Zq7VectCom/ZqSvgRender.h"

namespace {

using zq::Fail;
using zq::Ok;

struct Sessions {
  std::set<DWORD> open;
  DWORD next = 1;
};

Sessions& sessions() {
  static Sessions s;
  return s;
}

// A drawing rendered at one size: BGRX pixels, rows from the top.
struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Renders the vector image into canvas at width x height over the background (an
// xRGB word). The size is checked against the engine's caps before allocating.
WORD Render(HGLOBAL vector, int width, int height, std::uint32_t background, Canvas& canvas) {
  const ZqVectorLock lock(vector);
  if (!lock) return ZQ_ERR_BAD_PARAMETER;
  if (width <= 0) width = static_cast<int>(lock.header().width);
  if (height <= 0) height = static_cast<int>(lock.header().height);
  if (const WORD s = ZqDibBuilder::CheckSize(std::uint64_t(width), std::uint64_t(height), 32, 0); s != ZQ_OK) return s;
  canvas.width = width;
  canvas.height = height;
  canvas.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background);
  if (lock.bytes() == 0) return ZQ_OK;  // an empty drawing is its page
  switch (lock.header().kind) {
    case ZQ_KIND_SVG: return ZqRenderSvg(lock.data(), lock.bytes(), width, height, canvas.pixels.data());
    default: return ZQ_ERR_NOT_AVAILABLE;
  }
}

std::uint32_t Xrgb(BYTE red, BYTE green, BYTE blue) {
  return std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
}

HGLOBAL ToDib(const Canvas& canvas, int bitCount, std::uint32_t dpiX, std::uint32_t dpiY, WORD& status) {
  ZqDibBuilder dib;
  status = dib.Create(std::uint64_t(canvas.width), std::uint64_t(canvas.height), static_cast<unsigned>(bitCount), 0);
  if (status != ZQ_OK) return 0;
  dib.SetDpi(dpiX ? dpiX : kZqDefaultDpi, dpiY ? dpiY : kZqDefaultDpi);
  for (int y = 0; y < canvas.height; ++y) {
    const std::uint32_t* from = &canvas.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width)];
    BYTE* to = dib.Row(static_cast<std::uint32_t>(y));
    if (bitCount == 32) {
      for (int x = 0; x < canvas.width; ++x) {
        const std::uint32_t p = from[x] | 0xFF000000u;
        std::memcpy(to + 4 * x, &p, 4);
      }
    } else {
      for (int x = 0; x < canvas.width; ++x) {
        to[3 * x] = static_cast<BYTE>(from[x]);
        to[3 * x + 1] = static_cast<BYTE>(from[x] >> 8);
        to[3 * x + 2] = static_cast<BYTE>(from[x] >> 16);
      }
    }
  }
  return dib.Release();
}

}  // namespace

ZQ_EXPORT DWORD ZQVectorGdipStart() {
  return zq::Guard<DWORD>(0, [&]() -> DWORD {
    Sessions& s = sessions();
    DWORD token = s.next;
    // Tokens are not reused while open; 0 means "no session" to the callers.
    while (token == 0 || s.open.contains(token)) ++token;
    s.open.insert(token);
    s.next = token + 1;
    ZqSetErrorStatus(ZQ_OK);
    return token;
  });
}

ZQ_EXPORT void ZQVectorGdipEnd(DWORD token) {
  zq::Guard<BOOL>(FALSE, [&] { return zq::Result(sessions().open.erase(token) > 0, ZQ_ERR_BAD_PARAMETER); });
}

ZQ_EXPORT HGLOBAL ZQVectorToRaster(HGLOBAL vector, LONG bitCount, LONG, BYTE red, BYTE green, BYTE blue) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    if (bitCount != 24 && bitCount != 32) return Fail(ZQ_ERR_BAD_PARAMETER);
    std::uint32_t dpiX = 0, dpiY = 0;
    if (const ZqVectorLock lock{vector}) {
      dpiX = lock.header().xdpi;
      dpiY = lock.header().ydpi;
    }
    Canvas canvas;
    WORD status = Render(vector, 0, 0, Xrgb(red, green, blue), canvas);
    if (status != ZQ_OK) return Fail(status);
    const HGLOBAL out = ToDib(canvas, bitCount, dpiX, dpiY, status);
    return status == ZQ_OK ? Ok(out) : Fail<HGLOBAL>(status, 0);
  });
}

ZQ_EXPORT BOOL ZQDrawVectImage(HDC dc, HGLOBAL vector, LONG x, LONG y, LONG width, LONG height, COLORREF background) {
  return zq::Guard<BOOL>(FALSE, [&] {
    if (!dc || width <= 0 || height <= 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    Canvas canvas;
    const WORD status = Render(vector, width, height, Xrgb(GetRValue(background), GetGValue(background),
                                                            GetBValue(background)), canvas);
    if (status != ZQ_OK) return Fail(status);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = canvas.width;
    info.bmiHeader.biHeight = -canvas.height;  // rows from the top, as the canvas holds them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return zq::Result(StretchDIBits(dc, x, y, width, height, 0, 0, canvas.width, canvas.height, canvas.pixels.data(),
                                    &info, DIB_RGB_COLORS, SRCCOPY) != 0,
                      ZQ_ERR_BAD_PARAMETER);
  });
}
