// jcpds cards: parse, then make the cell and peak list from the card.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "core/errors.h"
#include "data/jcpds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorlin;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  try {
    JcpdsCard card = ReadJcpdsCard(in, "fuzz");
    CUnitCell cell;
    CPattern pattern;
    clsPeakList peaks;
    ApplyJcpdsCard(card, "fuzz", cell, CrystalSystemSetter(pattern, cell), peaks);
  } catch (const FormatError&) {
  }
  return 0;
}
