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

// The rows name why a line is not used, the source is printed, the lines
// measured are printed even when the refinement fails, and an absurd
// instrument result is warned about on stderr.
TEST(RefineCli, RowsSayWhyAndAbsurdInstrumentTermsAreWarnedAbout) {
  if (!std::filesystem::exists(std::string(QUORLIN_SHARED_DIR) + "/realdata")) GTEST_SKIP() << "no realdata folder";
  const std::string pbso4 = "'" + kData + "gsas/PBSO4.XRA' --cell 8.48 5.398 6.958 90 90 90 --system orthorhombic "
                            "--symbol 19 --tube Cu --zero";
  auto out = RunShell(CliCommand("refine " + pbso4) + " 2>&1");
  ASSERT_EQ(out.status, 0) << out.output;
  EXPECT_EQ(out.output.find("warning"), std::string::npos) << "a zero of -0.03 degrees is plausible";
  EXPECT_EQ(out.output.rfind("# wavelengths: 1.540562 1.544390\n# cell: ", 0), 0u) << out.output.substr(0, 200);
  for (const char* reason : {" no - overlapped\n", " no - off the fit\n", " no - below the noise\n"})
    EXPECT_NE(out.output.find(reason), std::string::npos) << reason;
  EXPECT_NE(out.output.find(" yes - -\n"), std::string::npos);

  // With the displacement as well the zero runs to -0.51 degrees, tied to the
  // displacement: both facts on stderr, the result on stdout as before.
  out = RunShell(CliCommand("refine " + pbso4 + " --displacement") + " 2>&1 >/dev/null");
  EXPECT_EQ(out.status, 0);
  EXPECT_NE(out.output.find("PBSO4.XRA: the zero shift of -0.5"), std::string::npos)
      << out.output;
  EXPECT_NE(out.output.find("correlate at"), std::string::npos) << out.output;

  // One line cannot fix three parameters: the table still comes, the reason on stderr.
  out = RunShell(CliCommand("refine '" + kData + "gsas/NIST660CBI.gsas' --cell 4.157 4.157 4.157 90 90 90 "
                            "--system cubic --symbol 0 --tube Cu --range 20 23 --zero --displacement") +
                 " 2>/dev/null");
  EXPECT_EQ(out.status, 2);
  EXPECT_NE(out.output.find("# h k l obs calc obs-calc used also note"), std::string::npos) << out.output;
  EXPECT_NE(out.output.find("\n1 0 0 21."), std::string::npos) << out.output;
}

// GSAS-II writes plain x-y under a .chi name: --type reads it as what it is.
// LaB6, NIST SRM 660c (a = 4.156826 A) at the nominal 0.1665 A.
TEST(RefineCli, TypeReadsAnXYFileUnderAChiName) {
  const std::string chi = kData + "chi/xrd_LaB6_660c_std_brac2_20250724-194924_70c707_primary-1_mean_tth.chi";
  if (!std::filesystem::exists(chi)) GTEST_SKIP() << "no realdata folder";
  const std::string args = "refine '" + chi + "' --cell 4.1568 4.1568 4.1568 90 90 90 --system cubic --symbol 0 "
                           "--wavelength 0.1665 --zero";
  EXPECT_EQ(RunShell(CliCommand(args) + " >/dev/null 2>&1").status, 2) << "a .chi name alone reads as CHI";
  const auto r = RunShell(CliCommand(args + " --type xy") + " 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NEAR(EdgeA(r.output), 4.156826, 0.002) << r.output;
}

// SiC (cubic, lines 0.7-1.5 degrees wide) beside sharp Zn: each line's
// window follows its own width. An independent fit gives a = 4.359 A.
TEST(RefineCli, ABroadPhaseBesideASharpOneRefines) {
  if (!std::filesystem::exists(std::string(QUORLIN_SHARED_DIR) + "/realdata")) GTEST_SKIP() << "no realdata folder";
  const auto r = RunShell(CliCommand("refine '" + kData + "xy/SiC_Zn.dat' --cell 4.36 4.36 4.36 90 90 90 "
                                     "--system cubic --symbol 12 --tube Cu") + " 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NEAR(EdgeA(r.output), 4.359, 0.003) << r.output;
  EXPECT_NE(r.output.find("\n1 1 1 35.6"), std::string::npos) << "111 is measured on SiC, not on Zn 36.3: " << r.output;
}

}  // namespace
