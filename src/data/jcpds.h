// jcpds cards: a reference phase's cell, symmetry, equation-of-state
// constants and its list of d-spacings with intensities and hkl.
//
// Three layouts are read, told apart by the first non-blank line:
//  - keyword cards ("VERSION: 4", then "KEY: value" lines: COMMENT, K0, K0P,
//    DK0DT, DK0PDT, SYMMETRY, A, B, C, ALPHA, BETA, GAMMA, ALPHAT, DALPHADT,
//    DIHKL rows "d I h k l"; VOLUME and other keys are passed over);
//  - positional cards whose first line is a bare version number: comment,
//    "code K0 K0'", the cell line (a; a c; a c; a b c; a b c beta;
//    a b c alpha beta gamma for codes 1 to 6: cubic, hexagonal, tetragonal,
//    orthorhombic, monoclinic, triclinic, as the Shim-lab format note lists
//    them), anything up to the first "d I h k l" row (a lone number there is
//    the thermal expansion), the rows;
//  - the older cards with no version line: comment, then "code a K0 K0'
//    c/a [b/a]" (commas allowed, trailing text ignored), then the rows.
// Rows whose hkl are not whole numbers (modulated phases) cannot be drawn as
// lines: they are left out and counted.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "core/unitcell.h"
#include "data/readers.h"
#include "energy/peak_list.h"
#include "reflections/card_phase.h"
#include "reflections/pattern.h"

namespace quorlin {

struct JcpdsPeak {
  float d = 0;          // observed spacing, Angstrom
  float intensity = 0;  // relative intensity as written
  std::int16_t h = 0, k = 0, l = 0;
};

// The temperature terms of VERSION 4 cards, as written; empty when absent.
struct JcpdsThermalConstants {
  std::optional<float> dK0dT;     // GPa/K
  std::optional<float> dK0pdT;    // 1/K
  std::optional<float> alphaT;    // volume thermal expansion, 1/K
  std::optional<float> dAlphadT;  // 1/K^2
  bool operator==(const JcpdsThermalConstants&) const = default;
};

struct JcpdsCard {
  int version = 0;  // 4 for keyword cards; the first line of positional ones; 1 for the oldest
  std::string comment;
  // 1 cubic, 2 hexagonal, 3 trigonal, 4 tetragonal, 5 orthorhombic,
  // 6 monoclinic, 7 triclinic (the main window's crystal-system codes).
  std::int16_t crystalSystem = 0;
  // a, b, c (Angstrom), alpha, beta, gamma (degrees): the whole cell, with
  // what the symmetry fixes filled in.
  std::array<float, 6> cell{};
  std::optional<float> K0;   // bulk modulus, GPa
  std::optional<float> K0p;  // its pressure derivative
  JcpdsThermalConstants thermal;
  std::vector<JcpdsPeak> peaks;
  int leftOut = 0;  // rows with fractional hkl
  ReadNotes notes;
};

// Parses a card. Throws FormatError("file", line, ...) for anything that
// cannot be a card, a symmetry it does not know, a cell the symmetry needs
// but the card lacks, a malformed number where one is required, or an
// intensity or index beyond 16 bits.
JcpdsCard ReadJcpdsCard(std::istream& in, const std::string& fileName);

// What a phase keeps of its card: the card's cell and its equation of state
// (absent terms as CardPhase's defaults), at P = 0 and the reference
// temperature.
CardPhase CardPhaseOf(const JcpdsCard& card);

// Cell basis (CUnitCell::Basis) of a card's crystal system on the axes the
// card gives (a trigonal card gives hexagonal axes).
std::int32_t JcpdsBasis(std::int16_t crystalSystem);

// Sets the main window's crystal system the way its menu does: the
// reflection set's ExtinctionNumber becomes -1, then the crystal system,
// which also sets the pattern's crystal system and the cell's Basis.
using SetCrystalSystemFn = std::function<void(std::int16_t crystalSystem)>;
// That setter on a reflection set and a cell of one's own (the command line;
// the main window plugs in its own).
SetCrystalSystemFn CrystalSystemSetter(CPattern& pattern, CUnitCell& cell);

// Makes the cell the card's cell (after setting the crystal system) and the
// peak list the card's rows: Intens from the card, Agrees when the card's d
// exceeds the cell's d by no more than 0.1, Included true (a card without
// rows empties the list). Everything is checked first: when the cell's
// limits refuse the card's cell a FormatError names the file and nothing
// changes.
void ApplyJcpdsCard(const JcpdsCard& card, const std::string& fileName, CUnitCell& cell,
                    const SetCrystalSystemFn& setCrystalSystem, clsPeakList& peaks);

// The two passes the window runs over a card: the first sets the crystal
// system and the cell and returns the number of rows, the second fills the
// peak list from the cell the first pass left.
std::int16_t OpenJCPDSPart1(std::istream& in, const std::string& fileName, CUnitCell& cell,
                            const SetCrystalSystemFn& setCrystalSystem);
void OpenJCPDSPart2(std::istream& in, const std::string& fileName, std::int16_t count, clsPeakList& peaks,
                    const CUnitCell& cell);

}  // namespace quorlin
