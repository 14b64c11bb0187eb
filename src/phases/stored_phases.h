// Up to five phases kept beside the current one and drawn behind it, each
// with its own cell, reflection set, crystal system, the d-spacings of its
// lines and the fluorescence lines kept with its slot. Slots are 0..4; an
// index outside throws std::out_of_range and changes nothing.
#pragma once

#include <array>
#include <cstdint>

#include "core/unitcell.h"
#include "core/object_state.h"
#include "reflections/pattern.h"

namespace quorlin {

class CStoredPhases : public IObjectState {
 public:
  static constexpr int kSlots = 5;
  static constexpr int kLinePositions = 401;    // positions 0..400 per slot
  static constexpr int kFluorescenceLines = 5;  // line index 0..4 (1 K-alpha .. 4 L-beta)

  // Every slot always holds a cell and a set; an empty slot's are default ones.
  CUnitCell& StoredUnitCell(int slot) { return cells_.at(Slot(slot)); }
  const CUnitCell& StoredUnitCell(int slot) const { return cells_.at(Slot(slot)); }
  void SetStoredUnitCell(int slot, const CUnitCell& cell) { cells_.at(Slot(slot)) = cell; }
  CPattern& StoredPattern(int slot) { return patterns_.at(Slot(slot)); }
  const CPattern& StoredPattern(int slot) const { return patterns_.at(Slot(slot)); }
  void SetStoredPattern(int slot, const CPattern& pattern) { patterns_.at(Slot(slot)) = pattern; }

  std::int32_t StoredCrystalSystem(int slot) const { return crystalSystem_.at(Slot(slot)); }
  void SetStoredCrystalSystem(int slot, std::int32_t value) { crystalSystem_.at(Slot(slot)) = value; }

  // d-spacing of line k (0..400) of a slot; 0 means no line.
  float StoredLinePosition(int slot, int k) const { return linePosition_.at(Slot(slot)).at(Index(k)); }
  void SetStoredLinePosition(int slot, int k, float d) { linePosition_.at(Slot(slot)).at(Index(k)) = d; }

  // Fluorescence energy (keV) of line 0..4 kept with a slot; 0 means none.
  float StoredFluorescenceLine(int line, int slot) const { return fluorescence_.at(Index(line)).at(Slot(slot)); }
  void SetStoredFluorescenceLine(int line, int slot, float energy) {
    fluorescence_.at(Index(line)).at(Slot(slot)) = energy;
  }

  // Copy the given set (cell) into the slot's own object with MakeCopy, and
  // back. A slot always takes the cell it is given (whole, when its own
  // limits refuse it); GetUnitCell returns false and leaves cell as it was
  // when cell's limits refuse the stored one.
  void InsertPattern(int slot, const CPattern& pattern);
  void GetPattern(int slot, CPattern& pattern) const;
  bool InsertUnitCell(int slot, const CUnitCell& cell);
  bool GetUnitCell(int slot, CUnitCell& cell) const;

  void ReadObjectState(std::string_view prefix, const PropertyBag& bag) override;
  void WriteObjectState(std::string_view prefix, PropertyBag& bag) const override;

 private:
  // Negative indices become huge, so that .at() refuses them too.
  static std::size_t Slot(int i) { return static_cast<std::size_t>(i); }
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }

  std::array<CUnitCell, kSlots> cells_;
  std::array<CPattern, kSlots> patterns_;
  std::array<std::int32_t, kSlots> crystalSystem_{8, 8, 8, 8, 8};
  std::array<std::array<float, kLinePositions>, kSlots> linePosition_{};
  std::array<std::array<float, kSlots>, kFluorescenceLines> fluorescence_{};
};

}  // namespace quorlin
