// The Decker equation of state of the alkali halides (NaCl, KCl, CsCl): a
// static lattice pressure (Born-Mayer repulsion, Madelung attraction, van der
// Waals terms) plus a Mie-Grueneisen thermal pressure with a Debye model.
// D. L. Decker, J. Appl. Phys. 42, 3239 (1971).
//
// Double precision inside; the interface keeps the single-precision
// arguments and 16-bit status codes of the routine it reproduces.
#pragma once

#include <cstdint>

namespace quorlin {

class clsDecker {
 public:
  // Status codes of Decker. 0..5 are the routine's own; 6 refuses a volume
  // ratio at or below zero (a non-positive lattice parameter), whose cube root
  // has no meaning. Codes 2, 5 and 6 leave the pressure untouched.
  enum : std::int16_t {
    kOk = 0,
    kKClUsed = 1,
    kUnknownStandard = 2,
    kRatioBelowHalf = 3,
    kRatioAboveOneAndHalf = 4,
    kDebyeFailed = 5,
    kNoVolume = 6,
  };

  // ISTD 1 NaCl, 2 KCl, 3 CsCl; TCEL in Celsius; VDIFF = (V - V0) / V0.
  // Pressure in kilobar. A temperature at or below absolute zero gives a
  // negative or infinite reduced temperature and ends with status 5.
  void Decker(const std::int16_t& ISTD, const float& TCEL, const float& VDIFF, float& pressure,
              std::int16_t& IERR) const;

  // D(x) = 3/x^3 * integral_0^x t^3/(e^t - 1) dt by 10-point Gauss-Legendre.
  static void DEBYE(double TNORM, double& FDEBYE, std::int16_t& IERR);
  static double FUNC(double x);
  // Abscissas and weights of n-point Gauss-Legendre quadrature on [x1, x2],
  // indices 1..n (x and w must hold n + 1 entries; entry 0 is not used).
  static void GAULEG(double x1, double x2, double* x, double* w, int n);
};

}  // namespace quorlin
