// ZQFileLoad against the codecs' own decoding loops on the same files in the same run:
// a 4000 x 3000 baseline JPEG (target ratio 1.15 at most) and a 2480 x 3508 G4 TIFF
// (1.2 at most). Both files are made at start-up in a private temporary folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include <jpeglib.h>
#include <tiffio.h>

#include "bench/BenchImages.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "zq7/Zq7File/ZqFileLoad.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

class Files {
 public:
  Files() {
    folder_ = platform::PrivateTempDir() + "fileload_bench_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder_);
    jpeg_ = folder_ + "/photo.jpg";
    tiff_ = folder_ + "/page.tif";
    WriteJpeg();
    WriteG4();
  }
  ~Files() { std::filesystem::remove_all(folder_); }
  const std::string& jpeg() const { return jpeg_; }
  const std::string& tiff() const { return tiff_; }

 private:
  // A photograph-like picture, quality 90.
  void WriteJpeg() {
    if (!WriteBenchJpeg(jpeg_, 4000, 3000, 90)) std::abort();
  }

  // An A4 page at 300 dpi: lines of "text" blocks on white, Group 4 in strips.
  void WriteG4() {
    constexpr std::uint32_t w = 2480, h = 3508;
    TIFF* t = TIFFOpen(tiff_.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 300.0);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 300.0);
    std::vector<std::uint8_t> row(w / 8);
    std::uint32_t seed = 7;
    for (std::uint32_t y = 0; y < h; ++y) {
      std::fill(row.begin(), row.end(), 0);
      if (y > 200 && y < h - 200 && (y % 50) < 30) {
        for (std::uint32_t x = 200; x < w - 200; x += 8) {
          seed = seed * 1664525 + 1013904223;
          row[x / 8] = static_cast<std::uint8_t>((seed >> 24) & 0x7E);
        }
      }
      TIFFWriteScanline(t, row.data(), y, 0);
    }
    TIFFClose(t);
  }

  std::string folder_, jpeg_, tiff_;
};

const Files& TestFiles() {
  static Files files;
  return files;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// libjpeg-turbo alone: BGR rows into one buffer the size of the DIB's pixels.
void DecodeWithLibjpeg(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  jpeg_decompress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_stdio_src(&c, f.get());
  jpeg_read_header(&c, TRUE);
  c.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&c);
  const std::size_t stride = (c.output_width * 3 + 3) & ~std::size_t{3};
  std::vector<JSAMPLE> pixels(stride * c.output_height);
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = pixels.data() + stride * (c.output_height - 1 - c.output_scanline);
    jpeg_read_scanlines(&c, &row, 1);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  benchmark::DoNotOptimize(pixels.data());
}

// libtiff alone: every strip decoded into one buffer.
void DecodeWithLibtiff(const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "r");
  const tmsize_t stripSize = TIFFStripSize(t);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stripSize));
  for (tstrip_t s = 0, n = TIFFNumberOfStrips(t); s < n; ++s) TIFFReadEncodedStrip(t, s, buffer.data(), stripSize);
  benchmark::DoNotOptimize(buffer.data());
  TIFFClose(t);
}

void LoadWithEngine(const std::string& path) {
  const HGLOBAL h = ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, "", "", "");
  if (!h) std::abort();
  GlobalFree(h);
}

// Each iteration runs both decoders on the same file, alternating which goes first; the
// counters give their times and the engine's time as a multiple of the codec's.
void CompareLoads(benchmark::State& state, const std::string& path, void (*baseline)(const std::string&)) {
  double engine = 0, plain = 0;
  bool engineFirst = true;
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const bool runEngine = (k == 0) == engineFirst;
      const auto start = std::chrono::steady_clock::now();
      if (runEngine)
        LoadWithEngine(path);
      else
        baseline(path);
      (runEngine ? engine : plain) += Seconds(std::chrono::steady_clock::now() - start);
    }
    engineFirst = !engineFirst;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["engine_ms"] = engine / n * 1000;
  state.counters["codec_ms"] = plain / n * 1000;
  state.counters["ratio"] = engine / plain;
}

void BM_Jpeg4000x3000_ZQFileLoadVsLibjpeg(benchmark::State& state) { CompareLoads(state, TestFiles().jpeg(), DecodeWithLibjpeg); }
void BM_G4Tiff2480x3508_ZQFileLoadVsReadEncodedStrip(benchmark::State& state) {
  CompareLoads(state, TestFiles().tiff(), DecodeWithLibtiff);
}

}  // namespace

BENCHMARK(BM_Jpeg4000x3000_ZQFileLoadVsLibjpeg)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_G4Tiff2480x3508_ZQFileLoadVsReadEncodedStrip)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK_MAIN();
