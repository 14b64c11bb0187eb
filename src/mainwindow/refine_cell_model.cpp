#include "mainwindow/refine_cell_model.h"

#include <algorithm>
#include <cmath>

#include "core/errors.h"
#include "core/numtext.h"
#include "mainwindow/main_model.h"

namespace quorlin {

namespace {

std::string Indices(const std::vector<MillerIndices>& hkl) {
  std::string s;
  for (const auto& m : hkl)
    s += (s.empty() ? "" : " / ") + std::to_string(m.h) + " " + std::to_string(m.k) + " " + std::to_string(m.l);
  return s;
}

}  // namespace

std::string ValueWithSu(const RefinedValue& v) {
  switch (v.status) {
    case RefinedValue::Status::NotDetermined: return "not determined";
    case RefinedValue::Status::FixedBySymmetry: return FixedText(v.value, 5) + " (fixed by symmetry)";
    case RefinedValue::Status::NotRefined: return FixedText(v.value, 5) + " (not refined)";
    case RefinedValue::Status::Refined: break;
  }
  if (!(v.su > 0)) return FixedText(v.value, 6) + "(0)";
  // Two significant digits of the su, at most eight decimals.
  int digits = std::clamp(1 - static_cast<int>(std::floor(std::log10(v.su))), 0, 8);
  double su = std::round(v.su * std::pow(10.0, digits));
  if (su >= 100 && digits > 0) su = std::round(v.su * std::pow(10.0, --digits));  // 0.0000996 is (10), not (100)
  return FixedText(v.value, digits) + "(" + std::to_string(static_cast<long long>(su)) + ")";
}

RefineCellModel::RefineCellModel(MainModel& model) : model_(model) {}

RefineCellModel::Snapshot RefineCellModel::Take() const {
  Snapshot s;
  for (int i = 0; i < 3; ++i) {
    s.cell[static_cast<std::size_t>(i)] = model_.UnitCell.Edge(1, i);
    s.cell[static_cast<std::size_t>(i + 3)] = model_.UnitCell.CellAngle(1, i).Degrees();
  }
  s.basis = model_.UnitCell.Basis();
  s.displacement = model_.XRDPlot.SpecimenDisplacement;
  s.ttMin = model_.XRDPlot.SngTTMin();
  s.ttMax = model_.XRDPlot.SngTTMax();
  s.points = static_cast<std::size_t>(model_.data.NChan());
  s.dataType = model_.XRDPlot.DataType();
  return s;
}

void RefineCellModel::Capture() {
  const Snapshot s = Take();
  revertCell_ = s.cell;
  revertDisplacement_ = s.displacement;
  captured_ = true;
}

PatternRefinementOptions RefineCellModel::Options() const {
  PatternRefinementOptions o;
  o.tolerance = tolerance_;
  o.refineZero = refineZero_;
  o.refineDisplacement = refineDisplacement_;
  o.excluded = excluded_;
  return o;
}

void RefineCellModel::Update() {
  const Snapshot now = Take();
  if (seen_ && *seen_ == now) return;
  seen_ = now;
  if (refined_) model_.XRDPlot.ObservedTicks.clear();  // they belonged to the old cell
  refined_.reset();
  message_.clear();
  lines_.clear();
  const CData& data = model_.data;
  const CXRDPlot& plot = model_.XRDPlot;
  if (data.NChan() > 0) {
    const RefinementSetup setup = SetupFromPlot(data, plot, model_.UnitCell);
    const double width = EstimatePeakWidth(data, plot);
    if (width > 0)
      lines_ = MeasureLines(data, plot, model_.pattern, setup, setup.start, 0.0, setup.displacement,
                            tolerance_ > 0 ? tolerance_ : 3.0 * width, width, excluded_);
  }
  FillRows(lines_);
}

void RefineCellModel::FillRows(const std::vector<MeasuredLine>& lines) {
  rows_.clear();
  const int digits = model_.XRDPlot.DataType() == "Energy" ? 4 : 4;
  for (const auto& line : lines) {
    RefineCellRow row;
    row.hkl = Indices(line.hkl);
    row.calculated = FixedText(line.calculated, digits);
    row.measured = line.observed.has_value();
    if (line.observed) {
      row.observed = FixedText(*line.observed, digits);
      row.difference = FixedText(*line.observed - line.calculated, digits);
    }
    row.used = line.used;
    row.note = line.note;
    rows_.push_back(std::move(row));
  }
}

bool RefineCellModel::SetToleranceText(std::string_view text) {
  toleranceText_ = std::string(text);
  if (text.empty()) {
    tolerance_ = 0;
  } else {
    auto v = StrictDouble(text);
    if (!v || !(*v > 0) || !std::isfinite(*v)) return false;
    tolerance_ = *v;
  }
  seen_.reset();  // measure again with the new tolerance
  Update();
  return true;
}

void RefineCellModel::SetRowUsed(int row, bool used) {
  if (row < 0 || row >= static_cast<int>(lines_.size())) return;
  const auto& hkl = lines_[static_cast<std::size_t>(row)].hkl;
  for (const auto& m : hkl) excluded_.erase(std::remove(excluded_.begin(), excluded_.end(), m), excluded_.end());
  if (!used) excluded_.insert(excluded_.end(), hkl.begin(), hkl.end());
  auto& line = lines_[static_cast<std::size_t>(row)];
  line.used = used && line.observed.has_value();
  line.note = line.observed ? (used ? "" : "left out") : line.note;
  rows_[static_cast<std::size_t>(row)].used = line.used;
  rows_[static_cast<std::size_t>(row)].note = line.note;
}

bool RefineCellModel::Refine() {
  Update();
  try {
    PatternRefinement r =
        RefineCellFromPattern(model_.data, model_.XRDPlot, model_.pattern, model_.UnitCell, Options());
    lines_ = r.lines;
    FillRows(lines_);
    message_ = r.result.AllDetermined() ? "" : "The measured reflections do not determine every parameter.";
    // A result the physics cannot have is shown, with what is wrong with it.
    for (const auto& warning : ImplausibleResults(r.setup, r.result))
      message_ += (message_.empty() ? "" : "\n") + std::string("Warning: ") + warning + ".";
    refined_ = std::move(r);
    // Ticks over the measured peaks on the main plot until the cell changes.
    model_.XRDPlot.ObservedTicks.clear();
    for (double x : ObservedPositions())
      model_.XRDPlot.ObservedTicks.push_back(model_.XRDPlot.DataType() == "Energy"
                                                 ? model_.XRDPlot.ChannelFromEnergy(static_cast<float>(x))
                                                 : static_cast<float>(x));
    model_.Notify(ModelChange::Plot);
    return true;
  } catch (const RefinementFailure& e) {
    refined_.reset();
    message_ = e.what();
    // The table shows what the last measurement found, so that the user
    // sees which lines were missing and why.
    if (!e.Lines().empty()) {
      lines_ = e.Lines();
      FillRows(lines_);
    }
    return false;
  } catch (const QuorlinError& e) {
    refined_.reset();
    message_ = e.what();
    return false;
  }
}

bool RefineCellModel::Apply() {
  if (!refined_) return false;
  const auto& result = refined_->result;
  if (!result.AllDetermined()) {
    message_ = "A parameter that is not determined cannot be applied.";
    return false;
  }
  std::array<float, 6> cell{};
  for (int i = 0; i < 6; ++i)
    cell[static_cast<std::size_t>(i)] = static_cast<float>(result.cell[static_cast<std::size_t>(i)].value);
  CUnitCell trial = model_.UnitCell;
  if (!trial.SetCell(1, cell)) {
    message_ = "The refined cell is outside the cell limits.";
    return false;
  }
  const bool displacement = result.displacement.status == RefinedValue::Status::Refined;
  model_.Edit([&] {
    model_.XRDPlot.ObservedTicks.clear();
    model_.UnitCell.SetCell(1, cell);
    model_.UnitCell.CellHistory(-1);
    // The marked standard's pressure carries the su of the refined volume.
    const bool su = result.volume.status == RefinedValue::Status::Refined && result.volume.su > 0;
    model_.Pressure.volumeSu = su ? result.volume.su : 0;
    model_.Pressure.suVolume = su ? model_.UnitCell.Volume() : 0;
    if (displacement) model_.XRDPlot.SpecimenDisplacement = static_cast<float>(result.displacement.value);
  });
  return true;
}

bool RefineCellModel::Revert() {
  if (!captured_) return false;
  CUnitCell trial = model_.UnitCell;
  if (!trial.SetCell(1, revertCell_)) return false;
  model_.Edit([&] {
    model_.UnitCell.SetCell(1, revertCell_);
    model_.UnitCell.CellHistory(-1);
    model_.XRDPlot.SpecimenDisplacement = revertDisplacement_;
  });
  return true;
}

std::string RefineCellModel::ResultText() const {
  if (!refined_) return "";
  const auto& r = refined_->result;
  static const char* names[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
  std::string s;
  for (int i = 0; i < 6; ++i) s += std::string(names[i]) + " = " + ValueWithSu(r.cell[static_cast<std::size_t>(i)]) + "\n";
  s += "V = " + ValueWithSu(r.volume) + "\n";
  s += "zero = " + ValueWithSu(r.zero) + "\n";
  s += "displacement = " + ValueWithSu(r.displacement) + "\n";
  s += std::to_string(r.observations) + " reflections, " + std::to_string(r.parameters) + " parameters";
  return s;
}

std::vector<double> RefineCellModel::ObservedPositions() const {
  std::vector<double> x;
  if (!refined_) return x;
  for (const auto& line : refined_->lines)
    if (line.used && line.observed) x.push_back(*line.observed);
  return x;
}

}  // namespace quorlin
