// Refine on real patterns, as `quorlin-cli refine` runs it, without reading
// the file: LaB6 (NIST SRM 660c, Cu tube, zero and displacement) and PbSO4
// (orthorhombic Pnma, 49 lines, Cu tube, zero; then zero and displacement).
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "data/formats.h"
#include "fitting/pattern_refinement.h"
#include "plot/xrd_plot.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"
#include "reflections/reflection_list.h"

namespace {

using namespace quorlin;

struct Job {
  std::string file;
  const char* system;
  std::int16_t symbol;
  std::array<float, 6> cell;
  bool zero, displacement;
};

void Refine(benchmark::State& state, const Job& job) {
  CData data;
  try {
    ReadDataFile(std::string(QUORLIN_SHARED_DIR) + "/realdata/" + job.file, "", data);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  SetTubeSource(data, "Cu");
  CXRDPlot plot(data);
  plot.SetDataType(data.DataType);
  plot.SetTTMin(SingleText(data.Lower));
  plot.SetTTMax(SingleText(data.Upper));
  CUnitCell cell;
  CPattern pattern;
  SetUpPhase(pattern, cell, CrystalSystemFromName(job.system), job.symbol, job.cell);
  SetIndexReach(pattern, cell, std::min(plot.DMin(), plot.DMax()));
  PatternRefinementOptions options;
  options.refineZero = job.zero;
  options.refineDisplacement = job.displacement;
  for (auto _ : state) benchmark::DoNotOptimize(RefineCellFromPattern(data, plot, pattern, cell, options).result.chi2);
}

const Job kLaB6{"gsas/NIST660CBI.gsas", "cubic", 0, {4.1527f, 4.1527f, 4.1527f, 90, 90, 90}, true, true};
const Job kPbSO4{"gsas/PBSO4.XRA", "orthorhombic", 19, {8.48f, 5.398f, 6.958f, 90, 90, 90}, true, false};
const Job kPbSO4Displaced{"gsas/PBSO4.XRA", "orthorhombic", 19, {8.48f, 5.398f, 6.958f, 90, 90, 90}, true, true};

void BM_RefineLaB6(benchmark::State& state) { Refine(state, kLaB6); }
void BM_RefinePbSO4Zero(benchmark::State& state) { Refine(state, kPbSO4); }
void BM_RefinePbSO4ZeroDisplacement(benchmark::State& state) { Refine(state, kPbSO4Displaced); }
BENCHMARK(BM_RefineLaB6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefinePbSO4Zero)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefinePbSO4ZeroDisplacement)->Unit(benchmark::kMillisecond);

}  // namespace
