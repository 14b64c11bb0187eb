// "Pressure": marks the working phase as a pressure standard on a scale at
// a temperature (K or degrees Celsius) and shows its pressure on every scale
// of that material side by side, with su; holds the P and T of every phase
// opened from a jcpds card. The logic lives in PressureModel.
#pragma once

#include "mainwindow/pressure_standard.h"
#include "tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QVBoxLayout;

namespace quorlin {

class frmPressure : public ToolWindow {
  Q_OBJECT

 public:
  frmPressure(MainModel& model, QWidget* parent);

 protected:
  void Refresh() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Kelvin() const;
  // The card phases' row: which phase, its P and T, its cell.
  void BuildCardPhases(QVBoxLayout* layout);
  void RefreshCardPhases();
  int ChosenCardPhase() const;
  PressureModel pressure_;
  QCheckBox* chkStandard = nullptr;
  QComboBox* cboPhase = nullptr;
  QComboBox* cboScale = nullptr;
  QLineEdit* txtTemperature = nullptr;
  QComboBox* cboTemperatureUnit = nullptr;
  QLabel* lblPressure = nullptr;
  QTableWidget* grdScales = nullptr;
  QComboBox* cboCardPhase = nullptr;
  QLineEdit* txtCardPressure = nullptr;
  QLineEdit* txtCardTemperature = nullptr;
  QLabel* lblCardTemperatureUnit = nullptr;
  QLabel* lblCardCell = nullptr;
};

}  // namespace quorlin
