// The reflection set of one phase: which reflections hkl exist (zone
// conditions, lattice centring, index permutations) and which the user wants
// to see (index ranges, the "Show diffraction from:" flags), with the phase's
// display attributes. Callers enumerate the closed index ranges and ask
// IsWanted, then IsAllowed, for each triple.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/object_state.h"
#include "reflections/card_phase.h"
#include "reflections/line_heights.h"

namespace quorlin {

class CUnitCell;

class CPattern : public IObjectState {
 public:
  // --- index ranges (closed) ----------------------------------------------
  std::int16_t hmin = -6, hmax = 6;
  std::int16_t kmin = -6, kmax = 6;
  std::int16_t lmin = 0, lmax = 6;

  // --- reflection conditions ------------------------------------------------
  // Selector of zone i (0..11): the position of the chosen item in the zone's
  // list (catalogue.h); -1 or a value without a rule imposes nothing. Indices
  // outside 0..11 throw std::out_of_range.
  std::int16_t ExtCond(int i) const;
  void SetExtCond(int i, std::int16_t value);

  std::int32_t CrystalSystem = 0;  // 1 cubic .. 7 triclinic, 8 none
  std::int16_t ExtinctionNumber() const { return extinctionNumber_; }
  // Stores the number and applies the catalogue entry, which rewrites the
  // selectors, SpaceGroupList, LaueClass, TrigAxesType and, when cell is
  // given, cell->CenteringType.
  void SetExtinctionNumber(std::int16_t value, CUnitCell* cell = nullptr);
  std::string SpaceGroupList;
  std::int32_t LaueClass = 0;
  std::string TrigAxesType;  // "Hexagonal" or "Rhombohedral"
  // The change-limits dialog's "Use only the irreducible wedge".
  bool IrreducibleWedge = false;

  // --- "Show diffraction from:" ------------------------------------------------
  // Index 0 a (h00, also 000), 1 b, 2 c, 3 b-c, 4 a-c, 5 a-b, 6 a-b-c. Indices
  // outside 0..6 throw std::out_of_range.
  bool DimensionFlags(int i) const;
  // Stored only while DimensionEnabled(i); then, unless FreeRemoval, the
  // flags bubble down whether or not the value was stored.
  void SetDimensionFlags(int i, bool value);
  bool DimensionEnabled(int i) const;
  void SetDimensionEnabled(int i, bool value);
  // Stores a saved flag and enabled state as they are, without bubbling.
  void PreviousState(int i, bool flag, bool enabled);
  void ClearDimensions();
  bool FreeRemoval() const { return freeRemoval_; }
  void SetFreeRemoval(bool value);
  // A shown plane forces its two lines on and locks them; a shown a-b-c
  // forces every plane and line on.
  void DimensionBubbleDown();

  // --- the tests ---------------------------------------------------------------
  bool IsWanted(std::int16_t h, std::int16_t k, std::int16_t l) const;
  bool IsAllowed(std::int16_t h, std::int16_t k, std::int16_t l) const;
  // True when the triple lies in the asymmetric part of reciprocal space of
  // LaueClass; false for a code without a wedge.
  bool IsInWedge(std::int16_t h, std::int16_t k, std::int16_t l) const;

  // (h, k, l) <- (k, l, h).
  static void Cycle(std::int16_t& h, std::int16_t& k, std::int16_t& l);
  // Exchanges h and l.
  static void Reverse(std::int16_t& h, std::int16_t& k, std::int16_t& l);
  // Negates all three.
  static void centro(std::int16_t& h, std::int16_t& k, std::int16_t& l);

  // Makes target a copy of this set: crystal system, extinction number
  // through its setter (cell as there), then the selectors themselves, so
  // that a hand-made set (number -1) survives; for number -1 also the Laue
  // class and trigonal axes. Flags, enabled states, free removal, ranges and
  // display attributes follow.
  void MakeCopy(CPattern& target, CUnitCell* cell = nullptr) const;

  // --- display attributes ------------------------------------------------------
  float PeakBase = 0.0f;
  float PeakTop = 1.0f;
  std::string PatternName;
  std::int16_t linewidth = 1;
  std::string ColorScheme = "UserColor";
  std::int32_t LineColor = 0xFF0000;     // blue (red is the lowest byte)
  std::int32_t StoredColor = 0xFFFFFF;   // white
  std::int32_t AbsenceColor = 0x0000FF;  // red
  bool PlotAbsences = false;
  bool Exists = false;
  bool Plotted = false;
  // The relative line intensities of a phase made from a crystal structure;
  // empty: every line is drawn at full height.
  std::vector<LineIntensity> LineIntensities;
  // The card a phase was opened from, when it was.
  CardPhase Card;

  // Reading stores the number, selectors, flags and enabled states as saved,
  // without applying the catalogue or bubbling; the unsaved SpaceGroupList,
  // LaueClass and TrigAxesType are filled in from the catalogue entry.
  void ReadObjectState(std::string_view prefix, const PropertyBag& bag) override;
  void WriteObjectState(std::string_view prefix, PropertyBag& bag) const override;

 private:
  bool ZoneTestsPass(std::int32_t h, std::int32_t k, std::int32_t l) const;

  std::array<std::int16_t, 12> extCond_{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  std::int16_t extinctionNumber_ = 0;
  std::array<bool, 7> flags_{};
  std::array<bool, 7> enabled_{true, true, true, true, true, true, false};
  bool freeRemoval_ = false;
};

}  // namespace quorlin
