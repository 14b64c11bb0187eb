// Equations of state: isotherms, thermal pressures and the jcpds thermal
// model. Volumes in Angstrom^3 per cell, pressures in GPa, temperatures in K.
#pragma once

#include <array>
#include <optional>

#include "reflections/card_phase.h"

namespace quorlin {

enum class IsothermForm { Vinet, BirchMurnaghan3 };

struct Isotherm {
  IsothermForm form = IsothermForm::Vinet;
  double V0 = 0;   // cell volume at zero pressure, Angstrom^3
  double K0 = 0;   // isothermal bulk modulus, GPa
  double K0p = 0;  // its pressure derivative
};

// Vinet: P = 3 K0 (1 - y) / y^2 exp[1.5 (K0' - 1)(1 - y)], y = (V/V0)^(1/3).
// Birch-Murnaghan 3rd order: P = 1.5 K0 (x^-7/3 - x^-5/3) [1 + 0.75 (K0' - 4)(x^-2/3 - 1)], x = V/V0.
double IsothermPressure(const Isotherm& e, double V);
// The volume at pressure P on the isotherm (bisection in V/V0 from 0.2 to
// 2); 0 when P lies beyond that span.
double IsothermVolume(const Isotherm& e, double P);

// D3(x) = 3/x^3 * integral_0^x t^3/(e^t - 1) dt, to about 1e-12.
double DebyeFunction3(double x);

enum class GammaForm {
  None,      // no thermal pressure: a room-temperature isotherm
  PowerLaw,  // gamma = gamma0 (V/V0)^q, theta = theta0 exp[(gamma0 - gamma)/q]
  Tange,     // gamma = gamma0 [1 + a((V/V0)^b - 1)], theta = theta0 (V/V0)^-((1-a) gamma0) exp[(gamma0 - gamma)/b]
};

// Mie-Grueneisen-Debye thermal pressure relative to the reference temperature:
// P_th = gamma / V_mol [E(V, T) - E(V, T0)], E = 3 n R T D3(theta/T).
struct ThermalModel {
  GammaForm form = GammaForm::None;
  double theta0 = 0;  // Debye temperature at V0, K
  double gamma0 = 0;  // Grueneisen parameter at V0
  double q = 1;       // PowerLaw: volume exponent
  double a = 0, b = 1;  // Tange: its two parameters
  double atoms = 1;   // atoms per formula unit
  double Z = 1;       // formula units per cell
  double T0 = 300;    // reference temperature of the isotherm, K
};
double Grueneisen(const ThermalModel& m, double volumeRatio);
double DebyeTemperature(const ThermalModel& m, double volumeRatio);
// GPa at cell volume V (Angstrom^3) with V0 the isotherm's.
double ThermalPressure(const ThermalModel& m, double V0, double V, double T);

// The thermal model of jcpds cards of VERSION 4: the zero-pressure volume
// expands as V0(T) = V0 exp[alpha0 (T - T0) + dalpha/dT (T - T0)^2 / 2],
// K0 and K0' move linearly with T, and the cell follows a Birch-Murnaghan
// isotherm at T.
struct JcpdsThermal {
  double V0 = 0, K0 = 0, K0p = 4;
  double dK0dT = 0, dK0pdT = 0;  // GPa/K, 1/K
  double alpha0 = 0, dAlphadT = 0;  // 1/K, 1/K^2
  double T0 = 298;
};
// The cell volume at P (GPa) and T (K); 0 when none is found.
double JcpdsVolume(const JcpdsThermal& m, double P, double T);

// A card phase's thermal model (its V0 the card cell's volume).
JcpdsThermal CardThermal(const CardPhase& card);
// (V(P, T) / V0)^(1/3), the factor every edge of a card phase takes at P and
// T: the cards give one bulk modulus, no per-axis terms, so the cell keeps
// its shape. Exactly 1 at P = 0 and the reference temperature; empty when
// the card gives no K0 or its isotherm has no volume there.
std::optional<double> CardEdgeScale(const CardPhase& card, double P, double T);
// The card's cell at P and T, angles as on the card; empty as above.
std::optional<std::array<float, 6>> CardCellAt(const CardPhase& card, double P, double T);

}  // namespace quorlin
