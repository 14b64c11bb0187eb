// The Pressure window's "Compression series" driven by its named controls:
// files added, a run on the worker with the window polling it, the failed
// file's row, the P plot, Apply and Export CSV....
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QTableWidget>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "../support/gold_series.h"
#include "fitting/pattern_refinement.h"
#include "frm_pressure.h"
#include "gui_support.h"
#include "pressure_series_panel.h"
#include "reflections/reflection_list.h"

namespace quorlin {
namespace {

TEST(PressureSeriesPanel, RunsASeriesFromTheWindow) {
  testing::MainWindowFixture f(testing::Shown::Exposed);
  MainModel& m = f.m();
  const testing::GoldSeries gold = testing::WriteGoldSeries(f.home.Path().toStdString() + "/series");
  SetUpPhase(m.pattern, m.UnitCell, 1, 12, {4.0786f, 4.0786f, 4.0786f, 90, 90, 90});
  SetSingleWavelength(m.data, 0.4133f);
  m.Notify();
  f.window.mnuPressure->trigger();
  auto* pressure = f.window.FindToolWindow<frmPressure>();
  ASSERT_NE(pressure, nullptr);
  auto* panel = testing::Child<PressureSeriesPanel>(pressure, "fraCompressionSeries");
  ASSERT_NE(panel, nullptr);
  panel->chooseFiles = [&] {
    QStringList files;
    for (const std::string& path : gold.files) files << QString::fromStdString(path);
    return files;
  };
  auto* run = testing::Child<QPushButton>(panel, "cmdSeriesRun");
  EXPECT_FALSE(run->isEnabled());  // nothing to run over yet
  QTest::mouseClick(testing::Child<QPushButton>(panel, "cmdSeriesAdd"), Qt::LeftButton);
  auto* list = testing::Child<QListWidget>(panel, "lstSeriesFiles");
  ASSERT_EQ(list->count(), 6);
  EXPECT_EQ(list->item(3)->text(), "damaged.xy");
  EXPECT_TRUE(testing::Child<QCheckBox>(panel, "chkSeriesFollow")->isChecked());
  auto* scale = testing::Child<QComboBox>(panel, "cboSeriesScale");
  EXPECT_EQ(scale->currentText(), "(none)");  // no phase is marked
  scale->setCurrentText("Au-Fei2007");

  QTest::mouseClick(run, Qt::LeftButton);
  auto* cancel = testing::Child<QPushButton>(panel, "cmdSeriesCancel");
  EXPECT_TRUE(cancel->isEnabled());  // the run is on its worker
  EXPECT_FALSE(run->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return run->isEnabled(); }, 20000));
  EXPECT_FALSE(cancel->isEnabled());
  EXPECT_EQ(testing::Child<QProgressBar>(panel, "prgSeries")->value(), 100);

  auto* grid = testing::Child<QTableWidget>(panel, "grdSeries");
  ASSERT_EQ(grid->rowCount(), 6);
  EXPECT_EQ(grid->item(3, 0)->text(), "damaged.xy");
  EXPECT_EQ(grid->item(3, 9)->text(), "line 2: expected a number for y, found \"x\"");
  // au4.xy, a = 3.833884: Au-Fei2007 (Vinet, V0 67.850, K0 167, K0' 6.00) gives 53.37 GPa.
  EXPECT_NEAR(grid->item(5, 8)->text().section('(', 0, 0).toDouble(), 53.37, 0.1) << grid->item(5, 8)->text().toStdString();
  testing::Child<QComboBox>(panel, "cboSeriesPlot")->setCurrentText("P");
  const auto& points = testing::Child<SeriesPlot>(panel, "picSeriesPlot")->Points();
  ASSERT_EQ(points.size(), 5u);
  EXPECT_NEAR(points.back().second, 53.37, 0.1);

  grid->setCurrentCell(2, 0);
  QTest::mouseClick(testing::Child<QPushButton>(panel, "cmdSeriesApply"), Qt::LeftButton);
  EXPECT_NEAR(m.UnitCell.Edge(1, 0), gold.edges[2], 2e-4);

  const std::string csv = f.home.Path().toStdString() + "/series.csv";
  f.platform.chosenPaths.push_back(csv);
  QTest::mouseClick(testing::Child<QPushButton>(panel, "cmdSeriesExport"), Qt::LeftButton);
  ASSERT_FALSE(f.platform.dialogs.empty());
  EXPECT_EQ(f.platform.dialogs.back().initialFolder, f.home.Path().toStdString() + "/series");
  std::ifstream in(csv);
  std::string header;
  std::getline(in, header);
  EXPECT_EQ(header.rfind("file,a,b,c,alpha,beta,gamma,volume,", 0), 0u) << header;
}

}  // namespace
}  // namespace quorlin
