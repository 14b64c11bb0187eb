// quorlin-cli transform and superlattice against independent calculations:
// the metric tensor T G T^T in double precision, and the shifted reciprocal
// vectors through an independently inverted metric.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/shell.h"

namespace {

using quorlin::testing::Outcome;

Outcome Cli(const std::string& args, bool stderrOnly = false) {
  std::string cmd = quorlin::testing::CliCommand(args);
  cmd += stderrOnly ? " 2>&1 >/dev/null" : " 2>/dev/null";
  return quorlin::testing::RunShell(cmd);
}

std::vector<std::vector<double>> Rows(const std::string& out) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::vector<double> row;
    for (double v; words >> v;) row.push_back(v);
    rows.push_back(row);
  }
  return rows;
}

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix DirectMetric(const std::array<double, 6>& p) {
  const double r = M_PI / 180;
  double c[3] = {std::cos(p[3] * r), std::cos(p[4] * r), std::cos(p[5] * r)};
  return {{{p[0] * p[0], p[0] * p[1] * c[2], p[0] * p[2] * c[1]},
           {p[0] * p[1] * c[2], p[1] * p[1], p[1] * p[2] * c[0]},
           {p[0] * p[2] * c[1], p[1] * p[2] * c[0], p[2] * p[2]}}};
}

double Det(const Matrix& g) {
  return g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) - g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
         g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
}

Matrix Inverse(const Matrix& g) {
  Matrix inv{};
  const double d = Det(g);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      inv[i][j] = (g[(j + 1) % 3][(i + 1) % 3] * g[(j + 2) % 3][(i + 2) % 3] -
                   g[(j + 1) % 3][(i + 2) % 3] * g[(j + 2) % 3][(i + 1) % 3]) /
                  d;
  return inv;
}

std::string Text(double v) {
  std::ostringstream s;
  s.precision(9);
  s << v;
  return s.str();
}

TEST(TransformCommand, AgreesWithTheMetricTensorOverRandomCellsAndMatrices) {
  std::mt19937 rng(131);
  std::uniform_real_distribution<double> edge(2, 15), angle(65, 115);
  std::uniform_int_distribution<int> entry(-2, 2);
  int runs = 0;
  while (runs < 60) {
    // Every third run gives a reciprocal cell and transforms a*, b*, c*.
    const bool reciprocal = runs % 3 == 2;
    const double unit = reciprocal ? 0.05 : 1;
    std::array<double, 6> p{unit * edge(rng), unit * edge(rng), unit * edge(rng), angle(rng), angle(rng), angle(rng)};
    Matrix t{};
    for (auto& row : t)
      for (auto& v : row) v = entry(rng);
    if (std::abs(Det(t)) < 0.5) continue;
    const Matrix g = DirectMetric(p);
    Matrix n{};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
          for (int l = 0; l < 3; ++l) n[i][j] += t[i][k] * g[k][l] * t[j][l];
    std::array<double, 6> want{std::sqrt(n[0][0]), std::sqrt(n[1][1]), std::sqrt(n[2][2])};
    want[3] = std::acos(n[1][2] / (want[1] * want[2])) * 180 / M_PI;
    want[4] = std::acos(n[0][2] / (want[0] * want[2])) * 180 / M_PI;
    want[5] = std::acos(n[0][1] / (want[0] * want[1])) * 180 / M_PI;

    std::string args = "transform --cell";
    for (double v : p) args += " " + Text(v);
    args += " --matrix \"";
    for (int k = 0; k < 9; ++k) args += (k ? " " : "") + Text(t[k / 3][k % 3]);
    args += "\"";
    if (reciprocal) args += " --reciprocal";
    Outcome r = Cli(args);
    ASSERT_EQ(r.status, 0) << args;
    auto rows = Rows(r.output);
    ASSERT_EQ(rows.size(), 1u) << r.output;
    ASSERT_EQ(rows[0].size(), 6u);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(rows[0][i], want[i], 5e-6 * want[i]) << args;
    for (int i = 3; i < 6; ++i)
      if (want[i] > 2 && want[i] < 178) {
        EXPECT_NEAR(rows[0][i], want[i], 2e-3) << args;
      }
    ++runs;
  }
}

TEST(TransformCommand, DeterminantMinusOneAndSingularMatrices) {
  // The README's example, worked by hand: a' = sqrt(48), cos beta' = -4/sqrt(48).
  Outcome r = Cli("transform --cell 4 4 4 90 90 90 --matrix \"1 -1 -1 0 1 0 0 0 1\"");
  ASSERT_EQ(r.status, 0);
  auto rows = Rows(r.output);
  ASSERT_EQ(rows.size(), 1u);
  const double skew = std::acos(-4 / std::sqrt(48.0)) * 180 / M_PI;
  const double want[6] = {std::sqrt(48.0), 4, 4, 90, skew, skew};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(rows[0][i], want[i], 1e-4) << i;
  r = Cli("transform --cell 4 5 6 90 90 90 --matrix \"-1 0 0 0 1 0 0 0 1\"");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "# a b c alpha beta gamma\n4 5 6 90 90 90\n");
  for (const char* m : {"1 1 0 1 1 0 0 0 1", "0 0 0 0 1 0 0 0 1", "0.01 0 0 0 0.01 0 0 0 5"}) {
    r = Cli(std::string("transform --cell 4 5 6 90 90 90 --matrix \"") + m + "\"", true);
    EXPECT_EQ(r.status, 2) << m;
    EXPECT_NE(r.output.find("singular matrix"), std::string::npos) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  }
  for (const char* bad :
       {"transform --cell 4 5 6 90 90 --matrix \"1 0 0 0 1 0 0 0 1\"",
        "transform --cell 4 5 6 90 90 90 --matrix \"1 0 0 0 1 0 0 0\"",
        "transform --cell 4 5 6 90 90 90 --matrix \"1 0 0 0 x 0 0 0 1\"", "transform --cell 4 5 6 90 90 90"}) {
    r = Cli(bad, true);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  }
}

TEST(SuperlatticeCommand, SpacingsOfTheShiftedVectorsAndTheDoubledCell) {
  const std::array<double, 6> p{5.1, 6.3, 7.7, 84, 97, 103};
  const Matrix gs = Inverse(DirectMetric(p));
  Outcome r = Cli("superlattice --cell 5.1 6.3 7.7 84 97 103 --point 0.5 0 0.5 --limits -2 2 -1 1 0 3");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.output.substr(0, 10), "# h k l d\n");
  auto rows = Rows(r.output);
  ASSERT_EQ(rows.size(), 5u * 3u * 4u);
  for (const auto& row : rows) {
    double s = 0;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) s += row[i] * gs[i][j] * row[j];
    EXPECT_NEAR(row[3], 1 / std::sqrt(s), 2e-5 / std::sqrt(s));
    EXPECT_EQ(row[0] - std::floor(row[0]), 0.5);
    EXPECT_EQ(row[2] - std::floor(row[2]), 0.5);
  }
  // (1/2, 0, 0) on a cube of edge 4: a doubles.
  r = Cli("superlattice --cell 4 4 4 90 90 90 --point 0.5 0 0 --transform");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "# a b c alpha beta gamma\n8 4 4 90 90 90\n");
  r = Cli("superlattice --cell 4 4 4 90 90 90 --point 0.25 0 0 --transform", true);
  EXPECT_EQ(r.status, 2);
  r = Cli("superlattice --cell 4 4 4 90 90 90 --point 0.5 0 0 --limits 2 1 0 0 0 0", true);
  EXPECT_EQ(r.status, 2);
}

}  // namespace
