#include "energy/peak_list.h"

#include <stdexcept>
#include <string>

#include "core/numtext.h"

namespace quorlin {

void clsPeakList::SetNumberOfPeaks(std::int16_t n) {
  count_ = n > 0 ? n : 0;
  std::size_t size = n > 0 ? static_cast<std::size_t>(n) : 0;
  h_.assign(size, 0);
  k_.assign(size, 0);
  l_.assign(size, 0);
  intens_.assign(size, 0);
  agrees_.assign(size, 0);
  included_.assign(size, 0);
  bkd_.assign(size, 0.0f);
  pkhght_.assign(size, 0.0f);
  halfwidth_.assign(size, 0.0f);
}

std::size_t clsPeakList::Checked(int i) const {
  if (i < 0 || i >= count_ || static_cast<std::size_t>(i) >= h_.size())
    throw std::out_of_range("peak index " + std::to_string(i) + " outside 0.." + std::to_string(count_ - 1));
  return static_cast<std::size_t>(i);
}

bool clsPeakList::SetIntens(int i, float v) {
  std::int16_t& slot = intens_[Checked(i)];
  auto rounded = ToInteger(v);
  if (!rounded) return false;
  slot = *rounded;
  return true;
}

void clsPeakList::WriteObjectState(std::string_view prefix, PropertyBag& bag) const {
  std::string p(prefix);
  bag.WriteProperty(p + "m_NumberOfPeaks", count_, std::int16_t{0});
  for (int i = 0; i < count_; ++i) {
    bag.WriteProperty(IndexedKey(p, "h", i), h(i), std::int16_t{0});
    bag.WriteProperty(IndexedKey(p, "k", i), k(i), std::int16_t{0});
    bag.WriteProperty(IndexedKey(p, "l", i), l(i), std::int16_t{0});
    bag.WriteProperty(IndexedKey(p, "Intens", i), Intens(i), 0.0f);
    bag.WriteProperty(IndexedKey(p, "Agrees", i), Agrees(i), false);
    bag.WriteProperty(IndexedKey(p, "Included", i), Included(i), false);
  }
}

void clsPeakList::ReadObjectState(std::string_view prefix, const PropertyBag& bag) {
  std::string p(prefix);
  std::int16_t n = bag.ReadInteger(p + "m_numberofpeaks", 0);
  if (n <= 0) {
    // Only the count changes; the arrays stay as they were but are never
    // indexed beyond the count.
    count_ = n < 0 ? 0 : n;
    return;
  }
  SetNumberOfPeaks(n);
  for (int i = 0; i < n; ++i) {
    Seth(i, bag.ReadInteger(IndexedKey(p, "h", i), 0));
    Setk(i, bag.ReadInteger(IndexedKey(p, "k", i), 0));
    Setl(i, bag.ReadInteger(IndexedKey(p, "l", i), 0));
    SetIntens(i, bag.ReadSingle(IndexedKey(p, "Intens", i), 0.0f));
    SetAgrees(i, bag.ReadBoolean(IndexedKey(p, "Agrees", i), false));
    SetIncluded(i, bag.ReadBoolean(IndexedKey(p, "Included", i), false));
  }
}

}  // namespace quorlin
