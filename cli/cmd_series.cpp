// quorlin-cli series: one cell refined over a compression series of
// patterns, with the pressure of each on a scale. With --follow each pattern
// starts from the last one's cell (found again around it first); without it
// every pattern starts from --cell and --jobs runs them side by side.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "data/formats.h"
#include "energy/scales.h"
#include "fitting/cell_search.h"
#include "fitting/pattern_refinement.h"
#include "plot/xrd_plot.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"
#include "reflections/reflection_list.h"

namespace quorlin::cli {
namespace {

struct Request {
  std::vector<std::string> files;
  PhaseAndSource phase;
  bool zero = false, follow = false;
  const PressureScale* scale = nullptr;
  double kelvin = 300;
  int jobs = 1;
};

Request Parse(const Args& args) {
  Request r;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (r.phase.Take(a, reader)) {
    } else if (a == "--zero") {
      r.zero = true;
    } else if (a == "--follow") {
      r.follow = true;
    } else if (a == "--scale") {
      const std::string& name = reader.Value();
      r.scale = FindPressureScale(name);
      if (!r.scale) throw QuorlinError("--scale: \"" + name + "\" is no scale (see pressure --list)");
    } else if (a == "--T") {
      const std::string& t = reader.Value();
      const auto k = TemperatureKelvin(t);
      if (!k || !(*k > 0)) throw QuorlinError("--T: \"" + t + "\" is not a temperature above 0 K (300K, 25C)");
      r.kelvin = *k;
    } else if (a == "--jobs") {
      r.jobs = IntegerArg(reader.Value(), "--jobs");
      if (r.jobs < 1) throw QuorlinError("--jobs: must be 1 or more");
    } else if (!a.empty() && a[0] == '-') {
      throw QuorlinError("unknown option \"" + a + "\"");
    } else {
      r.files.push_back(a);
    }
  }
  if (r.files.empty()) throw QuorlinError("at least one PATTERN file is required");
  r.phase.Check();
  if (!r.phase.wavelength && r.phase.tube.empty())
    throw QuorlinError("--tube Cu|Mo or --wavelength LAMBDA is required");
  // The phase is checked once, before any pattern is read.
  CPattern pattern;
  CUnitCell cell;
  SetUpPhase(pattern, cell, r.phase.system, r.phase.symbol, *r.phase.cell);
  return r;
}

struct Outcome {
  bool ok = false;
  std::string row;    // the table row
  std::string error;  // the stderr line otherwise
  std::array<float, 6> cell{};
};

std::string Fixed(const RefinedValue& v, int digits) { return FixedText(v.value, digits); }
std::string Su(const RefinedValue& v, int digits) {
  return v.status == RefinedValue::Status::Refined ? FixedText(v.su, digits) : "-";
}

Outcome RefineOne(const Request& r, const std::string& file, const std::array<float, 6>& start, bool search) {
  Outcome o;
  try {
    CData data;
    ReadDataFile(file, "", data);
    if (data.DataType == "Energy") throw QuorlinError("an energy spectrum: series refines 2-theta patterns");
    r.phase.SetSource(data);
    CXRDPlot plot(data);
    plot.SetDataType(data.DataType);
    if (!plot.SetTTMin(SingleText(data.Lower)) || !plot.SetTTMax(SingleText(data.Upper)))
      throw QuorlinError("its range is not a plot window");
    CPattern pattern;
    CUnitCell cell;
    // The phase at a cell, with index ranges wide enough for every line of
    // this reach (5 % of expansion included); setting the phase resets them.
    const double dMin = std::min(plot.DMin(), plot.DMax());
    auto setUp = [&](const std::array<float, 6>& parameters) {
      SetUpPhase(pattern, cell, r.phase.system, r.phase.symbol, parameters);
      SetIndexReach(pattern, cell, dMin / 1.05);
    };
    setUp(start);
    if (search) {
      // 4 % either way in 0.01 % steps: a series step of 1 % or 2 % lies well inside.
      const double f = SearchCellScale(data, plot, pattern, cell, 0.96, 1.04, 800, data.Lower, data.Upper);
      std::array<float, 6> from = start;
      for (std::size_t i = 0; i < 3; ++i) from[i] = static_cast<float>(start[i] * f);
      setUp(from);
    }
    PatternRefinementOptions options;
    options.refineZero = r.zero;
    const PatternRefinement refined = RefineCellFromPattern(data, plot, pattern, cell, options);
    const RefinementResult& res = refined.result;
    static const char* names[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
    for (int i = 0; i < 6; ++i)
      if (res.cell[static_cast<std::size_t>(i)].status == RefinedValue::Status::NotDetermined)
        throw QuorlinError(std::string(names[i]) + " is not determined by the measured reflections");
    std::ostringstream row;
    row << file;
    for (int i = 0; i < 6; ++i) row << ' ' << Fixed(res.cell[static_cast<std::size_t>(i)], i < 3 ? 6 : 4);
    row << ' ' << Fixed(res.volume, 4);
    for (int i = 0; i < 6; ++i) row << ' ' << Su(res.cell[static_cast<std::size_t>(i)], i < 3 ? 6 : 4);
    row << ' ' << Su(res.volume, 4);
    row << ' ' << (res.zero.status == RefinedValue::Status::Refined ? Fixed(res.zero, 5) : "-");
    if (r.scale) {
      const double V = res.volume.value;
      row << ' ' << GeneralText(ScalePressure(*r.scale, V, r.kelvin)) << ' '
          << (res.volume.status == RefinedValue::Status::Refined
                  ? GeneralText(std::fabs(ScalePressureSlope(*r.scale, V, r.kelvin)) * res.volume.su)
                  : "-");
      if (const std::string note = OutsideRangeNote(*r.scale, V, r.kelvin); !note.empty())
        o.error = "warning: " + file + ": " + note;
    } else {
      row << " - -";
    }
    o.row = row.str();
    for (int i = 0; i < 6; ++i) o.cell[static_cast<std::size_t>(i)] = static_cast<float>(res.cell[static_cast<std::size_t>(i)].value);
    o.ok = true;
  } catch (const QuorlinError& e) {
    const std::string what = e.what();
    // Readers already name the file.
    o.error = "quorlin-cli series: " + (what.rfind(file, 0) == 0 ? what : file + ": " + what);
  }
  return o;
}

int Series(const Args& args, std::ostream& out, std::ostream& err) {
  const Request r = Parse(args);
  std::vector<Outcome> outcomes(r.files.size());
  out << "# file a b c alpha beta gamma volume su_a su_b su_c su_alpha su_beta su_gamma su_volume zero P_GPa su_GPa\n";
  int status = 0;
  auto report = [&](const Outcome& o) {
    if (o.ok) out << o.row << "\n";
    out.flush();
    if (!o.error.empty()) err << o.error << "\n";
    if (!o.ok) status = 2;
  };
  if (r.follow) {
    // Each from the last refined cell; a pattern that fails leaves it as it was.
    std::array<float, 6> start = *r.phase.cell;
    for (std::size_t i = 0; i < r.files.size(); ++i) {
      Outcome o = RefineOne(r, r.files[i], start, true);
      if (o.ok) start = o.cell;
      report(o);
    }
    return status;
  }
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next++) < r.files.size();) outcomes[i] = RefineOne(r, r.files[i], *r.phase.cell, false);
  };
  std::vector<std::thread> workers;
  const int n = std::min<int>(r.jobs, static_cast<int>(r.files.size()));
  for (int t = 1; t < n; ++t) workers.emplace_back(work);
  work();
  for (std::thread& t : workers) t.join();
  for (const Outcome& o : outcomes) report(o);
  return status;
}

const Register reg("series",
                   "series PATTERN... --cell A B C ALPHA BETA GAMMA --system NAME --symbol N (--tube Cu|Mo | "
                   "--wavelength LAMBDA) [--zero] [--scale NAME] [--T T] [--follow] [--jobs N]   "
                   "the cell and pressure of each pattern (T 300 K unless given)",
                   Series);

}  // namespace
}  // namespace quorlin::cli
