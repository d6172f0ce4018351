// Vector drawings: ZQFileType over every metafile of the public corpus (the header only,
// target under 0.1 ms a file), and an SVG drawn at 800 x 600 through ZQVectorToRaster
// against librsvg drawing the same document onto its own cairo surface in the same run,
// so that the engine's share (the handle, the page fill and the DIB copy) shows as a ratio.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <librsvg/rsvg.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqVectorImage.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "zq7/Zq7VectCom/ZqVector.h"

namespace {

std::vector<std::string> CorpusMetafiles() {
  const std::filesystem::path dir = std::filesystem::path(TESMARIN_SOURCE_DIR) / "../shared/corpus";
  std::ifstream list(dir / "vector-files.tsv");
  std::vector<std::string> files;
  std::string line;
  std::getline(list, line);
  while (std::getline(list, line)) {
    const std::string path = (dir / line.substr(0, line.find('\t'))).string();
    if (path.ends_with(".wmf") || path.ends_with(".emf")) files.push_back(path);
  }
  return files;
}

// A drawing with some of everything: gradients, curves, strokes and text.
std::string Drawing() {
  std::string svg =
      "<svg xmlns='http://www.w3.org/2000/svg' width='800' height='600' viewBox='0 0 800 600'>"
      "<defs><linearGradient id='g'><stop offset='0' stop-color='#08f'/><stop offset='1' stop-color='#f80'/>"
      "</linearGradient></defs><rect width='800' height='600' fill='url(#g)'/>";
  for (int i = 0; i < 200; ++i) {
    svg += "<path d='M" + std::to_string(i * 4) + " 20 C 200 " + std::to_string(i * 3) + ", 600 " +
           std::to_string(600 - i) + ", 780 580' stroke='#204060' stroke-width='1.5' fill='none'/>";
  }
  svg += "<text x='40' y='300' font-size='48' font-family='sans-serif'>Tesmarin</text></svg>";
  return svg;
}

void BM_TypeCorpusMetafile(benchmark::State& state) {
  const std::vector<std::string> files = CorpusMetafiles();
  if (files.empty()) {
    state.SkipWithError("public corpus not found");
    return;
  }
  ZqFileInfo info{};
  for (auto _ : state)
    for (const std::string& f : files) benchmark::DoNotOptimize(ZQFileType(f.c_str(), 0, &info));
  // Seconds of wall time per file typed.
  state.counters["s_per_file"] = benchmark::Counter(static_cast<double>(files.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_TypeCorpusMetafile)->Unit(benchmark::kMillisecond);

void BM_SvgThroughTheEngine(benchmark::State& state) {
  const std::string svg = Drawing();
  HGLOBAL image = 0;
  ZqNewVectorImage(ZQ_KIND_SVG, 800, 600, 96, 96, svg.data(), svg.size(), &image);
  for (auto _ : state) {
    const HGLOBAL raster = ZQVectorToRaster(image, 24, -1, 255, 255, 255);
    if (!raster) state.SkipWithError("not drawn");
    ZQFreeMemory(raster);
  }
  ZQFreeMemory(image);
}
BENCHMARK(BM_SvgThroughTheEngine)->Unit(benchmark::kMillisecond);

void BM_SvgThroughLibrsvg(benchmark::State& state) {
  const std::string svg = Drawing();
  for (auto _ : state) {
    RsvgHandle* h = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), nullptr);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
    cairo_t* cr = cairo_create(s);
    const RsvgRectangle viewport{0, 0, 800, 600};
    rsvg_handle_render_document(h, cr, &viewport, nullptr);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    g_object_unref(h);
  }
}
BENCHMARK(BM_SvgThroughLibrsvg)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
