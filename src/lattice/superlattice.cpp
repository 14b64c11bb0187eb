#include "lattice/superlattice.h"

#include <cmath>

#include "core/unitcell.h"
#include "lattice/transformations.h"
#include "reflections/pattern.h"

namespace quorlin {

std::optional<LatticePoint> FindLatticePoint(float x, float y, float z) {
  for (const LatticePoint& p : kLatticePoints)
    if (p.x == x && p.y == y && p.z == z) return p;
  return std::nullopt;
}

std::vector<ShiftedReflection> SuperlatticeReflections(const CUnitCell& cell, const CPattern& pattern, float x, float y,
                                                       float z) {
  std::vector<ShiftedReflection> out;
  for (int l = pattern.lmin; l <= pattern.lmax; ++l)
    for (int k = pattern.kmin; k <= pattern.kmax; ++k)
      for (int h = pattern.hmin; h <= pattern.hmax; ++h) {
        ShiftedReflection r{static_cast<float>(h) + x, static_cast<float>(k) + y, static_cast<float>(l) + z, 0};
        float length = cell.Distance(-1, r.h, r.k, r.l);
        r.d = std::fabs(length) > 0.0001f ? 1.0f / length : 10000.0f;
        out.push_back(r);
      }
  return out;
}

std::optional<std::array<float, 6>> DoubledReciprocalCell(const CUnitCell& cell, int transformation) {
  CTransformations t;
  t.SetTransformation(transformation);
  CMatrix33 g;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) g.SetSelf(i, j, cell.Metric(-1, i, j));
  return TransformedParameters(g, t.Matrix());
}

}  // namespace quorlin
