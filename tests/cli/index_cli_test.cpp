// quorlin-cli index on raw real patterns through the peak search, on a peak
// list in d, and its refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/shell.h"
#include "support/temp_path.h"

namespace {

using quorlin::testing::CliCommand;
using quorlin::testing::RunShell;

const std::string kData = std::string(QUORLIN_SHARED_DIR) + "/realdata/";

struct Row {
  std::string system;
  char lattice = 0;
  double cell[6] = {};
};

// The first row under the header, or an empty row.
Row FirstRow(const std::string& output) {
  Row row;
  const auto header = output.find("# rank system lattice a b c alpha beta gamma volume M20 F20 zero indexed\n");
  if (header == std::string::npos) return row;
  std::istringstream in(output.substr(output.find('\n', header) + 1));
  int rank = 0;
  in >> rank >> row.system >> row.lattice;
  for (double& v : row.cell) in >> v;
  return row;
}

TEST(IndexCli, RealPatternsIndexToTheirCellsFirst) {
  if (!std::filesystem::exists(kData)) GTEST_SKIP() << "no realdata folder";
  struct Case {
    std::string args, system;
    char lattice;
    double axes[3];  // sorted; published cells
    double tolerance;
    std::string symbol;  // the first extinction symbol, or "" where several fit
    bool displaced;      // the lines' shift fits a specimen displacement better than a zero error
  };
  const Case cases[] = {
      // LaB6 (Pm-3m), NIST SRM 660b/c: a = 4.1569 A. The lines drift as a
      // specimen displacement moves them; read as a zero error they gave 4.1555.
      {"gsas/NIST660CBI.gsas' --tube Cu", "cubic", 'P', {4.1569, 4.1569, 4.1569}, 0.0005,
       "# symbol: 0 (P23, Pm-3, P432, P-43m, Pm-3m)", true},
      // PbSO4 (Pnma): 8.480 x 5.398 x 6.958 A.
      {"gsas/PBSO4.XRA' --tube Cu", "orthorhombic", 'P', {5.398, 6.958, 8.480}, 0.01, "", false},
      // CeO2 (Fm-3m), NIST SRM 674b: a = 5.4117 A.
      {"xy/CeO2_Pilatus1M.xy' --wavelength 0.4066", "cubic", 'F', {5.4117, 5.4117, 5.4117}, 0.002,
       "# symbol: 12 (F23, Fm-3, F432, F-43m, Fm-3m)", false},
  };
  for (const auto& c : cases) {
    const auto r = RunShell(CliCommand("index '" + kData + c.args + " --top 3") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.rfind("# peaks: ", 0), 0u) << r.output;
    const Row row = FirstRow(r.output);
    EXPECT_EQ(row.system, c.system) << r.output;
    EXPECT_EQ(row.lattice, c.lattice) << r.output;
    double axes[3] = {row.cell[0], row.cell[1], row.cell[2]};
    std::sort(axes, axes + 3);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(axes[i], c.axes[i], c.tolerance) << r.output;
    // LaB6's Bragg-Brentano lines drift by -0.088 cos(theta) degrees.
    EXPECT_EQ(r.output.find("# displacement: rank 1 -0.08") != std::string::npos, c.displaced) << r.output;
    // The centring shows in the extinction ranking: P symbols predict lines that are not there.
    if (!c.symbol.empty()) {
      EXPECT_NE(r.output.find("\n" + c.symbol + " unobserved 0\n# "), std::string::npos) << r.output;
    }
  }
}

TEST(IndexCli, PeakListInSpacingsAndRefusals) {
  const std::filesystem::path dir = quorlin::testing::TestTempPath("index_cli");
  std::filesystem::create_directories(dir);
  // Tetragonal P a = 4.0, c = 6.5: d of its first lines with intensities, a comment.
  std::ofstream(dir / "tet.txt") << "# d intensity\n"
                                        << [] {
                                             std::ostringstream s;
                                             for (int h = 0; h <= 3; ++h)
                                               for (int k = 0; k <= h; ++k)
                                                 for (int l = 0; l <= 4; ++l)
                                                   if (h + k + l > 0)
                                                     s << 1 / std::sqrt((h * h + k * k) / 16.0 + l * l / 42.25)
                                                       << " 100\n";
                                             return s.str();
                                           }();
  std::ofstream(dir / "bad.txt") << "# header\n3.2 10\nthree 10\n";
  std::ofstream(dir / "few.txt") << "3.1\n2.7\n";
  const auto ok = RunShell(CliCommand("index --peaks '" + (dir / "tet.txt").string() + "' --d --top 2") + " 2>&1");
  ASSERT_EQ(ok.status, 0) << ok.output;
  const Row row = FirstRow(ok.output);
  EXPECT_EQ(row.system, "tetragonal") << ok.output;
  EXPECT_NEAR(row.cell[0], 4.0, 1e-3) << ok.output;
  EXPECT_NEAR(row.cell[2], 6.5, 1e-3) << ok.output;
  EXPECT_NE(ok.output.find(" 0.0000 "), std::string::npos) << "zero is 0 for d: " << ok.output;

  const std::pair<std::string, std::string> refusals[] = {
      {"--peaks '" + (dir / "bad.txt").string() + "' --d", "bad.txt:3: "},
      {"--peaks '" + (dir / "few.txt").string() + "' --d", "few.txt: "},
      {"--peaks '" + (dir / "tet.txt").string() + "'", "need --tube"},
      {"'" + kData + "gsas/PBSO4.XRA' --tube Ag", "not a tube"},
      {"--peaks '" + (dir / "tet.txt").string() + "' --d --impurities -1", "--impurities"},
  };
  for (const auto& [args, text] : refusals) {
    const auto r = RunShell(CliCommand("index " + args) + " 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << args << "\n" << r.output;
    EXPECT_NE(r.output.find(text), std::string::npos) << args << "\n" << r.output;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
