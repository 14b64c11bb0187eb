// Declaring a lattice centring for a cell without a crystal system: the
// centring code recorded in the cell and the lattice-centring reflection
// conditions it implies.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quorlin {

class CUnitCell;
class CPattern;

inline constexpr int kCentringCodes = 7;  // 0 P, 1 F, 2 I, 3 R, 4 A, 5 B, 6 C

// Option captions by centring code. The reciprocal lattice of a centred
// direct lattice is centred too: F and I swap, R has no named partner.
inline constexpr std::array<std::string_view, kCentringCodes> kDirectCentringCaptions{
    "P (primitive)",    "F (face-centered)", "I (body-centered)", "R (rhombohedral)",
    "A (end-centered)", "B (end-centered)",  "C (end-centered)"};
inline constexpr std::array<std::string_view, kCentringCodes> kReciprocalCentringCaptions{
    "P (primitive)",    "I (body-centered)", "F (face-centered)", "",
    "A (end-centered)", "B (end-centered)",  "C (end-centered)"};

struct SelectorSetting {
  int selector;
  std::int16_t value;
  friend bool operator==(const SelectorSetting&, const SelectorSetting&) = default;
};

// The condition selectors a centring sets, in the order they are set.
// Selector 0 is the lattice-centring condition (0 I, 1 C, 2 A, 3 B, 4 R
// obverse, 6 F); the others are the zonal and serial conditions whose
// "no condition" entries make way for it. P sets nothing.
std::vector<SelectorSetting> CentringSelectors(int code);

// Records `code` in the cell and sets its selectors on `pattern` (the caller
// clears the conditions first). A code outside 0..6 changes nothing.
void ApplyCentring(int code, CUnitCell& cell, CPattern& pattern);

}  // namespace quorlin
