// File > Import > Crystal Structure (CIF), and a .cif dropped on the window:
// the structure becomes the working phase, its group mapped onto the
// catalogue and its lines drawn at their computed intensities.
#include <algorithm>
#include <cstdlib>

#include "core/errors.h"
#include "mainwindow/main_model.h"
#include "structure/catalogue_match.h"
#include "structure/crystal_structure.h"
#include "structure/powder_pattern.h"

namespace quorlin {
namespace {

// The redraw walks the pattern's index box: wide enough for the strong
// lines of an ordinary cell, small enough to stay quick.
constexpr int kMaxIndex = 12;

std::vector<LineIntensity> Table(const std::vector<PowderLine>& lines) {
  std::vector<LineIntensity> out;
  for (const PowderLine& l : lines) out.push_back({l.h, l.k, l.l, static_cast<float>(l.intensity)});
  return out;
}

}  // namespace

void MainModel::ToggleLineIntensities() {
  Edit([&] { XRDPlot.ShowLineIntensities = !XRDPlot.ShowLineIntensities; });
}

bool MainModel::ImportCif() {
  FileDialogRequest request;
  request.title = "Open a Crystal Structure";
  request.filters = {{"CIF (*.cif)", "*.cif"}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "cif";
  request.initialFolder = DataDirectory;
  auto chosen = platform_.OpenFileDialog(request);
  if (!chosen) return false;
  return ImportCifFile(DialogPath(*chosen));
}

bool MainModel::ImportCifFile(const std::string& path) {
  CrystalStructure s;
  CatalogueMatch match;
  CPattern newPattern = pattern;
  CUnitCell newCell = UnitCell;
  try {
    const std::string text = ReadCifText(path);
    const std::vector<std::string> blocks = CifBlockNames(text, path);
    int block = -1;
    if (blocks.size() > 1) {
      auto choice = platform_.ChooseItem("Which data block of " + ExtractFileName(path) + "?", blocks);
      if (!choice) return false;
      block = std::clamp(*choice, 0, static_cast<int>(blocks.size()) - 1);
    }
    s = ReadCifStructure(text, path, block);
    match = MatchCatalogue(s);
    ApplyCatalogueMatch(match, s.cell, newPattern, newCell);
  } catch (const QuorlinError& e) {
    platform_.ShowMessage(e.what());
    return false;
  } catch (const std::exception& e) {
    platform_.ShowMessage(path + ": " + e.what());
    return false;
  }
  // Intensities for the source of the data: its primary line, or the
  // energy-dispersive factor at its detector angle.
  std::vector<PowderLine> lines;
  if (data.DataType == "Energy") {
    lines = EnergyDispersivePattern(s, data.edsTWO_THETA, 1.0, 200.0);
  } else {
    PowderOptions o;
    const int primary = std::clamp(static_cast<int>(data.PrimaryLine), 0, CData::kLineCount - 1);
    if (data.Lambda(primary) > 0.01f) o.wavelength = data.Lambda(primary);
    o.twoThetaMin = 0.5;
    o.twoThetaMax = 179.0;
    lines = PowderPattern(s, o);
  }
  newPattern.LineIntensities = Table(lines);
  newPattern.Card = CardPhase();  // the structure's phase is not the card's
  newPattern.PatternName = s.name;
  int hm = 1, km = 1, lm = 1;
  for (const PowderLine& l : lines) {
    hm = std::max(hm, std::abs(static_cast<int>(l.h)));
    km = std::max(km, std::abs(static_cast<int>(l.k)));
    lm = std::max(lm, std::abs(static_cast<int>(l.l)));
  }
  newPattern.hmin = static_cast<std::int16_t>(-std::min(hm, kMaxIndex));
  newPattern.hmax = static_cast<std::int16_t>(std::min(hm, kMaxIndex));
  newPattern.kmin = static_cast<std::int16_t>(-std::min(km, kMaxIndex));
  newPattern.kmax = static_cast<std::int16_t>(std::min(km, kMaxIndex));
  newPattern.lmin = 0;
  newPattern.lmax = static_cast<std::int16_t>(std::min(lm, kMaxIndex));

  std::string message;
  for (const auto& n : s.notes) message += "\n" + n;
  if (!match.note.empty()) message += "\n" + match.note;
  Edit([&] {
    pattern = newPattern;
    SetCrystalSystem(static_cast<std::int16_t>(match.system));
    UnitCell = newCell;
    SymmetryChanged();
    Caption = "Quorlin: " + s.name;
    if (view_) view_->SetCaption(Caption);
  });
  if (!message.empty()) platform_.ShowMessage(path + ":" + message);
  return true;
}

}  // namespace quorlin
