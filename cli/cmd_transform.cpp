// quorlin-cli transform --cell A B C ALPHA BETA GAMMA --matrix "T00 .. T22"
// [--reciprocal]: the cell in a new basis, a' = T00 a + T01 b + T02 c and so
// on (rows a', b', c'), through the metric tensor as the transformation
// window computes it. With --reciprocal the cell given is the reciprocal one
// (as for `cell`), and its basis a*, b*, c* is the one transformed.
#include <array>
#include <cmath>
#include <ostream>
#include <sstream>
#include <string>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "lattice/transformations.h"

namespace quorlin::cli {
namespace {

// Nine numbers, given as one quoted argument or as nine arguments.
CMatrix33 MatrixArg(ArgReader& reader) {
  std::vector<std::string> words;
  if (!reader.Done()) {
    std::istringstream in(reader.Peek());
    for (std::string w; in >> w;) words.push_back(w);
  }
  if (words.size() == 9) {
    reader.Value();
  } else {
    const auto nine = reader.Values(9, "--matrix: expected nine numbers \"T00 T01 T02 T10 .. T22\"");
    words.assign(nine.begin(), nine.end());
  }
  CMatrix33 t;
  for (int k = 0; k < 9; ++k) t.SetSelf(k / 3, k % 3, SingleArg(words[static_cast<std::size_t>(k)], "--matrix"));
  return t;
}

int RunTransform(const Args& args, std::ostream& out, std::ostream& err) {
  std::optional<std::array<float, 6>> cellArgs;
  std::optional<CMatrix33> matrix;
  int lattice = 1;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (a == "--reciprocal") {
      lattice = -1;
    } else if (a == "--cell") {
      cellArgs = CellArg(reader.Values(6, "--cell: expected A B C ALPHA BETA GAMMA"), false);
    } else if (a == "--matrix") {
      matrix = MatrixArg(reader);
    } else {
      throw QuorlinError("unknown argument \"" + a + "\"");
    }
  }
  if (!cellArgs) throw QuorlinError("--cell A B C ALPHA BETA GAMMA is required");
  if (!matrix) throw QuorlinError("--matrix \"T00 T01 T02 T10 T11 T12 T20 T21 T22\" is required");

  CUnitCell cell;
  if (!cell.SetCell(lattice, *cellArgs)) throw QuorlinError("--cell: impossible cell");
  double det = Determinant(*matrix);
  if (std::abs(det) < kSingularDeterminant) throw QuorlinError("singular matrix (determinant " + DoubleText(det) + ")");
  CMatrix33 g;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) g.SetSelf(i, j, cell.Metric(lattice, i, j));
  auto p = TransformedParameters(g, *matrix);
  if (!p) throw QuorlinError("the new basis is degenerate (a cosine at or beyond +-1)");

  CUnitCell check;
  if (!check.IsPossible(lattice, (*p)[0], (*p)[1], (*p)[2], CAngle::FromDegrees((*p)[3]), CAngle::FromDegrees((*p)[4]),
                        CAngle::FromDegrees((*p)[5])))
    err << "note: the new cell lies outside the cell limits; the window would refuse it (Out of Range.)\n";
  out << (lattice == 1 ? "# a b c alpha beta gamma\n" : "# a* b* c* alpha* beta* gamma*\n");
  for (std::size_t i = 0; i < 6; ++i) out << (i ? " " : "") << SingleText((*p)[i]);
  out << '\n';
  return 0;
}

const Register reg("transform",
                   "transform --cell A B C ALPHA BETA GAMMA --matrix \"T00 T01 T02 T10 T11 T12 T20 T21 T22\" "
                   "[--reciprocal]",
                   RunTransform);

}  // namespace
}  // namespace quorlin::cli
