// The cell changes behind the three peak-drag modes of the plot. Each takes
// the reflection picked at the press (h k l, its spacing d0 in the cell at the
// press) and the target spacing dt from the release position, and works on
// the reciprocal cell: a*, b*, c*, alpha*, beta*, gamma*.
//
// Each returns true when the cell was changed. When the target cannot be
// reached, or the cell refuses the new parameters (limits, angle rules), the
// cell is left exactly as it was and the result is false.
#pragma once

#include <cstdint>

#include "core/unitcell.h"

namespace quorlin {

// Cell Edge: scales the reciprocal edges with a non-zero index, each in
// proportion to its index (a*(1 + h s), b*(1 + k s), c*(1 + l s)), iterating s
// until 1/d^2 of hkl settles (change below 1e-5 per step). The angles stay.
// An edge tied to another by the axis restriction moves with its master: a
// reflection indexing only the tied edge scales the master by its index.
constexpr int kCellEdgeIterationCap = 200;
bool CellEdgeDrag(CUnitCell& cell, std::int32_t h, std::int32_t k, std::int32_t l, float d0, float dt,
                  int maxIterations = kCellEdgeIterationCap);

// Volume: every reciprocal edge times d0/dt, angles kept; every spacing scales
// by dt/d0 and the volume by (dt/d0)^3.
bool VolumeDrag(CUnitCell& cell, float d0, float dt);

// Full Strain: a uniaxial strain along r = h a* + k b* + l c*. Each reciprocal
// axis moves along r by f_i (d0/dt - 1), f_i = |e_i| cos(e_i, r) d0, so hkl
// lands at dt and every reflection perpendicular to r keeps its spacing. The
// cell should be free (no crystal system, no axis restriction) for the six new
// parameters to be taken as they are.
bool FullStrainDrag(CUnitCell& cell, std::int32_t h, std::int32_t k, std::int32_t l, float d0, float dt);

}  // namespace quorlin
