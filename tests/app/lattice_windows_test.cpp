// The lattice tool windows opened from their menus, offscreen: captions,
// named controls, and one real action each through the widgets.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "frm_lattice_projections.h"
#include "frm_lattice_tools.h"
#include "gui_support.h"
#include "plot_view.h"

namespace quorlin {
namespace {

using testing::ClickOption;

struct Fixture : testing::MainWindowFixture {
  Fixture() : MainWindowFixture(testing::Shown::NoWait) {
    m().EliminateSymmetry();
    EXPECT_TRUE(m().UnitCell.SetCell(1, {4, 4, 4, 90, 90, 90}));
    window.FormUpdate();
  }
  float P(int i) { return std::stof(m().UnitCell.CellParameters(i, 1)); }
};

TEST(LatticeWindows, CellTransformationFromItsMenu) {
  Fixture f;
  auto* w = f.OpenTool<frmCellManipulation>(f.window.mnuCellManipulation);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->windowTitle(), "Unit Cell Transformation");
  auto box = [&](int k) { return w->findChild<QLineEdit*>(QString("Text1(%1)").arg(k)); };
  ASSERT_TRUE(box(8));
  // Typed a' = 2a: Go! doubles a; Reset returns to the cell seen at opening.
  QTest::mouseClick(w->findChild<QPushButton*>("Special(0)"), Qt::LeftButton);
  box(0)->selectAll();
  QTest::keyClicks(box(0), "2");
  QTest::mouseClick(w->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  EXPECT_NEAR(f.P(0), 8, 1e-5);
  EXPECT_EQ(f.window.CellText[0]->text().toFloat(), 8.0f);
  // The menu wrote the undo record: Undo returns to the cell before opening,
  // and pressed again to the transformed one.
  f.m().Undo();
  EXPECT_EQ(f.P(0), 4.0f);
  f.m().Undo();
  EXPECT_NEAR(f.P(0), 8, 1e-5);
  QTest::mouseClick(w->findChild<QPushButton*>("Command2"), Qt::LeftButton);
  EXPECT_EQ(f.P(0), 4.0f);
  QTest::mouseClick(w->findChild<QPushButton*>("OKCommand"), Qt::LeftButton);
  EXPECT_FALSE(w->isVisible());
}

TEST(LatticeWindows, CentringFromItsMenuOnlyWithoutACrystalSystem) {
  Fixture f;
  f.m().SetCrystalSystem(1);
  f.m().Notify(ModelChange::Controls);
  EXPECT_FALSE(f.window.mnuAddCentering->isEnabled());
  f.m().EliminateSymmetry();
  f.m().Notify(ModelChange::Controls);
  auto* w = f.OpenTool<frmAddCentering>(f.window.mnuAddCentering);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->windowTitle(), "Centering Selection");
  ClickOption(w->findChild<QRadioButton*>("optDirectCentering(1)"));
  EXPECT_TRUE(w->findChild<QRadioButton*>("optReciprocalCentering(1)")->isChecked());
  EXPECT_EQ(w->findChild<QRadioButton*>("optReciprocalCentering(1)")->text(), "I (body-centered)");
  EXPECT_EQ(f.m().UnitCell.CenteringType, 1);
  EXPECT_EQ(f.m().pattern.ExtCond(0), 6);
}

TEST(LatticeWindows, SuperlatticeFromItsMenuMarksTransformsAndReverts) {
  Fixture f;
  auto* w = f.OpenTool<frmAddLatticePoints>(f.window.mnuCheckLatticePoints);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->windowTitle(), "Superlattice Points");
  EXPECT_EQ(w->findChild<QLineEdit*>("txtLatticePoint(0)")->text(), "0");
  // (1/2,1/2,1/2): a red line appears on the main plot at d = 4.6188.
  ASSERT_TRUE(f.m().XRDPlot.SetTTMin("5"));
  ASSERT_TRUE(f.m().XRDPlot.SetTTMax("40"));
  ClickOption(w->findChild<QRadioButton*>("optLatticePoint(6)"));
  EXPECT_EQ(w->findChild<QLineEdit*>("txtLatticePoint(2)")->text(), "0.5");
  const double lambda = f.m().data.Lambda(static_cast<int>(f.m().data.PrimaryLine));
  const double tt = 2 * std::asin(lambda / (2 * 4.6188)) * 180 / M_PI;
  const QPoint at = f.window.picXRayPlot->ToPixel(QPointF(tt, 5000)).toPoint();
  bool red = false;
  for (int dx = -1; dx <= 1; ++dx)
    red = red || f.window.picXRayPlot->Picture().pixelColor(at + QPoint(dx, 0)) == QColor(255, 0, 0);
  EXPECT_TRUE(red);
  // (1/2,0,0): Transform doubles a; Revert restores it.
  ClickOption(w->findChild<QRadioButton*>("optLatticePoint(0)"));
  QTest::mouseClick(w->findChild<QPushButton*>("cmdTransform"), Qt::LeftButton);
  EXPECT_NEAR(f.P(0), 8, 1e-5);
  QTest::mouseClick(w->findChild<QPushButton*>("cmdRevert"), Qt::LeftButton);
  EXPECT_EQ(f.P(0), 4.0f);
}

TEST(LatticeWindows, ProjectionsFromItsMenuFollowThePlotWhileTicked) {
  Fixture f;
  auto* w = f.OpenTool<frmLatticeProjections>(f.window.mnuLatticeProjections);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->windowTitle(), "Lattice Projections");
  auto* replot = w->findChild<QCheckBox*>("chkReplotPattern");
  ASSERT_TRUE(replot && replot->isChecked());
  ASSERT_FALSE(w->Spots().empty());
  // The 100 spot lies 1/a from the centre: 100 px per 1/A on a = 4 is 25 px.
  auto spot100 = [&] {
    for (const auto& s : w->Spots())
      if (s.h == 1 && s.k == 0 && s.l == 0) return std::hypot(s.x, s.y);
    return 0.0;
  };
  EXPECT_NEAR(spot100(), 0.25, 1e-6);
  // A cell change redraws the main plot, and with it the section.
  int before = w->Redraws();
  f.m().Edit([&] { f.m().UnitCell.SetCell(1, {5, 5, 5, 90, 90, 90}); });
  EXPECT_GT(w->Redraws(), before);
  EXPECT_NEAR(spot100(), 0.2, 1e-6);
  // Unticked, the section stays as it was.
  QTest::mouseClick(replot, Qt::LeftButton);
  before = w->Redraws();
  f.m().Edit([&] { f.m().UnitCell.SetCell(1, {4, 4, 4, 90, 90, 90}); });
  EXPECT_EQ(w->Redraws(), before);
  // The picture saves.
  const QString path = f.home.File("section.png");
  EXPECT_TRUE(w->SavePictureFile(path));
  EXPECT_FALSE(QImage(path).isNull());
  w->close();
  EXPECT_FALSE(static_cast<bool>(f.m().XRDPlot.PlotTheLatticeImage));
}

}  // namespace
}  // namespace quorlin
