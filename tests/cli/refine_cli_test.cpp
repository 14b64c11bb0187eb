// quorlin-cli refine on the real calibrant patterns (the README's two
// examples), and its refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <sstream>
#include <string>

#include "support/shell.h"

namespace {

using quorlin::testing::CliCommand;
using quorlin::testing::RunShell;

const std::string kData = std::string(QUORLIN_SHARED_DIR) + "/realdata/";

// The value after "# cell:" (the a edge), or 0 when the header is missing.
double EdgeA(const std::string& output) {
  const auto at = output.find("# cell: ");
  if (at == std::string::npos) return 0;
  std::istringstream in(output.substr(at + 8));
  double a = 0;
  in >> a;
  return a;
}

TEST(RefineCli, CalibrantPatternsRefineToTheirCertifiedEdges) {
  if (!std::filesystem::exists(std::string(QUORLIN_SHARED_DIR) + "/realdata")) GTEST_SKIP() << "no realdata folder";
  struct Case {
    std::string args;
    double certified;  // Angstrom
  };
  const Case cases[] = {
      // LaB6, NIST SRM 660c certificate: a = 4.156826 A (22.5 C); lab Cu data,
      // so K-alpha2 is on, with zero shift and specimen displacement.
      {"'" + kData + "gsas/NIST660CBI.gsas' --cell 4.1527 4.1527 4.1527 90 90 90 --system cubic --symbol 0 "
       "--tube Cu --zero --displacement",
       4.156826},
      // CeO2 (Fm-3m, cubic entry 12), NIST SRM 674b: a = 5.411651 A;
      // synchrotron data at 0.4066 A.
      {"'" + kData + "xy/CeO2_Pilatus1M.xy' --cell 5.417 5.417 5.417 90 90 90 --system cubic --symbol 12 "
       "--wavelength 0.4066 --zero",
       5.411651},
  };
  for (const auto& c : cases) {
    const auto r = RunShell(CliCommand("refine " + c.args) + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NEAR(EdgeA(r.output), c.certified, 0.001) << r.output;
    // The header lines the issue names, in order, then the table.
    const auto cell = r.output.find("# cell: "), su = r.output.find("\n# su: "),
               volume = r.output.find("\n# volume: "), zero = r.output.find("\n# zero: "),
               shift = r.output.find("\n# displacement: ");
    ASSERT_NE(shift, std::string::npos) << r.output;
    EXPECT_TRUE(cell < su && su < volume && volume < zero && zero < shift) << r.output;
    EXPECT_NE(r.output.find("\n# su: 0.000"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(" - - - - -\n"), std::string::npos) << "b, c and the angles are fixed: " << r.output;
  }
}

TEST(RefineCli, APatternOrCellThatCannotBeRefinedExitsWithOneLine) {
  const std::string lab = "'" + kData + "gsas/NIST660CBI.gsas'";
  const std::string cases[] = {
      // No source for 2-theta data.
      lab + " --cell 4.157 4.157 4.157 90 90 90 --system cubic --symbol 0",
      // A window with a single line cannot fix a cell, a zero and a displacement.
      lab + " --cell 4.157 4.157 4.157 90 90 90 --system cubic --symbol 0 --tube Cu --range 20 23 --zero "
            "--displacement",
      // A missing file.
      "/nonexistent/pattern.xy --cell 4 4 4 90 90 90 --system cubic --symbol 0 --tube Cu",
      // An impossible cell.
      lab + " --cell 4 4 4 90 90 200 --system triclinic --symbol 0 --tube Cu",
  };
  for (const auto& args : cases) {
    const auto r = RunShell(CliCommand("refine " + args) + " 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << args << "\n" << r.output;
  }
}

}  // namespace
