// The redraw asks hklDSpacing for every reflection in the index ranges, and a
// drag fit sets a trial cell per iteration: both must stay cheap.
#include <benchmark/benchmark.h>

#include "core/unitcell.h"

namespace {

void BM_hklDSpacing(benchmark::State& state) {
  quorlin::CUnitCell cell;
  cell.SetBasis(1, 6);
  cell.SetCell(1, {4.1f, 5.2f, 6.3f, 81.0f, 97.0f, 104.0f});
  for (auto _ : state) {
    float sum = 0;
    for (int h = -10; h <= 10; ++h)
      for (int k = -10; k <= 10; ++k)
        for (int l = -10; l <= 10; ++l) sum += cell.hklDSpacing(h, k, l);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 21 * 21 * 21);
}
BENCHMARK(BM_hklDSpacing);

void BM_SetCellReciprocal(benchmark::State& state) {
  quorlin::CUnitCell cell;
  cell.SetBasis(1, 6);
  float a = 0.2f;
  for (auto _ : state) {
    a = a > 0.25f ? 0.2f : a + 1e-4f;
    benchmark::DoNotOptimize(cell.SetCell(-1, {a, 0.21f, 0.22f, 85.0f, 95.0f, 100.0f}));
  }
}
BENCHMARK(BM_SetCellReciprocal);

}  // namespace
