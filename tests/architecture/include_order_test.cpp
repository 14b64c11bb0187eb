// The folders of src/ form a stack, written down in docs/architecture.md: a
// file includes only its own folder and folders listed above it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = QUORLIN_SOURCE_DIR;

// "3. `reflections` — ..." gives reflections the rank 3.
std::map<std::string, int> LayerRanks() {
  std::ifstream doc(kRoot / "docs" / "architecture.md");
  const std::regex item(R"(^(\d+)\. `([a-z_]+)`)");
  std::map<std::string, int> ranks;
  std::string line;
  std::smatch m;
  while (std::getline(doc, line))
    if (std::regex_search(line, m, item)) ranks[m[2]] = std::stoi(m[1]);
  return ranks;
}

}  // namespace

TEST(Architecture, IncludesPointUpOnly) {
  const auto ranks = LayerRanks();
  ASSERT_GE(ranks.size(), 5u) << "docs/architecture.md lists no layers";
  const std::regex include(R"(^\s*#\s*include\s*"([a-z_]+)/)");
  std::vector<std::string> faults;
  for (const auto& dir : fs::directory_iterator(kRoot / "src")) {
    if (!dir.is_directory()) continue;
    const std::string folder = dir.path().filename().string();
    const auto own = ranks.find(folder);
    if (own == ranks.end()) {
      faults.push_back("src/" + folder + " is not in docs/architecture.md");
      continue;
    }
    for (const auto& file : fs::recursive_directory_iterator(dir.path())) {
      if (!file.is_regular_file()) continue;
      std::ifstream in(file.path());
      std::string line;
      std::smatch m;
      for (int n = 1; std::getline(in, line); ++n) {
        if (!std::regex_search(line, m, include)) continue;
        const auto target = ranks.find(m[1]);
        if (target == ranks.end() || target->second > own->second)
          faults.push_back(fs::relative(file.path(), kRoot).string() + ":" + std::to_string(n) +
                           ": includes " + m[1].str() + "/ from below " + folder + "/");
      }
    }
  }
  for (const auto& f : faults) ADD_FAILURE() << f;
}

TEST(Architecture, CoreLibraryHasNoQt) {
  const std::regex qt(R"(^\s*#\s*include\s*<Q)");
  for (const auto& file : fs::recursive_directory_iterator(kRoot / "src")) {
    if (!file.is_regular_file()) continue;
    std::ifstream in(file.path());
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
      EXPECT_FALSE(std::regex_search(line, qt)) << file.path() << ":" << n;
  }
}
