#include "data/reader_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cctype>

#include "core/errors.h"
#include "core/numtext.h"

namespace quorlin::reading {

[[noreturn]] void Fail(const std::string& file, long line, const std::string& problem) {
  throw FormatError(file, line, problem);
}

std::string CountText(double v) {
  if (std::isnan(v)) return "(not a number)";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

// A declared number of points: a whole number from 1 to kMaxChannels.
std::int32_t DeclaredCount(double v, const std::string& file, long line, const std::string& what) {
  if (!(v == std::floor(v)) || v < 1 || v > CData::kMaxChannels)
    Fail(file, line, what + " " + CountText(v) + " is not a number of points from 1 to " +
                         std::to_string(CData::kMaxChannels));
  return static_cast<std::int32_t>(v);
}

void CheckIntensity(double v, const std::string& file, long line, std::string_view text) {
  if (!std::isfinite(v)) Fail(file, line, "intensity out of range: " + Quote(text));
}

// A comma between two digits: a number written with a decimal comma, which
// would otherwise read as the digits before the comma or as two numbers.
bool HasDecimalComma(std::string_view text) {
  for (std::size_t i = 1; i + 1 < text.size(); ++i)
    if (text[i] == ',' && std::isdigit(static_cast<unsigned char>(text[i - 1])) &&
        std::isdigit(static_cast<unsigned char>(text[i + 1])))
      return true;
  return false;
}

// Found text for a message, naming a decimal comma when there is one, so a
// user whose locale writes commas learns why the number was refused, and a
// number too large for its field.
std::string Found(std::string_view text) {
  std::string q = Quote(text);
  if (HasDecimalComma(text)) q += " (a decimal comma; numbers must use a decimal point)";
  else if (IsNumeric(text)) q += " (a number out of range)";
  return q;
}

// Two neighbouring x values are distinct points only when the second lies
// above the first, also in the 7 significant digits the x-y text keeps.
bool Increases(float before, float after) {
  if (!(after > before)) return false;
  const double gap = static_cast<double>(after) - before;
  const double scale = std::max(std::fabs(static_cast<double>(after)), std::fabs(static_cast<double>(before)));
  return gap > scale * 1e-5 || !SameGeneralText(before, after);
}

// What is wrong with an axis, or nothing when every value is finite and
// above the one before it.
std::optional<std::string> AxisProblem(const std::vector<float>& x) {
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!std::isfinite(x[i])) return "is not finite at point " + std::to_string(i + 1);
    if (i > 0 && !Increases(x[i - 1], x[i]))
      return "does not increase at point " + std::to_string(i + 1) + " (" + GeneralText(x[i - 1]) + " then " +
             GeneralText(x[i]) + ")";
  }
  return std::nullopt;
}

// For readers that take x from each row: the row's x must lie above the
// previous row's.
void CheckRowX(const std::vector<float>& x, float next, const std::string& file, long line) {
  if (!std::isfinite(next)) Fail(file, line, "x out of range: " + GeneralText(next));
  if (!x.empty() && !Increases(x.back(), next))
    Fail(file, line,
         "expected x above the previous row's " + GeneralText(x.back()) + ", found " + GeneralText(next) +
             "; x must increase");
}

// The energies of channels 0..n-1 by the data's calibration.
std::vector<float> CalibratedAxis(const CData& data, std::int32_t n) {
  std::vector<float> e(static_cast<std::size_t>(std::max<std::int32_t>(n, 0)));
  for (std::int32_t i = 0; i < n; ++i) e[static_cast<std::size_t>(i)] = EnergyFromCalibration(data, i);
  return e;
}

void CheckCalibration(const CData& data, std::int32_t n, const std::string& file, long line) {
  if (auto problem = AxisProblem(CalibratedAxis(data, n)))
    Fail(file, line,
         "the energy calibration (offset " + SingleText(data.edsCAL_OFFSET) + ", slope " +
             SingleText(data.edsCAL_SLOPE) + ", quadratic " + SingleText(data.edsCAL_QUAD) +
             ") gives an energy axis that " + *problem);
}

// A blank line inside the data is only acceptable as trailing blank lines.
// Returns true when the reader should stop (nothing but blanks follows).
bool BlankDataLineEnds(const TextLines& lines, const std::string& file, const char* expected) {
  if (lines.OnlyBlankLinesLeft()) return true;
  Fail(file, lines.Number(), std::string("expected ") + expected + ", found an empty line");
}

void NoteShortFile(ReadNotes& notes, std::int32_t declared, std::int32_t read) {
  if (read < declared)
    notes.push_back("the file announces " + std::to_string(declared) + " points but holds " + std::to_string(read) +
                    "; " + std::to_string(read) + " were read");
}

void Commit(CData& data, CData& work, Points& points) {
  work.SetPattern(std::move(points.x), std::move(points.y));
  data = std::move(work);
}

}  // namespace quorlin::reading
