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


// Skips the title and what other programs put before the BANK line
// (comments, instrument-parameter and monitor lines); `line` ends on it.
void FindBankLine(TextLines& lines, std::string_view& line, const std::string& fileName) {
  bool any = false;
  while (lines.Next(line))
    if (!IsBlankLine(line)) {
      any = true;
      break;
    }
  if (!any) Fail(fileName, 0, "the file is empty; expected a title line and a BANK line");
  if (IsBankLine(line)) return;
  for (;;) {
    if (!lines.Next(line)) Fail(fileName, lines.Number(), "the file ends before its BANK line");
    if (IsBlankLine(line)) continue;
    if (IsBankLine(line)) return;
    if (line.front() == '#' || line.front() == 'I' || StartsWith(line, "Monitor")) continue;
    Fail(fileName, lines.Number(), "expected a BANK line, found " + Quote(line));
  }
}

// What the BANK line declares.
struct Bank {
  long line = 0;
  std::vector<std::string> fields;
  std::int32_t nchan = 0, nrec = 0;
  std::string bintyp;
  float start = 0, step = 0;  // centidegrees, for constant-step angle data
  std::string type;           // the record type: "STD", "ESD" or "FXY"
};

// The binning sets the kind of data: an energy calibration, or a start and step angle.
void ReadBinning(Bank& bank, CData& work, const std::string& fileName, std::string_view line) {
  const auto& f = bank.fields;
  const std::string& bintyp = bank.bintyp;
  if (bintyp == "EDS") {
    work.DataType = "Energy";
    work.edsCAL_OFFSET = static_cast<float>(LenientDouble(Field(f, 6)));
    work.edsCAL_SLOPE = static_cast<float>(LenientDouble(Field(f, 7)));
    work.edsCAL_QUAD = static_cast<float>(LenientDouble(Field(f, 8)));
    work.edsTWO_THETA = 5.0f;
    for (std::size_t i = 6; i <= 8; ++i)
      if (HasDecimalComma(Field(f, i)))
        Fail(fileName, bank.line, "expected the energy calibration after EDS, found " + Found(Field(f, i)));
    if (!std::isfinite(work.edsCAL_OFFSET) || !std::isfinite(work.edsCAL_SLOPE) || !std::isfinite(work.edsCAL_QUAD))
      Fail(fileName, bank.line, "expected the energy calibration after EDS, found " + Quote(line));
  } else if (bintyp == "CONST" || bintyp == "CONS") {
    work.DataType = "Angle";
    // Both whole numbers as written: read leniently, "2,5" would be a step of 2.
    const auto startValue = StrictDouble(Field(f, 5)), stepValue = StrictDouble(Field(f, 6));
    bank.start = static_cast<float>(startValue.value_or(std::nan("")));
    bank.step = static_cast<float>(stepValue.value_or(std::nan("")));
    if (!std::isfinite(bank.start) || !std::isfinite(bank.step) || !(bank.step > 0))
      Fail(fileName, bank.line, "expected a start and a positive step (centidegrees) after " + bintyp +
                                    ", found " + Found(Field(f, 5) + " " + Field(f, 6)));
  } else if (bintyp == "RALF" || bintyp == "SLOG" || bintyp == "TIME_MAP") {
    Fail(fileName, bank.line,
         "a time-of-flight bank (" + bintyp + ") has no 2-theta axis; expected CONST, CONS or EDS binning");
  } else {
    Fail(fileName, bank.line, "expected the binning CONST, CONS or EDS, found " + Quote(bintyp));
  }
}

Bank ReadBankLine(std::string_view line, long lineNo, CData& work, const std::string& fileName) {
  Bank bank;
  bank.line = lineNo;
  bank.fields = Fields(line);
  const auto& f = bank.fields;
  if (f.size() < 5)
    Fail(fileName, lineNo, "expected \"BANK number NCHAN NREC BINTYP ...\", found " + Quote(line));
  bank.nchan = DeclaredCount(StrictDouble(f[2]).value_or(std::nan("")), fileName, lineNo, "the channel count NCHAN");
  bank.nrec = ToLong(LenientDouble(f[3])).value_or(0);
  bank.bintyp = f[4];
  ReadBinning(bank, work, fileName, line);
  return bank;
}

// The record type is the first three characters of the last field; without
// one, the record count tells STD from ESD. A count that does not fit the
// channels is worth a message.
void ChooseRecordType(Bank& bank, std::vector<std::string>& shown) {
  std::string type = bank.fields.back().substr(0, 3);
  type.resize(3, ' ');
  const std::int32_t nrecStd = (bank.nchan + 9) / 10, nrecEsd = (bank.nchan + 4) / 5;
  if (type == "ESD") {
    if (bank.nrec != nrecEsd) shown.push_back("NRec not equal to m_NChan/5 rounded up");
  } else if (type == "STD") {
    if (bank.nrec != nrecStd) shown.push_back("NRec not equal to m_NChan/10 rounded up");
  } else if (type == "FXY") {
    // x, y and esd per line, x in centidegrees.
  } else {
    type = bank.nrec == nrecStd ? "STD" : bank.nrec == nrecEsd ? "ESD" : "STD";
  }
  bank.type = type;
}

// An FXYE row: x in centidegrees, y and an esd that may be NaN.
void ReadFxyRow(std::string_view line, long lineNo, bool energy, Points& points, const std::string& fileName) {
  auto row = Fields(line);
  // Quote the field refused: a row cut short is not a number out of range.
  if (row.size() < 2) Fail(fileName, lineNo, "expected \"x y esd\" numbers, found " + Quote(line));
  const std::optional<double> x = StrictDouble(row[0]), y = StrictDouble(row[1]);
  if (!x || !y) Fail(fileName, lineNo, "expected \"x y esd\" numbers, found " + Found(row[x ? 1 : 0]));
  if (row.size() >= 3 && !IsNumeric(row[2]) && !EqualsNoCase(row[2], "nan"))
    Fail(fileName, lineNo, "expected a number or NaN for the esd, found " + Quote(row[2]));
  float xv = static_cast<float>(*x / 100.0);
  if (!std::isfinite(xv)) Fail(fileName, lineNo, "x out of range: " + Quote(row[0]));
  if (!energy) CheckRowX(points.x, xv, fileName, lineNo);
  points.Add(energy ? static_cast<float>(points.Count()) : xv, *y);
}

// The x of point i: the channel for energy data, else the angle of the constant step.
float PointX(const Bank& bank, bool energy, std::int32_t i) {
  if (energy) return static_cast<float>(i);
  return static_cast<float>(static_cast<double>(i) * bank.step / 100.0 + static_cast<double>(bank.start) / 100.0);
}

// An STD or ESD record; returns how many of its trailing fields were blank.
int ReadFixedRecord(std::string_view line, long lineNo, const Bank& bank, bool energy, Points& points,
                    const std::string& fileName) {
  const bool esd = bank.type == "ESD";
  const int perLine = esd ? 5 : 10;
  CheckRecord(line, esd, fileName, lineNo);
  int missing = 0;
  for (int j = 0; j < perLine && points.Count() < bank.nchan; ++j) {
    // ESD: 8 characters at column 16j+1; STD: 6 characters at column 8j+3.
    std::size_t col = esd ? 16u * j : 8u * j + 2;
    std::string_view item = col < line.size() ? line.substr(col, esd ? 8 : 6) : std::string_view();
    missing = IsBlankLine(item) ? missing + 1 : 0;
    double v = LenientDouble(item);
    CheckIntensity(v, fileName, lineNo, item);
    points.Add(PointX(bank, energy, points.Count()), v);
  }
  return missing;
}

// The records after the BANK line, up to its channel count or the next bank.
Points ReadRecords(TextLines& lines, const Bank& bank, bool energy, ReadNotes& notes, const std::string& fileName) {
  Points points;
  points.Reserve(bank.nchan);
  std::string_view line;
  int lastLineMissing = 0;
  while (points.Count() < bank.nchan && lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    if (IsBankLine(line)) {
      notes.push_back("the file holds more than one bank; the first was read");
      break;
    }
    if (line.front() == '#') continue;
    if (bank.type == "FXY") {
      ReadFxyRow(line, lines.Number(), energy, points, fileName);
      continue;
    }
    lastLineMissing = ReadFixedRecord(line, lines.Number(), bank, energy, points, fileName);
  }
  // A short last record of a file that ends early: the columns it lacks
  // are not data.
  if (points.Count() < bank.nchan && lines.OnlyBlankLinesLeft()) {
    points.x.resize(points.x.size() - static_cast<std::size_t>(lastLineMissing));
    points.y.resize(points.x.size());
  }
  return points;
}

// The x range the plot opens on.
void SetRange(CData& work, const Bank& bank, bool energy, const Points& points) {
  const std::int32_t n = points.Count();
  if (energy) {
    work.Lower = 0;
    work.Upper = static_cast<float>(n);
  } else if (bank.type == "FXY") {
    work.Lower = points.x.front();
    work.Upper = static_cast<float>(std::floor(static_cast<double>(points.x.back()) + 0.95));
  } else {
    work.Lower = static_cast<float>(static_cast<double>(bank.start) / 100.0);
    float last = static_cast<float>(static_cast<double>(n - 1) * bank.step + bank.start);
    work.Upper = static_cast<float>(std::floor(static_cast<double>(last) / 100.0 + 0.95));
  }
}

}  // namespace

ReadNotes OpenGSAS(std::istream& in, const std::string& fileName, CData& data, IMessages* messages) {
  TextLines lines(in);
  ReadNotes notes;
  std::vector<std::string> shown;
  std::string_view line;
  FindBankLine(lines, line, fileName);
  CData work = data;
  Bank bank = ReadBankLine(line, lines.Number(), work, fileName);
  ChooseRecordType(bank, shown);
  const bool energy = work.DataType == "Energy";

  Points points = ReadRecords(lines, bank, energy, notes, fileName);
  const std::int32_t n = points.Count();
  if (n == 0) Fail(fileName, lines.Number(), "no data after the BANK line");
  NoteShortFile(notes, bank.nchan, n);
  if (energy) {
    CheckCalibration(work, n, fileName, bank.line);
  } else if (bank.type != "FXY") {
    if (auto problem = AxisProblem(points.x))
      Fail(fileName, bank.line,
           "the start " + Field(bank.fields, 5) + " and step " + Field(bank.fields, 6) +
               " (centidegrees) give a 2-theta axis that " + *problem);
  }
  SetRange(work, bank, energy, points);
  Commit(data, work, points);
  if (messages)
    for (const auto& m : shown) messages->Show(m);
  return notes;
}

}  // namespace quorlin
