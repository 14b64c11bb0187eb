// A bounded Single whose setters take text and silently refuse what is not a
// number, too long, or out of bounds.
#pragma once

#include <string>
#include <string_view>

namespace quorlin {

class CWrappedSingle {
 public:
  bool IsPossible(std::string_view s) const;
  bool IsAcceptable(std::string_view s) const;

  std::string Value() const;
  void SetValue(std::string_view s);
  float SngValue() const { return value_; }

  std::string Min() const;
  void SetMin(std::string_view s);
  float SngMin() const { return min_; }

  std::string Max() const;
  void SetMax(std::string_view s);
  float SngMax() const { return max_; }

 private:
  float value_ = 0.0f;
  float min_ = -1e38f;
  float max_ = 1e38f;
};

}  // namespace quorlin
