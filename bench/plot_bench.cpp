// A full redraw follows every cell change and every step of a drag, so it
// must stay well inside a frame. Recording surface: the model's share alone.
#include <benchmark/benchmark.h>

#include "plot/recording_surface.h"
#include "plot_scene.h"

namespace {

void BM_MakeXRDPlotRecording(benchmark::State& state) {
  const quorlin::bench::PlotScene scene(static_cast<int>(state.range(0)));
  quorlin::RecordingSurface pic(1000, 600);
  for (auto _ : state) {
    pic.Forget();
    scene.Draw(pic);
    benchmark::DoNotOptimize(pic.Primitives().data());
  }
  state.counters["primitives"] = static_cast<double>(pic.Primitives().size());
}
BENCHMARK(BM_MakeXRDPlotRecording)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
