#include "mainwindow/platform.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quorlin {

namespace fs = std::filesystem;

bool IPlatform::FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(fs::path(path), ec);
}

std::string CustomColorsToText(const CustomColors& colors) {
  std::string text;
  text.reserve(64);
  for (std::uint32_t c : colors)
    for (int b = 0; b < 4; ++b) text.push_back(static_cast<char>((c >> (8 * b)) & 0xFFu));
  return text;
}

CustomColors CustomColorsFromText(std::string_view text) {
  CustomColors colors{};
  if (text.size() != 64) return colors;
  for (std::size_t i = 0; i < 16; ++i) {
    std::uint32_t c = 0;
    for (int b = 0; b < 4; ++b)
      c |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[4 * i + b])) << (8 * b);
    colors[i] = c;
  }
  return colors;
}

namespace {

std::string Trimmed(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool IsWritableFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec) && ::access(p.c_str(), W_OK) == 0;
}

}  // namespace

std::string ProgramFolder() {
  if (const char* home = std::getenv("QUORLIN_HOME"); home != nullptr && *home != '\0')
    return Trimmed(home);
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && IsWritableFolder(exe.parent_path())) return Trimmed(exe.parent_path().generic_string());
  fs::path data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0')
    data = fs::path(xdg) / "Quorlin";
  else if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0')
    data = fs::path(h) / ".local" / "share" / "Quorlin";
  else
    data = fs::temp_directory_path(ec) / "Quorlin";
  fs::create_directories(data, ec);
  return Trimmed(data.generic_string());
}

std::string FolderOf(std::string_view path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return std::string();
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string FileNameOf(std::string_view path) {
  auto slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DialogPath(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace quorlin
