// Seeded synthetic powder patterns for indexing: a random cell of a lattice
// family, the lines its space group's reflection conditions allow, and the
// faults of measured data (position noise, a zero shift, missing lines, an
// impurity line). The d-spacings come from the textbook reciprocal-cell
// formulas, independently of the indexing code's metrics.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace quorlin::testing {

struct Family {
  const char* name;
  int system;  // 1 cubic, 2 hexagonal, 3 trigonal (R), 4 tetragonal, 5 orthorhombic, 6 monoclinic, 7 triclinic
  char lattice;
  // Extra conditions of a real space group beyond the centring, or none.
  std::function<bool(int, int, int)> allowed;
};

inline const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {"cubic P (Pa-3)", 1, 'P', [](int h, int k, int l) {
         return !(h == 0 && k % 2 != 0) && !(k == 0 && l % 2 != 0) && !(l == 0 && h % 2 != 0);
       }},
      {"cubic I", 1, 'I', nullptr},
      {"cubic F", 1, 'F', nullptr},
      {"tetragonal P (P4_2/n)", 4, 'P', [](int h, int k, int l) {
         return !(l == 0 && (h + k) % 2 != 0) && !(h == 0 && k == 0 && l % 2 != 0);
       }},
      {"tetragonal I", 4, 'I', nullptr},
      {"hexagonal P (P6_3)", 2, 'P', [](int h, int k, int l) { return !(h == 0 && k == 0 && l % 2 != 0); }},
      {"trigonal R", 3, 'R', nullptr},
      {"orthorhombic P (Pbca)", 5, 'P', [](int h, int k, int l) {
         return !(h == 0 && k % 2 != 0) && !(k == 0 && l % 2 != 0) && !(l == 0 && h % 2 != 0);
       }},
      {"orthorhombic C", 5, 'C', nullptr},
      {"orthorhombic I", 5, 'I', nullptr},
      {"orthorhombic F", 5, 'F', nullptr},
      {"monoclinic P (P2_1/c)", 6, 'P', [](int h, int k, int l) {
         return !(k == 0 && l % 2 != 0) && !(h == 0 && l == 0 && k % 2 != 0);
       }},
      {"monoclinic C (C2/c)", 6, 'C', [](int, int k, int l) { return !(k == 0 && l % 2 != 0); }},
      {"triclinic P", 7, 'P', nullptr},
  };
  return families;
}

inline bool CentringKeeps(char lattice, int h, int k, int l) {
  auto even = [](int v) { return v % 2 == 0; };
  switch (lattice) {
    case 'I': return even(h + k + l);
    case 'F': return even(h + k) && even(k + l);
    case 'C': return even(h + k);
    case 'R': return ((-h + k + l) % 3 + 3) % 3 == 0;
    default: return true;
  }
}

struct SyntheticPattern {
  std::array<double, 6> cell;  // conventional, true
  std::vector<double> twoTheta;  // the lines used, ascending, with all faults
  double zero = 0;
};

// 1/d^2 from the reciprocal cell (a*, b*, c*, cos alpha*, ...).
inline double InverseD2(const std::array<double, 6>& c, int h, int k, int l) {
  const double r = std::numbers::pi / 180;
  const double ca = std::cos(c[3] * r), cb = std::cos(c[4] * r), cg = std::cos(c[5] * r);
  const double sa = std::sin(c[3] * r), sb = std::sin(c[4] * r), sg = std::sin(c[5] * r);
  const double v = c[0] * c[1] * c[2] * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
  const double as = c[1] * c[2] * sa / v, bs = c[0] * c[2] * sb / v, cs = c[0] * c[1] * sg / v;
  const double cas = (cb * cg - ca) / (sb * sg), cbs = (ca * cg - cb) / (sa * sg), cgs = (ca * cb - cg) / (sa * sb);
  return h * h * as * as + k * k * bs * bs + l * l * cs * cs + 2 * k * l * bs * cs * cas + 2 * h * l * as * cs * cbs +
         2 * h * k * as * bs * cgs;
}

inline double CellVolume(const std::array<double, 6>& c) {
  const double r = std::numbers::pi / 180;
  const double ca = std::cos(c[3] * r), cb = std::cos(c[4] * r), cg = std::cos(c[5] * r);
  return c[0] * c[1] * c[2] * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
}

inline std::array<double, 6> RandomCell(const Family& f, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> axis(3.0, 20.0), angle(60.0, 120.0), mono(91.0, 120.0);
  for (;;) {
    std::array<double, 6> c{axis(rng), axis(rng), axis(rng), 90, 90, 90};
    switch (f.system) {
      case 1: c[1] = c[2] = c[0]; break;
      case 2: case 3: c[1] = c[0], c[5] = 120; break;
      case 4: c[1] = c[0]; break;
      case 6: c[4] = mono(rng); break;
      case 7: c[3] = angle(rng), c[4] = angle(rng), c[5] = angle(rng); break;
    }
    const double v = 1 - std::pow(std::cos(c[3] * std::numbers::pi / 180), 2);
    if (!(v > 0)) continue;
    const double volume = CellVolume(c);
    if (!(volume > 20 && volume <= 2000)) continue;
    // Keep the distinct axes of a lower system really distinct.
    if (f.system >= 4 && f.system <= 5 && std::abs(c[0] - c[2]) < 0.3) continue;
    if (f.system == 5 && (std::abs(c[0] - c[1]) < 0.3 || std::abs(c[1] - c[2]) < 0.3)) continue;
    if (f.system == 7) {
      // A reduced-looking triclinic cell: no angle within 3 degrees of 90.
      if (std::abs(c[3] - 90) < 3 || std::abs(c[4] - 90) < 3 || std::abs(c[5] - 90) < 3) continue;
    }
    return c;
  }
}

// The pattern of a given cell, its faults drawn from rng.
inline SyntheticPattern MakePatternOfCell(const Family& f, const std::array<double, 6>& cell, std::mt19937_64& rng,
                                          double lambda = 1.540562) {
  SyntheticPattern p;
  p.cell = cell;
  std::vector<double> tt;
  const int n = 24;
  for (int h = -n; h <= n; ++h)
    for (int k = -n; k <= n; ++k)
      for (int l = 0; l <= n; ++l) {
        if (l == 0 && (k < 0 || (k == 0 && h <= 0))) continue;
        if (!CentringKeeps(f.lattice, h, k, l)) continue;
        if (f.allowed && !f.allowed(std::abs(h), std::abs(k), std::abs(l))) continue;
        const double s = lambda * std::sqrt(InverseD2(p.cell, h, k, l)) / 2;
        if (s >= 0.95) continue;
        tt.push_back(2 * std::asin(s) * 180 / std::numbers::pi);
      }
  std::sort(tt.begin(), tt.end());
  // Lines closer than the resolution are one peak.
  std::vector<double> lines;
  for (double x : tt)
    if (lines.empty() || x - lines.back() > 0.03) lines.push_back(x);
  if (lines.size() > 40) lines.resize(40);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<double> kept;
  for (double x : lines)
    if (unit(rng) >= 0.10) kept.push_back(x);
  if (kept.size() > 24) kept.resize(24);
  // One impurity line somewhere among them.
  const double lo = kept.front(), hi = kept.back();
  kept.push_back(lo + (hi - lo) * unit(rng));
  std::sort(kept.begin(), kept.end());
  std::normal_distribution<double> noise(0, 0.01);
  p.zero = -0.05 + 0.1 * unit(rng);
  for (double x : kept) p.twoTheta.push_back(x + p.zero + noise(rng));
  std::sort(p.twoTheta.begin(), p.twoTheta.end());
  return p;
}

inline SyntheticPattern MakePattern(const Family& f, std::uint64_t seed, double lambda = 1.540562) {
  std::mt19937_64 rng(seed);
  const auto cell = RandomCell(f, rng);
  return MakePatternOfCell(f, cell, rng, lambda);
}

}  // namespace quorlin::testing
