// Indexing speed on one thread: seeded synthetic patterns (25 lines, 0.01
// degree noise, zero shift, missing lines, one impurity) from the generator
// the tests use, per lattice family and per crystal system.
#include <benchmark/benchmark.h>

#include <vector>

#include "indexing/indexing.h"
#include "../tests/indexing/synthetic_patterns.h"

namespace {

void IndexOne(const quorlin::testing::Family& family, std::uint64_t seed) {
  quorlin::IndexingOptions options;
  options.threads = 1;
  const auto pattern = quorlin::testing::MakePattern(family, seed);
  quorlin::IndexingInput input;
  input.positions = pattern.twoTheta;
  benchmark::DoNotOptimize(quorlin::IndexPeaks(input, options));
}

void BM_IndexFamily(benchmark::State& state) {
  const auto& family = quorlin::testing::Families()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(family.name);
  std::uint64_t seed = 0;
  for (auto _ : state) IndexOne(family, 90000 + seed++ % 8);
}
BENCHMARK(BM_IndexFamily)->DenseRange(0, 13)->Unit(benchmark::kMillisecond)->Iterations(4);

// Every family of one crystal system (1 cubic .. 7 triclinic) in turn.
void BM_IndexSystem(benchmark::State& state) {
  static const char* names[] = {"", "cubic", "hexagonal", "trigonal", "tetragonal", "orthorhombic", "monoclinic",
                                "triclinic"};
  const int system = static_cast<int>(state.range(0));
  state.SetLabel(names[system]);
  std::vector<const quorlin::testing::Family*> families;
  for (const auto& f : quorlin::testing::Families())
    if (f.system == system) families.push_back(&f);
  std::uint64_t n = 0;
  for (auto _ : state) {
    IndexOne(*families[n % families.size()], 95000 + n / families.size() % 8);
    ++n;
  }
}
BENCHMARK(BM_IndexSystem)->DenseRange(1, 7)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace
