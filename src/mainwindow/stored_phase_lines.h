// The line positions of a stored phase, drawn behind the current phase.
#pragma once

#include "phases/stored_phases.h"

namespace quorlin {

// Fills slot's line positions 1..maxLines with the spacings of its allowed
// reflections in shells of increasing order (largest |index|), so that a long
// list keeps the lowest orders; the rest, and position 0, become 0.
void MakeStoredVectors(CStoredPhases& phases, int slot, int maxLines);

}  // namespace quorlin
