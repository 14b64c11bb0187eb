#include "mainwindow/wavelength_dialog.h"

#include <cmath>
#include <cstdio>

#include "core/numtext.h"

namespace quorlin {

namespace {

const char* const kGroups[3] = {"Copper", "Molybdenum", "Others"};
const char* const kTubeCaptions[3] = {"K alpha 1", "K alpha 2", "K beta 1"};

bool ValidLine(int line) { return line >= 0 && line < WavelengthDialog::kLines; }

// The plot keeps the d-spacings of its window edges; setting each edge to its
// own value works them out again for the current primary wavelength.
void ReapplyWindow(CXRDPlot& plot) {
  plot.SetTTMin(plot.TTMin());
  plot.SetTTMax(plot.TTMax());
}

}  // namespace

double PhotonEnergyKeV(double lambdaAngstrom) {
  return lambdaAngstrom > 0.0 ? kHcKeVAngstrom / lambdaAngstrom : 0.0;
}

WavelengthRow WavelengthDialog::Row(int line) const {
  WavelengthRow r;
  if (!ValidLine(line)) return r;
  r.group = kGroups[line < 6 ? line / 3 : 2];
  r.caption = line < 6 ? kTubeCaptions[line % 3] : "Wavelength " + std::to_string(line - 5);
  float lambda = m_.data.Lambda(line);
  r.wavelength = GeneralText(lambda);
  r.intensity = GeneralText(m_.data.SourceIntensity(line));
  if (lambda > 0.0f) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", PhotonEnergyKeV(lambda));
    r.energy = text;
  }
  r.on = m_.data.LineExists(line);
  r.primary = m_.data.PrimaryLineIndex() == line;
  return r;
}

std::string WavelengthDialog::PrimaryWavelength() const {
  return GeneralText(m_.data.Lambda(m_.data.PrimaryLineIndex()));
}

void WavelengthDialog::CheckClicked(int line, bool checked) {
  if (!ValidLine(line)) return;
  if (line != m_.data.PrimaryLineIndex()) m_.data.SetLineExists(line, checked);
  Changed();
}

bool WavelengthDialog::WavelengthEntered(int line, std::string_view text) {
  if (!ValidLine(line)) return false;
  auto v = StrictSingle(text);
  if (!v || !(*v > CData::kMinWavelength)) return false;
  if (*v == m_.data.Lambda(line)) return true;
  m_.data.SetLambda(line, *v);
  Changed();
  return true;
}

bool WavelengthDialog::IntensityEntered(int line, std::string_view text) {
  if (!ValidLine(line)) return false;
  auto v = StrictSingle(text);
  if (!v) return false;
  if (*v == m_.data.SourceIntensity(line)) return true;
  m_.data.SetSourceIntensity(line, *v);
  Changed();
  return true;
}

void WavelengthDialog::MovePrimaryToNextAvailable() {
  m_.data.MovePrimaryToNextAvailable();
  Changed();
}

void WavelengthDialog::Replot() {
  ReapplyWindow(m_.XRDPlot);
  m_.Notify(ModelChange::All);
}

void WavelengthDialog::Leave() { ReapplyWindow(m_.XRDPlot); }

// Every change redraws at once, with the window's spacings worked out for the
// primary wavelength now in force: lines never sit at stale positions.
void WavelengthDialog::Changed() {
  ReapplyWindow(m_.XRDPlot);
  m_.Notify(ModelChange::All);
}

}  // namespace quorlin
