// Windows that show the working model subscribe to it and refresh themselves
// when told what changed. The model never pushes values into a window, so a
// window opened late or left open across an Undo is never stale.
#pragma once

namespace quorlin {

// What a change touched: the values shown in controls, the plot, or both.
enum class ModelChange : unsigned { Controls = 1, Plot = 2, All = 3 };

constexpr bool Touches(ModelChange change, ModelChange part) {
  return (static_cast<unsigned>(change) & static_cast<unsigned>(part)) != 0;
}

class IModelObserver {
 public:
  virtual ~IModelObserver() = default;
  virtual void ModelChanged(ModelChange what) = 0;
};

}  // namespace quorlin
