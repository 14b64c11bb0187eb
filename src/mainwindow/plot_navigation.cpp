#include "mainwindow/plot_navigation.h"

#include <algorithm>
#include <cmath>

#include "core/numtext.h"

namespace quorlin {

void SetPlotWindow(CXRDPlot& plot, float ttMin, float ttMax) {
  const std::string lo = SingleText(ttMin), hi = SingleText(ttMax);
  if (ttMin < plot.SngTTMin()) {
    plot.SetTTMin(lo);
    plot.SetTTMax(hi);
  } else {
    plot.SetTTMax(hi);
    plot.SetTTMin(lo);
  }
}

void SetPlotIntensityWindow(CXRDPlot& plot, const std::string& lo, const std::string& hi) {
  if (LenientDouble(lo) < plot.IMaxValue()) {
    plot.Setimin(lo);
    plot.SetIMax(hi);
  } else {
    plot.SetIMax(hi);
    plot.Setimin(lo);
  }
}

void PanPlotWindow(CXRDPlot& plot, float dx, float dy) {
  const float lo = plot.SngTTMin(), hi = plot.SngTTMax();
  const float absLo = plot.TTAbsMin, absHi = plot.TTAbsMax;
  float newLo = lo - dx, newHi = hi - dx;
  // Keep the width and stay inside the absolute bounds.
  if (newLo < absLo) {
    newHi += absLo - newLo;
    newLo = absLo;
  }
  if (newHi > absHi) {
    newLo = std::max(absLo, newLo - (newHi - absHi));
    newHi = absHi;
  }
  SetPlotWindow(plot, newLo, newHi);
  const double iLo = plot.IMinValue() - dy, iHi = plot.IMaxValue() - dy;
  SetPlotIntensityWindow(plot, DoubleText(iLo), DoubleText(iHi));
}

std::optional<std::pair<float, float>> ZoomAbout(float lo, float hi, float x, int steps, float absLo,
                                                 float absHi) {
  if (steps == 0 || !(lo < hi) || !std::isfinite(x)) return std::nullopt;
  const double c = std::clamp(static_cast<double>(x), static_cast<double>(lo), static_cast<double>(hi));
  const double f = std::pow(kWheelZoomFactor, steps);
  double newLo = c - (c - lo) * f, newHi = c + (hi - c) * f;
  newLo = std::max(newLo, static_cast<double>(absLo));
  newHi = std::min(newHi, static_cast<double>(absHi));
  if (newHi - newLo < kNarrowestWheelWindow) return std::nullopt;
  const auto a = static_cast<float>(newLo), b = static_cast<float>(newHi);
  if (a == lo && b == hi) return std::nullopt;
  return std::make_pair(a, b);
}

}  // namespace quorlin
