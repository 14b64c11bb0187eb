// The main window's real widgets on the one edit path: a scroll-bar thumb
// drag is one change, and an absurd number typed into a limit or the
// displacement box is refused and the box restored.

#include <QPushButton>
#include <QScrollBar>

#include "gui_support.h"

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

}  // namespace
}  // namespace quorlin
