#include "mainwindow/stored_phase_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace quorlin {

void MakeStoredVectors(CStoredPhases& storedphases, int slot, int maxLines) {
  if (slot < 0 || slot > 4) return;
  const CPattern& p = storedphases.StoredPattern(slot);
  const CUnitCell& cell = storedphases.StoredUnitCell(slot);
  int n = 0;
  for (int v : {int(p.hmin), int(p.hmax), int(p.kmin), int(p.kmax), int(p.lmin), int(p.lmax)})
    n = std::max(n, std::abs(v));
  int j = 0;
  // Shells of increasing order, so a long list keeps the lowest orders.
  // A shell's indices lie within -order..order, so only that part of the
  // ranges is scanned (same order as the whole ranges, far fewer triples).
  for (int order = 1; order <= n && j < maxLines; ++order) {
    for (int l = std::max<int>(p.lmin, -order); l <= std::min<int>(p.lmax, order) && j < maxLines; ++l)
      for (int k = std::max<int>(p.kmin, -order); k <= std::min<int>(p.kmax, order) && j < maxLines; ++k)
        for (int h = std::max<int>(p.hmin, -order); h <= std::min<int>(p.hmax, order) && j < maxLines; ++h) {
          if (std::max({std::abs(h), std::abs(k), std::abs(l)}) != order) continue;
          auto hh = static_cast<std::int16_t>(h), kk = static_cast<std::int16_t>(k), ll = static_cast<std::int16_t>(l);
          if (!p.IsWanted(hh, kk, ll) || !p.IsAllowed(hh, kk, ll)) continue;
          ++j;
          storedphases.SetStoredLinePosition(slot, j, cell.hklDSpacing(h, k, l));
        }
  }
  storedphases.SetStoredLinePosition(slot, 0, 0.0f);
  for (int e = j + 1; e <= maxLines; ++e) storedphases.SetStoredLinePosition(slot, e, 0.0f);
}

}  // namespace quorlin
