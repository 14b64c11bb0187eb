// quorlin-cli pressure: the pressure of a standard from its cell edge or
// volume, on the legacy standards (--standard) or on a named scale (--scale).
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "energy/pressure_scale.h"
#include "energy/scales.h"

namespace quorlin::cli {
namespace {

double KelvinArg(const std::string& text) {
  const std::optional<double> k = TemperatureKelvin(text);
  if (!k) throw QuorlinError("--T: \"" + text + "\" is not a temperature (300K, 25C, or degrees Celsius)");
  return *k;
}

int List(std::ostream& out) {
  out << "# scale material form V0 K0 K0p reference\n";
  for (const PressureScale& s : PressureScales()) {
    const bool decker = s.deckerCode != 0;
    out << s.name << " " << s.material << " " << s.form << " " << GeneralText(s.isotherm.V0) << " "
        << (decker ? "-" : GeneralText(s.isotherm.K0)) << " " << (decker ? "-" : GeneralText(s.isotherm.K0p)) << " "
        << s.reference << "\n";
  }
  return 0;
}

int OnScale(const PressureScale& s, const std::vector<double>& edges, const std::vector<double>& volumes,
            double kelvin, std::optional<double> su, std::ostream& out, std::ostream& err) {
  if (!edges.empty() && !s.cubic)
    throw QuorlinError("--a: " + std::string(s.name) + " is not cubic; give its cell volume with --volume");
  const bool byEdge = !edges.empty();
  const std::vector<double>& given = byEdge ? edges : volumes;
  struct Row {
    double V, P, su;
  };
  std::vector<Row> rows;
  // Everything is checked before anything is printed.
  for (double x : given) {
    if (!std::isfinite(x) || x <= 0)
      throw QuorlinError(std::string(byEdge ? "--a" : "--volume") + ": " + GeneralText(x) + " is not positive");
    const double V = byEdge ? x * x * x : x;
    Row r{V, ScalePressure(s, V, kelvin), 0};
    // su of P from the su of the edge (dV/da = 3a^2) or of the volume.
    if (su) r.su = std::fabs(ScalePressureSlope(s, V, kelvin) * (byEdge ? 3 * x * x : 1)) * *su;
    rows.push_back(r);
  }
  out << "# scale V T_K P_GPa" << (su ? " su_GPa" : "") << (byEdge ? " a" : "") << " V/V0\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    out << s.name << " " << GeneralText(r.V) << " " << GeneralText(kelvin) << " " << GeneralText(r.P);
    if (su) out << " " << GeneralText(r.su);
    if (byEdge) out << " " << DoubleText(given[i]);
    out << " " << GeneralText(r.V / s.isotherm.V0) << "\n";
    if (const std::string note = OutsideRangeNote(s, r.V, kelvin); !note.empty())
      err << "warning: " << note << "\n";
  }
  return 0;
}

int Pressure(const Args& args, std::ostream& out, std::ostream& err) {
  std::optional<PressureStandard> standard;
  const PressureScale* scale = nullptr;
  std::vector<double> edges, volumes;
  std::optional<double> su;
  // Decker's forms have always read 25 degrees Celsius without --T; a scale is
  // referred to 300 K, where its calibration starts.
  std::optional<std::string> tGiven;
  bool list = false;
  ArgReader reader(args);
  auto numbers = [&](std::vector<double>& into, const char* what) {
    while (!reader.Done() && reader.Peek().rfind("--", 0) != 0) into.push_back(NumberArg(reader.Take(), what));
  };
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    const std::string unexpected = "unexpected argument \"" + a + "\"";
    if (a == "--standard") {
      const std::string& name = reader.Values(1, unexpected)[0];
      standard = PressureStandardFromName(name);
      if (!standard) throw QuorlinError("--standard: \"" + name + "\" is not NaCl, KCl, CsCl, Au, MgO or W");
    } else if (a == "--scale") {
      const std::string& name = reader.Value();
      scale = FindPressureScale(name);
      if (!scale) throw QuorlinError("--scale: \"" + name + "\" is no scale (see pressure --list)");
    } else if (a == "--list") {
      list = true;
    } else if (a == "--T") {
      tGiven = reader.Values(1, unexpected)[0];
    } else if (a == "--su") {
      su = NumberArg(reader.Value(), "--su");
      if (!(*su >= 0)) throw QuorlinError("--su: must not be negative");
    } else if (a == "--a") {
      numbers(edges, "--a");
    } else if (a == "--volume") {
      numbers(volumes, "--volume");
    } else {
      throw QuorlinError(unexpected);
    }
  }
  if (list) return List(out);
  const std::string tText = tGiven ? *tGiven : (scale ? "300K" : "25");
  // A bare number is in degrees Celsius and is kept exactly as given.
  const double kelvin = KelvinArg(tText);
  const double celsius = StrictDouble(tText) ? NumberArg(tText, "--T") : kelvin - 273.15;
  if (standard && scale) throw QuorlinError("give --standard or --scale, not both");
  if (scale) {
    if (edges.empty() == volumes.empty()) throw QuorlinError("--scale needs either --a or --volume values");
    return OnScale(*scale, edges, volumes, kelvin, su, out, err);
  }
  if (!standard) throw QuorlinError("--standard is required");
  if (edges.empty()) throw QuorlinError("--a needs at least one cell edge");
  // Every edge is checked before anything is printed.
  std::vector<PressureResult> results;
  for (double a : edges) results.push_back(PressureFromEdge(*standard, a, celsius));
  out << "# standard a T V/V0 P_GPa P_kbar\n";
  if (IsRoomTemperatureIsotherm(*standard) && celsius != 25)
    out << "# " << PressureStandardName(*standard) << " is a room-temperature isotherm: T is not used\n";
  const PressureScale& range = ScaleOfStandard(*standard);
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const PressureResult& r = results[i];
    out << PressureStandardName(*standard) << " " << DoubleText(edges[i]) << " " << DoubleText(celsius) << " "
        << GeneralText(r.volumeRatio) << " " << GeneralText(r.GPa()) << " " << GeneralText(r.kbar) << "\n";
    const double atK = IsRoomTemperatureIsotherm(*standard) ? 300 : kelvin;
    if (const std::string note = OutsideRangeNote(range, r.volumeRatio * range.isotherm.V0, atK); !note.empty())
      err << "warning: " << note << "\n";
  }
  return 0;
}

Register reg("pressure",
             "pressure --standard NaCl|KCl|CsCl|Au|MgO|W --a A [A ...] [--T T]   pressure from a cell edge\n"
             "  pressure --list   the scales\n"
             "  pressure --scale NAME (--a A ... | --volume V ...) [--T T] [--su SU]   pressure on a scale "
             "(T as 300K, 25C or degrees Celsius)",
             Pressure);

}  // namespace
}  // namespace quorlin::cli
