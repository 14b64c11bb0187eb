// The lattice tools' models on a main model: the transformation window's
// boxes, Go!, its refusals and Reset; the centring choice; the superlattice
// lines on the plot, Transform and Revert.
#include "support/temp_home.h"
#include "mainwindow/lattice_tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "plot/recording_surface.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

using testing::ScriptedPlatform;

struct LatticeToolsTest : testing::TempHomeTest {
  ScriptedPlatform platform;
  MainModel m{platform};
  void SetUp() override {
    // The factory state (Cu tube lines on), from an empty program folder.
    m.StartUp();
    Cube(4);
  }
  void Cube(float a) {
    m.SetCrystalSystem(1);
    ASSERT_TRUE(m.UnitCell.SetCell(1, {a, a, a, 90, 90, 90}));
  }
  float P(int i, int basis = 1) { return std::stof(m.UnitCell.CellParameters(i, basis)); }
  void Type(CellManipulationModel& w, const std::array<const char*, 9>& boxes) {
    for (int k = 0; k < 9; ++k) w.BoxChanged(k, boxes[k]);
  }
};

TEST_F(LatticeToolsTest, GoTransformsThroughTheMetricAndDropsTheSymmetry) {
  CellManipulationModel w(m);
  w.Open();
  // The note's example: rows (1 -1 -1; 0 1 0; 0 0 1), typed column by column
  // (box k is element k mod 3, k div 3). Hand-worked: a' = sqrt 48,
  // beta' = gamma' = acos(-4/sqrt 48).
  Type(w, {"1", "0", "0", "-1", "1", "0", "-1", "0", "1"});
  EXPECT_EQ(w.Go(), CellManipulationModel::Outcome::Done);
  EXPECT_EQ(m.CrystalSystem(), 8);
  const double skew = std::acos(-4 / std::sqrt(48.0)) * 180 / M_PI;
  EXPECT_NEAR(P(0), std::sqrt(48.0), 1e-4);
  EXPECT_NEAR(P(1), 4, 1e-5);
  EXPECT_NEAR(P(2), 4, 1e-5);
  EXPECT_NEAR(P(3), 90, 1e-3);
  EXPECT_NEAR(P(4), skew, 1e-3);
  EXPECT_NEAR(P(5), skew, 1e-3);
  EXPECT_TRUE(w.txtError().empty());

  // Reset after a second transformation returns to the cell seen at opening.
  w.Special(2);
  EXPECT_EQ(w.Go(), CellManipulationModel::Outcome::Done);
  EXPECT_NEAR(P(1), std::sqrt(48.0), 1e-4);  // c,a,b: b' is the old a'
  w.Reset();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(P(i), i < 3 ? 4.0f : 90.0f) << i;
}

TEST_F(LatticeToolsTest, RefusalsAndTheirMessages) {
  CellManipulationModel w(m);
  w.Open();
  // Determinant -1 is accepted: a' = -a leaves the cube as it was.
  Type(w, {"-1", "0", "0", "0", "1", "0", "0", "0", "1"});
  EXPECT_EQ(w.Go(), CellManipulationModel::Outcome::Done);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(P(i), i < 3 ? 4.0f : 90.0f) << i;

  // Rows (1 1 0; 1 1 0; 0 0 1): singular, nothing changes.
  m.SetCrystalSystem(1);
  Type(w, {"1", "1", "0", "1", "1", "0", "0", "0", "1"});
  EXPECT_EQ(w.Go(), CellManipulationModel::Outcome::Singular);
  EXPECT_EQ(w.txtError(), "Singular matrix.");
  EXPECT_EQ(m.CrystalSystem(), 1);
  EXPECT_EQ(P(0), 4.0f);
  // Typing clears the message; an unacceptable text keeps the last number,
  // which the box shows again when it loses the focus.
  w.BoxChanged(0, "30");
  EXPECT_TRUE(w.txtError().empty());
  w.BoxChanged(1, "0");
  w.BoxChanged(3, "0");
  w.BoxChanged(4, "x");
  EXPECT_EQ(w.Element(1, 1), 1.0f);
  w.BoxValidated(4);
  EXPECT_EQ(w.BoxText(4), "1");

  // a' = 30 a is 120 Angstrom, beyond the edge limit: refused as a whole.
  EXPECT_EQ(w.Go(), CellManipulationModel::Outcome::OutOfRange);
  EXPECT_EQ(w.Label6(), "Out of Range.");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(P(i), i < 3 ? 4.0f : 90.0f) << i;
}

TEST_F(LatticeToolsTest, PermutationButtonsFillTheBoxesAndReciprocalLattice) {
  CellManipulationModel w(m);
  m.UserCellType = -1;
  w.Open();
  EXPECT_EQ(w.Lattice(), -1);
  w.Special(2);  // "c,a,b": rows a' (0 0 1), b' (1 0 0), c' (0 1 0)
  const std::array<const char*, 9> want{"0", "1", "0", "0", "0", "1", "1", "0", "0"};
  for (int k = 0; k < 9; ++k) EXPECT_EQ(w.BoxText(k), want[k]) << k;
  // Halving the reciprocal edge a* doubles a.
  Type(w, {"0.5", "0", "0", "0", "1", "0", "0", "0", "1"});
  EXPECT_EQ(w.Go(), CellManipulationModel::Outcome::Done);
  EXPECT_NEAR(P(0), 8, 1e-5);
}

TEST_F(LatticeToolsTest, CentringChoice) {
  m.SetCrystalSystem(8);
  m.UnitCell.CenteringType = 2;
  EXPECT_EQ(CenteringSelection(m), 2);
  ChooseDirectCentering(m, 1);  // F
  EXPECT_EQ(m.UnitCell.CenteringType, 1);
  EXPECT_EQ(m.pattern.ExtCond(0), 6);
  ChooseDirectCentering(m, 0);  // P: every condition cleared, none set
  EXPECT_EQ(m.UnitCell.CenteringType, 0);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(m.pattern.ExtCond(i), -1) << i;
}

TEST_F(LatticeToolsTest, SuperlatticeLinesTransformAndRevert) {
  LatticePointsModel w(m);
  w.Open();
  w.ChoosePoint(6);
  EXPECT_EQ(w.PointText(0), "0.5");
  EXPECT_EQ(w.PointText(1), "0.5");
  EXPECT_EQ(w.PointText(2), "0.5");
  // The extra line of 000 + (1/2,1/2,1/2) at d = 4/sqrt(0.75), in red from a
  // third to two thirds of the intensity window, at the primary line.
  m.pattern.hmin = m.pattern.hmax = m.pattern.kmin = m.pattern.kmax = m.pattern.lmin = m.pattern.lmax = 0;
  ASSERT_TRUE(m.XRDPlot.SetTTMin("5"));
  ASSERT_TRUE(m.XRDPlot.SetTTMax("90"));
  RecordingSurface pic;
  pic.Scale(5, 10000, 90, 0);
  auto p = w.Point();
  SuperlatticePlot(m, pic, p[0], p[1], p[2]);
  auto lines = pic.OfKind(RecordingSurface::Kind::Line);
  ASSERT_FALSE(lines.empty());
  const float tt = m.XRDPlot.TTFromD(m.data.Lambda(static_cast<int>(m.data.PrimaryLine)), 4.6188f);
  bool found = false;
  for (const auto& l : lines) {
    EXPECT_EQ(l.colour, 255);
    if (std::abs(l.x1 - tt) < 1e-3) {
      found = true;
      EXPECT_NEAR(l.y1, 3330, 1);
    }
  }
  EXPECT_TRUE(found);

  // (1/2, 0, 0) doubles a: a* = 0.125.
  w.ChoosePoint(0);
  EXPECT_TRUE(w.Transform());
  EXPECT_EQ(m.CrystalSystem(), 8);
  EXPECT_NEAR(P(0, -1), 0.125, 1e-6);
  EXPECT_NEAR(P(0), 8, 1e-5);
  EXPECT_NEAR(P(1), 4, 1e-5);
  EXPECT_NEAR(P(2), 4, 1e-5);
  for (int i = 3; i < 6; ++i) EXPECT_NEAR(P(i), 90, 1e-3);
  w.PointTextChanged(0, "0.25");
  w.Revert();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(P(i), i < 3 ? 4.0f : 90.0f) << i;
  EXPECT_TRUE(w.LabelError().empty());
}

}  // namespace
}  // namespace quorlin
