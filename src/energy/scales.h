// The pressure scales: a standard's equation of state from one paper, with
// its reference volume, its form and the span of compression and
// temperature over which the paper calibrated it. Names read
// MATERIAL-AUTHORYEAR ("Au-Fei2007"); see docs/pressure-scales.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "energy/eos.h"
#include "energy/pressure_scale.h"

namespace quorlin {

struct PressureScale {
  std::string_view name;       // "Au-Fei2007"
  std::string_view material;   // "Au"
  std::string_view form;       // "Vinet", "Vinet-MGD", "BM3-MGD", "Decker"
  std::string_view reference;  // short citation
  Isotherm isotherm;           // V0 per cell (Z formula units)
  ThermalModel thermal;        // GammaForm::None for a 300 K isotherm
  int deckerCode = 0;          // 1 NaCl, 2 KCl, 3 CsCl for Decker's model, else 0
  bool cubic = true;           // false: give the volume, not an edge
  double minGPa = 0, maxGPa = 0;  // calibrated span at 300 K
  double minK = 300, maxK = 300;  // calibrated temperatures
};

// Every scale, in the order --list shows them.
const std::vector<PressureScale>& PressureScales();
// By full name, any case; nullptr when unknown.
const PressureScale* FindPressureScale(std::string_view name);
// The scale a legacy standard name falls under for its range.
const PressureScale& ScaleOfStandard(PressureStandard s);
// The scale a jcpds card's comment or file name names ("MgO", "periclase",
// "rhenium", a file "nacl.jcpds"), the material's first scale; nullptr when none.
const PressureScale* ScaleNamedBy(std::string_view comment, std::string_view fileName);

// Pressure in GPa at cell volume V (Angstrom^3) and T (K). Throws
// QuorlinError for a volume that is not positive and finite, a temperature
// at or below 0 K, or a Decker evaluation that gives no pressure.
double ScalePressure(const PressureScale& s, double V, double kelvin);
// dP/dV by central difference, GPa per Angstrom^3.
double ScalePressureSlope(const PressureScale& s, double V, double kelvin);

// V/V0 bounds of the calibrated span on the 300 K curve (maxGPa, and
// minGPa less 0.1 GPa).
struct RatioRange {
  double lo = 0, hi = 0;
};
RatioRange CalibratedRatios(const PressureScale& s);
// Empty inside the calibrated span; else one line naming it.
std::string OutsideRangeNote(const PressureScale& s, double V, double kelvin);

// "300K", "25C", or a bare number in degrees Celsius; kelvin. Empty when not a temperature.
std::optional<double> TemperatureKelvin(std::string_view text);

}  // namespace quorlin
