#include "energy/pressure_scale.h"

#include <cmath>
#include <string>

#include "core/errors.h"
#include "core/numtext.h"
#include "energy/decker.h"

namespace quorlin {
namespace {

constexpr PressureStandard kAll[] = {PressureStandard::NaCl, PressureStandard::KCl, PressureStandard::CsCl,
                                     PressureStandard::Au,   PressureStandard::MgO, PressureStandard::W};

std::int16_t DeckerCode(PressureStandard s) {
  switch (s) {
    case PressureStandard::NaCl:
      return 1;
    case PressureStandard::KCl:
      return 2;
    default:
      return 3;
  }
}

}  // namespace

std::optional<PressureStandard> PressureStandardFromName(std::string_view name) {
  for (PressureStandard s : kAll)
    if (EqualsNoCase(name, PressureStandardName(s))) return s;
  return std::nullopt;
}

std::string_view PressureStandardName(PressureStandard s) {
  switch (s) {
    case PressureStandard::NaCl:
      return "NaCl";
    case PressureStandard::KCl:
      return "KCl";
    case PressureStandard::CsCl:
      return "CsCl";
    case PressureStandard::Au:
      return "Au";
    case PressureStandard::MgO:
      return "MgO";
    case PressureStandard::W:
      return "W";
  }
  return "";
}

double ReferenceEdge(PressureStandard s) {
  switch (s) {
    // Decker's nearest-neighbour distances r0 over r/a (1/2 rock salt, sqrt(3)/2 CsCl type).
    case PressureStandard::NaCl:
      return 5.64;
    case PressureStandard::KCl:
      return 6.2932;
    case PressureStandard::CsCl:
      return 4.11904;
    default:
      return std::cbrt(VinetOf(s).V0);
  }
}

bool IsRoomTemperatureIsotherm(PressureStandard s) {
  return s == PressureStandard::Au || s == PressureStandard::MgO || s == PressureStandard::W;
}

VinetParameters VinetOf(PressureStandard s) {
  switch (s) {
    case PressureStandard::Au:
      return {67.847, 167.0, 6.00};  // Fei et al. 2007, PNAS 104, 9182
    case PressureStandard::MgO:
      return {74.698, 160.63, 4.367};  // Tange et al. 2009, JGR 114, B03208
    case PressureStandard::W:
      return {31.70, 306.0, 4.17};  // Dorogokupets & Oganov 2007, PRB 75, 024115
    default:
      throw QuorlinError(std::string(PressureStandardName(s)) + " has no Vinet isotherm");
  }
}

double VinetPressure(const VinetParameters& p, double volumeRatio) {
  const double y = std::cbrt(volumeRatio);
  return 3 * p.K0 * (1 - y) / (y * y) * std::exp(1.5 * (p.K0p - 1) * (1 - y));
}

PressureResult PressureFromEdge(PressureStandard s, double a, double celsius) {
  if (!std::isfinite(a) || a <= 0)
    throw QuorlinError("the lattice parameter must be a positive number, not " + GeneralText(a));
  if (!std::isfinite(celsius) || celsius <= -273.15)
    throw QuorlinError("the temperature must lie above absolute zero (-273.15 C), not " + GeneralText(celsius));
  const float a0 = static_cast<float>(ReferenceEdge(s));
  const float af = static_cast<float>(a);
  const float a03 = a0 * a0 * a0;
  const float vdiff = (af * af * af - a03) / a03;
  PressureResult r;
  r.volumeRatio = 1.0 + static_cast<double>(vdiff);
  if (IsRoomTemperatureIsotherm(s)) {
    r.kbar = 10 * VinetPressure(VinetOf(s), r.volumeRatio);
    return r;
  }
  float p = 0;
  const std::int16_t code = DeckerCode(s);
  const float t = static_cast<float>(celsius);
  clsDecker().Decker(code, t, vdiff, p, r.deckerStatus);
  if (r.deckerStatus == clsDecker::kDebyeFailed || r.deckerStatus == clsDecker::kNoVolume ||
      r.deckerStatus == clsDecker::kUnknownStandard)
    throw QuorlinError("the Decker model gives no pressure for a = " + GeneralText(a));
  r.kbar = p;
  return r;
}

}  // namespace quorlin
