// The energy-dispersive tools' model on a synthetic rock-salt spectrum.
#include "mainwindow/energy_dispersive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "core/numtext.h"
#include "mainwindow/main_model.h"
#include "mainwindow/scripted_platform.h"
#include "support/synthetic_spectrum.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlatform;

class EnergyDispersiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quorlin-ed-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    std::ofstream(dir_ / "s.mca") << testing::RockSaltMca(5.60);
    std::ofstream(dir_ / "nacl.jcpds") << testing::NaClCard();
    ASSERT_TRUE(m.ImportDataFile("mca", (dir_ / "s.mca").string()));
    ASSERT_TRUE(m.ImportDataFile("jcpds", (dir_ / "nacl.jcpds").string()));
    platform.messages.clear();
  }
  void TearDown() override { fs::remove_all(dir_); }

  ScriptedPlatform platform;
  MainModel m{platform};
  fs::path dir_;
};

TEST_F(EnergyDispersiveTest, DefaultScansHave41PointsAroundTheCurrentValue) {
  EnergyDispersiveModel ed(m);
  EXPECT_EQ(ed.txtTwoTheta, "6.5");
  EXPECT_EQ(ed.PlotMode, 0);
  ASSERT_TRUE(ed.Scan2Theta());
  EXPECT_EQ(ed.PlotMode, 1);
  ASSERT_EQ(ed.ScanX.size(), 41u);
  EXPECT_NEAR(ed.ScanX.front(), 6.4, 1e-5);
  EXPECT_NEAR(ed.ScanX.back(), 6.6, 1e-5);
  EXPECT_NEAR(ed.ScanX[1] - ed.ScanX[0], 0.005, 1e-5);
  EXPECT_EQ(m.data.edsTWO_THETA, 6.5f);  // restored after the scan

  // A peak window: 41 channels, 20 each side of the rounded computed channel.
  ASSERT_TRUE(ed.ScanPeak(2, 0, 0));
  EXPECT_EQ(ed.PlotMode, 3);
  const float c = m.XRDPlot.TTFromD(1, m.UnitCell.hklDSpacing(2, 0, 0));
  ASSERT_EQ(ed.ScanX.size(), 41u);
  EXPECT_EQ(ed.ScanX.front(), std::round(c) - 20);
  EXPECT_EQ(ed.ScanX.back(), std::round(c) + 20);
  EXPECT_EQ(ed.ScanY[20], static_cast<float>(m.data.Intensity(static_cast<int>(std::round(c)))));
}

TEST_F(EnergyDispersiveTest, LorentzianFitRecoversAKnownPeak) {
  EnergyDispersiveModel ed(m);
  // y = 5 + 100 * 4 / ((x - 10.3)^2 + 4) sampled at x = 0..20.
  for (int i = 0; i <= 20; ++i) {
    ed.ScanX.push_back(static_cast<float>(i));
    ed.ScanY.push_back(EnergyDispersiveModel::Lorentzian(static_cast<float>(i), 5, 100, 2, 10.3f));
  }
  float B = 0, H = 90, x0 = 10, w = 3;
  const float pos = ed.FitOneLorentzian(B, H, x0, w, true, true, true, true);
  EXPECT_NEAR(pos, 10.3, 0.01);
  // Five bisection passes over coupled parameters: the shape comes out coarser.
  EXPECT_NEAR(w, 2, 0.15);
  EXPECT_NEAR(H, 100, 3);
  EXPECT_NEAR(B, 5, 2);
  ASSERT_EQ(ed.CurveY.size(), 21u);
  EXPECT_FLOAT_EQ(ed.CurveY[7], EnergyDispersiveModel::Lorentzian(7, B, H, w, x0));
  // A step that starts below 0.001 leaves its parameter alone: a height of 0.004.
  float B2 = 5, H2 = 0.004f, x2 = 10, w2 = 2;
  ed.FitOneLorentzian(B2, H2, x2, w2, true, true, false, false);
  EXPECT_EQ(B2, 5);
  EXPECT_EQ(H2, 0.004f);
}

TEST_F(EnergyDispersiveTest, SinglePeakGivesItsSpacingAndStaysNearAnEdgeMaximum) {
  EnergyDispersiveModel ed(m);
  ed.txth = "2";
  ed.txtk = "0";
  ed.txtl = "0";
  // The spectrum was made at a = 5.60, so d(200) = 2.80 (the card cell is 5.6402).
  ASSERT_TRUE(ed.FitSinglePeak());
  EXPECT_NEAR(StrictSingle(ed.txtD).value_or(0), 2.80, 0.002);
  // A 9-channel window centred on the card's channel misses the true peak
  // (4.6 channels away): the maximum lies at the window's edge.
  ed.txtLPNumberOfPoints = "8";
  ASSERT_TRUE(ed.ScanPeak(2, 0, 0));
  EXPECT_EQ(ed.BestX, ed.ScanX.back());
  const float w = ed.EstimateHalfWidth();
  EXPECT_GT(w, 0);  // measured on the side inside the window
  EXPECT_LT(w, 5);
  float B = ed.Worst, H = ed.Best - ed.Worst, x0 = ed.BestX, w0 = w;
  const float fitted = ed.FitOneLorentzian(B, H, x0, w0, true, true, true, true);
  EXPECT_LT(std::fabs(fitted - ed.BestX), 5 * w);
}

TEST_F(EnergyDispersiveTest, PressureShownInGPaWithTwoDecimals) {
  EnergyDispersiveModel ed(m);
  struct Case {
    int option;
    const char *a, *t, *shown, *note;
  } cases[] = {
      {4, "5.4708", "25", "2.71", ""},  // NaCl: Decker 27.11 kbar
      {0, "4.11904", "25", "0", ""},    // CsCl reference edge: 0.014 kbar
      // Au at V/V0 = 0.9: 24.027 GPa by hand from the Vinet form.
      {3, "3.9378369", "25", "24.03", ""},
      {3, "3.9378369", "100", "24.03", "room-temperature isotherm"},
      // NaCl at V/V0 0.40 (191 GPa) is far beyond Decker's span: marked, still shown.
      {4, "4.16", "25", "191.45", "outside the scale's range"},
      {3, "3.0", "100", "1779.66", "room-temperature isotherm; outside the scale's range"},
  };
  for (const Case& c : cases) {
    ed.optPressureStandard = c.option;
    ed.txtLatticeParameter = c.a;
    ed.txtT = c.t;
    ASSERT_TRUE(ed.GetPressure()) << c.a;
    EXPECT_EQ(ed.txtP, c.shown) << c.a;
    EXPECT_EQ(ed.PressureNote, c.note) << c.a;
  }
}

// Choosing another standard never leaves the old standard's pressure shown.
TEST_F(EnergyDispersiveTest, SwitchingTheStandardRecomputesOrClears) {
  EnergyDispersiveModel ed(m);
  ed.optPressureStandard = 4;
  ed.txtLatticeParameter = "5.4708";
  ASSERT_TRUE(ed.GetPressure());
  EXPECT_EQ(ed.txtP, "2.71");
  ed.optPressureStandard = 3;  // Au, a0 = 4.08: this edge is a cell stretched far beyond any calibration
  ed.StandardChanged();
  EXPECT_EQ(ed.txtP, "-7.35");  // the Vinet form by hand: -7.347 GPa
  EXPECT_EQ(ed.PressureNote, "outside the scale's range");
  ed.optPressureStandard = 4;
  ed.txtLatticeParameter = "";
  ed.StandardChanged();
  EXPECT_EQ(ed.txtP, "");
  EXPECT_EQ(ed.PressureNote, "");
}

TEST_F(EnergyDispersiveTest, FitsThenRevertRestoresTheEdgeAndAngleExactly) {
  EnergyDispersiveModel ed(m);
  const std::string a0 = m.UnitCell.CellParameters(0, 1);
  ed.optPressureStandard = 4;
  ASSERT_TRUE(ed.FitLP());
  EXPECT_NEAR(StrictSingle(ed.txtLatticeParameter).value(), 5.60, 0.003);
  EXPECT_FALSE(ed.txtP.empty());
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), a0) << "the main cell changes only on Save";
  ASSERT_TRUE(ed.SaveNewLatticeParameter());
  ASSERT_TRUE(ed.FitPattern());
  EXPECT_NEAR(m.UnitCell.Edge(1, 0), 5.60, 0.0005);
  EXPECT_GT(m.PeakList.Pkhght(1), 0);
  ed.RevertToOldLatticeParameter();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), a0);
  EXPECT_EQ(ed.txtLatticeParameter, a0);

  ASSERT_TRUE(ed.Fit2Theta());
  ed.txtTwoTheta = "6.7";
  ASSERT_TRUE(ed.SaveNew2Theta());
  EXPECT_EQ(m.data.edsTWO_THETA, 6.7f);
  ed.RevertToOld2Theta();
  EXPECT_EQ(m.data.edsTWO_THETA, 6.5f);
  EXPECT_EQ(ed.txtTwoTheta, "6.5");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(EnergyDispersiveTest, UndefinedInputsAreRefusedWithAMessageAndNoChange) {
  struct Case {
    const char* what;
    std::function<void(EnergyDispersiveModel&)> set;
    std::function<bool(EnergyDispersiveModel&)> run;
  } cases[] = {
      {"non-numeric points", [](auto& e) { e.txt2ThetaNumberOfPoints = "forty"; },
       [](auto& e) { return e.Scan2Theta(); }},
      {"0 points", [](auto& e) { e.txtLPNumberOfPoints = "0"; }, [](auto& e) { return e.ScanLP(); }},
      {"0 points, peak",
       [](auto& e) {
         e.txtLPNumberOfPoints = "0";
         e.txth = "2";
         e.txtk = "0";
         e.txtl = "0";
       },
       [](auto& e) { return e.FitSinglePeak(); }},
      {"edge driven below 0", [](auto& e) { e.txtLPScanRange = "12"; }, [](auto& e) { return e.FitLP(); }},
      {"angle driven below 0", [](auto& e) { e.txt2ThetaScanRange = "13"; }, [](auto& e) { return e.Fit2Theta(); }},
      {"non-numeric range", [](auto& e) { e.txtLPScanRange = "."; }, [](auto& e) { return e.ScanLP(); }},
      {"non-numeric T", [](auto& e) { e.txtT = "warm"; }, [](auto& e) { return e.GetPressure(); }},
      {"T at absolute zero",
       [](auto& e) {
         e.txtT = "-273.15";
         e.optPressureStandard = 4;
       },
       [](auto& e) { return e.GetPressure(); }},
      {"edge 0", [](auto& e) { e.txtLatticeParameter = "0"; }, [](auto& e) { return e.SaveNewLatticeParameter(); }},
      {"non-numeric angle", [](auto& e) { e.txtTwoTheta = "6,5"; }, [](auto& e) { return e.SaveNew2Theta(); }},
      {"non-numeric h", [](auto& e) { e.txth = "one"; }, [](auto& e) { return e.FitSinglePeak(); }},
      {"nothing chosen", [](auto&) {}, [](auto& e) { return e.ChoosePeak(-1); }},
      {"empty peak list",
       [this](auto&) {
         for (int i = 0; i < m.PeakList.NumberOfPeaks(); ++i) m.PeakList.SetIncluded(i, false);
       },
       [](auto& e) { return e.FitPattern(); }},
  };
  for (const Case& c : cases) {
    EnergyDispersiveModel ed(m);
    ASSERT_TRUE(ed.ScanPeak(1, 1, 1));
    c.set(ed);
    PropertyBag before;
    m.WriteStateToPb(before);
    const auto scan = ed.ScanX;
    const auto p = ed.txtP;
    platform.messages.clear();
    EXPECT_FALSE(c.run(ed)) << c.what;
    EXPECT_EQ(platform.messages.size(), 1u) << c.what;
    PropertyBag after;
    m.WriteStateToPb(after);
    EXPECT_TRUE(before.Contents() == after.Contents()) << c.what;
    EXPECT_EQ(ed.ScanX, scan) << c.what;
    EXPECT_EQ(ed.PlotMode, 3) << c.what;
    EXPECT_EQ(ed.txtP, p) << c.what;
    for (int i = 0; i < m.PeakList.NumberOfPeaks(); ++i) m.PeakList.SetIncluded(i, true);
  }
}

TEST_F(EnergyDispersiveTest, ChoosingReflectionsOnThePlotAndInTheList) {
  EnergyDispersiveModel ed(m);
  m.PeakList.SetIncluded(1, false);  // 2 0 0
  ed.FillPeakList();
  ASSERT_EQ(ed.cboPeakList.size(), 10u);
  EXPECT_EQ(ed.cboPeakList[0], "1 1 1");
  EXPECT_EQ(ed.cboPeakList[1], "2 2 0");
  ASSERT_TRUE(ed.ChoosePeak(1));  // the second included reflection is 2 2 0
  const float c220 = m.XRDPlot.TTFromD(1, m.UnitCell.hklDSpacing(2, 2, 0));
  EXPECT_EQ(ed.ScanX[20], std::round(c220));

  // A click in mode 2 inverts the nearest card line; modes 1 and 3 fill the boxes.
  ed.Deselect();
  EXPECT_EQ(ed.PlotMode, 2);
  const float c200 = m.XRDPlot.TTFromD(1, m.UnitCell.hklDSpacing(2, 0, 0));
  ed.PlotMouseUp(c200 + 1);
  EXPECT_TRUE(m.PeakList.Included(1));
  ed.PlotMouseUp(c200 - 1);
  EXPECT_FALSE(m.PeakList.Included(1));
  ed.UnselectAll();
  EXPECT_FALSE(m.PeakList.Included(0));
  ed.SelectAll();
  EXPECT_TRUE(m.PeakList.Included(1));
  ed.PlotMode = 3;
  ed.PlotMouseUp(5.5f);
  EXPECT_EQ(ed.txtLatticeParameter, "5.5");
  ed.PlotMode = 1;
  ed.PlotMouseUp(6.25f);
  EXPECT_EQ(ed.txtTwoTheta, "6.25");
}

}  // namespace
}  // namespace quorlin
