// What the plot says about the point under the mouse without a click: the
// status-bar line (position, its d-spacing, the measured intensity there and
// the nearest drawn reflection) and the line a hover tooltip names.
#pragma once

#include <optional>
#include <string>

#include "mainwindow/plot_gesture.h"

namespace quorlin {

class CData;
class MainModel;

// One drawn line: its reflection, its spacing in its phase's cell, where it
// is drawn (2-theta or channel, for the source line nearest the cursor) and
// the stored phase it belongs to (slot -1: the working phase or card).
struct DrawnLine {
  Reflection hkl{};
  float d = 0;
  float position = 0;
  int slot = -1;
  std::string phase;
};

// The measured intensity at x, interpolated linearly between the two points
// around it (x values ascending); nothing outside the data.
std::optional<double> MeasuredIntensityAt(const CData& data, float x);

// The drawn line nearest to x among the working phase (or the card's peaks)
// and the plotted stored phases, at every source line that is on and inside
// the window. Nothing when no line is drawn.
std::optional<DrawnLine> NearestDrawnLine(const MainModel& m, float x);

// The status-bar read-out at x: "2θ = 31.720°  d = 2.8187 Å  I = 1523
// nearest 2 0 0 at 31.705°" (for energy data "Channel = ... E = ... keV").
std::string CursorStatusText(const MainModel& m, float x);

// The hover tooltip: the line nearest to x when it lies within `tolerance`
// (in x units), else nothing.
std::optional<DrawnLine> LineUnderCursor(const MainModel& m, float x, float tolerance);
std::string LineToolTip(const MainModel& m, const DrawnLine& line);

}  // namespace quorlin
