// Fuzzes the unit-cell library reader: container, bag payload and the
// library's checks. A refusal must be a QuorlinError; an accepted library
// must write back and read again to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/bag_file.h"
#include "core/errors.h"
#include "phases/unit_cell_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quorlin::UnitCellLibrary lib;
  try {
    quorlin::PropertyBag bag;
    bag.SetContents(quorlin::UnwrapContainer(std::span<const std::uint8_t>(data, size), "fuzz.ucl"));
    lib = quorlin::UnitCellLibrary::FromBag(bag, "fuzz.ucl");
  } catch (const quorlin::QuorlinError&) {
    return 0;
  }
  quorlin::PropertyBag written;
  lib.WriteToBag(written);
  quorlin::PropertyBag reread;
  reread.SetContents(written.Contents());
  if (!(quorlin::UnitCellLibrary::FromBag(reread, "again.ucl") == lib)) std::abort();
  return 0;
}
