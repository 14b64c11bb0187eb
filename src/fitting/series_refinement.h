// One cell refined over a compression series of 2-theta patterns, with the
// pressure of each on a scale. Following, each pattern starts from the last
// one's refined cell, searched again around it first (steps of 1 % between
// patterns exceed a refinement's peak window); otherwise every pattern
// starts from the same cell and the patterns may run side by side. The
// command line and the Pressure window share it.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/unitcell.h"
#include "fitting/cell_refinement.h"
#include "reflections/pattern.h"

namespace quorlin {

class CData;
struct PressureScale;

struct SeriesRequest {
  std::vector<std::string> files;
  // The phase, set up (system, conditions, constraint), and the cell every
  // pattern (or, following, the first) starts from.
  CPattern pattern;
  CUnitCell cell;
  std::array<float, 6> start{};
  // Puts the source on each pattern read; none keeps the file's own.
  std::function<void(CData&)> setSource;
  bool refineZero = false;
  bool follow = false;
  const PressureScale* scale = nullptr;  // none: no pressure
  double kelvin = 300;
  int jobs = 1;  // patterns refined at once when not following
};

struct SeriesRow {
  std::string file;
  bool ok = false;
  // Why the pattern could not be refined, as "FILE: problem".
  std::string error;
  // The scale's note when the pressure lies outside its calibrated range.
  std::string rangeNote;
  RefinementResult result;
  std::optional<double> pressure, pressureSu;  // GPa

  std::array<float, 6> Cell() const;
};

struct SeriesControl {
  // Set from any thread: no pattern is started after it.
  const std::atomic<bool>* cancel = nullptr;
  // Each row as soon as it and every row before it are done, in the order
  // of the files, one call at a time.
  std::function<void(std::size_t index, const SeriesRow& row)> rowDone;
};

// The rows of the patterns refined, in the order of the files; fewer when
// cancelled. A pattern that fails gets a row with its error and the series
// goes on (following, from the last cell that was refined).
std::vector<SeriesRow> RefineSeries(const SeriesRequest& request, const SeriesControl& control = {});

// The columns of the series table, and a refined row's texts under them
// ("-" where a column does not apply).
inline constexpr std::size_t kSeriesColumnCount = 18;
const std::array<const char*, kSeriesColumnCount>& SeriesColumnNames();
std::array<std::string, kSeriesColumnCount> SeriesColumns(const SeriesRow& row);

}  // namespace quorlin
