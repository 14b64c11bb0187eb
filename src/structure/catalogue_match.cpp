#include "structure/catalogue_match.h"

#include <cmath>

#include "core/unitcell.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"
#include "reflections/reflection_list.h"

namespace quorlin {
namespace {

constexpr int kSide = 2 * kMatchRange + 1;
using AbsenceMap = std::array<bool, kSide * kSide * kSide>;

std::size_t Index(int h, int k, int l) {
  return static_cast<std::size_t>(((h + kMatchRange) * kSide + (k + kMatchRange)) * kSide + (l + kMatchRange));
}

template <class Absent>
AbsenceMap Map(Absent absent) {
  AbsenceMap m{};
  for (int h = -kMatchRange; h <= kMatchRange; ++h)
    for (int k = -kMatchRange; k <= kMatchRange; ++k)
      for (int l = -kMatchRange; l <= kMatchRange; ++l)
        m[Index(h, k, l)] = !(h == 0 && k == 0 && l == 0) && absent(h, k, l);
  return m;
}

AbsenceMap PatternMap(const CPattern& p) {
  return Map([&](int h, int k, int l) {
    return !p.IsAllowed(static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l));
  });
}

// A pattern with only the given selectors.
CPattern HandSet(const std::array<std::int16_t, 12>& sel) {
  CPattern p;
  p.CrystalSystem = NoSystem;
  p.SetExtinctionNumber(-1);
  for (int i = 0; i < kZoneCount; ++i) p.SetExtCond(i, sel[static_cast<std::size_t>(i)]);
  return p;
}

bool Subset(const AbsenceMap& a, const AbsenceMap& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] && !b[i]) return false;
  return true;
}

int Count(const AbsenceMap& a) {
  int n = 0;
  for (bool x : a) n += x;
  return n;
}

// The zone selectors, greedily: under each permutation mode, every zone
// takes the item that forbids the most reflections without forbidding one
// the group allows.
std::array<std::int16_t, 12> HandMade(const AbsenceMap& target, bool& exact) {
  std::array<std::int16_t, 12> best{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int bestMissing = 1 << 30;
  const auto& zones = ZoneSelectors();
  for (std::int16_t mode : {std::int16_t(-1), std::int16_t(PermuteHK), std::int16_t(PermuteCyclic),
                            std::int16_t(PermuteCubic), std::int16_t(PermuteHexagonal)}) {
    std::array<std::int16_t, 12> sel{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, mode};
    for (int z = 0; z < ZonePermutation; ++z) {
      int most = 0;
      for (std::int16_t item = 0; item < zones[static_cast<std::size_t>(z)].NoneItem(); ++item) {
        auto trial = sel;
        trial[static_cast<std::size_t>(z)] = item;
        const AbsenceMap m = PatternMap(HandSet(trial));
        const int n = Count(m);
        if (n > most && Subset(m, target)) {
          most = n;
          sel[static_cast<std::size_t>(z)] = item;
        }
      }
    }
    const AbsenceMap got = PatternMap(HandSet(sel));
    const int missing = Count(target) - Count(got);
    if (missing < bestMissing) {
      bestMissing = missing;
      best = sel;
    }
  }
  exact = bestMissing == 0;
  return best;
}

}  // namespace

CatalogueMatch MatchCatalogue(const CrystalStructure& s) {
  CatalogueMatch match;
  match.system = CrystalSystemOfNumber(s.spaceGroupNumber);
  const AbsenceMap target = Map([&](int h, int k, int l) { return IsSystematicallyAbsent(s, h, k, l); });
  for (const CatalogueEntryView& e : CatalogueEntries(match.system)) {
    CPattern p;
    p.CrystalSystem = match.system;
    p.SetExtinctionNumber(e.number);
    if (PatternMap(p) == target) {
      match.number = e.number;
      for (int i = 0; i < kZoneCount; ++i) match.extCond[static_cast<std::size_t>(i)] = p.ExtCond(i);
      match.exact = true;
      return match;
    }
  }
  // The constraint of the monoclinic system is b unique; another unique
  // axis keeps its cell only without constraints.
  const double alpha = s.cell[3], gamma = s.cell[5];
  if (match.system == Monoclinic && (std::fabs(alpha - 90) > 1e-3 || std::fabs(gamma - 90) > 1e-3))
    match.system = Triclinic;
  match.extCond = HandMade(target, match.exact);
  match.note = std::string("the catalogue has no entry for ") + s.spaceGroupSymbol +
               " in this setting: conditions set by hand" + (match.exact ? "" : " (some absences not expressible)");
  return match;
}

void ApplyCatalogueMatch(const CatalogueMatch& match, const std::array<double, 6>& p, CPattern& pattern,
                         CUnitCell& cell) {
  std::array<float, 6> params{};
  for (int i = 0; i < 6; ++i) params[static_cast<std::size_t>(i)] = static_cast<float>(p[static_cast<std::size_t>(i)]);
  if (match.number >= 0) {
    SetUpPhase(pattern, cell, match.system, match.number, params);
    return;
  }
  // By hand: the system's first entry sets the constraint and the cell,
  // then number -1 keeps the selectors as set here.
  CPattern trialPattern = pattern;
  CUnitCell trialCell = cell;
  const bool rhombohedralAxes = match.system == Trigonal && std::fabs(p[3] - 90) > 1e-3 &&
                                std::fabs(p[3] - p[4]) < 1e-3 && std::fabs(p[3] - p[5]) < 1e-3;
  SetUpPhase(trialPattern, trialCell, match.system, rhombohedralAxes ? 8 : 0, params);
  trialPattern.SetExtinctionNumber(-1, &trialCell);
  for (int i = 0; i < kZoneCount; ++i) trialPattern.SetExtCond(i, match.extCond[static_cast<std::size_t>(i)]);
  pattern = trialPattern;
  cell = trialCell;
}

}  // namespace quorlin
