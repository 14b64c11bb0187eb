#include "fitting/pattern_refinement.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "core/errors.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "fitting/profile_fit.h"
#include "plot/xrd_plot.h"
#include "reflections/pattern.h"

namespace quorlin {

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
// A peak is kept only when its height is this many times the scatter of the
// data about the fit.
constexpr double kSignalToNoise = 5.0;
// Lines closer than this fraction of a peak width are one observation.
constexpr double kCoincidence = 0.5;
// Lines further apart than this many widths are measured separately.
constexpr double kResolved = 1.5;
// After the first cycle a peak must lie within this many residual scatters
// of its line (but at least half a peak width, and never beyond the user's
// tolerance): a line whose own peak is missing must not take a neighbour's.
constexpr double kAcceptScatters = 4.0;
constexpr double kAcceptFloorWidths = 0.5;
// A position further off the fit than this many robust scatters of the
// weighted residuals is a wrong assignment and leaves the fit.
constexpr double kOutlier = 4.0;

double ChannelEnergy(const CData& data, double ch) {
  return static_cast<double>(data.edsCAL_QUAD) * ch * ch + static_cast<double>(data.edsCAL_SLOPE) * ch +
         static_cast<double>(data.edsCAL_OFFSET);
}

double EnergySlope(const CData& data, double ch) {
  return 2.0 * static_cast<double>(data.edsCAL_QUAD) * ch + static_cast<double>(data.edsCAL_SLOPE);
}

double EnergyChannel(const CData& data, double e) {
  double ch = data.edsCAL_SLOPE != 0.0f ? (e - data.edsCAL_OFFSET) / data.edsCAL_SLOPE : 0.0;
  for (int i = 0; i < 20; ++i) {
    const double slope = EnergySlope(data, ch);
    if (slope == 0.0) break;
    ch -= (ChannelEnergy(data, ch) - e) / slope;
  }
  return ch;
}

bool IsEnergy(const CXRDPlot& plot) { return plot.DataType() == "Energy"; }

// Pattern unit (degrees or channel) to axis unit (degrees or keV) and back.
double ToAxis(const CData& data, const CXRDPlot& plot, double x) {
  return IsEnergy(plot) ? ChannelEnergy(data, x) : x;
}
double ToPattern(const CData& data, const CXRDPlot& plot, double x) {
  return IsEnergy(plot) ? EnergyChannel(data, x) : x;
}

double Q(const std::array<double, 6>& metric, const MillerIndices& m) {
  const double h = m.h, k = m.k, l = m.l;
  return h * h * metric[0] + k * k * metric[1] + l * l * metric[2] + k * l * metric[3] + h * l * metric[4] +
         h * k * metric[5];
}

struct Candidate {
  std::vector<MillerIndices> hkl;
  double q = 0;
  double x = 0;  // pattern units
};

// The K-alpha2 partner of the primary line, when it is on.
std::optional<int> SecondLine(const CData& data) {
  const int primary = data.PrimaryLineIndex();
  if ((primary == 0 || primary == 3) && data.LineExists(primary + 1) && data.SourceIntensity(primary) > 0)
    return primary + 1;
  return std::nullopt;
}

bool SameIndices(const MillerIndices& a, const std::vector<MillerIndices>& list) {
  return std::find(list.begin(), list.end(), a) != list.end();
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

// Drops the worst-fitting position, one at a time with a refit after each,
// while it lies beyond kOutlier robust scatters (1.4826 times the median
// absolute weighted residual, and at least one su: the profile fits' su are
// honest for clean peaks) and enough positions remain.
void RejectOutliers(std::vector<MeasuredLine>& lines, std::vector<std::size_t>& lineOf,
                    std::vector<Observation>& observations, const RefinementSetup& setup, RefinementResult& result) {
  while (result.AllDetermined() && static_cast<int>(observations.size()) > result.parameters + 2) {
    double smallest = 0;
    for (const auto& o : observations)
      if (o.su > 0 && (smallest == 0 || o.su < smallest)) smallest = o.su;
    std::vector<double> z;
    for (std::size_t i = 0; i < observations.size(); ++i) {
      const double su = observations[i].su > 0 ? observations[i].su : (smallest > 0 ? smallest : 1.0);
      z.push_back(std::fabs(result.reflections[i].observed - result.reflections[i].calculated) / su);
    }
    const double scale = std::max(1.4826 * Median(z), 1.0);
    const auto worst = static_cast<std::size_t>(std::max_element(z.begin(), z.end()) - z.begin());
    if (!(z[worst] > kOutlier * scale)) return;
    MeasuredLine& line = lines[lineOf[worst]];
    line.used = false;
    line.note = "off the fit";
    observations.erase(observations.begin() + static_cast<std::ptrdiff_t>(worst));
    lineOf.erase(lineOf.begin() + static_cast<std::ptrdiff_t>(worst));
    result = RefineCell(observations, setup);
  }
}

}  // namespace

void SetTubeSource(CData& data, const std::string& tube) {
  for (int i = 0; i < CData::kLineCount; ++i) data.SetLineExists(i, false);
  const int first = tube == "Mo" ? 3 : 0;
  static constexpr float kLines[6] = {1.540562f, 1.54439f, 0, 0.7093f, 0.71359f, 0};
  data.SetLambda(first, kLines[first]);
  data.SetLambda(first + 1, kLines[first + 1]);
  data.SetSourceIntensity(first, 1.0f);
  data.SetSourceIntensity(first + 1, 0.5f);
  data.SetLineExists(first, true);
  data.SetLineExists(first + 1, true);
  data.PrimaryLine = static_cast<float>(first);
  data.TubeType = tube;
}

void SetSingleWavelength(CData& data, float lambda) {
  for (int i = 0; i < CData::kLineCount; ++i) data.SetLineExists(i, false);
  data.SetLambda(6, lambda);
  data.SetSourceIntensity(6, 1.0f);
  data.SetLineExists(6, true);
  data.PrimaryLine = 6;
}

void SetIndexReach(CPattern& pattern, const CUnitCell& cell, double dMin) {
  auto reach = [&](int axis) {
    return static_cast<std::int16_t>(std::min(24.0, std::ceil(cell.Edge(1, axis) / dMin) + 1));
  };
  pattern.hmax = reach(0);
  pattern.kmax = reach(1);
  pattern.lmax = reach(2);
  pattern.hmin = static_cast<std::int16_t>(-pattern.hmax);
  pattern.kmin = static_cast<std::int16_t>(-pattern.kmax);
  pattern.lmin = static_cast<std::int16_t>(-pattern.lmax);
  for (int i = 0; i < 7; ++i) pattern.PreviousState(i, true, true);
}

RefinementSetup SetupFromPlot(const CData& data, const CXRDPlot& plot, const CUnitCell& cell) {
  RefinementSetup s;
  s.basis = cell.Basis();
  s.cellShape = cell.CellShape();
  for (int i = 0; i < 3; ++i) {
    s.start[static_cast<std::size_t>(i)] = cell.Edge(1, i);
    s.start[static_cast<std::size_t>(i + 3)] = cell.CellAngle(1, i).Degrees();
  }
  if (IsEnergy(plot)) {
    s.axis = PatternAxis::Energy;
    s.detectorTwoTheta = data.edsTWO_THETA;
  } else {
    s.axis = PatternAxis::Angle;
    s.wavelength = data.Lambda(data.PrimaryLineIndex());
    s.displacement = plot.SpecimenDisplacement;
  }
  return s;
}

double EstimatePeakWidth(const CData& data, const CXRDPlot& plot) {
  const auto& xs = data.XValues();
  const auto& ys = data.Intensities();
  const double lo = plot.SngTTMin(), hi = plot.SngTTMax();
  std::vector<std::size_t> inside;
  for (std::size_t i = 0; i < xs.size(); ++i)
    if (lo <= xs[i] && xs[i] <= hi && std::isfinite(ys[i])) inside.push_back(i);
  if (inside.size() < 5) return 0;
  std::vector<double> sorted;
  for (auto i : inside) sorted.push_back(ys[i]);
  std::sort(sorted.begin(), sorted.end());
  const double base = sorted[sorted.size() / 5];  // a low quantile stands for the background
  std::size_t top = inside.front();
  for (auto i : inside)
    if (ys[i] > ys[top]) top = i;
  const double half = (ys[top] + base) / 2.0;
  auto crossing = [&](int direction) {
    std::size_t i = top;
    while (true) {
      const std::size_t next = direction < 0 ? i - 1 : i + 1;
      if ((direction < 0 && i == inside.front()) || (direction > 0 && i == inside.back())) return static_cast<double>(xs[i]);
      if (ys[next] <= half) {
        if (ys[i] == ys[next]) return static_cast<double>(xs[next]);
        const double t = (ys[i] - half) / (ys[i] - ys[next]);
        return xs[i] + t * (static_cast<double>(xs[next]) - xs[i]);
      }
      i = next;
    }
  };
  const double step = (static_cast<double>(xs[inside.back()]) - xs[inside.front()]) / static_cast<double>(inside.size() - 1);
  return std::max(crossing(1) - crossing(-1), 2.0 * std::fabs(step));
}

namespace {

// The measured points with from <= x <= to.
struct Points {
  std::vector<double> x, y;
};

Points PointsBetween(const CData& data, double from, double to) {
  const auto& xs = data.XValues();
  const auto& ys = data.Intensities();
  Points p;
  for (std::size_t i = 0; i < xs.size(); ++i)
    if (from <= xs[i] && xs[i] <= to && std::isfinite(ys[i])) {
      p.x.push_back(xs[i]);
      p.y.push_back(ys[i]);
    }
  return p;
}

// A straight background through the means of a few points at either end.
struct Background {
  double x0 = 0, y0 = 0, slope = 0;
  double At(double x) const { return y0 + slope * (x - x0); }
};

Background EndsBackground(const Points& w) {
  const std::size_t e = std::max<std::size_t>(1, std::min<std::size_t>(3, w.x.size() / 4));
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (std::size_t i = 0; i < e; ++i) {
    x0 += w.x[i] / e;
    y0 += w.y[i] / e;
    x1 += w.x[w.x.size() - 1 - i] / e;
    y1 += w.y[w.y.size() - 1 - i] / e;
  }
  return {x0, y0, (y1 - y0) / (x1 - x0)};
}

// Every reflection drawn inside the window, by rising position; equal
// spacings (equivalent reflections) keep the members of the asymmetric
// wedge, or one of them.
std::vector<Candidate> DrawnLines(const CData& data, const CXRDPlot& plot, const CPattern& pattern,
                                  const RefinementSetup& setup, const std::array<double, 6>& metric, double zero,
                                  double displacement) {
  std::map<long long, std::vector<MillerIndices>> bySpacing;
  for (int l = pattern.lmin; l <= pattern.lmax; ++l)
    for (int k = pattern.kmin; k <= pattern.kmax; ++k)
      for (int h = pattern.hmin; h <= pattern.hmax; ++h) {
        const auto H = static_cast<std::int16_t>(h), K = static_cast<std::int16_t>(k), L = static_cast<std::int16_t>(l);
        if (h == 0 && k == 0 && l == 0) continue;
        if (!pattern.IsWanted(H, K, L) || !pattern.IsAllowed(H, K, L)) continue;
        const double q = Q(metric, {H, K, L});
        if (!(q > 0)) continue;
        bySpacing[std::llround(std::log(q) * 1e8)].push_back({H, K, L});
      }
  const double lo = plot.SngTTMin(), hi = plot.SngTTMax();
  std::vector<Candidate> candidates;
  for (auto& [key, members] : bySpacing) {
    Candidate c;
    for (const auto& m : members)
      if (pattern.IsInWedge(m.h, m.k, m.l)) c.hkl.push_back(m);
    if (c.hkl.empty())
      c.hkl.push_back(*std::max_element(members.begin(), members.end(), [](const auto& a, const auto& b) {
        return std::tie(a.h, a.k, a.l) < std::tie(b.h, b.k, b.l);
      }));
    c.q = Q(metric, c.hkl.front());
    c.x = ToPattern(data, plot, AxisPosition(setup, c.q, zero, displacement));
    if (std::isfinite(c.x) && lo <= c.x && c.x <= hi) candidates.push_back(std::move(c));
  }
  std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
  return candidates;
}

// Lines closer than a fraction of the width are one peak.
std::vector<Candidate> MergeCoincident(std::vector<Candidate> candidates, double peakWidth) {
  std::vector<Candidate> merged;
  for (auto& c : candidates) {
    if (!merged.empty() && c.x - merged.back().x < kCoincidence * peakWidth) {
      auto& m = merged.back();
      m.hkl.insert(m.hkl.end(), c.hkl.begin(), c.hkl.end());
      continue;
    }
    merged.push_back(std::move(c));
  }
  return merged;
}

// A line with another one closer than a peak width and a half is not
// measured: the two peaks cannot be told apart.
bool Overlapped(const std::vector<Candidate>& lines, std::size_t at, double peakWidth) {
  return (at > 0 && lines[at].x - lines[at - 1].x < kResolved * peakWidth) ||
         (at + 1 < lines.size() && lines[at + 1].x - lines[at].x < kResolved * peakWidth);
}

// The K-alpha2 component every peak of a tube pattern carries.
Doublet SourceDoublet(const CData& data, const CXRDPlot& plot, const RefinementSetup& setup) {
  Doublet partner;
  const auto second = SecondLine(data);
  if (IsEnergy(plot) || !second) return partner;
  partner.ratio = data.SourceIntensity(*second) / data.SourceIntensity(data.PrimaryLineIndex());
  const double lambdaRatio = static_cast<double>(data.Lambda(*second)) / setup.wavelength;
  partner.position = [lambdaRatio](double x) {
    const double s = lambdaRatio * std::sin(x * kDegree / 2.0);
    return s < 1.0 ? 2.0 * std::asin(s) / kDegree : 180.0;
  };
  return partner;
}

// The local maximum nearest the line within the tolerance that rises well
// above the background; NaN when there is none.
double NearestPeak(const Points& w, const Background& b, double line, double tolerance, double peakWidth) {
  double tallest = 0;
  for (std::size_t i = 0; i < w.x.size(); ++i)
    if (std::fabs(w.x[i] - line) <= tolerance) tallest = std::max(tallest, w.y[i] - b.At(w.x[i]));
  double chosen = std::nan("");
  for (std::size_t i = 0; i < w.x.size(); ++i) {
    if (std::fabs(w.x[i] - line) > tolerance) continue;
    const double above = w.y[i] - b.At(w.x[i]);
    if (!(above > 0.2 * tallest)) continue;
    bool isMaximum = true;
    for (std::size_t j = 0; j < w.x.size() && isMaximum; ++j)
      if (j != i && std::fabs(w.x[j] - w.x[i]) <= peakWidth / 2 && w.y[j] > w.y[i]) isMaximum = false;
    if (isMaximum && (std::isnan(chosen) || std::fabs(w.x[i] - line) < std::fabs(chosen - line))) chosen = w.x[i];
  }
  return chosen;
}

// The mean of the points i-m .. i+m (as far as the window goes).
double Smoothed(const Points& w, std::size_t i, std::size_t m) {
  if (m == 0) return w.y[i];
  const std::size_t from = i > m ? i - m : 0, to = std::min(w.y.size() - 1, i + m);
  double sum = 0;
  for (std::size_t j = from; j <= to; ++j) sum += w.y[j];
  return sum / static_cast<double>(to - from + 1);
}

// The full width at half height above the background of the peak topping
// at point `top`, on the points smoothed over 2m + 1; NaN when the points
// do not fall to half height on both sides inside the window.
double HalfHeightWidth(const Points& w, const Background& b, std::size_t top, std::size_t m) {
  const double half = (Smoothed(w, top, m) + b.At(w.x[top])) / 2.0;
  std::size_t left = top, right = top;
  while (left > 0 && Smoothed(w, left, m) > half) --left;
  while (right + 1 < w.x.size() && Smoothed(w, right, m) > half) ++right;
  if (Smoothed(w, left, m) <= half && Smoothed(w, right, m) <= half && right > left) return w.x[right] - w.x[left];
  return std::nan("");
}

// The scatter of single points stands against a peak as wide as the
// pattern's typical one; a broader peak spans more points, and its height
// stands against their mean, whose scatter falls as the root of the width.
double NoiseOverWidth(double fwhm, double peakWidth) {
  return fwhm > peakWidth ? std::sqrt(peakWidth / fwhm) : 1.0;
}

// A line's own peak: where it tops, how wide it is where it stands, and
// the valleys that part it from a neighbour (infinite where none does).
struct LocalPeak {
  double centre = 0, width = 0;
  double from = -HUGE_VAL, to = HUGE_VAL;
};

// The half-height width of a broad peak topping at `top`, walking out on
// smoothed points. A side that rises again before it falls to half height
// runs into a neighbour: it stops at the valley, and the width is twice
// the other side's half width. NaN when neither side falls to half height.
LocalPeak BroadHalfWidths(const Points& w, const Background& b, std::size_t top, std::size_t m) {
  const double peakTop = Smoothed(w, top, m), half = (peakTop + b.At(w.x[top])) / 2.0;
  const double rise = 0.25 * (peakTop - half);
  LocalPeak p;
  p.centre = w.x[top];
  std::array<double, 2> halfWidth{std::nan(""), std::nan("")};
  for (int side = 0; side < 2; ++side) {
    std::size_t i = top, valley = top;
    while (true) {
      if (side == 0 ? i == 0 : i + 1 == w.x.size()) break;
      i = side == 0 ? i - 1 : i + 1;
      const double v = Smoothed(w, i, m);
      if (v <= half) {
        halfWidth[side] = std::fabs(w.x[i] - w.x[top]);
        break;
      }
      if (v < Smoothed(w, valley, m)) valley = i;
      if (v > Smoothed(w, valley, m) + rise) {
        (side == 0 ? p.from : p.to) = w.x[valley];
        break;
      }
    }
  }
  if (!std::isnan(halfWidth[0]) && !std::isnan(halfWidth[1])) p.width = halfWidth[0] + halfWidth[1];
  else if (!std::isnan(halfWidth[0])) p.width = 2.0 * halfWidth[0];
  else if (!std::isnan(halfWidth[1])) p.width = 2.0 * halfWidth[1];
  else p.width = std::nan("");
  return p;
}

// The peak's width from the points about it. A peak no wider than twice
// the pattern's typical width (that of its strongest peak) is measured on
// the search window. A broader one (a broad phase beside a sharp one) does
// not fall to half height there: it is measured again on a window three of
// its widths either side, on points smoothed over an eighth of its width,
// until the width settles, up to kBroadest typical widths.
LocalPeak PeakAt(const CData& data, const Points& w, const Background& b, double chosen, double separation,
                 double peakWidth) {
  constexpr double kBroadest = 10.0;
  std::size_t top = 0;
  while (top < w.x.size() && w.x[top] != chosen) ++top;
  // Smoothed over an eighth of the typical width, so that counting noise on
  // a low broad peak does not cross half height early.
  const double spacing = (w.x.back() - w.x.front()) / static_cast<double>(w.x.size() - 1);
  const auto smooth = static_cast<std::size_t>(std::max(0.0, std::floor(peakWidth / 8.0 / std::fabs(spacing))));
  const double measured = HalfHeightWidth(w, b, top, smooth);
  if (measured <= 2.0 * peakWidth) return {chosen, std::max(measured, 0.5 * peakWidth)};
  LocalPeak peak{chosen, std::isnan(measured) ? 2.0 * peakWidth : measured};
  for (int round = 0; round < 8; ++round) {
    const double width = std::min(peak.width, kBroadest * peakWidth);
    const Points wide = PointsBetween(data, peak.centre - 3.0 * width, peak.centre + 3.0 * width + separation);
    if (wide.x.size() < 12) break;
    const double step = (wide.x.back() - wide.x.front()) / static_cast<double>(wide.x.size() - 1);
    const auto m = static_cast<std::size_t>(std::max(0.0, std::floor(width / 8.0 / std::fabs(step))));
    // The smoothed top near the point first chosen (the highest within half
    // a typical width): it may move that far, never onto a neighbour.
    const double reach = peakWidth / 2;
    std::size_t at = 0;
    for (std::size_t i = 0; i < wide.x.size(); ++i)
      if (std::fabs(wide.x[i] - chosen) <= reach &&
          (std::fabs(wide.x[at] - chosen) > reach || Smoothed(wide, i, m) > Smoothed(wide, at, m)))
        at = i;
    const LocalPeak found = BroadHalfWidths(wide, EndsBackground(wide), at, m);
    const double next = found.width;
    if (std::isnan(next)) {
      if (width >= kBroadest * peakWidth) break;
      peak.width = 1.5 * width;
      continue;
    }
    peak = found;
    peak.width = std::min(next, kBroadest * peakWidth);
    if (std::fabs(next - width) <= 0.1 * width) break;
  }
  peak.width = std::clamp(peak.width, 0.5 * peakWidth, kBroadest * peakWidth);
  return peak;
}

// Two lines that found the same peak (a start some way off, or a weak line
// beside a strong one): only the nearer line keeps it, or the other's
// false position would pull the cell away. found: where each line's peak
// was fitted (NaN for none) and how far from its line.
void KeepNearerLine(std::vector<MeasuredLine>& lines, const std::vector<std::pair<double, double>>& found,
                    double peakWidth) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    for (std::size_t j = i + 1; j < lines.size() && !std::isnan(found[i].first); ++j) {
      if (std::isnan(found[j].first) || std::fabs(found[j].first - found[i].first) >= kCoincidence * peakWidth) continue;
      MeasuredLine& farther = found[j].second < found[i].second ? lines[i] : lines[j];
      farther.used = false;
      farther.note = "its peak is nearer another line";
    }
}

}  // namespace

const ProfileFit& ProfileFitCache::Fit(const std::vector<double>& x, const std::vector<double>& y,
                                       const ProfileStart& start, const Doublet& partner) {
  Key key{x, y, {start.centre, start.height, start.fwhm, start.eta, start.background, start.slope}};
  auto it = fits_.find(key);
  if (it == fits_.end()) it = fits_.emplace(std::move(key), FitProfile(x, y, start, partner)).first;
  return it->second;
}

std::vector<MeasuredLine> MeasureLines(const CData& data, const CXRDPlot& plot, const CPattern& pattern,
                                       const RefinementSetup& setup, const std::array<double, 6>& cell, double zero,
                                       double displacement, double tolerance, double peakWidth,
                                       const std::vector<MillerIndices>& excluded, ProfileFitCache* fits) {
  ProfileFitCache own;
  if (!fits) fits = &own;
  const std::vector<Candidate> merged = MergeCoincident(
      DrawnLines(data, plot, pattern, setup, ReciprocalMetricFromCell(cell), zero, displacement), peakWidth);
  const Doublet partner = SourceDoublet(data, plot, setup);
  std::vector<MeasuredLine> lines;
  std::vector<std::pair<double, double>> found(merged.size(), {std::nan(""), 0.0});
  for (std::size_t at = 0; at < merged.size(); ++at) {
    const Candidate& c = merged[at];
    MeasuredLine& line = lines.emplace_back();
    line.hkl = c.hkl;
    line.calculated = ToAxis(data, plot, c.x);
    if (Overlapped(merged, at, peakWidth)) {
      line.note = "overlapped";
      continue;
    }
    const double separation = partner.position ? partner.position(c.x) - c.x : 0.0;
    Points w = PointsBetween(data, c.x - tolerance - 2.5 * peakWidth, c.x + tolerance + 2.5 * peakWidth + separation);
    if (w.x.size() < 12) {
      line.note = "too few points";
      continue;
    }
    const Background around = EndsBackground(w);
    double chosen = NearestPeak(w, around, c.x, tolerance, peakWidth);
    if (std::isnan(chosen)) {
      line.note = "no peak";
      continue;
    }
    // The peak's own width sets the fitting window: a neighbour of another
    // phase stays outside, a broad peak is seen whole. Fit over a few widths
    // about that peak (and its K-alpha2 partner).
    const LocalPeak peak = PeakAt(data, w, around, chosen, separation, peakWidth);
    const double localWidth = peak.width;
    chosen = peak.centre;
    w = PointsBetween(data, std::max(chosen - 2.5 * localWidth, peak.from),
                      std::min(chosen + 2.5 * localWidth + separation, peak.to));
    if (w.x.size() < 12) {
      line.note = "too few points";
      continue;
    }
    const Background under = EndsBackground(w);
    ProfileStart start;
    start.centre = chosen;
    start.slope = under.slope;
    start.fwhm = localWidth;
    start.background = under.At(chosen);
    double top = 0;
    for (std::size_t i = 0; i < w.x.size(); ++i)
      if (w.x[i] == chosen) top = w.y[i];
    start.height = std::max(top - start.background, 0.0) / (1.0 + partner.ratio);
    const ProfileFit& fit = fits->Fit(w.x, w.y, start, partner);
    line.fwhm = fit.fwhm;
    if (!fit.converged) {
      line.note = "no convergence";
    } else if (!(fit.height > kSignalToNoise * fit.rmsResidual * NoiseOverWidth(fit.fwhm, peakWidth)) ||
               !(fit.height > kSignalToNoise * fit.heightSu)) {
      line.note = "below the noise";
    } else if (std::fabs(fit.centre - c.x) > tolerance) {
      line.note = "beyond the tolerance";
    } else {
      line.observed = ToAxis(data, plot, fit.centre);
      line.su = IsEnergy(plot) ? fit.centreSu * std::fabs(EnergySlope(data, fit.centre)) : fit.centreSu;
      line.used = true;
      found[at] = {fit.centre, std::fabs(fit.centre - c.x)};
      for (const auto& m : c.hkl)
        if (SameIndices(m, excluded)) {
          line.used = false;
          line.note = "left out";
        }
    }
  }
  KeepNearerLine(lines, found, peakWidth);
  return lines;
}

PatternRefinement RefineCellFromPattern(const CData& data, const CXRDPlot& plot, const CPattern& pattern,
                                        const CUnitCell& cell, const PatternRefinementOptions& options) {
  PatternRefinement out;
  out.setup = SetupFromPlot(data, plot, cell);
  out.setup.refineZero = options.refineZero;
  out.setup.refineDisplacement = options.refineDisplacement;
  if (data.NChan() == 0) throw RefinementFailure("no measured pattern to refine against", {});
  if (IsEnergy(plot) && !(data.edsCAL_SLOPE != 0.0f || data.edsCAL_QUAD != 0.0f))
    throw RefinementFailure("the spectrum has no energy calibration", {});
  out.peakWidth = EstimatePeakWidth(data, plot);
  if (!(out.peakWidth > 0)) throw RefinementFailure("the plot window holds no measured points", {});
  out.tolerance = options.tolerance > 0 ? options.tolerance : 3.0 * out.peakWidth;

  // Most lines are fitted on the same points from the same start in every
  // cycle: each such fit is made once.
  ProfileFitCache fits;
  std::optional<PatternRefinement> settled;  // the last cycle that refined
  std::array<double, 6> current = out.setup.start;
  double zero = 0, displacement = out.setup.displacement;
  double acceptance = out.tolerance;  // the first pass takes the whole tolerance
  std::vector<std::vector<MillerIndices>> previousUsed;
  // The lines enter in stages from the low end of the window: a start cell
  // a little off misplaces the far lines most (the shift grows with the
  // position), and in a crowded pattern those would take their neighbours'
  // peaks. Each stage predicts the next from a cell fitted closer in.
  constexpr int kStages = 3;
  const double lo = plot.SngTTMin(), hi = plot.SngTTMax();
  int stage = 0;
  for (int cycle = 0; cycle < 16; ++cycle) {
    out.lines = MeasureLines(data, plot, pattern, out.setup, current, zero, displacement, acceptance,
                             out.peakWidth, options.excluded, &fits);
    const double reach = lo + (hi - lo) * (stage + 1) / kStages;
    std::vector<Observation> observations;
    std::vector<std::size_t> lineOf;
    for (std::size_t i = 0; i < out.lines.size(); ++i) {
      MeasuredLine& line = out.lines[i];
      if (line.used && ToPattern(data, plot, line.calculated) > reach) {
        line.used = false;
        line.note = "not reached";
      }
      if (line.used) {
        observations.push_back({line.hkl, *line.observed, line.su});
        lineOf.push_back(i);
      }
    }
    RefinementSetup setup = out.setup;
    setup.start = current;
    const bool last = stage + 1 == kStages;
    try {
      out.result = RefineCell(observations, setup);
      RejectOutliers(out.lines, lineOf, observations, setup, out.result);
    } catch (const QuorlinError& e) {
      if (last && settled) {
        // Noise took a weak line out of this measurement: keep the last
        // refinement that stood, which the cell now follows.
        out = std::move(*settled);
        break;
      }
      if (last) throw RefinementFailure(e.what(), std::move(out.lines));
      ++stage;  // too few lines yet: reach further
      continue;
    }
    if (!out.result.AllDetermined() && !last) {
      ++stage;
      continue;
    }
    std::vector<std::vector<MillerIndices>> used;
    for (const auto& o : observations) used.push_back(o.hkl);
    if (!out.result.AllDetermined()) break;
    std::array<double, 6> next{};
    double change = 0;
    for (int i = 0; i < 6; ++i) {
      next[static_cast<std::size_t>(i)] = out.result.cell[static_cast<std::size_t>(i)].value;
      change = std::max(change, std::fabs(next[static_cast<std::size_t>(i)] - current[static_cast<std::size_t>(i)]) /
                                    std::max(1.0, std::fabs(current[static_cast<std::size_t>(i)])));
    }
    current = next;
    zero = out.result.zero.value;
    displacement = out.result.displacement.value;
    // Narrow the acceptance to the scatter of the kept positions about the
    // fit, in pattern units.
    double sum = 0;
    for (const auto& r : out.result.reflections) {
      const double off = ToPattern(data, plot, r.observed) - ToPattern(data, plot, r.calculated);
      sum += off * off;
    }
    const double scatter = std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, out.result.reflections.size())));
    const double narrowed =
        std::min(out.tolerance, std::max(kAcceptScatters * scatter, kAcceptFloorWidths * out.peakWidth));
    acceptance = narrowed;
    settled = out;
    if (!last) {
      ++stage;
      continue;
    }
    if (used == previousUsed && change < 1e-9) break;
    previousUsed = std::move(used);
  }
  out.acceptance = acceptance;
  // The table's calculated positions follow the refined parameters.
  const auto metric = ReciprocalMetricFromCell(current);
  for (auto& line : out.lines) {
    double q = 0;
    for (const auto& m : line.hkl) q += Q(metric, m) / static_cast<double>(line.hkl.size());
    line.calculated = AxisPosition(out.setup, q, zero, displacement);
  }
  return out;
}

}  // namespace quorlin
