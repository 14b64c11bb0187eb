// The stored-phases and unit-cell database windows opened from their menu
// items and driven through their named widgets, and the jcpds card export
// from File > Export data.

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <cmath>
#include <fstream>
#include <sstream>

#include "data/jcpds.h"
#include "frm_standard_unit_cells.h"
#include "frm_store_patterns.h"
#include "gui_support.h"
#include "phases/unit_cell_library.h"

namespace quorlin {
namespace {

using testing::Child;

struct Fixture : testing::MainWindowFixture {
  Fixture() : MainWindowFixture(testing::Shown::Exposed) {}
};

TEST(PhasesWindows, StorePatternsFromTheMenuStoresSelectsLoadsAndDeletes) {
  Fixture f;
  f.m().SetCrystalSystem(1);
  ASSERT_TRUE(f.m().UnitCell.SetCell(1, {4, 4, 4, 90, 90, 90}));
  f.Trigger("mnuStorePatterns");
  auto* w = f.window.FindToolWindow<frmStorePatterns>();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->objectName(), "frmStorePatterns");
  EXPECT_EQ(w->windowTitle(), "Stored phases");

  auto* store = Child<QPushButton>(w, "cmdStorePattern");
  auto* slot0 = Child<QCheckBox>(w, "chkStoredPhase(0)");
  auto* load = Child<QPushButton>(w, "cmdLoad");
  auto* del = Child<QPushButton>(w, "cmdDeletePattern");
  EXPECT_FALSE(slot0->isEnabled());
  EXPECT_FALSE(load->isEnabled());
  QTest::mouseClick(store, Qt::LeftButton);
  EXPECT_EQ(slot0->text(), "1: Pattern 1");
  EXPECT_TRUE(slot0->isChecked());
  EXPECT_EQ(Child<QLineEdit>(w, "txtActivePhaseName")->text(), "Pattern 1");

  // The first click selects (the box keeps its state), the second hides.
  QTest::mouseClick(slot0, Qt::LeftButton);
  EXPECT_TRUE(slot0->isChecked());
  EXPECT_EQ(load->text(), "Load pattern: 1: Pattern 1");
  EXPECT_EQ(del->text(), "Delete pattern: 1: Pattern 1");
  QTest::mouseClick(slot0, Qt::LeftButton);
  EXPECT_FALSE(slot0->isChecked());
  EXPECT_FALSE(f.m().storedphases.StoredPattern(0).Plotted);

  // Renaming through the name box clears the selection.
  auto* name = Child<QLineEdit>(w, "txtActivePhaseName");
  name->setFocus();
  QApplication::processEvents();
  EXPECT_FALSE(load->isEnabled());
  name->selectAll();
  QTest::keyClicks(name, "Au");
  EXPECT_EQ(f.m().pattern.PatternName, "Au");

  // Cancelling the colour chooser keeps the colour; choosing one sets it.
  auto* colour0 = Child<QPushButton>(w, "picLineColor(0)");
  const std::int32_t white = f.m().storedphases.StoredPattern(0).StoredColor;
  QTest::mouseClick(colour0, Qt::LeftButton);
  EXPECT_EQ(f.m().storedphases.StoredPattern(0).StoredColor, white);
  f.platform.chosenColors.push_back(0xFF0000u);  // blue
  QTest::mouseClick(colour0, Qt::LeftButton);
  EXPECT_EQ(f.m().storedphases.StoredPattern(0).StoredColor, 0xFF0000);

  // Load makes the slot the current phase: its cell and name, its lines hidden.
  ASSERT_TRUE(f.m().UnitCell.SetCell(1, {6, 6, 6, 90, 90, 90}));
  QTest::mouseClick(slot0, Qt::LeftButton);  // select
  QTest::mouseClick(slot0, Qt::LeftButton);  // show again
  EXPECT_TRUE(slot0->isChecked());
  // The box beside a shown slot has its colour (red in the lowest byte: 0xFF0000 is blue).
  const QImage shown = colour0->grab().toImage();
  EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(0, 0, 255));
  QTest::mouseClick(load, Qt::LeftButton);
  EXPECT_FALSE(slot0->isChecked());
  EXPECT_EQ(f.m().UnitCell.CellParameters(0, 1), "4");
  EXPECT_EQ(f.m().pattern.PatternName, "Pattern 1");

  QTest::mouseClick(del, Qt::LeftButton);
  EXPECT_FALSE(slot0->isEnabled());
  EXPECT_EQ(del->text(), "Delete");
  EXPECT_EQ(load->text(), "load");

  // The menu wrote the undo record when the window opened: Undo forgets
  // everything done in the window since.
  f.m().Undo();
  EXPECT_FALSE(f.m().storedphases.StoredPattern(0).Exists);
  EXPECT_NE(f.m().pattern.PatternName, "Au");
}

TEST(PhasesWindows, UnitCellDatabaseFromTheMenuAppliesAddsAndAsksOnExit) {
  Fixture f;
  UnitCellLibrary lib;
  lib.SetGroupName(0, "metals");
  lib.Entry(0, 0) = {"Au", 1, 12, {4.0785f, 4.0785f, 4.0785f, 90, 90, 90}};
  lib.WriteFile(f.m().UnitCellFileName);
  f.Trigger("mnuStandardUnitCells");
  auto* w = f.window.FindToolWindow<frmStandardUnitCells>();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Unit Cell Database");
  EXPECT_EQ(Child<QLineEdit>(w, "txtGroupNames(0)")->text(), "metals");
  auto* list = Child<QComboBox>(w, "cmbPhaseNames(0)");
  ASSERT_EQ(list->count(), 20);
  EXPECT_EQ(list->itemText(0), "1. Au");
  EXPECT_EQ(list->itemText(1), "2. .");

  // Choosing the first entry (keyboard on the closed list) applies the cell.
  list->setFocus();
  list->setCurrentIndex(1);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(f.m().CrystalSystem(), 1);
  EXPECT_EQ(f.m().pattern.ExtinctionNumber(), 12);
  EXPECT_EQ(f.m().UnitCell.CellParameters(0, 1), "4.0785");
  EXPECT_EQ(f.m().pattern.PatternName, "Au");
  EXPECT_TRUE(Child<QPushButton>(w, "cmdRemove")->isEnabled());

  // A free slot, a name, Add.
  QTest::keyClick(list, Qt::Key_Down);
  auto* text1 = Child<QLineEdit>(w, "Text1");
  auto* add = Child<QPushButton>(w, "cmdAddCell");
  text1->clear();
  QTest::keyClicks(text1, "Au copy");
  ASSERT_TRUE(add->isEnabled());
  QTest::mouseClick(add, Qt::LeftButton);
  EXPECT_EQ(list->itemText(1), "2. Au copy");

  // Exit asks; Yes runs the save dialog into the chosen file.
  const std::string saved = f.home.File("saved.ucl").toStdString();
  f.platform.answers.push_back(MessageAnswer::Yes);
  f.platform.chosenPaths.push_back(saved);
  QTest::mouseClick(Child<QPushButton>(w, "cmdExit"), Qt::LeftButton);
  EXPECT_FALSE(w->isVisible());
  ASSERT_EQ(f.platform.questions.size(), 1u);
  EXPECT_EQ(f.platform.questions[0], "Save your unit cells to a file?");
  EXPECT_EQ(UnitCellLibrary::ReadFile(saved).Entry(0, 1).name, "Au copy");
  EXPECT_EQ(f.m().UnitCellFileName, saved);
}

TEST(PhasesWindows, ExportDataWritesTheCurrentPhaseAsAJcpdsCard) {
  Fixture f;
  f.m().SetCrystalSystem(1);
  f.m().pattern.SetExtinctionNumber(0, &f.m().UnitCell);
  ASSERT_TRUE(f.m().UnitCell.SetCell(1, {5, 5, 5, 90, 90, 90}));
  f.m().pattern.PatternName = "test phase";
  const std::string out = f.home.File("phase.jcpds").toStdString();
  f.platform.chosenPaths.push_back(out);
  f.Trigger("mnuJcpdsCard");
  ASSERT_EQ(f.platform.dialogs.back().filters[0].description, "jcpds card (*.jcpds)");
  std::ifstream in(out);
  ASSERT_TRUE(in.good());
  JcpdsCard card = ReadJcpdsCard(in, out);
  EXPECT_EQ(card.comment, "test phase");
  EXPECT_EQ(card.crystalSystem, 1);
  EXPECT_EQ(card.cell[0], 5.0f);
  ASSERT_FALSE(card.peaks.empty());
  // Unique reflections only, intensity 100, d from a / sqrt(h^2 + k^2 + l^2).
  for (const JcpdsPeak& p : card.peaks) {
    EXPECT_EQ(p.intensity, 100.0f);
    EXPECT_NEAR(p.d, 5.0 / std::sqrt(p.h * p.h + p.k * p.k + p.l * p.l), 1e-5);
  }
}

// Two stored phases saved in a project, reopened by the headless picture
// export: each phase's 100 line is drawn in its own colour. Bragg's law by
// hand with Cu K-alpha1 (1.540562 A): a = 6 at 14.75, a = 7 at 12.64 degrees.
TEST(PhasesWindows, StoredPhasesAreDrawnInTheirColoursAfterReopening) {
  Fixture f;
  f.Trigger("mnuStorePatterns");
  auto* w = f.window.FindToolWindow<frmStorePatterns>();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(f.m().XRDPlot.SetTTMax("40"));
  ASSERT_TRUE(f.m().XRDPlot.SetTTMin("10"));
  const std::uint32_t colours[2] = {0x0000FFu, 0x00FF00u};  // red, green (red in the lowest byte)
  const float edges[2] = {6.0f, 7.0f};
  for (int i = 0; i < 2; ++i) {
    f.m().SetCrystalSystem(1);
    f.m().pattern.SetExtinctionNumber(0, &f.m().UnitCell);
    ASSERT_TRUE(f.m().UnitCell.SetCell(1, {edges[i], edges[i], edges[i], 90, 90, 90}));
    f.m().pattern.PatternName.clear();
    QTest::mouseClick(Child<QPushButton>(w, "cmdStorePattern"), Qt::LeftButton);
    f.platform.chosenColors.push_back(colours[i]);
    QTest::mouseClick(Child<QPushButton>(w, QString("picLineColor(%1)").arg(i).toUtf8().constData()), Qt::LeftButton);
  }
  ASSERT_TRUE(f.m().UnitCell.SetCell(1, {3, 3, 3, 90, 90, 90}));  // the current phase draws above 29 degrees
  const QString project = f.home.File("two.prb");
  ASSERT_TRUE(f.m().ProjectSaveFile(project.toStdString()));

  const QString out = f.home.File("two.png");
  QProcess run;
  auto env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  run.setProcessEnvironment(env);
  run.start(QUORLIN_APP_PATH, {"--export-plot", project, out, "--size", "300x200", "--no-axes"});
  ASSERT_TRUE(run.waitForFinished(30000));
  ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
  QImage picture(out);
  ASSERT_FALSE(picture.isNull());
  const QColor expected[2] = {QColor(255, 0, 0), QColor(0, 255, 0)};
  for (int i = 0; i < 2; ++i) {
    double tt = 2.0 * std::asin(1.540562 / (2.0 * edges[i])) * 180.0 / M_PI;
    int column = static_cast<int>((tt - 10.0) / 30.0 * 300.0);
    bool found = false;
    for (int x = column - 2; x <= column + 2; ++x)
      for (int y = 0; y < picture.height(); ++y) found = found || picture.pixelColor(x, y) == expected[i];
    EXPECT_TRUE(found) << "no line of stored phase " << i << " near " << tt << " degrees";
  }
}

}  // namespace
}  // namespace quorlin
