// Numbers the plot gestures and the tool windows read off the measured
// pattern at a reflection: the strongest peak near a line, the intensity at a
// spacing, and the card-weighted intensity sum.
#pragma once

#include <cstdint>

#include "core/unitcell.h"
#include "data/data.h"
#include "energy/peak_list.h"
#include "plot/xrd_plot.h"

namespace quorlin {

// The spacing of the strongest peak near initialDSpacing: the window of
// 2 peakHalfWidth + 1 channels whose sum is largest, among the centres within
// halfRange channels of the line's channel. The line's own spacing when the
// search would leave the data.
float GrowPeak(const CData& data, const CXRDPlot& plot, float lambda, std::int32_t peakHalfWidth,
               std::int32_t halfRange, float initialDSpacing);

// The measured intensity at spacing d, interpolated between channels; 0
// outside the plot window's spacings or the data.
double IFromDSPacing(const CData& data, const CXRDPlot& plot, float lambda, float d);

// The sum over the included peaks of a card of (card intensity) x (measured
// intensity at the peak's spacing in the cell).
double PkSum(const CData& data, const CXRDPlot& plot, float lambda, const CUnitCell& cell,
             const clsPeakList& peaks);

}  // namespace quorlin
