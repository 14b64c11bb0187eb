// The crystal-system windows driven through the main window's menu and their
// real widgets, offscreen: each opens by its menu item with its caption, a
// symbol constrains the cell the main window shows, the menu's check mark
// follows the system, and an open window follows Undo.
#include "crystal_system_windows.h"

#include <QMenu>
#include <QPushButton>

#include "gui_support.h"

namespace quorlin {
namespace {

using testing::Child;
using testing::ClickOption;

struct Fixture : testing::MainWindowFixture {
  Fixture() : MainWindowFixture(testing::Shown::Exposed) {
    // A free cell that any constraint visibly changes.
    m().EliminateSymmetry();
    EXPECT_TRUE(m().UnitCell.SetCell(1, {5, 6, 7, 80, 95, 100}));
    m().Notify();
  }
  // Chooses the "&Crystal System" item with this caption.
  void Choose(const QString& caption) {
    for (QAction* a : window.mnuExtinctions->actions())
      if (a->text() == caption) {
        ASSERT_TRUE(a->isEnabled()) << caption.toStdString();
        a->trigger();
        return;
      }
    FAIL() << "no menu item " << caption.toStdString();
  }
  QWidget* Open(const char* objectName) {
    auto* w = window.findChild<QWidget*>(objectName);
    return w && w->isVisible() ? w : nullptr;
  }
  QString Cell(int i) { return window.CellText[static_cast<std::size_t>(i)]->text(); }
  QString CheckedSystem() {
    QString s;
    for (QAction* a : window.mnuExtinctions->actions())
      if (a->isChecked()) s += a->objectName();
    return s;
  }
};

TEST(CrystalSystemWindows, EachMenuItemOpensItsWindowOnce) {
  Fixture f;
  struct Row {
    const char* item;
    const char* name;
    const char* caption;
    const char* array;
    int count;
    const char* ok;
  };
  const Row rows[] = {
      {"&Cubic", "frmCubic", "Cubic System", "ExtinctionSymbol", 17, "OKCommand"},
      {"&Hexagonal", "frmHexagonal", "Hexagonal System", "ExtinctionSymbol", 7, "OKCommand"},
      {"T&rigonal", "frmTrigonal", "Trigonal System", "ExtinctionSymbol", 10, "OKCommand"},
      {"&Tetragonal", "frmTetragonal", "Tetragonal System", "optExtinctionSymbol", 31, "OKCommand"},
      {"&Orthorhombic", "frmOrthorhombic", "Orthorhombic", "optExtinctionSymbol", 44, "OKCommand"},
      {"&Monoclinic", "frmMonoclinic", "Monoclinic System", "ExtinctionSymbol", 14, "OKCommand"},
      {"Tric&linic", "frmTriclinic", "Triclinic", "ExtinctionSymbol", 1, "cmdOK"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    f.Choose(r.item);
    QWidget* w = f.Open(r.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), r.caption);
    for (int i = 0; i < r.count; ++i) Child<QRadioButton>(w, QString("%1(%2)").arg(r.array).arg(i));
    EXPECT_EQ(w->findChild<QRadioButton*>(QString("%1(%2)").arg(r.array).arg(r.count)), nullptr);
    Child<QPushButton>(w, "cmdNoExtinction");
    Child<QLineEdit>(w, "Text1");
    // Opening writes the undo record first and changes nothing.
    EXPECT_FALSE(f.m().UndoRecord().empty());
    EXPECT_EQ(f.m().CrystalSystem(), 8);
    // Chosen again, the same window is raised; OK closes it.
    f.Choose(r.item);
    EXPECT_EQ(f.window.findChildren<QWidget*>(r.name).size(), 1);
    QTest::mouseClick(Child<QPushButton>(w, r.ok), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
  }
  EXPECT_EQ(f.CheckedSystem(), "mnuSysNone");
}

TEST(CrystalSystemWindows, CubicFSymbolMakesTheCellCubicAndUndoRestoresTheWindow) {
  Fixture f;
  f.Choose("&Cubic");
  QWidget* w = f.Open("frmCubic");
  ASSERT_NE(w, nullptr);
  auto* F = Child<QRadioButton>(w, "ExtinctionSymbol(12)");
  EXPECT_EQ(F->text(), "F---");
  ClickOption(F);
  // Cubic axes: b and c follow a, right angles; the F list from the catalogue.
  EXPECT_EQ(f.m().CrystalSystem(), 1);
  EXPECT_EQ(f.Cell(1), f.Cell(0));
  EXPECT_EQ(f.Cell(2), f.Cell(0));
  EXPECT_EQ(f.Cell(3), "90");
  EXPECT_EQ(f.Cell(5), "90");
  EXPECT_FALSE(f.window.CellText[1]->isEnabled());
  auto* groups = Child<QLineEdit>(w, "Text1");
  EXPECT_EQ(groups->text(), "F23, Fm-3, F432, F-43m, Fm-3m");
  // A list longer than the box reads from its start; the tooltip has it all.
  EXPECT_EQ(groups->cursorPosition(), 0);
  EXPECT_EQ(groups->toolTip(), groups->text());
  EXPECT_TRUE(F->isChecked());
  EXPECT_EQ(f.CheckedSystem(), "mnuCubic");

  // Undo while the window is open: it shows the state before the choice.
  f.Undo();
  EXPECT_EQ(f.m().CrystalSystem(), 8);
  EXPECT_EQ(f.Cell(1), "6");
  EXPECT_FALSE(F->isChecked());
  // No system: no list of space groups, not the one of the undone choice.
  EXPECT_EQ(Child<QLineEdit>(w, "Text1")->text(), "");
  EXPECT_EQ(f.CheckedSystem(), "mnuSysNone");
  // Undo again (it toggles): the choice is back, in the window as well.
  f.Undo();
  EXPECT_TRUE(F->isChecked());
  EXPECT_EQ(f.CheckedSystem(), "mnuCubic");

  // "&None" clears the system and moves the check mark; Undo brings cubic back.
  f.Choose("&None");
  EXPECT_EQ(f.m().CrystalSystem(), 8);
  EXPECT_EQ(f.CheckedSystem(), "mnuSysNone");
  EXPECT_FALSE(F->isChecked());
  f.window.cmdUndo->click();
  EXPECT_EQ(f.CheckedSystem(), "mnuCubic");
}

TEST(CrystalSystemWindows, TrigonalSymbolsChooseRhombohedralOrHexagonalAxes) {
  Fixture f;
  f.Choose("T&rigonal");
  QWidget* w = f.Open("frmTrigonal");
  ASSERT_NE(w, nullptr);
  ClickOption(Child<QRadioButton>(w, "ExtinctionSymbol(8)"));  // R--
  EXPECT_EQ(f.m().UnitCell.Basis(), 3);
  EXPECT_EQ(f.Cell(1), f.Cell(0));
  EXPECT_EQ(f.Cell(2), f.Cell(0));
  EXPECT_EQ(f.Cell(4), f.Cell(3));
  EXPECT_EQ(f.Cell(5), f.Cell(3));
  EXPECT_EQ(f.CheckedSystem(), "mnuTrigonal");
  ClickOption(Child<QRadioButton>(w, "ExtinctionSymbol(4)"));  // R(obv)--
  EXPECT_EQ(f.m().UnitCell.Basis(), 2);
  EXPECT_EQ(f.Cell(1), f.Cell(0));
  EXPECT_EQ(f.Cell(5), "120");
}

TEST(CrystalSystemWindows, OrthorhombicOrientationsAndStepThrough) {
  Fixture f;
  f.Choose("&Orthorhombic");
  QWidget* o = f.Open("frmOrthorhombic");
  ASSERT_NE(o, nullptr);
  auto* step = Child<QPushButton>(o, "cmdStepThrough");
  EXPECT_EQ(step->text(), "Step Through ->");
  EXPECT_FALSE(step->isEnabled());
  ClickOption(Child<QRadioButton>(o, "optExtinctionSymbol(13)"));  // Pbca
  EXPECT_TRUE(Child<QRadioButton>(o, "optOrientation(0)")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(o, "optOrientation(1)")->isEnabled());
  EXPECT_FALSE(Child<QRadioButton>(o, "optOrientation(2)")->isEnabled());
  EXPECT_EQ(f.Cell(0), "5");
  EXPECT_EQ(f.Cell(3), "90");
  QTest::mouseClick(step, Qt::LeftButton);  // b-a-c
  EXPECT_TRUE(Child<QRadioButton>(o, "optOrientation(1)")->isChecked());
  EXPECT_EQ(f.Cell(0), "6");
  EXPECT_EQ(f.Cell(1), "5");
  QTest::mouseClick(step, Qt::LeftButton);  // Pbcn
  EXPECT_TRUE(Child<QRadioButton>(o, "optExtinctionSymbol(14)")->isChecked());
  EXPECT_EQ(Child<QLineEdit>(o, "Text1")->text(), "Pbcn");
  EXPECT_EQ(f.Cell(0), "5");  // back in a-b-c for the next symbol
}

}  // namespace
}  // namespace quorlin
