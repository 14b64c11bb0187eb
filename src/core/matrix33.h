// A 3x3 single-precision matrix, stored column by column, with an inverse
// computed element by element from cofactors.
#pragma once

#include <array>
#include <stdexcept>

namespace quorlin {

class CMatrix33 {
 public:
  float Self(int i, int j) const { return m_[Offset(i, j)]; }
  void SetSelf(int i, int j, float v) { m_[Offset(i, j)] = v; }
  float operator()(int i, int j) const { return Self(i, j); }

  float Transpose(int i, int j) const { return Self(j, i); }
  float Determinant() const;
  // One element of the inverse; the determinant is recomputed at every call.
  // The matrix must not be singular.
  float Inverse(int i, int j) const;
  static float Identity(int i, int j) {
    Offset(i, j);
    return i == j ? 1.0f : 0.0f;
  }

  friend bool operator==(const CMatrix33&, const CMatrix33&) = default;

 private:
  static int Offset(int i, int j) {
    if (i < 0 || i > 2 || j < 0 || j > 2) throw std::out_of_range("CMatrix33 index outside 0..2");
    return i + 3 * j;
  }
  std::array<float, 9> m_{};
};

}  // namespace quorlin
