#include "zq7/Zq7File/ZqPngCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

constexpr int kBandRows = 32;
// Compressed text and profile chunks may inflate beyond the file's size; this much is
// always allowed them.
constexpr png_alloc_size_t kMinChunkBytes = png_alloc_size_t{8} << 20;

// libpng's last error message, kept so that the status tells what went wrong.
struct PngError {
  char message[128] = {};
};

void ErrorFn(png_structp png, png_const_charp message) {
  if (auto* err = static_cast<PngError*>(png_get_error_ptr(png)); err && message) {
    std::strncpy(err->message, message, sizeof err->message - 1);
  }
  png_longjmp(png, 1);
}
void WarningFn(png_structp, png_const_charp) {}

// libpng reports a failed allocation as "insufficient memory" or "out of memory"; every
// other error is about the data (a chunk longer than the file among them).
WORD StatusFromMessage(const PngError& err) {
  return std::strstr(err.message, "memory") ? ZQ_ERR_NO_MEMORY : ZQ_ERR_DAMAGED;
}

// The only place where libpng may jump to; fn and everything it calls hold plain C data
// only, so the jump skips no destructor.
bool PngGuard(png_structp png, void (*fn)(void*), void* context) {
  if (setjmp(png_jmpbuf(png))) return false;
  fn(context);
  return true;
}

// One read structure with its info structure.
class PngReader {
 public:
  PngReader() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &err, ErrorFn, WarningFn);
    if (png) info = png_create_info_struct(png);
  }
  ~PngReader() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  PngError err;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

struct ReadCall {
  png_structp png;
  png_infop info;
  std::FILE* file;
  png_alloc_size_t chunkLimit;
  png_bytepp rows;
  png_uint_32 count;
};

void ReadInfo(void* p) {
  auto* c = static_cast<ReadCall*>(p);
  png_init_io(c->png, c->file);
  // Dimensions are checked against the engine's caps after the header, not by libpng.
  png_set_user_limits(c->png, 0x7fffffff, 0x7fffffff);
  // A chunk cannot be longer than the file that holds it: a header claiming gigabytes
  // (an sPLT of 0x7FFFFFFF bytes) is refused before libpng allocates for it.
  png_set_chunk_malloc_max(c->png, c->chunkLimit);
  png_read_info(c->png, c->info);
}

void UpdateInfo(void* p) {
  auto* c = static_cast<ReadCall*>(p);
  png_read_update_info(c->png, c->info);
}

void ReadRows(void* p) {
  auto* c = static_cast<ReadCall*>(p);
  png_read_rows(c->png, c->rows, nullptr, c->count);
}

// The transformations that give the DIB layout; returns the DIB's bit count.
unsigned ChooseLayout(png_structp png, png_infop info) {
  const int type = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (depth == 16) png_set_scale_16(png);
  if (type == PNG_COLOR_TYPE_PALETTE || (type == PNG_COLOR_TYPE_GRAY && !trns)) {
    if (type == PNG_COLOR_TYPE_PALETTE && trns) {
      png_set_palette_to_rgb(png);
      png_set_tRNS_to_alpha(png);
      png_set_bgr(png);
      return 32;
    }
    if (depth == 2) {
      // DIBs have no 2-bit layout: palette indices widen to bytes, grey levels to 0..255.
      if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_packing(png);
      else
        png_set_expand_gray_1_2_4_to_8(png);
      return 8;
    }
    return depth == 16 ? 8u : static_cast<unsigned>(depth);
  }
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  png_set_bgr(png);
  if (trns) png_set_tRNS_to_alpha(png);
  return (trns || (type & PNG_COLOR_MASK_ALPHA)) ? 32u : 24u;
}

void FillPalette(ZqDibBuilder& dib, png_structp png, png_infop info) {
  if (png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE) {
    dib.SetGreyPalette(false);
    return;
  }
  png_colorp colors = nullptr;
  int count = 0;
  if (!png_get_PLTE(png, info, &colors, &count)) return;
  for (int i = 0; i < count && i < static_cast<int>(dib.colors()); ++i)
    dib.Palette()[i] = RGBQUAD{colors[i].blue, colors[i].green, colors[i].red, 0};
}

}  // namespace

WORD ZqPngDecode(ZqFile& file, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  std::FILE* stream = file.Stream();
  if (!stream) return ZQ_ERR_NO_MEMORY;
  PngReader r;
  if (!r.png || !r.info) return ZQ_ERR_NO_MEMORY;
  const png_alloc_size_t limit = std::max<png_alloc_size_t>(static_cast<png_alloc_size_t>(file.size()), kMinChunkBytes);
  ReadCall call{r.png, r.info, stream, limit, nullptr, 0};
  if (!PngGuard(r.png, ReadInfo, &call)) return StatusFromMessage(r.err);

  const png_uint_32 width = png_get_image_width(r.png, r.info);
  const png_uint_32 height = png_get_image_height(r.png, r.info);
  const unsigned bits = ChooseLayout(r.png, r.info);
  const unsigned colors = bits <= 8 ? (1u << bits) : 0u;
  if (const WORD s = ZqDibBuilder::CheckSize(width, height, bits, colors); s != ZQ_OK) return s;
  const int passes = png_set_interlace_handling(r.png);
  if (!PngGuard(r.png, UpdateInfo, &call)) return StatusFromMessage(r.err);

  ZqDibBuilder dib;
  if (const WORD s = dib.Create(width, height, bits, colors); s != ZQ_OK) return s;
  // The transformations must give exactly the rows the DIB holds.
  if (png_get_rowbytes(r.png, r.info) != (std::uint64_t{width} * bits + 7) / 8) return ZQ_ERR_UNSUPPORTED;
  if (colors) FillPalette(dib, r.png, r.info);

  // Interlaced images are read pass by pass into the same rows; libpng places each
  // pass's pixels into the full row.
  png_bytep rows[kBandRows];
  const std::uint64_t total = std::uint64_t{height} * static_cast<unsigned>(passes);
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height;) {
      const png_uint_32 count = std::min<png_uint_32>(kBandRows, height - y);
      for (png_uint_32 i = 0; i < count; ++i) rows[i] = dib.Row(y + i);
      call.rows = rows;
      call.count = count;
      if (!PngGuard(r.png, ReadRows, &call)) return StatusFromMessage(r.err);
      y += count;
      if (!progress.Step(std::uint64_t{height} * static_cast<unsigned>(pass) + y, total)) return ZQ_ERR_CANCELLED;
    }
  }
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}
