// The Powder Indexing window over the real main window: "&Index Pattern"
// opens it on the LaB6 pattern, a click on the plot adds a peak while "Add
// Peak" is down (and does nothing else), Index runs off the interface thread
// (the window keeps processing events until the result arrives), the
// selected solution is previewed on the plot, Apply sets the cubic P cell,
// one Undo brings the old cell back, and Cell Refinement refines the applied
// cell at once.

#include <filesystem>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include "fitting/pattern_refinement.h"
#include "frm_indexing.h"
#include "frm_refine_cell.h"
#include "plot_view.h"
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
  EXPECT_EQ(m.XRDPlot.PeakTicks.size(), static_cast<std::size_t>(peaks->rowCount()));

  // Remove the fourth peak, then click it back in Cell Edge mode with "Add
  // Peak" down: the peak returns and the cell stays. With the button up the
  // same press and drag moves a line, as it always does.
  window.cmdDrag->click();
  const int count = peaks->rowCount();
  const double removed = peaks->item(3, 0)->text().toDouble();
  peaks->setCurrentCell(3, 0);
  QTest::mouseClick(w->findChild<QPushButton*>("cmdRemovePeak"), Qt::LeftButton);
  ASSERT_EQ(peaks->rowCount(), count - 1);
  auto* add = w->findChild<QPushButton*>("cmdAddPeak");
  QTest::mouseClick(add, Qt::LeftButton);
  ASSERT_TRUE(add->isChecked());
  PlotView* plot = window.picXRayPlot;
  auto pressAndDrag = [&] {
    const QPoint press = plot->ToPixel(QPointF(removed, 1000)).toPoint();
    QTest::mousePress(plot, Qt::LeftButton, {}, press);
    QTest::mouseMove(plot, press + QPoint(30, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, press + QPoint(30, 0));
  };
  pressAndDrag();
  ASSERT_EQ(peaks->rowCount(), count);
  EXPECT_NEAR(peaks->item(3, 0)->text().toDouble(), removed, 0.01);
  EXPECT_EQ(peaks->item(3, 4)->text(), "added");
  EXPECT_FLOAT_EQ(m.UnitCell.Edge(1, 0), 4.3f);
  QTest::mouseClick(add, Qt::LeftButton);
  pressAndDrag();
  EXPECT_EQ(peaks->rowCount(), count);
  EXPECT_NE(m.UnitCell.Edge(1, 0), 4.3f);
  QTest::mouseClick(window.cmdUndo, Qt::LeftButton);
  ASSERT_FLOAT_EQ(m.UnitCell.Edge(1, 0), 4.3f);

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
  EXPECT_EQ(m.XRDPlot.PreviewLines.size(), w->Indexing().PreviewLines().size());
  EXPECT_FALSE(m.XRDPlot.PreviewLines.empty());
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

  // Applied again, the cell refines at once in Cell Refinement (the zero
  // shift with it: the pattern sits about 0.09 degrees off).
  QTest::mouseClick(apply, Qt::LeftButton);
  ASSERT_EQ(m.pattern.ExtinctionNumber(), 0);
  window.mnuRefineCell->trigger();
  auto* refine = window.FindToolWindow<frmRefineCell>();
  ASSERT_NE(refine, nullptr);
  refine->findChild<QCheckBox*>("chkZeroShift")->setChecked(true);
  QTest::mouseClick(refine->findChild<QPushButton*>("cmdRefine"), Qt::LeftButton);
  auto* refined = refine->findChild<QPushButton*>("cmdApply");
  ASSERT_TRUE(refined->isEnabled()) << refine->findChild<QLabel*>("lblMessage")->text().toStdString();
  QTest::mouseClick(refined, Qt::LeftButton);
  EXPECT_NEAR(m.UnitCell.Edge(1, 0), 4.1569, 0.002);  // NIST SRM 660a certificate: 4.15689 A

  // Closed, the window takes its marks off the plot.
  w->close();
  EXPECT_TRUE(m.XRDPlot.PeakTicks.empty());
  EXPECT_TRUE(m.XRDPlot.PreviewLines.empty());
}

}  // namespace
}  // namespace quorlin
