// The working phase as a pressure standard: the read-out follows the cell,
// the window's model edits through the one edit path.
#include "mainwindow/pressure_standard.h"

#include <gtest/gtest.h>

#include "core/property_bag.h"
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
  // Unmarked, no pressure is read out anywhere.
  ASSERT_TRUE(p.SetMarked(false));
  EXPECT_EQ(p.Readout(), "");
  for (const ScaleRow& r : p.Rows()) EXPECT_EQ(r.pressure, "") << r.scale;
}

// The pressure of a stored phase, the su a refinement leaves, and the mark
// kept by Undo and in projects. Au-Fei2007 is Vinet with V0 67.850, K0 167,
// K0' 6.00: at a = 3.9378949 (V = 61.0650) an independent evaluation gives
// 24.0272 GPa and dP/dV = -4.8814 GPa/A^3, so a volume su of 0.012 A^3 is
// 0.0586 GPa.
TEST(PressureStandard, StoredPhaseSuUndoAndProjectKeys) {
  testing::ScriptedPlatform platform;
  MainModel model{platform};
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {4.2f, 4.2f, 4.2f, 90, 90, 90});
  PressureModel p(model);
  ASSERT_TRUE(p.SetMarked(true));
  EXPECT_FALSE(p.SetPhase(2));  // an empty slot
  CUnitCell gold = model.UnitCell;
  ASSERT_TRUE(gold.SetCell(1, {3.9378949f, 3.9378949f, 3.9378949f, 90, 90, 90}));
  CPattern stored = model.pattern;
  stored.Exists = true;
  stored.PatternName = "gold";
  model.storedphases.SetStoredUnitCell(2, gold);
  model.storedphases.SetStoredPattern(2, stored);
  ASSERT_EQ(p.Phases().size(), 2u);
  EXPECT_EQ(p.Phases()[1].second, "Stored phase 3: gold");
  ASSERT_TRUE(p.SetPhase(2));
  EXPECT_EQ(p.Readout(), "P = 24.03 GPa (Au-Fei2007)");
  EXPECT_EQ(ReportWithPressure(model), "P = 24.03 GPa (Au-Fei2007)");
  model.Undo();  // the phase choice is one undo step
  EXPECT_EQ(model.Pressure.phase, PressureMark::kWorkingPhase);
  EXPECT_TRUE(model.Pressure.marked);

  // The su of a refined working cell, until the cell changes again.
  model.Edit([&] {
    model.UnitCell = gold;
    model.Pressure.volumeSu = 0.012;
    model.Pressure.suVolume = model.UnitCell.Volume();
  });
  EXPECT_EQ(p.Readout(), "P = 24.027(59) GPa (Au-Fei2007)");
  EXPECT_EQ(PressureReadout(model.Pressure, 61.065, 0.12), "P = 24.03(59) GPa (Au-Fei2007)");

  // A project keeps the mark; one written before it reads as unmarked, and
  // values out of bounds read as their defaults.
  PropertyBag bag;
  model.WriteStateToPb(bag);
  EXPECT_TRUE(bag.Contains("PressureMarked"));
  PressureMark back;
  back.ReadState(bag);
  EXPECT_EQ(back, model.Pressure);
  back.ReadState(PropertyBag());
  EXPECT_EQ(back, PressureMark{});
  PropertyBag bad;
  bad.WriteProperty("PressureMarked", true, false);
  bad.WriteProperty("PressurePhase", std::int32_t{7}, std::int32_t{-1});
  bad.WriteProperty("PressureScale", std::string("Nope-Nobody2099"), std::string());
  bad.WriteProperty("PressureKelvin", -3.0, 300.0);
  bad.WriteProperty("PressureVolumeSu", 0.5, 0.0);  // with no volume it belongs to
  back.ReadState(bad);
  PressureMark expected;
  expected.marked = true;
  EXPECT_EQ(back, expected);

  model.Edit([&] { ASSERT_TRUE(model.UnitCell.SetCell(1, {3.9f, 3.9f, 3.9f, 90, 90, 90})); });
  EXPECT_EQ(p.Readout().find("("), p.Readout().find("(Au-Fei2007)")) << p.Readout();
  model.Undo();
  EXPECT_EQ(p.Readout(), "P = 24.027(59) GPa (Au-Fei2007)");
}

}  // namespace
}  // namespace quorlin
