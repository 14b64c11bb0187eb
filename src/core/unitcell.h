// The one lattice model: direct and reciprocal cells kept consistent through
// the metric tensor, the symmetry constraint (Basis, CellShape), limits, the
// possibility test, a 101-entry history of the direct cell and persistence.
//
// Every per-lattice member takes a basis sign: 1 direct, -1 reciprocal.
// Parameter index: 0 a, 1 b, 2 c, 3 alpha, 4 beta, 5 gamma. Edges in Angstrom
// (reciprocal: 1/Angstrom without 2 pi), angles in degrees at the interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/angle.h"
#include "core/matrix33.h"
#include "core/object_state.h"

namespace quorlin {

class CUnitCell : public IObjectState {
 public:
  CUnitCell();

  // --- parameters -------------------------------------------------------
  // Edge or angle (degrees, read through CAngle::Degrees) as text; "" for a
  // bad index or basis.
  std::string CellParameters(int index, int basis) const;
  // The checked setter for one parameter typed by the user. Returns ok: true
  // only when the cell changed. A refusal changes nothing.
  bool SetCellParameters(int index, int basis, std::string_view value);
  // Numeric reads of the same values (0 for a bad index or basis). Edge takes
  // 0..2; CellAngle takes 0..2 (alpha, beta, gamma) or the parameter index 3..5.
  float Edge(int basis, int i) const;
  CAngle CellAngle(int basis, int i) const;

  bool IsIndependent(int index) const;
  std::int32_t Basis() const { return basis_; }
  void SetBasis(std::int32_t lattice, std::int32_t value);
  std::int32_t CellShape() const { return cellShape_; }
  void SetCellShape(std::int32_t value);  // only while Basis() == 7
  // Entry k of the dependency map (k, a master index, 6 = 90 deg, 7 = 120/60 deg).
  int Dependency(int index) const;

  // --- geometry ---------------------------------------------------------
  float Metric(int basis, int i, int j) const;
  float Trans(int basis, int i, int j) const;
  float Volume() const;
  float VRef() const { return vref_; }
  void SetVRef(float v) { vref_ = v; }
  float VNorm() const { return Volume() / vref_; }
  float Distance(int basis, float x, float y, float z) const;
  float Angle(int basis, float x1, float y1, float z1, float x2, float y2, float z2) const;  // radians
  float hklDSpacing(std::int32_t h, std::int32_t k, std::int32_t l) const;  // -1: no usable spacing
  std::string Handedness() const;  // "Right" or "Left"
  void CrossProduct(int basis, float u1, float u2, float u3, float w1, float w2, float w3, float& x, float& y,
                    float& z) const;
  static std::int32_t DualCell(std::int32_t basis) { return basis == 1 ? -1 : basis == -1 ? 1 : 0; }
  void CalculateDual(float a, float b, float c, CAngle alpha, CAngle beta, CAngle gamma, float& aDual, float& bDual,
                     float& cDual, CAngle& alphaDual, CAngle& betaDual, CAngle& gammaDual) const;
  void AngleFix(float alpha, float beta, float gamma, int basis);

  // --- limits and possibility --------------------------------------------
  std::string EdgeMin(int basis) const;
  bool SetEdgeMin(int basis, std::string_view v);
  std::string EdgeMax(int basis) const;
  bool SetEdgeMax(int basis, std::string_view v);
  std::string AngleMin() const;
  bool SetAngleMin(std::string_view v);
  std::string AngleMax() const;
  bool SetAngleMax(std::string_view v);
  bool IsPossible(int basis, float a, float b, float c, CAngle alpha, CAngle beta, CAngle gamma) const;
  // Sets all six parameters of one lattice at once (degrees for the angles),
  // checked as a whole by IsPossible; dependent parameters follow their
  // masters. Returns false and changes nothing when the cell is refused.
  bool SetCell(int basis, const std::array<float, 6>& parameters);
  void ChangeVolume(float factor);

  // --- history ------------------------------------------------------------
  void StartHistory();
  // -1 record, 0 oldest, 1 back, 2 forward, 3 newest.
  void CellHistory(int action);
  bool ForwardOK() const { return forwardOK_; }
  bool BackwardOK() const { return backwardOK_; }
  // How many changes the history has recorded since the cell was created.
  std::int32_t NumberOfChanges() const { return numberOfChanges_; }

  // Copies Basis, CellShape and the six direct parameters into target. The
  // copy reproduces this cell exactly whenever target's limits admit it,
  // whatever target held before; otherwise target is left unchanged and the
  // result is false. Limits, VRef, CenteringType and history are not copied.
  bool MakeCopy(CUnitCell& target) const;

  void ReadObjectState(std::string_view prefix, const PropertyBag& bag) override;
  void WriteObjectState(std::string_view prefix, PropertyBag& bag) const override;

  // Direct-lattice centring code: 0 P, 1 F, 2 I, 3 R, 4 A, 5 B, 6 C. Written
  // by the reflection-condition catalogue; the geometry does not depend on it.
  std::int32_t CenteringType = 0;

 private:
  struct Lattice {
    std::array<float, 3> edge{};
    std::array<CAngle, 3> angle{};
    CMatrix33 metric;
    CMatrix33 trans;
  };
  Lattice& L(int basis) { return basis == 1 ? direct_ : reciprocal_; }
  const Lattice& L(int basis) const { return basis == 1 ? direct_ : reciprocal_; }
  void Recompute(int master);
  void RebuildDependencies();
  void ApplyConstraints(int lattice);
  void StoreAngles(int basis, float alpha, float beta, float gamma);
  // Stores the six parameters of one lattice as given (angles exact, no
  // dependency applied) when IsPossible admits them, then recomputes.
  bool SetCellExact(int basis, const std::array<float, 3>& edges, const std::array<CAngle, 3>& angles);
  static bool AnglesFeasible(float alpha, float beta, float gamma);
  static void ParametersToMetric(const std::array<float, 3>& e, const std::array<CAngle, 3>& ang, CMatrix33& g);
  static void MetricToParameters(const CMatrix33& g, std::array<float, 3>& e, std::array<CAngle, 3>& ang);

  Lattice direct_;
  Lattice reciprocal_;
  std::int32_t basis_ = 7;
  std::int32_t cellShape_ = 0;
  std::array<int, 6> dependency_{0, 1, 2, 3, 4, 5};
  float vref_ = 125.0f;
  float edgeMin_[2] = {0.01f, 0.01f};  // [0] direct, [1] reciprocal
  float edgeMax_[2] = {100.0f, 100.0f};
  float angleMin_ = 5.0f;
  float angleMax_ = 175.0f;
  std::array<std::array<float, 101>, 6> history_{};
  int historyNewest_ = 50;
  int historyOldest_ = 50;
  bool forwardOK_ = false;
  bool backwardOK_ = false;
  std::int32_t numberOfChanges_ = 0;
  // The nine elements of CMatrix33::Inverse of the direct metric, refreshed by
  // every recompute, so hklDSpacing returns what asking Inverse would.
  std::array<float, 9> directInverse_{};
};

}  // namespace quorlin
