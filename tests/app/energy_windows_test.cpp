// The energy-dispersive tools and fluorescence-lines windows over the real
// main window, on a synthetic rock-salt spectrum and card.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <fstream>

#include "../support/synthetic_spectrum.h"
#include "frm_energy_dispersive.h"
#include "frm_fluorescence.h"
#include "gui_support.h"
#include "plot_view.h"

namespace quorlin {
namespace {

using testing::Child;

struct Fixture : testing::MainWindowFixture {
  void ImportRockSalt() {
    const std::string mca = home.File("s.mca").toStdString(), card = home.File("nacl.jcpds").toStdString();
    std::ofstream(mca) << testing::RockSaltMca(5.60);
    std::ofstream(card) << testing::NaClCard();
    ASSERT_TRUE(m().ImportDataFile("mca", mca));
    ASSERT_TRUE(m().ImportDataFile("jcpds", card));
  }
};

TEST(EnergyWindows, EnergyDispersiveFitsRevertsAndPicksLines) {
  Fixture f;
  QAction* fluorescence = f.Menu("mnuFluorescenceLines");
  ASSERT_NE(fluorescence, nullptr);
  EXPECT_FALSE(fluorescence->isEnabled()) << "angle data: no fluorescence lines";
  f.ImportRockSalt();
  EXPECT_TRUE(fluorescence->isEnabled());

  f.Menu("mnuEnergyDispersive")->trigger();
  auto* w = f.window.FindToolWindow<frmEnergyDispersive>();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Energy Dispersive Tools");
  EXPECT_EQ(Child<QLineEdit>(w, "txt2ThetaScanRange")->text(), ".2");
  EXPECT_EQ(Child<QLineEdit>(w, "txtLPNumberOfPoints")->text(), "40");
  EXPECT_EQ(Child<QLineEdit>(w, "txtTwoTheta")->text(), "6.5");
  EXPECT_TRUE(Child<QRadioButton>(w, "optPressureStandard(0)")->isChecked());
  EXPECT_EQ(Child<QRadioButton>(w, "optPressureStandard(4)")->text(), "NaCl");
  const QString opened = Child<QLineEdit>(w, "txtLatticeParameter")->text();

  QTest::mouseClick(Child<QRadioButton>(w, "optPressureStandard(4)"), Qt::LeftButton);
  QTest::mouseClick(Child<QPushButton>(w, "cmdFitLP"), Qt::LeftButton);
  EXPECT_NEAR(Child<QLineEdit>(w, "txtLatticeParameter")->text().toDouble(), 5.60, 0.003);
  // NaCl at 5.60 A: about 0.53 GPa on the Decker scale.
  EXPECT_NEAR(Child<QLineEdit>(w, "txtP")->text().toDouble(), 0.53, 0.05);
  EXPECT_EQ(w->Tools().PlotMode, 3);
  QTest::mouseClick(Child<QPushButton>(w, "cmdSaveNewLatticeParameter"), Qt::LeftButton);
  EXPECT_NEAR(f.m().UnitCell.Edge(1, 0), 5.60, 0.003);
  QTest::mouseClick(Child<QPushButton>(w, "cmdRevertToOldLatticeParameter"), Qt::LeftButton);
  EXPECT_EQ(QString::fromStdString(f.m().UnitCell.CellParameters(0, 1)), opened);
  EXPECT_EQ(Child<QLineEdit>(w, "txtLatticeParameter")->text(), opened);

  QTest::mouseClick(Child<QPushButton>(w, "Command3"), Qt::LeftButton);
  auto* list = Child<QComboBox>(w, "cboPeakList");
  ASSERT_EQ(list->count(), 11);
  EXPECT_EQ(list->itemText(0), "1 1 1");

  // Clicking next to the 2 0 0 line on the card view unselects it.
  QTest::mouseClick(Child<QPushButton>(w, "cmdDeselect"), Qt::LeftButton);
  EXPECT_EQ(w->Tools().PlotMode, 2);
  auto* plot = Child<PlotView>(w, "picPeakPlot");
  const float c200 = f.m().XRDPlot.TTFromD(1, f.m().UnitCell.hklDSpacing(2, 0, 0));
  QTest::mouseClick(plot, Qt::LeftButton, {}, plot->ToPixel(QPointF(c200, 100)).toPoint());
  EXPECT_FALSE(f.m().PeakList.Included(1));

  // A refused input: a message, and the box keeps what the user typed.
  Child<QLineEdit>(w, "txt2ThetaNumberOfPoints")->setText("0");
  QTest::mouseClick(Child<QPushButton>(w, "cmdScan2Theta"), Qt::LeftButton);
  EXPECT_EQ(f.platform.messages.size(), 1u);
  EXPECT_EQ(w->Tools().PlotMode, 2);

  // Reopened, the dialog reads the angle and edge afresh and starts at PlotMode 0.
  f.m().data.edsTWO_THETA = 7.0f;
  w->hide();
  f.Menu("mnuEnergyDispersive")->trigger();
  EXPECT_EQ(Child<QLineEdit>(w, "txtTwoTheta")->text(), "7");
  EXPECT_EQ(Child<QLineEdit>(w, "txt2ThetaNumberOfPoints")->text(), "40");
  EXPECT_EQ(w->Tools().PlotMode, 0);
}

TEST(EnergyWindows, FluorescenceStoresAndDeletesLines) {
  Fixture f;
  f.ImportRockSalt();
  f.Menu("mnuFluorescenceLines")->trigger();
  auto* w = f.window.FindToolWindow<frmFluorescence>();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Fluorescence Lines");
  EXPECT_EQ(Child<QLabel>(w, "Label1")->text(), "Elements:");
  QTest::keyClicks(Child<QLineEdit>(w, "txtElement(0)"), "Cu");
  const int redraws = f.window.RedrawCount();
  QTest::mouseClick(Child<QPushButton>(w, "cmdStoreAll"), Qt::LeftButton);
  EXPECT_FLOAT_EQ(f.m().storedphases.StoredFluorescenceLine(1, 0), 8.047f);
  EXPECT_FLOAT_EQ(f.m().storedphases.StoredFluorescenceLine(2, 0), 8.904f);
  EXPECT_GT(f.window.RedrawCount(), redraws);
  QTest::mouseClick(Child<QPushButton>(w, "cmdDeleteAll"), Qt::LeftButton);
  EXPECT_EQ(f.m().storedphases.StoredFluorescenceLine(1, 0), 0);
  // Reopened, the boxes start empty.
  w->hide();
  f.Menu("mnuFluorescenceLines")->trigger();
  EXPECT_TRUE(Child<QLineEdit>(w, "txtElement(0)")->text().isEmpty());
}

}  // namespace
}  // namespace quorlin
