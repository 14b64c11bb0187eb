// Runs the built quorlin-cli and checks what it prints and how it exits.
#include <gtest/gtest.h>

#include "support/shell.h"
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace {

using quorlin::testing::Outcome;
Outcome Shell(const std::string& command) { return quorlin::testing::RunShell(command); }

Outcome Cli(const std::string& args, bool stderrOnly = false) {
  std::string cmd = quorlin::testing::CliCommand(args);
  cmd += stderrOnly ? " 2>&1 >/dev/null" : " 2>/dev/null";
  return Shell(cmd);
}

std::map<std::string, std::string> Values(const std::string& out, std::vector<std::string>* order = nullptr) {
  std::map<std::string, std::string> v;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    auto sp = line.find(' ');
    v[line.substr(0, sp)] = line.substr(sp + 1);
    if (order) order->push_back(line.substr(0, sp));
  }
  return v;
}

TEST(CellCommand, PrintsBothLatticesInOrder) {
  Outcome r = Cli("cell 5 5 5 90 90 90");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.substr(0, 13), "# name value\n");
  std::vector<std::string> order;
  auto v = Values(r.output, &order);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c", "alpha", "beta", "gamma", "a*", "b*", "c*", "alpha*",
                                             "beta*", "gamma*", "volume", "vnorm", "handedness"}));
  EXPECT_EQ(v["a"], "5");
  EXPECT_EQ(v["alpha"], "90");
  EXPECT_EQ(v["a*"], "0.2");
  EXPECT_EQ(v["gamma*"], "90");
  EXPECT_NEAR(std::stod(v["volume"]), 125.0, 1e-4);
  EXPECT_NEAR(std::stod(v["vnorm"]), 1.0, 1e-6);
  EXPECT_EQ(v["handedness"], "Right");

  // Monoclinic: V = a b c sin(beta); beta* = 180 - beta; c* = 1/(c sin beta)
  r = Cli("cell 4 6 8 90 100 90");
  ASSERT_EQ(r.status, 0);
  v = Values(r.output);
  const double sb = std::sin(100.0 * M_PI / 180.0);
  EXPECT_NEAR(std::stod(v["volume"]), 4 * 6 * 8 * sb, 1e-3);
  EXPECT_NEAR(std::stod(v["beta*"]), 80.0, 1e-3);
  EXPECT_NEAR(std::stod(v["c*"]), 1 / (8 * sb), 1e-6);
  EXPECT_NEAR(std::stod(v["b*"]), 1 / 6.0, 1e-7);

  // The reciprocal form gives the same cell back.
  r = Cli("cell " + v["a*"] + " " + v["b*"] + " " + v["c*"] + " " + v["alpha*"] + " " + v["beta*"] + " " +
          v["gamma*"] + " --reciprocal");
  ASSERT_EQ(r.status, 0);
  auto back = Values(r.output);
  EXPECT_NEAR(std::stod(back["a"]), 4.0, 1e-5);
  EXPECT_NEAR(std::stod(back["c"]), 8.0, 1e-5);
  EXPECT_NEAR(std::stod(back["beta"]), 100.0, 1e-3);
}

TEST(CellCommand, ReadmeExamples) {
  // quorlin-cli cell 5 6 7 80 95 100; V and a* from Giacovazzo eqs. 2.15-2.19
  Outcome r = Cli("cell 5 6 7 80 95 100");
  ASSERT_EQ(r.status, 0);
  auto v = Values(r.output);
  const double k = M_PI / 180.0;
  const double ca = std::cos(80 * k), cb = std::cos(95 * k), cg = std::cos(100 * k);
  const double vol = 5 * 6 * 7 * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
  EXPECT_NEAR(std::stod(v["volume"]), vol, 2e-5 * vol);
  EXPECT_NEAR(std::stod(v["a*"]), 6 * 7 * std::sin(80 * k) / vol, 2e-6);
  EXPECT_NEAR(std::stod(v["gamma*"]), std::acos((ca * cb - cg) / (std::sin(80 * k) * std::sin(95 * k))) / k, 1e-3);
  EXPECT_NEAR(std::stod(v["vnorm"]), vol / 125.0, 2e-5);

  r = Cli("cell 0.2 0.2 0.2 90 90 90 --reciprocal");
  ASSERT_EQ(r.status, 0);
  v = Values(r.output);
  EXPECT_EQ(v["a"], "5");
  EXPECT_EQ(v["c*"], "0.2");
}

TEST(CellCommand, RefusesImpossibleCellsAndBadArguments) {
  for (const char* args : {"cell 5 5 5 30 30 90",     // 90 >= 30 + 30 - 2
                           "cell 5 5 5 120 120 119",  // angle sum above 358
                           "cell 500 5 5 90 90 90",   // edge above 100
                           "cell 5 5 5 90 90 3",      // angle below 5
                           "cell 5 5 five 90 90 90", "cell 5 5 5 90 90", "cell 5 5 5 90 90 90 1", "cell 1e50 5 5 90 90 90",
                           "cell 0.009 5 5 90 90 90 --reciprocal"}) {
    Outcome r = Cli(args, true);
    EXPECT_EQ(r.status, 2) << args;
    // one line on stderr
    EXPECT_FALSE(r.output.empty()) << args;
    EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << args << ": " << r.output;
    EXPECT_EQ(Cli(args).output, "") << args;  // and nothing on stdout
  }
  EXPECT_NE(Cli("cell 5 5 five 90 90 90", true).output.find("five"), std::string::npos);
  // A number too large for a double, with or without an exponent, is named
  // as out of range rather than read as 0 and called an impossible cell.
  for (const std::string& big : {std::string("1e400"), "1" + std::string(400, '0')}) {
    Outcome r = Cli("cell 4 4 " + big + " 90 90 90", true);
    EXPECT_EQ(r.status, 2) << big;
    EXPECT_NE(r.output.find("c: \"" + big + "\" is out of range"), std::string::npos) << r.output;
  }
}

TEST(Linkage, CommandLineAndModelLinkNoQt) {
  Outcome probe = Shell("command -v ldd >/dev/null 2>&1 && echo yes");
  if (probe.output.find("yes") == std::string::npos) GTEST_SKIP() << "ldd not available";
  Outcome cli = Shell(std::string("ldd '") + QUORLIN_CLI_PATH + "' 2>&1");
  ASSERT_EQ(cli.status, 0) << cli.output;
  EXPECT_EQ(cli.output.find("Qt"), std::string::npos) << cli.output;
  // This test binary links quorlin_core and nothing of the window layer.
  Outcome self = Shell("ldd /proc/" + std::to_string(getpid()) + "/exe 2>&1");
  ASSERT_EQ(self.status, 0) << self.output;
  EXPECT_EQ(self.output.find("Qt"), std::string::npos) << self.output;
}

}  // namespace
