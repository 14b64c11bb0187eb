#include "support/temp_path.h"
#include "mainwindow/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quorlin {
namespace {

TEST(Platform, CustomColourTextIsSixtyFourBytesAndRoundTrips) {
  CustomColors c{};
  c[0] = 0x00FF0000u;  // blue
  c[5] = 0x000000FFu;  // red
  c[15] = 0x00808080u;
  std::string text = CustomColorsToText(c);
  ASSERT_EQ(text.size(), 64u);
  EXPECT_EQ(static_cast<unsigned char>(text[0 * 4 + 2]), 0xFF);  // blue byte third
  EXPECT_EQ(static_cast<unsigned char>(text[5 * 4 + 0]), 0xFF);  // red byte first
  EXPECT_EQ(CustomColorsFromText(text), c);
  // The project default (64 NULs) and a damaged length both read as zeros.
  EXPECT_EQ(CustomColorsFromText(std::string(64, '\0')), CustomColors{});
  EXPECT_EQ(CustomColorsFromText("short"), CustomColors{});
}

TEST(Platform, PathPartsAndProgramFolderOverride) {
  EXPECT_EQ(FolderOf("/a/b/c.prb"), "/a/b");
  EXPECT_EQ(FileNameOf("/a/b/c.prb"), "c.prb");
  EXPECT_EQ(FolderOf("c.prb"), "");
  EXPECT_EQ(FolderOf("/c.prb"), "/");

  const char* old = std::getenv("QUORLIN_HOME");
  std::string saved = old ? old : "";
  ::setenv("QUORLIN_HOME", "/tmp/quorlin-home-test/", 1);
  EXPECT_EQ(ProgramFolder(), "/tmp/quorlin-home-test");
  if (old) ::setenv("QUORLIN_HOME", saved.c_str(), 1); else ::unsetenv("QUORLIN_HOME");
}

TEST(Platform, FileExistsSeesRegularFilesOnly) {
  struct P : IPlatform {
    void ShowMessage(const std::string&) override {}
    MessageAnswer AskYesNoCancel(const std::string&) override { return MessageAnswer::Cancel; }
    std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t>, CustomColors&) override { return {}; }
  } p;
  auto dir = testing::TestTempPath("quorlin-platform-test");
  std::filesystem::create_directories(dir);
  auto file = dir / "x.txt";
  std::ofstream(file) << "x";
  EXPECT_TRUE(p.FileExists(file.string()));
  EXPECT_FALSE(p.FileExists(dir.string()));
  EXPECT_FALSE(p.FileExists((dir / "missing").string()));
  EXPECT_FALSE(p.FileExists(""));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quorlin
