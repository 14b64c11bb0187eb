// The Pressure window's compression series over a synthetic gold series at
// 0.4133 A with a damaged file in the middle: the run on its worker, the
// table, the CSV and Apply.
#include "mainwindow/compression_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fitting/pattern_refinement.h"
#include "mainwindow/main_model.h"
#include "reflections/reflection_list.h"
#include "scripted_platform.h"
#include "support/gold_series.h"
#include "support/temp_path.h"

namespace quorlin {
namespace {

// Fei et al. 2007 gold, the 300 K Vinet isotherm worked by hand:
// V0 67.850 A^3, K0 167 GPa, K0' 6.00.
double FeiGoldPressure(double a) {
  const double x = std::cbrt(a * a * a / 67.850);
  return 3 * 167 * (1 - x) / (x * x) * std::exp(1.5 * (6.00 - 1) * (1 - x));
}

std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char ch = line[i];
    if (quoted && ch == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.back() += line[++i];
    else if (ch == '"') quoted = !quoted;
    else if (ch == ',' && !quoted) fields.emplace_back();
    else fields.back() += ch;
  }
  return fields;
}

class CompressionSeries : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TestTempPath("quorlin-compression");
    series_ = testing::WriteGoldSeries(dir_);
    SetUpPhase(model_.pattern, model_.UnitCell, 1, 12, {4.0786f, 4.0786f, 4.0786f, 90, 90, 90});
    SetSingleWavelength(model_.data, 0.4133f);
    model_.Pressure.marked = true;  // on Au-Fei2007, the mark's own default
    s_.AddFiles(series_.files);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  testing::ScriptedPlatform platform_;
  MainModel model_{platform_};
  CompressionSeriesModel s_{model_};
  std::filesystem::path dir_;
  testing::GoldSeries series_;
};

TEST_F(CompressionSeries, FollowsTheSeriesPastTheDamagedFile) {
  EXPECT_EQ(s_.ScaleName(), "Au-Fei2007");  // the marked standard's
  ASSERT_TRUE(s_.Follow());
  ASSERT_TRUE(s_.Start());
  EXPECT_FALSE(s_.Start());  // one run at a time
  s_.Wait();
  EXPECT_FALSE(s_.Running());
  EXPECT_DOUBLE_EQ(s_.Progress(), 1.0);
  ASSERT_EQ(s_.Rows().size(), series_.files.size());
  for (std::size_t i = 0; i < series_.files.size(); ++i) {
    const SeriesRow& row = s_.Rows()[i];
    const auto text = s_.TableRow(static_cast<int>(i));
    EXPECT_EQ(text[0], std::filesystem::path(series_.files[i]).filename().string());
    if (series_.edges[i] == 0) {
      EXPECT_FALSE(row.ok);
      EXPECT_EQ(text[9], "line 2: expected a number for y, found \"x\"");
      EXPECT_EQ(text[1], "");
      continue;
    }
    ASSERT_TRUE(row.ok) << row.error;
    EXPECT_NEAR(row.result.cell[0].value, series_.edges[i], 2e-4) << i;
    ASSERT_TRUE(row.pressure);
    EXPECT_NEAR(*row.pressure, FeiGoldPressure(series_.edges[i]), 0.1) << i;
  }
  EXPECT_EQ(s_.Message(), "5 of 6 patterns refined, 1 failed.");
  // The plot skips the failed file but keeps the places in the list.
  const auto P = s_.PlotPoints(SeriesQuantity::Pressure);
  ASSERT_EQ(P.size(), 5u);
  EXPECT_EQ(P[3].first, 5);
  EXPECT_NEAR(s_.PlotPoints(SeriesQuantity::Volume)[3].second, std::pow(series_.edges[4], 3), 0.02);
  // The run touched nothing of the working model.
  EXPECT_FLOAT_EQ(model_.UnitCell.Edge(1, 0), 4.0786f);
}

// With the zero shift refined too: noise-free peaks leave only the rounding
// of single-precision positions, which must count as converged.
TEST_F(CompressionSeries, RefiningTheZeroFollowsTheSeriesToo) {
  s_.SetRefineZero(true);
  ASSERT_TRUE(s_.Start());
  s_.Wait();
  ASSERT_EQ(s_.Rows().size(), series_.files.size());
  for (std::size_t i = 0; i < series_.files.size(); ++i) {
    if (series_.edges[i] == 0) continue;
    const SeriesRow& row = s_.Rows()[i];
    ASSERT_TRUE(row.ok) << row.error;
    EXPECT_NEAR(row.result.cell[0].value, series_.edges[i], 2e-4) << i;
    EXPECT_NEAR(row.result.zero.value, 0, 1e-3) << i;
  }
}

TEST_F(CompressionSeries, CsvHoldsEveryColumnAndTheFailure) {
  s_.SetFollow(false);  // each from the start cell: only the first is in reach
  ASSERT_TRUE(s_.Start());
  s_.Wait();
  ASSERT_EQ(s_.Rows().size(), series_.files.size());
  EXPECT_TRUE(s_.Rows()[0].ok);
  EXPECT_FALSE(s_.Rows()[1].ok);  // 1.5 % away: the series goes on without it
  std::istringstream csv(s_.CsvText());
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(csv, line);) {
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    lines.push_back(CsvFields(line));
  }
  ASSERT_EQ(lines.size(), series_.files.size() + 1);
  EXPECT_EQ(lines[0].front(), "file");
  EXPECT_EQ(lines[0][16], "P_GPa");
  EXPECT_EQ(lines[0].back(), "note");
  for (const auto& fields : lines) EXPECT_EQ(fields.size(), 19u);
  EXPECT_EQ(lines[1][0], series_.files[0]);
  EXPECT_EQ(lines[1][1], "4.078600");
  EXPECT_EQ(lines[1][9], "");  // su_b: b is fixed by symmetry
  EXPECT_NEAR(std::stod(lines[1][16]), 0, 0.05);
  EXPECT_EQ(lines[4][0], series_.files[3]);
  EXPECT_EQ(lines[4][1], "");
  EXPECT_EQ(lines[4][18], "line 2: expected a number for y, found \"x\"");

  const std::string path = (dir_ / "series.csv").string();
  ASSERT_TRUE(s_.ExportCsvFile(path));
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), s_.CsvText());
  // A folder that is not there: one message, no file.
  EXPECT_FALSE(s_.ExportCsvFile((dir_ / "none" / "x.csv").string()));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_NE(platform_.messages[0].find("cannot be written"), std::string::npos);
}

TEST_F(CompressionSeries, CancelStopsBetweenPatterns) {
  s_.AddFiles(series_.files);  // twelve patterns
  ASSERT_TRUE(s_.Start());
  s_.Cancel();
  s_.Wait();
  EXPECT_LT(s_.Rows().size(), 12u);
  EXPECT_EQ(s_.Message().rfind("Cancelled after ", 0), 0u) << s_.Message();
  // A new run starts over.
  s_.RemoveFile(11);
  ASSERT_TRUE(s_.Start());
  s_.Wait();
  EXPECT_EQ(s_.Rows().size(), 11u);
}

TEST_F(CompressionSeries, ListOrderAndApply) {
  ASSERT_TRUE(s_.MoveFile(3, -1));  // damaged.xy before au2.xy
  EXPECT_FALSE(s_.MoveFile(0, -1));
  EXPECT_FALSE(s_.MoveFile(5, 1));
  s_.RemoveFile(5);  // au4.xy
  ASSERT_EQ(s_.Files().size(), 5u);
  EXPECT_EQ(s_.Files()[2], series_.files[3]);
  EXPECT_EQ(s_.Files()[3], series_.files[2]);
  ASSERT_TRUE(s_.SetScaleName(""));
  EXPECT_FALSE(s_.SetScaleName("Unobtainium"));
  ASSERT_TRUE(s_.Start());
  s_.Wait();
  ASSERT_EQ(s_.Rows().size(), 5u);
  EXPECT_FALSE(s_.Rows()[0].pressure);  // no scale chosen
  EXPECT_EQ(s_.TableRow(0)[8], "");
  // The row's cell to the working phase, as one undo step.
  EXPECT_FALSE(s_.Apply(2));  // the damaged file's
  ASSERT_TRUE(s_.Apply(3));
  EXPECT_NEAR(model_.UnitCell.Edge(1, 0), series_.edges[2], 2e-4);
  model_.Undo();
  EXPECT_FLOAT_EQ(model_.UnitCell.Edge(1, 0), 4.0786f);
}

}  // namespace
}  // namespace quorlin
