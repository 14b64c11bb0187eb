// The desktop's file types, checked with GLib's own sniffer (gio) on files
// the program's writers made: a project and unit-cell libraries, by name and,
// without an extension, by their content.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "mainwindow/main_model.h"
#include "phases/unit_cell_library.h"
#include "scripted_platform.h"
#include "support/shell.h"
#include "support/temp_home.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

class FileTypes : public testing::TempHomeTest {
 protected:
  // The content type gio gives `file` with only the freedesktop types and ours installed.
  std::string ContentType(const fs::path& file) const {
    const std::string command = "XDG_DATA_HOME='" + (home / "none").string() + "' XDG_DATA_DIRS='" +
                                (home / "share").string() + "' gio info -a standard::content-type '" +
                                file.string() + "' 2>&1";
    const auto r = testing::RunShell(command);
    const auto at = r.output.find("standard::content-type: ");
    if (at == std::string::npos) return r.output;
    std::string type = r.output.substr(at + 24);
    return type.substr(0, type.find('\n'));
  }
};

TEST_F(FileTypes, ProjectsAndLibrariesAreKnownByNameAndByContent) {
  if (testing::RunShell("command -v gio update-mime-database >/dev/null").status != 0)
    GTEST_SKIP() << "gio or update-mime-database is not installed";
  const fs::path packages = home / "share" / "mime" / "packages";
  fs::create_directories(packages);
  fs::copy_file(QUORLIN_SOURCE_DIR "/dist/quorlin-mime.xml", packages / "quorlin.xml");
  fs::copy_file("/usr/share/mime/packages/freedesktop.org.xml", packages / "freedesktop.org.xml");
  ASSERT_EQ(testing::RunShell("update-mime-database '" + (home / "share" / "mime").string() + "' >/dev/null 2>&1").status, 0);

  testing::ScriptedPlatform platform;
  MainModel m{platform};
  m.StartUp();
  ASSERT_TRUE(m.ProjectSaveFile((home / "work.prb").string()));
  // A library's first key is its first group name, or without one its first cell.
  UnitCellLibrary cells, named;
  cells.Entry(0, 3) = {"quartz", 2, -1, {4.91f, 4.91f, 5.40f, 90, 90, 120}};
  named = cells;
  named.SetGroupName(0, "oxides");
  cells.WriteFile((home / "cells.ucl").string());
  named.WriteFile((home / "named.ucl").string());
  for (const char* f : {"work.prb", "cells.ucl", "named.ucl"})
    fs::copy_file(home / f, home / fs::path(f).stem());

  const std::string project = "application/x-quorlin-project", library = "application/x-quorlin-unit-cells";
  const std::pair<const char*, std::string> cases[] = {
      {"work.prb", project}, {"cells.ucl", library}, {"named.ucl", library},
      {"work", project},     {"cells", library},     {"named", library}};
  for (const auto& [file, type] : cases) EXPECT_EQ(ContentType(home / file), type) << file;
}

}  // namespace
}  // namespace quorlin
