// quorlin-cli on what is not a plain file: named pipes, standard input,
// process substitution, folders, and numbers beyond the double range. Every
// command runs under `timeout`, so a read that blocks fails the test
// instead of hanging it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/shell.h"

namespace fs = std::filesystem;

namespace {

using quorlin::testing::Outcome;

// bash (for process substitution) with a 10-second bound; 124 means it hung.
Outcome Bash(const std::string& script) {
  std::string quoted;
  for (char c : script) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quorlin::testing::RunShell("timeout 10 bash -c '" + quoted + "' 2>&1");
}

std::string Cli() { return std::string("'") + QUORLIN_CLI_PATH + "'"; }

class FileKindsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("quorlin-kinds-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    chi = (dir / "p.chi").string();
    std::ofstream(chi) << "t\nx\ny\n3\n10.0 5\n10.1 6\n10.2 7\n";
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
  std::string chi;
};

TEST_F(FileKindsCli, PipesFromTheShellAreReadAndNamedPipesRefused) {
  // Standard input and process substitution are pipes the user means.
  for (const std::string& script : {Cli() + " convert /dev/stdin --type chi < '" + chi + "'",
                                    "cat '" + chi + "' | " + Cli() + " convert /dev/stdin --type chi",
                                    Cli() + " convert <(cat '" + chi + "') --type chi"}) {
    Outcome r = Bash(script);
    EXPECT_EQ(r.status, 0) << script << "\n" << r.output;
    EXPECT_NE(r.output.find("10.2"), std::string::npos) << script << "\n" << r.output;
  }
  // A named pipe nobody writes to, and a device, are refused at once.
  const std::string fifo = (dir / "f.chi").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& file : {fifo, std::string("/dev/zero")}) {
    for (const char* command : {"convert", "jcpds"}) {
      Outcome r = Bash(Cli() + " " + command + " '" + file + "' 2>&1 >/dev/null");
      EXPECT_EQ(r.status, 2) << command << " " << file << ": " << r.output;  // 124 would be a hang
      EXPECT_NE(r.output.find(file + ": is not a regular file"), std::string::npos) << r.output;
    }
  }
}

TEST_F(FileKindsCli, AnOutputThatIsAFolderIsNamedAsSuch) {
  // The reason given is the rename's, not the errno left over after the
  // clean-up ("Success").
  fs::create_directories(dir / "out.xy");
  Outcome r = Bash(Cli() + " convert '" + chi + "' -o '" + (dir / "out.xy").string() + "'");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("out.xy: cannot be replaced: Is a directory"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Success"), std::string::npos) << r.output;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2) << "a temporary file was left";
}

}  // namespace
