// The relative intensities of a phase's lines (from a crystal structure),
// and the height each drawn reflection gets from them. A line is known by
// the label hkl of its reflections; its d follows the current cell, so the
// heights stay with their lines while the cell is dragged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorlin {

class CUnitCell;

struct LineIntensity {
  std::int16_t h = 0, k = 0, l = 0;
  float intensity = 0.0f;  // 0..100, the strongest line 100
};

// The height (0..1 of PeakBase..PeakTop) below which no line is drawn, so
// that weak lines stay visible.
inline constexpr float kMinimumLineHeight = 0.04f;

class LineHeights {
 public:
  LineHeights(const std::vector<LineIntensity>& lines, const CUnitCell& cell);
  // The height fraction (kMinimumLineHeight..1) of a reflection at spacing
  // d, or -1 when no line of the table lies at d.
  float HeightAt(float d) const;
  // The intensity (0..100) of the line at d, or -1.
  float IntensityAt(float d) const;

 private:
  std::vector<std::pair<float, float>> byD_;  // (d, intensity), d ascending
};

// "h k l I" per line, as project files store them; Parse skips a text that
// is not four numbers with |h|, |k|, |l| <= 100 and 0 <= I <= 100.
std::string LineIntensityText(const LineIntensity& line);
bool ParseLineIntensity(const std::string& text, LineIntensity& line);

}  // namespace quorlin
