// Time of the drawing layer's hot paths, each reported with its share of the budget it
// must stay within on this machine ("of_budget" below 1 is within it):
//   StretchDIBits of a 4000 × 3000 24-bit DIB into 400 × 300: 10 ms with COLORONCOLOR,
//   60 ms with HALFTONE; a BitBlt of a full 800 × 600 surface: 1 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/gdi.h"

namespace {

struct Dib {
  BITMAPINFO info{};
  std::vector<std::uint8_t> bits;
};

Dib MakeDib(int width, int height) {
  Dib d;
  d.info.bmiHeader.biWidth = width;
  d.info.bmiHeader.biHeight = height;
  d.info.bmiHeader.biBitCount = 24;
  d.bits.resize(platform::DibImageBytes(d.info.bmiHeader));
  std::uint32_t v = 12345;
  for (auto& b : d.bits) {
    v = v * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(v >> 24);
  }
  return d;
}

// A memory context on a 32-bit bitmap; both freed at the end.
struct Surface {
  Surface(int w, int h) : dc(CreateCompatibleDC(nullptr)), bm(platform::CreateSurfaceBitmap(w, h)) {
    old = SelectObject(dc, bm);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bm);
  }
  HDC dc;
  HBITMAP bm;
  HGDIOBJ old;
};

// Runs call once per iteration and reports milliseconds per call and the budget share.
template <typename F>
void Measure(benchmark::State& state, double budgetMs, F&& call) {
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    call();
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  const double ms = total / static_cast<double>(state.iterations());
  state.counters["ms"] = ms;
  state.counters["of_budget"] = ms / budgetMs;
}

void StretchDibReduce(benchmark::State& state, int mode, double budgetMs) {
  static const Dib dib = MakeDib(4000, 3000);
  Surface s(400, 300);
  SetStretchBltMode(s.dc, mode);
  Measure(state, budgetMs, [&] {
    benchmark::DoNotOptimize(StretchDIBits(s.dc, 0, 0, 400, 300, 0, 0, 4000, 3000, dib.bits.data(), &dib.info,
                                           DIB_RGB_COLORS, SRCCOPY));
  });
}

void BM_StretchDIBits_ColorOnColor(benchmark::State& state) { StretchDibReduce(state, COLORONCOLOR, 10.0); }
void BM_StretchDIBits_Halftone(benchmark::State& state) { StretchDibReduce(state, HALFTONE, 60.0); }

void BM_BitBlt_FullSurface(benchmark::State& state) {
  Surface src(800, 600), dst(800, 600);
  Measure(state, 1.0, [&] { benchmark::DoNotOptimize(BitBlt(dst.dc, 0, 0, 800, 600, src.dc, 0, 0, SRCCOPY)); });
}

// The two reductions measured side by side in one run: how much averaging costs.
void BM_HalftoneOverColorOnColor(benchmark::State& state) {
  static const Dib dib = MakeDib(4000, 3000);
  Surface s(400, 300);
  double fast = 0, slow = 0;
  for (auto _ : state) {
    for (const int mode : {COLORONCOLOR, HALFTONE}) {
      SetStretchBltMode(s.dc, mode);
      const auto start = std::chrono::steady_clock::now();
      StretchDIBits(s.dc, 0, 0, 400, 300, 0, 0, 4000, 3000, dib.bits.data(), &dib.info, DIB_RGB_COLORS, SRCCOPY);
      (mode == HALFTONE ? slow : fast) +=
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
  }
  state.counters["ratio"] = fast > 0 ? slow / fast : 0;
}

}  // namespace

BENCHMARK(BM_StretchDIBits_ColorOnColor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchDIBits_Halftone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BitBlt_FullSurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HalftoneOverColorOnColor)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
