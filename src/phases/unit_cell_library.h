// The unit-cell library: eight named groups of twenty slots, each slot a
// named cell with its crystal system, reflection-condition entry and six
// direct parameters. It lives in a .ucl file, which is the project file's
// container around a property bag (docs/project-format.md lists the keys).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/property_bag.h"

namespace quorlin {

struct UnitCellEntry {
  std::string name = ".";  // "." marks a free slot
  std::int32_t symmetry = 7;
  std::int16_t extinction = -1;       // -1: conditions chosen by hand
  std::array<float, 6> parameters{};  // a, b, c (Angstrom), alpha, beta, gamma (degrees)

  bool Free() const { return name == "."; }
  friend bool operator==(const UnitCellEntry&, const UnitCellEntry&) = default;
};

class UnitCellLibrary {
 public:
  static constexpr int kGroups = 8;
  static constexpr int kSlots = 20;

  // Group 0..7, slot 0..19; other indices throw std::out_of_range.
  const std::string& GroupName(int g) const { return groups_.at(Index(g)); }
  void SetGroupName(int g, std::string name) { groups_.at(Index(g)) = std::move(name); }
  const UnitCellEntry& Entry(int g, int c) const { return cells_.at(Index(g)).at(Index(c)); }
  UnitCellEntry& Entry(int g, int c) { return cells_.at(Index(g)).at(Index(c)); }

  // All keys in the file's order; values equal to their defaults are left out.
  void WriteToBag(PropertyBag& bag) const;
  // Reads a library from a bag. A value of the wrong kind or out of range
  // throws FormatError naming `fileName` and the key.
  static UnitCellLibrary FromBag(const PropertyBag& bag, const std::string& fileName);

  // A missing file or an empty name gives an empty library. Throws
  // FormatError for a damaged file.
  static UnitCellLibrary ReadFile(const std::string& fileName);
  // Through a temporary file and a rename; an empty name writes nothing.
  // Throws QuorlinError when the file cannot be written (the old one stays).
  void WriteFile(const std::string& fileName) const;

  friend bool operator==(const UnitCellLibrary&, const UnitCellLibrary&) = default;

 private:
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  std::array<std::string, kGroups> groups_ = MakeGroups();
  std::array<std::array<UnitCellEntry, kSlots>, kGroups> cells_{};

  static std::array<std::string, kGroups> MakeGroups() {
    std::array<std::string, kGroups> g;
    g.fill(" ");
    return g;
  }
};

// Key names of the library file ("CellNames(0,3)").
std::string GroupNameKey(int g);
std::string CellNameKey(int g, int c);
std::string CellSymmetryKey(int g, int c);
std::string ExtinctionNumberKey(int g, int c);
std::string CellParameterKey(int g, int c, int p);

// True when six parameters describe a cell that can exist: finite positive
// edges, angles strictly between 0 and 180 degrees, and a positive volume.
bool CellCanExist(const std::array<float, 6>& parameters);
// Why a cell cannot exist, in words for a message; empty when it can.
std::string CellProblem(const std::array<float, 6>& parameters);

}  // namespace quorlin
