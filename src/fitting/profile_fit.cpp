#include "fitting/profile_fit.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "fitting/normal_equations.h"

namespace quorlin {

double PseudoVoigt(double x, double centre, double fwhm, double eta) {
  const double u = (x - centre) / fwhm;
  const double lorentz = 1.0 / (1.0 + 4.0 * u * u);
  const double gauss = std::exp(-4.0 * std::log(2.0) * u * u);
  return eta * lorentz + (1.0 - eta) * gauss;
}

namespace {

constexpr std::size_t kParameters = 6;  // centre, height, fwhm, eta, background, slope
using Parameters = std::array<double, kParameters>;

double Model(double x, const Parameters& p, double reference, const Doublet& doublet) {
  double y = p[1] * PseudoVoigt(x, p[0], p[2], p[3]) + p[4] + p[5] * (x - reference);
  if (doublet.position) y += doublet.ratio * p[1] * PseudoVoigt(x, doublet.position(p[0]), p[2], p[3]);
  return y;
}

double SumOfSquares(const std::vector<double>& x, const std::vector<double>& y, const Parameters& p, double reference,
                    const Doublet& doublet) {
  double s = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double r = y[i] - Model(x[i], p, reference, doublet);
    s += r * r;
  }
  return s;
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
  std::vector<double> derivatives(kParameters);
  for (int iteration = 0; iteration < 200 && !converged; ++iteration) {
    NormalEquations ne(kParameters);
    for (std::size_t i = 0; i < n; ++i) {
      const double f0 = Model(x[i], p, reference, doublet);
      for (std::size_t j = 0; j < kParameters; ++j) {
        // Central differences; the steps follow each parameter's scale.
        const double h = j == 0 ? 1e-4 * p[2] : j == 2 ? 1e-4 * p[2] : j == 3 ? 1e-4 : 1e-6 * (std::fabs(p[j]) + 1.0);
        Parameters up = p, down = p;
        up[j] += h;
        down[j] -= h;
        derivatives[j] = (Model(x[i], up, reference, doublet) - Model(x[i], down, reference, doublet)) / (2 * h);
      }
      ne.Add(derivatives, y[i] - f0, 1.0);
    }
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
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < kParameters; ++j) {
      const double h = j == 3 ? 1e-4 : j == 4 || j == 5 ? 1e-6 * (std::fabs(p[j]) + 1.0) : 1e-4 * p[2];
      Parameters up = p, down = p;
      up[j] += h;
      down[j] -= h;
      derivatives[j] = (Model(x[i], up, reference, doublet) - Model(x[i], down, reference, doublet)) / (2 * h);
    }
    ne.Add(derivatives, 0.0, 1.0);
  }
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
