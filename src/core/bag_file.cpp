#include "core/bag_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/atomic_file.h"
#include "core/errors.h"

namespace quorlin {
namespace {

constexpr std::uint16_t kByteArray = 0x2011;
constexpr std::size_t kHeader = 12;

void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Get(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return v;
}

}  // namespace

std::vector<std::uint8_t> WrapContainer(std::span<const std::uint8_t> contents) {
  std::vector<std::uint8_t> out;
  out.reserve(kHeader + contents.size());
  Put(out, kByteArray, 2);
  Put(out, 1, 2);
  Put(out, static_cast<std::uint32_t>(contents.size()), 4);
  Put(out, 0, 4);
  out.insert(out.end(), contents.begin(), contents.end());
  return out;
}

std::vector<std::uint8_t> UnwrapContainer(std::span<const std::uint8_t> bytes, const std::string& fileName) {
  if (bytes.size() < kHeader)
    throw FormatError(fileName, 0, "too short for a project file (" + std::to_string(bytes.size()) + " bytes, the header alone is 12)");
  if (Get(bytes, 0, 2) != kByteArray || Get(bytes, 2, 2) != 1 || Get(bytes, 8, 4) != 0)
    throw FormatError(fileName, 0, "not a project file (the header is not a one-dimensional byte array)");
  std::uint32_t n = Get(bytes, 4, 4);
  if (n > bytes.size() - kHeader)
    throw FormatError(fileName, 0, "truncated: the header announces " + std::to_string(n) + " bytes, the file holds " +
                                       std::to_string(bytes.size() - kHeader));
  return {bytes.begin() + kHeader, bytes.begin() + kHeader + n};
}

void WritePropertyBagToFile(const std::string& fileName, const PropertyBag& bag) {
  namespace fs = std::filesystem;
  auto bytes = WrapContainer(bag.Contents());
  WriteFileAtomically(fileName,
                      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

PropertyBag ReadPropertyBagFromFile(const std::string& fileName) {
  namespace fs = std::filesystem;
  PropertyBag bag;
  if (fileName.empty()) return bag;
  fs::path path = fs::u8path(fileName);
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    if (fs::exists(path, ec)) throw FormatError(fileName, 0, "not a regular file");
    return bag;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FormatError(fileName, 0, std::string("cannot be opened: ") + std::strerror(errno));
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto contents = UnwrapContainer(bytes, fileName);
  try {
    bag.SetContents(contents);
  } catch (const FormatError&) {
    throw;
  } catch (const QuorlinError& e) {
    throw FormatError(fileName, 0, e.what());
  }
  return bag;
}

}  // namespace quorlin
