// The three peak-drag cell changes, checked against formulas worked here from
// the reciprocal metric (1/d^2 = r . r with r = h a* + k b* + l c*).
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "core/unitcell.h"
#include "mainwindow/plot_interaction.h"

namespace quorlin {
namespace {

CUnitCell Cell(const std::array<float, 6>& direct) {
  CUnitCell c;
  c.SetCellShape(0);
  EXPECT_TRUE(c.SetCell(1, direct));
  return c;
}

std::array<float, 6> Reciprocal(const CUnitCell& c) {
  return {c.Edge(-1, 0), c.Edge(-1, 1), c.Edge(-1, 2), c.CellAngle(-1, 0).Degrees(), c.CellAngle(-1, 1).Degrees(),
          c.CellAngle(-1, 2).Degrees()};
}

std::array<float, 6> Direct(const CUnitCell& c) {
  return {c.Edge(1, 0), c.Edge(1, 1), c.Edge(1, 2), c.CellAngle(1, 0).Degrees(), c.CellAngle(1, 1).Degrees(),
          c.CellAngle(1, 2).Degrees()};
}

double Q(const CUnitCell& c, int h, int k, int l) {
  double d = c.hklDSpacing(h, k, l);
  return 1.0 / (d * d);
}

TEST(CellEdgeDrag, Dragging200ChangesOnlyAStarAndLandsOnTarget) {
  CUnitCell cell = Cell({5.2f, 6.1f, 7.3f, 82.0f, 97.0f, 104.0f});
  const auto before = Reciprocal(cell);
  const float d0 = cell.hklDSpacing(2, 0, 0);
  const float dt = d0 * 0.97f;
  ASSERT_TRUE(CellEdgeDrag(cell, 2, 0, 0, d0, dt));
  const auto after = Reciprocal(cell);
  // 1/d^2(200) = 4 a*^2 whatever the angles, so the new a* is 1/(2 dt).
  EXPECT_NEAR(after[0], 1.0 / (2.0 * dt), 2e-5);
  for (int i = 1; i < 6; ++i) EXPECT_NEAR(after[i], before[i], 2e-4) << "parameter " << i;
  EXPECT_LT(std::fabs(Q(cell, 2, 0, 0) - 1.0 / (double(dt) * dt)), 1e-5);
}

TEST(CellEdgeDrag, EdgesMoveInProportionToTheirIndices) {
  // 1 2 0 in an orthogonal cell: a* and b* scale by (1+s) and (1+2s), c* stays.
  CUnitCell cell = Cell({4.0f, 5.0f, 6.0f, 90.0f, 90.0f, 90.0f});
  const auto before = Reciprocal(cell);
  const float d0 = cell.hklDSpacing(1, 2, 0);
  const float dt = d0 * 1.02f;
  ASSERT_TRUE(CellEdgeDrag(cell, 1, 2, 0, d0, dt));
  const auto after = Reciprocal(cell);
  const double s = after[0] / before[0] - 1.0;
  EXPECT_NEAR(after[1] / before[1] - 1.0, 2.0 * s, 1e-4);
  EXPECT_FLOAT_EQ(after[2], before[2]);
  EXPECT_NEAR(cell.hklDSpacing(1, 2, 0), dt, 1e-4);
  // The orthogonal formula independently: 1/d^2 = (a*(1+s))^2 + (2 b*(1+2s))^2.
  const double a = before[0] * (1 + s), b = 2 * before[1] * (1 + 2 * s);
  EXPECT_NEAR(1.0 / std::sqrt(a * a + b * b), dt, 1e-4);
}

TEST(CellEdgeDrag, TiedEdgesFollowTheirMaster) {
  // a = b = c (and equal angles): 001 indexes only the tied c*, so the common
  // edge scales and every edge ends at 1/dt.
  CUnitCell cell;
  cell.SetCellShape(2);
  ASSERT_TRUE(cell.SetCell(1, {5.0f, 5.0f, 5.0f, 80.0f, 80.0f, 80.0f}));
  const float d0 = cell.hklDSpacing(0, 0, 1);
  const float dt = d0 * 0.96f;
  ASSERT_TRUE(CellEdgeDrag(cell, 0, 0, 1, d0, dt));
  EXPECT_NEAR(cell.hklDSpacing(0, 0, 1), dt, 1e-4);
  EXPECT_FLOAT_EQ(cell.Edge(-1, 0), cell.Edge(-1, 2));
  EXPECT_FLOAT_EQ(cell.Edge(-1, 1), cell.Edge(-1, 2));
  // With a = b only, 001 is free and moves c* alone.
  CUnitCell ab;
  ab.SetCellShape(1);
  ASSERT_TRUE(ab.SetCell(1, {5.0f, 5.0f, 7.0f, 90.0f, 90.0f, 90.0f}));
  const float aStar = ab.Edge(-1, 0);
  const float d001 = ab.hklDSpacing(0, 0, 1);
  ASSERT_TRUE(CellEdgeDrag(ab, 0, 0, 1, d001, d001 * 1.05f));
  EXPECT_FLOAT_EQ(ab.Edge(-1, 0), aStar);
  EXPECT_NEAR(ab.Edge(1, 2), 7.0f * 1.05f, 1e-3);
}

TEST(CellEdgeDrag, UnreachableRefusedOrUnsettledTargetsLeaveTheCellAlone) {
  CUnitCell cell = Cell({5.0f, 5.0f, 5.0f, 90.0f, 90.0f, 90.0f});
  ASSERT_TRUE(cell.SetEdgeMin(1, "4"));  // direct edges may not go below 4 A
  const auto before = Direct(cell);
  // 100 at d = 3 needs a = 3: the limits refuse every cell near the target.
  EXPECT_FALSE(CellEdgeDrag(cell, 1, 0, 0, 5.0f, 3.0f));
  EXPECT_EQ(Direct(cell), before);
  // An iteration cap of one step is not enough for a 10% move.
  EXPECT_FALSE(CellEdgeDrag(cell, 2, 0, 0, 2.5f, 2.25f, 1));
  EXPECT_EQ(Direct(cell), before);
  // No reflection (000) or no usable spacing: nothing to do.
  EXPECT_FALSE(CellEdgeDrag(cell, 0, 0, 0, 5.0f, 4.5f));
  EXPECT_FALSE(CellEdgeDrag(cell, 1, 0, 0, -1.0f, 4.5f));
  EXPECT_FALSE(CellEdgeDrag(cell, 1, 0, 0, 5.0f, 0.0f));
  EXPECT_EQ(Direct(cell), before);
  // A reachable target still works with the limits in place.
  EXPECT_TRUE(CellEdgeDrag(cell, 1, 0, 0, 5.0f, 4.5f));
  EXPECT_NEAR(cell.Edge(1, 0), 4.5f, 1e-3);
}

TEST(VolumeDrag, HalfTheSpacingDividesTheVolumeByEight) {
  CUnitCell cell = Cell({8.0f, 9.0f, 10.0f, 85.0f, 95.0f, 100.0f});
  const float v0 = cell.Volume();
  const auto rec0 = Reciprocal(cell);
  const float d111 = cell.hklDSpacing(1, 1, 1), d012 = cell.hklDSpacing(0, 1, 2);
  const float d0 = cell.hklDSpacing(1, 0, 0);
  ASSERT_TRUE(VolumeDrag(cell, d0, d0 / 2));
  EXPECT_NEAR(cell.Volume(), v0 / 8, v0 * 1e-5);
  EXPECT_NEAR(cell.hklDSpacing(1, 1, 1), d111 / 2, 1e-5);
  EXPECT_NEAR(cell.hklDSpacing(0, 1, 2), d012 / 2, 1e-5);
  const auto rec1 = Reciprocal(cell);
  for (int i = 3; i < 6; ++i) EXPECT_NEAR(rec1[i], rec0[i], 1e-3);
  // A factor the limits refuse (a = 1000 A) changes nothing.
  const auto before = Direct(cell);
  EXPECT_FALSE(VolumeDrag(cell, 1.0f, 250.0f));
  EXPECT_EQ(Direct(cell), before);
}

TEST(FullStrainDrag, MovesTheReflectionAndKeepsThePerpendicularPlane) {
  CUnitCell cell = Cell({5.0f, 5.0f, 5.0f, 90.0f, 90.0f, 90.0f});
  const float d0 = cell.hklDSpacing(1, 1, 1);
  const float dt = d0 * 0.95f;
  const float d1m10 = cell.hklDSpacing(1, -1, 0), d11m2 = cell.hklDSpacing(1, 1, -2);
  ASSERT_TRUE(FullStrainDrag(cell, 1, 1, 1, d0, dt));
  EXPECT_NEAR(cell.hklDSpacing(1, 1, 1), dt, 1e-5);
  EXPECT_NEAR(cell.hklDSpacing(1, -1, 0), d1m10, 1e-5);
  EXPECT_NEAR(cell.hklDSpacing(1, 1, -2), d11m2, 1e-5);
  // 100 is not in the plane: with k = d0/dt - 1, a uniaxial strain along r
  // gives 1/d'^2 = 1/d^2 + (u.r)^2 d0^2 (2k + k^2), worked with a* = 0.2.
  const double k = double(d0) / dt - 1.0;
  const double expected = 0.04 + 0.0016 * (double(d0) * d0) * (2 * k + k * k);
  EXPECT_NEAR(Q(cell, 1, 0, 0), expected, 1e-5);
  // The strain is no longer cubic: the angles moved away from 90.
  EXPECT_NE(cell.CellAngle(1, 0).Degrees(), 90.0f);
}

TEST(FullStrainDrag, WorksOnAnObliqueCellAndRefusesImpossibleTargets) {
  CUnitCell cell = Cell({6.0f, 7.0f, 8.0f, 75.0f, 80.0f, 70.0f});
  const float d0 = cell.hklDSpacing(0, 1, 1);
  ASSERT_TRUE(FullStrainDrag(cell, 0, 1, 1, d0, d0 * 1.03f));
  EXPECT_NEAR(cell.hklDSpacing(0, 1, 1), d0 * 1.03f, 1e-4);
  const auto before = Direct(cell);
  EXPECT_FALSE(FullStrainDrag(cell, 0, 0, 0, d0, d0));
  // 100 at a thousandth of its spacing needs a* near 180 1/A, beyond the 100 limit.
  const float d100 = cell.hklDSpacing(1, 0, 0);
  EXPECT_FALSE(FullStrainDrag(cell, 1, 0, 0, d100, d100 / 1000));
  EXPECT_EQ(Direct(cell), before);
}

}  // namespace
}  // namespace quorlin
