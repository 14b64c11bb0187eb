// Laue groups as sets of integer matrices acting on Miller indices, built by
// closure from textbook generators (International Tables Vol. A, the point
// groups with the centre of symmetry added). Used to check wedges and to
// carry a zone's reflection condition onto its symmetry-equivalent zones.
#pragma once

#include <array>
#include <set>
#include <string_view>
#include <vector>

namespace quorlin::testing {

using Op = std::array<int, 9>;  // row-major; (h,k,l)' = M (h,k,l)
using Triple = std::array<int, 3>;

inline Triple Apply(const Op& m, const Triple& t) {
  return {m[0] * t[0] + m[1] * t[1] + m[2] * t[2], m[3] * t[0] + m[4] * t[1] + m[5] * t[2],
          m[6] * t[0] + m[7] * t[1] + m[8] * t[2]};
}

inline Op Multiply(const Op& a, const Op& b) {
  Op c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) c[3 * i + j] += a[3 * i + k] * b[3 * k + j];
  return c;
}

inline std::vector<Op> Closure(std::vector<Op> generators) {
  std::set<Op> group{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
  bool grew = true;
  while (grew) {
    grew = false;
    for (const Op& a : std::vector<Op>(group.begin(), group.end()))
      for (const Op& g : generators) grew |= group.insert(Multiply(a, g)).second;
  }
  return {group.begin(), group.end()};
}

namespace gen {
inline constexpr Op kInversion{-1, 0, 0, 0, -1, 0, 0, 0, -1};
inline constexpr Op k2x{1, 0, 0, 0, -1, 0, 0, 0, -1};
inline constexpr Op k2y{-1, 0, 0, 0, 1, 0, 0, 0, -1};
inline constexpr Op k2z{-1, 0, 0, 0, -1, 0, 0, 0, 1};
inline constexpr Op k4z{0, -1, 0, 1, 0, 0, 0, 0, 1};       // (h,k,l) -> (-k,h,l)
inline constexpr Op kSwapHK{0, 1, 0, 1, 0, 0, 0, 0, 1};    // (k,h,l): mirror normal to a-b
inline constexpr Op k3Hex{0, 1, 0, -1, -1, 0, 0, 0, 1};    // (k,i,l), i = -h-k
inline constexpr Op kMirrorA{-1, 0, 0, 1, 1, 0, 0, 0, 1};  // mirror normal to a (hexagonal axes)
inline constexpr Op kCycle{0, 1, 0, 0, 0, 1, 1, 0, 0};     // (k,l,h): 3-fold along [111]
}  // namespace gen

// Laue groups by their symbols; "-3R" and "-3mR" are on rhombohedral axes.
inline std::vector<Op> LaueGroup(std::string_view symbol) {
  using namespace gen;
  if (symbol == "-1") return Closure({kInversion});
  if (symbol == "2/m") return Closure({k2y, kInversion});
  if (symbol == "mmm") return Closure({k2x, k2y, kInversion});
  if (symbol == "4/m") return Closure({k4z, kInversion});
  if (symbol == "4/mmm") return Closure({k4z, kSwapHK, kInversion});
  if (symbol == "-3") return Closure({k3Hex, kInversion});
  if (symbol == "-3m1") return Closure({k3Hex, kMirrorA, kInversion});
  if (symbol == "-31m") return Closure({k3Hex, kSwapHK, kInversion});
  if (symbol == "6/m") return Closure({k3Hex, k2z, kInversion});
  if (symbol == "6/mmm") return Closure({k3Hex, k2z, kSwapHK, kInversion});
  if (symbol == "m-3") return Closure({kCycle, k2x, k2y, kInversion});
  if (symbol == "m-3m") return Closure({kCycle, k2x, k2y, kSwapHK, kInversion});
  if (symbol == "-3R") return Closure({kCycle, kInversion});
  if (symbol == "-3mR") return Closure({kCycle, kSwapHK, kInversion});
  return {};
}

}  // namespace quorlin::testing
