#include "data/formats.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/text_input.h"

namespace quorlin {
namespace {

bool CheckGSAS(std::string_view head) {
  TextLines lines{std::string(head)};
  std::string_view line;
  for (int i = 0; i < 64 && lines.Next(line); ++i) {
    if (line.substr(0, 4) != "BANK") continue;
    auto f = Fields(line);
    return f.size() >= 5 && IsNumeric(f[2]);
  }
  return false;
}

bool CheckCPI(std::string_view head) {
  TextLines lines{std::string(head)};
  std::string_view line;
  for (int i = 0; i < 10; ++i)
    if (!lines.Next(line)) return false;
  auto f = Fields(line);
  return f.size() == 1 && f[0] == "SCANDATA";
}

bool CheckMCA(std::string_view head) {
  TextLines lines{std::string(head)};
  std::string_view line;
  bool channels = false;
  for (int i = 0; i < 400 && lines.Next(line); ++i) {
    auto f = Fields(line);
    if (f.empty()) continue;
    if (f[0] == "CHANNELS:") channels = true;
    if (f[0] == "DATA:") return channels;
  }
  return false;
}

std::vector<std::string> CommaFields(std::string_view line) {
  std::string s(line);
  for (char& c : s)
    if (c == ',') c = ' ';
  return Fields(s);
}

bool CheckCHI(std::string_view head) {
  TextLines lines{std::string(head)};
  std::string_view line, next;
  for (int i = 0; i < 10 && lines.Next(line); ++i) {
    auto f = CommaFields(line);
    if (f.size() != 1 || !IsNumeric(f[0]) || !lines.Peek(next)) continue;
    auto row = CommaFields(next);
    if (row.size() >= 2 && IsNumeric(row[0]) && IsNumeric(row[1])) return true;
  }
  return false;
}

bool CheckXY(std::string_view head) {
  // The last line of a head may be cut short: leave it out.
  if (head.size() == kHeadSize) {
    auto cut = head.find_last_of("\r\n");
    if (cut != std::string_view::npos) head = head.substr(0, cut);
  }
  TextLines lines{std::string(head)};
  std::string_view line;
  int rows = 0;
  bool header = false;
  while (rows < 50 && lines.Next(line)) {
    auto f = Fields(line);
    if (f.empty() || f[0][0] == '#' || f[0][0] == '\'') continue;
    if (rows == 0 && !IsNumeric(f[0]) && !header) {  // one column header
      header = true;
      continue;
    }
    if (f.size() < 2 || !IsNumeric(f[0]) || !IsNumeric(f[1])) return false;
    ++rows;
  }
  return rows > 0;
}

std::string Extension(const std::string& fileName) {
  std::string ext = std::filesystem::path(fileName).extension().string();
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  return AsciiLower(ext);
}

}  // namespace

const std::vector<DataFormat>& DataFormats() {
  static const std::vector<DataFormat> formats = {
      {"gsa", "GSAS", {"gsa", "gsas", "gss", "gda", "fxye", "fxy", "xra", "cwn"}, "GSAS Data Files (*.gsa)", "*.gsa",
       CheckGSAS, OpenGSAS},
      {"cpi", "Sietronics CPI", {"cpi"}, "Sietronics CPI Files (*.cpi)", "*.cpi", CheckCPI, OpenCDI},
      {"mca", "MCA spectrum", {"mca", "med", "xrf"}, "", "", CheckMCA, OpenOstrelMCA},
      {"chi", "CHI", {"chi"}, "CHI Files (*.chi)", "*.chi", CheckCHI, OpenCHI},
      {"xy", "x-y text", {"xy", "xye", "dat"}, "xy Files (*.xy *.xye *.dat)", "*.xy;*.xye;*.dat", CheckXY, OpenXY},
  };
  return formats;
}

const DataFormat* FindDataFormat(std::string_view name) {
  for (const auto& f : DataFormats())
    if (f.name == name) return &f;
  return nullptr;
}

const DataFormat* GuessDataFormat(const std::string& fileName, std::string_view head) {
  const std::string ext = Extension(fileName);
  const DataFormat* byExtension = nullptr;
  for (const auto& f : DataFormats()) {
    bool matches = false;
    for (const auto& e : f.extensions) matches = matches || e == ext;
    if (!matches) continue;
    if (f.check(head)) return &f;
    if (!byExtension) byExtension = &f;
  }
  // ".dat" is written by every kind of program: it binds to nothing.
  if (ext == "dat") byExtension = nullptr;
  if (byExtension) return byExtension;
  for (const auto& f : DataFormats())
    if (f.check(head)) return &f;
  return nullptr;
}

std::string ReadWholeFile(const std::string& path, std::size_t maxSize) {
  std::error_code ec;
  if (std::filesystem::is_directory(std::filesystem::path(path), ec))
    throw FormatError(path, 0, "is a folder, not a file");
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) throw FormatError(path, 0, std::string("cannot be opened: ") + std::strerror(errno));
  // Read in pieces up to a bound, so that a device or pipe without end
  // (/dev/zero) is refused instead of filling the memory.
  std::string text;
  const auto size = std::filesystem::is_regular_file(std::filesystem::path(path), ec)
                        ? std::filesystem::file_size(std::filesystem::path(path), ec)
                        : 0;
  if (!ec && size <= maxSize) text.reserve(static_cast<std::size_t>(size));
  char piece[1 << 16];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    if (text.size() + static_cast<std::size_t>(in.gcount()) > maxSize)
      throw FormatError(path, 0, "is larger than " + std::to_string(maxSize) + " bytes; not a data file");
    text.append(piece, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) throw FormatError(path, 0, "cannot be read");
  return text;
}

ReadNotes ReadDataFile(const std::string& path, std::string_view format, CData& data, IMessages* messages) {
  const DataFormat* f = nullptr;
  if (!format.empty()) {
    f = FindDataFormat(format);
    if (!f) throw FormatError(path, 0, "unknown format \"" + std::string(format) + "\"");
  }
  std::string text = ReadWholeFile(path);
  const bool guessed = !f;
  const std::string_view head = std::string_view(text).substr(0, kHeadSize);
  if (!f) {
    f = GuessDataFormat(path, head);
    if (!f) throw FormatError(path, 0, "not a pattern file of any known format (GSAS, CPI, MCA, CHI, xy)");
  }
  std::istringstream in(text);
  try {
    return f->read(in, path, data, messages);
  } catch (const FormatError& e) {
    // The extension chose a reader the content does not fit: say what the
    // content looks like instead, so the user can pick that format.
    if (guessed && !f->check(head)) {
      for (const auto& other : DataFormats())
        if (&other != f && other.check(head))
          throw FormatError(e.file(), e.line(),
                            e.problem() + " (the content looks like " + other.description + " data, format \"" +
                                other.name + "\")");
    }
    throw;
  }
}

}  // namespace quorlin
