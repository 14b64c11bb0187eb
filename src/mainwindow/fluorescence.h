// The fluorescence-lines dialog's model: up to five element symbols whose
// K-alpha, K-beta, L-alpha and L-beta energies are kept with the stored
// phases and drawn on energy-dispersive plots.
#pragma once

#include <array>
#include <string>

#include "mainwindow/main_model.h"

namespace quorlin {

class FluorescenceModel {
 public:
  explicit FluorescenceModel(MainModel& model) : m_(model) {}

  std::array<std::string, 5> txtElement;  // start empty each time the dialog opens

  // Every slot's four lines from its box; an empty box or an unknown symbol
  // stores zeros. Then the plot is redrawn.
  void StoreAll();
  void DeleteAll();

 private:
  MainModel& m_;
};

}  // namespace quorlin
