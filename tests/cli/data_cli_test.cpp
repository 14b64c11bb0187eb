// Runs quorlin-cli convert and jcpds on small files and checks the output
// and the exit status.
#include <gtest/gtest.h>

#include "support/shell.h"

#include <cctype>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
};

Outcome RunCli(const std::string& args, const std::string& redirect = " 2>/dev/null") {
  auto r = quorlin::testing::RunShell(quorlin::testing::CliCommand(args) + redirect);
  return {r.status, r.output};
}

class DataCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quorlin-data-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& text) {
    fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << text;
    return "'" + p.string() + "'";
  }
  fs::path dir_;
};

}  // namespace

TEST_F(DataCli, ConvertWritesXyAndRefusesWithStatus2) {
  std::string chi = Write("p.chi", "title\n2-theta\n\n 3\n12.5 340\n12.6 2.5\n12.7 -1\n");
  Outcome r = RunCli("convert " + chi);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "12.5    340     \r\n12.6    2.5     \r\n12.7    -1      \r\n");
  // --type overrides the extension; -o writes a file.
  std::string xy = Write("p.dat", "# x y\n1 2\n");
  std::string out = (dir_ / "out.xy").string();
  EXPECT_EQ(RunCli("convert " + xy + " --type xy -o '" + out + "'").status, 0);
  std::ifstream written(out, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(written)), {});
  EXPECT_EQ(text, "1       2       \r\n");

  // Energy data: x through the calibration 0.1 + 0.05 c.
  std::string mca = Write("s.mca", "CHANNELS: 2\nCAL_OFFSET: 0.1\nCAL_SLOPE: 0.05\nCAL_QUAD: 0\nDATA:\n7\n8\n");
  r = RunCli("convert " + mca);
  EXPECT_EQ(r.out, "0.1     7       \r\n0.15    8       \r\n");

  // Notes and messages go to stderr.
  std::string gsa = Write("g.gsa", "t\nBANK 1 2 5 CONST 1000 5 0 0 STD\n 1     1 1     2\n");
  r = RunCli("convert " + gsa, " 2>&1 >/dev/null");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("NRec not equal to m_NChan/10 rounded up"), std::string::npos);

  // Refusals: exit 2, one line naming the file and the line, nothing on stdout.
  std::string bad = Write("bad.chi", "title\nx\ny\n3\n1 2\n2 abc\n");
  r = RunCli("convert " + bad);
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.out.empty());
  r = RunCli("convert " + bad, " 2>&1 >/dev/null");
  EXPECT_NE(r.out.find("bad.chi:6:"), std::string::npos) << r.out;
  EXPECT_EQ(RunCli("convert '" + (dir_ / "missing.gsa").string() + "'").status, 2);
  EXPECT_EQ(RunCli("convert " + chi + " --type nope").status, 2);
  EXPECT_EQ(RunCli("convert").status, 2);
  EXPECT_EQ(RunCli("convert " + Write("x.bin", std::string("\0\1\2\3", 4))).status, 2);
  // Standard output that cannot take the pattern is a failure.
  if (fs::exists("/dev/full")) {
    r = RunCli("convert " + chi, " 2>&1 >/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("cannot be written"), std::string::npos) << r.out;
  }
}

TEST_F(DataCli, JcpdsPrintsCellAndPeakRows) {
  std::string card = Write("nacl.jcpds",
                           "VERSION: 4\nCOMMENT: NaCl\nK0: 23.88\nK0P: 5.2\nSYMMETRY: CUBIC\nA: 5.6402\n"
                           "DIHKL: 3.2580 13. 1.00 1.00 1.00\nDIHKL: 2.8210 100. 2.00 0.00 0.00\n"
                           "DIHKL: 2.2 1. 0.5 0.5 0.5\n");
  Outcome r = RunCli("jcpds " + card);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("crystal system: 1 cubic\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cell: 5.6402 5.6402 5.6402 90 90 90\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("# h k l d_card intensity d_calc agrees\n"), std::string::npos);
  // Everything above the rows is a '#' header, so the rows read as plain columns.
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && !std::isdigit(static_cast<unsigned char>(line[0])) && line[0] != '-') {
      EXPECT_EQ(line[0], '#') << line;
    }
  }
  // d(200) = a/2 = 2.8201 (worked by hand).
  EXPECT_NE(r.out.find("2 0 0 2.821 100 2.8201 true\n"), std::string::npos) << r.out;
  r = RunCli("jcpds " + card, " 2>&1 >/dev/null");
  EXPECT_NE(r.out.find("1 row with fractional hkl left out"), std::string::npos);
  EXPECT_EQ(RunCli("jcpds " + Write("bad.jcpds", "VERSION: 4\nSYMMETRY: CUBIC\n")).status, 2);
}

// The README's examples, run from a folder beside the shared data.
TEST_F(DataCli, ReadmeExamplesRun) {
  const std::string shared = QUORLIN_SHARED_DIR;
  if (!fs::exists(shared + "/realdata")) GTEST_SKIP() << "no realdata folder";
  const std::string out = (dir_ / "PBSO4.xy").string();
  ASSERT_EQ(RunCli("convert '" + shared + "/realdata/gsas/PBSO4.XRA' -o '" + out + "'").status, 0);
  EXPECT_EQ(fs::file_size(out), 6001u * 18u);  // 6001 lines of two 8-column fields and CR LF
  Outcome r = RunCli("convert '" + shared + "/realdata/mca/COSI_021_0001.med'");
  ASSERT_EQ(r.status, 0);
  // Channel 0 lies at CAL_OFFSET, 0.096714117 keV.
  EXPECT_EQ(r.out.substr(0, 12), "0.09671412 0");
  r = RunCli("jcpds '" + shared + "/realdata/jcpds/dioptas-tests/re.jcpds'");
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("# crystal system: 2 hexagonal\n# cell: 2.76 2.76 4.4574 90 90 120\n"), std::string::npos) << r.out;
}
