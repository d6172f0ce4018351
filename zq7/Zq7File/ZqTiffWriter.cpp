#include "zq7/Zq7File/ZqTiffWriter.h"

#include <algorithm>
#include <cstring>

#include <tiffio.h>

#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"

namespace {

constexpr std::size_t kStripBytes = 8192;

int CountError(TIFF*, void* user, const char*, const char*, va_list) {
  ++*static_cast<int*>(user);
  return 1;  // handled: libtiff's global handler does not print it
}
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// One TIFF file open for writing ("w") or appending ("a"), with handlers that count
// errors instead of printing them.
class TiffOut {
 public:
  TiffOut(const char* path, const char* mode) {
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) return;
    TIFFOpenOptionsSetErrorHandlerExtR(opts, CountError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, IgnoreWarning, nullptr);
    tif = TIFFOpenExt(path, mode, opts);
    TIFFOpenOptionsFree(opts);
  }
  ~TiffOut() {
    if (tif) TIFFClose(tif);
  }
  TiffOut(const TiffOut&) = delete;
  TiffOut& operator=(const TiffOut&) = delete;

  // Flushes and closes; false when anything failed on the way.
  bool Close() {
    TIFF* t = tif;
    tif = nullptr;
    if (t) TIFFClose(t);
    return errors == 0;
  }

  int errors = 0;
  TIFF* tif = nullptr;
};

enum class Form { MinIsBlack, MinIsWhite, Palette, Rgb, Rgba, Cmyk };

struct PageLayout {
  Form form = Form::Rgb;
  int bits = 8;     // per sample
  int samples = 3;  // per pixel
  bool expandIndices = false;  // palette or bilevel indices widened to 8-bit grey levels
};

bool IsGreyRamp(const ZqRaster& r) {
  const int n = 1 << r.bitCount();
  if (r.colors() != n) return false;
  for (int i = 0; i < n; ++i) {
    const int level = i * 255 / (n - 1);
    const RGBQUAD q = r.palette()[i];
    if (q.rgbRed != level || q.rgbGreen != level || q.rgbBlue != level) return false;
  }
  return true;
}

bool IsWhiteOnBlack(const ZqRaster& r) {
  if (r.colors() != 2) return false;
  const RGBQUAD a = r.palette()[0], b = r.palette()[1];
  return a.rgbRed == 255 && a.rgbGreen == 255 && a.rgbBlue == 255 && b.rgbRed == 0 && b.rgbGreen == 0 && b.rgbBlue == 0;
}

PageLayout LayoutOf(const ZqRaster& r, const ZqTiffOptions& o) {
  const bool jpeg = o.compression == ZqTiffCompression::Jpeg;
  if (r.bitCount() <= 8) {
    const bool ramp = IsGreyRamp(r);
    if (jpeg) return ramp || r.Grey() ? PageLayout{Form::MinIsBlack, 8, 1, true} : PageLayout{Form::Rgb, 8, 3, false};
    if (ramp) return {Form::MinIsBlack, r.bitCount(), 1, false};
    if (r.bitCount() == 1 && IsWhiteOnBlack(r)) return {Form::MinIsWhite, 1, 1, false};
    return {Form::Palette, r.bitCount(), 1, false};
  }
  if (o.cmyk && !jpeg) return {Form::Cmyk, 8, 4, false};
  if (r.Alpha() && !jpeg) return {Form::Rgba, 8, 4, false};
  return {Form::Rgb, 8, 3, false};
}

// Row y of a page in the layout's sample order.
void MakeRow(const ZqRaster& r, const PageLayout& l, int y, BYTE* out, std::vector<BYTE>& work) {
  const int w = r.width();
  switch (l.form) {
    case Form::MinIsBlack:
    case Form::MinIsWhite:
    case Form::Palette:
      if (!l.expandIndices) {
        std::memcpy(out, r.Row(y), (static_cast<std::size_t>(w) * static_cast<std::size_t>(l.bits) + 7) / 8);
        return;
      }
      r.Indices(y, out);
      for (int x = 0; x < w; ++x) out[x] = out[x] < r.colors() ? r.palette()[out[x]].rgbRed : 0;
      return;
    case Form::Rgb:
      r.Bgr(y, out);
      for (int x = 0; x < w; ++x) std::swap(out[x * 3], out[x * 3 + 2]);
      return;
    case Form::Rgba:
      r.Bgra(y, out);
      for (int x = 0; x < w; ++x) std::swap(out[x * 4], out[x * 4 + 2]);
      return;
    case Form::Cmyk:
      work.resize(static_cast<std::size_t>(w) * 3);
      r.Bgr(y, work.data());
      // The plain conversion with full black generation: what no ink profile knows
      // better, and what readers without one undo exactly.
      for (int x = 0; x < w; ++x) {
        const int b = work[x * 3], g = work[x * 3 + 1], rd = work[x * 3 + 2];
        const int k = 255 - std::max({rd, g, b});
        BYTE* o = out + x * 4;
        if (k == 255) {
          o[0] = o[1] = o[2] = 0;
        } else {
          o[0] = static_cast<BYTE>((255 - rd - k) * 255 / (255 - k));
          o[1] = static_cast<BYTE>((255 - g - k) * 255 / (255 - k));
          o[2] = static_cast<BYTE>((255 - b - k) * 255 / (255 - k));
        }
        o[3] = static_cast<BYTE>(k);
      }
      return;
  }
}

uint16_t CompressionTag(ZqTiffCompression c) {
  switch (c) {
    case ZqTiffCompression::None: return COMPRESSION_NONE;
    case ZqTiffCompression::CcittRle: return COMPRESSION_CCITTRLE;
    case ZqTiffCompression::Group3_1D:
    case ZqTiffCompression::Group3_2D: return COMPRESSION_CCITTFAX3;
    case ZqTiffCompression::Group4: return COMPRESSION_CCITTFAX4;
    case ZqTiffCompression::PackBits: return COMPRESSION_PACKBITS;
    case ZqTiffCompression::Lzw: return COMPRESSION_LZW;
    case ZqTiffCompression::Jpeg: return COMPRESSION_JPEG;
  }
  return COMPRESSION_NONE;
}

// page and pages number the pages this save writes; when it appends they are not the
// file's numbers, so no PageNumber tag is written then.
bool SetPageTags(TIFF* tif, const ZqRaster& r, const PageLayout& l, const ZqTiffOptions& o, int page, int pages) {
  static constexpr uint16_t kPhotometric[] = {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_PALETTE,
                                              PHOTOMETRIC_RGB,        PHOTOMETRIC_RGB,        PHOTOMETRIC_SEPARATED};
  const bool jpeg = o.compression == ZqTiffCompression::Jpeg;
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(r.width())) &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(r.height())) &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(l.bits)) &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(l.samples)) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, CompressionTag(o.compression));
  const uint16_t photometric = jpeg && l.form == Form::Rgb ? uint16_t{PHOTOMETRIC_YCBCR} : kPhotometric[static_cast<int>(l.form)];
  ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  if (l.form == Form::Rgba) {
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    ok = ok && TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (l.form == Form::Cmyk) ok = ok && TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (l.form == Form::Palette) {
    std::vector<uint16_t> red(std::size_t{1} << l.bits), green(red.size()), blue(red.size());
    for (int i = 0; i < r.colors() && i < static_cast<int>(red.size()); ++i) {
      red[i] = static_cast<uint16_t>(r.palette()[i].rgbRed * 257);
      green[i] = static_cast<uint16_t>(r.palette()[i].rgbGreen * 257);
      blue[i] = static_cast<uint16_t>(r.palette()[i].rgbBlue * 257);
    }
    ok = ok && TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  if (o.compression == ZqTiffCompression::Group3_2D) ok = ok && TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING);
  if (jpeg) {
    ok = ok && TIFFSetField(tif, TIFFTAG_JPEGQUALITY, o.quality);
    // libtiff's codec takes RGB rows and converts them to YCbCr itself.
    if (l.form == Form::Rgb) ok = ok && TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(r.width()) * static_cast<std::size_t>(l.bits * l.samples) + 7) / 8;
  uint32_t rows = o.oneStrip ? static_cast<uint32_t>(r.height())
                             : static_cast<uint32_t>(std::max<std::size_t>(1, kStripBytes / std::max<std::size_t>(rowBytes, 1)));
  // JPEG strips hold whole MCU rows (16 lines with YCbCr subsampling).
  if (jpeg && !o.oneStrip) rows = std::max<uint32_t>(16, rows / 16 * 16);
  ok = ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::min<uint32_t>(rows, static_cast<uint32_t>(r.height())));
  const LONG xdpi = r.xdpi(), ydpi = r.ydpi();
  if (xdpi > 0 && ydpi > 0)
    ok = ok && TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) && TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(xdpi)) &&
         TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(ydpi));
  if (!o.comment.empty()) ok = ok && TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, o.comment.c_str());
  if (pages > 1 || o.append) ok = ok && TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
  if (pages > 1 && !o.append)
    ok = ok && TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(page), static_cast<uint16_t>(pages));
  return ok;
}

}  // namespace

WORD ZqTiffWrite(const std::vector<ZqSaveFrame>& frames, const ZqTiffOptions& options, const std::string& path,
                 ZqProgress& progress) {
  const bool ccitt = options.compression >= ZqTiffCompression::CcittRle && options.compression <= ZqTiffCompression::Group4;
  std::uint64_t totalRows = 0;
  for (const ZqSaveFrame& f : frames) {
    if (ccitt && f.raster.bitCount() != 1) return ZQ_ERR_BAD_PARAMETER;
    totalRows += static_cast<std::uint64_t>(f.raster.height());
  }
  TiffOut out(path.c_str(), options.append ? "a" : "w");
  if (!out.tif) return ZQ_ERR_WRITE_FAILED;
  std::uint64_t done = 0;
  std::vector<BYTE> row, work;
  const int pages = static_cast<int>(frames.size());
  for (int page = 0; page < pages; ++page) {
    const ZqRaster& r = frames[static_cast<std::size_t>(page)].raster;
    const PageLayout layout = LayoutOf(r, options);
    if (!SetPageTags(out.tif, r, layout, options, page, pages)) return ZQ_ERR_WRITE_FAILED;
    row.assign(static_cast<std::size_t>(r.width()) * 4 + 8, 0);
    for (int y = 0; y < r.height(); ++y) {
      MakeRow(r, layout, y, row.data(), work);
      if (TIFFWriteScanline(out.tif, row.data(), static_cast<uint32_t>(y), 0) < 0) return ZQ_ERR_WRITE_FAILED;
      if (!progress.Step(++done, totalRows)) return ZQ_ERR_CANCELLED;
    }
    if (!TIFFWriteDirectory(out.tif)) return ZQ_ERR_WRITE_FAILED;
  }
  if (!out.Close()) return ZQ_ERR_WRITE_FAILED;
  return progress.Finish() ? WORD{ZQ_OK} : WORD{ZQ_ERR_CANCELLED};
}
