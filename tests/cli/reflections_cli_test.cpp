// Runs quorlin-cli reflections and checks its rows, header and refusals.
#include <gtest/gtest.h>

#include "support/shell.h"
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quorlin::testing::Outcome;

Outcome Reflections(const std::string& args, bool stderrOnly = false) {
  std::string cmd = quorlin::testing::CliCommand("reflections " + args);
  cmd += stderrOnly ? " 2>&1 >/dev/null" : " 2>/dev/null";
  return quorlin::testing::RunShell(cmd);
}

struct Row {
  int h, k, l;
  double d;
};

std::vector<Row> Rows(const std::string& out, std::string* header = nullptr) {
  std::vector<Row> rows;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("#", 0) == 0) {
      if (header) *header = line;
      continue;
    }
    Row r{};
    std::istringstream fields(line);
    fields >> r.h >> r.k >> r.l >> r.d;
    if (fields) rows.push_back(r);
  }
  return rows;
}

TEST(ReflectionsCli, ListsFamiliesWithSpacingsAndHeader) {
  // Diamond, Fd-3m, a = 3.567: the space group allows 111 220 311 222 400 331
  // (222 is missing in diamond only because of where its atoms sit).
  auto r = Reflections("--cell 3.567 3.567 3.567 90 90 90 --system cubic --symbol 15 --unique");
  ASSERT_EQ(r.status, 0) << r.output;
  std::string header;
  const auto rows = Rows(r.output, &header);
  EXPECT_EQ(header.rfind("# h k l d", 0), 0u) << header;
  EXPECT_NE(header.find("Fd-3, Fd-3m"), std::string::npos) << header;
  const int expected[][3] = {{1, 1, 1}, {2, 2, 0}, {3, 1, 1}, {2, 2, 2}, {4, 0, 0}, {3, 3, 1}};
  ASSERT_GE(rows.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(rows[i].h, expected[i][0]);
    EXPECT_EQ(rows[i].k, expected[i][1]);
    EXPECT_EQ(rows[i].l, expected[i][2]);
    const int n = expected[i][0] * expected[i][0] + expected[i][1] * expected[i][1] + expected[i][2] * expected[i][2];
    EXPECT_NEAR(rows[i].d, 3.567 / std::sqrt(n), 1e-5);  // cubic d = a / sqrt(h^2+k^2+l^2)
  }
}

TEST(ReflectionsCli, OptionsSystemCodesLimitsAndAbsences) {
  // P63 by code: along 00l only even l; --absent lists the odd ones.
  const std::string base = "--cell 3 3 5 90 90 120 --system 2 --symbol 1 --limits 0 0 0 0 -4 4";
  auto present = Reflections(base);
  auto absent = Reflections(base + " --absent");
  ASSERT_EQ(present.status, 0);
  ASSERT_EQ(absent.status, 0);
  const auto in = Rows(present.output), out = Rows(absent.output);
  ASSERT_EQ(in.size(), 4u);   // 00-4 00-2 002 004, 000 has no spacing
  ASSERT_EQ(out.size(), 4u);  // 00-3 00-1 001 003
  EXPECT_EQ(in[0].l, -2);     // d = 2.5 first, then 00 2
  EXPECT_EQ(in[1].l, 2);
  EXPECT_NEAR(in[0].d, 2.5, 1e-6);
  for (const auto& row : out) EXPECT_NE(row.l % 2, 0);
  // Names are case-blind; the default limits reach l = 4 only.
  auto named = Reflections("--cell 4 4 4 90 90 90 --system Cubic --symbol 0");
  ASSERT_EQ(named.status, 0);
  for (const auto& row : Rows(named.output)) {
    EXPECT_GE(row.l, 0);
    EXPECT_LE(std::abs(row.h), 4);
  }
}

TEST(ReflectionsCli, BadInputIsRefusedWithAMessage) {
  const char* cases[] = {
      "",                                                  // no cell
      "--cell 4 4 4 90 90",                                // too few values
      "--cell 4 4 x 90 90 90",                             // not a number
      "--cell 4 4 4 90 90 90 --system cubicle",            // unknown system
      "--cell 4 4 4 90 90 90 --system 9",                  // code out of range
      "--cell 4 4 4 90 90 90 --system cubic --symbol 17",  // no such entry
      "--cell 4 4 4 90 90 90 --symbol 1.5",                // not an integer
      "--cell 4 4 4 90 90 90 --limits 0 1 0 1 0",          // too few limits
      "--cell 4 4 4 90 90 90 --wedge",                     // unknown option
      "--cell -4 4 4 90 90 90 --system cubic",             // impossible cell
  };
  for (const char* args : cases) {
    auto r = Reflections(args, true);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.output.find("quorlin-cli reflections: "), std::string::npos) << args << ": " << r.output;
  }
}

}  // namespace
