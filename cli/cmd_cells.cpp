// quorlin-cli cells: lists a unit-cell library (.ucl) and adds a cell to it.
// Groups and slots are counted from 1, as the library window lists them.
#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>
#include <string>

#include "command.h"
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

std::int32_t SystemArg(const std::string& text) {
  if (std::int32_t code = CrystalSystemFromName(text)) return code;
  auto v = StrictDouble(text);
  if (v && *v == RoundHalfEven(*v) && *v >= 1 && *v <= 8) return static_cast<std::int32_t>(*v);
  throw QuorlinError("--system: \"" + text +
                     "\" is not a crystal system (cubic, hexagonal, trigonal, tetragonal, orthorhombic, "
                     "monoclinic, triclinic, none, or 1..8)");
}

int Cells(const Args& args, std::ostream& out, std::ostream&) {
  const char* usage =
      "usage: cells FILE.ucl [--add GROUP SLOT NAME --cell A B C ALPHA BETA GAMMA [--system NAME] [--symbol N]]";
  if (args.empty()) throw QuorlinError(usage);
  const std::string& file = args[0];
  bool add = false, haveCell = false;
  int group = 0, slot = 0;
  UnitCellEntry entry;
  for (std::size_t i = 1; i < args.size();) {
    const std::string& opt = args[i];
    auto need = [&](std::size_t n) {
      if (i + n >= args.size()) throw QuorlinError(opt + " needs " + std::to_string(n) + " value(s)");
    };
    if (opt == "--add") {
      need(3);
      group = IntegerArg(args[i + 1], "--add GROUP");
      slot = IntegerArg(args[i + 2], "--add SLOT");
      if (group < 1 || group > UnitCellLibrary::kGroups) throw QuorlinError("--add GROUP: expected 1..8");
      if (slot < 1 || slot > UnitCellLibrary::kSlots) throw QuorlinError("--add SLOT: expected 1..20");
      entry.name = args[i + 3];
      if (entry.name.empty() || entry.name == ".")
        throw QuorlinError("--add NAME: a cell needs a name other than \".\"");
      add = true;
      i += 4;
    } else if (opt == "--cell") {
      need(6);
      for (int p = 0; p < 6; ++p) {
        auto v = StrictSingle(args[i + 1 + static_cast<std::size_t>(p)]);
        if (!v) throw QuorlinError("--cell: \"" + args[i + 1 + static_cast<std::size_t>(p)] + "\" is not a number");
        entry.parameters[static_cast<std::size_t>(p)] = *v;
      }
      haveCell = true;
      i += 7;
    } else if (opt == "--system") {
      need(1);
      entry.symmetry = SystemArg(args[i + 1]);
      i += 2;
    } else if (opt == "--symbol") {
      need(1);
      entry.extinction = static_cast<std::int16_t>(IntegerArg(args[i + 1], "--symbol"));
      i += 2;
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
