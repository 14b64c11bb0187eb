// The option windows and the wavelength table driven through their real
// widgets, offscreen: each is opened by its menu item, worked by its controls
// and shown to follow an Undo pressed in the main window.

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include "gui_support.h"
#include "settings_windows.h"

namespace quorlin {
namespace {

using testing::Child;
using testing::Type;

struct Fixture : testing::MainWindowFixture {
  // Opens a window by its menu item and returns it, checking its caption.
  template <class T>
  T* Open(QAction* item, const char* name, const char* caption) {
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    auto* w = window.findChild<T*>(name);
    EXPECT_NE(w, nullptr);
    if (w) {
      EXPECT_TRUE(w->isVisible());
      EXPECT_EQ(w->windowTitle(), caption);
    }
    return w;
  }
  void CubicF(float a) {
    m().SetCrystalSystem(1);
    m().pattern.SetExtinctionNumber(12, &m().UnitCell);
    ASSERT_TRUE(m().UnitCell.SetCell(1, {a, a, a, 90, 90, 90}));
    m().Notify();
  }
};

TEST(SettingsWindows, WavelengthTableMakesASynchrotronLinePrimaryAndFollowsUndo) {
  Fixture f;
  auto* w = f.Open<frmChangeWavelength>(f.window.mnuChangeWavelength, "frmChangeWavelength", "X-ray Wavelengths");
  ASSERT_TRUE(w);
  auto* line6 = Child<QLineEdit>(w, "txtWavelength(6)");
  Type(line6, "0.4066");
  QTest::mouseClick(Child<QCheckBox>(w, "chkWavelength(6)"), Qt::LeftButton);
  int redraws = f.window.RedrawCount();
  QTest::mouseClick(Child<QPushButton>(w, "cmdSelectWavelength"), Qt::LeftButton);
  EXPECT_GT(f.window.RedrawCount(), redraws);
  EXPECT_EQ(f.m().data.PrimaryLineIndex(), 6);
  EXPECT_EQ(Child<QLineEdit>(w, "Text1")->text(), "0.4066");
  EXPECT_EQ(Child<QLabel>(w, "lblEnergy(6)")->text(), "30.4929");  // 12.398419843 / 0.4066
  EXPECT_TRUE(line6->styleSheet().contains("FFFF00"));
  // The primary line's box cannot be cleared.
  QTest::mouseClick(Child<QCheckBox>(w, "chkWavelength(6)"), Qt::LeftButton);
  EXPECT_TRUE(Child<QCheckBox>(w, "chkWavelength(6)")->isChecked());
  // A wavelength of 0.01 A or less is refused and the box shows the kept value.
  auto* line7 = Child<QLineEdit>(w, "txtWavelength(7)");
  Type(line7, "0.01");
  EXPECT_EQ(line7->text(), "1");
  EXPECT_EQ(f.m().data.Lambda(7), 1.0f);

  f.Undo();  // back to before the window opened
  EXPECT_EQ(f.m().data.PrimaryLineIndex(), 0);
  EXPECT_EQ(Child<QLineEdit>(w, "Text1")->text(), "1.540562");
  EXPECT_FALSE(Child<QCheckBox>(w, "chkWavelength(6)")->isChecked());
  EXPECT_EQ(line6->text(), "1");
}

TEST(SettingsWindows, LimitsWidenFitTheWindowCancelAndFollowUndo) {
  Fixture f;
  MainModel& m = f.m();
  m.pattern.hmin = m.pattern.kmin = m.pattern.lmin = 0;
  m.pattern.hmax = m.pattern.kmax = m.pattern.lmax = 3;
  auto* w = f.Open<frmChangeLimits>(f.window.mnuChangeLimits, "frmChangeLimits", "Change h,k,l limits");
  ASSERT_TRUE(w);
  auto* plus = Child<QPushButton>(w, "Command4");
  QTest::mouseClick(plus, Qt::LeftButton);
  QTest::mouseClick(plus, Qt::LeftButton);
  EXPECT_EQ(Child<QLineEdit>(w, "Text1")->text(), "-2");
  EXPECT_EQ(Child<QLineEdit>(w, "Text6")->text(), "5");
  EXPECT_EQ(m.pattern.kmin, -2);
  EXPECT_EQ(m.pattern.lmax, 5);

  f.Undo();
  EXPECT_EQ(Child<QLineEdit>(w, "Text1")->text(), "0");
  EXPECT_EQ(Child<QLineEdit>(w, "Text6")->text(), "3");

  // A box that overflows 16 bits is refused with a message.
  Child<QLineEdit>(w, "Text4")->setText("40000");
  QTest::mouseClick(Child<QPushButton>(w, "Command3"), Qt::LeftButton);
  EXPECT_EQ(f.platform.messages.size(), 1u);
  EXPECT_EQ(m.pattern.hmax, 3);

  // Garnet-sized cube to 158 degrees: the fit reaches h = 14.
  m.EliminateSymmetry();
  ASSERT_TRUE(m.UnitCell.SetCell(1, {11.5f, 11.5f, 11.5f, 90, 90, 90}));
  ASSERT_TRUE(m.XRDPlot.SetTTMax("158"));
  QTest::mouseClick(Child<QPushButton>(w, "cmdFitLimitsToWindow"), Qt::LeftButton);
  EXPECT_EQ(Child<QLineEdit>(w, "Text4")->text(), "14");
  EXPECT_EQ(m.pattern.lmin, -14);

  QTest::mouseClick(Child<QPushButton>(w, "CancelButton"), Qt::LeftButton);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(m.pattern.hmin, 0);  // the limits found at opening
  EXPECT_EQ(m.pattern.lmax, 3);
}

TEST(SettingsWindows, TheCellEditorsPopupOpensTheScrollRangesWhichRescaleEveryScrollBar) {
  Fixture f;
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), f.window.CellText[0]->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(f.window.CellText[0], &click);
  EXPECT_TRUE(f.window.mnuCellScrolls->isVisible());
  f.window.mnuCellScrolls->hide();
  auto* w =
      f.Open<frmCellScaleChange>(f.window.mnuCellScaleChange2, "frmCellScaleChange", "Lattice parameter range");
  ASSERT_TRUE(w);
  const QString oldMax = Child<QLineEdit>(w, "Text2")->text();
  const char* const values[3] = {"1", "50", "100"};
  for (int i = 0; i < 3; ++i) Child<QLineEdit>(w, QString("Text%1").arg(i + 1).toUtf8().constData())->setText(values[i]);
  QTest::mouseClick(Child<QPushButton>(w, "OKCommand"), Qt::LeftButton);
  for (QScrollBar* s : {f.window.hsbCellParameters[0], f.window.hsbCellParameters[2]}) {
    EXPECT_EQ(s->minimum(), 100);
    EXPECT_EQ(s->maximum(), 5000);
  }
  f.Undo();
  EXPECT_EQ(Child<QLineEdit>(w, "Text2")->text(), oldMax);
  EXPECT_NE(f.window.hsbCellParameters[0]->maximum(), 5000);
  // A refused entry gives the box back the value in force, as in the other dialogs.
  auto* edgeMin = Child<QLineEdit>(w, "Text1");
  const QString inForce = edgeMin->text();
  const std::size_t messages = f.platform.messages.size();
  edgeMin->setText("abc");
  QTest::mouseClick(Child<QPushButton>(w, "OKCommand"), Qt::LeftButton);
  EXPECT_EQ(f.platform.messages.size(), messages + 1);
  EXPECT_EQ(edgeMin->text(), inForce);
}

TEST(SettingsWindows, DSpacingCalculatorSaysAllowedOrForbiddenAndFollowsUndo) {
  Fixture f;
  f.CubicF(5.4117f);
  auto* w = f.Open<frmDSpacing>(f.window.mnuDSpacing, "frmDSpacing", "D-spacing calculation");
  ASSERT_TRUE(w);
  auto* result = Child<QLabel>(w, "Label7");
  EXPECT_EQ(result->text(), "Forbidden");
  for (const char* name : {"Text1", "Text2", "Text3"}) Child<QLineEdit>(w, name)->setText("1");
  QTest::mouseClick(Child<QPushButton>(w, "Command1"), Qt::LeftButton);
  EXPECT_EQ(result->text(), "Allowed");
  auto* d = Child<QLineEdit>(w, "Text4");
  EXPECT_NEAR(d->text().toDouble(), 5.4117 / std::sqrt(3.0), 1e-5);  // a / sqrt(3)

  f.m().Edit([&] { ASSERT_TRUE(f.m().UnitCell.SetCell(1, {6, 6, 6, 90, 90, 90})); });
  EXPECT_NEAR(d->text().toDouble(), 6 / std::sqrt(3.0), 1e-5);
  f.Undo();
  EXPECT_NEAR(d->text().toDouble(), 5.4117 / std::sqrt(3.0), 1e-5);
}

TEST(SettingsWindows, VolumeTrackingTakesTheCellVolumeAndFollowsUndo) {
  Fixture f;
  f.CubicF(6.0f);
  auto* w = f.Open<frmVolumeTracking>(f.window.mnuVolumeTracking, "frmVolumeTracking", "Volume Tracking");
  ASSERT_TRUE(w);
  auto* box = Child<QLineEdit>(w, "Text1");
  const QString before = box->text();
  QTest::mouseClick(Child<QPushButton>(w, "Command2"), Qt::LeftButton);
  EXPECT_NEAR(box->text().toDouble(), 216.0, 1e-3);  // 6^3
  f.Undo();
  EXPECT_EQ(box->text(), before);
  box->setText("0");
  QTest::mouseClick(Child<QPushButton>(w, "OKCommand"), Qt::LeftButton);
  EXPECT_TRUE(w->isVisible());  // refused: the window stays
  EXPECT_EQ(box->text(), before);
  EXPECT_EQ(f.platform.messages.size(), 1u);
}

TEST(SettingsWindows, ColoursGoToTheModelThroughThePlatformChooserAndFollowUndo) {
  Fixture f;
  MainModel& m = f.m();
  auto* w = f.Open<frmColors>(f.window.mnuColors, "frmColors", "Color scheme for the main x-ray pattern");
  ASSERT_TRUE(w);
  Child<QRadioButton>(w, "ColorChoice(0)")->click();
  EXPECT_EQ(m.pattern.ColorScheme, "Blue");
  auto* red = Child<QCheckBox>(w, "AbsenceChoice(0)");
  auto* black = Child<QCheckBox>(w, "AbsenceChoice(1)");
  QTest::mouseClick(red, Qt::LeftButton);
  QTest::mouseClick(black, Qt::LeftButton);
  EXPECT_FALSE(red->isChecked());
  EXPECT_TRUE(black->isChecked());
  EXPECT_EQ(m.pattern.AbsenceColor, 0);
  Child<QRadioButton>(w, "optLineWidth(2)")->click();
  EXPECT_EQ(m.pattern.linewidth, 3);
  f.platform.chosenColors = {0x00FF00u};
  QTest::mouseClick(Child<QPushButton>(w, "cmdChooseColor"), Qt::LeftButton);
  EXPECT_EQ(m.pattern.LineColor, 0x00FF00);

  f.Undo();
  EXPECT_TRUE(Child<QRadioButton>(w, "ColorChoice(7)")->isChecked());
  EXPECT_FALSE(black->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(w, "optLineWidth(0)")->isChecked());
}

}  // namespace
}  // namespace quorlin
