// quorlin-cli symbols SYSTEM: the catalogue entries that --symbol takes, each
// with its extinction symbol and the space groups that share it.
#include <ostream>
#include <string>
#include <string_view>

#include "command.h"
#include "core/errors.h"
#include "mainwindow/crystal_system_dialogs.h"
#include "options.h"
#include "reflections/catalogue.h"

namespace quorlin::cli {
namespace {

int Symbols(const Args& args, std::ostream& out, std::ostream& /*err*/) {
  if (args.size() != 1) throw QuorlinError("usage: symbols SYSTEM");
  // By name or code, as --system takes it; the refusal names the word itself.
  std::int32_t system = 0;
  try {
    system = SystemArg(args[0]);
  } catch (const QuorlinError&) {
    throw QuorlinError("\"" + args[0] +
                       "\" is not a crystal system (cubic, hexagonal, trigonal, tetragonal, orthorhombic, "
                       "monoclinic, triclinic, none, or 1..8)");
  }
  out << "# number symbol space_groups\n";
  // A cell without a crystal system has no catalogue: the header alone.
  if (system == NoSystem) return 0;
  const CrystalSystemWindowLayout& window = CrystalSystemWindow(static_cast<std::int16_t>(system));
  for (const CatalogueEntryView& e : CatalogueEntries(system)) {
    const auto i = static_cast<std::size_t>(e.number);
    // One word a column: blanks inside a symbol ("P1 21 1", "P21--, P41--") go.
    std::string symbol;
    for (char c : i < window.symbols.size() ? window.symbols[i] : std::string_view("-"))
      if (c != ' ') symbol += c;
    out << e.number << ' ' << symbol << ' ' << e.spaceGroups << '\n';
  }
  return 0;
}

Register reg("symbols", "symbols SYSTEM   the catalogue entries of a crystal system, as --symbol numbers them",
             Symbols);

}  // namespace
}  // namespace quorlin::cli
