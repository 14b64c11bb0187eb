// Cell transformations: the catalogue against the table of matrices, and the
// metric transformation against an independent double-precision calculation
// from the cell parameters.
#include "lattice/transformations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace quorlin {
namespace {

using Rows = std::array<std::array<float, 3>, 3>;

// Typed from the catalogue (rows a', b', c'); 10 is our choice c' = (a + c)/2.
TEST(CTransformations, CatalogueMatchesTheTableAndInverts) {
  const struct {
    int type;
    Rows rows;
    double det;
  } cases[] = {
      {0, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, 1},
      {1, {{{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}}, 1},
      {2, {{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}}, 1},
      {3, {{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}}, 1},
      {4, {{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}}, 1},
      {5, {{{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}}, 1},
      {6, {{{.5, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, .5},
      {7, {{{1, 0, 0}, {0, .5, 0}, {0, 0, 1}}}, .5},
      {8, {{{1, 0, 0}, {0, 1, 0}, {0, 0, .5}}}, .5},
      {9, {{{.5, .5, 0}, {0, 1, 0}, {0, 0, 1}}}, .5},
      {10, {{{1, 0, 0}, {0, 1, 0}, {.5, 0, .5}}}, .5},
      {11, {{{1, 0, 0}, {0, .5, .5}, {0, 0, 1}}}, .5},
      {12, {{{1, 0, 0}, {0, 1, 0}, {.5, .5, .5}}}, .5},
      {13, {}, 0},
      {-1, {}, 0},
  };
  CTransformations t;
  for (const auto& c : cases) {
    t.SetTransformation(7);  // a previous matrix must not leak through
    t.SetTransformation(c.type);
    SCOPED_TRACE(c.type);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) EXPECT_EQ(t.TransformationElement(i, j), c.rows[i][j]) << i << "," << j;
    EXPECT_DOUBLE_EQ(Determinant(t.Matrix()), c.det);
    if (c.det == 0) {
      EXPECT_EQ(t.TransformationInverseElement(1, 1), 0.0f);
      continue;
    }
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        double s = 0;
        for (int k = 0; k < 3; ++k) s += t.TransformationElement(i, k) * t.TransformationInverseElement(k, j);
        EXPECT_NEAR(s, i == j ? 1 : 0, 1e-6);
      }
  }
}

// Independent reference: the metric from the parameters in double, then
// T G T^T and acos in double.
std::array<double, 6> Reference(const std::array<double, 6>& p, const Rows& t) {
  const double r = M_PI / 180;
  double e[3] = {p[0], p[1], p[2]};
  double cosines[3] = {std::cos(p[3] * r), std::cos(p[4] * r), std::cos(p[5] * r)};
  double g[3][3] = {{e[0] * e[0], e[0] * e[1] * cosines[2], e[0] * e[2] * cosines[1]},
                    {0, e[1] * e[1], e[1] * e[2] * cosines[0]},
                    {0, 0, e[2] * e[2]}};
  g[1][0] = g[0][1], g[2][0] = g[0][2], g[2][1] = g[1][2];
  double n[3][3] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) n[i][j] += t[i][k] * g[k][l] * t[j][l];
  std::array<double, 6> out{std::sqrt(n[0][0]), std::sqrt(n[1][1]), std::sqrt(n[2][2])};
  out[3] = std::acos(n[1][2] / (out[1] * out[2])) / r;
  out[4] = std::acos(n[0][2] / (out[0] * out[2])) / r;
  out[5] = std::acos(n[0][1] / (out[0] * out[1])) / r;
  return out;
}

CMatrix33 Metric(const std::array<double, 6>& p) {
  const double r = M_PI / 180;
  CMatrix33 g;
  double cosines[3] = {std::cos(p[3] * r), std::cos(p[4] * r), std::cos(p[5] * r)};
  for (int i = 0; i < 3; ++i) g.SetSelf(i, i, static_cast<float>(p[i] * p[i]));
  auto set = [&](int i, int j, double v) {
    g.SetSelf(i, j, static_cast<float>(v));
    g.SetSelf(j, i, static_cast<float>(v));
  };
  set(1, 2, p[1] * p[2] * cosines[0]);
  set(0, 2, p[0] * p[2] * cosines[1]);
  set(0, 1, p[0] * p[1] * cosines[2]);
  return g;
}

TEST(TransformedParameters, AgreesWithDoublePrecisionMetricOverRandomCells) {
  std::mt19937 rng(20261208);
  std::uniform_real_distribution<double> edge(2, 20), angle(60, 120);
  std::uniform_int_distribution<int> entry(-2, 2);
  int compared = 0;
  while (compared < 2000) {
    std::array<double, 6> p{edge(rng), edge(rng), edge(rng), angle(rng), angle(rng), angle(rng)};
    Rows t{};
    CMatrix33 m;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) m.SetSelf(i, j, t[i][j] = static_cast<float>(entry(rng)));
    if (std::abs(Determinant(m)) < 0.5) continue;  // integer matrices: singular or not
    auto ref = Reference(p, t);
    auto got = TransformedParameters(Metric(p), m);
    ASSERT_TRUE(got);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR((*got)[i], ref[i], 2e-6 * ref[i] + 1e-5);
    // Single-precision arccos: an error of ~1e-7 in the cosine is
    // 1e-7/sin(angle) radians; keep clear of the nearly flat angles.
    for (int i = 3; i < 6; ++i)
      if (ref[i] > 2 && ref[i] < 178) {
        EXPECT_NEAR((*got)[i], ref[i], 2e-3);
      }
    ++compared;
  }
}

TEST(TransformedParameters, HandWorkedCases) {
  const CMatrix33 g = Metric({4, 4, 4, 90, 90, 90});
  auto rows = [](Rows r) {
    CMatrix33 m;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) m.SetSelf(i, j, r[i][j]);
    return m;
  };
  // a' = a - b - c on a cube of edge 4: |a'| = sqrt(48); cos beta' = cos gamma'
  // = a'.c'/(|a'||c'|) = -16/(4 sqrt 48) = -4/sqrt 48, 125.264 degrees.
  auto p = TransformedParameters(g, rows({{{1, -1, -1}, {0, 1, 0}, {0, 0, 1}}}));
  ASSERT_TRUE(p);
  const double skew = std::acos(-4 / std::sqrt(48.0)) * 180 / M_PI;
  const std::array<double, 6> want{std::sqrt(48.0), 4, 4, 90, skew, skew};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR((*p)[i], want[i], 1e-4) << i;
  // Determinant -1 (a' = -a): the same cell, right-handed again.
  p = TransformedParameters(g, rows({{{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}));
  ASSERT_TRUE(p);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR((*p)[i], i < 3 ? 4 : 90, 1e-4) << i;
  // Two equal rows: the angle between them is 0, no cell.
  EXPECT_FALSE(TransformedParameters(g, rows({{{1, 1, 0}, {1, 1, 0}, {0, 0, 1}}})));
  EXPECT_FALSE(TransformedParameters(g, rows({{{0, 0, 0}, {0, 1, 0}, {0, 0, 1}}})));
  EXPECT_NEAR(Determinant(rows({{{1, 1, 0}, {1, 1, 0}, {0, 0, 1}}})), 0, 0);
}

}  // namespace
}  // namespace quorlin
