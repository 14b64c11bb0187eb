// quorlin-cli xray: an element's X-ray data and its cross sections.
#include <array>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "xray/mcmaster_data.h"
#include "xray/periodic_table.h"

namespace quorlin::cli {
namespace {

int Xray(const Args& args, std::ostream& out, std::ostream& /*err*/) {
  std::string element;
  std::vector<float> energies;
  std::string unit = "B";
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (a == "--unit" && !reader.Done()) {
      const std::string& u = reader.Value();
      if (u == "barn")
        unit = "B";
      else if (u == "cm2/g")
        unit = "C";
      else
        throw QuorlinError("--unit: \"" + u + "\" is not barn or cm2/g");
    } else if (element.empty()) {
      element = a;
    } else {
      const double e = NumberArg(a, "energy");
      if (!(e > 0) || !std::isfinite(static_cast<float>(e)))
        throw QuorlinError("energy: \"" + a + "\" is not a positive number of keV");
      energies.push_back(static_cast<float>(e));
    }
  }
  if (element.empty()) throw QuorlinError("usage: xray ELEMENT [ENERGY_keV ...] [--unit barn|cm2/g]");

  // An element by symbol, or by atomic number.
  std::string name = element;
  std::int16_t z = 0;
  if (auto number = StrictDouble(element)) {
    if (*number != RoundHalfEven(*number) || *number < 1 || *number > 94)
      throw QuorlinError("element: \"" + element + "\" is not an atomic number from 1 to 94");
    name = "  ";
    z = static_cast<std::int16_t>(*number);
  }
  clsPeriodicTable table;
  std::array<float, 11> xsec{};
  std::array<float, 10> e{};
  std::array<float, 5> w{};
  std::int16_t status = 0;
  const float elementOnly = -1;
  table.mucal(elementOnly, name, z, unit, xsec, e, w, false, status);
  if (status != 0) throw QuorlinError("element: \"" + element + "\" is not in the table (H to Pu)");

  auto S = [](float v) { return SingleText(v); };
  std::string symbol = name;
  if (symbol.back() == ' ') symbol.pop_back();
  if (!energies.empty()) {
    std::string n = "  ", u = unit;
    std::int16_t zz = z, st = 0;
    std::array<float, 11> x{};
    table.mucal(energies.front() > 0 ? energies.front() : 1.0f, n, zz, u, x, e, w, false, st);
    if (st == clsPeriodicTable::kNoCrossSections)
      throw QuorlinError("element: " + symbol + " (Z = " + std::to_string(z) + ") has no tabulated cross sections");
  }
  const McMasterElement& el = McMasterTable()[static_cast<std::size_t>(z)];
  out << "# element: " << symbol << "\n";
  out << "# Z: " << z << "\n";
  out << "# atomic weight: " << S(xsec[7]) << " g/mol\n";
  out << "# density: " << S(xsec[8]) << " g/cm3\n";
  out << "# conversion: " << S(el.conversion) << " barns/atom per cm2/g\n";
  out << "# L3 jump: " << S(xsec[10]) << "\n";
  out << "# edges keV: K " << S(e[1]) << " L1 " << S(e[2]) << " L2 " << S(e[3]) << " L3 " << S(e[4]) << " M " << S(e[5])
      << "\n";
  out << "# lines keV: Ka " << S(e[6]) << " Kb " << S(e[7]) << " La " << S(e[8]) << " Lb " << S(e[9]) << "\n";
  out << "# yields: K " << S(w[1]) << " L1 " << S(w[2]) << " L2 " << S(w[3]) << " L3 " << S(w[4]) << "\n";
  out << "# unit: " << (unit == "C" || unit == "C " ? "cm2/g" : "barn") << "\n";
  out << "# E_keV photoelectric coherent incoherent total linear_per_cm status\n";
  for (float energy : energies) {
    std::string n = "  ";
    std::int16_t zz = z, st = 0;
    std::string u = unit;
    table.mucal(energy, n, zz, u, xsec, e, w, false, st);
    out << S(energy) << " " << GeneralText(xsec[1]) << " " << GeneralText(xsec[2]) << " " << GeneralText(xsec[3]) << " "
        << GeneralText(xsec[4]) << " " << GeneralText(xsec[6]) << " " << st << "\n";
  }
  return 0;
}

Register reg("xray", "xray ELEMENT [ENERGY_keV ...] [--unit barn|cm2/g]   edges, lines and cross sections", Xray);

}  // namespace
}  // namespace quorlin::cli
