// The 12-byte container a project file (.prb) keeps around a bag's payload:
// value type 0x2011 (array of bytes), one dimension, element count, lower
// bound 0, then the bytes. Bytes after the value are ignored.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/property_bag.h"

namespace quorlin {

std::vector<std::uint8_t> WrapContainer(std::span<const std::uint8_t> contents);
// Throws FormatError naming `fileName` when the container is not valid.
std::vector<std::uint8_t> UnwrapContainer(std::span<const std::uint8_t> bytes, const std::string& fileName);

// Writes through WriteFileAtomically: a failed write never destroys the
// previous file. Throws QuorlinError on failure.
void WritePropertyBagToFile(const std::string& fileName, const PropertyBag& bag);

// An empty name or a missing file gives an empty bag. A file that exists but
// cannot be read, or holds no valid container and payload, throws
// FormatError; nothing else is touched.
PropertyBag ReadPropertyBagFromFile(const std::string& fileName);

}  // namespace quorlin
