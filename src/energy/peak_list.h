// The reflection list of a reference card with the per-peak results of the
// energy-dispersive fit: parallel arrays indexed by peak number.
#pragma once

#include <cstdint>
#include <vector>

#include "core/object_state.h"

namespace quorlin {

class clsPeakList : public IObjectState {
 public:
  std::int16_t NumberOfPeaks() const { return count_; }
  // Re-allocates every array to n entries, all 0/false (n < 1 empties them).
  void SetNumberOfPeaks(std::int16_t n);

  std::int16_t h(int i) const { return h_[Checked(i)]; }
  void Seth(int i, std::int16_t v) { h_[Checked(i)] = v; }
  std::int16_t k(int i) const { return k_[Checked(i)]; }
  void Setk(int i, std::int16_t v) { k_[Checked(i)] = v; }
  std::int16_t l(int i) const { return l_[Checked(i)]; }
  void Setl(int i, std::int16_t v) { l_[Checked(i)] = v; }
  // Stored rounded half to even as a 16-bit integer; returns false and
  // changes nothing when the value does not fit.
  float Intens(int i) const { return intens_[Checked(i)]; }
  bool SetIntens(int i, float v);
  bool Agrees(int i) const { return agrees_[Checked(i)] != 0; }
  void SetAgrees(int i, bool v) { agrees_[Checked(i)] = v; }
  bool Included(int i) const { return included_[Checked(i)] != 0; }
  void SetIncluded(int i, bool v) { included_[Checked(i)] = v; }
  float Bkd(int i) const { return bkd_[Checked(i)]; }
  void SetBkd(int i, float v) { bkd_[Checked(i)] = v; }
  float Pkhght(int i) const { return pkhght_[Checked(i)]; }
  void SetPkhght(int i, float v) { pkhght_[Checked(i)] = v; }
  float Halfwidth(int i) const { return halfwidth_[Checked(i)]; }
  void SetHalfwidth(int i, float v) { halfwidth_[Checked(i)] = v; }

  void ReadObjectState(std::string_view prefix, const PropertyBag& bag) override;
  void WriteObjectState(std::string_view prefix, PropertyBag& bag) const override;

 private:
  // An index outside 0..NumberOfPeaks-1 throws std::out_of_range and changes
  // nothing. The count, not the array size, decides: a project read with no
  // peaks leaves the arrays but makes them unreachable.
  std::size_t Checked(int i) const;

  std::int16_t count_ = 0;
  std::vector<std::int16_t> h_, k_, l_, intens_;
  std::vector<char> agrees_, included_;
  std::vector<float> bkd_, pkhght_, halfwidth_;
};

}  // namespace quorlin
