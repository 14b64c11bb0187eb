// Runs a shell command for the command-line tests and keeps what it printed
// on standard output together with its exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace quorlin::testing {

struct Outcome {
  int status = -1;  // -1 when the command could not run or was killed
  std::string output;
};

inline Outcome RunShell(const std::string& command) {
  Outcome r;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) r.output += buf;
  const int s = pclose(p);
  r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return r;
}

// The lines of a command's output, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// quorlin-cli with the given arguments (already quoted as needed).
inline std::string CliCommand(const std::string& args) {
  return std::string("'") + QUORLIN_CLI_PATH + "' " + args;
}

}  // namespace quorlin::testing
