// Finding a cubic standard's cell edge in an energy-dispersive spectrum when
// no close start is known, and checking that a fitted edge puts the card's
// reflections on peaks at all. The lattice-parameter scan only climbs the
// nearest maximum of its score; under strong compression that maximum is
// often a false one where a line or two graze a peak.
#pragma once

#include <optional>

#include "mainwindow/main_model.h"

namespace quorlin {

struct LineEvidence {
  int used = 0;    // included reflections that fall on the spectrum
  int onPeak = 0;  // of those, the ones sitting on a peak clearly above the noise
};

// The included reflections at the model's cell. A reflection sits on a peak
// when the smoothed spectrum at its channel stands above the lowest point on
// each side (within 40 channels) by more than three times the counting noise
// of that background, so a line on the flank of a peak does not count.
LineEvidence LinesOnPeaks(const MainModel& model);

// Scans the cubic edge from low to high in `steps` equal steps with the
// lattice-parameter scan's score (the card-weighted intensity sum). Among
// the score's local maxima it returns the edge where most reflections sit on
// peaks, the larger score breaking a tie: several edges of a cubic cell can
// line up a few lines with peaks, and only the true one lines up most. The
// model's cell is left as it was. Empty when no reflection is included or
// the range is not positive.
std::optional<float> SearchEdge(MainModel& model, float low, float high, int steps);

}  // namespace quorlin
