// The same full redraw painted on the Qt raster surface the window shows.
#include <benchmark/benchmark.h>

#include "../plot_scene.h"
#include "qt_surface.h"

namespace {

void BM_MakeXRDPlotQtRaster(benchmark::State& state) {
  const quorlin::bench::PlotScene scene(static_cast<int>(state.range(0)));
  quorlin::QtSurface pic(1000, 600);
  for (auto _ : state) {
    scene.Draw(pic);
    benchmark::DoNotOptimize(pic.Image().constBits());
  }
}
BENCHMARK(BM_MakeXRDPlotQtRaster)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
