// quorlin-cli pressure --list / --scale, the range warnings, and edfit's
// choice of scale from the card.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "energy/scales.h"
#include "support/shell.h"
#include "support/synthetic_spectrum.h"

namespace {

using quorlin::testing::CliCommand;
using quorlin::testing::Lines;
using quorlin::testing::RunShell;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The forms that existed keep their output to the byte (recorded from the
// program before the scales were added); far compressions add one warning
// on stderr and still exit 0.
TEST(PressureCli, LegacyFormsUnchangedAndWarnedOutsideRange) {
  struct Case {
    const char* args;
    const char* out;
    int warnings;
  } cases[] = {
      {"--standard NaCl --a 5.64 5.4708 5.358",
       "# standard a T V/V0 P_GPa P_kbar\nNaCl 5.64 25 1 0.0008961909 0.008961909\n"
       "NaCl 5.4708 25 0.912673 2.711096 27.11096\nNaCl 5.358 25 0.857375 5.31769 53.1769\n",
       0},
      {"--standard NaCl --a 4.16", "# standard a T V/V0 P_GPa P_kbar\nNaCl 4.16 25 0.4012755 191.4542 1914.542\n", 1},
      {"--standard Au --a 3.0", "# standard a T V/V0 P_GPa P_kbar\nAu 3 25 0.3979543 1779.662 17796.62\n", 1},
      {"--standard MgO --a 4.1 4.0 --T 100",
       "# standard a T V/V0 P_GPa P_kbar\n# MgO is a room-temperature isotherm: T is not used\n"
       "MgO 4.1 100 0.9226618 15.38658 153.8658\nMgO 4 100 0.8567833 34.57124 345.7124\n",
       0},
      {"--standard KCl --a 6.1", "# standard a T V/V0 P_GPa P_kbar\nKCl 6.1 25 0.910699 2.796219 27.96219\n", 1},
      {"--standard NaCl --a 5.5 --T 1e2", "# standard a T V/V0 P_GPa P_kbar\nNaCl 5.5 100 0.9273652 2.363665 23.63665\n",
       0},
  };
  for (const Case& c : cases) {
    auto r = RunShell(CliCommand(std::string("pressure ") + c.args + " 2>/dev/null"));
    EXPECT_EQ(r.status, 0) << c.args;
    EXPECT_EQ(r.output, c.out) << c.args;
    auto e = RunShell(CliCommand(std::string("pressure ") + c.args + " 2>&1 >/dev/null"));
    const auto lines = Lines(e.output);
    EXPECT_EQ(static_cast<int>(lines.size()), c.warnings) << c.args << ": " << e.output;
    for (const auto& l : lines) EXPECT_EQ(l.rfind("warning: ", 0), 0u) << l;
  }
}

TEST(PressureCli, ListAndScaleRows) {
  auto list = Lines(RunShell(CliCommand("pressure --list")).output);
  ASSERT_EQ(list.size(), quorlin::PressureScales().size() + 1);
  EXPECT_EQ(list[0], "# scale material form V0 K0 K0p reference");
  EXPECT_EQ(Words(list[1]).at(0), "Au-Fei2007");
  // Au-Fei2007 at a = 3.9 A; P and dP/da from an independent evaluation of
  // the published equations (Simpson-rule Debye integral), su = |dP/da| su_a.
  // Without --T a scale is read at 300 K, inside its range: no warning.
  struct Case {
    const char* args;
    double P, su;
  } cases[] = {
      {"--scale Au-Fei2007 --a 3.9 --su 0.001", 33.335221, 264.98661 * 0.001},
      {"--scale au-fei2007 --a 3.9 --T 1226.85C --su 0.002", 42.455590, 267.53062 * 0.002},
      {"--scale Re-Anzellini2014 --volume 27.0 --su 0.05", 37.540422, 19.004694 * 0.05},
  };
  for (const Case& c : cases) {
    auto r = RunShell(CliCommand(std::string("pressure ") + c.args + " 2>&1"));
    ASSERT_EQ(r.status, 0) << c.args;
    auto lines = Lines(r.output);
    ASSERT_EQ(lines.size(), 2u) << r.output;
    const auto head = Words(lines[0]), row = Words(lines[1]);
    ASSERT_GE(head.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(head.begin(), head.begin() + 6),
              (std::vector<std::string>{"#", "scale", "V", "T_K", "P_GPa", "su_GPa"}));
    EXPECT_NEAR(std::stod(row.at(3)), c.P, 2e-4 * c.P) << c.args;
    EXPECT_NEAR(std::stod(row.at(4)), c.su, 0.002 * c.su) << c.args;
  }
  for (const char* bad : {"pressure --scale Re-Anzellini2014 --a 2.76", "pressure --scale Au-Fei2020 --a 4",
                          "pressure --scale Au-Fei2007", "pressure --scale Au-Fei2007 --a 4 --T 20F",
                          "pressure --scale Au-Fei2007 --volume -3", "pressure --scale Au-Fei2007 --a 4 --T -300C"}) {
    auto refused = RunShell(CliCommand(bad) + " 2>&1");
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_EQ(Lines(refused.output).size(), 1u) << bad << ": " << refused.output;
  }
}

// Without --standard, edfit takes the card's material; a card naming none
// gives "-" and says why, once.
TEST(PressureCli, EdfitScaleFromCard) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("quorlin-edscale-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string card = quorlin::testing::NaClCard();
  std::ofstream(dir / "nacl.jcpds") << card;
  std::ofstream(dir / "argon.jcpds") << card.replace(card.find("NaCl"), 4, "Argon");
  std::ofstream(dir / "s.mca") << quorlin::testing::RockSaltMca(5.53);
  const std::string spectrum = " '" + (dir / "s.mca").string() + "' --card '";
  auto named = RunShell(CliCommand("edfit" + spectrum + (dir / "nacl.jcpds").string() + "' 2>/dev/null"));
  ASSERT_EQ(named.status, 0);
  auto pick = RunShell(CliCommand("pressure --standard NaCl --a 5.53"));
  EXPECT_NEAR(std::stod(Words(Lines(named.output).at(1)).at(2)), std::stod(Words(Lines(pick.output).at(1)).at(4)),
              0.02);
  auto none = RunShell(CliCommand("edfit" + spectrum + (dir / "argon.jcpds").string() + "' 2>&1"));
  EXPECT_EQ(none.status, 0);
  auto lines = Lines(none.output);
  ASSERT_EQ(lines.size(), 3u) << none.output;
  EXPECT_NE(lines[0].find("argon.jcpds: the card names no material that has a pressure scale"), std::string::npos);
  EXPECT_EQ(Words(lines[2]).at(2), "-") << lines[2];
  fs::remove_all(dir);
}

}  // namespace
