// The Cell Refinement window's model on a real pattern (CeO2, 0.4066 A,
// Fm-3m): the table follows the cell, Apply and Revert are one undo step
// each, and a row left out is left out of the refinement.
#include "mainwindow/refine_cell_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "mainwindow/main_model.h"
#include "plot/recording_surface.h"
#include "reflections/reflection_list.h"
#include "scripted_platform.h"
#include "support/ceo2_synchrotron.h"
#include "support/temp_home.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

class RefineCellModelTest : public testing::TempHomeTest {
 protected:
  void SetUp() override {
    if (!fs::exists(std::string(QUORLIN_SHARED_DIR) + "/realdata")) GTEST_SKIP() << "no realdata folder";
    model.StartUp();
    ASSERT_TRUE(testing::LoadCeO2AtSynchrotron(model));
    SetUpPhase(model.pattern, model.UnitCell, 1, 12, {5.417f, 5.417f, 5.417f, 90, 90, 90});  // Fm-3m
  }
  testing::ScriptedPlatform platform;
  MainModel model{platform};
};

TEST_F(RefineCellModelTest, RefineApplyIsOneUndoStepAndTheTableFollowsTheCell) {
  RefineCellModel refine(model);
  refine.Capture();
  refine.SetRefineZero(true);
  refine.Update();
  ASSERT_FALSE(refine.Rows().empty());
  const std::string before = refine.Rows().front().calculated;

  ASSERT_TRUE(refine.Refine()) << refine.Message();
  EXPECT_NE(refine.ResultText().find("a = 5.41"), std::string::npos) << refine.ResultText();
  EXPECT_NE(refine.ResultText().find("b = 5.4"), std::string::npos);
  EXPECT_NE(refine.ResultText().find("(fixed by symmetry)"), std::string::npos);
  const int used = static_cast<int>(refine.ObservedPositions().size());
  ASSERT_GE(used, 8);

  // A row left out is measured but not used.
  int first = -1;
  for (int i = 0; i < static_cast<int>(refine.Rows().size()) && first < 0; ++i)
    if (refine.Rows()[static_cast<std::size_t>(i)].used) first = i;
  refine.SetRowUsed(first, false);
  ASSERT_TRUE(refine.Refine());
  EXPECT_EQ(static_cast<int>(refine.ObservedPositions().size()), used - 1);
  EXPECT_FALSE(refine.Rows()[static_cast<std::size_t>(first)].used);
  EXPECT_EQ(refine.Rows()[static_cast<std::size_t>(first)].note, "left out");

  // The main plot ticks each used peak at the top of the window until Apply.
  ASSERT_EQ(model.XRDPlot.ObservedTicks.size(), refine.ObservedPositions().size());
  RecordingSurface pic;
  model.XRDPlot.MakeXRDPlot(model.storedphases, pic, false, model.pattern, model.UnitCell, model.data, "",
                            model.PeakList);
  int ticks = 0;
  for (const auto& p : pic.OfKind(RecordingSurface::Kind::Line))
    if (p.colour == CXRDPlot::kObservedTickColour && p.y1 == model.XRDPlot.IMaxValue() && p.y2 < p.y1) ++ticks;
  EXPECT_EQ(ticks, used - 1);
  const std::string result = refine.ResultText();
  ASSERT_TRUE(refine.Apply());
  EXPECT_TRUE(model.XRDPlot.ObservedTicks.empty());
  // The volume's su stays with the applied cell for a marked standard.
  ASSERT_GT(model.Pressure.volumeSu, 0);
  EXPECT_FLOAT_EQ(static_cast<float>(model.Pressure.suVolume), model.UnitCell.Volume());
  EXPECT_NE(result.find("V = " + ValueWithSu({model.Pressure.suVolume, model.Pressure.volumeSu,
                                               RefinedValue::Status::Refined}).substr(0, 6)),
            std::string::npos)
      << result;
  const float refined = model.UnitCell.Edge(1, 0);
  EXPECT_NEAR(refined, 5.4116, 0.001);  // CeO2, NIST SRM 674b: 5.411651 A
  // The cell changed underneath: the table was measured again for it.
  refine.Update();
  EXPECT_FALSE(refine.HasResult());
  EXPECT_NE(refine.Rows().front().calculated, before);

  model.Undo();
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 0), 5.417f);
  model.Undo();  // the toggle: back to the refined cell
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 0), refined);

  ASSERT_TRUE(refine.Revert());
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 0), 5.417f);
  model.Undo();
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 0), refined);
}

TEST_F(RefineCellModelTest, AFailedRefinementSaysWhyAndAppliesNothing) {
  RefineCellModel refine(model);
  ASSERT_TRUE(model.XRDPlot.SetTTMin("7"));
  ASSERT_TRUE(model.XRDPlot.SetTTMax("8"));  // one line in the window
  refine.SetRefineZero(true);
  EXPECT_FALSE(refine.Refine());
  EXPECT_NE(refine.Message().find("at least"), std::string::npos) << refine.Message();
  EXPECT_FALSE(refine.Apply());
  EXPECT_FALSE(refine.SetToleranceText("abc"));
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 0), 5.417f);
}

TEST(ValueWithSu, ShowsTwoDigitsOfTheUncertaintyAndSaysWhenNothingIsKnown) {
  // Notation of Acta Cryst. (Notes for authors): su in units of the last digit.
  EXPECT_EQ(ValueWithSu({4.1568261, 0.0000123, RefinedValue::Status::Refined}), "4.156826(12)");
  EXPECT_EQ(ValueWithSu({8.02142075, 0.000000996, RefinedValue::Status::Refined}), "8.0214208(10)");
  EXPECT_EQ(ValueWithSu({90.0, 0, RefinedValue::Status::FixedBySymmetry}), "90.00000 (fixed by symmetry)");
  EXPECT_EQ(ValueWithSu({5.0, 0, RefinedValue::Status::NotDetermined}), "not determined");
}

// At 0.4066 A (low angles, cos theta near 1) a displacement cannot be told
// from the zero, and the window says so; a refinement that fails keeps the
// lines it measured in the table.
TEST_F(RefineCellModelTest, AnAbsurdResultIsWarnedAboutAndAFailureKeepsTheTable) {
  RefineCellModel refine(model);
  refine.SetRefineZero(true);
  ASSERT_TRUE(refine.Refine()) << refine.Message();
  EXPECT_EQ(refine.Message(), "");
  refine.SetRefineDisplacement(true);
  ASSERT_TRUE(refine.Refine()) << refine.Message();
  EXPECT_NE(refine.Message().find("Warning: the zero shift and the displacement correlate at"), std::string::npos)
      << refine.Message();

  // A window holding one line: too few for a, zero and displacement.
  ASSERT_TRUE(model.XRDPlot.SetTTMin("7.2"));
  ASSERT_TRUE(model.XRDPlot.SetTTMax("7.8"));
  EXPECT_FALSE(refine.Refine());
  EXPECT_NE(refine.Message().find("measured reflection"), std::string::npos) << refine.Message();
  ASSERT_EQ(refine.Rows().size(), 1u);
  EXPECT_EQ(refine.Rows()[0].hkl, "1 1 1");
  EXPECT_TRUE(refine.Rows()[0].measured);
}

}  // namespace
}  // namespace quorlin
