// quorlin-cli series over a synthetic compression series of gold.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "energy/scales.h"
#include "support/gold_series.h"
#include "support/shell.h"

namespace {

using quorlin::testing::CliCommand;
using quorlin::testing::GoldSeries;
using quorlin::testing::Lines;
using quorlin::testing::RunShell;

TEST(SeriesCli, FollowsACompressionSeriesPastADamagedFile) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("quorlin-series-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const GoldSeries series = quorlin::testing::WriteGoldSeries(dir);
  std::vector<double> edges;
  std::string files;
  for (std::size_t i = 0; i < series.files.size(); ++i) {
    files += " '" + series.files[i] + "'";
    if (series.edges[i] > 0) edges.push_back(series.edges[i]);
  }
  const std::string phase = " --cell 4.0786 4.0786 4.0786 90 90 90 --system cubic --symbol 12 --wavelength 0.4133";
  auto r = RunShell(CliCommand("series" + files + phase + " --follow --scale Au-Fei2007 2>" + (dir / "err").string()));
  EXPECT_EQ(r.status, 2);
  auto lines = Lines(r.output);
  ASSERT_EQ(lines.size(), edges.size() + 1) << r.output;
  EXPECT_EQ(lines[0],
            "# file a b c alpha beta gamma volume su_a su_b su_c su_alpha su_beta su_gamma su_volume zero P_GPa su_GPa");
  const quorlin::PressureScale& au = *quorlin::FindPressureScale("Au-Fei2007");
  for (std::size_t i = 0; i < edges.size(); ++i) {
    std::istringstream row(lines[i + 1]);
    std::string file, skip;
    double a = 0, P = 0;
    row >> file >> a;
    for (int k = 0; k < 14; ++k) row >> skip;
    row >> P;
    EXPECT_NE(file.find("au" + std::to_string(i) + ".xy"), std::string::npos) << lines[i + 1];
    EXPECT_NEAR(a, edges[i], 2e-4) << lines[i + 1];
    EXPECT_NEAR(P, quorlin::ScalePressure(au, std::pow(edges[i], 3), 300), 0.1) << lines[i + 1];
  }
  std::ifstream errIn(dir / "err");
  const std::string err((std::istreambuf_iterator<char>(errIn)), std::istreambuf_iterator<char>());
  auto errLines = Lines(err);
  ASSERT_EQ(errLines.size(), 1u) << err;
  EXPECT_NE(errLines[0].find("damaged.xy"), std::string::npos);

  // Without --follow every pattern starts from --cell: in parallel the rows
  // are those of one job, in the order given; the far ones cannot be refined.
  auto one = RunShell(CliCommand("series" + files + phase + " 2>/dev/null"));
  auto two = RunShell(CliCommand("series" + files + phase + " --jobs 3 2>/dev/null"));
  EXPECT_EQ(one.status, 2);
  EXPECT_EQ(two.status, 2);
  EXPECT_EQ(one.output, two.output);
  ASSERT_GE(Lines(one.output).size(), 2u);
  EXPECT_NE(Lines(one.output)[1].find("au0.xy 4.078600"), std::string::npos) << one.output;
  fs::remove_all(dir);
}

}  // namespace
