// The Powder Indexing window's model on a real pattern (NIST SRM 660 LaB6,
// Cu K-alpha): peak search, the search on its worker thread, the preview,
// Apply as one undo step, leaving out the lines of a known phase, peaks
// added by a click; on a synthetic energy-dispersive spectrum of rock salt;
// and the rhombohedral setting of an R cell.
#include "mainwindow/indexing_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "fitting/pattern_refinement.h"
#include "mainwindow/main_model.h"
#include "mainwindow/store_patterns.h"
#include "reflections/reflection_list.h"
#include "scripted_platform.h"
#include "support/synthetic_spectrum.h"
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
  EXPECT_TRUE(model.XRDPlot.PeakTicks.empty());  // only while the window is open
  w.ShowTicks();
  EXPECT_EQ(model.XRDPlot.PeakTicks.size(), w.Peaks().size());
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
    const double bragg = BraggTwoTheta(lambda, best.cell[0] / std::sqrt(n));
    const double tt = bragg + LineShift(best, bragg);
    const bool ticked = std::any_of(preview.begin(), preview.end(),
                                    [&](float x) { return std::abs(x - tt) < 0.01; });
    EXPECT_TRUE(ticked) << "h2+k2+l2 = " << n;
  }
  // ... and none for h2+k2+l2 = 7, which no cubic lattice has.
  const double seven = BraggTwoTheta(lambda, best.cell[0] / std::sqrt(7));
  EXPECT_TRUE(std::none_of(preview.begin(), preview.end(), [&](double x) { return std::abs(x - seven) < 0.3; }));
  // The plot draws the preview while a solution is selected and the window open.
  EXPECT_EQ(model.XRDPlot.PreviewLines.size(), preview.size());
  w.Select(-1);
  EXPECT_TRUE(model.XRDPlot.PreviewLines.empty());
  w.Select(0);
  w.HideTicks();
  EXPECT_TRUE(model.XRDPlot.PreviewLines.empty());
  EXPECT_TRUE(model.XRDPlot.PeakTicks.empty());
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
                        Case{IndexingOption::Tolerance, "0.02", true}, Case{IndexingOption::Sensitivity, "0", false},
                        Case{IndexingOption::Sensitivity, "6", true}}) {
    const std::string old = w.OptionText(c.option);
    EXPECT_EQ(w.SetOptionText(c.option, c.text), c.accepted) << c.text;
    EXPECT_EQ(w.OptionText(c.option), c.accepted ? std::string(c.text) : old) << c.text;
  }
  // A higher threshold keeps the strong peaks of the default search only;
  // each comes with the su of its fitted position.
  ASSERT_TRUE(w.SetOptionText(IndexingOption::Sensitivity, "4"));
  ASSERT_TRUE(w.FindPeaks());
  const std::vector<IndexingPeak> all = w.Peaks();
  for (const auto& p : all) EXPECT_TRUE(p.su > 0 && p.su < 0.2 * p.fwhm) << p.position;
  ASSERT_TRUE(w.SetOptionText(IndexingOption::Sensitivity, "60"));
  ASSERT_TRUE(w.FindPeaks());
  EXPECT_GE(w.Peaks().size(), 3u);
  EXPECT_LT(w.Peaks().size(), all.size());
  for (const auto& p : w.Peaks())
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const IndexingPeak& q) { return std::abs(q.position - p.position) < 1e-3; }))
        << p.position;

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
  w.ShowTicks();
  EXPECT_LT(model.XRDPlot.PeakTicks.size(), found);
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

  // A click beside a peak the list lacks adds the peak itself, fitted, not
  // the place clicked; a second click there adds nothing.
  const IndexingPeak strong = *std::max_element(
      w.Peaks().begin(), w.Peaks().end(), [](const IndexingPeak& a, const IndexingPeak& b) { return a.height < b.height; });
  const int at = static_cast<int>(std::find_if(w.Peaks().begin(), w.Peaks().end(), [&](const IndexingPeak& p) {
                                    return p.position == strong.position;
                                  }) - w.Peaks().begin());
  w.RemovePeak(at);
  int row = -1;
  ASSERT_TRUE(w.AddPeak(strong.position + 0.5 * strong.fwhm, &row));
  ASSERT_EQ(row, at);
  const IndexingPeak& refit = w.Peaks()[static_cast<std::size_t>(row)];
  EXPECT_NEAR(refit.position, strong.position, 0.1 * strong.fwhm);
  EXPECT_NEAR(refit.spacing, lambda / (2 * std::sin(strong.position * M_PI / 360)), 1e-4);
  EXPECT_FALSE(w.AddPeak(strong.position + 0.1 * strong.fwhm));
  EXPECT_EQ(w.Peaks().size(), found);
}

// An energy-dispersive spectrum: the peaks are found on the channels and
// indexed by their spacings (E d sin(theta) = hc/2 at the detector's angle);
// the solution has no zero shift, and its preview lies on the channels of
// its reflections.
class IndexingEnergyTest : public testing::TempHomeTest {
 protected:
  void SetUp() override {
    model.StartUp();
    std::ofstream(Path("nacl.mca")) << testing::RockSaltMca(kEdge);
    ASSERT_TRUE(model.ImportDataFile("mca", Path("nacl.mca")));
    ASSERT_EQ(model.XRDPlot.DataType(), "Energy");
  }
  static constexpr double kEdge = 5.60;
  testing::ScriptedPlatform platform;
  MainModel model{platform};
};

TEST_F(IndexingEnergyTest, SpectrumIndexesToItsFaceCentredCell) {
  IndexingWindowModel w(model);
  ASSERT_TRUE(w.FindPeaks()) << w.Message();
  ASSERT_EQ(w.Peaks().size(), std::size(testing::kNaClLines));
  for (std::size_t i = 0; i < w.Peaks().size(); ++i) {
    // Ascending channel is descending d: the lines in the card's order.
    const auto& line = testing::kNaClLines[i];
    const IndexingPeak& p = w.Peaks()[i];
    EXPECT_NEAR(p.position, testing::ChannelOf(kEdge, line.h, line.k, line.l), 0.05) << i;
    EXPECT_NEAR(p.spacing, kEdge / std::sqrt(line.h * line.h + line.k * line.k + line.l * line.l), 2e-4) << i;
  }

  // The working phase on the spectrum's lines leaves every peak out; 2 %
  // larger, none (the tolerance is read at the 6.5 degree detector).
  model.SetCrystalSystem(1);
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {5.60f, 5.60f, 5.60f, 90, 90, 90});
  w.SetLeaveOutKnownLines(true);
  EXPECT_TRUE(std::none_of(w.Peaks().begin(), w.Peaks().end(), [](const IndexingPeak& p) { return p.used; }));
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {5.71f, 5.71f, 5.71f, 90, 90, 90});
  ASSERT_TRUE(w.KnownLinesChanged());
  w.UpdateKnownLines();
  EXPECT_FALSE(w.KnownLinesChanged());
  EXPECT_TRUE(std::all_of(w.Peaks().begin(), w.Peaks().end(), [](const IndexingPeak& p) { return p.used; }));
  // A stored phase's lines count as well.
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {5.60f, 5.60f, 5.60f, 90, 90, 90});
  ASSERT_GE(StorePatternsModel(model).StoreCurrentPhase(), 0);
  SetUpPhase(model.pattern, model.UnitCell, 1, 12, {5.71f, 5.71f, 5.71f, 90, 90, 90});
  w.UpdateKnownLines();
  EXPECT_TRUE(std::none_of(w.Peaks().begin(), w.Peaks().end(), [](const IndexingPeak& p) { return p.used; }));
  w.SetLeaveOutKnownLines(false);

  // A click a channel beside the 200 line, once it is removed, adds it back.
  const double c200 = testing::ChannelOf(kEdge, 2, 0, 0);
  w.RemovePeak(1);
  int row = -1;
  ASSERT_TRUE(w.AddPeak(c200 + 1.0, &row));
  ASSERT_EQ(row, 1);
  EXPECT_NEAR(w.Peaks()[1].position, c200, 0.05);
  EXPECT_NEAR(w.Peaks()[1].spacing, kEdge / 2, 2e-4);

  for (int code = 2; code <= 7; ++code) w.SetSystem(code, false);
  ASSERT_TRUE(w.Start());
  w.Wait();
  ASSERT_FALSE(w.Solutions().empty()) << w.Message();
  const auto& best = w.Solutions().front();
  EXPECT_EQ(best.lattice, 'F');
  EXPECT_NEAR(best.cell[0], kEdge, 2e-3);
  EXPECT_EQ(w.SolutionRow(0)[7], "-");
  const auto preview = w.PreviewLines();
  auto near = [&](double channel) {
    return std::any_of(preview.begin(), preview.end(), [&](double x) { return std::abs(x - channel) < 0.5; });
  };
  for (const auto& line : testing::kNaClLines)
    EXPECT_TRUE(near(testing::ChannelOf(best.cell[0], line.h, line.k, line.l))) << line.h << line.k << line.l;
  EXPECT_FALSE(near(testing::ChannelOf(best.cell[0], 1, 0, 0)));  // F has no 100
  EXPECT_FALSE(near(testing::ChannelOf(best.cell[0], 2, 1, 0)));

  // Another detector angle changes every spacing: the peaks are stale until
  // found again, and then scale by sin(3.25 deg) / sin(3.5 deg).
  const double before = w.Peaks().front().spacing;
  model.data.edsTWO_THETA = 7.0f;
  EXPECT_TRUE(w.PatternChanged());
  ASSERT_TRUE(w.FindPeaks());
  EXPECT_FALSE(w.PatternChanged());
  EXPECT_TRUE(w.Solutions().empty());
  EXPECT_NEAR(w.Peaks().front().spacing, before * std::sin(3.25 * M_PI / 180) / std::sin(3.5 * M_PI / 180), 1e-4);
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
