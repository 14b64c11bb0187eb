// frmEnergyDispersive, "Energy Dispersive Tools": scans and fits of the
// detector angle, the cubic cell edge and single peaks on an
// energy-dispersive spectrum, the pressure of the standard, and the choice
// of card reflections by clicking the dialog's plot. The logic is
// EnergyDispersiveModel's; this window copies its boxes in and out.
#pragma once

#include <array>
#include <memory>

#include "mainwindow/energy_dispersive.h"
#include "tool_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorlin {

class PlotView;
class QtSurface;

class frmEnergyDispersive : public ToolWindow {
  Q_OBJECT

 public:
  frmEnergyDispersive(MainModel& model, QWidget* parent);
  ~frmEnergyDispersive() override;

  EnergyDispersiveModel& Tools() { return *ed_; }
  // The picture of picPeakPlot as last drawn: its scale, plot area and axes.
  const QtSurface& PeakSurface() const { return *surface_; }

  std::array<QRadioButton*, 5> optPressureStandard{};
  QLineEdit* txtT = nullptr;
  QLineEdit* txtP = nullptr;
  QLabel* lblIsotherm = nullptr;
  QLineEdit* txt2ThetaScanRange = nullptr;
  QLineEdit* txt2ThetaNumberOfPoints = nullptr;
  QLineEdit* txtTwoTheta = nullptr;
  QPushButton* cmdScan2Theta = nullptr;
  QPushButton* cmdFit2Theta = nullptr;
  QPushButton* cmdSaveNew2Theta = nullptr;
  QPushButton* cmdRevertToOld2Theta = nullptr;
  QLineEdit* txtLPScanRange = nullptr;
  QLineEdit* txtLPNumberOfPoints = nullptr;
  QLineEdit* txtLatticeParameter = nullptr;
  QPushButton* cmdScanLatticeParameter = nullptr;
  QPushButton* cmdFitLP = nullptr;
  QPushButton* cmdSaveNewLatticeParameter = nullptr;
  QPushButton* cmdRevertToOldLatticeParameter = nullptr;
  QLineEdit* txth = nullptr;
  QLineEdit* txtk = nullptr;
  QLineEdit* txtl = nullptr;
  QPushButton* cmdFitSinglePeak = nullptr;
  QLineEdit* txtD = nullptr;
  QComboBox* cboPeakList = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* cmdFitPattern = nullptr;
  QPushButton* cmdDeselect = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  PlotView* picPeakPlot = nullptr;

 protected:
  void Refresh() override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Runs an operation of the model between copying the boxes in and out.
  template <class Op>
  void Run(Op&& op);
  void BoxesToModel();
  void ModelToBoxes();
  void DrawPeakPlot();

  std::unique_ptr<EnergyDispersiveModel> ed_;
  std::unique_ptr<QtSurface> surface_;
  bool open_ = false;
};

}  // namespace quorlin
