#include "zq7/Zq7File/ZqPngWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <png.h>
#include <zlib.h>

#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"

namespace {

// Longest tEXt value written; a longer comment is cut (at a character boundary).
constexpr std::size_t kMaxComment = 65000;
// Largest fdAT chunk of an animation frame.
constexpr std::size_t kMaxChunkData = 1 << 20;

enum class Kind { Grey, Palette, Rgb, Rgba };

struct Layout {
  Kind kind = Kind::Rgb;
  int depth = 8;
  int channels() const { return kind == Kind::Rgb ? 3 : kind == Kind::Rgba ? 4 : 1; }
  std::size_t RowBytes(int width) const {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(channels() * depth) + 7) / 8;
  }
};

// The even grey ramp of the image's depth, which a grey PNG of that depth stands for.
bool GreyRamp(const ZqRaster& r) {
  const int n = 1 << r.bitCount();
  if (r.bitCount() > 8 || r.colors() != n) return false;
  for (int i = 0; i < n; ++i) {
    const int level = i * 255 / (n - 1);
    const RGBQUAD q = r.palette()[i];
    if (q.rgbRed != level || q.rgbGreen != level || q.rgbBlue != level) return false;
  }
  return true;
}

Layout LayoutOf(const ZqRaster& r) {
  if (r.bitCount() <= 8) return {GreyRamp(r) ? Kind::Grey : Kind::Palette, r.bitCount()};
  return {r.Alpha() ? Kind::Rgba : Kind::Rgb, 8};
}

bool SameTable(const ZqRaster& a, const ZqRaster& b) {
  return a.bitCount() == b.bitCount() && a.colors() == b.colors() &&
         std::memcmp(a.palette(), b.palette(), sizeof(RGBQUAD) * static_cast<std::size_t>(a.colors())) == 0;
}

// One layout for every frame: the first frame's own when the others share its table,
// else full colour (with alpha when any frame has it).
Layout CommonLayout(const std::vector<ZqSaveFrame>& frames) {
  const Layout first = LayoutOf(frames.front().raster);
  bool same = true, alpha = false;
  for (const ZqSaveFrame& f : frames) {
    same = same && (first.kind == Kind::Rgb || first.kind == Kind::Rgba ? f.raster.bitCount() > 8
                                                                          : SameTable(f.raster, frames.front().raster));
    alpha = alpha || f.raster.Alpha();
  }
  if (same && (first.kind != Kind::Rgb || !alpha)) return first;
  return {alpha ? Kind::Rgba : Kind::Rgb, 8};
}

// Row y of a frame in the PNG's own byte order.
void MakeRow(const ZqRaster& r, const Layout& layout, int y, BYTE* out) {
  const int w = r.width();
  switch (layout.kind) {
    case Kind::Grey:
    case Kind::Palette:
      // Packed DIB rows of 1, 4 and 8 bits are PNG rows as they stand (first pixel in the
      // high bits).
      std::memcpy(out, r.Row(y), layout.RowBytes(w));
      return;
    case Kind::Rgb:
      r.Bgr(y, out);
      for (int x = 0; x < w; ++x) std::swap(out[x * 3], out[x * 3 + 2]);
      return;
    case Kind::Rgba:
      r.Bgra(y, out);
      for (int x = 0; x < w; ++x) std::swap(out[x * 4], out[x * 4 + 2]);
      return;
  }
}

int NearestEntry(const ZqRaster& r, RGBQUAD c) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < r.colors(); ++i) {
    const RGBQUAD q = r.palette()[i];
    const long d = (q.rgbRed - c.rgbRed) * (q.rgbRed - c.rgbRed) + (q.rgbGreen - c.rgbGreen) * (q.rgbGreen - c.rgbGreen) +
                   (q.rgbBlue - c.rgbBlue) * (q.rgbBlue - c.rgbBlue);
    if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

void ErrorFn(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void WarningFn(png_structp, png_const_charp) {}

// The only place where libpng may jump to while writing; fn and everything it calls
// hold plain C data only, so the jump skips no destructor.
bool PngGuard(png_structp png, void (*fn)(void*), void* context) {
  if (setjmp(png_jmpbuf(png))) return false;
  fn(context);
  return true;
}

class PngWriter {
 public:
  PngWriter() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
    if (png) info = png_create_info_struct(png);
  }
  ~PngWriter() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  }
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;

  png_structp png = nullptr;
  png_infop info = nullptr;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// What the guarded steps work on: plain C data only.
struct WriteCall {
  png_structp png;
  png_infop info;
  std::FILE* file;
  png_uint_32 width, height;
  int colorType, depth, interlace;
  const png_color* palette;
  int paletteSize;
  const png_byte* trnsAlpha;
  int trnsCount;
  const png_color_16* trnsColor;
  png_uint_32 xppm, yppm;
  png_text* text;
  int passes;
  png_const_bytep row;
  const char* chunkName;
  const png_byte* chunk;
  std::size_t chunkBytes;
};

void Begin(void* p) {
  auto* c = static_cast<WriteCall*>(p);
  png_init_io(c->png, c->file);
  png_set_IHDR(c->png, c->info, c->width, c->height, c->depth, c->colorType, c->interlace, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (c->palette) png_set_PLTE(c->png, c->info, c->palette, c->paletteSize);
  if (c->trnsAlpha || c->trnsColor) png_set_tRNS(c->png, c->info, c->trnsAlpha, c->trnsCount, c->trnsColor);
  if (c->xppm && c->yppm) png_set_pHYs(c->png, c->info, c->xppm, c->yppm, PNG_RESOLUTION_METER);
  if (c->text) png_set_text(c->png, c->info, c->text, 1);
  png_write_info(c->png, c->info);
  c->passes = png_set_interlace_handling(c->png);
}

void WriteRow(void* p) {
  auto* c = static_cast<WriteCall*>(p);
  png_write_row(c->png, c->row);
}

void WriteChunk(void* p) {
  auto* c = static_cast<WriteCall*>(p);
  png_write_chunk(c->png, reinterpret_cast<png_const_bytep>(c->chunkName), c->chunk, c->chunkBytes);
}

void End(void* p) {
  auto* c = static_cast<WriteCall*>(p);
  png_write_end(c->png, nullptr);
}

void Put32(std::vector<BYTE>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<BYTE>(v >> shift));
}

// An fcTL chunk's data: the frame shown whole at the top left for its delay.
std::vector<BYTE> FrameControl(std::uint32_t sequence, const ZqSaveFrame& frame) {
  std::vector<BYTE> d;
  Put32(d, sequence);
  Put32(d, static_cast<std::uint32_t>(frame.raster.width()));
  Put32(d, static_cast<std::uint32_t>(frame.raster.height()));
  Put32(d, 0);
  Put32(d, 0);
  const DWORD delay = std::min<DWORD>(frame.delay, 0xFFFF);
  d.insert(d.end(), {BYTE(delay >> 8), BYTE(delay), 0, 100, 0 /* dispose none */, 0 /* blend source */});
  return d;
}

// Cuts text to at most max bytes without splitting a UTF-8 character.
std::string CutText(const std::string& text, std::size_t max) {
  if (text.size() <= max) return text;
  std::size_t n = max;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

// The rows of one further frame, each behind filter type 0, deflated as one stream.
class FrameDeflater {
 public:
  FrameDeflater() : ok_(deflateInit(&z_, Z_DEFAULT_COMPRESSION) == Z_OK) {}
  ~FrameDeflater() {
    if (ok_) deflateEnd(&z_);
  }
  FrameDeflater(const FrameDeflater&) = delete;
  FrameDeflater& operator=(const FrameDeflater&) = delete;

  bool ok() const { return ok_; }
  // Adds one filtered row (or, with finish, ends the stream); the output grows.
  bool Add(const BYTE* data, std::size_t bytes, bool finish, std::vector<BYTE>& out) {
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = static_cast<uInt>(bytes);
    for (;;) {
      BYTE buffer[1 << 15];
      z_.next_out = buffer;
      z_.avail_out = sizeof buffer;
      const int r = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
      if (r == Z_STREAM_ERROR) return false;
      out.insert(out.end(), buffer, buffer + (sizeof buffer - z_.avail_out));
      if (finish ? r == Z_STREAM_END : z_.avail_in == 0 && z_.avail_out != 0) return true;
    }
  }

 private:
  z_stream z_{};
  bool ok_;
};

}  // namespace

WORD ZqPngWrite(const std::vector<ZqSaveFrame>& frames, const ZqPngOptions& options, const std::string& path,
                ZqProgress& progress) {
  const ZqRaster& first = frames.front().raster;
  const bool animated = frames.size() > 1;
  for (const ZqSaveFrame& f : frames)
    if (f.raster.width() > first.width() || f.raster.height() > first.height()) return ZQ_ERR_UNSUPPORTED;
  const Layout layout = animated ? CommonLayout(frames) : LayoutOf(first);

  std::vector<png_color> palette;
  std::vector<png_byte> trnsAlpha;
  png_color_16 trnsColor{};
  bool haveTrnsColor = false;
  if (layout.kind == Kind::Palette)
    for (int i = 0; i < first.colors(); ++i)
      palette.push_back({first.palette()[i].rgbRed, first.palette()[i].rgbGreen, first.palette()[i].rgbBlue});
  if (options.transparent) {
    const RGBQUAD t = *options.transparent;
    if (layout.kind == Kind::Palette) {
      const int index = NearestEntry(first, t);
      trnsAlpha.assign(static_cast<std::size_t>(index) + 1, 255);
      trnsAlpha[static_cast<std::size_t>(index)] = 0;
    } else if (layout.kind == Kind::Grey) {
      trnsColor.gray = static_cast<png_uint_16>(NearestEntry(first, t));
      haveTrnsColor = true;
    } else if (layout.kind == Kind::Rgb) {
      trnsColor.red = t.rgbRed, trnsColor.green = t.rgbGreen, trnsColor.blue = t.rgbBlue;
      haveTrnsColor = true;
    }
  }
  const std::string comment = CutText(options.comment, kMaxComment);
  png_text text{};
  text.compression = PNG_TEXT_COMPRESSION_NONE;
  text.key = const_cast<png_charp>("Comment");
  text.text = const_cast<png_charp>(comment.c_str());
  text.text_length = comment.size();

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return ZQ_ERR_WRITE_FAILED;
  PngWriter w;
  if (!w.png || !w.info) return ZQ_ERR_NO_MEMORY;
  static constexpr int kColorTypes[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_PALETTE, PNG_COLOR_TYPE_RGB,
                                        PNG_COLOR_TYPE_RGB_ALPHA};
  WriteCall call{};
  call.png = w.png;
  call.info = w.info;
  call.file = file.get();
  call.width = static_cast<png_uint_32>(first.width());
  call.height = static_cast<png_uint_32>(first.height());
  call.colorType = kColorTypes[static_cast<int>(layout.kind)];
  call.depth = layout.depth;
  call.interlace = options.interlace && !animated ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE;
  call.palette = palette.empty() ? nullptr : palette.data();
  call.paletteSize = static_cast<int>(palette.size());
  call.trnsAlpha = trnsAlpha.empty() ? nullptr : trnsAlpha.data();
  call.trnsCount = static_cast<int>(trnsAlpha.size());
  call.trnsColor = haveTrnsColor ? &trnsColor : nullptr;
  call.xppm = static_cast<png_uint_32>(std::max<LONG>(first.xppm(), 0));
  call.yppm = static_cast<png_uint_32>(std::max<LONG>(first.yppm(), 0));
  call.text = comment.empty() ? nullptr : &text;
  if (!PngGuard(w.png, Begin, &call)) return ZQ_ERR_WRITE_FAILED;

  std::uint64_t totalRows = static_cast<std::uint64_t>(first.height()) * static_cast<std::uint64_t>(call.passes), rowsDone = 0;
  for (std::size_t i = 1; i < frames.size(); ++i) totalRows += static_cast<std::uint64_t>(frames[i].raster.height());
  auto chunk = [&](const char* name, const std::vector<BYTE>& data) {
    call.chunkName = name;
    call.chunk = data.data();
    call.chunkBytes = data.size();
    return PngGuard(w.png, WriteChunk, &call);
  };
  std::uint32_t sequence = 0;
  if (animated) {
    std::vector<BYTE> actl;
    Put32(actl, static_cast<std::uint32_t>(frames.size()));
    Put32(actl, 0);  // loops for ever
    if (!chunk("acTL", actl) || !chunk("fcTL", FrameControl(sequence++, frames.front()))) return ZQ_ERR_WRITE_FAILED;
  }

  std::vector<BYTE> row(layout.RowBytes(first.width()));
  for (int pass = 0; pass < call.passes; ++pass)
    for (int y = 0; y < first.height(); ++y) {
      MakeRow(first, layout, y, row.data());
      call.row = row.data();
      if (!PngGuard(w.png, WriteRow, &call)) return ZQ_ERR_WRITE_FAILED;
      if (!progress.Step(++rowsDone, totalRows)) return ZQ_ERR_CANCELLED;
    }

  for (std::size_t i = 1; i < frames.size(); ++i) {
    const ZqRaster& r = frames[i].raster;
    if (!chunk("fcTL", FrameControl(sequence++, frames[i]))) return ZQ_ERR_WRITE_FAILED;
    FrameDeflater deflater;
    if (!deflater.ok()) return ZQ_ERR_NO_MEMORY;
    std::vector<BYTE> stream;
    std::vector<BYTE> filtered(layout.RowBytes(r.width()) + 1);
    for (int y = 0; y < r.height(); ++y) {
      filtered[0] = 0;  // filter type None
      MakeRow(r, layout, y, filtered.data() + 1);
      if (!deflater.Add(filtered.data(), filtered.size(), false, stream)) return ZQ_ERR_WRITE_FAILED;
      if (!progress.Step(++rowsDone, totalRows)) return ZQ_ERR_CANCELLED;
    }
    if (!deflater.Add(nullptr, 0, true, stream)) return ZQ_ERR_WRITE_FAILED;
    for (std::size_t at = 0; at < stream.size(); at += kMaxChunkData) {
      std::vector<BYTE> fdat;
      Put32(fdat, sequence++);
      const std::size_t n = std::min(kMaxChunkData, stream.size() - at);
      fdat.insert(fdat.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                  stream.begin() + static_cast<std::ptrdiff_t>(at + n));
      if (!chunk("fdAT", fdat)) return ZQ_ERR_WRITE_FAILED;
    }
  }
  if (!PngGuard(w.png, End, &call)) return ZQ_ERR_WRITE_FAILED;
  if (std::fflush(file.get()) != 0 || std::ferror(file.get())) return ZQ_ERR_WRITE_FAILED;
  if (std::fclose(file.release()) != 0) return ZQ_ERR_WRITE_FAILED;
  return progress.Finish() ? WORD{ZQ_OK} : WORD{ZQ_ERR_CANCELLED};
}
