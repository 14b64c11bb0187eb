// MainModel: the cell editor: the six parameter boxes and scroll bars, the
// cell history, the axis restriction, the reflection conditions and the
// "Show diffraction from:" boxes.
#include "mainwindow/main_model.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/numtext.h"

namespace quorlin {

// --- cell editor ---------------------------------------------------------------------

bool MainModel::TypedEdit(const std::function<bool()>& apply) {
  if (!undoAtNextKey_) return apply();
  PropertyBag before;
  WriteStateToPb(before);
  if (!apply()) return false;
  undo_ = std::move(before);
  undoAtNextKey_ = false;
  return true;
}

void MainModel::CellTextGotFocus(int index, bool windowReturned) {
  (void)index;
  undoAtNextKey_ = windowReturned;
  if (!windowReturned) WriteUndoRecord();
}

bool MainModel::CellTextChanged(int index, std::string_view text) {
  if (suppressTextChange_) {
    suppressTextChange_ = false;
    return false;
  }
  if (index < 0 || index > 5) return false;
  editedBox_ = index;
  if (!TypedEdit([&] { return UnitCell.SetCellParameters(index, UserCellType, text); })) return false;
  Notify();  // the undo record was written when the box got the focus
  return true;
}

std::string MainModel::CellTextLostFocus(int index) {
  editedBox_ = -1;
  std::string text = CellBoxText(index);
  UnitCell.CellHistory(-1);
  return text;
}

std::string MainModel::CellBoxText(int index) const {
  if (index < 0 || index > 5) return std::string();
  const float v = index < 3 ? UnitCell.Edge(UserCellType, index) : UnitCell.CellAngle(UserCellType, index).Degrees();
  return GeneralText(v);
}

void MainModel::CellScrollPressed(int index) {
  if (index < 0 || index > 5) return;
  WriteUndoRecord();
  scrollDrag_ = index;
}

bool MainModel::CellScrollChanged(int index, std::int32_t value) {
  if (index < 0 || index > 5 || !UnitCell.IsIndependent(index) || !benaCellScroll) return false;
  std::int16_t scale = index < 3 ? CellScrollWrapper.EdgeScale(UserCellType) : CellScrollWrapper.AngleScale();
  if (scale <= 0) return false;
  float parameter = static_cast<float>(value) / static_cast<float>(scale);
  bool ok = false;
  if (scrollDrag_ == index) {
    // Inside a thumb drag: the cell and the plot follow, and the release
    // makes the one history entry.
    ok = UnitCell.SetCellParameters(index, UserCellType, SingleText(parameter));
    Notify();
    return ok;
  }
  Edit([&] {
    ok = UnitCell.SetCellParameters(index, UserCellType, SingleText(parameter));
    UnitCell.CellHistory(-1);
  });
  return ok;
}

void MainModel::CellScrollReleased(int index) {
  if (scrollDrag_ < 0 || scrollDrag_ != index) return;
  scrollDrag_ = -1;
  UnitCell.CellHistory(-1);
  Notify(ModelChange::Controls);
}

ScrollSetting MainModel::CellScrollSetting(int index) const {
  ScrollSetting s;
  if (index < 0 || index > 5) return s;
  auto units = [](double v, double scale) {
    double r = RoundHalfEven(v * scale);
    return static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
  };
  if (index < 3) {
    double scale = CellScrollWrapper.EdgeScale(UserCellType);
    s.Min = units(LenientDouble(UnitCell.EdgeMin(UserCellType)), scale);
    s.Max = units(LenientDouble(UnitCell.EdgeMax(UserCellType)), scale);
    s.Value = units(UnitCell.Edge(UserCellType, index), scale);
  } else {
    double scale = CellScrollWrapper.AngleScale();
    s.Min = units(LenientDouble(UnitCell.AngleMin()), scale);
    s.Max = units(LenientDouble(UnitCell.AngleMax()), scale);
    s.Value = units(UnitCell.CellAngle(UserCellType, index - 3).Degrees(), scale);
  }
  return s;
}

void MainModel::CellShapeClicked(std::int32_t shape) {
  if (shape < 0 || shape > 2) return;
  Edit([&] {
    SetCrystalSystem(8);
    UnitCell.SetCellShape(shape);
    pattern.SetExtinctionNumber(-1, &UnitCell);
    SymmetryChanged();
  });
}

void MainModel::CellHistoryButton(int action) {
  if (action < 0 || action > 3) return;
  Edit([&] { UnitCell.CellHistory(action); });
}

void MainModel::ExtinctionComboClicked(int index, int listIndex, int listCount) {
  if (!benaExtinctionCombo || index < 0 || index > 11) return;
  int value = listIndex;
  if (listIndex < 0 || listIndex >= listCount - 1) value = -1;  // "(none)" / "(No)" clear the box
  Edit([&] { pattern.SetExtCond(index, static_cast<std::int16_t>(value)); });
}

void MainModel::DimensionClicked(int index, bool ticked) {
  if (index < 0 || index > 6) return;
  Edit([&] { pattern.SetDimensionFlags(index, ticked); });
}

void MainModel::ClearDiffraction() {
  Edit([&] { pattern.ClearDimensions(); });
}

}  // namespace quorlin
