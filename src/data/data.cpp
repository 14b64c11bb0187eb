#include "data/data.h"

#include <cmath>
#include <stdexcept>

#include "core/numtext.h"

namespace quorlin {
namespace {

// Copper K-alpha1, K-alpha2, K-beta1, then molybdenum, in Angstrom.
constexpr float kTubeLines[6] = {1.540562f, 1.54439f, 1.392218f, 0.7093f, 0.71359f, 0.632288f};
constexpr float kTubeIntensities[6] = {1.0f, 0.5f, 0.05f, 1.0f, 0.5f, 0.05f};

}  // namespace

CData::CData() {
  for (int i = 0; i < 6; ++i) lambda_[static_cast<std::size_t>(i)] = kTubeLines[i];
}

void CData::SetNChan(std::int32_t n) {
  if (n < 0) n = 0;
  x_.assign(static_cast<std::size_t>(n), 0.0f);
  intensity_.assign(static_cast<std::size_t>(n), 0.0);
}

void CData::SetPattern(std::vector<float> x, std::vector<double> intensity) {
  if (x.size() != intensity.size()) throw std::invalid_argument("CData::SetPattern: arrays of unequal size");
  x_ = std::move(x);
  intensity_ = std::move(intensity);
}

int CData::PrimaryLineIndex() const {
  double r = RoundHalfEven(PrimaryLine);
  if (!(r >= 0 && r < kLineCount)) return 0;
  return static_cast<int>(r);
}

void CData::MovePrimaryToNextAvailable() {
  for (int step = 0; step < 10; ++step) {
    PrimaryLine += 1;
    if (PrimaryLine > 9) PrimaryLine = 0;
    if (LineExists(PrimaryLineIndex())) break;
  }
}

void CData::SetLambda(int i, float v) {
  float& slot = lambda_.at(static_cast<std::size_t>(i));
  if (v > kMinWavelength && std::isfinite(v)) slot = v;
}

void CData::MinMaxIntensity(double& min, double& max) const {
  min = 0.0;
  max = 0.0;
  for (double v : intensity_) {
    if (v < min) min = v;
    if (v > max) max = v;
  }
  min = std::floor(min);
  max = std::ceil(max);
}

double CData::IntensityInterpolated(float x) const {
  double i1 = std::floor(static_cast<double>(x));
  double i2 = i1 + 1.0;
  if (!(i1 >= Lower && i2 <= Upper)) return 0.0;
  // Lower/Upper are the channel range for energy data; guard the arrays too.
  if (i1 < 0 || i2 >= static_cast<double>(NChan())) return 0.0;
  double a = intensity_[static_cast<std::size_t>(i1)];
  double b = intensity_[static_cast<std::size_t>(i2)];
  return (static_cast<double>(x) - i1) * (b - a) + a;
}

std::optional<std::int32_t> CData::Index(float x) const {
  float best = 1000.0f;
  std::optional<std::int32_t> found;
  for (std::int32_t i = 0; i < NChan(); ++i) {
    float diff = std::fabs(x_[static_cast<std::size_t>(i)] - x);
    if (diff < best) {
      best = diff;
      found = i;
    }
  }
  return found;
}

void CData::WriteObjectState(std::string_view prefix, PropertyBag& bag) const {
  std::string p(prefix);
  bag.WriteProperty(p + "NChan", NChan(), std::int32_t{1});
  bag.WriteProperty(p + "Lower", Lower, 5.0f);
  bag.WriteProperty(p + "Upper", Upper, 90.0f);
  for (int i = 6; i <= numberOfSourceLines_; ++i)
    bag.WriteProperty(IndexedKey(p, "m_Lambda", i), Lambda(i), 1.0f);
  for (int i = 0; i < 6; ++i)
    bag.WriteProperty(IndexedKey(p, "m_SourceIntensity", i), SourceIntensity(i), kTubeIntensities[i]);
  for (int i = 6; i <= numberOfSourceLines_; ++i)
    bag.WriteProperty(IndexedKey(p, "m_SourceIntensity", i), SourceIntensity(i), 1.0f);
  for (int i = 0; i <= numberOfSourceLines_; ++i)
    bag.WriteProperty(IndexedKey(p, "m_LineExists", i), LineExists(i), false);
  bag.WriteProperty(p + "TubeType", TubeType, std::string("Cu"));
  bag.WriteProperty(p + "PrimaryLine", PrimaryLine, -1.0f);
}

void CData::ReadObjectState(std::string_view prefix, const PropertyBag& bag) {
  std::string p(prefix);
  std::int32_t n = bag.ReadLong(p + "NChan", 1);
  if (n < 0 || n > kMaxChannels) n = 1;
  SetNChan(n);
  Lower = bag.ReadSingle(p + "Lower", 5.0f);
  Upper = bag.ReadSingle(p + "Upper", 90.0f);
  // Older projects could hold an infinite range from an axis that overflowed.
  if (!std::isfinite(Lower)) Lower = 5.0f;
  if (!std::isfinite(Upper)) Upper = 90.0f;
  for (int i = 6; i < kLineCount; ++i) SetLambda(i, bag.ReadSingle(IndexedKey(p, "m_Lambda", i), 1.0f));
  for (int i = 0; i < 6; ++i)
    SetSourceIntensity(i, bag.ReadSingle(IndexedKey(p, "m_SourceIntensity", i), kTubeIntensities[i]));
  for (int i = 6; i <= numberOfSourceLines_; ++i)
    SetSourceIntensity(i, bag.ReadSingle(IndexedKey(p, "m_SourceIntensity", i), 1.0f));
  for (int i = 0; i <= numberOfSourceLines_; ++i)
    SetLineExists(i, bag.ReadBoolean(IndexedKey(p, "m_LineExists", i), false));
  TubeType = bag.ReadString(p + "TubeType", "Cu");
  PrimaryLine = bag.ReadSingle(p + "PrimaryLine", -1.0f);
  if (PrimaryLine == -1.0f) {
    if (TubeType == "Cu") {
      PrimaryLine = 0;
      SetLineExists(0, true);
    } else if (TubeType == "Mo") {
      PrimaryLine = 3;
      SetLineExists(3, true);
    } else if (TubeType == "Xx") {
      SetLambda(6, kCustomWavelength);
      SetSourceIntensity(6, 1.0f);
      PrimaryLine = 6;
      SetLineExists(6, true);
    }
  }
  // Every line is placed by the primary wavelength. The dialog refuses one
  // of 0.01 A or less; a project that names such a line (a crafted negative
  // wavelength) would draw nothing, so the tube's K alpha 1 takes its place.
  if (PrimaryLine != -1.0f && !(Lambda(PrimaryLineIndex()) > kMinWavelength)) {
    PrimaryLine = 0;
    SetLineExists(0, true);
  }
}

}  // namespace quorlin
