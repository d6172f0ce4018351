// ZQFileType on a 4000 x 3000 baseline JPEG (with and without an Exif segment), made at
// run time in a private temporary folder, against libjpeg-turbo's own header read of the
// same file in the same run. The counters give the time per call in milliseconds (the
// target is under 1 ms) and the ratio to libjpeg's jpeg_read_header.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include "bench/BenchImages.h"
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqFileType.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A small big-endian Exif segment: IFD0 with Make, XResolution, YResolution, ResolutionUnit.
std::vector<JOCTET> ExifSegment() {
  std::vector<JOCTET> b = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8};
  auto u16 = [&b](unsigned v) { b.push_back(static_cast<JOCTET>(v >> 8)); b.push_back(static_cast<JOCTET>(v)); };
  auto u32 = [&](unsigned v) { u16(v >> 16); u16(v & 0xFFFF); };
  auto entry = [&](unsigned tag, unsigned type, unsigned count, unsigned value) { u16(tag); u16(type); u32(count); u32(value); };
  const unsigned values = 8 + 2 + 4 * 12 + 4;  // where the out-of-line values start
  u16(4);
  entry(271, 2, 4, 0x42656E00);   // "Ben"
  entry(282, 5, 1, values);
  entry(283, 5, 1, values + 8);
  entry(296, 3, 1, 2u << 16);
  u32(0);
  u32(300), u32(1), u32(300), u32(1);
  return b;
}

// Writes a 4000 x 3000 baseline JPEG, with or without an Exif segment.
void WriteJpeg(const std::string& path, bool withExif) {
  if (!WriteBenchJpeg(path, kWidth, kHeight, 85, withExif ? ExifSegment() : std::vector<unsigned char>{}))
    std::abort();
}

// The test pictures, made once for the whole run and removed at exit.
struct Pictures {
  std::filesystem::path dir;
  std::string plain, exif;
  Pictures() {
    std::string templ = (std::filesystem::temp_directory_path() / "filetype-bench-XXXXXX").string();
    if (!::mkdtemp(templ.data())) std::abort();
    dir = templ;
    plain = (dir / "plain.jpg").string();
    exif = (dir / "exif.jpg").string();
    WriteJpeg(plain, false);
    WriteJpeg(exif, true);
  }
  ~Pictures() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

const Pictures& Files() {
  static const Pictures pictures;
  return pictures;
}

// libjpeg-turbo reading the same header: open, read markers up to the first scan, close.
void LibjpegReadHeader(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, in.get());
  jpeg_read_header(&d, TRUE);
  benchmark::DoNotOptimize(d.image_width);
  jpeg_destroy_decompress(&d);
}

void TypeOnce(const std::string& path) {
  ZqFileInfo info{};
  if (!ZQFileType(path.c_str(), 0, &info) || info.width != kWidth) std::abort();
  benchmark::DoNotOptimize(info);
}

// Times ZQFileType and libjpeg's header read alternately, so both see the same cache
// and machine state, and reports both and their ratio.
void Compare(benchmark::State& state, const std::string& path) {
  using Clock = std::chrono::steady_clock;
  Clock::duration ours{}, theirs{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    TypeOnce(path);
    const auto t1 = Clock::now();
    LibjpegReadHeader(path);
    const auto t2 = Clock::now();
    ours += t1 - t0;
    theirs += t2 - t1;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["filetype_ms"] = std::chrono::duration<double, std::milli>(ours).count() / n;
  state.counters["libjpeg_header_ms"] = std::chrono::duration<double, std::milli>(theirs).count() / n;
  state.counters["ratio"] = std::chrono::duration<double>(ours).count() / std::chrono::duration<double>(theirs).count();
}

void BM_FileTypeBaseline(benchmark::State& state) { Compare(state, Files().plain); }
void BM_FileTypeExif(benchmark::State& state) { Compare(state, Files().exif); }

BENCHMARK(BM_FileTypeBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileTypeExif)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
