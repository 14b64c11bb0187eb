// Sietronics CPI scans.
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

}  // namespace quorlin
