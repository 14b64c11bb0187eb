// A test fixture whose program folder (QUORLIN_HOME) is a fresh, empty
// folder of its own, removed again when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_path.h"

namespace quorlin::testing {

class TempHomeTest : public ::testing::Test {
 protected:
  TempHomeTest() : home(TestTempPath("quorlin-home")) {
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    ::setenv("QUORLIN_HOME", home.c_str(), 1);
  }
  ~TempHomeTest() override {
    ::unsetenv("QUORLIN_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
  }
  // A file in the folder, as the program would be given it.
  std::string Path(const std::string& name) const { return (home / name).generic_string(); }
  // A CHI pattern of n points, 2-theta from x0 in steps of dx, intensities f(i).
  template <class F>
  std::string WriteChi(const std::string& name, int n, double x0, double dx, F f) const {
    std::ostringstream s;
    s << "synthetic pattern\n2-theta\nintensity\n" << n << "\n";
    for (int i = 0; i < n; ++i) s << (x0 + dx * i) << " " << f(i) << "\n";
    std::ofstream(Path(name), std::ios::binary) << s.str();
    return Path(name);
  }

  const std::filesystem::path home;
};

}  // namespace quorlin::testing
