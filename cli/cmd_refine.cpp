// quorlin-cli refine: the cell refined against the peaks of a measured
// pattern, with the zero shift and specimen displacement when asked.
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "data/formats.h"
#include "fitting/pattern_refinement.h"
#include "plot/xrd_plot.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"
#include "reflections/reflection_list.h"

namespace quorlin::cli {
namespace {

struct Request {
  std::string file, type;
  PhaseAndSource phase;
  std::optional<std::array<float, 2>> range;
  PatternRefinementOptions options;
};

Request Parse(const Args& args) {
  Request r;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (a == "--type") {
      r.type = reader.Value();
      if (!FindDataFormat(r.type))
        throw QuorlinError("--type: unknown format \"" + r.type + "\" (gsa, cpi, chi, mca, xy)");
    } else if (r.phase.Take(a, reader)) {
    } else if (a == "--range") {
      const auto v = reader.Values(2);
      std::array<float, 2> w{SingleArg(v[0], "--range LO"), SingleArg(v[1], "--range HI")};
      if (!(w[0] < w[1])) throw QuorlinError("--range: LO must be below HI");
      r.range = w;
    } else if (a == "--tolerance") {
      float v = SingleArg(reader.Values(1)[0], "--tolerance");
      if (!(v > 0)) throw QuorlinError("--tolerance: must be above 0");
      r.options.tolerance = v;
    } else if (a == "--zero") {
      r.options.refineZero = true;
    } else if (a == "--displacement") {
      r.options.refineDisplacement = true;
    } else if (!a.empty() && a[0] == '-') {
      throw QuorlinError("unknown option \"" + a + "\"");
    } else if (r.file.empty()) {
      r.file = a;
    } else {
      throw QuorlinError("unexpected argument \"" + a + "\"");
    }
  }
  if (r.file.empty()) throw QuorlinError("a PATTERN file is required");
  r.phase.Check();
  return r;
}

std::string Value(const RefinedValue& v, int digits) { return FixedText(v.value, digits); }
std::string Su(const RefinedValue& v, int digits) {
  return v.status == RefinedValue::Status::Refined ? FixedText(v.su, digits) : "-";
}

// The source the positions are read with: the wavelengths of the lines on,
// primary first, or the detector angle of energy data.
void PrintSource(const CData& data, bool energy, std::ostream& out) {
  if (energy) {
    out << "# detector 2-theta: " << FixedText(data.edsTWO_THETA, 4) << "\n";
    return;
  }
  const int primary = data.PrimaryLineIndex();
  out << "# wavelengths: " << FixedText(data.Lambda(primary), 6);
  for (int i = 0; i < CData::kLineCount; ++i)
    if (i != primary && data.LineExists(i) && data.SourceIntensity(i) > 0) out << ' ' << FixedText(data.Lambda(i), 6);
  out << "\n";
}

void PrintResult(const RefinementResult& result, std::ostream& out) {
  out << "# cell:";
  for (int i = 0; i < 6; ++i) out << ' ' << Value(result.cell[static_cast<std::size_t>(i)], i < 3 ? 6 : 4);
  out << "\n# su:";
  for (int i = 0; i < 6; ++i) out << ' ' << Su(result.cell[static_cast<std::size_t>(i)], i < 3 ? 6 : 4);
  out << "\n# volume: " << Value(result.volume, 4) << ' ' << Su(result.volume, 4) << "\n";
  const bool zero = result.zero.status == RefinedValue::Status::Refined;
  out << "# zero: " << (zero ? Value(result.zero, 5) : "-") << ' ' << Su(result.zero, 5) << "\n";
  const bool shift = result.displacement.status == RefinedValue::Status::Refined;
  char sBuffer[32] = "-", suBuffer[32] = "-";
  if (shift) {
    std::snprintf(sBuffer, sizeof sBuffer, "%.4e", result.displacement.value);
    std::snprintf(suBuffer, sizeof suBuffer, "%.1e", result.displacement.su);
  }
  out << "# displacement: " << sBuffer << ' ' << suBuffer << "\n";
}

// One row a line: its positions, whether it took part, the lines it holds
// besides its first, and why it was not used (the last column, in words).
void PrintLines(const std::vector<MeasuredLine>& lines, bool energy, std::ostream& out) {
  out << "# h k l obs calc obs-calc used also note   x: " << (energy ? "energy (keV)" : "2-theta (degrees)") << "\n";
  for (const auto& line : lines) {
    const auto& m = line.hkl.front();
    out << m.h << ' ' << m.k << ' ' << m.l << ' ' << (line.observed ? FixedText(*line.observed, 4) : "-") << ' '
        << FixedText(line.calculated, 4) << ' ' << (line.observed ? FixedText(*line.observed - line.calculated, 4) : "-")
        << ' ' << (line.used ? "yes" : "no") << ' ';
    std::string also;
    for (std::size_t j = 1; j < line.hkl.size(); ++j)
      also += (also.empty() ? "" : "/") + std::to_string(line.hkl[j].h) + "," + std::to_string(line.hkl[j].k) + "," +
              std::to_string(line.hkl[j].l);
    out << (also.empty() ? "-" : also) << ' ' << (line.used || line.note.empty() ? "-" : line.note) << "\n";
  }
}

int Run(const Args& args, std::ostream& out, std::ostream& err) {
  const Request r = Parse(args);
  CData data;
  ReadDataFile(r.file, r.type, data);
  const bool energy = data.DataType == "Energy";
  if (!energy && !r.phase.wavelength && r.phase.tube.empty())
    throw QuorlinError(r.file + ": 2-theta data need --tube Cu|Mo or --wavelength L");
  if (!energy) r.phase.SetSource(data);

  CXRDPlot plot(data);
  plot.SetDataType(data.DataType);
  const float lo = r.range ? (*r.range)[0] : data.Lower, hi = r.range ? (*r.range)[1] : data.Upper;
  // The window is set as the main window's limit boxes set it.
  if (!plot.SetTTMin(SingleText(lo)) || !plot.SetTTMax(SingleText(hi)))
    throw QuorlinError(r.file + ": the range " + SingleText(lo) + " .. " + SingleText(hi) + " is not a plot window");

  CUnitCell cell;
  CPattern pattern;
  SetUpPhase(pattern, cell, r.phase.system, r.phase.symbol, *r.phase.cell);
  SetIndexReach(pattern, cell, std::min(plot.DMin(), plot.DMax()));

  PrintSource(data, energy, out);
  PatternRefinement refined;
  try {
    refined = RefineCellFromPattern(data, plot, pattern, cell, r.options);
  } catch (const RefinementFailure& e) {
    // What was measured still helps to see why: the lines at the last cell tried.
    if (!e.Lines().empty()) PrintLines(e.Lines(), energy, out);
    throw QuorlinError(r.file + ": " + e.what());
  }
  const auto& result = refined.result;
  static const char* names[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
  std::string undetermined;
  for (int i = 0; i < 6 && undetermined.empty(); ++i)
    if (result.cell[static_cast<std::size_t>(i)].status == RefinedValue::Status::NotDetermined)
      undetermined = names[i];
  if (undetermined.empty() && result.zero.status == RefinedValue::Status::NotDetermined) undetermined = "the zero shift";
  if (undetermined.empty() && result.displacement.status == RefinedValue::Status::NotDetermined)
    undetermined = "the displacement";
  if (!undetermined.empty()) {
    PrintLines(refined.lines, energy, out);
    throw QuorlinError(r.file + ": " + undetermined + " is not determined by the measured reflections");
  }
  PrintResult(result, out);
  PrintLines(refined.lines, energy, out);
  for (const auto& warning : ImplausibleResults(refined.setup, result)) err << "warning: " << r.file << ": " << warning << "\n";
  return 0;
}

const Register reg("refine",
                   "refine PATTERN [--type gsa|cpi|chi|mca|xy] --cell A B C ALPHA BETA GAMMA --system NAME --symbol N "
                   "(--tube Cu|Mo | --wavelength L) [--range LO HI] [--zero] [--displacement] [--tolerance DEG]",
                   Run);

}  // namespace
}  // namespace quorlin::cli
