// The engine's savers against the codecs called directly with the same settings on the
// same pixels, in the same run: a 4000 x 3000 photograph as JPEG quality 90 (4:2:0),
// PNG (libpng's defaults), LZW TIFF (strips of about 8 KB) and lossless JPEG 2000 (JP2,
// six resolutions). Target: each ratio 1.1 at most (ratio: elapsed time; cpu_ratio:
// processor time, which the shared disk's waits do not disturb). Every file goes to a private
// temporary folder; the direct calls write their files plainly, the engine through its
// sibling-and-rename path.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>
#include <tiffio.h>

#include "bench/BenchImages.h"
#include "platform/dib.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "zq7/Zq7File/ZqFileLoad.h"
#include "zq7/Zq7File/ZqFileSave.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The photograph as a 24-bit DIB, and where the files go.
class Photo {
 public:
  Photo() {
    folder_ = platform::PrivateTempDir() + "filesave_bench_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder_);
    const std::string source = folder_ + "/source.jpg";
    if (!WriteBenchJpeg(source, 4000, 3000, 95)) std::abort();
    image_ = ZQFileLoad(source.c_str(), 0, 0, 0, nullptr, "", "", "");
    if (!image_) std::abort();
    lock_ = static_cast<BYTE*>(GlobalLock(image_));
    header_ = reinterpret_cast<BITMAPINFOHEADER*>(lock_);
  }
  ~Photo() {
    GlobalUnlock(image_);
    GlobalFree(image_);
    std::filesystem::remove_all(folder_);
  }
  HGLOBAL handle() const { return image_; }
  int width() const { return header_->biWidth; }
  int height() const { return header_->biHeight; }
  std::size_t stride() const { return static_cast<std::size_t>(platform::DibStride(width(), 24)); }
  // BGR row y from the top.
  const BYTE* Row(int y) const {
    return lock_ + platform::DibBitsOffset(*header_) + stride() * static_cast<std::size_t>(height() - 1 - y);
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

 private:
  std::string folder_;
  HGLOBAL image_ = 0;
  BYTE* lock_ = nullptr;
  BITMAPINFOHEADER* header_ = nullptr;
};

const Photo& ThePhoto() {
  static Photo photo;
  return photo;
}

void JpegDirect(const Photo& p, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f.get());
  c.image_width = static_cast<JDIMENSION>(p.width());
  c.image_height = static_cast<JDIMENSION>(p.height());
  c.input_components = 3;
  c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(p.Row(static_cast<int>(c.next_scanline)));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
}

void PngDirect(const Photo& p, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(p.width()), static_cast<png_uint_32>(p.height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < p.height(); ++y) png_write_row(png, p.Row(y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
}

void TiffDirect(const Photo& p, const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(p.width()));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(p.height()));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(8192 / (p.width() * 3)) + (p.width() * 3 > 8192));
  // libtiff takes RGB only, so the rows are turned round as the engine does.
  std::vector<BYTE> row(static_cast<std::size_t>(p.width()) * 3);
  for (int y = 0; y < p.height(); ++y) {
    const BYTE* s = p.Row(y);
    for (std::size_t x = 0; x < row.size(); x += 3) row[x] = s[x + 2], row[x + 1] = s[x + 1], row[x + 2] = s[x];
    TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0);
  }
  TIFFClose(t);
}

void J2kDirect(const Photo& p, const std::string& path) {
  opj_image_cmptparm_t parms[3] = {};
  for (auto& c : parms) {
    c.dx = c.dy = 1;
    c.w = static_cast<OPJ_UINT32>(p.width());
    c.h = static_cast<OPJ_UINT32>(p.height());
    c.prec = 8;
  }
  opj_image_t* img = opj_image_create(3, parms, OPJ_CLRSPC_SRGB);
  img->x1 = static_cast<OPJ_UINT32>(p.width());
  img->y1 = static_cast<OPJ_UINT32>(p.height());
  for (int y = 0; y < p.height(); ++y) {
    const BYTE* s = p.Row(y);
    const std::size_t base = static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width());
    for (int x = 0; x < p.width(); ++x)
      for (int k = 0; k < 3; ++k) img->comps[k].data[base + static_cast<std::size_t>(x)] = s[x * 3 + 2 - k];
  }
  opj_cparameters_t params;
  opj_set_default_encoder_parameters(&params);
  params.tcp_numlayers = 1;
  params.cp_disto_alloc = 1;
  params.tcp_rates[0] = 0;
  params.tcp_mct = 1;
  opj_codec_t* codec = opj_create_compress(OPJ_CODEC_JP2);
  opj_setup_encoder(codec, &params, img);
  opj_stream_t* stream = opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE);
  opj_start_compress(codec, img, stream);
  opj_encode(codec, stream);
  opj_end_compress(codec, stream);
  opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  opj_image_destroy(img);
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The process's processor time in seconds: the machine's disk is shared and its waits
// would swamp what the encoders themselves cost.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Each iteration runs both writers, alternating which goes first; the counters give
// their times and the engine's time as a multiple of the codec's.
template <typename Engine, typename Direct>
void Compare(benchmark::State& state, Engine engine, Direct direct) {
  const Photo& p = ThePhoto();
  double ours = 0, plain = 0, oursCpu = 0, plainCpu = 0;
  bool engineFirst = true;
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const bool runEngine = (k == 0) == engineFirst;
      const double cpu = CpuSeconds();
      const auto start = std::chrono::steady_clock::now();
      if (runEngine) {
        if (!engine(p.handle(), p.Path("engine").c_str())) std::abort();
      } else {
        direct(p, p.Path("direct"));
      }
      (runEngine ? ours : plain) += Seconds(std::chrono::steady_clock::now() - start);
      (runEngine ? oursCpu : plainCpu) += CpuSeconds() - cpu;
    }
    engineFirst = !engineFirst;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["engine_ms"] = ours / n * 1000;
  state.counters["codec_ms"] = plain / n * 1000;
  state.counters["ratio"] = ours / plain;
  state.counters["cpu_ratio"] = oursCpu / plainCpu;
}

void BM_Jpeg90_ZQJpegFileSaveVsLibjpeg(benchmark::State& state) {
  Compare(state, [](HGLOBAL h, const char* path) { return ZQJpegFileSave(path, h, 0, 90, 0, "", nullptr, "", "", ""); },
          JpegDirect);
}
void BM_Png_ZQPngFileSaveExVsLibpng(benchmark::State& state) {
  Compare(state, [](HGLOBAL h, const char* path) {
    return ZQPngFileSaveEx(path, h, 0, 0, 0, 0, 0, 0, "", nullptr, "", "", "");
  }, PngDirect);
}
void BM_LzwTiff_ZQTiffFileSaveVsLibtiff(benchmark::State& state) {
  Compare(state, [](HGLOBAL h, const char* path) { return ZQTiffFileSave(path, h, 6, 0, 0, "", 0, nullptr, "", "", ""); },
          TiffDirect);
}
void BM_J2kLossless_ZQJ2kFileSaveVsOpenjpeg(benchmark::State& state) {
  Compare(state, [](HGLOBAL h, const char* path) {
    return ZQJ2kFileSave(path, h, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", nullptr, "", "", "");
  }, J2kDirect);
}

}  // namespace

BENCHMARK(BM_Jpeg90_ZQJpegFileSaveVsLibjpeg)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Png_ZQPngFileSaveExVsLibpng)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_LzwTiff_ZQTiffFileSaveVsLibtiff)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_J2kLossless_ZQJ2kFileSaveVsOpenjpeg)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
