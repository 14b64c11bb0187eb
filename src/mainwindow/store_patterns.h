// The model of the stored-phases window: five slots beside the current
// phase, a selected slot, storing, loading, deleting, showing and
// recolouring. Every action changes the main model directly and notifies it
// (the window's menu item wrote the undo record when it opened the window).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "mainwindow/main_model.h"

namespace quorlin {

class StorePatternsModel {
 public:
  explicit StorePatternsModel(MainModel& model) : model_(model) {}

  int Selected() const { return selected_; }

  // What the window shows for slot i.
  std::string SlotCaption(int i) const;  // "1: Pattern 1"
  bool SlotEnabled(int i) const;         // the slot holds a phase
  bool SlotChecked(int i) const;         // its lines are drawn
  // The slot's colour while it is drawn; nothing (the system colour) otherwise.
  std::optional<std::int32_t> SlotColour(int i) const;
  bool ActionsEnabled() const { return selected_ >= 0; }
  std::string LoadCaption() const;    // "load", or "Load pattern: 2: Quartz"
  std::string DeleteCaption() const;  // "Delete", or "Delete pattern: 2: Quartz"
  const std::string& ActiveName() const { return model_.pattern.PatternName; }

  // Stores the current phase into the lowest free slot; returns the slot, or
  // -1 when all five are taken (nothing changes then).
  int StoreCurrentPhase();
  // The check box of slot i was released with state `checked`.
  void SlotClicked(int i, bool checked);
  // The colour box of slot i: the colour chooser with the line custom
  // colours. Cancel changes nothing.
  void ColourClicked(int i);
  // Makes the selected slot the current phase and hides its lines.
  void Load();
  // Frees the selected slot.
  void Delete();
  // Typing in the name box renames the current phase.
  void NameChanged(std::string_view text);
  // Entering the name box clears the selection.
  void NameFocused();

 private:
  MainModel& model_;
  int selected_ = -1;
};

}  // namespace quorlin
