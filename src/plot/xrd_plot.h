// The diffraction plot: how the horizontal axis (2-theta in degrees for
// "Angle" data, a detector channel for "Energy" data) relates to d-spacings,
// the plot window with its validated limits and a 101-entry history, and the
// drawing of reflection lines, stored phases and the measured pattern.
//
// The conversions read the measured data set the plot is bound to (source
// wavelengths, primary line, energy calibration, channel count).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/wrapped_single.h"
#include "core/object_state.h"
#include "plot/surface.h"

namespace quorlin {

class CData;
class CPattern;
class CUnitCell;
class CStoredPhases;
class clsPeakList;

// One reflection's indices, as NearestLine returns them.
struct MillerIndices {
  std::int16_t h = 0, k = 0, l = 0;
  friend bool operator==(const MillerIndices&, const MillerIndices&) = default;
};

class CXRDPlot : public IObjectState {
 public:
  static constexpr int kHistorySize = 101;
  static constexpr int kHistoryCurrent = 50;
  // Yellow (&HFFFF), the colour of stored fluorescence lines.
  static constexpr Colour kFluorescenceColour = Rgb(255, 255, 0);

  // Bound to a default data set (Cu K-alpha1 primary line, no calibration).
  CXRDPlot();
  // Bound to data, which must outlive the plot.
  explicit CXRDPlot(const CData& data);
  // Re-binds, and works out DMin/DMax again for the new data set.
  void BindData(const CData& data);
  const CData& BoundData() const { return *data_; }

  // --- conversions -------------------------------------------------------
  float DFromTT(float TT) const;
  float DFromTTWithoutDisplacement(float TT) const;
  // In "Energy" mode Lambda is ignored and the result is a channel (-1 when
  // the energy lies outside the calibrated channels).
  float TTFromD(float Lambda, float D) const;
  float TTFromDWithoutDisplacement(float Lambda, float D) const;
  static float DFromEnergy(float E, float TwoTheta);
  static float EnergyFromD(float D, float TwoTheta);
  float EnergyFromChannel(float Channel) const;
  float ChannelFromEnergy(float E) const;
  static float Asin(float X);

  // --- axis kind and window ------------------------------------------------
  const std::string& DataType() const { return dataType_; }
  // Sets the axis kind and resets the window to the absolute bounds, the
  // intensity window to 0..10000 and the displacement to 0. The bounds are
  // 0.001..179.99 degrees for "Angle" and channels 0..4095 for "Energy"
  // (up to the last channel of a longer spectrum in the bound data).
  void SetDataType(std::string_view text);

  std::string TTMin() const;
  std::string TTMax() const;
  bool SetTTMin(std::string_view text);
  bool SetTTMax(std::string_view text);
  std::string imin() const { return imin_; }
  std::string IMax() const { return imax_; }
  bool Setimin(std::string_view text);
  bool SetIMax(std::string_view text);

  // Numeric reads of the window.
  float SngTTMin() const { return range_.SngMin(); }
  float SngTTMax() const { return range_.SngMax(); }
  double IMinValue() const;
  double IMaxValue() const;

  float DMin() const { return dMin_; }
  float DMax() const { return dMax_; }

  // --- window history --------------------------------------------------------
  void StartHistory();
  // -1 record, 0 oldest, 1 back, 2 forward, 3 newest.
  void LimitHistory(int action);
  bool ForwardOK = false;
  bool BackwardOK = false;

  // --- plain settings -------------------------------------------------------
  float TTAbsMin = 0.001f;
  float TTAbsMax = 179.99f;
  std::int16_t IRoundOff = 100;
  float SpecimenDisplacement = 0.0f;  // fraction of the goniometer radius
  bool ShowSpecimenDisplacement = false;
  bool ShowReport = true;
  Colour XRDBackColor = kSystemScrollBarColour;
  Colour XRDDataColor = 0;
  std::int16_t XRDDataWidth = 1;
  // Lines of a phase with intensities (a crystal structure's) are drawn at
  // their relative heights; off: every line at full height.
  bool ShowLineIntensities = true;
  // Where the cell refinement measured the peaks it used (plot units): a
  // short tick at the top of the window over each. Not part of the state.
  std::vector<float> ObservedTicks;
  static constexpr Colour kObservedTickColour = Rgb(255, 0, 0);
  // The indexing window's peak list (plot units): ticks at the top of the
  // window like ObservedTicks, in their own colour, so that the two windows
  // can be open together. Not part of the state.
  std::vector<float> PeakTicks;
  static constexpr Colour kPeakTickColour = Rgb(0, 140, 0);
  // The lines of a cell the indexing window previews (plot units): dashed
  // over the whole height, so that they never pass for the working phase's
  // or a stored phase's solid lines. Not part of the state.
  std::vector<float> PreviewLines;
  static constexpr Colour kPreviewLineColour = Rgb(255, 0, 255);

  // --- drawing -----------------------------------------------------------------
  // Redraws the whole plot: background and scale, the plotted stored phases,
  // the reflections of the current phase (unless PlotFromOutside), the
  // lattice-projection hook, then the measured pattern.
  void MakeXRDPlot(const CStoredPhases& storedphases, IDrawingSurface& pic, bool PlotFromOutside,
                   const CPattern& pattern, const CUnitCell& UnitCell, const CData& data, std::string_view PatternType,
                   const clsPeakList& PeakList) const;
  // One reflection of spacing d at every source line that is on: a vertical
  // segment from base to top (fractions of the intensity window), the top
  // scaled by the line's relative intensity. Nothing outside DMin..DMax.
  void PlotLine(float d, Colour colour, float base, float top, int width, IDrawingSurface& pic,
                const CData& data) const;
  void StoredPhasesPlot(int index, const CStoredPhases& storedphases, IDrawingSurface& pic, const CData& data) const;
  // The measured pattern as a polyline clipped to the window, not clearing.
  void PlotXRDDataOnly(const CData& data, IDrawingSurface& pic) const;
  static Colour ZoneColor(std::int16_t h, std::int16_t k, std::int16_t l, const CPattern& pattern);

  // The reflection(s) nearest to d among those drawn: every equivalent within
  // 0.0001 Angstrom of the nearest, in scan order, at most maxNumber.
  std::vector<MillerIndices> NearestLine(float d, int maxNumber, const CUnitCell& UnitCell, const CPattern& pattern,
                                         bool includeAbsences) const;
  // The same over a card's peak list; returns peak indexes.
  std::vector<std::int16_t> jcpdsNearestLine(float d, int maxNumber, const CUnitCell& UnitCell,
                                             const clsPeakList& PeakList) const;

  // Called at the end of every MakeXRDPlot (before the measured data) while
  // set: the lattice-projection window sets it while it is open and wants to
  // be redrawn with the plot.
  std::function<void()> PlotTheLatticeImage;

  void ReadObjectState(std::string_view prefix, const PropertyBag& bag) override;
  void WriteObjectState(std::string_view prefix, PropertyBag& bag) const override;

 private:
  void PlotReflections(const CStoredPhases& storedphases, IDrawingSurface& pic, const CPattern& pattern,
                       const CUnitCell& UnitCell, const CData& data, std::string_view PatternType,
                       const clsPeakList& PeakList) const;
  struct Window {
    float ttMin = 0, ttMax = 0;
    std::int32_t iMin = 0, iMax = 0;
  };
  static bool IsCompleteNumber(std::string_view text);
  bool AcceptsLimit(std::string_view text, float& value) const;
  float EdgeSpacing(float TT) const;
  void RecomputeD();
  void ApplyHistoryEntry();
  Window CurrentWindow() const;

  const CData* data_;
  std::string dataType_;
  float absMin_ = 0.001f;
  float absMax_ = 179.99f;
  CWrappedSingle range_;
  float dMin_ = 0.0f;
  float dMax_ = 0.0f;
  std::string imin_ = "0";
  std::string imax_ = "10000";
  std::array<Window, kHistorySize> history_{};
  int newest_ = kHistoryCurrent;
  int oldest_ = kHistoryCurrent;
};

}  // namespace quorlin
