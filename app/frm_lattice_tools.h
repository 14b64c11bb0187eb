// The lattice tool windows: cell transformation, centring and superlattice
// points. Each builds its controls under their names and forwards every
// event to its model in src/mainwindow/lattice_tools.h.
#pragma once

#include <QStringList>
#include <array>

#include "mainwindow/lattice_tools.h"
#include "tool_window.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorlin {

class frmCellManipulation : public ToolWindow {
  Q_OBJECT

 public:
  frmCellManipulation(MainModel& model, QWidget* parent);
  CellManipulationModel& Tool() { return tool_; }

  std::array<QLineEdit*, 9> Text1{};
  std::array<QPushButton*, 6> Special{};
  std::array<QRadioButton*, 2> optCellType{};
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* OKCommand = nullptr;
  QLabel* txtError = nullptr;
  QLabel* Label6 = nullptr;

 protected:
  void Refresh() override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowMessages();
  CellManipulationModel tool_;
};

class frmAddCentering : public ToolWindow {
  Q_OBJECT

 public:
  frmAddCentering(MainModel& model, QWidget* parent);

  std::array<QRadioButton*, 7> optDirectCentering{};
  std::array<QRadioButton*, 7> optReciprocalCentering{};
  QPushButton* OKCommand = nullptr;

 protected:
  void Refresh() override;
};

class frmAddLatticePoints : public ToolWindow {
  Q_OBJECT

 public:
  frmAddLatticePoints(MainModel& model, QWidget* parent);
  LatticePointsModel& Tool() { return tool_; }

  std::array<QRadioButton*, 7> optLatticePoint{};
  std::array<QLineEdit*, 3> txtLatticePoint{};
  QPushButton* Command1 = nullptr;
  QPushButton* cmdTransform = nullptr;
  QPushButton* cmdRevert = nullptr;
  QLabel* LabelError = nullptr;

 protected:
  void Refresh() override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Redraws the main plot, then adds the extra lines of the boxes' point.
  void MarkNewPeaks();
  void ShowTexts();
  LatticePointsModel tool_;
};

}  // namespace quorlin
