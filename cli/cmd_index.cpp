// quorlin-cli index: the unit cells that index a measured pattern (through
// the peak search) or a peak list, best first.
#include <cmath>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "data/data.h"
#include "data/formats.h"
#include "indexing/indexing.h"
#include "indexing/peak_list_text.h"
#include "indexing/peak_search.h"
#include "reflections/catalogue.h"

namespace quorlin::cli {
namespace {

struct Request {
  std::string file;
  bool peaks = false;
  bool spacing = false;
  std::string tube;
  std::optional<double> wavelength;
  std::optional<std::array<double, 2>> range;
  IndexingOptions options;
};

Request Parse(const Args& args) {
  Request r;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (a == "--peaks") {
      r.peaks = true;
      r.file = reader.Values(1)[0];
    } else if (a == "--d") {
      r.spacing = true;
    } else if (a == "--tube") {
      r.tube = reader.Values(1)[0];
      if (r.tube != "Cu" && r.tube != "Mo") throw QuorlinError("--tube: \"" + r.tube + "\" is not a tube (Cu or Mo)");
    } else if (a == "--wavelength") {
      const double v = NumberArg(reader.Values(1)[0], "--wavelength");
      if (!(v > 0.01)) throw QuorlinError("--wavelength: must exceed 0.01 Angstrom");
      r.wavelength = v;
    } else if (a == "--range") {
      const auto v = reader.Values(2);
      std::array<double, 2> w{NumberArg(v[0], "--range LO"), NumberArg(v[1], "--range HI")};
      if (!(w[0] < w[1])) throw QuorlinError("--range: LO must be below HI");
      r.range = w;
    } else if (a == "--impurities") {
      const int v = IntegerArg(reader.Values(1)[0], "--impurities");
      if (v < 0 || v > 10) throw QuorlinError("--impurities: must be 0 .. 10");
      r.options.impurities = v;
    } else if (a == "--max-volume") {
      const double v = NumberArg(reader.Values(1)[0], "--max-volume");
      if (!(v >= 10 && v <= 1e5)) throw QuorlinError("--max-volume: must be 10 .. 100000");
      r.options.maxVolume = v;
    } else if (a == "--top") {
      const int v = IntegerArg(reader.Values(1)[0], "--top");
      if (v < 1 || v > 1000) throw QuorlinError("--top: must be 1 .. 1000");
      r.options.top = v;
    } else if (!a.empty() && a[0] == '-') {
      throw QuorlinError("unknown option \"" + a + "\"");
    } else if (r.file.empty() && !r.peaks) {
      r.file = a;
    } else {
      throw QuorlinError("unexpected argument \"" + a + "\"");
    }
  }
  if (r.file.empty()) throw QuorlinError("a PATTERN file or --peaks FILE is required");
  if (r.wavelength && !r.tube.empty()) throw QuorlinError("--tube and --wavelength exclude each other");
  if (r.spacing && !r.peaks) throw QuorlinError("--d applies to --peaks only");
  if (!r.spacing && !r.wavelength && r.tube.empty())
    throw QuorlinError(r.file + ": 2-theta positions need --tube Cu|Mo or --wavelength L");
  return r;
}

std::vector<double> ReadPeakFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw QuorlinError(file + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<double> positions;
  for (const auto& p : ParsePeakList(text.str(), file)) positions.push_back(p.position);
  return positions;
}

int Run(const Args& args, std::ostream& out, std::ostream&) {
  const Request r = Parse(args);
  const bool mo = r.tube == "Mo";
  const double lambda1 = r.wavelength ? *r.wavelength : (mo ? 0.7093 : 1.540562);
  const double lambda2 = mo ? 0.71359 : 1.54439;
  IndexingInput input;
  input.wavelength = lambda1;
  std::size_t found = 0;
  if (r.peaks) {
    input.positions = ReadPeakFile(r.file);
    if (r.spacing) input.axis = IndexingInput::Axis::Spacing;
    if (r.range)
      std::erase_if(input.positions, [&](double v) { return v < (*r.range)[0] || v > (*r.range)[1]; });
    found = input.positions.size();
  } else {
    CData data;
    ReadDataFile(r.file, "", data);
    if (data.DataType == "Energy") throw QuorlinError(r.file + ": energy-dispersive data are indexed from --peaks --d");
    std::vector<double> x(data.XValues().begin(), data.XValues().end());
    PeakSearchOptions search;
    if (r.range) search.lo = (*r.range)[0], search.hi = (*r.range)[1];
    if (!r.wavelength) {
      // The tube's K-alpha2 sits where Bragg's law puts it for the same d.
      const double ratio = lambda2 / lambda1;
      search.doublet = [ratio](double tt) {
        const double s = ratio * std::sin(tt * M_PI / 360);
        return s < 1 ? 360 / M_PI * std::asin(s) : 180.0;
      };
      search.ratio = 0.5;
    }
    for (const auto& p : SearchPeaks(x, data.Intensities(), search)) input.positions.push_back(p.position);
    found = input.positions.size();
  }
  std::vector<IndexingSolution> solutions;
  try {
    solutions = IndexPeaks(input, r.options);
  } catch (const QuorlinError& e) {
    throw QuorlinError(r.file + ": " + e.what());
  }
  // A cell is acceptable when it indexes all but the allowed impurities and
  // a tenth of the lines, with a figure of merit above chance.
  std::erase_if(solutions, [&](const IndexingSolution& s) {
    return s.m20 < 3 || s.indexed + r.options.impurities + s.used / 10 < s.used;
  });
  if (solutions.empty()) throw QuorlinError(r.file + ": no cell indexes the peaks");
  out << "# peaks: " << found << "\n# used: " << solutions.front().used << "\n";
  if (!r.spacing) out << "# wavelength: " << FixedText(lambda1, 6) << "\n";
  for (std::size_t i = 0; i < solutions.size(); ++i)
    if (solutions[i].tieWith >= 0)
      out << "# tie: rank " << i + 1 << " gives the lines of rank " << solutions[i].tieWith + 1
          << " in lower symmetry\n";
  // Where a specimen displacement fits better than a zero error, the zero
  // column reads 0 and the displacement goes here.
  for (std::size_t i = 0; i < solutions.size(); ++i)
    if (!r.spacing && solutions[i].displacement != 0)
      out << "# displacement: rank " << i + 1 << " " << FixedText(solutions[i].displacement, 4)
          << " (degrees 2-theta times cos theta)\n";
  // The extinction symbols that the best cell's lines allow, most telling first.
  int shown = 0;
  for (const auto& e : RankExtinctionSymbols(input, r.options, solutions.front())) {
    if (!e.possible() || shown++ == 3) break;
    out << "# symbol: " << e.number << " (" << e.spaceGroups << ") unobserved " << e.unobservedPredicted << "\n";
  }
  out << "# rank system lattice a b c alpha beta gamma volume M20 F20 zero indexed\n";
  for (std::size_t i = 0; i < solutions.size(); ++i) {
    const auto& s = solutions[i];
    out << i + 1 << ' ' << CrystalSystemName(s.system) << ' ' << s.lattice;
    for (int k = 0; k < 6; ++k) out << ' ' << FixedText(s.cell[static_cast<std::size_t>(k)], k < 3 ? 5 : 3);
    out << ' ' << FixedText(s.volume, 3) << ' ' << FixedText(s.m20, 1) << ' ' << FixedText(s.fn, 1) << ' '
        << FixedText(r.spacing ? 0.0 : s.zero, 4) << ' ' << s.indexed << "\n";
  }
  return 0;
}

const Register reg("index",
                   "index PATTERN (--tube Cu|Mo | --wavelength LAMBDA) [--range LO HI] [--impurities N] "
                   "[--max-volume V] [--top K]\n  index --peaks FILE [--d] (--tube Cu|Mo | --wavelength LAMBDA) "
                   "[same options]",
                   Run);

}  // namespace
}  // namespace quorlin::cli
