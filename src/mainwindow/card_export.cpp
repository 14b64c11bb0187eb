#include "mainwindow/card_export.h"

#include <sstream>

#include "core/errors.h"
#include "data/formats.h"
#include "data/jcpds_writer.h"
#include "mainwindow/data_import.h"
#include "reflections/reflection_list.h"

namespace quorlin {

JcpdsCard CurrentPhaseCard(const MainModel& model) {
  std::vector<JcpdsPeak> rows;
  std::optional<float> K0, K0p;
  if (model.PatternType == "jcpds" && model.PeakList.NumberOfPeaks() > 0) {
    for (int j = 0; j < model.PeakList.NumberOfPeaks(); ++j)
      rows.push_back({0.0f, model.PeakList.Intens(j), model.PeakList.h(j), model.PeakList.k(j), model.PeakList.l(j)});
    // The model keeps no equation-of-state constants: they come from the
    // card the phase was opened from, when it can still be read.
    try {
      std::istringstream in(ReadWholeFile(model.PatternDataFile));
      JcpdsCard source = ReadJcpdsCard(in, model.PatternDataFile);
      K0 = source.K0;
      K0p = source.K0p;
    } catch (const std::exception&) {
    }
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
  return MakeJcpdsCard(model.pattern.PatternName, model.CrystalSystem(), model.UnitCell, rows, K0, K0p);
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
