// Superlattice points and centring: the shifted reflections against spacings
// from an independently inverted metric, the halving matrices against the
// lattice they must generate, and each centring against its textbook rule.
#include "lattice/superlattice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/unitcell.h"
#include "lattice/centring.h"
#include "lattice/transformations.h"
#include "reflections/pattern.h"
#include "support/reciprocal_metric.h"

namespace quorlin {
namespace {

using testing::ReciprocalMetric;

TEST(SuperlatticeReflections, SpacingsMatchAnIndependentReciprocalMetric) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> edge(3, 12), angle(70, 110);
  CPattern pattern;
  pattern.hmin = -2, pattern.hmax = 3, pattern.kmin = -1, pattern.kmax = 2, pattern.lmin = 0, pattern.lmax = 2;
  for (int trial = 0; trial < 20; ++trial) {
    std::array<double, 6> p{edge(rng), edge(rng), edge(rng), angle(rng), angle(rng), angle(rng)};
    CUnitCell cell;
    std::array<float, 6> pf;
    for (int i = 0; i < 6; ++i) pf[i] = static_cast<float>(p[i]);
    ASSERT_TRUE(cell.SetCell(1, pf));
    const auto gs = ReciprocalMetric(p);
    for (const LatticePoint& point : kLatticePoints) {
      auto rows = SuperlatticeReflections(cell, pattern, point.x, point.y, point.z);
      ASSERT_EQ(rows.size(), 6u * 4u * 3u);
      std::size_t n = 0;
      for (int l = 0; l <= 2; ++l)
        for (int k = -1; k <= 2; ++k)
          for (int h = -2; h <= 3; ++h, ++n) {  // h innermost
            const double v[3] = {h + point.x, k + point.y, l + point.z};
            ASSERT_EQ(rows[n].h, v[0]);
            ASSERT_EQ(rows[n].k, v[1]);
            ASSERT_EQ(rows[n].l, v[2]);
            double s = 0;
            for (int i = 0; i < 3; ++i)
              for (int j = 0; j < 3; ++j) s += v[i] * gs[i][j] * v[j];
            EXPECT_NEAR(rows[n].d, 1 / std::sqrt(s), 2e-5 / std::sqrt(s));
          }
    }
  }
}

TEST(SuperlatticeReflections, BodyCentrePointOnACubeAndTheOrigin) {
  CUnitCell cell;
  ASSERT_TRUE(cell.SetCell(1, {4, 4, 4, 90, 90, 90}));
  CPattern pattern;
  pattern.hmin = pattern.hmax = pattern.kmin = pattern.kmax = pattern.lmin = pattern.lmax = 0;
  // d = 1/|(1/2,1/2,1/2).a*| = 4/sqrt(0.75).
  auto rows = SuperlatticeReflections(cell, pattern, 0.5f, 0.5f, 0.5f);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_NEAR(rows[0].d, 4 / std::sqrt(0.75), 1e-4);
  EXPECT_NEAR(rows[0].d, 4.6188, 1e-4);
  // The origin with a zero point has no spacing: drawn far outside any range.
  EXPECT_EQ(SuperlatticeReflections(cell, pattern, 0, 0, 0)[0].d, 10000.0f);
}

// Each point's halving matrix, applied to the reciprocal basis, must give a
// basis of half the volume whose lattice holds the point: p T^-1 integral.
TEST(LatticePoints, HalvingMatricesGenerateThePoint) {
  for (std::size_t k = 0; k < kLatticePoints.size(); ++k) {
    const LatticePoint& p = kLatticePoints[k];
    SCOPED_TRACE(p.caption);
    EXPECT_EQ(p.transformation, static_cast<int>(k) + 6);
    CTransformations t;
    t.SetTransformation(p.transformation);
    EXPECT_DOUBLE_EQ(Determinant(t.Matrix()), 0.5);
    const float v[3] = {p.x, p.y, p.z};
    for (int j = 0; j < 3; ++j) {
      double c = 0;
      for (int i = 0; i < 3; ++i) c += v[i] * t.TransformationInverseElement(i, j);
      EXPECT_NEAR(c, std::round(c), 1e-6) << j;
    }
    // The old basis stays in the new lattice: T^-1 integral.
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        EXPECT_NEAR(t.TransformationInverseElement(i, j), std::round(t.TransformationInverseElement(i, j)), 1e-6);
    EXPECT_EQ(FindLatticePoint(p.x, p.y, p.z)->transformation, p.transformation);
  }
  EXPECT_FALSE(FindLatticePoint(0.25f, 0, 0));
}

TEST(LatticePoints, DoubledCellHasTwiceTheVolume) {
  CUnitCell cell;
  ASSERT_TRUE(cell.SetCell(1, {4, 5, 6, 80, 95, 100}));
  for (const LatticePoint& p : kLatticePoints) {
    auto rp = DoubledReciprocalCell(cell, p.transformation);
    ASSERT_TRUE(rp) << p.caption;
    CUnitCell doubled;
    ASSERT_TRUE(doubled.SetCell(-1, *rp)) << p.caption;
    EXPECT_NEAR(doubled.Volume(), 2 * cell.Volume(), 1e-3 * cell.Volume()) << p.caption;
  }
  // (1/2, 0, 0) on a cube of edge 4: a* = 1/8, a = 8, b = c = 4.
  ASSERT_TRUE(cell.SetCell(1, {4, 4, 4, 90, 90, 90}));
  auto rp = DoubledReciprocalCell(cell, 6);
  ASSERT_TRUE(rp);
  EXPECT_NEAR((*rp)[0], 0.125, 1e-7);
  EXPECT_NEAR((*rp)[1], 0.25, 1e-7);
  for (int i = 3; i < 6; ++i) EXPECT_NEAR((*rp)[i], 90, 1e-4);
}

// Each centring's selectors against the textbook condition of its lattice
// (International Tables A, table 2.2.13.1): which hkl it lets through.
TEST(Centring, SelectorsAllowWhatTheLatticeAllows) {
  const struct {
    int code;
    bool (*allowed)(int, int, int);
  } cases[] = {
      {0, [](int, int, int) { return true; }},
      {1, [](int h, int k, int l) { return (h + k) % 2 == 0 && (k + l) % 2 == 0; }},
      {2, [](int h, int k, int l) { return (h + k + l) % 2 == 0; }},
      {3, [](int h, int k, int l) { return ((-h + k + l) % 3 + 3) % 3 == 0; }},
      {4, [](int, int k, int l) { return (k + l) % 2 == 0; }},
      {5, [](int h, int, int l) { return (h + l) % 2 == 0; }},
      {6, [](int h, int k, int) { return (h + k) % 2 == 0; }},
  };
  for (const auto& c : cases) {
    CUnitCell cell;
    CPattern pattern;
    for (int i = 0; i < 12; ++i) pattern.SetExtCond(i, -1);
    ApplyCentring(c.code, cell, pattern);
    EXPECT_EQ(cell.CenteringType, c.code);
    for (int h = -3; h <= 3; ++h)
      for (int k = -3; k <= 3; ++k)
        for (int l = -3; l <= 3; ++l) {
          if (!(h || k || l)) continue;  // 000 is never drawn
          EXPECT_EQ(pattern.IsAllowed(h, k, l), c.allowed(h, k, l))
              << kDirectCentringCaptions[c.code] << " " << h << k << l;
        }
  }
}

}  // namespace
}  // namespace quorlin
