// The display control's drawing against its budgets, on the offscreen platform:
// - the progress window's 98 x 73 thumbnail of a 4000 x 3000 24-bit image (Display
//   vzqScale + Refresh, 2 ms at most), and attribute reading of sixteen 12-megapixel
//   JPEGs with the thumbnail against the same reading without it (1.1 at most);
// - real size at scale 1 in 800 x 600 over a 12-megapixel image: a scroll step, a wheel
//   step and a repaint each against QPainter::drawImage of the same 800 x 600 source
//   rectangle into a QImage (1.5 at most; "ratio" against a source in the DIB's own
//   24-bit layout, "ratio_to_rgb32" against one already in Qt's 32-bit layout, where
//   drawImage is a plain copy), and a zoom to a rectangle (20 ms at most);
// - a 2480 x 3508 G4 page fitted into 800 x 600: the first drawing with its grey copies
//   (80 ms at most) and a repaint from the cache (4 ms at most).
// Ratios are measured in the same run, alternating the two sides.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QPainter>
#include <QWheelEvent>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/FileAttributes.h"
#include "app/ProgressWindow1.h"
#include "bench/BenchImages.h"
#include "imaging/components/Zqcommon.h"
#include "imaging/components/Zqdisp.h"
#include "imaging/components/Zqfile.h"
#include "platform/files.h"
#include "platform/memory.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The test files, made once in a private temporary folder.
struct Files {
  std::string folder, jpeg, page;
  Files() {
    folder = platform::PrivateTempDir() + "disp_bench_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    jpeg = folder + "/photo.jpg";
    page = folder + "/page.tif";
    if (!WriteBenchJpeg(jpeg, 4000, 3000, 90) || !WriteBenchG4Page(page)) std::abort();
  }
  ~Files() { std::filesystem::remove_all(folder); }
};

const Files& TestFiles() {
  static Files files;
  return files;
}

// A file loaded through the image file component; the handle is the caller's.
HGLOBAL Load(const std::string& path) {
  TVZqFile file;
  file.SetFileName(path);
  if (!file.LoadFile(vzqLoad) || !file.ImgHandle) std::abort();
  return file.ImgHandle;
}

// The photograph as a DIB and as the QImages the Qt baseline draws from: in the DIB's
// own 24-bit BGR layout, and in Qt's 32-bit layout.
struct Photo {
  HGLOBAL dib = 0;
  QImage bgr;
  QImage rgb32;
  Photo() : dib(Load(TestFiles().jpeg)) {
    const QImage read(QString::fromStdString(TestFiles().jpeg));
    bgr = read.convertToFormat(QImage::Format_BGR888);
    rgb32 = read.convertToFormat(QImage::Format_RGB32);
  }
};

const Photo& ThePhoto() {
  static Photo photo;
  return photo;
}

void Thumbnail(benchmark::State& state) {
  TProgressForm1 form;
  const HGLOBAL image = ThePhoto().dib;
  double total = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    form.ShowThumbnail(image);
    total += Ms(Clock::now() - start);
  }
  state.counters["ms"] = total / static_cast<double>(state.iterations());
  state.counters["budget_ms"] = 2;
}
BENCHMARK(Thumbnail)->Unit(benchmark::kMillisecond);

// Attribute reading of sixteen photographs, with and without the thumbnail, alternating.
void RegistrationWithThumbnail(benchmark::State& state) {
  TProgressForm1 form;
  TVZqFile file;
  TVZqCommon common;
  form.Start(16);
  double with = 0, without = 0;
  bool thumbnailFirst = true;
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const bool thumbnail = (k == 0) == thumbnailFirst;
      const auto start = Clock::now();
      for (int i = 0; i < 16; ++i) {
        if (thumbnail) {
          form.ZqDisp1->SetImgHandle(0);
          ReadAttributes(file, common, TestFiles().jpeg, PixelRead::Decode, [&](HGLOBAL h) { form.ShowThumbnail(h); });
        } else {
          ReadAttributes(file, common, TestFiles().jpeg, PixelRead::Decode);
        }
      }
      (thumbnail ? with : without) += Ms(Clock::now() - start);
    }
    thumbnailFirst = !thumbnailFirst;
  }
  form.close();
  state.counters["ratio"] = with / without;
  state.counters["budget_ratio"] = 1.1;
}
BENCHMARK(RegistrationWithThumbnail)->Unit(benchmark::kMillisecond)->Iterations(2);

// One step of the control against drawImage of the same 800 x 600 source rectangle.
template <typename Step>
void AgainstDrawImage(benchmark::State& state, Step step) {
  TVZqDisp disp;
  disp.resize(800, 600);
  disp.SetInvalidHatchPattern(false);
  disp.SetImgHandle(ThePhoto().dib);
  disp.SetStartX(1000);
  disp.SetStartY(1000);
  disp.Display(vzqActualSize);
  QImage target(800, 600, QImage::Format_RGB32);
  double ours = 0, qtBgr = 0, qtRgb32 = 0;
  int n = 0;
  auto drawImage = [&](const QImage& source) {
    const auto start = Clock::now();
    {
      QPainter p(&target);
      p.drawImage(QPoint(0, 0), source, QRect(1000 + n % 7, 1000, 800, 600));
    }
    return Ms(Clock::now() - start);
  };
  for (auto _ : state) {
    const auto start = Clock::now();
    step(disp, n++);
    ours += Ms(Clock::now() - start);
    qtBgr += drawImage(ThePhoto().bgr);
    qtRgb32 += drawImage(ThePhoto().rgb32);
  }
  state.counters["ratio"] = ours / qtBgr;
  state.counters["ratio_to_rgb32"] = ours / qtRgb32;
  state.counters["budget_ratio"] = 1.5;
}

void ScrollStep(benchmark::State& state) {
  AgainstDrawImage(state, [](TVZqDisp& d, int n) { d.ScrollImage(n % 2 ? vzqLeft : vzqRight); });
}
BENCHMARK(ScrollStep)->Unit(benchmark::kMillisecond);

void WheelStep(benchmark::State& state) {
  AgainstDrawImage(state, [](TVZqDisp& d, int n) {
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, n % 2 ? 40 : -40), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&d, &event);
  });
}
BENCHMARK(WheelStep)->Unit(benchmark::kMillisecond);

void Repaint(benchmark::State& state) {
  AgainstDrawImage(state, [](TVZqDisp& d, int) { d.Refresh(); });
}
BENCHMARK(Repaint)->Unit(benchmark::kMillisecond);

void ZoomToRectangle(benchmark::State& state) {
  TVZqDisp disp;
  disp.resize(800, 600);
  disp.SetImgHandle(ThePhoto().dib);
  disp.Display(vzqActualSize);
  double total = 0;
  int n = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (n++ % 2) {
      disp.Zoom(1000, 1000, 1399, 1299);
    } else {
      disp.Zoom(0, 0, 3999, 2999);
    }
    total += Ms(Clock::now() - start);
  }
  state.counters["ms"] = total / static_cast<double>(state.iterations());
  state.counters["budget_ms"] = 20;
}
BENCHMARK(ZoomToRectangle)->Unit(benchmark::kMillisecond);

void G4Page(benchmark::State& state) {
  static const HGLOBAL page = Load(TestFiles().page);
  TVZqDisp disp;
  disp.resize(800, 600);
  double first = 0, repaint = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    disp.SetImgHandle(page);
    disp.Display(vzqScale);
    first += Ms(Clock::now() - start);
    start = Clock::now();
    disp.Refresh();
    repaint += Ms(Clock::now() - start);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["first_ms"] = first / n;
  state.counters["repaint_ms"] = repaint / n;
  state.counters["budget_first_ms"] = 80;
  state.counters["budget_repaint_ms"] = 4;
}
BENCHMARK(G4Page)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The engine stays loaded for the whole run.
  TVZqDisp keeper;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
