// The one edit path of the main window's model: observers hear of every
// change, a gesture is one change, and the faults a new user ran into (the
// window of a reopened project, a missing data file, absurd numbers, the
// export dialog) stay mended.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <sstream>

#include "support/temp_home.h"
#include "mainwindow/main_model.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlatform;

// Records what it was told and the cell edge a it saw at that moment, so a
// test can tell that it was called after the change, not before.
class RecordingObserver : public IModelObserver {
 public:
  explicit RecordingObserver(const MainModel& m) : model_(m) {}
  void ModelChanged(ModelChange what) override {
    changes.push_back(what);
    seenA.push_back(model_.UnitCell.CellParameters(0, 1));
    if (onCall) onCall();
  }
  bool Heard(ModelChange part) const {
    for (ModelChange c : changes)
      if (Touches(c, part)) return true;
    return false;
  }
  std::vector<ModelChange> changes;
  std::vector<std::string> seenA;
  std::function<void()> onCall;

 private:
  const MainModel& model_;
};

class ModelEditsTest : public testing::TempHomeTest {
 protected:
  // A CHI pattern of n points from x0 in steps of dx.
  std::string WriteChi(const std::string& name, int n, double x0, double dx) const {
    return TempHomeTest::WriteChi(name, n, x0, dx, [](int i) { return 100 + i % 50; });
  }
  // An MCA spectrum of `channels` channels (channels 0..channels-1).
  std::string WriteMca(const std::string& name, int channels) {
    std::ostringstream s;
    s << "CHANNELS: " << channels << "\nCAL_OFFSET: 0\nCAL_SLOPE: 0.02\nCAL_QUAD: 0\nTWO_THETA: 10\nDATA:\n";
    for (int i = 0; i < channels; ++i) s << (10 + i % 90) << "\n";
    std::ofstream(Path(name), std::ios::binary) << s.str();
    return Path(name);
  }

  ScriptedPlatform platform;
};

TEST_F(ModelEditsTest, ObserversHearEveryChangeAfterItIsMadeAndMayLeaveDuringANotification) {
  MainModel m(platform);
  m.StartUp();
  RecordingObserver first(m), leaving(m), last(m);
  m.AddObserver(&first);
  m.AddObserver(&leaving);
  m.AddObserver(&last);
  // The first observer closes the second window, and itself, while being told.
  first.onCall = [&] {
    m.RemoveObserver(&leaving);
    m.RemoveObserver(&first);
  };

  // An edit: typing a = 6 in the cell editor.
  m.CellTextGotFocus(0);
  ASSERT_TRUE(m.CellTextChanged(0, "6"));
  m.CellTextLostFocus(0);
  EXPECT_FALSE(first.changes.empty());
  EXPECT_TRUE(leaving.changes.empty()) << "removed before its turn came";
  ASSERT_TRUE(last.Heard(ModelChange::Controls));
  EXPECT_TRUE(last.Heard(ModelChange::Plot));
  EXPECT_EQ(last.seenA.back(), "6");
  const std::size_t firstCalls = first.changes.size();

  // Undo: told, and the restored cell is what it sees.
  last.changes.clear();
  m.Undo();
  EXPECT_TRUE(last.Heard(ModelChange::Controls) && last.Heard(ModelChange::Plot));
  EXPECT_EQ(last.seenA.back(), "5");
  EXPECT_EQ(first.changes.size(), firstCalls) << "a removed observer is not called again";

  // A project read through the File menu.
  m.CellTextGotFocus(0);
  ASSERT_TRUE(m.CellTextChanged(0, "7.5"));
  ASSERT_TRUE(m.ProjectSaveFile(Path("seven.prb")));
  m.CellTextChanged(0, "8");
  last.changes.clear();
  platform.chosenPaths.push_back(Path("seven.prb"));
  ASSERT_TRUE(m.ProjectOpen());
  EXPECT_TRUE(last.Heard(ModelChange::Controls) && last.Heard(ModelChange::Plot));
  EXPECT_EQ(last.seenA.back(), "7.5");

  // A drag of the 100 line in Cell Edge mode, told once it is released.
  m.SetCrystalSystem(8);
  m.pattern.SetDimensionFlags(6, true);
  ASSERT_TRUE(m.XRDPlot.SetTTMin("5"));
  ASSERT_TRUE(m.XRDPlot.SetTTMax("60"));
  m.SetMouseMode(kCellEdge);
  const float lambda = m.data.Lambda(m.data.PrimaryLineIndex());
  const float tt100 = m.XRDPlot.TTFromD(lambda, m.UnitCell.hklDSpacing(1, 0, 0));
  m.PlotMouseDown(MouseButton::Left, tt100, 100.0f);
  ASSERT_FALSE(m.DraggedReflections().empty());
  last.changes.clear();
  m.PlotMouseMove(MouseButton::Left, tt100 + 0.5f, 100.0f);
  EXPECT_TRUE(last.changes.empty()) << "a move changes nothing";
  m.PlotMouseUp(MouseButton::Left, tt100 + 0.5f, 100.0f);
  EXPECT_TRUE(last.Heard(ModelChange::Controls) && last.Heard(ModelChange::Plot));
  EXPECT_NE(last.seenA.back(), "7.5");

  // A cancelled drag changes nothing and tells no one; its release is ignored.
  const std::string a = m.UnitCell.CellParameters(0, 1);
  const float tt = m.XRDPlot.TTFromD(lambda, m.UnitCell.hklDSpacing(1, 0, 0));
  m.PlotMouseDown(MouseButton::Left, tt, 100.0f);
  ASSERT_TRUE(m.ButtonDown());
  last.changes.clear();
  m.CancelPlotGesture();
  EXPECT_FALSE(m.ButtonDown());
  m.PlotMouseUp(MouseButton::Left, tt + 1.0f, 100.0f);
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), a);
  EXPECT_TRUE(last.changes.empty());

  // Removing every observer leaves the model quiet and sound.
  m.RemoveObserver(&last);
  last.changes.clear();
  m.TogglePlotAbsences();
  EXPECT_TRUE(last.changes.empty());
}

TEST_F(ModelEditsTest, OneScrollBarDragIsOneChangeOneHistoryEntryAndOneUndoStep) {
  MainModel m(platform);
  m.StartUp();
  const int changes = m.UnitCell.NumberOfChanges();
  RecordingObserver watcher(m);
  m.AddObserver(&watcher);

  // Forty steps of the thumb of a (scale 100 per Angstrom): 5.00 -> 5.40.
  m.CellScrollPressed(0);
  for (int v = 501; v <= 540; ++v) m.CellScrollChanged(0, v);
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5.4") << "the cell follows the thumb live";
  EXPECT_GE(watcher.changes.size(), 40u) << "and so do the windows";
  m.CellScrollReleased(0);
  EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes + 1);
  EXPECT_TRUE(m.UnitCell.BackwardOK());
  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5") << "Undo returns to before the drag";
  m.Undo();

  // A click on an arrow is a change of its own.
  ASSERT_TRUE(m.CellScrollChanged(0, 541));
  EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes + 2);
  m.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5.4");
  // A release without a press changes nothing.
  m.CellScrollReleased(0);
  EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes + 2);
}

// The saved window is the user's: after the data file is read again it comes
// back exactly, whatever the data before it was, and Unzoom still reaches the
// whole of the data.
TEST_F(ModelEditsTest, ASavedWindowComesBackExactlyAfterTheReimportAndUnzoomReachesTheData) {
  const std::string wide = WriteChi("wide.chi", 1551, 5.0, 0.1);  // 5..160 degrees
  const std::string narrow = WriteChi("narrow.chi", 201, 10.0, 0.1);  // 10..30 degrees
  const std::string mca = WriteMca("spectrum.mca", 2048);  // channels 0..2047
  struct Case {
    const char* name;
    std::string file, type, lo, hi;  // the window saved ("" = the import's)
    std::string before;              // the data loaded when the project is read
    float fullLo, fullHi;
  };
  const Case cases[] = {
      {"energy, whole spectrum, over angle data", mca, "mca", "", "", narrow, 0, 2047},
      {"energy zoomed, over angle data", mca, "mca", "100", "900", narrow, 0, 2047},
      {"angle zoomed outside the data before", wide, "chi", "100", "160", narrow, 5, 160},
      {"angle zoomed, over energy data", wide, "chi", "100", "160", mca, 5, 160},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainModel saver(platform);
    saver.StartUp();
    ASSERT_TRUE(saver.ImportDataFile(c.type, c.file));
    if (!c.lo.empty()) {
      saver.PlotLimitGotFocus(0);
      ASSERT_TRUE(saver.PlotLimitChanged(0, c.lo));
      ASSERT_TRUE(saver.PlotLimitChanged(1, c.hi));
      saver.PlotLimitLostFocus(1);
    }
    const float lo = saver.XRDPlot.SngTTMin(), hi = saver.XRDPlot.SngTTMax();
    ASSERT_TRUE(saver.ProjectSaveFile(Path("p.prb")));

    MainModel reader(platform);
    reader.StartUp();
    ASSERT_TRUE(reader.ImportDataFile(c.before == mca ? "mca" : "chi", c.before));
    ASSERT_TRUE(reader.ProjectOpenFile(Path("p.prb")));
    EXPECT_EQ(reader.XRDPlot.DataType(), saver.XRDPlot.DataType());
    EXPECT_EQ(reader.XRDPlot.SngTTMin(), lo);
    EXPECT_EQ(reader.XRDPlot.SngTTMax(), hi);
    EXPECT_EQ(reader.XRDPlot.BackwardOK, !c.lo.empty()) << "Unzoom is offered when zoomed";
    reader.Unzoom();
    EXPECT_EQ(reader.XRDPlot.SngTTMin(), c.fullLo);
    EXPECT_EQ(reader.XRDPlot.SngTTMax(), c.fullHi);
  }

  // Angle data, then a spectrum, then Undo twice: the spectrum in its own window.
  MainModel m(platform);
  m.StartUp();
  ASSERT_TRUE(m.ImportDataFile("chi", narrow));
  ASSERT_TRUE(m.ImportDataFile("mca", mca));
  m.Undo();
  EXPECT_EQ(m.XRDPlot.DataType(), "Angle");
  EXPECT_EQ(m.XRDPlot.SngTTMax(), 30.0f);
  m.Undo();
  EXPECT_EQ(m.XRDPlot.DataType(), "Energy");
  EXPECT_EQ(m.XRDPlot.SngTTMin(), 0.0f);
  EXPECT_EQ(m.XRDPlot.SngTTMax(), 2047.0f);
}

// A project whose data file is gone opens on its own axis and window, says
// once which file is missing, and names no data file in the caption.
TEST_F(ModelEditsTest, AProjectWithoutItsDataFileKeepsItsAxisAndWindowAndSaysWhichFileIsMissing) {
  struct Case {
    const char* name;
    std::string type, lo, hi, dataType;
  };
  const Case cases[] = {{"angle data, later a spectrum", "chi", "15", "25", "Angle"},
                        {"a spectrum, later angle data", "mca", "100", "900", "Energy"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = c.type == "mca" ? WriteMca("gone.mca", 2048) : WriteChi("gone.chi", 201, 10.0, 0.1);
    MainModel saver(platform);
    saver.StartUp();
    ASSERT_TRUE(saver.ImportDataFile(c.type, file));
    saver.PlotLimitGotFocus(0);
    ASSERT_TRUE(saver.PlotLimitChanged(0, c.lo));
    ASSERT_TRUE(saver.PlotLimitChanged(1, c.hi));
    ASSERT_TRUE(saver.ProjectSaveFile(Path("p.prb")));
    fs::remove(file);

    MainModel reader(platform);
    reader.StartUp();
    ASSERT_TRUE(c.type == "mca" ? reader.ImportDataFile("chi", WriteChi("other.chi", 201, 10.0, 0.1))
                                : reader.ImportDataFile("mca", WriteMca("other.mca", 1024)));
    platform.messages.clear();
    ASSERT_TRUE(reader.ProjectOpenFile(Path("p.prb")));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find(file), std::string::npos) << platform.messages[0];
    EXPECT_EQ(reader.XRDPlot.DataType(), c.dataType);
    EXPECT_EQ(reader.PlotLimits[0], c.lo);
    EXPECT_EQ(reader.PlotLimits[1], c.hi);
    EXPECT_EQ(reader.Caption, "Quorlin");
  }
  // The factory state names no data file: nothing to say at start-up.
  platform.messages.clear();
  MainModel fresh(platform);
  fresh.StartUp();
  fresh.RestoreDefaults();
  EXPECT_TRUE(platform.messages.empty());
}

// A GSAS file with a wrong record count that also ends early: the reader's
// complaint and the note come in one box, which names the file.
TEST_F(ModelEditsTest, OneImportShowsAtMostOneMessageAndItNamesTheFile) {
  std::ostringstream gsas;
  gsas << "short pattern\n"
       << "BANK 1 20 7 CONST 1000 10 0 0 STD\n";  // 20 points in 2 records, not 7
  for (int j = 0; j < 10; ++j) gsas << "  " << std::setw(6) << 100 + j;
  gsas << "\n";
  std::ofstream(Path("short.gsa"), std::ios::binary) << gsas.str();
  MainModel m(platform);
  m.StartUp();
  ASSERT_TRUE(m.ImportDataFile("gsa", Path("short.gsa")));
  ASSERT_EQ(platform.messages.size(), 1u);
  const std::string& box = platform.messages[0];
  EXPECT_EQ(box.rfind(Path("short.gsa") + ":", 0), 0u) << box;
  EXPECT_NE(box.find("NRec"), std::string::npos) << box;
  EXPECT_NE(box.find("announces 20 points"), std::string::npos) << box;
}

// "1e999" typed key by key passes "1e9" and "1e99" on the way. A number no
// Single holds (FLT_MAX is about 3.4e38) is refused and the value from before
// the entry comes back, in the model and in the box.
TEST_F(ModelEditsTest, NumbersNoSingleHoldsAreRefusedInTheLimitAndDisplacementBoxes) {
  MainModel m(platform);
  m.StartUp();
  ASSERT_TRUE(m.ImportDataFile("chi", WriteChi("scan.chi", 201, 10.0, 0.1)));
  const std::string iMax = m.XRDPlot.IMax();
  m.PlotLimitGotFocus(3);
  for (const char* keys : {"1", "1e", "1e9", "1e99", "1e999"}) m.PlotLimitChanged(3, keys);
  EXPECT_EQ(m.XRDPlot.IMax(), iMax);
  EXPECT_EQ(m.PlotLimitLostFocus(3), iMax) << "the box shows it again";
  EXPECT_FALSE(m.PlotLimitChanged(0, "1e39"));
  EXPECT_FALSE(m.XRDPlot.SetIMax("4e38"));
  EXPECT_TRUE(m.XRDPlot.SetIMax("3e38"));

  m.SpecimenDisplacementGotFocus();
  for (const char* keys : {"1", "1e", "1e9", "1e99", "1e999"}) m.SpecimenDisplacementChanged(keys);
  EXPECT_EQ(m.XRDPlot.SpecimenDisplacement, 0.0f);
  ASSERT_TRUE(m.ProjectSaveFile(Path("p.prb")));
  MainModel other(platform);
  other.StartUp();
  ASSERT_TRUE(other.ProjectOpenFile(Path("p.prb")));
  EXPECT_EQ(other.XRDPlot.SpecimenDisplacement, 0.0f);
}

// The export dialog starts in the data's folder and proposes the bare name.
TEST_F(ModelEditsTest, TheXyExportProposesTheDataFolderAndTheFileName) {
  MainModel m(platform);
  m.StartUp();
  ASSERT_TRUE(m.ImportDataFile("chi", WriteChi("PBSO4.chi", 201, 10.0, 0.1)));
  m.DataDirectory = "/elsewhere";
  platform.dialogs.clear();
  platform.chosenPaths.push_back(Path("out.xy"));
  ASSERT_TRUE(m.ExportXY());
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].initialFolder, home.generic_string());
  EXPECT_EQ(platform.dialogs[0].fileName, "PBSO4.chi.xy");
  EXPECT_TRUE(fs::exists(Path("out.xy")));
}

}  // namespace
}  // namespace quorlin
