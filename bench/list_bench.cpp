// tesmarin-list on sixteen 12-megapixel JPEGs, in the same run:
// - with --verify (which decodes every file) against djpeg decoding the same files, one
//   process per file (target ratio 1.15 at most);
// - listing them (headers only) against listing sixteen tiny JPEGs (target ratio 2 at
//   most: a folder of photos lists at header speed).
// The pictures are made at start-up in a private temporary folder, the large one with
// ImageMagick, the tiny one with the benchmarks' own writer.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchImages.h"
#include "platform/files.h"
#include "platform/modules.h"

namespace {

struct Photos {
  std::string folder;
  std::string list;  // the sixteen paths, separated by blanks
  Photos() {
    folder = platform::PrivateTempDir() + "list_bench_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string first = folder + "/photo00.jpg";
    const std::string make = "convert -size 4000x3000 gradient:navy-orange -attenuate 0.4 +noise Gaussian "
                             "-quality 90 -sampling-factor 2x2 " + first;
    if (std::system(make.c_str()) != 0) return;
    for (int i = 0; i < 16; ++i) {
      const std::string path = folder + "/photo" + (i < 10 ? "0" : "") + std::to_string(i) + ".jpg";
      if (i > 0) std::filesystem::copy_file(first, path);
      list += " " + path;
    }
  }
  ~Photos() { std::filesystem::remove_all(folder); }
};

// One set of photos for both benchmarks.
const Photos& SharedPhotos() {
  static const Photos photos;
  return photos;
}

double Seconds(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1.0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ListAgainstDjpeg(benchmark::State& state) {
  const Photos& photos = SharedPhotos();
  if (photos.list.empty()) {
    state.SkipWithError("ImageMagick could not make the pictures");
    return;
  }
  const std::string list = platform::ExecutableDir() + "tesmarin-list --verify" + photos.list + " > /dev/null";
  std::string djpeg = "true";
  for (std::size_t at = 0, next; at < photos.list.size(); at = next) {
    next = photos.list.find(' ', at + 1);
    if (next == std::string::npos) next = photos.list.size();
    djpeg += " && djpeg -outfile /dev/null " + photos.list.substr(at + 1, next - at - 1);
  }
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const double a = Seconds(list), b = Seconds(djpeg);
    if (a < 0 || b < 0) {
      state.SkipWithError("a command failed");
      return;
    }
    ours += a;
    theirs += b;
  }
  state.counters["ratio"] = ours / theirs;
  state.counters["tesmarin_list_s"] = ours / static_cast<double>(state.iterations());
  state.counters["djpeg_s"] = theirs / static_cast<double>(state.iterations());
}
BENCHMARK(ListAgainstDjpeg)->Iterations(3)->Unit(benchmark::kMillisecond);

struct TinyPictures {
  std::string folder;
  std::string list;
  TinyPictures() {
    folder = platform::PrivateTempDir() + "list_bench_tiny_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string first = folder + "/tiny00.jpg";
    if (!WriteBenchJpeg(first, 8, 8, 90)) return;
    for (int i = 0; i < 16; ++i) {
      const std::string path = folder + "/tiny" + (i < 10 ? "0" : "") + std::to_string(i) + ".jpg";
      if (i > 0) std::filesystem::copy_file(first, path);
      list += " " + path;
    }
  }
  ~TinyPictures() { std::filesystem::remove_all(folder); }
};

void LargeAgainstTinyFiles(benchmark::State& state) {
  const Photos& photos = SharedPhotos();
  static const TinyPictures tiny;
  if (photos.list.empty() || tiny.list.empty()) {
    state.SkipWithError("the pictures could not be made");
    return;
  }
  const std::string command = platform::ExecutableDir() + "tesmarin-list";
  double large = 0, small = 0;
  for (auto _ : state) {
    const double a = Seconds(command + photos.list + " > /dev/null"), b = Seconds(command + tiny.list + " > /dev/null");
    if (a < 0 || b < 0) {
      state.SkipWithError("a command failed");
      return;
    }
    large += a;
    small += b;
  }
  state.counters["ratio"] = large / small;
  state.counters["large_s"] = large / static_cast<double>(state.iterations());
  state.counters["tiny_s"] = small / static_cast<double>(state.iterations());
}
BENCHMARK(LargeAgainstTinyFiles)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
