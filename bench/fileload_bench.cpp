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

  void WriteG4() {
    if (!WriteBenchG4Page(tiff_)) std::abort();
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
