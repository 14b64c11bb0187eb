// Menu wiring of the crystal-system windows: each item of "&Crystal System"
// writes the undo record and opens its window; the item of the current system
// carries the check mark, whatever changed the system.
#include <QAction>

#include "crystal_system_windows.h"
#include "frm_main.h"

namespace quorlin {

namespace {

// Keeps the check marks of the crystal-system menu on the current system
// (UncheckClassMenu, then RecheckClassMenu). A child of the main window: it
// is made after the model and destroyed after it, and is never removed from
// the model's observers, so it must not touch the model when it goes.
class ClassMenuMarks : public QObject, public IModelObserver {
 public:
  explicit ClassMenuMarks(frmMain& window) : QObject(&window), window_(window) {}
  void ModelChanged(ModelChange) override { Recheck(); }
  void Recheck() {
    const std::array<QAction*, 8> items{window_.mnuCubic,      window_.mnuHexagonal,    window_.mnuTrigonal,
                                        window_.mnuTetragonal, window_.mnuOrthorhombic, window_.mnuMonoclinic,
                                        window_.mnuTriclinic,  window_.mnuSysNone};
    const int current = window_.Model().CrystalSystem();
    for (std::size_t i = 0; i < items.size(); ++i) items[i]->setChecked(static_cast<int>(i) + 1 == current);
  }

 private:
  frmMain& window_;
};

}  // namespace

void frmMain::WireCrystalSystems() {
  auto* marks = new ClassMenuMarks(*this);
  model_->AddObserver(marks);
  // Checkable items tick themselves when chosen; the marks follow the model.
  auto open = [this, marks](QAction* item, auto show) {
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, [this, marks, show] {
      model_->WriteUndoRecord();
      show();
      marks->Recheck();
    });
  };
  open(mnuCubic, [this] { ShowToolWindow<frmCubic>(); });
  open(mnuHexagonal, [this] { ShowToolWindow<frmHexagonal>(); });
  open(mnuTrigonal, [this] { ShowToolWindow<frmTrigonal>(); });
  open(mnuTetragonal, [this] { ShowToolWindow<frmTetragonal>(); });
  open(mnuOrthorhombic, [this] { ShowToolWindow<frmOrthorhombic>(); });
  open(mnuMonoclinic, [this] { ShowToolWindow<frmMonoclinic>(); });
  open(mnuTriclinic, [this] { ShowToolWindow<frmTriclinic>(); });
  // mnuSysNone runs the model's SysNone (undo record, system 8, refresh),
  // whose refresh moves the mark; choosing it again must keep the tick.
  connect(mnuSysNone, &QAction::triggered, marks, [marks] { marks->Recheck(); });
  marks->Recheck();
}

}  // namespace quorlin
