// The Powder Indexing window over the real main window: "&Index Pattern"
// opens it on the LaB6 pattern, Index runs off the interface thread (the
// window keeps processing events until the result arrives), Apply sets the
// cubic P cell, and one Undo brings the old cell back.

#include <filesystem>

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include "fitting/pattern_refinement.h"
#include "frm_indexing.h"
#include "gui_support.h"
#include "reflections/reflection_list.h"

namespace quorlin {
namespace {

TEST(FrmIndexing, IndexAndApplyOnLaB6IsOneUndoStep) {
  const std::string file = std::string(QUORLIN_SHARED_DIR) + "/realdata/gsas/NIST660CBI.gsas";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no realdata folder";
  testing::MainWindowFixture f(testing::Shown::Exposed);
  frmMain& window = f.window;
  MainModel& m = f.m();
  ASSERT_TRUE(m.ImportDataFile("gsa", file));
  SetTubeSource(m.data, "Cu");  // K-alpha1 and K-alpha2, as measured
  m.SetCrystalSystem(1);
  SetUpPhase(m.pattern, m.UnitCell, 1, 12, {4.3f, 4.3f, 4.3f, 90, 90, 90});  // wrong cell, F
  m.Notify();

  EXPECT_EQ(window.mnuIndexing->text(), "&Index Pattern");
  window.mnuIndexing->trigger();
  auto* w = window.FindToolWindow<frmIndexing>();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->objectName(), "frmIndexing");
  EXPECT_EQ(w->windowTitle(), "Powder Indexing");
  window.mnuIndexing->trigger();  // reopening raises the same window
  EXPECT_EQ(window.FindToolWindow<frmIndexing>(), w);
  auto* peaks = w->findChild<QTableWidget*>("grdPeaks");
  ASSERT_GE(peaks->rowCount(), 15);
  EXPECT_EQ(peaks->item(0, 0)->checkState(), Qt::Checked);

  auto* apply = w->findChild<QPushButton*>("cmdApply");
  EXPECT_FALSE(apply->isEnabled());
  QTest::mouseClick(w->findChild<QPushButton*>("cmdIndex"), Qt::LeftButton);
  EXPECT_TRUE(w->findChild<QPushButton*>("cmdCancel")->isEnabled());
  auto* solutions = w->findChild<QTableWidget*>("grdSolutions");
  QElapsedTimer clock;
  clock.start();
  while (w->Indexing().Running() && clock.elapsed() < 120000) QTest::qWait(20);
  QTest::qWait(100);  // the poll takes the result
  ASSERT_GT(solutions->rowCount(), 0) << w->findChild<QLabel*>("lblMessage")->text().toStdString();
  EXPECT_EQ(solutions->item(0, 1)->text(), "cubic");
  EXPECT_EQ(solutions->item(0, 2)->text(), "P");
  EXPECT_EQ(w->findChild<QProgressBar*>("prgIndexing")->value(), 100);
  auto* extinctions = w->findChild<QTableWidget*>("grdExtinctions");
  ASSERT_GT(extinctions->rowCount(), 0);
  EXPECT_EQ(extinctions->item(0, 0)->text(), "0");
  ASSERT_TRUE(apply->isEnabled());
  QTest::mouseClick(apply, Qt::LeftButton);
  // NIST SRM 660: a = 4.1569 A, once the lines' specimen displacement is refined.
  EXPECT_NEAR(m.UnitCell.Edge(1, 0), 4.1569, 0.0005);
  EXPECT_EQ(m.pattern.ExtinctionNumber(), 0);
  // The cell box shows the applied edge as the cell editor writes it.
  EXPECT_EQ(window.CellText[0]->text().toStdString(), m.CellBoxText(0));

  QTest::mouseClick(window.cmdUndo, Qt::LeftButton);
  EXPECT_FLOAT_EQ(m.UnitCell.Edge(1, 0), 4.3f);
  EXPECT_EQ(m.pattern.ExtinctionNumber(), 12);
}

}  // namespace
}  // namespace quorlin
