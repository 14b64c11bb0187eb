#include "fitting/cell_search.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "core/unitcell.h"
#include "data/data.h"
#include "plot/xrd_plot.h"
#include "reflections/pattern.h"
#include "reflections/reflection_list.h"

namespace quorlin {

double SearchCellScale(const CData& data, const CXRDPlot& plot, const CPattern& pattern, const CUnitCell& cell,
                       double low, double high, int steps, double windowLo, double windowHi) {
  const std::vector<ReflectionRow> rows = EnumerateReflections(pattern, cell);
  const float lambda = data.Lambda(data.PrimaryLineIndex());
  const double lo = std::min(windowLo, windowHi), hi = std::max(windowLo, windowHi);
  // The pattern by rising x, for interpolation at any x.
  std::vector<std::pair<float, double>> points;
  for (std::int32_t i = 0; i < data.NChan(); ++i) points.emplace_back(data.TwoTheta(i), data.Intensity(i));
  std::sort(points.begin(), points.end());
  double floor = 0;
  for (std::size_t i = 0; i < points.size(); ++i) floor = i == 0 ? points[i].second : std::min(floor, points[i].second);
  auto at = [&](float x) {
    auto right = std::lower_bound(points.begin(), points.end(), std::make_pair(x, -HUGE_VAL));
    if (right == points.begin() || right == points.end()) return floor;
    auto left = right - 1;
    if (right->first == left->first) return left->second;
    const double t = (x - left->first) / (right->first - left->first);
    return left->second + t * (right->second - left->second);
  };
  // One line per distinct spacing: equivalent reflections are one peak.
  std::vector<float> spacings;
  for (const ReflectionRow& r : rows)
    if (r.d > 0 && (spacings.empty() || std::fabs(spacings.back() - r.d) > 1e-6f * r.d)) spacings.push_back(r.d);
  double best = 1, bestScore = -1;
  for (int i = 0; i <= steps; ++i) {
    const double f = low + (high - low) * i / std::max(1, steps);
    double score = 0;
    int n = 0;
    for (float d : spacings) {
      const float x = plot.TTFromD(lambda, static_cast<float>(d * f));
      if (!(x >= lo && x <= hi)) continue;
      score += std::sqrt(std::max(0.0, at(x) - floor));
      ++n;
    }
    if (n > 0 && score > bestScore) {
      bestScore = score;
      best = f;
    }
  }
  return best;
}

}  // namespace quorlin
