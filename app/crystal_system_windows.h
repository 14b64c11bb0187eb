// The seven crystal-system windows. One class builds any of them from its
// table (mainwindow/crystal_system_dialogs.h); the seven named types exist so
// that each is its own tool window, opened once and raised when asked again.
#pragma once

#include <QString>
#include <vector>

#include "mainwindow/crystal_system_dialogs.h"
#include "tool_window.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorlin {

class CrystalSystemToolWindow : public ToolWindow {
  Q_OBJECT

 public:
  CrystalSystemToolWindow(MainModel& model, std::int16_t system, QWidget* parent);

  CrystalSystemDialog& Logic() { return logic_; }

 protected:
  void Refresh() override;
  bool event(QEvent* event) override;

 private:
  QWidget* BuildSymbols();
  QWidget* BuildLaueClass();
  QWidget* BuildOrientation();

  CrystalSystemDialog logic_;
  QButtonGroup* symbols_ = nullptr;
  QButtonGroup* laue_ = nullptr;
  QButtonGroup* orientation_ = nullptr;
  QCheckBox* chkLaueLock = nullptr;
  QPushButton* cmdStepThrough = nullptr;
  QLineEdit* Text1 = nullptr;
};

// Named as the windows are named.
class frmCubic : public CrystalSystemToolWindow {
 public:
  frmCubic(MainModel& m, QWidget* parent) : CrystalSystemToolWindow(m, 1, parent) {}
};
class frmHexagonal : public CrystalSystemToolWindow {
 public:
  frmHexagonal(MainModel& m, QWidget* parent) : CrystalSystemToolWindow(m, 2, parent) {}
};
class frmTrigonal : public CrystalSystemToolWindow {
 public:
  frmTrigonal(MainModel& m, QWidget* parent) : CrystalSystemToolWindow(m, 3, parent) {}
};
class frmTetragonal : public CrystalSystemToolWindow {
 public:
  frmTetragonal(MainModel& m, QWidget* parent) : CrystalSystemToolWindow(m, 4, parent) {}
};
class frmOrthorhombic : public CrystalSystemToolWindow {
 public:
  frmOrthorhombic(MainModel& m, QWidget* parent) : CrystalSystemToolWindow(m, 5, parent) {}
};
class frmMonoclinic : public CrystalSystemToolWindow {
 public:
  frmMonoclinic(MainModel& m, QWidget* parent) : CrystalSystemToolWindow(m, 6, parent) {}
};
class frmTriclinic : public CrystalSystemToolWindow {
 public:
  frmTriclinic(MainModel& m, QWidget* parent) : CrystalSystemToolWindow(m, 7, parent) {}
};

}  // namespace quorlin
