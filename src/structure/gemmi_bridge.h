// Conversions between this folder's plain types and gemmi's, and the
// symmetry images of the atom sites. Only for the .cpp files of this folder.
#pragma once

#include <array>
#include <vector>

#include <gemmi/symmetry.hpp>

#include "structure/crystal_structure.h"

namespace quorlin {

inline SymOp ToSymOp(const gemmi::Op& op) {
  SymOp s;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) s.rot[static_cast<std::size_t>(3 * i + j)] = op.rot[i][j];
    s.tran[static_cast<std::size_t>(i)] = op.tran[i];
  }
  return s;
}

inline gemmi::GroupOps ToGroupOps(const CrystalStructure& s) {
  gemmi::GroupOps g;
  for (const SymOp& o : s.symOps) {
    gemmi::Op op;
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) op.rot[i][j] = o.rot[static_cast<std::size_t>(3 * i + j)];
      op.tran[i] = o.tran[static_cast<std::size_t>(i)];
    }
    g.sym_ops.push_back(op);
  }
  g.cen_ops.assign(s.centring.begin(), s.centring.end());
  if (g.sym_ops.empty()) g.sym_ops.push_back(gemmi::Op::identity());
  if (g.cen_ops.empty()) g.cen_ops.push_back({0, 0, 0});
  return g;
}

// One distinct position of a site in the cell, with the rotation that took
// the site there (for turning its displacement tensor).
struct SiteImage {
  std::array<double, 3> fract{};
  std::array<int, 9> rot{};
};

// For each site, its distinct images in the unit cell (images closer than
// 0.1 Angstrom are one). Summing over these images with the file's occupancy
// is the crystallographic occupancy that a sum over all operations would
// need the site multiplicity for.
std::vector<std::vector<SiteImage>> SiteImages(const CrystalStructure& s);

}  // namespace quorlin
