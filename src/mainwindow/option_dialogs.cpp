#include "mainwindow/option_dialogs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/numtext.h"

namespace quorlin {

namespace {

const char* const kLimitLabels[6] = {"h min", "k min", "l min", "h max", "k max", "l max"};
const char* const kScaleLabels[6] = {"Minimum cell edge",  "Maximum cell edge",  "Divisions per Angstrom",
                                     "Minimum cell angle", "Maximum cell angle", "Divisions per degree"};
const char* const kSchemeNames[ColorsDialog::kSchemes] = {"Blue",   "Order",          "Direction",   "Blend",
                                                      "Basal",  "NumberOfZeroes", "SevenColors", "UserColor"};

// The drawing visits every triple of the limits on each redraw: beyond the
// box of -100..100 for all three indices a redraw no longer feels immediate,
// and far beyond it the program would appear to hang.
constexpr double kMaxTriples = 201.0 * 201.0 * 201.0;

std::optional<std::int16_t> ParseInteger(std::string_view text) {
  auto v = StrictDouble(text);
  if (!v) return std::nullopt;
  return ToInteger(*v);
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// What is wrong with a box ParseInteger refused: not a number at all, or a
// number beyond a 16-bit integer.
std::string IntegerProblem(std::string_view text) {
  return Quoted(text) + (StrictDouble(text) ? " is outside -32768 to 32767." : " is not a number.");
}

}  // namespace

// --- h,k,l limits ------------------------------------------------------------

FittedLimits FitLimits(const CUnitCell& cell, const CPattern& pattern, float dMin, int cap) {
  FittedLimits r;
  if (!(dMin > 0.0f) || !std::isfinite(dMin)) return r;
  // |h| = |r* . a| <= |r*| |a| = |a| / d, so no index of a spacing of at least
  // dMin reaches beyond |a| / dMin (and likewise for k and l).
  std::array<int, 3> reach{};
  std::array<bool, 3> beyond{};
  for (int i = 0; i < 3; ++i) {
    double n = std::floor(static_cast<double>(cell.Edge(1, i)) / dMin * (1.0 + 1e-5));
    beyond[i] = n > cap;
    reach[i] = static_cast<int>(std::clamp(n, 0.0, static_cast<double>(cap)));
  }
  std::array<int, 3> found{};
  for (int l = -reach[2]; l <= reach[2]; ++l)
    for (int k = -reach[1]; k <= reach[1]; ++k)
      for (int h = -reach[0]; h <= reach[0]; ++h) {
        if (std::abs(h) <= found[0] && std::abs(k) <= found[1] && std::abs(l) <= found[2]) continue;
        float d = cell.hklDSpacing(h, k, l);
        if (!(d >= dMin)) continue;
        auto H = static_cast<std::int16_t>(h), K = static_cast<std::int16_t>(k), L = static_cast<std::int16_t>(l);
        if (!pattern.IsWanted(H, K, L)) continue;
        if (!pattern.PlotAbsences && !pattern.IsAllowed(H, K, L)) continue;
        found = {std::max(found[0], std::abs(h)), std::max(found[1], std::abs(k)), std::max(found[2], std::abs(l))};
      }
  for (int i = 0; i < 3; ++i) {
    r.bound[i] = static_cast<std::int16_t>(found[i]);
    if (beyond[i] && found[i] == cap) r.capped = true;
  }
  return r;
}

void HklLimitsDialog::Open() {
  const CPattern& p = m_.pattern;
  opened_ = {p.hmin, p.kmin, p.lmin, p.hmax, p.kmax, p.lmax};
}

LimitTexts HklLimitsDialog::Texts() const {
  const CPattern& p = m_.pattern;
  LimitTexts t;
  const std::int16_t v[6] = {p.hmin, p.kmin, p.lmin, p.hmax, p.kmax, p.lmax};
  for (int i = 0; i < 6; ++i) t[i] = std::to_string(v[i]);
  return t;
}

void HklLimitsDialog::SetIrreducibleWedge(bool on) {
  m_.pattern.IrreducibleWedge = on;
  m_.Notify(ModelChange::All);
}

void HklLimitsDialog::Write(const std::array<std::int16_t, 6>& v) {
  CPattern& p = m_.pattern;
  p.hmin = v[0];
  p.kmin = v[1];
  p.lmin = v[2];
  p.hmax = v[3];
  p.kmax = v[4];
  p.lmax = v[5];
  m_.Notify(ModelChange::All);
}

bool HklLimitsDialog::Apply(const LimitTexts& boxes) {
  std::array<std::int16_t, 6> v{};
  for (int i = 0; i < 6; ++i) {
    auto n = ParseInteger(boxes[i]);
    if (!n) {
      m_.Platform().ShowMessage(std::string(kLimitLabels[i]) + ": " + IntegerProblem(boxes[i]));
      return false;
    }
    v[i] = *n;
  }
  double triples = 1.0;
  for (int i = 0; i < 3; ++i) triples *= std::max(0, v[i + 3] - v[i] + 1);
  if (triples > kMaxTriples) {
    m_.Platform().ShowMessage("These limits hold too many reflections to draw; keep each index within -100 to 100.");
    return false;
  }
  Write(v);
  return true;
}

std::optional<LimitTexts> HklLimitsDialog::Widen(const LimitTexts& boxes, int step) {
  LimitTexts next;
  for (int i = 0; i < 6; ++i) {
    auto n = ParseInteger(boxes[i]);
    long moved = n ? static_cast<long>(*n) + (i < 3 ? -step : step) : 0;
    if (!n || moved < -32768 || moved > 32767) {
      m_.Platform().ShowMessage(std::string(kLimitLabels[i]) + ": " + Quoted(boxes[i]) +
                                " cannot be moved within -32768 to 32767.");
      return std::nullopt;
    }
    next[i] = std::to_string(moved);
  }
  if (!Apply(next)) return std::nullopt;
  return next;
}

void HklLimitsDialog::Cancel() { Write(opened_); }

std::optional<float> HklLimitsDialog::WindowDMin() const {
  float d = m_.XRDPlot.DFromTT(m_.XRDPlot.SngTTMax());
  if (!(d > 0.0f) || !std::isfinite(d)) return std::nullopt;
  return d;
}

bool HklLimitsDialog::FitToPlotWindow() {
  auto dMin = WindowDMin();
  if (!dMin) {
    m_.Platform().ShowMessage("The plot window gives no smallest d-spacing; the limits stay as they are.");
    return false;
  }
  FittedLimits f = FitLimits(m_.UnitCell, m_.pattern, *dMin, kCap);
  Write({static_cast<std::int16_t>(-f.bound[0]), static_cast<std::int16_t>(-f.bound[1]),
         static_cast<std::int16_t>(-f.bound[2]), f.bound[0], f.bound[1], f.bound[2]});
  if (f.capped)
    m_.Platform().ShowMessage("The plot window needs indices beyond 100; the limits are capped at -100 to 100.");
  return true;
}

// --- scroll ranges ----------------------------------------------------------------

ScaleTexts CellScaleDialog::Texts() const {
  return {m_.UnitCell.EdgeMin(1),
          m_.UnitCell.EdgeMax(1),
          std::to_string(m_.CellScrollWrapper.EdgeScale(m_.UserCellType)),
          m_.UnitCell.AngleMin(),
          m_.UnitCell.AngleMax(),
          std::to_string(m_.CellScrollWrapper.AngleScale())};
}

bool CellScaleDialog::Apply(const ScaleTexts& boxes) {
  if (!Enabled()) return false;
  IPlatform& ui = m_.Platform();
  std::array<float, 6> v{};
  for (int i = 0; i < 6; ++i) {
    std::optional<float> x;
    if (i == 2 || i == 5) {
      if (auto n = ParseInteger(boxes[i])) x = *n;
    } else {
      x = StrictSingle(boxes[i]);
    }
    if (!x) {
      const bool integer = i == 2 || i == 5;
      ui.ShowMessage(std::string(kScaleLabels[i]) + ": " +
                     (integer ? IntegerProblem(boxes[i])
                      : StrictDouble(boxes[i]) ? Quoted(boxes[i]) + " is too large for a single-precision number."
                                               : Quoted(boxes[i]) + " is not a number."));
      return false;
    }
    v[i] = *x;
  }
  for (int i : {2, 5})
    if (v[i] < 1.0f) {
      ui.ShowMessage(std::string(kScaleLabels[i]) + " must be at least 1.");
      return false;
    }
  if (v[0] > v[1]) {
    ui.ShowMessage("The minimum cell edge must not be above the maximum.");
    return false;
  }
  if (v[3] >= v[4]) {
    ui.ShowMessage("The minimum cell angle must be below the maximum.");
    return false;
  }
  // A scroll bar counts in 16-bit steps.
  if (static_cast<double>(v[1]) * v[2] > 32767.0 || static_cast<double>(v[4]) * v[5] > 32767.0) {
    ui.ShowMessage("The maximum times the divisions must not exceed 32767, the longest scroll bar.");
    return false;
  }
  // Each limit is checked against the other and the current cell as it is
  // stored, so try both orders on a copy and keep the first that takes all.
  auto attempt = [&](bool minFirst, CUnitCell& cell) {
    bool edges = minFirst ? cell.SetEdgeMin(1, boxes[0]) && cell.SetEdgeMax(1, boxes[1])
                          : cell.SetEdgeMax(1, boxes[1]) && cell.SetEdgeMin(1, boxes[0]);
    bool angles = minFirst ? cell.SetAngleMin(boxes[3]) && cell.SetAngleMax(boxes[4])
                           : cell.SetAngleMax(boxes[4]) && cell.SetAngleMin(boxes[3]);
    return edges && angles;
  };
  CUnitCell trial = m_.UnitCell;
  if (!attempt(true, trial)) {
    trial = m_.UnitCell;
    if (!attempt(false, trial)) {
      ui.ShowMessage("The limits must hold the current cell, with edges within 0.01 to 100 Angstrom "
                     "and angles within 5 to 175 degrees.");
      return false;
    }
  }
  m_.UnitCell = trial;
  m_.CellScrollWrapper.SetEdgeScale(m_.UserCellType, static_cast<std::int16_t>(v[2]));
  m_.CellScrollWrapper.SetAngleScale(static_cast<std::int16_t>(v[5]));
  m_.Notify(ModelChange::All);
  return true;
}

// --- d-spacing calculator ---------------------------------------------------------------

std::optional<DSpacingResult> DSpacingDialog::Calculate(std::string_view h, std::string_view k, std::string_view l,
                                                        IPlatform& platform) {
  std::array<std::int16_t, 3> hkl{};
  const std::string_view texts[3] = {h, k, l};
  const char* const names[3] = {"h", "k", "l"};
  for (int i = 0; i < 3; ++i) {
    auto n = ParseInteger(texts[i]);
    if (!n) {
      platform.ShowMessage(std::string(names[i]) + ": " + IntegerProblem(texts[i]));
      return std::nullopt;
    }
    hkl[i] = *n;
  }
  hkl_ = hkl;
  return Recalculate();
}

std::optional<DSpacingResult> DSpacingDialog::Recalculate() const {
  if (!hkl_) return std::nullopt;
  auto [h, k, l] = *hkl_;
  DSpacingResult r;
  float d = m_.UnitCell.hklDSpacing(h, k, l);
  if (d > 0.0f) r.dSpacing = GeneralText(d);
  r.allowed = m_.pattern.IsAllowed(h, k, l);
  return r;
}

// --- volume tracking -------------------------------------------------------------------

std::string VolumeTrackingDialog::Text() const { return SingleText(m_.UnitCell.VRef()); }

void VolumeTrackingDialog::UseCurrentVolume() {
  m_.UnitCell.SetVRef(m_.UnitCell.Volume());
  m_.Notify(ModelChange::All);
}

bool VolumeTrackingDialog::Accept(std::string_view text) {
  auto v = StrictSingle(text);
  if (!v || !(*v > 0.0f)) {
    m_.Platform().ShowMessage("Reference volume: " + Quoted(text) + " is not a positive number.");
    return false;
  }
  m_.UnitCell.SetVRef(*v);
  m_.Notify(ModelChange::All);
  return true;
}

// --- colours and widths ----------------------------------------------------------------

const char* ColorsDialog::SchemeName(int index) {
  return index >= 0 && index < kSchemes ? kSchemeNames[index] : "";
}

int ColorsDialog::SchemeIndex() const {
  for (int i = 0; i < kSchemes; ++i)
    if (m_.pattern.ColorScheme == kSchemeNames[i]) return i;
  return -1;
}

void ColorsDialog::ChooseScheme(int index) {
  if (index < 0 || index >= kSchemes) return;
  m_.pattern.ColorScheme = kSchemeNames[index];
  m_.Notify(ModelChange::All);
}

std::array<bool, 2> ColorsDialog::AbsenceTicks() const {
  const CPattern& p = m_.pattern;
  return {p.PlotAbsences && p.AbsenceColor == 255, p.PlotAbsences && p.AbsenceColor == 0};
}

void ColorsDialog::AbsenceClicked(int index, bool ticked) {
  if (index < 0 || index > 1) return;
  m_.pattern.PlotAbsences = ticked;
  if (ticked) m_.pattern.AbsenceColor = index == 0 ? 255 : 0;
  m_.Notify(ModelChange::All);
}

void ColorsDialog::SetLineWidth(int index) {
  if (index < 0 || index > 4) return;
  m_.pattern.linewidth = static_cast<std::int16_t>(index + 1);
  m_.Notify(ModelChange::All);
}

void ColorsDialog::SetDataWidth(int index) {
  if (index < 0 || index > 4) return;
  m_.XRDPlot.XRDDataWidth = static_cast<std::int16_t>(index + 1);
  m_.Notify(ModelChange::All);
}

bool ColorsDialog::Choose(std::int32_t& target, std::string& customText) {
  CustomColors custom = CustomColorsFromText(customText);
  // A system colour (high bit set) is no RGB the chooser can start from.
  std::optional<std::uint32_t> initial;
  if (target >= 0) initial = static_cast<std::uint32_t>(target);
  auto chosen = m_.Platform().ChooseColor(initial, custom);
  if (!chosen) return false;
  target = static_cast<std::int32_t>(*chosen & 0xFFFFFFu);
  customText = CustomColorsToText(custom);
  m_.Notify(ModelChange::All);
  return true;
}

bool ColorsDialog::ChooseLineColor() { return Choose(m_.pattern.LineColor, m_.LineCustomColors); }
bool ColorsDialog::ChooseBackgroundColor() { return Choose(m_.XRDPlot.XRDBackColor, m_.BackCustomColors); }
bool ColorsDialog::ChooseDataColor() { return Choose(m_.XRDPlot.XRDDataColor, m_.LineCustomColors); }

}  // namespace quorlin
