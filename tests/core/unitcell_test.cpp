#include "core/unitcell.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/numtext.h"

namespace quorlin {
namespace {

float Param(const CUnitCell& c, int i, int basis = 1) { return *StrictSingle(c.CellParameters(i, basis)); }

TEST(UnitCell, NewCellIsTheFiveAngstromCube) {
  CUnitCell c;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(c.CellParameters(i, 1), "5");
    EXPECT_EQ(c.CellParameters(i + 3, 1), "90");
    EXPECT_EQ(c.CellParameters(i, -1), "0.2");
    EXPECT_EQ(c.CellParameters(i + 3, -1), "90");
  }
  EXPECT_NEAR(c.Volume(), 125.0f, 1e-4f);
  EXPECT_NEAR(c.VNorm(), 1.0f, 1e-6f);
  EXPECT_EQ(c.Basis(), 7);
  EXPECT_EQ(c.CellShape(), 0);
  EXPECT_EQ(c.Handedness(), "Right");
  // d of a cube: a / sqrt(h^2 + k^2 + l^2)
  EXPECT_FLOAT_EQ(c.hklDSpacing(1, 0, 0), 5.0f);
  EXPECT_NEAR(c.hklDSpacing(1, 1, 1), 5.0 / std::sqrt(3.0), 1e-5);
  EXPECT_EQ(c.hklDSpacing(0, 0, 0), -1.0f);
  // d >= 100 A has no usable spacing: reachable with a 100 A edge only
  EXPECT_FLOAT_EQ(c.Distance(-1, 1, 0, 0), 1.0f / c.hklDSpacing(1, 0, 0));
  // Bad basis or index reads as empty / zero
  EXPECT_EQ(c.CellParameters(6, 1), "");
  EXPECT_EQ(c.CellParameters(0, 0), "");
  EXPECT_EQ(c.Metric(2, 0, 0), 0.0f);
  EXPECT_EQ(c.Trans(0, 0, 0), 0.0f);
  EXPECT_EQ(c.EdgeMin(0), "");
  EXPECT_EQ(CUnitCell::DualCell(1), -1);
  EXPECT_EQ(CUnitCell::DualCell(-1), 1);
  EXPECT_EQ(CUnitCell::DualCell(3), 0);
  EXPECT_THROW(c.IsIndependent(6), std::out_of_range);
}

TEST(UnitCell, TextRulesOfTheParameterSetter) {
  CUnitCell c;
  EXPECT_FALSE(c.SetCellParameters(0, 1, "5"));  // same text as now
  EXPECT_FALSE(c.SetCellParameters(0, 1, "5."));
  EXPECT_FALSE(c.SetCellParameters(0, 1, "5,"));
  EXPECT_FALSE(c.SetCellParameters(0, 1, "5.10"));
  EXPECT_FALSE(c.SetCellParameters(0, 1, "abc"));
  EXPECT_FALSE(c.SetCellParameters(0, 1, ""));
  EXPECT_FALSE(c.SetCellParameters(0, 1, "05"));  // the text differs, the cell would not
  EXPECT_FALSE(c.SetCellParameters(6, 1, "4"));
  EXPECT_FALSE(c.SetCellParameters(0, 2, "4"));
  EXPECT_EQ(c.CellParameters(0, 1), "5");
  EXPECT_TRUE(c.SetCellParameters(0, 1, "5.1"));
  EXPECT_EQ(c.CellParameters(0, 1), "5.1");
  EXPECT_TRUE(c.SetCellParameters(0, 1, "10"));  // a trailing 0 without '.' is complete
  EXPECT_EQ(c.CellParameters(0, 1), "10");
  EXPECT_NEAR(Param(c, 0, -1), 0.1f, 1e-7f);
  // Out of the absolute bounds
  EXPECT_FALSE(c.SetCellParameters(1, 1, "101"));
  EXPECT_FALSE(c.SetCellParameters(3, 1, "4"));
  EXPECT_FALSE(c.SetCellParameters(3, 1, "1e40"));
  EXPECT_EQ(c.CellParameters(1, 1), "5");
}

TEST(UnitCell, ConstraintTypesTieParameters) {
  CUnitCell hex;
  hex.SetBasis(1, 2);
  EXPECT_EQ(hex.CellShape(), 1);
  EXPECT_EQ(hex.CellParameters(5, 1), "120");
  EXPECT_EQ(hex.CellParameters(5, -1), "60");
  // a* = 1 / (a sin 120)
  const double aStar = 1.0 / (5.0 * std::sin(120.0 * M_PI / 180.0));
  EXPECT_NEAR(Param(hex, 0, -1), aStar, 1e-6);
  EXPECT_NEAR(Param(hex, 1, -1), aStar, 1e-6);
  // hexagonal d: 1/d^2 = 4/3 (h^2 + hk + k^2)/a^2 + l^2/c^2
  EXPECT_NEAR(hex.hklDSpacing(1, 1, 0), 1.0 / std::sqrt(4.0 / 3.0 * 3.0 / 25.0), 1e-5);
  EXPECT_TRUE(hex.SetCellParameters(2, 1, "7"));
  EXPECT_NEAR(hex.hklDSpacing(1, 0, 1), 1.0 / std::sqrt(4.0 / 3.0 / 25.0 + 1.0 / 49.0), 1e-5);

  CUnitCell cubic;
  cubic.SetBasis(1, 0);
  EXPECT_EQ(cubic.CellShape(), 2);
  EXPECT_TRUE(cubic.SetCellParameters(0, 1, "4"));
  EXPECT_EQ(cubic.CellParameters(1, 1), "4");
  EXPECT_EQ(cubic.CellParameters(2, 1), "4");
  EXPECT_FALSE(cubic.IsIndependent(1));
  EXPECT_FALSE(cubic.SetCellParameters(1, 1, "3"));
  EXPECT_FALSE(cubic.SetCellParameters(3, 1, "80"));
  EXPECT_EQ(cubic.CellParameters(1, 1), "4");

  // Editing the reciprocal lattice of a cubic cell moves all three edges.
  EXPECT_TRUE(cubic.SetCellParameters(0, -1, "0.5"));
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(Param(cubic, i), 2.0f, 1e-5f);

  // Rhombohedral: beta and gamma follow alpha exactly
  CUnitCell rh;
  rh.SetBasis(1, 3);
  EXPECT_TRUE(rh.SetCellParameters(3, 1, "75"));
  EXPECT_EQ(rh.CellAngle(1, 1), rh.CellAngle(1, 0));
  EXPECT_EQ(rh.CellAngle(1, 2), rh.CellAngle(1, 0));

  CUnitCell ortho;
  ortho.SetBasis(1, 6);
  ASSERT_TRUE(ortho.SetCell(1, {3, 4, 5, 80, 85, 100}));
  ortho.SetBasis(1, 4);
  EXPECT_EQ(ortho.CellShape(), 0);
  for (int i = 3; i < 6; ++i) EXPECT_EQ(ortho.CellParameters(i, 1), "90");
  EXPECT_EQ(ortho.CellParameters(1, 1), "4");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(ortho.IsIndependent(i));
  // orthorhombic d: 1/d^2 = h^2/a^2 + k^2/b^2 + l^2/c^2
  EXPECT_NEAR(ortho.hklDSpacing(1, 1, 1), 1.0 / std::sqrt(1 / 9.0 + 1 / 16.0 + 1 / 25.0), 1e-5);

  CUnitCell mono;
  mono.SetBasis(1, 5);
  EXPECT_TRUE(mono.IsIndependent(4));
  EXPECT_FALSE(mono.IsIndependent(3));
  EXPECT_FALSE(mono.IsIndependent(5));
  EXPECT_TRUE(mono.SetCellParameters(4, 1, "100"));
  // monoclinic: beta* = 180 - beta
  EXPECT_NEAR(Param(mono, 4, -1), 80.0f, 1e-3f);

  // CellShape only takes effect for Basis 7
  CUnitCell shaped;
  shaped.SetBasis(1, 6);
  shaped.SetCellShape(1);
  EXPECT_EQ(shaped.CellShape(), 0);
  EXPECT_TRUE(shaped.IsIndependent(1));
  shaped.SetBasis(1, 7);
  EXPECT_TRUE(shaped.SetCellParameters(1, 1, "6"));
  shaped.SetCellShape(1);
  EXPECT_EQ(shaped.CellShape(), 1);
  EXPECT_EQ(shaped.CellParameters(1, 1), "5");  // b copied from a
  EXPECT_FALSE(shaped.IsIndependent(1));
  EXPECT_EQ(shaped.Dependency(1), 0);
}

TEST(UnitCell, SetBasisRepairsImpossibleAngles) {
  CUnitCell c;
  c.SetBasis(1, 6);
  ASSERT_TRUE(c.SetCellParameters(3, 1, "60"));
  ASSERT_TRUE(c.SetCellParameters(4, 1, "60"));
  // largest must stay below 60 + 60 - 2 = 118
  EXPECT_FALSE(c.SetCellParameters(5, 1, "119"));
  EXPECT_FALSE(c.SetCellParameters(5, 1, "118"));
  EXPECT_EQ(c.CellParameters(5, 1), "90");
  EXPECT_TRUE(c.SetCellParameters(5, 1, "117"));
  // Switching to rhombohedral copies alpha: 60, 60, 60 is fine.
  c.SetBasis(1, 3);
  EXPECT_EQ(c.CellParameters(5, 1), "60");
  // Rhombohedral from alpha = 150: 150 x 3 sums to 450 > 358, so all three
  // are scaled by 360/450 * 0.995.
  CUnitCell h;
  h.SetBasis(1, 6);
  ASSERT_TRUE(h.SetCellParameters(3, 1, "150"));
  h.SetBasis(1, 3);
  for (int i = 3; i < 6; ++i) EXPECT_NEAR(Param(h, i), 150.0 * 360.0 / 450.0 * 0.995, 1e-3);
  // The scaled sum is 358.2, just above the 358 the possibility test allows,
  // so the next edit has to bring alpha down; a smaller alpha is accepted.
  EXPECT_FALSE(h.SetCellParameters(0, 1, "6"));
  EXPECT_TRUE(h.SetCellParameters(3, 1, "100"));
  EXPECT_EQ(h.CellParameters(5, 1), "100");
}

TEST(UnitCell, AngleFeasibilityAndAngleFix) {
  CUnitCell c;
  EXPECT_FALSE(c.IsPossible(1, 5, 5, 5, CAngle::FromDegrees(60), CAngle::FromDegrees(60), CAngle::FromDegrees(119)));
  EXPECT_TRUE(c.IsPossible(1, 5, 5, 5, CAngle::FromDegrees(60), CAngle::FromDegrees(60), CAngle::FromDegrees(117)));
  // sum above 358
  EXPECT_FALSE(c.IsPossible(1, 5, 5, 5, CAngle::FromDegrees(120), CAngle::FromDegrees(120), CAngle::FromDegrees(119)));
  EXPECT_FALSE(c.IsPossible(0, 5, 5, 5, CAngle::FromDegrees(90), CAngle::FromDegrees(90), CAngle::FromDegrees(90)));
  // 100 + 100 - 2 = 198 > 170 keeps 170; the sum 370 > 358 scales by 360/370*0.995
  c.AngleFix(100, 100, 170, 1);
  const double f = 360.0 / 370.0 * 0.995;
  EXPECT_NEAR(Param(c, 3), 100 * f, 1e-3);
  EXPECT_NEAR(Param(c, 4), 100 * f, 1e-3);
  EXPECT_NEAR(Param(c, 5), 170 * f, 1e-3);
  EXPECT_NEAR(Param(c, 3), 96.81, 0.005);
  EXPECT_NEAR(Param(c, 5), 164.58, 0.005);
  // The reciprocal lattice follows the repaired angles:
  // cos alpha* = (cos beta cos gamma - cos alpha) / (sin beta sin gamma)
  const double r = M_PI / 180.0, al = 100 * f * r, ga = 170 * f * r;
  const double cosAlphaStar = (std::cos(al) * std::cos(ga) - std::cos(al)) / (std::sin(al) * std::sin(ga));
  EXPECT_NEAR(Param(c, 3, -1), std::acos(cosAlphaStar) / r, 2e-3);
  // A largest angle too big is lowered to the sum of the others minus 2.
  c.AngleFix(30, 40, 100, 1);
  EXPECT_NEAR(Param(c, 5), 68.0f, 1e-4f);
  c.AngleFix(30, 40, 100, 0);  // any other basis stores nothing
  EXPECT_NEAR(Param(c, 5), 68.0f, 1e-4f);
}

TEST(UnitCell, EdgeAndAngleLimits) {
  CUnitCell c;
  EXPECT_EQ(c.EdgeMin(1), "0.01");
  EXPECT_EQ(c.EdgeMax(-1), "100");
  EXPECT_FALSE(c.SetEdgeMax(1, "4"));  // a = 5 lies outside
  EXPECT_EQ(c.EdgeMax(1), "100");
  EXPECT_TRUE(c.SetEdgeMax(1, "6"));
  EXPECT_EQ(c.EdgeMin(-1), SingleText(1.0f / 6.0f));
  EXPECT_FALSE(c.SetEdgeMax(1, "101"));
  EXPECT_FALSE(c.SetEdgeMax(1, "x"));
  EXPECT_FALSE(c.SetEdgeMin(1, "5.5"));  // above an edge
  EXPECT_FALSE(c.SetEdgeMin(1, "0.001"));
  EXPECT_TRUE(c.SetEdgeMin(1, "5"));  // equal to the edges is inside
  EXPECT_EQ(c.EdgeMax(-1), "0.2");
  // Edges now confined to [5, 6]
  EXPECT_FALSE(c.SetCellParameters(0, 1, "4.9"));
  EXPECT_FALSE(c.SetCellParameters(0, 1, "6.1"));
  EXPECT_TRUE(c.SetCellParameters(0, 1, "5.9"));

  CUnitCell r;  // a* = 0.2
  EXPECT_FALSE(r.SetEdgeMax(-1, "0.1"));
  EXPECT_TRUE(r.SetEdgeMax(-1, "0.3"));
  EXPECT_EQ(r.EdgeMin(1), SingleText(static_cast<float>(1.0 / 0.3f)));
  EXPECT_TRUE(r.SetEdgeMin(7, "3"));  // another basis stores nothing, reports ok
  EXPECT_EQ(r.EdgeMin(1), SingleText(static_cast<float>(1.0 / 0.3f)));
  // Direct edges below the derived minimum 3.33 are now refused.
  EXPECT_FALSE(r.SetCellParameters(0, 1, "3"));

  // Reciprocal minimum sets the direct maximum.
  EXPECT_TRUE(r.SetEdgeMin(-1, "0.1"));
  EXPECT_EQ(r.EdgeMax(1), "10");
  EXPECT_FALSE(r.SetCellParameters(1, 1, "10.5"));

  // Dual edges get 0.001 of slack: with a* at most 0.2 (a at least 5), a
  // monoclinic cell a = 5, beta = 95 has a* = 1/(5 sin 95) = 0.20076, inside
  // the slack; beta = 100 gives 0.20309, outside.
  CUnitCell m;
  m.SetBasis(1, 5);
  ASSERT_TRUE(m.SetEdgeMax(-1, "0.2"));
  EXPECT_EQ(m.EdgeMin(1), "5");
  EXPECT_TRUE(m.SetCellParameters(4, 1, "95"));
  EXPECT_FALSE(m.SetCellParameters(4, 1, "100"));
  EXPECT_EQ(m.CellParameters(4, 1), "95");

  CUnitCell a;
  EXPECT_FALSE(a.SetAngleMax("175"));
  EXPECT_TRUE(a.SetAngleMax("174.9"));
  EXPECT_TRUE(a.SetAngleMin("5"));
  EXPECT_FALSE(a.SetAngleMin("4.9"));
  EXPECT_FALSE(a.SetAngleMin("95"));  // above the 90 angles
  EXPECT_FALSE(a.SetAngleMax("85"));
  EXPECT_TRUE(a.SetAngleMin("90"));
  EXPECT_FALSE(a.SetAngleMax("90"));  // must lie above AngleMin
  EXPECT_TRUE(a.SetAngleMax("100"));
  EXPECT_EQ(a.AngleMin(), "90");
  EXPECT_EQ(a.AngleMax(), "100");
  EXPECT_TRUE(a.SetCellParameters(0, 1, "6"));  // angles equal to AngleMin lie inside
  a.SetBasis(1, 6);
  EXPECT_FALSE(a.SetCellParameters(3, 1, "89"));
  // alpha 95 lies inside, but its reciprocal alpha* = 85 breaks AngleMin
  EXPECT_FALSE(a.SetCellParameters(3, 1, "95"));
  EXPECT_EQ(a.CellParameters(3, 1), "90");
}

TEST(UnitCell, SetCellIsAtomicAndFollowsDependencies) {
  CUnitCell c;
  c.SetBasis(1, 6);
  // One at a time, 30 after 90, 90 fails the angle sum; as a whole it is possible.
  EXPECT_TRUE(c.SetCell(1, {4, 5, 6, 30, 30, 50}));
  EXPECT_EQ(c.CellParameters(3, 1), "30");
  EXPECT_EQ(c.CellParameters(5, 1), "50");
  EXPECT_FALSE(c.SetCell(1, {4, 5, 6, 30, 30, 90}));
  EXPECT_EQ(c.CellParameters(5, 1), "50");
  EXPECT_FALSE(c.SetCell(0, {4, 5, 6, 30, 30, 50}));
  CUnitCell t;
  t.SetBasis(1, 1);
  EXPECT_TRUE(t.SetCell(1, {3, 9, 7, 50, 60, 70}));
  EXPECT_EQ(t.CellParameters(1, 1), "3");
  EXPECT_EQ(t.CellParameters(3, 1), "90");
  EXPECT_EQ(t.CellParameters(2, 1), "7");
}

TEST(UnitCell, ChangeVolumeScalesEdgesByCubeRoot) {
  CUnitCell c;
  c.ChangeVolume(8.0f);
  EXPECT_NEAR(Param(c, 0), 10.0f, 1e-5f);
  EXPECT_NEAR(c.VNorm(), 8.0f, 1e-4f);
  c.ChangeVolume(1e9f);  // 10 km edges: refused
  EXPECT_NEAR(Param(c, 0), 10.0f, 1e-5f);
  c.ChangeVolume(-1.0f);
  c.ChangeVolume(0.0f);
  EXPECT_NEAR(Param(c, 0), 10.0f, 1e-5f);
}

TEST(UnitCell, VectorGeometry) {
  CUnitCell c;
  c.SetBasis(1, 6);
  ASSERT_TRUE(c.SetCell(1, {4, 5, 6, 80, 95, 110}));
  // G(0,1) = a b cos(gamma), G(1,2) = b c cos(alpha)
  EXPECT_NEAR(c.Metric(1, 0, 1), 20.0 * std::cos(110.0 * M_PI / 180.0), 1e-5);
  EXPECT_NEAR(c.Metric(1, 2, 1), 30.0 * std::cos(80.0 * M_PI / 180.0), 1e-5);
  EXPECT_FLOAT_EQ(c.Metric(1, 2, 2), 36.0f);
  // |a| = a, and the angle between b and c is alpha
  EXPECT_NEAR(c.Distance(1, 1, 0, 0), 4.0f, 1e-5f);
  EXPECT_NEAR(c.Angle(1, 0, 1, 0, 0, 0, 1), 80.0 * M_PI / 180.0, 1e-5);
  EXPECT_NEAR(c.Angle(-1, 1, 0, 0, 0, 1, 0), Param(c, 5, -1) * M_PI / 180.0, 1e-5);
  // The reciprocal lattice vector h k l has length 1/d
  EXPECT_NEAR(c.Distance(-1, 1, 2, 3), 1.0f / c.hklDSpacing(1, 2, 3), 1e-5f);
  // a x b is along c*, with |a x b| = a b sin(gamma); the result is divided by V
  float x, y, z;
  c.CrossProduct(1, 1, 0, 0, 0, 1, 0, x, y, z);
  // a x b = V c*, so in direct components it is V G* (0, 0, 1); divided by V: G*(.,2)
  EXPECT_NEAR(x, c.Metric(-1, 0, 2), 1e-5f);
  EXPECT_NEAR(y, c.Metric(-1, 1, 2), 1e-5f);
  EXPECT_NEAR(z, c.Metric(-1, 2, 2), 1e-5f);
  EXPECT_NEAR(c.Distance(1, x, y, z) * c.Volume(), 4.0 * 5.0 * std::sin(110.0 * M_PI / 180.0), 1e-3);
  // T has c along z and a in the x-z plane
  EXPECT_EQ(c.Trans(1, 0, 2), 0.0f);
  EXPECT_EQ(c.Trans(1, 1, 0), 0.0f);
  EXPECT_FLOAT_EQ(c.Trans(1, 2, 2), 6.0f);
  // T* = (T^-1)^T: a*.a = 1, a*.b = 0
  double aa = 0, ab = 0;
  for (int r = 0; r < 3; ++r) {
    aa += c.Trans(-1, r, 0) * c.Trans(1, r, 0);
    ab += c.Trans(-1, r, 0) * c.Trans(1, r, 1);
  }
  EXPECT_NEAR(aa, 1.0, 1e-5);
  EXPECT_NEAR(ab, 0.0, 1e-5);
  EXPECT_EQ(c.Handedness(), "Right");
}

TEST(UnitCell, HistoryMovesAndLimits) {
  CUnitCell c;
  c.StartHistory();
  EXPECT_FALSE(c.BackwardOK());
  EXPECT_FALSE(c.ForwardOK());
  const char* values[] = {"6", "7", "8"};
  for (const char* v : values) {
    ASSERT_TRUE(c.SetCellParameters(0, 1, v));
    c.CellHistory(-1);
  }
  EXPECT_EQ(c.NumberOfChanges(), 3);
  c.CellHistory(-1);  // the same cell again is not recorded
  EXPECT_EQ(c.NumberOfChanges(), 3);
  EXPECT_TRUE(c.BackwardOK());
  EXPECT_FALSE(c.ForwardOK());
  c.CellHistory(1);
  EXPECT_EQ(c.CellParameters(0, 1), "7");
  c.CellHistory(1);
  EXPECT_EQ(c.CellParameters(0, 1), "6");
  EXPECT_TRUE(c.BackwardOK());  // the start state 5 is older still
  c.CellHistory(1);
  EXPECT_EQ(c.CellParameters(0, 1), "5");
  EXPECT_FALSE(c.BackwardOK());
  EXPECT_TRUE(c.ForwardOK());
  c.CellHistory(1);  // past the end: nothing but entry 50 again
  EXPECT_EQ(c.CellParameters(0, 1), "5");
  c.CellHistory(2);
  EXPECT_EQ(c.CellParameters(0, 1), "6");
  c.CellHistory(3);
  EXPECT_EQ(c.CellParameters(0, 1), "8");
  EXPECT_FALSE(c.ForwardOK());
  EXPECT_TRUE(c.BackwardOK());
  c.CellHistory(0);
  EXPECT_EQ(c.CellParameters(0, 1), "5");
  EXPECT_FALSE(c.BackwardOK());
  c.CellHistory(3);
  EXPECT_EQ(c.CellParameters(0, 1), "8");
  // A recording after going back discards the newer states.
  c.CellHistory(1);
  ASSERT_TRUE(c.SetCellParameters(1, 1, "9"));
  c.CellHistory(-1);
  EXPECT_FALSE(c.ForwardOK());
  c.CellHistory(1);
  EXPECT_EQ(c.CellParameters(0, 1), "7");
  EXPECT_EQ(c.CellParameters(1, 1), "5");
  c.CellHistory(3);
  EXPECT_EQ(c.CellParameters(1, 1), "9");
  // An edit not recorded is dropped by any move, even a move that does nothing.
  ASSERT_TRUE(c.SetCellParameters(2, 1, "11"));
  c.CellHistory(2);
  EXPECT_EQ(c.CellParameters(2, 1), "5");
}

TEST(UnitCell, HistoryKeepsFiftyOlderStates) {
  CUnitCell c;
  for (int i = 1; i <= 51; ++i) {
    ASSERT_TRUE(c.SetCellParameters(0, 1, std::to_string(5 + i)));
    c.CellHistory(-1);
  }
  c.CellHistory(0);  // oldest kept: the 1st recording (6); the start 5 is lost
  EXPECT_EQ(c.CellParameters(0, 1), "6");
  EXPECT_FALSE(c.BackwardOK());
  EXPECT_TRUE(c.ForwardOK());
  c.CellHistory(3);
  EXPECT_EQ(c.CellParameters(0, 1), "56");
  // Restoring bypasses the possibility test: a state outside new limits comes back.
  CUnitCell d;
  d.CellHistory(-1);
  ASSERT_TRUE(d.SetCellParameters(0, 1, "20"));
  d.CellHistory(-1);
  d.CellHistory(1);
  ASSERT_TRUE(d.SetEdgeMax(1, "10"));
  d.CellHistory(2);
  EXPECT_EQ(d.CellParameters(0, 1), "20");
}

}  // namespace
}  // namespace quorlin
