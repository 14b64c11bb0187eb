// The CeO2 standard of the shared real data as a synchrotron measured it:
// 0.4066 A as the one, primary source line, and the cubic system.
#pragma once

#include <string>

#include "mainwindow/main_model.h"

namespace quorlin::testing {

// False when the file cannot be read.
inline bool LoadCeO2AtSynchrotron(MainModel& model) {
  if (!model.ImportDataFile("xy", std::string(QUORLIN_SHARED_DIR) + "/realdata/xy/CeO2_Pilatus1M.xy")) return false;
  model.data.SetLambda(6, 0.4066f);
  model.data.SetSourceIntensity(6, 1.0f);
  model.data.SetLineExists(0, false);
  model.data.SetLineExists(6, true);
  model.data.PrimaryLine = 6;
  model.SetCrystalSystem(1);
  return true;
}

}  // namespace quorlin::testing
