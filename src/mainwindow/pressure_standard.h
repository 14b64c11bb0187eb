// A phase (the working one or a stored one) marked as a pressure standard:
// its scale and temperature, the "P = ... GPa (scale)" read-out the status line shows, and
// the model of the "Pressure" window (every scale of the material side by
// side with su, the temperature in K or degrees Celsius, and the P and T of
// every phase opened from a jcpds card).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorlin {

class MainModel;

class PropertyBag;

struct PressureMark {
  static constexpr int kWorkingPhase = -1;
  bool marked = false;
  int phase = kWorkingPhase;  // or a stored phase's slot 0..4
  std::string scale = "Au-Fei2007";
  double kelvin = 300;
  // The su of the volume from the refinement last applied to the working
  // cell. It holds only while the cell still has the volume it was refined
  // to (suVolume): any later change of the cell drops it.
  double volumeSu = 0;
  double suVolume = 0;
  bool operator==(const PressureMark&) const = default;

  // Project and undo keys; a project without them reads as unmarked, and a
  // value out of bounds reads as its default.
  void WriteState(PropertyBag& bag) const;
  void ReadState(const PropertyBag& bag);
};

// "P = 12.34 GPa (Au-Fei2007)", "P = 12.343(48) GPa (Au-Fei2007)" with a
// volume su above 0, with " outside the scale's range" when it is; empty
// when unmarked or when the scale gives no pressure at V.
std::string PressureReadout(const PressureMark& mark, double volume, double volumeSu = 0);
// The read-out for the phase the model's mark names, with the su of the
// last applied refinement while it still holds.
std::string MarkedPressureText(const MainModel& m);
// The volume of the marked phase; 0 when the slot holds no phase.
double MarkedVolume(const MainModel& m);
// The report box text: the model's report with the read-out as its last line.
std::string ReportWithPressure(const MainModel& m);

// The su of the marked volume: the last applied refinement's while the
// working cell still has the volume it was refined to, else 0.
double MarkedVolumeSu(const MainModel& m);

struct ScaleRow {
  std::string scale;
  std::string pressure;  // GPa, 2 decimals, or value(su) with a volume su; empty when none
  std::string su;        // GPa, |dP/dV| su_V on this scale; empty without a volume su
  bool outside = false;
};
// Every scale of the marked scale's material at V and the mark's
// temperature, each with the su a volume su gives on it.
std::vector<ScaleRow> ScalesOfMaterial(const PressureMark& mark, double volume, double volumeSu = 0);

// A phase opened from a jcpds card, as the window lists it.
struct CardPhaseRow {
  int phase = -1;  // PressureMark::kWorkingPhase or a stored slot
  std::string name;
  bool movable = false;  // the card gives a bulk modulus
  double pressure = 0, kelvin = 298;
};

// The "Pressure" window's model. Every change goes through the main model's
// edit path (one undo step each).
class PressureModel {
 public:
  explicit PressureModel(MainModel& m) : m_(m) {}

  // The scale names, in --list order.
  static std::vector<std::string> ScaleNames();
  bool SetMarked(bool on);
  // "Working phase", then "Stored phase N: name" for every filled slot,
  // with the phase index each stands for.
  std::vector<std::pair<int, std::string>> Phases() const;
  // Refused (false) for an empty slot.
  bool SetPhase(int phase);
  bool SetScale(const std::string& name);
  // The temperature box in the unit chosen: true K, false degrees Celsius.
  // Refused (false, nothing changed) when it is not a temperature above 0 K.
  bool SetTemperature(const std::string& text, bool kelvin);
  std::string TemperatureText(bool kelvin) const;
  std::string Readout() const;
  std::vector<ScaleRow> Rows() const;

  // --- phases from jcpds cards: their P and T ------------------------------
  // The working phase, then every stored phase, that came from a card.
  std::vector<CardPhaseRow> CardPhases() const;
  // Moves a card phase to P (GPa) or T (K, or degrees Celsius when kelvin is
  // false): its cell becomes the card's cell through the card's equation of
  // state, in one undo step, and its lines follow. Refused (false, nothing
  // changed) for a phase without a card's bulk modulus, a text that is not a
  // number, or a P and T where the equation gives no cell the cell accepts.
  bool SetCardPressure(int phase, const std::string& text);
  bool SetCardTemperature(int phase, const std::string& text, bool kelvin);
  bool MoveCardPhase(int phase, double P, double kelvin);
  // A card phase's P or T box got the focus / lost it: what is typed there
  // in between is one undo step, as in the cell editor, so that Undo after
  // "1000" returns to the temperature before it, not to "100".
  void CardBoxFocused() {
    typing_ = true;
    recorded_ = false;
  }
  void CardBoxLeft() { typing_ = false; }
  // The card phase's cell as the window shows it ("a = 4.0786 Å ..., V = ...").
  std::string CardCellText(int phase) const;

 private:
  MainModel& m_;
  bool typing_ = false;    // a card box has the focus
  bool recorded_ = false;  // and this visit has written its undo record
};

}  // namespace quorlin
