// Readers against an independent one: xylib's xyconv (Debian libxy-bin),
// where it reads the same format (Fit2D chi as "chiplot", CPI as "cpi",
// columns as "text"). Skipped when xyconv is not installed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/formats.h"

using namespace quorlin;
namespace fs = std::filesystem;

namespace {

bool HaveXyconv() { return std::system("xyconv -l >/dev/null 2>&1") == 0; }

// xyconv's export: "#" lines, then tab-separated columns with 6 decimals.
std::vector<std::pair<double, double>> Xyconv(const std::string& type, const std::string& file) {
  std::vector<std::pair<double, double>> rows;
  std::string cmd = "xyconv -t " + type + " '" + file + "' - 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return rows;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) {
    if (buf[0] == '#') continue;
    double x, y;
    if (std::sscanf(buf, "%lf %lf", &x, &y) == 2) rows.emplace_back(x, y);
  }
  pclose(p);
  return rows;
}

void ExpectSameAsXyconv(const std::string& type, const std::string& file) {
  auto oracle = Xyconv(type, file);
  CData d;
  ReadDataFile(file, type == "chiplot" ? "chi" : type == "text" ? "xy" : type, d);
  ASSERT_EQ(static_cast<std::size_t>(d.NChan()), oracle.size()) << file;
  for (std::int32_t i = 0; i < d.NChan(); ++i) {
    // xyconv prints 6 decimals; x is a single.
    ASSERT_NEAR(d.TwoTheta(i), oracle[i].first, 6e-7 + 6e-8 * std::fabs(oracle[i].first)) << file << " " << i;
    ASSERT_NEAR(d.Intensity(i), oracle[i].second, 6e-7) << file << " " << i;
  }
}

}  // namespace

TEST(XyconvOracle, ChiXyAndCpiAgree) {
  if (!HaveXyconv()) GTEST_SKIP() << "xyconv not installed";
  const std::string realdata = std::string(QUORLIN_SHARED_DIR) + "/realdata/";
  if (fs::exists(realdata)) {
    for (const char* f : {"chi/feooh.chi", "chi/hSiO2_404_009.chi", "chi/Rw_1wtH2O_40sec.bgsub.chi", "chi/chiplot.chi"})
      ExpectSameAsXyconv("chiplot", realdata + f);
    for (const char* f : {"xy/CeO2_Pilatus1M.xy", "xy/SiC_Zn.dat", "xy/nacl01.dat", "xy/Si_Cu_sputter_exported.xye",
                          "xy/x3lactos.xye"})
      ExpectSameAsXyconv("text", realdata + f);
  }
  // No real CPI file is public: a Sietronics header as xylib reads it.
  const fs::path cpi = fs::temp_directory_path() / ("quorlin-oracle-" + std::to_string(::getpid()) + ".cpi");
  {
    std::ofstream os(cpi, std::ios::binary);
    os << "SIETRONICS XRD SCAN\r\n10.00\r\n20.00\r\n0.02\r\nCu\r\n1.54056\r\n1-1-1900\r\n0.600\r\nSOIL\r\nSCANDATA\r\n";
    for (int i = 0; i < 501; ++i) os << (i * 7919) % 5003 << "\r\n";
  }
  ExpectSameAsXyconv("cpi", cpi.string());
  fs::remove(cpi);
}
