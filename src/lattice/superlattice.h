// Cell doubling: a lattice point added at a half-integer position of the
// reciprocal lattice makes new reflections appear at hkl + (x, y, z), and
// halving the reciprocal cell accordingly doubles the direct cell.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace quorlin {

class CUnitCell;
class CPattern;

struct LatticePoint {
  std::string_view caption;
  float x, y, z;
  int transformation;  // CTransformations type that halves the reciprocal cell
};

inline constexpr std::array<LatticePoint, 7> kLatticePoints{{
    {"1/2,  0,  0", 0.5f, 0.0f, 0.0f, 6},
    {"0,  1/2,  0", 0.0f, 0.5f, 0.0f, 7},
    {"0,  0,  1/2", 0.0f, 0.0f, 0.5f, 8},
    {"1/2,  1/2,  0", 0.5f, 0.5f, 0.0f, 9},
    {"1/2,  0,  1/2", 0.5f, 0.0f, 0.5f, 10},
    {"0,  1/2,  1/2", 0.0f, 0.5f, 0.5f, 11},
    {"1/2,  1/2,  1/2", 0.5f, 0.5f, 0.5f, 12},
}};

// The cell-doubling point at (x, y, z), if it is one of the seven.
std::optional<LatticePoint> FindLatticePoint(float x, float y, float z);

struct ShiftedReflection {
  float h, k, l;  // hkl + (x, y, z)
  float d;        // 10000 when the shifted vector is shorter than 0.0001
};

// Every triple of the pattern's index ranges shifted by (x, y, z), l outer
// and h inner; no allowed or wanted test.
std::vector<ShiftedReflection> SuperlatticeReflections(const CUnitCell& cell, const CPattern& pattern, float x, float y,
                                                       float z);

// The direct-cell parameters after the cell-halving matrix of a point has
// been applied to the reciprocal cell (a*' ... gamma*', degrees), or nothing
// when the result is degenerate.
std::optional<std::array<float, 6>> DoubledReciprocalCell(const CUnitCell& cell, int transformation);

}  // namespace quorlin
