// Two- or three-column x-y text.
#include "data/readers.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>
#include <array>
#include <string_view>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/reader_support.h"
#include "data/text_input.h"

namespace quorlin {

using namespace reading;

namespace {

// The first three fields of a row and how many there are, split as Fields
// splits but without copying: a file of half a million rows is read in one
// pass over its text.
struct RowFields {
  std::array<std::string_view, 3> field;
  std::size_t count = 0;
  std::size_t size() const { return count; }
  std::string_view operator[](std::size_t i) const { return field[i]; }
};

RowFields SplitRow(std::string_view line) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  RowFields row;
  std::size_t i = 0;
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && blank(line[i])) ++i;
    if (i >= n) return row;
    const std::size_t start = i;
    while (i < n && !blank(line[i])) ++i;
    if (row.count < row.field.size()) row.field[row.count] = line.substr(start, i - start);
    ++row.count;
  }
}

}  // namespace

ReadNotes OpenXY(std::istream& in, const std::string& fileName, CData& data, IMessages*) {
  TextLines lines(in);
  ReadNotes notes;
  std::string_view line;
  Points points;
  // About one point per 20 characters: the arrays grow once or twice, not
  // twenty times.
  points.Reserve(static_cast<std::int32_t>(std::min<std::size_t>(lines.Text().size() / 20, CData::kMaxChannels)));
  bool extraColumns = false, header = false;
  while (lines.Next(line)) {
    std::string_view t = TrimLeft(line);
    if (IsBlankLine(t) || t.front() == '#' || t.front() == '\'') continue;
    const RowFields f = SplitRow(line);
    // One column-header line may stand before the data. More lines of text
    // mean another format (an MCA or GSAS header), whose numbers are not x y.
    if (points.Count() == 0 && !IsNumeric(f[0]) && !header) {
      header = true;
      continue;
    }
    if (f.size() < 2) Fail(fileName, lines.Number(), "expected \"x y\" or \"x y esd\", found " + Quote(line));
    auto x = StrictSingle(f[0]);
    if (!x) Fail(fileName, lines.Number(), "expected a number for x, found " + Found(f[0]));
    auto y = StrictDouble(f[1]);
    if (!y) Fail(fileName, lines.Number(), "expected a number for y, found " + Found(f[1]));
    if (f.size() >= 3 && !IsNumeric(f[2]) && !EqualsNoCase(f[2], "nan"))
      Fail(fileName, lines.Number(), "expected a number or NaN for the esd, found " + Found(f[2]));
    CheckRowX(points.x, *x, fileName, lines.Number());
    extraColumns = extraColumns || f.size() > 3;
    if (points.Count() >= CData::kMaxChannels)
      Fail(fileName, lines.Number(), "more than " + std::to_string(CData::kMaxChannels) + " points");
    points.Add(*x, *y);
  }
  if (points.Count() == 0) Fail(fileName, lines.Number(), "no \"x y\" rows found");
  if (extraColumns) notes.push_back("columns after the third were ignored");
  CData work = data;
  work.DataType = "Angle";
  work.Lower = points.x.front();
  work.Upper = points.x.back();
  Commit(data, work, points);
  return notes;
}

}  // namespace quorlin
