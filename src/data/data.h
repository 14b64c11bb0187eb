// One measured pattern: channel x values and intensities, its range, whether
// it is angle or energy data, the energy calibration, and the X-ray source
// lines (tube, wavelengths, relative intensities, which are on, the primary).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/object_state.h"

namespace quorlin {

class CData : public IObjectState {
 public:
  static constexpr int kLineCount = 21;                 // line tables take indices 0..20
  static constexpr float kMinWavelength = 0.01f;        // a wavelength must exceed this
  static constexpr float kCustomWavelength = 1.540562f; // given to a new custom line
  // A declared channel count beyond this is not a pattern anyone measured.
  static constexpr std::int32_t kMaxChannels = 10'000'000;

  CData();

  std::string DataType = "Angle";  // "Angle" (x in degrees 2-theta) or "Energy" (x is a channel)

  // Channel count and indices are 32-bit: modern scans exceed 32 767 points.
  std::int32_t NChan() const { return static_cast<std::int32_t>(x_.size()); }
  void SetNChan(std::int32_t n);  // re-creates both arrays, all zero; n < 0 is treated as 0
  // Intensities are kept as read (double): normalised patterns have fractions.
  double Intensity(std::int32_t i) const { return intensity_.at(static_cast<std::size_t>(i)); }
  void SetIntensity(std::int32_t i, double v) { intensity_.at(static_cast<std::size_t>(i)) = v; }
  float TwoTheta(std::int32_t i) const { return x_.at(static_cast<std::size_t>(i)); }
  void SetTwoTheta(std::int32_t i, float v) { x_.at(static_cast<std::size_t>(i)) = v; }
  // Replaces both arrays at once; the readers build a pattern aside and
  // commit it in one step. Throws std::invalid_argument on unequal sizes.
  void SetPattern(std::vector<float> x, std::vector<double> intensity);
  const std::vector<float>& XValues() const { return x_; }
  const std::vector<double>& Intensities() const { return intensity_; }

  float Lower = 0.0f;
  float Upper = 0.0f;
  float edsTWO_THETA = 0.0f;
  float edsCAL_OFFSET = 0.0f;
  float edsCAL_SLOPE = 0.0f;
  float edsCAL_QUAD = 0.0f;
  std::string TubeType;
  float PrimaryLine = 0.0f;  // a line index held as a Single
  std::int16_t NumberOfSourceLines() const { return numberOfSourceLines_; }
  // PrimaryLine rounded half to even to a line index (0 when out of 0..20).
  int PrimaryLineIndex() const;

  // The wavelength dialog's "Move Primary Wavelength to Next Available": at
  // most ten steps of PrimaryLine + 1 (after line 9 comes line 0), stopping
  // at the first line that is on. With no other line on, ten steps come back
  // to the start.
  void MovePrimaryToNextAvailable();

  float Lambda(int i) const { return lambda_.at(static_cast<std::size_t>(i)); }
  void SetLambda(int i, float v);  // kept only when v > 0.01 (and finite)
  float SourceIntensity(int i) const { return sourceIntensity_.at(static_cast<std::size_t>(i)); }
  void SetSourceIntensity(int i, float v) { sourceIntensity_.at(static_cast<std::size_t>(i)) = v; }
  bool LineExists(int i) const { return lineExists_.at(static_cast<std::size_t>(i)); }
  void SetLineExists(int i, bool on) { lineExists_.at(static_cast<std::size_t>(i)) = on; }

  // Smallest and largest of 0 and every intensity, rounded outward to whole
  // numbers (min is never above 0, max never below 0).
  void MinMaxIntensity(double& min, double& max) const;
  // Linear interpolation at fractional channel x; 0 outside Lower..Upper.
  double IntensityInterpolated(float x) const;
  // The channel whose x is nearest (lowest wins a tie); empty when none is
  // closer than 1000.
  std::optional<std::int32_t> Index(float x) const;

  void ReadObjectState(std::string_view prefix, const PropertyBag& bag) override;
  void WriteObjectState(std::string_view prefix, PropertyBag& bag) const override;

 private:
  std::vector<float> x_;
  std::vector<double> intensity_;
  std::int16_t numberOfSourceLines_ = 9;
  std::array<float, kLineCount> lambda_{};
  std::array<float, kLineCount> sourceIntensity_{};
  std::array<bool, kLineCount> lineExists_{};
};

}  // namespace quorlin
