#include "mainwindow/pressure_standard.h"

#include "core/errors.h"
#include "core/numtext.h"
#include "energy/scales.h"
#include "mainwindow/main_model.h"

namespace quorlin {

std::string PressureReadout(const PressureMark& mark, double volume) {
  const PressureScale* s = FindPressureScale(mark.scale);
  if (!mark.marked || !s) return "";
  try {
    const double P = ScalePressure(*s, volume, mark.kelvin);
    const bool outside = !OutsideRangeNote(*s, volume, mark.kelvin).empty();
    return "P = " + FixedText(P, 2) + " GPa (" + std::string(s->name) + ")" +
           (outside ? " outside the scale's range" : "");
  } catch (const QuorlinError&) {
    return "";
  }
}

std::vector<ScaleRow> ScalesOfMaterial(const PressureMark& mark, double volume) {
  std::vector<ScaleRow> rows;
  const PressureScale* marked = FindPressureScale(mark.scale);
  if (!marked) return rows;
  for (const PressureScale& s : PressureScales()) {
    if (s.material != marked->material) continue;
    ScaleRow row{std::string(s.name), "", false};
    try {
      row.pressure = FixedText(ScalePressure(s, volume, mark.kelvin), 2);
      row.outside = !OutsideRangeNote(s, volume, mark.kelvin).empty();
    } catch (const QuorlinError&) {
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> PressureModel::ScaleNames() {
  std::vector<std::string> names;
  for (const PressureScale& s : PressureScales()) names.emplace_back(s.name);
  return names;
}

bool PressureModel::SetMarked(bool on) {
  if (m_.Pressure.marked == on) return true;
  m_.Edit([&] { m_.Pressure.marked = on; });
  return true;
}

bool PressureModel::SetScale(const std::string& name) {
  const PressureScale* s = FindPressureScale(name);
  if (!s) return false;
  if (m_.Pressure.scale == s->name) return true;
  m_.Edit([&] { m_.Pressure.scale = std::string(s->name); });
  return true;
}

bool PressureModel::SetTemperature(const std::string& text, bool kelvin) {
  const auto k = TemperatureKelvin(text + (kelvin ? "K" : "C"));
  if (!k || !(*k > 0)) return false;
  if (*k == m_.Pressure.kelvin) return true;
  m_.Edit([&] { m_.Pressure.kelvin = *k; });
  return true;
}

std::string PressureModel::TemperatureText(bool kelvin) const {
  return GeneralText(kelvin ? m_.Pressure.kelvin : m_.Pressure.kelvin - 273.15);
}

std::string PressureModel::Readout() const {
  return PressureReadout(m_.Pressure, m_.UnitCell.Volume());
}

std::vector<ScaleRow> PressureModel::Rows() const { return ScalesOfMaterial(m_.Pressure, m_.UnitCell.Volume()); }

}  // namespace quorlin
