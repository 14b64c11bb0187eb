#include "mainwindow/energy_dispersive.h"

#include <cmath>

#include "core/errors.h"
#include "core/numtext.h"
#include "energy/scales.h"

namespace quorlin {
namespace {

bool SameSign(float a, float b) { return (a >= 0) == (b >= 0); }

// The 16-bit integer nearest to v, ties to even (v assumed in range).
int Nearest(double v) { return static_cast<int>(RoundHalfEven(v)); }

constexpr int kMaxScanPoints = 32767;

}  // namespace

EnergyDispersiveModel::EnergyDispersiveModel(MainModel& model) : m_(model) {
  oldTwoTheta_ = m_.data.edsTWO_THETA;
  oldLatticeParameter_ = m_.UnitCell.CellParameters(0, 1);
  txtTwoTheta = SingleText(oldTwoTheta_);
  txtLatticeParameter = oldLatticeParameter_;
}

bool EnergyDispersiveModel::Refuse(const std::string& message) {
  m_.Platform().ShowMessage(message);
  return false;
}

bool EnergyDispersiveModel::CheckEnergyData() {
  if (m_.data.DataType != "Energy" || m_.data.NChan() < 2 || m_.XRDPlot.DataType() != "Energy")
    return Refuse("The energy-dispersive tools need an energy spectrum: import an MCA file first.");
  return true;
}

bool EnergyDispersiveModel::CheckIncludedPeaks() {
  for (int i = 0; i < m_.PeakList.NumberOfPeaks(); ++i)
    if (m_.PeakList.Included(i)) return true;
  return Refuse("No reflections are selected: open a jcpds card and select its peaks.");
}

int EnergyDispersiveModel::PointCount(const std::string& text, const char* what) {
  auto v = StrictDouble(text);
  if (!v || RoundHalfEven(*v) < 1 || RoundHalfEven(*v) >= kMaxScanPoints) {
    Refuse(std::string(what) + ": \"" + text + "\" is not a whole number from 1 to 32766.");
    return 0;
  }
  return Nearest(*v) + 1;
}

bool EnergyDispersiveModel::ScanRange(const std::string& text, const char* what, float& range) {
  auto v = StrictSingle(text);
  if (!v || !(*v > 0)) return Refuse(std::string(what) + ": \"" + text + "\" is not a positive number.");
  range = *v;
  return true;
}

void EnergyDispersiveModel::StartScan(int n, float worst) {
  ScanX.assign(static_cast<std::size_t>(n), 0.0f);
  ScanY.assign(static_cast<std::size_t>(n), 0.0f);
  CurveY.clear();
  Best = 0;
  Worst = worst;
  BestX = 0;
}

void EnergyDispersiveModel::Record(int i, float x, float y) {
  ScanX[static_cast<std::size_t>(i)] = x;
  ScanY[static_cast<std::size_t>(i)] = y;
  if (y > Best) {
    Best = y;
    BestX = x;
  }
  if (y < Worst) Worst = y;
}

// --- scans ---------------------------------------------------------------------------------

bool EnergyDispersiveModel::Scan2Theta() {
  if (!CheckEnergyData() || !CheckIncludedPeaks()) return false;
  const int n = PointCount(txt2ThetaNumberOfPoints, "Number of points in scan");
  float range = 0;
  if (n == 0 || !ScanRange(txt2ThetaScanRange, "Scan Range (degrees)", range)) return false;
  const float t0 = m_.data.edsTWO_THETA;
  const float start = t0 - range / 2;
  if (!(start > 0) || !(t0 + range / 2 < 180))
    return Refuse("The 2 theta scan would leave 0 to 180 degrees: make the scan range smaller.");
  const float step = range / static_cast<float>(n - 1 == 0 ? 1 : n - 1);
  PlotMode = 1;
  ScanAxisTitle = "2θ (°)";
  StartScan(n, 1e8f);
  for (int i = 0; i < n; ++i) {
    const float x = start + static_cast<float>(i) * step;
    m_.data.edsTWO_THETA = x;
    Record(i, x, static_cast<float>(m_.PkSum()));
  }
  m_.data.edsTWO_THETA = t0;
  return true;
}

bool EnergyDispersiveModel::SetEdge(float a) { return m_.UnitCell.SetCellParameters(0, 1, SingleText(a)); }

bool EnergyDispersiveModel::ScanLP() {
  if (!CheckEnergyData() || !CheckIncludedPeaks()) return false;
  const int n = PointCount(txtLPNumberOfPoints, "Number of points in scan");
  float range = 0;
  if (n == 0 || !ScanRange(txtLPScanRange, "Scan range (Angstroms)", range)) return false;
  const std::string a0Text = m_.UnitCell.CellParameters(0, 1);
  const float a0 = StrictSingle(a0Text).value_or(0);
  const float start = a0 - range / 2;
  if (!(start > 0)) return Refuse("The scan would drive the cell edge to zero or below: make the scan range smaller.");
  const float step = range / static_cast<float>(n - 1 == 0 ? 1 : n - 1);
  PlotMode = 3;
  ScanAxisTitle = "Lattice parameter (Å)";
  StartScan(n, 1e10f);
  for (int i = 0; i < n; ++i) {
    const float x = start + static_cast<float>(i) * step;
    SetEdge(x);
    Record(i, x, static_cast<float>(m_.PkSum()));
  }
  m_.UnitCell.SetCellParameters(0, 1, a0Text);
  return true;
}

bool EnergyDispersiveModel::ScanPeak(std::int16_t h, std::int16_t k, std::int16_t l) {
  if (!CheckEnergyData()) return false;
  const int n = PointCount(txtLPNumberOfPoints, "Number of points in scan");
  if (n == 0) return false;
  const float d = m_.UnitCell.hklDSpacing(h, k, l);
  const float c = d > 0 ? m_.XRDPlot.TTFromD(1, d) : -1;
  if (!(c >= 0))
    return Refuse("The reflection " + std::to_string(h) + " " + std::to_string(k) + " " + std::to_string(l) +
                  " falls outside the spectrum.");
  PlotMode = 3;
  ScanAxisTitle = "Channel";
  StartScan(n, 1e10f);
  const int first = Nearest(c) - Nearest((n - 1) / 2.0);
  for (int i = 0; i < n; ++i) {
    const int ch = first + i;
    // Channels beyond the spectrum count as empty.
    const float y = ch >= 0 && ch < m_.data.NChan() ? static_cast<float>(m_.data.Intensity(ch)) : 0.0f;
    Record(i, static_cast<float>(ch), y);
  }
  return true;
}

// --- the Lorentzian -------------------------------------------------------------------------

float EnergyDispersiveModel::Lorentzian(float x, float B, float H, float w, float x0) {
  const float D = (x - x0) * (x - x0) + w * w;
  return B + H * w * w / D;
}

float EnergyDispersiveModel::FitOneLorentzian(float& Bkd, float& Pkhght, float& pkpos, float& Halfwidth, bool FitBkd,
                                              bool FitHght, bool FitPos, bool FitWidth) {
  // dS/dp, up to a constant factor, for parameter p (0 x0, 1 w, 2 B, 3 H).
  auto gradient = [&](int p, float B, float H, float w, float x0) {
    float g = 0;
    for (std::size_t j = 0; j < ScanX.size(); ++j) {
      const float x = ScanX[j];
      const float D = (x - x0) * (x - x0) + w * w;
      const float r = ScanY[j] - (B + H * w * w / D);
      float dm = 0;
      switch (p) {
        case 0:
          dm = 2 * H * w * w * (x - x0) / (D * D);
          break;
        case 1:
          dm = 2 * H * w / D - 2 * H * w * w * w / (D * D);
          break;
        case 2:
          dm = 1;
          break;
        default:
          dm = w * w / D;
          break;
      }
      g += r * dm;
    }
    return g;
  };
  const bool flags[4] = {FitPos, FitWidth, FitBkd, FitHght};
  for (int pass = 0; pass < 5; ++pass) {
    for (int p = 0; p < 4; ++p) {
      if (!flags[p]) continue;
      float* value = p == 0 ? &pkpos : p == 1 ? &Halfwidth : p == 2 ? &Bkd : &Pkhght;
      float s = p == 0 ? Halfwidth : p == 1 ? Halfwidth / 2 : Pkhght / 5;
      while (s >= 0.001f) {
        float params[4] = {pkpos, Halfwidth, Bkd, Pkhght};
        const float g1 = gradient(p, params[2], params[3], params[1], params[0]);
        params[p] += s;
        const float g2 = gradient(p, params[2], params[3], params[1], params[0]);
        *value = SameSign(g1, g2) ? *value - s / 2 : *value + s / 2;
        s /= 2;
      }
    }
  }
  DrawLorentzian(Bkd, Pkhght, Halfwidth, pkpos);
  return pkpos;
}

float EnergyDispersiveModel::EstimateHalfWidth() const {
  const float half = (Best + Worst) / 2;
  // A side whose crossing lies outside the window counts from the maximum
  // itself: taking it as x = 0 gave a width of the order of the channel
  // number, negative for a maximum at the right end.
  float left = BestX, right = BestX;
  bool leftFound = false;
  for (std::size_t i = 0; i < ScanX.size(); ++i) {
    if (!leftFound && ScanX[i] < BestX && ScanY[i] > half) {
      left = ScanX[i];
      leftFound = true;
    } else if (ScanX[i] > BestX && ScanY[i] < half) {
      right = ScanX[i];
      break;
    }
  }
  return (right - left) / 2;
}

void EnergyDispersiveModel::DrawLorentzian(float B, float H, float w, float x0) {
  CurveY.resize(ScanX.size());
  for (std::size_t j = 0; j < ScanX.size(); ++j) CurveY[j] = Lorentzian(ScanX[j], B, H, w, x0);
}

// --- fits ------------------------------------------------------------------------------------

bool EnergyDispersiveModel::Fit2Theta() {
  if (!Scan2Theta()) return false;
  float B = Worst, H = Best - Worst, x0 = BestX, w = EstimateHalfWidth();
  txtTwoTheta = SingleText(FitOneLorentzian(B, H, x0, w, true, true, true, true));
  return true;
}

bool EnergyDispersiveModel::FitLP() {
  if (!ScanLP()) return false;
  float B = Worst, H = Best - Worst, x0 = BestX, w = EstimateHalfWidth();
  txtLatticeParameter = SingleText(FitOneLorentzian(B, H, x0, w, true, true, true, true));
  GetPressure();
  return true;
}

bool EnergyDispersiveModel::FitSinglePeak() {
  std::int16_t hkl[3];
  const std::string* texts[3] = {&txth, &txtk, &txtl};
  for (int i = 0; i < 3; ++i) {
    auto v = StrictDouble(*texts[i]);
    auto n = v ? ToInteger(*v) : std::nullopt;
    if (!n) return Refuse("h, k and l must be whole numbers.");
    hkl[i] = *n;
  }
  if (!ScanPeak(hkl[0], hkl[1], hkl[2])) return false;
  float B = Worst, H = Best - Worst, x0 = BestX, w = EstimateHalfWidth();
  const float c = FitOneLorentzian(B, H, x0, w, true, true, true, true);
  txtD = SingleText(m_.XRDPlot.DFromTT(c));
  return true;
}

void EnergyDispersiveModel::FitPeakShapes(bool fromStored) {
  clsPeakList& peaks = m_.PeakList;
  for (int i = 0; i < peaks.NumberOfPeaks(); ++i) {
    if (!peaks.Included(i)) continue;
    if (!ScanPeak(peaks.h(i), peaks.k(i), peaks.l(i))) continue;
    float c = m_.XRDPlot.TTFromD(1, m_.UnitCell.hklDSpacing(peaks.h(i), peaks.k(i), peaks.l(i)));
    float B = Worst, H = 0, w = 0;
    if (fromStored) {
      B = peaks.Bkd(i);
      H = peaks.Pkhght(i);
      w = peaks.Halfwidth(i);
    } else {
      H = static_cast<float>(m_.data.IntensityInterpolated(c)) - B;
      w = EstimateHalfWidth();
    }
    FitOneLorentzian(B, H, c, w, true, true, false, true);
    peaks.SetHalfwidth(i, w);
    peaks.SetPkhght(i, H);
    peaks.SetBkd(i, B);
  }
}

// dS/da over every included reflection, the cell taken as cubic.
float EnergyDispersiveModel::EdgeGradient() {
  const clsPeakList& peaks = m_.PeakList;
  const double sinTheta = std::sin(static_cast<double>(m_.data.edsTWO_THETA) / 2 * 3.14159 / 180);
  float g = 0;
  for (int i = 0; i < peaks.NumberOfPeaks(); ++i) {
    if (!peaks.Included(i)) continue;
    const std::int16_t h = peaks.h(i), k = peaks.k(i), l = peaks.l(i);
    if (!ScanPeak(h, k, l)) continue;
    const float d = m_.UnitCell.hklDSpacing(h, k, l);
    const float x0 = m_.XRDPlot.TTFromD(1, d);
    const float B = peaks.Bkd(i), H = peaks.Pkhght(i), w = peaks.Halfwidth(i);
    const double root = std::sqrt(static_cast<double>(h * h + k * k + l * l));
    for (std::size_t j = 0; j < ScanX.size(); ++j) {
      const float x = ScanX[j];
      const float D = (x - x0) * (x - x0) + w * w;
      const float r = ScanY[j] - Lorentzian(x, B, H, w, x0);
      const float dmdx0 = 2 * H * w * w * (x - x0) / (D * D);
      const double dx0da = -6.1997 / (static_cast<double>(d) * d * sinTheta) /
                           (m_.data.edsCAL_SLOPE + 2.0 * m_.data.edsCAL_QUAD * x) / root;
      g += static_cast<float>(2 * r * dmdx0 * dx0da);
    }
  }
  return g;
}

bool EnergyDispersiveModel::FitPattern() {
  if (!CheckEnergyData() || !CheckIncludedPeaks()) return false;
  if (!(m_.data.edsCAL_SLOPE > 0)) return Refuse("The spectrum has no energy calibration (CAL_SLOPE).");
  if (PointCount(txtLPNumberOfPoints, "Number of points in scan") == 0) return false;
  // Every included reflection must fall on the spectrum.
  for (int i = 0; i < m_.PeakList.NumberOfPeaks(); ++i) {
    if (!m_.PeakList.Included(i)) continue;
    const float d = m_.UnitCell.hklDSpacing(m_.PeakList.h(i), m_.PeakList.k(i), m_.PeakList.l(i));
    if (!(d > 0) || !(m_.XRDPlot.TTFromD(1, d) >= 0))
      return Refuse("The reflection " + std::to_string(m_.PeakList.h(i)) + " " + std::to_string(m_.PeakList.k(i)) +
                    " " + std::to_string(m_.PeakList.l(i)) + " falls outside the spectrum: unselect it.");
  }
  m_.WriteUndoRecord();
  FitPeakShapes(false);
  float a = StrictSingle(m_.UnitCell.CellParameters(0, 1)).value_or(0);
  for (float s = 0.005f; s >= 1e-5f; s /= 2) {
    const float g1 = EdgeGradient();
    SetEdge(a + s);
    const float g2 = EdgeGradient();
    a = SameSign(g1, g2) ? a - s / 2 : a + s / 2;
    SetEdge(a);
  }
  FitPeakShapes(true);
  txtLatticeParameter = m_.UnitCell.CellParameters(0, 1);
  m_.Notify(ModelChange::All);
  GetPressure();
  return true;
}

// --- pressure ------------------------------------------------------------------------------------

PressureStandard EnergyDispersiveModel::SelectedStandard() const {
  switch (optPressureStandard) {
    case 1:
      return PressureStandard::W;
    case 2:
      return PressureStandard::MgO;
    case 3:
      return PressureStandard::Au;
    case 4:
      return PressureStandard::NaCl;
    default:
      return PressureStandard::CsCl;
  }
}

bool EnergyDispersiveModel::GetPressure() {
  auto t = StrictSingle(txtT);
  auto a = StrictSingle(txtLatticeParameter);
  if (!t) return Refuse("Temperature: \"" + txtT + "\" is not a number.");
  if (!a) return Refuse("Lattice Parameter: \"" + txtLatticeParameter + "\" is not a number.");
  const PressureStandard s = SelectedStandard();
  try {
    const PressureResult r = PressureFromEdge(s, *a, *t);
    const float kbar = static_cast<float>(r.kbar);
    const float hundredths = kbar / 10 * 100;
    txtP = SingleText(static_cast<float>(RoundHalfEven(hundredths)) / 100);
  } catch (const QuorlinError& e) {
    return Refuse(e.what());
  }
  PressureNote = IsRoomTemperatureIsotherm(s) && *t != 25 ? "room-temperature isotherm" : "";
  const PressureScale& range = ScaleOfStandard(s);
  const double kelvin = IsRoomTemperatureIsotherm(s) ? 300 : *t + 273.15;
  const double edge = *a;
  if (!OutsideRangeNote(range, edge * edge * edge, kelvin).empty())
    PressureNote += std::string(PressureNote.empty() ? "" : "; ") + "outside the scale's range";
  return true;
}

void EnergyDispersiveModel::StandardChanged() {
  txtP.clear();
  PressureNote.clear();
  if (StrictSingle(txtT) && StrictSingle(txtLatticeParameter)) GetPressure();
}

// --- reflections ----------------------------------------------------------------------------------

void EnergyDispersiveModel::FillPeakList() {
  cboPeakList.clear();
  const clsPeakList& p = m_.PeakList;
  for (int i = 0; i < p.NumberOfPeaks(); ++i)
    if (p.Included(i))
      cboPeakList.push_back(std::to_string(p.h(i)) + " " + std::to_string(p.k(i)) + " " + std::to_string(p.l(i)));
}

bool EnergyDispersiveModel::ChoosePeak(int item) {
  const clsPeakList& p = m_.PeakList;
  int seen = -1;
  for (int i = 0; i < p.NumberOfPeaks(); ++i) {
    if (!p.Included(i) || ++seen != item) continue;
    if (!ScanPeak(p.h(i), p.k(i), p.l(i))) return false;
    const float c = m_.XRDPlot.TTFromD(1, m_.UnitCell.hklDSpacing(p.h(i), p.k(i), p.l(i)));
    DrawLorentzian(p.Bkd(i), p.Pkhght(i), p.Halfwidth(i), c);
    return true;
  }
  return Refuse("Choose a reflection from the list (press Command3 to fill it).");
}

void EnergyDispersiveModel::Deselect() { PlotMode = 2; }

void EnergyDispersiveModel::SelectAll() {
  m_.Edit([&] {
    for (int i = 0; i < m_.PeakList.NumberOfPeaks(); ++i) m_.PeakList.SetIncluded(i, true);
  });
  PlotMode = 2;
}

void EnergyDispersiveModel::UnselectAll() {
  m_.Edit([&] {
    for (int i = 0; i < m_.PeakList.NumberOfPeaks(); ++i) m_.PeakList.SetIncluded(i, false);
  });
  PlotMode = 2;
}

void EnergyDispersiveModel::PlotMouseUp(float x) {
  switch (PlotMode) {
    case 1:
      txtTwoTheta = SingleText(x);
      break;
    case 3:
      txtLatticeParameter = SingleText(x);
      break;
    case 2: {
      if (m_.PatternType != "jcpds") break;
      const float d = m_.XRDPlot.DFromTT(x);
      auto nearest = m_.XRDPlot.jcpdsNearestLine(d, 1, m_.UnitCell, m_.PeakList);
      if (nearest.empty()) break;
      const int i = nearest.front();
      m_.Edit([&] { m_.PeakList.SetIncluded(i, !m_.PeakList.Included(i)); });
      break;
    }
    default:
      break;
  }
}

// --- applying and reverting ----------------------------------------------------------------------------

bool EnergyDispersiveModel::SaveNew2Theta() {
  auto v = StrictSingle(txtTwoTheta);
  if (!v || !(*v > 0 && *v < 180))
    return Refuse("Two theta: \"" + txtTwoTheta + "\" is not an angle between 0 and 180.");
  m_.Edit([&] { m_.data.edsTWO_THETA = *v; });
  return true;
}

void EnergyDispersiveModel::RevertToOld2Theta() {
  m_.Edit([&] { m_.data.edsTWO_THETA = oldTwoTheta_; });
  txtTwoTheta = SingleText(oldTwoTheta_);
}

bool EnergyDispersiveModel::SaveNewLatticeParameter() {
  auto v = StrictSingle(txtLatticeParameter);
  if (!v || !(*v > 0)) return Refuse("Lattice Parameter: \"" + txtLatticeParameter + "\" is not a positive number.");
  CUnitCell trial = m_.UnitCell;
  if (!trial.SetCellParameters(0, 1, txtLatticeParameter) && trial.CellParameters(0, 1) != txtLatticeParameter &&
      StrictSingle(trial.CellParameters(0, 1)) != v)
    return Refuse("The cell refuses the edge " + txtLatticeParameter + ".");
  m_.Edit([&] { m_.UnitCell.SetCellParameters(0, 1, txtLatticeParameter); });
  return true;
}

void EnergyDispersiveModel::RevertToOldLatticeParameter() {
  m_.Edit([&] { m_.UnitCell.SetCellParameters(0, 1, oldLatticeParameter_); });
  txtLatticeParameter = oldLatticeParameter_;
}

}  // namespace quorlin
