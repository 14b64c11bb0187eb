// What the measured-pattern readers share: the refusal with its file and
// line, the checks of counts, numbers and axes, and the points a reader
// builds before it commits them. Only the readers include this.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data.h"
#include "data/readers.h"
#include "data/text_input.h"

namespace quorlin::reading {

// Refuses the file: FormatError "file:line: problem".
[[noreturn]] void Fail(const std::string& file, long line, const std::string& problem);

// A count as written in a message ("(not a number)" for NaN).
std::string CountText(double v);
// A declared number of points: a whole number from 1 to kMaxChannels.
std::int32_t DeclaredCount(double v, const std::string& file, long line, const std::string& what);

inline std::string Field(const std::vector<std::string>& f, std::size_t i) { return i < f.size() ? f[i] : std::string(); }
inline bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
inline std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// The pattern a reader builds before it commits.
struct Points {
  std::vector<float> x;
  std::vector<double> y;
  void Reserve(std::int32_t n) {
    auto r = static_cast<std::size_t>(std::min<std::int32_t>(n, 1 << 20));
    x.reserve(r);
    y.reserve(r);
  }
  std::int32_t Count() const { return static_cast<std::int32_t>(x.size()); }
  void Add(float xv, double yv) {
    x.push_back(xv);
    y.push_back(yv);
  }
};

void CheckIntensity(double v, const std::string& file, long line, std::string_view text);
// A comma between two digits: a number written with a decimal comma.
bool HasDecimalComma(std::string_view text);
// Found text for a message, naming a decimal comma or a number out of range.
std::string Found(std::string_view text);
// Two neighbouring x values are distinct points only when the second lies
// above the first, also in the 7 significant digits the x-y text keeps.
bool Increases(float before, float after);
// What is wrong with an axis, or nothing when every value is finite and increasing.
std::optional<std::string> AxisProblem(const std::vector<float>& x);
// For readers that take x from each row: above the previous row's.
void CheckRowX(const std::vector<float>& x, float next, const std::string& file, long line);
// The energies of channels 0..n-1 by the data's calibration.
std::vector<float> CalibratedAxis(const CData& data, std::int32_t n);
void CheckCalibration(const CData& data, std::int32_t n, const std::string& file, long line);
// A blank line inside the data is only acceptable as trailing blank lines.
// Returns true when the reader should stop (nothing but blanks follows).
bool BlankDataLineEnds(const TextLines& lines, const std::string& file, const char* expected);
void NoteShortFile(ReadNotes& notes, std::int32_t declared, std::int32_t read);
// The points become the data's pattern and the work copy the data.
void Commit(CData& data, CData& work, Points& points);

}  // namespace quorlin::reading
