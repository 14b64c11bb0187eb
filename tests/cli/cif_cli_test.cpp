// quorlin-cli cif: the listing of a structure, and damaged files that end in
// one line on stderr with exit status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/shell.h"
#include "support/temp_path.h"

namespace quorlin {
namespace {

using testing::CliCommand;
using testing::RunShell;

const std::string kDir = std::string(QUORLIN_SOURCE_DIR) + "/tests/structure/cif/";

TEST(CifCli, ListsTheStructureAndTheCatalogueEntry) {
  const auto out = RunShell(CliCommand("cif '" + kDir + "nacl.cif' 2>/dev/null"));
  ASSERT_EQ(out.status, 0);
  EXPECT_NE(out.output.find("# name: Halite\n# cell: 5.64020 5.64020 5.64020 90.00000 90.00000 90.00000\n"
                            "# space group: F m -3 m (225)\n# catalogue: cubic 12\n"
                            "# h k l d two_theta multiplicity F2 intensity\n"
                            "1 1 1 3.25637 27.366 8 "),
            std::string::npos)
      << out.output;
  EXPECT_NE(out.output.find("\n2 0 0 2.82010 31.702 6 "), std::string::npos);
  // Mo K-alpha1 over a range: 200 at 2 asin(0.7093 / (2 * 2.82010)).
  const auto mo = RunShell(CliCommand("cif '" + kDir + "nacl.cif' --tube Mo --range 13 20 2>/dev/null"));
  ASSERT_EQ(mo.status, 0);
  EXPECT_NE(mo.output.find("\n2 0 0 2.82010 14.449 6 "), std::string::npos) << mo.output;
  EXPECT_EQ(mo.output.find("\n1 1 1 "), std::string::npos);
}

TEST(CifCli, DamagedFilesEndInOneLineAndStatusTwo) {
  std::string nacl;
  {
    std::ifstream in(kDir + "nacl.cif");
    std::stringstream ss;
    ss << in.rdbuf();
    nacl = ss.str();
  }
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = nacl;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"nocell", replaced("_cell_length_a 5.6402\n", "")},
      {"negative", replaced("_cell_length_b 5.6402", "_cell_length_b -5.6402")},
      {"unknowngroup", replaced("'F m -3 m'\n_symmetry_Int_Tables_number 225", "'X y z'")},
      {"unknownelement", replaced("Cl1 Cl1-", "Cl1 Qq")},
      {"truncated", nacl.substr(0, nacl.find("Na1 Na1+") + 8)},
      {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10) + "\xff\xfe"},
      {"empty", ""},
      {"duplicated", replaced("_cell_length_c 5.6402", "_cell_length_c 5.6402\n_cell_length_c 5.7")},
  };
  const auto dir = testing::TestTempPath("cif");
  std::filesystem::create_directories(dir);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (dir / (std::string(c.name) + ".cif")).string();
    std::ofstream(path, std::ios::binary) << c.text;
    const auto r = RunShell(CliCommand("cif '" + path + "' 2>&1 >/dev/null"));
    EXPECT_EQ(r.status, 2);
    ASSERT_FALSE(r.output.empty());
    EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << r.output;
    EXPECT_NE(r.output.find(path + ":"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("nan"), std::string::npos) << r.output;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quorlin
