#include "zq7/Zq7Com/ZqBitmap.h"

#include <cstring>
#include <vector>

#include <QTransform>

#include "zq7/Zq7Com/ZqDib.h"
#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

// Destination keeps its pixel where the source is white, turns black where it is black.
constexpr DWORD kDstAndNotSrc = 0x00220326;

using zq::Fail;
using zq::Ok;

// The failure answer of the entries that return a GDI object.
constexpr std::nullptr_t kNone = nullptr;

bool IsBitmap(HBITMAP bitmap) { return bitmap && GetObjectType(bitmap) == OBJ_BITMAP; }

bool Describe(HBITMAP bitmap, BITMAP& bm) {
  return IsBitmap(bitmap) && GetObject(bitmap, sizeof bm, &bm) == static_cast<int>(sizeof bm);
}

// A context of its own with a bitmap selected for the scope.
struct BitmapDc {
  explicit BitmapDc(HBITMAP b) : bitmap(b), dc(CreateCompatibleDC(nullptr)), select(dc, b) {}
  // False when the context could not be made or the bitmap not selected (a bitmap that
  // another context holds cannot be selected into a second one).
  bool ok() const { return dc && GetCurrentObject(dc, OBJ_BITMAP) == static_cast<HGDIOBJ>(bitmap); }
  HBITMAP bitmap;
  platform::ScopedDC dc;
  platform::ScopedSelect select;
};

// A new top-down 32-bit bitmap holding an image's pixels.
HBITMAP BitmapFromImage(const QImage& image) {
  const QImage src = image.convertToFormat(QImage::Format_RGB32);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = src.width();
  bmi.bmiHeader.biHeight = -src.height();
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return Fail(ZQ_ERR_NO_MEMORY, kNone);
  const std::size_t row = static_cast<std::size_t>(src.width()) * 4;
  for (int y = 0; y < src.height(); ++y) std::memcpy(static_cast<BYTE*>(bits) + row * y, src.constScanLine(y), row);
  return Ok(bitmap);
}

HBITMAP MakeMask(HBITMAP bitmap, const BITMAP& bm, COLORREF transparent) {
  const HBITMAP mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
  if (!mask) return Fail(ZQ_ERR_NO_MEMORY, kNone);
  {
    BitmapDc src(bitmap), dst(mask);
    if (!src.ok() || !dst.ok()) {
      DeleteObject(mask);
      return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    }
    // Copying colour into monochrome makes the background colour white, the rest black.
    SetBkColor(src.dc, transparent);
    BitBlt(dst.dc, 0, 0, bm.bmWidth, bm.bmHeight, src.dc, 0, 0, SRCCOPY);
  }
  return Ok(mask);
}

// A 1-bit image with a black and white colour table from a monochrome bitmap's pixels.
HGLOBAL MonochromeDib(const QImage& picture) {
  if (picture.isNull()) return Fail<HGLOBAL>(ZQ_ERR_NO_MEMORY, 0);
  ZqDibBuilder dib;
  if (const WORD s = dib.Create(static_cast<std::uint64_t>(picture.width()), static_cast<std::uint64_t>(picture.height()), 1, 2);
      s != ZQ_OK)
    return Fail<HGLOBAL>(s, 0);
  dib.SetGreyPalette(false);
  dib.SetDpi(kZqDefaultDpi, kZqDefaultDpi);
  for (int y = 0; y < picture.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    BYTE* out = dib.Row(static_cast<std::uint32_t>(y));
    for (int x = 0; x < picture.width(); ++x)
      if ((in[x] & 0xFFFFFF) == 0xFFFFFF) out[x / 8] = static_cast<BYTE>(out[x / 8] | (0x80 >> (x % 8)));
  }
  return Ok(dib.Release());
}

}  // namespace

ZQ_EXPORT HBITMAP ZQBitmapFromDib(HGLOBAL image) {
  return zq::Guard<HBITMAP>(kNone, [&]() -> HBITMAP {
    zq::RasterLock r(image);
    if (!r) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    const HBITMAP bitmap = platform::CreateSurfaceBitmap(r.width(), r.height());
    if (!bitmap) return Fail(ZQ_ERR_NO_MEMORY, kNone);
    {
      BitmapDc dc(bitmap);
      const auto* info = reinterpret_cast<const BITMAPINFO*>(&r.header());
      const BYTE* bits = reinterpret_cast<const BYTE*>(&r.header()) + platform::DibBitsOffset(r.header());
      SetStretchBltMode(dc.dc, COLORONCOLOR);
      if (!dc.ok() || StretchDIBits(dc.dc, 0, 0, r.width(), r.height(), 0, 0, r.width(), r.height(), bits, info,
                                    DIB_RGB_COLORS, SRCCOPY) == 0) {
        DeleteObject(bitmap);
        return Fail(ZQ_ERR_NO_MEMORY, kNone);
      }
    }
    return Ok(bitmap);
  });
}

ZQ_EXPORT HGLOBAL ZQDibFromBitmap(HBITMAP bitmap, HPALETTE palette) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    if (!IsBitmap(bitmap) || (palette && GetObjectType(palette) != OBJ_PAL)) return Fail(ZQ_ERR_BAD_PARAMETER);
    BITMAP bm;
    const QImage picture = platform::BitmapImage(bitmap).convertToFormat(QImage::Format_RGB32);
    if (!Describe(bitmap, bm) || bm.bmBitsPixel != 1) return zq::FromQImage(picture);
    return MonochromeDib(picture);
  });
}

ZQ_EXPORT BOOL ZQDeleteBitmapObject(HGDIOBJ object) {
  return zq::Guard<BOOL>(FALSE, [&] {
    const DWORD kind = object ? GetObjectType(object) : 0;
    return zq::Result((kind == OBJ_BITMAP || kind == OBJ_PAL) && DeleteObject(object), ZQ_ERR_BAD_PARAMETER);
  });
}

ZQ_EXPORT HPALETTE CreateBIPalette(const BITMAPINFOHEADER* header) {
  return zq::Guard<HPALETTE>(kNone, [&]() -> HPALETTE {
    if (!header || header->biSize < sizeof(BITMAPINFOHEADER)) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    if (header->biBitCount > 8) return Ok(kNone);
    const auto n = static_cast<WORD>(platform::DibColorCount(*header));
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * n);
    auto* lp = new (storage.data()) LOGPALETTE;
    lp->palNumEntries = n;
    for (WORD i = 0; i < n; ++i) lp->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    const HPALETTE palette = CreatePalette(lp);
    return palette ? Ok(palette) : Fail(ZQ_ERR_NO_MEMORY, palette);
  });
}

ZQ_EXPORT HBITMAP CreateDuplicateBitMap(HBITMAP bitmap) {
  return zq::Guard<HBITMAP>(kNone, [&]() -> HBITMAP {
    BITMAP bm;
    if (!Describe(bitmap, bm)) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    const HBITMAP copy = bm.bmBitsPixel == 1 ? CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr)
                                             : platform::CreateSurfaceBitmap(bm.bmWidth, bm.bmHeight);
    if (!copy) return Fail(ZQ_ERR_NO_MEMORY, kNone);
    {
      BitmapDc src(bitmap), dst(copy);
      if (!src.ok() || !dst.ok() || !BitBlt(dst.dc, 0, 0, bm.bmWidth, bm.bmHeight, src.dc, 0, 0, SRCCOPY)) {
        DeleteObject(copy);
        return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
      }
    }
    return Ok(copy);
  });
}

ZQ_EXPORT HBITMAP BitMapRotation(HBITMAP bitmap, int degrees) {
  return zq::Guard<HBITMAP>(kNone, [&]() -> HBITMAP {
    if (!IsBitmap(bitmap) || degrees % 90 != 0) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    const QImage picture = platform::BitmapImage(bitmap);
    if (picture.isNull()) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    // QTransform turns clockwise on the screen for positive angles.
    return BitmapFromImage(picture.transformed(QTransform().rotate(-(degrees % 360))));
  });
}

ZQ_EXPORT BOOL PaintBitmap(HDC dc, int x, int y, HBITMAP bitmap, DWORD rop) {
  return zq::Guard<BOOL>(FALSE, [&] {
    BITMAP bm;
    if (!dc || GetROP2(dc) == 0 || !Describe(bitmap, bm)) return Fail(ZQ_ERR_BAD_PARAMETER);
    BitmapDc src(bitmap);
    return zq::Result(src.ok() && BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, src.dc, 0, 0, rop), ZQ_ERR_BAD_PARAMETER);
  });
}

ZQ_EXPORT HBITMAP CreateTransparentMaskBitmap(HBITMAP bitmap, COLORREF transparent) {
  return zq::Guard<HBITMAP>(kNone, [&]() -> HBITMAP {
    BITMAP bm;
    if (!Describe(bitmap, bm)) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    return MakeMask(bitmap, bm, transparent);
  });
}

ZQ_EXPORT HBITMAP CreateTransparentMaskBitmapByBitmap(HBITMAP bitmap) {
  return zq::Guard<HBITMAP>(kNone, [&]() -> HBITMAP {
    BITMAP bm;
    if (!Describe(bitmap, bm)) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    COLORREF corner = CLR_INVALID;
    {
      BitmapDc src(bitmap);
      if (src.ok()) corner = GetPixel(src.dc, 0, 0);
    }
    if (corner == CLR_INVALID) return Fail(ZQ_ERR_BAD_PARAMETER, kNone);
    return MakeMask(bitmap, bm, corner);
  });
}

ZQ_EXPORT BOOL TransparentMaskStretchBlt(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, HBITMAP mask,
                                         int srcX, int srcY, int srcWidth, int srcHeight) {
  return zq::Guard<BOOL>(FALSE, [&] {
    BITMAP bm, mm;
    if (!dc || GetROP2(dc) == 0 || !Describe(bitmap, bm) || !Describe(mask, mm) || mm.bmBitsPixel != 1 ||
        mm.bmWidth != bm.bmWidth || mm.bmHeight != bm.bmHeight)
      return Fail(ZQ_ERR_BAD_PARAMETER);
    // The bitmap with its transparent pixels made black, so that OR-ing it in adds nothing there.
    platform::ScopedGdiObject<HBITMAP> opaque(CreateDuplicateBitMap(bitmap));
    if (!opaque) return FALSE;
    BitmapDc maskDc(mask), opaqueDc(opaque);
    if (!maskDc.ok() || !opaqueDc.ok()) return Fail(ZQ_ERR_BAD_PARAMETER);
    // Monochrome copied into colour: black takes the text colour, white the background.
    SetTextColor(opaqueDc.dc, RGB(0, 0, 0));
    SetBkColor(opaqueDc.dc, RGB(255, 255, 255));
    BitBlt(opaqueDc.dc, 0, 0, bm.bmWidth, bm.bmHeight, maskDc.dc, 0, 0, kDstAndNotSrc);
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    const bool ok = StretchBlt(dc, x, y, width, height, maskDc.dc, srcX, srcY, srcWidth, srcHeight, SRCAND) &&
                    StretchBlt(dc, x, y, width, height, opaqueDc.dc, srcX, srcY, srcWidth, srcHeight, SRCPAINT);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    return zq::Result(ok, ZQ_ERR_BAD_PARAMETER);
  });
}
