// quorlin-cli reflections: the reflections of one phase with their spacings,
// and, given a source, where the plot draws each of them.
//
// The options live in one table; each row reads its arguments into the
// Request. The diffraction axis (--wavelength, --tube, --energy) switches the
// listing to one row per drawn line, converted by the plot's own geometry.
#include <array>
#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <optional>
#include <span>
#include <vector>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "plot/xrd_plot.h"
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
  // The diffraction axis: a wavelength or a tube (2-theta in degrees), or a
  // detector angle (energy in keV). Without any, only d is listed.
  std::optional<float> wavelength;
  std::string tube;
  std::optional<float> energyTwoTheta;
  std::optional<float> displacement;
  std::optional<std::array<float, 2>> range;
};

struct Option {
  std::string name;
  int arguments;
  std::function<void(Request&, std::span<const std::string>)> read;
};

const std::vector<Option>& Options() {
  static const std::vector<Option> options = {
      {"--cell", 6,
       [](Request& r, std::span<const std::string> a) {
         r.cell = CellArg(a, true);
         r.haveCell = true;
       }},
      {"--system", 1, [](Request& r, std::span<const std::string> a) { r.system = SystemArg(a[0]); }},
      {"--symbol", 1,
       [](Request& r, std::span<const std::string> a) {
         r.symbol = static_cast<std::int16_t>(IntegerArg(a[0], "--symbol"));
       }},
      {"--limits", 6,
       [](Request& r, std::span<const std::string> a) {
         static const char* names[6] = {"--limits hmin", "--limits hmax", "--limits kmin",
                                        "--limits kmax", "--limits lmin", "--limits lmax"};
         for (int i = 0; i < 6; ++i) r.limits[i] = static_cast<std::int16_t>(IntegerArg(a[i], names[i]));
       }},
      {"--unique", 0, [](Request& r, std::span<const std::string>) { r.query.uniqueOnly = true; }},
      {"--absent", 0, [](Request& r, std::span<const std::string>) { r.query.absent = true; }},
      {"--wavelength", 1,
       [](Request& r, std::span<const std::string> a) {
         float v = SingleArg(a[0], "--wavelength");
         if (!(v > CData::kMinWavelength)) throw QuorlinError("--wavelength: \"" + a[0] + "\" must exceed 0.01 Angstrom");
         r.wavelength = v;
       }},
      {"--tube", 1,
       [](Request& r, std::span<const std::string> a) {
         if (a[0] != "Cu" && a[0] != "Mo") throw QuorlinError("--tube: \"" + a[0] + "\" is not a tube (Cu or Mo)");
         r.tube = a[0];
       }},
      {"--energy", 1,
       [](Request& r, std::span<const std::string> a) {
         float v = SingleArg(a[0], "--energy");
         if (!(v > 0.0f && v < 180.0f))
           throw QuorlinError("--energy: \"" + a[0] + "\" is not a detector angle between 0 and 180 degrees");
         r.energyTwoTheta = v;
       }},
      {"--displacement", 1,
       [](Request& r, std::span<const std::string> a) { r.displacement = SingleArg(a[0], "--displacement"); }},
      {"--range", 2,
       [](Request& r, std::span<const std::string> a) {
         std::array<float, 2> w{SingleArg(a[0], "--range MIN"), SingleArg(a[1], "--range MAX")};
         if (!(w[0] < w[1])) throw QuorlinError("--range: MIN must be below MAX");
         r.range = w;
       }},
  };
  return options;
}

Request Parse(const Args& args) {
  Request r;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& word = reader.Take();
    const Option* option = nullptr;
    for (const auto& o : Options())
      if (o.name == word) option = &o;
    if (!option) throw QuorlinError("unknown option \"" + word + "\"");
    option->read(r, reader.Values(static_cast<std::size_t>(option->arguments)));
  }
  if (!r.haveCell) throw QuorlinError("--cell A B C ALPHA BETA GAMMA is required");
  const int axes = (r.wavelength ? 1 : 0) + (r.tube.empty() ? 0 : 1) + (r.energyTwoTheta ? 1 : 0);
  if (axes > 1) throw QuorlinError("--wavelength, --tube and --energy exclude each other");
  if (axes == 0 && (r.range || r.displacement))
    throw QuorlinError("--range and --displacement need --wavelength, --tube or --energy");
  if (r.energyTwoTheta && r.displacement) throw QuorlinError("--displacement applies to 2-theta, not to --energy");
  return r;
}

void Print(std::ostream& out, const CPattern& pattern, const std::vector<ReflectionRow>& rows) {
  const std::string groups = pattern.SpaceGroupList.empty() ? "(none)" : pattern.SpaceGroupList;
  out << "# h k l d   space groups: " << groups << "\n";
  for (const auto& row : rows) out << row.h << ' ' << row.k << ' ' << row.l << ' ' << SingleText(row.d) << "\n";
}

// The source lines of the request in a data set: one line at full height for
// --wavelength, the tube's three lines with their default intensities.
void SetUpSource(const Request& r, CData& data) {
  data.ReadObjectState("", PropertyBag{});  // the factory table: Cu line 0 on
  data.SetLineExists(0, false);
  if (r.wavelength) {
    data.SetLambda(0, *r.wavelength);
    data.SetSourceIntensity(0, 1.0f);
    data.SetLineExists(0, true);
    data.PrimaryLine = 0;
  } else {
    const int first = r.tube == "Mo" ? 3 : 0;
    for (int i = first; i < first + 3; ++i) data.SetLineExists(i, true);
    data.PrimaryLine = static_cast<float>(first);
    data.TubeType = r.tube;
  }
}

// One row per line the plot would draw: per reflection and per source line
// that is on, at x = 2-theta (degrees) or energy (keV), strictly inside the
// range when one is given; a reflection a line cannot reach is left out.
void PrintAxis(std::ostream& out, const Request& r, const CPattern& pattern, const std::vector<ReflectionRow>& rows) {
  CData data;
  CXRDPlot plot(data);
  const bool energy = r.energyTwoTheta.has_value();
  if (!energy) {
    SetUpSource(r, data);
    plot.SpecimenDisplacement = r.displacement.value_or(0.0f);
  }
  const std::string groups = pattern.SpaceGroupList.empty() ? "(none)" : pattern.SpaceGroupList;
  out << "# h k l d x source intensity   x: " << (energy ? "energy (keV)" : "2-theta (degrees)")
      << "   space groups: " << groups << "\n";
  auto emit = [&](const ReflectionRow& row, float x, int source, float intensity) {
    if (!std::isfinite(x)) return;
    if (r.range && !((*r.range)[0] < x && x < (*r.range)[1])) return;
    out << row.h << ' ' << row.k << ' ' << row.l << ' ' << SingleText(row.d) << ' ' << SingleText(x) << ' ' << source
        << ' ' << SingleText(intensity) << "\n";
  };
  for (const auto& row : rows) {
    if (energy) {
      emit(row, CXRDPlot::EnergyFromD(row.d, *r.energyTwoTheta), 0, 1.0f);
      continue;
    }
    for (int i = 0; i <= data.NumberOfSourceLines(); ++i)
      if (data.LineExists(i)) emit(row, plot.TTFromD(data.Lambda(i), row.d), i, data.SourceIntensity(i));
  }
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
  const auto rows = EnumerateReflections(pattern, cell, r.query);
  if (r.wavelength || !r.tube.empty() || r.energyTwoTheta)
    PrintAxis(out, r, pattern, rows);
  else
    Print(out, pattern, rows);
  return 0;
}

const Register reg("reflections",
                   "reflections --cell A B C ALPHA BETA GAMMA [--system NAME|1..8] [--symbol N] "
                   "[--limits HMIN HMAX KMIN KMAX LMIN LMAX] [--unique] [--absent] "
                   "[--wavelength L | --tube Cu|Mo | --energy TWO_THETA] [--displacement S] [--range MIN MAX]",
                   Run);

}  // namespace
}  // namespace quorlin::cli
