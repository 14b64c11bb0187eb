// Moving the plot window by hand: the pan of a Hand drag and the zoom of a
// mouse-wheel step. Both work on a CXRDPlot that may be the model's own or a
// copy shown while a drag is held, so the preview and the release run the
// same arithmetic.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "plot/xrd_plot.h"

namespace quorlin {

// Sets the horizontal window, moving first the edge that keeps it valid in
// between. Each edge goes through the plot's acceptance rules.
void SetPlotWindow(CXRDPlot& plot, float ttMin, float ttMax);
// The same for the intensity window (texts as the limit boxes hold them).
void SetPlotIntensityWindow(CXRDPlot& plot, const std::string& lo, const std::string& hi);

// Moves the window by -dx horizontally (keeping its width and staying inside
// TTAbsMin..TTAbsMax) and by -dy in intensity: the picture follows the mouse.
void PanPlotWindow(CXRDPlot& plot, float dx, float dy);

// Each wheel step towards the user's screen narrows the window to this
// fraction of its width; a step back widens it by the inverse.
inline constexpr double kWheelZoomFactor = 0.8;
// The narrowest window a wheel zoom goes to (the plot refuses limits closer
// than 0.01).
inline constexpr double kNarrowestWheelWindow = 0.02;

// The window lo..hi zoomed by `steps` wheel steps (positive zooms in) about
// x: x keeps its place, cut to absLo..absHi where the wider window would
// leave them. Nothing when the result is narrower than kNarrowestWheelWindow
// or is the same window.
std::optional<std::pair<float, float>> ZoomAbout(float lo, float hi, float x, int steps, float absLo,
                                                 float absHi);

}  // namespace quorlin
