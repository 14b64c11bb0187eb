// The persistence interface every stateful class implements: it writes its
// keys, each preceded by the caller's prefix, into a bag and reads them back.
#pragma once

#include <string_view>

#include "core/property_bag.h"

namespace quorlin {

class IObjectState {
 public:
  virtual ~IObjectState() = default;
  virtual void ReadObjectState(std::string_view prefix, const PropertyBag& bag) = 0;
  virtual void WriteObjectState(std::string_view prefix, PropertyBag& bag) const = 0;
};

}  // namespace quorlin
