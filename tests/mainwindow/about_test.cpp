#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mainwindow/about.h"
#include "support/temp_home.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

TEST(About, NamesTheVersionAndEveryLinkedLibraryWithItsLicence) {
  const auto libraries = LinkedLibraries("6.4.2");
  const std::string text = AboutText("1.2.3", libraries);
  EXPECT_EQ(text.rfind("Quorlin 1.2.3\n", 0), 0u) << text;
  ASSERT_GE(libraries.size(), 3u);
  for (const auto& l : libraries) {
    EXPECT_FALSE(l.licence.empty()) << l.name;
    const std::string line = "  " + l.name + (l.version.empty() ? "" : " " + l.version) + ": " + l.licence + "\n";
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_NE(text.find("Qt (Core, Gui, Widgets, Svg) 6.4.2: GNU LGPL version 3"), std::string::npos);
}

// An installed program (PREFIX/bin) reads PREFIX/share/doc/quorlin/guide.md;
// a build that is not installed falls back on the source tree's docs.
class UserGuide : public testing::TempHomeTest {};

TEST_F(UserGuide, IsTheInstalledOneElseTheSourceTreesElseNone) {
  const fs::path root = home;
  const fs::path bin = root / "usr" / "bin", docs = root / "src" / "docs";
  const fs::path installed = root / "usr" / "share" / "doc" / "quorlin" / "guide.md";
  fs::create_directories(bin);
  fs::create_directories(docs);
  EXPECT_EQ(UserGuidePath(bin.string(), docs.string()), "");
  std::ofstream(docs / "guide.md") << "# guide\n";
  EXPECT_EQ(UserGuidePath(bin.string(), docs.string()), (docs / "guide.md").generic_string());
  fs::create_directories(installed.parent_path());
  std::ofstream(installed) << "# guide\n";
  EXPECT_EQ(UserGuidePath(bin.string(), docs.string()), installed.generic_string());
  EXPECT_EQ(UserGuidePath("", ""), "");
}

}  // namespace
}  // namespace quorlin
