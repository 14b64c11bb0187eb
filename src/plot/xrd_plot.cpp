#include "plot/xrd_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/angle.h"
#include "core/numtext.h"
#include "data/data.h"

namespace quorlin {
namespace {

const CData& DefaultData() {
  static const CData data;
  return data;
}

// A window's intensity limit as the history keeps it: rounded to a Long,
// saturating at the Long range (a typed 1e12 must not overflow).
std::int32_t HistoryLong(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(RoundHalfEven(v));
}

}  // namespace

CXRDPlot::CXRDPlot() : CXRDPlot(DefaultData()) {}

CXRDPlot::CXRDPlot(const CData& data) : data_(&data) {
  SetDataType("Angle");
  StartHistory();  // so that a history move before any import lands on a real window
}

void CXRDPlot::BindData(const CData& data) {
  data_ = &data;
  RecomputeD();
}

// --- conversions -------------------------------------------------------------

float CXRDPlot::Asin(float X) {
  double x = X;
  return static_cast<float>(std::atan(x / std::sqrt(1.0 - x * x)));
}

float CXRDPlot::TTFromD(float Lambda, float D) const {
  if (dataType_ == "Angle") {
    float s = static_cast<float>(static_cast<double>(Lambda) / (2.0 * static_cast<double>(D)));
    float theta = Asin(s);
    // A displaced specimen moves the line by -2 s cos(theta) radians in 2-theta.
    float shifted =
        static_cast<float>(2.0 * static_cast<double>(theta) -
                           2.0 * static_cast<double>(SpecimenDisplacement) * std::cos(static_cast<double>(theta)));
    return CAngle::FromRadians(shifted).Degrees();
  }
  if (dataType_ == "Energy") return ChannelFromEnergy(EnergyFromD(D, data_->edsTWO_THETA));
  return 0.0f;
}

float CXRDPlot::TTFromDWithoutDisplacement(float Lambda, float D) const {
  float s = static_cast<float>(static_cast<double>(Lambda) / (2.0 * static_cast<double>(D)));
  float theta = CAngle::FromRadians(Asin(s)).Degrees();
  return static_cast<float>(2.0 * static_cast<double>(theta));
}

float CXRDPlot::DFromTT(float TT) const {
  if (dataType_ == "Angle") {
    float theta0 = CAngle::FromDegrees(TT / 2.0f).Radians();
    // The observed half-angle is theta - s cos(theta); three fixed-point steps
    // recover the Bragg angle theta.
    float theta = theta0;
    for (int i = 0; i < 3; ++i)
      theta = static_cast<float>(static_cast<double>(theta0) +
                                 static_cast<double>(SpecimenDisplacement) * std::cos(static_cast<double>(theta)));
    float lambda = data_->Lambda(data_->PrimaryLineIndex());
    return static_cast<float>(static_cast<double>(lambda) / (2.0 * std::sin(static_cast<double>(theta))));
  }
  if (dataType_ == "Energy") return DFromEnergy(EnergyFromChannel(TT), data_->edsTWO_THETA);
  return 0.0f;
}

float CXRDPlot::DFromTTWithoutDisplacement(float TT) const {
  if (dataType_ == "Angle") {
    float theta = CAngle::FromDegrees(TT / 2.0f).Radians();
    float lambda = data_->Lambda(data_->PrimaryLineIndex());
    return static_cast<float>(static_cast<double>(lambda) / (2.0 * std::sin(static_cast<double>(theta))));
  }
  if (dataType_ == "Energy") return DFromTT(TT);
  return 0.0f;
}

// E d sin(theta) = hc/2 with hc/2 = 6.1997 keV Angstrom (and pi as 3.14159).
float CXRDPlot::EnergyFromD(float D, float TwoTheta) {
  return static_cast<float>(6.1997 /
                            (static_cast<double>(D) * std::sin(static_cast<double>(TwoTheta) * 3.14159 / 360.0)));
}

float CXRDPlot::DFromEnergy(float E, float TwoTheta) {
  return static_cast<float>(6.1997 /
                            (static_cast<double>(E) * std::sin(static_cast<double>(TwoTheta) * 3.14159 / 360.0)));
}

float CXRDPlot::EnergyFromChannel(float Channel) const {
  double ch = Channel;
  return static_cast<float>(static_cast<double>(data_->edsCAL_QUAD) * (ch * ch) +
                            static_cast<double>(data_->edsCAL_SLOPE) * ch + static_cast<double>(data_->edsCAL_OFFSET));
}

float CXRDPlot::ChannelFromEnergy(float E) const {
  float hi = static_cast<float>(data_->NChan() - 1);
  float lo = 0.0f;
  if (!(hi > lo)) return -1.0f;  // no channels to bisect over
  if (EnergyFromChannel(hi) <= E || EnergyFromChannel(lo) >= E) return -1.0f;
  // NaN energies fail both tests above; guard the loop against them too.
  if (std::isnan(E)) return -1.0f;
  while (hi - lo >= 0.01f) {
    float mid = (hi + lo) / 2.0f;
    if (EnergyFromChannel(mid) < E)
      lo = mid;
    else
      hi = mid;
  }
  return (hi + lo) / 2.0f;
}

// --- axis kind and window ------------------------------------------------------

void CXRDPlot::SetDataType(std::string_view text) {
  dataType_ = std::string(text);
  if (dataType_ == "Angle") {
    absMin_ = 0.001f;
    absMax_ = 179.99f;
    IRoundOff = 100;
  } else if (dataType_ == "Energy") {
    absMin_ = 0.0f;
    // Spectra of more than 4096 channels are viewed whole.
    absMax_ = std::max(4095.0f, static_cast<float>(data_->NChan() - 1));
    IRoundOff = 1;
  }
  range_.SetMin(SingleText(absMin_));
  range_.SetMax(SingleText(absMax_));
  imin_ = "0";
  imax_ = "10000";
  // Cleared before the edge spacings are worked out, so that they belong to
  // the undisplaced axis the new window starts with.
  SpecimenDisplacement = 0.0f;
  RecomputeD();
  TTAbsMin = absMin_;
  TTAbsMax = absMax_;
  ForwardOK = false;
  BackwardOK = false;
}

// An energy axis whose window starts at or below zero energy (a calibration
// with a negative offset, the window starting at channel 0) gives a negative
// spacing at that edge. It bounds nothing: every spacing lies to its right.
float CXRDPlot::EdgeSpacing(float TT) const {
  float d = DFromTT(TT);
  return d < 0.0f ? std::numeric_limits<float>::infinity() : d;
}

void CXRDPlot::RecomputeD() {
  dMin_ = EdgeSpacing(range_.SngMax());
  dMax_ = EdgeSpacing(range_.SngMin());
}

std::string CXRDPlot::TTMin() const { return SingleText(range_.SngMin()); }
std::string CXRDPlot::TTMax() const { return SingleText(range_.SngMax()); }

// Typing "12." or "12.50" is not applied until the number is complete.
bool CXRDPlot::IsCompleteNumber(std::string_view text) {
  if (text.empty()) return false;
  char last = text.back();
  if (last == '.') return false;
  if (text.find('.') != std::string_view::npos && last == '0') return false;
  return true;
}

bool CXRDPlot::AcceptsLimit(std::string_view text, float& value) const {
  if (!range_.IsPossible(text)) return false;
  value = static_cast<float>(*StrictDouble(text));
  if (value < absMin_ || value > absMax_) return false;
  return IsCompleteNumber(text);
}

bool CXRDPlot::SetTTMin(std::string_view text) {
  float v = 0;
  if (!AcceptsLimit(text, v)) return false;
  if (v > range_.SngMax() - 0.01f) return false;
  range_.SetMin(text);
  dMax_ = EdgeSpacing(v);
  return true;
}

bool CXRDPlot::SetTTMax(std::string_view text) {
  float v = 0;
  if (!AcceptsLimit(text, v)) return false;
  if (v < range_.SngMin() + 0.01f) return false;
  range_.SetMax(text);
  dMin_ = EdgeSpacing(v);
  return true;
}

double CXRDPlot::IMinValue() const { return StrictDouble(imin_).value_or(0.0); }
double CXRDPlot::IMaxValue() const { return StrictDouble(imax_).value_or(0.0); }

bool CXRDPlot::Setimin(std::string_view text) {
  // Intensities are drawn in single precision: a larger number blanks the plot.
  auto v = StrictDouble(text);
  if (!v || !StrictSingle(text)) return false;
  if (!(*v < IMaxValue() - 1.0)) return false;
  imin_ = std::string(text);
  return true;
}

bool CXRDPlot::SetIMax(std::string_view text) {
  // Intensities are drawn in single precision: a larger number blanks the plot.
  auto v = StrictDouble(text);
  if (!v || !StrictSingle(text)) return false;
  if (!(*v > IMinValue() + 1.0)) return false;
  imax_ = std::string(text);
  return true;
}

// --- window history --------------------------------------------------------------

CXRDPlot::Window CXRDPlot::CurrentWindow() const {
  return {range_.SngMin(), range_.SngMax(), HistoryLong(IMinValue()), HistoryLong(IMaxValue())};
}

void CXRDPlot::StartHistory() {
  newest_ = oldest_ = kHistoryCurrent;
  history_[kHistoryCurrent] = CurrentWindow();
}

void CXRDPlot::LimitHistory(int action) {
  constexpr int last = kHistorySize - 1;
  const int cur = kHistoryCurrent;
  switch (action) {
    case -1: {
      const Window& h = history_[cur];
      Window w = CurrentWindow();
      bool differs = w.ttMin != h.ttMin || w.ttMax != h.ttMax || IMinValue() != static_cast<double>(h.iMin) ||
                     IMaxValue() != static_cast<double>(h.iMax);
      if (differs) {
        for (int i = 0; i < cur; ++i) history_[i] = history_[i + 1];
        history_[cur] = w;
        newest_ = cur;
        oldest_ = oldest_ > 0 ? oldest_ - 1 : 0;
        ForwardOK = false;
        BackwardOK = true;
      }
      break;
    }
    case 1:  // back
      if (oldest_ < cur) {
        for (int i = last; i >= 1; --i) history_[i] = history_[i - 1];
        newest_ = newest_ < last ? newest_ + 1 : last;
        oldest_ += 1;
        BackwardOK = oldest_ < cur;
        ForwardOK = newest_ > cur;
      }
      break;
    case 2:  // forward
      if (newest_ >= cur + 1) {
        for (int i = 0; i < last; ++i) history_[i] = history_[i + 1];
        newest_ -= 1;
        oldest_ = oldest_ > 0 ? oldest_ - 1 : 0;
        BackwardOK = oldest_ < cur;
        ForwardOK = newest_ > cur;
      }
      break;
    case 0: {  // oldest
      int k = cur - oldest_;
      for (int i = last; i >= k; --i) history_[i] = history_[i - k];
      newest_ = newest_ + k < last ? newest_ + k : last;
      oldest_ = cur;
      BackwardOK = false;
      ForwardOK = newest_ > cur;
      break;
    }
    case 3: {  // newest
      int k = newest_ - cur;
      for (int i = 0; i <= last - k; ++i) history_[i] = history_[i + k];
      newest_ = cur;
      oldest_ = oldest_ - k > 0 ? oldest_ - k : 0;
      ForwardOK = false;
      BackwardOK = oldest_ < cur;
      break;
    }
    default:
      break;
  }
  ApplyHistoryEntry();
}

// Sets the live window from entry 50. Every entry was a valid window, so the
// limits go in whichever order the acceptance rules take them: a window lying
// wholly above the current one gets its maximum first. (Minimum first in
// every case would refuse that minimum and leave a mixed window behind.)
void CXRDPlot::ApplyHistoryEntry() {
  const Window& w = history_[kHistoryCurrent];
  if (w.ttMin > range_.SngMax()) {
    range_.SetMax(SingleText(w.ttMax));
    range_.SetMin(SingleText(w.ttMin));
  } else {
    range_.SetMin(SingleText(w.ttMin));
    range_.SetMax(SingleText(w.ttMax));
  }
  RecomputeD();
  if (static_cast<double>(w.iMin) < IMaxValue() - 1.0) {
    Setimin(std::to_string(w.iMin));
    SetIMax(std::to_string(w.iMax));
  } else {
    SetIMax(std::to_string(w.iMax));
    Setimin(std::to_string(w.iMin));
  }
}

// --- persisted keys ----------------------------------------------------------------

void CXRDPlot::ReadObjectState(std::string_view prefix, const PropertyBag& bag) {
  std::string p(prefix);
  // Through the validating setters, minimum first: a stored minimum above the
  // current maximum is refused and the old minimum stays.
  SetTTMin(bag.ReadString(p + "TTMin", "5"));
  SetTTMax(bag.ReadString(p + "TTMax", "90"));
  Setimin(bag.ReadString(p + "IMin", "0"));
  SetIMax(bag.ReadString(p + "IMax", "10000"));
  // A displacement that is not a finite number would make every line vanish.
  float displacement = bag.ReadSingle(p + "SpecimenDisplacement", 0.0f);
  SpecimenDisplacement = std::isfinite(displacement) ? displacement : 0.0f;
  ShowSpecimenDisplacement = bag.ReadBoolean(p + "ShowSpecimenDisplacement", false);
  ShowReport = bag.ReadBoolean(p + "ShowReport", true);
  XRDBackColor = bag.ReadLong(p + "XRDBackColor", kSystemScrollBarColour);
  XRDDataWidth = std::clamp<std::int16_t>(bag.ReadInteger(p + "XRDDataWidth", 1), 1, 5);  // as the dialog offers
  XRDDataColor = bag.ReadLong(p + "XRDDataColor", 0);
  ShowLineIntensities = bag.ReadBoolean(p + "ShowLineIntensities", true);
  StartHistory();
}

void CXRDPlot::WriteObjectState(std::string_view prefix, PropertyBag& bag) const {
  std::string p(prefix);
  bag.WriteProperty(p + "TTMin", TTMin(), std::string("5"));
  bag.WriteProperty(p + "TTMax", TTMax(), std::string("90"));
  bag.WriteProperty(p + "IMin", imin_, std::int32_t{0});
  bag.WriteProperty(p + "IMax", imax_, std::int32_t{10000});
  bag.WriteProperty(p + "SpecimenDisplacement", SpecimenDisplacement, 0.0f);
  bag.WriteProperty(p + "ShowSpecimenDisplacement", ShowSpecimenDisplacement, false);
  bag.WriteProperty(p + "ShowReport", ShowReport, true);
  bag.WriteProperty(p + "XRDBackColor", XRDBackColor, kSystemScrollBarColour);
  bag.WriteProperty(p + "XRDDataWidth", XRDDataWidth, std::int16_t{1});
  bag.WriteProperty(p + "XRDDataColor", XRDDataColor, std::int32_t{0});
  bag.WriteProperty(p + "ShowLineIntensities", ShowLineIntensities, true);
}

}  // namespace quorlin
