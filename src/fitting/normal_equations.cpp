#include "fitting/normal_equations.h"

#include <cmath>

namespace quorlin {

NormalEquations::NormalEquations(std::size_t parameters)
    : n_(parameters), a_(parameters * parameters, 0.0), b_(parameters, 0.0) {}

void NormalEquations::Add(const std::vector<double>& derivatives, double residual, double weight) {
  for (std::size_t i = 0; i < n_; ++i) {
    const double wi = weight * derivatives[i];
    b_[i] += wi * residual;
    for (std::size_t j = 0; j < n_; ++j) a_[i * n_ + j] += wi * derivatives[j];
  }
}

void NormalEquations::Damp(double lambda) {
  for (std::size_t i = 0; i < n_; ++i) a_[i * n_ + i] *= 1.0 + lambda;
}

std::vector<double> NormalEquations::Solve(double tolerance) {
  // Goodnight's sweep operator on a copy: sweeping pivot k replaces the
  // matrix by the inverse of the swept block as it goes; a pivot that has
  // shrunk to nothing against its own diagonal is collinear and is skipped.
  std::vector<double> m = a_;
  determined_.assign(n_, false);
  for (std::size_t k = 0; k < n_; ++k) {
    const double original = a_[k * n_ + k];
    const double pivot = m[k * n_ + k];
    if (!(original > 0.0) || !(pivot > tolerance * original) || !std::isfinite(pivot)) continue;
    determined_[k] = true;
    for (std::size_t j = 0; j < n_; ++j) m[k * n_ + j] /= pivot;
    for (std::size_t i = 0; i < n_; ++i) {
      if (i == k) continue;
      const double f = m[i * n_ + k];
      if (f == 0.0) continue;
      for (std::size_t j = 0; j < n_; ++j) m[i * n_ + j] -= f * m[k * n_ + j];
      m[i * n_ + k] = -f / pivot;
    }
    m[k * n_ + k] = 1.0 / pivot;
  }
  inverse_.assign(n_ * n_, 0.0);
  std::vector<double> shift(n_, 0.0);
  for (std::size_t i = 0; i < n_; ++i) {
    if (!determined_[i]) continue;
    for (std::size_t j = 0; j < n_; ++j) {
      if (!determined_[j]) continue;
      inverse_[i * n_ + j] = m[i * n_ + j];
      shift[i] += m[i * n_ + j] * b_[j];
    }
  }
  return shift;
}

}  // namespace quorlin
