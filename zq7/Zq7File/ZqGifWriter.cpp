#include "zq7/Zq7File/ZqGifWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <gif_lib.h>
#include <libimagequant.h>

#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"

namespace {

// Comment extensions are cut into sub-blocks of 255 bytes; this many at most.
constexpr std::size_t kMaxComment = 255 * 255;
constexpr char kLoopApplication[] = "NETSCAPE2.0";

// One frame as GIF wants it: indices row by row from the top, and its colour table.
struct IndexedFrame {
  int width = 0, height = 0;
  std::vector<GifColorType> colors;
  std::vector<GifByteType> pixels;
  int transparent = -1;
  DWORD delay = 0;
};

int ReadStream(GifFileType* gif, GifByteType* buffer, int n) {
  return static_cast<int>(std::fread(buffer, 1, static_cast<std::size_t>(n), static_cast<std::FILE*>(gif->UserData)));
}

struct GifReaderCloser {
  void operator()(GifFileType* g) const { DGifCloseFile(g, nullptr); }
};
struct GifWriterCloser {
  void operator()(GifFileType* g) const { EGifCloseFile(g, nullptr); }
};
struct LiqAttr {
  void operator()(liq_attr* a) const { liq_attr_destroy(a); }
};
struct LiqImage {
  void operator()(liq_image* i) const { liq_image_destroy(i); }
};
struct LiqResult {
  void operator()(liq_result* r) const { liq_result_destroy(r); }
};

int NearestEntry(const std::vector<GifColorType>& colors, RGBQUAD c) {
  int best = 0;
  long bestDistance = -1;
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const long dr = colors[i].Red - c.rgbRed, dg = colors[i].Green - c.rgbGreen, db = colors[i].Blue - c.rgbBlue;
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) best = static_cast<int>(i), bestDistance = d;
  }
  return best;
}

WORD Quantise(const ZqRaster& r, IndexedFrame* out) {
  const std::size_t w = static_cast<std::size_t>(r.width()), h = static_cast<std::size_t>(r.height());
  std::vector<BYTE> rgba(w * h * 4);
  for (int y = 0; y < r.height(); ++y) {
    BYTE* row = rgba.data() + static_cast<std::size_t>(y) * w * 4;
    r.Bgra(y, row);
    for (std::size_t x = 0; x < w; ++x) std::swap(row[x * 4], row[x * 4 + 2]);
  }
  std::unique_ptr<liq_attr, LiqAttr> attr(liq_attr_create());
  if (!attr) return ZQ_ERR_NO_MEMORY;
  std::unique_ptr<liq_image, LiqImage> image(liq_image_create_rgba(attr.get(), rgba.data(), r.width(), r.height(), 0));
  if (!image) return ZQ_ERR_NO_MEMORY;
  liq_result* raw = nullptr;
  if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK) return ZQ_ERR_NO_MEMORY;
  std::unique_ptr<liq_result, LiqResult> result(raw);
  out->pixels.resize(w * h);
  if (liq_write_remapped_image(result.get(), image.get(), out->pixels.data(), out->pixels.size()) != LIQ_OK)
    return ZQ_ERR_NO_MEMORY;
  const liq_palette* palette = liq_get_palette(result.get());
  int transparent = -1;
  for (unsigned i = 0; i < palette->count; ++i) {
    const liq_color c = palette->entries[i];
    out->colors.push_back({c.r, c.g, c.b});
    if (c.a < 128 && transparent < 0) transparent = static_cast<int>(i);
  }
  if (transparent >= 0) {
    // Every entry that is mostly transparent becomes the one transparent entry.
    for (GifByteType& p : out->pixels)
      if (palette->entries[p].a < 128) p = static_cast<GifByteType>(transparent);
    out->transparent = transparent;
  }
  return ZQ_OK;
}

WORD ToIndexed(const ZqRaster& r, IndexedFrame* out) {
  out->width = r.width();
  out->height = r.height();
  if (r.bitCount() > 8) return Quantise(r, out);
  for (int i = 0; i < r.colors(); ++i) out->colors.push_back({r.palette()[i].rgbRed, r.palette()[i].rgbGreen, r.palette()[i].rgbBlue});
  if (out->colors.empty()) out->colors.push_back({0, 0, 0});
  out->pixels.resize(static_cast<std::size_t>(r.width()) * static_cast<std::size_t>(r.height()));
  for (int y = 0; y < r.height(); ++y) r.Indices(y, out->pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(r.width()));
  // Indices past a short table would be undefined colours; they show the last entry.
  const auto last = static_cast<GifByteType>(out->colors.size() - 1);
  for (GifByteType& p : out->pixels) p = std::min(p, last);
  return ZQ_OK;
}

// A giflib colour map of at least colours' size, rounded up to a power of two.
struct MapFree {
  void operator()(ColorMapObject* m) const { GifFreeMapObject(m); }
};
std::unique_ptr<ColorMapObject, MapFree> MakeMap(const std::vector<GifColorType>& colors) {
  int size = 2;
  while (size < static_cast<int>(colors.size())) size *= 2;
  std::vector<GifColorType> padded(colors);
  padded.resize(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
  return std::unique_ptr<ColorMapObject, MapFree>(GifMakeMapObject(size, padded.data()));
}

bool SameColors(const ColorMapObject* map, const std::vector<GifColorType>& colors) {
  if (!map || static_cast<int>(colors.size()) > map->ColorCount) return false;
  for (std::size_t i = 0; i < colors.size(); ++i)
    if (std::memcmp(&map->Colors[i], &colors[i], sizeof(GifColorType)) != 0) return false;
  return true;
}

bool PutGraphicControl(GifFileType* gif, DWORD delay, int transparent) {
  GraphicsControlBlock gcb{};
  gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
  gcb.DelayTime = static_cast<int>(std::min<DWORD>(delay, 0xFFFF));
  gcb.TransparentColor = transparent;
  GifByteType bytes[4];
  const std::size_t n = EGifGCBToExtension(&gcb, bytes);
  return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), bytes) == GIF_OK;
}

bool PutLoop(GifFileType* gif) {
  const GifByteType loop[3] = {1, 0, 0};  // sub-block 1: loop count 0, for ever
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, kLoopApplication) == GIF_OK && EGifPutExtensionBlock(gif, 3, loop) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool PutComment(GifFileType* gif, const std::string& comment) {
  if (EGifPutExtensionLeader(gif, COMMENT_EXT_FUNC_CODE) != GIF_OK) return false;
  for (std::size_t at = 0; at < comment.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, comment.size() - at);
    if (EGifPutExtensionBlock(gif, static_cast<int>(n), comment.data() + at) != GIF_OK) return false;
  }
  return EGifPutExtensionTrailer(gif) == GIF_OK;
}

// Rows of an image in the order they are stored: the four interlace passes, or top down.
std::vector<int> RowOrder(int height, bool interlace) {
  std::vector<int> order;
  if (!interlace) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

bool PutImage(GifFileType* gif, int left, int top, int width, int height, bool interlace, const ColorMapObject* local,
              const GifByteType* pixels, ZqProgress* progress, std::uint64_t* done, std::uint64_t total) {
  if (EGifPutImageDesc(gif, left, top, width, height, interlace, local) != GIF_OK) return false;
  for (const int y : RowOrder(height, interlace)) {
    if (EGifPutLine(gif, const_cast<GifByteType*>(pixels) + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    width) != GIF_OK)
      return false;
    if (progress && !progress->Step(++*done, total)) return false;
  }
  return true;
}

bool IsLoopExtension(const ExtensionBlock& e) {
  return e.Function == APPLICATION_EXT_FUNC_CODE && e.ByteCount == 11 && std::memcmp(e.Bytes, kLoopApplication, 11) == 0;
}

// Rewrites the frames of an existing GIF as they are, with their own extensions, except
// the loop extension, which the new file carries once at its start. Sub-blocks that
// follow an extension's first block (continuations) are written back under it.
bool CopyFrames(GifFileType* in, GifFileType* out) {
  for (int i = 0; i < in->ImageCount; ++i) {
    const SavedImage& s = in->SavedImages[i];
    for (int e = 0; e < s.ExtensionBlockCount; ++e) {
      const ExtensionBlock& b = s.ExtensionBlocks[e];
      if (b.Function == CONTINUE_EXT_FUNC_CODE) continue;
      const bool loop = IsLoopExtension(b);
      if (!loop && EGifPutExtensionLeader(out, b.Function) != GIF_OK) return false;
      if (!loop && EGifPutExtensionBlock(out, b.ByteCount, b.Bytes) != GIF_OK) return false;
      int next = e + 1;
      for (; next < s.ExtensionBlockCount && s.ExtensionBlocks[next].Function == CONTINUE_EXT_FUNC_CODE; ++next)
        if (!loop && EGifPutExtensionBlock(out, s.ExtensionBlocks[next].ByteCount, s.ExtensionBlocks[next].Bytes) != GIF_OK)
          return false;
      if (!loop && EGifPutExtensionTrailer(out) != GIF_OK) return false;
      e = next - 1;
    }
    const GifImageDesc& d = s.ImageDesc;
    std::uint64_t none = 0;
    if (!PutImage(out, d.Left, d.Top, d.Width, d.Height, d.Interlace, d.ColorMap, s.RasterBits, nullptr, &none, 0))
      return false;
  }
  return true;
}

}  // namespace

WORD ZqGifWrite(const std::vector<ZqSaveFrame>& frames, const ZqGifOptions& options, const std::string& path,
                ZqProgress& progress) {
  const std::size_t count = options.animation ? frames.size() : 1;
  std::vector<IndexedFrame> indexed(count);
  std::uint64_t totalRows = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const ZqRaster& r = frames[i].raster;
    if (r.width() > 0xFFFF || r.height() > 0xFFFF) return ZQ_ERR_TOO_LARGE;
    if (const WORD s = ToIndexed(r, &indexed[i]); s != ZQ_OK) return s;
    if (indexed[i].transparent < 0 && options.transparent)
      indexed[i].transparent = NearestEntry(indexed[i].colors, *options.transparent);
    indexed[i].delay = options.delay ? options.delay : frames[i].delay;
    totalRows += static_cast<std::uint64_t>(r.height());
  }

  std::unique_ptr<ZqFile> existingFile;
  std::unique_ptr<GifFileType, GifReaderCloser> existing;
  if (options.animation && !options.existing.empty()) {
    int error = 0;
    existingFile = ZqFile::OpenRead(options.existing.c_str());
    std::FILE* stream = existingFile ? existingFile->Stream() : nullptr;
    existing.reset(stream ? DGifOpen(stream, ReadStream, &error) : nullptr);
    if (!existing) return ZQ_ERR_UNSUPPORTED;
    if (std::uint64_t{static_cast<std::uint32_t>(existing->SWidth)} * static_cast<std::uint32_t>(existing->SHeight) >
        kZqMaxPixels)
      return ZQ_ERR_TOO_LARGE;
    if (DGifSlurp(existing.get()) != GIF_OK) return ZQ_ERR_UNSUPPORTED;
  }

  int screenWidth = indexed.front().width, screenHeight = indexed.front().height;
  if (existing) {
    screenWidth = std::max(screenWidth, existing->SWidth);
    screenHeight = std::max(screenHeight, existing->SHeight);
  }
  // The existing file's global table stays global; a new file takes its first frame's.
  std::unique_ptr<ColorMapObject, MapFree> global;
  if (!existing)
    global = MakeMap(indexed.front().colors);
  else if (const ColorMapObject* m = existing->SColorMap)
    global = MakeMap(std::vector<GifColorType>(m->Colors, m->Colors + m->ColorCount));
  if (!existing && !global) return ZQ_ERR_NO_MEMORY;

  int error = 0;
  std::unique_ptr<GifFileType, GifWriterCloser> gif(EGifOpenFileName(path.c_str(), false, &error));
  if (!gif) return ZQ_ERR_WRITE_FAILED;
  const bool extensions = options.animation || !options.comment.empty() || existing ||
                          std::any_of(indexed.begin(), indexed.end(), [](const IndexedFrame& f) { return f.transparent >= 0; });
  EGifSetGifVersion(gif.get(), extensions);
  const int background = existing ? existing->SBackGroundColor : 0;
  const int resolution = global ? std::max(1, global->BitsPerPixel) : 8;
  if (EGifPutScreenDesc(gif.get(), screenWidth, screenHeight, resolution, background, global.get()) != GIF_OK)
    return ZQ_ERR_WRITE_FAILED;
  if (options.animation && !PutLoop(gif.get())) return ZQ_ERR_WRITE_FAILED;
  if (existing && !CopyFrames(existing.get(), gif.get())) return ZQ_ERR_WRITE_FAILED;
  if (!options.comment.empty() && !PutComment(gif.get(), options.comment.substr(0, kMaxComment)))
    return ZQ_ERR_WRITE_FAILED;

  std::uint64_t done = 0;
  for (const IndexedFrame& f : indexed) {
    if ((options.animation || f.transparent >= 0) && !PutGraphicControl(gif.get(), f.delay, f.transparent))
      return ZQ_ERR_WRITE_FAILED;
    std::unique_ptr<ColorMapObject, MapFree> local;
    if (!SameColors(global.get(), f.colors) && !(local = MakeMap(f.colors))) return ZQ_ERR_NO_MEMORY;
    if (!PutImage(gif.get(), 0, 0, f.width, f.height, options.interlace, local.get(), f.pixels.data(), &progress, &done,
                  totalRows))
      return progress.cancelled() ? ZQ_ERR_CANCELLED : ZQ_ERR_WRITE_FAILED;
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) != GIF_OK) return ZQ_ERR_WRITE_FAILED;
  return progress.Finish() ? WORD{ZQ_OK} : WORD{ZQ_ERR_CANCELLED};
}
