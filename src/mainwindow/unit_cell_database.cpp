#include "mainwindow/unit_cell_database.h"

#include "core/errors.h"
#include "core/numtext.h"
#include "reflections/catalogue.h"

namespace quorlin {

void UnitCellDatabaseModel::Open() {
  addEnabled_ = removeEnabled_ = false;
  changed_ = false;
  group_ = slot_ = -1;
  for (int p = 0; p < 6; ++p) start_.parameters[static_cast<std::size_t>(p)] = model_.UnitCell.CellParameters(p, 1);
  start_.extinction = model_.pattern.ExtinctionNumber();
  start_.crystalSystem = model_.CrystalSystem();
  start_.card = model_.pattern.Card;
  library_ = UnitCellLibrary();
  ReadCellsFromFile();
  Activated();
}

bool UnitCellDatabaseModel::ReadCellsFromFile() {
  try {
    library_ = UnitCellLibrary::ReadFile(model_.UnitCellFileName);
    return true;
  } catch (const QuorlinError& e) {
    model_.Platform().ShowMessage(e.what());
    return false;
  }
}

bool UnitCellDatabaseModel::WriteCellsToFile() {
  try {
    library_.WriteFile(model_.UnitCellFileName);
    return true;
  } catch (const QuorlinError& e) {
    model_.Platform().ShowMessage(e.what());
    return false;
  }
}

std::string UnitCellDatabaseModel::EntryText(int g, int c) const {
  return std::to_string(c + 1) + ". " + library_.Entry(g, c).name;
}

void UnitCellDatabaseModel::ApplyCell(std::int16_t crystalSystem, std::int16_t extinction,
                                      const std::array<std::string, 6>& parameters) {
  model_.SetCrystalSystem(crystalSystem);
  model_.pattern.SetExtinctionNumber(extinction, &model_.UnitCell);
  model_.UnitCell.SetBasis(1, model_.DerivedBasis(model_.CrystalSystem()));
  // The cell is set as a whole: one parameter at a time can pass through a
  // cell that cannot exist (60,60,60 to 120,120,120 degrees) and be refused
  // half-way. Only when the whole cell is refused are the parameters tried
  // one by one, which keeps what the cell's limits allow.
  std::array<float, 6> values{};
  bool numeric = true;
  for (std::size_t p = 0; p < 6; ++p) {
    auto v = StrictSingle(parameters[p]);
    numeric = numeric && v.has_value();
    values[p] = v.value_or(0.0f);
  }
  if (!numeric || !model_.UnitCell.SetCell(1, values))
    for (int p = 0; p < 6; ++p) model_.UnitCell.SetCellParameters(p, 1, parameters[static_cast<std::size_t>(p)]);
  model_.Notify();
}

void UnitCellDatabaseModel::ChooseEntry(int g, int c) {
  if (g < 0 || g >= UnitCellLibrary::kGroups) return;
  group_ = g;
  slot_ = c >= 0 && c < UnitCellLibrary::kSlots ? c : -1;
  addEnabled_ = removeEnabled_ = false;
  if (slot_ < 0) return;
  const UnitCellEntry& e = library_.Entry(group_, slot_);
  if (!e.Free()) {
    revertEnabled_ = false;
    removeEnabled_ = true;
    model_.pattern.PatternName = e.name;
    model_.pattern.Card = CardPhase();  // the library's cell, no longer a card's
    nameText_ = e.name;
    std::array<std::string, 6> text;
    for (std::size_t p = 0; p < 6; ++p) text[p] = SingleText(e.parameters[p]);
    ApplyCell(static_cast<std::int16_t>(e.symmetry), e.extinction, text);
    revertEnabled_ = true;
  } else {
    addEnabled_ = !nameText_.empty();
  }
}

void UnitCellDatabaseModel::NameChanged(std::string_view text) {
  nameText_ = std::string(text);
  if (slot_ >= 0) {
    model_.pattern.PatternName = nameText_;
    addEnabled_ = library_.Entry(group_, slot_).Free();
    model_.Notify(ModelChange::Controls);
  } else {
    addEnabled_ = false;
  }
}

void UnitCellDatabaseModel::GroupNameChanged(int g, std::string_view text) {
  if (g < 0 || g >= UnitCellLibrary::kGroups) return;
  library_.SetGroupName(g, std::string(text));
}

void UnitCellDatabaseModel::Add() {
  model_.pattern.PatternName = nameText_;
  if (slot_ >= 0) {
    UnitCellEntry& e = library_.Entry(group_, slot_);
    // "." is the mark of a free slot: a cell so named would vanish.
    if (e.Free() && !nameText_.empty() && nameText_ != ".") {
      e.name = nameText_;
      e.symmetry = model_.CrystalSystem();
      e.extinction = model_.pattern.ExtinctionNumber();
      for (int p = 0; p < 6; ++p)
        e.parameters[static_cast<std::size_t>(p)] =
            static_cast<float>(LenientDouble(model_.UnitCell.CellParameters(p, 1)));
      changed_ = true;
    }
    removeEnabled_ = true;
  }
  model_.Notify(ModelChange::Controls);
}

void UnitCellDatabaseModel::Remove() {
  if (slot_ < 0) return;
  library_.Entry(group_, slot_).name = ".";
  addEnabled_ = true;
  removeEnabled_ = false;
}

void UnitCellDatabaseModel::Revert() {
  model_.pattern.Card = start_.card;
  ApplyCell(start_.crystalSystem, start_.extinction, start_.parameters);
}

FileDialogRequest UnitCellDatabaseModel::DialogRequest(const std::string& title) const {
  FileDialogRequest r;
  r.title = title;
  r.filters = {{"Unit Cell Files (*.ucl)", "*.ucl"}, {"All Files (*.*)", "*.*"}};
  r.filterIndex = 1;
  r.defaultExtension = "ucl";
  r.initialFolder = model_.ProgramFolderPath();
  return r;
}

bool UnitCellDatabaseModel::OpenFile() {
  auto path = model_.Platform().OpenFileDialog(DialogRequest("Open File"));
  if (!path) return false;
  const std::string previous = model_.UnitCellFileName;
  model_.UnitCellFileName = *path;
  if (!ReadCellsFromFile()) {
    model_.UnitCellFileName = previous;
    return false;
  }
  model_.Notify(ModelChange::Controls);
  return true;
}

bool UnitCellDatabaseModel::SaveAs() {
  auto path = model_.Platform().SaveFileDialog(DialogRequest("Save To File"));
  if (!path) return false;
  const std::string previous = model_.UnitCellFileName;
  model_.UnitCellFileName = *path;
  if (!WriteCellsToFile()) {
    model_.UnitCellFileName = previous;
    return false;
  }
  model_.Notify(ModelChange::Controls);
  return true;
}

void UnitCellDatabaseModel::Close() {
  if (changed_ && model_.Platform().AskYesNoCancel("Save your unit cells to a file?") == MessageAnswer::Yes) SaveAs();
}

}  // namespace quorlin
