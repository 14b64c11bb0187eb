// The energy-dispersive tools and fluorescence-lines windows over the real
// main window, on a synthetic rock-salt spectrum and card.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "../support/synthetic_spectrum.h"
#include "frm_energy_dispersive.h"
#include "frm_fluorescence.h"
#include "gui_support.h"
#include "plot_view.h"
#include "qt_surface.h"

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

// The pixel at which the picture drew user x: the drawing's own plot area
// and scale, not the view's mapping of the mouse.
QPoint DrawnPixel(const frmEnergyDispersive& w, double x) {
  const QtSurface& s = w.PeakSurface();
  const PlotScale& sc = s.CurrentScale();
  const QRect area = s.PlotArea();
  const double px = area.x() + (x - sc.left) / (sc.right - sc.left) * area.width();
  return {static_cast<int>(std::lround(px)), area.y() + area.height() / 2};
}

// The real spectrum and card of a user's report: MgO in COSI_022. A click at
// the pixel where a card line or a scan point is drawn reads that line or
// that x back, in each mode of the plot, and each scan has its own axis.
TEST(EnergyWindows, PeakPlotClicksReadWhatIsDrawnThere) {
  const std::string spectrum = std::string(QUORLIN_SHARED_DIR) + "/realdata/mca/COSI_022_0019.med";
  if (!std::filesystem::exists(spectrum)) GTEST_SKIP() << "no realdata folder";
  Fixture f;
  ASSERT_TRUE(f.m().ImportDataFile("mca", spectrum));
  ASSERT_TRUE(f.m().ImportDataFile("jcpds", std::string(QUORLIN_SOURCE_DIR) + "/docs/examples/mgo.jcpds"));
  f.Menu("mnuEnergyDispersive")->trigger();
  auto* w = f.window.FindToolWindow<frmEnergyDispersive>();
  ASSERT_NE(w, nullptr);
  w->resize(1100, 700);
  QApplication::processEvents();
  auto* plot = Child<PlotView>(w, "picPeakPlot");
  ASSERT_EQ(w->PeakSurface().LogicalSize(), plot->size());
  auto bottomTitle = [&] { return w->PeakSurface().Axes() ? w->PeakSurface().Axes()->bottomTitle : "(no axes)"; };
  auto topTitle = [&] { return w->PeakSurface().Axes() ? w->PeakSurface().Axes()->topTitle : "(no axes)"; };

  // The card lines: a click on one toggles that one alone.
  QTest::mouseClick(Child<QPushButton>(w, "cmdDeselect"), Qt::LeftButton);
  EXPECT_EQ(bottomTitle(), "Channel");
  EXPECT_EQ(topTitle(), "Energy (keV)");
  const clsPeakList& peaks = f.m().PeakList;
  auto index = [&](int h, int k, int l) {
    for (int i = 0; i < peaks.NumberOfPeaks(); ++i)
      if (peaks.h(i) == h && peaks.k(i) == k && peaks.l(i) == l) return i;
    return -1;
  };
  const int i200 = index(2, 0, 0), i220 = index(2, 2, 0), i311 = index(3, 1, 1);
  ASSERT_TRUE(i200 >= 0 && i220 >= 0 && i311 >= 0);
  const struct {
    int h, k, l;
    std::array<bool, 3> included;  // 200, 220, 311 after the click
  } picks[] = {{2, 2, 0, {true, false, true}}, {2, 0, 0, {false, false, true}}, {2, 2, 0, {false, true, true}}};
  for (const auto& p : picks) {
    const float channel = f.m().XRDPlot.TTFromD(1, f.m().UnitCell.hklDSpacing(p.h, p.k, p.l));
    QTest::mouseClick(plot, Qt::LeftButton, {}, DrawnPixel(*w, channel));
    EXPECT_EQ(peaks.Included(i200), p.included[0]) << p.h << p.k << p.l;
    EXPECT_EQ(peaks.Included(i220), p.included[1]) << p.h << p.k << p.l;
    EXPECT_EQ(peaks.Included(i311), p.included[2]) << p.h << p.k << p.l;
  }

  // The scans: a click at the pixel of scan point j writes that point's x,
  // within the width of a pixel.
  const struct {
    const char* button;
    const char* box;
    const char* title;
  } scans[] = {{"cmdFitLP", "txtLatticeParameter", "Lattice parameter (Å)"},
               {"cmdScan2Theta", "txtTwoTheta", "2θ (°)"}};
  for (const auto& c : scans) {
    QTest::mouseClick(Child<QPushButton>(w, c.button), Qt::LeftButton);
    const EnergyDispersiveModel& e = w->Tools();
    ASSERT_GT(e.ScanX.size(), 10u) << c.button;
    EXPECT_EQ(bottomTitle(), c.title) << c.button;
    EXPECT_EQ(topTitle(), "") << c.button;
    const double pixel = (e.ScanX.back() - e.ScanX.front()) / w->PeakSurface().PlotArea().width();
    for (std::size_t j : {std::size_t{2}, e.ScanX.size() / 2, e.ScanX.size() - 3}) {
      QTest::mouseClick(plot, Qt::LeftButton, {}, DrawnPixel(*w, e.ScanX[j]));
      EXPECT_NEAR(Child<QLineEdit>(w, c.box)->text().toDouble(), e.ScanX[j], pixel) << c.button << " point " << j;
    }
  }
  // A peak's window is scanned in channels.
  Child<QLineEdit>(w, "txth")->setText("2");
  Child<QLineEdit>(w, "txtk")->setText("0");
  Child<QLineEdit>(w, "txtl")->setText("0");
  QTest::mouseClick(Child<QPushButton>(w, "cmdFitSinglePeak"), Qt::LeftButton);
  EXPECT_EQ(w->Tools().PlotMode, 3);
  EXPECT_EQ(bottomTitle(), "Channel");
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
