// A drag release must feel immediate: each fit runs once per mouse release.
#include <benchmark/benchmark.h>

#include "core/unitcell.h"
#include "mainwindow/plot_interaction.h"

namespace {

quorlin::CUnitCell ObliqueCell() {
  quorlin::CUnitCell c;
  c.SetCellShape(0);
  c.SetCell(1, {5.2f, 6.1f, 7.3f, 82.0f, 97.0f, 104.0f});
  return c;
}

void BM_CellEdgeDrag(benchmark::State& state) {
  const quorlin::CUnitCell start = ObliqueCell();
  const float d0 = start.hklDSpacing(1, 2, 3);
  for (auto _ : state) {
    quorlin::CUnitCell c = start;
    benchmark::DoNotOptimize(quorlin::CellEdgeDrag(c, 1, 2, 3, d0, d0 * 0.97f));
  }
}
BENCHMARK(BM_CellEdgeDrag);

void BM_FullStrainDrag(benchmark::State& state) {
  const quorlin::CUnitCell start = ObliqueCell();
  const float d0 = start.hklDSpacing(1, 1, 1);
  for (auto _ : state) {
    quorlin::CUnitCell c = start;
    benchmark::DoNotOptimize(quorlin::FullStrainDrag(c, 1, 1, 1, d0, d0 * 0.97f));
  }
}
BENCHMARK(BM_FullStrainDrag);

}  // namespace
