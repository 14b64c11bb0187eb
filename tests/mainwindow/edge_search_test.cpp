// The wide edge search and the on-peak check on a strongly compressed
// synthetic rock-salt spectrum, where the lattice-parameter scan started from
// the card's edge stops on a false maximum near 5.587 A.
#include "mainwindow/edge_search.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "mainwindow/scripted_platform.h"
#include "support/synthetic_spectrum.h"

namespace quorlin {
namespace {

TEST(EdgeSearch, FindsTheTrueEdgeAndTellsItFromAFalseMaximum) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("quorlin-edge-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "s.mca") << testing::RockSaltMca(5.10);
  std::ofstream(dir / "nacl.jcpds") << testing::NaClCard();
  testing::ScriptedPlatform platform;
  MainModel m(platform);
  ASSERT_TRUE(m.ImportDataFile("mca", (dir / "s.mca").string()));
  ASSERT_TRUE(m.ImportDataFile("jcpds", (dir / "nacl.jcpds").string()));
  fs::remove_all(dir);

  // 0.24 a0 in 1200 steps of 0.0011 A: within two steps of the true edge,
  // well inside the +-0.1 A of the scan that refines it.
  const auto found = SearchEdge(m, 0.80f * 5.6402f, 1.04f * 5.6402f, 1200);
  ASSERT_TRUE(found.has_value());
  EXPECT_NEAR(*found, 5.10, 0.0023);
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5.6402");  // left as it was

  // At the true edge every line on the spectrum sits on its peak; which lines
  // fall on the 2048 channels follows from the spectrum's own formula.
  int onSpectrum = 0;
  for (const auto& line : testing::kNaClLines) onSpectrum += testing::ChannelOf(5.10, line.h, line.k, line.l) < 2047;
  m.UnitCell.SetCellParameters(0, 1, "5.1");
  const LineEvidence atTrue = LinesOnPeaks(m);
  EXPECT_EQ(atTrue.used, onSpectrum);
  EXPECT_EQ(atTrue.onPeak, onSpectrum);
  // The false maximum lines up a minority only.
  m.UnitCell.SetCellParameters(0, 1, "5.587");
  const LineEvidence atFalse = LinesOnPeaks(m);
  EXPECT_LT(2 * atFalse.onPeak, atFalse.used) << atFalse.onPeak << " of " << atFalse.used;
}

}  // namespace
}  // namespace quorlin
