#include "energy/eos.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorlin {
namespace {

constexpr double kGasConstant = 8.314462618;  // J / (mol K)
constexpr double kAvogadro = 6.02214076e23;

// Bisection for the x in [lo, hi] where f(x) = 0, f decreasing.
template <class F>
double Bisect(F f, double lo, double hi) {
  if (!(f(lo) >= 0 && f(hi) <= 0)) return 0;
  for (int i = 0; i < 200 && hi - lo > 1e-15 * hi; ++i) {
    const double mid = 0.5 * (lo + hi);
    (f(mid) > 0 ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace

double IsothermPressure(const Isotherm& e, double V) {
  const double x = V / e.V0;
  if (e.form == IsothermForm::Vinet) {
    const double y = std::cbrt(x);
    return 3 * e.K0 * (1 - y) / (y * y) * std::exp(1.5 * (e.K0p - 1) * (1 - y));
  }
  const double f = std::pow(x, -2.0 / 3.0);  // (V0/V)^(2/3)
  return 1.5 * e.K0 * (std::pow(f, 3.5) - std::pow(f, 2.5)) * (1 + 0.75 * (e.K0p - 4) * (f - 1));
}

double IsothermVolume(const Isotherm& e, double P) {
  const double x = Bisect([&](double r) { return IsothermPressure(e, r * e.V0) - P; }, 0.2, 2.0);
  return x * e.V0;
}

double DebyeFunction3(double x) {
  if (x < 0) return NAN;
  if (x < 1) {
    // Bernoulli series: 1 - 3x/8 + sum 3 B_2k x^2k / ((2k + 3)(2k)!).
    const double x2 = x * x;
    return 1 - 3 * x / 8 + x2 / 20 - x2 * x2 / 1680 + x2 * x2 * x2 / 90720 - x2 * x2 * x2 * x2 / 4435200 +
           x2 * x2 * x2 * x2 * x2 / 207567360;
  }
  // integral_0^x = pi^4/15 - sum_k e^-kx (x^3/k + 3x^2/k^2 + 6x/k^3 + 6/k^4).
  double tail = 0;
  for (int k = 1; k <= 60; ++k) {
    const double term =
        std::exp(-k * x) * (x * x * x / k + 3 * x * x / (k * k) + 6 * x / (k * k * k) + 6.0 / (k * k * k * k));
    tail += term;
    if (term < 1e-17 * tail) break;
  }
  const double pi4 = std::pow(std::numbers::pi, 4);
  return 3 / (x * x * x) * (pi4 / 15 - tail);
}

double Grueneisen(const ThermalModel& m, double r) {
  switch (m.form) {
    case GammaForm::PowerLaw:
      return m.gamma0 * std::pow(r, m.q);
    case GammaForm::Tange:
      return m.gamma0 * (1 + m.a * (std::pow(r, m.b) - 1));
    case GammaForm::None:
      break;
  }
  return 0;
}

double DebyeTemperature(const ThermalModel& m, double r) {
  const double g = Grueneisen(m, r);
  switch (m.form) {
    case GammaForm::PowerLaw:
      return m.theta0 * std::exp((m.gamma0 - g) / m.q);
    case GammaForm::Tange:
      return m.theta0 * std::pow(r, -(1 - m.a) * m.gamma0) * std::exp((m.gamma0 - g) / m.b);
    case GammaForm::None:
      break;
  }
  return m.theta0;
}

double ThermalPressure(const ThermalModel& m, double V0, double V, double T) {
  if (m.form == GammaForm::None) return 0;
  const double r = V / V0;
  const double theta = DebyeTemperature(m, r);
  auto energy = [&](double t) { return 3 * m.atoms * kGasConstant * t * DebyeFunction3(theta / t); };
  const double molarVolume = V * 1e-30 * kAvogadro / m.Z;  // m^3 / mol
  return Grueneisen(m, r) / molarVolume * (energy(T) - energy(m.T0)) * 1e-9;
}

double JcpdsVolume(const JcpdsThermal& m, double P, double T) {
  const double dT = T - m.T0;
  Isotherm e;
  e.form = IsothermForm::BirchMurnaghan3;
  e.V0 = m.V0 * std::exp(m.alpha0 * dT + 0.5 * m.dAlphadT * dT * dT);
  e.K0 = m.K0 + m.dK0dT * dT;
  e.K0p = m.K0p + m.dK0pdT * dT;
  if (!(e.K0 > 0) || !(e.V0 > 0)) return 0;
  return IsothermVolume(e, P);
}

JcpdsThermal CardThermal(const CardPhase& card) {
  const double a = card.cell[0], b = card.cell[1], c = card.cell[2];
  const double d = std::numbers::pi / 180;
  const double ca = std::cos(card.cell[3] * d), cb = std::cos(card.cell[4] * d), cg = std::cos(card.cell[5] * d);
  JcpdsThermal m;
  m.V0 = a * b * c * std::sqrt(std::max(0.0, 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg));
  m.K0 = card.K0;
  m.K0p = card.K0p;
  m.dK0dT = card.dK0dT;
  m.dK0pdT = card.dK0pdT;
  m.alpha0 = card.alphaT;
  m.dAlphadT = card.dAlphadT;
  m.T0 = CardPhase::kAmbientKelvin;
  return m;
}

std::optional<double> CardEdgeScale(const CardPhase& card, double P, double T) {
  if (!card.Movable() || !std::isfinite(P) || !std::isfinite(T) || !(T > 0)) return std::nullopt;
  if (P == 0 && T == CardPhase::kAmbientKelvin) return 1.0;
  const JcpdsThermal m = CardThermal(card);
  if (!(m.V0 > 0)) return std::nullopt;
  const double V = JcpdsVolume(m, P, T);
  if (!(V > 0)) return std::nullopt;
  return std::cbrt(V / m.V0);
}

std::optional<std::array<float, 6>> CardCellAt(const CardPhase& card, double P, double T) {
  const std::optional<double> s = CardEdgeScale(card, P, T);
  if (!s) return std::nullopt;
  std::array<float, 6> cell = card.cell;
  for (std::size_t i = 0; i < 3; ++i) cell[i] = static_cast<float>(card.cell[i] * *s);
  return cell;
}

}  // namespace quorlin
