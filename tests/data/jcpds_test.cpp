#include "data/jcpds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "core/errors.h"
#include "data/formats.h"
#include "data/jcpds_writer.h"
#include "reflections/catalogue.h"

using namespace quorlin;
namespace fs = std::filesystem;

namespace {

JcpdsCard Parse(const std::string& text) {
  std::istringstream in(text);
  return ReadJcpdsCard(in, "card.jcpds");
}

// d of a hexagonal cell: 1/d^2 = 4/3 (h^2 + hk + k^2)/a^2 + l^2/c^2.
double HexagonalD(double a, double c, int h, int k, int l) {
  return 1 / std::sqrt(4.0 / 3.0 * (h * h + h * k + k * k) / (a * a) + l * l / (c * c));
}

// d of a monoclinic cell (b unique), Giacovazzo's table of 1/d^2.
double MonoclinicD(double a, double b, double c, double betaDeg, int h, int k, int l) {
  double beta = betaDeg * M_PI / 180, s = std::sin(beta);
  double inv = (h * h / (a * a) + k * k * s * s / (b * b) + l * l / (c * c) - 2.0 * h * l * std::cos(beta) / (a * c)) /
               (s * s);
  return 1 / std::sqrt(inv);
}

struct Model {
  CUnitCell cell;
  CPattern pattern;
  clsPeakList peaks;
  void Apply(const JcpdsCard& card) {
    ApplyJcpdsCard(card, "card.jcpds", cell, CrystalSystemSetter(pattern, cell), peaks);
  }
};

}  // namespace

TEST(JcpdsCard, KeywordCardSetsCrystalSystemCellAndPeaks) {
  // Mixed-case symmetry, CR LF, tabs, hkl written as floats, no final newline.
  const double a = 3.537, c = 5.704;
  const double d100 = HexagonalD(a, c, 1, 0, 0), d002 = HexagonalD(a, c, 0, 0, 2);
  std::ostringstream text;
  text << "VERSION: 4\r\nCOMMENT: Indium\tNitride \r\nK0:       166\r\nK0P:       3.80000\r\n"
       << "SYMMETRY: Hexagonal\r\nA:      3.537 \r\nC:\t5.704\r\nALPHAT:      0.000000\r\n"
       << "DIHKL:   " << d100 << "     55.    1.00    0.00    0.00\r\n"
       << "DIHKL:\t" << d002 + 0.2 << "\t45.4\t0\t0\t2\r\n"      // 0.2 too long: does not agree
       << "DIHKL:   " << d100 - 0.5 << "  12.5  -1.00  0.00  0.00";  // shorter: agrees (signed test)
  JcpdsCard card = Parse(text.str());
  EXPECT_EQ(card.version, 4);
  EXPECT_EQ(card.comment, "Indium Nitride");
  EXPECT_EQ(card.crystalSystem, 2);
  EXPECT_EQ(card.K0, 166.0f);
  EXPECT_EQ(card.K0p, 3.8f);
  ASSERT_EQ(card.peaks.size(), 3u);
  EXPECT_EQ(card.peaks[2].h, -1);

  Model m;
  m.pattern.CrystalSystem = 5;
  m.pattern.SetExtinctionNumber(3, &m.cell);
  m.Apply(card);
  EXPECT_EQ(m.pattern.CrystalSystem, 2);
  EXPECT_EQ(m.pattern.ExtinctionNumber(), -1);
  EXPECT_EQ(m.cell.Basis(), 2);
  EXPECT_EQ(m.cell.CellParameters(0, 1), "3.537");
  EXPECT_EQ(m.cell.CellParameters(1, 1), "3.537");
  EXPECT_EQ(m.cell.CellParameters(2, 1), "5.704");
  EXPECT_EQ(m.cell.CellParameters(5, 1), "120");
  ASSERT_EQ(m.peaks.NumberOfPeaks(), 3);
  EXPECT_NEAR(m.cell.hklDSpacing(1, 0, 0), d100, 1e-5);
  EXPECT_TRUE(m.peaks.Agrees(0));
  EXPECT_FALSE(m.peaks.Agrees(1));
  EXPECT_TRUE(m.peaks.Agrees(2));
  EXPECT_EQ(m.peaks.Intens(1), 45);
  EXPECT_EQ(m.peaks.Intens(2), 12);  // 12.5 rounds to even
  EXPECT_EQ(m.peaks.l(1), 2);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(m.peaks.Included(i));
}

TEST(JcpdsCard, EverySymmetryMakesTheCardsCell) {
  // Monoclinic: BETA reaches the cell (FeGeO3 clinopyroxene numbers).
  JcpdsCard mono = Parse(
      "VERSION: 4\nSYMMETRY: MONOCLINIC\nA: 9.79930\nB: 9.14910\nC: 5.19910\nBETA: 101.890\n"
      "DIHKL: 2.97444 94.1 -2 2 1\n");
  Model m;
  m.Apply(mono);
  EXPECT_EQ(m.pattern.CrystalSystem, 6);
  EXPECT_EQ(m.cell.Basis(), 5);
  EXPECT_EQ(m.cell.CellParameters(4, 1), "101.89");
  EXPECT_NEAR(m.cell.hklDSpacing(-2, 2, 1), MonoclinicD(9.7993, 9.1491, 5.1991, 101.89, -2, 2, 1), 1e-4);
  EXPECT_NEAR(m.cell.hklDSpacing(-2, 2, 1), 2.97444, 2e-4);  // the card's own d
  EXPECT_TRUE(m.peaks.Agrees(0));

  // Tetragonal with A and C: b follows a whatever the cell held before.
  Model t;
  t.cell.SetCell(1, {5, 7, 9, 90, 90, 90});
  t.Apply(Parse("VERSION: 4\nSYMMETRY: TETRAGONAL\nA: 3.2517\nC: 4.9459\n"));
  EXPECT_EQ(t.cell.CellParameters(1, 1), "3.2517");
  EXPECT_EQ(t.pattern.CrystalSystem, 4);
  EXPECT_EQ(t.peaks.NumberOfPeaks(), 0);  // a card without rows

  JcpdsCard tri = Parse(
      "VERSION: 4\nSYMMETRY: TRICLINIC\nA: 6.695\nB: 9.257\nC: 6.666\nALPHA: 86.5\nBETA: 76.13\nGAMMA: 70.38\n");
  EXPECT_EQ(tri.cell, (std::array<float, 6>{6.695f, 9.257f, 6.666f, 86.5f, 76.13f, 70.38f}));
  JcpdsCard rh = Parse("VERSION: 4\nSYMMETRY: RHOMBOHEDRAL\nA: 2.516\nC: 19.152\n");
  EXPECT_EQ(rh.crystalSystem, 3);
  EXPECT_EQ(JcpdsBasis(3), 2);  // trigonal cards give hexagonal axes
  // Cubic ignores what the symmetry fixes.
  JcpdsCard cub = Parse("VERSION: 4\nSYMMETRY: CUBIC\nA: 4.0786\nB: 4.1\nALPHA: 91\n");
  EXPECT_EQ(cub.cell, (std::array<float, 6>{4.0786f, 4.0786f, 4.0786f, 90, 90, 90}));

  // No blank after the colons, and a byte-order mark.
  JcpdsCard tight = Parse("\xEF\xBB\xBFVERSION:4\nSYMMETRY:CUBIC\nA:4.0786\nDIHKL:2.3550 100 1 1 1\n");
  EXPECT_EQ(tight.version, 4);
  EXPECT_EQ(tight.cell[0], 4.0786f);
  EXPECT_EQ(tight.peaks.size(), 1u);

  // Fractional hkl of a modulated phase are left out and counted.
  JcpdsCard mod = Parse(
      "VERSION: 4\nSYMMETRY: CUBIC\nA: 3.5447\nDIHKL: 4.0931 5. 0.50 0.50 0.50\nDIHKL: 2.0465 100. 1.00 1.00 1.00\n"
      "DIHKL: 3.0698 10. 0.67 0.67 0.67\n");
  EXPECT_EQ(mod.peaks.size(), 1u);
  EXPECT_EQ(mod.leftOut, 2);
  ASSERT_EQ(mod.notes.size(), 1u);
  EXPECT_NE(mod.notes[0].find("2 rows"), std::string::npos);
}

TEST(JcpdsCard, PositionalAndOldLayouts) {
  // Shim-lab layout: version, comment, an empty line, code K0 K0', cell,
  // thermal expansion, captions, rows (monoclinic: a b c beta).
  JcpdsCard p = Parse(
      "3\r\ncoesite\r\n\r\n       5      96.0000      8.40000\r\n      7.13560      12.3692      7.17363      120.340\r\n"
      "(blank for future use)\r\nd-spacing    I/I0     h   k   l\r\n  6.1846      7.    0.00    2.00    0.00\r\n"
      "  5.5474\t2.\t1\t1\t-1");
  EXPECT_EQ(p.version, 3);
  EXPECT_EQ(p.comment, "coesite");
  EXPECT_EQ(p.crystalSystem, 6);
  EXPECT_EQ(p.K0, 96.0f);
  EXPECT_EQ(p.K0p, 8.4f);
  EXPECT_EQ(p.cell, (std::array<float, 6>{7.1356f, 12.3692f, 7.17363f, 90, 120.34f, 90}));
  ASSERT_EQ(p.peaks.size(), 2u);
  EXPECT_EQ(p.peaks[1].l, -1);

  // Malformed K0' ("3.7.") is noted, the card still read.
  JcpdsCard ca = Parse("3\ncalcium\n 1 17.4 3.7.\n 4.486\n(blank)\nd I h k l\n3.15\t100\t1\t1\t0\n");
  EXPECT_EQ(ca.crystalSystem, 1);
  EXPECT_FALSE(ca.K0p);
  EXPECT_EQ(ca.notes.size(), 1u);

  // Old cards: "code a K0 K0' c/a [b/a]" with commas and trailing text.
  JcpdsCard old = Parse("Rhenium\n2 2.760, 433.8 3.46 1.615 this line\nd (A) I/I0 h k l\n2.388 32 1 0 0\n");
  EXPECT_EQ(old.version, 1);
  EXPECT_EQ(old.crystalSystem, 2);
  EXPECT_FLOAT_EQ(old.cell[2], 2.76f * 1.615f);
  EXPECT_EQ(old.K0, 433.8f);
  JcpdsCard stv = Parse("stishovite\n4 4.1772, 298 3.98, 0.6380\n  d (A)    I/I0     h  k  l\n  2.95373   100.    1  1  0\n");
  EXPECT_EQ(stv.crystalSystem, 4);
  // A version number beyond any int (a damaged first line) reads as 0.
  EXPECT_EQ(Parse("1e300\nX\n 1 1 1\n 4\nd I h k l\n 2 100 1 1 1\n").version, 0);
  EXPECT_EQ(Parse("VERSION: -9e99\nSYMMETRY: CUBIC\nA: 4\n").version, 0);
  JcpdsCard mn = Parse("MnO(OH)\n3 5.300 50.0 4.0 0.996 1.001\nd I h k l\n3.405 100 1 1 -1\n");
  EXPECT_EQ(mn.crystalSystem, 5);
  EXPECT_FLOAT_EQ(mn.cell[1], 5.3f * 1.001f);
}

TEST(JcpdsCard, RefusalsChangeNothing) {
  const std::pair<const char*, long> bad[] = {
      {"", 0},
      {"VERSION: 4\nSYMMETRY: CUBICAL\nA: 4\n", 2},
      {"VERSION: 4\nSYMMETRY:\nA: 4\n", 2},
      {"VERSION: 4\nA: 4\n", 0},                                       // no symmetry
      {"VERSION: 4\nSYMMETRY: TETRAGONAL\nA: 3.25\n", 2},               // C missing
      {"VERSION: 4\nSYMMETRY: MONOCLINIC\nA: 9\nB: 9\nC: 5\n", 2},       // BETA missing
      {"VERSION: 4\nSYMMETRY: CUBIC\nA: 4.0.1\n", 3},
      {"VERSION: 4\nSYMMETRY: CUBIC\nA:\n", 3},
      {"VERSION: 4\nSYMMETRY: CUBIC\nA: -4\n", 0},
      {"VERSION: 4\nSYMMETRY: CUBIC\nA: 4\nDIHKL: 2.3 100 1 1\n", 4},
      {"VERSION: 4\nSYMMETRY: CUBIC\nA: 4\nDIHKL: 2.3 abc 1 1 1\n", 4},
      {"VERSION: 4\nSYMMETRY: CUBIC\nA: 4\nDIHKL: 2.3 40000 1 1 1\n", 4},
      {"VERSION: 4\nSYMMETRY: CUBIC\nA: 4\nDIHKL: 2.3 10 1 99999 1\n", 4},
      {"VERSION: 4\nSYMMETRY: CUBIC\nA: 4\nDIHKL: 0 10 1 1 1\n", 4},
      {"3\nN2\n 7 0 0\n 0\n", 3},                                       // d-spacings without a cell
      {"3\nX\n 9 1 1\n 4\n", 3},
      {"3\nX\n 4 1 1\n 4 5\n", 4},                                      // orthorhombic needs a b c
      {"3\nX\n 1 1 1\n 4\nd I h k l\n 2 100 1 1 1\n 1 x\n", 7},
      // A damaged first row is not taken for a caption and passed over.
      {"3\nX\n 1 1 1\n 4\n4.4e-6\nd I h k l\n 2.3 1\xb9 1 1 1\n 2 100 2 0 0\n", 7},
      {"X\n1 4 200 4 1\nd I h k l\n2.3 13. 1.0o 1 1\n1.7 2 3 1 1\n", 4},
      {"JCDPS file format\n\n----\nline 1: version\n", 3},
      {"\x7f\x45LF\x01\x02", 1},
  };
  for (const auto& [text, line] : bad) {
    try {
      Parse(text);
      ADD_FAILURE() << "not refused: " << text;
    } catch (const FormatError& e) {
      EXPECT_EQ(e.file(), "card.jcpds");
      if (line >= 0) {
        EXPECT_EQ(e.line(), line) << text << " -> " << e.what();
      }
    }
  }

  // A cell outside the cell limits: nothing changes, peaks included.
  Model m;
  m.Apply(Parse("VERSION: 4\nSYMMETRY: CUBIC\nA: 4.0786\nDIHKL: 2.3550 100 1 1 1\n"));
  JcpdsCard huge = Parse("VERSION: 4\nSYMMETRY: HEXAGONAL\nA: 500\nC: 3\nDIHKL: 2 10 1 0 0\nDIHKL: 1 5 1 1 0\n");
  EXPECT_THROW(m.Apply(huge), FormatError);
  EXPECT_EQ(m.pattern.CrystalSystem, 1);
  EXPECT_EQ(m.cell.Basis(), 0);
  EXPECT_EQ(m.cell.CellParameters(0, 1), "4.0786");
  EXPECT_EQ(m.peaks.NumberOfPeaks(), 1);
}

TEST(JcpdsCard, TwoPassesAgreeWithOneApply) {
  const std::string text = "VERSION: 4\nSYMMETRY: ORTHORHOMBIC\nA: 4.979\nB: 8.547\nC: 9.234\n"
                           "DIHKL: 6.2725 27.8 0.00 -1.00 -1.00\nDIHKL: 4.6172 2.9 0 0 2\n";
  Model one;
  one.Apply(Parse(text));
  CUnitCell cell;
  CPattern pattern;
  clsPeakList peaks;
  std::istringstream pass1(text), pass2(text);
  std::int16_t count = OpenJCPDSPart1(pass1, "card.jcpds", cell, CrystalSystemSetter(pattern, cell));
  EXPECT_EQ(count, 2);
  OpenJCPDSPart2(pass2, "card.jcpds", count, peaks, cell);
  EXPECT_EQ(pattern.CrystalSystem, 5);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(cell.CellParameters(i, 1), one.cell.CellParameters(i, 1));
  ASSERT_EQ(peaks.NumberOfPeaks(), 2);
  EXPECT_EQ(peaks.k(0), -1);
  EXPECT_EQ(peaks.Agrees(1), one.peaks.Agrees(1));
  std::istringstream changed("VERSION: 4\nSYMMETRY: CUBIC\nA: 4\n");
  EXPECT_THROW(OpenJCPDSPart2(changed, "card.jcpds", count, peaks, cell), FormatError);
}

// Real cards: their own d agree with the cell they give, to the card's
// rounding (4 or 5 decimals; a few cards round coarser).
TEST(JcpdsCard, RealCardsGiveTheirOwnSpacings) {
  const std::string dir = std::string(QUORLIN_SHARED_DIR) + "/realdata/jcpds/";
  if (!fs::exists(dir)) GTEST_SKIP() << "no realdata folder";
  const std::pair<const char*, double> cards[] = {
      {"dioptas-tests/FeGeO3_cpx.jcpds", 1e-4},       {"dioptas-0.2.3-dac_user/casio3-wal.jcpds", 5e-4},
      {"dioptas-0.2.3-dac_user/mgsio3-pv.jcpds", 2e-4}, {"dioptas-0.2.3-dac_user/alfeo3.jcpds", 5e-4},
      {"dioptas-0.2.3-dac_user/fe3c.jcpds", 1e-3},      {"dioptas-0.2.3-dac_user/In.jcpds", 3e-3},
      {"dioptas-tests/re.jcpds", 3e-3},                 {"peakpo-shimlab/sio2-coe.jcpds", 1e-4},
      {"peakpo-conversion/Fe2S.jcpds", 1e-5},           {"peakpo-conversion/fesi-pkpo.jcpds", 1e-5},
      {"peakpo-conversion/fesi_new-pkpo.jcpds", 1e-5},  {"dioptas-0.2.3-old/stv.jcpds", 1e-4},
      {"peakpo-shimlab/pt-Ye2017.jcpds", 1e-3},         {"dioptas-0.2.3-old/H2O_X.JCP", 1e-4},
  };
  for (const auto& [name, tolerance] : cards) {
    std::istringstream in(ReadWholeFile(dir + name));
    JcpdsCard card = ReadJcpdsCard(in, name);
    Model m;
    m.Apply(card);
    ASSERT_GT(m.peaks.NumberOfPeaks(), 0) << name;
    for (const auto& p : card.peaks)
      EXPECT_NEAR(m.cell.hklDSpacing(p.h, p.k, p.l), p.d, tolerance) << name << " " << p.h << p.k << p.l;
    for (int i = 0; i < m.peaks.NumberOfPeaks(); ++i) EXPECT_TRUE(m.peaks.Agrees(i)) << name;
  }
  // Every card reads except the format note and the d-spacing-only card.
  int read = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    std::istringstream in(ReadWholeFile(entry.path().string()));
    if (name == "0JCPDSformat.txt" || name == "n2-xi.jcpds") {
      EXPECT_THROW(ReadJcpdsCard(in, name), FormatError) << name;
      continue;
    }
    EXPECT_NO_THROW(ReadJcpdsCard(in, name)) << name;
    ++read;
  }
  EXPECT_EQ(read, 35);
}

// The temperature terms of real VERSION 4 cards, as each file writes them
// (keyword cards by key, positional ones on the line after the cell), and
// the writer gives back every one of them.
TEST(JcpdsCard, ThermalTermsOfRealCardsReadAndWriteBack) {
  const std::string dir = std::string(QUORLIN_SHARED_DIR) + "/realdata/jcpds/";
  if (!fs::exists(dir)) GTEST_SKIP() << "no realdata folder";
  struct Case {
    const char* file;
    float K0, K0p;
    JcpdsThermalConstants thermal;
  } cases[] = {
      {"dioptas-tests/au_mal_anders.jcpds", 166.65f, 5.4823f, {0.0f, 0.0f, 4.26e-5f, 0.0f}},
      {"dioptas-0.2.3-dac_user/nacl.jcpds", 23.88f, 5.2f, {std::nullopt, std::nullopt, 4.26e-5f, std::nullopt}},
      {"peakpo-shimlab/au-Dewaele.jcpds", 166.7f, 5.32f, {std::nullopt, std::nullopt, 4.278e-5f, std::nullopt}},
      {"peakpo-shimlab/NaCl-B1.jcpds", 23.88f, 5.2f, {std::nullopt, std::nullopt, 4.4e-6f, std::nullopt}},
      {"peakpo-conversion/Fe2S.jcpds", 200.0f, 4.0f, {std::nullopt, std::nullopt, 3.16e-5f, std::nullopt}},
  };
  for (const Case& c : cases) {
    std::istringstream in(ReadWholeFile(dir + c.file));
    const JcpdsCard card = ReadJcpdsCard(in, c.file);
    EXPECT_EQ(card.K0, c.K0) << c.file;
    EXPECT_EQ(card.K0p, c.K0p) << c.file;
    EXPECT_EQ(card.thermal, c.thermal) << c.file;
    const JcpdsCard back = Parse(JcpdsCardText(card));
    EXPECT_EQ(back.thermal, card.thermal) << c.file;
    EXPECT_EQ(back.K0, card.K0) << c.file;
    EXPECT_EQ(back.cell, card.cell) << c.file;
    // What a phase keeps: the card's cell and constants at ambient conditions.
    const CardPhase phase = CardPhaseOf(card);
    EXPECT_EQ(phase.cell, card.cell) << c.file;
    EXPECT_EQ(phase.alphaT, *c.thermal.alphaT) << c.file;
    EXPECT_TRUE(phase.Movable()) << c.file;
  }
  // A damaged term is noted and left out; a card without K0 gives a phase
  // that cannot be moved, and one without K0' takes 4.
  const JcpdsCard damaged = Parse("VERSION: 4\nK0: 100\nALPHAT: 3e-5x\nSYMMETRY: CUBIC\nA: 4\n");
  EXPECT_FALSE(damaged.thermal.alphaT);
  EXPECT_EQ(damaged.notes.size(), 1u);
  EXPECT_EQ(CardPhaseOf(damaged).K0p, 4.0f);
  EXPECT_FALSE(CardPhaseOf(Parse("VERSION: 4\nSYMMETRY: CUBIC\nA: 4\n")).Movable());
}
