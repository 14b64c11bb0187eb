#include "fitting/cell_refinement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/errors.h"
#include "core/numtext.h"
#include "fitting/normal_equations.h"

namespace quorlin {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// hc/2 in keV Angstrom and the plot's value of pi for the energy axis, so
// that refined and drawn energies agree.
constexpr double kHalfHc = 6.1997;
constexpr double kPlotPi = 3.14159;

using Metric = std::array<double, 6>;  // A B C D E F

// The reduced metric terms of one reflection: h^2 k^2 l^2 kl hl hk.
Metric Terms(const MillerIndices& m) {
  const double h = m.h, k = m.k, l = m.l;
  return {h * h, k * k, l * l, k * l, h * l, h * k};
}

// Which free parameter each metric term follows (-1: held at 0).
std::array<int, 6> MetricMap(int basis, int cellShape) {
  if (basis == 7) basis = cellShape == 2 ? 3 : 6;
  switch (basis) {
    case 0: return {0, 0, 0, -1, -1, -1};
    case 1: return {0, 0, 1, -1, -1, -1};
    case 2: return {0, 0, 1, -1, -1, 0};  // gamma* = 60 degrees: F = A
    case 3: return {0, 0, 0, 1, 1, 1};
    case 4: return {0, 1, 2, -1, -1, -1};
    case 5: return {0, 1, 2, -1, 3, -1};
    default: return {0, 1, 2, 3, 4, 5};
  }
}

std::vector<double> FreeTerms(const std::array<int, 6>& map, int count, const std::vector<MillerIndices>& hkl) {
  // Lines that coincide are measured as one peak: the mean of their 1/d^2.
  std::vector<double> f(static_cast<std::size_t>(count), 0.0);
  for (const auto& m : hkl) {
    const Metric t = Terms(m);
    for (int i = 0; i < 6; ++i)
      if (map[i] >= 0) f[static_cast<std::size_t>(map[i])] += t[i] / static_cast<double>(hkl.size());
  }
  return f;
}

Metric FullMetric(const std::array<int, 6>& map, const std::vector<double>& p) {
  Metric m{};
  for (int i = 0; i < 6; ++i) m[i] = map[i] >= 0 ? p[static_cast<std::size_t>(map[i])] : 0.0;
  return m;
}

double Dot(const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0;
  for (std::size_t i = 0; i < a.size(); ++i) s += a[i] * b[i];
  return s;
}

// Derivative of the axis position by 1/d^2.
double PositionSlope(const RefinementSetup& s, double q, double displacement) {
  if (s.axis == PatternAxis::Energy)
    return kHalfHc / (2.0 * std::sqrt(q) * std::sin(s.detectorTwoTheta * kPlotPi / 360.0));
  const double sinTheta = s.wavelength * std::sqrt(q) / 2.0;
  const double cosTheta = std::sqrt(1.0 - sinTheta * sinTheta);
  const double dThetaDq = s.wavelength / (4.0 * std::sqrt(q) * cosTheta);
  return (2.0 + 2.0 * displacement * sinTheta) * dThetaDq / kDegree;
}

std::array<double, 9> Invert3(const std::array<double, 9>& m, double& det) {
  det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
  return {(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
          (m[5] * m[6] - m[3] * m[8]) / det, (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
          (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det, (m[0] * m[4] - m[1] * m[3]) / det};
}

std::string Count(int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

}  // namespace

int MetricParameterCount(int basis, int cellShape) {
  const auto map = MetricMap(basis, cellShape);
  return *std::max_element(map.begin(), map.end()) + 1;
}

bool CellParameterFree(int basis, int cellShape, int index) {
  if (basis == 7) basis = cellShape == 2 ? 3 : 6;
  static constexpr bool kFree[7][6] = {
      {1, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0}, {1, 0, 1, 0, 0, 0}, {1, 0, 0, 1, 0, 0},
      {1, 1, 1, 0, 0, 0}, {1, 1, 1, 0, 1, 0}, {1, 1, 1, 1, 1, 1}};
  if (basis < 0 || basis > 6 || index < 0 || index > 5) return false;
  return kFree[basis][index];
}

bool RefinementResult::AllDetermined() const {
  for (const auto& v : cell)
    if (v.status == RefinedValue::Status::NotDetermined) return false;
  return zero.status != RefinedValue::Status::NotDetermined &&
         displacement.status != RefinedValue::Status::NotDetermined;
}

double AxisPosition(const RefinementSetup& s, double q, double zero, double displacement) {
  if (!(q > 0)) return std::nan("");
  if (s.axis == PatternAxis::Energy)
    return kHalfHc * std::sqrt(q) / std::sin(s.detectorTwoTheta * kPlotPi / 360.0) + zero;
  const double sinTheta = s.wavelength * std::sqrt(q) / 2.0;
  if (!(sinTheta < 1.0)) return std::nan("");
  const double theta = std::asin(sinTheta);
  // The displaced specimen moves a line by -2 s cos(theta) radians.
  return (2.0 * theta - 2.0 * displacement * std::cos(theta)) / kDegree + zero;
}

double SpacingAtPosition(const RefinementSetup& s, double x, double zero, double displacement) {
  if (s.axis == PatternAxis::Energy)
    return kHalfHc / ((x - zero) * std::sin(s.detectorTwoTheta * kPlotPi / 360.0));
  const double observed = (x - zero) * kDegree / 2.0;
  double theta = observed;
  for (int i = 0; i < 30; ++i) theta = observed + displacement * std::cos(theta);
  return s.wavelength / (2.0 * std::sin(theta));
}

std::vector<std::string> ImplausibleResults(const RefinementSetup& s, const RefinementResult& r) {
  // A goniometer zero is set to a few hundredths of a degree; a third of a
  // degree means a wrong start cell or wavelength soaked up by the zero.
  constexpr double kZeroLimit = 0.3;
  // A specimen off the focusing circle by 1 mm on a 200 mm goniometer is
  // already a badly mounted one. Short wavelengths are taken in
  // transmission, where reflection geometry's displacement has little room.
  constexpr double kTransmissionBelow = 0.5;  // Angstrom
  constexpr double kReflectionLimit = 0.005, kTransmissionLimit = 0.001;
  constexpr double kCorrelationLimit = 0.95;
  std::vector<std::string> warnings;
  auto text = [](double v, int digits) { return FixedText(v, digits); };
  const bool angle = s.axis == PatternAxis::Angle;
  if (angle && r.zero.status == RefinedValue::Status::Refined && std::fabs(r.zero.value) > kZeroLimit)
    warnings.push_back("the zero shift of " + text(r.zero.value, 3) + " degrees is beyond +-0.3 degrees");
  if (angle && r.displacement.status == RefinedValue::Status::Refined) {
    const bool transmission = s.wavelength < kTransmissionBelow;
    const double limit = transmission ? kTransmissionLimit : kReflectionLimit;
    if (std::fabs(r.displacement.value) > limit)
      warnings.push_back("the displacement of " + text(r.displacement.value, 4) + " of the goniometer radius is beyond +-" +
                         text(limit, 3) + (transmission ? ", implausible for transmission at this wavelength"
                                                        : ", implausible for reflection geometry"));
  }
  if (std::fabs(r.zeroDisplacementCorrelation) > kCorrelationLimit)
    warnings.push_back("the zero shift and the displacement correlate at " + text(r.zeroDisplacementCorrelation, 3) +
                       ": the reflections cannot tell them apart; refine one of them");
  return warnings;
}

std::array<double, 6> ReciprocalMetricFromCell(const std::array<double, 6>& c) {
  const double ca = std::cos(c[3] * kDegree), cb = std::cos(c[4] * kDegree), cg = std::cos(c[5] * kDegree);
  const std::array<double, 9> g{c[0] * c[0],      c[0] * c[1] * cg, c[0] * c[2] * cb, c[0] * c[1] * cg, c[1] * c[1],
                                c[1] * c[2] * ca, c[0] * c[2] * cb, c[1] * c[2] * ca, c[2] * c[2]};
  double det = 0;
  const auto r = Invert3(g, det);
  return {r[0], r[4], r[8], 2 * r[5], 2 * r[2], 2 * r[1]};
}

bool CellFromReciprocalMetric(const std::array<double, 6>& m, std::array<double, 6>& cell, double& volume) {
  const std::array<double, 9> r{m[0], m[5] / 2, m[4] / 2, m[5] / 2, m[1], m[3] / 2, m[4] / 2, m[3] / 2, m[2]};
  // Positive definite: every leading minor above zero.
  if (!(r[0] > 0) || !(r[0] * r[4] - r[1] * r[3] > 0)) return false;
  double det = 0;
  const auto g = Invert3(r, det);
  if (!(det > 0) || !std::isfinite(det)) return false;
  const double a = std::sqrt(g[0]), b = std::sqrt(g[4]), c = std::sqrt(g[8]);
  cell = {a, b, c, std::acos(g[5] / (b * c)) / kDegree, std::acos(g[2] / (a * c)) / kDegree,
          std::acos(g[1] / (a * b)) / kDegree};
  volume = 1.0 / std::sqrt(det);
  return true;
}

namespace {

// What a refinement solves for: the free metric terms, then the zero shift
// and the displacement when they are refined, with the terms and weights of
// every observation.
struct Problem {
  const RefinementSetup& s;
  const std::vector<Observation>& observations;
  std::array<int, 6> map{};
  int metricCount = 0, count = 0;
  int zeroIndex = -1, displacementIndex = -1;
  std::vector<std::vector<double>> terms;
  std::vector<double> weights;  // 1 / su^2 of the positions
};

// Where the parameters stand, with the unscaled covariance (count x count,
// row-major) of the last solve and which parameters it could fix.
struct Solution {
  std::vector<double> p;  // free metric terms
  double zero = 0, displacement = 0;
  std::vector<bool> determined;
  std::vector<double> covariance;
  double chi2 = 0;
};

void CheckSetup(const RefinementSetup& s) {
  if (s.axis == PatternAxis::Angle && !(s.wavelength > 0.01))
    throw QuorlinError("the wavelength must exceed 0.01 Angstrom");
  if (s.axis == PatternAxis::Energy && !(s.detectorTwoTheta > 0 && s.detectorTwoTheta < 180))
    throw QuorlinError("the detector angle must lie between 0 and 180 degrees");
  if (s.axis == PatternAxis::Energy && s.refineDisplacement)
    throw QuorlinError("the specimen displacement applies to 2-theta data, not to energy-dispersive data");
}

Problem SetUp(const std::vector<Observation>& observations, const RefinementSetup& s) {
  Problem pr{s, observations, {}, 0, 0, -1, -1, {}, {}};
  pr.map = MetricMap(s.basis, s.cellShape);
  pr.metricCount = MetricParameterCount(s.basis, s.cellShape);
  pr.count = pr.metricCount + (s.refineZero ? 1 : 0) + (s.refineDisplacement ? 1 : 0);
  pr.zeroIndex = s.refineZero ? pr.metricCount : -1;
  pr.displacementIndex = s.refineDisplacement ? pr.metricCount + (s.refineZero ? 1 : 0) : -1;
  const int n = static_cast<int>(observations.size());
  if (n < pr.count + 1)
    throw QuorlinError(Count(n, "measured reflection") + " for " + Count(pr.count, "parameter") + ": at least " +
                       std::to_string(pr.count + 1) + " are needed");
  double smallestSu = 0;
  for (const auto& o : observations)
    if (o.su > 0 && (smallestSu == 0 || o.su < smallestSu)) smallestSu = o.su;
  for (const auto& o : observations) {
    if (o.hkl.empty() || !std::isfinite(o.x)) throw QuorlinError("an observation without indices or position");
    pr.terms.push_back(FreeTerms(pr.map, pr.metricCount, o.hkl));
    const double su = o.su > 0 ? o.su : (smallestSu > 0 ? smallestSu : 1.0);
    pr.weights.push_back(1.0 / (su * su));
  }
  return pr;
}

// Start values of the free terms: the mean of the start cell's terms each
// one ties.
std::vector<double> StartTerms(const Problem& pr) {
  const Metric startMetric = ReciprocalMetricFromCell(pr.s.start);
  for (double v : startMetric)
    if (!std::isfinite(v)) throw QuorlinError("the start cell is not a possible cell");
  std::vector<double> p(static_cast<std::size_t>(pr.metricCount), 0.0);
  std::vector<int> tied(static_cast<std::size_t>(pr.metricCount), 0);
  for (int i = 0; i < 6; ++i)
    if (pr.map[i] >= 0) {
      p[static_cast<std::size_t>(pr.map[i])] += startMetric[i];
      ++tied[static_cast<std::size_t>(pr.map[i])];
    }
  for (int j = 0; j < pr.metricCount; ++j) p[static_cast<std::size_t>(j)] /= tied[static_cast<std::size_t>(j)];
  return p;
}

// Linear stage: 1/d^2 at the held instrument terms, weighted through the
// slope of the position by 1/d^2.
Solution LinearStage(const Problem& pr, std::vector<double> p) {
  const auto& s = pr.s;
  const int n = static_cast<int>(pr.observations.size()), metricCount = pr.metricCount;
  Solution sol;
  sol.displacement = s.displacement;
  NormalEquations ne(static_cast<std::size_t>(metricCount));
  std::vector<double> qs;
  for (int i = 0; i < n; ++i) {
    const double d = SpacingAtPosition(s, pr.observations[i].x, sol.zero, sol.displacement);
    if (!(d > 0) || !std::isfinite(d)) throw QuorlinError("a measured position has no d-spacing");
    const double q = 1.0 / (d * d);
    const double slope = PositionSlope(s, q, sol.displacement);
    ne.Add(pr.terms[i], q - Dot(pr.terms[i], p), pr.weights[i] * slope * slope);
    qs.push_back(q);
  }
  const auto shift = ne.Solve();
  for (int j = 0; j < metricCount; ++j) p[static_cast<std::size_t>(j)] += shift[static_cast<std::size_t>(j)];
  sol.determined = ne.Determined();
  sol.covariance.assign(static_cast<std::size_t>(metricCount * metricCount), 0.0);
  for (int i = 0; i < metricCount; ++i)
    for (int j = 0; j < metricCount; ++j)
      sol.covariance[static_cast<std::size_t>(i * metricCount + j)] =
          ne.Covariance(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
  for (int i = 0; i < n; ++i) {
    const double slope = PositionSlope(s, qs[i], sol.displacement);
    const double r = qs[i] - Dot(pr.terms[i], p);
    sol.chi2 += pr.weights[i] * slope * slope * r * r;
  }
  sol.p = std::move(p);
  return sol;
}

// Gauss-Newton on the positions, from the linear stage's terms, when an
// instrument term is refined.
void PositionStage(const Problem& pr, Solution& sol) {
  const auto& s = pr.s;
  const int n = static_cast<int>(pr.observations.size()), metricCount = pr.metricCount;
  const auto size = static_cast<std::size_t>(pr.count);
  auto& p = sol.p;
  bool converged = false;
  double previous = -1;
  for (int iteration = 0; iteration < 100 && !converged; ++iteration) {
    NormalEquations ne(size);
    sol.chi2 = 0;
    for (int i = 0; i < n; ++i) {
      const double q = Dot(pr.terms[i], p);
      const double calc = AxisPosition(s, q, sol.zero, sol.displacement);
      if (!std::isfinite(calc)) throw QuorlinError("the refinement diverged: a reflection moved beyond 180 degrees");
      std::vector<double> derivatives(size, 0.0);
      const double slope = PositionSlope(s, q, sol.displacement);
      for (int j = 0; j < metricCount; ++j) derivatives[static_cast<std::size_t>(j)] = slope * pr.terms[i][j];
      if (pr.zeroIndex >= 0) derivatives[static_cast<std::size_t>(pr.zeroIndex)] = 1.0;
      if (pr.displacementIndex >= 0) {
        const double theta = std::asin(s.wavelength * std::sqrt(q) / 2.0);
        derivatives[static_cast<std::size_t>(pr.displacementIndex)] = -2.0 * std::cos(theta) / kDegree;
      }
      const double r = pr.observations[i].x - calc;
      sol.chi2 += pr.weights[i] * r * r;
      ne.Add(derivatives, r, pr.weights[i]);
    }
    const auto shift = ne.Solve();
    sol.determined = ne.Determined();
    sol.covariance.assign(size * size, 0.0);
    for (std::size_t i = 0; i < size; ++i)
      for (std::size_t j = 0; j < size; ++j) sol.covariance[i * size + j] = ne.Covariance(i, j);
    if (previous >= 0 && std::fabs(previous - sol.chi2) <= 1e-12 * (previous + 1e-300)) converged = true;
    bool small = true;
    for (std::size_t j = 0; j < size; ++j)
      if (std::fabs(shift[j]) > 1e-9 * std::sqrt(sol.covariance[j * size + j] + 1e-300) && shift[j] != 0) small = false;
    for (int j = 0; j < metricCount; ++j) p[static_cast<std::size_t>(j)] += shift[static_cast<std::size_t>(j)];
    if (pr.zeroIndex >= 0) sol.zero += shift[static_cast<std::size_t>(pr.zeroIndex)];
    if (pr.displacementIndex >= 0) sol.displacement += shift[static_cast<std::size_t>(pr.displacementIndex)];
    // The positions are single precision: their rounding leaves shifts that
    // cycle far below any su, and a chi^2 that never settles to 1e-12. A
    // shift of a millionth of its su changes no digit shown.
    const double dof = static_cast<double>(n - pr.count);
    if (dof > 0 && sol.chi2 > 0) {
      bool belowSu = true;
      for (std::size_t j = 0; j < size; ++j)
        if (!(std::fabs(shift[j]) <= 1e-6 * std::sqrt(sol.covariance[j * size + j] * sol.chi2 / dof))) belowSu = false;
      if (belowSu) converged = true;
    }
    if (small) converged = true;
    previous = sol.chi2;
  }
  if (!converged) throw QuorlinError("the refinement did not converge");
  // chi^2 at the final parameters.
  sol.chi2 = 0;
  for (int i = 0; i < n; ++i) {
    const double r = pr.observations[i].x - AxisPosition(s, Dot(pr.terms[i], p), sol.zero, sol.displacement);
    sol.chi2 += pr.weights[i] * r * r;
  }
}

// The cell, the volume and the instrument terms with their uncertainties:
// the covariance scaled by chi^2 / (N - P), carried to the cell through the
// derivatives of the cell by the free metric terms (central differences).
RefinementResult Result(const Problem& pr, const Solution& sol) {
  const auto& s = pr.s;
  const auto& p = sol.p;
  const int n = static_cast<int>(pr.observations.size()), metricCount = pr.metricCount;
  RefinementResult result;
  result.observations = n;
  result.parameters = pr.count;
  result.chi2 = sol.chi2;
  const double scale = sol.chi2 / static_cast<double>(n - pr.count);
  const int size = static_cast<int>(sol.determined.size());
  auto cov = [&](int i, int j) { return sol.covariance[static_cast<std::size_t>(i * size + j)] * scale; };

  std::array<double, 6> cell{};
  double volume = 0;
  if (!CellFromReciprocalMetric(FullMetric(pr.map, p), cell, volume))
    throw QuorlinError("the refined cell is not a possible cell");
  std::vector<std::array<double, 7>> jacobian(static_cast<std::size_t>(metricCount));
  for (int j = 0; j < metricCount; ++j) {
    const double h = 1e-6 * std::fabs(p[static_cast<std::size_t>(j)]) + 1e-12;
    auto up = p, down = p;
    up[static_cast<std::size_t>(j)] += h;
    down[static_cast<std::size_t>(j)] -= h;
    std::array<double, 6> cu{}, cd{};
    double vu = 0, vd = 0;
    if (!CellFromReciprocalMetric(FullMetric(pr.map, up), cu, vu) ||
        !CellFromReciprocalMetric(FullMetric(pr.map, down), cd, vd))
      throw QuorlinError("the refined cell lies at the edge of the possible cells");
    for (int i = 0; i < 6; ++i) jacobian[static_cast<std::size_t>(j)][i] = (cu[i] - cd[i]) / (2 * h);
    jacobian[static_cast<std::size_t>(j)][6] = (vu - vd) / (2 * h);
  }
  auto propagate = [&](int i, double value, bool free) {
    RefinedValue v;
    v.value = value;
    if (!free) {
      v.status = RefinedValue::Status::FixedBySymmetry;
      return v;
    }
    double variance = 0;
    for (int j = 0; j < metricCount; ++j) {
      const double jj = jacobian[static_cast<std::size_t>(j)][i];
      if (!sol.determined[static_cast<std::size_t>(j)] &&
          std::fabs(jj * p[static_cast<std::size_t>(j)]) > 1e-9 * std::fabs(value)) {
        v.status = RefinedValue::Status::NotDetermined;
        return v;
      }
      for (int k = 0; k < metricCount; ++k) variance += jj * cov(j, k) * jacobian[static_cast<std::size_t>(k)][i];
    }
    v.status = RefinedValue::Status::Refined;
    v.su = std::sqrt(std::max(variance, 0.0));
    return v;
  };
  for (int i = 0; i < 6; ++i) {
    // A held term keeps the start cell's value of what depends on it alone.
    result.cell[static_cast<std::size_t>(i)] = propagate(i, cell[static_cast<std::size_t>(i)],
                                                         CellParameterFree(s.basis, s.cellShape, i));
    if (result.cell[static_cast<std::size_t>(i)].status == RefinedValue::Status::NotDetermined)
      result.cell[static_cast<std::size_t>(i)].value = s.start[static_cast<std::size_t>(i)];
  }
  result.volume = propagate(6, volume, true);
  auto instrument = [&](int index, double value, double held) {
    RefinedValue v;
    if (index < 0) {
      v.value = held;
      return v;
    }
    v.value = value;
    if (!sol.determined[static_cast<std::size_t>(index)]) {
      v.status = RefinedValue::Status::NotDetermined;
      return v;
    }
    v.status = RefinedValue::Status::Refined;
    v.su = std::sqrt(std::max(cov(index, index), 0.0));
    return v;
  };
  result.zero = instrument(pr.zeroIndex, sol.zero, 0.0);
  result.displacement = instrument(pr.displacementIndex, sol.displacement, s.displacement);
  if (result.zero.status == RefinedValue::Status::Refined &&
      result.displacement.status == RefinedValue::Status::Refined && result.zero.su > 0 && result.displacement.su > 0)
    result.zeroDisplacementCorrelation =
        cov(pr.zeroIndex, pr.displacementIndex) / (result.zero.su * result.displacement.su);
  for (int i = 0; i < n; ++i)
    result.reflections.push_back({pr.observations[i].hkl, pr.observations[i].x,
                                  AxisPosition(s, Dot(pr.terms[i], p), sol.zero, sol.displacement)});
  return result;
}

}  // namespace

RefinementResult RefineCell(const std::vector<Observation>& observations, const RefinementSetup& s) {
  CheckSetup(s);
  const Problem problem = SetUp(observations, s);
  Solution solution = LinearStage(problem, StartTerms(problem));
  if (problem.count > problem.metricCount) PositionStage(problem, solution);
  return Result(problem, solution);
}

}  // namespace quorlin
