// The lattice section: which spots a zone holds, where they lie in the
// plane's frame (checked against reciprocal-metric dot products computed
// independently), and the mapping onto an image.
#include "lattice/section.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/unitcell.h"
#include "lattice/centring.h"
#include "reflections/pattern.h"
#include "support/reciprocal_metric.h"

namespace quorlin {
namespace {

CUnitCell Cell(std::array<float, 6> p) {
  CUnitCell c;
  EXPECT_TRUE(c.SetCell(1, p));
  return c;
}

TEST(Section, CubicZoneSpotsLieOnTheSquareGrid) {
  CUnitCell cell = Cell({4, 4, 4, 90, 90, 90});
  CPattern pattern;
  auto spots = SectionSpots(cell, pattern, {1, 0, 0}, {0, 1, 0}, 3);
  EXPECT_EQ(spots.size(), 7u * 7u - 1u);  // hk0 with |h|,|k| <= 3, without 000
  for (const auto& s : spots) {
    EXPECT_EQ(s.l, 0);
    EXPECT_NEAR(s.x, s.h / 4.0, 1e-6);
    EXPECT_NEAR(s.y, s.k / 4.0, 1e-6);
    EXPECT_NEAR(s.d, 4 / std::hypot(s.h, s.k), 1e-4);  // d = a / sqrt(h^2 + k^2)
  }
}

// Random triclinic cells and zones: every spot obeys the zone law, and the
// in-plane coordinates reproduce g1 . g2 from an independently inverted
// metric for every pair.
TEST(Section, FrameReproducesReciprocalDotProducts) {
  const std::array<std::array<float, 6>, 3> cells{
      {{5.1f, 6.3f, 7.7f, 84, 97, 103}, {3.2f, 9.1f, 4.4f, 110, 75, 95}, {8, 8.5f, 12, 90, 120, 90}}};
  const std::array<Indices, 4> zones{{{1, 1, 1}, {1, -2, 0}, {2, 1, 3}, {0, 1, 1}}};
  for (const auto& p : cells) {
    CUnitCell cell = Cell(p);
    const auto gs = testing::ReciprocalMetric({p[0], p[1], p[2], p[3], p[4], p[5]});
    for (const Indices& zone : zones) {
      CPattern pattern;
      LatticeProjection proj;
      proj.zone = zone;
      proj.reach = 3;
      auto spots = proj.Spots(cell, pattern);
      ASSERT_GE(spots.size(), 4u);
      for (const auto& a : spots) {
        EXPECT_EQ(a.h * zone[0] + a.k * zone[1] + a.l * zone[2], 0);
        for (const auto& b : spots) {
          const double va[3] = {double(a.h), double(a.k), double(a.l)}, vb[3] = {double(b.h), double(b.k), double(b.l)};
          double dot = 0;
          for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) dot += va[i] * gs[i][j] * vb[j];
          EXPECT_NEAR(a.x * b.x + a.y * b.y, dot, 2e-6 + 2e-5 * std::abs(dot));
        }
      }
    }
  }
}

TEST(Section, ZoneBasisAndDegenerateSections) {
  CUnitCell cell = Cell({4, 4, 4, 90, 90, 90});
  auto basis = ZoneBasis(cell, {1, 1, 1}, 2);
  ASSERT_TRUE(basis);
  for (const Indices& v : *basis) {
    EXPECT_EQ(v[0] + v[1] + v[2], 0);
    EXPECT_EQ(v[0] * v[0] + v[1] * v[1] + v[2] * v[2], 2);  // the 110 type, the shortest of the zone
  }
  EXPECT_NE(ZoneOfPlane((*basis)[0], (*basis)[1]), (Indices{0, 0, 0}));
  EXPECT_FALSE(ZoneBasis(cell, {0, 0, 0}, 2));
  EXPECT_EQ(ZoneOfPlane({1, 0, 0}, {0, 1, 0}), (Indices{0, 0, 1}));
  EXPECT_EQ(ZoneOfPlane({2, 0, 0}, {0, 2, 0}), (Indices{0, 0, 1}));
  LatticeProjection parallel;
  parallel.byZone = false;
  parallel.h1 = {1, 1, 0};
  parallel.h2 = {2, 2, 0};
  EXPECT_TRUE(parallel.Spots(cell, CPattern{}).empty());
}

TEST(Section, AbsentSpotsOnlyWhenAsked) {
  CUnitCell cell = Cell({4, 4, 4, 90, 90, 90});
  CPattern pattern;
  for (int i = 0; i < 12; ++i) pattern.SetExtCond(i, -1);
  ApplyCentring(1, cell, pattern);  // F: h, k, l all even or all odd
  LatticeProjection p;
  p.reach = 2;
  auto allowed = p.Spots(cell, pattern);
  for (const auto& s : allowed) EXPECT_TRUE(s.h % 2 == 0 && s.k % 2 == 0) << s.h << s.k;
  EXPECT_EQ(allowed.size(), 8u);  // hk0 with h, k in {-2, 0, 2}, not 000
  p.plotAbsences = true;
  EXPECT_EQ(p.Spots(cell, pattern).size(), 24u);
}

TEST(SectionView, MapsRotatesAndPicks) {
  SectionView v;
  v.centreX = 100, v.centreY = 50, v.scale = 200, v.rotation = M_PI / 2;
  auto px = v.ToPixel(0.25, 0);  // quarter turn: +x goes up the screen
  EXPECT_NEAR(px[0], 100, 1e-9);
  EXPECT_NEAR(px[1], 0, 1e-9);
  EXPECT_NEAR(v.DragRotation(110, 50, 100, 40), M_PI / 2, 1e-12);
  // Electron camera: L = 1000 mm, lambda = 0.0251 A, 0.1 mm pixels.
  EXPECT_NEAR(ScaleFromCamera(1000, 0.0251, 0.1), 251, 1e-9);
  EXPECT_EQ(ScaleFromCamera(1000, 0.0251, 0), 0);
  std::vector<SectionSpot> spots{{1, 0, 0, 0.25, 0, 4, true}, {0, 1, 0, 0, 0.25, 4, true}};
  EXPECT_EQ(NearestSpot(spots, v, 101, 2, 6), 0u);
  EXPECT_FALSE(NearestSpot(spots, v, 160, 90, 6));
  EXPECT_EQ(SpotText(spots[0]), "1 0 0   d = 4");
}

}  // namespace
}  // namespace quorlin
