// quorlin-cli cells: lists a unit-cell library (.ucl) and adds a cell to it.
// Groups and slots are counted from 1, as the library window lists them.
#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>
#include <string>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "phases/unit_cell_library.h"
#include "reflections/catalogue.h"

namespace quorlin::cli {
namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

void List(const UnitCellLibrary& lib, std::ostream& out) {
  out << "# group group_name slot name system symbol a b c alpha beta gamma\n";
  for (int g = 0; g < UnitCellLibrary::kGroups; ++g)
    for (int c = 0; c < UnitCellLibrary::kSlots; ++c) {
      const UnitCellEntry& e = lib.Entry(g, c);
      if (e.Free()) continue;
      out << g + 1 << " " << Quoted(lib.GroupName(g)) << " " << c + 1 << " " << Quoted(e.name) << " "
          << CrystalSystemName(e.symmetry) << " " << e.extinction;
      for (float p : e.parameters) out << " " << SingleText(p);
      out << "\n";
    }
}

// Whether a cell has the shape its crystal system demands (trigonal on
// hexagonal or on rhombohedral axes). The window applies a chosen entry
// through that system's constraints, so a cubic "5 6 7" would come back as
// another cell than the one listed.
bool CellFitsSystem(std::int32_t system, const std::array<float, 6>& p) {
  auto same = [](float x, float y) { return std::fabs(x - y) <= 1e-5f * std::max(std::fabs(x), std::fabs(y)); };
  const auto& [a, b, c, al, be, ga] = p;
  const bool right = same(al, 90) && same(be, 90) && same(ga, 90);
  const bool hexagonal = same(a, b) && same(al, 90) && same(be, 90) && same(ga, 120);
  switch (system) {
    case 1:
      return same(a, b) && same(a, c) && right;
    case 2:
      return hexagonal;
    case 3:
      return hexagonal || (same(a, b) && same(a, c) && same(al, be) && same(al, ga));
    case 4:
      return same(a, b) && right;
    case 5:
      return right;
    case 6:
      return same(al, 90) && same(ga, 90);
    default:
      return true;
  }
}

int Cells(const Args& args, std::ostream& out, std::ostream&) {
  const char* usage =
      "usage: cells FILE.ucl [--add GROUP SLOT NAME --cell A B C ALPHA BETA GAMMA [--system NAME] [--symbol N]]";
  if (args.empty()) throw QuorlinError(usage);
  const std::string& file = args[0];
  bool add = false, haveCell = false;
  int group = 0, slot = 0;
  UnitCellEntry entry;
  ArgReader reader(args, 1);
  while (!reader.Done()) {
    const std::string& opt = reader.Take();
    auto values = [&](std::size_t n) {
      return reader.Values(n, opt + " needs " + std::to_string(n) + " value(s)");
    };
    if (opt == "--add") {
      const auto v = values(3);
      group = IntegerArg(v[0], "--add GROUP");
      slot = IntegerArg(v[1], "--add SLOT");
      if (group < 1 || group > UnitCellLibrary::kGroups) throw QuorlinError("--add GROUP: expected 1..8");
      if (slot < 1 || slot > UnitCellLibrary::kSlots) throw QuorlinError("--add SLOT: expected 1..20");
      entry.name = v[2];
      if (entry.name.empty() || entry.name == ".")
        throw QuorlinError("--add NAME: a cell needs a name other than \".\"");
      add = true;
    } else if (opt == "--cell") {
      entry.parameters = CellArg(values(6), false);
      haveCell = true;
    } else if (opt == "--system") {
      entry.symmetry = SystemArg(values(1)[0]);
    } else if (opt == "--symbol") {
      entry.extinction = static_cast<std::int16_t>(IntegerArg(values(1)[0], "--symbol"));
    } else {
      throw QuorlinError("unknown option \"" + opt + "\"; " + usage);
    }
  }

  UnitCellLibrary lib = UnitCellLibrary::ReadFile(file);
  if (add) {
    if (!haveCell) throw QuorlinError("--add needs --cell A B C ALPHA BETA GAMMA");
    if (!CellCanExist(entry.parameters)) throw QuorlinError("--cell: this cell cannot exist");
    if (!CellFitsSystem(entry.symmetry, entry.parameters))
      throw QuorlinError("--cell: this cell does not have the shape of the " +
                         std::string(CrystalSystemName(entry.symmetry)) + " system");
    const auto entries = CatalogueEntries(entry.symmetry);
    if (entry.extinction < -1 || entry.extinction >= static_cast<int>(entries.size()))
      throw QuorlinError("--symbol " + std::to_string(entry.extinction) + ": the " +
                         std::string(CrystalSystemName(entry.symmetry)) + " system has entries 0.." +
                         std::to_string(static_cast<int>(entries.size()) - 1) + " (or -1 for none)");
    UnitCellEntry& target = lib.Entry(group - 1, slot - 1);
    if (!target.Free())
      throw QuorlinError(file + ": group " + std::to_string(group) + " slot " + std::to_string(slot) +
                         " already holds \"" + target.name + "\"");
    target = entry;
    lib.WriteFile(file);
  } else if (haveCell) {
    throw QuorlinError("--cell is only used with --add");
  }
  List(lib, out);
  return 0;
}

Register reg("cells",
             "cells FILE.ucl [--add GROUP SLOT NAME --cell A B C ALPHA BETA GAMMA [--system NAME] [--symbol N]]   "
             "list a unit-cell library, or add a cell to a free slot (groups 1..8, slots 1..20)",
             Cells);

}  // namespace
}  // namespace quorlin::cli
