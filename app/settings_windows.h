// The option windows over their models (mainwindow/option_dialogs.h,
// mainwindow/wavelength_dialog.h): source wavelengths, h,k,l limits, scroll
// ranges, the d-spacing calculator, volume tracking, colours and widths.
// Each builds its controls under their own names, forwards every action to
// its model and refreshes from the main model.
#pragma once

#include <array>

#include "mainwindow/option_dialogs.h"
#include "mainwindow/wavelength_dialog.h"
#include "tool_window.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorlin {

class frmChangeWavelength : public ToolWindow {
  Q_OBJECT
 public:
  frmChangeWavelength(MainModel& model, QWidget* parent);

  std::array<QCheckBox*, WavelengthDialog::kLines> chkWavelength{};
  std::array<QLineEdit*, WavelengthDialog::kLines> txtWavelength{};
  std::array<QLineEdit*, WavelengthDialog::kLines> txtIntensity{};
  std::array<QLabel*, WavelengthDialog::kLines> lblEnergy{};
  QPushButton* cmdSelectWavelength = nullptr;
  QPushButton* Command1 = nullptr;  // Replot
  QPushButton* Command2 = nullptr;  // Exit
  QLineEdit* Text1 = nullptr;       // the primary wavelength

 protected:
  void Refresh() override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  WavelengthDialog dialog_;
};

class frmChangeLimits : public ToolWindow {
  Q_OBJECT
 public:
  frmChangeLimits(MainModel& model, QWidget* parent);

  std::array<QLineEdit*, 6> Text{};  // Text1..Text6
  QCheckBox* chkIrreducibleWedge = nullptr;
  QPushButton* Command4 = nullptr;  // (+1)
  QPushButton* Command5 = nullptr;  // (-1)
  QPushButton* Command1 = nullptr;  // OK
  QPushButton* Command3 = nullptr;  // Apply
  QPushButton* CancelButton = nullptr;
  QPushButton* cmdFitLimitsToWindow = nullptr;

 protected:
  void Refresh() override;
  void showEvent(QShowEvent* event) override;

 private:
  LimitTexts Boxes() const;
  void Show(const LimitTexts& texts);
  HklLimitsDialog dialog_;
};

class frmCellScaleChange : public ToolWindow {
  Q_OBJECT
 public:
  frmCellScaleChange(MainModel& model, QWidget* parent);

  std::array<QLineEdit*, 6> Text{};  // Text1..Text6
  QPushButton* OKCommand = nullptr;  // Apply
  QPushButton* Exit = nullptr;

 protected:
  void Refresh() override;

 private:
  CellScaleDialog dialog_;
};

class frmDSpacing : public ToolWindow {
  Q_OBJECT
 public:
  frmDSpacing(MainModel& model, QWidget* parent);

  std::array<QLineEdit*, 4> Text{};  // Text1..Text3 h, k, l; Text4 the spacing
  QPushButton* Command1 = nullptr;   // Calculate->
  QLabel* Label7 = nullptr;          // Allowed / Forbidden
  QPushButton* OKCommand = nullptr;

 protected:
  void Refresh() override;

 private:
  void Show(const DSpacingResult& r);
  DSpacingDialog dialog_;
};

class frmVolumeTracking : public ToolWindow {
  Q_OBJECT
 public:
  frmVolumeTracking(MainModel& model, QWidget* parent);

  QLineEdit* Text1 = nullptr;
  QPushButton* Command2 = nullptr;  // Use Current Cell Volume
  QPushButton* OKCommand = nullptr;

 protected:
  void Refresh() override;

 private:
  VolumeTrackingDialog dialog_;
};

class frmColors : public ToolWindow {
  Q_OBJECT
 public:
  frmColors(MainModel& model, QWidget* parent);

  std::array<QRadioButton*, ColorsDialog::kSchemes> ColorChoice{};
  std::array<QCheckBox*, 2> AbsenceChoice{};
  std::array<QRadioButton*, 5> optLineWidth{};
  std::array<QRadioButton*, 5> optDataWidth{};
  QPushButton* cmdChooseColor = nullptr;
  QPushButton* cmdChooseBackgroundColor = nullptr;
  QPushButton* cmdChooseDataColor = nullptr;
  QPushButton* OKCommand = nullptr;

 protected:
  void Refresh() override;

 private:
  ColorsDialog dialog_;
};

}  // namespace quorlin
