#include "core/property_bag.h"

#include <cmath>
#include <cstring>

#include "core/errors.h"
#include "core/numtext.h"

namespace quorlin {
namespace {

constexpr char kMagic[4] = {'Q', 'B', 'A', 'G'};
constexpr std::uint16_t kVersion = 1;

enum Tag : std::uint8_t { kInteger = 1, kLong = 2, kSingle = 3, kDouble = 4, kBoolean = 5, kString = 6 };

std::optional<double> AsNumber(const BagValue& v) {
  switch (v.index()) {
    case 0: return std::get<std::int16_t>(v);
    case 1: return std::get<std::int32_t>(v);
    case 2: return std::get<float>(v);
    case 3: return std::get<double>(v);
    case 4: return std::get<bool>(v) ? -1.0 : 0.0;
    default: return StrictDouble(std::get<std::string>(v));
  }
}

std::string AsText(const BagValue& v) {
  switch (v.index()) {
    case 0: return std::to_string(std::get<std::int16_t>(v));
    case 1: return std::to_string(std::get<std::int32_t>(v));
    case 2: return SingleText(std::get<float>(v));
    case 3: return DoubleText(std::get<double>(v));
    case 4: return std::get<bool>(v) ? "True" : "False";
    default: return std::get<std::string>(v);
  }
}

class Writer {
 public:
  void U8(std::uint8_t v) { out.push_back(v); }
  void U16(std::uint16_t v) { for (int i = 0; i < 2; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i))); }
  void U32(std::uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i))); }
  void U64(std::uint64_t v) { for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i))); }
  void Bytes(std::string_view s) { out.insert(out.end(), s.begin(), s.end()); }
  std::vector<std::uint8_t> out;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> b) : bytes(b) {}
  void Need(std::size_t n, const char* what) {
    if (bytes.size() - pos < n)
      throw QuorlinError(std::string("property bag is truncated in ") + what + " at byte " + std::to_string(pos));
  }
  std::uint64_t Uint(std::size_t n, const char* what) {
    Need(n, what);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(bytes[pos + i]) << (8 * i);
    pos += n;
    return v;
  }
  std::string Text(std::size_t n, const char* what) {
    Need(n, what);
    std::string s(reinterpret_cast<const char*>(bytes.data() + pos), n);
    pos += n;
    return s;
  }
  std::span<const std::uint8_t> bytes;
  std::size_t pos = 0;
};

}  // namespace

bool BagValuesEqual(const BagValue& a, const BagValue& b) {
  bool aText = std::holds_alternative<std::string>(a), bText = std::holds_alternative<std::string>(b);
  if (aText && bText) return std::get<std::string>(a) == std::get<std::string>(b);
  auto x = AsNumber(a), y = AsNumber(b);
  if (!x || !y) return false;
  return *x == *y;
}

void PropertyBag::WriteProperty(std::string_view name, const BagValue& value, const BagValue& defaultValue) {
  std::string key = AsciiLower(name);
  auto it = index_.find(key);
  if (BagValuesEqual(value, defaultValue)) {
    if (it != index_.end()) {
      std::size_t at = it->second;
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
      index_.erase(it);
      for (auto& [k, i] : index_)
        if (i > at) --i;
    }
    return;
  }
  if (it != index_.end()) {
    entries_[it->second].value = value;
    return;
  }
  index_.emplace(std::move(key), entries_.size());
  entries_.push_back({std::string(name), value});
}

const BagValue* PropertyBag::Find(std::string_view name) const {
  auto it = index_.find(AsciiLower(name));
  return it == index_.end() ? nullptr : &entries_[it->second].value;
}

bool PropertyBag::Contains(std::string_view name) const { return Find(name) != nullptr; }

void PropertyBag::Clear() {
  entries_.clear();
  index_.clear();
}

BagValue PropertyBag::ReadProperty(std::string_view name, const BagValue& defaultValue) const {
  const BagValue* v = Find(name);
  return v ? *v : defaultValue;
}

std::int16_t PropertyBag::ReadInteger(std::string_view name, std::int16_t defaultValue) const {
  const BagValue* v = Find(name);
  if (!v) return defaultValue;
  auto n = AsNumber(*v);
  auto r = n ? ToInteger(*n) : std::nullopt;
  return r ? *r : defaultValue;
}

std::int32_t PropertyBag::ReadLong(std::string_view name, std::int32_t defaultValue) const {
  const BagValue* v = Find(name);
  if (!v) return defaultValue;
  auto n = AsNumber(*v);
  auto r = n ? ToLong(*n) : std::nullopt;
  return r ? *r : defaultValue;
}

float PropertyBag::ReadSingle(std::string_view name, float defaultValue) const {
  const BagValue* v = Find(name);
  if (!v) return defaultValue;
  auto n = AsNumber(*v);
  if (!n) return defaultValue;
  float f = static_cast<float>(*n);
  return std::isfinite(f) ? f : defaultValue;
}

double PropertyBag::ReadDouble(std::string_view name, double defaultValue) const {
  const BagValue* v = Find(name);
  if (!v) return defaultValue;
  auto n = AsNumber(*v);
  return n ? *n : defaultValue;
}

bool PropertyBag::ReadBoolean(std::string_view name, bool defaultValue) const {
  const BagValue* v = Find(name);
  if (!v) return defaultValue;
  if (auto* b = std::get_if<bool>(v)) return *b;
  if (auto* s = std::get_if<std::string>(v)) {
    if (EqualsNoCase(*s, "true")) return true;
    if (EqualsNoCase(*s, "false")) return false;
  }
  auto n = AsNumber(*v);
  return n ? *n != 0.0 : defaultValue;
}

std::string PropertyBag::ReadString(std::string_view name, std::string_view defaultValue) const {
  const BagValue* v = Find(name);
  return v ? AsText(*v) : std::string(defaultValue);
}

std::vector<std::uint8_t> PropertyBag::Contents() const {
  Writer w;
  w.Bytes(std::string_view(kMagic, 4));
  w.U16(kVersion);
  w.U32(static_cast<std::uint32_t>(entries_.size()));
  for (const auto& e : entries_) {
    w.U16(static_cast<std::uint16_t>(e.name.size()));
    w.Bytes(e.name);
    std::visit(
        [&](const auto& x) {
          using T = std::decay_t<decltype(x)>;
          if constexpr (std::is_same_v<T, std::int16_t>) { w.U8(kInteger); w.U16(static_cast<std::uint16_t>(x)); }
          else if constexpr (std::is_same_v<T, std::int32_t>) { w.U8(kLong); w.U32(static_cast<std::uint32_t>(x)); }
          else if constexpr (std::is_same_v<T, float>) { std::uint32_t u; std::memcpy(&u, &x, 4); w.U8(kSingle); w.U32(u); }
          else if constexpr (std::is_same_v<T, double>) { std::uint64_t u; std::memcpy(&u, &x, 8); w.U8(kDouble); w.U64(u); }
          else if constexpr (std::is_same_v<T, bool>) { w.U8(kBoolean); w.U8(x ? 1 : 0); }
          else { w.U8(kString); w.U32(static_cast<std::uint32_t>(x.size())); w.Bytes(x); }
        },
        e.value);
  }
  return std::move(w.out);
}

void PropertyBag::SetContents(std::span<const std::uint8_t> bytes) {
  Reader r(bytes);
  if (r.Text(4, "the signature") != std::string_view(kMagic, 4))
    throw QuorlinError("not a Quorlin property bag (wrong signature)");
  auto version = r.Uint(2, "the version");
  if (version != kVersion)
    throw QuorlinError("property bag version " + std::to_string(version) + " is not supported (this program reads version 1)");
  auto count = r.Uint(4, "the entry count");
  // Every entry takes at least 4 bytes, so a larger count cannot be honest.
  if (count > (bytes.size() - r.pos) / 4)
    throw QuorlinError("property bag claims " + std::to_string(count) + " entries, more than its size allows");
  PropertyBag fresh;
  for (std::uint64_t i = 0; i < count; ++i) {
    auto nameLength = r.Uint(2, "a key");
    std::string name = r.Text(nameLength, "a key");
    BagValue value;
    auto tag = r.Uint(1, "a value type");
    switch (tag) {
      case kInteger: value = static_cast<std::int16_t>(r.Uint(2, "a value")); break;
      case kLong: value = static_cast<std::int32_t>(static_cast<std::uint32_t>(r.Uint(4, "a value"))); break;
      case kSingle: { auto u = static_cast<std::uint32_t>(r.Uint(4, "a value")); float f; std::memcpy(&f, &u, 4); value = f; break; }
      case kDouble: { auto u = r.Uint(8, "a value"); double d; std::memcpy(&d, &u, 8); value = d; break; }
      case kBoolean: {
        auto b = r.Uint(1, "a value");
        if (b > 1) throw QuorlinError("property bag: key \"" + name + "\" holds a Boolean of " + std::to_string(b));
        value = b == 1;
        break;
      }
      case kString: { auto n = r.Uint(4, "a string"); value = r.Text(n, "a string"); break; }
      default:
        throw QuorlinError("property bag: key \"" + name + "\" has unknown value type " + std::to_string(tag));
    }
    std::string key = AsciiLower(name);
    if (fresh.index_.count(key)) throw QuorlinError("property bag: key \"" + name + "\" appears twice");
    fresh.index_.emplace(std::move(key), fresh.entries_.size());
    fresh.entries_.push_back({std::move(name), std::move(value)});
  }
  if (r.pos != bytes.size())
    throw QuorlinError("property bag has " + std::to_string(bytes.size() - r.pos) + " unexpected bytes after its last entry");
  *this = std::move(fresh);
}

bool operator==(const PropertyBag& a, const PropertyBag& b) {
  if (a.entries_.size() != b.entries_.size()) return false;
  for (std::size_t i = 0; i < a.entries_.size(); ++i) {
    const auto& x = a.entries_[i];
    const auto& y = b.entries_[i];
    if (x.name != y.name || x.value.index() != y.value.index()) return false;
    // Compare bit patterns for floating values so NaN payloads round-trip too.
    if (auto* f = std::get_if<float>(&x.value)) {
      if (std::memcmp(f, &std::get<float>(y.value), 4) != 0) return false;
    } else if (auto* d = std::get_if<double>(&x.value)) {
      if (std::memcmp(d, &std::get<double>(y.value), 8) != 0) return false;
    } else if (x.value != y.value) {
      return false;
    }
  }
  return true;
}

std::string IndexedKey(std::string_view prefix, std::string_view name, int index) {
  std::string s(prefix);
  s += name;
  s += '(';
  s += std::to_string(index);
  s += ')';
  return s;
}

}  // namespace quorlin
