#include "data/readers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cctype>
#include <optional>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/text_input.h"

namespace quorlin {
namespace {

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

std::string Field(const std::vector<std::string>& f, std::size_t i) { return i < f.size() ? f[i] : std::string(); }

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string_view TrimLeft(std::string_view s) {
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

// ---------------------------------------------------------------- GSAS

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

// ---------------------------------------------------------------- CPI

namespace {

// The tube name chooses the primary line. A custom tube's wavelength goes
// to the first custom slot that is off; slots that were on are switched
// off, so successive custom files move between the slots.
void ApplyCpiTube(CData& work, float wavelength, const std::string& file, long wavelengthLine) {
  if (work.TubeType == "Cu") {
    work.PrimaryLine = 0;
    work.SetLineExists(0, true);
    return;
  }
  if (work.TubeType == "Mo") {
    work.PrimaryLine = 3;
    work.SetLineExists(3, true);
    return;
  }
  for (int i = 0; i <= 5; ++i) work.SetLineExists(i, false);
  bool placed = false;
  for (int i = 6; i <= work.NumberOfSourceLines(); ++i) {
    if (!placed && !work.LineExists(i)) {
      // A custom line must have a usable wavelength: the plot divides by it.
      if (!(wavelength > CData::kMinWavelength) || !std::isfinite(wavelength))
        Fail(file, wavelengthLine,
             "expected the wavelength of tube \"" + work.TubeType + "\" in Angstrom (above 0.01), found " +
                 SingleText(wavelength));
      work.SetLambda(i, wavelength);
      work.SetSourceIntensity(i, 1.0f);
      work.SetLineExists(i, true);
      work.PrimaryLine = static_cast<float>(i);
      placed = true;
    } else if (work.LineExists(i)) {
      work.SetLineExists(i, false);
    }
  }
  if (!placed) {
    work.PrimaryLine = 0;
    work.SetLineExists(0, true);
  }
}

}  // namespace

ReadNotes OpenCDI(std::istream& in, const std::string& fileName, CData& data, IMessages*) {
  TextLines lines(in);
  ReadNotes notes;
  std::string_view line;
  std::string header[10];
  for (int i = 0; i < 10; ++i) {
    if (!lines.Next(line)) {
      if (i == 0) Fail(fileName, 0, "the file is empty; expected a CPI header of ten lines ending in SCANDATA");
      Fail(fileName, lines.Number(), "the file ends in its header; a CPI header has ten lines ending in SCANDATA");
    }
    header[i] = std::string(line);
  }
  const auto marker = Fields(header[9]);
  if (marker.size() != 1 || marker[0] != "SCANDATA")
    Fail(fileName, 10, "expected SCANDATA, found " + Quote(header[9]));

  CData work = data;
  work.DataType = "Angle";
  // Start, end, step and wavelength: read leniently, "1,54" would be 1.
  for (int i : {1, 2, 3, 5})
    if (HasDecimalComma(header[i]))
      Fail(fileName, i + 1, std::string(i == 5 ? "expected a wavelength" : "expected an angle") + ", found " +
                                Found(header[i]));
  work.Lower = static_cast<float>(LenientDouble(header[1]));
  work.Upper = static_cast<float>(LenientDouble(header[2]));
  const float step = static_cast<float>(LenientDouble(header[3]));
  if (!std::isfinite(work.Lower) || !std::isfinite(work.Upper) || !(work.Upper >= work.Lower))
    Fail(fileName, 3, "expected an end angle not below the start angle " + SingleText(work.Lower) + ", found " +
                          Quote(header[2]));
  if (!(step > 0) || !std::isfinite(step)) Fail(fileName, 4, "expected a positive step, found " + Quote(header[3]));
  // The angles as written, not their single roundings: 0.005 in single
  // precision would put point 12313 of a 5-degree start at 66.56499.
  const double lowerExact = LenientDouble(header[1]), stepExact = LenientDouble(header[3]);
  const double upperExact = LenientDouble(header[2]);
  // Point i lies at Lower + i step; adding the step up would let rounding
  // drift the angles and lose the last point.
  const double span = (upperExact - lowerExact) / stepExact;
  if (!(span + 1 <= CData::kMaxChannels))
    Fail(fileName, 4, "a scan from " + SingleText(work.Lower) + " to " + SingleText(work.Upper) + " in steps of " +
                          SingleText(step) + " has more than " + std::to_string(CData::kMaxChannels) + " points");
  // The points at or below the end angle; a thousandth of a step absorbs
  // the rounding of an end that is a whole number of steps away.
  const auto count = static_cast<std::int32_t>(std::floor(span + 1e-3)) + 1;
  {
    std::vector<float> axis(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
      axis[static_cast<std::size_t>(i)] = static_cast<float>(lowerExact + static_cast<double>(i) * stepExact);
    if (auto problem = AxisProblem(axis))
      Fail(fileName, 4, "the start " + SingleText(work.Lower) + " and step " + SingleText(step) +
                            " give a 2-theta axis that " + *problem);
  }

  std::string tube = header[4];
  for (char& c : tube)
    if (c == '\t' || c == '\r') c = ' ';
  work.TubeType = SpaceReduce(tube);
  ApplyCpiTube(work, static_cast<float>(LenientDouble(header[5])), fileName, 6);

  Points points;
  points.Reserve(count);
  while (points.Count() < count && lines.Next(line)) {
    if (IsBlankLine(line)) {
      if (BlankDataLineEnds(lines, fileName, "a count")) break;
    }
    // One count per line and nothing else: a damaged line is refused, not
    // read as the digits before the damage.
    if (!IsNumeric(line)) Fail(fileName, lines.Number(), "expected a count, found " + Found(line));
    double v = LenientDouble(line);
    CheckIntensity(v, fileName, lines.Number(), line);
    double x = lowerExact + static_cast<double>(points.Count()) * stepExact;
    points.Add(static_cast<float>(x), v);
  }
  if (points.Count() == 0) Fail(fileName, lines.Number(), "no counts after SCANDATA");
  NoteShortFile(notes, count, points.Count());
  Commit(data, work, points);
  return notes;
}

// ---------------------------------------------------------------- CHI

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

// ---------------------------------------------------------------- MCA

ReadNotes OpenOstrelMCA(std::istream& in, const std::string& fileName, CData& data, IMessages*) {
  TextLines lines(in);
  ReadNotes notes;
  std::string_view line;
  CData work = data;
  work.DataType = "Energy";
  std::int32_t channels = 0;
  long elements = 1, calibrationLine = 0;
  bool twoTheta = false, dataLine = false, any = false;

  auto value = [&](const std::vector<std::string>& f) -> double {
    if (f.size() < 2) Fail(fileName, lines.Number(), "expected a value after " + f[0] + ", found none");
    auto v = StrictDouble(f[1]);
    if (!v) Fail(fileName, lines.Number(), "expected a number after " + f[0] + ", found " + Found(f[1]));
    return *v;
  };
  auto single = [&](const std::vector<std::string>& f) -> float {
    double v = value(f);
    auto s = static_cast<float>(v);
    if (!std::isfinite(s)) Fail(fileName, lines.Number(), f[0] + " value out of range: " + Quote(f[1]));
    return s;
  };

  while (lines.Next(line)) {
    auto f = Fields(line);
    if (f.empty()) continue;
    any = true;
    const std::string& key = f[0];
    if (key == "CHANNELS:") {
      channels = DeclaredCount(value(f), fileName, lines.Number(), "the channel count");
    } else if (key == "ELEMENTS:") {
      double v = value(f);
      elements = v >= 1 && v <= 1e6 ? static_cast<long>(v) : 1;
    } else if (key == "CAL_OFFSET:") {
      work.edsCAL_OFFSET = single(f);
      calibrationLine = lines.Number();
    } else if (key == "CAL_SLOPE:") {
      work.edsCAL_SLOPE = single(f);
      calibrationLine = lines.Number();
    } else if (key == "CAL_QUAD:") {
      work.edsCAL_QUAD = single(f);
      calibrationLine = lines.Number();
    } else if (key == "TWO_THETA:") {
      work.edsTWO_THETA = single(f);
      twoTheta = true;
    } else if (key == "DATA:") {
      dataLine = true;
      break;
    }
  }
  if (!any) Fail(fileName, 0, "the file is empty; expected an MCA header and DATA:");
  if (!dataLine) Fail(fileName, lines.Number(), "no DATA: line; not an MCA text file");
  if (channels == 0) Fail(fileName, lines.Number(), "no CHANNELS: line before DATA:");
  const long dataStart = lines.Number();

  Points points;
  points.Reserve(channels);
  std::size_t columns = 1;
  while (points.Count() < channels && lines.Next(line)) {
    if (IsBlankLine(line)) {
      if (BlankDataLineEnds(lines, fileName, "a count")) break;
    }
    auto f = Fields(line);
    auto v = StrictDouble(f[0]);
    if (!v) Fail(fileName, lines.Number(), "expected a count, found " + Found(f[0]));
    columns = std::max(columns, f.size());
    points.Add(static_cast<float>(points.Count()), *v);
  }
  if (points.Count() == 0) Fail(fileName, dataStart, "no counts after DATA:");
  if (elements > 1 || columns > 1)
    notes.push_back("the file holds " + std::to_string(std::max<long>(elements, static_cast<long>(columns))) +
                    " detector elements; the first was read");
  if (!twoTheta)
    notes.push_back("no TWO_THETA: line; the detector angle stays at " + SingleText(work.edsTWO_THETA) + " degrees");
  NoteShortFile(notes, channels, points.Count());
  CheckCalibration(work, points.Count(), fileName, calibrationLine != 0 ? calibrationLine : dataStart);
  work.Lower = 0;
  work.Upper = static_cast<float>(points.Count() - 1);
  Commit(data, work, points);
  return notes;
}

// ---------------------------------------------------------------- xy

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

// ---------------------------------------------------------------- writer

float EnergyFromCalibration(const CData& data, double channel) {
  double e = static_cast<double>(data.edsCAL_QUAD) * (channel * channel) +
             static_cast<double>(data.edsCAL_SLOPE) * channel + static_cast<double>(data.edsCAL_OFFSET);
  return static_cast<float>(e);
}

namespace {

// Whole intensities as integers, others as GeneralText; appended to out.
void AppendIntensity(std::string& out, double v) {
  char buf[64];
  if (v == std::floor(v) && std::fabs(v) < 1e18) {
    auto r = std::to_chars(buf, buf + sizeof buf, v == 0 ? 0.0 : v, std::chars_format::fixed, 0);
    out.append(buf, r.ptr);
  } else {
    out += GeneralText(v);
  }
}

void PadTo8(std::string& out, std::size_t from) {
  if (out.size() - from < 8) out.append(8 - (out.size() - from), ' ');
}

}  // namespace

void WriteXY(std::ostream& out, const CData& data, const std::function<float(float)>& energyFromChannel) {
  const bool angle = data.DataType == "Angle";
  if (!angle && data.DataType != "Energy") return;
  // Rows are put together in a buffer and written in large blocks.
  std::string buffer;
  buffer.reserve(1 << 17);
  for (std::int32_t i = 0; i < data.NChan(); ++i) {
    float x = data.TwoTheta(i);
    if (!angle) x = energyFromChannel ? energyFromChannel(x) : EnergyFromCalibration(data, x);
    std::size_t start = buffer.size();
    buffer += GeneralText(static_cast<double>(x));
    // An x text of 8 or more characters still gets one blank after it, or
    // it would run into the intensity and the line could not be read back.
    if (buffer.size() - start >= 8) buffer += ' ';
    PadTo8(buffer, start);
    start = buffer.size();
    AppendIntensity(buffer, data.Intensity(i));
    PadTo8(buffer, start);
    buffer += "\r\n";
    if (buffer.size() >= (1 << 17) - 128) {
      out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      buffer.clear();
    }
  }
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

}  // namespace quorlin
