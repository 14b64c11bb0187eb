#include "mainwindow/cursor_readout.h"

#include <algorithm>
#include <cmath>

#include "core/numtext.h"
#include "mainwindow/main_model.h"
#include "reflections/line_heights.h"

namespace quorlin {

namespace {

std::string Hkl(const Reflection& r) {
  return std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]);
}

bool Energy(const MainModel& m) { return m.XRDPlot.DataType() == "Energy"; }

std::string PositionText(const MainModel& m, float x) {
  return Energy(m) ? "channel " + FixedText(x, 1) : FixedText(x, 3) + "°";
}

// Offers the line of spacing d (reflection r) drawn by source line `line`.
void Offer(const MainModel& m, float x, int line, float d, const Reflection& r, int slot,
           std::optional<DrawnLine>& best) {
  const CXRDPlot& plot = m.XRDPlot;
  if (!(plot.DMin() <= d && d <= plot.DMax())) return;
  const float pos = plot.TTFromD(m.data.Lambda(line), d);
  if (!(plot.SngTTMin() < pos && pos < plot.SngTTMax())) return;
  if (best && std::fabs(best->position - x) <= std::fabs(pos - x)) return;
  DrawnLine found{r, d, pos, slot, {}};
  if (slot >= 0) {
    found.phase = m.storedphases.StoredPattern(slot).PatternName;
    if (found.phase.empty()) found.phase = "stored phase " + std::to_string(slot + 1);
  }
  best = found;
}

}  // namespace

std::optional<double> MeasuredIntensityAt(const CData& data, float x) {
  const std::int32_t n = data.NChan();
  if (n < 1 || !std::isfinite(x)) return std::nullopt;
  if (x < data.TwoTheta(0) || x > data.TwoTheta(n - 1)) return std::nullopt;
  // The first point at or beyond x, by bisection.
  std::int32_t lo = 0, hi = n - 1;
  while (lo < hi) {
    std::int32_t mid = lo + (hi - lo) / 2;
    if (data.TwoTheta(mid) < x) lo = mid + 1;
    else hi = mid;
  }
  if (lo == 0 || data.TwoTheta(lo) == x) return data.Intensity(lo);
  const double x0 = data.TwoTheta(lo - 1), x1 = data.TwoTheta(lo);
  const double y0 = data.Intensity(lo - 1), y1 = data.Intensity(lo);
  if (!(x1 > x0)) return y1;
  return y0 + (x - x0) / (x1 - x0) * (y1 - y0);
}

std::optional<DrawnLine> NearestDrawnLine(const MainModel& m, float x) {
  const CXRDPlot& plot = m.XRDPlot;
  const CData& data = m.data;
  const float dAtX = plot.DFromTT(x);
  if (!(dAtX > 0) || !std::isfinite(dAtX)) return std::nullopt;
  const float primary = data.Lambda(data.PrimaryLineIndex());
  std::optional<DrawnLine> best;
  const int lastLine = std::min<int>(data.NumberOfSourceLines(), CData::kLineCount - 1);
  for (int i = 0; i <= lastLine; ++i) {
    if (!data.LineExists(i)) continue;
    // The spacing this source line draws at x (Bragg: d scales with lambda;
    // energy data have one position per spacing).
    const float d = Energy(m) || !(primary > 0) ? dAtX : dAtX * data.Lambda(i) / primary;
    if (!m.PlotFromOutside) {
      if (m.PatternType == "jcpds") {
        for (std::int16_t p : plot.jcpdsNearestLine(d, 1, m.UnitCell, m.PeakList)) {
          Reflection r{m.PeakList.h(p), m.PeakList.k(p), m.PeakList.l(p)};
          Offer(m, x, i, m.UnitCell.hklDSpacing(r[0], r[1], r[2]), r, -1, best);
        }
      } else {
        for (const MillerIndices& r : plot.NearestLine(d, 1, m.UnitCell, m.pattern, m.pattern.PlotAbsences))
          Offer(m, x, i, m.UnitCell.hklDSpacing(r.h, r.k, r.l), {r.h, r.k, r.l}, -1, best);
      }
    }
    for (int slot = 0; slot < CStoredPhases::kSlots; ++slot) {
      const CPattern& stored = m.storedphases.StoredPattern(slot);
      if (!stored.Exists || !stored.Plotted) continue;
      float nearest = 0;
      for (int j = 0; j < CStoredPhases::kLinePositions; ++j) {
        float sd = m.storedphases.StoredLinePosition(slot, j);
        if (sd != 0.0f && (nearest == 0.0f || std::fabs(sd - d) < std::fabs(nearest - d))) nearest = sd;
      }
      if (nearest == 0.0f) continue;
      // A stored phase keeps only spacings; its own cell names the reflection.
      Reflection r{};
      auto named = plot.NearestLine(nearest, 1, m.storedphases.StoredUnitCell(slot), stored, false);
      if (!named.empty()) r = {named.front().h, named.front().k, named.front().l};
      Offer(m, x, i, nearest, r, slot, best);
    }
  }
  return best;
}

// The computed intensity (0..100) of a drawn line of a phase from a crystal
// structure; nothing for other phases.
static std::optional<float> ComputedIntensity(const MainModel& m, const DrawnLine& line) {
  if (m.PatternType == "jcpds" && line.slot < 0) return std::nullopt;
  const CPattern& p = line.slot < 0 ? m.pattern : m.storedphases.StoredPattern(line.slot);
  if (p.LineIntensities.empty()) return std::nullopt;
  const CUnitCell& cell = line.slot < 0 ? m.UnitCell : m.storedphases.StoredUnitCell(line.slot);
  const float i = LineHeights(p.LineIntensities, cell).IntensityAt(line.d);
  if (i < 0) return std::nullopt;
  return i;
}

std::string CursorStatusText(const MainModel& m, float x) {
  std::string text;
  if (Energy(m))
    text = "Channel = " + FixedText(x, 1) + "   E = " + FixedText(m.XRDPlot.EnergyFromChannel(x), 3) + " keV";
  else
    text = "2θ = " + FixedText(x, 3) + "°";
  const float d = m.XRDPlot.DFromTT(x);
  text += "   d = " + (d > 0 && std::isfinite(d) ? FixedText(d, 4) + " Å" : std::string("–"));
  if (auto i = MeasuredIntensityAt(m.data, x)) text += "   I = " + FixedText(*i, 0);
  if (auto line = NearestDrawnLine(m, x)) {
    text += "   nearest " + Hkl(line->hkl) + " at " + PositionText(m, line->position);
    if (auto i = ComputedIntensity(m, *line)) text += ", d = " + FixedText(line->d, 4) + " Å, intensity " + FixedText(*i, 1);
    if (line->slot >= 0) text += " (" + line->phase + ")";
  }
  return text;
}

std::optional<DrawnLine> LineUnderCursor(const MainModel& m, float x, float tolerance) {
  auto line = NearestDrawnLine(m, x);
  if (!line || !(std::fabs(line->position - x) <= tolerance)) return std::nullopt;
  return line;
}

std::string LineToolTip(const MainModel& m, const DrawnLine& line) {
  std::string text = Hkl(line.hkl) + "\nd = " + FixedText(line.d, 4) + " Å\n" +
                     (Energy(m) ? "Channel = " + FixedText(line.position, 1) : "2θ = " + FixedText(line.position, 3) + "°");
  if (auto i = ComputedIntensity(m, line)) text += "\nintensity = " + FixedText(*i, 1);
  if (line.slot >= 0) text += "\nphase: " + line.phase;
  return text;
}

}  // namespace quorlin
