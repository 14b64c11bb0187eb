// A CIF structure as the working phase: one undo step, the catalogue entry,
// lines drawn at their intensities (working and stored phases, and the
// switch), the intensities through a project, and refusals that change
// nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "mainwindow/card_export.h"
#include "mainwindow/cursor_readout.h"
#include "mainwindow/main_model.h"
#include "mainwindow/scripted_platform.h"
#include "plot/recording_surface.h"
#include "reflections/catalogue.h"
#include "support/temp_path.h"

namespace quorlin {
namespace {

using testing::ScriptedPlatform;

const std::string kNaCl = std::string(QUORLIN_SOURCE_DIR) + "/tests/structure/cif/nacl.cif";
constexpr double kPi = 3.14159265358979323846;

// Height (0..1 of the window) of the line drawn at Bragg's 2-theta of d.
double HeightAt(const RecordingSurface& pic, double lambda, double d, double imax) {
  const double x = 2 * std::asin(lambda / (2 * d)) * 180 / kPi;
  double best = -1;
  for (const auto& p : pic.OfKind(RecordingSurface::Kind::Line))
    if (std::fabs(p.x1 - x) < 1e-3 && std::fabs(p.x2 - x) < 1e-3) best = std::max(best, std::max(p.y1, p.y2) / imax);
  return best;
}

struct Fixture {
  ScriptedPlatform platform;
  MainModel m{platform};
  RecordingSurface pic;
  Fixture() {
    m.data.SetLineExists(0, true);
    m.data.SetSourceIntensity(0, 1.0f);
    for (int i = 1; i < CData::kLineCount; ++i) m.data.SetLineExists(i, false);
    EXPECT_TRUE(m.XRDPlot.SetTTMin("20"));
    EXPECT_TRUE(m.XRDPlot.SetTTMax("60"));
    EXPECT_TRUE(m.XRDPlot.SetIMax("1000"));
    for (int i = 0; i < 7; ++i) m.pattern.PreviousState(i, true, true);
  }
  void Draw() {
    pic.Forget();
    m.XRDPlot.MakeXRDPlot(m.storedphases, pic, false, m.pattern, m.UnitCell, m.data, m.PatternType, m.PeakList);
  }
};

TEST(CifPhase, ImportDrawsLinesAtTheirIntensities) {
  Fixture f;
  const double lambda = f.m.data.Lambda(0);
  ASSERT_TRUE(f.m.ImportCifFile(kNaCl));
  EXPECT_EQ(f.m.CrystalSystem(), Cubic);
  EXPECT_EQ(f.m.pattern.ExtinctionNumber(), 12);
  EXPECT_EQ(f.m.UnitCell.CenteringType, CentringF);
  EXPECT_EQ(f.m.Caption, "Quorlin: Halite");
  EXPECT_EQ(f.m.pattern.PatternName, "Halite");
  f.Draw();
  // Heights by the intensities: 200 full, 220 about 0.66, 111 about 0.08;
  // 311 (2 %) kept at the minimum height.
  const struct {
    double d, height;
  } lines[] = {{2.82010, 1.0}, {1.99411, 0.658}, {3.25637, 0.081}, {1.70058, kMinimumLineHeight}};
  for (const auto& l : lines) EXPECT_NEAR(HeightAt(f.pic, lambda, l.d, 1000), l.height, 0.01) << l.d;
  // The read-out names the line with its d and intensity.
  const double x220 = 2 * std::asin(lambda / (2 * 1.99411)) * 180 / kPi;
  const auto line = LineUnderCursor(f.m, static_cast<float>(x220), 0.05f);
  ASSERT_TRUE(line.has_value());
  const std::string tip = LineToolTip(f.m, *line);
  EXPECT_NE(tip.find("2 2 0"), std::string::npos) << tip;
  EXPECT_NE(tip.find("d = 1.9941"), std::string::npos) << tip;
  EXPECT_NE(tip.find("intensity = 65.8"), std::string::npos) << tip;
  EXPECT_NE(CursorStatusText(f.m, static_cast<float>(x220)).find("intensity 65.8"), std::string::npos);

  // The same phase stored: its lines keep their heights behind the next one.
  auto& sp = f.m.storedphases;
  sp.InsertPattern(0, f.m.pattern);
  sp.InsertUnitCell(0, f.m.UnitCell);
  sp.SetStoredCrystalSystem(0, Cubic);
  sp.StoredPattern(0).Exists = sp.StoredPattern(0).Plotted = true;
  f.m.MakeStoredVectors(0);
  f.m.pattern.LineIntensities.clear();
  f.m.pattern.lmax = -1;  // no working lines
  f.Draw();
  for (const auto& l : lines) EXPECT_NEAR(HeightAt(f.pic, lambda, l.d, 1000), l.height, 0.01) << l.d;
  f.m.XRDPlot.ShowLineIntensities = false;
  f.Draw();
  for (const auto& l : lines) EXPECT_NEAR(HeightAt(f.pic, lambda, l.d, 1000), 1.0, 1e-6) << l.d;

  // One undo step back to the phase before the import.
  Fixture g;
  const std::string before = g.m.UnitCell.CellParameters(0, 1);
  ASSERT_TRUE(g.m.ImportCifFile(kNaCl));
  g.m.Undo();
  EXPECT_EQ(g.m.UnitCell.CellParameters(0, 1), before);
  EXPECT_TRUE(g.m.pattern.LineIntensities.empty());
}

TEST(CifPhase, IntensitiesTravelThroughTheProject) {
  Fixture f;
  ASSERT_TRUE(f.m.ImportCifFile(kNaCl));
  const auto saved = f.m.pattern.LineIntensities;
  ASSERT_GT(saved.size(), 5u);
  // The jcpds card of File > Export carries them, d from the cell.
  const JcpdsCard card = CurrentPhaseCard(f.m);
  ASSERT_GE(card.peaks.size(), 3u);
  EXPECT_EQ(std::make_tuple(card.peaks[1].h, card.peaks[1].k, card.peaks[1].l), std::make_tuple(2, 0, 0));
  EXPECT_NEAR(card.peaks[1].d, 2.82010, 1e-4);
  EXPECT_NEAR(card.peaks[1].intensity, 100.0, 1e-3);
  EXPECT_NEAR(card.peaks[0].intensity, 8.14, 0.01);
  PropertyBag bag;
  f.m.pattern.WriteObjectState("p.", bag);
  bag.WriteProperty("p.LineIntensity(1)", std::string("1 1 x 50"), std::string());  // damaged: skipped
  CPattern back;
  back.ReadObjectState("p.", bag);
  ASSERT_EQ(back.LineIntensities.size(), saved.size() - 1);
  EXPECT_EQ(back.LineIntensities[0].h, saved[0].h);
  EXPECT_NEAR(back.LineIntensities[0].intensity, saved[0].intensity, 1e-3);
  EXPECT_EQ(back.LineIntensities[1].h, saved[2].h);
}

TEST(CifPhase, UnusableFilesChangeNothing) {
  Fixture f;
  const auto dir = quorlin::testing::TestTempPath("cifphase");
  std::filesystem::create_directories(dir);
  const std::string bad = (dir / "bad.cif").string();
  std::ofstream(bad) << "data_x\n_cell_length_a 5\n";
  PropertyBag before;
  f.m.pattern.WriteObjectState("", before);
  const std::string cell = f.m.UnitCell.CellParameters(0, 1);
  EXPECT_FALSE(f.m.ImportCifFile(bad));
  ASSERT_EQ(f.platform.messages.size(), 1u);
  EXPECT_EQ(f.platform.messages[0].rfind(bad + ": ", 0), 0u) << f.platform.messages[0];
  PropertyBag after;
  f.m.pattern.WriteObjectState("", after);
  EXPECT_TRUE(before == after);
  EXPECT_EQ(f.m.UnitCell.CellParameters(0, 1), cell);

  // Two blocks: the user is asked, and the second one is read.
  std::ifstream in(kNaCl);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string two = (dir / "two.cif").string();
  std::string second = ss.str();
  second.replace(second.find("data_NaCl"), 9, "data_KCl");
  second.replace(second.find("'Halite'"), 8, "'Sylvite'");
  std::ofstream(two) << ss.str() << "\n" << second;
  f.platform.chosenItems.push_back(1);
  ASSERT_TRUE(f.m.ImportCifFile(two));
  EXPECT_EQ(f.m.pattern.PatternName, "Sylvite");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quorlin
