// A temporary path of one test in one process: two builds or two checkouts
// running the same test at the same time never share files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace quorlin::testing {

inline std::filesystem::path TestTempPath(std::string_view tag) {
  std::string name = std::string(tag) + "-" + std::to_string(::getpid());
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
    name += std::string("-") + info->name();
  return std::filesystem::temp_directory_path() / name;
}

}  // namespace quorlin::testing
