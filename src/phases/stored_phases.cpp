#include "phases/stored_phases.h"

#include <string>

namespace quorlin {

void CStoredPhases::InsertPattern(int slot, const CPattern& pattern) { pattern.MakeCopy(patterns_.at(Slot(slot))); }
void CStoredPhases::GetPattern(int slot, CPattern& pattern) const { patterns_.at(Slot(slot)).MakeCopy(pattern); }
// A slot must always take the phase it is given: when the slot's old limits
// refuse the cell, the slot takes the whole cell, limits included.
bool CStoredPhases::InsertUnitCell(int slot, const CUnitCell& cell) {
  CUnitCell& target = cells_.at(Slot(slot));
  if (!cell.MakeCopy(target)) target = cell;
  return true;
}

bool CStoredPhases::GetUnitCell(int slot, CUnitCell& cell) const { return cells_.at(Slot(slot)).MakeCopy(cell); }

void CStoredPhases::WriteObjectState(std::string_view prefix, PropertyBag& bag) const {
  std::string p(prefix);
  for (int i = 0; i < kSlots; ++i) {
    std::string n = std::to_string(i);
    bag.WriteProperty(p + "CrystalSystem(" + n + ")", crystalSystem_[Slot(i)], std::int32_t{8});
    cells_[Slot(i)].WriteObjectState(p + "StoredCell(" + n + ")", bag);
    patterns_[Slot(i)].WriteObjectState(p + "StoredPattern(" + n + ")", bag);
  }
}

// One scratch cell and set read every slot's keys; each slot then gets new
// objects that take copies of them, so nothing of a slot's previous phase
// survives a read.
void CStoredPhases::ReadObjectState(std::string_view prefix, const PropertyBag& bag) {
  std::string p(prefix);
  CUnitCell scratchCell;
  CPattern scratchPattern;
  for (int i = 0; i < kSlots; ++i) {
    std::string n = std::to_string(i);
    crystalSystem_[Slot(i)] = bag.ReadLong(p + "CrystalSystem(" + n + ")", 8);
    scratchCell.ReadObjectState(p + "StoredCell(" + n + ")", bag);
    scratchPattern.ReadObjectState(p + "StoredPattern(" + n + ")", bag);
    cells_[Slot(i)] = CUnitCell();
    patterns_[Slot(i)] = CPattern();
    // Should a fresh cell refuse the copy, the slot keeps the scratch cell
    // whole rather than lose the phase.
    if (!scratchCell.MakeCopy(cells_[Slot(i)])) cells_[Slot(i)] = scratchCell;
    scratchPattern.MakeCopy(patterns_[Slot(i)]);
  }
}

}  // namespace quorlin
