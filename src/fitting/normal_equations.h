// Small dense normal equations for the least-squares fits of this folder:
// accumulate J^T W J and J^T W r, then solve with the sweep operator, which
// leaves out (and reports) every parameter the data cannot fix instead of
// dividing by a vanishing pivot.
#pragma once

#include <cstddef>
#include <vector>

namespace quorlin {

class NormalEquations {
 public:
  explicit NormalEquations(std::size_t parameters);

  std::size_t Size() const { return n_; }
  // One observation: derivatives of the model by each parameter, the
  // residual (observed - calculated) and its weight.
  void Add(const std::vector<double>& derivatives, double residual, double weight);
  // Adds lambda * diagonal to the diagonal (Levenberg-Marquardt damping).
  void Damp(double lambda);
  double Element(std::size_t i, std::size_t j) const { return a_[i * n_ + j]; }

  // Solves for the shift. A parameter whose pivot falls below `tolerance`
  // times its own diagonal (collinear with the others, or never sampled) is
  // held: its shift is 0 and determined[i] is false. Afterwards Covariance
  // gives the inverse of the determined block (zero rows for held ones).
  std::vector<double> Solve(double tolerance = 1e-10);
  const std::vector<bool>& Determined() const { return determined_; }
  double Covariance(std::size_t i, std::size_t j) const { return inverse_[i * n_ + j]; }

 private:
  std::size_t n_;
  std::vector<double> a_;  // n x n, row-major
  std::vector<double> b_;
  std::vector<double> inverse_;
  std::vector<bool> determined_;
};

}  // namespace quorlin
