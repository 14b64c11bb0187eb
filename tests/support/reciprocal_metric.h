// The reciprocal metric of a cell as the inverse of its direct metric, in
// double: an independent reference for the lattice code's own reciprocal cell.
#pragma once

#include <array>
#include <cmath>

namespace quorlin::testing {

// p: a, b, c in Angstroms and alpha, beta, gamma in degrees.
inline std::array<std::array<double, 3>, 3> ReciprocalMetric(const std::array<double, 6>& p) {
  const double r = M_PI / 180;
  double c[3] = {std::cos(p[3] * r), std::cos(p[4] * r), std::cos(p[5] * r)};
  double g[3][3] = {{p[0] * p[0], p[0] * p[1] * c[2], p[0] * p[2] * c[1]},
                    {p[0] * p[1] * c[2], p[1] * p[1], p[1] * p[2] * c[0]},
                    {p[0] * p[2] * c[1], p[1] * p[2] * c[0], p[2] * p[2]}};
  double det = g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) - g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
               g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
  std::array<std::array<double, 3>, 3> inv{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      inv[i][j] = (g[i1][j1] * g[i2][j2] - g[i1][j2] * g[i2][j1]) / det;
    }
  return inv;
}

}  // namespace quorlin::testing
