// pi and the copper K-alpha wavelengths, in single precision.
#pragma once

#include <cmath>

namespace quorlin {

class CConstants {
 public:
  static float Pi() { return static_cast<float>(4.0 * std::atan(1.0)); }
  static float CuKalpha1() { return 1.54059f; }
  static float CuKalpha2() { return 1.54439f; }
  static float RadToDegrees() { return static_cast<float>(180.0 / static_cast<double>(Pi())); }
  static float DegreesToRad() { return static_cast<float>(static_cast<double>(Pi()) / 180.0); }
};

}  // namespace quorlin
