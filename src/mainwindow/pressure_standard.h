// The working phase marked as a pressure standard: its scale and
// temperature, the "P = ... GPa (scale)" read-out the status line shows, and
// the model of the "Pressure" window (every scale of the material side by
// side, the temperature in K or degrees Celsius).
#pragma once

#include <string>
#include <vector>

namespace quorlin {

class MainModel;

struct PressureMark {
  bool marked = false;
  std::string scale = "Au-Fei2007";
  double kelvin = 300;
};

// "P = 12.34 GPa (Au-Fei2007)", with " outside the scale's range" when it
// is; empty when unmarked or when the scale gives no pressure at V.
std::string PressureReadout(const PressureMark& mark, double volume);

struct ScaleRow {
  std::string scale;
  std::string pressure;  // GPa, 2 decimals; empty when none
  bool outside = false;
};
// Every scale of the marked scale's material at V and the mark's temperature.
std::vector<ScaleRow> ScalesOfMaterial(const PressureMark& mark, double volume);

// The "Pressure" window's model. Every change goes through the main model's
// edit path (one undo step each).
class PressureModel {
 public:
  explicit PressureModel(MainModel& m) : m_(m) {}

  // The scale names, in --list order.
  static std::vector<std::string> ScaleNames();
  bool SetMarked(bool on);
  bool SetScale(const std::string& name);
  // The temperature box in the unit chosen: true K, false degrees Celsius.
  // Refused (false, nothing changed) when it is not a temperature above 0 K.
  bool SetTemperature(const std::string& text, bool kelvin);
  std::string TemperatureText(bool kelvin) const;
  std::string Readout() const;
  std::vector<ScaleRow> Rows() const;

 private:
  MainModel& m_;
};

}  // namespace quorlin
