// Indexing: Niggli reduction and conventional cells against gemmi
// (python3-gemmi 0.5.7, GruberVector.niggli_reduce), the figures of merit
// against their definitions counted independently, the search on seeded
// synthetic patterns, and the peak search on a synthetic scan.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>

#include "indexing/indexing.h"
#include "indexing/lattice_reduction.h"
#include "indexing/peak_search.h"
#include "synthetic_patterns.h"

namespace quorlin {
namespace {

struct CentredCase {
  std::array<double, 6> cell;
  char centring;
  std::array<double, 6> reduced;  // gemmi's Niggli cell of the lattice
  std::int32_t system;            // the highest system the metric allows
};

// Reduced cells printed by gemmi.GruberVector(UnitCell(...), centring).niggli_reduce().
const CentredCase kCases[] = {
    {{5, 6, 7, 90, 90, 90}, 'P', {5.0000, 6.0000, 7.0000, 90.0000, 90.0000, 90.0000}, 5},
    {{4, 5, 6, 100, 110, 120}, 'P', {4.0000, 4.5826, 5.4922, 107.5329, 95.7696, 109.1066}, 7},
    {{7.1, 7.2, 12.0, 95, 93, 120}, 'P', {7.1000, 7.1505, 12.0000, 81.9681, 87.0000, 60.6939}, 7},
    {{3, 8, 3.5, 70, 80, 75}, 'P', {3.0000, 3.5000, 7.5562, 95.8018, 101.1621, 100.0000}, 7},
    {{10, 4, 6, 90, 130, 90}, 'P', {4.0000, 6.0000, 7.6724, 93.1969, 90.0000, 90.0000}, 6},
    {{5.411, 5.411, 5.411, 90, 90, 90}, 'F', {3.8262, 3.8262, 3.8262, 60.0000, 60.0000, 60.0000}, 1},
    {{5.426, 5.426, 5.426, 90, 90, 90}, 'I', {4.6991, 4.6991, 4.6991, 109.4712, 109.4712, 109.4712}, 1},
    {{7.286, 7.286, 18.903, 90, 90, 90}, 'I', {7.2860, 7.2860, 10.7645, 109.7811, 109.7811, 90.0000}, 4},
    {{5.852, 5.852, 18.92, 90, 90, 120}, 'R', {5.8520, 5.8520, 7.1547, 65.8603, 65.8603, 60.0000}, 3},
    {{8.944, 12.853, 3.187, 90, 90, 90}, 'C', {3.1870, 7.8293, 7.8293, 110.3343, 90.0000, 90.0000}, 5},
    {{12.33, 3.426, 14.377, 90, 90, 90}, 'F', {3.4260, 6.3986, 7.3898, 86.4420, 76.5965, 74.4716}, 5},
    {{11.914, 7.194, 4.468, 90, 116.8, 90}, 'C', {4.4680, 6.6623, 6.6623, 65.3541, 74.4848, 74.4848}, 6},
    {{6.5, 7.5, 9.0, 90, 90, 90}, 'A', {5.8577, 5.8577, 6.5000, 90.0000, 90.0000, 100.3889}, 5},
};

TEST(Indexing, NiggliReductionAndConventionalCellMatchGemmi) {
  // A unimodular change of basis first, so that the reduction has work to do.
  const IntBasis scramble{{{1, 1, 0}, {0, 1, 1}, {1, 1, 1}}};
  ASSERT_EQ(Determinant(scramble), 1);
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(1, c.centring) + " " + std::to_string(c.cell[0]));
    const Metric primitive = PrimitiveMetric(c.cell, c.centring);
    const Metric reduced = NiggliReduce(Transform(primitive, scramble));
    const auto got = CellFromMetric(reduced);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(got[static_cast<std::size_t>(i)], c.reduced[static_cast<std::size_t>(i)], 2e-3) << i;
    // The lattice keeps its volume through both changes of basis.
    EXPECT_NEAR(MetricDeterminant(reduced), MetricDeterminant(primitive), 1e-6 * MetricDeterminant(primitive));

    const auto cells = ConventionalCells(reduced, 1e-4, 1e-4);
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(cells.front().system, c.system);
    EXPECT_EQ(cells.back().system, 7);
    const auto conventional = CellFromMetric(cells.front().metric);
    const double volume = std::sqrt(MetricDeterminant(cells.front().metric));
    const double expected = std::sqrt(MetricDeterminant(MetricFromCell(c.cell)));
    if (c.system <= 5) {
      // Orthogonal systems: the given cell itself, up to the order of its axes.
      EXPECT_NEAR(volume, expected, 1e-3 * expected);
      std::array<double, 3> x{conventional[0], conventional[1], conventional[2]}, y{c.cell[0], c.cell[1], c.cell[2]};
      std::sort(x.begin(), x.end());
      std::sort(y.begin(), y.end());
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(x[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)], 1e-3);
      EXPECT_EQ(cells.front().lattice, c.centring == 'A' ? 'C' : c.centring);
    }
    if (c.system == 6) {
      EXPECT_NEAR(conventional[3], 90, 1e-6);
      EXPECT_NEAR(conventional[5], 90, 1e-6);
      EXPECT_GE(conventional[4], 90);
      EXPECT_NEAR(volume, expected, 1e-3 * expected);
      EXPECT_EQ(cells.front().lattice, c.centring);
    }
    EXPECT_EQ(CentringOf(cells.front().basis), cells.front().lattice);
  }
}

// Sums of three squares (h^2 + k^2 + l^2 for any integers) up to n.
int PossibleCubicLines(int n) {
  int count = 0;
  for (int m = 1; m <= n; ++m) {
    bool found = false;
    for (int h = 0; h * h <= m && !found; ++h)
      for (int k = 0; h * h + k * k <= m && !found; ++k) {
        const int rest = m - h * h - k * k;
        const int l = static_cast<int>(std::lround(std::sqrt(rest)));
        found = l * l == rest;
      }
    count += found;
  }
  return count;
}

TEST(Indexing, ReducedLatticesCompareWhateverOrderNoiseGivesNearlyEqualAxes) {
  // Two measurements of one triclinic lattice whose a and b differ by 0.05 %:
  // noise may make either the shorter, so the reduced cells list the axes
  // (and their cross terms) in a different order. A lattice with one angle
  // 3 degrees off is another lattice, however its axes are ordered.
  const std::array<double, 6> base{7.496, 7.500, 15.302, 93.84, 101.08, 116.48};
  struct Case {
    std::array<double, 6> other;
    bool same;
  };
  const Case cases[] = {
      {{7.499, 7.497, 15.300, 93.84, 101.08, 116.48}, true},   // a and b swap places
      {{7.500, 7.496, 15.302, 101.08, 93.84, 116.48}, true},   // the same cell with a and b exchanged
      {{7.499, 7.497, 15.300, 93.84, 104.08, 116.48}, false},  // beta 3 degrees off
      {{7.500, 7.496, 15.302, 104.08, 93.84, 116.48}, false},  // exchanged, and off
  };
  const Metric reduced = NiggliReduce(PrimitiveMetric(base, 'P'));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.other[0]);
    const Metric other = NiggliReduce(PrimitiveMetric(c.other, 'P'));
    EXPECT_EQ(SameReducedLattice(reduced, other, 5e-3), c.same);
    EXPECT_EQ(SameReducedLattice(other, reduced, 5e-3), c.same);
  }
}

TEST(Indexing, FiguresOfMeritFollowTheirDefinitions) {
  // Cubic P a = 5, lines N = 1, 2, 3, 4, 5, 6, 8, ... moved by +-0.01 degrees in turn.
  const double a = 5, lambda = 1.540562;
  std::vector<int> ns;
  for (int n = 1; ns.size() < 20; ++n)
    if (PossibleCubicLines(n) > PossibleCubicLines(n - 1)) ns.push_back(n);
  IndexingInput input;
  input.wavelength = lambda;
  double sumQ = 0;
  for (std::size_t i = 0; i < ns.size(); ++i) {
    const double exact = 2 * std::asin(lambda * std::sqrt(ns[i]) / (2 * a)) * 180 / M_PI;
    const double moved = exact + (i % 2 ? 0.01 : -0.01);
    input.positions.push_back(moved);
    const double s = 2 * std::sin(moved * M_PI / 360) / lambda;
    sumQ += std::abs(s * s - ns[i] / (a * a));
  }
  IndexingOptions options;
  options.zeroRange = 0;
  const IndexingSolution s = EvaluateCell(input, options, 1, 'P', {a, a, a, 90, 90, 90});
  EXPECT_EQ(s.indexed, 20);
  const int possible = PossibleCubicLines(ns.back());
  EXPECT_EQ(s.fnPossible, possible);
  // Refinement moves the edge a little, so the means are near, not equal.
  EXPECT_NEAR(s.fn, 20 / (0.01 * possible), 0.05 * 20 / (0.01 * possible));
  const double q20 = ns.back() / (a * a);
  EXPECT_NEAR(s.m20, q20 / (2 * (sumQ / 20) * possible), 0.1 * q20 / (2 * (sumQ / 20) * possible));
}

TEST(Indexing, SyntheticPatternsOfEveryLatticeFamilyIndexToTheirLattice) {
  // One seeded pattern per family: noise 0.01 degrees, a zero shift within
  // +-0.05, a tenth of the lines missing and one impurity line.
  int right = 0, total = 0;
  std::string misses;
  for (std::size_t f = 0; f < testing::Families().size(); ++f) {
    const auto& family = testing::Families()[f];
    const auto pattern = testing::MakePattern(family, 7000 + f);
    IndexingInput input;
    input.positions = pattern.twoTheta;
    const auto solutions = IndexPeaks(input, IndexingOptions{});
    const Metric truth = NiggliReduce(PrimitiveMetric(pattern.cell, family.lattice));
    const bool hit = !solutions.empty() &&
                     SameReducedLattice(truth, NiggliReduce(PrimitiveMetric(solutions[0].cell, solutions[0].lattice)), 5e-3);
    right += hit;
    ++total;
    if (!hit) misses += std::string(family.name) + "; ";
  }
  // These seeds give 13 of 14 today (the triclinic one missed); a fall
  // below 13 is a fault of the search.
  EXPECT_GE(right, total - 1) << "missed: " << misses;
}

bool IndexesToItsLattice(const testing::Family& family, const testing::SyntheticPattern& pattern) {
  IndexingInput input;
  input.positions = pattern.twoTheta;
  const auto solutions = IndexPeaks(input, IndexingOptions{});
  const Metric truth = NiggliReduce(PrimitiveMetric(pattern.cell, family.lattice));
  return !solutions.empty() &&
         SameReducedLattice(truth, NiggliReduce(PrimitiveMetric(solutions[0].cell, solutions[0].lattice)), 5e-3);
}

// A seeded pattern of one lattice family, by its index in Families().
struct SeededCase {
  int family;
  std::uint64_t seed;
};

template <std::size_t N>
void ExpectRankOneIsTheTrueLattice(const SeededCase (&cases)[N]) {
  for (const auto& c : cases) {
    const auto& family = testing::Families()[static_cast<std::size_t>(c.family)];
    SCOPED_TRACE(std::string(family.name) + " seed " + std::to_string(c.seed));
    EXPECT_TRUE(IndexesToItsLattice(family, testing::MakePattern(family, c.seed)));
  }
}

TEST(Indexing, ADominantZoneOfTwoLongAxesDoesNotHideTheShortThird) {
  // One axis of 3-4.5 Angstrom: the first lines all belong to the zone of
  // the other two, and the short axis's lines start far up the list, with
  // glide planes that halve rows of the zone.
  const SeededCase cases[] = {
      {7, 107000},   // orthorhombic Pbca 3.599 x 14.308 x 19.517
      {7, 107001},   // orthorhombic Pbca 16.883 x 7.340 x 3.428
      {11, 111000},  // monoclinic P2_1/c 18.886 x 4.206 x 16.783, beta 109.8
      {11, 111002},  // monoclinic P2_1/c 5.334 x 3.048 x 16.623, beta 92.6
  };
  ExpectRankOneIsTheTrueLattice(cases);
}

TEST(Indexing, ACellOfTwiceTheVolumeGivesWayToItsHalfThatIndexesTheSameLines) {
  // A glide plane removes the rows that tell these cells from one with an
  // axis doubled, which indexes every line and the impurity too; the search
  // reached only that larger cell.
  const SeededCase cases[] = {
      {11, 1311001},  // monoclinic P2_1/c 6.242 x 8.181 x 19.618, beta 94.6 (found as a = 12.48)
  };
  ExpectRankOneIsTheTrueLattice(cases);
}

TEST(Indexing, AbsencesThatHideACentringOrAnAxisDoNotHideTheCell) {
  // Each came out wrong until the search learnt the step in brackets.
  const SeededCase cases[] = {
      // (each centring a metric allows) C2/c 4.244 x 19.628 x 13.770, beta
      // 106.7, whose noisy metric also passed as a pseudo-monoclinic P cell
      {12, 1712001},
      // (the half cells of refined lattices) F 6.118 x 17.875 x 8.020,
      // found as its C cell of twice the volume
      {10, 1710005},
      // (a third line off the zone) Pbca 19.082 x 7.630 x 4.335, whose
      // first lines are all hk0
      {7, 1707000},
      // (reciprocal lattices of twice the points) P2_1/c 5.943 x 4.160 x
      // 14.401, beta 104.7, with no primitive basis among its low lines
      {11, 2011007},
      // (no translation under 2 Angstrom) cubic F a = 3.486, nine lines, which
      // an orthorhombic cell of 0.9 Angstrom fitted
      {2, 1602004},
      // (places kept for each trial system) cubic F a = 3.541 with eight
      // lines, as copper or nickel give, which tiny cells of low symmetry
      // crowded out of the refined list
      {2, 2302006},
  };
  ExpectRankOneIsTheTrueLattice(cases);
}

TEST(Indexing, TheLineShiftIsAZeroErrorOrASpecimenDisplacementWhicheverFits) {
  // Exact lines of cubic P a = 4.1569 (LaB6) from 20 to 125 degrees, shifted
  // by a constant (zero error) or by D cos(theta) (displacement): the
  // matching model leaves the edge exact, the other would bias it.
  const double a = 4.1569, lambda = 1.540562;
  struct Case {
    double zero, displacement;
  };
  for (const Case c : {Case{0.05, 0}, Case{0, -0.09}}) {
    SCOPED_TRACE(std::to_string(c.zero) + " " + std::to_string(c.displacement));
    IndexingInput input;
    for (int n : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21, 22}) {
      const double tt = 2 * std::asin(lambda * std::sqrt(n) / (2 * a)) * 180 / M_PI;
      input.positions.push_back(tt + c.zero + c.displacement * std::cos(tt * M_PI / 360));
    }
    const auto solutions = IndexPeaks(input, IndexingOptions{});
    ASSERT_FALSE(solutions.empty());
    const IndexingSolution& s = solutions[0];
    EXPECT_EQ(s.system, 1);
    EXPECT_EQ(s.lattice, 'P');
    EXPECT_NEAR(s.cell[0], a, 2e-5);
    EXPECT_NEAR(s.zero, c.zero, 1e-3);
    EXPECT_NEAR(s.displacement, c.displacement, 1e-3);
    EXPECT_NEAR(LineShift(s, 90), c.zero + c.displacement * std::cos(M_PI / 4), 1e-3);
  }
}

TEST(Indexing, SpacingsAndAngleInputGiveOneCellAndCancelStopsTheSearch) {
  // Orthorhombic P 5.4 x 6.9 x 8.5 from its lines, in d and in 2-theta.
  const std::array<double, 6> cell{5.4, 6.9, 8.5, 90, 90, 90};
  std::vector<double> d;
  for (int h = 0; h <= 3; ++h)
    for (int k = 0; k <= 3; ++k)
      for (int l = 0; l <= 3; ++l)
        if (h + k + l > 0) d.push_back(1 / std::sqrt(testing::InverseD2(cell, h, k, l)));
  std::sort(d.begin(), d.end(), std::greater<>());
  d.erase(std::unique(d.begin(), d.end(), [](double x, double y) { return std::abs(x - y) < 1e-4; }), d.end());
  d.resize(22);
  IndexingInput spacing{IndexingInput::Axis::Spacing, 0, d};
  IndexingInput angle;
  for (double v : d) angle.positions.push_back(2 * std::asin(1.540562 / (2 * v)) * 180 / M_PI);
  for (const auto& input : {spacing, angle}) {
    const auto s = IndexPeaks(input, IndexingOptions{});
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[0].system, 5);
    std::array<double, 3> axes{s[0].cell[0], s[0].cell[1], s[0].cell[2]};
    std::sort(axes.begin(), axes.end());
    EXPECT_NEAR(axes[0], 5.4, 2e-3);
    EXPECT_NEAR(axes[1], 6.9, 2e-3);
    EXPECT_NEAR(axes[2], 8.5, 2e-3);
    EXPECT_EQ(s[0].indexed, 22);
  }
  std::atomic<bool> cancel{true};
  EXPECT_THROW(IndexPeaks(angle, IndexingOptions{}, &cancel), IndexingCancelled);
}

// Unit-height pseudo-Voigt, fwhm 0.08 degrees, half Lorentzian.
double PseudoVoigtForTest(double t, double centre) {
  const double w = 0.08, u = (t - centre) / (w / 2);
  const double lorentz = 1 / (1 + u * u);
  const double gauss = std::exp(-std::log(2.0) * u * u);
  return 0.5 * lorentz + 0.5 * gauss;
}

TEST(PeakSearch, FindsPeaksOnASlopingNoisyBackgroundWithShoulderAndDoublet) {
  // Cu K-alpha doublets (pseudo-Voigt, fwhm 0.08) on a sloping background.
  const double ratio = 1.54439 / 1.540562;
  auto second = [ratio](double tt) { return 360 / M_PI * std::asin(ratio * std::sin(tt * M_PI / 360)); };
  struct Line {
    double position, height;
  };
  // 40.00 carries a shoulder at 40.30, beyond its own K-alpha2; 70.0 is weak (30 times the noise).
  const Line lines[] = {{25.0, 4000}, {40.0, 6000}, {40.3, 1500}, {55.5, 2500}, {70.0, 300}, {90.0, 1200}};
  std::mt19937_64 rng(3);
  std::normal_distribution<double> noise(0, 10);
  std::vector<double> x, y;
  for (double t = 20; t <= 100; t += 0.01) {
    double v = 800 - 5 * t + noise(rng);
    for (const auto& l : lines)
      v += l.height * (PseudoVoigtForTest(t, l.position) + 0.5 * PseudoVoigtForTest(t, second(l.position)));
    x.push_back(t);
    y.push_back(v);
  }
  PeakSearchOptions options;
  options.doublet = second;
  const auto peaks = SearchPeaks(x, y, options);
  ASSERT_EQ(peaks.size(), std::size(lines));
  for (std::size_t i = 0; i < peaks.size(); ++i) {
    EXPECT_NEAR(peaks[i].position, lines[i].position, 0.01) << i;
    EXPECT_GT(peaks[i].su, 0);
    EXPECT_NEAR(peaks[i].height, lines[i].height, 0.15 * lines[i].height) << i;
  }
}

}  // namespace
}  // namespace quorlin
