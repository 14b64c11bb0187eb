// The plot between press and release: a held drag shows the cell (or
// window) its release would give without touching the model, Esc drops it,
// the wheel zooms about the cursor, the status line and tooltips name what
// is under the mouse, and a dropped file opens as the File menu would.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_home.h"
#include "mainwindow/cursor_readout.h"
#include "mainwindow/dropped_file.h"
#include "mainwindow/main_model.h"
#include "mainwindow/plot_navigation.h"
#include "phases/unit_cell_library.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlatform;

// What a view is asked for while a drag is held.
class CountingView : public IMainView {
 public:
  int previews = 0, redraws = 0;
  void PlotPreviewChanged() override { ++previews; }
  void MakeXRDPlot() override { ++redraws; }
};

class PlotFollowingTest : public testing::TempHomeTest {
 protected:
  void SetUp() override {
    m.StartUp();
    m.SetView(&view);
    // A free cubic-shaped cell of edge 5 and a 10..60 degree window.
    m.EliminateSymmetry();
    m.pattern.SetDimensionFlags(6, true);
    EXPECT_TRUE(m.UnitCell.SetCell(1, {5, 5, 5, 90, 90, 90}));
    EXPECT_TRUE(m.XRDPlot.SetTTMax("60"));
    EXPECT_TRUE(m.XRDPlot.SetTTMin("10"));
  }
  void TearDown() override { m.SetView(nullptr); }
  float Lambda() const { return m.data.Lambda(m.data.PrimaryLineIndex()); }
  float TT(int h, int k, int l) const { return m.XRDPlot.TTFromD(Lambda(), m.UnitCell.hklDSpacing(h, k, l)); }
  // Both lattices' six parameters as the cell editor shows them.
  static std::array<std::string, 12> Parameters(const CUnitCell& c) {
    std::array<std::string, 12> p;
    for (int i = 0; i < 6; ++i) {
      p[static_cast<std::size_t>(i)] = c.CellParameters(i, 1);
      p[static_cast<std::size_t>(i + 6)] = c.CellParameters(i, -1);
    }
    return p;
  }

  ScriptedPlatform platform;
  CountingView view;
  MainModel m{platform};
};

TEST_F(PlotFollowingTest, TheTrialShownDuringADragIsTheCellTheReleaseCommits) {
  struct Case {
    std::int16_t mode;
    bool snap;
    int h, k, l;
    float shift;  // degrees the mouse moves from the line
  };
  // Each mode, and snap (the release then ignores the mouse position).
  const Case cases[] = {{kCellEdge, false, 2, 1, 0, 0.8f},  {kCellEdge, false, 1, 1, 1, -1.5f},
                        {kVolume, false, 1, 1, 0, 1.2f},    {kFullStrain, false, 1, 1, 1, -0.7f},
                        {kFullStrain, false, 2, 1, 1, 0.4f}, {kCellEdge, true, 1, 1, 0, 2.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " hkl " << c.h << c.k << c.l);
    ASSERT_TRUE(m.UnitCell.SetCell(1, {5, 5.2f, 5.5f, 90, 90, 90}));
    m.SetMouseMode(c.mode);
    m.SetSnap(c.snap);
    const float x = TT(c.h, c.k, c.l);
    m.PlotMouseDown(MouseButton::Left, x, 100);
    ASSERT_FALSE(m.DraggedReflections().empty());
    const auto atPress = Parameters(m.UnitCell);
    const std::int32_t changes = m.UnitCell.NumberOfChanges();
    view.previews = view.redraws = 0;
    m.PlotMouseMove(MouseButton::Left, x + c.shift / 2, 120);
    m.PlotMouseMove(MouseButton::Left, x + c.shift, 130);
    ASSERT_NE(m.Gesture().PreviewCell(), nullptr);
    EXPECT_EQ(view.previews, 2) << "each move asks for the trial to be shown";
    EXPECT_EQ(view.redraws, 0) << "a move is no model change";
    EXPECT_EQ(Parameters(m.UnitCell), atPress) << "the model keeps its cell while the drag is held";
    EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes);
    const auto trial = Parameters(*m.Gesture().PreviewCell());
    if (!c.snap) {
      EXPECT_NE(trial, atPress);
    }

    m.PlotMouseUp(MouseButton::Left, x + c.shift, 130);
    EXPECT_EQ(Parameters(m.UnitCell), trial) << "the release commits exactly the trial";
    EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes + 1) << "one history entry";
    EXPECT_EQ(m.Gesture().PreviewCell(), nullptr);
    // One undo step: Undo returns to the cell at the press.
    m.Undo();
    EXPECT_EQ(Parameters(m.UnitCell), atPress);
    m.SetSnap(false);
  }
}

TEST_F(PlotFollowingTest, EscRestoresTheExactCellAndWindowAndWritesNoHistory) {
  // Full Strain frees an a = b cell at the press; Esc puts the restriction back.
  ASSERT_TRUE(m.UnitCell.SetCell(1, {5, 5, 6, 90, 90, 90}));
  m.UnitCell.SetCellShape(1);
  for (std::int16_t mode : {kCellEdge, kVolume, kFullStrain, kHand}) {
    SCOPED_TRACE(mode);
    m.SetMouseMode(mode);
    const auto before = Parameters(m.UnitCell);
    const std::int32_t shape = m.UnitCell.CellShape(), changes = m.UnitCell.NumberOfChanges();
    const float lo = m.XRDPlot.SngTTMin(), hi = m.XRDPlot.SngTTMax();
    const bool back = m.XRDPlot.BackwardOK;
    const float x = TT(1, 1, 1);
    m.PlotMouseDown(MouseButton::Left, x, 100);
    m.PlotMouseMove(MouseButton::Left, x + 1.0f, 300);
    EXPECT_TRUE(m.Gesture().PreviewCell() != nullptr || m.Gesture().PreviewPlot() != nullptr);
    view.previews = 0;
    m.CancelPlotGesture();
    EXPECT_FALSE(m.ButtonDown());
    EXPECT_EQ(m.Gesture().PreviewCell(), nullptr);
    EXPECT_EQ(m.Gesture().PreviewPlot(), nullptr);
    EXPECT_EQ(Parameters(m.UnitCell), before);
    EXPECT_EQ(m.UnitCell.CellShape(), shape);
    EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes);
    EXPECT_EQ(m.XRDPlot.SngTTMin(), lo);
    EXPECT_EQ(m.XRDPlot.SngTTMax(), hi);
    EXPECT_EQ(m.XRDPlot.BackwardOK, back) << "no window history entry";
    // The release of the held button after Esc does nothing.
    m.PlotMouseUp(MouseButton::Left, x + 1.0f, 300);
    EXPECT_EQ(Parameters(m.UnitCell), before);
    EXPECT_EQ(m.XRDPlot.SngTTMin(), lo);
  }
}

TEST_F(PlotFollowingTest, AHandDragMovesThePictureWithTheMouseAndTheReleaseLandsThere) {
  m.SetMouseMode(kHand);
  m.PlotMouseDown(MouseButton::Left, 30, 500);
  m.PlotMouseMove(MouseButton::Left, 34, 400);
  const CXRDPlot* trial = m.Gesture().PreviewPlot();
  ASSERT_NE(trial, nullptr);
  // Dragged 4 degrees right and 100 counts down: the window goes the other way.
  EXPECT_FLOAT_EQ(trial->SngTTMin(), 6.0f);
  EXPECT_FLOAT_EQ(trial->SngTTMax(), 56.0f);
  EXPECT_EQ(trial->IMinValue(), m.XRDPlot.IMinValue() + 100);
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 10.0f) << "the model's window waits for the release";
  const float tLo = trial->SngTTMin(), tHi = trial->SngTTMax();
  const std::string tImin = trial->imin();
  m.PlotMouseUp(MouseButton::Left, 34, 400);
  EXPECT_EQ(m.XRDPlot.SngTTMin(), tLo);
  EXPECT_EQ(m.XRDPlot.SngTTMax(), tHi);
  EXPECT_EQ(m.XRDPlot.imin(), tImin);
  EXPECT_TRUE(m.XRDPlot.BackwardOK);
}

TEST(ZoomAbout, KeepsTheCursorWhereItIsAndStopsAtTheBounds) {
  struct Case {
    float lo, hi, x;
    int steps;
    bool zooms;
    float newLo, newHi;
  };
  // Worked by hand with 0.8 per step: 20 - 10*0.8 = 12, 20 + 20*0.8 = 36;
  // out: 20 - 10*1.25 = 7.5, 20 + 20*1.25 = 45; two steps in: 0.64.
  const Case cases[] = {
      {10, 40, 20, 1, true, 12, 36},
      {10, 40, 20, -1, true, 7.5f, 45},
      {10, 40, 20, 2, true, 13.6f, 32.8f},
      {1, 179, 90, -1, true, 0.001f, 179.99f},  // cut at the absolute bounds
      {0.001f, 179.99f, 50, -1, false, 0, 0},    // already everything
      {20, 20.024f, 20.01f, 1, false, 0, 0},     // narrower than 0.02
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.lo << ".." << c.hi << " at " << c.x << " steps " << c.steps);
    auto w = ZoomAbout(c.lo, c.hi, c.x, c.steps, 0.001f, 179.99f);
    ASSERT_EQ(w.has_value(), c.zooms);
    if (!w) continue;
    EXPECT_NEAR(w->first, c.newLo, 1e-4);
    EXPECT_NEAR(w->second, c.newHi, 1e-4);
  }
}

TEST_F(PlotFollowingTest, AWheelStepZoomsAboutTheCursorAsOneHistoryEntryAndUndoStep) {
  m.XRDPlot.StartHistory();
  const float x = 22.5f;
  const double fraction = (x - 10.0) / 50.0;
  view.redraws = 0;
  ASSERT_TRUE(m.WheelZoom(x, 1));
  EXPECT_EQ(view.redraws, 1);
  const float lo = m.XRDPlot.SngTTMin(), hi = m.XRDPlot.SngTTMax();
  EXPECT_NEAR(hi - lo, 50.0 * kWheelZoomFactor, 1e-4);
  EXPECT_NEAR((x - lo) / (hi - lo), fraction, 1e-5) << "the cursor's x stays under the cursor";
  EXPECT_EQ(m.PlotLimits[0], "12.5");  // 22.5 - 12.5 * 0.8
  ASSERT_TRUE(m.XRDPlot.BackwardOK);
  // Two steps at once are two entries: back twice reaches the start.
  ASSERT_TRUE(m.WheelZoom(x, -2));
  m.PlotHistory(1);
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 22.5f - 12.5f * 0.8f * 1.25f);
  m.PlotHistory(1);
  m.PlotHistory(1);
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 10.0f);
  EXPECT_FALSE(m.XRDPlot.BackwardOK);
  // Undo takes back one step.
  m.PlotHistory(3);
  m.WheelZoom(x, 1);
  const float zoomedLo = m.XRDPlot.SngTTMin();
  m.Undo();
  EXPECT_NE(m.XRDPlot.SngTTMin(), zoomedLo);
  // No zoom while a gesture is held.
  m.PlotMouseDown(MouseButton::Left, 30, 100);
  EXPECT_FALSE(m.WheelZoom(30, 1));
  m.CancelPlotGesture();
}

TEST_F(PlotFollowingTest, TheReadOutNamesThePositionItsSpacingTheIntensityAndTheNearestLine) {
  // Cu K-alpha1 (1.540562 A) on 200 of a = 5 (d = 2.5): Bragg's law by hand,
  // 2 asin(1.540562 / 5) = 35.8913 degrees.
  const float tt200 = TT(2, 0, 0);
  ASSERT_NEAR(tt200, 35.8913, 2e-3);
  // A three-point pattern: at 35.9 the intensity lies 0.9 of the way from
  // 100 (at 35.0) to 200 (at 36.0): 190.
  m.data.SetNChan(3);
  const float xs[] = {35, 36, 37};
  const double is[] = {100, 200, 400};
  for (int i = 0; i < 3; ++i) {
    m.data.SetTwoTheta(i, xs[i]);
    m.data.SetIntensity(i, is[i]);
  }
  EXPECT_NEAR(*MeasuredIntensityAt(m.data, 35.9f), 190.0, 1e-3);
  EXPECT_FALSE(MeasuredIntensityAt(m.data, 34.0f).has_value());

  const std::string text = CursorStatusText(m, 35.9f);
  EXPECT_NE(text.find("2θ = 35.900°"), std::string::npos) << text;
  // d at 35.9 degrees: 1.540562 / (2 sin 17.95 deg) = 2.49944.
  EXPECT_NE(text.find("d = 2.4994 Å"), std::string::npos) << text;
  EXPECT_NE(text.find("I = 190"), std::string::npos) << text;
  auto line = NearestDrawnLine(m, 35.9f);
  ASSERT_TRUE(line.has_value());
  EXPECT_NEAR(line->d, 2.5, 1e-5);
  EXPECT_EQ(std::abs(line->hkl[0]) + std::abs(line->hkl[1]) + std::abs(line->hkl[2]), 2);
  EXPECT_NE(text.find("at 35.891°"), std::string::npos) << text;
}

TEST_F(PlotFollowingTest, TheTooltipPicksTheLineUnderTheMouseWhicheverSourceLineAndPhaseDrewIt) {
  // With K-alpha2 on, the K-alpha2 line of 200 is its own drawn line.
  const int a2 = 1;
  m.data.SetLineExists(a2, true);
  const float at2 = m.XRDPlot.TTFromD(m.data.Lambda(a2), 2.5f);
  const float tol = 0.02f;
  auto hit = LineUnderCursor(m, at2 + 0.9f * tol, tol);
  ASSERT_TRUE(hit.has_value());
  EXPECT_FLOAT_EQ(hit->position, at2);
  EXPECT_EQ(hit->slot, -1);
  EXPECT_FALSE(LineUnderCursor(m, at2 + 1.5f * tol, tol).has_value());

  // A stored phase of edge 4.3 in slot 2: its 111 (d = 4.3 / sqrt 3) names it.
  CUnitCell cell = m.UnitCell;
  ASSERT_TRUE(cell.SetCell(1, {4.3f, 4.3f, 4.3f, 90, 90, 90}));
  CPattern stored = m.pattern;
  stored.Exists = stored.Plotted = true;
  stored.PatternName = "periclase";
  m.storedphases.SetStoredUnitCell(2, cell);
  m.storedphases.SetStoredPattern(2, stored);
  m.MakeStoredVectors(2);
  const float d111 = 4.3f / std::sqrt(3.0f);
  const float x111 = m.XRDPlot.TTFromD(Lambda(), d111);
  auto phase = LineUnderCursor(m, x111 + 0.005f, tol);
  ASSERT_TRUE(phase.has_value());
  EXPECT_EQ(phase->slot, 2);
  EXPECT_NEAR(phase->d, d111, 1e-4);
  EXPECT_EQ(std::abs(phase->hkl[0]) + std::abs(phase->hkl[1]) + std::abs(phase->hkl[2]), 3);
  const std::string tip = LineToolTip(m, *phase);
  EXPECT_NE(tip.find("d = 2.4826 Å"), std::string::npos) << tip;  // 4.3 / sqrt 3
  EXPECT_NE(tip.find("phase: periclase"), std::string::npos) << tip;
  EXPECT_EQ(LineToolTip(m, *hit).find("phase"), std::string::npos);
}

TEST_F(PlotFollowingTest, ADroppedFileOpensAsTheFileMenuWouldAndABadOneGetsOneMessage) {
  const std::string real = QUORLIN_SHARED_DIR "/realdata/";
  struct Case {
    std::string path, type;
  };
  ASSERT_TRUE(m.ProjectSaveFile((home / "saved.prb").string()));
  fs::copy_file(home / "saved.prb", home / "renamed.bin");
  const Case cases[] = {{real + "gsas/PBSO4.XRA", "gsa"},
                        {real + "chi/cu.chi", "chi"},
                        {real + "mca/COSI_021_0001.med", "mca"},
                        {real + "xy/nacl01.dat", "xy"},
                        {real + "jcpds/dioptas-tests/re.jcpds", "jcpds"},
                        {(home / "saved.prb").string(), "project"},
                        {(home / "renamed.bin").string(), "project"}};
  for (const Case& c : cases) {
    std::ifstream in(c.path, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), 4096);
    head.resize(static_cast<std::size_t>(in.gcount()));
    EXPECT_EQ(DroppedFileType(c.path, head), c.type) << c.path;
  }

  ASSERT_TRUE(OpenDroppedFile(m, real + "chi/feooh.chi"));
  EXPECT_TRUE(m.DataOpened());
  EXPECT_EQ(m.PatternDataFileType, "chi");

  // Files no reader takes (a CHI file our reader refuses, bytes that are no
  // pattern): one message each, and the pattern is still there.
  std::ofstream(home / "junk.bin") << "\x01\x02 not a pattern \x7f";
  const auto points = m.data.NChan();
  for (const std::string& bad : {real + "chi/cu.chi", (home / "junk.bin").string()}) {
    platform.messages.clear();
    EXPECT_FALSE(OpenDroppedFile(m, bad));
    EXPECT_EQ(platform.messages.size(), 1u) << bad;
    EXPECT_EQ(m.data.NChan(), points);
  }
  // A file that is gone: one message, and the state is not reset.
  platform.messages.clear();
  EXPECT_FALSE(OpenDroppedFile(m, (home / "gone.prb").string()));
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(m.data.NChan(), points);
}

// A unit-cell library shares the project's container, so a double-clicked
// .ucl must not be read as a project: it becomes the database's file, as one
// undo step, and a damaged one is refused without touching the model.
TEST_F(PlotFollowingTest, ADroppedLibraryBecomesTheDatabaseFileAndADamagedOneIsRefused) {
  UnitCellLibrary library;
  library.Entry(0, 0) = {"halite", 1, 12, {5.64f, 5.64f, 5.64f, 90, 90, 90}};
  const std::string good = (home / "cells.UCL").string();
  library.WriteFile(good);
  std::ifstream in(good, std::ios::binary);
  const std::string head((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(DroppedFileType(good, head), "library");

  const std::string before = m.UnitCellFileName;
  const auto cell = Parameters(m.UnitCell);
  ASSERT_TRUE(OpenDroppedFile(m, good));
  EXPECT_EQ(m.UnitCellFileName, good);
  EXPECT_EQ(Parameters(m.UnitCell), cell);
  EXPECT_EQ(UnitCellLibrary::ReadFile(m.UnitCellFileName), library);
  m.Undo();
  EXPECT_EQ(m.UnitCellFileName, before);

  const std::string damaged = (home / "damaged.ucl").string();
  std::ofstream(damaged, std::ios::binary) << head.substr(0, head.size() / 2);
  platform.messages.clear();
  EXPECT_FALSE(OpenDroppedFile(m, damaged));
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(m.UnitCellFileName, before);
}

}  // namespace
}  // namespace quorlin
