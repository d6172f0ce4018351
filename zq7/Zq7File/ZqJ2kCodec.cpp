#include "zq7/Zq7File/ZqJ2kCodec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include <openjpeg.h>

#include "zq7/Zq7Com/ZqDibBuilder.h"
#include "zq7/Zq7File/ZqFile.h"
#include "zq7/Zq7File/ZqProgress.h"

namespace {

// openjpeg keeps every component as 32-bit integers while it decodes.
constexpr std::uint64_t kMaxWorkingBytes = std::uint64_t{2} << 30;

struct StreamFree {
  void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct CodecFree {
  void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct ImageFree {
  void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};

void Quiet(const char*, void*) {}

// openjpeg reads through these from the file's stream, which stays the file's, as its
// own file stream does from a file it opens itself.
OPJ_SIZE_T ReadStream(void* buffer, OPJ_SIZE_T n, void* user) {
  const std::size_t got = std::fread(buffer, 1, n, static_cast<std::FILE*>(user));
  return got ? got : static_cast<OPJ_SIZE_T>(-1);
}
OPJ_OFF_T SkipStream(OPJ_OFF_T n, void* user) {
  return std::fseek(static_cast<std::FILE*>(user), n, SEEK_CUR) == 0 ? n : -1;
}
OPJ_BOOL SeekStream(OPJ_OFF_T at, void* user) {
  return std::fseek(static_cast<std::FILE*>(user), at, SEEK_SET) == 0 ? OPJ_TRUE : OPJ_FALSE;
}

// A read stream over the file; null when it cannot be made.
opj_stream_t* OpenStream(ZqFile& file) {
  std::FILE* f = file.Stream();
  if (!f) return nullptr;
  opj_stream_t* s = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
  if (!s) return nullptr;
  opj_stream_set_user_data(s, f, nullptr);
  opj_stream_set_user_data_length(s, file.size());
  opj_stream_set_read_function(s, ReadStream);
  opj_stream_set_skip_function(s, SkipStream);
  opj_stream_set_seek_function(s, SeekStream);
  return s;
}

// One component's samples, read at full-grid coordinates and scaled to 0..255.
class Plane {
 public:
  explicit Plane(const opj_image_comp_t& c)
      : c_(c),
        offset_(c.sgnd && c.prec > 0 ? std::int64_t{1} << (c.prec - 1) : 0),
        max_((std::int64_t{1} << std::min<OPJ_UINT32>(c.prec, 31)) - 1) {}
  int At(std::uint32_t x, std::uint32_t y) const {
    const std::uint32_t cx = std::min<std::uint32_t>(x / std::max<OPJ_UINT32>(c_.dx, 1), c_.w - 1);
    const std::uint32_t cy = std::min<std::uint32_t>(y / std::max<OPJ_UINT32>(c_.dy, 1), c_.h - 1);
    const std::int64_t v = std::clamp<std::int64_t>(std::int64_t{c_.data[std::uint64_t{cy} * c_.w + cx]} + offset_, 0, max_);
    return max_ <= 0 ? 0 : static_cast<int>((v * 255 + max_ / 2) / max_);
  }

 private:
  const opj_image_comp_t& c_;
  std::int64_t offset_;
  std::int64_t max_;
};

BYTE Clamp(double v) { return static_cast<BYTE>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

WORD ZqJ2kDecode(ZqFile& file, bool codestream, ZqProgress& progress, HGLOBAL* out) {
  *out = 0;
  std::unique_ptr<opj_stream_t, StreamFree> stream(OpenStream(file));
  if (!stream) return ZQ_ERR_NO_MEMORY;
  std::unique_ptr<opj_codec_t, CodecFree> codec(opj_create_decompress(codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2));
  if (!codec) return ZQ_ERR_NO_MEMORY;
  opj_set_error_handler(codec.get(), Quiet, nullptr);
  opj_set_warning_handler(codec.get(), Quiet, nullptr);
  opj_set_info_handler(codec.get(), Quiet, nullptr);
  opj_dparameters_t params;
  opj_set_default_decoder_parameters(&params);
  if (!opj_setup_decoder(codec.get(), &params)) return ZQ_ERR_DAMAGED;

  opj_image_t* raw = nullptr;
  const bool header = opj_read_header(stream.get(), codec.get(), &raw);
  std::unique_ptr<opj_image_t, ImageFree> image(raw);
  if (!header || !image || image->numcomps == 0 || !image->comps) return ZQ_ERR_DAMAGED;
  if (image->x1 <= image->x0 || image->y1 <= image->y0) return ZQ_ERR_DAMAGED;
  const std::uint64_t width = image->x1 - image->x0;
  const std::uint64_t height = image->y1 - image->y0;
  const unsigned numcomps = image->numcomps;
  const bool alpha = numcomps == 2 || (numcomps >= 4 && image->color_space != OPJ_CLRSPC_CMYK);
  const unsigned bits = numcomps <= 2 ? (alpha ? 32u : 8u) : (alpha ? 32u : 24u);
  if (const WORD s = ZqDibBuilder::CheckSize(width, height, bits, bits == 8 ? 256 : 0); s != ZQ_OK) return s;
  std::uint64_t working = 0;
  for (unsigned i = 0; i < numcomps; ++i) {
    const opj_image_comp_t& c = image->comps[i];
    if (c.dx == 0 || c.dy == 0) return ZQ_ERR_DAMAGED;
    working += (width / c.dx + 1) * (height / c.dy + 1) * 4;
    if (working > kMaxWorkingBytes) return ZQ_ERR_TOO_LARGE;
  }
  if (!progress.Step(0, 1)) return ZQ_ERR_CANCELLED;
  if (!opj_decode(codec.get(), stream.get(), image.get()) || !opj_end_decompress(codec.get(), stream.get()))
    return ZQ_ERR_DAMAGED;
  for (unsigned i = 0; i < numcomps && i < 4; ++i) {
    const opj_image_comp_t& c = image->comps[i];
    if (!c.data || c.w == 0 || c.h == 0 || c.prec == 0 || c.prec > 31) return ZQ_ERR_DAMAGED;
  }

  ZqDibBuilder dib;
  if (const WORD s = dib.Create(width, height, bits, bits == 8 ? 256 : 0); s != ZQ_OK) return s;
  if (bits == 8) dib.SetGreyPalette(false);
  const Plane p0(image->comps[0]);
  const Plane p1(image->comps[std::min(1u, numcomps - 1)]);
  const Plane p2(image->comps[std::min(2u, numcomps - 1)]);
  const Plane p3(image->comps[std::min(3u, numcomps - 1)]);
  const bool sycc = numcomps >= 3 && image->color_space == OPJ_CLRSPC_SYCC;
  const bool cmyk = numcomps >= 4 && image->color_space == OPJ_CLRSPC_CMYK;
  for (std::uint32_t y = 0; y < height; ++y) {
    BYTE* row = dib.Row(y);
    for (std::uint32_t x = 0; x < width; ++x) {
      if (numcomps <= 2) {
        const BYTE g = static_cast<BYTE>(p0.At(x, y));
        if (bits == 8) {
          row[x] = g;
        } else {
          BYTE* px = row + std::uint64_t{x} * 4;
          px[0] = px[1] = px[2] = g;
          px[3] = static_cast<BYTE>(p1.At(x, y));
        }
        continue;
      }
      int r = p0.At(x, y), g = p1.At(x, y), b = p2.At(x, y);
      if (sycc) {
        const double yy = r, cb = g - 128.0, cr = b - 128.0;
        r = Clamp(yy + 1.402 * cr);
        g = Clamp(yy - 0.344136 * cb - 0.714136 * cr);
        b = Clamp(yy + 1.772 * cb);
      } else if (cmyk) {
        const int k = 255 - p3.At(x, y);
        r = (255 - r) * k / 255;
        g = (255 - g) * k / 255;
        b = (255 - b) * k / 255;
      }
      BYTE* px = row + std::uint64_t{x} * (bits / 8);
      px[0] = static_cast<BYTE>(b);
      px[1] = static_cast<BYTE>(g);
      px[2] = static_cast<BYTE>(r);
      if (bits == 32) px[3] = static_cast<BYTE>(p3.At(x, y));
    }
    if (!progress.Step(std::uint64_t{y} + 1, height)) return ZQ_ERR_CANCELLED;
  }
  if (!progress.Finish()) return ZQ_ERR_CANCELLED;
  *out = dib.Release();
  return ZQ_OK;
}
