// The object table and the objects themselves: pens, brushes, fonts, bitmaps, regions
// and palettes. Every handle is a key of the table; whatever is not in it is refused.
#include <QPainterPath>
#include <cstring>
#include <unordered_map>

#include "platform/gdiprivate.h"

namespace platform {
namespace gdi {
namespace {

struct Table {
  std::unordered_map<const void*, std::unique_ptr<GdiObject>> objects;
  std::unordered_map<const void*, std::unique_ptr<DeviceContext>> contexts;
  std::array<GdiObject*, 20> stock{};
};

Table& TheTable() {
  static Table* table = new Table;  // lives to the end of the process, past every static
  return *table;
}

template <typename T>
T* Register(std::unique_ptr<T> obj) {
  T* raw = obj.get();
  TheTable().objects.emplace(raw, std::move(obj));
  return raw;
}

void Destroy(GdiObject* obj) { TheTable().objects.erase(obj); }

}  // namespace

GdiObject* Find(const void* handle) {
  if (!handle) return nullptr;
  auto& objs = TheTable().objects;
  const auto it = objs.find(handle);
  return it == objs.end() ? nullptr : it->second.get();
}

DeviceContext* FindDC(const void* handle) {
  if (!handle) return nullptr;
  auto& dcs = TheTable().contexts;
  const auto it = dcs.find(handle);
  return it == dcs.end() ? nullptr : it->second.get();
}

DeviceContext* AddContext(std::unique_ptr<DeviceContext> dc) {
  DeviceContext* raw = dc.get();
  TheTable().contexts.emplace(raw, std::move(dc));
  return raw;
}

void RemoveContext(DeviceContext* dc) { TheTable().contexts.erase(dc); }

void Retain(GdiObject* obj) {
  if (obj) ++obj->references;
}
void Release(GdiObject* obj) {
  if (!obj) return;
  if (--obj->references == 0 && obj->deletePending) Destroy(obj);
}
void RetainState(const DcState& s) {
  Retain(s.pen), Retain(s.brush), Retain(s.font), Retain(s.bitmap), Retain(s.palette);
}
void ReleaseState(const DcState& s) {
  Release(s.pen), Release(s.brush), Release(s.font), Release(s.bitmap), Release(s.palette);
}

namespace {

BitmapData* NewBitmap(int width, int height, int bitsPixel) {
  if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > (std::int64_t{1} << 28)) return nullptr;
  auto bm = std::make_unique<BitmapData>();
  bm->image = QImage(width, height, QImage::Format_RGB32);
  if (bm->image.isNull()) return nullptr;
  bm->image.fill(0xFF000000u);  // a new bitmap is black
  bm->bitsPixel = bitsPixel;
  bm->bits = bm->image.bits();
  bm->stride = bm->image.bytesPerLine();
  bm->width = width;
  bm->height = height;
  return Register(std::move(bm));
}

GdiObject* MakeStock(int which) {
  auto pen = [](int style, COLORREF c) {
    auto p = std::make_unique<PenData>();
    p->style = style;
    p->log.lopnStyle = static_cast<UINT>(style);
    p->log.lopnWidth.x = 1;
    p->log.lopnColor = c;
    return static_cast<GdiObject*>(Register(std::move(p)));
  };
  auto brush = [](UINT style, COLORREF c) {
    auto b = std::make_unique<BrushData>();
    b->log.lbStyle = style;
    b->log.lbColor = c;
    return static_cast<GdiObject*>(Register(std::move(b)));
  };
  switch (which) {
    case WHITE_BRUSH: return brush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH: return brush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH: return brush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH: return brush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH: return brush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH: return brush(BS_NULL, 0);
    case DC_BRUSH: return brush(BS_SOLID, RGB(255, 255, 255));
    case WHITE_PEN: return pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN: return pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN: return pen(PS_NULL, 0);
    case DC_PEN: return pen(PS_SOLID, RGB(0, 0, 0));
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
      auto f = std::make_unique<FontData>();
      f->log.lfHeight = -12;
      f->log.lfWeight = 400;
      f->log.lfCharSet = 128;  // SHIFTJIS_CHARSET: the system's UI face is Japanese
      std::strncpy(f->log.lfFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE - 1);
      return Register(std::move(f));
    }
    case DEFAULT_PALETTE: {
      auto p = std::make_unique<PaletteData>();
      static constexpr BYTE kLevels[] = {0, 128, 255};
      for (BYTE r : kLevels)
        for (BYTE g : kLevels)
          for (BYTE b : kLevels) p->entries.push_back({r, g, b, 0});
      return Register(std::move(p));
    }
    default: return nullptr;
  }
}

}  // namespace

BitmapData* StockBitmap() {
  static BitmapData* bm = [] {
    BitmapData* b = NewBitmap(1, 1, 1);
    b->stock = true;
    return b;
  }();
  return bm;
}

}  // namespace gdi

HBITMAP CreateSurfaceBitmap(int width, int height) { return gdi::NewBitmap(width, height, 32); }

QImage BitmapImage(HBITMAP bitmap) {
  BitmapData* bm = gdi::FindBitmap(bitmap);
  if (!bm) return {};
  return bm->bottomUp ? bm->image.mirrored(false, true) : bm->image;
}

const LOGFONT* FontLogFont(HFONT font) {
  const FontData* f = gdi::FindFont(font);
  return f ? &f->log : nullptr;
}

std::size_t GdiObjectCount() {
  const gdi::Table& t = gdi::TheTable();
  std::size_t stock = 0;
  for (const auto& [key, obj] : t.objects) stock += obj->stock ? 1 : 0;
  return t.objects.size() - stock + t.contexts.size();
}

}  // namespace platform

using namespace platform;
using namespace platform::gdi;

HGDIOBJ GetStockObject(int which) {
  if (which < 0 || which >= static_cast<int>(TheTable().stock.size())) return nullptr;
  GdiObject*& slot = TheTable().stock[static_cast<std::size_t>(which)];
  if (!slot) {
    slot = MakeStock(which);
    if (slot) slot->stock = true;
  }
  return slot;
}

DWORD GetObjectType(HGDIOBJ obj) {
  if (FindDC(obj)) return FindDC(obj)->memory ? OBJ_MEMDC : OBJ_DC;
  const GdiObject* o = Find(obj);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::Palette: return OBJ_PAL;
  }
  return 0;
}

BOOL DeleteObject(HGDIOBJ obj) {
  GdiObject* o = Find(obj);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->references > 0) {
    o->deletePending = true;
    return TRUE;
  }
  Destroy(o);
  return TRUE;
}

int GetObject(HGDIOBJ obj, int bytes, void* buffer) {
  const GdiObject* o = Find(obj);
  if (!o) return 0;
  auto give = [&](const void* data, int size) {
    if (!buffer) return size;
    if (bytes < size) return 0;
    std::memcpy(buffer, data, static_cast<std::size_t>(size));
    return size;
  };
  switch (o->kind) {
    case Kind::Bitmap: {
      const auto& b = static_cast<const BitmapData&>(*o);
      BITMAP bm;
      bm.bmWidth = b.width;
      bm.bmHeight = b.height;
      bm.bmBitsPixel = static_cast<WORD>(b.bitsPixel);
      bm.bmWidthBytes = b.bitsPixel == 1 ? ((b.width + 15) / 16) * 2 : b.width * 4;
      bm.bmBits = b.dibSection ? b.bits : nullptr;
      return give(&bm, sizeof bm);
    }
    case Kind::Pen: return give(&static_cast<const PenData&>(*o).log, sizeof(LOGPEN));
    case Kind::Brush: return give(&static_cast<const BrushData&>(*o).log, sizeof(LOGBRUSH));
    case Kind::Font: return give(&static_cast<const FontData&>(*o).log, sizeof(LOGFONT));
    case Kind::Palette: {
      const auto n = static_cast<WORD>(static_cast<const PaletteData&>(*o).entries.size());
      return give(&n, sizeof n);
    }
    case Kind::Region: return 0;
  }
  return 0;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) return nullptr;
  auto p = std::make_unique<PenData>();
  p->style = style;
  p->width = std::clamp(width, 1, 1 << 15);  // wider pens than any surface change nothing
  if (p->width > 1 && style != PS_NULL && style != PS_INSIDEFRAME) p->style = PS_SOLID;
  p->log.lopnStyle = static_cast<UINT>(style);
  p->log.lopnWidth.x = std::max(0, width);
  p->log.lopnColor = color & 0xFFFFFFu;
  return Register(std::move(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  return lp ? CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_unique<BrushData>();
  b->log.lbStyle = BS_SOLID;
  b->log.lbColor = color & 0xFFFFFFu;
  return Register(std::move(b));
}

HBRUSH CreateHatchBrush(int style, COLORREF color) {
  if (style < HS_HORIZONTAL || style > HS_DIAGCROSS) return nullptr;
  auto b = std::make_unique<BrushData>();
  b->log.lbStyle = BS_HATCHED;
  b->log.lbColor = color & 0xFFFFFFu;
  b->log.lbHatch = static_cast<UINT_PTR>(style);
  return Register(std::move(b));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  BitmapData* bm = FindBitmap(bitmap);
  if (!bm) return nullptr;
  auto b = std::make_unique<BrushData>();
  b->log.lbStyle = BS_PATTERN;
  b->monoPattern = bm->bitsPixel == 1;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) b->pattern[static_cast<std::size_t>(y * 8 + x)] = bm->Row(y % bm->height)[x % bm->width];
  return Register(std::move(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_NULL: {
      auto b = std::make_unique<BrushData>();
      b->log.lbStyle = BS_NULL;
      return Register(std::move(b));
    }
    default: return nullptr;
  }
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return nullptr;
  auto f = std::make_unique<FontData>();
  f->log = *lf;
  f->log.lfFaceName[LF_FACESIZE - 1] = '\0';
  return Register(std::move(f));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) return nullptr;
  BitmapData* bm = NewBitmap(width, height, static_cast<int>(bitsPerPixel));
  if (!bm || !bits) return bm;
  const auto* src = static_cast<const std::uint8_t*>(bits);
  if (bitsPerPixel == 1) {
    // Rows of monochrome bitmaps are padded to 16 bits; a set bit is white.
    const int rowBytes = ((width + 15) / 16) * 2;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        bm->Row(y)[x] = ((src[y * rowBytes + x / 8] >> (7 - x % 8)) & 1) ? 0xFFFFFFFFu : kOpaque;
  } else {
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = bm->Row(y);
      std::memcpy(row, src + static_cast<std::size_t>(y) * width * 4, static_cast<std::size_t>(width) * 4);
      for (int x = 0; x < width; ++x) row[x] |= kOpaque;
    }
  }
  return bm;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return nullptr;
  // A memory context still holding its 1 × 1 bitmap is monochrome, as on Windows.
  const bool mono = dc->state.bitmap && dc->state.bitmap->bitsPixel == 1;
  return NewBitmap(width, height, mono ? 1 : 32);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, void*, DWORD) {
  if (bits) *bits = nullptr;
  if (!bmi || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return nullptr;
  BitmapData* bm = NewBitmap(h.biWidth, static_cast<int>(DibAbsHeight(h)), 32);
  if (!bm) return nullptr;
  bm->image.fill(0u);
  bm->dibSection = true;
  bm->bottomUp = h.biHeight > 0;
  if (bits) *bits = bm->bits;
  return bm;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto r = std::make_unique<RegionData>();
  if (left != right && top != bottom) r->region = QRegion(Normalised(left, top, right, bottom));
  return Register(std::move(r));
}
HRGN CreateRectRgnIndirect(const RECT* rc) {
  return rc ? CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr;
}
HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  auto r = std::make_unique<RegionData>();
  if (left != right && top != bottom) r->region = QRegion(Normalised(left, top, right, bottom), QRegion::Ellipse);
  return Register(std::move(r));
}
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh) {
  auto r = std::make_unique<RegionData>();
  const QRect box = Normalised(left, top, right, bottom);
  if (!box.isEmpty()) {
    QPainterPath path;
    path.addRoundedRect(QRectF(box.left(), box.top(), box.width(), box.height()), std::abs(ew) / 2.0,
                        std::abs(eh) / 2.0);
    r->region = QRegion(path.toFillPolygon().toPolygon());
  }
  return Register(std::move(r));
}
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (!points || count < 0) return nullptr;
  QPolygon poly;
  for (int i = 0; i < count; ++i) poly << QPoint(points[i].x, points[i].y);
  auto r = std::make_unique<RegionData>();
  if (count >= 3) r->region = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  return Register(std::move(r));
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode) {
  RegionData* d = FindRegion(dest);
  const RegionData* ra = FindRegion(a);
  const RegionData* rb = FindRegion(b);
  if (!d || !ra || (mode != RGN_COPY && !rb)) return ERROR;
  switch (mode) {
    case RGN_AND: d->region = ra->region.intersected(rb->region); break;
    case RGN_OR: d->region = ra->region.united(rb->region); break;
    case RGN_XOR: d->region = ra->region.xored(rb->region); break;
    case RGN_DIFF: d->region = ra->region.subtracted(rb->region); break;
    case RGN_COPY: d->region = ra->region; break;
    default: return ERROR;
  }
  return RegionKind(d->region);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionData* r = FindRegion(rgn);
  if (!r) return ERROR;
  r->region.translate(dx, dy);
  return RegionKind(r->region);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  const RegionData* r = FindRegion(rgn);
  return r && r->region.contains(QPoint(x, y));
}

int GetRgnBox(HRGN rgn, RECT* box) {
  const RegionData* r = FindRegion(rgn);
  if (!r || !box) return ERROR;
  *box = ToRECT(r->region.boundingRect());
  return RegionKind(r->region);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  const RegionData* ra = FindRegion(a);
  const RegionData* rb = FindRegion(b);
  return ra && rb && ra->region == rb->region;
}

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palVersion != 0x300 || lp->palNumEntries == 0) return nullptr;
  auto p = std::make_unique<PaletteData>();
  p->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return Register(std::move(p));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL) {
  DeviceContext* dc = FindDC(hdc);
  PaletteData* p = FindPalette(palette);
  if (!dc || !p) return nullptr;
  PaletteData* previous = dc->state.palette;
  Retain(p);
  dc->state.palette = p;
  Release(previous);
  return previous;
}

UINT RealizePalette(HDC hdc) { return FindDC(hdc) ? 0 : static_cast<UINT>(-1); }

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  const PaletteData* p = FindPalette(palette);
  if (!p) return 0;
  const auto size = static_cast<UINT>(p->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(p->entries.begin() + start, n, entries);
  return n;
}
