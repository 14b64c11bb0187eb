// quorlin-cli cell A B C ALPHA BETA GAMMA [--reciprocal]: builds a cell
// through the model's own checks and prints both lattices and the volume.
#include <array>
#include <cmath>
#include <ostream>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"

namespace quorlin::cli {
namespace {

int RunCell(const Args& args, std::ostream& out, std::ostream& /*err*/) {
  static const char* const kNames[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
  int basis = 1;
  Args values;
  for (const auto& a : args) {
    if (a == "--reciprocal") basis = -1;
    else values.push_back(a);
  }
  if (values.size() != 6) throw QuorlinError("expected six cell parameters A B C ALPHA BETA GAMMA");
  std::array<float, 6> p{};
  for (int i = 0; i < 6; ++i) {
    double v = NumberArg(values[i], kNames[i]);
    p[i] = static_cast<float>(v);
    if (!std::isfinite(p[i])) throw QuorlinError(std::string(kNames[i]) + ": \"" + values[i] + "\" is out of range");
  }
  // A new cell: free constraint type, absolute limits.
  CUnitCell cell;
  if (!cell.SetCell(basis, p)) {
    std::string text;
    for (const auto& v : values) text += (text.empty() ? "" : " ") + v;
    throw QuorlinError("impossible cell: " + text + (basis == 1 ? " (direct)" : " (reciprocal)"));
  }
  out << "# name value\n";
  for (int b : {1, -1})
    for (int i = 0; i < 6; ++i) out << kNames[i] << (b == 1 ? "" : "*") << ' ' << cell.CellParameters(i, b) << '\n';
  out << "volume " << SingleText(cell.Volume()) << '\n';
  out << "vnorm " << SingleText(cell.VNorm()) << '\n';
  out << "handedness " << cell.Handedness() << '\n';
  return 0;
}

const Register reg("cell", "cell A B C ALPHA BETA GAMMA [--reciprocal]", RunCell);

}  // namespace
}  // namespace quorlin::cli
