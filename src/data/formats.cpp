#include "data/formats.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

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
      {"gsa", "GSAS", {"gsa", "gsas", "gss", "gda", "fxye", "fxy", "xra", "cwn", "raw"}, kGsasDialogFilter,
       kGsasDialogPattern, CheckGSAS, OpenGSAS},
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

namespace {

// The names under which a shell hands a program a pipe it means to be read:
// standard input and process substitution ("<(...)" gives /dev/fd/N).
bool IsStreamName(const std::string& path) {
  return path == "/dev/stdin" || path.rfind("/dev/fd/", 0) == 0 ||
         path.rfind("/proc/self/fd/", 0) == 0;
}

// Closes a descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::string ReadWholeFile(const std::string& path, std::size_t maxSize) {
  // Opened without blocking: a named pipe nobody writes to would otherwise
  // hang the open, and a pipe is refused below unless it is standard input
  // or a process substitution.
  Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) {
    const int error = errno;
    throw FormatError(path, 0, std::string("cannot be opened: ") + std::strerror(error));
  }
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) {
    const int error = errno;
    throw FormatError(path, 0, std::string("cannot be read: ") + std::strerror(error));
  }
  if (S_ISDIR(st.st_mode)) throw FormatError(path, 0, "is a folder, not a file");
  const bool stream = S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode);
  if (!S_ISREG(st.st_mode) && !(stream && IsStreamName(path)))
    throw FormatError(path, 0, "is not a regular file (a pipe, device or socket); not a data file");
  // Reads block again from here on: standard input may be slow to arrive.
  const int flags = ::fcntl(file.fd, F_GETFL);
  if (flags >= 0) ::fcntl(file.fd, F_SETFL, flags & ~O_NONBLOCK);

  // Read in pieces up to a bound, so that a stream without end is refused
  // instead of filling the memory.
  std::string text;
  if (S_ISREG(st.st_mode)) {
    if (static_cast<std::uintmax_t>(st.st_size) > maxSize)
      throw FormatError(path, 0, "is larger than " + std::to_string(maxSize) + " bytes; not a data file");
    text.reserve(static_cast<std::size_t>(st.st_size));
  }
  std::vector<char> piece(1 << 16);
  for (;;) {
    const ssize_t n = ::read(file.fd, piece.data(), piece.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      throw FormatError(path, 0, std::string("cannot be read: ") + std::strerror(error));
    }
    if (n == 0) break;
    if (text.size() + static_cast<std::size_t>(n) > maxSize)
      throw FormatError(path, 0, "is larger than " + std::to_string(maxSize) + " bytes; not a data file");
    text.append(piece.data(), static_cast<std::size_t>(n));
  }
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
