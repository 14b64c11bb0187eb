// The reflections a phase draws, as a list: every triple of the pattern's
// index ranges that is wanted and allowed (or wanted and absent), with its
// spacing, in the order of falling d. The plot and the command line share it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quorlin {

class CPattern;
class CUnitCell;

struct ReflectionRow {
  std::int16_t h = 0, k = 0, l = 0;
  float d = 0.0f;  // Angstrom
};

struct ReflectionQuery {
  bool absent = false;      // the wanted triples that are not allowed, instead of the allowed ones
  bool uniqueOnly = false;  // only triples in the pattern's asymmetric wedge
};

// Enumerates the closed index ranges; triples without a usable spacing (-1)
// are left out. Sorted by d descending, then h, k, l ascending.
std::vector<ReflectionRow> EnumerateReflections(const CPattern& pattern, const CUnitCell& cell,
                                                const ReflectionQuery& query = {});

// Sets up a phase the way the main window does when a crystal system and an
// extinction symbol are chosen: the pattern's system and number (which
// applies the catalogue and sets the cell's centring), the cell's Basis from
// DerivedBasis, then the six direct parameters (Angstrom, degrees) under that
// constraint, dependent ones following their masters. Throws QuorlinError
// when the number is not in the system's catalogue or the cell is refused;
// cell and pattern are then unchanged.
void SetUpPhase(CPattern& pattern, CUnitCell& cell, std::int32_t crystalSystem, std::int16_t extinctionNumber,
                const std::array<float, 6>& parameters);

}  // namespace quorlin
