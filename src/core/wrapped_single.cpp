#include "core/wrapped_single.h"

#include "core/numtext.h"

namespace quorlin {

bool CWrappedSingle::IsPossible(std::string_view s) const {
  if (s.size() >= 20) return false;
  auto v = StrictDouble(s);
  return v && *v >= -1e38 && *v <= 1e38;
}

bool CWrappedSingle::IsAcceptable(std::string_view s) const {
  if (s.size() >= 20) return false;
  auto v = StrictDouble(s);
  return v && *v >= static_cast<double>(min_) && *v <= static_cast<double>(max_);
}

std::string CWrappedSingle::Value() const { return SingleText(value_); }
std::string CWrappedSingle::Min() const { return SingleText(min_); }
std::string CWrappedSingle::Max() const { return SingleText(max_); }

void CWrappedSingle::SetValue(std::string_view s) {
  if (IsAcceptable(s)) value_ = static_cast<float>(*StrictDouble(s));
}

void CWrappedSingle::SetMin(std::string_view s) {
  if (!IsPossible(s)) return;
  float v = static_cast<float>(*StrictDouble(s));
  if (v > max_) return;
  min_ = v;
  if (value_ < min_) value_ = min_;
}

void CWrappedSingle::SetMax(std::string_view s) {
  if (!IsPossible(s)) return;
  float v = static_cast<float>(*StrictDouble(s));
  if (v < min_) return;
  max_ = v;
  if (value_ > max_) value_ = max_;
}

}  // namespace quorlin
