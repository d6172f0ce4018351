// Registration through the main window's drop handler against tesmarin-list on the same
// files, in the same run: 200 small JPEGs and 16 twelve-megapixel JPEGs, made at start-up
// in a private temporary folder. The window decodes every file (for the thumbnail the
// progress window shows) and repaints the progress window after each one; tesmarin-list
// reads headers only, and with --verify decodes as the window does.
//
// Counters: the milliseconds per file of each, the window's extra milliseconds per file
// over tesmarin-list and over tesmarin-list --verify, and the ratios. Goals: at most 2 ms
// per file more than tesmarin-list for the small files, and at most 1.1 times
// tesmarin-list --verify (the same decoding) for the large ones.
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise (for example xcb under Xvfb).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow1.h"
#include "app/ProgressWindow1.h"
#include "bench/BenchImages.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/modules.h"

namespace {

// Answers every question with Yes, so the list can be cleared between runs.
class YesDialogs final : public platform::Dialogs {
 public:
  int MessageBox(QWidget*, const std::string&, const std::string&, UINT type, const std::string&) override {
    return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  }
  void MessageBeep(UINT) override {}
  platform::OpenDialogResult OpenFile(QWidget*, const platform::OpenDialogOptions&) override { return {}; }
  bool ChooseColor(QWidget*, platform::ChooseColorRequest&) override { return false; }
  bool ChooseFont(QWidget*, platform::ChooseFontRequest&) override { return false; }
};

struct Pictures {
  std::string folder;
  std::vector<std::string> files;
  std::string list;  // the paths, each after a blank
  Pictures(const std::string& name, int count, int width, int height) {
    folder = platform::PrivateTempDir() + "register_bench_" + name + "_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string first = folder + "/p000.jpg";
    if (!WriteBenchJpeg(first, width, height, 90)) return;
    for (int i = 0; i < count; ++i) {
      const std::string index = std::to_string(i);
      const std::string path = folder + "/p" + std::string(3 - index.size(), '0') + index + ".jpg";
      if (i > 0) std::filesystem::copy_file(first, path);
      files.push_back(path);
      list += " " + path;
    }
  }
  ~Pictures() { std::filesystem::remove_all(folder); }
};

double Seconds(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1.0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Windows {
  TProgressForm1 progress;
  TMainForm1 form;
  Windows() {
    ProgressForm1 = &progress;
    MainForm1 = &form;
    form.show();
    QApplication::processEvents();
  }
  ~Windows() {
    MainForm1 = nullptr;
    ProgressForm1 = nullptr;
  }
};

Windows* g_windows = nullptr;  // made by main after the application, gone before it

void RegisterAgainstList(benchmark::State& state, const Pictures& pictures) {
  if (pictures.files.empty()) {
    state.SkipWithError("the pictures could not be written");
    return;
  }
  Windows& windows = *g_windows;
  const std::string list = platform::ExecutableDir() + "tesmarin-list" + pictures.list + " > /dev/null";
  const std::string verify = platform::ExecutableDir() + "tesmarin-list --verify" + pictures.list + " > /dev/null";
  double window = 0, header = 0, decoding = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    windows.form.WMDropFiles(pictures.files);
    window += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    const bool all = windows.form.FileCount == static_cast<int>(pictures.files.size());
    windows.form.SpeedButton1_5Click();
    QApplication::processEvents();
    state.ResumeTiming();
    const double a = Seconds(list), b = Seconds(verify);
    if (!all || a < 0 || b < 0) {
      state.SkipWithError(all ? "tesmarin-list failed" : "the window did not register every file");
      return;
    }
    header += a;
    decoding += b;
  }
  const double perFile = 1000.0 / static_cast<double>(state.iterations() * pictures.files.size());
  state.counters["window_ms_per_file"] = window * perFile;
  state.counters["list_ms_per_file"] = header * perFile;
  state.counters["verify_ms_per_file"] = decoding * perFile;
  state.counters["extra_ms_per_file"] = (window - header) * perFile;
  state.counters["extra_over_verify_ms_per_file"] = (window - decoding) * perFile;
  state.counters["ratio_to_list"] = window / header;
  state.counters["ratio_to_verify"] = window / decoding;
}

void SmallFiles(benchmark::State& state) {
  static const Pictures pictures("small", 200, 400, 300);
  RegisterAgainstList(state, pictures);
}
BENCHMARK(SmallFiles)->Iterations(3)->Unit(benchmark::kMillisecond);

void TwelveMegapixelFiles(benchmark::State& state) {
  static const Pictures pictures("large", 16, 4000, 3000);
  RegisterAgainstList(state, pictures);
}
BENCHMARK(TwelveMegapixelFiles)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  platform::SetDialogs(std::make_unique<YesDialogs>());
  auto windows = std::make_unique<Windows>();
  g_windows = windows.get();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  g_windows = nullptr;
  windows.reset();
  benchmark::Shutdown();
  return 0;
}
