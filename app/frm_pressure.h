// "Pressure": marks the working phase as a pressure standard on a scale at
// a temperature (K or degrees Celsius) and shows its pressure on every scale
// of that material side by side. The logic lives in PressureModel.
#pragma once

#include "mainwindow/pressure_standard.h"
#include "tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace quorlin {

class frmPressure : public ToolWindow {
  Q_OBJECT

 public:
  frmPressure(MainModel& model, QWidget* parent);

 protected:
  void Refresh() override;

 private:
  bool Kelvin() const;
  PressureModel pressure_;
  QCheckBox* chkStandard = nullptr;
  QComboBox* cboPhase = nullptr;
  QComboBox* cboScale = nullptr;
  QLineEdit* txtTemperature = nullptr;
  QComboBox* cboTemperatureUnit = nullptr;
  QLabel* lblPressure = nullptr;
  QTableWidget* grdScales = nullptr;
};

}  // namespace quorlin
