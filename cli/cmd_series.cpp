// quorlin-cli series: one cell refined over a compression series of
// patterns, with the pressure of each on a scale. With --follow each pattern
// starts from the last one's cell (found again around it first); without it
// every pattern starts from --cell and --jobs runs them side by side.
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "energy/scales.h"
#include "fitting/series_refinement.h"
#include "reflections/reflection_list.h"

namespace quorlin::cli {
namespace {

SeriesRequest Parse(const Args& args) {
  SeriesRequest r;
  PhaseAndSource phase;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (phase.Take(a, reader)) {
    } else if (a == "--zero") {
      r.refineZero = true;
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
  phase.Check();
  if (!phase.wavelength && phase.tube.empty())
    throw QuorlinError("--tube Cu|Mo or --wavelength LAMBDA is required");
  // The phase is set up (and checked) once, before any pattern is read.
  SetUpPhase(r.pattern, r.cell, phase.system, phase.symbol, *phase.cell);
  r.start = *phase.cell;
  r.setSource = [phase](CData& data) { phase.SetSource(data); };
  return r;
}

int Series(const Args& args, std::ostream& out, std::ostream& err) {
  const SeriesRequest r = Parse(args);
  out << '#';
  for (const char* name : SeriesColumnNames()) out << ' ' << name;
  out << '\n';
  int status = 0;
  SeriesControl control;
  control.rowDone = [&](std::size_t, const SeriesRow& row) {
    if (row.ok) {
      const auto columns = SeriesColumns(row);
      for (std::size_t i = 0; i < columns.size(); ++i) out << (i ? " " : "") << columns[i];
      out << "\n";
    }
    out.flush();
    if (!row.ok) {
      err << "quorlin-cli series: " << row.error << "\n";
      status = 2;
    } else if (!row.rangeNote.empty()) {
      err << "warning: " << row.file << ": " << row.rangeNote << "\n";
    }
  };
  RefineSeries(r, control);
  return status;
}

const Register reg("series",
                   "series PATTERN... --cell A B C ALPHA BETA GAMMA --system NAME --symbol N (--tube Cu|Mo | "
                   "--wavelength LAMBDA) [--zero] [--scale NAME] [--T T] [--follow] [--jobs N]   "
                   "the cell and pressure of each pattern (T 300 K unless given)",
                   Series);

}  // namespace
}  // namespace quorlin::cli
