// The Cell Refinement window over the real main window: a drag, then Refine
// and Apply, is one undo step back to the dragged cell.

#include <filesystem>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <cmath>

#include "frm_refine_cell.h"
#include "gui_support.h"
#include "plot_view.h"
#include "reflections/reflection_list.h"

namespace quorlin {
namespace {

TEST(FrmRefineCell, DragThenRefineAndApplyIsOneUndoStepBackToTheDraggedCell) {
  if (!std::filesystem::exists(std::string(QUORLIN_SHARED_DIR) + "/realdata")) GTEST_SKIP() << "no realdata folder";
  testing::MainWindowFixture f(testing::Shown::Exposed);
  frmMain& window = f.window;
  MainModel& m = f.m();
  // CeO2 at 0.4066 A (synchrotron), Fm-3m (cubic entry 12).
  ASSERT_TRUE(f.UseCeO2AtSynchrotron());
  SetUpPhase(m.pattern, m.UnitCell, 1, 12, {5.43f, 5.43f, 5.43f, 90, 90, 90});
  // Zoomed onto the 200 line, so that a pixel is a few thousandths of a degree.
  ASSERT_TRUE(m.XRDPlot.SetTTMin("8"));
  ASSERT_TRUE(m.XRDPlot.SetTTMax("9.5"));
  m.Notify();
  QTest::qWait(0);

  // Drag the 200 line a few pixels: the cell lands near, not on, the peaks.
  window.cmdDrag->click();
  const double tt = 2.0 * std::asin(0.4066 / (2.0 * 5.43 / 2.0)) * 180.0 / M_PI;
  PlotView* plot = window.picXRayPlot;
  const QPoint press = plot->ToPixel(QPointF(tt, 100)).toPoint();
  const QPoint release = press + QPoint(2, 0);
  QTest::mousePress(plot, Qt::LeftButton, {}, press);
  QTest::mouseMove(plot, release);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, release);
  const float dragged = m.UnitCell.Edge(1, 0);
  ASSERT_NE(dragged, 5.43f);
  ASSERT_NEAR(dragged, 5.43f, 0.01f);
  // The whole pattern again for the refinement.
  ASSERT_TRUE(m.XRDPlot.SetTTMin("1"));
  ASSERT_TRUE(m.XRDPlot.SetTTMax("30"));
  m.Notify();

  window.mnuRefineCell->trigger();
  auto* refine = window.FindToolWindow<frmRefineCell>();
  ASSERT_NE(refine, nullptr);
  EXPECT_EQ(refine->windowTitle(), "Cell Refinement");
  auto* table = refine->findChild<QTableWidget*>("grdReflections");
  ASSERT_NE(table, nullptr);
  EXPECT_GT(table->rowCount(), 5);
  refine->findChild<QCheckBox*>("chkZeroShift")->setChecked(true);
  auto* apply = refine->findChild<QPushButton*>("cmdApply");
  EXPECT_FALSE(apply->isEnabled());
  QTest::mouseClick(refine->findChild<QPushButton*>("cmdRefine"), Qt::LeftButton);
  ASSERT_TRUE(apply->isEnabled()) << refine->findChild<QLabel*>("lblMessage")->text().toStdString();
  QTest::mouseClick(apply, Qt::LeftButton);
  EXPECT_NEAR(m.UnitCell.Edge(1, 0), 5.4116, 0.001);  // CeO2, NIST SRM 674b: 5.411651 A
  EXPECT_EQ(window.CellText[0]->text().toStdString(), m.UnitCell.CellParameters(0, 1));

  QTest::mouseClick(window.cmdUndo, Qt::LeftButton);
  EXPECT_FLOAT_EQ(m.UnitCell.Edge(1, 0), dragged);
}

}  // namespace
}  // namespace quorlin
