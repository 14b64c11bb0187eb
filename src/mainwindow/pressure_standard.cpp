#include "mainwindow/pressure_standard.h"

#include "core/errors.h"
#include "core/numtext.h"
#include "energy/eos.h"
#include "energy/scales.h"
#include "core/property_bag.h"
#include "mainwindow/main_model.h"
#include "mainwindow/refine_cell_model.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quorlin {

namespace {

// Two significant digits, the precision an su carries.
std::string SuText(double su) {
  if (!(su > 0) || !std::isfinite(su)) return "";
  const int decimals = std::clamp(1 - static_cast<int>(std::floor(std::log10(su))), 0, 8);
  return FixedText(su, decimals);
}

}  // namespace

void PressureMark::WriteState(PropertyBag& bag) const {
  const PressureMark d;
  bag.WriteProperty("PressureMarked", marked, d.marked);
  bag.WriteProperty("PressurePhase", std::int32_t{phase}, std::int32_t{d.phase});
  bag.WriteProperty("PressureScale", scale, d.scale);
  bag.WriteProperty("PressureKelvin", kelvin, d.kelvin);
  bag.WriteProperty("PressureVolumeSu", volumeSu, d.volumeSu);
  bag.WriteProperty("PressureSuVolume", suVolume, d.suVolume);
}

void PressureMark::ReadState(const PropertyBag& bag) {
  const PressureMark d;
  marked = bag.ReadBoolean("PressureMarked", d.marked);
  const std::int32_t p = bag.ReadLong("PressurePhase", d.phase);
  phase = p >= kWorkingPhase && p < CStoredPhases::kSlots ? p : d.phase;
  const PressureScale* s = FindPressureScale(bag.ReadString("PressureScale", d.scale));
  scale = s ? std::string(s->name) : d.scale;
  const double k = bag.ReadDouble("PressureKelvin", d.kelvin);
  kelvin = std::isfinite(k) && k > 0 ? k : d.kelvin;
  const double su = bag.ReadDouble("PressureVolumeSu", 0), at = bag.ReadDouble("PressureSuVolume", 0);
  const bool valid = std::isfinite(su) && su > 0 && std::isfinite(at) && at > 0;
  volumeSu = valid ? su : 0;
  suVolume = valid ? at : 0;
}

std::string PressureReadout(const PressureMark& mark, double volume, double volumeSu) {
  const PressureScale* s = FindPressureScale(mark.scale);
  if (!mark.marked || !s || !(volume > 0)) return "";
  try {
    const double P = ScalePressure(*s, volume, mark.kelvin);
    const bool outside = !OutsideRangeNote(*s, volume, mark.kelvin).empty();
    std::string value = FixedText(P, 2);
    if (volumeSu > 0) {
      const double su = std::fabs(ScalePressureSlope(*s, volume, mark.kelvin)) * volumeSu;
      value = ValueWithSu(RefinedValue{P, su, RefinedValue::Status::Refined});
    }
    return "P = " + value + " GPa (" + std::string(s->name) + ")" +
           (outside ? " outside the scale's range" : "");
  } catch (const QuorlinError&) {
    return "";
  }
}

double MarkedVolume(const MainModel& m) {
  if (m.Pressure.phase == PressureMark::kWorkingPhase) return m.UnitCell.Volume();
  if (m.Pressure.phase < 0 || m.Pressure.phase >= CStoredPhases::kSlots) return 0;
  if (!m.storedphases.StoredPattern(m.Pressure.phase).Exists) return 0;
  return m.storedphases.StoredUnitCell(m.Pressure.phase).Volume();
}

double MarkedVolumeSu(const MainModel& m) {
  const PressureMark& mark = m.Pressure;
  // The su belongs to the working cell as refined; the float volume is
  // compared as it was stored, so that any edit of the cell drops it.
  const bool suHolds = mark.phase == PressureMark::kWorkingPhase && mark.volumeSu > 0 &&
                       static_cast<float>(mark.suVolume) == m.UnitCell.Volume();
  return suHolds ? mark.volumeSu : 0;
}

std::string MarkedPressureText(const MainModel& m) {
  return PressureReadout(m.Pressure, MarkedVolume(m), MarkedVolumeSu(m));
}

std::string ReportWithPressure(const MainModel& m) {
  const std::string pressure = MarkedPressureText(m);
  if (pressure.empty()) return m.ReportText;
  return m.ReportText.empty() ? pressure : m.ReportText + "\n" + pressure;
}

std::vector<ScaleRow> ScalesOfMaterial(const PressureMark& mark, double volume, double volumeSu) {
  std::vector<ScaleRow> rows;
  const PressureScale* marked = FindPressureScale(mark.scale);
  if (!marked) return rows;
  for (const PressureScale& s : PressureScales()) {
    if (s.material != marked->material) continue;
    ScaleRow row{std::string(s.name), "", "", false};
    try {
      const double P = ScalePressure(s, volume, mark.kelvin);
      row.pressure = FixedText(P, 2);
      if (volumeSu > 0) {
        // Each scale has its own slope: a stiffer scale turns the same
        // volume su into a larger pressure su.
        const double su = std::fabs(ScalePressureSlope(s, volume, mark.kelvin)) * volumeSu;
        row.pressure = ValueWithSu(RefinedValue{P, su, RefinedValue::Status::Refined});
        row.su = SuText(su);
      }
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

std::vector<std::pair<int, std::string>> PressureModel::Phases() const {
  std::vector<std::pair<int, std::string>> phases{{PressureMark::kWorkingPhase, "Working phase"}};
  for (int slot = 0; slot < CStoredPhases::kSlots; ++slot) {
    const CPattern& p = m_.storedphases.StoredPattern(slot);
    if (p.Exists) phases.emplace_back(slot, "Stored phase " + std::to_string(slot + 1) + ": " + p.PatternName);
  }
  return phases;
}

bool PressureModel::SetPhase(int phase) {
  if (phase != PressureMark::kWorkingPhase &&
      (phase < 0 || phase >= CStoredPhases::kSlots || !m_.storedphases.StoredPattern(phase).Exists))
    return false;
  if (m_.Pressure.phase == phase) return true;
  m_.Edit([&] { m_.Pressure.phase = phase; });
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

std::string PressureModel::Readout() const { return MarkedPressureText(m_); }

// Unmarked, the table names the scales but gives no pressure: the phase's
// cell is not known to be that material's.
std::vector<ScaleRow> PressureModel::Rows() const {
  std::vector<ScaleRow> rows = ScalesOfMaterial(m_.Pressure, MarkedVolume(m_), MarkedVolumeSu(m_));
  if (!m_.Pressure.marked)
    for (ScaleRow& r : rows) r = ScaleRow{r.scale, "", "", false};
  return rows;
}

namespace {

// The card of a phase that came from one and still exists; nullptr otherwise.
const CardPhase* CardOfPhase(const MainModel& m, int phase) {
  if (phase == PressureMark::kWorkingPhase) return m.pattern.Card.FromCard() ? &m.pattern.Card : nullptr;
  if (phase < 0 || phase >= CStoredPhases::kSlots) return nullptr;
  const CPattern& p = m.storedphases.StoredPattern(phase);
  return p.Exists && p.Card.FromCard() ? &p.Card : nullptr;
}

}  // namespace

std::vector<CardPhaseRow> PressureModel::CardPhases() const {
  std::vector<CardPhaseRow> rows;
  for (int phase = PressureMark::kWorkingPhase; phase < CStoredPhases::kSlots; ++phase) {
    const CardPhase* card = CardOfPhase(m_, phase);
    if (!card) continue;
    const std::string name = phase == PressureMark::kWorkingPhase
                                 ? "Working phase"
                                 : "Stored phase " + std::to_string(phase + 1) + ": " +
                                       m_.storedphases.StoredPattern(phase).PatternName;
    rows.push_back({phase, name, card->Movable(), card->pressure, card->kelvin});
  }
  return rows;
}

bool PressureModel::MoveCardPhase(int phase, double P, double kelvin) {
  const CardPhase* card = CardOfPhase(m_, phase);
  if (!card) return false;
  const auto cell = CardCellAt(*card, P, kelvin);
  if (!cell) return false;
  const bool working = phase == PressureMark::kWorkingPhase;
  // Tried on a copy first: a cell the limits refuse changes nothing.
  CUnitCell trial = working ? m_.UnitCell : m_.storedphases.StoredUnitCell(phase);
  if (!trial.SetCell(1, *cell)) return false;
  auto change = [&] {
    CPattern& pattern = working ? m_.pattern : m_.storedphases.StoredPattern(phase);
    pattern.Card.pressure = P;
    pattern.Card.kelvin = kelvin;
    if (working) {
      m_.UnitCell.SetCell(1, *cell);
    } else {
      m_.storedphases.StoredUnitCell(phase).SetCell(1, *cell);
      m_.MakeStoredVectors(phase);
    }
  };
  if (typing_ && recorded_) {
    change();
    m_.Notify();
  } else {
    m_.Edit(change);
    recorded_ = typing_;
  }
  return true;
}

bool PressureModel::SetCardPressure(int phase, const std::string& text) {
  const CardPhase* card = CardOfPhase(m_, phase);
  const std::optional<double> P = StrictDouble(text);
  if (!card || !P || !std::isfinite(*P)) return false;
  if (*P == card->pressure) return true;
  return MoveCardPhase(phase, *P, card->kelvin);
}

bool PressureModel::SetCardTemperature(int phase, const std::string& text, bool kelvin) {
  const CardPhase* card = CardOfPhase(m_, phase);
  const auto k = TemperatureKelvin(text + (kelvin ? "K" : "C"));
  if (!card || !k || !(*k > 0)) return false;
  if (*k == card->kelvin) return true;
  return MoveCardPhase(phase, card->pressure, *k);
}

std::string PressureModel::CardCellText(int phase) const {
  if (!CardOfPhase(m_, phase)) return "";
  const CUnitCell& cell =
      phase == PressureMark::kWorkingPhase ? m_.UnitCell : m_.storedphases.StoredUnitCell(phase);
  static const char* names[] = {"a", "b", "c", "alpha", "beta", "gamma"};
  std::string text;
  // Seven significant digits, as the cell editor's boxes show them.
  for (int i = 0; i < 6; ++i)
    text += std::string(names[i]) + " = " +
            GeneralText(i < 3 ? cell.Edge(1, i) : cell.CellAngle(1, i).Degrees()) + (i < 5 ? ", " : "");
  return text + ", V = " + FixedText(cell.Volume(), 3);
}

}  // namespace quorlin
