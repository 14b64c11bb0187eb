#include "indexing/lattice_reduction.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>
#include <set>

namespace quorlin {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

IntBasis Identity() { return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; }

// Row operations on the basis, applied to the metric and the tracked basis.
struct Reducer {
  Metric g;
  IntBasis t;
  void Recompute(const Metric& original) { g = Transform(original, t); }
};

}  // namespace

Metric MetricFromCell(const std::array<double, 6>& c) {
  const double ca = std::cos(c[3] * kDegree), cb = std::cos(c[4] * kDegree), cg = std::cos(c[5] * kDegree);
  Metric g{};
  g[0] = {c[0] * c[0], c[0] * c[1] * cg, c[0] * c[2] * cb};
  g[1] = {c[0] * c[1] * cg, c[1] * c[1], c[1] * c[2] * ca};
  g[2] = {c[0] * c[2] * cb, c[1] * c[2] * ca, c[2] * c[2]};
  return g;
}

std::array<double, 6> CellFromMetric(const Metric& g) {
  const double a = std::sqrt(g[0][0]), b = std::sqrt(g[1][1]), c = std::sqrt(g[2][2]);
  auto angle = [](double dot, double x, double y) {
    return std::acos(std::clamp(dot / (x * y), -1.0, 1.0)) / kDegree;
  };
  return {a, b, c, angle(g[1][2], b, c), angle(g[0][2], a, c), angle(g[0][1], a, b)};
}

double MetricDeterminant(const Metric& g) {
  return g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) - g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
         g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
}

bool InvertMetric(const Metric& g, Metric& inv) {
  const double det = MetricDeterminant(g);
  if (!(std::abs(det) > 0) || !std::isfinite(det)) return false;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      inv[i][j] = (g[i1][j1] * g[i2][j2] - g[i1][j2] * g[i2][j1]) / det;
    }
  return true;
}

Metric Transform(const Metric& g, const IntBasis& t) {
  Metric r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int p = 0; p < 3; ++p)
        for (int q = 0; q < 3; ++q) s += t[i][p] * g[p][q] * t[j][q];
      r[i][j] = s;
    }
  return r;
}

int Determinant(const IntBasis& t) {
  return t[0][0] * (t[1][1] * t[2][2] - t[1][2] * t[2][1]) - t[0][1] * (t[1][0] * t[2][2] - t[1][2] * t[2][0]) +
         t[0][2] * (t[1][0] * t[2][1] - t[1][1] * t[2][0]);
}

std::array<double, 6> G6(const Metric& g) {
  return {g[0][0], g[1][1], g[2][2], 2 * g[1][2], 2 * g[0][2], 2 * g[0][1]};
}

// Krivy and Gruber's algorithm: steps 1-8 repeated until none applies.
Metric NiggliReduce(const Metric& original, IntBasis* basis, double relative) {
  Reducer r{original, Identity()};
  const double eps = relative * (original[0][0] + original[1][1] + original[2][2]) / 3.0;
  auto swapRows = [&](int i, int j) {
    std::swap(r.t[i], r.t[j]);
    for (int p = 0; p < 3; ++p) r.t[3 - i - j][p] = -r.t[3 - i - j][p];  // keep the hand
  };
  auto signs = [&](int si, int sj, int sk) {
    const int s[3] = {si, sj, sk};
    for (int i = 0; i < 3; ++i)
      for (int p = 0; p < 3; ++p) r.t[i][p] *= s[i];
  };
  auto addRow = [&](int target, int source, int factor) {
    for (int p = 0; p < 3; ++p) r.t[target][p] += factor * r.t[source][p];
  };
  auto sgn = [](double v) { return v > 0 ? 1 : -1; };
  for (int iteration = 0; iteration < 1000; ++iteration) {
    r.Recompute(original);
    double A, B, C, xi, eta, zeta;
    auto load = [&] {
      const auto v = G6(r.g);
      A = v[0], B = v[1], C = v[2], xi = v[3], eta = v[4], zeta = v[5];
    };
    load();
    if (A > B + eps || (std::abs(A - B) <= eps && std::abs(xi) > std::abs(eta) + eps)) {
      swapRows(0, 1);
      continue;
    }
    if (B > C + eps || (std::abs(B - C) <= eps && std::abs(eta) > std::abs(zeta) + eps)) {
      swapRows(1, 2);
      continue;
    }
    // Steps 3 and 4: all three products of signs positive, or none.
    auto pos = [&](double v) { return v > eps; };
    auto neg = [&](double v) { return v < -eps; };
    const int positives = pos(xi) + pos(eta) + pos(zeta);
    const int negatives = neg(xi) + neg(eta) + neg(zeta);
    if (positives + negatives == 3 && positives % 2 == 1) {
      // xi eta zeta > 0: make all positive.
      for (int m = 0; m < 8; ++m) {
        const int si = m & 1 ? -1 : 1, sj = m & 2 ? -1 : 1, sk = m & 4 ? -1 : 1;
        if (sj * sk * xi > 0 && si * sk * eta > 0 && si * sj * zeta > 0) {
          signs(si, sj, sk);
          break;
        }
      }
      r.Recompute(original);
      load();
    } else if (positives > 0) {
      // Make every term <= 0; a term near zero takes whichever sign helps.
      int best[3] = {1, 1, 1};
      for (int m = 0; m < 8; ++m) {
        const int si = m & 1 ? -1 : 1, sj = m & 2 ? -1 : 1, sk = m & 4 ? -1 : 1;
        if (!pos(sj * sk * xi) && !pos(si * sk * eta) && !pos(si * sj * zeta)) {
          best[0] = si, best[1] = sj, best[2] = sk;
          break;
        }
      }
      signs(best[0], best[1], best[2]);
      r.Recompute(original);
      load();
    }
    if (std::abs(xi) > B + eps || (std::abs(xi - B) <= eps && 2 * eta < zeta - eps) ||
        (std::abs(xi + B) <= eps && zeta < -eps)) {
      addRow(2, 1, -sgn(xi));
      continue;
    }
    if (std::abs(eta) > A + eps || (std::abs(eta - A) <= eps && 2 * xi < zeta - eps) ||
        (std::abs(eta + A) <= eps && zeta < -eps)) {
      addRow(2, 0, -sgn(eta));
      continue;
    }
    if (std::abs(zeta) > A + eps || (std::abs(zeta - A) <= eps && 2 * xi < eta - eps) ||
        (std::abs(zeta + A) <= eps && eta < -eps)) {
      addRow(1, 0, -sgn(zeta));
      continue;
    }
    const double sum = xi + eta + zeta + A + B;
    if (sum < -eps || (std::abs(sum) <= eps && 2 * (A + eta) + zeta > eps)) {
      addRow(2, 0, 1);
      addRow(2, 1, 1);
      continue;
    }
    break;
  }
  if (Determinant(r.t) < 0) signs(-1, -1, -1);
  r.Recompute(original);
  if (basis) *basis = r.t;
  return r.g;
}

bool SameReducedLattice(const Metric& a, const Metric& b, double relative) {
  const auto x = G6(a), y = G6(b);
  const double scale = (x[0] + x[1] + x[2] + y[0] + y[1] + y[2]) / 6.0;
  // Axes of nearly equal length may come out of the reduction in either
  // order (noise decides), so each order of the axes is tried; a swap
  // carries its cross terms along (b.c belongs to a, a.c to b, a.b to c).
  static constexpr int kOrders[6][3] = {{0, 1, 2}, {1, 0, 2}, {0, 2, 1}, {2, 1, 0}, {1, 2, 0}, {2, 0, 1}};
  for (const auto& o : kOrders) {
    bool same = true;
    for (int i = 0; i < 6 && same; ++i) {
      const double u = y[static_cast<std::size_t>(i < 3 ? o[i] : 3 + o[i - 3])];
      // The off-diagonal terms of a reduced cell near 90 degrees may take
      // either sign; compare their sizes.
      const double d = i < 3 ? x[static_cast<std::size_t>(i)] - u : std::abs(x[static_cast<std::size_t>(i)]) - std::abs(u);
      same = std::abs(d) <= relative * scale * (i < 3 ? 1.0 : 2.0);
    }
    if (same) return true;
  }
  return false;
}

Metric PrimitiveMetric(const std::array<double, 6>& cell, char lattice) {
  using Rows = std::array<std::array<double, 3>, 3>;
  Rows p{};
  switch (lattice) {
    case 'I': p = {{{-0.5, 0.5, 0.5}, {0.5, -0.5, 0.5}, {0.5, 0.5, -0.5}}}; break;
    case 'F': p = {{{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}}}; break;
    case 'A': p = {{{1, 0, 0}, {0, 0.5, 0.5}, {0, -0.5, 0.5}}}; break;
    case 'B': p = {{{0.5, 0, 0.5}, {0, 1, 0}, {-0.5, 0, 0.5}}}; break;
    case 'C': p = {{{0.5, 0.5, 0}, {-0.5, 0.5, 0}, {0, 0, 1}}}; break;
    case 'R': p = {{{2. / 3, 1. / 3, 1. / 3}, {-1. / 3, 1. / 3, 1. / 3}, {-1. / 3, -2. / 3, 1. / 3}}}; break;
    default: p = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  }
  const Metric g = MetricFromCell(cell);
  Metric r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) r[i][j] += p[i][a] * g[a][b] * p[j][b];
  return r;
}

char CentringOf(const IntBasis& t) {
  const int det = Determinant(t);
  const int n = std::abs(det);
  if (n == 0 || n > 4) return 0;
  // Adjugate: the reduced vectors in conventional coordinates are adj/det.
  int adj[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      adj[i][j] = t[i1][j1] * t[i2][j2] - t[i1][j2] * t[i2][j1];
    }
  // Points of the lattice in the conventional cell, in units of 1/(6 n).
  std::set<std::array<int, 3>> points;
  const int unit = 6;
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b)
      for (int c = 0; c < n; ++c) {
        std::array<int, 3> p{};
        for (int j = 0; j < 3; ++j) {
          const int num = a * adj[0][j] + b * adj[1][j] + c * adj[2][j];
          int v = (num * unit * (det > 0 ? 1 : -1)) % (unit * n);
          if (v < 0) v += unit * n;
          p[j] = v;
        }
        points.insert(p);
      }
  if (static_cast<int>(points.size()) != n) return 0;
  const int h = 3 * n, third = 2 * n;  // 1/2 and 1/3 in these units
  auto has = [&](int x, int y, int z) { return points.count({x, y, z}) > 0; };
  switch (n) {
    case 1: return 'P';
    case 2:
      if (has(h, h, 0)) return 'C';
      if (has(0, h, h)) return 'A';
      if (has(h, 0, h)) return 'B';
      if (has(h, h, h)) return 'I';
      return 0;
    case 3:
      if (has(2 * third, third, third) && has(third, 2 * third, 2 * third)) return 'R';
      if (has(third, 2 * third, third) && has(2 * third, third, 2 * third)) return 'r';
      return 0;
    case 4: return has(h, h, 0) && has(0, h, h) && has(h, 0, h) ? 'F' : 0;
  }
  return 0;
}

namespace {

struct ShortVector {
  std::array<int, 3> n;
  double length2;
};

}  // namespace

namespace {

// Lattice rows with indices up to `reach`, one of each pair +-, shortest first.
std::vector<ShortVector> Rows(const Metric& g, int reach) {
  std::vector<ShortVector> vectors;
  for (int a = -reach; a <= reach; ++a)
    for (int b = -reach; b <= reach; ++b)
      for (int c = -reach; c <= reach; ++c) {
        if (a == 0 && b == 0 && c == 0) continue;
        const int first = a != 0 ? a : (b != 0 ? b : c);
        if (first < 0) continue;
        if (std::gcd(std::gcd(std::abs(a), std::abs(b)), std::abs(c)) != 1) continue;
        double l2 = 0;
        const int n[3] = {a, b, c};
        for (int p = 0; p < 3; ++p)
          for (int q = 0; q < 3; ++q) l2 += n[p] * g[p][q] * n[q];
        vectors.push_back({{a, b, c}, l2});
      }
  std::sort(vectors.begin(), vectors.end(), [](const auto& x, const auto& y) { return x.length2 < y.length2; });
  return vectors;
}

double Dot(const Metric& g, const std::array<int, 3>& u, const std::array<int, 3>& v) {
  double s = 0;
  for (int p = 0; p < 3; ++p)
    for (int q = 0; q < 3; ++q) s += u[p] * g[p][q] * v[q];
  return s;
}

}  // namespace

namespace {

// A monoclinic basis with its a-c plane reduced: the shortest a and c that
// keep the centring (c + n a always, a + m c with m even under C centring),
// then beta >= 90 and a right-handed basis.
IntBasis ReducedMonoclinic(const Metric& g, IntBasis t, char centring) {
  auto add = [&](int to, int from, int times) {
    for (int p = 0; p < 3; ++p) t[static_cast<std::size_t>(to)][static_cast<std::size_t>(p)] += times * t[static_cast<std::size_t>(from)][static_cast<std::size_t>(p)];
  };
  const int step = centring == 'C' ? 2 : 1;
  for (int round = 0; round < 60; ++round) {
    const Metric m = Transform(g, t);
    const double aa = m[0][0], cc = m[2][2], ac = m[0][2];
    const int n = static_cast<int>(std::lround(-ac / aa));
    if (n != 0 && cc + 2 * n * ac + n * n * aa < cc * (1 - 1e-9)) {
      add(2, 0, n);
      continue;
    }
    const int k = step * static_cast<int>(std::lround(-ac / (cc * step)));
    if (k != 0 && aa + 2 * k * ac + k * k * cc < aa * (1 - 1e-9)) {
      add(0, 2, k);
      continue;
    }
    break;
  }
  if (Transform(g, t)[0][2] > 0)
    for (int p = 0; p < 3; ++p) t[0][p] = -t[0][p], t[1][p] = -t[1][p];
  if (Determinant(t) < 0)
    for (int p = 0; p < 3; ++p) t[1][p] = -t[1][p];
  return t;
}

}  // namespace

std::vector<ConventionalCell> ConventionalCells(const Metric& g, double cosTol, double lenTol) {
  const std::vector<ShortVector> vectors = Rows(g, 2);
  // The hexagonal c of a rhombohedral lattice may need indices up to 3 in the reduced cell.
  const std::vector<ShortVector> wide = Rows(g, 3);

  const std::size_t count = vectors.size();
  std::vector<double> dot(count * count);
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t j = 0; j < count; ++j) {
      double s = 0;
      for (int p = 0; p < 3; ++p)
        for (int q = 0; q < 3; ++q) s += vectors[i].n[p] * g[p][q] * vectors[j].n[q];
      dot[i * count + j] = s;
    }
  auto cosine = [&](std::size_t i, std::size_t j) {
    return dot[i * count + j] / std::sqrt(vectors[i].length2 * vectors[j].length2);
  };
  auto perp = [&](std::size_t i, std::size_t j) { return std::abs(cosine(i, j)) <= cosTol; };
  auto equal = [&](std::size_t i, std::size_t j) {
    const double x = std::sqrt(vectors[i].length2), y = std::sqrt(vectors[j].length2);
    return std::abs(x - y) <= lenTol * 0.5 * (x + y);
  };
  auto make = [&](std::size_t i, int si, std::size_t j, int sj, std::size_t k, int sk) {
    IntBasis t{};
    for (int p = 0; p < 3; ++p) {
      t[0][p] = si * vectors[i].n[p];
      t[1][p] = sj * vectors[j].n[p];
      t[2][p] = sk * vectors[k].n[p];
    }
    return t;
  };
  auto length = [&](const IntBasis& t) {
    const Metric m = Transform(g, t);
    return std::sqrt(m[0][0]) + std::sqrt(m[1][1]) + std::sqrt(m[2][2]);
  };

  std::vector<ConventionalCell> out;
  // Best basis of one system and centring: the shortest. Each centring is
  // kept, since noise can let a system's conditions hold in a second,
  // pseudo-symmetric setting with fewer lattice points, which then does not
  // index.
  struct One {
    bool found = false;
    double size = 0;
    IntBasis t{};
  };
  static constexpr char kLetters[] = "PCIRF";  // fewest lattice points first
  struct Best {
    One by[5];
  };
  auto offer = [&](Best& best, IntBasis t, char lattice) {
    One& one = best.by[std::strchr(kLetters, lattice) - kLetters];
    const double size = length(t);
    if (!one.found || size < one.size - 1e-9) one = {true, size, t};
  };
  auto handed = [](IntBasis t) {
    if (Determinant(t) < 0)
      for (int p = 0; p < 3; ++p) t[2][p] = -t[2][p];
    return t;
  };

  Best cubic, tetragonal, orthorhombic, hexagonal, rhombohedral, monoclinic;
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t j = i + 1; j < count; ++j) {
      if (!perp(i, j)) continue;
      for (std::size_t k = j + 1; k < count; ++k) {
        if (!perp(i, k) || !perp(j, k)) continue;
        const IntBasis t = handed(make(i, 1, j, 1, k, 1));
        const char centring = CentringOf(t);
        if (centring == 0 || centring == 'R' || centring == 'r') continue;
        // Orthorhombic: C rather than A or B, by a cyclic change of axes.
        IntBasis o = t;
        if (centring == 'A') o = {t[1], t[2], t[0]};
        if (centring == 'B') o = {t[2], t[0], t[1]};
        offer(orthorhombic, o, centring == 'A' || centring == 'B' ? 'C' : centring);
        // Tetragonal and cubic: the equal pair first as a, b.
        const std::size_t idx[3] = {i, j, k};
        for (int c = 0; c < 3; ++c) {
          const std::size_t p = idx[(c + 1) % 3], q = idx[(c + 2) % 3], r = idx[c];
          if (!equal(p, q)) continue;
          const IntBasis u = handed(make(p, 1, q, 1, r, 1));
          const char cu = CentringOf(u);
          if (cu == 'P' || cu == 'I') offer(tetragonal, u, cu);
          if (equal(p, r) && (cu == 'P' || cu == 'I' || cu == 'F')) offer(cubic, u, cu);
        }
      }
    }
  // Hexagonal axes: a, b equal at 120 degrees, c normal to both.
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t j = i + 1; j < count; ++j) {
      if (!equal(i, j) || std::abs(std::abs(cosine(i, j)) - 0.5) > cosTol) continue;
      const int sj = cosine(i, j) > 0 ? -1 : 1;
      for (const auto& w : wide) {
        auto perpWide = [&](std::size_t x) {
          return std::abs(Dot(g, vectors[x].n, w.n)) <= cosTol * std::sqrt(vectors[x].length2 * w.length2);
        };
        if (!perpWide(i) || !perpWide(j)) continue;
        IntBasis t{};
        for (int p = 0; p < 3; ++p) t[0][p] = vectors[i].n[p], t[1][p] = sj * vectors[j].n[p], t[2][p] = w.n[p];
        if (Determinant(t) == 0) continue;
        if (Determinant(t) < 0)
          for (int r = 0; r < 3; ++r)
            for (int p = 0; p < 3; ++p) t[r][p] = -t[r][p];
        char centring = CentringOf(t);
        if (centring == 'r') {
          for (int p = 0; p < 3; ++p) t[0][p] = -t[0][p], t[1][p] = -t[1][p];
          centring = 'R';
        }
        if (centring == 'P') offer(hexagonal, t, 'P');
        if (centring == 'R') offer(rhombohedral, t, 'R');
      }
    }
  // Monoclinic, b unique: b normal to a and c.
  for (std::size_t j = 0; j < count; ++j)
    for (std::size_t i = 0; i < count; ++i) {
      if (i == j || !perp(i, j)) continue;
      for (std::size_t k = i + 1; k < count; ++k) {
        if (k == j || !perp(k, j)) continue;
        IntBasis t = make(i, 1, j, 1, k, 1);
        if (Determinant(t) == 0) continue;
        // beta >= 90: turn a and b over together when it is acute.
        if (dot[i * count + k] > 0)
          for (int p = 0; p < 3; ++p) t[0][p] = -t[0][p], t[1][p] = -t[1][p];
        if (Determinant(t) < 0)
          for (int p = 0; p < 3; ++p) t[1][p] = -t[1][p];
        char centring = CentringOf(t);
        if (centring == 'A') {  // exchange a and c
          t = {t[2], t[1], t[0]};
          for (int p = 0; p < 3; ++p) t[1][p] = -t[1][p];
          centring = 'C';
        }
        if (centring != 'P' && centring != 'C') continue;
        // Long vectors of a plane that is not quite normal to b can pass
        // the test: the reduced pair must pass it too.
        const IntBasis r = ReducedMonoclinic(g, t, centring);
        const Metric m = Transform(g, r);
        if (std::abs(m[0][1]) > cosTol * std::sqrt(m[0][0] * m[1][1]) ||
            std::abs(m[1][2]) > cosTol * std::sqrt(m[1][1] * m[2][2]))
          continue;
        offer(monoclinic, r, centring);
      }
    }
  auto push = [&](const Best& b, std::int32_t system) {
    for (int i = 0; i < 5; ++i)
      if (b.by[i].found) out.push_back({system, kLetters[i], b.by[i].t, Transform(g, b.by[i].t)});
  };
  push(cubic, 1);
  push(hexagonal, 2);
  push(rhombohedral, 3);
  push(tetragonal, 4);
  push(orthorhombic, 5);
  push(monoclinic, 6);
  out.push_back({7, 'P', Identity(), g});
  return out;
}

}  // namespace quorlin
