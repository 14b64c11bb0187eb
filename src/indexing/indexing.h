// Ab-initio indexing of a powder peak list: the unit cells that explain the
// observed line positions, best first.
//
// The search works on reciprocal spacings squared, Q = 1/d^2. Pairs of
// observed lines with a third that sits at Q(a+b) or Q(a-b) define
// two-dimensional zones (Ito); zones that share a line and a third cross
// term from a zone of their other two lines define primitive lattices. A
// zone that holds the first lines (a dominant zone of two long axes) is
// completed with a third axis from the lines it leaves, and low-index forms
// are tried on the first lines in the parameters of the higher systems. Each
// lattice that indexes the pattern is Niggli-reduced, refined by least
// squares (with a zero shift, or a specimen displacement where that fits
// better), set in the conventional cell of every crystal system its metric
// allows, and scored with de Wolff's M20 and Smith and Snyder's F_N. A small
// zero-shift grid is searched so that the windows stay narrow at low angle.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "plot/xrd_plot.h"

namespace quorlin {

struct IndexingInput {
  enum class Axis { TwoTheta, Spacing };
  Axis axis = Axis::TwoTheta;
  double wavelength = 1.540562;   // Angstrom, for 2-theta
  std::vector<double> positions;  // 2-theta in degrees, or d in Angstrom
};

struct IndexingOptions {
  // Crystal systems to report, by CrystalSystemCode (index 1 cubic .. 7).
  std::array<bool, 8> systems{false, true, true, true, true, true, true, true};
  double maxVolume = 3000;  // of the primitive cell, cubic Angstrom
  int impurities = 1;       // lines allowed to stay unindexed
  double zeroRange = 0.05;  // degrees 2-theta searched either side of 0
  double tolerance = 0.03;  // degrees 2-theta of a line's match
  int maxLines = 25;        // the first lines used
  int top = 10;
  unsigned threads = 0;  // 0: every core
};

struct IndexingSolution {
  std::int32_t system = 7;  // CrystalSystemCode
  char lattice = 'P';
  std::array<double, 6> cell{};
  double volume = 0;
  double m20 = 0;  // M_N for fewer than 20 lines
  double fn = 0;   // F_N with N = min(20, lines used)
  int fnLines = 0;
  double fnDelta = 0;  // mean |delta 2-theta| of F_N
  int fnPossible = 0;  // possible lines of F_N
  double zero = 0;     // degrees 2-theta; observed = calculated + zero
  // A specimen displacement in its place where that fits better: observed =
  // calculated + displacement * cos(theta), degrees 2-theta. One of the two is 0.
  double displacement = 0;
  int indexed = 0;
  int used = 0;
  // The rank (0-based) of a higher-symmetry solution whose lines this one
  // repeats, or -1.
  int tieWith = -1;
  std::vector<std::optional<MillerIndices>> hkl;  // per line used, in ascending order
  double score = 0;
};

class IndexingCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "indexing cancelled"; }
};

// The positions used: the first maxLines in ascending 2-theta (descending d).
// Throws IndexingCancelled when cancel becomes true; progress gets 0..1.
std::vector<IndexingSolution> IndexPeaks(const IndexingInput& input, const IndexingOptions& options,
                                         const std::atomic<bool>* cancel = nullptr,
                                         const std::function<void(double)>& progress = {});

// The shift of a solution's lines at twoTheta: observed minus calculated.
double LineShift(const IndexingSolution& s, double twoTheta);

// A given cell refined against the lines and scored as the search scores its
// candidates. Unknown lattice letters count as P.
IndexingSolution EvaluateCell(const IndexingInput& input, const IndexingOptions& options, std::int32_t system,
                              char lattice, const std::array<double, 6>& cell);

// How one extinction symbol of the catalogue explains an indexed pattern.
struct ExtinctionScore {
  std::int16_t number = 0;
  std::string spaceGroups;
  int absentObserved = 0;       // observed lines that the symbol makes absent
  int unobservedPredicted = 0;  // allowed lines in the measured range that were not seen
  int allowed = 0;              // reflections it allows in that range
  bool possible() const { return absentObserved == 0; }
};

// The catalogue entries of the solution's crystal system, best first: those
// that leave every indexed line allowed, with the fewest predicted lines that
// were not observed; then the rest by how many observed lines they remove.
std::vector<ExtinctionScore> RankExtinctionSymbols(const IndexingInput& input, const IndexingOptions& options,
                                                   const IndexingSolution& solution);

// Whether a conventional hkl survives lattice centring (R: obverse, on
// hexagonal axes).
bool CentringAllows(char lattice, int h, int k, int l);

}  // namespace quorlin
