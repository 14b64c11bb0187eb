// quorlin-cli pressure: the pressure of a cubic standard from its cell edge.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "energy/pressure_scale.h"

namespace quorlin::cli {
namespace {

int Pressure(const Args& args, std::ostream& out, std::ostream& /*err*/) {
  std::optional<PressureStandard> standard;
  std::vector<double> edges;
  double celsius = 25;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    const std::string unexpected = "unexpected argument \"" + a + "\"";
    if (a == "--standard") {
      const std::string& name = reader.Values(1, unexpected)[0];
      standard = PressureStandardFromName(name);
      if (!standard) throw QuorlinError("--standard: \"" + name + "\" is not NaCl, KCl, CsCl, Au, MgO or W");
    } else if (a == "--T") {
      celsius = NumberArg(reader.Values(1, unexpected)[0], "--T");
    } else if (a == "--a") {
      while (!reader.Done() && reader.Peek().rfind("--", 0) != 0) edges.push_back(NumberArg(reader.Take(), "--a"));
    } else {
      throw QuorlinError(unexpected);
    }
  }
  if (!standard) throw QuorlinError("--standard is required");
  if (edges.empty()) throw QuorlinError("--a needs at least one cell edge");
  // Every edge is checked before anything is printed.
  std::vector<PressureResult> results;
  for (double a : edges) results.push_back(PressureFromEdge(*standard, a, celsius));
  out << "# standard a T V/V0 P_GPa P_kbar\n";
  if (IsRoomTemperatureIsotherm(*standard) && celsius != 25)
    out << "# " << PressureStandardName(*standard) << " is a room-temperature isotherm: T is not used\n";
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const PressureResult& r = results[i];
    out << PressureStandardName(*standard) << " " << DoubleText(edges[i]) << " " << DoubleText(celsius) << " "
        << GeneralText(r.volumeRatio) << " " << GeneralText(r.GPa()) << " " << GeneralText(r.kbar) << "\n";
  }
  return 0;
}

Register reg("pressure",
             "pressure --standard NaCl|KCl|CsCl|Au|MgO|W --a A [A ...] [--T CELSIUS]   pressure from a cell edge",
             Pressure);

}  // namespace
}  // namespace quorlin::cli
