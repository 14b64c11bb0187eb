// Fit2D / Dioptas CHI integrated patterns.
#include "data/readers.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/reader_support.h"
#include "data/text_input.h"

namespace quorlin {

using namespace reading;

namespace {

// chiplot writes "x, y": a comma separates fields as a blank does.
std::vector<std::string> ChiFields(std::string_view line) {
  std::string s(line);
  std::replace(s.begin(), s.end(), ',', ' ');
  return Fields(s);
}

bool IsChiRow(std::string_view line) {
  auto f = ChiFields(line);
  return f.size() >= 2 && IsNumeric(f[0]) && IsNumeric(f[1]);
}

}  // namespace

ReadNotes OpenCHI(std::istream& in, const std::string& fileName, CData& data, IMessages*) {
  TextLines lines(in);
  ReadNotes notes;
  std::string_view line;
  // Title, x caption, y caption (any of them may be empty), then a line
  // holding only the number of points, directly followed by the rows.
  constexpr int kHeaderLines = 10;
  std::int32_t count = 0;
  long countLine = 0;
  for (int i = 0; i < kHeaderLines && lines.Next(line); ++i) {
    auto f = ChiFields(line);
    std::string_view next;
    if (f.size() == 1 && IsNumeric(f[0]) && lines.Peek(next) && IsChiRow(next)) {
      countLine = lines.Number();
      count = DeclaredCount(StrictDouble(f[0]).value_or(std::nan("")), fileName, countLine, "the number of points");
      break;
    }
  }
  if (countLine == 0) {
    if (lines.Number() == 0) Fail(fileName, 0, "the file is empty; expected a CHI file");
    Fail(fileName, 0,
         "not a CHI file: expected title and caption lines, then a line holding only the number of points "
         "followed by \"x y\" rows, within the first " +
             std::to_string(kHeaderLines) + " lines");
  }

  CData work = data;
  work.DataType = "Angle";
  Points points;
  points.Reserve(count);
  while (points.Count() < count && lines.Next(line)) {
    if (IsBlankLine(line)) {
      if (BlankDataLineEnds(lines, fileName, "\"x intensity\"")) break;
    }
    // chiplot's comma separates fields; a comma between digits is a
    // decimal comma, which read as a separator would give x = 1, 3, 5, ...
    if (HasDecimalComma(line)) Fail(fileName, lines.Number(), "expected \"x intensity\", found " + Found(line));
    auto f = ChiFields(line);
    if (f.size() != 2) Fail(fileName, lines.Number(), "expected \"x intensity\" and nothing more, found " + Quote(line));
    auto x = StrictSingle(f[0]);
    if (!x) Fail(fileName, lines.Number(), "expected a number for x, found " + Quote(f[0]));
    auto y = StrictDouble(f[1]);
    if (!y) Fail(fileName, lines.Number(), "expected a number for the intensity, found " + Quote(f[1]));
    CheckRowX(points.x, *x, fileName, lines.Number());
    points.Add(*x, *y);
  }
  if (points.Count() == 0) Fail(fileName, countLine, "no rows after the number of points");
  NoteShortFile(notes, count, points.Count());
  work.Lower = points.x.front();
  work.Upper = points.x.back();
  Commit(data, work, points);
  return notes;
}

}  // namespace quorlin
