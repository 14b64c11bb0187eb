// quorlin-cli project on projects saved by the window's model: an energy
// spectrum, a zoomed angle pattern, a project whose data file is gone and a
// file that is no project.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "mainwindow/main_model.h"
#include "mainwindow/scripted_platform.h"
#include "support/temp_home.h"
#include "support/shell.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

class ProjectCli : public testing::TempHomeTest {
 protected:
  // Standard output and standard error, each line kept.
  testing::Outcome Run(const std::string& project) {
    return testing::RunShell(testing::CliCommand("project '" + project + "'") + " 2>'" + Path("err.txt") + "'");
  }
  std::string Err() const {
    std::ifstream in(home / "err.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  testing::ScriptedPlatform platform;
};

TEST_F(ProjectCli, PrintsTheSavedWindowOfEnergyAndZoomedAngleProjects) {
  std::ostringstream mca;
  mca << "CHANNELS: 2048\nCAL_OFFSET: 0\nCAL_SLOPE: 0.02\nCAL_QUAD: 0\nTWO_THETA: 10\nDATA:\n";
  for (int i = 0; i < 2048; ++i) mca << (10 + i % 90) << "\n";
  std::ofstream(Path("spectrum.mca"), std::ios::binary) << mca.str();
  std::ostringstream chi;
  chi << "pattern\n2-theta\nintensity\n1551\n";
  for (int i = 0; i < 1551; ++i) chi << (5.0 + 0.1 * i) << " " << (100 + i % 40) << "\n";
  std::ofstream(Path("scan.chi"), std::ios::binary) << chi.str();

  struct Case {
    std::string type, file, lo, hi, expected;
  };
  const Case cases[] = {
      {"mca", Path("spectrum.mca"), "100", "900",
       "data type: mca Energy\nwindow: 100 900\n"},
      {"chi", Path("scan.chi"), "100", "160", "data type: chi Angle\nwindow: 100 160\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    {
      MainModel m(platform);
      m.StartUp();
      ASSERT_TRUE(m.ImportDataFile(c.type, c.file));
      m.PlotLimitGotFocus(0);
      ASSERT_TRUE(m.PlotLimitChanged(0, c.lo));
      ASSERT_TRUE(m.PlotLimitChanged(1, c.hi));
      ASSERT_TRUE(m.SpecimenDisplacementChanged("0.002"));
      m.CellShapeClicked(2);  // a cubic cell of 5 Angstroms
      ASSERT_TRUE(m.ProjectSaveFile(Path("p.prb")));
    }
    auto r = Run(Path("p.prb"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Err(), "");
    const std::string expected = "cell: 5 5 5 90 90 90\ncrystal system: 8 none\nextinction number: -1\ndata file: " +
                                 c.file + "\n" + c.expected;
    EXPECT_EQ(r.output.rfind(expected, 0), 0u) << r.output;
    EXPECT_NE(r.output.find("\ndisplacement: 0.002\ntube: Cu\nprimary wavelength: 1.54"), std::string::npos)
        << r.output;
    EXPECT_EQ(r.output.find("stored phase"), std::string::npos) << "no stored phases";
  }

  // The data file gone: the project still reads, with a note, on its own axis.
  fs::remove(Path("scan.chi"));
  auto r = Run(Path("p.prb"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("window: 100 160\n"), std::string::npos) << r.output;
  EXPECT_EQ(Err().rfind("note: " + Path("scan.chi") + ":", 0), 0u) << Err();

  // Not a project: one line naming the file, status 2.
  std::ofstream(Path("junk.prb"), std::ios::binary) << "no project at all";
  r = Run(Path("junk.prb"));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "");
  const std::string err = Err();
  EXPECT_NE(err.find(Path("junk.prb")), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(Run(Path("none.prb")).status, 2);
}

}  // namespace
}  // namespace quorlin
