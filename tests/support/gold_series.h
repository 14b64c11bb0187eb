// A synthetic compression series of gold at 0.4133 A: x-y patterns whose
// Gaussian peaks sit where Bragg's law puts the fcc lines of each edge, with
// a damaged file among them.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quorlin::testing {

// Peaks of sigma 0.02 deg on a flat background, 5 to 25 deg in 0.004 deg steps.
inline std::string GoldPattern(double a) {
  const int lines[][4] = {{1, 1, 1, 100}, {2, 0, 0, 52}, {2, 2, 0, 32}, {3, 1, 1, 36}, {2, 2, 2, 10},
                          {4, 0, 0, 5},   {3, 3, 1, 13}, {4, 2, 0, 13}, {4, 2, 2, 10}};
  std::ostringstream out;
  for (int i = 0; i <= 5000; ++i) {
    const double x = 5 + 0.004 * i;
    double y = 20;
    for (const auto& l : lines) {
      const double d = a / std::sqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
      const double tt = 2 * std::asin(0.4133 / (2 * d)) * 180 / M_PI;
      y += 10 * l[3] * std::exp(-0.5 * std::pow((x - tt) / 0.02, 2));
    }
    out << x << ' ' << y << '\n';
  }
  return out.str();
}

struct GoldSeries {
  std::vector<std::string> files;  // in the order of the series
  std::vector<double> edges;       // the true edge of each file; 0 for the damaged one
};

// au0.xy .. au{count-1}.xy in `dir`, a shrinking by 1.5 % a step (beyond a
// refinement's peak window; to about 30 GPa at five), and damaged.xy (a
// number that is not one on its second line) after au{damagedAfter}.
inline GoldSeries WriteGoldSeries(const std::filesystem::path& dir, int count = 5, int damagedAfter = 2) {
  std::filesystem::create_directories(dir);
  GoldSeries s;
  for (int i = 0; i < count; ++i) {
    s.edges.push_back(4.0786 * (1 - 0.015 * i));
    s.files.push_back((dir / ("au" + std::to_string(i) + ".xy")).string());
    std::ofstream(s.files.back()) << GoldPattern(s.edges.back());
    if (i == damagedAfter) {
      s.files.push_back((dir / "damaged.xy").string());
      s.edges.push_back(0);
      std::ofstream(s.files.back()) << "5.0 1\n5.004 x\n";
    }
  }
  return s;
}

}  // namespace quorlin::testing
