#include "core/matrix33.h"

namespace quorlin {

float CMatrix33::Determinant() const {
  auto d = [this](int i, int j) { return static_cast<double>(Self(i, j)); };
  float b0 = static_cast<float>(d(1, 1) * d(2, 2) - d(1, 2) * d(2, 1));
  float b1 = static_cast<float>(d(1, 0) * d(2, 2) - d(1, 2) * d(2, 0));
  float b2 = static_cast<float>(d(1, 0) * d(2, 1) - d(1, 1) * d(2, 0));
  return static_cast<float>(d(0, 0) * b0 - d(0, 1) * b1 + d(0, 2) * b2);
}

float CMatrix33::Inverse(int i, int j) const {
  int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
  double c = static_cast<double>(Self(j1, i1)) * Self(j2, i2) - static_cast<double>(Self(j2, i1)) * Self(j1, i2);
  float cofactor = static_cast<float>(c);
  return static_cast<float>(static_cast<double>(cofactor) / static_cast<double>(Determinant()));
}

}  // namespace quorlin
