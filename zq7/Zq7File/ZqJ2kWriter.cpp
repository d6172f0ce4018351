#include "zq7/Zq7File/ZqJ2kWriter.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <openjpeg.h>

#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"

namespace {

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

}  // namespace

WORD ZqJ2kWrite(const ZqRaster& image, const ZqJ2kOptions& options, const std::string& path, ZqProgress& progress) {
  const int width = image.width(), height = image.height();
  const bool grey = image.Grey();
  const bool alpha = image.Alpha();
  const int components = grey ? 1 : alpha ? 4 : 3;

  std::vector<opj_image_cmptparm_t> parms(static_cast<std::size_t>(components));
  for (opj_image_cmptparm_t& p : parms) {
    p = opj_image_cmptparm_t{};
    p.dx = p.dy = 1;
    p.w = static_cast<OPJ_UINT32>(width);
    p.h = static_cast<OPJ_UINT32>(height);
    p.prec = 8;
    p.sgnd = 0;
  }
  std::unique_ptr<opj_image_t, ImageFree> img(
      opj_image_create(static_cast<OPJ_UINT32>(components), parms.data(), grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
  if (!img) return ZQ_ERR_NO_MEMORY;
  img->x0 = img->y0 = 0;
  img->x1 = static_cast<OPJ_UINT32>(width);
  img->y1 = static_cast<OPJ_UINT32>(height);
  if (alpha) img->comps[3].alpha = 1;

  std::vector<BYTE> row(static_cast<std::size_t>(width) * 4);
  for (int y = 0; y < height; ++y) {
    const std::size_t base = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    if (grey) {
      image.Indices(y, row.data());
      for (int x = 0; x < width; ++x)
        img->comps[0].data[base + static_cast<std::size_t>(x)] = row[static_cast<std::size_t>(x)] < image.colors() ? image.palette()[row[static_cast<std::size_t>(x)]].rgbRed : 0;
    } else {
      image.Bgra(y, row.data());
      for (int x = 0; x < width; ++x) {
        const BYTE* p = &row[static_cast<std::size_t>(x) * 4];
        img->comps[0].data[base + static_cast<std::size_t>(x)] = p[2];
        img->comps[1].data[base + static_cast<std::size_t>(x)] = p[1];
        img->comps[2].data[base + static_cast<std::size_t>(x)] = p[0];
        if (alpha) img->comps[3].data[base + static_cast<std::size_t>(x)] = p[3];
      }
    }
    // Preparing the samples is the first half of the work that can be reported.
    if (!progress.Step(static_cast<std::uint64_t>(y) + 1, static_cast<std::uint64_t>(height) * 2)) return ZQ_ERR_CANCELLED;
  }

  opj_cparameters_t params;
  opj_set_default_encoder_parameters(&params);
  params.tcp_numlayers = 1;
  params.cp_disto_alloc = 1;
  params.irreversible = options.lossless ? 0 : 1;
  params.tcp_rates[0] = options.lossless ? 0.0f : static_cast<float>(options.ratio);
  params.tcp_mct = components >= 3 ? 1 : 0;
  // Each level halves the picture; the smallest must keep at least one pixel.
  int resolutions = std::clamp(options.resolutions, 1, 32);
  while (resolutions > 1 && (1 << (resolutions - 1)) > std::min(width, height)) --resolutions;
  params.numresolution = resolutions;
  std::string comment = options.comment;
  if (!comment.empty()) params.cp_comment = comment.data();

  std::unique_ptr<opj_codec_t, CodecFree> codec(opj_create_compress(options.codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2));
  if (!codec) return ZQ_ERR_NO_MEMORY;
  opj_set_error_handler(codec.get(), Quiet, nullptr);
  opj_set_warning_handler(codec.get(), Quiet, nullptr);
  opj_set_info_handler(codec.get(), Quiet, nullptr);
  if (!opj_setup_encoder(codec.get(), &params, img.get())) return ZQ_ERR_BAD_PARAMETER;
  std::unique_ptr<opj_stream_t, StreamFree> stream(opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE));
  if (!stream) return ZQ_ERR_WRITE_FAILED;
  if (!opj_start_compress(codec.get(), img.get(), stream.get()) || !opj_encode(codec.get(), stream.get()) ||
      !opj_end_compress(codec.get(), stream.get()))
    return ZQ_ERR_WRITE_FAILED;
  stream.reset();  // flushes and closes the file
  return progress.Finish() ? WORD{ZQ_OK} : WORD{ZQ_ERR_CANCELLED};
}
