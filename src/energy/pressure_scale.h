// Pressure from the measured cubic cell edge of a pressure standard. The
// alkali halides use the Decker equation of state (with temperature); Au,
// MgO and W use a 300 K Vinet isotherm from published parameters.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorlin {

enum class PressureStandard { NaCl, KCl, CsCl, Au, MgO, W };

// "NaCl", "KCl", "CsCl", "Au", "MgO", "W" (any case); empty when unknown.
std::optional<PressureStandard> PressureStandardFromName(std::string_view name);
std::string_view PressureStandardName(PressureStandard s);

// Cell edge at the reference volume, Angstrom.
double ReferenceEdge(PressureStandard s);
// True for the standards whose pressure ignores the temperature.
bool IsRoomTemperatureIsotherm(PressureStandard s);

struct VinetParameters {
  double V0;   // cell volume at zero pressure, Angstrom^3
  double K0;   // bulk modulus, GPa
  double K0p;  // its pressure derivative
};
VinetParameters VinetOf(PressureStandard s);  // Au, MgO or W
// Vinet isotherm: P = 3 K0 (1 - y) / y^2 exp[1.5 (K0' - 1)(1 - y)], y = (V/V0)^(1/3); GPa.
double VinetPressure(const VinetParameters& p, double volumeRatio);

struct PressureResult {
  double volumeRatio = 1;  // V / V0
  double kbar = 0;
  double GPa() const { return kbar / 10; }
  std::int16_t deckerStatus = 0;  // the Decker status (0 for the Vinet standards)
};

// Throws QuorlinError for an edge that is not positive and finite, a
// temperature at or below absolute zero, or a Decker evaluation that gives no
// pressure. The volume change goes through single precision, as the dialog
// computes it.
PressureResult PressureFromEdge(PressureStandard s, double a, double celsius);

}  // namespace quorlin
