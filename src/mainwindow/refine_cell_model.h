// The model of the "Cell Refinement" window: the reflection table of the
// current phase measured on the pattern, the user's choices (tolerance, zero
// shift, displacement, reflections left out), Refine, and Apply and Revert,
// which change the working cell through the one edit path.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fitting/pattern_refinement.h"

namespace quorlin {

class MainModel;

struct RefineCellRow {
  std::string hkl;  // "1 1 0", coinciding lines joined by " / "
  std::string observed, calculated, difference;
  bool used = false;      // ticked: the line's position takes part
  bool measured = false;  // a peak was found (only then can the row be ticked)
  std::string note;
};

class RefineCellModel {
 public:
  explicit RefineCellModel(MainModel& model);

  // Remembers the cell and displacement Revert returns to (the window calls
  // it when it opens).
  void Capture();
  // Re-measures the table when the cell, the plot window or the data changed
  // since the last look; a refinement made for another cell is dropped.
  void Update();

  // Tolerance text in plot units; "" means the default (three peak widths).
  const std::string& ToleranceText() const { return toleranceText_; }
  bool SetToleranceText(std::string_view text);
  bool RefineZero() const { return refineZero_; }
  void SetRefineZero(bool on) { refineZero_ = on; }
  bool RefineDisplacement() const { return refineDisplacement_; }
  void SetRefineDisplacement(bool on) { refineDisplacement_ = on; }
  // The row's check box: untick to leave its reflections out.
  void SetRowUsed(int row, bool used);

  // Runs the refinement; false with Message() saying why when it cannot.
  bool Refine();
  bool HasResult() const { return refined_.has_value(); }
  // Writes the refined cell (and displacement, when refined) as one undo step.
  bool Apply();
  // Back to the cell and displacement seen when the window opened, as one step.
  bool Revert();

  const std::vector<RefineCellRow>& Rows() const { return rows_; }
  // "a = 4.15682(12)" style lines of the result, or "" before a refinement.
  std::string ResultText() const;
  const std::string& Message() const { return message_; }
  // Where the accepted peaks were measured, on the plot's axis (for ticks).
  std::vector<double> ObservedPositions() const;

 private:
  struct Snapshot {
    std::array<float, 6> cell{};
    int basis = 0;
    float displacement = 0, ttMin = 0, ttMax = 0;
    std::size_t points = 0;
    std::string dataType;
    bool operator==(const Snapshot&) const = default;
  };
  Snapshot Take() const;
  void FillRows(const std::vector<MeasuredLine>& lines);
  PatternRefinementOptions Options() const;

  MainModel& model_;
  std::string toleranceText_;
  double tolerance_ = 0;
  bool refineZero_ = false;
  bool refineDisplacement_ = false;
  std::vector<MillerIndices> excluded_;
  std::vector<MeasuredLine> lines_;
  std::vector<RefineCellRow> rows_;
  std::optional<PatternRefinement> refined_;
  std::optional<Snapshot> seen_;
  std::array<float, 6> revertCell_{};
  float revertDisplacement_ = 0;
  bool captured_ = false;
  std::string message_;
};

// "4.15682(12)": the value with its su in units of the last digit shown
// (two significant digits of su); "not determined" and plain values for the
// other states.
std::string ValueWithSu(const RefinedValue& value);

}  // namespace quorlin
