// The model of the "X-ray Wavelengths" window: the ten source lines of the
// measured data set (wavelength, relative intensity, on/off, which one is
// primary) as the window shows them, and the window's commands. The window
// keeps no copy of the table: every command writes into the model at once.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "mainwindow/main_model.h"

namespace quorlin {

// hc in keV Angstrom (CODATA 2018: 12.398419843320026 keV A).
inline constexpr double kHcKeVAngstrom = 12.398419843;

// Photon energy in keV of a wavelength in Angstrom; 0 for a wavelength not above 0.
double PhotonEnergyKeV(double lambdaAngstrom);

// What one row of the table shows.
struct WavelengthRow {
  std::string group;      // "Copper", "Molybdenum" or "Others"
  std::string caption;    // check box caption ("K alpha 1", "Wavelength 1")
  std::string wavelength; // general single format
  std::string intensity;
  std::string energy;     // keV, read-only; empty for a line without a wavelength
  bool on = false;
  bool primary = false;   // shown in yellow
};

class WavelengthDialog {
 public:
  static constexpr int kLines = 10;  // lines 0..9 are shown

  explicit WavelengthDialog(MainModel& model) : m_(model) {}

  WavelengthRow Row(int line) const;
  // The primary line's wavelength, for the "Primary wavelength" box.
  std::string PrimaryWavelength() const;

  // A click on line i's check box. The primary line cannot be switched off.
  void CheckClicked(int line, bool checked);
  // Text typed into a wavelength or intensity box, applied when the box is
  // left. A text that is not a number, or a wavelength not above 0.01, is
  // refused: the model keeps its value and the result is false (the window
  // then shows the kept value again).
  bool WavelengthEntered(int line, std::string_view text);
  bool IntensityEntered(int line, std::string_view text);
  // "Move Primary Wavelength to Next Available".
  void MovePrimaryToNextAvailable();
  // "Replot": the plot window re-derives its d-spacing range from the
  // primary wavelength, then the plot is redrawn.
  void Replot();
  // Leaving or closing the window: the same re-derivation, without a redraw.
  void Leave();

 private:
  void Changed();
  MainModel& m_;
};

}  // namespace quorlin
