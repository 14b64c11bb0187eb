// EPICS MCA / MED ASCII spectra.
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

}  // namespace quorlin
