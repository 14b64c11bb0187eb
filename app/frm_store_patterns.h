// frmStorePatterns: the five stored phases beside the current one. The logic
// lives in StorePatternsModel; this window lays out the named controls and
// forwards their events.
#pragma once

#include <array>

#include "mainwindow/store_patterns.h"
#include "tool_window.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace quorlin {

class frmStorePatterns : public ToolWindow {
  Q_OBJECT

 public:
  frmStorePatterns(MainModel& model, QWidget* parent);
  StorePatternsModel& Logic() { return logic_; }

 protected:
  void Refresh() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  StorePatternsModel logic_;
  std::array<QCheckBox*, CStoredPhases::kSlots> chkStoredPhase{};
  std::array<QPushButton*, CStoredPhases::kSlots> picLineColor{};
  QPushButton* cmdStorePattern = nullptr;
  QLineEdit* txtActivePhaseName = nullptr;
  QPushButton* cmdLoad = nullptr;
  QPushButton* cmdDeletePattern = nullptr;
};

}  // namespace quorlin
