// Least-squares refinement of a unit cell from measured reflection positions.
//
// The cell enters through the reciprocal metric tensor,
//   1/d^2 = h^2 A + k^2 B + l^2 C + k l D + h l E + h k F,
// with the terms the crystal system ties together sharing one parameter:
// cubic 1, tetragonal and hexagonal 2, rhombohedral axes 2, orthorhombic 3,
// monoclinic (b unique) 4, triclinic 6. Without instrument terms the fit is
// linear in 1/d^2; with a zero shift or a specimen displacement it works on
// the measured positions by Gauss-Newton. Standard uncertainties come from
// the covariance scaled by chi^2 / (N - P).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plot/xrd_plot.h"

namespace quorlin {

enum class PatternAxis { Angle, Energy };

// A refined quantity: a value with its standard uncertainty, a value the
// crystal system fixes, a value that was not refined (held), or one the
// reflections cannot fix (its value is then the start value).
struct RefinedValue {
  enum class Status { Refined, FixedBySymmetry, NotRefined, NotDetermined };
  double value = 0;
  double su = 0;
  Status status = Status::NotRefined;
};

// The metric parameters a cell's constraint code (CUnitCell::Basis) leaves
// free: 0 cubic, 1 tetragonal, 2 hexagonal axes, 3 rhombohedral axes,
// 4 orthorhombic, 5 monoclinic b unique, 6 triclinic; 7 (no constraint) is
// rhombohedral for cell shape 2 and triclinic otherwise.
int MetricParameterCount(int basis, int cellShape = 0);
// Whether cell parameter i (0 a .. 5 gamma) is free under the constraint.
bool CellParameterFree(int basis, int cellShape, int index);

// One observed peak: every hkl it holds (lines that coincide), its position
// on the axis (2-theta in degrees, or energy in keV) and that position's su.
struct Observation {
  std::vector<MillerIndices> hkl;
  double x = 0;
  double su = 0;
};

struct RefinementSetup {
  int basis = 6;
  int cellShape = 0;
  std::array<double, 6> start{};  // a b c alpha beta gamma (Angstrom, degrees)
  PatternAxis axis = PatternAxis::Angle;
  double wavelength = 0;        // Angstrom, angle data
  double detectorTwoTheta = 0;  // degrees, energy data
  bool refineZero = false;
  bool refineDisplacement = false;  // angle data only
  double displacement = 0;          // held value when not refined (fraction of the radius)
};

struct RefinedReflection {
  std::vector<MillerIndices> hkl;
  double observed = 0, calculated = 0;
};

struct RefinementResult {
  std::array<RefinedValue, 6> cell;
  RefinedValue volume;
  RefinedValue zero;          // degrees 2-theta, or keV; observed = true + zero
  RefinedValue displacement;  // fraction of the goniometer radius
  std::vector<RefinedReflection> reflections;  // in the order given
  int observations = 0;
  int parameters = 0;
  double chi2 = 0;  // weighted sum of squares at the minimum
  // Correlation of the zero shift with the displacement when both were
  // refined, else 0.
  double zeroDisplacementCorrelation = 0;
  bool AllDetermined() const;
};

// Where a reflection of reciprocal spacing squared q appears on the axis.
double AxisPosition(const RefinementSetup& setup, double q, double zero, double displacement);
// The d-spacing of an axis position, undoing the zero shift and displacement.
double SpacingAtPosition(const RefinementSetup& setup, double x, double zero, double displacement);

// Throws QuorlinError when the refinement cannot run: fewer observations
// than parameters plus one, a start cell or wavelength that is not
// possible, a displacement asked of energy data, or no convergence.
RefinementResult RefineCell(const std::vector<Observation>& observations, const RefinementSetup& setup);

// Results that are arithmetically sound but not physically: a zero shift
// beyond 0.3 degrees, a displacement the geometry cannot have, a zero and a
// displacement the reflections cannot tell apart. Empty when none applies.
std::vector<std::string> ImplausibleResults(const RefinementSetup& setup, const RefinementResult& result);

// Direct cell parameters (a b c alpha beta gamma) from the six reciprocal
// metric terms A..F; false for a metric that is not positive definite.
bool CellFromReciprocalMetric(const std::array<double, 6>& metric, std::array<double, 6>& cell, double& volume);
std::array<double, 6> ReciprocalMetricFromCell(const std::array<double, 6>& cell);

}  // namespace quorlin
