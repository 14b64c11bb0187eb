// The Decker equation of state and the Vinet isotherms.
#include <gtest/gtest.h>

#include <cmath>

#include "core/errors.h"
#include "energy/decker.h"
#include "energy/pressure_scale.h"

namespace quorlin {
namespace {

float VolumeChange(double a, double a0) { return static_cast<float>((a * a * a - a0 * a0 * a0) / (a0 * a0 * a0)); }

// Reference pressures of the Decker scale at 25 C as published with the model
// (NaCl reference edge 5.64 A, CsCl 4.11904 A).
TEST(Decker, PublishedPressuresAt25C) {
  struct Case {
    std::int16_t code;
    float vdiff;
    float kbar;
    float tolerance;
  } cases[] = {
      {1, 0.0f, 0.009f, 0.0005f},
      {1, VolumeChange(5.4708, 5.64), 27.11f, 0.005f},
      {1, VolumeChange(5.358, 5.64), 53.18f, 0.005f},
      {3, 0.0f, 0.014f, 0.0005f},
      {3, -0.08733f, 19.80f, 0.005f},
  };
  for (const Case& c : cases) {
    float p = -999;
    std::int16_t status = -1;
    clsDecker().Decker(c.code, 25.0f, c.vdiff, p, status);
    EXPECT_EQ(status, 0) << c.code << " " << c.vdiff;
    EXPECT_NEAR(p, c.kbar, c.tolerance) << c.code << " " << c.vdiff;
  }
}

TEST(Decker, StatusCodesAndUntouchedPressure) {
  struct Case {
    std::int16_t code;
    float celsius, vdiff;
    std::int16_t status;
    bool written;
  } cases[] = {
      {2, 25, 0, clsDecker::kKClUsed, true},
      {4, 25, 0, clsDecker::kUnknownStandard, false},
      {0, 25, 0, clsDecker::kUnknownStandard, false},
      {1, 25, -0.6f, clsDecker::kRatioBelowHalf, true},
      {1, 25, 0.6f, clsDecker::kRatioAboveOneAndHalf, true},
      {1, -300, 0, clsDecker::kDebyeFailed, false},
      // Absolute zero would divide by zero; a lattice parameter of 0 or less has no cube root.
      {1, -273.15f, 0, clsDecker::kDebyeFailed, false},
      {1, 25, -1.0f, clsDecker::kNoVolume, false},
      {1, 25, -1.5f, clsDecker::kNoVolume, false},
  };
  for (const Case& c : cases) {
    float p = -999;
    std::int16_t status = -1;
    clsDecker().Decker(c.code, c.celsius, c.vdiff, p, status);
    EXPECT_EQ(status, c.status) << c.code << " " << c.celsius << " " << c.vdiff;
    if (c.written)
      EXPECT_TRUE(std::isfinite(p) && p != -999) << c.code << " " << c.vdiff;
    else
      EXPECT_EQ(p, -999) << c.code << " " << c.vdiff;
  }
}

TEST(Decker, DebyeFunctionBranches) {
  struct Case {
    double x, expected, tolerance;
    std::int16_t status;
  } cases[] = {
      // D3(1) = 0.674416 (Abramowitz & Stegun 27.1); the 10-point rule agrees to 1e-6.
      {1.0, 0.674416, 1e-5, 0},
      {5e-6, 1.0, 0, 0},
      {0.0, 1.0, 0, 0},
      // pi^4 / (5 x^3) for x >= 20
      {20.0, std::pow(M_PI, 4) / (5 * 8000.0), 1e-12, 0},
      {40.0, std::pow(M_PI, 4) / (5 * 64000.0), 1e-12, 0},
  };
  for (const Case& c : cases) {
    double f = -1;
    std::int16_t status = -1;
    clsDecker::DEBYE(c.x, f, status);
    EXPECT_EQ(status, c.status) << c.x;
    EXPECT_NEAR(f, c.expected, c.tolerance) << c.x;
  }
  double f = 42;
  std::int16_t status = 0;
  clsDecker::DEBYE(-0.5, f, status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(f, 42);
}

TEST(Decker, GaussLegendreIntegratesPolynomialsExactly) {
  // A 10-point rule is exact up to degree 19: integral_0^2 t^19 dt = 2^20 / 20.
  double x[11], w[11];
  clsDecker::GAULEG(0, 2, x, w, 10);
  double sum = 0, weights = 0;
  for (int i = 1; i <= 10; ++i) {
    sum += w[i] * std::pow(x[i], 19);
    weights += w[i];
  }
  EXPECT_NEAR(sum, std::pow(2.0, 20) / 20, 1e-6);
  EXPECT_NEAR(weights, 2.0, 1e-13);
}

// Hand evaluation of 3 K0 (1-y)/y^2 exp(1.5 (K0'-1)(1-y)) with y = (V/V0)^(1/3),
// from the published parameters (worked in a Python shell).
TEST(Vinet, IsothermsAgainstHandValues) {
  struct Case {
    PressureStandard s;
    double ratio, GPa;
  } cases[] = {
      {PressureStandard::Au, 0.9, 24.0272295},  {PressureStandard::Au, 0.8, 71.3411189},
      {PressureStandard::MgO, 0.9, 21.2373998}, {PressureStandard::MgO, 0.8, 57.5697355},
      {PressureStandard::W, 0.9, 40.0467452},   {PressureStandard::W, 0.8, 107.371676},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(VinetPressure(VinetOf(c.s), c.ratio), c.GPa, 1e-6);
    // Through the edge: a = a0 * ratio^(1/3); the single-precision volume
    // change costs a few 1e-4 GPa at most.
    const double a = ReferenceEdge(c.s) * std::cbrt(c.ratio);
    PressureResult r = PressureFromEdge(c.s, a, 500);  // the isotherm ignores T
    EXPECT_NEAR(r.GPa(), c.GPa, 2e-3);
    EXPECT_NEAR(r.volumeRatio, c.ratio, 1e-6);
  }
  EXPECT_NEAR(ReferenceEdge(PressureStandard::Au), 4.0785916, 1e-6);  // cube root of 67.847
}

TEST(PressureScale, RefusesUndefinedInputs) {
  EXPECT_THROW(PressureFromEdge(PressureStandard::NaCl, 0, 25), QuorlinError);
  EXPECT_THROW(PressureFromEdge(PressureStandard::Au, -4, 25), QuorlinError);
  EXPECT_THROW(PressureFromEdge(PressureStandard::NaCl, NAN, 25), QuorlinError);
  EXPECT_THROW(PressureFromEdge(PressureStandard::NaCl, 5.6, -273.15), QuorlinError);
  EXPECT_THROW(PressureFromEdge(PressureStandard::CsCl, 4.1, -300), QuorlinError);
  EXPECT_NEAR(PressureFromEdge(PressureStandard::NaCl, 5.4708, 25).GPa(), 2.711, 0.001);
  EXPECT_EQ(PressureStandardFromName("mgo"), PressureStandard::MgO);
  EXPECT_FALSE(PressureStandardFromName("Pt"));
}

}  // namespace
}  // namespace quorlin
