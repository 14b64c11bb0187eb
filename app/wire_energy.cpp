// Menu wiring of the energy-dispersive tool windows: connects their menu
// items and enables them. "Fluorescence lines" only makes sense on an
// energy spectrum, so an observer keeps it enabled for energy data only.
#include <QAction>
#include <memory>

#include "frm_energy_dispersive.h"
#include "frm_fluorescence.h"
#include "frm_main.h"

namespace quorlin {
namespace {

class EnergyMenuState : public IModelObserver {
 public:
  EnergyMenuState(MainModel& model, QAction* action) : model_(model), action_(action) { Update(); }
  void ModelChanged(ModelChange) override { Update(); }
  void Update() { action_->setEnabled(model_.data.DataType == "Energy"); }

 private:
  MainModel& model_;
  QAction* action_;
};

}  // namespace

void frmMain::WireEnergy() {
  connect(mnuEnergyDispersive, &QAction::triggered, this, [this] { ShowToolWindow<frmEnergyDispersive>(); });
  mnuEnergyDispersive->setEnabled(true);
  connect(mnuFluorescenceLines, &QAction::triggered, this, [this] { ShowToolWindow<frmFluorescence>(); });
  // Deleted with the menu item. The window's model goes before its child
  // widgets, so the observer is never removed from a model already gone;
  // nothing notifies after that.
  auto* state = new EnergyMenuState(Model(), mnuFluorescenceLines);
  Model().AddObserver(state);
  connect(mnuFluorescenceLines, &QObject::destroyed, [state] { delete state; });
}

}  // namespace quorlin
