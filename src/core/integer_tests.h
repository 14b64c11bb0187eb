#pragma once

#include <cstdint>

#include "core/numtext.h"

namespace quorlin {

class CIntegerTests {
 public:
  // Lowest bit set: -3 is odd, 0 is even.
  static bool IsOdd(std::int32_t n) { return quorlin::IsOdd(n); }
};

}  // namespace quorlin
