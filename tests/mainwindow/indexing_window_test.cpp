// The Powder Indexing window's model on a real pattern (NIST SRM 660 LaB6,
// Cu K-alpha): peak search, the search on its worker thread, the preview,
// Apply as one undo step, leaving out the lines of a known phase, and the
// rhombohedral setting of an R cell.
#include "mainwindow/indexing_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "fitting/pattern_refinement.h"
#include "mainwindow/main_model.h"
#include "reflections/reflection_list.h"
#include "scripted_platform.h"
#include "support/temp_home.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

constexpr double kLaB6 = 4.15689;  // NIST SRM 660a certificate, Angstrom

double BraggTwoTheta(double lambda, double d) { return 2 * std::asin(lambda / (2 * d)) * 180 / M_PI; }

class IndexingWindowModelTest : public testing::TempHomeTest {
 protected:
  void SetUp() override {
    const fs::path file = fs::path(QUORLIN_SHARED_DIR) / "realdata/gsas/NIST660CBI.gsas";
    if (!fs::exists(file)) GTEST_SKIP() << "no shared data";
    model.StartUp();
    ASSERT_TRUE(model.ImportDataFile("gsa", file.generic_string()));
    SetTubeSource(model.data, "Cu");  // K-alpha1 and K-alpha2, as measured
  }
  testing::ScriptedPlatform platform;
  MainModel model{platform};
};

TEST_F(IndexingWindowModelTest, IndexThenApplyGivesTheCubicPCellAsOneUndoStep) {
  // A tetragonal working cell, which Apply must replace whole.
  model.SetCrystalSystem(4);
  SetUpPhase(model.pattern, model.UnitCell, 4, 0, {5.0f, 5.0f, 7.0f, 90, 90, 90});
  const float before[2] = {model.UnitCell.Edge(1, 0), model.UnitCell.Edge(1, 2)};
  IndexingWindowModel w(model);
  ASSERT_TRUE(w.FindPeaks());
  ASSERT_GE(w.Peaks().size(), 15u);
  EXPECT_EQ(model.XRDPlot.ObservedTicks.size(), w.Peaks().size());
  EXPECT_FALSE(w.Apply());  // nothing chosen yet: nothing changes
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 2), before[1]);

  ASSERT_TRUE(w.Start());
  EXPECT_TRUE(w.Running());
  w.Wait();
  ASSERT_FALSE(w.Solutions().empty()) << w.Message();
  const auto& best = w.Solutions().front();
  EXPECT_EQ(best.system, 1);
  EXPECT_EQ(best.lattice, 'P');
  EXPECT_NEAR(best.cell[0], kLaB6, 0.003);
  EXPECT_EQ(w.SolutionRow(0)[1], "cubic");
  EXPECT_EQ(w.Selected(), 0);
  // The preview holds a tick at every found peak of the pattern (Bragg's law
  // for the first lines of a primitive cubic cell, checked independently).
  const double lambda = model.data.Lambda(model.data.PrimaryLineIndex());
  const auto preview = w.PreviewLines();
  for (int n : {1, 2, 3, 4, 5, 6, 8, 9}) {
    const double tt = BraggTwoTheta(lambda, best.cell[0] / std::sqrt(n)) + best.zero;
    const bool ticked = std::any_of(preview.begin(), preview.end(),
                                    [&](float x) { return std::abs(x - tt) < 0.01; });
    EXPECT_TRUE(ticked) << "h2+k2+l2 = " << n;
  }
  // ... and none for h2+k2+l2 = 7, which no cubic lattice has.
  const double seven = BraggTwoTheta(lambda, best.cell[0] / std::sqrt(7)) + best.zero;
  EXPECT_TRUE(std::none_of(preview.begin(), preview.end(), [&](double x) { return std::abs(x - seven) < 0.3; }));
  ASSERT_FALSE(w.Extinctions().empty());
  ASSERT_EQ(w.SelectedExtinction(), 0);
  EXPECT_EQ(w.Extinctions().front().number, 0);  // P---: Pm-3m, LaB6's group
  EXPECT_NE(w.Extinctions().front().spaceGroups.find("Pm-3m"), std::string::npos);

  ASSERT_TRUE(w.Apply());
  EXPECT_EQ(model.CrystalSystem(), 1);
  EXPECT_EQ(model.pattern.ExtinctionNumber(), 0);
  EXPECT_NEAR(model.UnitCell.Edge(1, 0), best.cell[0], 1e-4);
  EXPECT_NEAR(model.UnitCell.Edge(1, 2), best.cell[0], 1e-4);
  model.Undo();
  EXPECT_EQ(model.CrystalSystem(), 4);
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 0), before[0]);
  EXPECT_FLOAT_EQ(model.UnitCell.Edge(1, 2), before[1]);
}

TEST_F(IndexingWindowModelTest, CancelLeavesNoSolutionsAndBadOptionsAreRefused) {
  IndexingWindowModel w(model);
  ASSERT_TRUE(w.FindPeaks());
  // Every system, so that the search runs long enough to be cancelled.
  ASSERT_TRUE(w.Start());
  w.Cancel();
  w.Wait();
  EXPECT_FALSE(w.Running());
  EXPECT_TRUE(w.Solutions().empty());
  EXPECT_EQ(w.Message(), "Cancelled.");

  struct Case {
    IndexingOption option;
    const char* text;
    bool accepted;
  };
  for (const Case& c : {Case{IndexingOption::MaxVolume, "2000", true}, Case{IndexingOption::MaxVolume, "0", false},
                        Case{IndexingOption::Impurities, "2", true}, Case{IndexingOption::Impurities, "1.5", false},
                        Case{IndexingOption::ZeroRange, "-0.1", false}, Case{IndexingOption::Tolerance, "abc", false},
                        Case{IndexingOption::Tolerance, "0.02", true}}) {
    const std::string old = w.OptionText(c.option);
    EXPECT_EQ(w.SetOptionText(c.option, c.text), c.accepted) << c.text;
    EXPECT_EQ(w.OptionText(c.option), c.accepted ? std::string(c.text) : old) << c.text;
  }
  for (int code = 1; code <= 7; ++code) w.SetSystem(code, false);
  EXPECT_FALSE(w.Start());  // no system to search
  EXPECT_FALSE(w.Running());
}

TEST_F(IndexingWindowModelTest, PeaksOnAKnownPhaseAreLeftOutAndAddedPeaksKeepOrder) {
  IndexingWindowModel w(model);
  ASSERT_TRUE(w.FindPeaks());
  const std::size_t found = w.Peaks().size();
  // The working phase is LaB6 itself: every strong LaB6 peak is known.
  model.SetCrystalSystem(1);
  SetUpPhase(model.pattern, model.UnitCell, 1, 0, {4.1569f, 4.1569f, 4.1569f, 90, 90, 90});
  w.SetPeakUsed(0, false);  // the user's own choice outlives the option
  // The pattern sits about 0.09 degrees off its lines (zero shift).
  ASSERT_TRUE(w.SetOptionText(IndexingOption::Tolerance, "0.15"));
  w.SetLeaveOutKnownLines(true);
  const double lambda = model.data.Lambda(model.data.PrimaryLineIndex());
  for (int n : {1, 2, 3}) {
    const double tt = BraggTwoTheta(lambda, 4.1569 / std::sqrt(n));
    const auto at = std::find_if(w.Peaks().begin(), w.Peaks().end(),
                                 [&](const IndexingPeak& p) { return std::abs(p.position - tt) < 0.15; });
    ASSERT_NE(at, w.Peaks().end()) << n;
    EXPECT_TRUE(at->known);
    EXPECT_FALSE(at->used);
  }
  EXPECT_LT(model.XRDPlot.ObservedTicks.size(), found);
  w.SetLeaveOutKnownLines(false);
  EXPECT_FALSE(w.Peaks().front().used);
  EXPECT_TRUE(std::all_of(w.Peaks().begin() + 1, w.Peaks().end(), [](const IndexingPeak& p) { return p.used; }));

  // A click adds a peak in order; outside the pattern nothing is added.
  EXPECT_FALSE(w.AddPeak(-5));
  ASSERT_TRUE(w.AddPeak(40.0));
  ASSERT_EQ(w.Peaks().size(), found + 1);
  EXPECT_TRUE(std::is_sorted(w.Peaks().begin(), w.Peaks().end(),
                             [](const IndexingPeak& a, const IndexingPeak& b) { return a.position < b.position; }));
  const auto added = std::find_if(w.Peaks().begin(), w.Peaks().end(), [](const IndexingPeak& p) { return p.added; });
  ASSERT_NE(added, w.Peaks().end());
  w.RemovePeak(static_cast<int>(added - w.Peaks().begin()));
  EXPECT_EQ(w.Peaks().size(), found);
}

TEST(RhombohedralFromHexagonal, GivesThePublishedRhombohedralCells) {
  struct Case {
    const char* name;
    double a, c, ar, alpha;
  };
  // Published rhombohedral settings (International Tables; Wyckoff).
  for (const Case& k : {Case{"corundum", 4.7589, 12.991, 5.1284, 55.28}, Case{"calcite", 4.9896, 17.061, 6.3753, 46.08}}) {
    const auto r = RhombohedralFromHexagonal(k.a, k.c);
    EXPECT_NEAR(r[0], k.ar, 0.002) << k.name;
    EXPECT_NEAR(r[2], k.ar, 0.002) << k.name;
    EXPECT_NEAR(r[3], k.alpha, 0.02) << k.name;
    EXPECT_NEAR(r[5], k.alpha, 0.02) << k.name;
  }
}

}  // namespace
}  // namespace quorlin
