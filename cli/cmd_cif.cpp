// quorlin-cli cif: a crystal structure from a CIF file, its space group on
// the catalogue, and its powder lines with intensities.
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/unitcell.h"
#include "data/formats.h"
#include "data/jcpds_writer.h"
#include "mainwindow/data_import.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"
#include "structure/catalogue_match.h"
#include "structure/crystal_structure.h"
#include "structure/powder_pattern.h"

namespace quorlin::cli {
namespace {

const char* const kUsage =
    "usage: cif FILE.cif [--tube Cu|Mo | --wavelength LAMBDA] [--range LO HI] [--block N] "
    "[--synchrotron | --monochromator TWO_THETA] [--anomalous] [--write-jcpds OUT]";

struct Request {
  std::string file;
  PowderOptions powder;
  int block = -1;
  std::string jcpds;
};

Request Parse(const Args& args) {
  if (args.empty()) throw QuorlinError(kUsage);
  Request r;
  r.file = args[0];
  bool source = false;
  ArgReader reader(args, 1);
  while (!reader.Done()) {
    const std::string& opt = reader.Take();
    if (opt == "--tube") {
      const std::string& t = reader.Value();
      if (t != "Cu" && t != "Mo") throw QuorlinError("--tube: \"" + t + "\" is not a tube (Cu or Mo)");
      if (source) throw QuorlinError("--tube and --wavelength exclude each other");
      r.powder.wavelength = t == "Cu" ? 1.540562 : 0.7093;
      source = true;
    } else if (opt == "--wavelength") {
      const double v = NumberArg(reader.Value(), "--wavelength");
      if (!(v > 0.01 && v < 100)) throw QuorlinError("--wavelength: must lie between 0.01 and 100 Angstrom");
      if (source) throw QuorlinError("--tube and --wavelength exclude each other");
      r.powder.wavelength = v;
      source = true;
    } else if (opt == "--range") {
      auto v = reader.Values(2);
      r.powder.twoThetaMin = NumberArg(v[0], "--range LO");
      r.powder.twoThetaMax = NumberArg(v[1], "--range HI");
      if (!(r.powder.twoThetaMin >= 0 && r.powder.twoThetaMin < r.powder.twoThetaMax &&
            r.powder.twoThetaMax < 180))
        throw QuorlinError("--range: need 0 <= LO < HI < 180 degrees");
    } else if (opt == "--block") {
      r.block = IntegerArg(reader.Value(), "--block");
      if (r.block < 1) throw QuorlinError("--block: data blocks are counted from 1");
      r.block -= 1;
    } else if (opt == "--synchrotron") {
      r.powder.polarisation = Polarisation::Synchrotron;
    } else if (opt == "--monochromator") {
      r.powder.monochromatorTwoTheta = NumberArg(reader.Value(), "--monochromator");
      if (!(r.powder.monochromatorTwoTheta >= 0 && r.powder.monochromatorTwoTheta < 180))
        throw QuorlinError("--monochromator: 2-theta must lie between 0 and 180 degrees");
    } else if (opt == "--anomalous") {
      r.powder.anomalous = true;
    } else if (opt == "--write-jcpds") {
      r.jcpds = reader.Value();
    } else {
      throw QuorlinError("unknown option \"" + opt + "\"; " + kUsage);
    }
  }
  if (r.powder.polarisation == Polarisation::Synchrotron && r.powder.monochromatorTwoTheta != 0)
    throw QuorlinError("--synchrotron and --monochromator exclude each other");
  return r;
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

int Run(const Args& args, std::ostream& out, std::ostream& err) {
  const Request r = Parse(args);
  const CrystalStructure s = ReadCifStructure(ReadCifText(r.file), r.file, r.block);
  const CatalogueMatch match = MatchCatalogue(s);
  CPattern pattern;
  CUnitCell cell;
  ApplyCatalogueMatch(match, s.cell, pattern, cell);
  const auto lines = PowderPattern(s, r.powder);
  for (const auto& note : s.notes) err << "note: " << note << "\n";
  if (!match.note.empty()) err << "note: " << match.note << "\n";

  out << "# name: " << s.name << "\n# cell:";
  for (double v : s.cell) out << ' ' << Fixed(v, 5);
  out << "\n# space group: " << s.spaceGroupSymbol << " (" << s.spaceGroupNumber << ")\n";
  out << "# catalogue: " << CrystalSystemName(match.system) << ' ' << match.number << "\n";
  if (match.number < 0) {
    out << "# conditions:";
    const auto& zones = ZoneSelectors();
    for (int i = 0; i < kZoneCount; ++i) {
      const auto sel = match.extCond[static_cast<std::size_t>(i)];
      if (sel >= 0 && sel < zones[static_cast<std::size_t>(i)].NoneItem())
        out << ' ' << zones[static_cast<std::size_t>(i)].label << ":\""
            << zones[static_cast<std::size_t>(i)].items[static_cast<std::size_t>(sel)] << '"';
    }
    out << "\n";
  }
  out << "# h k l d two_theta multiplicity F2 intensity\n";
  for (const PowderLine& l : lines)
    out << l.h << ' ' << l.k << ' ' << l.l << ' ' << Fixed(l.d, 5) << ' ' << Fixed(l.twoTheta, 3) << ' '
        << l.multiplicity << ' ' << Fixed(l.f2, 2) << ' ' << Fixed(l.intensity, 2) << "\n";
  if (!r.jcpds.empty()) {
    std::vector<JcpdsPeak> rows;
    for (const PowderLine& l : lines)
      rows.push_back({static_cast<float>(l.d), static_cast<float>(l.intensity), l.h, l.k, l.l});
    WriteTextFile(r.jcpds, JcpdsCardText(MakeJcpdsCard(s.name, static_cast<std::int16_t>(match.system), cell, rows)));
  }
  return 0;
}

const Register reg("cif", kUsage + 7, Run);

}  // namespace
}  // namespace quorlin::cli
