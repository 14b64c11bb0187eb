// Paths the user picks reach the file system exactly: spaces, letters beyond
// ASCII and long names survive save, open, import, export and the project's
// record of its data file. Only the caption is filtered to printable ASCII.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_home.h"
#include "data/formats.h"
#include "mainwindow/main_model.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlatform;

class FilePaths : public testing::TempHomeTest {
 protected:
  ScriptedPlatform platform;
};

TEST_F(FilePaths, NamesWithSpacesAndNonAsciiLettersRoundTrip) {
  const std::string names[] = {"Projekt März", "with space é ü 日本", std::string(200, 'L') + " ünd"};
  for (const std::string& name : names) {
    const fs::path folder = home / ("Ordner " + name.substr(0, 20));
    fs::create_directories(folder);
    const std::string data = (folder / (name + ".chi")).string();
    std::ofstream(data) << "t\nx\ny\n3\n10.0 5\n10.1 6\n10.2 7\n";
    const std::string project = (folder / (name + ".prb")).string();
    const std::string exported = (folder / (name + ".xy")).string();
    {
      MainModel m(platform);
      m.StartUp();
      platform.chosenPaths = {data, project, exported};
      ASSERT_TRUE(m.ImportData("chi")) << name << ": " << (platform.messages.empty() ? "" : platform.messages.back());
      EXPECT_EQ(m.PatternDataFile, data);
      EXPECT_EQ(m.CHIDirectory, folder.string());
      ASSERT_TRUE(m.ProjectSave());
      ASSERT_TRUE(m.ExportXY());
      // The caption shows the name as it is, its non-ASCII letters included.
      EXPECT_EQ(m.Caption, "Quorlin: " + data);
    }
    EXPECT_TRUE(fs::exists(project)) << project;
    EXPECT_TRUE(fs::exists(exported)) << exported;
    // Open again: the project names the data file exactly and it re-imports.
    MainModel again(platform);
    again.StartUp();
    platform.chosenPaths = {project};
    ASSERT_TRUE(again.ProjectOpen()) << name;
    EXPECT_EQ(again.PatternDataFile, data);
    EXPECT_EQ(again.ProjectDirectory, folder.string());
    ASSERT_EQ(again.data.NChan(), 3) << name;
    EXPECT_EQ(again.data.TwoTheta(2), 10.2f);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(home / "Ordner Projekt März"), {}), 3) << "only the three files";
}

TEST_F(FilePaths, AnExportOntoAFolderSaysWhy) {
  MainModel m(platform);
  m.StartUp();
  const fs::path folder = home / "out.xy";
  fs::create_directories(folder);
  platform.chosenPaths = {folder.string()};
  EXPECT_FALSE(m.ExportXY());
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back(), folder.string() + ": cannot be replaced: Is a directory");
}

TEST_F(FilePaths, TheGsasDialogOffersEveryExtensionGsasFilesCarry) {
  MainModel m(platform);
  m.StartUp();
  platform.chosenPaths = {std::nullopt};
  m.ImportData("gsa");
  ASSERT_EQ(platform.dialogs.size(), 1u);
  const auto& filters = platform.dialogs[0].filters;
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].description, kGsasDialogFilter);
  EXPECT_EQ(filters[1].description, "All Files (*.*)");
}

}  // namespace
}  // namespace quorlin
