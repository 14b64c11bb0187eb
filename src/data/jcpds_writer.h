// Writes a phase as a keyword jcpds card ("VERSION: 4"), the layout Dioptas
// and other programs of the field read: COMMENT, K0, K0P, DK0DT and DK0PDT
// when known, SYMMETRY, the six cell parameters, ALPHAT and DALPHADT when
// known, then one "DIHKL: d I h k l" row per reflection.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/unitcell.h"
#include "data/jcpds.h"

namespace quorlin {

// The card of a phase: its name, crystal system (1..8) and cell, and the
// rows' hkl and intensities, each row's d recomputed from the cell (rows
// without a usable spacing are left out). A crystal system the cell does not
// obey (or 8, none) is written TRICLINIC, so that the card always reads back
// as the same cell.
JcpdsCard MakeJcpdsCard(const std::string& name, std::int16_t crystalSystem, const CUnitCell& cell,
                        const std::vector<JcpdsPeak>& rows, std::optional<float> K0 = std::nullopt,
                        std::optional<float> K0p = std::nullopt, const JcpdsThermalConstants& thermal = {});

// The card's text. Numbers are written so that they read back exactly.
std::string JcpdsCardText(const JcpdsCard& card);

}  // namespace quorlin
