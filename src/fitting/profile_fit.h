// One peak of a measured pattern fitted with a pseudo-Voigt on a linear
// background: a single profile, or a K-alpha1/K-alpha2 doublet whose second
// component sits where the second wavelength puts it, with a fixed height
// ratio, so that the fitted position is the K-alpha1 one.
#pragma once

#include <functional>
#include <vector>

namespace quorlin {

// Pseudo-Voigt of unit height: eta Lorentzian + (1 - eta) Gaussian, both of
// full width at half maximum `fwhm`.
double PseudoVoigt(double x, double centre, double fwhm, double eta);

struct ProfileStart {
  double centre = 0;
  double height = 0;
  double fwhm = 0;
  double eta = 0.5;
  double background = 0;  // at the centre
  double slope = 0;
};

struct ProfileFit {
  bool converged = false;
  double centre = 0, centreSu = 0;
  double height = 0, heightSu = 0;
  double fwhm = 0;
  double eta = 0;
  double background = 0, slope = 0;
  double rmsResidual = 0;  // the scatter of the data about the fit
};

// The second component of a doublet: its position for a first component at
// x, and its height relative to the first. Empty for a single peak.
struct Doublet {
  std::function<double(double)> position;
  double ratio = 0;
};

// Fits the points (x[i], y[i]) by Levenberg-Marquardt, equal weights.
// `converged` is false when the iteration limit is reached, the data are too
// few, or the fit leaves the window or goes non-finite.
ProfileFit FitProfile(const std::vector<double>& x, const std::vector<double>& y, const ProfileStart& start,
                      const Doublet& doublet = {});

}  // namespace quorlin
