// quorlin-cli cells and jcpds --write on files in a scratch folder: a cell
// added is listed again, a taken slot and a damaged library are refused, and
// a card written with a new cell reads back with spacings that agree with
// the hexagonal formula.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/shell.h"

namespace fs = std::filesystem;
using quorlin::testing::CliCommand;
using quorlin::testing::RunShell;

namespace {

fs::path Scratch() {
  fs::path dir = fs::temp_directory_path() / ("quorlin_phcli_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

std::vector<std::string> DataLines(const std::string& out) {
  std::vector<std::string> rows;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') rows.push_back(line);
  return rows;
}

}  // namespace

TEST(CellsCommand, AddedCellsAreListedAgainAndTakenSlotsRefused) {
  const std::string file = (Scratch() / "lab.ucl").string();
  fs::remove(file);
  auto add = RunShell(CliCommand(
      "cells '" + file + "' --add 2 3 'NaCl B1' --cell 5.6402 5.6402 5.6402 90 90 90 --system cubic --symbol 12"));
  ASSERT_EQ(add.status, 0) << add.output;
  ASSERT_EQ(
      RunShell(CliCommand("cells '" + file + "' --add 1 1 quartz --cell 4.9134 4.9134 5.4052 90 90 120 --system 3"))
          .status,
      0);
  auto list = RunShell(CliCommand("cells '" + file + "'"));
  ASSERT_EQ(list.status, 0);
  EXPECT_EQ(list.output.rfind("# group group_name slot name system symbol a b c alpha beta gamma\n", 0), 0u);
  EXPECT_EQ(DataLines(list.output),
            (std::vector<std::string>{"1 \" \" 1 \"quartz\" trigonal -1 4.9134 4.9134 5.4052 90 90 120",
                                      "2 \" \" 3 \"NaCl B1\" cubic 12 5.6402 5.6402 5.6402 90 90 90"}));

  // A taken slot, a bad symbol, an impossible cell and a cell its system
  // cannot hold: exit 2, one line, the file unchanged.
  for (const char* args :
       {" --add 2 3 other --cell 4 4 4 90 90 90", " --add 2 4 x --cell 4 4 4 90 90 90 --system cubic --symbol 99",
        " --add 2 4 x --cell 4 4 4 120 120 120", " --add 9 1 x --cell 4 4 4 90 90 90",
        " --add 2 4 x --cell 5 6 7 90 90 90 --system cubic", " --add 2 4 x --cell 5 5 7 90 90 90 --system hexagonal"}) {
    auto r = RunShell(CliCommand("cells '" + file + "'" + args) + " 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  }
  EXPECT_EQ(RunShell(CliCommand("cells '" + file + "'")).output, list.output);
}

TEST(CellsCommand, DamagedLibraryIsRefusedNamingTheFile) {
  const std::string file = (Scratch() / "damaged.ucl").string();
  {
    std::ofstream out(file, std::ios::binary);
    out << std::string("\x11\x20\x01\x00\xff\x00\x00\x00\x00\x00\x00\x00QBAG", 16);
  }
  auto r = RunShell(CliCommand("cells '" + file + "' --add 1 1 x --cell 4 4 4 90 90 90") + " 2>&1 >/dev/null");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find(file + ": truncated"), std::string::npos) << r.output;
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()).size(), 16u);
}

// Rhenium's card refined at pressure: the card's reflections and
// intensities, d from the new cell (hexagonal formula, International Tables
// Vol. C Table 1.1.2), K0 kept.
TEST(JcpdsCommand, WrittenCardReadsBackWithTheNewCell) {
  const std::string card = std::string(QUORLIN_SHARED_DIR) + "/realdata/jcpds/dioptas-tests/re.jcpds";
  if (!fs::exists(card)) GTEST_SKIP() << "no shared data";
  const std::string out = (Scratch() / "re-refined.jcpds").string();
  auto r = RunShell(CliCommand("jcpds '" + card + "' --write '" + out + "' --cell 2.7 2.7 4.4 90 90 120"));
  ASSERT_EQ(r.status, 0) << r.output;
  auto back = RunShell(CliCommand("jcpds '" + out + "'"));
  ASSERT_EQ(back.status, 0);
  EXPECT_NE(back.output.find("# cell: 2.7 2.7 4.4 90 90 120"), std::string::npos) << back.output;
  EXPECT_NE(back.output.find("# K0: 433.8  K0': 3.46"), std::string::npos) << back.output;
  auto rows = DataLines(back.output);
  ASSERT_EQ(rows.size(), 20u);  // every row of the source card
  for (const auto& row : rows) {
    std::istringstream f(row);
    int h, k, l;
    double dCard, intensity;
    f >> h >> k >> l >> dCard >> intensity;
    double expected = 1 / std::sqrt(4.0 / 3.0 * (h * h + h * k + k * k) / (2.7 * 2.7) + l * l / (4.4 * 4.4));
    EXPECT_NEAR(dCard, expected, 2e-6 * expected) << row;
  }
  EXPECT_EQ(rows[2].substr(0, 13), "1 0 1 2.06481");  // (101): 1/d^2 = 4/(3 a^2) + 1/c^2; keeps intensity 100
  EXPECT_NE(rows[2].find(" 100 "), std::string::npos);

  // A hexagonal card cannot take a cell with a != b: refused, nothing written.
  const std::string bad = (Scratch() / "bad.jcpds").string();
  EXPECT_EQ(
      RunShell(CliCommand("jcpds '" + card + "' --write '" + bad + "' --cell 2.7 2.8 4.4 90 90 120") + " 2>/dev/null")
          .status,
      2);
  EXPECT_FALSE(fs::exists(bad));
}
