// quorlin-cli reflections: the reflections of one phase with their spacings.
//
// The options live in one table; each row reads its arguments into the
// Request. Further options (the diffraction axis, say) add rows there and
// columns in Print without touching the rest.
#include <array>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"
#include "reflections/reflection_list.h"

namespace quorlin::cli {
namespace {

struct Request {
  bool haveCell = false;
  std::array<float, 6> cell{};
  std::int32_t system = NoSystem;
  std::int16_t symbol = 0;
  std::array<std::int16_t, 6> limits{-4, 4, -4, 4, 0, 4};
  ReflectionQuery query;
};

struct Option {
  std::string name;
  int arguments;
  std::function<void(Request&, const std::vector<std::string>&)> read;
};

float SingleArg(const std::string& text, std::string_view what) {
  auto v = StrictSingle(text);
  if (!v) throw QuorlinError(std::string(what) + ": \"" + text + "\" is not a number");
  return *v;
}

std::int32_t SystemArg(const std::string& text) {
  if (std::int32_t code = CrystalSystemFromName(text)) return code;
  auto v = StrictDouble(text);
  if (v && *v == RoundHalfEven(*v) && *v >= 1 && *v <= 8) return static_cast<std::int32_t>(*v);
  throw QuorlinError("--system: \"" + text +
                     "\" is not a crystal system (cubic, hexagonal, trigonal, tetragonal, orthorhombic, "
                     "monoclinic, triclinic, none, or 1..8)");
}

const std::vector<Option>& Options() {
  static const std::vector<Option> options = {
      {"--cell", 6,
       [](Request& r, const std::vector<std::string>& a) {
         static const char* names[6] = {"--cell a",     "--cell b",    "--cell c",
                                        "--cell alpha", "--cell beta", "--cell gamma"};
         for (int i = 0; i < 6; ++i) r.cell[i] = SingleArg(a[i], names[i]);
         r.haveCell = true;
       }},
      {"--system", 1, [](Request& r, const std::vector<std::string>& a) { r.system = SystemArg(a[0]); }},
      {"--symbol", 1,
       [](Request& r, const std::vector<std::string>& a) {
         r.symbol = static_cast<std::int16_t>(IntegerArg(a[0], "--symbol"));
       }},
      {"--limits", 6,
       [](Request& r, const std::vector<std::string>& a) {
         static const char* names[6] = {"--limits hmin", "--limits hmax", "--limits kmin",
                                        "--limits kmax", "--limits lmin", "--limits lmax"};
         for (int i = 0; i < 6; ++i) r.limits[i] = static_cast<std::int16_t>(IntegerArg(a[i], names[i]));
       }},
      {"--unique", 0, [](Request& r, const std::vector<std::string>&) { r.query.uniqueOnly = true; }},
      {"--absent", 0, [](Request& r, const std::vector<std::string>&) { r.query.absent = true; }},
  };
  return options;
}

Request Parse(const Args& args) {
  Request r;
  for (std::size_t i = 0; i < args.size();) {
    const Option* option = nullptr;
    for (const auto& o : Options())
      if (o.name == args[i]) option = &o;
    if (!option) throw QuorlinError("unknown option \"" + args[i] + "\"");
    const auto count = static_cast<std::size_t>(option->arguments);
    if (i + count >= args.size()) throw QuorlinError(option->name + " needs " + std::to_string(count) + " values");
    std::vector<std::string> values(args.begin() + static_cast<std::ptrdiff_t>(i + 1),
                                    args.begin() + static_cast<std::ptrdiff_t>(i + 1 + count));
    option->read(r, values);
    i += 1 + count;
  }
  if (!r.haveCell) throw QuorlinError("--cell A B C ALPHA BETA GAMMA is required");
  return r;
}

void Print(std::ostream& out, const CPattern& pattern, const std::vector<ReflectionRow>& rows) {
  const std::string groups = pattern.SpaceGroupList.empty() ? "(none)" : pattern.SpaceGroupList;
  out << "# h k l d   space groups: " << groups << "\n";
  for (const auto& row : rows) out << row.h << ' ' << row.k << ' ' << row.l << ' ' << SingleText(row.d) << "\n";
}

int Run(const Args& args, std::ostream& out, std::ostream&) {
  const Request r = Parse(args);
  CUnitCell cell;
  CPattern pattern;
  SetUpPhase(pattern, cell, r.system, r.symbol, r.cell);
  pattern.hmin = r.limits[0];
  pattern.hmax = r.limits[1];
  pattern.kmin = r.limits[2];
  pattern.kmax = r.limits[3];
  pattern.lmin = r.limits[4];
  pattern.lmax = r.limits[5];
  for (int i = 0; i < 7; ++i) pattern.PreviousState(i, true, true);
  Print(out, pattern, EnumerateReflections(pattern, cell, r.query));
  return 0;
}

const Register reg("reflections",
                   "reflections --cell A B C ALPHA BETA GAMMA [--system NAME|1..8] [--symbol N] "
                   "[--limits HMIN HMAX KMIN KMAX LMIN LMAX] [--unique] [--absent]",
                   Run);

}  // namespace
}  // namespace quorlin::cli
