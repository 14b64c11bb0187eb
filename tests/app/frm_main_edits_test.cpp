// The main window's real widgets on the one edit path: a scroll-bar thumb
// drag is one change, and an absurd number typed into a limit or the
// displacement box is refused and the box restored.

#include <QCheckBox>
#include <QFocusEvent>
#include <QPushButton>
#include <QScrollBar>

#include "gui_support.h"
#include "settings_windows.h"

namespace quorlin {
namespace {

using testing::App;
using Window = testing::MainWindowFixture;

TEST(FrmMainEdits, OneThumbDragIsOneChangeOneHistoryEntryAndOneUndoStep) {
  Window w;
  MainModel& m = w.m();
  w.window.optCellShape[0]->click();  // a free cell: the a bar is live
  QScrollBar* bar = w.window.hsbCellParameters[0];
  ASSERT_TRUE(bar->isEnabled());
  const int start = bar->value();
  const std::string a0 = m.UnitCell.CellParameters(0, 1);
  const int changes = m.UnitCell.NumberOfChanges();
  const int redraws = w.window.RedrawCount();

  bar->setSliderDown(true);  // what a press on the thumb does
  for (int step = 1; step <= 40; ++step) bar->setSliderPosition(start + step);
  EXPECT_GE(w.window.RedrawCount(), redraws + 40) << "the plot follows the thumb";
  EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes) << "no history entry before the release";
  bar->setSliderDown(false);
  EXPECT_EQ(m.UnitCell.NumberOfChanges(), changes + 1);
  EXPECT_NE(m.UnitCell.CellParameters(0, 1), a0);
  w.window.cmdUndo->click();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), a0);
  EXPECT_EQ(bar->value(), start);
}

TEST(FrmMainEdits, AbsurdNumbersAreRefusedAndTheBoxRestored) {
  Window w;
  MainModel& m = w.m();
  QLineEdit* iMax = w.window.PlotLimits[3];
  const QString before = iMax->text();
  iMax->setFocus();
  App().processEvents();
  iMax->selectAll();
  QTest::keyClicks(iMax, "1e999");
  EXPECT_EQ(m.XRDPlot.IMax(), before.toStdString());
  w.window.cmdUndo->setFocus();  // leaving the box shows the limit again
  EXPECT_EQ(iMax->text(), before);

  w.window.mnuSpecimenDisplacement->trigger();
  QLineEdit* box = w.window.txtSpecimenDisplacement;
  box->setFocus();
  App().processEvents();
  box->selectAll();
  QTest::keyClicks(box, "1e999");
  EXPECT_EQ(m.XRDPlot.SpecimenDisplacement, 0.0f);
  w.window.cmdUndo->setFocus();
  EXPECT_EQ(box->text(), "0");
}

// The focus sits in the first cell box, as at start-up. Coming back to the
// main window hands the box the focus again; that must not write the undo
// record over the change just made in the tool window.
TEST(FrmMainEdits, UndoAfterAToolWindowTakesBackItsChange) {
  Window w;
  MainModel& m = w.m();
  QLineEdit* a = w.window.CellText[0];
  a->setFocus();
  ASSERT_TRUE(a->hasFocus());
  auto* tool = w.OpenTool<frmChangeWavelength>(w.window.mnuChangeWavelength);
  ASSERT_TRUE(tool);
  auto* kAlpha2 = testing::Child<QCheckBox>(tool, "chkWavelength(1)");
  ASSERT_EQ(kAlpha2->text(), "K alpha 2");
  const bool before = m.data.LineExists(1);
  // Back in the main window the box gets the focus again: the offscreen
  // platform does not always deliver that focus-in, so it is sent as a
  // window system sends it, with the reason that says where it came from.
  auto tickInTool = [&](Qt::FocusReason back) {
    tool->activateWindow();
    QTest::mouseClick(kAlpha2, Qt::LeftButton);
    ASSERT_NE(m.data.LineExists(1), before);
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    QFocusEvent in(QEvent::FocusIn, back);
    QApplication::sendEvent(a, &in);
    ASSERT_TRUE(a->hasFocus());
  };

  tickInTool(Qt::ActiveWindowFocusReason);
  QTest::keyClick(a, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(m.data.LineExists(1), before);
  EXPECT_EQ(kAlpha2->isChecked(), before);

  // Typing after the return is an undo step of its own: Undo takes back the
  // typing and keeps the tool window's change.
  a->setFocus();  // Ctrl+Z left it on the Undo button
  tickInTool(Qt::PopupFocusReason);
  const std::string a0 = m.UnitCell.CellParameters(0, 1);
  QTest::keyClick(a, Qt::Key_End);
  QTest::keyClicks(a, ".5");
  ASSERT_NE(m.UnitCell.CellParameters(0, 1), a0);
  w.Undo();
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), a0);
  EXPECT_NE(m.data.LineExists(1), before);
}

}  // namespace
}  // namespace quorlin
