// The catalogue entry of a structure's space group: the crystal system and
// extinction number whose conditions give exactly the group's systematic
// absences in the file's setting, or, where no entry does, a hand-made set
// of zone selectors (number -1) that gives them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "structure/crystal_structure.h"

namespace quorlin {

class CPattern;
class CUnitCell;

struct CatalogueMatch {
  std::int32_t system = 0;   // CPattern::CrystalSystem
  std::int16_t number = -1;  // extinction number; -1: the selectors below, set by hand
  std::array<std::int16_t, 12> extCond{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  // The conditions give exactly the group's absences for indices -6..6.
  bool exact = false;
  std::string note;  // why the entry is not a catalogue one, or ""
};

// Indices -kMatchRange..kMatchRange are compared.
inline constexpr int kMatchRange = 6;

CatalogueMatch MatchCatalogue(const CrystalStructure& s);

// Applies a match as the crystal-system dialogs do: the system, the number
// (which applies the entry and the cell's centring), the cell's Basis, then
// the six parameters under that constraint; for number -1 the selectors.
// Throws QuorlinError when the cell is refused; both are then unchanged.
void ApplyCatalogueMatch(const CatalogueMatch& match, const std::array<double, 6>& cellParameters,
                         CPattern& pattern, CUnitCell& cell);

}  // namespace quorlin
