#include "energy/decker.h"

#include <cmath>
#include <numbers>

namespace quorlin {
namespace {

struct Standard {
  double r0, s1, s2, theta0, gamma0, C, D, b, f1, f2, q, rho;
};

// Decker (1971), Table I: NaCl, KCl, CsCl.
constexpr Standard kStandards[3] = {
    {2.82, 1.2, 1.62, 279, 1.59, 1.4, 1.8, 2.1068e-9, 6.33, 0.54, 0.93, 1 / 3.2038},
    {3.1466, 1.15, 1.64, 236, 1.48, 4.38, 5.6, 4.3506e-9, 1.74, 0.7, 1.04, 1 / 3.1163},
    {3.5672, 1.85, 1.72, 151, 1.99, 25.1, 26.0, 5.6102e-9, 0.97, 1.03, 1.18, 1 / 2.8943},
};

struct Structure {
  double M, z, k, d2, N1, N2, Z;
};

const Structure& StructureOf(int code) {
  static const Structure rockSalt{1.747565, 1.0, 0.5, std::sqrt(2.0), 6, 12, 4};
  static const Structure caesiumChloride{1.762675, 1.0, std::sqrt(3.0) / 2, 2 * std::sqrt(3.0) / 3, 8, 6, 1};
  return code == 3 ? caesiumChloride : rockSalt;
}

}  // namespace

void clsDecker::Decker(const std::int16_t& ISTD, const float& TCEL, const float& VDIFF, float& pressure,
                       std::int16_t& IERR) const {
  IERR = kOk;
  const double T = static_cast<double>(TCEL) + 273.15;
  // Absolute zero and below have no reduced temperature (the float nearest
  // -273.15 would otherwise leave a few microkelvin).
  const bool belowAbsoluteZero = !(TCEL > -273.15f);
  if (ISTD < 1 || ISTD > 3) {
    IERR = kUnknownStandard;
    return;
  }
  if (ISTD == 2) IERR = kKClUsed;
  const Standard& p = kStandards[ISTD - 1];
  const Structure& s = StructureOf(ISTD);

  const double V0 = std::pow(p.r0 / s.k, 3);
  const double x = 1.0 + static_cast<double>(VDIFF);
  if (!(x > 0)) {
    IERR = kNoVolume;
    return;
  }
  const double V = x * V0;
  if (x < 0.5)
    IERR = kRatioBelowHalf;
  else if (x > 1.5)
    IERR = kRatioAboveOneAndHalf;

  const double r = s.k * std::cbrt(V);
  const double rho1 = 2 * p.rho * p.s1 / (p.s1 + p.s2);
  const double rho2 = 2 * p.rho * p.s2 / (p.s1 + p.s2);
  const double gamma = p.gamma0 * std::pow(x, p.q);
  const double theta = p.theta0 * std::exp((p.gamma0 - gamma) / p.q);
  // At or below absolute zero the reduced temperature is infinite or
  // negative; the Debye function refuses the latter, and the former too.
  const double TNORM = belowAbsoluteZero ? -1.0 : theta / T;

  const double F = -1e12 * s.Z * std::pow(s.k, 3) / (3 * r * r);
  const double PM = F * s.z * s.z * s.M * 2.30711374e-8 / (r * r);
  const double PW = static_cast<float>(F * (6e-7 * p.C / std::pow(r, 7) + 8e-7 * p.D / std::pow(r, 9)));
  const double PR1 = -F * 1000 * p.b * s.N1 * std::exp(-r / p.rho) / p.rho;
  const double b1 = p.f1 * p.b, b2 = p.f2 * p.b;
  const double PR2 =
      -F * 0.5 * 1000 * s.N2 * s.d2 * (b1 * std::exp(-s.d2 * r / rho1) / rho1 + b2 * std::exp(-s.d2 * r / rho2) / rho2);
  const double Pstatic = PM + PW + PR1 + PR2;

  double FDEBYE = 0;
  std::int16_t debyeStatus = 0;
  DEBYE(TNORM, FDEBYE, debyeStatus);
  if (debyeStatus != 0) {
    IERR = kDebyeFailed;
    return;
  }
  constexpr double R = 8.31441;
  const double Pthermal = 1e-8 * s.Z * gamma * (6 * R * T * FDEBYE + 2.25 * R * theta) / (V * 6.022045e-7);
  pressure = static_cast<float>(Pstatic + Pthermal);
}

void clsDecker::DEBYE(double TNORM, double& FDEBYE, std::int16_t& IERR) {
  IERR = 0;
  const double x = TNORM;
  if (x > 1e-5 && x < 20) {
    double xs[11], ws[11];
    GAULEG(0, x, xs, ws, 10);
    double sum = 0;
    for (int i = 1; i <= 10; ++i) sum += ws[i] * FUNC(xs[i]);
    FDEBYE = 3 * sum / (x * x * x);
  } else if (x >= 0 && x <= 1e-5) {
    FDEBYE = 1;
  } else if (x >= 20) {
    const double pi = 4 * std::atan(1.0);
    FDEBYE = std::pow(pi, 4) / (5 * x * x * x);
  } else {
    IERR = 1;  // negative or NaN
  }
}

double clsDecker::FUNC(double x) { return x * x * x / (std::exp(x) - 1); }

void clsDecker::GAULEG(double x1, double x2, double* x, double* w, int n) {
  const double m = (n + 1) / 2.0;
  const double xm = 0.5 * (x2 + x1), xl = 0.5 * (x2 - x1);
  for (int i = 1; i <= m; ++i) {
    double z = std::cos(3.141592654 * (i - 0.25) / (n + 0.5));
    double z1 = 0, pp = 0;
    do {
      double p1 = 1, p2 = 0;
      for (int j = 1; j <= n; ++j) {
        const double p3 = p2;
        p2 = p1;
        p1 = ((2.0 * j - 1) * z * p2 - (j - 1.0) * p3) / j;
      }
      pp = n * (z * p1 - p2) / (z * z - 1);
      z1 = z;
      z = z1 - p1 / pp;
    } while (std::fabs(z - z1) > 3e-14);
    x[i] = xm - xl * z;
    x[n + 1 - i] = xm + xl * z;
    w[i] = 2 * xl / ((1 - z * z) * pp * pp);
    w[n + 1 - i] = w[i];
  }
}

}  // namespace quorlin
