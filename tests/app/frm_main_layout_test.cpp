// The main window's controls and menus: every one exists under its own name
// with its caption, and the window keeps the plot growing on resize.

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>

#include "gui_support.h"
#include "frm_standard_unit_cells.h"
#include "plot_view.h"

namespace quorlin {
namespace {

using testing::App;
using testing::Child;
using testing::TempHome;

QString Caption(QWidget& w, const QString& name) {
  auto* b = w.findChild<QAbstractButton*>(name);
  return b ? b->text() : QString("<missing %1>").arg(name);
}

TEST(FrmMainLayout, ControlsCarryTheirNamesCaptionsAndTooltips) {
  TempHome home;
  frmMain w;
  EXPECT_EQ(w.objectName(), "frmMain");
  EXPECT_TRUE(w.windowTitle().startsWith("Quorlin"));

  auto* a = Child<QLineEdit>(&w, "CellText(0)");
  auto* gamma = Child<QLineEdit>(&w, "CellText(5)");
  ASSERT_TRUE(a && gamma);
  EXPECT_EQ(a->toolTip(), "Unit cell parameter \"a\" in Angstroms");
  EXPECT_EQ(gamma->toolTip(), "Unit cell angle \"gamma\" in degrees");
  for (int i = 0; i < 6; ++i) {
    Child<QScrollBar>(&w, QString("hsbCellParameters(%1)").arg(i));
  }
  const char* history[4] = {"<<", "<", ">", ">>"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Caption(w, QString("cmdUnitCellHistory(%1)").arg(i)), history[i]);
    EXPECT_EQ(Caption(w, QString("cmdPlotHistory(%1)").arg(i)), history[i]);
    Child<QLineEdit>(&w, QString("PlotLimits(%1)").arg(i));
  }
  EXPECT_EQ(Caption(w, "optCellShape(2)"), "a = b = c; alpha = beta = gamma");
  EXPECT_EQ(Caption(w, "chkDimension(6)"), "a-b-c");
  EXPECT_EQ(Caption(w, "chkDimension(4)"), "a-c");
  EXPECT_EQ(Caption(w, "cmdHand"), "Ha&nd");
  EXPECT_EQ(Caption(w, "cmdStrain"), "Full &Strain");
  EXPECT_EQ(Caption(w, "chkSnap"), "Snap to peak");
  EXPECT_EQ(Caption(w, "cmdShiftLeft"), "Shift L&eft");
  EXPECT_EQ(Caption(w, "Command1"), "Save plot to a bitmap file");
  EXPECT_EQ(Caption(w, "cmdDefaultSize"), "Default Size");
  EXPECT_EQ(Caption(w, "cmdUndo"), "Undo");
  EXPECT_EQ(Caption(w, "btnExtinctionClear"), "Clear");
  EXPECT_EQ(Caption(w, "cmdClearDiffraction"), "Clear");
  Child<QTextEdit>(&w, "ReportText");
  Child<QLineEdit>(&w, "txtSpecimenDisplacement");
  Child<PlotView>(&w, "picXRayPlot");
}

TEST(FrmMainLayout, ConditionCombosListTheirZonesItems) {
  TempHome home;
  frmMain w;
  // Item counts of the twelve zones, last item "(none)" or "(No)".
  const int counts[12] = {8, 6, 6, 6, 3, 3, 5, 2, 5, 7, 2, 5};
  for (int i = 0; i < 12; ++i) {
    auto* c = Child<QComboBox>(&w, QString("cboExtinction(%1)").arg(i));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->count(), counts[i]) << i;
    EXPECT_EQ(c->itemText(c->count() - 1), i == 11 ? "(No)" : "(none)") << i;
  }
  EXPECT_EQ(w.cboExtinction[3]->itemText(3), "h+l=4n;h,k");
  EXPECT_EQ(w.cboExtinction[5]->itemText(1), "k = 4n");
  EXPECT_EQ(w.cboExtinction[11]->itemText(1), "h,k,l cyclic (SG. 205; rhombohedral)");
}

TEST(FrmMainLayout, MenusCarryTheirNamesAndCaptions) {
  TempHome home;
  frmMain w;
  auto caption = [&](const char* name) {
    auto* a = w.findChild<QAction*>(name);
    return a ? a->text() : QString("<missing %1>").arg(name);
  };
  EXPECT_EQ(caption("mnuGSAS"), "GSAS file");
  EXPECT_EQ(caption("mnuCPI"), "Sietronics CPI file");
  EXPECT_EQ(caption("mnuCHI"), "CHI file");
  EXPECT_EQ(caption("mnuMCA"), "MCA file");
  EXPECT_EQ(caption("mnuXYFile"), "xy file (*.xy)");
  EXPECT_EQ(caption("mnuProjectOpen"), "&Open a Previous Project");
  EXPECT_EQ(caption("mnuProjectSave"), "&Save Project in a (.prb) File");
  EXPECT_EQ(caption("mnuProjectSaveAsDefault"), "Save Current Project as &Default");
  EXPECT_EQ(caption("mnuRestoreDefaults"), "&Restore the Factory Default");
  EXPECT_EQ(caption("mnujcpds"), "Open a &jcpds file");
  EXPECT_EQ(caption("mnuExit"), "E&xit");
  EXPECT_EQ(caption("mnuDirect"), "&Direct");
  EXPECT_EQ(caption("mnuReciprocal"), "&Reciprocal");
  EXPECT_EQ(caption("mnuSysNone"), "&None");
  EXPECT_EQ(caption("mnuUnzoom"), "&Unzoom");
  EXPECT_EQ(caption("mnuPlotAbsentLines"), "&Plot absent lines");
  EXPECT_EQ(caption("mnuSpecimenDisplacement"), "&Specimen Displacement");
  EXPECT_EQ(caption("mnuFreeRemoval"), "&Allow free removal of planes and lines");
  EXPECT_EQ(caption("mnuShowReport"), "Show &Report");
  EXPECT_EQ(caption("mnuAbout"), "&About Quorlin");
  auto* options = w.findChild<QMenu*>("mnuOptions");
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->title(), "Pl&ot");
}

// Alt+letter reaches one owner: a menu title, not a button of the same
// letter that would take the first press; no two items of a menu share one.
TEST(FrmMainLayout, EveryAltKeyHasOneOwner) {
  TempHome home;
  frmMain w;
  auto* drag = Child<QPushButton>(&w, "cmdDrag");
  EXPECT_EQ(drag->text(), "&Cell Edge");  // the caption is kept
  QSet<int> titles;
  for (QAction* title : w.menuBar()->actions()) {
    const QKeySequence key = QKeySequence::mnemonic(title->text());
    ASSERT_FALSE(key.isEmpty()) << title->text().toStdString();
    EXPECT_FALSE(titles.contains(key[0].toCombined())) << title->text().toStdString();
    titles.insert(key[0].toCombined());
    QSet<int> items;
    for (QAction* item : title->menu()->actions()) {
      const QKeySequence k = QKeySequence::mnemonic(item->text());
      if (k.isEmpty()) continue;
      EXPECT_FALSE(items.contains(k[0].toCombined())) << item->text().toStdString();
      items.insert(k[0].toCombined());
    }
  }
  for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
    if (!b->shortcut().isEmpty()) {
      EXPECT_FALSE(titles.contains(b->shortcut()[0].toCombined())) << b->objectName().toStdString();
    }
}

// Texts that were clipped: an intensity limit, a seven-line read-out, the
// unit-cell database's longest button caption.
TEST(FrmMainLayout, BoxesAndButtonsFitTheirTexts) {
  testing::MainWindowFixture f;
  for (QLineEdit* box : {f.window.PlotLimits[2], f.window.PlotLimits[3]}) {
    box->setText("-15754.57");
    const int room = box->width() - 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    EXPECT_GE(room, box->fontMetrics().horizontalAdvance(box->text())) << box->objectName().toStdString();
  }
  auto* report = f.window.ReportText;
  report->setVisible(true);
  report->setPlainText("1\n2\n3\n4\n5\n6\n7");
  QApplication::processEvents();
  EXPECT_EQ(report->verticalScrollBar()->maximum(), 0) << "seven lines without scrolling";
  f.Trigger("mnuStandardUnitCells");
  auto* cells = f.window.FindToolWindow<frmStandardUnitCells>();
  ASSERT_NE(cells, nullptr);
  QApplication::processEvents();
  auto* add = Child<QPushButton>(cells, "cmdAddCell");
  EXPECT_GE(add->width(), add->fontMetrics().horizontalAdvance("Add the current unit cell in the selected slot"));
}

TEST(FrmMainLayout, ResizeGrowsThePlotAndDefaultSizeRestores) {
  TempHome home;
  frmMain w;
  w.show();
  App().processEvents();
  EXPECT_EQ(w.size(), frmMain::kDefaultSize);
  QSize plotBefore = w.picXRayPlot->size();
  int editorLeft = w.CellText[0]->mapTo(&w, QPoint(0, 0)).x();
  w.resize(frmMain::kDefaultSize + QSize(200, 150));
  App().processEvents();
  // The extra room goes to the plot; the cell editor moves right with it.
  EXPECT_EQ(w.picXRayPlot->width(), plotBefore.width() + 200);
  EXPECT_EQ(w.picXRayPlot->height(), plotBefore.height() + 150);
  EXPECT_EQ(w.CellText[0]->mapTo(&w, QPoint(0, 0)).x(), editorLeft + 200);
  w.cmdDefaultSize->click();
  App().processEvents();
  EXPECT_EQ(w.size(), frmMain::kDefaultSize);
  EXPECT_EQ(w.picXRayPlot->size(), plotBefore);
}

}  // namespace
}  // namespace quorlin
