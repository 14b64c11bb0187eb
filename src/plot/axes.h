// The axes drawn around the plot area: where the ticks go and what they say.
// Ticks are spaced 1, 2 or 5 x 10^n of the axis unit, so they follow every
// zoom and pan of the window. The energy axis of a spectrum is drawn along
// the channel axis through the spectrum's calibration.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quorlin {

class CXRDPlot;

struct AxisTick {
  double at = 0;      // position in the axis' own user coordinate
  std::string label;  // text written at the tick
};

// The smallest step of 1, 2 or 5 x 10^n that cuts span into at most
// maxTicks intervals; 0 for an empty, negative or non-finite span.
double NiceStep(double span, int maxTicks);

// The value written for a tick on a grid of `step`: as many decimals as the
// step needs, none for steps of 1 and above, never "-0".
std::string TickLabel(double value, double step);

// Ticks at whole multiples of a nice step within lo..hi (either order).
std::vector<AxisTick> LinearTicks(double lo, double hi, int maxTicks);

// Ticks of a second unit along the same axis: nice values of
// toOther(lo)..toOther(hi), placed back at fromOther(value). Values that do
// not map back inside lo..hi are left out.
std::vector<AxisTick> MappedTicks(double lo, double hi, int maxTicks, const std::function<double(double)>& toOther,
                                  const std::function<double(double)>& fromOther);

// What the axes of a plot say: the bottom axis in the plot's unit, the left
// axis intensity, and for energy data with a usable calibration a top axis
// in keV.
struct AxesStyle {
  std::string bottomTitle;
  std::string leftTitle;
  std::string topTitle;  // empty: no top axis
  std::function<double(double)> topFromBottom, bottomFromTop;
};

AxesStyle AxesFor(const CXRDPlot& plot);

}  // namespace quorlin
