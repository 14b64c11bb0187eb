// The same full redraw painted on the Qt raster surface the window shows:
// the 10 000-point pattern at index limits -4..4 and -10..10, a 100 000-point
// pattern, and the plain one-call-per-primitive painting for comparison.
#include <benchmark/benchmark.h>

#include "../plot_scene.h"
#include "qt_surface.h"

namespace {

void Redraw(benchmark::State& state, int indexLimit, int points, bool batched) {
  const quorlin::bench::PlotScene scene(indexLimit, points);
  quorlin::QtSurface pic(1000, 600);
  pic.SetBatched(batched);
  for (auto _ : state) {
    scene.Draw(pic);
    benchmark::DoNotOptimize(pic.Image().constBits());
  }
}

void BM_MakeXRDPlotQtRaster(benchmark::State& state) { Redraw(state, static_cast<int>(state.range(0)), 10000, true); }
BENCHMARK(BM_MakeXRDPlotQtRaster)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_MakeXRDPlotQtRaster100k(benchmark::State& state) { Redraw(state, 4, 100000, true); }
BENCHMARK(BM_MakeXRDPlotQtRaster100k)->Unit(benchmark::kMillisecond);

void BM_MakeXRDPlotQtRasterPlain(benchmark::State& state) {
  Redraw(state, static_cast<int>(state.range(0)), 10000, false);
}
BENCHMARK(BM_MakeXRDPlotQtRasterPlain)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
