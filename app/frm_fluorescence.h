// frmFluorescence, "Fluorescence Lines": five element boxes whose lines are
// stored with the stored phases and drawn on energy-dispersive plots.
#pragma once

#include <array>

#include "mainwindow/fluorescence.h"
#include "tool_window.h"

class QLineEdit;
class QPushButton;

namespace quorlin {

class frmFluorescence : public ToolWindow {
  Q_OBJECT

 public:
  frmFluorescence(MainModel& model, QWidget* parent);

  std::array<QLineEdit*, 5> txtElement{};
  QPushButton* cmdStoreAll = nullptr;
  QPushButton* cmdDeleteAll = nullptr;

 protected:
  void Refresh() override {}
  void hideEvent(QHideEvent* event) override;

 private:
  FluorescenceModel fluorescence_;
};

}  // namespace quorlin
