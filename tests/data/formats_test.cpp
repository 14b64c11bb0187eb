#include "support/temp_path.h"
#include "data/formats.h"

#include <gtest/gtest.h>
#include <fnmatch.h>

#include <algorithm>
#include <cctype>

#include <filesystem>
#include <fstream>

#include "core/errors.h"

using namespace quorlin;
namespace fs = std::filesystem;

TEST(DataFormats, RegistryOrderFiltersAndSniffing) {
  const auto& formats = DataFormats();
  ASSERT_EQ(formats.size(), 5u);
  EXPECT_EQ(formats.back().name, "xy");  // plain text is the last resort
  EXPECT_EQ(FindDataFormat("gsa")->filter, kGsasDialogFilter);
  EXPECT_EQ(FindDataFormat("cpi")->filter, "Sietronics CPI Files (*.cpi)");
  EXPECT_EQ(FindDataFormat("chi")->filter, "CHI Files (*.chi)");
  EXPECT_EQ(FindDataFormat("mca")->filter, "");  // only "All Files (*.*)"
  EXPECT_EQ(FindDataFormat("xy")->filter, "xy Files (*.xy *.xye *.dat)");
  EXPECT_EQ(FindDataFormat("jcpds"), nullptr);

  const std::string gsas = "title\nBANK 1 12 2 CONST 1000 5 0 0\n";
  const std::string cpi = "SIETRONICS\n10\n20\n0.02\nCu\n1.54\nd\nt\ns\nSCANDATA\n1\n";
  const std::string mca = "VERSION: 3.1\nCHANNELS: 2\nDATA:\n1\n2\n";
  const std::string chi = "title\nx\n\n 2\n1 2\n3 4\n";
  const std::string xy = "# x y\n1 2\n3 4\n";
  // By content when the extension says nothing.
  EXPECT_EQ(GuessDataFormat("a.raw", gsas)->name, "gsa");
  EXPECT_EQ(GuessDataFormat("a", cpi)->name, "cpi");
  EXPECT_EQ(GuessDataFormat("a.txt", mca)->name, "mca");
  EXPECT_EQ(GuessDataFormat("a.txt", chi)->name, "chi");
  EXPECT_EQ(GuessDataFormat("a.txt", xy)->name, "xy");
  EXPECT_EQ(GuessDataFormat("a.txt", "nothing at all\n"), nullptr);
  // An extension binds the file to its format, case aside, even when the
  // content does not fit (the reader then says why).
  EXPECT_EQ(GuessDataFormat("A.GSA", gsas)->name, "gsa");
  EXPECT_EQ(GuessDataFormat("a.chi", xy)->name, "chi");
  EXPECT_EQ(GuessDataFormat("a.mca", std::string("\0\1\2", 3))->name, "mca");
  EXPECT_EQ(GuessDataFormat("a.dat", gsas)->name, "gsa");  // .dat says nothing
  EXPECT_EQ(GuessDataFormat("a.dat", xy)->name, "xy");
  // Text other than one column header before the numbers is not x-y text.
  EXPECT_TRUE(FindDataFormat("xy")->check("2theta I\n1 2\n"));
  EXPECT_FALSE(FindDataFormat("xy")->check("VERSION: 3.1\nELEMENTS: 2\nCHANNELS: 2\nDATA:\n1 2\n3 4\n"));
  EXPECT_FALSE(FindDataFormat("xy")->check(gsas + " 1   100 1   101\n"));
}

TEST(DataFormats, FilesByNameIncludingNonAsciiNames) {
  const fs::path dir = quorlin::testing::TestTempPath("quorlin-formats-test");
  fs::create_directories(dir);
  const fs::path file = dir / "données_é.xy";
  {
    std::ofstream os(file, std::ios::binary);
    os << "10 1\r\n10.5 2\r\n11 3";
  }
  CData d;
  ReadDataFile(file.string(), "", d);
  EXPECT_EQ(d.NChan(), 3);
  EXPECT_EQ(d.Intensity(2), 3);

  const std::string missing = (dir / "nope.gsa").string();
  try {
    ReadDataFile(missing, "", d);
    ADD_FAILURE() << "missing file read";
  } catch (const FormatError& e) {
    EXPECT_EQ(e.file(), missing);
  }
  EXPECT_THROW(ReadDataFile(dir.string(), "xy", d), FormatError);  // a folder
  EXPECT_THROW(ReadDataFile(file.string(), "nonsense", d), FormatError);
  EXPECT_EQ(d.NChan(), 3);

  // The size bound: a file just inside it is read whole, one byte over is
  // refused, and a device without end is refused rather than read forever.
  EXPECT_EQ(ReadWholeFile(file.string(), 18).size(), 18u);
  EXPECT_THROW(ReadWholeFile(file.string(), 17), FormatError);
  if (fs::exists("/dev/zero")) {
    EXPECT_THROW(ReadWholeFile("/dev/zero", 1 << 20), FormatError);
  }
  fs::remove_all(dir);
}

TEST(DataFormats, TheGsasFilterMatchesEveryRealGsasFile) {
  // The real GSAS files carry .gsa, .gsas, .gss, .fxye, .XRA, .CWN, .gda and
  // .raw; the dialog's patterns, matched as a Linux file dialog does (case
  // sensitive), must take each of them, in either case, and still refuse others.
  const std::string folder = std::string(QUORLIN_SHARED_DIR) + "/realdata/gsas";
  if (!fs::exists(folder)) GTEST_SKIP() << "no realdata folder";
  std::vector<std::string> patterns;
  std::string all = kGsasDialogPattern;
  for (std::size_t start = 0; start <= all.size();) {
    auto end = std::min(all.find(';', start), all.size());
    patterns.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  auto offered = [&](const std::string& name) {
    for (const auto& p : patterns)
      if (::fnmatch(p.c_str(), name.c_str(), 0) == 0) return true;
    return false;
  };
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    std::string upper = name, lower = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(offered(name) && offered(upper) && offered(lower)) << name;
    ++files;
  }
  EXPECT_GE(files, 11);
  for (const char* other : {"p.chi", "p.xy", "p.gsa.bak", "p.cpi"}) EXPECT_FALSE(offered(other)) << other;
}
