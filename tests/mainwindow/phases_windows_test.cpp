// The models of the stored-phases and unit-cell database windows over a real
// main model: slots filled lowest first, selection, load and delete, colours,
// stored phases through project files and Undo; the library's entries,
// add/remove/revert, the changed-mark question and damaged or unwritable
// files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_home.h"
#include "mainwindow/card_export.h"
#include "mainwindow/store_patterns.h"
#include "mainwindow/unit_cell_database.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlatform;

class PhasesTest : public testing::TempHomeTest {
 protected:
  void SetUp() override {
    model = std::make_unique<MainModel>(platform);
    model->StartUp();
  }
  void TearDown() override { model.reset(); }
  void Cubic(float a) {
    model->SetCrystalSystem(1);
    model->pattern.SetExtinctionNumber(0, &model->UnitCell);
    ASSERT_TRUE(model->UnitCell.SetCell(1, {a, a, a, 90, 90, 90}));
  }
  float Direct(int p) const { return std::stof(model->UnitCell.CellParameters(p, 1)); }
  // The largest spacing a slot draws (0 when it draws none).
  float LargestLine(const MainModel& m, int slot) const {
    float d = 0;
    for (int k = 1; k <= MainModel::kStoredLines; ++k) d = std::max(d, m.storedphases.StoredLinePosition(slot, k));
    return d;
  }

  ScriptedPlatform platform;
  std::unique_ptr<MainModel> model;
};

TEST_F(PhasesTest, StoringFillsTheLowestFreeSlotAndNamesUnnamedPhases) {
  StorePatternsModel w(*model);
  Cubic(4.0f);
  EXPECT_EQ(w.StoreCurrentPhase(), 0);
  EXPECT_EQ(w.SlotCaption(0), "1: Pattern 1");
  EXPECT_EQ(model->pattern.PatternName, "Pattern 1");  // the current phase keeps the name
  EXPECT_EQ(w.StoreCurrentPhase(), 1);
  EXPECT_EQ(w.SlotCaption(1), "2: Pattern 1");
  // Stored lines are the cell's: a cubic P cell of a = 4 draws 100 at d = 4.
  EXPECT_FLOAT_EQ(LargestLine(*model, 0), 4.0f);

  w.SlotClicked(1, false);  // selects slot 1
  w.Delete();
  EXPECT_EQ(w.Selected(), -1);
  EXPECT_FALSE(w.SlotEnabled(1));
  model->pattern.PatternName.clear();
  EXPECT_EQ(w.StoreCurrentPhase(), 1);
  EXPECT_EQ(w.SlotCaption(1), "2: Pattern 2");

  model->pattern.PatternName = "corundum";
  for (int expected : {2, 3, 4}) EXPECT_EQ(w.StoreCurrentPhase(), expected);
  EXPECT_EQ(w.SlotCaption(4), "5: corundum");
  PropertyBag before;
  model->WriteStateToPb(before);
  EXPECT_EQ(w.StoreCurrentPhase(), -1);  // all five taken: nothing changes
  PropertyBag after;
  model->WriteStateToPb(after);
  EXPECT_TRUE(before == after);
}

TEST_F(PhasesTest, StoredPhasesSurviveSaveReopenAndUndo) {
  StorePatternsModel w(*model);
  Cubic(4.0f);
  model->pattern.PatternName = "Au";
  w.StoreCurrentPhase();
  model->EliminateSymmetry();  // crystal system 8
  ASSERT_TRUE(model->UnitCell.SetCell(1, {3, 4, 5, 90, 90, 90}));
  model->pattern.PatternName = "free";
  w.StoreCurrentPhase();
  platform.chosenColors.push_back(0x00FF00u);
  w.ColourClicked(1);
  ASSERT_TRUE(model->ProjectSaveFile(Path("two.prb")));

  ScriptedPlatform platform2;
  MainModel reopened(platform2);
  reopened.StartUp();
  ASSERT_TRUE(reopened.ProjectOpenFile(Path("two.prb")));
  StorePatternsModel w2(reopened);
  EXPECT_EQ(w2.SlotCaption(0), "1: Au");
  EXPECT_EQ(w2.SlotCaption(1), "2: free");
  EXPECT_EQ(reopened.storedphases.StoredCrystalSystem(1), 8);
  EXPECT_EQ(w2.SlotColour(1), 0x00FF00);
  // Lines are rebuilt from the stored cell on reading: 100 of a = 4 and of a = 3.
  EXPECT_FLOAT_EQ(LargestLine(reopened, 0), 4.0f);
  EXPECT_FLOAT_EQ(LargestLine(reopened, 1), 5.0f);

  // The menu writes the undo record as the window opens; Undo takes back
  // what was stored since, and Undo again brings it back with its lines.
  reopened.WriteUndoRecord();
  reopened.pattern.PatternName = "third";
  w2.StoreCurrentPhase();
  reopened.Undo();
  EXPECT_FALSE(w2.SlotEnabled(2));
  EXPECT_TRUE(w2.SlotEnabled(1));
  reopened.Undo();
  EXPECT_EQ(w2.SlotCaption(2), "3: third");
  EXPECT_GT(LargestLine(reopened, 2), 0.0f);
}

// A slot hidden when the project was saved has no lines after reading (they
// are not saved): showing it again must draw it.
TEST_F(PhasesTest, ShowingASlotHiddenAtSaveDrawsItsLines) {
  StorePatternsModel w(*model);
  Cubic(4.0f);
  w.StoreCurrentPhase();
  w.SlotClicked(0, false);
  w.SlotClicked(0, false);  // selected: now hidden
  ASSERT_TRUE(model->ProjectSaveFile(Path("hidden.prb")));
  ASSERT_TRUE(model->ProjectOpenFile(Path("hidden.prb")));
  StorePatternsModel w2(*model);
  w2.SlotClicked(0, true);
  w2.SlotClicked(0, true);
  EXPECT_FLOAT_EQ(LargestLine(*model, 0), 4.0f);
}

// A card refined at pressure and passed on: the card's rows and K0 stay, d
// follows the new cell (hexagonal 1/d^2 = 4(h^2+hk+k^2)/(3a^2) + l^2/c^2,
// International Tables Vol. C Table 1.1.2).
TEST_F(PhasesTest, ACardPhaseIsWrittenWithItsOwnRowsAndNewSpacings) {
  const std::string card = std::string(QUORLIN_SHARED_DIR) + "/realdata/jcpds/dioptas-tests/re.jcpds";
  if (!fs::exists(card)) GTEST_SKIP() << "no shared data";
  ASSERT_TRUE(model->ImportDataFile("jcpds", card));
  ASSERT_TRUE(model->UnitCell.SetCell(1, {2.7f, 2.7f, 4.4f, 90, 90, 120}));
  JcpdsCard written = CurrentPhaseCard(*model);
  EXPECT_EQ(written.crystalSystem, 2);
  EXPECT_EQ(written.K0, 433.8f);
  ASSERT_EQ(written.peaks.size(), 20u);
  EXPECT_EQ(written.peaks[2].intensity, 100.0f);
  for (const JcpdsPeak& p : written.peaks)
    EXPECT_NEAR(p.d, 1 / std::sqrt(4.0 / 3.0 * (p.h * p.h + p.h * p.k + p.k * p.k) / 7.29 + p.l * p.l / 19.36), 2e-6);
}

void WriteLibrary(const std::string& path) {
  UnitCellLibrary lib;
  lib.SetGroupName(1, "minerals");
  lib.Entry(1, 0) = {"quartz", 3, -1, {4.9134f, 4.9134f, 5.4052f, 90, 90, 120}};
  lib.Entry(1, 1) = {"NaCl", 1, 12, {5.6402f, 5.6402f, 5.6402f, 90, 90, 90}};
  // An obtuse triclinic cell: set one angle at a time from the acute cell
  // 60, 60, 60, it would pass through 120, 60, 60, which cannot exist.
  lib.Entry(1, 2) = {"obtuse", 7, -1, {5, 5, 5, 100, 110, 120}};
  lib.WriteFile(path);
}

TEST_F(PhasesTest, ChoosingAnEntryAppliesItAndRevertRestoresTheStart) {
  model->EliminateSymmetry();
  ASSERT_TRUE(model->UnitCell.SetCell(1, {5, 5, 5, 60, 60, 60}));
  model->pattern.PatternName = "start";
  WriteLibrary(model->UnitCellFileName);
  UnitCellDatabaseModel w(*model);
  w.Open();
  EXPECT_EQ(w.EntryText(1, 1), "2. NaCl");
  EXPECT_EQ(w.EntryText(0, 2), "3. .");
  EXPECT_EQ(w.NameText(), "start");

  w.ChooseEntry(1, 1);
  EXPECT_EQ(model->CrystalSystem(), 1);
  EXPECT_EQ(model->pattern.ExtinctionNumber(), 12);
  EXPECT_EQ(model->pattern.PatternName, "NaCl");
  EXPECT_FLOAT_EQ(Direct(2), 5.6402f);
  EXPECT_TRUE(w.RemoveEnabled());
  EXPECT_TRUE(w.RevertEnabled());

  w.ChooseEntry(1, 0);  // extinction -1: hand-made conditions
  EXPECT_EQ(model->CrystalSystem(), 3);
  EXPECT_EQ(model->pattern.ExtinctionNumber(), -1);
  EXPECT_FLOAT_EQ(Direct(5), 120.0f);

  w.Revert();
  EXPECT_EQ(model->CrystalSystem(), 8);
  for (int p = 3; p < 6; ++p) EXPECT_FLOAT_EQ(Direct(p), 60.0f);

  w.ChooseEntry(1, 2);  // applied whole, not refused half-way
  EXPECT_FLOAT_EQ(Direct(3), 100.0f);
  EXPECT_FLOAT_EQ(Direct(4), 110.0f);
  EXPECT_FLOAT_EQ(Direct(5), 120.0f);
}

TEST_F(PhasesTest, AddingSetsTheChangedMarkAndClosingAsks) {
  UnitCellDatabaseModel w(*model);
  model->UnitCellFileName = Path("lab.ucl");
  Cubic(4.0785f);
  w.Open();
  for (int g = 0; g < UnitCellLibrary::kGroups; ++g)
    for (int c = 0; c < UnitCellLibrary::kSlots; ++c) ASSERT_EQ(w.EntryText(g, c), std::to_string(c + 1) + ". .");
  w.ChooseEntry(0, 2);
  EXPECT_FALSE(w.AddEnabled());  // no name yet
  w.NameChanged("Q");
  EXPECT_TRUE(w.AddEnabled());
  w.Add();
  EXPECT_EQ(w.EntryText(0, 2), "3. Q");
  EXPECT_EQ(w.Library().Entry(0, 2).symmetry, 1);
  EXPECT_FLOAT_EQ(w.Library().Entry(0, 2).parameters[0], 4.0785f);
  EXPECT_TRUE(w.Changed());

  platform.chosenPaths.push_back(Path("lab.ucl"));
  EXPECT_TRUE(w.SaveAs());
  EXPECT_EQ(platform.dialogs.back().title, "Save To File");
  EXPECT_EQ(platform.dialogs.back().filters[0].description, "Unit Cell Files (*.ucl)");
  w.Close();  // saving keeps the mark: asked again
  ASSERT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(platform.questions[0], "Save your unit cells to a file?");
  EXPECT_EQ(UnitCellLibrary::ReadFile(Path("lab.ucl")).Entry(0, 2).name, "Q");

  // Reopened: removing alone does not ask.
  w.Open();
  w.ChooseEntry(0, 2);
  w.Remove();
  EXPECT_EQ(w.EntryText(0, 2), "3. .");
  w.Close();
  EXPECT_EQ(platform.questions.size(), 1u);
}

TEST_F(PhasesTest, DamagedOrUnwritableFilesChangeNothing) {
  WriteLibrary(model->UnitCellFileName);
  UnitCellDatabaseModel w(*model);
  w.Open();
  const UnitCellLibrary before = w.Library();
  const std::string name = model->UnitCellFileName;
  {
    std::ofstream bad(Path("bad.ucl"), std::ios::binary);
    bad << "not a library";
  }
  platform.chosenPaths.push_back(Path("bad.ucl"));
  EXPECT_FALSE(w.OpenFile());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find(Path("bad.ucl")), std::string::npos);
  EXPECT_TRUE(w.Library() == before);
  EXPECT_EQ(model->UnitCellFileName, name);

  platform.chosenPaths.push_back(Path("no-such-folder/x.ucl"));
  EXPECT_FALSE(w.SaveAs());
  EXPECT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(model->UnitCellFileName, name);
  EXPECT_TRUE(UnitCellLibrary::ReadFile(name) == before);  // the old file stays
}

}  // namespace
}  // namespace quorlin
