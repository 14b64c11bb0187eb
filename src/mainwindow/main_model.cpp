#include "mainwindow/main_model.h"

#include <algorithm>
#include <cmath>

#include "mainwindow/peak_numerics.h"
#include "mainwindow/stored_phase_lines.h"
#include "reflections/catalogue.h"

namespace quorlin {

MainModel::MainModel(IPlatform& platform, IMainView* view)
    : platform_(platform), view_(view), programFolder_(ProgramFolder()) {
  XRDPlot.BindData(data);
  ProjectDirectory = programFolder_;
  GSASDirectory = CPIDirectory = CHIDirectory = MCADirectory = BitmapDirectory = DataDirectory = JCPDSDirectory =
      programFolder_;
  UnitCellFileName = programFolder_ + "/UnitCells.ucl";
  CellScrollWrapper.SetEdgeScale(1, 100);
  CellScrollWrapper.SetEdgeScale(-1, 1000);
  CellScrollWrapper.SetAngleScale(100);
}

void MainModel::StartUp() {
  ProjectDirectory = programFolder_;
  // A default project that cannot be read has been reported; start from the
  // factory state rather than from half-made objects.
  if (!ReadState(DefaultProjectPath())) ReadStateFromPb(PropertyBag());
  // The history begins at the cell the user starts with, not at the cell
  // the objects were made with.
  UnitCell.StartHistory();
  benaCellScroll = true;
  benaExtinctionCombo = true;
  suppressTextChange_ = false;
  RefreshHistoryButtons();
  mouseMode_ = kPoint;
  PlotFromOutside = false;
  editedBox_ = -1;
  undo_ = PropertyBag();
  redo_ = PropertyBag();
  dataOpened_ = false;
  snap_ = false;
  Notify();
}

void MainModel::FormUpdate() {
  // Full Strain needs a free cell: it is offered only without a crystal system.
  if (mouseMode_ == kFullStrain && crystalSystem_ != 8) mouseMode_ = kPoint;
  if (view_) view_->FormUpdate();
  NotifyObservers(ModelChange::Controls);
}

void MainModel::MakeXRDPlot() {
  if (view_) view_->MakeXRDPlot();
  NotifyObservers(ModelChange::Plot);
}

void MainModel::AddObserver(IModelObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void MainModel::RemoveObserver(IModelObserver* observer) {
  // Null out rather than erase, so a notification in progress stays valid.
  std::replace(observers_.begin(), observers_.end(), observer, static_cast<IModelObserver*>(nullptr));
}

void MainModel::NotifyObservers(ModelChange what) {
  ++notifying_;
  for (std::size_t i = 0; i < observers_.size(); ++i)
    if (observers_[i]) observers_[i]->ModelChanged(what);
  if (--notifying_ == 0) std::erase(observers_, nullptr);
}

void MainModel::Notify(ModelChange what) {
  if (Touches(what, ModelChange::Controls)) FormUpdate();
  if (Touches(what, ModelChange::Plot)) MakeXRDPlot();
}

// --- crystal system ---------------------------------------------------------

std::int32_t MainModel::DerivedBasis(std::int16_t code) const {
  return quorlin::DerivedBasis(code, pattern.ExtinctionNumber());
}

void MainModel::SetCrystalSystem(std::int16_t code) {
  if (code < 1 || code > 8) code = 8;
  crystalSystem_ = code;
  pattern.CrystalSystem = code;
  // A free cell has no symmetry to fold the lines by: every drawn line must
  // stay pickable, so the wedge becomes the triclinic one.
  if (code >= 7) pattern.LaueClass = 0;
  UnitCell.SetBasis(1, DerivedBasis(code));
}

void MainModel::SymmetryChanged() {
  UnitCell.StartHistory();
  PatternType.clear();
}

void MainModel::EliminateSymmetry() {
  SetCrystalSystem(8);
  UnitCell.SetCellShape(0);
  Notify(ModelChange::Controls);
}

void MainModel::ExtinctionClear_Invoke() {
  for (int i = 0; i < 12; ++i) pattern.SetExtCond(i, -1);
  Notify();
}

void MainModel::ClearExtinctions() {
  WriteUndoRecord();
  ExtinctionClear_Invoke();
}

// --- stored phases ------------------------------------------------------------

void MainModel::MakeStoredVectors(int slot) { quorlin::MakeStoredVectors(storedphases, slot, kStoredLines); }

void MainModel::GetStoredPhase(int slot) {
  if (slot < 0 || slot > 4) return;
  std::int32_t code = storedphases.StoredCrystalSystem(slot);
  crystalSystem_ = static_cast<std::int16_t>(code >= 1 && code <= 8 ? code : 8);
  storedphases.GetPattern(slot, pattern);
  storedphases.GetUnitCell(slot, UnitCell);
  storedphases.StoredPattern(slot).Plotted = false;
}

// --- menu toggles ---------------------------------------------------------------

void MainModel::SetLatticeType(std::int32_t cellType) {
  if (cellType != 1 && cellType != -1) return;
  Edit([&] { UserCellType = cellType; }, ModelChange::Controls);
}

void MainModel::SysNone() {
  Edit([&] { SetCrystalSystem(8); });
}

void MainModel::TogglePlotAbsences() {
  Edit([&] { pattern.PlotAbsences = !pattern.PlotAbsences; });
}

void MainModel::ToggleSpecimenDisplacement() {
  Edit([&] { XRDPlot.ShowSpecimenDisplacement = !XRDPlot.ShowSpecimenDisplacement; }, ModelChange::Controls);
}

void MainModel::ToggleFreeRemoval() {
  Edit([&] { pattern.SetFreeRemoval(!pattern.FreeRemoval()); });
}

void MainModel::ToggleShowReport() {
  Edit([&] { XRDPlot.ShowReport = !XRDPlot.ShowReport; }, ModelChange::Controls);
}

// --- mouse on the plot -------------------------------------------------------

void MainModel::SetMouseMode(std::int16_t mode) {
  if (mode < kPoint || mode > kVolume) return;
  if (mode == kFullStrain && crystalSystem_ != 8) return;  // the button is disabled then
  Edit([&] { mouseMode_ = mode; }, ModelChange::Controls);
}

float MainModel::PrimaryLambda() const { return data.Lambda(data.PrimaryLineIndex()); }

bool MainModel::PlotMouseDown(MouseButton button, float x, float y) { return gesture_.Start(button, x, y); }
void MainModel::PlotMouseMove(MouseButton button, float x, float y) { gesture_.Move(button, x, y); }
void MainModel::PlotMouseUp(MouseButton button, float x, float y) { gesture_.Stop(button, x, y); }
void MainModel::CancelPlotGesture() { gesture_.Cancel(); }

float MainModel::GrowPeak(std::int32_t peakHalfWidth, std::int32_t halfRange, float initialDSpacing) const {
  return quorlin::GrowPeak(data, XRDPlot, PrimaryLambda(), peakHalfWidth, halfRange, initialDSpacing);
}

double MainModel::IFromDSPacing(float d) const { return quorlin::IFromDSPacing(data, XRDPlot, PrimaryLambda(), d); }

double MainModel::PkSum() const { return quorlin::PkSum(data, XRDPlot, PrimaryLambda(), UnitCell, PeakList); }

// --- exit -------------------------------------------------------------------------------------

bool MainModel::ExitQuestionNeeded() const { return UnitCell.NumberOfChanges() >= 26 && dataOpened_; }

bool MainModel::QueryExit() {
  if (!ExitQuestionNeeded()) return true;
  switch (platform_.AskYesNoCancel("Save your work to a .prb file?")) {
    case MessageAnswer::Yes:
      // Closing after a cancelled or failed save would lose the work.
      return ProjectSave();
    case MessageAnswer::No: return true;
    default: return false;
  }
}

std::string MainModel::ExtractFileName(std::string_view text) {
  std::string out;
  // Control characters go; the bytes of a UTF-8 name ("März") stay.
  for (char c : text)
    if (const auto u = static_cast<unsigned char>(c); IsValid(u) || u >= 0x80) out.push_back(c);
  return out;
}

}  // namespace quorlin
