// Cell refinement from synthetic patterns. Each pattern is written here from
// Bragg's law and the textbook d-spacing formula of its crystal system
// (International Tables vol. A/B, the "interplanar spacings" table), not from
// the metric-tensor code under test, with a zero shift and counting noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "fitting/cell_refinement.h"
#include "fitting/pattern_refinement.h"
#include "plot/xrd_plot.h"
#include "reflections/pattern.h"
#include "reflections/reflection_list.h"

namespace quorlin {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;

struct Crystal {
  const char* name;
  int system;  // crystal-system code of the menu
  std::array<double, 6> cell;
};

// 1/d^2 by the closed formula of each system.
double InverseD2(const Crystal& c, int h, int k, int l) {
  const double a = c.cell[0], b = c.cell[1], cc = c.cell[2];
  switch (c.system) {
    case 1: return (h * h + k * k + l * l) / (a * a);
    case 4: return (h * h + k * k) / (a * a) + l * l / (cc * cc);
    case 2: return 4.0 / 3.0 * (h * h + h * k + k * k) / (a * a) + l * l / (cc * cc);
    case 5: return h * h / (a * a) + k * k / (b * b) + l * l / (cc * cc);
    case 6: {
      const double beta = c.cell[4] * kRad, s2 = std::sin(beta) * std::sin(beta);
      return (h * h / (a * a) + k * k * s2 / (b * b) + l * l / (cc * cc) - 2.0 * h * l * std::cos(beta) / (a * cc)) /
             s2;
    }
    case 3: {  // rhombohedral axes
      const double al = c.cell[3] * kRad, ca = std::cos(al);
      return ((h * h + k * k + l * l) * std::sin(al) * std::sin(al) + 2.0 * (h * k + k * l + h * l) * (ca * ca - ca)) /
             (a * a * (1.0 - 3.0 * ca * ca + 2.0 * ca * ca * ca));
    }
    case 7: {  // triclinic, the general direct-cell formula
      const double ca = std::cos(c.cell[3] * kRad), cb = std::cos(c.cell[4] * kRad), cg = std::cos(c.cell[5] * kRad);
      const double sa2 = 1 - ca * ca, sb2 = 1 - cb * cb, sg2 = 1 - cg * cg;
      const double v2 = a * a * b * b * cc * cc * (1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
      return (h * h * b * b * cc * cc * sa2 + k * k * a * a * cc * cc * sb2 + l * l * a * a * b * b * sg2 +
              2.0 * h * k * a * b * cc * cc * (ca * cb - cg) + 2.0 * k * l * a * a * b * cc * (cb * cg - ca) +
              2.0 * h * l * a * b * b * cc * (ca * cg - cb)) /
             v2;
    }
    default: return 0;
  }
}

struct Synthetic {
  double zero = 0.03;           // degrees
  double displacement = 0;      // fraction of the radius
  bool kAlpha2 = false;
  double lo = 12, hi = 80, step = 0.01, fwhm = 0.06;
};

// A pattern of Gaussian peaks (one per distinct spacing, heights varying)
// on a flat background of 200 counts, with Poisson noise.
CData MakePattern(const Crystal& c, const Synthetic& s) {
  const double l1 = 1.540562, l2 = 1.54439;
  std::vector<double> centres, heights;
  std::vector<double> seen;
  for (int h = -6; h <= 6; ++h)
    for (int k = -6; k <= 6; ++k)
      for (int l = -6; l <= 6; ++l) {
        if (!h && !k && !l) continue;
        const double d = 1.0 / std::sqrt(InverseD2(c, h, k, l));
        bool dup = false;
        for (double v : seen) dup = dup || std::fabs(v - d) < 1e-9;
        if (dup) continue;
        seen.push_back(d);
        const double height = 2000.0 + 1500.0 * std::sin(7.0 * d);
        for (int line = 0; line < (s.kAlpha2 ? 2 : 1); ++line) {
          const double lambda = line ? l2 : l1;
          if (lambda / (2 * d) >= 1) continue;
          const double theta = std::asin(lambda / (2 * d));
          centres.push_back((2 * theta - 2 * s.displacement * std::cos(theta)) / kRad + s.zero);
          heights.push_back(line ? height / 2 : height);
        }
      }
  std::mt19937 random(12345);
  std::vector<float> x;
  std::vector<double> y;
  const double sigma = s.fwhm / (2 * std::sqrt(2 * std::log(2.0)));
  for (double t = s.lo; t <= s.hi; t += s.step) {
    double mean = 200.0;
    for (std::size_t i = 0; i < centres.size(); ++i)
      mean += heights[i] * std::exp(-0.5 * std::pow((t - centres[i]) / sigma, 2));
    std::poisson_distribution<int> counts(mean);
    x.push_back(static_cast<float>(t));
    y.push_back(counts(random));
  }
  CData data;
  data.SetPattern(std::move(x), std::move(y));
  data.Lower = static_cast<float>(s.lo);
  data.Upper = static_cast<float>(s.hi);
  data.SetLambda(0, static_cast<float>(l1));
  data.SetLambda(1, static_cast<float>(l2));
  data.SetSourceIntensity(0, 1.0f);
  data.SetSourceIntensity(1, 0.5f);
  data.SetLineExists(0, true);
  data.SetLineExists(1, s.kAlpha2);
  data.PrimaryLine = 0;
  return data;
}

struct Phase {
  CPattern pattern;
  CUnitCell cell;
};

Phase StartPhase(const Crystal& c, double off) {
  Phase p;
  std::array<float, 6> start{};
  for (int i = 0; i < 6; ++i) start[static_cast<std::size_t>(i)] = static_cast<float>(c.cell[static_cast<std::size_t>(i)]);
  for (int i = 0; i < 3; ++i) start[static_cast<std::size_t>(i)] *= static_cast<float>(1.0 + off);
  if (c.system == 6) start[4] *= static_cast<float>(1.0 + off);
  if (c.system == 3) start[3] *= static_cast<float>(1.0 + off);
  if (c.system == 7)
    for (int i = 3; i < 6; ++i) start[static_cast<std::size_t>(i)] *= static_cast<float>(1.0 + off);
  SetUpPhase(p.pattern, p.cell, c.system, c.system == 3 ? 8 : 0, start);  // trigonal 8: R on rhombohedral axes
  p.pattern.hmin = p.pattern.kmin = p.pattern.lmin = -6;
  p.pattern.hmax = p.pattern.kmax = p.pattern.lmax = 6;
  for (int i = 0; i < 7; ++i) p.pattern.PreviousState(i, true, true);
  return p;
}

void ExpectRecovered(const Crystal& c, const PatternRefinement& r, double zero) {
  for (int i = 0; i < 6; ++i) {
    const auto& v = r.result.cell[static_cast<std::size_t>(i)];
    if (v.status == RefinedValue::Status::FixedBySymmetry) continue;
    ASSERT_EQ(v.status, RefinedValue::Status::Refined) << c.name << " parameter " << i;
    const double truth = c.cell[static_cast<std::size_t>(i)];
    // Three su, but not below 2e-5 A (or degree): at that level the profile
    // fits' own small biases, not a wrong assignment, set the error.
    EXPECT_LE(std::fabs(v.value - truth), std::max(3 * v.su, 2e-5)) << c.name << " parameter " << i << " su " << v.su;
    EXPECT_GT(v.su, 0.0) << c.name << " parameter " << i;
    if (i < 3) {
      EXPECT_LE(std::fabs(v.value - truth), 2e-4) << c.name << " edge " << i;
    }
  }
  ASSERT_EQ(r.result.zero.status, RefinedValue::Status::Refined);
  EXPECT_LE(std::fabs(r.result.zero.value - zero), 3 * r.result.zero.su) << c.name;
}

TEST(CellRefinement, RecoversSyntheticCellsOfEverySystemFromAStartOffByATenthPercent) {
  const std::vector<Crystal> crystals = {
      {"cubic", 1, {5.4309, 5.4309, 5.4309, 90, 90, 90}},
      {"tetragonal", 4, {4.5937, 4.5937, 2.9587, 90, 90, 90}},
      {"hexagonal", 2, {4.9134, 4.9134, 5.4052, 90, 90, 120}},
      {"rhombohedral", 3, {5.4235, 5.4235, 5.4235, 55.28, 55.28, 55.28}},
      {"orthorhombic", 5, {5.0, 6.1, 7.3, 90, 90, 90}},
      {"monoclinic", 6, {5.1, 6.3, 7.7, 90, 103.5, 90}},
      {"triclinic", 7, {5.2, 6.1, 7.0, 82.0, 95.0, 104.0}},
  };
  // Out to 110 degrees the low-symmetry patterns are crowded: many lines
  // have no peak of their own within the tolerance, only a neighbour's.
  for (const auto& c : crystals) {
    Synthetic s;
    s.hi = 112;
    const CData data = MakePattern(c, s);
    CXRDPlot plot(data);
    plot.SetDataType("Angle");
    ASSERT_TRUE(plot.SetTTMin("12.5"));
    ASSERT_TRUE(plot.SetTTMax("109.5"));
    Phase p = StartPhase(c, 0.001);
    PatternRefinementOptions options;
    options.refineZero = true;
    const auto r = RefineCellFromPattern(data, plot, p.pattern, p.cell, options);
    ExpectRecovered(c, r, s.zero);
    EXPECT_GE(r.result.observations, 8) << c.name;
  }
}

TEST(CellRefinement, ADoubletPatternWithDisplacementGivesTheKAlpha1CellAndTheDisplacement) {
  const Crystal c{"cubic", 1, {4.1569, 4.1569, 4.1569, 90, 90, 90}};
  Synthetic s;
  s.kAlpha2 = true;
  s.displacement = 2e-4;
  s.zero = -0.02;
  s.lo = 15;
  s.hi = 140;
  s.fwhm = 0.08;
  const CData data = MakePattern(c, s);
  CXRDPlot plot(data);
  plot.SetDataType("Angle");
  ASSERT_TRUE(plot.SetTTMin("15.5"));
  ASSERT_TRUE(plot.SetTTMax("139.5"));
  Phase p = StartPhase(c, -0.001);
  PatternRefinementOptions options;
  options.refineZero = true;
  options.refineDisplacement = true;
  const auto r = RefineCellFromPattern(data, plot, p.pattern, p.cell, options);
  ExpectRecovered(c, r, s.zero);
  ASSERT_EQ(r.result.displacement.status, RefinedValue::Status::Refined);
  EXPECT_LE(std::fabs(r.result.displacement.value - s.displacement), 3 * r.result.displacement.su);
}

// An energy-dispersive spectrum: channels through a quadratic calibration,
// E = (hc/2) / (d sin(theta)) with the plot's constants (6.1997 keV A, pi
// taken as 3.14159), peaks placed by inverting the calibration by the
// quadratic formula, and an energy zero shift of 0.05 keV.
TEST(CellRefinement, AnEnergyDispersiveSpectrumRefinesThroughTheCalibration) {
  const double a = 4.2112, offset = 0.1, slope = 0.02, quad = 1e-7, detector = 10.0, zero = 0.05;
  auto channel = [&](double e) { return (-slope + std::sqrt(slope * slope - 4 * quad * (offset - e))) / (2 * quad); };
  std::vector<double> centres;
  for (int n : {3, 4, 8, 11, 12, 16, 19, 20, 24}) {  // h^2+k^2+l^2 of an F lattice
    const double d = a / std::sqrt(n);
    centres.push_back(channel(6.1997 / (d * std::sin(detector * 3.14159 / 360.0)) + zero));
  }
  std::mt19937 random(99);
  std::vector<float> x;
  std::vector<double> y;
  for (int ch = 0; ch < 4096; ++ch) {
    double mean = 50;
    for (double c : centres) mean += 3000 * std::exp(-0.5 * std::pow((ch - c) / 4.0, 2));
    std::poisson_distribution<int> counts(mean);
    x.push_back(static_cast<float>(ch));
    y.push_back(counts(random));
  }
  CData data;
  data.SetPattern(std::move(x), std::move(y));
  data.DataType = "Energy";
  data.edsCAL_OFFSET = static_cast<float>(offset);
  data.edsCAL_SLOPE = static_cast<float>(slope);
  data.edsCAL_QUAD = static_cast<float>(quad);
  data.edsTWO_THETA = static_cast<float>(detector);
  CXRDPlot plot(data);
  plot.SetDataType("Energy");
  ASSERT_TRUE(plot.SetTTMin("100"));
  ASSERT_TRUE(plot.SetTTMax("4000"));
  Phase p;
  SetUpPhase(p.pattern, p.cell, 1, 12, {4.2154f, 4.2154f, 4.2154f, 90, 90, 90});  // Fm-3m, 0.1 % off
  for (int i = 0; i < 7; ++i) p.pattern.PreviousState(i, true, true);
  PatternRefinementOptions options;
  options.refineZero = true;
  const auto r = RefineCellFromPattern(data, plot, p.pattern, p.cell, options);
  EXPECT_NEAR(r.result.cell[0].value, a, std::min(2e-4, 3 * r.result.cell[0].su));
  EXPECT_NEAR(r.result.zero.value, zero, 3 * r.result.zero.su);
  EXPECT_GE(r.result.observations, 6);
  options.refineDisplacement = true;  // no displacement on an energy axis
  EXPECT_THROW(RefineCellFromPattern(data, plot, p.pattern, p.cell, options), QuorlinError);
}

// Reflections of one zone cannot fix the other edge: c of a tetragonal cell
// from hk0 alone is "not determined", never a number with a zero su.
TEST(CellRefinement, AnEdgeNoReflectionReachesIsNotDetermined) {
  RefinementSetup s;
  s.basis = 1;  // tetragonal
  s.start = {4.0, 4.0, 6.0, 90, 90, 90};
  s.wavelength = 1.540562;
  std::vector<Observation> obs;
  const int hk[][2] = {{1, 0}, {1, 1}, {2, 0}, {2, 1}, {2, 2}};
  for (const auto& m : hk) {
    const double d = 4.01 / std::sqrt(m[0] * m[0] + m[1] * m[1]);
    obs.push_back({{{static_cast<std::int16_t>(m[0]), static_cast<std::int16_t>(m[1]), 0}},
                   2 * std::asin(s.wavelength / (2 * d)) / kRad + 0.001 * (m[0] - m[1]), 0.002});
  }
  const auto r = RefineCell(obs, s);
  EXPECT_EQ(r.cell[0].status, RefinedValue::Status::Refined);
  EXPECT_NEAR(r.cell[0].value, 4.01, 1e-4);
  EXPECT_EQ(r.cell[2].status, RefinedValue::Status::NotDetermined);
  EXPECT_EQ(r.volume.status, RefinedValue::Status::NotDetermined);
  EXPECT_EQ(r.cell[1].status, RefinedValue::Status::FixedBySymmetry);
  EXPECT_FALSE(r.AllDetermined());
  // Too few observations for the parameters is refused with a reason.
  obs.resize(2);
  s.refineZero = true;
  EXPECT_THROW(RefineCell(obs, s), QuorlinError);
}

// The linear fit in 1/d^2 and Gauss-Newton on the positions (with a zero
// shift that comes out as 0) are two paths to the same cell and su scale.
TEST(CellRefinement, LinearAndPositionPathsAgreeForAMonoclinicCell) {
  const Crystal c{"monoclinic", 6, {5.1, 6.3, 7.7, 90, 103.5, 90}};
  RefinementSetup s;
  s.basis = 5;
  s.start = {5.105, 6.306, 7.708, 90, 103.6, 90};
  s.wavelength = 1.540562;
  std::vector<Observation> obs;
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 0.003);
  for (int h = -3; h <= 3; ++h)
    for (int k = 0; k <= 3; ++k)
      for (int l = 0; l <= 3; ++l) {
        if (!h && !k && !l) continue;
        const double d = 1.0 / std::sqrt(InverseD2(c, h, k, l));
        if (1.540562 / (2 * d) > 0.9) continue;
        obs.push_back({{{static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l)}},
                       2 * std::asin(1.540562 / (2 * d)) / kRad + noise(random), 0.003});
      }
  const auto linear = RefineCell(obs, s);
  s.refineZero = true;
  const auto nonlinear = RefineCell(obs, s);
  for (int i : {0, 1, 2, 4}) {
    EXPECT_NEAR(linear.cell[static_cast<std::size_t>(i)].value, c.cell[static_cast<std::size_t>(i)],
                3 * linear.cell[static_cast<std::size_t>(i)].su);
    EXPECT_NEAR(nonlinear.cell[static_cast<std::size_t>(i)].value, c.cell[static_cast<std::size_t>(i)],
                3 * nonlinear.cell[static_cast<std::size_t>(i)].su);
  }
  EXPECT_NEAR(nonlinear.zero.value, 0.0, 3 * nonlinear.zero.su);
  // The volume su follows the edges: V = a b c sin(beta).
  const auto& v = linear.volume;
  const double a = linear.cell[0].value, b = linear.cell[1].value, cc = linear.cell[2].value,
               beta = linear.cell[4].value * kRad;
  EXPECT_NEAR(v.value, a * b * cc * std::sin(beta), 1e-6 * v.value);
}

}  // namespace
}  // namespace quorlin

namespace quorlin {
namespace {

// The zero-displacement correlation against the closed form: for equal
// weights the parameter covariance is (J^T J)^-1 with J's columns
// d(2theta)/dA, 1 and -2 cos(theta), worked out here by cofactors for the
// LaB6 lines between 20 and 150 degrees (Cu K-alpha1).
TEST(CellRefinement, ZeroDisplacementCorrelationMatchesTheClosedForm) {
  const double lambda = 1.540562, a = 4.1568;
  std::vector<Observation> obs;
  std::vector<std::array<double, 3>> j;
  for (int h = 0; h < 8; ++h)
    for (int k = 0; k <= h; ++k)
      for (int l = 0; l <= k; ++l) {
        const int n = h * h + k * k + l * l;
        if (n == 0) continue;
        const double q = n / (a * a), s = lambda * std::sqrt(q) / 2.0;
        if (!(s < 0.99)) continue;
        const double theta = std::asin(s), tt = 2.0 * theta / kRad;
        if (tt < 20 || tt > 150) continue;
        // Alternating offsets far below a step keep chi^2 (and so the su) above 0.
        obs.push_back({{{static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l)}},
                       tt + (obs.size() % 2 ? 2e-5 : -2e-5),
                       0.001});
        j.push_back({lambda / (2.0 * std::sqrt(q) * std::cos(theta)) / kRad * n, 1.0, -2.0 * std::cos(theta) / kRad});
      }
  std::array<double, 9> m{};
  for (const auto& r : j)
    for (int p = 0; p < 3; ++p)
      for (int q = 0; q < 3; ++q) m[p * 3 + q] += r[p] * r[q];
  // Cofactors of (1,2), (1,1), (2,2) of the symmetric normal matrix.
  const double c12 = -(m[0] * m[5] - m[2] * m[3]), c11 = m[0] * m[8] - m[2] * m[6], c22 = m[0] * m[4] - m[1] * m[3];
  const double expected = c12 / std::sqrt(c11 * c22);

  RefinementSetup setup;
  setup.basis = 0;
  setup.start = {a * 1.0005, a * 1.0005, a * 1.0005, 90, 90, 90};
  setup.wavelength = lambda;
  setup.refineZero = setup.refineDisplacement = true;
  const RefinementResult r = RefineCell(obs, setup);
  EXPECT_NEAR(r.zeroDisplacementCorrelation, expected, 1e-3);
  EXPECT_GT(expected, 0.95);  // Bragg-Brentano: the two are nearly one parameter
  setup.refineDisplacement = false;
  EXPECT_EQ(RefineCell(obs, setup).zeroDisplacementCorrelation, 0.0);
}

TEST(CellRefinement, ImplausibleInstrumentTermsAreNamed) {
  struct Case {
    double wavelength, zero, displacement, correlation;
    std::vector<std::string> words;  // one fragment per expected warning, in order
  };
  const Case cases[] = {
      {1.540562, 0.29, 0.0049, 0.94, {}},
      {1.540562, -0.31, 0.0, 0.0, {"zero shift of -0.310"}},
      {1.540562, 0.0, -0.0051, 0.0, {"reflection geometry"}},
      {0.1665, 1.71, 0.015, 0.999, {"1.710", "transmission", "correlate at 0.999"}},
      {0.4066, 0.0, 0.0009, -0.96, {"correlate at -0.960"}},
  };
  for (const auto& c : cases) {
    RefinementSetup setup;
    setup.wavelength = c.wavelength;
    RefinementResult r;
    r.zero = {c.zero, 0.01, RefinedValue::Status::Refined};
    r.displacement = {c.displacement, 0.0001, RefinedValue::Status::Refined};
    r.zeroDisplacementCorrelation = c.correlation;
    const auto warnings = ImplausibleResults(setup, r);
    ASSERT_EQ(warnings.size(), c.words.size()) << c.wavelength << " " << c.zero;
    for (std::size_t i = 0; i < warnings.size(); ++i)
      EXPECT_NE(warnings[i].find(c.words[i]), std::string::npos) << warnings[i];
  }
  // Energy data: the zero is in keV and carries no angle limit.
  RefinementSetup energy;
  energy.axis = PatternAxis::Energy;
  RefinementResult r;
  r.zero = {0.5, 0.01, RefinedValue::Status::Refined};
  EXPECT_TRUE(ImplausibleResults(energy, r).empty());
}

}  // namespace
}  // namespace quorlin
