#include "mainwindow/lattice_tools.h"

#include "core/numtext.h"
#include "lattice/centring.h"
#include "lattice/superlattice.h"

namespace quorlin {

namespace {

std::array<float, 6> DirectCell(const CUnitCell& cell) {
  std::array<float, 6> p{};
  for (int i = 0; i < 3; ++i) {
    p[static_cast<std::size_t>(i)] = cell.Edge(1, i);
    p[static_cast<std::size_t>(i + 3)] = cell.CellAngle(1, i).Degrees();
  }
  return p;
}

bool Possible(const CUnitCell& cell, int lattice, const std::array<float, 6>& p) {
  return cell.IsPossible(lattice, p[0], p[1], p[2], CAngle::FromDegrees(p[3]), CAngle::FromDegrees(p[4]),
                         CAngle::FromDegrees(p[5]));
}

// Drops the crystal system and sets all six parameters at once. Setting them
// one by one could stop half-way on an intermediate cell the limits refuse
// and leave a cell that is neither the old nor the new one; a refused cell
// changes nothing.
bool ApplyCell(MainModel& model, int lattice, const std::array<float, 6>& p) {
  model.EliminateSymmetry();
  return model.UnitCell.SetCell(lattice, p);
}

CMatrix33 MetricOf(const CUnitCell& cell, int lattice) {
  CMatrix33 g;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) g.SetSelf(i, j, cell.Metric(lattice, i, j));
  return g;
}

}  // namespace

// --- cell transformation ---------------------------------------------------------

CellManipulationModel::CellManipulationModel(MainModel& model) : model_(model) {
  for (int k = 0; k < 9; ++k) SetBox(k, (k % 4 == 0) ? 1.0f : 0.0f);
}

void CellManipulationModel::SetBox(int k, float value) {
  auto i = static_cast<std::size_t>(k);
  boxText_[i] = SingleText(value);
  entries_[i].SetValue(boxText_[i]);
}

void CellManipulationModel::Open() {
  start_ = DirectCell(model_.UnitCell);
  SetLattice(model_.UserCellType);
  for (int k = 0; k < 9; ++k) entries_[static_cast<std::size_t>(k)].SetValue(boxText_[static_cast<std::size_t>(k)]);
  txtError_.clear();
  label6_.clear();
}

void CellManipulationModel::Special(int type) {
  transformations_.SetTransformation(type);
  for (int k = 0; k < 9; ++k) SetBox(k, transformations_.TransformationElement(k % 3, k / 3));
}

void CellManipulationModel::BoxChanged(int k, std::string_view text) {
  if (k < 0 || k > 8) return;
  boxText_[static_cast<std::size_t>(k)] = std::string(text);
  entries_[static_cast<std::size_t>(k)].SetValue(text);
  txtError_.clear();
  label6_.clear();
}

void CellManipulationModel::BoxValidated(int k) {
  if (k < 0 || k > 8) return;
  boxText_[static_cast<std::size_t>(k)] = entries_[static_cast<std::size_t>(k)].Value();
}

CellManipulationModel::Outcome CellManipulationModel::Go() {
  CMatrix33 t;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t.SetSelf(i, j, Element(i, j));
  if (std::abs(Determinant(t)) < kSingularDeterminant) {
    txtError_ = kSingularMatrix;
    return Outcome::Singular;
  }
  auto p = TransformedParameters(MetricOf(model_.UnitCell, lattice_), t);
  if (!p) {
    // A cosine at +-1 after rounding: no cell, and nothing is changed.
    label6_ = kOutOfRange;
    return Outcome::OutOfRange;
  }
  bool possible = Possible(model_.UnitCell, lattice_, *p);
  if (!possible) label6_ = kOutOfRange;
  ApplyCell(model_, lattice_, *p);
  model_.Notify(ModelChange::All);
  return possible ? Outcome::Done : Outcome::OutOfRange;
}

void CellManipulationModel::Reset() {
  model_.UnitCell.SetCell(1, start_);
  model_.Notify(ModelChange::All);
}

// --- centring -------------------------------------------------------------------------

int CenteringSelection(const MainModel& model) {
  int code = model.UnitCell.CenteringType;
  return code >= 0 && code < kCentringCodes ? code : 0;
}

void ChooseDirectCentering(MainModel& model, int code) {
  if (code < 0 || code >= kCentringCodes) return;
  model.ExtinctionClear_Invoke();
  ApplyCentring(code, model.UnitCell, model.pattern);
  model.Notify(ModelChange::All);
}

// --- superlattices -----------------------------------------------------------------

void SuperlatticePlot(MainModel& model, IDrawingSurface& pic, float x, float y, float z) {
  for (const ShiftedReflection& r : SuperlatticeReflections(model.UnitCell, model.pattern, x, y, z))
    model.XRDPlot.PlotLine(r.d, kSuperlatticeColour, 0.333f, 0.666f, 1, pic, model.data);
}

LatticePointsModel::LatticePointsModel(MainModel& model) : model_(model) {}

void LatticePointsModel::Open() {
  start_ = DirectCell(model_.UnitCell);
  point_ = {"0", "0", "0"};
  transformations_.SetTransformation(0);
  labelError_.clear();
}

void LatticePointsModel::ChoosePoint(int k) {
  if (k < 0 || k >= static_cast<int>(kLatticePoints.size())) return;
  const LatticePoint& p = kLatticePoints[static_cast<std::size_t>(k)];
  transformations_.SetTransformation(p.transformation);
  labelError_.clear();
  point_ = {p.x != 0 ? "0.5" : "0", p.y != 0 ? "0.5" : "0", p.z != 0 ? "0.5" : "0"};
}

void LatticePointsModel::PointTextChanged(int i, std::string_view text) {
  if (i < 0 || i > 2) return;
  point_[static_cast<std::size_t>(i)] = std::string(text);
  labelError_.clear();
}

std::array<float, 3> LatticePointsModel::Point() const {
  std::array<float, 3> v{};
  for (std::size_t i = 0; i < 3; ++i) v[i] = StrictSingle(point_[i]).value_or(0.0f);
  return v;
}

bool LatticePointsModel::Transform() {
  auto p = TransformedParameters(MetricOf(model_.UnitCell, -1), transformations_.Matrix());
  if (!p) {
    labelError_ = kOutOfRange;
    return false;
  }
  bool possible = Possible(model_.UnitCell, -1, *p);
  if (!possible) labelError_ = kOutOfRange;
  ApplyCell(model_, -1, *p);
  model_.Notify(ModelChange::All);
  return possible;
}

void LatticePointsModel::Revert() {
  model_.UnitCell.SetCell(1, start_);
  model_.Notify(ModelChange::All);
  labelError_.clear();
}

}  // namespace quorlin
