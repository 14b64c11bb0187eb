// One mouse gesture on the plot: a press starts it, moves show its rubber
// band, the release applies it (a zoom box, a pan, a dragged reflection) or
// reads out the cursor, and a cancel drops it. It works on the main model it
// belongs to; the widget only forwards the events.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quorlin {

class MainModel;

// Mouse modes of the plot.
enum MouseModes : std::int16_t { kPoint = 1, kCellEdge = 2, kHand = 3, kFullStrain = 4, kVolume = 5 };
enum class MouseButton { Left, Right, Middle };

using Reflection = std::array<std::int16_t, 3>;

class PlotGesture {
 public:
  explicit PlotGesture(MainModel& model) : m_(model) {}
  PlotGesture(const PlotGesture&) = delete;
  PlotGesture& operator=(const PlotGesture&) = delete;

  // A press; returns true when the right button asks for the Plot pop-up menu.
  bool Start(MouseButton button, float x, float y);
  void Move(MouseButton button, float x, float y);
  // The release: the gesture's one edit. Nothing without a press.
  void Stop(MouseButton button, float x, float y);
  // Drops a gesture in progress: its rubber band goes and nothing changes.
  void Cancel();

  bool Active() const { return buttonDown_; }
  // The reflection picked at the last press (empty when none).
  const std::vector<Reflection>& Dragged() const { return dragged_; }

 private:
  void Pan(float x, float y);
  void CursorReadout(float x, float y);
  // The reflections nearest to spacing d (the card's peaks for "jcpds").
  std::vector<Reflection> Nearest(float d, int maxNumber) const;
  float PrimaryLambda() const;

  MainModel& m_;
  bool buttonDown_ = false;
  float anchorX_ = 0, anchorY_ = 0, lastX_ = 0, lastY_ = 0;
  bool boxDrawn_ = false;
  bool segmentDrawn_ = false;
  std::vector<Reflection> dragged_;
  float d0_ = 0;
};

}  // namespace quorlin
