// MainModel: the plot window: the four limit boxes, Shift, the window history
// and Unzoom, and the specimen displacement.
#include "mainwindow/main_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/numtext.h"
#include "mainwindow/plot_navigation.h"

namespace quorlin {

namespace {

std::string Num(double v) { return GeneralText(v); }

}  // namespace

void MainModel::SpecimenDisplacementGotFocus() { displacementAtFocus_ = XRDPlot.SpecimenDisplacement; }

bool MainModel::SpecimenDisplacementChanged(std::string_view text) {
  auto v = StrictSingle(text);
  if (IsNumeric(text) && !v) {
    // A number no Single holds: the entry is refused as a whole, and the
    // value from before it (the keystrokes on the way, "1e9" for "1e999",
    // were applied) comes back.
    if (displacementAtFocus_ && XRDPlot.SpecimenDisplacement != *displacementAtFocus_) {
      XRDPlot.SpecimenDisplacement = *displacementAtFocus_;
      Notify();
    }
    return false;
  }
  if (!v || !std::isfinite(*v)) return false;
  XRDPlot.SpecimenDisplacement = *v;
  Notify();
  return true;
}

// --- plot window -------------------------------------------------------------------------

std::string MainModel::LimitText(int index) const {
  switch (index) {
    case 0:
    case 1: {
      double v = index == 0 ? XRDPlot.SngTTMin() : XRDPlot.SngTTMax();
      double roundOff = XRDPlot.IRoundOff > 0 ? XRDPlot.IRoundOff : 1;
      return Num(RoundHalfEven(v * roundOff) / roundOff);
    }
    case 2: return XRDPlot.imin();
    case 3: return XRDPlot.IMax();
    default: return std::string();
  }
}

void MainModel::PlotLimitUpdate() {
  for (int i = 0; i < 4; ++i) PlotLimits[static_cast<std::size_t>(i)] = LimitText(i);
  if (view_) view_->PlotLimitUpdate();
}

bool MainModel::SetLimit(int index, std::string_view text) {
  switch (index) {
    case 0: return XRDPlot.SetTTMin(text);
    case 1: return XRDPlot.SetTTMax(text);
    case 2: return XRDPlot.Setimin(text);
    case 3: return XRDPlot.SetIMax(text);
    default: return false;
  }
}

void MainModel::PlotLimitGotFocus(int index, bool windowReturned) {
  undoAtNextKey_ = windowReturned;
  if (!windowReturned) WriteUndoRecord();
  limitAtFocus_.reset();
  if (index >= 0 && index <= 3) limitAtFocus_ = std::make_pair(index, LimitValueText(index));
}

std::string MainModel::LimitValueText(int index) const {
  switch (index) {
    case 0: return XRDPlot.TTMin();
    case 1: return XRDPlot.TTMax();
    case 2: return XRDPlot.imin();
    case 3: return XRDPlot.IMax();
    default: return std::string();
  }
}

bool MainModel::PlotLimitChanged(int index, std::string_view text) {
  if (IsNumeric(text) && !StrictSingle(text)) {
    // A number no Single holds is refused as a whole: the limit from before
    // the entry comes back (the keystrokes on the way were applied); the box
    // shows it again when it loses the focus.
    if (limitAtFocus_ && limitAtFocus_->first == index && SetLimit(index, limitAtFocus_->second))
      Notify(ModelChange::Plot);
    return false;
  }
  if (!TypedEdit([&] { return SetLimit(index, text); })) return false;
  Notify(ModelChange::Plot);  // the undo record was written when the box got the focus
  return true;
}

std::string MainModel::PlotLimitLostFocus(int index) {
  if (index < 0 || index > 3) return std::string();
  PlotLimits[static_cast<std::size_t>(index)] = LimitText(index);
  XRDPlot.LimitHistory(-1);
  RefreshHistoryButtons();
  return PlotLimits[static_cast<std::size_t>(index)];
}

void MainModel::SetWindow(float ttMin, float ttMax) { SetPlotWindow(XRDPlot, ttMin, ttMax); }

void MainModel::SetIntensityWindow(const std::string& lo, const std::string& hi) {
  SetPlotIntensityWindow(XRDPlot, lo, hi);
}

void MainModel::ShiftLeft() {
  Edit([&] {
    float lo = XRDPlot.SngTTMin(), hi = XRDPlot.SngTTMax();
    float step = (hi - lo) / 3.0f;
    float newLo = std::max(lo - step, XRDPlot.TTAbsMin);
    float shift = lo - newLo;
    XRDPlot.SetTTMin(SingleText(newLo));
    XRDPlot.SetTTMax(SingleText(hi - shift));
    WindowMoved();
  }, ModelChange::Plot);
}

void MainModel::ShiftRight() {
  Edit([&] {
    float lo = XRDPlot.SngTTMin(), hi = XRDPlot.SngTTMax();
    float step = (hi - lo) / 3.0f;
    float newHi = std::min(hi + step, XRDPlot.TTAbsMax);
    float shift = newHi - hi;
    XRDPlot.SetTTMax(SingleText(newHi));
    XRDPlot.SetTTMin(SingleText(lo + shift));
    WindowMoved();
  }, ModelChange::Plot);
}

void MainModel::WindowMoved() {
  PlotLimitUpdate();
  XRDPlot.LimitHistory(-1);
  RefreshHistoryButtons();
}

void MainModel::PlotHistory(int action) {
  if (action < 0 || action > 3) return;
  Edit([&] {
    XRDPlot.LimitHistory(action);
    RefreshHistoryButtons();
    PlotLimitUpdate();
  }, ModelChange::Plot);
}

void MainModel::Unzoom() { PlotHistory(0); }

bool MainModel::WheelZoom(float x, int steps) {
  if (gesture_.Active()) return false;
  bool zoomed = false;
  // One step at a time: each is an undo step and a history entry, like a zoom box.
  for (int i = 0; i < std::abs(steps); ++i) {
    auto window = ZoomAbout(XRDPlot.SngTTMin(), XRDPlot.SngTTMax(), x, steps > 0 ? 1 : -1, XRDPlot.TTAbsMin,
                            XRDPlot.TTAbsMax);
    if (!window) break;
    Edit([&] {
      SetWindow(window->first, window->second);
      WindowMoved();
    }, ModelChange::Plot);
    zoomed = true;
  }
  return zoomed;
}

}  // namespace quorlin
