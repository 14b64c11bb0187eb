// How every subcommand counts and reads the values after its options: a
// missing or unreadable value is refused with exit 2 and one stderr line that
// names the option. The lines are the ones scripts already match on.
#include <gtest/gtest.h>

#include <string>

#include "support/shell.h"

namespace {

using quorlin::testing::CliCommand;
using quorlin::testing::RunShell;

TEST(CliArguments, MissingAndUnreadableOptionValuesAreRefusedByName) {
  // Files that do not exist: every refusal here comes before a file is read.
  const struct {
    std::string args, line;
  } cases[] = {
      {"cells /nonexistent/x.ucl --add 1 2", "cells: --add needs 3 value(s)"},
      {"cells /nonexistent/x.ucl --add 1 2 n --cell 1 2 x 4 5 6", "cells: --cell: \"x\" is not a number"},
      {"cells /nonexistent/x.ucl --system 9",
       "cells: --system: \"9\" is not a crystal system (cubic, hexagonal, trigonal, tetragonal, orthorhombic, "
       "monoclinic, triclinic, none, or 1..8)"},
      {"jcpds /nonexistent/c.jcpds --write o --cell 1 2",
       "jcpds: usage: jcpds CARD [--write OUT [--cell A B C ALPHA BETA GAMMA]]"},
      {"refine p.xy --cell 1 2 3 4 5", "refine: --cell needs 6 values"},
      {"refine p.xy --cell 1 2 3 4 x 6", "refine: --cell beta: \"x\" is not a number"},
      {"refine p.xy --cell 4 4 4 90 90 90 --system 9",
       "refine: --system: \"9\" is not a crystal system (cubic .. none, or 1..8)"},
      {"refine p.xy --cell 4 4 4 90 90 90 --range 1", "refine: --range needs 2 values"},
      {"reflections --cell 5 5 5 90 90 90 --limits 1 2 3", "reflections: --limits needs 6 values"},
      {"reflections --cell 5 5 5 90 x 90", "reflections: --cell beta: \"x\" is not a number"},
      {"superlattice --cell 1 2 3 4 5", "superlattice: --cell: expected A B C ALPHA BETA GAMMA"},
      {"superlattice --cell 5 5 5 90 90 90 --point 0.5 0.5", "superlattice: --point: expected X Y Z"},
      {"transform --cell 5 5 5 90 90 x", "transform: --cell: \"x\" is not a number"},
      {"transform --cell 5 5 5 90 90 90 --matrix 1 0 0 0 1 0 0 0",
       "transform: --matrix: expected nine numbers \"T00 T01 T02 T10 .. T22\""},
      {"pressure --standard NaCl --a 5.6 --T", "pressure: unexpected argument \"--T\""},
      {"pressure --standard NaCl --a 5.6 x", "pressure: --a: \"x\" is not a number"},
      {"edfit s.mca --card", "edfit: --card needs a value"},
      {"edfit s.mca --card c.jcpds --points 1.5", "edfit: --points: \"1.5\" is not an integer"},
      {"convert f.xy -o", "convert: -o needs a value"},
  };
  for (const auto& c : cases) {
    const auto r = RunShell(CliCommand(c.args) + " 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.output, "quorlin-cli " + c.line + "\n") << c.args;
  }
}

}  // namespace
