// quorlin-cli pressure, xray and edfit: the rows and the refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/shell.h"
#include "support/synthetic_spectrum.h"

namespace {

using quorlin::testing::CliCommand;
using quorlin::testing::Lines;
using quorlin::testing::RunShell;

TEST(EnergyCli, PressureRowsAndRefusals) {
  // Decker NaCl at 25 C: 0.009, 27.11 and 53.18 kbar at the published edges.
  auto r = RunShell(CliCommand("pressure --standard NaCl --a 5.64 5.4708 5.358"));
  ASSERT_EQ(r.status, 0);
  auto lines = Lines(r.output);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "# standard a T V/V0 P_GPa P_kbar");
  const double expected[] = {0.009, 27.11, 53.18};
  for (int i = 0; i < 3; ++i) {
    std::istringstream row(lines[static_cast<std::size_t>(i + 1)]);
    std::string standard;
    double a, t, ratio, gpa, kbar;
    row >> standard >> a >> t >> ratio >> gpa >> kbar;
    EXPECT_EQ(standard, "NaCl");
    EXPECT_EQ(t, 25);
    EXPECT_NEAR(kbar, expected[i], 0.005);
    EXPECT_NEAR(gpa * 10, kbar, 1e-5);
  }
  // W at V/V0 = 0.9 (a = a0 * 0.9^(1/3)): 40.0467 GPa by hand from the Vinet form.
  r = RunShell(CliCommand("pressure --standard W --a 3.0556288 --T 25"));
  ASSERT_EQ(r.status, 0);
  std::istringstream row(Lines(r.output).at(1));
  std::string standard;
  double a, t, ratio, gpa;
  row >> standard >> a >> t >> ratio >> gpa;
  EXPECT_NEAR(ratio, 0.9, 2e-5);
  EXPECT_NEAR(gpa, 40.0467, 0.01);

  for (const char* bad : {"pressure --standard NaCl --a 0", "pressure --standard NaCl --a 5.6 --T -273.15",
                          "pressure --standard Pt --a 4", "pressure --standard NaCl --a x", "pressure --a 5"}) {
    auto refused = RunShell(CliCommand(bad) + " 2>&1");
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_EQ(Lines(refused.output).size(), 1u) << bad << ": " << refused.output;
  }
}

TEST(EnergyCli, XrayHeaderRowsAndRefusals) {
  auto r = RunShell(CliCommand("xray cu 9 8.9785 0.6 --unit cm2/g"));
  ASSERT_EQ(r.status, 0);
  auto lines = Lines(r.output);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[1], "# Z: 29");
  EXPECT_EQ(lines[6], "# edges keV: K 8.979 L1 1.1 L2 0.952 L3 0.932 M 0.12");
  EXPECT_EQ(lines[7], "# lines keV: Ka 8.047 Kb 8.904 La 0 Lb 0");
  // Status column: 0 above K, 6 just below K, 5 in copper's M region.
  for (auto [line, status] : {std::pair{11, "0"}, {12, "6"}, {13, "5"}})
    EXPECT_EQ(lines[static_cast<std::size_t>(line)].substr(lines[static_cast<std::size_t>(line)].rfind(' ') + 1),
              status);
  // By Z, in barns: the total at 9 keV is 105.5 times the cm2/g value.
  auto byZ = RunShell(CliCommand("xray 29 9"));
  ASSERT_EQ(byZ.status, 0);
  std::istringstream barn(Lines(byZ.output).back()), perGram(lines[11]);
  double e, pe, coh, inc, tb, tg;
  barn >> e >> pe >> coh >> inc >> tb;
  perGram >> e >> pe >> coh >> inc >> tg;
  EXPECT_NEAR(tb / tg, 105.5, 1e-3);

  for (const char* bad : {"xray Qq 1", "xray cu 0", "xray cu -2", "xray 95", "xray cu 1 --unit mb", "xray",
                          "xray Po 10"}) {  // no fits are tabulated for polonium
    auto refused = RunShell(CliCommand(bad) + " 2>&1");
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_EQ(Lines(refused.output).size(), 1u) << bad << ": " << refused.output;
  }
}

TEST(EnergyCli, EdfitRecoversTheEdgeOfSyntheticRockSalt) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("quorlin-edfit-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "nacl.jcpds") << quorlin::testing::NaClCard();
  // Edges from the card's down to 11 % compression (about 21 GPa), and one
  // above it, all from the card's edge (no --a); the expected pressure is the
  // Decker value at the true edge. A walk from the card alone stopped on false
  // maxima at 5.587 and 5.696 for the 5.10 and 5.20 spectra.
  const double edges[] = {5.62, 5.58, 5.53, 5.70, 5.30, 5.20, 5.10, 5.00};
  constexpr int n = std::size(edges);
  std::string files;
  for (int i = 0; i < n; ++i) {
    const fs::path p = dir / ("s" + std::to_string(i) + ".mca");
    std::ofstream(p) << quorlin::testing::RockSaltMca(edges[i]);
    files += " '" + p.string() + "'";
  }
  auto r = RunShell(CliCommand("edfit" + files + " --card '" + (dir / "nacl.jcpds").string() + "' --standard NaCl"));
  ASSERT_EQ(r.status, 0) << r.output;
  auto lines = Lines(r.output);
  ASSERT_EQ(lines.size(), n + 1u);
  EXPECT_EQ(lines[0], "# file a P_GPa reflections");
  for (int i = 0; i < n; ++i) {
    std::istringstream row(lines[static_cast<std::size_t>(i + 1)]);
    std::string file;
    double a, gpa;
    int used;
    row >> file >> a >> gpa >> used;
    EXPECT_NEAR(a, edges[i], 0.0005) << file;
    auto p = RunShell(CliCommand("pressure --standard NaCl --a " + std::to_string(edges[i])));
    std::istringstream ref(Lines(p.output).at(1));
    std::string s;
    double ra, t, ratio, rgpa;
    ref >> s >> ra >> t >> ratio >> rgpa;
    EXPECT_NEAR(gpa, rgpa, 0.02) << file;
    int onSpectrum = 0;  // lines beyond the last channel are left out
    for (const auto& line : quorlin::testing::kNaClLines)
      onSpectrum += quorlin::testing::ChannelOf(edges[i], line.h, line.k, line.l) < 2047;
    EXPECT_EQ(used, onSpectrum) << file;
  }
  // A scan too narrow to walk from a start of 5.6402 to 5.53 in its twenty
  // repeats ends with its maximum at the scan's end: refused, never a row.
  auto stuck = RunShell(CliCommand("edfit '" + (dir / "s2.mca").string() + "' --card '" +
                                   (dir / "nacl.jcpds").string() + "' --a 5.6402 --scan-range 0.005 2>&1"));
  EXPECT_EQ(stuck.status, 2) << stuck.output;
  ASSERT_EQ(Lines(stuck.output).size(), 2u) << stuck.output;  // the header, then the refusal
  EXPECT_NE(stuck.output.find("s2.mca: the fitted edge lies at the end of the scan range; give --a nearer the edge "
                              "or a wider --scan-range"),
            std::string::npos)
      << stuck.output;
  // A series goes on past a spectrum it refuses: its rows, one line for the
  // missing file, status 2.
  auto series = RunShell(CliCommand("edfit '" + (dir / "s0.mca").string() + "' '" + (dir / "gone.mca").string() +
                                    "' '" + (dir / "s1.mca").string() + "' --card '" + (dir / "nacl.jcpds").string() +
                                    "' 2>&1"));
  EXPECT_EQ(series.status, 2);
  auto seriesLines = Lines(series.output);
  ASSERT_EQ(seriesLines.size(), 4u) << series.output;
  EXPECT_NE(seriesLines[1].find("s0.mca "), std::string::npos) << series.output;
  EXPECT_NE(seriesLines[2].find("gone.mca: "), std::string::npos) << series.output;
  EXPECT_NE(seriesLines[3].find("s1.mca "), std::string::npos) << series.output;
  // A missing card: one line, status 2.
  auto refused = RunShell(CliCommand("edfit" + files + " --card '" + (dir / "none.jcpds").string() + "' 2>&1"));
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(Lines(refused.output).size(), 2u) << refused.output;  // the header, then the error line
  fs::remove_all(dir);
}

// The README's examples on the real spectra. COSI_022 holds an fcc phase
// whose six strongest lines (111 to 400), read off the raw spectrum with the
// file's calibration and 2-theta, give a = d sqrt(h2+k2+l2) = 4.159 to 4.190 A;
// any fcc card finds it. COSI_021 holds no rock salt: its strongest lines
// miss the card's 200 and 220 at every edge, so that fit is refused.
TEST(EnergyCli, ReadmeExamplesRunOnRealSpectra) {
  const std::string shared = QUORLIN_SHARED_DIR;
  if (!std::filesystem::exists(shared + "/realdata/mca")) GTEST_SKIP() << "no realdata folder";
  // COSI_022 holds periclase beside ringwoodite; its peaks put the edge at
  // 4.159-4.190 A when read off the raw channels one by one.
  auto r = RunShell(CliCommand("edfit '" + shared + "/realdata/mca/COSI_022_0019.med' --card '" +
                               QUORLIN_SOURCE_DIR + "/docs/examples/mgo.jcpds' --standard MgO 2>/dev/null"));
  ASSERT_EQ(r.status, 0);
  auto lines = Lines(r.output);
  ASSERT_EQ(lines.size(), 2u);
  std::istringstream row(lines[1]);
  std::string file;
  double a = 0, gpa = 0;
  int used = 0;
  row >> file >> a >> gpa >> used;
  EXPECT_NEAR(a, 4.17, 0.015) << lines[1];
  EXPECT_EQ(used, 9);  // every line of the card lies inside the spectrum
  // The pressure is the scale's at that edge.
  auto scale = Lines(RunShell(CliCommand("pressure --standard MgO --a " + std::to_string(a))).output);
  ASSERT_EQ(scale.size(), 2u);
  std::istringstream scaleRow(scale[1]);
  std::string standard;
  double edge = 0, celsius = 0, ratio = 0, scaleGpa = 0;
  scaleRow >> standard >> edge >> celsius >> ratio >> scaleGpa;
  EXPECT_NEAR(gpa, scaleGpa, 0.01) << lines[1] << " / " << scale[1];
  auto refused =
      RunShell(CliCommand("edfit '" + shared + "/realdata/mca/COSI_021_0001.med' --card '" + shared +
                          "/realdata/jcpds/dioptas-0.2.3-dac_user/nacl.jcpds' 2>&1 >/dev/null | grep -v '^note:'"));
  auto problem = Lines(refused.output);
  ASSERT_EQ(problem.size(), 1u) << refused.output;
  EXPECT_NE(problem[0].find("COSI_021_0001.med: only "), std::string::npos) << problem[0];
  EXPECT_EQ(RunShell(CliCommand("edfit '" + shared + "/realdata/mca/COSI_021_0001.med' --card '" + shared +
                                "/realdata/jcpds/dioptas-0.2.3-dac_user/nacl.jcpds' >/dev/null 2>&1"))
                .status,
            2);
  EXPECT_EQ(RunShell(CliCommand("xray Cu 8 9 --unit cm2/g")).status, 0);
  EXPECT_EQ(RunShell(CliCommand("pressure --standard NaCl --a 5.64 5.4708 5.358 --T 25")).status, 0);
}

}  // namespace
