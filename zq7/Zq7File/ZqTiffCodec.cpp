#include "zq7/Zq7File/ZqTiffCodec.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>

#include <tiffio.h>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

// Largest buffer libtiff may allocate for one strip or tile, and the largest we allocate.
constexpr std::uint64_t kMaxBufferBytes = kZqMaxDibBytes;
// Rows per band of the RGBA reader, at least.
constexpr std::uint32_t kRgbaBandRows = 64;

// Bands of the RGBA reader hold whole strips or tile rows: some codecs (old-style JPEG)
// cannot decode the same strip or tile a second time for the next band.
std::uint32_t RgbaBandRows(TIFF* tif, std::uint32_t height) {
  std::uint32_t unit = height;
  if (TIFFIsTiled(tif))
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
  unit = std::clamp<std::uint32_t>(unit, 1, height);
  const std::uint64_t rows = (std::uint64_t{kRgbaBandRows} + unit - 1) / unit * unit;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(rows, height));
}

int CountError(TIFF*, void* user, const char*, const char*, va_list) {
  ++*static_cast<int*>(user);
  return 1;  // handled: libtiff's global handler does not print it
}
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// One open TIFF file, with handlers that count errors instead of printing them. libtiff
// reads (and maps) a duplicate of the file's descriptor, which TIFFClose closes; the
// file itself stays open with its owner.
class TiffFile {
 public:
  explicit TiffFile(const ZqFile& file) {
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) return;
    TIFFOpenOptionsSetErrorHandlerExtR(opts, CountError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, IgnoreWarning, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(kMaxBufferBytes));
    const int fd = ::dup(file.fd());
    if (fd >= 0) {
      tif = TIFFFdOpenExt(fd, file.path().c_str(), "r", opts);
      if (!tif) ::close(fd);
    }
    TIFFOpenOptionsFree(opts);
  }
  ~TiffFile() {
    if (tif) TIFFClose(tif);
  }
  TiffFile(const TiffFile&) = delete;
  TiffFile& operator=(const TiffFile&) = delete;

  int errors = 0;
  TIFF* tif = nullptr;
};

// libtiff's RGBA reader state for one directory.
class RgbaReader {
 public:
  RgbaReader(TIFF* tif, char* message) { ok = TIFFRGBAImageBegin(&img, tif, 0, message) != 0; }
  ~RgbaReader() {
    if (ok) TIFFRGBAImageEnd(&img);
  }
  RgbaReader(const RgbaReader&) = delete;
  RgbaReader& operator=(const RgbaReader&) = delete;

  TIFFRGBAImage img{};
  bool ok = false;
};

// How stored rows become DIB rows.
enum class RowKind { Copy, Grey2, Grey16, Rgb8, Rgb16, Cmyk8, Cmyk16, GreyBits, RgbBits };

struct Layout {
  RowKind kind = RowKind::Copy;
  unsigned dibBits = 0;
  unsigned colors = 0;
  unsigned samples = 1;    // samples per pixel as stored
  unsigned bits = 8;       // bits per sample, for the layouts of any depth
  bool alpha = false;      // the fourth sample is alpha
  bool associated = false; // the colour samples are premultiplied by it
  std::uint64_t copyBytes = 0;
};

std::uint16_t Load16(const std::uint8_t* p) {
  std::uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
BYTE To8(std::uint16_t v) { return static_cast<BYTE>((v + 128u) / 257u); }

// Sample i of a row packed at `bits` bits per sample (1..32), scaled to 0..255. libtiff
// hands 24 and 32-bit samples over in the machine's byte order; other depths are packed
// bit strings, first bit highest.
BYTE SampleAt(const std::uint8_t* row, std::uint64_t i, unsigned bits) {
  static_assert(std::endian::native == std::endian::little);
  std::uint64_t bit = i * bits;
  std::uint64_t v = 0;
  if (bits == 24 || bits == 32) {
    std::uint32_t word = 0;
    std::memcpy(&word, row + bit / 8, bits / 8);
    v = word;
  }
  for (unsigned left = (bits == 24 || bits == 32) ? 0 : bits; left > 0;) {
    const unsigned inByte = 8 - static_cast<unsigned>(bit % 8);
    const unsigned take = std::min(inByte, left);
    v = (v << take) | ((row[bit / 8] >> (inByte - take)) & ((1u << take) - 1));
    bit += take;
    left -= take;
  }
  const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
  return static_cast<BYTE>((v * 255 + max / 2) / max);
}

void StoreColour(BYTE* px, unsigned r, unsigned g, unsigned b, unsigned a, const Layout& l) {
  if (l.alpha && l.associated && a != 0 && a != 255) {
    r = std::min(255u, (r * 255 + a / 2) / a);
    g = std::min(255u, (g * 255 + a / 2) / a);
    b = std::min(255u, (b * 255 + a / 2) / a);
  }
  px[0] = static_cast<BYTE>(b);
  px[1] = static_cast<BYTE>(g);
  px[2] = static_cast<BYTE>(r);
  if (l.alpha) px[3] = static_cast<BYTE>(a);
}

void ConvertRow(const Layout& l, const std::uint8_t* src, BYTE* dst, std::uint32_t width) {
  const unsigned n = l.samples;
  const unsigned out = l.dibBits / 8;
  switch (l.kind) {
    case RowKind::Copy:
      std::memcpy(dst, src, l.copyBytes);
      break;
    case RowKind::Grey2:
      for (std::uint32_t x = 0; x < width; ++x) dst[x] = static_cast<BYTE>((src[x / 4] >> (6 - 2 * (x % 4))) & 3);
      break;
    case RowKind::Grey16:
      for (std::uint32_t x = 0; x < width; ++x) dst[x] = To8(Load16(src + 2 * x));
      break;
    case RowKind::Rgb8:
      for (std::uint32_t x = 0; x < width; ++x, src += n, dst += out)
        StoreColour(dst, src[0], src[1], src[2], l.alpha ? src[3] : 255, l);
      break;
    case RowKind::Rgb16:
      for (std::uint32_t x = 0; x < width; ++x, src += 2 * n, dst += out)
        StoreColour(dst, To8(Load16(src)), To8(Load16(src + 2)), To8(Load16(src + 4)), l.alpha ? To8(Load16(src + 6)) : 255, l);
      break;
    case RowKind::GreyBits:
      for (std::uint32_t x = 0; x < width; ++x) dst[x] = SampleAt(src, x, l.bits);
      break;
    case RowKind::RgbBits:
      for (std::uint32_t x = 0; x < width; ++x, dst += out) {
        const std::uint64_t first = std::uint64_t{x} * n;
        StoreColour(dst, SampleAt(src, first, l.bits), SampleAt(src, first + 1, l.bits), SampleAt(src, first + 2, l.bits),
                    l.alpha ? SampleAt(src, first + 3, l.bits) : 255, l);
      }
      break;
    case RowKind::Cmyk8:
    case RowKind::Cmyk16:
      for (std::uint32_t x = 0; x < width; ++x, dst += 3) {
        unsigned s[4];
        for (unsigned i = 0; i < 4; ++i) s[i] = l.kind == RowKind::Cmyk8 ? src[i] : To8(Load16(src + 2 * i));
        src += l.kind == RowKind::Cmyk8 ? n : 2 * n;
        const unsigned k = 255 - s[3];
        dst[0] = static_cast<BYTE>(((255 - s[2]) * k + 127) / 255);
        dst[1] = static_cast<BYTE>(((255 - s[1]) * k + 127) / 255);
        dst[2] = static_cast<BYTE>(((255 - s[0]) * k + 127) / 255);
      }
      break;
  }
}

// The direct layout for this directory, or false when the RGBA reader must do it.
bool ChooseLayout(TIFF* tif, std::uint32_t width, Layout* l) {
  std::uint16_t bps = 1, spp = 1, planar = PLANARCONFIG_CONTIG, photometric = 0, compression = COMPRESSION_NONE;
  std::uint16_t format = SAMPLEFORMAT_UINT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  if (format != SAMPLEFORMAT_UINT) return false;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
  if (bps == 0 || bps > 32) return false;
  l->bits = bps;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
  if (spp == 0) return false;
  if (planar != PLANARCONFIG_CONTIG && spp > 1) return false;
  l->samples = spp;

  if (spp == 1 && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE ||
                   photometric == PHOTOMETRIC_PALETTE)) {
    switch (bps) {
      case 1:
      case 4:
      case 8:
        l->kind = RowKind::Copy;
        l->dibBits = bps;
        l->colors = 1u << bps;
        l->copyBytes = (std::uint64_t{width} * bps + 7) / 8;
        return true;
      case 2:
        l->kind = RowKind::Grey2;
        l->dibBits = 8;
        l->colors = 4;
        return true;
      case 16:
        if (photometric == PHOTOMETRIC_PALETTE) return false;
        l->kind = RowKind::Grey16;
        l->dibBits = 8;
        l->colors = 256;
        return true;
      default:
        // Grey of any other depth (3, 6, 12, 32 bits, ...) is scaled to 8 bits.
        if (photometric == PHOTOMETRIC_PALETTE) return false;
        l->kind = RowKind::GreyBits;
        l->dibBits = 8;
        l->colors = 256;
        return true;
    }
  }
  if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG && spp == 3) {
    // libjpeg converts to RGB itself, upsampling the chroma.
    if (!TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB)) return false;
    photometric = PHOTOMETRIC_RGB;
  }
  if (photometric == PHOTOMETRIC_RGB && spp >= 3) {
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    if (spp >= 4 && TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0 && extra &&
        (extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA)) {
      l->alpha = true;
      l->associated = extra[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    l->kind = bps == 8 ? RowKind::Rgb8 : bps == 16 ? RowKind::Rgb16 : RowKind::RgbBits;
    l->dibBits = l->alpha ? 32 : 24;
    return true;
  }
  if (bps != 8 && bps != 16) return false;
  if (photometric == PHOTOMETRIC_SEPARATED && spp >= 4) {
    std::uint16_t inkset = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkset);
    if (inkset != INKSET_CMYK) return false;
    l->kind = bps == 8 ? RowKind::Cmyk8 : RowKind::Cmyk16;
    l->dibBits = 24;
    return true;
  }
  return false;
}

void FillPalette(TIFF* tif, ZqDibBuilder& dib, unsigned bps) {
  std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
  if (photometric != PHOTOMETRIC_PALETTE) {
    dib.SetGreyPalette(photometric == PHOTOMETRIC_MINISWHITE);
    return;
  }
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) return;
  const unsigned n = std::min(dib.colors(), 1u << bps);
  // Some old writers store 8-bit values in the 16-bit colour map. Full 16-bit entries are
  // truncated to 8 bits, as ImageMagick and libtiff's RGBA reader show them.
  bool eightBit = true;
  for (unsigned i = 0; i < n && eightBit; ++i) eightBit = r[i] < 256 && g[i] < 256 && b[i] < 256;
  for (unsigned i = 0; i < n; ++i) {
    auto c = [&](std::uint16_t v) { return static_cast<BYTE>(eightBit ? v : v / 257); };
    dib.Palette()[i] = RGBQUAD{c(b[i]), c(g[i]), c(r[i]), 0};
  }
}

// Strips or tiles into rows of the DIB.
WORD DecodeDirect(TiffFile& f, const Layout& l, ZqDibBuilder& dib, ZqProgress& progress) {
  TIFF* tif = f.tif;
  const std::uint32_t width = dib.width(), height = dib.height();
  const std::uint64_t scanline = static_cast<std::uint64_t>(TIFFScanlineSize64(tif));
  if (scanline == 0) return ZQ_ERR_DAMAGED;
  // Every layout reads at most the packed samples of one row.
  const std::uint64_t need = (std::uint64_t{width} * l.samples * l.bits + 7) / 8;
  if (scanline < need) return ZQ_ERR_DAMAGED;

  if (!TIFFIsTiled(tif)) {
    std::uint32_t rps = height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
    rps = std::clamp<std::uint32_t>(rps, 1, height);
    if (scanline * rps > kMaxBufferBytes) return ZQ_ERR_TOO_LARGE;
    // Left uninitialised: a hostile header must not make us touch memory its data never fills.
    const auto band = std::make_unique_for_overwrite<std::uint8_t[]>(scanline * rps);
    for (std::uint32_t y = 0; y < height; y += rps) {
      const std::uint32_t rows = std::min(rps, height - y);
      const tmsize_t got = TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y, 0), band.get(), static_cast<tmsize_t>(scanline * rows));
      if (got < 0 || static_cast<std::uint64_t>(got) < scanline * rows || f.errors) return ZQ_ERR_DAMAGED;
      for (std::uint32_t i = 0; i < rows; ++i) ConvertRow(l, band.get() + scanline * i, dib.Row(y + i), width);
      if (!progress.Step(std::uint64_t{y} + rows, height)) return ZQ_ERR_CANCELLED;
    }
    return ZQ_OK;
  }

  std::uint32_t tw = 0, th = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
  const std::uint64_t tileRow = static_cast<std::uint64_t>(TIFFTileRowSize64(tif));
  const std::uint64_t tileBytes = static_cast<std::uint64_t>(TIFFTileSize64(tif));
  if (tw == 0 || th == 0 || tileRow == 0 || tileBytes < tileRow * th) return ZQ_ERR_DAMAGED;
  // Tile widths are multiples of 16, so every tile starts on a whole byte of the row.
  const std::uint64_t bitsPerPixel = scanline * 8 / width;
  if (scanline * th > kMaxBufferBytes || tileBytes > kMaxBufferBytes) return ZQ_ERR_TOO_LARGE;
  const auto band = std::make_unique_for_overwrite<std::uint8_t[]>(scanline * th);
  const auto tile = std::make_unique_for_overwrite<std::uint8_t[]>(tileBytes);
  for (std::uint32_t y = 0; y < height; y += th) {
    const std::uint32_t rows = std::min(th, height - y);
    for (std::uint32_t x = 0; x < width; x += tw) {
      const tmsize_t got = TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.get(), static_cast<tmsize_t>(tileBytes));
      if (got < 0 || f.errors) return ZQ_ERR_DAMAGED;
      const std::uint64_t offset = std::uint64_t{x} * bitsPerPixel / 8;
      const std::uint64_t bytes = std::min(tileRow, scanline - offset);
      for (std::uint32_t i = 0; i < rows; ++i) std::memcpy(band.get() + scanline * i + offset, tile.get() + tileRow * i, bytes);
    }
    for (std::uint32_t i = 0; i < rows; ++i) ConvertRow(l, band.get() + scanline * i, dib.Row(y + i), width);
    if (!progress.Step(std::uint64_t{y} + rows, height)) return ZQ_ERR_CANCELLED;
  }
  return ZQ_OK;
}

WORD DecodeRgba(TiffFile& f, ZqDibBuilder& dib, bool alpha, RgbaReader& reader, ZqProgress& progress) {
  const std::uint32_t width = dib.width(), height = dib.height();
  // The reader's default orientation gives each band bottom row first, as the DIB wants.
  const std::uint32_t band = RgbaBandRows(f.tif, height);
  const auto raster = std::make_unique_for_overwrite<std::uint32_t[]>(std::uint64_t{width} * band);
  for (std::uint32_t y = 0; y < height; y += band) {
    const std::uint32_t rows = std::min(band, height - y);
    reader.img.row_offset = static_cast<int>(y);
    reader.img.col_offset = 0;
    if (!TIFFRGBAImageGet(&reader.img, raster.get(), width, rows) || f.errors) return ZQ_ERR_DAMAGED;
    for (std::uint32_t i = 0; i < rows; ++i) {
      const std::uint32_t* src = raster.get() + std::uint64_t{width} * i;
      BYTE* dst = dib.Row(y + rows - 1 - i);
      for (std::uint32_t x = 0; x < width; ++x, dst += alpha ? 4 : 3) {
        const std::uint32_t p = src[x];
        dst[0] = static_cast<BYTE>(TIFFGetB(p));
        dst[1] = static_cast<BYTE>(TIFFGetG(p));
        dst[2] = static_cast<BYTE>(TIFFGetR(p));
        if (alpha) dst[3] = static_cast<BYTE>(TIFFGetA(p));
      }
    }
    if (!progress.Step(std::uint64_t{y} + rows, height)) return ZQ_ERR_CANCELLED;
  }
  return ZQ_OK;
}

}  // namespace

WORD ZqTiffDecode(ZqFile& file, int page, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  if (page < 0) return ZQ_ERR_BAD_PARAMETER;
  TiffFile f(file);
  if (!f.tif) return ZQ_ERR_DAMAGED;
  if (page > 0 && !TIFFSetDirectory(f.tif, static_cast<tdir_t>(page))) return ZQ_ERR_BAD_PARAMETER;
  f.errors = 0;  // a complaint about another directory does not spoil this one

  std::uint32_t width = 0, height = 0;
  if (!TIFFGetField(f.tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(f.tif, TIFFTAG_IMAGELENGTH, &height))
    return ZQ_ERR_DAMAGED;
  Layout layout;
  const bool direct = ChooseLayout(f.tif, width, &layout);
  ZqDibBuilder dib;
  WORD status = ZQ_OK;
  if (direct) {
    if ((status = dib.Create(width, height, layout.dibBits, layout.dibBits <= 8 ? layout.colors : 0)) != ZQ_OK) return status;
    if (layout.dibBits <= 8) {
      std::uint16_t bps = 1;
      TIFFGetFieldDefaulted(f.tif, TIFFTAG_BITSPERSAMPLE, &bps);
      FillPalette(f.tif, dib, bps);
    }
    status = DecodeDirect(f, layout, dib, progress);
  } else {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(f.tif, message)) return f.errors ? ZQ_ERR_DAMAGED : ZQ_ERR_UNSUPPORTED;
    if (const WORD s = ZqDibBuilder::CheckSize(width, height, 32, 0); s != ZQ_OK) return s;
    RgbaReader reader(f.tif, message);
    if (!reader.ok) return ZQ_ERR_DAMAGED;
    const bool alpha = reader.img.alpha != 0;
    if ((status = dib.Create(width, height, alpha ? 32 : 24, 0)) != ZQ_OK) return status;
    status = DecodeRgba(f, dib, alpha, reader, progress);
  }
  if (status != ZQ_OK) return status;
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}
