// Scroll-bar steps per unit of a cell parameter: one scale for direct edges,
// one for reciprocal edges, one for angles.
#pragma once

#include <cstdint>

namespace quorlin {

class CCellScrollWrapper {
 public:
  std::int16_t EdgeScale(std::int32_t direction) const {
    return direction == 1 ? direct_ : direction == -1 ? reciprocal_ : 0;
  }
  void SetEdgeScale(std::int32_t direction, std::int16_t v) {
    if (direction == 1) direct_ = v;
    else if (direction == -1) reciprocal_ = v;
  }
  std::int16_t AngleScale() const { return angle_; }
  void SetAngleScale(std::int16_t v) { angle_ = v; }

 private:
  std::int16_t direct_ = 0;
  std::int16_t reciprocal_ = 0;
  std::int16_t angle_ = 0;
};

}  // namespace quorlin
