// Drawing of the diffraction plot: reflection lines, stored phases,
// fluorescence lines, the measured pattern, line colours and line picking.
#include <algorithm>
#include <cmath>

#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "energy/peak_list.h"
#include "phases/stored_phases.h"
#include "plot/xrd_plot.h"
#include "reflections/line_heights.h"
#include "reflections/pattern.h"

namespace quorlin {
namespace {

// An intensity limit as a whole number for the line heights (Long).
double WholeIntensity(double v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(RoundHalfEven(v), -2147483648.0, 2147483647.0);
}

// A colour component: nearest integer, halves to even, kept to 0..255.
int Component(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(RoundHalfEven(v), 0.0, 255.0));
}

Colour RgbOf(double r, double g, double b) { return Rgb(Component(r), Component(g), Component(b)); }

struct Point {
  double x, y;
};

// Liang-Barsky: the part t0..t1 (0 <= t0 <= t1 <= 1) of the segment p->q that
// lies in the rectangle; false when none does.
bool ClipSegment(Point p, Point q, double xmin, double xmax, double ymin, double ymax, double& t0, double& t1) {
  t0 = 0.0;
  t1 = 1.0;
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double pk[4] = {-dx, dx, -dy, dy};
  const double qk[4] = {p.x - xmin, xmax - p.x, p.y - ymin, ymax - p.y};
  for (int i = 0; i < 4; ++i) {
    if (pk[i] == 0.0) {
      if (qk[i] < 0.0) return false;
      continue;
    }
    double t = qk[i] / pk[i];
    if (pk[i] < 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  return t0 <= t1;
}

Point At(Point p, Point q, double t, Point inside) {
  Point c{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
  // A (nearly) vertical segment is cut at its own x.
  if (std::fabs(q.x - p.x) < 0.001) c.x = inside.x;
  return c;
}

}  // namespace

// --- colours -------------------------------------------------------------------

Colour CXRDPlot::ZoneColor(std::int16_t h, std::int16_t k, std::int16_t l, const CPattern& pattern) {
  const double ah = std::abs(static_cast<int>(h)), ak = std::abs(static_cast<int>(k)),
               al = std::abs(static_cast<int>(l));
  const std::string& scheme = pattern.ColorScheme;
  const Colour red = Rgb(255, 0, 0), green = Rgb(0, 255, 0), blue = Rgb(0, 0, 255);
  const Colour white = Rgb(255, 255, 255), black = Rgb(0, 0, 0);
  if (scheme == "Blue") return blue;
  if (scheme == "Direction") {
    double s = ah + ak + al;
    if (s == 0) return black;  // 000 has no direction
    return RgbOf(255 * ah / s, 255 * ak / s, 255 * al / s);
  }
  if (scheme == "Order") {
    // Order 1 black rising to white at order 13; 000 stays black.
    double g = (ah + ak + al - 1) * 255 / 12;
    return RgbOf(g, g, g);
  }
  if (scheme == "Blend") return RgbOf(ah * 255 / 4, ak * 255 / 4, al * 255 / 4);
  if (scheme == "Basal") {
    if (h == 0 && pattern.DimensionFlags(3)) return red;
    if (k == 0 && pattern.DimensionFlags(4)) return green;
    if (l == 0 && pattern.DimensionFlags(5)) return blue;
    if (k == 0 && l == 0) return green;
    if (h == 0 && l == 0) return blue;
    if (h == 0 && k == 0) return red;
    if (h != 0 && k != 0 && l != 0) return white;
    return black;
  }
  if (scheme == "NumberOfZeroes") {
    int zeros = (h == 0) + (k == 0) + (l == 0);
    return zeros == 0 ? green : zeros == 1 ? red : blue;
  }
  if (scheme == "SevenColors") {
    if (k == 0 && l == 0) return red;
    if (h == 0 && l == 0) return green;
    if (h == 0 && k == 0) return blue;
    if (h == 0) return Rgb(0, 255, 255);
    if (k == 0) return Rgb(255, 0, 255);
    if (l == 0) return Rgb(255, 255, 0);
    return white;
  }
  if (scheme == "UserColor") return pattern.LineColor;
  return black;
}

// --- lines ---------------------------------------------------------------------

void CXRDPlot::PlotLine(float d, Colour colour, float base, float top, int width, IDrawingSurface& pic,
                        const CData& data) const {
  if (!(dMin_ <= d && d <= dMax_)) return;
  const double lo = WholeIntensity(IMinValue());
  const double range = WholeIntensity(IMaxValue()) - lo;
  const float ttMin = range_.SngMin(), ttMax = range_.SngMax();
  const int lastLine = std::min<int>(data.NumberOfSourceLines(), CData::kLineCount - 1);
  for (int i = 0; i <= lastLine; ++i) {
    if (!data.LineExists(i)) continue;
    pic.SetDrawWidth(width);
    float x = TTFromD(data.Lambda(i), d);
    if (!(ttMin < x && x < ttMax)) continue;
    double y1 = lo + range * static_cast<double>(base);
    double y2 = lo + range * static_cast<double>(top) * static_cast<double>(data.SourceIntensity(i));
    pic.Line(x, y1, x, y2, colour);
  }
}

void CXRDPlot::StoredPhasesPlot(int index, const CStoredPhases& storedphases, IDrawingSurface& pic,
                                const CData& data) const {
  const CPattern& stored = storedphases.StoredPattern(index);
  const Colour colour = stored.StoredColor;
  const bool heights = ShowLineIntensities && !stored.LineIntensities.empty();
  const LineHeights table(heights ? stored.LineIntensities : std::vector<LineIntensity>{},
                          storedphases.StoredUnitCell(index));
  for (int j = 0; j < CStoredPhases::kLinePositions; ++j) {
    float d = storedphases.StoredLinePosition(index, j);
    if (d == 0.0f) continue;
    const float h = heights ? table.HeightAt(d) : 1.0f;
    PlotLine(d, colour, 0.0f, h < 0 ? kMinimumLineHeight : h, 1, pic, data);
  }
}

void CXRDPlot::PlotReflections(const CStoredPhases& storedphases, IDrawingSurface& pic, const CPattern& pattern,
                               const CUnitCell& UnitCell, const CData& data, std::string_view PatternType,
                               const clsPeakList& PeakList) const {
  const float base = pattern.PeakBase, top = pattern.PeakTop;
  const int width = pattern.linewidth;
  const Colour absence = pattern.AbsenceColor;

  if (PatternType == "jcpds") {
    // A card's lines move with the current cell; their heights follow the card.
    for (int i = 0; i < PeakList.NumberOfPeaks(); ++i) {
      float topI = PeakList.Intens(i) / 100.0f * top;
      std::int16_t h = PeakList.h(i), k = PeakList.k(i), l = PeakList.l(i);
      float d = UnitCell.hklDSpacing(h, k, l);
      Colour colour = PeakList.Included(i) ? ZoneColor(h, k, l, pattern) : absence;
      PlotLine(d, colour, base, topI, width, pic, data);
    }
  } else {
    // Absent reflections first, so that allowed ones are drawn over them.
    if (pattern.PlotAbsences) {
      for (int l = pattern.lmin; l <= pattern.lmax; ++l)
        for (int k = pattern.kmin; k <= pattern.kmax; ++k)
          for (int h = pattern.hmin; h <= pattern.hmax; ++h) {
            auto H = static_cast<std::int16_t>(h), K = static_cast<std::int16_t>(k), L = static_cast<std::int16_t>(l);
            if (!pattern.IsWanted(H, K, L) || pattern.IsAllowed(H, K, L)) continue;
            float d = UnitCell.hklDSpacing(h, k, l);
            if (dMin_ < d && d < dMax_) PlotLine(d, absence, base, top, width, pic, data);
          }
    }
    // A structure's lines reach from PeakBase towards PeakTop by their
    // relative intensity; a reflection the table lacks (extinguished by the
    // atom positions, or beyond its range) keeps the minimum height.
    const bool heights = ShowLineIntensities && !pattern.LineIntensities.empty();
    const LineHeights table(heights ? pattern.LineIntensities : std::vector<LineIntensity>{}, UnitCell);
    for (int l = pattern.lmin; l <= pattern.lmax; ++l)
      for (int k = pattern.kmin; k <= pattern.kmax; ++k)
        for (int h = pattern.hmin; h <= pattern.hmax; ++h) {
          auto H = static_cast<std::int16_t>(h), K = static_cast<std::int16_t>(k), L = static_cast<std::int16_t>(l);
          if (!pattern.IsWanted(H, K, L) || !pattern.IsAllowed(H, K, L)) continue;
          const float d = UnitCell.hklDSpacing(h, k, l);
          float lineTop = top;
          if (heights) {
            const float f = table.HeightAt(d);
            lineTop = base + (top - base) * (f < 0 ? kMinimumLineHeight : f);
          }
          PlotLine(d, ZoneColor(H, K, L, pattern), base, lineTop, width, pic, data);
        }
  }

  if (data.DataType == "Energy") {
    for (int i = 0; i < CStoredPhases::kSlots; ++i)
      for (int line = 1; line <= 4; ++line) {
        float e = storedphases.StoredFluorescenceLine(line, i);
        if (e != 0.0f) PlotLine(DFromEnergy(e, data.edsTWO_THETA), kFluorescenceColour, base, top, width, pic, data);
      }
  }
}

void CXRDPlot::MakeXRDPlot(const CStoredPhases& storedphases, IDrawingSurface& pic, bool PlotFromOutside,
                           const CPattern& pattern, const CUnitCell& UnitCell, const CData& data,
                           std::string_view PatternType, const clsPeakList& PeakList) const {
  pic.SetDrawMode(IDrawingSurface::DrawMode::Copy);
  pic.Clear(XRDBackColor);
  pic.Scale(range_.SngMin(), IMaxValue(), range_.SngMax(), IMinValue());
  for (int i = 0; i < CStoredPhases::kSlots; ++i) {
    const CPattern& stored = storedphases.StoredPattern(i);
    if (stored.Exists && stored.Plotted) StoredPhasesPlot(i, storedphases, pic, data);
  }
  if (!PlotFromOutside) PlotReflections(storedphases, pic, pattern, UnitCell, data, PatternType, PeakList);
  if (PlotTheLatticeImage) PlotTheLatticeImage();
  const double bottom = IMinValue(), top = IMaxValue(), height = top - bottom;
  const auto inWindow = [this](float x) { return range_.SngMin() < x && x < range_.SngMax(); };
  pic.SetDrawWidth(1);
  constexpr int kDashes = 40;
  for (float x : PreviewLines)
    if (inWindow(x))
      for (int i = 0; i < kDashes; ++i) {
        const double y = bottom + height * i / kDashes;
        pic.Line(x, y, x, y + 0.6 * height / kDashes, kPreviewLineColour);
      }
  PlotXRDDataOnly(data, pic);
  const double tick = 0.04 * height;
  pic.SetDrawWidth(1);
  for (float x : PeakTicks)
    if (inWindow(x)) pic.Line(x, top, x, top - tick, kPeakTickColour);
  for (float x : ObservedTicks)
    if (inWindow(x)) pic.Line(x, top, x, top - tick, kObservedTickColour);
}

// --- measured pattern --------------------------------------------------------------

void CXRDPlot::PlotXRDDataOnly(const CData& data, IDrawingSurface& pic) const {
  pic.SetDrawWidth(XRDDataWidth);
  const double xmin = range_.SngMin(), xmax = range_.SngMax();
  const double ymin = IMinValue(), ymax = IMaxValue();
  auto inside = [&](Point p) { return xmin <= p.x && p.x <= xmax && ymin <= p.y && p.y <= ymax; };
  const Colour colour = XRDDataColor;
  Point prev{0, 0};
  bool prevInside = false;
  const std::int32_t n = data.NChan();
  for (std::int32_t i = 0; i < n; ++i) {
    Point cur{data.TwoTheta(i), data.Intensity(i)};
    bool curInside = inside(cur);
    if (i == 0) {
      if (curInside) pic.PSet(cur.x, cur.y, colour);
    } else if (curInside && prevInside) {
      pic.LineTo(cur.x, cur.y, colour);
    } else {
      double t0 = 0, t1 = 1;
      if (ClipSegment(prev, cur, xmin, xmax, ymin, ymax, t0, t1)) {
        if (curInside) {  // coming in: from the boundary to the point
          Point c = At(prev, cur, t0, cur);
          pic.MoveTo(c.x, c.y);
          pic.LineTo(cur.x, cur.y, colour);
        } else if (prevInside) {  // going out: to the boundary, pen up
          Point c = At(prev, cur, t1, prev);
          pic.LineTo(c.x, c.y, colour);
        } else if (t0 < t1) {
          // Both ends outside but the segment crosses the window (a steep
          // peak in a zoomed window): draw the part inside.
          Point a = At(prev, cur, t0, prev), b = At(prev, cur, t1, cur);
          pic.MoveTo(a.x, a.y);
          pic.LineTo(b.x, b.y, colour);
        }
      }
    }
    prev = cur;
    prevInside = curInside;
  }
}

// --- picking lines -------------------------------------------------------------------

std::vector<MillerIndices> CXRDPlot::NearestLine(float d, int maxNumber, const CUnitCell& UnitCell,
                                                 const CPattern& pattern, bool includeAbsences) const {
  std::vector<MillerIndices> found;
  if (maxNumber < 1) return found;
  constexpr float tolerance = 0.0001f;
  float best = 100.0f;
  const int hm = std::abs(static_cast<int>(pattern.hmax)), km = std::abs(static_cast<int>(pattern.kmax)),
            lm = std::abs(static_cast<int>(pattern.lmax));
  for (int h = -hm; h <= hm; ++h)
    for (int k = -km; k <= km; ++k)
      for (int l = -lm; l <= lm; ++l) {
        if (h == 0 && k == 0 && l == 0) continue;
        auto H = static_cast<std::int16_t>(h), K = static_cast<std::int16_t>(k), L = static_cast<std::int16_t>(l);
        float dd = UnitCell.hklDSpacing(h, k, l);
        if (!(dMin_ < dd && dd < dMax_)) continue;
        if (!pattern.IsAllowed(H, K, L) && !includeAbsences) continue;
        if (!pattern.IsWanted(H, K, L)) continue;
        float dist = std::fabs(d - dd);
        if (dist < best - tolerance) {
          best = dist;
          found.clear();
        }
        if (dist - best < tolerance && pattern.IsInWedge(H, K, L) && static_cast<int>(found.size()) < maxNumber)
          found.push_back({H, K, L});
      }
  return found;
}

std::vector<std::int16_t> CXRDPlot::jcpdsNearestLine(float d, int maxNumber, const CUnitCell& UnitCell,
                                                     const clsPeakList& PeakList) const {
  std::vector<std::int16_t> found;
  if (maxNumber < 1) return found;
  constexpr float tolerance = 0.0001f;
  float best = 100.0f;
  for (int i = 0; i < PeakList.NumberOfPeaks(); ++i) {
    float dd = UnitCell.hklDSpacing(PeakList.h(i), PeakList.k(i), PeakList.l(i));
    float dist = std::fabs(d - dd);
    if (dist < best - tolerance) {
      best = dist;
      found.clear();
    }
    if (dist - best < tolerance && static_cast<int>(found.size()) < maxNumber)
      found.push_back(static_cast<std::int16_t>(i));
  }
  return found;
}

}  // namespace quorlin
