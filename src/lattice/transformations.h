// Changes of basis of a cell. Row i of a transformation matrix is new basis
// vector i (a', b', c') and column j the coefficient of old vector j, so
// a' = T(0,0) a + T(0,1) b + T(0,2) c. The new cell follows from the metric
// tensor alone, G' = T G T^T, so a left-handed matrix gives the right-handed
// cell on the same vectors.
#pragma once

#include <array>
#include <optional>

#include "core/matrix33.h"

namespace quorlin {

class CTransformations {
 public:
  // The catalogue: 0..5 the six axis permutations (determinant +1), 6..12 the
  // cell-halving matrices of the seven cell-doubling points (determinant 1/2).
  // Any other type leaves the zero matrix.
  void SetTransformation(int type);
  float TransformationElement(int i, int j) const { return matrix_(i, j); }
  // Element of the inverse; 0 for a singular matrix, which has none.
  float TransformationInverseElement(int i, int j) const;
  const CMatrix33& Matrix() const { return matrix_; }

  static constexpr int kTypes = 13;

 private:
  CMatrix33 matrix_;
};

// A matrix whose determinant is below this in magnitude is refused as singular.
inline constexpr double kSingularDeterminant = 0.001;

double Determinant(const CMatrix33& t);

// The six parameters (edges, then angles in degrees) of the lattice with
// metric T G T^T. The sums are taken in double precision; the angles come from
// the single-precision arccos the cell editor uses. Nothing when the new
// metric is degenerate: an edge of zero length or a cosine at or beyond +-1
// (a nearly singular matrix after rounding).
std::optional<std::array<float, 6>> TransformedParameters(const CMatrix33& metric, const CMatrix33& t);

// arccos as arctan(-x / sqrt(1 - x^2)) + 2 arctan(1), in single precision,
// in radians; defined for -1 < x < 1.
float SingleAcos(float x);

}  // namespace quorlin
