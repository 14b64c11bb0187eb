#include "indexing/indexing.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <numbers>
#include <thread>

#include "core/errors.h"
#include "fitting/normal_equations.h"
#include "indexing/lattice_reduction.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"

namespace quorlin {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;

struct Geometry {
  double lambda = 1.540562;
  double Q(double tt) const {
    const double s = 2 * std::sin(0.5 * tt * kRadian) / lambda;
    return s * s;
  }
  // dQ / d(2-theta in degrees)
  double Slope(double tt) const {
    const double t = 0.5 * tt * kRadian;
    return 4 / (lambda * lambda) * std::sin(t) * std::cos(t) * kRadian;
  }
  double TwoTheta(double q) const {
    const double s = lambda * std::sqrt(std::max(q, 0.0)) / 2;
    return s >= 1 ? 180.0 : 2 * std::asin(s) / kRadian;
  }
};

struct Lines {
  Geometry geometry;
  std::vector<double> tt;  // ascending
  bool angle = true;       // false: converted from d, no zero shift
};

// --- the reciprocal metric of each system's free terms ----------------------

int ParameterCount(std::int32_t system) {
  switch (system) {
    case 1: return 1;
    case 2: case 3: case 4: return 2;
    case 5: return 3;
    case 6: return 4;
    default: return 6;
  }
}

void Design(std::int32_t system, int h, int k, int l, double* x) {
  switch (system) {
    case 1: x[0] = h * h + k * k + l * l; return;
    case 2: case 3: x[0] = h * h + h * k + k * k, x[1] = l * l; return;
    case 4: x[0] = h * h + k * k, x[1] = l * l; return;
    case 5: x[0] = h * h, x[1] = k * k, x[2] = l * l; return;
    case 6: x[0] = h * h, x[1] = k * k, x[2] = l * l, x[3] = h * l; return;
    default: x[0] = h * h, x[1] = k * k, x[2] = l * l, x[3] = k * l, x[4] = h * l, x[5] = h * k;
  }
}

std::vector<double> ParametersOf(std::int32_t system, const Metric& s) {
  switch (system) {
    case 1: return {(s[0][0] + s[1][1] + s[2][2]) / 3};
    case 2: case 3: case 4: return {(s[0][0] + s[1][1]) / 2, s[2][2]};
    case 5: return {s[0][0], s[1][1], s[2][2]};
    case 6: return {s[0][0], s[1][1], s[2][2], 2 * s[0][2]};
    default: return {s[0][0], s[1][1], s[2][2], 2 * s[1][2], 2 * s[0][2], 2 * s[0][1]};
  }
}

Metric MetricOf(std::int32_t system, const std::vector<double>& p) {
  double A, B, C, D = 0, E = 0, F = 0;
  switch (system) {
    case 1: A = B = C = p[0]; break;
    case 2: case 3: A = B = F = p[0], C = p[1]; break;
    case 4: A = B = p[0], C = p[1]; break;
    case 5: A = p[0], B = p[1], C = p[2]; break;
    case 6: A = p[0], B = p[1], C = p[2], E = p[3]; break;
    default: A = p[0], B = p[1], C = p[2], D = p[3], E = p[4], F = p[5];
  }
  Metric m{};
  m[0] = {A, F / 2, E / 2};
  m[1] = {F / 2, B, D / 2};
  m[2] = {E / 2, D / 2, C};
  return m;
}

bool PositiveDefinite(const Metric& m) {
  return m[0][0] > 0 && m[0][0] * m[1][1] - m[0][1] * m[1][0] > 0 && MetricDeterminant(m) > 0;
}

// Calls f(h, k, l, Q) for one of each Friedel pair with 0 < Q <= qmax.
// False when the index box would be unreasonably large.
template <class F>
bool ForEachReflection(const Metric& recip, double qmax, char lattice, F&& f, long maxBox = 60000) {
  Metric direct;
  if (!InvertMetric(recip, direct)) return false;
  const int H = static_cast<int>(std::sqrt(std::max(0.0, qmax * direct[0][0])));
  const int K = static_cast<int>(std::sqrt(std::max(0.0, qmax * direct[1][1])));
  const int L = static_cast<int>(std::sqrt(std::max(0.0, qmax * direct[2][2])));
  if (static_cast<long>(2 * H + 1) * (2 * K + 1) * (L + 1) > maxBox) return false;
  const double A = recip[0][0], B = recip[1][1], C = recip[2][2];
  const double D = 2 * recip[1][2], E = 2 * recip[0][2], Fh = 2 * recip[0][1];
  for (int l = 0; l <= L; ++l)
    for (int k = -K; k <= K; ++k) {
      if (l == 0 && k < 0) continue;
      const double base = k * k * B + l * l * C + k * l * D;
      // Only the h where Q(h), a parabola, stays below qmax (one more
      // either side for rounding; each is still tested).
      const double b = l * E + k * Fh, disc = b * b - 4 * A * (base - qmax);
      if (disc < 0) continue;
      const double root = std::sqrt(disc);
      const int h0 = std::max(-H, static_cast<int>(std::floor((-b - root) / (2 * A))) - 1);
      const int h1 = std::min(H, static_cast<int>(std::ceil((-b + root) / (2 * A))) + 1);
      for (int h = h0; h <= h1; ++h) {
        if (l == 0 && k == 0 && h <= 0) continue;
        const double q = h * h * A + base + h * l * E + h * k * Fh;
        if (q > qmax || q <= 0) continue;
        if (lattice != 'P' && !CentringAllows(lattice, h, k, l)) continue;
        f(h, k, l, q);
      }
    }
  return true;
}

// --- the search ---------------------------------------------------------------

// Each line's window in Q, and a looser one for a lattice built from a few
// low-angle lines, whose errors grow with Q until it is refined.
struct Windows {
  std::vector<double> q, lo, hi, looseLo, looseHi, slope;
  double qmax = 0, looseMax = 0;
  std::size_t size() const { return q.size(); }
  // The bit mask of lines whose window holds q.
  std::uint64_t Match(double value) const { return MatchIn(value, lo, hi); }
  std::uint64_t MatchLoose(double value) const { return MatchIn(value, looseLo, looseHi); }
  static std::uint64_t MatchIn(double value, const std::vector<double>& l, const std::vector<double>& h) {
    auto it = std::lower_bound(h.begin(), h.end(), value);
    std::uint64_t mask = 0;
    for (std::size_t i = static_cast<std::size_t>(it - h.begin()); i < l.size() && l[i] <= value; ++i)
      mask |= std::uint64_t{1} << i;
    return mask;
  }
};

constexpr double kLooseRelative = 0.006;
// The smallest primitive cell searched: an F-centred cell with 3 Angstrom
// axes holds 6.75 cubic Angstrom.
constexpr double kMinVolume = 5;
// Nor has any crystal a lattice translation much below 2 Angstrom (the
// primitive cell of a face-centred cube of 3 Angstrom has 2.12), but with
// a handful of lines a cell of sub-Angstrom axes fits them all.
constexpr double kMinAxis = 2.0;

Windows MakeWindows(const Lines& lines, double zero, double halfWidth) {
  Windows w;
  for (double tt : lines.tt) {
    w.q.push_back(lines.geometry.Q(tt - zero));
    w.lo.push_back(lines.geometry.Q(tt - zero - halfWidth));
    w.hi.push_back(lines.geometry.Q(tt - zero + halfWidth));
  }
  for (std::size_t i = 0; i < w.q.size(); ++i) {
    w.looseLo.push_back(w.lo[i] - kLooseRelative * w.q[i]);
    w.looseHi.push_back(w.hi[i] + kLooseRelative * w.q[i]);
    w.slope.push_back(lines.geometry.Slope(lines.tt[i] - zero));
  }
  // Overlapping windows keep the upper edges ascending.
  for (std::size_t i = 1; i < w.hi.size(); ++i) {
    w.hi[i] = std::max(w.hi[i], w.hi[i - 1]);
    w.looseHi[i] = std::max(w.looseHi[i], w.looseHi[i - 1]);
  }
  w.qmax = w.hi.empty() ? 0 : w.hi.back();
  w.looseMax = w.looseHi.empty() ? 0 : w.looseHi.back();
  return w;
}

struct Zone {
  int i, j;  // lines taken as Q(a) and Q(b)
  double x;  // 2 a.b >= 0
  int matched;
  double area;
};

int ZoneScore(const Windows& w, double qa, double qb, double x) {
  const double det = qa * qb - 0.25 * x * x;
  if (!(det > 0)) return 0;
  const int H = static_cast<int>(std::sqrt(w.qmax * qb / det)), K = static_cast<int>(std::sqrt(w.qmax * qa / det));
  if (H > 60 || K > 60) return 0;
  std::uint64_t mask = 0;
  for (int h = 0; h <= H; ++h)
    for (int k = -K; k <= K; ++k) {
      if (h == 0 && k <= 0) continue;
      const double q = h * h * qa + k * k * qb + h * k * x;
      if (q <= w.qmax) mask |= w.Match(q);
    }
  return std::popcount(mask);
}

struct Candidate {
  Metric recip;
  int matched;
  double volume;
  double zero;
  double merit = 0;  // a quick M_N: the search's order
  std::int32_t system = 7;  // the system whose trial found it
};

int LatticeScore(const Windows& w, const Metric& recip, double* merit = nullptr) {
  std::uint64_t mask = 0;
  const std::size_t n = w.size();
  std::vector<double> best(n, 1e30);
  std::vector<double> calc;
  if (!ForEachReflection(recip, w.qmax, 'P', [&](int, int, int, double q) {
        std::uint64_t m = w.Match(q);
        mask |= m;
        if (merit && q <= w.q[std::min<std::size_t>(n, 20) - 1]) calc.push_back(q);
        while (m) {
          const int i = std::countr_zero(m);
          m &= m - 1;
          best[static_cast<std::size_t>(i)] = std::min(best[static_cast<std::size_t>(i)], std::abs(q - w.q[static_cast<std::size_t>(i)]));
        }
      }, 20000))
    return -1;
  if (merit) {
    // Q_N / (2 <|dQ|> N_calc) over the first lines, as de Wolff's figure.
    const std::size_t m = std::min<std::size_t>(n, 20);
    double sum = 0;
    int count = 0;
    for (std::size_t i = 0; i < m; ++i)
      if (best[i] < 1e30) sum += best[i], ++count;
    const double qn = w.q[m - 1];
    std::sort(calc.begin(), calc.end());
    int possible = 0;
    double last = -1;
    for (double q : calc) {
      if (q > qn) break;
      if (q - last > 1e-9 * q) ++possible;
      last = q;
    }
    const double mean = std::max(count ? sum / count : qn, 1e-6 * qn);
    *merit = qn / (2 * mean * std::max(possible, 1)) * std::pow(static_cast<double>(count) / static_cast<double>(m), 10);
  }
  return std::popcount(mask);
}

// A lattice from three basis lines scored against the loose windows; when
// enough lines fall in them, the nearest reflections are fitted by linear
// least squares in the six metric terms, and the fitted lattice is scored
// against the proper windows. Returns that score (or -1) and the fit.
int RefinedLatticeScore(const Windows& w, Metric& recip, int floorMatched, double* merit) {
  const std::size_t n = w.size();
  std::vector<double> best(n, 1e30);
  std::vector<std::array<int, 3>> hkl(n);
  std::uint64_t mask = 0;
  const bool ok = ForEachReflection(recip, w.looseMax, 'P', [&](int h, int k, int l, double q) {
    std::uint64_t m = w.MatchLoose(q);
    mask |= m;
    while (m) {
      const int i = std::countr_zero(m);
      m &= m - 1;
      const double d = std::abs(q - w.q[static_cast<std::size_t>(i)]);
      if (d < best[static_cast<std::size_t>(i)]) best[static_cast<std::size_t>(i)] = d, hkl[static_cast<std::size_t>(i)] = {h, k, l};
    }
  }, 20000);
  if (!ok || std::popcount(mask) < floorMatched) return -1;
  // Six terms need more lines than that: a tiny cell's few lines are scored as they are.
  if (std::popcount(mask) < 8) return LatticeScore(w, recip, merit);
  for (int round = 0; round < 2; ++round) {
    NormalEquations ne(6);
    std::vector<double> x(6);
    std::vector<double> p = ParametersOf(7, recip);
    for (std::size_t i = 0; i < n; ++i) {
      if (best[i] >= 1e30) continue;
      Design(7, hkl[i][0], hkl[i][1], hkl[i][2], x.data());
      double calc = 0;
      for (int k = 0; k < 6; ++k) calc += p[static_cast<std::size_t>(k)] * x[static_cast<std::size_t>(k)];
      ne.Add(x, w.q[i] - calc, 1 / (w.slope[i] * w.slope[i]));
    }
    const std::vector<double> shift = ne.Solve();
    for (int k = 0; k < 6; ++k) p[static_cast<std::size_t>(k)] += shift[static_cast<std::size_t>(k)];
    const Metric m = MetricOf(7, p);
    if (!PositiveDefinite(m)) return -1;
    recip = m;
    if (round == 1) break;
    // Reassign against the proper windows for the second round.
    std::fill(best.begin(), best.end(), 1e30);
    if (!ForEachReflection(recip, w.qmax, 'P', [&](int h, int k, int l, double q) {
          std::uint64_t mm = w.Match(q);
          while (mm) {
            const int i = std::countr_zero(mm);
            mm &= mm - 1;
            const double d = std::abs(q - w.q[static_cast<std::size_t>(i)]);
            if (d < best[static_cast<std::size_t>(i)]) best[static_cast<std::size_t>(i)] = d, hkl[static_cast<std::size_t>(i)] = {h, k, l};
          }
        }, 20000))
      return -1;
  }
  return LatticeScore(w, recip, merit);
}

void Check(const std::atomic<bool>* cancel) {
  if (cancel && cancel->load(std::memory_order_relaxed)) throw IndexingCancelled();
}

unsigned ThreadCount(const IndexingOptions& options) {
  unsigned n = options.threads ? options.threads : std::thread::hardware_concurrency();
  return std::max(1u, n);
}

// Runs work on every thread the options allow, this one included, and waits.
template <class Work>
void RunOnThreads(const IndexingOptions& options, Work& work) {
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < ThreadCount(options); ++t) pool.emplace_back(std::ref(work));
  work();
  for (auto& t : pool) t.join();
}

// Whether the first ten lines (all but the impurities) fall in their loose
// windows.
bool Prefilter(const Windows& w, const Metric& recip, int impurities) {
  const std::size_t m = std::min<std::size_t>(w.size(), 10);
  std::uint64_t mask = 0;
  const double qmax = w.looseHi[m - 1];
  if (!ForEachReflection(recip, qmax, 'P', [&](int, int, int, double q) { mask |= w.MatchLoose(q); }, 20000)) return false;
  mask &= (std::uint64_t{1} << m) - 1;
  return std::popcount(mask) >= static_cast<int>(m) - impurities;
}

// Trial indexing in the parameters of the systems with up to three free
// terms: low-index forms assigned to the first lines give the metric, which
// then faces every line. Unlike zones of observed lines this needs no
// primitive basis among the first lines, so screw axes and glide planes that
// remove the axial reflections do not hide the cell.
std::vector<Candidate> IndexTrials(const Windows& w, const IndexingOptions& options, int floorMatched, double zero,
                                   const std::atomic<bool>* cancel) {
  std::vector<Candidate> out;
  const int n = static_cast<int>(w.size());
  // The last parameter's line may come from further up the list (`reach`),
  // with more forms (`lastDesigns`): where glide planes and screw axes
  // remove the low lines of one axis, the first lines all belong to the
  // zone of the other two.
  struct Plan {
    std::int32_t system;
    int lines;
    int designs;
    int reach;
    int lastDesigns;
    const char* centrings;
  };
  static constexpr Plan plans[] = {
      {1, 3, 40, 3, 40, "IF"}, {4, 5, 30, 5, 30, "I"}, {2, 5, 30, 5, 30, "R"}, {5, 5, 16, 12, 30, "CABIF"}};
  for (const Plan& plan : plans) {
    const int np = ParameterCount(plan.system);
    // Distinct design rows of the low-index forms, smallest first.
    std::vector<std::array<double, 3>> designs;
    for (int h = 0; h <= 4; ++h)
      for (int k = 0; k <= 4; ++k)
        for (int l = 0; l <= 4; ++l) {
          if (h + k + l == 0) continue;
          double x[6];
          Design(plan.system, h, k, l, x);
          std::array<double, 3> row{x[0], np > 1 ? x[1] : 0, np > 2 ? x[2] : 0};
          if (std::find(designs.begin(), designs.end(), row) == designs.end()) designs.push_back(row);
        }
    std::sort(designs.begin(), designs.end(),
              [](const auto& a, const auto& b) { return a[0] + a[1] + a[2] < b[0] + b[1] + b[2]; });
    const int allDesigns = std::max(plan.designs, plan.lastDesigns);
    if (static_cast<int>(designs.size()) > allDesigns) designs.resize(static_cast<std::size_t>(allDesigns));
    const int m = std::min(n, plan.lines), reach = std::min(n, std::max(plan.reach, plan.lines));
    // Many assignments give one metric (a line and its double, permuted
    // axes): each metric faces the lines once.
    std::set<std::array<long, 3>> tried;
    std::vector<int> nearDesigns, zoneDesigns, offDesigns;
    for (int d = 0; d < static_cast<int>(designs.size()); ++d) {
      if (d < plan.designs) nearDesigns.push_back(d);
      if (designs[static_cast<std::size_t>(d)][static_cast<std::size_t>(np - 1)] == 0) {
        if (d < plan.designs) zoneDesigns.push_back(d);
      } else {
        offDesigns.push_back(d);
      }
    }
    std::array<int, 3> li{0, 0, 0}, di{0, 0, 0};
    // Lines i0 < i1 < i2 (as many as parameters) and one design for each.
    std::vector<std::array<int, 3>> lineSets;
    for (int a = 0; a < m; ++a)
      for (int b = np > 1 ? a + 1 : a; b < (np > 1 ? (np > 2 ? m : reach) : a + 1); ++b)
        for (int c = np > 2 ? b + 1 : b; c < (np > 2 ? reach : b + 1); ++c) lineSets.push_back({a, b, c});
    for (const auto& set : lineSets) {
      Check(cancel);
      li = set;
      // The last line is one of the first lines, or one from further on:
      // then the others are read as lines of the zone l = 0 (which axis is
      // called c is free) and the last as a line off it, from the wider
      // choice of forms.
      const bool far = li[static_cast<std::size_t>(np - 1)] >= m;
      const std::vector<int>& first = far ? zoneDesigns : nearDesigns;
      const std::vector<int>& last = far ? offDesigns : nearDesigns;
      const long nd = static_cast<long>(first.size());
      const long combos = static_cast<long>(std::pow(nd, np - 1)) * static_cast<long>(last.size());
      for (long code = 0; code < combos; ++code) {
        long rest = code;
        for (int r = 0; r < np - 1; ++r) di[static_cast<std::size_t>(r)] = first[static_cast<std::size_t>(rest % nd)], rest /= nd;
        di[static_cast<std::size_t>(np - 1)] = last[static_cast<std::size_t>(rest)];
        // Solve rows x p = q by Cramer's rule.
        double M[3][3] = {}, q[3] = {};
        for (int r = 0; r < np; ++r) {
          for (int c = 0; c < np; ++c) M[r][c] = designs[static_cast<std::size_t>(di[static_cast<std::size_t>(r)])][static_cast<std::size_t>(c)];
          q[r] = w.q[static_cast<std::size_t>(li[static_cast<std::size_t>(r)])];
        }
        std::vector<double> p(static_cast<std::size_t>(np));
        if (np == 1) {
          p[0] = q[0] / M[0][0];
        } else if (np == 2) {
          const double det = M[0][0] * M[1][1] - M[0][1] * M[1][0];
          if (std::abs(det) < 1e-9) continue;
          p[0] = (q[0] * M[1][1] - M[0][1] * q[1]) / det;
          p[1] = (M[0][0] * q[1] - q[0] * M[1][0]) / det;
        } else {
          auto det3 = [](double a[3][3]) {
            return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                   a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
          };
          const double det = det3(M);
          if (std::abs(det) < 1e-9) continue;
          for (int c = 0; c < 3; ++c) {
            double T[3][3];
            for (int r = 0; r < 3; ++r)
              for (int cc = 0; cc < 3; ++cc) T[r][cc] = cc == c ? q[r] : M[r][cc];
            p[static_cast<std::size_t>(c)] = det3(T) / det;
          }
        }
        bool positive = true;
        for (double v : p) positive = positive && v > 0;
        if (!positive) continue;
        std::array<double, 3> sorted{};
        for (int r = 0; r < np; ++r) sorted[static_cast<std::size_t>(r)] = p[static_cast<std::size_t>(r)];
        if (plan.system == 5) std::sort(sorted.begin(), sorted.end());
        std::array<long, 3> key{};
        for (int r = 0; r < np; ++r) key[static_cast<std::size_t>(r)] = std::lround(std::log(sorted[static_cast<std::size_t>(r)]) / 2e-4);
        if (!tried.insert(key).second) continue;
        Metric conv = MetricOf(plan.system, p);
        Metric direct;
        if (!InvertMetric(conv, direct)) continue;
        const double volume = std::sqrt(MetricDeterminant(direct));
        if (volume > 4 * options.maxVolume || volume < kMinVolume) continue;
        // A cheap look at the first lines before the fit.
        if (!Prefilter(w, conv, options.impurities)) continue;
        // Scores a lattice and keeps it when it indexes; true when it did.
        auto offer = [&](Metric recip) {
          double merit = 0;
          const int matched = RefinedLatticeScore(w, recip, floorMatched, &merit);
          if (matched < floorMatched) return false;
          Metric d;
          InvertMetric(recip, d);
          const double v = std::sqrt(MetricDeterminant(d));
          if (v <= options.maxVolume && v >= kMinVolume) out.push_back({recip, matched, v, zero, merit, plan.system});
          return true;
        };
        // The primitive lattice first; its centred sub-lattices only when it indexes.
        if (!offer(conv)) continue;
        const std::array<double, 6> cell = CellFromMetric(direct);
        for (const char* c = plan.centrings; *c; ++c) {
          Metric recip;
          if (InvertMetric(PrimitiveMetric(cell, *c), recip)) offer(recip);
        }
        if (out.size() > 20000) return out;
      }
    }
    // A cubic lattice that indexes every line but the impurities, with a
    // figure of merit no chance fit of a large cell reaches, leaves the
    // trials of lower symmetry only its own sub- and supercells to find (the
    // zones still run).
    if (plan.system == 1)
      for (const Candidate& c : out)
        if (c.matched >= n - std::max(0, options.impurities) && n >= 12 && c.merit >= 20 &&
            c.volume <= options.maxVolume)
          return out;
  }
  return out;
}

// --- a dominant zone and its third axis ---------------------------------------

// A two-dimensional lattice of reciprocal vectors: Q(h, k) = h^2 a + k^2 b + h k f.
struct Form {
  double a, b, f;
  double Q(int h, int k) const { return h * h * a + k * k * b + h * k * f; }
};

// Lagrange-Gauss reduction: a <= b and |f| <= a, so that one lattice has one form.
Form ReduceForm(Form z) {
  for (int guard = 0; guard < 100; ++guard) {
    if (z.b < z.a) std::swap(z.a, z.b);
    if (std::abs(z.f) <= z.a * (1 + 1e-9)) break;
    // v -> v - n u, with n the nearest integer to (u.v)/(u.u).
    const double n = std::round(z.f / (2 * z.a));
    z.b = z.b - n * z.f + n * n * z.a;
    z.f = z.f - 2 * n * z.a;
  }
  z.f = std::abs(z.f);
  return z;
}

// The form itself and its three lattices with twice the points: one basis
// vector, or their sum, halved.
std::array<Form, 4> Halvings(const Form& f) {
  return {f, Form{f.a / 4, f.b, f.f / 2}, Form{f.a, f.b / 4, f.f / 2}, Form{(f.a + f.b + f.f) / 4, f.b, f.f / 2 + f.b}};
}

// The bit mask of lines that the zone's reflections fall on, or 0 when its
// index box is unreasonably large.
std::uint64_t ZoneMask(const Windows& w, const Form& z) {
  const double det = z.a * z.b - 0.25 * z.f * z.f;
  if (!(det > 0)) return 0;
  const int H = static_cast<int>(std::sqrt(w.qmax * z.b / det)), K = static_cast<int>(std::sqrt(w.qmax * z.a / det));
  if (H > 80 || K > 80) return 0;
  std::uint64_t mask = 0;
  for (int h = 0; h <= H; ++h)
    for (int k = -K; k <= K; ++k) {
      if (h == 0 && k <= 0) continue;
      const double q = z.Q(h, k);
      if (q <= w.qmax) mask |= w.Match(q);
    }
  return mask;
}

// When the first lines all belong to one zone of two long axes, the lines of
// the third, short axis start far up the list, and zones of observed lines
// that mix the axes are few and weak. Here each zone that indexes the first
// lines is completed directly: the lowest line it leaves unindexed is taken
// as the third basis vector c* (any reflection with l = 1 may be, as adding
// zone vectors keeps the lattice), and the two remaining cross terms come
// by vote from pairs of the next unindexed lines, each read as a small
// (h, k, l = 1 or 2). A zone found from observed lines may miss half of its
// rows where a glide plane removes them, so the zones with a row halved are
// completed too.
std::vector<Candidate> DominantZoneCandidates(const Windows& w, const std::vector<Zone>& zones,
                                              const IndexingOptions& options, int floorMatched, double zero,
                                              const std::atomic<bool>* cancel) {
  std::vector<Candidate> out;
  const int n = static_cast<int>(w.size());
  if (n < 10) return out;
  const int head = 6;
  const std::uint64_t headMask = (std::uint64_t{1} << head) - 1;
  struct Dominant {
    Form form;
    std::uint64_t mask;
  };
  std::vector<Dominant> dominant;
  auto consider = [&](Form z) {
    z = ReduceForm(z);
    for (const auto& d : dominant)
      if (std::abs(d.form.a - z.a) <= 1e-3 * z.a && std::abs(d.form.b - z.b) <= 1e-3 * z.b &&
          std::abs(d.form.f - z.f) <= 1e-3 * z.b)
        return;
    const std::uint64_t mask = ZoneMask(w, z);
    // All of the first lines but the impurities and one: the short axis's
    // first line may come early.
    if (std::popcount(mask & headMask) < head - 1 - std::max(0, options.impurities)) return;
    // A zone that leaves too few lines for a third axis is no help (and one
    // that indexes everything is a two-dimensional answer of its own).
    if (n - std::popcount(mask) < 2) return;
    dominant.push_back({z, mask});
  };
  for (const Zone& z : zones) {
    if (z.i >= head || z.j >= head) continue;
    // The zone and its halvings, once or twice (two glides of one zone).
    for (const Form& f : Halvings(ReduceForm({w.q[static_cast<std::size_t>(z.i)], w.q[static_cast<std::size_t>(z.j)], z.x})))
      for (const Form& g : Halvings(ReduceForm(f))) consider(g);
  }
  // Fewest predicted zone lines first among those that index as many: the
  // halved zones predict more.
  auto count = [&](const Dominant& d) { return std::popcount(d.mask); };
  std::stable_sort(dominant.begin(), dominant.end(), [&](const Dominant& x, const Dominant& y) {
    if (count(x) != count(y)) return count(x) > count(y);
    return x.form.a * x.form.b > y.form.a * y.form.b;
  });
  if (dominant.size() > 24) dominant.resize(24);

  for (const auto& dz : dominant) {
    Check(cancel);
    const Form& z = dz.form;
    std::vector<int> rest;
    for (int i = 0; i < n; ++i)
      if (!(dz.mask >> i & 1)) rest.push_back(i);
    const double det = z.a * z.b - 0.25 * z.f * z.f;
    for (int first = 0; first < 3 && first < static_cast<int>(rest.size()); ++first) {
      const int m1 = rest[static_cast<std::size_t>(first)];
      const double c = w.q[static_cast<std::size_t>(m1)];
      // The volume bound: 1 / sqrt(det(recip)) <= maxVolume, and det(recip) <= det * c.
      if (1 / std::sqrt(det * c) > options.maxVolume * 1.1) continue;
      // Each later unindexed line m, read as (h, k, l), gives
      // h l E + k l D = Q(m) - Q_zone(h, k) - l^2 C within its loose window.
      struct Equation {
        int line;
        double h, k, r, tol;
      };
      std::vector<std::vector<Equation>> byLine;
      for (std::size_t t = 0; t < rest.size() && byLine.size() < 8; ++t) {
        const int m = rest[t];
        if (m == m1) continue;
        const auto mi = static_cast<std::size_t>(m);
        const double tol = 0.5 * (w.looseHi[mi] - w.looseLo[mi]);
        std::vector<Equation> eqs;
        for (int l = 1; l <= 2; ++l)
          for (int h = -2; h <= 2; ++h)
            for (int k = -2; k <= 2; ++k) {
              if (h == 0 && k == 0) continue;
              eqs.push_back({m, static_cast<double>(h * l), static_cast<double>(k * l),
                             w.q[mi] - z.Q(h, k) - l * l * c, tol});
            }
        byLine.push_back(std::move(eqs));
      }
      if (byLine.size() < 3) continue;
      const double limitE = 2 * std::sqrt(z.a * c), limitD = 2 * std::sqrt(z.b * c);
      // Cross terms from a reading of each of two lines (the first two
      // after m1, each with every later one), kept with the number of the
      // other lines they explain.
      struct Found {
        int support;
        double d, e;
      };
      std::vector<Found> found;
      for (std::size_t p = 0; p < 2; ++p)
        for (std::size_t q = p + 1; q < byLine.size(); ++q)
          for (const Equation& x : byLine[p])
            for (const Equation& y : byLine[q]) {
              const double dt = x.h * y.k - x.k * y.h;
              if (std::abs(dt) < 0.5) continue;
              double e = (x.r * y.k - x.k * y.r) / dt;
              double d = (x.h * y.r - x.r * y.h) / dt;
              if (std::abs(e) >= limitE || std::abs(d) >= limitD) continue;
              // (D, E) and (-D, -E) are one lattice (c* reversed with the zone).
              if (e < 0 || (e == 0 && d < 0)) e = -e, d = -d;
              int support = 0;
              for (std::size_t o = 0; o < byLine.size(); ++o) {
                if (o == p || o == q) continue;
                for (const Equation& t : byLine[o])
                  if (std::abs(t.h * e + t.k * d - t.r) <= t.tol || std::abs(-t.h * e - t.k * d - t.r) <= t.tol) {
                    ++support;
                    break;
                  }
              }
              if (support >= 2) found.push_back({support, d, e});
            }
      std::sort(found.begin(), found.end(), [](const Found& x, const Found& y) { return x.support > y.support; });
      std::vector<Found> distinct;
      const double near = 2 * (w.looseHi[static_cast<std::size_t>(m1)] - w.looseLo[static_cast<std::size_t>(m1)]);
      for (const Found& f : found) {
        bool seen = false;
        for (const Found& g : distinct) seen = seen || (std::abs(f.d - g.d) < near && std::abs(f.e - g.e) < near);
        if (!seen) distinct.push_back(f);
        if (distinct.size() >= 16) break;
      }
      for (const Found& v : distinct) {
        Metric g{};
        g[0] = {z.a, z.f / 2, v.e / 2};
        g[1] = {z.f / 2, z.b, v.d / 2};
        g[2] = {v.e / 2, v.d / 2, c};
        if (!PositiveDefinite(g)) continue;
        const double volume = 1 / std::sqrt(MetricDeterminant(g));
        if (volume > options.maxVolume * 1.1 || volume < kMinVolume) continue;
        if (!Prefilter(w, g, options.impurities)) continue;
        double merit = 0;
        const int matched = RefinedLatticeScore(w, g, floorMatched, &merit);
        if (matched < floorMatched) continue;
        Metric direct;
        if (!InvertMetric(g, direct)) continue;
        const double v2 = std::sqrt(MetricDeterminant(direct));
        if (v2 <= options.maxVolume && v2 >= kMinVolume) out.push_back({g, matched, v2, zero, merit});
      }
    }
  }
  return out;
}

// One of the seven cells of half the volume of a direct metric: the basis
// vector named by the lowest bit of parity (1..7) replaced by half the sum
// of the basis vectors its bits name.
Metric HalfCell(const Metric& direct, int parity) {
  // Rows of the new basis in the old one.
  double M[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const int first = parity & 1 ? 0 : parity & 2 ? 1 : 2;
  for (int j = 0; j < 3; ++j) M[first][j] = parity >> j & 1 ? 0.5 : 0;
  Metric g{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l)
          g[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] +=
              M[i][k] * direct[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)] * M[j][l];
  return g;
}

// The first `count` candidates of distinct volumes, most lines indexed first,
// then by merit.
std::vector<Candidate> BestOfDistinctVolumes(std::vector<Candidate> all, std::size_t count) {
  std::sort(all.begin(), all.end(), [](const Candidate& a, const Candidate& b) {
    if (a.matched != b.matched) return a.matched > b.matched;
    return a.merit > b.merit;
  });
  std::vector<Candidate> best;
  for (const Candidate& c : all) {
    bool seen = false;
    for (const Candidate& s : best) seen = seen || std::abs(s.volume - c.volume) <= 2e-3 * c.volume;
    if (!seen) best.push_back(c);
    if (best.size() >= count) break;
  }
  return best;
}

// A lattice with twice the true cell indexes every line the true one does,
// and where a glide plane or screw axis removes the rows that would tell
// them apart the search may reach only the larger cell. So the best
// candidates are offered with each of their seven cells of half the volume
// (one basis vector replaced by half a sum of basis vectors), twice over. A
// half cell is kept where it indexes as many lines, or one fewer: the larger
// cell may have indexed the impurity.
void AddHalvedCells(const Windows& w, const IndexingOptions& options, double zero, std::vector<Candidate>& out) {
  std::vector<Candidate> seeds = BestOfDistinctVolumes(out, 12);
  for (int round = 0; round < 2 && !seeds.empty(); ++round) {
    std::vector<Candidate> next;
    for (const Candidate& c : seeds) {
      Metric direct;
      if (!InvertMetric(c.recip, direct)) continue;
      for (int parity = 1; parity < 8; ++parity) {
        const Metric g = HalfCell(direct, parity);
        Metric recip;
        if (!InvertMetric(g, recip) || !PositiveDefinite(recip)) continue;
        if (c.volume / 2 < kMinVolume) continue;
        if (!Prefilter(w, recip, options.impurities)) continue;
        double merit = 0;
        const int floor = c.matched - std::clamp(options.impurities, 0, 1);
        const int matched = RefinedLatticeScore(w, recip, floor, &merit);
        if (matched < floor) continue;
        Metric d;
        if (!InvertMetric(recip, d)) continue;
        const double v = std::sqrt(MetricDeterminant(d));
        if (v > options.maxVolume || v < kMinVolume) continue;
        next.push_back({recip, matched, v, zero, merit});
      }
    }
    out.insert(out.end(), next.begin(), next.end());
    seeds = std::move(next);
    if (seeds.size() > 12) seeds.resize(12);
  }
}

// The best lattices that index most lines but not enough, each tried with
// its seven reciprocal lattices of twice the points (a direct cell of twice
// the volume), twice over: a basis of observed lines that spans only a
// sublattice of the reciprocal lattice misses the lines of the other cosets.
void AddDoubledReciprocalCells(const Windows& w, const IndexingOptions& options, double zero, int floorMatched,
                               std::vector<Candidate> seeds, std::vector<Candidate>& out) {
  for (int round = 0; round < 2 && !seeds.empty(); ++round) {
    const std::vector<Candidate> picked = BestOfDistinctVolumes(std::move(seeds), 30);
    std::vector<Candidate> next;
    for (const Candidate& c : picked) {
      if (2 * c.volume > options.maxVolume) continue;
      for (int parity = 1; parity < 8; ++parity) {
        Metric recip = HalfCell(c.recip, parity);
        if (!PositiveDefinite(recip)) continue;
        const bool full = Prefilter(w, recip, options.impurities);
        double merit = 0;
        const int matched = RefinedLatticeScore(w, recip, full ? floorMatched : c.matched + 1, &merit);
        if (matched <= c.matched) continue;
        Metric d;
        if (!InvertMetric(recip, d)) continue;
        const double v = std::sqrt(MetricDeterminant(d));
        if (v > options.maxVolume || v < kMinVolume) continue;
        if (matched >= floorMatched)
          out.push_back({recip, matched, v, zero, merit});
        else
          next.push_back({recip, matched, v, zero, merit});
      }
    }
    seeds = std::move(next);
  }
}

std::vector<Candidate> SearchAtZero(const Lines& lines, const IndexingOptions& options, double zero, double halfWidth,
                                    const std::atomic<bool>* cancel, const std::function<void(double)>& step) {
  const Windows w = MakeWindows(lines, zero, halfWidth);
  const int n = static_cast<int>(w.size());
  const int base = std::min(n, 10);
  // A short axis puts its first line far up the list (a dominant zone of
  // the two long axes fills the low angles): the second line of a zone may
  // come from further on.
  const int reach = std::min(n, 18);
  // Every zone of two lines whose cross term another line gives.
  std::vector<Zone> zones;
  std::vector<std::vector<std::size_t>> byPair(static_cast<std::size_t>(reach * reach));
  for (int i = 0; i < base; ++i)
    for (int j = i; j < reach; ++j) {
      std::vector<double> xs{0.0};
      for (int m = j; m < n; ++m) {
        if (m == i || m == j) continue;
        const double x = std::abs(w.q[static_cast<std::size_t>(m)] - w.q[static_cast<std::size_t>(i)] -
                                  w.q[static_cast<std::size_t>(j)]);
        if (x <= w.hi[static_cast<std::size_t>(i)] && x > 1e-9) xs.push_back(x);
      }
      std::sort(xs.begin(), xs.end());
      double last = -1;
      for (double x : xs) {
        if (x - last < 1e-6 * w.q[static_cast<std::size_t>(j)]) continue;
        last = x;
        const double qa = w.q[static_cast<std::size_t>(i)], qb = w.q[static_cast<std::size_t>(j)];
        const int score = ZoneScore(w, qa, qb, x);
        if (score < 3) continue;
        byPair[static_cast<std::size_t>(i * reach + j)].push_back(zones.size());
        zones.push_back({i, j, x, score, qa * qb - 0.25 * x * x});
      }
    }
  std::vector<std::size_t> order(zones.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (zones[a].matched != zones[b].matched) return zones[a].matched > zones[b].matched;
    return zones[a].area > zones[b].area;
  });
  // The best zones, and the best of those that reach past the first lines,
  // which a dominant zone would otherwise crowd out.
  std::vector<std::size_t> far;
  for (std::size_t k = 60; k < order.size() && far.size() < 24; ++k)
    if (zones[order[k]].j >= base) far.push_back(order[k]);
  if (order.size() > 60) order.resize(60);
  order.insert(order.end(), far.begin(), far.end());

  const int floorMatched = std::max(4, n - options.impurities - 3);
  std::vector<Candidate> trials = IndexTrials(w, options, floorMatched, zero, cancel);
  const std::vector<Candidate> completed = DominantZoneCandidates(w, zones, options, floorMatched, zero, cancel);
  trials.insert(trials.end(), completed.begin(), completed.end());
  std::mutex mutex;
  std::vector<Candidate> out;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  // Lattices of observed lines that index most lines but not enough: where
  // glide planes and screw axes remove the low lines of one parity, every
  // basis of observed lines spans a sublattice of the reciprocal lattice.
  const int partialFloor = std::max(8, floorMatched - 8);
  std::vector<Candidate> partials;
  auto work = [&] {
    std::vector<Candidate> local, localPartial;
    for (;;) {
      const std::size_t p = next.fetch_add(1);
      if (p >= order.size() || stop.load()) break;
      if (cancel && cancel->load()) {
        stop = true;
        break;
      }
      const Zone& z1 = zones[order[p]];
      for (std::size_t r = p; r < order.size(); ++r) {
        const Zone& z2 = zones[order[r]];
        // Shared line s, the others u (of z1) and v (of z2).
        const int a1[2] = {z1.i, z1.j}, a2[2] = {z2.i, z2.j};
        for (int e = 0; e < 2; ++e)
          for (int f = 0; f < 2; ++f) {
            if (a1[e] != a2[f]) continue;
            if (e == 1 && z1.i == z1.j) continue;
            if (f == 1 && z2.i == z2.j) continue;
            const int s = a1[e], u = a1[1 - e], v = a2[1 - f];
            const int lo = std::min(u, v), hi = std::max(u, v);
            const double qs = w.q[static_cast<std::size_t>(s)], qu = w.q[static_cast<std::size_t>(u)],
                         qv = w.q[static_cast<std::size_t>(v)];
            std::vector<double> ys{0.0};
            for (std::size_t zi : byPair[static_cast<std::size_t>(lo * reach + hi)])
              if (zones[zi].matched >= 4 && zones[zi].x > 0) ys.push_back(zones[zi].x), ys.push_back(-zones[zi].x);
            // The last cross term by vote: each of the first lines, read as a
            // small hkl with k l != 0, proposes one; the true term gathers
            // several, also where neither u+v nor u-v was observed.
            {
              std::vector<double> votes;
              const double limit = 2 * std::sqrt(qu * qv);
              const int lines15 = std::min(n, 15);
              for (int m = 0; m < lines15; ++m)
                for (int h = -2; h <= 2; ++h)
                  for (int k = 1; k <= 2; ++k)
                    for (int l = -2; l <= 2; ++l) {
                      if (l == 0) continue;
                      const double rest = w.q[static_cast<std::size_t>(m)] - h * h * qs - k * k * qu - l * l * qv -
                                          h * k * z1.x - h * l * z2.x;
                      const double y = rest / (k * l);
                      if (std::abs(y) < limit) votes.push_back(y);
                    }
              std::sort(votes.begin(), votes.end());
              const double bin = 2e-3 * std::sqrt(qu * qv);
              // The two best-supported terms (a runner-up a bin away is the same).
              std::vector<std::pair<int, double>> bins;
              for (std::size_t a = 0, b = 0; a < votes.size(); ++a) {
                while (b < votes.size() && votes[b] - votes[a] <= bin) ++b;
                bins.push_back({static_cast<int>(b - a), votes[(a + b - 1) / 2]});
              }
              std::sort(bins.begin(), bins.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
              int taken = 0;
              for (const auto& [count, y] : bins) {
                if (count < 3 || taken == 2) break;
                bool near = false;
                for (std::size_t t = ys.size() - static_cast<std::size_t>(taken); t < ys.size(); ++t)
                  near = near || std::abs(ys[t] - y) <= 2 * bin;
                if (near) continue;
                ys.push_back(y);
                ++taken;
              }
            }
            for (double y : ys) {
              Metric g{};
              g[0] = {qs, z1.x / 2, z2.x / 2};
              g[1] = {z1.x / 2, qu, y / 2};
              g[2] = {z2.x / 2, y / 2, qv};
              if (!PositiveDefinite(g)) continue;
              if (1 / std::sqrt(MetricDeterminant(g)) > options.maxVolume * 1.1) continue;
              const bool full = Prefilter(w, g, options.impurities);
              if (!full && !Prefilter(w, g, options.impurities + 3)) continue;
              double merit = 0;
              const int matched = RefinedLatticeScore(w, g, full ? floorMatched : partialFloor, &merit);
              const double volume = 1 / std::sqrt(MetricDeterminant(g));
              if (matched < partialFloor || volume < kMinVolume) continue;
              if (matched < floorMatched) {
                if (volume <= options.maxVolume && localPartial.size() < 5000)
                  localPartial.push_back({g, matched, volume, zero, merit});
                continue;
              }
              if (volume > options.maxVolume) continue;
              if (local.size() < 50000) local.push_back({g, matched, volume, zero, merit});
            }
          }
      }
      if (step) step(1.0 / static_cast<double>(order.size()));
    }
    std::lock_guard lock(mutex);
    out.insert(out.end(), local.begin(), local.end());
    partials.insert(partials.end(), localPartial.begin(), localPartial.end());
  };
  out = trials;
  RunOnThreads(options, work);
  Check(cancel);
  AddDoubledReciprocalCells(w, options, zero, floorMatched, partials, out);
  AddHalvedCells(w, options, zero, out);
  return out;
}

// --- refinement and figures of merit -------------------------------------------

struct CalcLine {
  double q;
  MillerIndices hkl;
};

std::vector<CalcLine> CalculatedLines(const Metric& recip, double qmax, char lattice) {
  std::vector<CalcLine> calc;
  ForEachReflection(recip, qmax, lattice, [&](int h, int k, int l, double q) {
    calc.push_back({q, {static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l)}});
  }, 400000);
  std::sort(calc.begin(), calc.end(), [](const CalcLine& a, const CalcLine& b) { return a.q < b.q; });
  // Lines that coincide are one line.
  std::vector<CalcLine> distinct;
  for (const auto& c : calc)
    if (distinct.empty() || c.q - distinct.back().q > 1e-9 * c.q) distinct.push_back(c);
  return distinct;
}

struct Fit {
  Metric recip{};
  // The shift of the observed lines: a zero error, constant in 2-theta, or
  // with `displaced` a specimen displacement, zero * cos(theta).
  double zero = 0;
  bool displaced = false;
  double Shift(double tt) const { return displaced ? zero * std::cos(0.5 * tt * kRadian) : zero; }
  std::vector<int> assigned;  // calc line index per observed line, or -1
  std::vector<CalcLine> calc;
  std::vector<double> delta;  // 2-theta obs - zero - calc
  int indexed = 0;
  double meanDelta = 1;
};

void Assign(const Lines& lines, Fit& fit, double window, char lattice) {
  const Geometry& g = lines.geometry;
  const double qmax = g.Q(std::min(179.0, lines.tt.back() - fit.zero + window + 0.5)) * 1.01;
  fit.calc = CalculatedLines(fit.recip, qmax, lattice);
  fit.assigned.assign(lines.tt.size(), -1);
  fit.delta.assign(lines.tt.size(), 0);
  fit.indexed = 0;
  double sum = 0;
  for (std::size_t i = 0; i < lines.tt.size(); ++i) {
    const double tt = lines.tt[i] - fit.Shift(lines.tt[i]), q = g.Q(tt);
    auto it = std::lower_bound(fit.calc.begin(), fit.calc.end(), q, [](const CalcLine& c, double v) { return c.q < v; });
    int best = -1;
    double bestDelta = 1e9;
    for (auto c = it - (it != fit.calc.begin() ? 1 : 0); c != fit.calc.end() && c <= it; ++c) {
      const double d = tt - g.TwoTheta(c->q);
      if (std::abs(d) < std::abs(bestDelta)) bestDelta = d, best = static_cast<int>(c - fit.calc.begin());
    }
    if (best >= 0 && std::abs(bestDelta) <= window) {
      fit.assigned[i] = best;
      fit.delta[i] = bestDelta;
      ++fit.indexed;
      sum += std::abs(bestDelta);
    }
  }
  fit.meanDelta = fit.indexed ? sum / fit.indexed : 1;
}

// Least squares on Q with the zero shift, reassigning the lines each round.
Fit RefineFit(const Lines& lines, const IndexingOptions& options, std::int32_t system, char lattice,
              const Metric& start, double zero, double window, bool displaced = false) {
  Fit fit;
  fit.recip = start;
  fit.zero = zero;
  fit.displaced = displaced;
  const bool refineZero = lines.angle && options.zeroRange > 0;
  const int np = ParameterCount(system);
  std::vector<double> p = ParametersOf(system, start);
  fit.recip = MetricOf(system, p);
  for (int iteration = 0; iteration < 4; ++iteration) {
    Assign(lines, fit, iteration == 0 ? window : options.tolerance * 1.5, lattice);
    const std::size_t size = static_cast<std::size_t>(np + (refineZero ? 1 : 0));
    if (fit.indexed < static_cast<int>(size) + 1) break;
    NormalEquations ne(size);
    std::vector<double> x(6), derivatives(size);
    for (std::size_t i = 0; i < lines.tt.size(); ++i) {
      if (fit.assigned[i] < 0) continue;
      const auto& m = fit.calc[static_cast<std::size_t>(fit.assigned[i])].hkl;
      Design(system, m.h, m.k, m.l, x.data());
      const double tt = lines.tt[i] - fit.Shift(lines.tt[i]), slope = lines.geometry.Slope(tt);
      double calc = 0;
      for (int k = 0; k < np; ++k) calc += p[static_cast<std::size_t>(k)] * x[static_cast<std::size_t>(k)];
      for (int k = 0; k < np; ++k) derivatives[static_cast<std::size_t>(k)] = x[static_cast<std::size_t>(k)];
      if (refineZero) derivatives[size - 1] = slope * (fit.displaced ? std::cos(0.5 * lines.tt[i] * kRadian) : 1.0);
      ne.Add(derivatives, lines.geometry.Q(tt) - calc, 1 / (slope * slope));
    }
    const std::vector<double> shift = ne.Solve();
    std::vector<double> trial = p;
    for (int k = 0; k < np; ++k) trial[static_cast<std::size_t>(k)] += shift[static_cast<std::size_t>(k)];
    const Metric m = MetricOf(system, trial);
    if (!PositiveDefinite(m)) break;
    p = trial;
    fit.recip = m;
    if (refineZero) fit.zero = std::clamp(fit.zero + shift[size - 1], -options.zeroRange - 0.1, options.zeroRange + 0.1);
  }
  Assign(lines, fit, options.tolerance * 1.5, lattice);
  return fit;
}

double SquaredResiduals(const Fit& fit) {
  double sum = 0;
  for (std::size_t i = 0; i < fit.delta.size(); ++i)
    if (fit.assigned[i] >= 0) sum += fit.delta[i] * fit.delta[i];
  return sum;
}

// The fit with a zero error, or with a specimen displacement where that
// explains the lines better with as many parameters: the usual fault of
// Bragg-Brentano data, whose cos(theta) shift a zero error would leave in
// the cell. It takes lines over a wide range to tell the two apart.
Fit RefineShiftedFit(const Lines& lines, const IndexingOptions& options, std::int32_t system, char lattice,
                     const Metric& start, double zero, double window) {
  Fit fit = RefineFit(lines, options, system, lattice, start, zero, window);
  if (!lines.angle || options.zeroRange <= 0 || fit.indexed < 12) return fit;
  if (lines.tt.back() - lines.tt.front() < 40) return fit;
  // The same shift at the middle of the range to start from.
  const double middle = 0.5 * (lines.tt.front() + lines.tt.back());
  const Fit displaced = RefineFit(lines, options, system, lattice, fit.recip,
                                  fit.zero / std::cos(0.5 * middle * kRadian), options.tolerance * 1.5, true);
  if (displaced.indexed >= fit.indexed && SquaredResiduals(displaced) < SquaredResiduals(fit)) return displaced;
  return fit;
}

IndexingSolution Describe(const Lines& lines, const IndexingOptions& options, std::int32_t system, char lattice,
                          const Fit& fit) {
  IndexingSolution s;
  s.system = system;
  s.lattice = lattice;
  Metric direct;
  InvertMetric(fit.recip, direct);
  s.cell = CellFromMetric(direct);
  s.volume = std::sqrt(std::max(0.0, MetricDeterminant(direct)));
  s.zero = lines.angle && !fit.displaced ? fit.zero : 0;
  s.displacement = lines.angle && fit.displaced ? fit.zero : 0;
  s.used = static_cast<int>(lines.tt.size());
  s.indexed = fit.indexed;
  for (std::size_t i = 0; i < lines.tt.size(); ++i)
    s.hkl.push_back(fit.assigned[i] >= 0 ? std::optional(fit.calc[static_cast<std::size_t>(fit.assigned[i])].hkl)
                                         : std::nullopt);
  const Geometry& g = lines.geometry;
  const int n = std::min(20, s.used);
  const double qn = g.Q(lines.tt[static_cast<std::size_t>(n - 1)] - fit.Shift(lines.tt[static_cast<std::size_t>(n - 1)]));
  double sumQ = 0, sumT = 0;
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (fit.assigned[static_cast<std::size_t>(i)] < 0) continue;
    const double tt = lines.tt[static_cast<std::size_t>(i)] - fit.Shift(lines.tt[static_cast<std::size_t>(i)]);
    sumQ += std::abs(g.Q(tt) - fit.calc[static_cast<std::size_t>(fit.assigned[static_cast<std::size_t>(i)])].q);
    sumT += std::abs(fit.delta[static_cast<std::size_t>(i)]);
    ++count;
  }
  int possible = 0;
  for (const auto& c : fit.calc)
    if (c.q <= qn * (1 + 1e-9)) ++possible;
  possible = std::max(possible, 1);
  // A perfect fit would divide by zero: the positions are known to 1e-4 degrees at best.
  const double meanT = std::max(count ? sumT / count : 1.0, 1e-4);
  const double meanQ = std::max(count ? sumQ / count : qn, g.Slope(lines.tt[static_cast<std::size_t>(n - 1)]) * 1e-4);
  s.m20 = qn / (2 * meanQ * possible);
  s.fnLines = n;
  s.fnDelta = meanT;
  s.fnPossible = possible;
  s.fn = n / (meanT * possible);
  const int allowed = std::max(1, s.used - std::max(0, options.impurities));
  const double f = std::min(1.0, static_cast<double>(s.indexed) / allowed);
  // Least squares shrinks the residuals by the parameters it fits: with few
  // lines a triclinic cell fits anything, so the mean error is taken per
  // degree of freedom.
  const int fitted = ParameterCount(system) + (lines.angle && options.zeroRange > 0 ? 1 : 0);
  const double freedom = std::max(static_cast<double>(s.indexed - fitted), 0.1);
  s.score = s.m20 * std::pow(f, 10) * freedom / std::max(s.indexed, 1);
  return s;
}

double PrimitiveVolume(const IndexingSolution& s) {
  switch (s.lattice) {
    case 'I': case 'A': case 'B': case 'C': return s.volume / 2;
    case 'F': return s.volume / 4;
    case 'R': return s.volume / 3;
    default: return s.volume;
  }
}

// Whether p is the primitive lattice of c's conventional cell.
bool CentringDropped(const IndexingSolution& p, const IndexingSolution& c) {
  if (p.lattice != 'P' || c.lattice == 'P') return false;
  for (int i = 0; i < 3; ++i)
    if (std::abs(p.cell[static_cast<std::size_t>(i)] - c.cell[static_cast<std::size_t>(i)]) >
        2e-3 * c.cell[static_cast<std::size_t>(i)])
      return false;
  return std::abs(p.volume - c.volume) < 3e-3 * c.volume;
}

Lines PrepareLines(const IndexingInput& input, const IndexingOptions& options) {
  std::vector<double> v;
  for (double x : input.positions)
    if (std::isfinite(x) && x > 0) v.push_back(x);
  Lines lines;
  if (input.axis == IndexingInput::Axis::Spacing) {
    std::sort(v.begin(), v.end(), std::greater<>());
    if (v.size() > static_cast<std::size_t>(options.maxLines)) v.resize(static_cast<std::size_t>(options.maxLines));
    // Spacings go through a nominal wavelength, so that one search serves both.
    const double dmin = v.empty() ? 1 : v.back();
    lines.geometry.lambda = std::min(1.540562, 1.8 * dmin);
    lines.angle = false;
    for (double d : v) lines.tt.push_back(2 * std::asin(lines.geometry.lambda / (2 * d)) / kRadian);
  } else {
    if (!(input.wavelength > 0)) throw QuorlinError("the wavelength must be above 0");
    lines.geometry.lambda = input.wavelength;
    std::sort(v.begin(), v.end());
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return x >= 180; }), v.end());
    if (v.size() > static_cast<std::size_t>(options.maxLines)) v.resize(static_cast<std::size_t>(options.maxLines));
    lines.tt = v;
  }
  return lines;
}

struct Group {
  std::vector<IndexingSolution> variants;  // main first, then its tie
  Metric reduced;                          // of the refined triclinic lattice
};

// One lattice refined, set in the conventional cells its metric allows, and
// described; no variants where it does not index.
Group BuildGroup(const Lines& lines, const IndexingOptions& options, double halfWidth, const Metric& reduced0,
                 double zero) {
  Group g;
  Metric recip;
  InvertMetric(reduced0, recip);
  const Fit tri = RefineFit(lines, options, 7, 'P', recip, zero, halfWidth);
  Metric direct;
  if (!InvertMetric(tri.recip, direct)) return g;
  const Metric reduced = NiggliReduce(direct);
  // The reduced cell's first axis is the lattice's shortest translation.
  if (reduced[0][0] < kMinAxis * kMinAxis) return g;
  g.reduced = reduced;
  IndexingSolution triclinic = Describe(lines, options, 7, 'P', tri);
  std::vector<IndexingSolution> accepted;
  // A triclinic fit with few spare lines is loose; its metric then
  // meets higher-symmetry conditions only roughly.
  const bool loose = tri.indexed < 7 + 4;
  const double metricTolerance = loose ? 0.03 : 0.006;
  // Nor is its mean error a measure of the noise where the lattice has
  // higher symmetry: each observed line then picks the nearest of the
  // split components of its multiplet, so the triclinic fit follows the
  // noise. A higher cell within half the tolerance is as good.
  const double deltaLimit = std::max(2 * tri.meanDelta + 0.004, 0.5 * options.tolerance);
  for (const auto& conv : ConventionalCells(reduced, metricTolerance, metricTolerance)) {
    if (conv.system == 7) {
      accepted.push_back(triclinic);
      break;
    }
    Metric start;
    if (!InvertMetric(conv.metric, start)) continue;
    const Fit fit = RefineShiftedFit(lines, options, conv.system, conv.lattice, start, tri.zero, options.tolerance * 1.5);
    // The freer triclinic metric may also catch an impurity line; the
    // higher cell need only explain the lines the impurities leave.
    const int needed = std::min(tri.indexed, static_cast<int>(lines.tt.size()) - std::max(0, options.impurities));
    if (fit.indexed < needed || fit.meanDelta > deltaLimit) continue;
    accepted.push_back(Describe(lines, options, conv.system, conv.lattice, fit));
  }
  std::vector<IndexingSolution> shown;
  // A cell must explain twice the lines it has parameters (the zero
  // shift included): a handful of lines, as a small cubic F cell gives,
  // fits some tiny cell of low symmetry exactly.
  for (const auto& s : accepted)
    if (options.systems[static_cast<std::size_t>(s.system)] && s.indexed >= 2 * (ParameterCount(s.system) + 1))
      shown.push_back(s);
  if (shown.size() > 2) shown.resize(2);
  g.variants = shown;
  return g;
}

}  // namespace

double LineShift(const IndexingSolution& s, double twoTheta) {
  return s.zero + s.displacement * std::cos(0.5 * twoTheta * kRadian);
}

bool CentringAllows(char lattice, int h, int k, int l) {
  switch (lattice) {
    case 'I': return (h + k + l) % 2 == 0;
    case 'F': return ((h + k) % 2 == 0) && ((k + l) % 2 == 0);
    case 'A': return (k + l) % 2 == 0;
    case 'B': return (h + l) % 2 == 0;
    case 'C': return (h + k) % 2 == 0;
    case 'R': return ((-h + k + l) % 3 + 3) % 3 == 0;
    default: return true;
  }
}

std::vector<IndexingSolution> IndexPeaks(const IndexingInput& input, const IndexingOptions& optionsIn,
                                         const std::atomic<bool>* cancel,
                                         const std::function<void(double)>& progress) {
  IndexingOptions options = optionsIn;
  options.maxLines = std::clamp(options.maxLines, 4, 60);
  options.tolerance = std::max(options.tolerance, 1e-4);
  options.zeroRange = std::max(0.0, options.zeroRange);
  const Lines lines = PrepareLines(input, options);
  if (lines.tt.size() < 4) throw QuorlinError("indexing needs at least 4 lines");
  if (!lines.angle) options.zeroRange = 0;

  // The zero shift is searched on a grid whose spacing keeps each window at
  // the tolerance plus half a step.
  const int steps = options.zeroRange > 0 ? std::max(1, static_cast<int>(std::ceil(options.zeroRange / options.tolerance))) : 1;
  const double spacing = options.zeroRange > 0 ? 2 * options.zeroRange / steps : 0;
  std::vector<double> zeros;
  for (int i = 0; i < steps; ++i) zeros.push_back(options.zeroRange > 0 ? -options.zeroRange + spacing * (i + 0.5) : 0.0);
  const double halfWidth = options.tolerance + 0.5 * spacing;

  double done = 0;
  std::mutex progressMutex;
  const double total = static_cast<double>(zeros.size()) + 1;
  auto stepProgress = [&](double fraction) {
    if (!progress) return;
    std::lock_guard lock(progressMutex);
    done += fraction;
    progress(std::min(1.0, done / total));
  };
  std::vector<Candidate> candidates;
  for (double z : zeros) {
    Check(cancel);
    auto found = SearchAtZero(lines, options, z, halfWidth, cancel, stepProgress);
    candidates.insert(candidates.end(), found.begin(), found.end());
  }
  // Higher-symmetry trials go a little ahead, as in the final ranking.
  auto order = [](const Candidate& c) { return c.merit * std::pow(1.25, 7 - c.system); };
  std::sort(candidates.begin(), candidates.end(),
            [&](const Candidate& a, const Candidate& b) { return order(a) > order(b); });

  // Distinct reduced lattices, best first.
  struct Distinct {
    Metric reduced;
    double zero;
  };
  std::vector<Distinct> distinct;
  // The best 100, and the best few of each higher system's trials: with a
  // handful of lines, tiny cells of low symmetry fit them with high figures
  // of merit and would crowd out the cubic cell of a metal.
  auto take = [&](std::int32_t system, std::size_t count) {
    std::size_t added = 0;
    for (const auto& c : candidates) {
      if (system != 0 && c.system != system) continue;
      Check(cancel);
      Metric direct;
      if (!InvertMetric(c.recip, direct)) continue;
      const Metric reduced = NiggliReduce(direct);
      bool seen = false;
      for (const auto& d : distinct)
        if (SameReducedLattice(d.reduced, reduced, 2e-3)) {
          seen = true;
          break;
        }
      if (!seen) distinct.push_back({reduced, c.zero}), ++added;
      if (added >= count) break;
    }
  };
  take(0, 100);
  for (std::int32_t system : {1, 2, 4, 5}) take(system, 4);

  std::vector<Group> groups(distinct.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (;;) {
      const std::size_t i = next.fetch_add(1);
      if (i >= distinct.size() || (cancel && cancel->load())) break;
      groups[i] = BuildGroup(lines, options, halfWidth, distinct[i].reduced, distinct[i].zero);
    }
  };
  RunOnThreads(options, work);
  Check(cancel);

  // The search halves its candidates while their metrics are rough, and can
  // miss the half cell that a refined lattice shows at once: the cells of
  // half the volume of the best refined lattices are refined in their turn.
  auto ranked = [](const IndexingSolution& s) { return s.score * std::pow(1.25, 7 - s.system); };
  {
    std::vector<std::size_t> best;
    for (std::size_t i = 0; i < groups.size(); ++i)
      if (!groups[i].variants.empty()) best.push_back(i);
    std::sort(best.begin(), best.end(), [&](std::size_t a, std::size_t b) {
      return ranked(groups[a].variants[0]) > ranked(groups[b].variants[0]);
    });
    if (best.size() > 8) best.resize(8);
    std::vector<Distinct> halves;
    for (std::size_t i : best) {
      const double volume = std::sqrt(std::max(0.0, MetricDeterminant(groups[i].reduced)));
      if (volume / 2 < kMinVolume) continue;
      for (int parity = 1; parity < 8; ++parity) {
        const Metric reduced = NiggliReduce(HalfCell(groups[i].reduced, parity));
        bool seen = false;
        // Against the refined lattices: a rough one of the search may have
        // refined away from it.
        for (const auto& g : groups)
          seen = seen || (!g.variants.empty() && SameReducedLattice(g.reduced, reduced, 2e-3));
        for (const auto& d : halves) seen = seen || SameReducedLattice(d.reduced, reduced, 2e-3);
        if (!seen) halves.push_back({reduced, groups[i].variants[0].zero});
      }
    }
    const std::size_t first = groups.size();
    groups.resize(first + halves.size());
    std::atomic<std::size_t> nextHalf{0};
    auto halfWork = [&] {
      for (;;) {
        const std::size_t i = nextHalf.fetch_add(1);
        if (i >= halves.size() || (cancel && cancel->load())) break;
        groups[first + i] = BuildGroup(lines, options, halfWidth, halves[i].reduced, halves[i].zero);
      }
    };
    RunOnThreads(options, halfWork);
    Check(cancel);
  }
  if (progress) progress(1.0);

  std::erase_if(groups, [](const Group& g) { return g.variants.empty(); });
  // Lines that a higher-symmetry cell explains about as well as a lower one
  // go to the higher: coincidences of its lines lower its count of possible
  // lines less than chance favours a smaller cell of lower symmetry (the
  // weight of `ranked`).
  std::stable_sort(groups.begin(), groups.end(),
                   [&](const Group& a, const Group& b) { return ranked(a.variants[0]) > ranked(b.variants[0]); });
  // A cell of higher symmetry that indexes as many lines with at least half
  // the figure of merit goes before one of lower symmetry.
  for (int pass = 0; pass < 20; ++pass) {
    bool swapped = false;
    for (std::size_t i = 0; i + 1 < groups.size(); ++i) {
      const auto& a = groups[i].variants[0];
      const auto& b = groups[i + 1].variants[0];
      // Not the same cell without its centring, though (hexagonal P over
      // trigonal R): that only leaves the centring's absences unexplained.
      // Nor a supercell of a cell of three or four parameters: by chance a
      // long cell of high symmetry indexes as many lines. (A triclinic cell
      // of half the volume is itself the likelier chance fit; but where it
      // indexes as many lines the supercell needs three quarters of its
      // figure of merit, since a true triclinic cell also has supercells of
      // higher metric symmetry.)
      const bool super = PrimitiveVolume(b) >= 1.6 * PrimitiveVolume(a);
      const double share = super && b.indexed == a.indexed ? 0.75 : 0.5;
      const bool higher = b.system < a.system && b.indexed >= a.indexed && b.score >= share * a.score &&
                          !CentringDropped(b, a) && (a.system == 7 || !super);
      // A cell of at least that symmetry and at most half the volume that
      // indexes as many lines is the simpler explanation: its supercell only
      // adds lines that are not seen. (Not one of lower symmetry: glide
      // planes and screw axes make the lines of a cell look like those of a
      // smaller one.)
      const bool smaller = b.system <= a.system && b.indexed >= a.indexed &&
                           PrimitiveVolume(b) < 0.6 * PrimitiveVolume(a);
      if (higher || smaller) {
        std::swap(groups[i], groups[i + 1]);
        swapped = true;
      }
    }
    if (!swapped) break;
  }
  std::vector<IndexingSolution> out;
  std::vector<Metric> kept;
  for (const auto& g : groups) {
    // Refinements from different starts may meet in one lattice.
    const Metric reduced = NiggliReduce(PrimitiveMetric(g.variants[0].cell, g.variants[0].lattice));
    bool seen = false;
    for (const auto& k : kept)
      if (SameReducedLattice(k, reduced, 2e-3)) seen = true;
    if (seen) continue;
    kept.push_back(reduced);
    const int main = static_cast<int>(out.size());
    for (std::size_t v = 0; v < g.variants.size(); ++v) {
      IndexingSolution s = g.variants[v];
      if (v > 0) s.tieWith = main;
      out.push_back(s);
    }
    if (static_cast<int>(out.size()) >= options.top) break;
  }
  if (static_cast<int>(out.size()) > options.top) out.resize(static_cast<std::size_t>(std::max(0, options.top)));
  return out;
}

IndexingSolution EvaluateCell(const IndexingInput& input, const IndexingOptions& options, std::int32_t system,
                              char lattice, const std::array<double, 6>& cell) {
  const Lines lines = PrepareLines(input, options);
  if (lines.tt.empty()) throw QuorlinError("no lines to index");
  Metric recip;
  if (!InvertMetric(MetricFromCell(cell), recip)) throw QuorlinError("the cell has no volume");
  if (system < 1 || system > 7) system = 7;
  IndexingOptions o = options;
  if (!lines.angle) o.zeroRange = 0;
  const Fit fit = RefineShiftedFit(lines, o, system, lattice, recip, 0, o.tolerance * 1.5 + o.zeroRange);
  return Describe(lines, o, system, lattice, fit);
}

std::vector<ExtinctionScore> RankExtinctionSymbols(const IndexingInput& input, const IndexingOptions& options,
                                                   const IndexingSolution& solution) {
  const Lines lines = PrepareLines(input, options);
  std::vector<ExtinctionScore> out;
  if (lines.tt.empty()) return out;
  Metric recip;
  if (!InvertMetric(MetricFromCell(solution.cell), recip)) return out;
  const Geometry& g = lines.geometry;
  const double window = options.tolerance * 1.5;
  auto corrected = [&](double tt) { return lines.angle ? tt - LineShift(solution, tt) : tt; };
  const double top = corrected(lines.tt.back()) + window;
  // Every reflection of the primitive lattice in the measured range, with its
  // position: the entries themselves carry the centring conditions.
  struct Reflection {
    std::int16_t h, k, l;
    double tt;
  };
  std::vector<Reflection> reflections;
  ForEachReflection(recip, g.Q(std::min(179.0, top)), 'P', [&](int h, int k, int l, double q) {
    reflections.push_back({static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l),
                           g.TwoTheta(q)});
  }, 400000);
  std::sort(reflections.begin(), reflections.end(), [](const Reflection& a, const Reflection& b) { return a.tt < b.tt; });
  std::vector<bool> indexed(lines.tt.size(), false);
  for (std::size_t i = 0; i < lines.tt.size() && i < solution.hkl.size(); ++i) indexed[i] = solution.hkl[i].has_value();
  for (const auto& entry : CatalogueEntries(solution.system)) {
    CPattern pattern;
    pattern.CrystalSystem = solution.system;
    pattern.SetExtinctionNumber(entry.number);
    ExtinctionScore score{entry.number, std::string(entry.spaceGroups), 0, 0, 0};
    std::vector<bool> allowed(reflections.size());
    for (std::size_t r = 0; r < reflections.size(); ++r) {
      allowed[r] = pattern.IsAllowed(reflections[r].h, reflections[r].k, reflections[r].l);
      score.allowed += allowed[r];
    }
    // An observed line stays when any reflection under it is allowed.
    std::vector<bool> seen(reflections.size(), false);
    for (std::size_t i = 0; i < lines.tt.size(); ++i) {
      const double tt = corrected(lines.tt[i]);
      bool any = false;
      for (std::size_t r = 0; r < reflections.size(); ++r)
        if (std::abs(reflections[r].tt - tt) <= window) {
          seen[r] = true;
          any = any || allowed[r];
        }
      if (indexed[i] && !any) ++score.absentObserved;
    }
    // Allowed lines that no observed line accounts for, coincident ones once.
    double last = -1;
    for (std::size_t r = 0; r < reflections.size(); ++r) {
      if (!allowed[r] || seen[r]) continue;
      if (reflections[r].tt - last > 1e-6) ++score.unobservedPredicted;
      last = reflections[r].tt;
    }
    out.push_back(score);
  }
  std::stable_sort(out.begin(), out.end(), [](const ExtinctionScore& a, const ExtinctionScore& b) {
    if (a.absentObserved != b.absentObserved) return a.absentObserved < b.absentObserved;
    if (a.unobservedPredicted != b.unobservedPredicted) return a.unobservedPredicted < b.unobservedPredicted;
    // Equal so far: the symbol with more conditions says more.
    return a.allowed < b.allowed;
  });
  return out;
}

}  // namespace quorlin
