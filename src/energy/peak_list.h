// The reflection list of a reference card with the per-peak results of the
// energy-dispersive fit: parallel arrays indexed by peak number.
#pragma once

#include <cstdint>
#include <vector>

#include "persistence/object_state.h"

namespace quorlin {

class clsPeakList : public IObjectState {
 public:
  std::int16_t NumberOfPeaks() const { return count_; }
  // Re-allocates every array to n entries, all 0/false (n < 1 empties them).
  void SetNumberOfPeaks(std::int16_t n);

  std::int16_t h(int i) const { return At(h_, i); }
  void Seth(int i, std::int16_t v) { At(h_, i) = v; }
  std::int16_t k(int i) const { return At(k_, i); }
  void Setk(int i, std::int16_t v) { At(k_, i) = v; }
  std::int16_t l(int i) const { return At(l_, i); }
  void Setl(int i, std::int16_t v) { At(l_, i) = v; }
  // Stored rounded half to even as a 16-bit integer; returns false and
  // changes nothing when the value does not fit.
  float Intens(int i) const { return At(intens_, i); }
  bool SetIntens(int i, float v);
  bool Agrees(int i) const { return At(agrees_, i) != 0; }
  void SetAgrees(int i, bool v) { At(agrees_, i) = v; }
  bool Included(int i) const { return At(included_, i) != 0; }
  void SetIncluded(int i, bool v) { At(included_, i) = v; }
  float Bkd(int i) const { return At(bkd_, i); }
  void SetBkd(int i, float v) { At(bkd_, i) = v; }
  float Pkhght(int i) const { return At(pkhght_, i); }
  void SetPkhght(int i, float v) { At(pkhght_, i) = v; }
  float Halfwidth(int i) const { return At(halfwidth_, i); }
  void SetHalfwidth(int i, float v) { At(halfwidth_, i) = v; }

  void ReadObjectState(std::string_view prefix, const PropertyBag& bag) override;
  void WriteObjectState(std::string_view prefix, PropertyBag& bag) const override;

 private:
  // Index errors throw std::out_of_range and change nothing.
  template <class T>
  static T& At(std::vector<T>& v, int i) { return v.at(static_cast<std::size_t>(i)); }
  template <class T>
  static const T& At(const std::vector<T>& v, int i) { return v.at(static_cast<std::size_t>(i)); }

  std::int16_t count_ = 0;
  std::vector<std::int16_t> h_, k_, l_, intens_;
  std::vector<char> agrees_, included_;
  std::vector<float> bkd_, pkhght_, halfwidth_;
};

}  // namespace quorlin
