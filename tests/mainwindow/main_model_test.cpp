// The main window's model without a display: state and undo, project files,
// the exit rule, imports and the plot gestures. Dialog answers come from a
// scripted platform; QUORLIN_HOME points the program's folder at a scratch
// folder per test.
#include "support/temp_home.h"
#include "mainwindow/main_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/bag_file.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlatform;

class CountingView : public IMainView {
 public:
  int formUpdates = 0, redraws = 0, limitUpdates = 0;
  std::optional<RubberBandFigure> band;
  void FormUpdate() override { ++formUpdates; }
  void MakeXRDPlot() override { ++redraws; }
  void PlotLimitUpdate() override { ++limitUpdates; }
  void RubberBandChanged(const std::optional<RubberBandFigure>& f) override { band = f; }
};

class MainModelTest : public testing::TempHomeTest {
 protected:
  static PropertyBag State(const MainModel& m) {
    PropertyBag b;
    m.WriteStateToPb(b);
    return b;
  }


  ScriptedPlatform platform;
  CountingView view;
};

TEST_F(MainModelTest, StartUpWithoutDefaultProjectGivesTheFactoryState) {
  MainModel m(platform, &view);
  m.StartUp();
  const std::string folder = home.generic_string();
  EXPECT_EQ(m.ProgramFolderPath(), folder);
  EXPECT_EQ(m.UserCellType, 1);
  EXPECT_EQ(m.CrystalSystem(), 8);
  for (const std::string* f : {&m.ProjectDirectory, &m.GSASDirectory, &m.CPIDirectory, &m.CHIDirectory,
                               &m.MCADirectory, &m.BitmapDirectory, &m.DataDirectory, &m.JCPDSDirectory})
    EXPECT_EQ(*f, folder);
  EXPECT_EQ(m.PatternDataFile, "default.gsa");
  EXPECT_EQ(m.PatternDataFileType, "gsa");
  EXPECT_EQ(m.UnitCellFileName, folder + "/UnitCells.ucl");
  EXPECT_EQ(m.CellScrollWrapper.EdgeScale(1), 100);
  EXPECT_EQ(m.CellScrollWrapper.EdgeScale(-1), 1000);
  EXPECT_EQ(m.CellScrollWrapper.AngleScale(), 100);
  EXPECT_EQ(m.MouseMode(), kPoint);
  EXPECT_FALSE(m.DataOpened());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_GE(view.formUpdates, 1);
  EXPECT_GE(view.redraws, 1);

  // A damaged pb.prb is reported and the factory state is used.
  PropertyBag factory = State(m);
  std::ofstream(Path("pb.prb"), std::ios::binary) << "not a project";
  MainModel damaged(platform);
  damaged.StartUp();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("pb.prb"), std::string::npos);
  EXPECT_EQ(State(damaged), factory);
}

TEST_F(MainModelTest, StateKeysComeInTheProjectOrderAndDefaultsAreLeftOut) {
  MainModel m(platform);
  m.StartUp();
  PropertyBag factory = State(m);
  // Only the always-written folder is present in the factory state of the
  // window's own keys.
  EXPECT_TRUE(factory.Contains("ProjectDirectory"));
  for (const char* key : {"CellType", "SpecimenDisplacement", "GSASDirectory", "PatternDataFile", "PatternType",
                          "CrystalSystem", "DEdgeScale", "REdgeScale", "AngleScale", "LineCustomColors"})
    EXPECT_FALSE(factory.Contains(key)) << key;

  m.UserCellType = -1;
  m.XRDPlot.SpecimenDisplacement = 0.002f;
  m.GSASDirectory = "/data/gsas";
  m.JCPDSDirectory = "/data/cards";
  m.PatternDataFile = "/data/x.gsa";
  m.PatternType = "jcpds";
  m.SetCrystalSystem(1);
  m.CellScrollWrapper.SetEdgeScale(1, 50);
  m.CellScrollWrapper.SetAngleScale(10);
  m.LineCustomColors = std::string(64, 'a');
  m.BackCustomColors = std::string(64, 'b');
  PropertyBag b = State(m);
  std::vector<std::string> names;
  for (const auto& e : b.Entries()) names.push_back(e.name);
  auto pos = [&](const std::string& n) {
    auto it = std::find(names.begin(), names.end(), n);
    EXPECT_NE(it, names.end()) << n;
    return it - names.begin();
  };
  const char* order[] = {"CellType", "SpecimenDisplacement", "ProjectDirectory", "GSASDirectory", "JCPDSDirectory",
                         "PatternDataFile", "PatternType", "CrystalSystem", "Basis", "DEdgeScale", "AngleScale",
                         "LineCustomColors", "BackCustomColors"};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) EXPECT_LT(pos(order[i]), pos(order[i + 1])) << order[i];
  EXPECT_EQ(names.front(), "CellType");
  EXPECT_EQ(names.back(), "BackCustomColors");
}

TEST_F(MainModelTest, UndoTogglesAndRestoresTheStateBeforeTheChange) {
  MainModel m(platform, &view);
  m.StartUp();
  const PropertyBag start = State(m);
  m.Undo();  // nothing to undo yet: the state stays
  EXPECT_EQ(State(m), start);
  m.CellTextGotFocus(0);
  ASSERT_TRUE(m.CellTextChanged(0, "6"));
  m.CellTextLostFocus(0);
  const PropertyBag changed = State(m);
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "6");

  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5");
  EXPECT_EQ(State(m), start);
  m.Undo();  // the second press returns to where the user was
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "6");
  EXPECT_EQ(State(m), changed);

  // A new change replaces the record: Undo goes back to just before it.
  m.CellTextGotFocus(3);
  ASSERT_TRUE(m.CellTextChanged(3, "80"));
  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(3, 1), "90");
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "6");
}

TEST_F(MainModelTest, CellEditorAppliesCompleteNumbersAndRedrawsOnEachAcceptedKey) {
  MainModel m(platform, &view);
  m.StartUp();
  const int before = view.redraws;
  m.CellTextGotFocus(0);
  EXPECT_TRUE(m.CellTextChanged(0, "1"));
  EXPECT_TRUE(m.CellTextChanged(0, "10"));
  EXPECT_EQ(view.redraws, before + 2);
  EXPECT_EQ(m.EditedCellBox(), 0);
  EXPECT_FALSE(m.CellTextChanged(0, "10."));  // incomplete: not applied
  EXPECT_FALSE(m.CellTextChanged(0, "abc"));
  EXPECT_EQ(view.redraws, before + 2);
  EXPECT_EQ(m.CellTextLostFocus(0), "10");
  EXPECT_EQ(m.EditedCellBox(), -1);
  EXPECT_TRUE(m.UnitCell.BackwardOK());  // the focus loss recorded the cell

  // The scroll bar sets the parameter at value / scale.
  ScrollSetting s = m.CellScrollSetting(0);
  EXPECT_EQ(s.Value, 1000);
  EXPECT_TRUE(m.CellScrollChanged(0, 725));
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "7.25");
  m.SetLatticeType(-1);  // the editor now works on the reciprocal cell
  EXPECT_EQ(m.CellScrollSetting(0).Value, std::lround(1000.0 / 7.25));
}

TEST_F(MainModelTest, AxisRestrictionAndCrystalSystems) {
  MainModel m(platform, &view);
  m.StartUp();
  m.SetCrystalSystem(1);
  EXPECT_EQ(m.UnitCell.Basis(), 0);
  EXPECT_EQ(m.pattern.CrystalSystem, 1);
  m.SetCrystalSystem(4);
  EXPECT_EQ(m.UnitCell.Basis(), 1);
  m.pattern.SetExtinctionNumber(3, &m.UnitCell);
  m.SetCrystalSystem(3);
  EXPECT_EQ(m.UnitCell.Basis(), 2);  // trigonal, hexagonal setting below 8
  m.pattern.SetExtinctionNumber(8, &m.UnitCell);
  EXPECT_EQ(m.DerivedBasis(3), 3);  // rhombohedral axes from 8 on
  EXPECT_EQ(m.DerivedBasis(5), 4);
  EXPECT_EQ(m.DerivedBasis(6), 5);
  EXPECT_EQ(m.DerivedBasis(7), 6);
  EXPECT_EQ(m.DerivedBasis(8), 7);

  m.SetCrystalSystem(1);
  m.pattern.SetExtinctionNumber(7, &m.UnitCell);
  m.PatternType = "jcpds";
  m.CellShapeClicked(1);
  EXPECT_EQ(m.CrystalSystem(), 8);
  EXPECT_EQ(m.UnitCell.Basis(), 7);
  EXPECT_EQ(m.UnitCell.CellShape(), 1);
  EXPECT_EQ(m.pattern.ExtinctionNumber(), -1);
  EXPECT_EQ(m.PatternType, "");
  EXPECT_FALSE(m.UnitCell.BackwardOK());  // history restarted

  m.pattern.SetExtCond(0, 2);
  m.ExtinctionComboClicked(3, 5, 6);  // the last item clears the zone
  EXPECT_EQ(m.pattern.ExtCond(3), -1);
  m.ExtinctionComboClicked(1, 2, 6);
  EXPECT_EQ(m.pattern.ExtCond(1), 2);
  m.ExtinctionClear_Invoke();
  for (int i = 0; i < 12; ++i) EXPECT_EQ(m.pattern.ExtCond(i), -1);
}

TEST_F(MainModelTest, ProjectRoundTripKeepsAnAcuteTriclinicCell) {
  MainModel m(platform, &view);
  m.StartUp();
  m.SetCrystalSystem(7);
  ASSERT_TRUE(m.UnitCell.SetCell(1, {5.1f, 6.2f, 7.3f, 70.0f, 75.0f, 80.0f}));
  m.UserCellType = -1;
  m.XRDPlot.SpecimenDisplacement = 0.0015f;
  m.PatternType = "jcpds";
  m.CHIDirectory = "/some/where";
  m.CellScrollWrapper.SetEdgeScale(-1, 500);
  m.LineCustomColors = CustomColorsToText({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  m.PatternDataFile = Path("missing.gsa");
  const PropertyBag saved = State(m);
  ASSERT_TRUE(m.ProjectSaveFile(Path("acute.prb")));

  MainModel fresh(platform);
  fresh.StartUp();
  ASSERT_TRUE(fresh.ProjectOpenFile(Path("acute.prb")));
  EXPECT_EQ(fresh.CrystalSystem(), 7);
  EXPECT_EQ(fresh.UnitCell.Basis(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(fresh.UnitCell.CellParameters(i, 1), m.UnitCell.CellParameters(i, 1)) << i;
  EXPECT_EQ(fresh.UserCellType, -1);
  EXPECT_FLOAT_EQ(fresh.XRDPlot.SpecimenDisplacement, 0.0015f);
  EXPECT_EQ(fresh.LineCustomColors, m.LineCustomColors);
  EXPECT_EQ(fresh.ProjectDirectory, home.generic_string());  // the folder of the opened file
  EXPECT_EQ(State(fresh), saved);
  // The one word about the project's data file, which does not exist.
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("missing.gsa"), std::string::npos);
}

TEST_F(MainModelTest, CorruptTruncatedOrForeignProjectsAreRefusedAndChangeNothing) {
  MainModel m(platform, &view);
  m.StartUp();
  ASSERT_TRUE(m.UnitCell.SetCell(1, {4.0f, 4.5f, 6.0f, 90.0f, 90.0f, 90.0f}));
  ASSERT_TRUE(m.WriteState(Path("good.prb")));
  std::ifstream in(Path("good.prb"), std::ios::binary);
  std::string good((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(good.size(), 40u);

  ASSERT_TRUE(m.UnitCell.SetCell(1, {7.0f, 7.5f, 8.0f, 90.0f, 90.0f, 90.0f}));
  const PropertyBag current = State(m);
  std::string corrupt = good;
  for (std::size_t i = 12; i < corrupt.size(); i += 3) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
  const std::pair<std::string, std::string> files[] = {
      {"truncated.prb", good.substr(0, good.size() / 2)},
      {"header-only.prb", good.substr(0, 10)},
      {"corrupt.prb", corrupt},
      {"foreign.prb", "BANK 1 4251 426 CONST 500.0 2.0 0 0 STD\n     12    13    14\n"},
      {"empty.prb", ""},
  };
  for (const auto& [name, bytes] : files) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    platform.messages.clear();
    EXPECT_FALSE(m.ProjectOpenFile(Path(name))) << name;
    ASSERT_EQ(platform.messages.size(), 1u) << name;
    EXPECT_NE(platform.messages[0].find(name), std::string::npos) << platform.messages[0];
    EXPECT_EQ(State(m), current) << name;
  }
  // A well-formed container whose bag is not a project (a unit cell
  // database, say) would otherwise reset everything to the defaults.
  PropertyBag cells;
  cells.WriteProperty("NumberOfCells", std::int32_t{3}, std::int32_t{0});
  WritePropertyBagToFile(Path("cells.prb"), cells);
  platform.messages.clear();
  EXPECT_FALSE(m.ProjectOpenFile(Path("cells.prb")));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("cells.prb"), std::string::npos) << platform.messages[0];
  EXPECT_EQ(State(m), current);
  // The good file still reads.
  EXPECT_TRUE(m.ProjectOpenFile(Path("good.prb")));
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "4");
}

TEST_F(MainModelTest, FailedWritesShowAMessageAndKeepTheStateAndTheOldFile) {
  MainModel m(platform, &view);
  m.StartUp();
  const PropertyBag before = State(m);
  EXPECT_FALSE(m.ProjectSaveFile(Path("no/such/folder/p.prb")));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("p.prb"), std::string::npos);
  EXPECT_EQ(State(m), before);
  EXPECT_FALSE(m.WriteDataFile(Path("no/such/folder/x.xy")));
  EXPECT_EQ(platform.messages.size(), 2u);

  // Save, default and factory default use pb.prb in the program's folder.
  ASSERT_TRUE(m.UnitCell.SetCell(1, {6.0f, 6.0f, 6.0f, 90.0f, 90.0f, 90.0f}));
  ASSERT_TRUE(m.ProjectSaveAsDefault());
  MainModel restarted(platform);
  restarted.StartUp();
  EXPECT_EQ(restarted.UnitCell.CellParameters(0, 1), "6");
  ASSERT_TRUE(restarted.RestoreDefaults());
  EXPECT_EQ(restarted.UnitCell.CellParameters(0, 1), "5");
  MainModel again(platform);
  again.StartUp();
  EXPECT_EQ(again.UnitCell.CellParameters(0, 1), "5");
  EXPECT_EQ(State(again), State(restarted));
}

TEST_F(MainModelTest, ProjectDialogsUseTheirTitlesFiltersAndFolders) {
  MainModel m(platform, &view);
  m.StartUp();
  platform.chosenPaths.push_back(std::nullopt);  // cancel
  EXPECT_FALSE(m.ProjectOpen());
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].title, "Open File");
  ASSERT_EQ(platform.dialogs[0].filters.size(), 2u);
  EXPECT_EQ(platform.dialogs[0].filters[0].description, "Quorlin Project Files (*.prb)");
  EXPECT_EQ(platform.dialogs[0].filters[1].pattern, "*.*");
  EXPECT_EQ(platform.dialogs[0].initialFolder, m.ProjectDirectory);

  // A dialog buffer padded with NULs reads as the path alone.
  platform.chosenPaths.push_back(Path("saved.prb") + std::string(20, '\0'));
  EXPECT_TRUE(m.ProjectSave());
  EXPECT_EQ(platform.dialogs[1].title, "Save Project");
  EXPECT_EQ(platform.dialogs[1].defaultExtension, "prb");
  EXPECT_TRUE(fs::exists(Path("saved.prb")));
}

TEST_F(MainModelTest, ExitQuestionOnlyAfterTwentySixChangesWithDataOpened) {
  MainModel m(platform, &view);
  m.StartUp();
  auto change = [&](int i) {
    m.CellTextGotFocus(0);
    m.CellTextChanged(0, std::to_string(5 + (i % 2 == 0 ? 1 : 2)) + "." + std::to_string(i % 9 + 1));
    m.CellTextLostFocus(0);
  };
  for (int i = 0; i < 25; ++i) change(i);
  const std::string chi = WriteChi("p.chi", 50, 10.0, 0.1, [](int i) { return 100 + i; });
  ASSERT_TRUE(m.ImportDataFile("chi", chi));
  ASSERT_TRUE(m.DataOpened());
  ASSERT_LT(m.UnitCell.NumberOfChanges(), 26);
  EXPECT_FALSE(m.ExitQuestionNeeded());
  EXPECT_TRUE(m.QueryExit());
  EXPECT_TRUE(platform.questions.empty());

  change(25);
  ASSERT_GE(m.UnitCell.NumberOfChanges(), 26);
  EXPECT_TRUE(m.ExitQuestionNeeded());
  platform.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(m.QueryExit());
  ASSERT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(platform.questions[0], "Save your work to a .prb file?");
  platform.answers = {MessageAnswer::No};
  EXPECT_TRUE(m.QueryExit());
  platform.answers = {MessageAnswer::Yes};
  platform.chosenPaths = {std::nullopt};  // Yes, then the save dialog cancelled: stay
  EXPECT_FALSE(m.QueryExit());
  platform.answers = {MessageAnswer::Yes};
  platform.chosenPaths = {Path("work.prb")};
  EXPECT_TRUE(m.QueryExit());
  EXPECT_TRUE(fs::exists(Path("work.prb")));

  // Changes without a data file never ask.
  MainModel noData(platform);
  noData.StartUp();
  for (int i = 0; i < 30; ++i) {
    noData.CellTextChanged(0, std::to_string(6 + i % 2) + ".5");
    noData.CellTextLostFocus(0);
  }
  EXPECT_GE(noData.UnitCell.NumberOfChanges(), 26);
  EXPECT_FALSE(noData.ExitQuestionNeeded());
}

TEST_F(MainModelTest, ImportSetsTheWindowFromTheDataAndARefusedFileChangesNothing) {
  MainModel m(platform, &view);
  m.StartUp();
  const std::string chi = WriteChi("scan.chi", 201, 10.0, 0.1, [](int i) { return i == 100 ? 900 : 50; });
  ASSERT_TRUE(m.ImportDataFile("chi", chi));
  EXPECT_EQ(m.data.NChan(), 201);
  EXPECT_EQ(m.XRDPlot.DataType(), "Angle");
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 10.0f);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 30.0f, 1e-4);
  EXPECT_EQ(m.XRDPlot.IMax(), "900");
  EXPECT_EQ(m.PatternDataFile, chi);
  EXPECT_EQ(m.PatternDataFileType, "chi");
  EXPECT_EQ(m.CHIDirectory, home.generic_string());
  EXPECT_EQ(m.DataDirectory, home.generic_string());
  EXPECT_EQ(m.Caption, "Quorlin: " + chi);
  EXPECT_EQ(m.PlotLimits[0], "10");
  EXPECT_EQ(m.PlotLimits[1], "30");

  const PropertyBag before = State(m);
  std::ofstream(Path("bad.chi"), std::ios::binary) << "title\nx\ny\n3\n10 5\n10.1 five\n10.2 7\n";
  platform.messages.clear();
  EXPECT_FALSE(m.ImportDataFile("chi", Path("bad.chi")));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("bad.chi"), std::string::npos);
  EXPECT_EQ(State(m), before);
  EXPECT_EQ(m.data.NChan(), 201);
  EXPECT_FALSE(m.ImportDataFile("chi", Path("nowhere.chi")));  // missing: a message, no change
  EXPECT_EQ(State(m), before);

  // Export writes one line per channel.
  ASSERT_TRUE(m.WriteDataFile(Path("out.xy")));
  std::ifstream out(Path("out.xy"));
  int lines = 0;
  for (std::string s; std::getline(out, s);) ++lines;
  EXPECT_EQ(lines, 201);
}

TEST_F(MainModelTest, StateReadKeepsTheWindowAndDisplacementAfterTheReimport) {
  MainModel m(platform, &view);
  m.StartUp();
  const std::string chi = WriteChi("scan.chi", 801, 10.0, 0.1, [](int i) { return 100 + i; });
  ASSERT_TRUE(m.ImportDataFile("chi", chi));
  // Zoom to 20..40, then displace the specimen and zoom again.
  m.PlotLimitGotFocus(0);
  ASSERT_TRUE(m.PlotLimitChanged(0, "20"));
  ASSERT_TRUE(m.PlotLimitChanged(1, "40"));
  ASSERT_TRUE(m.PlotLimitChanged(3, "500"));
  m.PlotLimitLostFocus(1);
  ASSERT_TRUE(m.SpecimenDisplacementChanged("0.002"));
  m.PlotLimitGotFocus(0);  // writes the undo record: window 20..40
  ASSERT_TRUE(m.PlotLimitChanged(0, "25"));
  m.Undo();
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 20.0f);
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMax(), 40.0f);
  EXPECT_EQ(m.XRDPlot.IMax(), "500");
  EXPECT_FLOAT_EQ(m.XRDPlot.SpecimenDisplacement, 0.002f);
  EXPECT_EQ(m.PlotLimits[0], "20");

  // A saved project reopens with its window and displacement.
  ASSERT_TRUE(m.WriteState(Path("zoom.prb")));
  MainModel other(platform);
  other.StartUp();
  ASSERT_TRUE(other.ReadState(Path("zoom.prb")));
  EXPECT_FLOAT_EQ(other.XRDPlot.SngTTMin(), 20.0f);
  EXPECT_FLOAT_EQ(other.XRDPlot.SngTTMax(), 40.0f);
  EXPECT_FLOAT_EQ(other.XRDPlot.SpecimenDisplacement, 0.002f);
  EXPECT_EQ(other.data.NChan(), 801);

  // The data file changed: a stored window that no longer meets the data is
  // dropped and the import's is kept.
  m.PlotLimitChanged(1, "170");
  ASSERT_TRUE(m.WriteState(Path("wide.prb")));
  std::ofstream(chi, std::ios::binary) << "title\nx\ny\n5\n10 1\n11 2\n12 3\n13 4\n14 5\n";
  ASSERT_TRUE(other.ReadState(Path("wide.prb")));
  EXPECT_FLOAT_EQ(other.XRDPlot.SngTTMin(), 10.0f);
  EXPECT_FLOAT_EQ(other.XRDPlot.SngTTMax(), 14.0f);
  EXPECT_FLOAT_EQ(other.XRDPlot.SpecimenDisplacement, 0.002f);
}

TEST_F(MainModelTest, ZoomShiftHistoryAndReadout) {
  MainModel m(platform, &view);
  m.StartUp();
  const std::string chi = WriteChi("scan.chi", 851, 5.0, 0.1, [](int) { return 10; });
  ASSERT_TRUE(m.ImportDataFile("chi", chi));
  ASSERT_TRUE(m.XRDPlot.SetIMax("1000"));

  // Shift Left from 5..35 stops at the absolute minimum: 0.001..30.001.
  ASSERT_TRUE(m.XRDPlot.SetTTMax("35"));
  m.ShiftLeft();
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 0.001f);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 30.001f, 1e-4);
  EXPECT_TRUE(m.XRDPlot.BackwardOK);
  m.ShiftRight();
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), 10.001f, 1e-4);

  // A zoom box in Point mode.
  m.PlotMouseDown(MouseButton::Left, 12.0f, 100.0f);
  m.PlotMouseMove(MouseButton::Left, 18.0f, 600.0f);
  ASSERT_TRUE(view.band.has_value());
  EXPECT_EQ(view.band->kind, RubberBandFigure::Kind::Box);
  m.PlotMouseUp(MouseButton::Left, 18.0f, 600.0f);
  EXPECT_FALSE(view.band.has_value());
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 12.0f);
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMax(), 18.0f);
  EXPECT_EQ(m.XRDPlot.imin(), "100");
  EXPECT_EQ(m.XRDPlot.IMax(), "600");
  m.PlotHistory(1);  // back
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), 10.001f, 1e-4);
  m.Unzoom();
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), 5.0f);

  // A click too small to be a box reads out the cursor, with no redraw.
  m.PlotMouseDown(MouseButton::Left, 20.0f, 100.0f);
  m.PlotMouseMove(MouseButton::Left, 20.005f, 300.0f);
  const int redraws = view.redraws;
  m.PlotMouseUp(MouseButton::Left, 20.005f, 300.0f);
  EXPECT_EQ(view.redraws, redraws);
  EXPECT_NE(m.ReportText.find("Cursor:\n2 theta = 20.005,\nI = 300,\nd = "), std::string::npos) << m.ReportText;
  EXPECT_NE(m.ReportText.find("Cell volume: 125\n"), std::string::npos);
  EXPECT_NE(m.ReportText.find("Volume tracking: 1\n"), std::string::npos);
  EXPECT_NE(m.ReportText.find("(d = "), std::string::npos);

  // Hand: dragging right by 2 moves the window left by 2.
  m.SetMouseMode(kHand);
  const float lo = m.XRDPlot.SngTTMin(), hi = m.XRDPlot.SngTTMax();
  m.PlotMouseDown(MouseButton::Left, 30.0f, 100.0f);
  m.PlotMouseUp(MouseButton::Left, 32.0f, 100.0f);
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), lo - 2, 1e-4);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), hi - 2, 1e-4);
  // A release without a press does nothing.
  m.PlotMouseUp(MouseButton::Left, 50.0f, 100.0f);
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), lo - 2, 1e-4);
}

TEST_F(MainModelTest, CellEdgeGestureMovesTheDraggedLineToTheRelease) {
  MainModel m(platform, &view);
  m.StartUp();
  m.SetCrystalSystem(8);
  m.UnitCell.SetCellShape(0);
  m.pattern.SetDimensionFlags(6, true);  // show every reflection
  ASSERT_TRUE(m.XRDPlot.SetTTMin("10"));
  ASSERT_TRUE(m.XRDPlot.SetTTMax("80"));
  const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
  const float tt200 = m.XRDPlot.TTFromD(lambda, m.UnitCell.hklDSpacing(2, 0, 0));
  const float aStar = m.UnitCell.Edge(-1, 0), bStar = m.UnitCell.Edge(-1, 1), cStar = m.UnitCell.Edge(-1, 2);

  m.SetMouseMode(kCellEdge);
  m.PlotMouseDown(MouseButton::Left, tt200 + 0.05f, 500.0f);
  ASSERT_EQ(m.DraggedReflections().size(), 1u);
  const auto r = m.DraggedReflections().front();
  EXPECT_EQ(std::abs(r[0]) + std::abs(r[1]) + std::abs(r[2]), 2) << "a 200-type line";
  EXPECT_EQ(m.ReportText.rfind("Dragging ", 0), 0u);
  ASSERT_TRUE(view.band.has_value());
  EXPECT_EQ(view.band->kind, RubberBandFigure::Kind::Segment);
  EXPECT_FLOAT_EQ(view.band->x1, tt200);
  const float target = tt200 + 1.5f;
  m.PlotMouseMove(MouseButton::Left, target, 500.0f);
  m.PlotMouseUp(MouseButton::Left, target, 500.0f);
  EXPECT_FALSE(view.band.has_value());
  EXPECT_NEAR(m.XRDPlot.TTFromD(lambda, m.UnitCell.hklDSpacing(r[0], r[1], r[2])), target, 5e-3);
  EXPECT_NE(m.ReportText.find("Volume tracking: "), std::string::npos);
  // Only the reciprocal edges with a non-zero index moved.
  const float before[3] = {aStar, bStar, cStar};
  for (int i = 0; i < 3; ++i)
    if (r[static_cast<std::size_t>(i)] == 0) {
      EXPECT_FLOAT_EQ(m.UnitCell.Edge(-1, i), before[i]) << i;
    }
  // Undo after the drag restores the cell of the press.
  m.Undo();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(m.UnitCell.CellParameters(i, 1), "5");

  // A press where no reflection is drawn leaves the cell unchanged.
  m.pattern.ClearDimensions();
  std::array<std::string, 6> cellBefore;
  for (int i = 0; i < 6; ++i) cellBefore[static_cast<std::size_t>(i)] = m.UnitCell.CellParameters(i, 1);
  m.PlotMouseDown(MouseButton::Left, 30.0f, 500.0f);
  EXPECT_TRUE(m.DraggedReflections().empty());
  m.PlotMouseUp(MouseButton::Left, 35.0f, 500.0f);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(m.UnitCell.CellParameters(i, 1), cellBefore[static_cast<std::size_t>(i)]);
}

// A free cell keeps no wedge of the cubic system before it: its 101 line is
// drawn and must be pickable, whichever way the symmetry went.
TEST_F(MainModelTest, EveryLineOfAFreeCellCanBePicked) {
  const std::pair<const char*, void (MainModel::*)()> ways[] = {{"Crystal System > None", &MainModel::SysNone},
                                                                {"symmetry eliminated", &MainModel::EliminateSymmetry}};
  for (const auto& [name, freeTheCell] : ways) {
    SCOPED_TRACE(name);
    MainModel m(platform, &view);
    m.StartUp();
    m.SetCrystalSystem(1);
    m.pattern.SetExtinctionNumber(0, &m.UnitCell);  // cubic P---
    ASSERT_EQ(m.pattern.LaueClass, 11);
    (m.*freeTheCell)();
    m.UnitCell.SetCellShape(0);  // three edges of their own
    ASSERT_TRUE(m.UnitCell.SetCell(1, {4.13f, 4.2f, 4.1f, 90, 90, 90}));
    m.pattern.SetDimensionFlags(6, true);
    const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
    const float d101 = m.UnitCell.hklDSpacing(1, 0, 1);
    auto found = m.XRDPlot.NearestLine(d101, 4, m.UnitCell, m.pattern, false);
    EXPECT_NE(std::find(found.begin(), found.end(), MillerIndices{1, 0, 1}), found.end());
    m.SetMouseMode(kCellEdge);
    m.PlotMouseDown(MouseButton::Left, m.XRDPlot.TTFromD(lambda, d101), 500.0f);
    ASSERT_EQ(m.DraggedReflections().size(), 1u);
    const auto r = m.DraggedReflections().front();
    EXPECT_FLOAT_EQ(m.UnitCell.hklDSpacing(r[0], r[1], r[2]), d101);
    m.PlotMouseUp(MouseButton::Left, m.XRDPlot.TTFromD(lambda, d101), 500.0f);
  }
}

// The cell boxes show what a Single holds, 7 significant digits (printf's
// %.7g as the reference); the history starts at the cell the default project
// gave, not at the objects' own 5 A cell.
TEST_F(MainModelTest, CellBoxesShowSevenDigitsAndTheHistoryStartsAtTheStartingCell) {
  {
    MainModel saver(platform, &view);
    saver.StartUp();
    ASSERT_TRUE(saver.UnitCell.SetCell(1, {4, 4, 4, 90, 90, 90}));
    ASSERT_TRUE(saver.WriteState(saver.DefaultProjectPath()));
  }
  MainModel m(platform, &view);
  m.StartUp();
  ASSERT_EQ(m.UnitCell.CellParameters(0, 1), "4");
  m.CellTextGotFocus(0);
  ASSERT_TRUE(m.CellTextChanged(0, "4.5"));
  m.CellTextLostFocus(0);
  m.CellHistoryButton(1);  // one step back
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "4");

  m.EliminateSymmetry();
  ASSERT_TRUE(m.UnitCell.SetCell(1, {4.1420474f, 4.142047f, 4.1420474f, 90, 90, 119}));
  for (int i = 0; i < 6; ++i) {
    const float v = i < 3 ? m.UnitCell.Edge(1, i) : m.UnitCell.CellAngle(1, i).Degrees();
    char reference[32];
    std::snprintf(reference, sizeof reference, "%.7g", static_cast<double>(v));
    EXPECT_EQ(m.CellBoxText(i), reference) << i;
  }
  EXPECT_EQ(m.CellBoxText(0), "4.142047");
  EXPECT_EQ(m.CellBoxText(5), "119");
}

// A crafted project gets no value the dialogs would not give.
TEST_F(MainModelTest, ACraftedProjectIsBoundedLikeTheDialogs) {
  MainModel m(platform, &view);
  m.StartUp();
  PropertyBag b;
  b.WriteProperty("linewidth", std::int16_t{1000}, std::int16_t{1});
  b.WriteProperty("XRDDataWidth", std::int16_t{-4}, std::int16_t{1});
  b.WriteProperty("hmax", std::int16_t{30000}, std::int16_t{5});
  b.WriteProperty("m_Lambda(6)", -1.5f, 1.0f);
  b.WriteProperty("PrimaryLine", 6.0f, -1.0f);
  m.ReadStateFromPb(b);
  EXPECT_EQ(m.pattern.linewidth, 5);
  EXPECT_EQ(m.XRDPlot.XRDDataWidth, 1);
  EXPECT_EQ(m.pattern.hmax, 100);
  // A fresh data object has no wavelength on line 6 to fall back on.
  CData fresh;
  fresh.ReadObjectState("", b);
  const int primary = fresh.PrimaryLineIndex();
  EXPECT_GT(fresh.Lambda(primary), CData::kMinWavelength) << "the lines have a wavelength to be placed by";
  EXPECT_TRUE(fresh.LineExists(primary));
}

TEST_F(MainModelTest, SnapFindsTheStrongestPeakNearThePressPosition) {
  MainModel m(platform, &view);
  m.StartUp();
  // Triangular peaks (half width 10 points) on 10 counts: a strong one 9
  // points above the 200 line of the default cell, a weaker one 12 below,
  // and a huge one 200 points away, beyond the +-15 point search.
  const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
  const float tt200 = m.XRDPlot.TTFromD(lambda, m.UnitCell.hklDSpacing(2, 0, 0));
  const double x0 = 10.0, dx = 0.02;
  const int i200 = static_cast<int>(std::lround((tt200 - x0) / dx));
  auto peak = [](int i, int centre, double height) { return std::max(0.0, height * (1.0 - std::abs(i - centre) / 10.0)); };
  const std::string chi = WriteChi("peaks.chi", 3001, x0, dx, [&](int i) {
    return std::lround(10 + peak(i, i200 + 9, 1000) + peak(i, i200 - 12, 600) + peak(i, i200 + 200, 50000));
  });
  ASSERT_TRUE(m.ImportDataFile("chi", chi));
  ASSERT_EQ(m.data.Index(tt200).value_or(-1), i200);
  const float dPeak = m.XRDPlot.DFromTT(m.data.TwoTheta(i200 + 9));
  EXPECT_FLOAT_EQ(m.GrowPeak(5, 15, m.UnitCell.hklDSpacing(2, 0, 0)), dPeak);
  // Too near the start of the data for the whole search window: the result
  // is the spacing of the line's own position.
  const float dEdge = m.XRDPlot.DFromTT(10.1f);
  EXPECT_FLOAT_EQ(m.GrowPeak(5, 15, dEdge), m.XRDPlot.DFromTT(m.XRDPlot.TTFromD(lambda, dEdge)));

  m.SetSnap(true);
  m.SetMouseMode(kCellEdge);
  m.PlotMouseDown(MouseButton::Left, tt200, 100.0f);
  ASSERT_FALSE(m.DraggedReflections().empty());
  const auto r = m.DraggedReflections().front();
  m.PlotMouseUp(MouseButton::Left, tt200 + 20.0f, 100.0f);  // far away
  EXPECT_NEAR(m.UnitCell.hklDSpacing(r[0], r[1], r[2]), dPeak, 2e-4);
}

TEST_F(MainModelTest, IntensityAtASpacingInterpolatesAtTheFractionalChannel) {
  MainModel m(platform, &view);
  m.StartUp();
  // Intensity 2 i at 2-theta 10 + 0.1 i: at 2-theta x the channel is
  // (x - 10) / 0.1 and the intensity 20 (x - 10).
  const std::string chi = WriteChi("ramp.chi", 401, 10.0, 0.1, [](int i) { return 2 * i; });
  ASSERT_TRUE(m.ImportDataFile("chi", chi));
  const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
  const float d = m.XRDPlot.DFromTT(23.45f);
  const double x = m.XRDPlot.TTFromD(lambda, d);
  EXPECT_NEAR(m.IFromDSPacing(d), 20.0 * (x - 10.0), 1e-2);
  EXPECT_EQ(m.IFromDSPacing(m.XRDPlot.DMax() * 1.5f), 0.0);  // outside the window
  // PkSum: the included peaks' intensities times the data at their spacing.
  m.PeakList.SetNumberOfPeaks(2);
  m.PeakList.Seth(0, 1); m.PeakList.Seth(1, 2);
  ASSERT_TRUE(m.PeakList.SetIntens(0, 50));
  ASSERT_TRUE(m.PeakList.SetIntens(1, 30));
  m.PeakList.SetIncluded(0, true);
  m.PeakList.SetIncluded(1, false);
  EXPECT_NEAR(m.PkSum(), 50 * m.IFromDSPacing(m.UnitCell.hklDSpacing(1, 0, 0)), 1e-6);
}

TEST_F(MainModelTest, StoredPhasesKeepTheLowestFourHundredLinesAndLoadBack) {
  MainModel m(platform, &view);
  m.StartUp();
  CPattern& p = m.storedphases.StoredPattern(0);
  p.hmin = -8; p.hmax = 8; p.kmin = -8; p.kmax = 8; p.lmin = 0; p.lmax = 8;
  p.SetDimensionFlags(6, true);
  p.Exists = p.Plotted = true;
  ASSERT_TRUE(m.storedphases.StoredUnitCell(0).SetCell(1, {5, 5, 5, 90, 90, 90}));
  m.MakeStoredVectors(0);
  // Independently: every triple of the ranges in scan order (l, k, h),
  // stably sorted by its largest index, the first 400 kept; d of the cubic
  // cell from d = a / sqrt(h^2 + k^2 + l^2).
  std::vector<std::array<int, 3>> all;
  for (int l = 0; l <= 8; ++l)
    for (int k = -8; k <= 8; ++k)
      for (int h = -8; h <= 8; ++h)
        if (h != 0 || k != 0 || l != 0) all.push_back({h, k, l});
  auto order = [](const std::array<int, 3>& t) { return std::max({std::abs(t[0]), std::abs(t[1]), std::abs(t[2])}); };
  std::stable_sort(all.begin(), all.end(), [&](const auto& x, const auto& y) { return order(x) < order(y); });
  ASSERT_GT(all.size(), 400u);
  for (int j = 1; j <= 400; ++j) {
    const auto& t = all[static_cast<std::size_t>(j - 1)];
    const double d = 5.0 / std::sqrt(double(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]));
    ASSERT_NEAR(m.storedphases.StoredLinePosition(0, j), d, 1e-5) << "line " << j;
  }
  EXPECT_EQ(m.storedphases.StoredLinePosition(0, 0), 0.0f);

  // A smaller set fills fewer positions and clears the rest.
  p.hmin = 0; p.hmax = 1; p.kmin = 0; p.kmax = 1; p.lmax = 1;
  m.MakeStoredVectors(0);
  EXPECT_GT(m.storedphases.StoredLinePosition(0, 7), 0.0f);
  for (int j = 8; j <= 400; ++j) ASSERT_EQ(m.storedphases.StoredLinePosition(0, j), 0.0f) << j;

  m.storedphases.SetStoredCrystalSystem(0, 1);
  m.GetStoredPhase(0);
  EXPECT_EQ(m.CrystalSystem(), 1);
  EXPECT_EQ(m.pattern.hmax, 1);
  EXPECT_FALSE(m.storedphases.StoredPattern(0).Plotted);
}


TEST_F(MainModelTest, JcpdsCardGivesTheCellAndPeaksAndAReopenedProjectKeepsTheFittedCell) {
  const fs::path card = fs::path(QUORLIN_SHARED_DIR) / "realdata/jcpds/dioptas-0.2.3-dac_user/nacl.jcpds";
  if (!fs::exists(card)) GTEST_SKIP() << "no shared data";
  MainModel m(platform, &view);
  m.StartUp();
  ASSERT_TRUE(m.ImportDataFile("jcpds", card.generic_string()));
  EXPECT_EQ(m.PatternType, "jcpds");
  EXPECT_EQ(m.CrystalSystem(), 1);
  EXPECT_EQ(m.UnitCell.Basis(), 0);
  EXPECT_EQ(m.pattern.ExtinctionNumber(), -1);
  // The card: SYMMETRY: CUBIC, A: 5.64020, eleven DIHKL lines, 200 at 100%.
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5.6402");
  EXPECT_EQ(m.UnitCell.CellParameters(2, 1), "5.6402");
  ASSERT_EQ(m.PeakList.NumberOfPeaks(), 11);
  EXPECT_EQ(m.PeakList.h(1), 2);
  EXPECT_FLOAT_EQ(m.PeakList.Intens(1), 100.0f);
  for (int i = 0; i < 11; ++i) EXPECT_TRUE(m.PeakList.Agrees(i) && m.PeakList.Included(i)) << i;
  EXPECT_EQ(m.JCPDSDirectory, card.parent_path().generic_string());

  // The card's 200 line is the one picked in a drag.
  m.SetMouseMode(kVolume);
  const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
  const float tt200 = m.XRDPlot.TTFromD(lambda, m.UnitCell.hklDSpacing(2, 0, 0));
  m.PlotMouseDown(MouseButton::Left, tt200 + 0.02f, 50.0f);
  ASSERT_EQ(m.DraggedReflections().size(), 1u);
  EXPECT_EQ(m.DraggedReflections()[0], (std::array<std::int16_t, 3>{2, 0, 0}));
  m.PlotMouseUp(MouseButton::Left, tt200 - 0.5f, 50.0f);
  const std::string fitted = m.UnitCell.CellParameters(0, 1);
  EXPECT_NE(fitted, "5.6402");

  // Reading the state re-reads the card, but the fitted cell stays.
  ASSERT_TRUE(m.WriteState(Path("card.prb")));
  MainModel other(platform);
  other.StartUp();
  ASSERT_TRUE(other.ReadState(Path("card.prb")));
  EXPECT_EQ(other.UnitCell.CellParameters(0, 1), fitted);
  EXPECT_EQ(other.PatternType, "jcpds");
  EXPECT_EQ(other.PeakList.NumberOfPeaks(), 11);
  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5.6402");
  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), fitted);
}


TEST_F(MainModelTest, FullStrainFreesTheCellAtThePressAndKeepsThePerpendicularLines) {
  MainModel m(platform, &view);
  m.StartUp();
  m.SetCrystalSystem(1);
  m.pattern.SetExtinctionNumber(0, &m.UnitCell);
  m.SetMouseMode(kFullStrain);  // not offered while a crystal system is set
  EXPECT_EQ(m.MouseMode(), kPoint);
  m.SysNone();
  m.SetMouseMode(kFullStrain);
  ASSERT_EQ(m.MouseMode(), kFullStrain);
  m.SetCrystalSystem(1);  // a system chosen again: the window falls back to Point
  m.CellHistoryButton(3);
  EXPECT_EQ(m.MouseMode(), kPoint);

  m.SysNone();
  m.UnitCell.SetCellShape(2);
  m.SetMouseMode(kFullStrain);
  const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
  const float d111 = m.UnitCell.hklDSpacing(1, 1, 1);
  const float d1m10 = m.UnitCell.hklDSpacing(1, -1, 0);
  m.PlotMouseDown(MouseButton::Left, m.XRDPlot.TTFromD(lambda, d111), 10.0f);
  EXPECT_EQ(m.UnitCell.CellShape(), 0);  // all six parameters free
  ASSERT_EQ(m.DraggedReflections().size(), 1u);
  const auto r = m.DraggedReflections().front();
  ASSERT_EQ(std::abs(r[0]) + std::abs(r[1]) + std::abs(r[2]), 3) << "a 111-type line";
  const float target = m.XRDPlot.TTFromD(lambda, d111 * 0.98f);
  m.PlotMouseUp(MouseButton::Left, target, 10.0f);
  EXPECT_NEAR(m.UnitCell.hklDSpacing(r[0], r[1], r[2]), d111 * 0.98f, 1e-4);
  // A line perpendicular to the dragged one (in reciprocal space) stays.
  const std::array<int, 3> perpendicular = {r[1], -r[0], 0};
  EXPECT_NEAR(m.UnitCell.hklDSpacing(perpendicular[0], perpendicular[1], perpendicular[2]), d1m10, 1e-4);
}


TEST_F(MainModelTest, SnappedDragPutsTheLineOnAMeasuredGsasPeak) {
  // NIST SRM 660 LaB6 measured with Cu radiation. Start with a cubic cell
  // whose 110 line sits a few points off the measured peak, drag it far away
  // with snap on: it must land on the peak's maximum (found here by a plain
  // search of the counts within 15 points of the line).
  const fs::path file = fs::path(QUORLIN_SHARED_DIR) / "realdata/gsas/NIST660CBI.gsas";
  if (!fs::exists(file)) GTEST_SKIP() << "no shared data";
  MainModel m(platform, &view);
  m.StartUp();
  ASSERT_TRUE(m.ImportDataFile("gsa", file.generic_string()));
  ASSERT_EQ(m.data.NChan(), 8378);
  EXPECT_FLOAT_EQ(m.XRDPlot.SngTTMin(), m.data.Lower);
  m.SetCrystalSystem(1);
  m.pattern.SetExtinctionNumber(0, &m.UnitCell);
  m.CellTextGotFocus(0);
  ASSERT_TRUE(m.CellTextChanged(0, "4.175"));
  m.CellTextLostFocus(0);
  const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
  auto lineChannel = [&] {
    return *m.data.Index(m.XRDPlot.TTFromD(lambda, m.UnitCell.hklDSpacing(1, 1, 0)));
  };
  const std::int32_t before = lineChannel();
  std::int32_t peak = before;
  for (std::int32_t i = before - 15; i <= before + 15; ++i)
    if (m.data.Intensity(i) > m.data.Intensity(peak)) peak = i;
  ASSERT_GE(std::abs(peak - before), 4) << "the line should start off the peak";

  m.SetSnap(true);
  m.SetMouseMode(kCellEdge);
  const float tt110 = m.data.TwoTheta(before);
  m.PlotMouseDown(MouseButton::Left, tt110, 1000.0f);
  ASSERT_EQ(m.DraggedReflections().size(), 1u);
  EXPECT_EQ(m.DraggedReflections()[0], (std::array<std::int16_t, 3>{1, 1, 0}));
  EXPECT_EQ(m.ReportText, "Dragging 110");
  m.PlotMouseUp(MouseButton::Left, tt110 + 3.0f, 1000.0f);
  EXPECT_LE(std::abs(lineChannel() - peak), 2);
  EXPECT_EQ(m.UnitCell.CellParameters(1, 1), m.UnitCell.CellParameters(0, 1));  // still cubic
}


TEST_F(MainModelTest, OutOfRangeValuesInAStateReadAsTheirDefaults) {
  MainModel m(platform, &view);
  m.StartUp();
  PropertyBag b;
  b.WriteProperty("CellType", std::int32_t{7}, std::int32_t{1});
  b.WriteProperty("CrystalSystem", std::int32_t{99}, std::int32_t{8});
  b.WriteProperty("DEdgeScale", std::int16_t{0}, std::int16_t{100});
  b.WriteProperty("REdgeScale", std::int16_t{-5}, std::int16_t{1000});
  b.WriteProperty("PatternDataFile", std::string("/data/p.gsa") + std::string(3, '\0') + "\x01", std::string());
  m.ReadStateFromPb(b);
  EXPECT_EQ(m.UserCellType, 1);
  EXPECT_EQ(m.CrystalSystem(), 8);
  EXPECT_EQ(m.CellScrollWrapper.EdgeScale(1), 100);
  EXPECT_EQ(m.CellScrollWrapper.EdgeScale(-1), 1000);
  EXPECT_EQ(m.PatternDataFile, "/data/p.gsa");  // up to the NULs that padded an old dialog buffer
  // A scroll bar with a zero scale would divide by zero; the reset scale works.
  EXPECT_TRUE(m.CellScrollChanged(3, 8000));
  EXPECT_EQ(m.UnitCell.CellParameters(3, 1), "80");
}

}  // namespace
}  // namespace quorlin

namespace quorlin {
namespace {

// A card opened over a measured pattern names only itself as the data file;
// an undo or a reopened project must still show the pattern under the card.
TEST_F(MainModelTest, ACardOverAPatternKeepsThePatternThroughUndoAndReopen) {
  MainModel m(platform, &view);
  m.StartUp();
  const std::string chi = WriteChi("scan.chi", 601, 10.0, 0.1, [](int i) { return 100 + (i % 7); });
  ASSERT_TRUE(m.ImportDataFile("chi", chi));
  // A cubic card, a = 4 (200 at d = 2).
  std::ofstream(Path("cubic.jcpds"), std::ios::binary)
      << "VERSION: 4\nSYMMETRY: CUBIC\nA: 4.0\nDIHKL: 2.0 100 2 0 0\nDIHKL: 2.8284 50 1 1 0\n";
  ASSERT_TRUE(m.ImportDataFile("jcpds", Path("cubic.jcpds")));
  ASSERT_EQ(m.data.NChan(), 601);
  EXPECT_EQ(m.data.Intensity(3), 103);
  EXPECT_EQ(m.PatternDataFileType, "jcpds");

  m.SetMouseMode(kCellEdge);
  const float tt200 = m.XRDPlot.TTFromD(m.data.Lambda(m.data.PrimaryLineIndex()), 2.0f);
  m.PlotMouseDown(MouseButton::Left, tt200, 50.0f);
  m.PlotMouseUp(MouseButton::Left, tt200 - 0.4f, 50.0f);
  const std::string fitted = m.UnitCell.CellParameters(0, 1);
  ASSERT_NE(fitted, "4");

  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "4");
  EXPECT_EQ(m.data.NChan(), 601);
  EXPECT_EQ(m.data.Intensity(3), 103) << "the measured pattern was lost by the undo";
  EXPECT_EQ(m.XRDPlot.IMax(), "106");
  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), fitted);

  ASSERT_TRUE(m.WriteState(Path("card.prb")));
  MainModel other(platform);
  other.StartUp();
  ASSERT_TRUE(other.ReadState(Path("card.prb")));
  EXPECT_EQ(other.UnitCell.CellParameters(0, 1), fitted);
  EXPECT_EQ(other.PatternType, "jcpds");
  EXPECT_EQ(other.PeakList.NumberOfPeaks(), 2);
  EXPECT_EQ(other.data.Intensity(3), 103) << "the reopened project lost its measured pattern";
  EXPECT_FLOAT_EQ(other.data.Lower, 10.0f);
  // The caption names what the reopened project shows; once no file is
  // named any more, it names none.
  EXPECT_EQ(other.Caption, "Quorlin: " + Path("cubic.jcpds"));
  ASSERT_TRUE(other.RestoreDefaults());
  EXPECT_EQ(other.Caption, "Quorlin");

  // Without a card the measured file is the data file and is not stored twice.
  MainModel plain(platform);
  plain.StartUp();
  ASSERT_TRUE(plain.ImportDataFile("chi", chi));
  PropertyBag b = State(plain);
  EXPECT_FALSE(b.Contains("MeasuredDataFile"));
  EXPECT_FALSE(b.Contains("MeasuredDataFileType"));
}

}  // namespace
}  // namespace quorlin
