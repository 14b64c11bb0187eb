#include "reflections/reflection_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "core/errors.h"
#include "core/unitcell.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"

namespace quorlin {
namespace {

void ShowAll(CPattern& p, int lo, int hi) {
  p.hmin = p.kmin = p.lmin = static_cast<std::int16_t>(lo);
  p.hmax = p.kmax = p.lmax = static_cast<std::int16_t>(hi);
  for (int i = 0; i < 7; ++i) p.PreviousState(i, true, true);
}

TEST(ReflectionList, RockSaltFamiliesInOrderOfFallingSpacing) {
  CPattern p;
  CUnitCell cell;
  SetUpPhase(p, cell, Cubic, 12, {5.64f, 5.64f, 5.64f, 90, 90, 90});
  EXPECT_EQ(cell.CenteringType, CentringF);
  ShowAll(p, -4, 4);
  p.lmin = 0;
  const auto rows = EnumerateReflections(p, cell);
  ASSERT_GE(rows.size(), 4u);
  // d = a / sqrt(h^2 + k^2 + l^2) for a cubic cell.
  EXPECT_NEAR(rows[0].d, 5.64 / std::sqrt(3.0), 1e-5);
  // The four members of {111} with l >= 0 come first, sorted by h, k, l.
  const int first[4][3] = {{-1, -1, 1}, {-1, 1, 1}, {1, -1, 1}, {1, 1, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(rows[i].h, first[i][0]);
    EXPECT_EQ(rows[i].k, first[i][1]);
    EXPECT_EQ(rows[i].l, first[i][2]);
  }
  EXPECT_NEAR(rows[4].d, 5.64 / 2.0, 1e-5);  // then {200}
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_GE(rows[i - 1].d, rows[i].d);
    if (rows[i - 1].d == rows[i].d) {
      EXPECT_LT(std::tie(rows[i - 1].h, rows[i - 1].k, rows[i - 1].l), std::tie(rows[i].h, rows[i].k, rows[i].l));
    }
  }
  // F: h, k, l all odd or all even.
  for (const auto& r : rows) EXPECT_TRUE((r.h + r.k) % 2 == 0 && (r.k + r.l) % 2 == 0) << r.h << r.k << r.l;

  // One representative per family in the m-3m wedge: 111 200 220 311 222 400 331 420 422 333 440 ...
  ReflectionQuery unique;
  unique.uniqueOnly = true;
  const auto families = EnumerateReflections(p, cell, unique);
  const int expected[][3] = {{1, 1, 1}, {2, 0, 0}, {2, 2, 0}, {3, 1, 1}, {2, 2, 2}, {4, 0, 0}, {3, 3, 1}, {4, 2, 0}};
  ASSERT_GE(families.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(families[i].h, expected[i][0]) << i;
    EXPECT_EQ(families[i].k, expected[i][1]) << i;
    EXPECT_EQ(families[i].l, expected[i][2]) << i;
  }
}

TEST(ReflectionList, AbsentAndAllowedSplitTheWantedTriples) {
  CPattern p;
  CUnitCell cell;
  SetUpPhase(p, cell, Orthorhombic, 19, {5.0f, 6.0f, 7.0f, 90, 90, 90});  // Pnma
  ShowAll(p, -3, 3);
  p.PreviousState(5, false, true);  // hk0 not wanted
  ReflectionQuery absent;
  absent.absent = true;
  const auto in = EnumerateReflections(p, cell);
  const auto out = EnumerateReflections(p, cell, absent);
  std::set<std::tuple<int, int, int>> seen;
  for (const auto& r : in) seen.insert({r.h, r.k, r.l});
  for (const auto& r : out) EXPECT_TRUE(seen.insert({r.h, r.k, r.l}).second) << r.h << r.k << r.l;
  // Every wanted triple but 000 (no spacing) appears in exactly one list.
  std::size_t wanted = 0;
  for (int h = -3; h <= 3; ++h)
    for (int k = -3; k <= 3; ++k)
      for (int l = -3; l <= 3; ++l) wanted += (h || k || l) && !(l == 0 && h != 0 && k != 0);
  EXPECT_EQ(seen.size(), wanted);
  EXPECT_TRUE(seen.count({0, 1, 2}));  // listed, as absent
  for (const auto& r : out) EXPECT_FALSE(p.IsAllowed(r.h, r.k, r.l));
  for (const auto& r : in) EXPECT_FALSE(r.l == 0 && r.h != 0 && r.k != 0);
  // Orthorhombic spacing: 1/d^2 = h^2/a^2 + k^2/b^2 + l^2/c^2.
  for (const auto& r : in) {
    const double s = r.h * r.h / 25.0 + r.k * r.k / 36.0 + r.l * r.l / 49.0;
    EXPECT_NEAR(r.d, 1.0 / std::sqrt(s), 2e-6 * r.d);
  }
}

TEST(ReflectionList, ConstrainedCellsFollowTheirMasters) {
  // Cubic: b, c and the angles follow a whatever was typed for them.
  CPattern p;
  CUnitCell cell;
  SetUpPhase(p, cell, Cubic, 0, {4.0f, 9.0f, 9.0f, 80, 80, 80});
  EXPECT_EQ(cell.Basis(), 0);
  EXPECT_NEAR(cell.hklDSpacing(1, 0, 0), 4.0, 1e-6);
  EXPECT_NEAR(cell.hklDSpacing(0, 0, 1), 4.0, 1e-6);

  // Hexagonal axes: gamma 120 whatever was typed. 1/d^2 = 4/3 (h^2+hk+k^2)/a^2 + l^2/c^2.
  SetUpPhase(p, cell, Hexagonal, 1, {3.0f, 7.0f, 5.0f, 90, 90, 90});
  EXPECT_EQ(cell.Basis(), 2);
  for (auto [h, k, l] : {std::tuple{1, 0, 0}, std::tuple{1, 1, 0}, std::tuple{2, -1, 3}}) {
    const double s = 4.0 / 3.0 * (h * h + h * k + k * k) / 9.0 + l * l / 25.0;
    EXPECT_NEAR(cell.hklDSpacing(h, k, l), 1.0 / std::sqrt(s), 2e-6) << h << k << l;
  }

  // Trigonal number 8 uses rhombohedral axes: all edges follow a, all angles alpha.
  // 1/d^2 = [(h^2+k^2+l^2) sin^2 a + 2 (hk+kl+hl)(cos^2 a - cos a)] / [a^2 (1 - 3cos^2 a + 2cos^3 a)].
  SetUpPhase(p, cell, Trigonal, 8, {5.0f, 1.0f, 1.0f, 70, 10, 10});
  EXPECT_EQ(cell.Basis(), 3);
  EXPECT_EQ(p.TrigAxesType, "Rhombohedral");
  const double ca = std::cos(70.0 * M_PI / 180.0), sa2 = 1 - ca * ca;
  for (auto [h, k, l] : {std::tuple{1, 0, 0}, std::tuple{1, 1, 0}, std::tuple{1, -1, 2}}) {
    const double s = ((h * h + k * k + l * l) * sa2 + 2 * (h * k + k * l + h * l) * (ca * ca - ca)) /
                     (25.0 * (1 - 3 * ca * ca + 2 * ca * ca * ca));
    EXPECT_NEAR(cell.hklDSpacing(h, k, l), 1.0 / std::sqrt(s), 1e-5) << h << k << l;
  }
}

TEST(ReflectionList, RefusedSetUpChangesNothing) {
  CPattern p;
  CUnitCell cell;
  SetUpPhase(p, cell, Tetragonal, 23, {4.0f, 4.0f, 6.0f, 90, 90, 90});
  const float d = cell.hklDSpacing(1, 0, 1);
  EXPECT_THROW(SetUpPhase(p, cell, Cubic, 17, {5, 5, 5, 90, 90, 90}), QuorlinError);
  EXPECT_THROW(SetUpPhase(p, cell, 9, 0, {5, 5, 5, 90, 90, 90}), QuorlinError);
  EXPECT_THROW(SetUpPhase(p, cell, Cubic, 12, {-5, 5, 5, 90, 90, 90}), QuorlinError);
  EXPECT_THROW(SetUpPhase(p, cell, Triclinic, 0, {5, 5, 5, 10, 10, 170}), QuorlinError);
  EXPECT_EQ(p.CrystalSystem, Tetragonal);
  EXPECT_EQ(p.ExtinctionNumber(), 23);
  EXPECT_EQ(p.ExtCond(ZoneHkl), 0);
  EXPECT_EQ(cell.CenteringType, CentringI);
  EXPECT_EQ(cell.Basis(), 1);
  EXPECT_EQ(cell.hklDSpacing(1, 0, 1), d);
  // Hand-made conditions (-1) and no system are accepted.
  EXPECT_NO_THROW(SetUpPhase(p, cell, Cubic, -1, {5, 5, 5, 90, 90, 90}));
  EXPECT_NO_THROW(SetUpPhase(p, cell, NoSystem, 3, {5, 6, 7, 80, 85, 95}));
}

TEST(ReflectionList, RangesAtTheIntegerLimitStillEnd) {
  CPattern p;
  CUnitCell cell;
  SetUpPhase(p, cell, Cubic, 0, {5, 5, 5, 90, 90, 90});
  for (int i = 0; i < 7; ++i) p.PreviousState(i, true, true);
  p.hmin = 32766;
  p.hmax = 32767;
  p.kmin = p.kmax = 0;
  p.lmin = p.lmax = 0;
  const auto rows = EnumerateReflections(p, cell);
  EXPECT_EQ(rows.size(), 2u);
}

}  // namespace
}  // namespace quorlin
