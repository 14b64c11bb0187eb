#include "reflections/reflection_list.h"

#include <algorithm>
#include <string>
#include <tuple>

#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"

namespace quorlin {

std::vector<ReflectionRow> EnumerateReflections(const CPattern& pattern, const CUnitCell& cell,
                                                const ReflectionQuery& query) {
  std::vector<ReflectionRow> rows;
  // 32-bit loop counters: a range ending at 32767 must still terminate.
  for (std::int32_t h = pattern.hmin; h <= pattern.hmax; ++h)
    for (std::int32_t k = pattern.kmin; k <= pattern.kmax; ++k)
      for (std::int32_t l = pattern.lmin; l <= pattern.lmax; ++l) {
        const auto h16 = static_cast<std::int16_t>(h), k16 = static_cast<std::int16_t>(k),
                   l16 = static_cast<std::int16_t>(l);
        if (!pattern.IsWanted(h16, k16, l16)) continue;
        if (pattern.IsAllowed(h16, k16, l16) == query.absent) continue;
        if (query.uniqueOnly && !pattern.IsInWedge(h16, k16, l16)) continue;
        const float d = cell.hklDSpacing(h, k, l);
        if (d < 0.0f) continue;
        rows.push_back({h16, k16, l16, d});
      }
  std::sort(rows.begin(), rows.end(), [](const ReflectionRow& a, const ReflectionRow& b) {
    if (a.d != b.d) return a.d > b.d;
    return std::tie(a.h, a.k, a.l) < std::tie(b.h, b.k, b.l);
  });
  return rows;
}

void SetUpPhase(CPattern& pattern, CUnitCell& cell, std::int32_t crystalSystem, std::int16_t extinctionNumber,
                const std::array<float, 6>& parameters) {
  if (crystalSystem < 1 || crystalSystem > 8)
    throw QuorlinError("crystal system " + std::to_string(crystalSystem) + " is not one of 1..8");
  const auto entries = CatalogueEntries(crystalSystem);
  if (crystalSystem != NoSystem && extinctionNumber != -1 &&
      std::none_of(entries.begin(), entries.end(),
                   [&](const CatalogueEntryView& e) { return e.number == extinctionNumber; }))
    throw QuorlinError("symbol " + std::to_string(extinctionNumber) + " is not in the " +
                       std::string(CrystalSystemName(crystalSystem)) + " catalogue (0.." +
                       std::to_string(entries.size() - 1) + ", or -1)");
  // Work on copies so that a refused cell leaves both objects as they were.
  CUnitCell newCell = cell;
  CPattern newPattern = pattern;
  newPattern.CrystalSystem = crystalSystem;
  newPattern.SetExtinctionNumber(extinctionNumber, &newCell);
  newCell.SetBasis(1, DerivedBasis(crystalSystem, extinctionNumber));
  if (!newCell.SetCell(1, parameters)) {
    std::string text;
    for (float v : parameters) text += (text.empty() ? "" : " ") + SingleText(v);
    throw QuorlinError("the cell " + text + " is refused (not a possible cell, or outside the cell limits)");
  }
  cell = newCell;
  pattern = newPattern;
}

}  // namespace quorlin
