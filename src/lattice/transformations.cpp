#include "lattice/transformations.h"

#include <cmath>

#include "core/constants.h"

namespace quorlin {

namespace {

struct Entry {
  int i, j;
  float value;
};

// Elements not listed are 0; the halving types (6..12) start from the identity.
// Three entries a type; a halving type with fewer repeats one.
const std::array<std::array<Entry, 3>, CTransformations::kTypes> kCatalogue{{
    {{{0, 0, 1}, {1, 1, 1}, {2, 2, 1}}},           // 0 a, b, c
    {{{0, 1, 1}, {1, 0, 1}, {2, 2, -1}}},          // 1 b, a, -c
    {{{0, 2, 1}, {1, 0, 1}, {2, 1, 1}}},           // 2 c, a, b
    {{{0, 2, -1}, {1, 1, 1}, {2, 0, 1}}},          // 3 -c, b, a
    {{{0, 1, 1}, {1, 2, 1}, {2, 0, 1}}},           // 4 b, c, a
    {{{0, 0, -1}, {1, 2, 1}, {2, 1, 1}}},          // 5 -a, c, b
    {{{0, 0, 0.5f}, {0, 0, 0.5f}, {0, 0, 0.5f}}},  // 6 a' = a/2
    {{{1, 1, 0.5f}, {1, 1, 0.5f}, {1, 1, 0.5f}}},  // 7 b' = b/2
    {{{2, 2, 0.5f}, {2, 2, 0.5f}, {2, 2, 0.5f}}},  // 8 c' = c/2
    {{{0, 0, 0.5f}, {0, 1, 0.5f}, {0, 1, 0.5f}}},  // 9 a' = (a + b)/2
    // 10: the point (1/2, 0, 1/2) halves through c' = (a + c)/2, keeping a and
    // b, like 11 and 12 replace the last vector the point involves.
    {{{2, 0, 0.5f}, {2, 2, 0.5f}, {2, 2, 0.5f}}},
    {{{1, 1, 0.5f}, {1, 2, 0.5f}, {1, 2, 0.5f}}},  // 11 b' = (b + c)/2
    {{{2, 0, 0.5f}, {2, 1, 0.5f}, {2, 2, 0.5f}}},  // 12 c' = (a + b + c)/2
}};

}  // namespace

void CTransformations::SetTransformation(int type) {
  matrix_ = CMatrix33{};
  if (type < 0 || type >= kTypes) return;
  if (type >= 6)
    for (int i = 0; i < 3; ++i) matrix_.SetSelf(i, i, 1.0f);
  for (const Entry& e : kCatalogue[static_cast<std::size_t>(type)]) matrix_.SetSelf(e.i, e.j, e.value);
}

float CTransformations::TransformationInverseElement(int i, int j) const {
  if (matrix_.Determinant() == 0.0f) return 0.0f;
  return matrix_.Inverse(i, j);
}

double Determinant(const CMatrix33& t) {
  auto m = [&t](int i, int j) { return static_cast<double>(t(i, j)); };
  return m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) - m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
         m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
}

float SingleAcos(float x) { return std::atan(-x / std::sqrt(1.0f - x * x)) + 2.0f * std::atan(1.0f); }

std::optional<std::array<float, 6>> TransformedParameters(const CMatrix33& metric, const CMatrix33& t) {
  double g[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l)
          s += static_cast<double>(t(i, k)) * static_cast<double>(metric(k, l)) * static_cast<double>(t(j, l));
      g[i][j] = s;
    }
  std::array<float, 6> p{};
  for (int i = 0; i < 3; ++i) {
    if (!(g[i][i] > 0.0) || !std::isfinite(g[i][i])) return std::nullopt;
    p[static_cast<std::size_t>(i)] = static_cast<float>(std::sqrt(g[i][i]));
  }
  // alpha from (b', c'), beta from (a', c'), gamma from (a', b').
  static constexpr int kPair[3][2] = {{1, 2}, {0, 2}, {0, 1}};
  const float toDegrees = static_cast<float>(180.0 / static_cast<double>(CConstants::Pi()));
  for (int n = 0; n < 3; ++n) {
    int i = kPair[n][0], j = kPair[n][1];
    float cosine = static_cast<float>(g[i][j] / (static_cast<double>(p[static_cast<std::size_t>(i)]) *
                                                 static_cast<double>(p[static_cast<std::size_t>(j)])));
    if (!(std::fabs(cosine) < 1.0f)) return std::nullopt;
    p[static_cast<std::size_t>(3 + n)] = SingleAcos(cosine) * toDegrees;
  }
  return p;
}

}  // namespace quorlin
