// The working phase as a pressure standard: the read-out follows the cell,
// the window's model edits through the one edit path.
#include "mainwindow/pressure_standard.h"

#include <gtest/gtest.h>

#include "mainwindow/main_model.h"
#include "reflections/reflection_list.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

TEST(PressureStandard, ReadoutFollowsTheCellAndTheWindowEdits) {
  testing::ScriptedPlatform platform;
  MainModel model{platform};
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {3.9378949f, 3.9378949f, 3.9378949f, 90, 90, 90});
  PressureModel p(model);
  EXPECT_EQ(p.Readout(), "");  // not marked
  ASSERT_TRUE(p.SetMarked(true));
  // Au-Fei2007 at V/V0 0.9 (of 67.850): 24.03 GPa (the independent evaluation in the scale tests).
  const double ratio = model.UnitCell.Volume() / 67.850;
  EXPECT_NEAR(ratio, 0.9, 1e-4);
  EXPECT_EQ(p.Readout().rfind("P = 24.0", 0), 0u) << p.Readout();
  EXPECT_NE(p.Readout().find("(Au-Fei2007)"), std::string::npos);
  // A changed cell (a drag, a typed edge, a refinement) changes the read-out.
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {3.0f, 3.0f, 3.0f, 90, 90, 90});
  EXPECT_NE(p.Readout().find(" outside the scale's range"), std::string::npos) << p.Readout();
  // 1500 K typed as degrees Celsius; a refused temperature changes nothing.
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {3.9378949f, 3.9378949f, 3.9378949f, 90, 90, 90});
  ASSERT_TRUE(p.SetTemperature("1226.85", false));
  EXPECT_NEAR(model.Pressure.kelvin, 1500, 1e-9);
  EXPECT_EQ(p.Readout().rfind("P = 33.05", 0), 0u) << p.Readout();
  EXPECT_FALSE(p.SetTemperature("-5", true));
  EXPECT_FALSE(p.SetTemperature("hot", false));
  EXPECT_NEAR(model.Pressure.kelvin, 1500, 1e-9);
  EXPECT_EQ(p.TemperatureText(true), "1500");
  // Every scale of the material side by side: NaCl has Decker's B1 and Fei's B2.
  ASSERT_TRUE(p.SetScale("nacl-decker1971"));
  EXPECT_EQ(model.Pressure.scale, "NaCl-Decker1971");
  const auto rows = p.Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].scale, "NaCl-Decker1971");
  EXPECT_EQ(rows[1].scale, "NaCl-B2-Fei2007");
  EXPECT_FALSE(p.SetScale("Unobtainium-Nobody2099"));
  EXPECT_EQ(model.Pressure.scale, "NaCl-Decker1971");
}

}  // namespace
}  // namespace quorlin
