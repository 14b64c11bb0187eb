#include "reflections/line_heights.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "core/unitcell.h"

namespace quorlin {

LineHeights::LineHeights(const std::vector<LineIntensity>& lines, const CUnitCell& cell) {
  for (const LineIntensity& line : lines) {
    const float d = cell.hklDSpacing(line.h, line.k, line.l);
    if (d > 0) byD_.emplace_back(d, line.intensity);
  }
  std::sort(byD_.begin(), byD_.end());
}

float LineHeights::IntensityAt(float d) const {
  if (!(d > 0)) return -1.0f;
  const float tol = 2e-5f * d;
  auto it = std::lower_bound(byD_.begin(), byD_.end(), std::make_pair(d - tol, -1.0f));
  float best = -1.0f;
  for (; it != byD_.end() && it->first <= d + tol; ++it) best = std::max(best, it->second);
  return best;
}

float LineHeights::HeightAt(float d) const {
  const float i = IntensityAt(d);
  if (i < 0) return -1.0f;
  return std::clamp(i / 100.0f, kMinimumLineHeight, 1.0f);
}

std::string LineIntensityText(const LineIntensity& line) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d %d %d %.3f", line.h, line.k, line.l, static_cast<double>(line.intensity));
  return buf;
}

bool ParseLineIntensity(const std::string& text, LineIntensity& line) {
  std::istringstream in(text);
  int h, k, l;
  double i;
  std::string rest;
  if (!(in >> h >> k >> l >> i) || (in >> rest)) return false;
  if (std::abs(h) > 100 || std::abs(k) > 100 || std::abs(l) > 100 || !(i >= 0 && i <= 100)) return false;
  line = {static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l),
          static_cast<float>(i)};
  return true;
}

}  // namespace quorlin
