// quorlin-cli project: reads a project file through the main window's own
// state read (which re-imports the data file it names) and prints what it
// holds, one "name: value" line each.
#include <filesystem>
#include <ostream>
#include <vector>

#include "batch_platform.h"
#include "command.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "mainwindow/main_model.h"

namespace quorlin::cli {
namespace {

// One line per message: a box's several lines joined.
std::string OneLine(std::string text) {
  for (std::size_t p; (p = text.find('\n')) != std::string::npos;) text.replace(p, 1, "; ");
  return text;
}

const char* SystemName(int code) {
  static const char* const names[] = {"cubic",        "hexagonal",  "trigonal",  "tetragonal",
                                      "orthorhombic", "monoclinic", "triclinic", "none"};
  return code >= 1 && code <= 8 ? names[code - 1] : "none";
}

std::string Cell(const CUnitCell& cell) {
  std::string text;
  for (int i = 0; i < 6; ++i) text += (i ? " " : "") + cell.CellParameters(i, 1);
  return text;
}

int Project(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) throw QuorlinError("usage: project FILE.prb");
  const std::string& file = args[0];
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) throw QuorlinError(file + ": no such project file");

  BatchPlatform platform;
  MainModel model(platform);
  if (!model.ReadState(file)) {
    throw QuorlinError(platform.messages.empty() ? file + ": cannot be read" : OneLine(platform.messages.front()));
  }
  // The project was read; what went wrong on the way concerns its data file.
  for (const std::string& m : platform.messages) err << "note: " << OneLine(m) << "\n";

  const CXRDPlot& plot = model.XRDPlot;
  out << "cell: " << Cell(model.UnitCell) << "\n";
  out << "crystal system: " << model.CrystalSystem() << " " << SystemName(model.CrystalSystem()) << "\n";
  out << "extinction number: " << model.pattern.ExtinctionNumber() << "\n";
  out << "data file: " << model.PatternDataFile << "\n";
  out << "data type: " << model.PatternDataFileType << " " << plot.DataType() << "\n";
  out << "window: " << plot.TTMin() << " " << plot.TTMax() << "\n";
  out << "intensity window: " << plot.imin() << " " << plot.IMax() << "\n";
  out << "displacement: " << SingleText(plot.SpecimenDisplacement) << "\n";
  out << "tube: " << model.data.TubeType << "\n";
  out << "primary wavelength: " << SingleText(model.data.Lambda(model.data.PrimaryLineIndex())) << "\n";
  for (int slot = 0; slot < 5; ++slot) {
    const CPattern& p = model.storedphases.StoredPattern(slot);
    if (!p.Exists) continue;
    const int system = model.storedphases.StoredCrystalSystem(slot);
    out << "stored phase " << slot << ": " << p.PatternName << " " << system << " " << SystemName(system) << " "
        << Cell(model.storedphases.StoredUnitCell(slot)) << "\n";
  }
  return 0;
}

Register reg("project", "project FILE.prb   what a project holds, its data file read again", Project);

}  // namespace
}  // namespace quorlin::cli
