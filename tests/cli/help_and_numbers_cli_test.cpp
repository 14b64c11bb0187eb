// quorlin-cli's help for every subcommand, the list of catalogue entries that
// --symbol takes, and numbers read as complete words.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/shell.h"

namespace {

using quorlin::testing::CliCommand;
using quorlin::testing::Lines;
using quorlin::testing::RunShell;

TEST(CliHelp, EverySubcommandAnswersHelpOnStdout) {
  // The subcommands as the top-level help lists them, so a new one is covered too.
  const auto top = RunShell(CliCommand("--help 2>/dev/null"));
  ASSERT_EQ(top.status, 0);
  std::set<std::string> names;
  for (const std::string& line : Lines(top.output))
    if (line.size() > 2 && line.rfind("  ", 0) == 0 && line[2] != ' ')
      names.insert(line.substr(2, line.find(' ', 2) - 2));
  for (const char* expected : {"reflections", "refine", "edfit", "pressure", "convert", "symbols"})
    EXPECT_TRUE(names.count(expected)) << expected << " missing from:\n" << top.output;
  EXPECT_GE(names.size(), 13u) << top.output;
  for (const std::string& name : names) {
    // Help wins over words that would otherwise be refused.
    for (const std::string& args : {name + " --help", name + " /nonexistent/file --bogus --help"}) {
      const auto r = RunShell(CliCommand(args + " 2>&1"));
      EXPECT_EQ(r.status, 0) << args << "\n" << r.output;
      EXPECT_EQ(r.output.rfind("usage: quorlin-cli " + name + " ", 0), 0u) << args << "\n" << r.output;
    }
    EXPECT_EQ(RunShell(CliCommand(name + " --help 2>&1 >/dev/null")).output, "") << name;
  }
}

TEST(CliHelp, SymbolsListTheEntriesThatSymbolTakes) {
  // International Tables, vol. A: the F-centred cubic groups without further
  // conditions. One row per extinction symbol of the crystal-system windows
  // (17 cubic, 7 hexagonal, 31 tetragonal, 44 orthorhombic).
  const auto cubic = Lines(RunShell(CliCommand("symbols cubic")).output);
  ASSERT_EQ(cubic.size(), 18u);
  EXPECT_EQ(cubic[0], "# number symbol space_groups");
  EXPECT_EQ(cubic[13], "12 F--- F23, Fm-3, F432, F-43m, Fm-3m");
  EXPECT_EQ(cubic[1], "0 P--- P23, Pm-3, P432, P-43m, Pm-3m");
  const struct {
    const char* system;
    std::size_t rows;
  } counts[] = {{"hexagonal", 7}, {"tetragonal", 31}, {"4", 31}, {"orthorhombic", 44}, {"none", 0}};
  for (const auto& c : counts) {
    const auto r = RunShell(CliCommand(std::string("symbols ") + c.system));
    EXPECT_EQ(r.status, 0) << c.system;
    const auto rows = Lines(r.output);
    EXPECT_EQ(rows.size(), c.rows + 1) << c.system << "\n" << r.output;
    // Three columns at least: the number, one word of symbol, the groups.
    for (std::size_t i = 1; i < rows.size(); ++i) {
      std::istringstream row(rows[i]);
      int number = -1;
      std::string symbol, group;
      row >> number >> symbol >> group;
      EXPECT_EQ(number, static_cast<int>(i - 1)) << rows[i];
      EXPECT_FALSE(group.empty()) << rows[i];
    }
  }
  // The number listed is the one --symbol takes: entry 12 keeps only
  // reflections with h, k, l all even or all odd (F centring).
  const auto f = Lines(RunShell(CliCommand("reflections --cell 5 5 5 90 90 90 --system cubic --symbol 12")).output);
  ASSERT_GT(f.size(), 5u);
  for (std::size_t i = 1; i < f.size(); ++i) {
    std::istringstream row(f[i]);
    int h, k, l;
    row >> h >> k >> l;
    EXPECT_TRUE((h - k) % 2 == 0 && (k - l) % 2 == 0) << f[i];
  }
  for (const char* word : {"cubicc", "9", "2.5"}) {
    const auto bad = RunShell(CliCommand(std::string("symbols ") + word + " 2>&1"));
    EXPECT_EQ(bad.status, 2) << word;
    EXPECT_EQ(bad.output, std::string("quorlin-cli symbols: \"") + word +
                              "\" is not a crystal system (cubic, hexagonal, trigonal, tetragonal, orthorhombic, "
                              "monoclinic, triclinic, none, or 1..8)\n")
        << word;
  }
}

TEST(CliNumbers, TrailingZerosAfterThePointAreTheSameNumber) {
  const std::string shared = QUORLIN_SHARED_DIR;
  const std::string spectrum = shared + "/realdata/mca/COSI_022_0019.med";
  if (!std::filesystem::exists(spectrum)) GTEST_SKIP() << "no realdata folder";
  const std::string edfit =
      "edfit '" + spectrum + "' --card '" + std::string(QUORLIN_SOURCE_DIR) + "/docs/examples/mgo.jcpds' --standard MgO";
  const struct {
    std::string plain, padded;
  } cases[] = {
      {"--a 4.1", "--a 4.10"},
      {"--a 4.2 --scan-range .2 --T 25", "--a 4.200 --scan-range 0.20 --T 25.0"},
  };
  for (const auto& c : cases) {
    const auto plain = RunShell(CliCommand(edfit + " " + c.plain + " 2>/dev/null"));
    const auto padded = RunShell(CliCommand(edfit + " " + c.padded + " 2>/dev/null"));
    EXPECT_EQ(plain.status, 0) << c.plain;
    EXPECT_EQ(padded.status, 0) << c.padded;
    ASSERT_EQ(Lines(plain.output).size(), 2u) << plain.output;
    EXPECT_EQ(Lines(padded.output), Lines(plain.output)) << c.padded;
  }
}

}  // namespace
