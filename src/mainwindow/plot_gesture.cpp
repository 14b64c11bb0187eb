#include "mainwindow/plot_gesture.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "core/numtext.h"
#include "mainwindow/main_model.h"
#include "mainwindow/plot_interaction.h"
#include "mainwindow/plot_navigation.h"

namespace quorlin {

namespace {

std::string Num(double v) { return GeneralText(v); }

}  // namespace

float PlotGesture::PrimaryLambda() const { return m_.data.Lambda(m_.data.PrimaryLineIndex()); }

std::vector<Reflection> PlotGesture::Nearest(float d, int maxNumber) const {
  std::vector<Reflection> out;
  if (m_.PatternType == "jcpds") {
    for (std::int16_t p : m_.XRDPlot.jcpdsNearestLine(d, maxNumber, m_.UnitCell, m_.PeakList))
      out.push_back({m_.PeakList.h(p), m_.PeakList.k(p), m_.PeakList.l(p)});
  } else {
    for (const MillerIndices& r : m_.XRDPlot.NearestLine(d, maxNumber, m_.UnitCell, m_.pattern, false))
      out.push_back({r.h, r.k, r.l});
  }
  return out;
}

bool PlotGesture::Start(MouseButton button, float x, float y) {
  if (button == MouseButton::Right) return true;  // the Plot pop-up menu
  if (button != MouseButton::Left) return false;
  buttonDown_ = true;
  trialCell_.reset();
  trialPlot_.reset();
  pressCell_.reset();
  m_.WriteUndoRecord();
  switch (m_.mouseMode_) {
    case kPoint:
      boxDrawn_ = false;
      anchorX_ = lastX_ = x;
      anchorY_ = lastY_ = y;
      break;
    case kCellEdge:
    case kFullStrain:
    case kVolume: {
      dragged_ = Nearest(m_.XRDPlot.DFromTT(x), 1);
      d0_ = 0;
      anchorX_ = x;
      m_.ReportText.clear();
      if (!dragged_.empty()) {
        const auto& r = dragged_.front();
        m_.ReportText = "Dragging " + std::to_string(r[0]) + std::to_string(r[1]) + std::to_string(r[2]);
        m_.ReportChanged();
        d0_ = m_.UnitCell.hklDSpacing(r[0], r[1], r[2]);
        if (d0_ > 0) anchorX_ = m_.XRDPlot.TTFromD(PrimaryLambda(), d0_);
      }
      anchorY_ = lastY_ = y;
      lastX_ = x;
      segmentDrawn_ = true;
      m_.ShowRubberBand(RubberBandFigure{RubberBandFigure::Kind::Segment, anchorX_, y, x, y});
      if (m_.mouseMode_ == kFullStrain) {
        pressCell_ = m_.UnitCell;
        pressSystem_ = m_.crystalSystem_;
        pressLaue_ = m_.pattern.LaueClass;
        m_.EliminateSymmetry();
      }
      break;
    }
    case kHand:
      anchorX_ = x;
      anchorY_ = y;
      break;
    default: break;
  }
  return false;
}

void PlotGesture::Move(MouseButton button, float x, float y) {
  if (!buttonDown_ || button != MouseButton::Left) return;
  switch (m_.mouseMode_) {
    case kPoint:
      if (std::fabs(anchorX_ - x) > 0.01f && RoundHalfEven(std::fabs(anchorY_ - y)) >= 1) {
        m_.ShowRubberBand(RubberBandFigure{RubberBandFigure::Kind::Box, anchorX_, anchorY_, x, y});
        boxDrawn_ = true;
        lastX_ = x;
        lastY_ = y;
      }
      break;
    case kCellEdge:
    case kFullStrain:
    case kVolume:
      m_.ShowRubberBand(RubberBandFigure{RubberBandFigure::Kind::Segment, anchorX_, y, x, y});
      segmentDrawn_ = true;
      lastX_ = x;
      lastY_ = y;
      if (!dragged_.empty() && d0_ > 0) {
        trialCell_ = m_.UnitCell;
        CommitDrag(*trialCell_, x);
        m_.PreviewChanged();
      }
      break;
    case kHand:
      trialPlot_ = m_.XRDPlot;
      PanPlotWindow(*trialPlot_, x - anchorX_, y - anchorY_);
      m_.PreviewChanged();
      break;
    default: break;
  }
}

bool PlotGesture::DragCell(CUnitCell& cell, float x) const {
  // A press that found no reflection leaves the cell as it was.
  if (dragged_.empty() || !(d0_ > 0)) return false;
  // With snap on the line goes to the strongest peak near where it was at
  // the press, wherever the mouse is.
  const float dt = m_.snap_ ? m_.GrowPeak(5, 15, d0_) : m_.XRDPlot.DFromTT(x);
  const auto& r = dragged_.front();
  if (m_.mouseMode_ == kCellEdge) return CellEdgeDrag(cell, r[0], r[1], r[2], d0_, dt);
  if (m_.mouseMode_ == kVolume) return VolumeDrag(cell, d0_, dt);
  if (m_.mouseMode_ == kFullStrain) return FullStrainDrag(cell, r[0], r[1], r[2], d0_, dt);
  return false;
}

void PlotGesture::CommitDrag(CUnitCell& cell, float x) const {
  // The history entry is part of the commit: recording re-derives the
  // reciprocal cell from the direct one, so the trial records too (in its
  // own copy) to show the very cell the release leaves.
  DragCell(cell, x);
  cell.CellHistory(-1);
}

void PlotGesture::SwapPreview() {
  if (trialCell_) std::swap(m_.UnitCell, *trialCell_);
  if (trialPlot_) std::swap(m_.XRDPlot, *trialPlot_);
}

PlotPreview::PlotPreview(MainModel& model) : m_(model) { m_.gesture_.SwapPreview(); }
PlotPreview::~PlotPreview() { m_.gesture_.SwapPreview(); }

void PlotGesture::Stop(MouseButton button, float x, float y) {
  if (!buttonDown_) return;
  // The release is the gesture's one edit. The press wrote a record too;
  // this one makes Undo return to the state just before the release.
  m_.WriteUndoRecord();
  trialCell_.reset();
  trialPlot_.reset();
  pressCell_.reset();
  std::optional<ModelChange> changed = ModelChange::Plot;
  switch (m_.mouseMode_) {
    case kPoint:
      if (boxDrawn_) {
        m_.ShowRubberBand(std::nullopt);
        boxDrawn_ = false;
        if (button == MouseButton::Left) {
          m_.SetWindow(std::min(anchorX_, x), std::max(anchorX_, x));
          m_.SetIntensityWindow(SingleText(std::min(anchorY_, y)), SingleText(std::max(anchorY_, y)));
          m_.WindowMoved();
        }
      } else {
        CursorReadout(x, y);
        changed.reset();
      }
      break;
    case kCellEdge:
    case kFullStrain:
    case kVolume: {
      m_.ShowRubberBand(std::nullopt);
      segmentDrawn_ = false;
      CommitDrag(m_.UnitCell, x);
      if (!m_.ReportText.empty()) m_.ReportText += "\n";
      m_.ReportText += "Volume tracking: " + Num(m_.UnitCell.VNorm());
      changed = ModelChange::All;
      break;
    }
    case kHand: Pan(x, y); break;
    default: break;
  }
  anchorX_ = x;
  anchorY_ = y;
  buttonDown_ = false;
  if (changed) m_.Notify(*changed);
}

void PlotGesture::Pan(float x, float y) {
  PanPlotWindow(m_.XRDPlot, x - anchorX_, y - anchorY_);
  m_.WindowMoved();
}

void PlotGesture::CursorReadout(float x, float y) {
  float dt = m_.XRDPlot.DFromTT(x);
  auto found = Nearest(dt, 10);
  std::string text;
  if (!found.empty()) {
    for (std::size_t i = 0; i < found.size(); ++i) {
      const auto& r = found[i];
      if (i > 0) text += ", ";
      text += std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]);
    }
    text += "\n";
    const auto& first = found.front();
    text += "(d = " + Num(m_.UnitCell.hklDSpacing(first[0], first[1], first[2])) + ")\n";
  }
  text += "Cursor:\n";
  if (m_.XRDPlot.DataType() == "Energy") {
    text += "Channel = " + Num(x) + ",\n";
    text += "Energy = " + Num(m_.XRDPlot.EnergyFromChannel(x)) + ",\n";
  } else {
    text += "2 theta = " + Num(x) + ",\n";
    text += "I = " + Num(y) + ",\n";
  }
  text += "d = " + Num(dt) + "\n";
  text += "Cell volume: " + Num(m_.UnitCell.Volume()) + "\n";
  text += "Volume tracking: " + Num(m_.UnitCell.VNorm()) + "\n";
  if (m_.PatternType == "jcpds") text += "PeakSum: " + Num(m_.PkSum());
  m_.ReportText = text;
  m_.ReportChanged();
}

void PlotGesture::Cancel() {
  if (!buttonDown_) return;
  if (boxDrawn_ || segmentDrawn_) m_.ShowRubberBand(std::nullopt);
  boxDrawn_ = segmentDrawn_ = false;
  dragged_.clear();
  buttonDown_ = false;
  const bool showedTrial = trialCell_ || trialPlot_;
  trialCell_.reset();
  trialPlot_.reset();
  bool restored = false;
  if (pressCell_) {
    restored = pressCell_->CellShape() != m_.UnitCell.CellShape() || pressSystem_ != m_.crystalSystem_;
    if (restored) {
      m_.SetCrystalSystem(pressSystem_);
      m_.pattern.LaueClass = pressLaue_;
      m_.UnitCell = *pressCell_;
    }
    pressCell_.reset();
  }
  if (restored) m_.Notify(ModelChange::All);
  else if (showedTrial) m_.PreviewChanged();
}

}  // namespace quorlin
