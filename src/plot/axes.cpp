#include "plot/axes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "data/data.h"
#include "plot/xrd_plot.h"

namespace quorlin {

double NiceStep(double span, int maxTicks) {
  if (!(span > 0) || !std::isfinite(span) || maxTicks < 1) return 0;
  const double raw = span / maxTicks;
  double decade = std::pow(10.0, std::floor(std::log10(raw)));
  for (;;) {
    for (double m : {1.0, 2.0, 5.0})
      if (m * decade >= raw * (1 - 1e-12)) return m * decade;
    decade *= 10;
  }
}

std::string TickLabel(double value, double step) {
  int decimals = 0;
  if (step > 0 && step < 1) decimals = static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  decimals = std::clamp(decimals, 0, 12);
  // A value that is zero on this grid is written as 0, not -0 or 1e-17.
  if (step > 0 && std::fabs(value) < step * 1e-6) value = 0;
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

std::vector<AxisTick> LinearTicks(double lo, double hi, int maxTicks) {
  if (lo > hi) std::swap(lo, hi);
  std::vector<AxisTick> ticks;
  const double step = NiceStep(hi - lo, maxTicks);
  if (step == 0) return ticks;
  const double first = std::ceil(lo / step - 1e-9);
  const double last = std::floor(hi / step + 1e-9);
  for (double k = first; k <= last && ticks.size() < 1000; ++k) ticks.push_back({k * step, TickLabel(k * step, step)});
  return ticks;
}

std::vector<AxisTick> MappedTicks(double lo, double hi, int maxTicks, const std::function<double(double)>& toOther,
                                  const std::function<double(double)>& fromOther) {
  if (lo > hi) std::swap(lo, hi);
  std::vector<AxisTick> ticks;
  const double a = toOther(lo), b = toOther(hi);
  if (!std::isfinite(a) || !std::isfinite(b)) return ticks;
  for (AxisTick t : LinearTicks(a, b, maxTicks)) {
    double at = fromOther(t.at);
    if (std::isfinite(at) && lo - 1e-9 * (hi - lo) <= at && at <= hi + 1e-9 * (hi - lo)) ticks.push_back({at, t.label});
  }
  return ticks;
}

AxesStyle AxesFor(const CXRDPlot& plot) {
  AxesStyle style;
  style.leftTitle = "Intensity";
  if (plot.DataType() != "Energy") {
    style.bottomTitle = "2θ (°)";
    return style;
  }
  style.bottomTitle = "Channel";
  const CData& data = plot.BoundData();
  // Without a rising calibration there is no energy to show.
  if (!(data.edsCAL_SLOPE > 0) || data.edsCAL_QUAD < 0 || data.NChan() < 2) return style;
  style.topTitle = "Energy (keV)";
  const double quad = data.edsCAL_QUAD, slope = data.edsCAL_SLOPE, offset = data.edsCAL_OFFSET;
  style.topFromBottom = [=](double ch) { return quad * ch * ch + slope * ch + offset; };
  style.bottomFromTop = [=](double e) {
    // The channel of energy e: the root of the calibration that rises with it.
    if (quad == 0) return (e - offset) / slope;
    double disc = slope * slope - 4 * quad * (offset - e);
    return disc < 0 ? std::nan("") : (-slope + std::sqrt(disc)) / (2 * quad);
  };
  return style;
}

}  // namespace quorlin
