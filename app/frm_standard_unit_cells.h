// frmStandardUnitCells: the unit-cell library, eight groups of twenty slots.
// The logic lives in UnitCellDatabaseModel; this window lays out the named
// controls, forwards their events and re-reads the library on every opening.
#pragma once

#include <array>

#include "mainwindow/unit_cell_database.h"
#include "tool_window.h"

class QAction;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace quorlin {

class frmStandardUnitCells : public ToolWindow {
  Q_OBJECT

 public:
  frmStandardUnitCells(MainModel& model, QWidget* parent);
  UnitCellDatabaseModel& Logic() { return logic_; }

  // Closing asks about unsaved cells first (Esc, the close box, Exit).
  void reject() override;

 protected:
  void Refresh() override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  UnitCellDatabaseModel logic_;
  std::array<QLineEdit*, UnitCellLibrary::kGroups> txtGroupNames{};
  std::array<QComboBox*, UnitCellLibrary::kGroups> cmbPhaseNames{};
  QLineEdit* Text1 = nullptr;
  QPushButton* cmdAddCell = nullptr;
  QPushButton* cmdRemove = nullptr;
  QPushButton* cmdRevert = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdExit = nullptr;
  QAction* mnuOpen = nullptr;
  QAction* mnuSaveAs = nullptr;
  QAction* mnuExit = nullptr;
};

}  // namespace quorlin
