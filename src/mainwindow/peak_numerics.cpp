#include "mainwindow/peak_numerics.h"

#include <algorithm>

namespace quorlin {

float GrowPeak(const CData& data, const CXRDPlot& XRDPlot, float lambda, std::int32_t peakHalfWidth,
               std::int32_t halfRange, float initialDSpacing) {
  const float x = XRDPlot.TTFromD(lambda, initialDSpacing);
  const auto i0 = data.Index(x);
  if (!i0) return XRDPlot.DFromTT(x);
  const std::int64_t first = std::int64_t{*i0} - halfRange - peakHalfWidth;
  const std::int64_t last = std::int64_t{*i0} + halfRange + peakHalfWidth;
  if (first < 0 || last > data.NChan() - 1) return XRDPlot.DFromTT(x);
  double best = -10000.0;
  std::int32_t bestJ = 0;
  for (std::int32_t j = -halfRange; j <= halfRange; ++j) {
    double sum = 0;
    for (std::int32_t m = -peakHalfWidth; m <= peakHalfWidth; ++m) sum += data.Intensity(*i0 + j + m);
    if (sum > best) {
      best = sum;
      bestJ = j;
    }
  }
  return XRDPlot.DFromTT(data.TwoTheta(*i0 + bestJ));
}

double IFromDSPacing(const CData& data, const CXRDPlot& XRDPlot, float lambda, float d) {
  if (d < XRDPlot.DMin() || d > XRDPlot.DMax()) return 0.0;
  const float x = XRDPlot.TTFromD(lambda, d);
  if (data.DataType == "Energy") return data.IntensityInterpolated(x);
  // Angle data: interpolate at the fractional channel of the 2-theta position.
  const auto& xs = data.XValues();
  if (xs.size() < 2 || !(x >= xs.front()) || !(x <= xs.back())) return 0.0;
  auto upper = std::upper_bound(xs.begin(), xs.end(), x);
  std::size_t i2 = static_cast<std::size_t>(upper - xs.begin());
  if (i2 >= xs.size()) i2 = xs.size() - 1;
  std::size_t i1 = i2 - 1;
  const double span = static_cast<double>(xs[i2]) - xs[i1];
  const double fraction = span > 0 ? (static_cast<double>(x) - xs[i1]) / span : 0.0;
  const double a = data.Intensity(static_cast<std::int32_t>(i1)), b = data.Intensity(static_cast<std::int32_t>(i2));
  return a + fraction * (b - a);
}

double PkSum(const CData& data, const CXRDPlot& XRDPlot, float lambda, const CUnitCell& UnitCell,
             const clsPeakList& PeakList) {
  double sum = 0;
  for (int i = 0; i < PeakList.NumberOfPeaks(); ++i) {
    if (!PeakList.Included(i)) continue;
    float d = UnitCell.hklDSpacing(PeakList.h(i), PeakList.k(i), PeakList.l(i));
    sum += static_cast<double>(PeakList.Intens(i)) * IFromDSPacing(data, XRDPlot, lambda, d);
  }
  return sum;
}

}  // namespace quorlin
