// A written card reads back as the same cell and reflections, its d agree
// with the textbook spacing formulas, and a cell that breaks its crystal
// system is written as triclinic rather than bent.
#include "data/jcpds_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <sstream>

using namespace quorlin;

namespace {

// 1/d^2 for the monoclinic (b unique) and hexagonal cells, from the
// International Tables for Crystallography Vol. C, Table 1.1.2.
double MonoclinicD(double a, double b, double c, double betaDeg, int h, int k, int l) {
  double be = betaDeg * std::numbers::pi / 180, s2 = std::sin(be) * std::sin(be);
  double inv = (h * h / (a * a) + k * k * s2 / (b * b) + l * l / (c * c) - 2.0 * h * l * std::cos(be) / (a * c)) / s2;
  return 1 / std::sqrt(inv);
}
double HexagonalD(double a, double c, int h, int k, int l) {
  return 1 / std::sqrt(4.0 / 3.0 * (h * h + h * k + k * k) / (a * a) + l * l / (c * c));
}

JcpdsCard ReadBack(const JcpdsCard& card) {
  std::istringstream in(JcpdsCardText(card));
  return ReadJcpdsCard(in, "written.jcpds");
}

}  // namespace

TEST(JcpdsWriter, CardReadsBackWithTheSameCellAndIndependentSpacings) {
  struct Case {
    const char* name;
    std::int16_t system;
    std::array<float, 6> cell;
    std::function<double(int, int, int)> d;
  } cases[] = {
      {"monoclinic",
       6,
       {5.1f, 6.2f, 7.3f, 90, 101.5f, 90},
       [](int h, int k, int l) { return MonoclinicD(5.1, 6.2, 7.3, 101.5, h, k, l); }},
      {"hexagonal Re",
       2,
       {2.761f, 2.761f, 4.4583f, 90, 90, 120},
       [](int h, int k, int l) { return HexagonalD(2.761, 4.4583, h, k, l); }},
      {"cubic",
       1,
       {4.0785f, 4.0785f, 4.0785f, 90, 90, 90},
       [](int h, int k, int l) { return 4.0785 / std::sqrt(h * h + k * k + l * l); }},
  };
  const std::vector<JcpdsPeak> rows = {{0, 100, 1, 0, 0}, {0, 42.5f, 1, 1, 1}, {0, 7, -2, 0, 1}, {0, 3, 1, 2, 3}};
  for (const Case& c : cases) {
    CUnitCell cell;
    ASSERT_TRUE(cell.SetCell(1, c.cell)) << c.name;
    JcpdsCard card = MakeJcpdsCard(c.name, c.system, cell, rows, 160.0f, 4.0f);
    JcpdsCard back = ReadBack(card);
    EXPECT_EQ(back.version, 4);
    EXPECT_EQ(back.comment, c.name);
    EXPECT_EQ(back.crystalSystem, c.system) << c.name;
    EXPECT_EQ(back.cell, c.cell) << c.name;
    EXPECT_EQ(back.K0, 160.0f);
    EXPECT_EQ(back.K0p, 4.0f);
    ASSERT_EQ(back.peaks.size(), rows.size()) << c.name;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const JcpdsPeak& p = back.peaks[i];
      EXPECT_EQ(p.h, rows[i].h);
      EXPECT_EQ(p.l, rows[i].l);
      EXPECT_EQ(p.intensity, rows[i].intensity);
      EXPECT_NEAR(p.d, c.d(p.h, p.k, p.l), 2e-6 * p.d) << c.name << " row " << i;
    }
  }
}

TEST(JcpdsWriter, ACellThatBreaksItsSystemIsWrittenTriclinic) {
  CUnitCell cell;
  ASSERT_TRUE(cell.SetCell(1, {3, 4, 5, 80, 95, 100}));
  // Claimed cubic (or no system at all): a reader would rebuild a = b = c.
  for (std::int16_t system : {std::int16_t{1}, std::int16_t{8}}) {
    JcpdsCard back = ReadBack(MakeJcpdsCard("odd", system, cell, {{0, 100, 0, 0, 1}}));
    EXPECT_EQ(back.crystalSystem, 7);
    EXPECT_EQ(back.cell, (std::array<float, 6>{3, 4, 5, 80, 95, 100}));
    EXPECT_FLOAT_EQ(back.peaks.at(0).d, cell.hklDSpacing(0, 0, 1));
  }
  // No K0 lines when none is known, and a name cannot break the layout.
  JcpdsCard plain = MakeJcpdsCard("two\nlines", 7, cell, {});
  std::string text = JcpdsCardText(plain);
  EXPECT_EQ(text.find("K0"), std::string::npos);
  EXPECT_EQ(ReadBack(plain).comment, "two lines");
}
