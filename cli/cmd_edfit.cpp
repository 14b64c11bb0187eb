// quorlin-cli edfit: the cell edge of a cubic standard fitted to a series of
// energy-dispersive spectra (the window's "FIT L.P." followed by its
// whole-pattern fit), with the pressure of each.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "batch_platform.h"
#include "command.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "data/jcpds.h"
#include "energy/pressure_scale.h"
#include "energy/scales.h"
#include "mainwindow/edge_search.h"
#include "mainwindow/energy_dispersive.h"
#include "mainwindow/main_model.h"
#include "options.h"

namespace quorlin::cli {
namespace {

// The energy-dispersive dialog's button of a legacy standard; -1 for KCl, which it lacks.
int DialogOption(PressureStandard s) {
  const int options[] = {4, -1, 0, 3, 2, 1};  // NaCl KCl CsCl Au MgO W
  return options[static_cast<int>(s)];
}

struct Options {
  std::vector<std::string> spectra;
  std::string card;
  std::optional<std::string> a, twoTheta;
  std::string scanRange = ".2", points = "40", temperature = "25";
  int standardOption = 4;  // NaCl
  PressureStandard standard = PressureStandard::NaCl;
  bool standardGiven = false;
  // A scale beyond the legacy standards, or none: no pressure, and noPressure says why.
  const PressureScale* scale = nullptr;
  std::string noPressure;
};

Options Parse(const Args& args) {
  Options o;
  ArgReader reader(args);
  // Numbers go on to the window's text boxes. A word on the command line is
  // complete, so it is passed in its shortest form: "4.10" as "4.1", which
  // the boxes would otherwise hold back as a number still being typed.
  auto number = [&](const std::string& a) { return DoubleText(NumberArg(reader.Value(), a)); };
  auto single = [&](const std::string& a) { return SingleText(SingleArg(reader.Value(), a)); };
  auto integer = [&](const std::string& a) { return std::to_string(IntegerArg(reader.Value(), a)); };
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (a == "--card")
      o.card = reader.Value();
    else if (a == "--a")
      o.a = single(a);
    else if (a == "--two-theta")
      o.twoTheta = single(a);
    else if (a == "--scan-range")
      o.scanRange = number(a);
    else if (a == "--points")
      o.points = integer(a);
    else if (a == "--T")
      o.temperature = number(a);
    else if (a == "--standard") {
      const std::string name = reader.Value();
      o.standardGiven = true;
      if ((o.scale = FindPressureScale(name))) continue;
      auto s = PressureStandardFromName(name);
      // The dialog's five standards.
      if (!s || DialogOption(*s) < 0)
        throw QuorlinError("--standard: \"" + name + "\" is not NaCl, CsCl, Au, MgO, W or a scale of pressure --list");
      o.standard = *s;
      o.standardOption = DialogOption(*s);
    } else if (a.rfind("--", 0) == 0) {
      throw QuorlinError("unknown option \"" + a + "\"");
    } else {
      o.spectra.push_back(a);
    }
  }
  if (o.spectra.empty() || o.card.empty()) throw QuorlinError("usage: edfit SPECTRUM [SPECTRUM ...] --card CARD.jcpds");
  return o;
}

// What holds for every spectrum (an unreadable card, an edge the card's
// cell refuses) ends the whole series.
struct SeriesRefused : QuorlinError {
  using QuorlinError::QuorlinError;
};

// The pressure column: the legacy standard's, the scale's, or "-".
std::string PressureText(const Options& o, const std::string& spectrum, float a, std::ostream& err) {
  if (!o.noPressure.empty()) return "-";
  const double celsius = *StrictDouble(o.temperature);
  const PressureScale& s = o.scale ? *o.scale : ScaleOfStandard(o.standard);
  double gpa = 0, kelvin = celsius + 273.15;
  if (o.scale) {
    gpa = ScalePressure(s, static_cast<double>(a) * a * a, kelvin);
  } else {
    gpa = PressureFromEdge(o.standard, a, celsius).GPa();
    if (IsRoomTemperatureIsotherm(o.standard)) kelvin = 300;
  }
  if (const std::string note = OutsideRangeNote(s, static_cast<double>(a) * a * a, kelvin); !note.empty())
    err << "warning: " << spectrum << ": " << note << "\n";
  return GeneralText(gpa);
}

// Without --standard the card's material chooses the scale: its legacy
// standard where it has one (the same numbers as before), else its first
// scale; a card that names none gets no pressure.
void ChooseScaleFromCard(Options& o) {
  if (o.standardGiven) return;
  std::ifstream in(o.card);
  if (!in) return;  // the fit reports the card
  const PressureScale* s = nullptr;
  try {
    s = ScaleNamedBy(ReadJcpdsCard(in, o.card).comment, o.card);
  } catch (const QuorlinError&) {
    return;  // the fit reports the card
  }
  if (!s) {
    o.noPressure = o.card + ": the card names no material that has a pressure scale; no pressure (give --standard)";
    return;
  }
  if (!s->cubic) {
    o.noPressure = o.card + ": " + std::string(s->name) + " needs the volume of a cell that is not cubic; no pressure";
    return;
  }
  const auto legacy = PressureStandardFromName(s->material);
  if (legacy && DialogOption(*legacy) >= 0) {
    o.standard = *legacy;
    o.standardOption = DialogOption(*legacy);
  } else {
    o.scale = s;
  }
}

void FitOne(const Options& o, const std::string& spectrum, std::ostream& out, std::ostream& err) {
  BatchPlatform platform;
  MainModel model(platform);
  auto fail = [&](const std::string& file) { throw QuorlinError(file + ": " + platform.Take()); };
  if (!model.ImportDataFile("mca", spectrum)) fail(spectrum);
  if (!platform.messages.empty()) err << "note: " << platform.Take() << "\n";
  platform.messages.clear();
  if (o.twoTheta) model.data.edsTWO_THETA = *StrictSingle(*o.twoTheta);
  if (!model.ImportDataFile("jcpds", o.card)) throw SeriesRefused(o.card + ": " + platform.Take());
  platform.messages.clear();
  if (o.a && !model.UnitCell.SetCellParameters(0, 1, *o.a) && model.UnitCell.CellParameters(0, 1) != *o.a)
    throw SeriesRefused("--a: the cell refuses the edge " + *o.a);

  EnergyDispersiveModel ed(model);
  ed.txtLPScanRange = o.scanRange;
  ed.txtLPNumberOfPoints = o.points;
  ed.txtT = o.temperature;
  ed.optPressureStandard = o.standardOption;
  // The scan covers a0 +- range/2. An edge beyond it shows as a fit at the
  // scan's end: scan again from there until the result stays inside.
  // With no window to unselect them in, the card's reflections beyond
  // either end of the spectrum (they move out under pressure) are left out.
  auto leaveOutOffSpectrum = [&] {
    std::string gone;
    for (int i = 0; i < model.PeakList.NumberOfPeaks(); ++i) {
      if (!model.PeakList.Included(i)) continue;
      const float d = model.UnitCell.hklDSpacing(model.PeakList.h(i), model.PeakList.k(i), model.PeakList.l(i));
      if (d > 0 && model.XRDPlot.TTFromD(1, d) >= 0) continue;
      model.PeakList.SetIncluded(i, false);
      gone += " " + std::to_string(model.PeakList.h(i)) + std::to_string(model.PeakList.k(i)) +
              std::to_string(model.PeakList.l(i));
    }
    if (!gone.empty()) err << "note: " << spectrum << ": beyond the spectrum, left out:" << gone << "\n";
  };
  const float range = StrictSingle(o.scanRange).value_or(0);
  auto walk = [&] {
    ed.txtLPScanRange = o.scanRange;
    ed.txtLPNumberOfPoints = o.points;
    for (int pass = 0; pass < 20; ++pass) {
      const float before = model.UnitCell.Edge(1, 0);
      leaveOutOffSpectrum();
      if (!ed.FitLP() || !ed.SaveNewLatticeParameter()) fail(spectrum);
      if (std::fabs(model.UnitCell.Edge(1, 0) - before) < range / 4) break;
    }
  };
  // Without --a the card's edge is only where the search starts: scan a
  // wide window first (down to 20 % compression in a, far beyond where the
  // usual standards transform, and 4 % expansion for heating) and walk from
  // the best edge found, so a strongly compressed sample does not stop on
  // a false maximum near the card's edge.
  if (!o.a) {
    const float a0 = model.UnitCell.Edge(1, 0);
    if (auto start = SearchEdge(model, 0.80f * a0, 1.04f * a0, 1200))
      model.UnitCell.SetCellParameters(0, 1, SingleText(*start));
  }
  walk();
  // After the repeats the last scan must hold its maximum inside: one at
  // (or a step from) an end means the edge lies beyond, and the fit there
  // is no fit.
  const float step = range / static_cast<float>(std::max<std::size_t>(1, ed.ScanX.size() - 1));
  const bool verified = !ed.ScanX.empty() && ed.BestX > ed.ScanX.front() + step && ed.BestX < ed.ScanX.back() - step;
  platform.messages.clear();
  ed.txtLPScanRange = o.scanRange;
  ed.txtLPNumberOfPoints = o.points;
  if (!verified)
    throw QuorlinError(spectrum +
                       ": the fitted edge lies at the end of the scan range; give --a nearer the edge or a wider "
                       "--scan-range");
  leaveOutOffSpectrum();
  if (!ed.FitPattern()) fail(spectrum);

  int used = 0;
  for (int i = 0; i < model.PeakList.NumberOfPeaks(); ++i) used += model.PeakList.Included(i) ? 1 : 0;
  const float a = StrictSingle(ed.txtLatticeParameter).value_or(0);
  // A fit that leaves half or more of its reflections off the peaks found no phase:
  // refuse it rather than print an edge.
  const LineEvidence seen = LinesOnPeaks(model);
  if (2 * seen.onPeak <= seen.used)
    throw QuorlinError(spectrum + ": only " + std::to_string(seen.onPeak) + " of the " + std::to_string(seen.used) +
                       " reflections sit on a peak at the fitted edge " + SingleText(a) +
                       "; the card's phase is not found (give --a nearer the edge)");
  out << spectrum << " " << SingleText(a) << " " << PressureText(o, spectrum, a, err) << " " << used << "\n";
}

// One row a spectrum; a spectrum that is refused gets its line on stderr
// and the series goes on (the status says that one failed).
int EdFit(const Args& args, std::ostream& out, std::ostream& err) {
  Options o = Parse(args);
  ChooseScaleFromCard(o);
  if (o.scale && !o.scale->cubic)
    o.noPressure = std::string(o.scale->name) + " needs the volume of a cell that is not cubic; no pressure";
  if (!o.noPressure.empty()) err << "note: " << o.noPressure << "\n";
  out << "# file a P_GPa reflections\n";
  int status = 0;
  for (const std::string& spectrum : o.spectra) {
    try {
      FitOne(o, spectrum, out, err);
    } catch (const SeriesRefused&) {
      throw;
    } catch (const QuorlinError& e) {
      out.flush();
      err << "quorlin-cli edfit: " << e.what() << "\n";
      status = 2;
    }
  }
  return status;
}

Register reg("edfit",
             "edfit SPECTRUM [SPECTRUM ...] --card CARD.jcpds [--a START] [--two-theta DEG] [--scan-range A] "
             "[--points N] [--standard NAME] [--T CELSIUS]   fitted cell edge and pressure of each spectrum",
             EdFit);

}  // namespace
}  // namespace quorlin::cli
