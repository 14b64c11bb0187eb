// Menu wiring of this group of tool windows: connects their menu items and
// enables them.
#include <QAction>
#include <QMenu>

#include "frm_lattice_projections.h"
#include "frm_lattice_tools.h"
#include "frm_main.h"

namespace quorlin {

namespace {

// "&Add Centering" declares a centring for a cell without a crystal system,
// so it is offered only while the crystal system is none (8). It follows the
// model, not the menu's opening, so a check of the item is never stale.
class CenteringMenuState : public QObject, public IModelObserver {
 public:
  CenteringMenuState(MainModel& model, QAction* item, QObject* parent) : QObject(parent), model_(model), item_(item) {
    model_.AddObserver(this);
    ModelChanged(ModelChange::Controls);
  }
  // Not removed from the model: it lives exactly as long as the main window,
  // whose model is destroyed before the window's children.
  void ModelChanged(ModelChange what) override {
    if (Touches(what, ModelChange::Controls)) item_->setEnabled(model_.CrystalSystem() == 8);
  }

 private:
  MainModel& model_;
  QAction* item_;
};

}  // namespace

void frmMain::WireLattice() {
  // Each Translations item writes the undo record, then opens its window: one
  // Undo returns to the cell seen before the window was opened.
  connect(mnuAddCentering, &QAction::triggered, this, [this] {
    model_->WriteUndoRecord();
    ShowToolWindow<frmAddCentering>();
  });
  connect(mnuCellManipulation, &QAction::triggered, this, [this] {
    model_->WriteUndoRecord();
    ShowToolWindow<frmCellManipulation>();
  });
  connect(mnuCheckLatticePoints, &QAction::triggered, this, [this] {
    model_->WriteUndoRecord();
    ShowToolWindow<frmAddLatticePoints>();
  });
  connect(mnuLatticeProjections, &QAction::triggered, this, [this] { ShowToolWindow<frmLatticeProjections>(); });
  for (QAction* a : {mnuCellManipulation, mnuCheckLatticePoints, mnuLatticeProjections}) a->setEnabled(true);
  auto* centering = new CenteringMenuState(*model_, mnuAddCentering, this);
  connect(mnuTranslations, &QMenu::aboutToShow, centering,
          [centering] { centering->ModelChanged(ModelChange::Controls); });
}

}  // namespace quorlin
