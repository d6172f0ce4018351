// tesmarin-list reading sixteen 12-megapixel JPEGs against djpeg decoding the same files,
// one process per file, in the same run (target ratio 1.15 at most). The picture is made
// at start-up with ImageMagick in a private temporary folder.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

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

double Seconds(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1.0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ListAgainstDjpeg(benchmark::State& state) {
  static const Photos photos;
  if (photos.list.empty()) {
    state.SkipWithError("ImageMagick could not make the pictures");
    return;
  }
  const std::string list = platform::ExecutableDir() + "tesmarin-list" + photos.list + " > /dev/null";
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

}  // namespace

BENCHMARK_MAIN();
