// GSAS raw powder data: the first bank of a file.
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

bool IsBankLine(std::string_view line) { return StartsWith(line, "BANK"); }

// An 80-column STD or ESD record: every fixed field (STD: a 2-column
// counter and a 6-column count; ESD: an 8-column value and its 8-column
// error) is blank or a number, and nothing follows column 80. Counts are
// read leniently, so without this a damaged record would read as numbers
// cut short or as zeros.
void CheckRecord(std::string_view line, bool esd, const std::string& file, long lineNo) {
  for (std::size_t col = 0; col < 80 && col < line.size();) {
    const std::size_t w = esd ? 8 : (col % 8 == 0 ? 2 : 6);
    std::string_view item = line.substr(col, w);
    if (!IsBlankLine(item) && !IsNumeric(item))
      Fail(file, lineNo,
           "expected a number or blanks in columns " + std::to_string(col + 1) + "-" + std::to_string(col + w) +
               ", found " + Quote(item));
    col += w;
  }
  if (line.size() > 80 && !IsBlankLine(line.substr(80)))
    Fail(file, lineNo, "a record has 80 columns; found more: " + Quote(line.substr(80)));
}

}  // namespace

ReadNotes OpenGSAS(std::istream& in, const std::string& fileName, CData& data, IMessages* messages) {
  TextLines lines(in);
  ReadNotes notes;
  std::vector<std::string> shown;
  std::string_view line;

  // Title line, then (after comment, instrument-parameter and monitor lines,
  // which other programs put there) the BANK line.
  bool any = false;
  while (lines.Next(line))
    if (!IsBlankLine(line)) {
      any = true;
      break;
    }
  if (!any) Fail(fileName, 0, "the file is empty; expected a title line and a BANK line");
  if (!IsBankLine(line)) {
    for (;;) {
      if (!lines.Next(line)) Fail(fileName, lines.Number(), "the file ends before its BANK line");
      if (IsBlankLine(line)) continue;
      if (IsBankLine(line)) break;
      if (line.front() == '#' || line.front() == 'I' || StartsWith(line, "Monitor")) continue;
      Fail(fileName, lines.Number(), "expected a BANK line, found " + Quote(line));
    }
  }
  const long bankLine = lines.Number();
  const auto f = Fields(line);
  if (f.size() < 5)
    Fail(fileName, bankLine,
         "expected \"BANK number NCHAN NREC BINTYP ...\", found " + Quote(line));
  const std::int32_t nchan =
      DeclaredCount(StrictDouble(f[2]).value_or(std::nan("")), fileName, bankLine, "the channel count NCHAN");
  const std::int32_t nrec = ToLong(LenientDouble(f[3])).value_or(0);
  const std::string bintyp = f[4];

  CData work = data;
  float start = 0, step = 0;
  if (bintyp == "EDS") {
    work.DataType = "Energy";
    work.edsCAL_OFFSET = static_cast<float>(LenientDouble(Field(f, 6)));
    work.edsCAL_SLOPE = static_cast<float>(LenientDouble(Field(f, 7)));
    work.edsCAL_QUAD = static_cast<float>(LenientDouble(Field(f, 8)));
    work.edsTWO_THETA = 5.0f;
    for (std::size_t i = 6; i <= 8; ++i)
      if (HasDecimalComma(Field(f, i)))
        Fail(fileName, bankLine, "expected the energy calibration after EDS, found " + Found(Field(f, i)));
    if (!std::isfinite(work.edsCAL_OFFSET) || !std::isfinite(work.edsCAL_SLOPE) || !std::isfinite(work.edsCAL_QUAD))
      Fail(fileName, bankLine, "expected the energy calibration after EDS, found " + Quote(line));
  } else if (bintyp == "CONST" || bintyp == "CONS") {
    work.DataType = "Angle";
    // Both whole numbers as written: read leniently, "2,5" would be a step of 2.
    const auto startValue = StrictDouble(Field(f, 5)), stepValue = StrictDouble(Field(f, 6));
    start = static_cast<float>(startValue.value_or(std::nan("")));
    step = static_cast<float>(stepValue.value_or(std::nan("")));
    if (!std::isfinite(start) || !std::isfinite(step) || !(step > 0))
      Fail(fileName, bankLine, "expected a start and a positive step (centidegrees) after " + bintyp + ", found " +
                                   Found(Field(f, 5) + " " + Field(f, 6)));
  } else if (bintyp == "RALF" || bintyp == "SLOG" || bintyp == "TIME_MAP") {
    Fail(fileName, bankLine,
         "a time-of-flight bank (" + bintyp + ") has no 2-theta axis; expected CONST, CONS or EDS binning");
  } else {
    Fail(fileName, bankLine, "expected the binning CONST, CONS or EDS, found " + Quote(bintyp));
  }

  // The record type: the first three characters of the last field.
  std::string type = f.back().substr(0, 3);
  type.resize(3, ' ');
  const std::int32_t nrecStd = (nchan + 9) / 10, nrecEsd = (nchan + 4) / 5;
  if (type == "ESD") {
    if (nrec != nrecEsd) shown.push_back("NRec not equal to m_NChan/5 rounded up");
  } else if (type == "STD") {
    if (nrec != nrecStd) shown.push_back("NRec not equal to m_NChan/10 rounded up");
  } else if (type == "FXY") {
    // x, y and esd per line, x in centidegrees.
  } else {
    type = nrec == nrecStd ? "STD" : nrec == nrecEsd ? "ESD" : "STD";
  }

  const bool energy = work.DataType == "Energy";
  auto xOf = [&](std::int32_t i) -> float {
    if (energy) return static_cast<float>(i);
    return static_cast<float>(static_cast<double>(i) * step / 100.0 + static_cast<double>(start) / 100.0);
  };

  Points points;
  points.Reserve(nchan);
  int lastLineMissing = 0;
  while (points.Count() < nchan && lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    if (IsBankLine(line)) {
      notes.push_back("the file holds more than one bank; the first was read");
      break;
    }
    if (line.front() == '#') continue;
    if (type == "FXY") {
      auto row = Fields(line);
      auto x = row.size() >= 2 ? StrictDouble(row[0]) : std::nullopt;
      auto y = row.size() >= 2 ? StrictDouble(row[1]) : std::nullopt;
      // Quote the field refused: a row cut short is not a number out of range.
      if (!x || !y)
        Fail(fileName, lines.Number(),
             "expected \"x y esd\" numbers, found " + (row.size() < 2 ? Quote(line) : Found(row[x ? 1 : 0])));
      if (row.size() >= 3 && !IsNumeric(row[2]) && !EqualsNoCase(row[2], "nan"))
        Fail(fileName, lines.Number(), "expected a number or NaN for the esd, found " + Quote(row[2]));
      float xv = static_cast<float>(*x / 100.0);
      if (!std::isfinite(xv)) Fail(fileName, lines.Number(), "x out of range: " + Quote(row[0]));
      if (!energy) CheckRowX(points.x, xv, fileName, lines.Number());
      points.Add(energy ? static_cast<float>(points.Count()) : xv, *y);
      continue;
    }
    const bool esd = type == "ESD";
    const int perLine = esd ? 5 : 10;
    CheckRecord(line, esd, fileName, lines.Number());
    lastLineMissing = 0;
    for (int j = 0; j < perLine && points.Count() < nchan; ++j) {
      // ESD: 8 characters at column 16j+1; STD: 6 characters at column 8j+3.
      std::size_t col = esd ? 16u * j : 8u * j + 2;
      std::string_view item = col < line.size() ? line.substr(col, esd ? 8 : 6) : std::string_view();
      lastLineMissing = IsBlankLine(item) ? lastLineMissing + 1 : 0;
      double v = LenientDouble(item);
      CheckIntensity(v, fileName, lines.Number(), item);
      points.Add(xOf(points.Count()), v);
    }
  }
  // A short last record of a file that ends early: the columns it lacks
  // are not data.
  if (points.Count() < nchan && lines.OnlyBlankLinesLeft()) {
    points.x.resize(points.x.size() - static_cast<std::size_t>(lastLineMissing));
    points.y.resize(points.x.size());
  }
  const std::int32_t n = points.Count();
  if (n == 0) Fail(fileName, lines.Number(), "no data after the BANK line");
  NoteShortFile(notes, nchan, n);
  if (energy) {
    CheckCalibration(work, n, fileName, bankLine);
  } else if (type != "FXY") {
    if (auto problem = AxisProblem(points.x))
      Fail(fileName, bankLine,
           "the start " + Field(f, 5) + " and step " + Field(f, 6) + " (centidegrees) give a 2-theta axis that " +
               *problem);
  }

  if (energy) {
    work.Lower = 0;
    work.Upper = static_cast<float>(n);
  } else if (type == "FXY") {
    work.Lower = points.x.front();
    work.Upper = static_cast<float>(std::floor(static_cast<double>(points.x.back()) + 0.95));
  } else {
    work.Lower = static_cast<float>(static_cast<double>(start) / 100.0);
    float last = static_cast<float>(static_cast<double>(n - 1) * step + start);
    work.Upper = static_cast<float>(std::floor(static_cast<double>(last) / 100.0 + 0.95));
  }
  Commit(data, work, points);
  if (messages)
    for (const auto& m : shown) messages->Show(m);
  return notes;
}

}  // namespace quorlin
