#include "core/unitcell.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/numtext.h"

namespace quorlin {
namespace {

constexpr float kAbsEdgeMin = 0.01f;
constexpr float kAbsEdgeMax = 100.0f;
constexpr float kAbsAngleMin = 5.0f;
constexpr float kAbsAngleMax = 175.0f;
constexpr double kAngleMargin = 2.0;
constexpr double kDualEdgeTolerance = 0.001;

int LimitSlot(int basis) { return basis == 1 ? 0 : 1; }
bool ValidBasis(int basis) { return basis == 1 || basis == -1; }

// Arc cosine through arctangent; a cosine at or beyond +-1 (rounding) is
// pinned to the end of the range instead of producing NaN.
float ClampedAcos(float x) {
  if (x >= 0.99999f) return 0.0f;
  if (x <= -1.0f) return CConstants::Pi();
  double xd = x;
  return static_cast<float>(std::atan(-xd / std::sqrt(1.0 - xd * xd)) + 2.0 * std::atan(1.0));
}

// Index of the largest of three values; the first of equal values counts.
int Largest(const std::array<double, 3>& d) {
  int k = 0;
  if (d[1] > d[k]) k = 1;
  if (d[2] > d[k]) k = 2;
  return k;
}

// Lowers the largest angle below the sum of the other two minus the margin,
// then scales all three when their sum passes 360 minus the margin.
std::array<float, 3> FixedAngles(float alpha, float beta, float gamma) {
  std::array<double, 3> d{alpha, beta, gamma};
  int k = Largest(d);
  double others = d[0] + d[1] + d[2] - d[k];
  if (!(d[k] < others - kAngleMargin)) d[k] = static_cast<float>(others - kAngleMargin);
  double sum = d[0] + d[1] + d[2];
  if (sum > 360.0 - kAngleMargin) {
    double f = (360.0 / sum) * 0.995;
    for (double& v : d) v *= f;
  }
  return {static_cast<float>(d[0]), static_cast<float>(d[1]), static_cast<float>(d[2])};
}

bool InRange(float v, float lo, float hi) { return v >= lo && v <= hi; }

}  // namespace

CUnitCell::CUnitCell() {
  direct_.edge = {5.0f, 5.0f, 5.0f};
  for (auto& a : direct_.angle) a.SetDegrees(90.0f);
  SetBasis(1, 7);
  vref_ = 125.0f;
  Recompute(1);
  StartHistory();
}

// --- parameters --------------------------------------------------------------

std::string CUnitCell::CellParameters(int index, int basis) const {
  if (!ValidBasis(basis) || index < 0 || index > 5) return "";
  const Lattice& m = L(basis);
  if (index < 3) return SingleText(m.edge[index]);
  return SingleText(m.angle[index - 3].Degrees());
}

float CUnitCell::Edge(int basis, int i) const {
  if (!ValidBasis(basis) || i < 0 || i > 2) return 0.0f;
  return L(basis).edge[i];
}

CAngle CUnitCell::CellAngle(int basis, int i) const {
  if (i >= 3 && i <= 5) i -= 3;  // the parameter index is accepted too
  if (!ValidBasis(basis) || i < 0 || i > 2) return CAngle{};
  return L(basis).angle[i];
}

bool CUnitCell::IsIndependent(int index) const { return Dependency(index) == index; }

int CUnitCell::Dependency(int index) const {
  if (index < 0 || index > 5) throw std::out_of_range("cell parameter index outside 0..5");
  return dependency_[index];
}

bool CUnitCell::SetCellParameters(int index, int basis, std::string_view value) {
  if (!ValidBasis(basis) || index < 0 || index > 5) return false;
  if (!IsIndependent(index)) return false;
  if (!IsNumeric(value)) return false;
  // A number still being typed ("5.", "5,", "5.10") is not applied yet.
  char last = value.back();
  if (last == '.' || last == ',') return false;
  if (last == '0' && value.find('.') != std::string_view::npos) return false;
  if (value == CellParameters(index, basis)) return false;
  auto v = StrictSingle(value);
  if (!v) return false;

  Lattice& m = L(basis);
  const std::array<float, 3> oldEdges = m.edge;
  const std::array<CAngle, 3> oldAngles = m.angle;
  for (int i = 0; i < 3; ++i)
    if (dependency_[i] == index) m.edge[i] = *v;
  for (int i = 3; i < 6; ++i)
    if (dependency_[i] == index) m.angle[i - 3].SetDegrees(*v);
  bool possible = IsPossible(basis, m.edge[0], m.edge[1], m.edge[2], m.angle[0], m.angle[1], m.angle[2]);
  bool changed = m.edge != oldEdges || m.angle != oldAngles;
  if (!possible || !changed) {
    // "05" for 5 passes the text test but changes nothing: not a change.
    m.edge = oldEdges;
    m.angle = oldAngles;
    return false;
  }
  Recompute(basis);
  return true;
}

void CUnitCell::SetBasis(std::int32_t lattice, std::int32_t value) {
  if (!ValidBasis(lattice) || value < 0 || value > 7) return;
  static constexpr std::int32_t kShape[7] = {2, 1, 1, 2, 0, 0, 0};
  basis_ = value;
  if (value != 7) cellShape_ = kShape[value];
  RebuildDependencies();
  ApplyConstraints(lattice);
}

void CUnitCell::SetCellShape(std::int32_t value) {
  if (basis_ != 7 || value < 0 || value > 2) return;
  cellShape_ = value;
  RebuildDependencies();
  ApplyConstraints(1);
}

void CUnitCell::RebuildDependencies() {
  std::array<int, 6>& d = dependency_;
  for (int k = 0; k < 6; ++k) d[k] = k;
  switch (basis_) {
    case 0: d = {0, 0, 0, 6, 6, 6}; break;   // cubic
    case 1: d = {0, 0, 2, 6, 6, 6}; break;   // tetragonal
    case 2: d = {0, 0, 2, 6, 6, 7}; break;   // hexagonal axes
    case 3: d = {0, 0, 0, 3, 3, 3}; break;   // rhombohedral axes
    case 4: d = {0, 1, 2, 6, 6, 6}; break;   // orthorhombic
    case 5: d = {0, 1, 2, 6, 4, 6}; break;   // monoclinic, b unique
    case 6: break;                           // triclinic
    default:
      if (cellShape_ == 2) d = {0, 0, 0, 3, 3, 3};
      else if (cellShape_ == 1) d = {0, 0, 2, 3, 4, 5};
      break;
  }
}

void CUnitCell::ApplyConstraints(int lattice) {
  Lattice& m = L(lattice);
  for (int i = 0; i < 3; ++i)
    if (dependency_[i] != i) m.edge[i] = m.edge[dependency_[i]];
  for (int i = 3; i < 6; ++i) {
    switch (dependency_[i]) {
      case 3: m.angle[i - 3] = m.angle[0]; break;
      case 6: m.angle[i - 3].SetDegrees(90.0f); break;
      case 7: m.angle[i - 3].SetDegrees(lattice == 1 ? 120.0f : 60.0f); break;
      default: break;
    }
  }
  auto f = FixedAngles(m.angle[0].Degrees(), m.angle[1].Degrees(), m.angle[2].Degrees());
  StoreAngles(lattice, f[0], f[1], f[2]);
  Recompute(lattice);
}

void CUnitCell::StoreAngles(int basis, float alpha, float beta, float gamma) {
  if (!ValidBasis(basis)) return;
  Lattice& m = L(basis);
  m.angle[0].SetDegrees(alpha);
  m.angle[1].SetDegrees(beta);
  m.angle[2].SetDegrees(gamma);
}

void CUnitCell::AngleFix(float alpha, float beta, float gamma, int basis) {
  if (!ValidBasis(basis)) return;
  auto f = FixedAngles(alpha, beta, gamma);
  StoreAngles(basis, f[0], f[1], f[2]);
  // Keep the two lattices in step with the angles just stored.
  Recompute(basis);
}

bool CUnitCell::SetCell(int basis, const std::array<float, 6>& parameters) {
  if (!ValidBasis(basis)) return false;
  const Lattice& m = L(basis);
  std::array<float, 3> edges{};
  std::array<CAngle, 3> angles = m.angle;
  for (int i = 0; i < 3; ++i) edges[i] = parameters[dependency_[i]];
  for (int i = 3; i < 6; ++i) {
    int d = dependency_[i];
    if (d >= 3 && d <= 5) angles[i - 3].SetDegrees(parameters[d]);
    // Fixed angles (90, 120/60) keep the value the constraint gave them.
  }
  return SetCellExact(basis, edges, angles);
}

bool CUnitCell::SetCellExact(int basis, const std::array<float, 3>& edges, const std::array<CAngle, 3>& angles) {
  if (!IsPossible(basis, edges[0], edges[1], edges[2], angles[0], angles[1], angles[2])) return false;
  Lattice& m = L(basis);
  m.edge = edges;
  m.angle = angles;
  Recompute(basis);
  return true;
}

// --- recompute ---------------------------------------------------------------

void CUnitCell::ParametersToMetric(const std::array<float, 3>& e, const std::array<CAngle, 3>& ang, CMatrix33& g) {
  for (int i = 0; i < 3; ++i) g.SetSelf(i, i, static_cast<float>(static_cast<double>(e[i]) * e[i]));
  auto off = [&](int i, int j, const CAngle& a) {
    float v = static_cast<float>(static_cast<double>(e[i]) * e[j] * a.trigCos());
    g.SetSelf(i, j, v);
    g.SetSelf(j, i, v);
  };
  off(0, 1, ang[2]);
  off(0, 2, ang[1]);
  off(1, 2, ang[0]);
}

void CUnitCell::MetricToParameters(const CMatrix33& g, std::array<float, 3>& e, std::array<CAngle, 3>& ang) {
  for (int i = 0; i < 3; ++i) e[i] = static_cast<float>(std::sqrt(static_cast<double>(g(i, i))));
  auto angle = [&](int i, int j, CAngle& a) {
    float q = static_cast<float>(static_cast<double>(g(i, j)) / (static_cast<double>(e[i]) * e[j]));
    float deg = static_cast<float>(static_cast<double>(ClampedAcos(q)) * CConstants::RadToDegrees());
    a.SetDegrees(deg);
  };
  angle(1, 2, ang[0]);
  angle(0, 2, ang[1]);
  angle(0, 1, ang[2]);
}

void CUnitCell::Recompute(int master) {
  Lattice& m = L(master);
  Lattice& o = L(-master);
  // 1. metric of the master, the other metric as its inverse
  ParametersToMetric(m.edge, m.angle, m.metric);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) o.metric.SetSelf(i, j, m.metric.Inverse(i, j));
  // 2. parameters of the other lattice from its metric
  MetricToParameters(o.metric, o.edge, o.angle);
  // 3. Cartesian basis of the master: c along z, a in the x-z plane
  double a = m.edge[0], b = m.edge[1], c = m.edge[2];
  double sinA = m.angle[0].trigSin(), cosA = m.angle[0].trigCos();
  double sinB = m.angle[1].trigSin(), cosB = m.angle[1].trigCos();
  double sinG = o.angle[2].trigSin(), cosG = o.angle[2].trigCos();
  auto set = [&](int r, int col, double v) { m.trans.SetSelf(r, col, static_cast<float>(v)); };
  set(0, 0, a * sinB);
  set(1, 0, 0.0);
  set(2, 0, a * cosB);
  set(0, 1, -b * sinA * cosG);
  set(1, 1, b * sinA * sinG);
  set(2, 1, b * cosA);
  set(0, 2, 0.0);
  set(1, 2, 0.0);
  set(2, 2, c);
  for (int r = 0; r < 3; ++r)
    for (int col = 0; col < 3; ++col) o.trans.SetSelf(r, col, m.trans.Inverse(col, r));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) directInverse_[i * 3 + j] = direct_.metric.Inverse(i, j);
}

void CUnitCell::CalculateDual(float a, float b, float c, CAngle alpha, CAngle beta, CAngle gamma, float& aDual,
                              float& bDual, float& cDual, CAngle& alphaDual, CAngle& betaDual,
                              CAngle& gammaDual) const {
  CMatrix33 g, gd;
  ParametersToMetric({a, b, c}, {alpha, beta, gamma}, g);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) gd.SetSelf(i, j, g.Inverse(i, j));
  std::array<float, 3> e{};
  std::array<CAngle, 3> ang{};
  MetricToParameters(gd, e, ang);
  aDual = e[0];
  bDual = e[1];
  cDual = e[2];
  alphaDual = ang[0];
  betaDual = ang[1];
  gammaDual = ang[2];
}

// --- geometry ------------------------------------------------------------------

float CUnitCell::Metric(int basis, int i, int j) const {
  if (!ValidBasis(basis)) return 0.0f;
  return L(basis).metric(i, j);
}

float CUnitCell::Trans(int basis, int i, int j) const {
  if (!ValidBasis(basis)) return 0.0f;
  return L(basis).trans(i, j);
}

float CUnitCell::Volume() const { return direct_.trans.Determinant(); }

float CUnitCell::Distance(int basis, float x, float y, float z) const {
  if (!ValidBasis(basis)) return 0.0f;
  const CMatrix33& g = L(basis).metric;
  const float v[3] = {x, y, z};
  float sum = 0.0f;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      sum = static_cast<float>(static_cast<double>(sum) + static_cast<double>(g(i, j)) * v[i] * v[j]);
  return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

float CUnitCell::Angle(int basis, float x1, float y1, float z1, float x2, float y2, float z2) const {
  if (!ValidBasis(basis)) return 0.0f;
  const CMatrix33& g = L(basis).metric;
  const float u[3] = {x1, y1, z1}, w[3] = {x2, y2, z2};
  float dot = 0.0f;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      dot = static_cast<float>(static_cast<double>(dot) + static_cast<double>(g(i, j)) * u[i] * w[j]);
  double norms = static_cast<double>(Distance(basis, x1, y1, z1)) * Distance(basis, x2, y2, z2);
  float cosine = static_cast<float>(static_cast<double>(dot) / norms);
  return ClampedAcos(cosine);
}

float CUnitCell::hklDSpacing(std::int32_t h, std::int32_t k, std::int32_t l) const {
  const float v[3] = {static_cast<float>(h), static_cast<float>(k), static_cast<float>(l)};
  float s = 0.0f;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      s = static_cast<float>(static_cast<long double>(s) +
                             static_cast<long double>(directInverse_[i * 3 + j]) * v[i] * v[j]);
  if (s > 0.0001f) return static_cast<float>(1.0 / std::sqrt(static_cast<double>(s)));
  return -1.0f;
}

std::string CUnitCell::Handedness() const { return Volume() > 0.0f ? "Right" : "Left"; }

void CUnitCell::CrossProduct(int basis, float u1, float u2, float u3, float w1, float w2, float w3, float& x,
                             float& y, float& z) const {
  if (!ValidBasis(basis)) {
    x = y = z = 0.0f;
    return;
  }
  const CMatrix33& g = L(basis).metric;
  const float u[3] = {u1, u2, u3}, w[3] = {w1, w2, w3};
  float cu[3], cw[3];  // covariant components
  for (int i = 0; i < 3; ++i) {
    float su = 0.0f, sw = 0.0f;
    for (int j = 0; j < 3; ++j) {
      su = static_cast<float>(static_cast<double>(su) + static_cast<double>(g(i, j)) * u[j]);
      sw = static_cast<float>(static_cast<double>(sw) + static_cast<double>(g(i, j)) * w[j]);
    }
    cu[i] = su;
    cw[i] = sw;
  }
  double d = g.Determinant();
  x = static_cast<float>((static_cast<double>(cu[1]) * cw[2] - static_cast<double>(cu[2]) * cw[1]) / d);
  y = static_cast<float>((static_cast<double>(cu[2]) * cw[0] - static_cast<double>(cu[0]) * cw[2]) / d);
  z = static_cast<float>((static_cast<double>(cu[0]) * cw[1] - static_cast<double>(cu[1]) * cw[0]) / d);
}

// --- limits and possibility --------------------------------------------------

std::string CUnitCell::EdgeMin(int basis) const {
  return ValidBasis(basis) ? SingleText(edgeMin_[LimitSlot(basis)]) : "";
}

std::string CUnitCell::EdgeMax(int basis) const {
  return ValidBasis(basis) ? SingleText(edgeMax_[LimitSlot(basis)]) : "";
}

std::string CUnitCell::AngleMin() const { return SingleText(angleMin_); }
std::string CUnitCell::AngleMax() const { return SingleText(angleMax_); }

bool CUnitCell::SetEdgeMin(int basis, std::string_view v) {
  if (!ValidBasis(basis)) return true;  // nothing to store
  auto s = StrictSingle(v);
  if (!s) return false;
  int slot = LimitSlot(basis);
  if (!(*s >= kAbsEdgeMin && *s <= edgeMax_[slot])) return false;
  for (float e : L(basis).edge)
    if (!(*s <= e)) return false;
  edgeMin_[slot] = *s;
  edgeMax_[1 - slot] = static_cast<float>(1.0 / static_cast<double>(*s));
  return true;
}

bool CUnitCell::SetEdgeMax(int basis, std::string_view v) {
  if (!ValidBasis(basis)) return true;
  auto s = StrictSingle(v);
  if (!s) return false;
  int slot = LimitSlot(basis);
  if (!(*s <= kAbsEdgeMax && edgeMin_[slot] <= *s)) return false;
  for (float e : L(basis).edge)
    if (!(*s >= e)) return false;
  edgeMax_[slot] = *s;
  edgeMin_[1 - slot] = static_cast<float>(1.0 / static_cast<double>(*s));
  return true;
}

bool CUnitCell::SetAngleMin(std::string_view v) {
  auto s = StrictSingle(v);
  if (!s) return false;
  if (!(*s >= kAbsAngleMin && *s < angleMax_)) return false;
  for (const CAngle& a : direct_.angle)
    if (!(*s <= a.Degrees())) return false;
  angleMin_ = *s;
  return true;
}

bool CUnitCell::SetAngleMax(std::string_view v) {
  auto s = StrictSingle(v);
  if (!s) return false;
  if (!(*s < kAbsAngleMax && *s > angleMin_)) return false;
  for (const CAngle& a : direct_.angle)
    if (!(*s >= a.Degrees())) return false;
  angleMax_ = *s;
  return true;
}

bool CUnitCell::AnglesFeasible(float alpha, float beta, float gamma) {
  std::array<double, 3> d{alpha, beta, gamma};
  int k = Largest(d);
  double others = d[0] + d[1] + d[2] - d[k];
  return d[k] < others - kAngleMargin && d[0] + d[1] + d[2] <= 360.0 - kAngleMargin;
}

bool CUnitCell::IsPossible(int basis, float a, float b, float c, CAngle alpha, CAngle beta, CAngle gamma) const {
  if (!ValidBasis(basis)) return false;
  int slot = LimitSlot(basis);
  for (float e : {a, b, c})
    if (!InRange(e, edgeMin_[slot], edgeMax_[slot])) return false;
  float deg[3] = {alpha.Degrees(), beta.Degrees(), gamma.Degrees()};
  for (float d : deg)
    if (!InRange(d, angleMin_, angleMax_)) return false;
  if (!AnglesFeasible(deg[0], deg[1], deg[2])) return false;

  float ad, bd, cd;
  CAngle alphaD, betaD, gammaD;
  CalculateDual(a, b, c, alpha, beta, gamma, ad, bd, cd, alphaD, betaD, gammaD);
  int other = 1 - slot;
  double lo = static_cast<double>(edgeMin_[other]) - kDualEdgeTolerance;
  double hi = static_cast<double>(edgeMax_[other]) + kDualEdgeTolerance;
  for (float e : {ad, bd, cd})
    if (!(e >= lo && e <= hi)) return false;
  float degD[3] = {alphaD.Degrees(), betaD.Degrees(), gammaD.Degrees()};
  for (float d : degD)
    if (!InRange(d, angleMin_, angleMax_)) return false;
  return AnglesFeasible(degD[0], degD[1], degD[2]);
}

void CUnitCell::ChangeVolume(float factor) {
  if (!(factor > 0.0f)) return;
  float s = static_cast<float>(std::pow(static_cast<double>(factor), 1.0 / 3.0));
  std::array<float, 3> e{};
  for (int i = 0; i < 3; ++i) e[i] = static_cast<float>(static_cast<double>(direct_.edge[i]) * s);
  SetCellExact(1, e, direct_.angle);
}

// --- history -----------------------------------------------------------------

void CUnitCell::StartHistory() {
  historyNewest_ = historyOldest_ = 50;
  for (int p = 0; p < 3; ++p) history_[p][50] = direct_.edge[p];
  for (int p = 0; p < 3; ++p) history_[p + 3][50] = direct_.angle[p].Radians();
  forwardOK_ = backwardOK_ = false;
}

void CUnitCell::CellHistory(int action) {
  auto shift = [this](int to, int from) {
    for (auto& h : history_) h[to] = h[from];
  };
  int& f = historyNewest_;
  int& b = historyOldest_;
  switch (action) {
    case -1: {
      float current[6] = {direct_.edge[0], direct_.edge[1], direct_.edge[2],
                          direct_.angle[0].Radians(), direct_.angle[1].Radians(), direct_.angle[2].Radians()};
      bool same = true;
      for (int p = 0; p < 6; ++p) same = same && history_[p][50] == current[p];
      if (same) break;
      for (int i = 0; i < 50; ++i) shift(i, i + 1);
      for (int p = 0; p < 6; ++p) history_[p][50] = current[p];
      f = 50;
      b = std::max(b - 1, 0);
      forwardOK_ = false;
      backwardOK_ = true;
      ++numberOfChanges_;
      break;
    }
    case 1:
      if (b < 50) {
        for (int i = 100; i >= 1; --i) shift(i, i - 1);
        b += 1;
        f = std::min(f + 1, 100);
        backwardOK_ = b < 50;
        forwardOK_ = f > 50;
      }
      break;
    case 2:
      if (f > 50) {
        for (int i = 0; i <= 99; ++i) shift(i, i + 1);
        b = std::max(b - 1, 0);
        f -= 1;
        backwardOK_ = b < 50;
        forwardOK_ = f > 50;
      }
      break;
    case 0: {
      int d = 50 - b;
      for (int i = 100; i >= d; --i) shift(i, i - d);
      f = std::min(f + d, 100);
      b = 50;
      forwardOK_ = f > 50;
      backwardOK_ = false;
      break;
    }
    case 3: {
      int d = f - 50;
      for (int i = 0; i <= 150 - f; ++i) shift(i, i + d);
      b = std::max(b - d, 0);
      f = 50;
      backwardOK_ = b < 50;
      forwardOK_ = false;
      break;
    }
    default:
      break;
  }
  // Every action ends by showing entry 50, exactly as recorded.
  for (int p = 0; p < 3; ++p) direct_.edge[p] = history_[p][50];
  for (int p = 0; p < 3; ++p) direct_.angle[p].SetRadians(history_[p + 3][50]);
  Recompute(1);
}

// --- copy and persistence ----------------------------------------------------

bool CUnitCell::MakeCopy(CUnitCell& target) const {
  if (&target == this) return true;
  const CUnitCell saved = target;
  target.SetBasis(1, basis_);
  target.SetCellShape(cellShape_);
  // The six parameters go over as one step, so no intermediate triple can be
  // refused; the copy then takes both lattices exactly as they are here.
  if (!target.IsPossible(1, direct_.edge[0], direct_.edge[1], direct_.edge[2], direct_.angle[0], direct_.angle[1],
                         direct_.angle[2])) {
    target = saved;
    return false;
  }
  target.direct_ = direct_;
  target.reciprocal_ = reciprocal_;
  target.directInverse_ = directInverse_;
  return true;
}

void CUnitCell::WriteObjectState(std::string_view prefix, PropertyBag& bag) const {
  std::string p(prefix);
  bag.WriteProperty(p + "CellShape", cellShape_, std::int32_t{2});
  bag.WriteProperty(p + "EdgeMin", EdgeMin(1), std::string("1"));
  bag.WriteProperty(p + "EdgeMax", EdgeMax(1), std::string("30"));
  bag.WriteProperty(p + "AngleMin", AngleMin(), std::string("10"));
  bag.WriteProperty(p + "AngleMax", AngleMax(), std::string("170"));
  for (int i = 0; i < 6; ++i)
    bag.WriteProperty(IndexedKey(prefix, "UnitCell", i), CellParameters(i, 1), std::string(i < 3 ? "5" : "90"));
  bag.WriteProperty(p + "Basis", basis_, std::int32_t{7});
  bag.WriteProperty(p + "Vref", static_cast<double>(vref_), 125.0);
}

void CUnitCell::ReadObjectState(std::string_view prefix, const PropertyBag& bag) {
  std::string p(prefix);
  // Read every key first; apply afterwards in an order that cannot refuse a
  // cell which is possible as a whole.
  const std::int32_t basis = bag.ReadLong(p + "Basis", 7);
  const std::int32_t shape = bag.ReadLong(p + "CellShape", 2);
  const std::string edgeMin = bag.ReadString(p + "EdgeMin", "1");
  const std::string edgeMax = bag.ReadString(p + "EdgeMax", "30");
  const std::string angleMin = bag.ReadString(p + "AngleMin", "10");
  const std::string angleMax = bag.ReadString(p + "AngleMax", "170");
  std::array<std::string, 6> texts;
  for (int i = 0; i < 6; ++i) texts[i] = bag.ReadString(IndexedKey(prefix, "UnitCell", i), i < 3 ? "5" : "90");
  const double vref = bag.ReadDouble(p + "Vref", 125.0);

  const float oldEdgeMin = edgeMin_[0], oldEdgeMax = edgeMax_[0];
  const float oldAngleMin = angleMin_, oldAngleMax = angleMax_;

  SetBasis(1, basis);
  SetCellShape(shape);

  // The limits open to the absolute bounds while the cell goes in.
  edgeMin_[0] = edgeMin_[1] = kAbsEdgeMin;
  edgeMax_[0] = edgeMax_[1] = kAbsEdgeMax;
  angleMin_ = kAbsAngleMin;
  angleMax_ = kAbsAngleMax;

  std::array<float, 6> values{};
  bool numeric = true;
  for (int i = 0; i < 6; ++i) {
    auto v = StrictSingle(texts[i]);
    numeric = numeric && v.has_value();
    if (v) values[i] = *v;
  }
  // Stored values that break the constraint in the direct lattice may still
  // meet it in the reciprocal one: under "a = b" a cell edited through a* and
  // b* keeps a* = b* while a and b differ. Such a cell is taken as stored;
  // otherwise dependent parameters follow their masters.
  auto dualMeetsConstraint = [this](const std::array<float, 3>& e, const std::array<CAngle, 3>& ang) {
    std::array<float, 3> de{};
    std::array<CAngle, 3> da{};
    CalculateDual(e[0], e[1], e[2], ang[0], ang[1], ang[2], de[0], de[1], de[2], da[0], da[1], da[2]);
    for (int i = 0; i < 3; ++i) {
      const int m = dependency_[i];
      if (m != i && std::fabs(de[i] - de[m]) > 1e-5f * de[m]) return false;
    }
    for (int i = 0; i < 3; ++i) {
      const int m = dependency_[i + 3];
      const float deg = da[i].Degrees();
      const float want = m == 6 ? 90.0f : m == 7 ? 60.0f : da[m - 3].Degrees();
      if (std::fabs(deg - want) > 1e-3f) return false;
    }
    return true;
  };
  bool restored = false;
  if (numeric) {
    const std::array<float, 3> edges{values[0], values[1], values[2]};
    std::array<CAngle, 3> angles{};
    for (int i = 0; i < 3; ++i) angles[i].SetDegrees(values[i + 3]);
    restored = (dualMeetsConstraint(edges, angles) && SetCellExact(1, edges, angles)) || SetCell(1, values);
  }
  if (!restored) {
    // A state that is impossible as a whole: take what the checked setter
    // accepts one parameter at a time.
    for (int i = 0; i < 6; ++i) SetCellParameters(i, 1, texts[i]);
  }

  // The stored limits go through their setters, so limits that do not enclose
  // the cell are refused; the limits held before are then tried instead.
  if (!SetEdgeMin(1, edgeMin)) SetEdgeMin(1, SingleText(oldEdgeMin));
  if (!SetEdgeMax(1, edgeMax)) SetEdgeMax(1, SingleText(oldEdgeMax));
  if (!SetAngleMin(angleMin)) SetAngleMin(SingleText(oldAngleMin));
  // 175 is the bound a new cell starts with, though the setter refuses it as
  // typed text; a stored 175 is kept (the bound is open already).
  const auto storedAngleMax = StrictSingle(angleMax);
  const bool atBound = storedAngleMax && *storedAngleMax == kAbsAngleMax;
  if (!atBound && !SetAngleMax(angleMax)) SetAngleMax(SingleText(oldAngleMax));

  if (std::isfinite(vref) && vref > 0.0) vref_ = static_cast<float>(vref);
}

}  // namespace quorlin
