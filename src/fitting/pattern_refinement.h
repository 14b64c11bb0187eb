// Cell refinement against a measured pattern: the peak of every reflection
// the plot draws for the current phase inside the plot window is measured
// where the line falls, the positions that pass the acceptance rules refine
// the cell, and the two steps repeat until the set of measured reflections
// settles (lines far out start beyond the tolerance and come in as the cell
// improves).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/errors.h"
#include "fitting/cell_refinement.h"
#include "fitting/profile_fit.h"

namespace quorlin {

class CData;
class CPattern;
class CUnitCell;
class CXRDPlot;

struct MeasuredLine {
  std::vector<MillerIndices> hkl;  // every reflection the peak holds
  double calculated = 0;           // on the axis: 2-theta (degrees) or energy (keV)
  std::optional<double> observed;  // the fitted position when the peak was accepted
  double su = 0;
  double fwhm = 0;  // in pattern units (degrees, or channels)
  bool used = false;
  std::string note;  // why a line was not measured or not used
};

struct PatternRefinementOptions {
  double tolerance = 0;  // in pattern units; 0: three peak widths
  bool refineZero = false;
  bool refineDisplacement = false;
  // Reflections the user left out: a line holding any of them is measured
  // but not used.
  std::vector<MillerIndices> excluded;
};

struct PatternRefinement {
  RefinementSetup setup;
  RefinementResult result;
  std::vector<MeasuredLine> lines;  // by rising position, with calculated from the result
  double tolerance = 0;             // the tolerance of the first pass
  double acceptance = 0;            // the narrower one of the last pass, from the fit's scatter
  double peakWidth = 0;             // the width estimated from the pattern
};

// A refinement that could not run to its end: what() says why, Lines() are
// the lines as the last measurement found them (calculated from the cell it
// was made for), empty when nothing could be measured.
class RefinementFailure : public QuorlinError {
 public:
  RefinementFailure(const std::string& what, std::vector<MeasuredLine> lines)
      : QuorlinError(what), lines_(std::move(lines)) {}
  const std::vector<MeasuredLine>& Lines() const { return lines_; }

 private:
  std::vector<MeasuredLine> lines_;
};

// The source table of a tube ("Cu" or "Mo"): its K-alpha1 line primary, with
// K-alpha2 at half height, so that peaks are fitted as doublets.
void SetTubeSource(CData& data, const std::string& tube);
// One line of wavelength `lambda` (Angstrom) as the whole source.
void SetSingleWavelength(CData& data, float lambda);
// Index limits wide enough for every line of `cell` down to spacing dMin,
// and every reflection condition of the pattern on.
void SetIndexReach(CPattern& pattern, const CUnitCell& cell, double dMin);

// The axis and source of the plot: 2-theta at the primary wavelength, or
// energy through the detector angle.
RefinementSetup SetupFromPlot(const CData& data, const CXRDPlot& plot, const CUnitCell& cell);

// Profile fits by their exact input (points, start, doublet of one
// pattern), so that a fit repeated on the same points is made once.
class ProfileFitCache {
 public:
  const ProfileFit& Fit(const std::vector<double>& x, const std::vector<double>& y, const ProfileStart& start,
                        const Doublet& partner);

 private:
  using Key = std::tuple<std::vector<double>, std::vector<double>, std::array<double, 6>>;
  std::map<Key, ProfileFit> fits_;
};

// Measures the lines of `cell` (a b c alpha beta gamma as given) without
// refining: the positions for a zero shift `zero` and displacement
// `displacement`.
std::vector<MeasuredLine> MeasureLines(const CData& data, const CXRDPlot& plot, const CPattern& pattern,
                                       const RefinementSetup& setup, const std::array<double, 6>& cell, double zero,
                                       double displacement, double tolerance, double peakWidth,
                                       const std::vector<MillerIndices>& excluded, ProfileFitCache* fits = nullptr);

// A typical full width at half maximum of the peaks inside the plot window,
// from the strongest one; 0 when the window holds no data.
double EstimatePeakWidth(const CData& data, const CXRDPlot& plot);

// Throws RefinementFailure when nothing can be refined (no data in the window,
// too few accepted peaks, an underdetermined instrument term, ...).
PatternRefinement RefineCellFromPattern(const CData& data, const CXRDPlot& plot, const CPattern& pattern,
                                        const CUnitCell& cell, const PatternRefinementOptions& options);

}  // namespace quorlin
