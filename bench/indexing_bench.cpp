// Indexing speed per crystal system on one thread: seeded synthetic patterns
// (25 lines, 0.01 degree noise, zero shift, missing lines, one impurity) from
// the generator the tests use.
#include <benchmark/benchmark.h>

#include "indexing/indexing.h"
#include "../tests/indexing/synthetic_patterns.h"

namespace {

void BM_IndexFamily(benchmark::State& state) {
  const auto& family = quorlin::testing::Families()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(family.name);
  std::uint64_t seed = 0;
  quorlin::IndexingOptions options;
  options.threads = 1;
  for (auto _ : state) {
    const auto pattern = quorlin::testing::MakePattern(family, 90000 + seed++ % 8);
    quorlin::IndexingInput input;
    input.positions = pattern.twoTheta;
    benchmark::DoNotOptimize(quorlin::IndexPeaks(input, options));
  }
}
BENCHMARK(BM_IndexFamily)->DenseRange(0, 13)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace
