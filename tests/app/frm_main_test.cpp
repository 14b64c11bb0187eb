// The main window driven through its real widgets, offscreen: the cell
// editor, axis restrictions, plot gestures, undo, project files and the exit
// question. Dialogs are answered by the scripted platform.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTextStream>
#include <cmath>

#include "gui_support.h"
#include "plot_view.h"

namespace quorlin {
namespace {

using testing::App;
using testing::ScriptedPlatform;
using testing::TempHome;

// A shown, active window over a scripted platform in a fresh program folder.
struct Fixture : testing::MainWindowFixture {
  float Direct(int i) { return std::stof(m().UnitCell.CellParameters(i, 1)); }
  // Sets a cell of equal edges and right angles with no crystal system and
  // no axis restriction, and a 10..40 degree window, then redraws.
  void FreeCell(float a = 5.0f) {
    m().EliminateSymmetry();
    ASSERT_EQ(m().UnitCell.CellShape(), 0);
    ASSERT_TRUE(m().UnitCell.SetCell(1, {a, a, a, 90, 90, 90}));
    ASSERT_TRUE(m().XRDPlot.SetTTMax("40"));
    ASSERT_TRUE(m().XRDPlot.SetTTMin("10"));
    m().XRDPlot.LimitHistory(-1);
    m().PlotLimitUpdate();
    window.FormUpdate();
    window.MakeXRDPlot();
  }
  QPoint PixelAt(double x, double y) { return window.picXRayPlot->ToPixel(QPointF(x, y)).toPoint(); }
  double Lambda() { return m().data.Lambda(static_cast<int>(m().data.PrimaryLine)); }
};

// A Sietronics CPI pattern 10..20 degrees in steps of 0.05 with one peak.
QString WriteCpi(const TempHome& home) {
  QString path = home.File("scan.cpi");
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
  QTextStream out(&f);
  out << "SIETRONICS XRD SCAN\n10\n20\n0.05\nCu\n1.5406\nx\nx\nx\nSCANDATA\n";
  for (int i = 0; i <= 200; ++i) out << (i == 100 ? 900 : 100) << "\n";
  return path;
}

TEST(FrmMain, EveryAcceptableKeystrokeInTheCellEditorRedraws) {
  Fixture f;
  f.FreeCell();
  QLineEdit* a = f.window.CellText[0];
  a->setFocus();
  App().processEvents();  // the deferred select-all after the focus
  ASSERT_TRUE(a->hasSelectedText());
  int before = f.window.RedrawCount();
  QTest::keyClick(a, Qt::Key_1);
  EXPECT_EQ(f.window.RedrawCount(), before + 1);
  EXPECT_FLOAT_EQ(f.Direct(0), 1.0f);
  QTest::keyClick(a, Qt::Key_0);
  EXPECT_EQ(f.window.RedrawCount(), before + 2);
  EXPECT_FLOAT_EQ(f.Direct(0), 10.0f);
  EXPECT_EQ(a->text(), "10");  // the box being edited is not rewritten under the caret
  // The scroll bar follows the typed value with the edge scale.
  int scale = f.m().CellScrollWrapper.EdgeScale(1);
  EXPECT_EQ(f.window.hsbCellParameters[0]->value(), static_cast<int>(std::lround(10.0 * scale)));

  // An incomplete number is not applied and does not redraw.
  QTest::keyClick(a, Qt::Key_Period);
  EXPECT_EQ(f.window.RedrawCount(), before + 2);
  EXPECT_FLOAT_EQ(f.Direct(0), 10.0f);
  // Leaving the box rewrites it with the cell's value.
  f.window.CellText[1]->setFocus();
  App().processEvents();
  EXPECT_EQ(a->text().toStdString(), f.m().UnitCell.CellParameters(0, 1));
}

TEST(FrmMain, AnAxisRestrictionClearsTheCrystalSystemAndTheConditions) {
  Fixture f;
  f.FreeCell();
  MainModel& m = f.m();
  m.SetCrystalSystem(1);                        // cubic
  m.pattern.SetExtinctionNumber(7, &m.UnitCell);  // I23 ...: hkl "h+k+l"
  f.window.FormUpdate();
  ASSERT_EQ(f.window.cboExtinction[0]->currentText(), "h+k+l");
  EXPECT_FALSE(f.window.cmdStrain->isEnabled());  // Full Strain needs a free cell

  f.window.optCellShape[1]->click();  // a = b
  EXPECT_EQ(m.CrystalSystem(), 8);
  EXPECT_EQ(m.pattern.ExtinctionNumber(), -1);
  EXPECT_EQ(m.UnitCell.CellShape(), 1);
  EXPECT_TRUE(f.window.optCellShape[1]->isChecked());
  EXPECT_TRUE(f.window.cmdStrain->isEnabled());
  // b now follows a: its box and scroll bar are shut.
  EXPECT_FALSE(f.window.CellText[1]->isEnabled());
  EXPECT_FALSE(f.window.hsbCellParameters[1]->isEnabled());
  // Every combo shows what the model holds.
  for (int i = 0; i < 12; ++i) {
    int v = m.pattern.ExtCond(i);
    EXPECT_EQ(f.window.cboExtinction[i]->currentIndex(), v < 0 ? -1 : v) << i;
  }

  // Picking "(none)" in a combo clears the box and stores -1.
  QComboBox* hkl = f.window.cboExtinction[0];
  hkl->setCurrentIndex(1);
  emit hkl->activated(1);
  EXPECT_EQ(m.pattern.ExtCond(0), 1);
  emit hkl->activated(hkl->count() - 1);
  EXPECT_EQ(m.pattern.ExtCond(0), -1);
  EXPECT_EQ(hkl->currentIndex(), -1);
}

TEST(FrmMain, ACellEdgeDragPutsTheDraggedLineAtTheReleasePosition) {
  Fixture f;
  f.FreeCell(5.0f);
  MainModel& m = f.m();
  f.window.cmdDrag->click();
  ASSERT_EQ(m.MouseMode(), kCellEdge);
  // Worked by hand: 100 of a 5 A cell with Cu K-alpha1 sits at
  // 2 asin(1.540562 / 10) = 17.72 degrees; drop it at 19 degrees.
  double ttLine = 2.0 * std::asin(f.Lambda() / (2.0 * 5.0)) * 180.0 / M_PI;
  QPoint press = f.PixelAt(ttLine, 100);
  QPoint release = f.PixelAt(19.0, 100);
  PlotView* plot = f.window.picXRayPlot;
  QTest::mousePress(plot, Qt::LeftButton, {}, press);
  QTest::mouseMove(plot, (press + release) / 2);
  EXPECT_EQ(plot->CurrentBand(), PlotView::Band::Segment);  // the drag line is on the overlay
  QTest::mouseMove(plot, release);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, release);
  EXPECT_EQ(plot->CurrentBand(), PlotView::Band::None);

  ASSERT_EQ(m.DraggedReflections().size(), 1u);
  auto hkl = m.DraggedReflections()[0];
  EXPECT_EQ(std::abs(hkl[0]) + std::abs(hkl[1]) + std::abs(hkl[2]), 1);  // one of 100, 010, 001
  double releaseX = plot->ToUser(QPointF(release)).x();
  double now = m.XRDPlot.TTFromD(static_cast<float>(f.Lambda()), m.UnitCell.hklDSpacing(hkl[0], hkl[1], hkl[2]));
  EXPECT_NEAR(now, releaseX, 2e-3);
  // Only the dragged edge moved; the editor shows the new cell.
  int moved = hkl[0] != 0 ? 0 : hkl[1] != 0 ? 1 : 2;
  for (int i = 0; i < 3; ++i) {
    if (i == moved) EXPECT_LT(f.Direct(i), 5.0f);
    else EXPECT_FLOAT_EQ(f.Direct(i), 5.0f);
    EXPECT_EQ(f.window.CellText[i]->text().toStdString(), m.UnitCell.CellParameters(i, 1));
  }
  EXPECT_NE(f.window.ReportText->toPlainText().indexOf("Volume tracking: "), -1);
}

TEST(FrmMain, AZoomBoxSetsThePlotLimits) {
  Fixture f;
  f.FreeCell();
  MainModel& m = f.m();
  ASSERT_EQ(m.MouseMode(), kPoint);
  PlotView* plot = f.window.picXRayPlot;
  QPoint a(plot->width() / 5, plot->height() / 4), b(plot->width() * 3 / 5, plot->height() * 3 / 4);
  QPointF ua = plot->ToUser(QPointF(a)), ub = plot->ToUser(QPointF(b));
  QTest::mousePress(plot, Qt::LeftButton, {}, b);  // from the lower right corner
  QTest::mouseMove(plot, (a + b) / 2);
  EXPECT_EQ(plot->CurrentBand(), PlotView::Band::Box);
  QTest::mouseMove(plot, a);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, a);
  EXPECT_EQ(plot->CurrentBand(), PlotView::Band::None);

  EXPECT_NEAR(m.XRDPlot.SngTTMin(), ua.x(), 1e-3);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), ub.x(), 1e-3);
  EXPECT_NEAR(m.XRDPlot.IMinValue(), std::min(ua.y(), ub.y()), 1.0);
  EXPECT_NEAR(m.XRDPlot.IMaxValue(), std::max(ua.y(), ub.y()), 1.0);
  // The boxes show the new window, the horizontal limits to two decimals.
  EXPECT_NEAR(f.window.PlotLimits[0]->text().toDouble(), ua.x(), 0.006);
  EXPECT_NEAR(f.window.PlotLimits[1]->text().toDouble(), ub.x(), 0.006);
  // A long intensity text in the narrow box shows from its first digit (with
  // the caret at the end "469.18954" would show as "69.18954").
  ASSERT_TRUE(m.XRDPlot.Setimin("469.18954"));
  m.PlotLimitUpdate();
  EXPECT_EQ(f.window.PlotLimits[2]->text(), "469.18954");
  EXPECT_EQ(f.window.PlotLimits[2]->cursorPosition(), 0);
  // The old window is one step back in the history.
  EXPECT_TRUE(f.window.cmdPlotHistory[1]->isEnabled());
  EXPECT_TRUE(f.window.mnuUnzoom->isEnabled());
  f.window.cmdPlotHistory[1]->click();
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), 10.0, 1e-4);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 40.0, 1e-4);
  EXPECT_EQ(f.window.PlotLimits[1]->text(), "40");
}

TEST(FrmMain, AClickReadsOutAHandDragPansAndTheRightButtonOffersThePlotMenu) {
  Fixture f;
  f.FreeCell();
  MainModel& m = f.m();
  PlotView* plot = f.window.picXRayPlot;
  // A click without a box in Point mode: the read-out, no redraw, no zoom.
  int before = f.window.RedrawCount();
  QPoint at(plot->width() / 2, plot->height() / 2);
  QTest::mouseClick(plot, Qt::LeftButton, {}, at);
  EXPECT_EQ(f.window.RedrawCount(), before);
  EXPECT_NE(f.window.ReportText->toPlainText().indexOf("Cursor:"), -1);
  EXPECT_NE(f.window.ReportText->toPlainText().indexOf("2 theta = "), -1);
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), 10.0, 1e-5);

  // Hand: dragging the picture right by a quarter of its width moves the
  // window left by a quarter of its span (30 degrees / 4).
  f.window.cmdHand->click();
  ASSERT_EQ(m.MouseMode(), kHand);
  EXPECT_EQ(plot->cursor().shape(), Qt::SizeAllCursor);
  QPoint from(plot->width() / 2, plot->height() / 2), to(from.x() + plot->width() / 4, from.y());
  double dx = plot->ToUser(QPointF(to)).x() - plot->ToUser(QPointF(from)).x();
  QTest::mousePress(plot, Qt::LeftButton, {}, from);
  QTest::mouseMove(plot, to);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), 10.0 - dx, 1e-3);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 40.0 - dx, 1e-3);
  EXPECT_NEAR(f.window.PlotLimits[0]->text().toDouble(), 10.0 - dx, 0.006);

  QTest::mousePress(plot, Qt::RightButton, {}, from);
  EXPECT_TRUE(f.window.mnuOptions->isVisible());
  f.window.mnuOptions->close();
  QTest::mouseRelease(plot, Qt::RightButton, {}, from);
}

TEST(FrmMain, UndoAfterAZoomOnImportedDataReturnsToTheWindowBefore) {
  Fixture f;
  MainModel& m = f.m();
  f.platform.chosenPaths.push_back(WriteCpi(f.home).toStdString());
  f.window.mnuCPI->trigger();
  ASSERT_TRUE(m.DataOpened());
  QLineEdit* lo = f.window.PlotLimits[0];
  lo->setFocus();
  App().processEvents();
  QTest::keyClicks(lo, "12");
  f.window.PlotLimits[3]->setFocus();
  App().processEvents();
  ASSERT_NEAR(m.XRDPlot.SngTTMin(), 12.0, 1e-5);

  PlotView* plot = f.window.picXRayPlot;
  QPoint a(plot->width() / 4, plot->height() / 4), b(plot->width() / 2, plot->height() / 2);
  QTest::mousePress(plot, Qt::LeftButton, {}, a);
  QTest::mouseMove(plot, b);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, b);
  ASSERT_GT(m.XRDPlot.SngTTMin(), 12.0f);

  // Undo re-reads the state, which re-imports the data file; the window of
  // the state must survive that.
  QTest::mouseClick(f.window.cmdUndo, Qt::LeftButton);
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), 12.0, 1e-5);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 20.0, 1e-5);
  EXPECT_EQ(lo->text(), "12");
  // The re-read restarted the window history at the data's full range with
  // the zoomed window after it: Unzoom is offered and reaches the data.
  EXPECT_TRUE(m.XRDPlot.BackwardOK);
  EXPECT_TRUE(f.window.cmdPlotHistory[1]->isEnabled());
  ASSERT_TRUE(f.window.mnuUnzoom->isEnabled());
  f.window.mnuUnzoom->trigger();
  EXPECT_NEAR(m.XRDPlot.SngTTMin(), 10.0, 1e-5);
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 20.0, 1e-5);
}

TEST(FrmMain, UndoTwiceReturnsToWhereTheUserWas) {
  Fixture f;
  f.FreeCell();
  QLineEdit* a = f.window.CellText[0];
  a->setFocus();
  App().processEvents();
  QTest::keyClick(a, Qt::Key_7);
  ASSERT_FLOAT_EQ(f.Direct(0), 7.0f);

  // A real click: the button takes the focus, so the box is left first.
  QTest::mouseClick(f.window.cmdUndo, Qt::LeftButton);
  EXPECT_FALSE(a->hasFocus());
  EXPECT_FLOAT_EQ(f.Direct(0), 5.0f);
  EXPECT_EQ(a->text().toStdString(), f.m().UnitCell.CellParameters(0, 1));
  QTest::mouseClick(f.window.cmdUndo, Qt::LeftButton);
  EXPECT_FLOAT_EQ(f.Direct(0), 7.0f);
  EXPECT_EQ(a->text(), "7");
  QTest::mouseClick(f.window.cmdUndo, Qt::LeftButton);
  EXPECT_FLOAT_EQ(f.Direct(0), 5.0f);
}

TEST(FrmMain, ASavedProjectReopensToTheSameState) {
  Fixture f;
  MainModel& m = f.m();
  // An acute triclinic cell: every angle below 90 degrees.
  ASSERT_TRUE(m.UnitCell.SetCell(1, {5.1f, 6.2f, 7.3f, 70.5f, 80.25f, 85.75f}));
  ASSERT_TRUE(m.XRDPlot.SetTTMax("55.5"));
  ASSERT_TRUE(m.XRDPlot.SetTTMin("12.25"));
  f.window.mnuShowReport->trigger();  // a menu toggle is part of the state too
  f.window.FormUpdate();
  QString path = f.home.File("acute.prb");
  f.platform.chosenPaths.push_back(path.toStdString());
  f.window.mnuProjectSave->trigger();
  ASSERT_TRUE(QFile::exists(path)) << (f.platform.messages.empty() ? "" : f.platform.messages.back());

  ScriptedPlatform platform2;
  frmMain second(&platform2);
  platform2.chosenPaths.push_back(path.toStdString());
  second.mnuProjectOpen->trigger();
  ASSERT_TRUE(platform2.messages.empty()) << platform2.messages.front();
  MainModel& n = second.Model();
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(n.UnitCell.CellParameters(i, 1), m.UnitCell.CellParameters(i, 1)) << i;
    EXPECT_EQ(second.CellText[i]->text(), f.window.CellText[i]->text()) << i;
  }
  EXPECT_EQ(n.UnitCell.CellParameters(3, 1), "70.5");
  EXPECT_EQ(second.mnuShowReport->isChecked(), f.window.mnuShowReport->isChecked());
  EXPECT_EQ(n.XRDPlot.ShowReport, m.XRDPlot.ShowReport);
  EXPECT_EQ(n.XRDPlot.TTMin(), m.XRDPlot.TTMin());
  EXPECT_EQ(n.XRDPlot.TTMax(), m.XRDPlot.TTMax());
  EXPECT_EQ(second.PlotLimits[0]->text(), "12.25");

  // Saved as the default project, the state is what the next start shows.
  f.window.mnuProjectSaveAsDefault->trigger();
  ASSERT_TRUE(QFile::exists(f.home.File("pb.prb")));
  ScriptedPlatform platform3;
  frmMain restarted(&platform3);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(restarted.CellText[i]->text(), f.window.CellText[i]->text()) << i;
  EXPECT_EQ(restarted.PlotLimits[1]->text(), "55.5");
}

TEST(FrmMain, TheExitQuestionNeedsTwentySixChangesAndOpenedData) {
  Fixture f;
  MainModel& m = f.m();
  QScrollBar* bar = f.window.hsbCellParameters[0];
  const int start = bar->value();
  auto changeUntil = [&](int changes) {
    // Back and forth by one scroll step: every move is a cell change.
    for (int guard = 0; m.UnitCell.NumberOfChanges() < changes && guard < 200; ++guard)
      bar->setValue(bar->value() == start ? start + 1 : start);
  };
  changeUntil(26);
  // Many changes but no data opened: closes without asking.
  EXPECT_FALSE(m.DataOpened());
  f.window.close();
  EXPECT_TRUE(f.platform.questions.empty());
  EXPECT_FALSE(f.window.isVisible());
  f.window.show();

  QString cpi = WriteCpi(f.home);
  f.platform.chosenPaths.push_back(cpi.toStdString());
  f.window.mnuCPI->trigger();
  ASSERT_TRUE(m.DataOpened()) << (f.platform.messages.empty() ? "" : f.platform.messages.back());
  EXPECT_TRUE(f.window.windowTitle().startsWith("Quorlin: ")) << f.window.windowTitle().toStdString();
  EXPECT_TRUE(f.window.windowTitle().endsWith("scan.cpi")) << f.window.windowTitle().toStdString();
  EXPECT_EQ(f.window.PlotLimits[0]->text(), "10");
  EXPECT_EQ(f.window.PlotLimits[1]->text(), "20");

  // Cancel keeps the window open; No lets it close.
  f.platform.answers.push_back(MessageAnswer::Cancel);
  f.window.close();
  ASSERT_EQ(f.platform.questions.size(), 1u);
  EXPECT_EQ(f.platform.questions[0], "Save your work to a .prb file?");
  EXPECT_TRUE(f.window.isVisible());
  // Yes, then cancelling the save dialog, would lose the work: stay open.
  f.platform.answers.push_back(MessageAnswer::Yes);
  f.window.close();
  EXPECT_TRUE(f.window.isVisible());
  // Yes with a file chosen saves and closes.
  QString saved = f.home.File("work.prb");
  f.platform.answers.push_back(MessageAnswer::Yes);
  f.platform.chosenPaths.push_back(saved.toStdString());
  f.window.close();
  EXPECT_EQ(f.platform.questions.size(), 3u);
  EXPECT_TRUE(QFile::exists(saved));
  EXPECT_FALSE(f.window.isVisible());
  // No closes without saving.
  f.window.show();
  f.platform.answers.push_back(MessageAnswer::No);
  f.window.close();
  EXPECT_EQ(f.platform.questions.size(), 4u);
  EXPECT_FALSE(f.window.isVisible());
}

TEST(FrmMain, FewerThanTwentySixChangesCloseWithoutAQuestion) {
  Fixture f;
  MainModel& m = f.m();
  f.platform.chosenPaths.push_back(WriteCpi(f.home).toStdString());
  f.window.mnuCPI->trigger();
  ASSERT_TRUE(m.DataOpened());
  QScrollBar* bar = f.window.hsbCellParameters[0];
  const int start = bar->value();
  for (int guard = 0; m.UnitCell.NumberOfChanges() < 25 && guard < 200; ++guard)
    bar->setValue(bar->value() == start ? start + 1 : start);
  ASSERT_EQ(m.UnitCell.NumberOfChanges(), 25);
  f.window.close();
  EXPECT_TRUE(f.platform.questions.empty());
  EXPECT_FALSE(f.window.isVisible());
}

TEST(FrmMain, MenuTogglesAndTheLatticeChoiceFollowTheModel) {
  Fixture f;
  f.FreeCell(5.0f);
  MainModel& m = f.m();
  bool report = m.XRDPlot.ShowReport;
  f.window.mnuShowReport->trigger();
  EXPECT_EQ(m.XRDPlot.ShowReport, !report);
  EXPECT_EQ(f.window.mnuShowReport->isChecked(), !report);
  EXPECT_EQ(f.window.ReportText->isVisible(), !report);

  ASSERT_FALSE(m.XRDPlot.ShowSpecimenDisplacement);
  EXPECT_FALSE(f.window.txtSpecimenDisplacement->isVisible());
  f.window.mnuSpecimenDisplacement->trigger();
  EXPECT_TRUE(f.window.mnuSpecimenDisplacement->isChecked());
  ASSERT_TRUE(f.window.txtSpecimenDisplacement->isVisible());
  int before = f.window.RedrawCount();
  f.window.txtSpecimenDisplacement->setFocus();
  QTest::keyClicks(f.window.txtSpecimenDisplacement, "0.002");
  EXPECT_FLOAT_EQ(m.XRDPlot.SpecimenDisplacement, 0.002f);
  EXPECT_GT(f.window.RedrawCount(), before);
  // A lone minus sign is no number: the displacement in force stays.
  f.window.txtSpecimenDisplacement->clear();
  QTest::keyClicks(f.window.txtSpecimenDisplacement, "-");
  EXPECT_FLOAT_EQ(m.XRDPlot.SpecimenDisplacement, 0.002f);

  bool absences = m.pattern.PlotAbsences;
  f.window.mnuPlotAbsentLines->trigger();
  EXPECT_EQ(f.window.mnuPlotAbsentLines->isChecked(), !absences);
  EXPECT_EQ(m.pattern.PlotAbsences, !absences);

  // The editor shows the reciprocal cell: a* = 1/5 for a 5 A cube.
  f.window.mnuReciprocal->trigger();
  EXPECT_EQ(m.UserCellType, -1);
  EXPECT_TRUE(f.window.mnuReciprocal->isChecked());
  EXPECT_FALSE(f.window.mnuDirect->isChecked());
  EXPECT_FLOAT_EQ(f.window.CellText[0]->text().toFloat(), 0.2f);
  f.window.mnuDirect->trigger();
  EXPECT_EQ(f.window.CellText[0]->text(), "5");
}

TEST(FrmMain, PlotLimitBoxesApplyCompleteNumbersAndRewriteOnLeaving) {
  Fixture f;
  f.FreeCell();
  MainModel& m = f.m();
  QLineEdit* max = f.window.PlotLimits[1];
  max->setFocus();
  App().processEvents();
  ASSERT_TRUE(max->hasSelectedText());
  int before = f.window.RedrawCount();
  QTest::keyClicks(max, "35");
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 35.0, 1e-5);
  EXPECT_GT(f.window.RedrawCount(), before);
  QTest::keyClicks(max, ".");  // "35." is incomplete and not applied
  EXPECT_NEAR(m.XRDPlot.SngTTMax(), 35.0, 1e-5);
  f.window.PlotLimits[0]->setFocus();
  App().processEvents();
  EXPECT_EQ(max->text(), "35");
  EXPECT_TRUE(f.window.cmdPlotHistory[1]->isEnabled());  // leaving recorded the window
}

TEST(FrmMain, SavingThePlotWritesThePictureOrSaysWhyNot) {
  Fixture f;
  f.FreeCell();
  QString path = f.home.File("plot.bmp");
  f.platform.chosenPaths.push_back(path.toStdString());
  f.window.Command1->click();
  ASSERT_EQ(f.platform.dialogs.size(), 1u);
  EXPECT_EQ(f.platform.dialogs[0].title, "Save Picture");
  EXPECT_EQ(f.platform.dialogs[0].defaultExtension, "bmp");
  ASSERT_GE(f.platform.dialogs[0].filters.size(), 2u);
  EXPECT_EQ(f.platform.dialogs[0].filters[0].description, "Bitmap Files (*.bmp)");
  QImage saved(path);
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), f.window.picXRayPlot->size());
  EXPECT_EQ(f.m().BitmapDirectory, f.home.Path().toStdString());

  // A folder that does not exist: a message naming the file, nothing else.
  std::string bad = f.home.File("no/such/folder/plot.bmp").toStdString();
  f.platform.chosenPaths.push_back(bad);
  f.window.Command1->click();
  ASSERT_EQ(f.platform.messages.size(), 1u);
  EXPECT_NE(f.platform.messages[0].find(bad), std::string::npos);
  // Cancelling the dialog does nothing at all.
  f.window.Command1->click();
  EXPECT_EQ(f.platform.messages.size(), 1u);
}

TEST(FrmMain, AForeignProjectIsRefusedAndTheWindowKeepsItsState) {
  Fixture f;
  f.FreeCell(6.5f);
  QString path = f.home.File("foreign.prb");
  QFile junk(path);
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("PK\x03\x04 certainly not a project");
  junk.close();
  QStringList texts;
  for (QLineEdit* box : f.window.CellText) texts << box->text();
  f.platform.chosenPaths.push_back(path.toStdString());
  f.window.mnuProjectOpen->trigger();
  ASSERT_EQ(f.platform.messages.size(), 1u);
  EXPECT_NE(f.platform.messages[0].find("foreign.prb"), std::string::npos) << f.platform.messages[0];
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f.window.CellText[i]->text(), texts[i]) << i;
  EXPECT_FLOAT_EQ(f.Direct(0), 6.5f);
}

}  // namespace
}  // namespace quorlin
