// The models of the small option windows: the h,k,l index limits, the cell
// editor's scroll ranges, the single-reflection d-spacing calculator, the
// reference volume for volume tracking, and the line colours and widths.
// Each writes straight into the main model and redraws; a box whose text is
// refused leaves the model as it was and says why through the platform.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "mainwindow/main_model.h"

namespace quorlin {

// The six h,k,l limit boxes in window order: h min, k min, l min, h max,
// k max, l max.
using LimitTexts = std::array<std::string, 6>;

// Symmetric limits -bound..bound for h, k and l.
struct FittedLimits {
  std::array<std::int16_t, 3> bound{};
  bool capped = false;  // some index needed more than the cap
};

// The smallest symmetric limits that hold every reflection the plot would
// draw (wanted, and allowed unless absences are drawn too) with spacing at
// or above dMin. Each bound is at most `cap`.
FittedLimits FitLimits(const CUnitCell& cell, const CPattern& pattern, float dMin, int cap = 100);

class HklLimitsDialog {
 public:
  static constexpr int kCap = 100;

  explicit HklLimitsDialog(MainModel& model) : m_(model) {}

  // Remembers the limits found at opening, for Cancel.
  void Open();
  LimitTexts Texts() const;
  bool IrreducibleWedge() const { return m_.pattern.IrreducibleWedge; }
  void SetIrreducibleWedge(bool on);
  // Apply and OK: the six boxes become the pattern's limits. A box that is not
  // a 16-bit integer refuses all six (with a message) and changes nothing.
  bool Apply(const LimitTexts& boxes);
  // "(+1)" (step 1) and "(-1)" (step -1): each minimum box moves down by the
  // step and each maximum box up, then the result is applied. Returns the new
  // box texts, or nothing when refused.
  std::optional<LimitTexts> Widen(const LimitTexts& boxes, int step);
  // Writes back the limits found at opening.
  void Cancel();
  // "Fit to plot window": symmetric limits holding every drawn reflection
  // down to the smallest spacing of the plot window. False (with a message)
  // when the window gives no usable spacing.
  bool FitToPlotWindow();
  // The smallest spacing of the plot window: at its upper 2-theta for the
  // primary wavelength, or at its upper channel's energy; empty when none.
  std::optional<float> WindowDMin() const;

 private:
  void Write(const std::array<std::int16_t, 6>& limits);
  MainModel& m_;
  std::array<std::int16_t, 6> opened_{};
};

// Texts of the six scroll-range boxes: minimum and maximum cell edge,
// divisions per Angstrom, minimum and maximum cell angle, divisions per degree.
using ScaleTexts = std::array<std::string, 6>;

class CellScaleDialog {
 public:
  explicit CellScaleDialog(MainModel& model) : m_(model) {}

  ScaleTexts Texts() const;
  // The limits belong to the direct cell: Apply works only while it is edited.
  bool Enabled() const { return m_.UserCellType == 1; }
  // All six values are checked before any is stored; a refusal shows one
  // message and changes nothing. Then every scroll bar is recomputed.
  bool Apply(const ScaleTexts& boxes);

 private:
  MainModel& m_;
};

// The result of "Calculate->".
struct DSpacingResult {
  std::string dSpacing;  // empty when the triple has no usable spacing (000)
  bool allowed = false;
};

class DSpacingDialog {
 public:
  explicit DSpacingDialog(const MainModel& model) : m_(model) {}
  // h, k and l as Integers; empty (with a message through `platform`) when a
  // box is not a 16-bit number. The triple is remembered for Recalculate.
  std::optional<DSpacingResult> Calculate(std::string_view h, std::string_view k, std::string_view l,
                                          IPlatform& platform);
  // The last calculated triple for the current cell (empty before any).
  std::optional<DSpacingResult> Recalculate() const;

 private:
  const MainModel& m_;
  std::optional<std::array<std::int16_t, 3>> hkl_;
};

class VolumeTrackingDialog {
 public:
  explicit VolumeTrackingDialog(MainModel& model) : m_(model) {}
  std::string Text() const;
  // "Use Current Cell Volume".
  void UseCurrentVolume();
  // OK: the box becomes the reference volume. A text that is not a positive
  // number is refused with a message (a zero reference would divide by zero).
  bool Accept(std::string_view text);

 private:
  MainModel& m_;
};

class ColorsDialog {
 public:
  static constexpr int kSchemes = 8;
  explicit ColorsDialog(MainModel& model) : m_(model) {}

  // The ColorChoice button of the current scheme (-1 for an unknown name).
  int SchemeIndex() const;
  void ChooseScheme(int index);
  // Ticks of "Show absent lines in red." (0) and "... in black." (1).
  std::array<bool, 2> AbsenceTicks() const;
  void AbsenceClicked(int index, bool ticked);
  int LineWidthIndex() const { return m_.pattern.linewidth - 1; }
  void SetLineWidth(int index);
  int DataWidthIndex() const { return m_.XRDPlot.XRDDataWidth - 1; }
  void SetDataWidth(int index);
  // The three colour buttons: the platform chooser with the project's custom
  // colours (lines and data share one set, the background has its own). On
  // OK the colour and the edited custom colours are stored; on cancel nothing.
  bool ChooseLineColor();
  bool ChooseBackgroundColor();
  bool ChooseDataColor();

  static const char* SchemeName(int index);

 private:
  bool Choose(std::int32_t& target, std::string& customText);
  MainModel& m_;
};

}  // namespace quorlin
