#include "mainwindow/store_patterns.h"

namespace quorlin {

std::string StorePatternsModel::SlotCaption(int i) const {
  return std::to_string(i + 1) + ": " + model_.storedphases.StoredPattern(i).PatternName;
}

bool StorePatternsModel::SlotEnabled(int i) const { return model_.storedphases.StoredPattern(i).Exists; }
bool StorePatternsModel::SlotChecked(int i) const { return model_.storedphases.StoredPattern(i).Plotted; }

std::optional<std::int32_t> StorePatternsModel::SlotColour(int i) const {
  const CPattern& p = model_.storedphases.StoredPattern(i);
  if (!p.Plotted) return std::nullopt;
  return p.StoredColor;
}

std::string StorePatternsModel::LoadCaption() const {
  if (selected_ < 0) return "load";
  return "Load pattern: " + SlotCaption(selected_);
}

std::string StorePatternsModel::DeleteCaption() const {
  if (selected_ < 0) return "Delete";
  return "Delete pattern: " + SlotCaption(selected_);
}

int StorePatternsModel::StoreCurrentPhase() {
  for (int slot = 0; slot < CStoredPhases::kSlots; ++slot) {
    if (model_.storedphases.StoredPattern(slot).Exists) continue;
    CPattern& current = model_.pattern;
    if (current.PatternName.empty()) current.PatternName = "Pattern " + std::to_string(slot + 1);
    current.Exists = true;
    current.Plotted = true;
    model_.storedphases.SetStoredCrystalSystem(slot, model_.CrystalSystem());
    model_.storedphases.InsertPattern(slot, current);
    model_.storedphases.InsertUnitCell(slot, model_.UnitCell);
    model_.MakeStoredVectors(slot);
    model_.Notify();
    return slot;
  }
  return -1;
}

void StorePatternsModel::SlotClicked(int i, bool checked) {
  if (i < 0 || i >= CStoredPhases::kSlots) return;
  if (i == selected_) {
    CPattern& p = model_.storedphases.StoredPattern(i);
    p.Plotted = checked;
    // Lines are not kept in the project: a slot shown again needs them.
    if (p.Exists && p.Plotted) model_.MakeStoredVectors(i);
  } else {
    selected_ = i;
  }
  model_.Notify();
}

void StorePatternsModel::ColourClicked(int i) {
  if (i < 0 || i >= CStoredPhases::kSlots) return;
  CustomColors custom = CustomColorsFromText(model_.LineCustomColors);
  auto colour = model_.Platform().ChooseColor(std::nullopt, custom);
  if (!colour) return;
  model_.storedphases.StoredPattern(i).StoredColor = static_cast<std::int32_t>(*colour & 0xFFFFFFu);
  model_.LineCustomColors = CustomColorsToText(custom);
  model_.Notify();
}

void StorePatternsModel::Load() {
  if (selected_ < 0) return;
  model_.GetStoredPhase(selected_);
  model_.Notify();
}

void StorePatternsModel::Delete() {
  if (selected_ < 0) return;
  CPattern& p = model_.storedphases.StoredPattern(selected_);
  p.Exists = false;
  p.Plotted = false;
  p.PatternName.clear();
  selected_ = -1;
  model_.Notify();
}

void StorePatternsModel::NameChanged(std::string_view text) {
  model_.pattern.PatternName = std::string(text);
  model_.Notify(ModelChange::Controls);
}

void StorePatternsModel::NameFocused() {
  selected_ = -1;
  model_.Notify(ModelChange::Controls);
}

}  // namespace quorlin
