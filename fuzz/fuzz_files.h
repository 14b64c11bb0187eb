// What the file-based fuzz targets share: a scratch folder of their own,
// writing an input to a file there, the axis every accepted pattern must
// have, and drawing the plot of what was read on the recording surface.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "data/data.h"
#include "mainwindow/main_model.h"
#include "plot/recording_surface.h"

namespace quorlin::fuzz {

// One folder per process, under the system's temporary folder; the model's
// program folder points there too, so nothing is written beside the binary.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) +
                          "/quorlin-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    ::setenv("QUORLIN_HOME", pattern.c_str(), 1);
    return pattern;
  }();
  return folder;
}

inline std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchFolder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::abort();
  return path;
}

// The file name extensions the sniffing and the readers tell apart.
inline const char* ExtensionFor(unsigned char choice) {
  static const char* const kExtensions[] = {"gsa", "gsas", "fxye", "raw", "cpi", "chi", "mca",
                                            "med", "xrf",  "xy",   "xye", "dat", "txt", "jcpds"};
  return kExtensions[choice % (sizeof kExtensions / sizeof kExtensions[0])];
}

// An accepted pattern has at least one point and finite x values that
// increase; energy data has them through its calibration.
inline void CheckAxis(const CData& data) {
  if (data.NChan() < 1) std::abort();
  float before = -INFINITY;
  for (std::int32_t i = 0; i < data.NChan(); ++i) {
    const bool energy = data.DataType == "Energy";
    const float x = energy ? EnergyFromCalibration(data, data.TwoTheta(i)) : data.TwoTheta(i);
    if (!std::isfinite(x) || !(x > before)) std::abort();
    before = x;
  }
}

class ScratchPlatform : public IPlatform {
 public:
  void ShowMessage(const std::string&) override {}
  MessageAnswer AskYesNoCancel(const std::string&) override { return MessageAnswer::Cancel; }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t>, CustomColors&) override {
    return std::nullopt;
  }
  // Only files in the scratch folder exist for the model: a fuzzed project
  // may name any path on the machine.
  bool FileExists(const std::string& path) override {
    return path.rfind(ScratchFolder() + "/", 0) == 0 && IPlatform::FileExists(path);
  }
};

// The window's picture of the model, drawn as the window draws it.
inline void DrawModel(MainModel& m) {
  RecordingSurface surface(640, 400);
  m.XRDPlot.MakeXRDPlot(m.storedphases, surface, m.PlotFromOutside, m.pattern, m.UnitCell, m.data, m.PatternType,
                        m.PeakList);
}

}  // namespace quorlin::fuzz
