// CIF structures: read every block, map the group onto the catalogue, set up
// the phase and compute the lines that would be drawn.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/errors.h"
#include "core/unitcell.h"
#include "reflections/pattern.h"
#include "structure/catalogue_match.h"
#include "structure/crystal_structure.h"
#include "structure/powder_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorlin;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const auto names = CifBlockNames(text, "fuzz");
    for (std::size_t b = 0; b < names.size() && b < 4; ++b) {
      try {
        const CrystalStructure s = ReadCifStructure(text, "fuzz", static_cast<int>(b));
        const CatalogueMatch m = MatchCatalogue(s);
        CPattern pattern;
        CUnitCell cell;
        try {
          ApplyCatalogueMatch(m, s.cell, pattern, cell);
        } catch (const QuorlinError&) {
        }
        // A narrow range keeps large cells quick; every line must be finite.
        PowderOptions o;
        o.twoThetaMax = 40.0;
        for (const PowderLine& l : PowderPattern(s, o))
          if (!std::isfinite(l.intensity) || !std::isfinite(l.d)) std::abort();
      } catch (const FormatError&) {
      }
    }
  } catch (const FormatError&) {
  }
  return 0;
}
