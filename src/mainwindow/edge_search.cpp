#include "mainwindow/edge_search.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/numtext.h"

namespace quorlin {
namespace {

constexpr int kSmooth = 2;       // the running mean spans 2 kSmooth + 1 channels
constexpr int kBackground = 40;  // channels searched on each side for the background

double Smoothed(const CData& data, int i) {
  double sum = 0;
  int n = 0;
  for (int j = std::max(0, i - kSmooth); j <= std::min(data.NChan() - 1, i + kSmooth); ++j, ++n)
    sum += data.Intensity(j);
  return n > 0 ? sum / n : 0;
}

bool OnPeak(const CData& data, int c) {
  const double top = Smoothed(data, c);
  double left = top, right = top;
  for (int j = std::max(0, c - kBackground); j < c; ++j) left = std::min(left, Smoothed(data, j));
  for (int j = c + 1; j <= std::min(data.NChan() - 1, c + kBackground); ++j) right = std::min(right, Smoothed(data, j));
  const double background = std::max(left, right);
  return top - background > 3 * std::sqrt(std::max(background, 1.0));
}

}  // namespace

LineEvidence LinesOnPeaks(const MainModel& model) {
  LineEvidence e;
  const clsPeakList& peaks = model.PeakList;
  for (int i = 0; i < peaks.NumberOfPeaks(); ++i) {
    if (!peaks.Included(i)) continue;
    const float d = model.UnitCell.hklDSpacing(peaks.h(i), peaks.k(i), peaks.l(i));
    if (!(d > 0)) continue;
    const float x = model.XRDPlot.TTFromD(1, d);
    if (!(x >= 0) || !(x <= static_cast<float>(model.data.NChan() - 1))) continue;
    ++e.used;
    if (OnPeak(model.data, static_cast<int>(std::lround(x)))) ++e.onPeak;
  }
  return e;
}

std::optional<float> SearchEdge(MainModel& model, float low, float high, int steps) {
  if (!(low > 0) || !(high > low) || steps < 2) return std::nullopt;
  bool any = false;
  for (int i = 0; i < model.PeakList.NumberOfPeaks(); ++i) any = any || model.PeakList.Included(i);
  if (!any) return std::nullopt;
  const std::string keep = model.UnitCell.CellParameters(0, 1);
  std::vector<float> edge(static_cast<std::size_t>(steps) + 1);
  std::vector<double> score(edge.size());
  for (std::size_t i = 0; i < edge.size(); ++i) {
    edge[i] = low + (high - low) * static_cast<float>(i) / static_cast<float>(steps);
    model.UnitCell.SetCellParameters(0, 1, SingleText(edge[i]));
    score[i] = model.PkSum();
  }
  std::optional<float> best;
  int bestOn = -1;
  double bestScore = 0;
  for (std::size_t i = 0; i < edge.size(); ++i) {
    const bool rises = i == 0 || score[i] > score[i - 1];
    const bool falls = i + 1 == edge.size() || score[i] >= score[i + 1];
    if (!rises || !falls || !(score[i] > 0)) continue;
    model.UnitCell.SetCellParameters(0, 1, SingleText(edge[i]));
    const int on = LinesOnPeaks(model).onPeak;
    if (on > bestOn || (on == bestOn && score[i] > bestScore)) {
      best = edge[i];
      bestOn = on;
      bestScore = score[i];
    }
  }
  model.UnitCell.SetCellParameters(0, 1, keep);
  return best;
}

}  // namespace quorlin
