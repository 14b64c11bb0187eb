#include "mainwindow/card_export.h"

#include <sstream>

#include "core/errors.h"
#include "data/formats.h"
#include "data/jcpds_writer.h"
#include "energy/eos.h"
#include "core/numtext.h"
#include "mainwindow/data_import.h"
#include "reflections/reflection_list.h"

namespace quorlin {

namespace {

// The written card's constants: those of the card the phase came from.
void CardConstants(const CardPhase& card, std::optional<float>& K0, std::optional<float>& K0p,
                   JcpdsThermalConstants& thermal) {
  if (!card.FromCard()) return;
  const bool eos = card.K0 > 0;
  auto term = [eos](float v) { return eos || v != 0 ? std::optional<float>(v) : std::nullopt; };
  if (eos) {
    K0 = card.K0;
    K0p = card.K0p;
  }
  thermal = {term(card.dK0dT), term(card.dK0pdT), term(card.alphaT), term(card.dAlphadT)};
}

}  // namespace

JcpdsCard CurrentPhaseCard(const MainModel& model) {
  std::vector<JcpdsPeak> rows;
  std::optional<float> K0, K0p;
  JcpdsThermalConstants thermal;
  const CardPhase& card = model.pattern.Card;
  CardConstants(card, K0, K0p, thermal);
  if (model.PatternType == "jcpds" && model.PeakList.NumberOfPeaks() > 0) {
    for (int j = 0; j < model.PeakList.NumberOfPeaks(); ++j)
      rows.push_back({0.0f, model.PeakList.Intens(j), model.PeakList.h(j), model.PeakList.k(j), model.PeakList.l(j)});
  } else if (!model.pattern.LineIntensities.empty()) {
    // A phase from a crystal structure: its lines with their intensities.
    for (const LineIntensity& line : model.pattern.LineIntensities)
      rows.push_back({0.0f, line.intensity, line.h, line.k, line.l});
  } else {
    ReflectionQuery query;
    query.uniqueOnly = true;
    const float dMin = model.XRDPlot.DMin(), dMax = model.XRDPlot.DMax();
    const bool window = dMin > 0 && dMax > dMin;
    for (const ReflectionRow& r : EnumerateReflections(model.pattern, model.UnitCell, query))
      if (!window || (r.d >= dMin && r.d <= dMax)) rows.push_back({r.d, 100.0f, r.h, r.k, r.l});
  }
  // A card's cell is its cell at ambient conditions: a phase moved to P and T
  // is written with its cell taken back there through the card's equation
  // of state, so that the written card moves as the phase did.
  CUnitCell cell = model.UnitCell;
  if (const auto s = CardEdgeScale(card, card.pressure, card.kelvin); s && *s != 1) {
    std::array<float, 6> p;
    for (int i = 0; i < 6; ++i) p[static_cast<std::size_t>(i)] = static_cast<float>(LenientDouble(cell.CellParameters(i, 1)));
    for (std::size_t i = 0; i < 3; ++i) p[i] = static_cast<float>(p[i] / *s);
    if (!cell.SetCell(1, p)) cell = model.UnitCell;
  }
  return MakeJcpdsCard(model.pattern.PatternName, model.CrystalSystem(), cell, rows, K0, K0p, thermal);
}

bool ExportJcpdsCard(MainModel& model) {
  FileDialogRequest request;
  request.title = "Save jcpds card";
  request.filters = {{"jcpds card (*.jcpds)", "*.jcpds"}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "jcpds";
  request.initialFolder = model.JCPDSDirectory;
  std::string name = model.pattern.PatternName.empty() ? "phase" : model.pattern.PatternName;
  for (char& ch : name)
    if (ch == '/' || ch == '\\') ch = '_';
  request.fileName = name + ".jcpds";
  auto chosen = model.Platform().SaveFileDialog(request);
  if (!chosen) return false;
  return ExportJcpdsCardFile(model, *chosen);
}

bool ExportJcpdsCardFile(MainModel& model, const std::string& path) {
  try {
    WriteTextFile(path, JcpdsCardText(CurrentPhaseCard(model)));
    return true;
  } catch (const QuorlinError& e) {
    model.Platform().ShowMessage(e.what());
    return false;
  }
}

}  // namespace quorlin
