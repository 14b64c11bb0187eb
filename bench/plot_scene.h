// The plot the benchmarks redraw: an orthorhombic cell, a 10 000-point
// pattern (or another count) from 5 to 90 degrees and the three Cu tube lines.
#pragma once

#include <cmath>

#include "core/unitcell.h"
#include "data/data.h"
#include "energy/peak_list.h"
#include "phases/stored_phases.h"
#include "plot/xrd_plot.h"
#include "reflections/pattern.h"

namespace quorlin::bench {

struct PlotScene {
  CData data;
  CXRDPlot plot{data};
  CPattern pattern;
  CUnitCell cell;
  CStoredPhases stored;
  clsPeakList peaks;

  explicit PlotScene(int indexLimit, int points = 10000) {
    data.ReadObjectState("", PropertyBag{});  // the Cu tube's lines and intensities
    for (int i = 0; i < 3; ++i) data.SetLineExists(i, true);
    data.SetNChan(points);
    for (int i = 0; i < points; ++i) {
      double x = 5.0 + 85.0 * i / (points - 1.0);
      // A falling background with a comb of peaks.
      double y = 200.0 * std::exp(-x / 40.0) + 3000.0 * std::pow(std::sin(x * 0.7), 40.0);
      data.SetTwoTheta(i, static_cast<float>(x));
      data.SetIntensity(i, y);
    }
    cell.SetCell(1, {5.1f, 6.2f, 7.3f, 90, 90, 90});
    for (int i = 0; i < 7; ++i) pattern.PreviousState(i, true, true);
    auto n = static_cast<std::int16_t>(indexLimit);
    pattern.hmin = pattern.kmin = pattern.lmin = static_cast<std::int16_t>(-n);
    pattern.hmax = pattern.kmax = pattern.lmax = n;
    pattern.ColorScheme = "Order";
    plot.SetTTMin("5");
    plot.SetTTMax("90");
    plot.SetIMax("3500");
  }

  void Draw(IDrawingSurface& pic) const { plot.MakeXRDPlot(stored, pic, false, pattern, cell, data, "", peaks); }
};

}  // namespace quorlin::bench
