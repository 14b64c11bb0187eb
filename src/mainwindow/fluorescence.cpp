#include "mainwindow/fluorescence.h"

#include "xray/periodic_table.h"

namespace quorlin {

// The lines are not part of the project state, so there is no undo record
// to write: the change is applied and the plot redrawn.
void FluorescenceModel::StoreAll() {
  for (int slot = 0; slot < 5; ++slot) {
    const std::string& name = txtElement[static_cast<std::size_t>(slot)];
    for (std::int16_t line = 1; line <= 4; ++line)
      m_.storedphases.SetStoredFluorescenceLine(line, slot,
                                                name.empty() ? 0.0f : clsPeriodicTable::FluorescenceEnergy(name, line));
  }
  m_.Notify(ModelChange::Plot);
}

void FluorescenceModel::DeleteAll() {
  for (int slot = 0; slot < 5; ++slot)
    for (int line = 1; line <= 4; ++line) m_.storedphases.SetStoredFluorescenceLine(line, slot, 0.0f);
  m_.Notify(ModelChange::Plot);
}

}  // namespace quorlin
