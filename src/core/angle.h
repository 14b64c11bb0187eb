// An angle kept in radians and read in degrees; readings within 0.001 degree
// of 90, 60 or 120 snap to the exact value the crystal systems fix.
#pragma once

#include <cmath>

#include "core/constants.h"

namespace quorlin {

class CAngle {
 public:
  CAngle() = default;
  static CAngle FromDegrees(float d) { CAngle a; a.SetDegrees(d); return a; }
  static CAngle FromRadians(float r) { CAngle a; a.SetRadians(r); return a; }

  float Degrees() const {
    float d = static_cast<float>(static_cast<double>(radians_) * 180.0 / static_cast<double>(Pi()));
    double dd = d;
    if (std::fabs(90.0 - dd) < 0.001) return 90.0f;
    if (std::fabs(60.0 - dd) < 0.001) return 60.0f;
    if (std::fabs(120.0 - dd) < 0.001) return 120.0f;
    return d;
  }
  void SetDegrees(float d) { radians_ = static_cast<float>(static_cast<double>(Pi()) * d / 180.0); }

  float Radians() const { return radians_; }
  void SetRadians(float r) { radians_ = r; }

  static float Pi() { return CConstants::Pi(); }
  float trigSin() const { return static_cast<float>(std::sin(static_cast<double>(radians_))); }
  float trigCos() const { return static_cast<float>(std::cos(static_cast<double>(radians_))); }

  // The stored value read as a cosine or sine; defined for -1 < x < 1.
  float Acos() const {
    double x = radians_;
    return static_cast<float>(std::atan(-x / std::sqrt(1.0 - x * x)) + 2.0 * std::atan(1.0));
  }
  float Asin() const {
    double x = radians_;
    return static_cast<float>(std::atan(x / std::sqrt(1.0 - x * x)));
  }

  friend bool operator==(const CAngle&, const CAngle&) = default;

 private:
  float radians_ = 0.0f;
};

}  // namespace quorlin
