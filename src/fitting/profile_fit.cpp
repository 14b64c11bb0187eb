#include "fitting/profile_fit.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "fitting/normal_equations.h"

namespace quorlin {

namespace {

// The two shapes of a pseudo-Voigt at x, of unit height.
struct Shapes {
  double lorentz = 0, gauss = 0;
};

// Below this exp gives exactly 0, but through the library's slow underflow
// path (a trial width far too narrow puts most points there).
constexpr double kExpUnderflow = -746.0;

Shapes ShapesAt(double x, double centre, double fwhm) {
  const double u = (x - centre) / fwhm;
  const double exponent = -4.0 * std::log(2.0) * u * u;
  return {1.0 / (1.0 + 4.0 * u * u), exponent < kExpUnderflow ? 0.0 : std::exp(exponent)};
}

double Mix(const Shapes& s, double eta) { return eta * s.lorentz + (1.0 - eta) * s.gauss; }

}  // namespace

double PseudoVoigt(double x, double centre, double fwhm, double eta) { return Mix(ShapesAt(x, centre, fwhm), eta); }

namespace {

constexpr std::size_t kParameters = 6;  // centre, height, fwhm, eta, background, slope
using Parameters = std::array<double, kParameters>;

// The profile at x from its two components' shapes (the second one only for
// a doublet).
double Combine(double x, const Parameters& p, double reference, const Doublet& doublet, const Shapes& first,
               const Shapes& second) {
  double y = p[1] * Mix(first, p[3]) + p[4] + p[5] * (x - reference);
  if (doublet.position) y += doublet.ratio * p[1] * Mix(second, p[3]);
  return y;
}

// Where the second component sits for a first one at `centre`.
double SecondCentre(const Doublet& doublet, double centre) {
  return doublet.position ? doublet.position(centre) : centre;
}

double SumOfSquares(const std::vector<double>& x, const std::vector<double>& y, const Parameters& p, double reference,
                    const Doublet& doublet) {
  const double second = SecondCentre(doublet, p[0]);
  double s = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const Shapes none;
    const double r = y[i] - Combine(x[i], p, reference, doublet, ShapesAt(x[i], p[0], p[2]),
                                    doublet.position ? ShapesAt(x[i], second, p[2]) : none);
    s += r * r;
  }
  return s;
}

// Adds every point's central-difference derivatives (steps h) and residual
// to the normal equations. Only the centre and the width move the shapes, so
// these are evaluated once for each of the five centre-width pairs, and the
// doublet's second centre once for each of the three centres.
void AddDerivatives(NormalEquations& ne, const std::vector<double>& x, const std::vector<double>& y, std::size_t n,
                    const Parameters& p, const Parameters& h, double reference, const Doublet& doublet,
                    bool residuals) {
  std::array<Parameters, kParameters> up, down;
  for (std::size_t j = 0; j < kParameters; ++j) {
    up[j] = p;
    down[j] = p;
    up[j][j] += h[j];
    down[j][j] -= h[j];
  }
  // Shape pairs: 0 at p, 1/2 centre up/down, 3/4 width up/down.
  const std::array<double, 5> centres{p[0], up[0][0], down[0][0], p[0], p[0]};
  const std::array<double, 5> widths{p[2], p[2], p[2], up[2][2], down[2][2]};
  std::array<double, 5> seconds{};
  for (std::size_t k = 0; k < 3; ++k) seconds[k] = SecondCentre(doublet, centres[k]);
  seconds[3] = seconds[4] = seconds[0];
  std::vector<double> derivatives(kParameters);
  for (std::size_t i = 0; i < n; ++i) {
    std::array<Shapes, 5> first, second;
    for (std::size_t k = 0; k < 5; ++k) {
      first[k] = ShapesAt(x[i], centres[k], widths[k]);
      if (doublet.position) second[k] = ShapesAt(x[i], seconds[k], widths[k]);
    }
    auto model = [&](const Parameters& q, std::size_t k) { return Combine(x[i], q, reference, doublet, first[k], second[k]); };
    for (std::size_t j = 0; j < kParameters; ++j) {
      const std::size_t ku = j == 0 ? 1 : j == 2 ? 3 : 0, kd = j == 0 ? 2 : j == 2 ? 4 : 0;
      derivatives[j] = (model(up[j], ku) - model(down[j], kd)) / (2 * h[j]);
    }
    ne.Add(derivatives, residuals ? y[i] - model(p, 0) : 0.0, 1.0);
  }
}

// Keeps the profile physical: a positive width no narrower than a tenth of a
// step, and a Lorentzian fraction between 0 and 1.
void Clamp(Parameters& p, double minWidth) {
  p[2] = std::max(p[2], minWidth);
  p[3] = std::clamp(p[3], 0.0, 1.0);
}

}  // namespace

ProfileFit FitProfile(const std::vector<double>& x, const std::vector<double>& y, const ProfileStart& start,
                      const Doublet& doublet) {
  ProfileFit fit;
  const std::size_t n = std::min(x.size(), y.size());
  if (n < kParameters + 3 || !(start.fwhm > 0)) return fit;
  const double lo = *std::min_element(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
  const double hi = *std::max_element(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
  const double step = (hi - lo) / static_cast<double>(n - 1);
  const double reference = start.centre;
  Parameters p{start.centre, start.height, start.fwhm, start.eta, start.background, start.slope};
  Clamp(p, 0.1 * step);
  double ssr = SumOfSquares(x, y, p, reference, doublet);
  double lambda = 1e-3;
  bool converged = false;
  for (int iteration = 0; iteration < 200 && !converged; ++iteration) {
    NormalEquations ne(kParameters);
    // Central differences; the steps follow each parameter's scale.
    const Parameters steps{1e-4 * p[2], 1e-6 * (std::fabs(p[1]) + 1.0), 1e-4 * p[2], 1e-4,
                           1e-6 * (std::fabs(p[4]) + 1.0), 1e-6 * (std::fabs(p[5]) + 1.0)};
    AddDerivatives(ne, x, y, n, p, steps, reference, doublet, true);
    bool improved = false;
    for (int attempt = 0; attempt < 12 && !improved; ++attempt) {
      NormalEquations damped = ne;
      damped.Damp(lambda);
      const auto shift = damped.Solve();
      Parameters trial = p;
      for (std::size_t j = 0; j < kParameters; ++j) trial[j] += shift[j];
      Clamp(trial, 0.1 * step);
      const double trialSsr = SumOfSquares(x, y, trial, reference, doublet);
      if (std::isfinite(trialSsr) && trialSsr <= ssr) {
        const double change = ssr - trialSsr;
        p = trial;
        improved = true;
        lambda = std::max(lambda / 10.0, 1e-9);
        if (change <= 1e-10 * ssr || std::fabs(shift[0]) < 1e-7 * p[2]) converged = true;
        ssr = trialSsr;
      } else {
        lambda *= 10.0;
      }
    }
    if (!improved) converged = true;  // no step lowers the sum: a minimum
  }
  // The covariance at the minimum, undamped, scaled by the residual variance.
  NormalEquations ne(kParameters);
  const Parameters steps{1e-4 * p[2], 1e-4 * p[2], 1e-4 * p[2], 1e-4, 1e-6 * (std::fabs(p[4]) + 1.0),
                         1e-6 * (std::fabs(p[5]) + 1.0)};
  AddDerivatives(ne, x, y, n, p, steps, reference, doublet, false);
  ne.Solve();
  const double variance = ssr / static_cast<double>(n - kParameters);
  fit.centre = p[0];
  fit.height = p[1];
  fit.fwhm = p[2];
  fit.eta = p[3];
  fit.background = p[4] + p[5] * (p[0] - reference);
  fit.slope = p[5];
  fit.rmsResidual = std::sqrt(variance);
  fit.centreSu = ne.Determined()[0] ? std::sqrt(ne.Covariance(0, 0) * variance) : 0.0;
  fit.heightSu = ne.Determined()[1] ? std::sqrt(ne.Covariance(1, 1) * variance) : 0.0;
  const bool finite = std::isfinite(fit.centre) && std::isfinite(fit.centreSu) && std::isfinite(fit.height);
  fit.converged = converged && finite && ne.Determined()[0] && lo < fit.centre && fit.centre < hi &&
                  fit.fwhm < hi - lo;
  return fit;
}

}  // namespace quorlin
