// "Cell Refinement": the reflection table of the current phase measured on
// the pattern, with a check box per row, the tolerance, the zero shift and
// displacement switches, and Refine, Apply and Revert. The logic lives in
// RefineCellModel; this window builds, wires and refreshes.
#pragma once

#include "mainwindow/refine_cell_model.h"
#include "tool_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace quorlin {

class frmRefineCell : public ToolWindow {
  Q_OBJECT

 public:
  frmRefineCell(MainModel& model, QWidget* parent);
  RefineCellModel& Refinement() { return refinement_; }

 protected:
  void Refresh() override;
  void showEvent(QShowEvent* event) override;

 private:
  RefineCellModel refinement_;
  QTableWidget* grdReflections = nullptr;
  QLineEdit* txtTolerance = nullptr;
  QCheckBox* chkZeroShift = nullptr;
  QCheckBox* chkDisplacement = nullptr;
  QPushButton* cmdRefine = nullptr;
  QPushButton* cmdApply = nullptr;
  QPushButton* cmdRevert = nullptr;
  QLabel* lblResult = nullptr;
  QLabel* lblMessage = nullptr;
};

}  // namespace quorlin
