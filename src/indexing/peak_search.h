// Peak search on a measured pattern: the positions, standard uncertainties
// and heights of its peaks, each fitted with the pseudo-Voigt profile of the
// refinement code (a K-alpha doublet when the source has one).
//
// The background is the lower envelope of the pattern, taken from the lowest
// points of short segments and joined by straight lines, so that it follows
// a sloping or curved background. Candidates are the maxima of the negative
// second derivative of the smoothed pattern, which separates a shoulder from
// its neighbour; a candidate is kept when it rises above the background by
// `sensitivity` times the local noise.
#pragma once

#include <functional>
#include <vector>

namespace quorlin {

struct FoundPeak {
  double position = 0, su = 0;  // the first component of a doublet
  double height = 0;
  double fwhm = 0;
};

struct PeakSearchOptions {
  double sensitivity = 4;  // in units of the local noise
  // Peaks below this fraction of the strongest are left out: at that level
  // the ripple of a detector and the tails of strong peaks outnumber lines.
  double minRelative = 0.005;
  double lo = -1e300, hi = 1e300;
  // The position of a doublet's second component for a first at x; empty
  // for a single line. Its height relative to the first: ratio.
  std::function<double(double)> doublet;
  double ratio = 0.5;
};

// x ascending. Returns the peaks in ascending position.
std::vector<FoundPeak> SearchPeaks(const std::vector<double>& x, const std::vector<double>& y,
                                   const PeakSearchOptions& options);

}  // namespace quorlin
