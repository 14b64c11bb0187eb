#include "mainwindow/plot_gesture.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "core/numtext.h"
#include "mainwindow/main_model.h"
#include "mainwindow/plot_interaction.h"

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
      if (m_.mouseMode_ == kFullStrain) m_.EliminateSymmetry();
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
      break;
    default: break;
  }
}

void PlotGesture::Stop(MouseButton button, float x, float y) {
  if (!buttonDown_) return;
  // The release is the gesture's one edit. The press wrote a record too;
  // this one makes Undo return to the state just before the release.
  m_.WriteUndoRecord();
  float dt = m_.XRDPlot.DFromTT(x);
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
      // A press that found no reflection leaves the cell as it was.
      if (!dragged_.empty() && d0_ > 0) {
        if (m_.snap_) dt = m_.GrowPeak(5, 15, d0_);
        const auto& r = dragged_.front();
        if (m_.mouseMode_ == kCellEdge) CellEdgeDrag(m_.UnitCell, r[0], r[1], r[2], d0_, dt);
        else if (m_.mouseMode_ == kVolume) VolumeDrag(m_.UnitCell, d0_, dt);
        else FullStrainDrag(m_.UnitCell, r[0], r[1], r[2], d0_, dt);
      }
      m_.UnitCell.CellHistory(-1);
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
  const float dx = x - anchorX_, dy = y - anchorY_;
  const float lo = m_.XRDPlot.SngTTMin(), hi = m_.XRDPlot.SngTTMax();
  const float absLo = m_.XRDPlot.TTAbsMin, absHi = m_.XRDPlot.TTAbsMax;
  float newLo = lo - dx, newHi = hi - dx;
  // Keep the width and stay inside the absolute bounds.
  if (newLo < absLo) {
    newHi += absLo - newLo;
    newLo = absLo;
  }
  if (newHi > absHi) {
    newLo = std::max(absLo, newLo - (newHi - absHi));
    newHi = absHi;
  }
  m_.SetWindow(newLo, newHi);
  const double iLo = m_.XRDPlot.IMinValue() - dy, iHi = m_.XRDPlot.IMaxValue() - dy;
  m_.SetIntensityWindow(DoubleText(iLo), DoubleText(iHi));
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
}

}  // namespace quorlin
