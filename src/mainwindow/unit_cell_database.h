// The model of the unit-cell database window: the library read from the
// main model's UnitCellFileName, the selected group and slot, the name box,
// the changed mark and the cell the main window had when the window opened.
// Choosing an entry or reverting changes the main model directly and
// notifies it (the menu item wrote the undo record before opening).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "mainwindow/main_model.h"
#include "phases/unit_cell_library.h"

namespace quorlin {

class UnitCellDatabaseModel {
 public:
  explicit UnitCellDatabaseModel(MainModel& model) : model_(model) {}

  // The window opens: no selection, Add and Remove disabled, the changed
  // mark cleared, the starting cell taken and the library read.
  void Open();
  // The window becomes active: the name box shows the current phase's name.
  void Activated() { nameText_ = model_.pattern.PatternName; }

  // Reads UnitCellFileName. A damaged file is refused with one message
  // naming it, and the library stays as it was (false).
  bool ReadCellsFromFile();
  // Writes the library to UnitCellFileName (nothing for an empty name). A
  // failed write shows a message and keeps the old file (false).
  bool WriteCellsToFile();

  const UnitCellLibrary& Library() const { return library_; }
  // Entry c of group g's list: "3. Quartz", "4. .".
  std::string EntryText(int g, int c) const;

  int SelectedGroup() const { return group_; }
  int SelectedSlot() const { return slot_; }
  bool AddEnabled() const { return addEnabled_; }
  bool RemoveEnabled() const { return removeEnabled_; }
  bool RevertEnabled() const { return revertEnabled_; }
  bool Changed() const { return changed_; }
  const std::string& NameText() const { return nameText_; }

  // A click on entry c of group g's list (c = -1: none).
  void ChooseEntry(int g, int c);
  void NameChanged(std::string_view text);
  void GroupNameChanged(int g, std::string_view text);
  void Add();
  void Remove();
  void Revert();
  // "Open": the open dialog, then the library of the chosen file. A refused
  // file keeps both the library and UnitCellFileName.
  bool OpenFile();
  // "Save to File": the save dialog, then the write. A failed write keeps
  // UnitCellFileName.
  bool SaveAs();
  // Closing: with the changed mark set, asks "Save your unit cells to a
  // file?"; Yes runs SaveAs. The window closes in every case.
  void Close();

 private:
  struct StartingCell {
    std::array<std::string, 6> parameters;
    std::int16_t extinction = -1;
    std::int16_t crystalSystem = 8;
    CardPhase card;  // the phase's card, which Revert gives back
  };
  // Crystal system, reflection-condition entry and cell into the main model.
  void ApplyCell(std::int16_t crystalSystem, std::int16_t extinction, const std::array<std::string, 6>& parameters);
  FileDialogRequest DialogRequest(const std::string& title) const;

  MainModel& model_;
  UnitCellLibrary library_;
  int group_ = -1;
  int slot_ = -1;
  bool addEnabled_ = false;
  bool removeEnabled_ = false;
  bool revertEnabled_ = true;
  bool changed_ = false;
  std::string nameText_;
  StartingCell start_;
};

}  // namespace quorlin
