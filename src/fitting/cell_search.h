// Finding a compressed or expanded cell near a known one before refining:
// a pattern of a compression series often moves by more than a refinement's
// peak window from the last one, so the refinement alone would measure the
// wrong peaks or none.
#pragma once

namespace quorlin {

class CData;
class CPattern;
class CUnitCell;
class CXRDPlot;

// The factor f in [low, high] (the cell's edges scaled by f, angles kept)
// whose reflections inside [windowLo, windowHi] (pattern units) stand highest on the pattern:
// the sum over lines of the square root of the intensity above the window's
// minimum, so one strong peak does not outweigh the many lines of the right
// cell. `steps` equal steps; 1 when no reflection falls in the window.
double SearchCellScale(const CData& data, const CXRDPlot& plot, const CPattern& pattern, const CUnitCell& cell,
                       double low, double high, int steps, double windowLo, double windowHi);

}  // namespace quorlin
