// One mouse gesture on the plot: a press starts it, moves show its rubber
// band, the release applies it (a zoom box, a pan, a dragged reflection) or
// reads out the cursor, and a cancel drops it. It works on the main model it
// belongs to; the widget only forwards the events.
//
// While a drag is held the plot shows what releasing there would give: the
// trial cell of a line drag, the moved window of a Hand drag. The trial is
// worked out by the same code as the release, kept beside the model and never
// written into it; the release alone changes the model.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/unitcell.h"
#include "plot/xrd_plot.h"

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
  // Drops a gesture in progress (Esc, or the window lost the mouse): its
  // rubber band and its trial go, and the model is as it was before the
  // press (a Full Strain press frees the cell; that is undone too).
  void Cancel();

  bool Active() const { return buttonDown_; }
  // The reflection picked at the last press (empty when none).
  const std::vector<Reflection>& Dragged() const { return dragged_; }

  // The cell a release at the last move would give (line drags), and the
  // window a release there would give (Hand); null when no drag shows one.
  const CUnitCell* PreviewCell() const { return trialCell_ ? &*trialCell_ : nullptr; }
  const CXRDPlot* PreviewPlot() const { return trialPlot_ ? &*trialPlot_ : nullptr; }
  // Exchanges the model's cell and plot with the trial ones; a second call
  // puts them back. Only PlotPreview uses it, around a redraw.
  void SwapPreview();

 private:
  // The cell change of a line drag released at x, applied to `cell`.
  bool DragCell(CUnitCell& cell, float x) const;
  // DragCell and its history entry: what the release does to the cell.
  void CommitDrag(CUnitCell& cell, float x) const;
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
  std::optional<CUnitCell> trialCell_;
  std::optional<CXRDPlot> trialPlot_;
  // What a Full Strain press changed, to undo on a cancel.
  std::optional<CUnitCell> pressCell_;
  std::int16_t pressSystem_ = 8;
  std::int32_t pressLaue_ = 0;
};

// For its lifetime the model shows the drag's trial (its cell and plot
// window) in place of its own, so that a redraw draws what the release would
// give; the model is back as it was when it ends.
class PlotPreview {
 public:
  explicit PlotPreview(MainModel& model);
  ~PlotPreview();
  PlotPreview(const PlotPreview&) = delete;
  PlotPreview& operator=(const PlotPreview&) = delete;

 private:
  MainModel& m_;
};

}  // namespace quorlin
