#include "mainwindow/plot_interaction.h"

#include <array>
#include <cmath>

namespace quorlin {

namespace {

bool UsableSpacing(float d) { return std::isfinite(d) && d > 0.0f; }

std::array<float, 6> ReciprocalParameters(const CUnitCell& cell) {
  return {cell.Edge(-1, 0), cell.Edge(-1, 1), cell.Edge(-1, 2), cell.CellAngle(-1, 0).Degrees(),
          cell.CellAngle(-1, 1).Degrees(), cell.CellAngle(-1, 2).Degrees()};
}

// 1/d^2 of hkl in `cell`, in double; 0 when the cell gives no usable spacing.
double InverseDSquared(const CUnitCell& cell, std::int32_t h, std::int32_t k, std::int32_t l) {
  float d = cell.hklDSpacing(h, k, l);
  if (!UsableSpacing(d)) return 0.0;
  return 1.0 / (static_cast<double>(d) * d);
}

// The trial cell of the Cell Edge iteration: the reciprocal edges of `base`
// scaled by (1 + index * s). False when the cell refuses it.
bool CellEdgeTrial(const CUnitCell& base, std::int32_t h, std::int32_t k, std::int32_t l, double s,
                   CUnitCell& trial) {
  std::array<float, 6> p = ReciprocalParameters(base);
  std::int32_t idx[3] = {h, k, l};
  // An edge tied to another (a = b, a = b = c) follows its master, so a
  // reflection that indexes only the tied edge moves the master instead.
  for (int i = 0; i < 3; ++i) {
    int master = base.Dependency(i);
    if (master >= 0 && master < 3 && master != i && idx[master] == 0) idx[master] = idx[i];
  }
  for (int i = 0; i < 3; ++i) p[i] = static_cast<float>(p[i] * (1.0 + idx[i] * s));
  for (int i = 0; i < 3; ++i)
    if (!(p[i] > 0.0f) || !std::isfinite(p[i])) return false;
  trial = base;
  return trial.SetCell(-1, p);
}

}  // namespace

bool CellEdgeDrag(CUnitCell& cell, std::int32_t h, std::int32_t k, std::int32_t l, float d0, float dt,
                  int maxIterations) {
  if (!UsableSpacing(d0) || !UsableSpacing(dt) || (h == 0 && k == 0 && l == 0)) return false;
  const double q0 = 1.0 / (static_cast<double>(d0) * d0);
  const double qt = 1.0 / (static_cast<double>(dt) * dt);
  CUnitCell trial = cell;
  double s = 0.1;
  for (int iteration = 0; iteration < maxIterations; ++iteration) {
    if (!CellEdgeTrial(cell, h, k, l, s, trial)) return false;
    double q1 = InverseDSquared(trial, h, k, l);
    if (q1 == 0.0 || q1 == q0) return false;  // the step moved nothing: no way to the target
    double sNext = s * (qt - q0) / (q1 - q0);
    if (!std::isfinite(sNext)) return false;
    if (!CellEdgeTrial(cell, h, k, l, sNext, trial)) return false;
    double q2 = InverseDSquared(trial, h, k, l);
    if (q2 == 0.0) return false;
    if (std::fabs(q2 - q1) < 0.00001) {
      // Settled; take it only if it is the target and not a stall elsewhere.
      if (std::fabs(q2 - qt) > 0.0001 * std::max(1.0, qt)) return false;
      return trial.MakeCopy(cell);
    }
    s = sNext;
  }
  return false;
}

bool VolumeDrag(CUnitCell& cell, float d0, float dt) {
  if (!UsableSpacing(d0) || !UsableSpacing(dt)) return false;
  std::array<float, 6> p = ReciprocalParameters(cell);
  const double f = static_cast<double>(d0) / dt;
  for (int i = 0; i < 3; ++i) p[i] = static_cast<float>(p[i] * f);
  CUnitCell trial = cell;
  if (!trial.SetCell(-1, p)) return false;
  return trial.MakeCopy(cell);
}

bool FullStrainDrag(CUnitCell& cell, std::int32_t h, std::int32_t k, std::int32_t l, float d0, float dt) {
  if (!UsableSpacing(d0) || !UsableSpacing(dt) || (h == 0 && k == 0 && l == 0)) return false;
  const float p[3] = {static_cast<float>(h), static_cast<float>(k), static_cast<float>(l)};
  const double ratio = static_cast<double>(d0) / dt;
  float q[3];
  for (int j = 0; j < 3; ++j) q[j] = static_cast<float>(p[j] * ratio);

  // M(i, j): component j of the new reciprocal axis i in the old reciprocal basis.
  float m[3][3];
  for (int i = 0; i < 3; ++i) {
    float e[3] = {0, 0, 0};
    e[i] = 1;
    float theta = cell.Angle(-1, e[0], e[1], e[2], p[0], p[1], p[2]);
    double f = static_cast<double>(cell.Edge(-1, i)) * std::cos(static_cast<double>(theta)) * d0;
    for (int j = 0; j < 3; ++j) m[i][j] = static_cast<float>((i == j ? 1.0 : 0.0) + (q[j] - p[j]) * f);
  }
  std::array<float, 6> np{};
  for (int i = 0; i < 3; ++i) np[i] = cell.Distance(-1, m[i][0], m[i][1], m[i][2]);
  auto angleBetween = [&](int i, int j) {
    float rad = cell.Angle(-1, m[i][0], m[i][1], m[i][2], m[j][0], m[j][1], m[j][2]);
    return CAngle::FromRadians(rad).Degrees();
  };
  np[3] = angleBetween(1, 2);  // alpha* between b* and c*
  np[4] = angleBetween(0, 2);  // beta* between a* and c*
  np[5] = angleBetween(0, 1);  // gamma* between a* and b*
  for (float v : np)
    if (!std::isfinite(v) || !(v > 0.0f)) return false;
  CUnitCell trial = cell;
  if (!trial.SetCell(-1, np)) return false;
  return trial.MakeCopy(cell);
}

}  // namespace quorlin
