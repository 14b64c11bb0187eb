// quorlin-cli superlattice --cell A B C ALPHA BETA GAMMA --point X Y Z
// [--limits HMIN HMAX KMIN KMAX LMIN LMAX] [--transform]: the spacings of
// the reflections a lattice point at (X, Y, Z) of the reciprocal lattice
// adds, one row per index triple (h k l of the shifted vector, then d); with
// --transform, the doubled cell of that point instead.
#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "lattice/superlattice.h"
#include "reflections/pattern.h"

namespace quorlin::cli {
namespace {

int RunSuperlattice(const Args& args, std::ostream& out, std::ostream& /*err*/) {
  std::optional<std::array<float, 6>> cellArgs;
  std::optional<std::array<float, 3>> point;
  CPattern pattern;
  bool transform = false;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (a == "--transform") {
      transform = true;
    } else if (a == "--cell") {
      cellArgs = CellArg(reader.Values(6, "--cell: expected A B C ALPHA BETA GAMMA"), false);
    } else if (a == "--point") {
      const auto v = reader.Values(3, "--point: expected X Y Z");
      point = std::array<float, 3>{SingleArg(v[0], "--point"), SingleArg(v[1], "--point"), SingleArg(v[2], "--point")};
    } else if (a == "--limits") {
      const auto words = reader.Values(6, "--limits: expected HMIN HMAX KMIN KMAX LMIN LMAX");
      std::array<std::int16_t, 6> v{};
      for (std::size_t k = 0; k < 6; ++k) v[k] = static_cast<std::int16_t>(IntegerArg(words[k], "--limits"));
      for (std::size_t k = 0; k < 6; k += 2)
        if (v[k] > v[k + 1] || v[k] < -100 || v[k + 1] > 100)
          throw QuorlinError("--limits: each range must run upwards within -100..100");
      pattern.hmin = v[0], pattern.hmax = v[1], pattern.kmin = v[2], pattern.kmax = v[3];
      pattern.lmin = v[4], pattern.lmax = v[5];
    } else {
      throw QuorlinError("unknown argument \"" + a + "\"");
    }
  }
  if (!cellArgs) throw QuorlinError("--cell A B C ALPHA BETA GAMMA is required");
  if (!point) throw QuorlinError("--point X Y Z is required");
  CUnitCell cell;
  if (!cell.SetCell(1, *cellArgs)) throw QuorlinError("--cell: impossible cell");

  if (transform) {
    auto lp = FindLatticePoint((*point)[0], (*point)[1], (*point)[2]);
    if (!lp)
      throw QuorlinError("--point: --transform needs one of the seven cell-doubling points (0 or 0.5 in each place)");
    auto rp = DoubledReciprocalCell(cell, lp->transformation);
    CUnitCell doubled;
    if (!rp || !doubled.SetCell(-1, *rp)) throw QuorlinError("the doubled cell is out of range");
    out << "# a b c alpha beta gamma\n";
    for (int i = 0; i < 6; ++i) out << (i ? " " : "") << doubled.CellParameters(i, 1);
    out << '\n';
    return 0;
  }
  out << "# h k l d\n";
  for (const ShiftedReflection& r : SuperlatticeReflections(cell, pattern, (*point)[0], (*point)[1], (*point)[2]))
    out << SingleText(r.h) << ' ' << SingleText(r.k) << ' ' << SingleText(r.l) << ' ' << SingleText(r.d) << '\n';
  return 0;
}

const Register reg("superlattice",
                   "superlattice --cell A B C ALPHA BETA GAMMA --point X Y Z "
                   "[--limits HMIN HMAX KMIN KMAX LMIN LMAX] [--transform]",
                   RunSuperlattice);

}  // namespace
}  // namespace quorlin::cli
