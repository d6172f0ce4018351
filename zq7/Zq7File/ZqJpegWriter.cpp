#include "zq7/Zq7File/ZqJpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqSaveImage.h"

namespace {

constexpr int kBandRows = 16;
// The largest comment a COM marker holds (its length field counts itself).
constexpr std::size_t kMaxComment = 65533;

struct JpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  int code = 0;
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  err->code = cinfo->err->msg_code;
  std::longjmp(err->jump, 1);
}

void OutputMessage(j_common_ptr) {}

// The only place where libjpeg may jump to while writing; fn holds plain C data only.
bool JpegGuard(JpegError* err, void (*fn)(void*), void* context) {
  if (setjmp(err->jump)) return false;
  fn(context);
  return true;
}

class JpegCompressor {
 public:
  JpegCompressor() {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
  }
  ~JpegCompressor() { jpeg_destroy_compress(&cinfo); }
  JpegCompressor(const JpegCompressor&) = delete;
  JpegCompressor& operator=(const JpegCompressor&) = delete;

  jpeg_compress_struct cinfo{};
  JpegError err;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

struct WriteCall {
  j_compress_ptr cinfo;
  std::FILE* file;
  const ZqJpegOptions* options;
  bool grey;
  JDIMENSION width, height;
  LONG xdpi, ydpi;
  JSAMPARRAY rows;
  JDIMENSION count;
};

void Start(void* p) {
  auto* c = static_cast<WriteCall*>(p);
  j_compress_ptr ci = c->cinfo;
  jpeg_create_compress(ci);
  jpeg_stdio_dest(ci, c->file);
  ci->image_width = c->width;
  ci->image_height = c->height;
  ci->input_components = c->grey ? 1 : 3;
  ci->in_color_space = c->grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(ci);
  jpeg_set_quality(ci, c->options->quality, TRUE);
  if (!c->grey) {
    // Horizontal and vertical sampling of the luma component; chroma stays at 1 x 1.
    static constexpr int kFactors[3][2] = {{2, 2}, {2, 1}, {1, 1}};
    ci->comp_info[0].h_samp_factor = kFactors[c->options->subsampling][0];
    ci->comp_info[0].v_samp_factor = kFactors[c->options->subsampling][1];
  }
  if (c->options->progressive) jpeg_simple_progression(ci);
  if (c->xdpi > 0 && c->ydpi > 0 && c->xdpi <= 65535 && c->ydpi <= 65535) {
    ci->density_unit = 1;
    ci->X_density = static_cast<UINT16>(c->xdpi);
    ci->Y_density = static_cast<UINT16>(c->ydpi);
  }
  jpeg_start_compress(ci, TRUE);
  const std::string& comment = c->options->comment;
  if (!comment.empty())
    jpeg_write_marker(ci, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                      static_cast<unsigned>(std::min(comment.size(), kMaxComment)));
}

void WriteRows(void* p) {
  auto* c = static_cast<WriteCall*>(p);
  jpeg_write_scanlines(c->cinfo, c->rows, c->count);
}

void Finish(void* p) { jpeg_finish_compress(static_cast<WriteCall*>(p)->cinfo); }

WORD StatusOf(int code) { return code == JERR_OUT_OF_MEMORY ? WORD{ZQ_ERR_NO_MEMORY} : WORD{ZQ_ERR_WRITE_FAILED}; }

}  // namespace

WORD ZqJpegWrite(const ZqRaster& image, const ZqJpegOptions& options, const std::string& path, ZqProgress& progress) {
  const int width = image.width(), height = image.height();
  if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) return ZQ_ERR_TOO_LARGE;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return ZQ_ERR_WRITE_FAILED;
  // Grey tables of 8 bits are written as they stand; deeper and colour images as BGR.
  const bool grey = image.Grey();
  JpegCompressor c;
  WriteCall call{&c.cinfo, file.get(), &options, grey, static_cast<JDIMENSION>(width), static_cast<JDIMENSION>(height), image.xdpi(), image.ydpi(), nullptr, 0};
  if (!JpegGuard(&c.err, Start, &call)) return StatusOf(c.err.code);

  const std::size_t rowBytes = static_cast<std::size_t>(width) * (grey ? 1 : 3);
  std::vector<JSAMPLE> band(rowBytes * kBandRows);
  std::vector<BYTE> indices(static_cast<std::size_t>(width));
  JSAMPROW rows[kBandRows];
  // 24-bit rows go to libjpeg straight from the image; others are converted per band.
  const bool direct = image.bitCount() == 24;
  for (int y = 0; y < height;) {
    const int count = std::min(kBandRows, height - y);
    for (int i = 0; i < count; ++i) {
      JSAMPLE* out = band.data() + rowBytes * static_cast<std::size_t>(i);
      if (direct) {
        rows[i] = const_cast<JSAMPLE*>(image.Row(y + i));
        continue;
      }
      rows[i] = out;
      if (grey) {
        image.Indices(y + i, indices.data());
        for (int x = 0; x < width; ++x) out[x] = indices[x] < image.colors() ? image.palette()[indices[x]].rgbRed : 0;
      } else {
        image.Bgr(y + i, out);
      }
    }
    call.rows = rows;
    call.count = static_cast<JDIMENSION>(count);
    if (!JpegGuard(&c.err, WriteRows, &call)) return StatusOf(c.err.code);
    y += count;
    if (!progress.Step(static_cast<std::uint64_t>(y), static_cast<std::uint64_t>(height))) return ZQ_ERR_CANCELLED;
  }
  if (!JpegGuard(&c.err, Finish, &call)) return StatusOf(c.err.code);
  if (std::fflush(file.get()) != 0 || std::ferror(file.get())) return ZQ_ERR_WRITE_FAILED;
  if (std::fclose(file.release()) != 0) return ZQ_ERR_WRITE_FAILED;
  return progress.Finish() ? WORD{ZQ_OK} : WORD{ZQ_ERR_CANCELLED};
}
