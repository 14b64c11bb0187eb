// A bag of named, typed values: the whole working state of the program, a
// project file's payload and the undo record. Keys compare without regard to
// ASCII case; a value equal to its default is never stored, and a missing key
// reads as the reader's default.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace quorlin {

// Integer (16-bit), Long (32-bit), Single, Double, Boolean, String.
using BagValue = std::variant<std::int16_t, std::int32_t, float, double, bool, std::string>;

// Loose equality as the default-omission rule needs it: numbers compare by
// value whatever their type, a numeric string equals the same number.
bool BagValuesEqual(const BagValue& a, const BagValue& b);

class PropertyBag {
 public:
  struct Entry {
    std::string name;
    BagValue value;
  };

  // Stores value under name unless it equals defaultValue; then the name is
  // left out (and removed if an earlier write stored it).
  void WriteProperty(std::string_view name, const BagValue& value, const BagValue& defaultValue);

  // The stored value, or defaultValue when the name is absent.
  BagValue ReadProperty(std::string_view name, const BagValue& defaultValue) const;

  // Typed reads. A stored value of another type is converted the way the
  // original platform's variants convert (numbers round half to even into
  // integers, numeric text reads as its number, True is -1); a value that
  // cannot be converted reads as the default.
  std::int16_t ReadInteger(std::string_view name, std::int16_t defaultValue) const;
  std::int32_t ReadLong(std::string_view name, std::int32_t defaultValue) const;
  float ReadSingle(std::string_view name, float defaultValue) const;
  double ReadDouble(std::string_view name, double defaultValue) const;
  bool ReadBoolean(std::string_view name, bool defaultValue) const;
  std::string ReadString(std::string_view name, std::string_view defaultValue) const;

  bool Contains(std::string_view name) const;
  const std::vector<Entry>& Entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void Clear();

  // The serialised payload (format in docs/project-format.md).
  std::vector<std::uint8_t> Contents() const;
  // Replaces the whole bag by a payload. Throws QuorlinError on anything
  // malformed and then leaves the bag exactly as it was.
  void SetContents(std::span<const std::uint8_t> bytes);

  friend bool operator==(const PropertyBag& a, const PropertyBag& b);

 private:
  const BagValue* Find(std::string_view name) const;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // lower-case name -> entry
};

// Key helpers for indexed names such as "ExtCond(3)".
std::string IndexedKey(std::string_view prefix, std::string_view name, int index);

}  // namespace quorlin
