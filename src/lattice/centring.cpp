#include "lattice/centring.h"

#include "core/unitcell.h"
#include "reflections/pattern.h"

namespace quorlin {

std::vector<SelectorSetting> CentringSelectors(int code) {
  switch (code) {
    case 1:
      return {{0, 6}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}};  // F
    case 2:
      return {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}};  // I
    case 3:
      return {{0, 4}, {8, 1}, {9, 1}, {6, 1}};  // R
    case 4:
      return {{0, 2}, {1, 0}, {2, 2}, {3, 2}, {5, 0}, {6, 0}};  // A
    case 5:
      return {{0, 3}, {1, 2}, {2, 0}, {3, 1}, {4, 0}, {6, 0}};  // B
    case 6:
      return {{0, 1}, {1, 1}, {2, 1}, {3, 0}, {4, 0}, {5, 0}};  // C
    default:
      return {};  // P
  }
}

void ApplyCentring(int code, CUnitCell& cell, CPattern& pattern) {
  if (code < 0 || code >= kCentringCodes) return;
  cell.CenteringType = code;
  for (const SelectorSetting& s : CentringSelectors(code)) pattern.SetExtCond(s.selector, s.value);
}

}  // namespace quorlin
