// Reading and writing a 500 000-point two-column x-y file in memory: the
// work of `quorlin-cli convert` without the disk.
#include <benchmark/benchmark.h>

#include <cmath>
#include <sstream>

#include "data/data.h"
#include "data/readers.h"

namespace {

std::string XYText(int points) {
  std::string text;
  char row[64];
  for (int i = 0; i < points; ++i) {
    double x = 5.0 + 85.0 * i / (points - 1.0);
    double y = 200.0 * std::exp(-x / 40.0) + 3000.0 * std::pow(std::sin(x * 0.7), 40.0);
    std::snprintf(row, sizeof row, "%.6f %.3f\n", x, y);
    text += row;
  }
  return text;
}

void BM_ReadXY500k(benchmark::State& state) {
  const std::string text = XYText(500000);
  for (auto _ : state) {
    std::istringstream in(text);
    quorlin::CData data;
    quorlin::OpenXY(in, "bench.xy", data);
    benchmark::DoNotOptimize(data.NChan());
  }
}
BENCHMARK(BM_ReadXY500k)->Unit(benchmark::kMillisecond);

void BM_WriteXY500k(benchmark::State& state) {
  std::istringstream in(XYText(500000));
  quorlin::CData data;
  quorlin::OpenXY(in, "bench.xy", data);
  for (auto _ : state) {
    std::ostringstream out;
    quorlin::WriteXY(out, data);
    benchmark::DoNotOptimize(out.tellp());
  }
}
BENCHMARK(BM_WriteXY500k)->Unit(benchmark::kMillisecond);

}  // namespace
