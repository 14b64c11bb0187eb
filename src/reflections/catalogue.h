// The reflection-condition catalogue: for each crystal system, the numbered
// extinction symbols with the space groups that share them and the zone
// selectors that reproduce their systematic absences. Applying an entry
// rewrites a CPattern's condition state and, when given, the centring code of
// the unit cell that goes with it.
//
// The numbers are stored in project and unit-cell database files, so an
// entry's number, texts and conditions never change meaning.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorlin {

class CPattern;
class CUnitCell;

// Zone indices of ExtCond; zone 11 is the index-permutation mode.
enum Zone : int {
  ZoneHkl = 0,
  Zone0kl = 1,
  Zoneh0l = 2,
  Zonehk0 = 3,
  Zoneh00 = 4,
  Zone0k0 = 5,
  Zone00l = 6,
  Zonehh0 = 7,
  ZonehMinushl = 8,
  Zonehhl = 9,
  Zonehhh = 10,
  ZonePermutation = 11,
};
inline constexpr int kZoneCount = 12;

// Permutation modes (values of ExtCond(11)).
enum Permutation : std::int16_t {
  PermuteHK = 0,         // h,k permutable (tetragonal)
  PermuteCyclic = 1,     // h,k,l cyclic (Pa-3; rhombohedral axes)
  PermuteCubic = 2,      // h,k,l permutable (cubic)
  PermuteHexagonal = 3,  // h,k,i cyclic (hexagonal axes)
};

// Lattice-centring codes of CUnitCell::CenteringType.
enum Centring : std::int32_t {
  CentringP = 0,
  CentringF = 1,
  CentringI = 2,
  CentringR = 3,
  CentringA = 4,
  CentringB = 5,
  CentringC = 6
};

// One zone's selector: the caption of its label and its item texts. The last
// item ("(none)", "(No)") imposes nothing, like -1.
struct ZoneSelector {
  std::string_view label;
  std::span<const std::string_view> items;
  // The position of text in items, if it is one of them.
  std::optional<std::int16_t> Find(std::string_view text) const;
  std::int16_t NoneItem() const { return static_cast<std::int16_t>(items.size() - 1); }
};
const std::array<ZoneSelector, kZoneCount>& ZoneSelectors();

// Crystal-system codes of CPattern::CrystalSystem, 1..8.
enum CrystalSystemCode : std::int32_t {
  Cubic = 1,
  Hexagonal = 2,
  Trigonal = 3,
  Tetragonal = 4,
  Orthorhombic = 5,
  Monoclinic = 6,
  Triclinic = 7,
  NoSystem = 8,
};
// "cubic", ..., "triclinic", "none"; "" for a code outside 1..8.
std::string_view CrystalSystemName(std::int32_t system);
// The code of a name (any case), or 0 when there is none.
std::int32_t CrystalSystemFromName(std::string_view name);

// The unit cell's Basis code that a crystal system implies (for trigonal,
// hexagonal axes below number 8, rhombohedral axes for 8 and 9).
std::int32_t DerivedBasis(std::int32_t system, std::int16_t extinctionNumber);

// A resolved catalogue entry, as applying it would write it.
struct CatalogueEntryView {
  std::int16_t number = 0;
  std::string_view spaceGroups;
  std::string_view trigAxes;  // "" outside the trigonal system
};
// The entries of a system in number order (empty for 8 and unknown codes).
std::span<const CatalogueEntryView> CatalogueEntries(std::int32_t system);

// Rewrites pattern's ExtCond, SpaceGroupList, LaueClass and TrigAxesType from
// entry pattern.ExtinctionNumber of pattern.CrystalSystem, and sets
// cell->CenteringType when cell is given. Number -1 only sets the list text to
// "None"; system 8 (or an unknown code) only clears the selectors.
void ApplyExtinctionNumber(CPattern& pattern, CUnitCell* cell);

// Only the values of the entry that are not saved with a pattern: the list
// text, the Laue class and the trigonal axes. Used after reading a saved
// pattern, whose selectors must stay exactly as saved.
void DescribeExtinctionNumber(CPattern& pattern);

}  // namespace quorlin
