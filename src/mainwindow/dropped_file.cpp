#include "mainwindow/dropped_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "data/formats.h"
#include "core/errors.h"
#include "mainwindow/main_model.h"
#include "phases/unit_cell_library.h"

namespace quorlin {

namespace {

std::string LowerExtension(const std::string& path) {
  std::string name = FileNameOf(path);
  auto dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

std::string Head(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(kHeadSize, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
  return head;
}

}  // namespace

std::string DroppedFileType(const std::string& path, std::string_view head) {
  const std::string ext = LowerExtension(path);
  // A project is a byte-array container: value type 0x2011, low byte first.
  const bool container = head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0x11 &&
                         static_cast<unsigned char>(head[1]) == 0x20;
  // A library shares the project's container, so only its name tells it.
  if (ext == "ucl") return "library";
  if (ext == "prb" || container) return "project";
  if (ext == "jcpds") return "jcpds";
  if (ext == "cif") return "cif";
  if (const DataFormat* f = GuessDataFormat(path, head)) return f->name;
  return "xy";
}

bool OpenDroppedFile(MainModel& m, const std::string& path) {
  if (m.ButtonDown()) return false;  // not in the middle of a plot gesture
  if (!m.Platform().FileExists(path)) {
    m.Platform().ShowMessage(path + ": the file does not exist");
    return false;
  }
  const std::string type = DroppedFileType(path, Head(path));
  if (type == "cif") return m.ImportCifFile(path);
  if (type == "project") {
    bool ok = false;
    m.Edit([&] { ok = m.ProjectOpenFile(path); });
    return ok;
  }
  if (type == "library") {
    try {
      (void)UnitCellLibrary::ReadFile(path);
    } catch (const QuorlinError& e) {
      m.Platform().ShowMessage(e.what());
      return false;
    }
    m.Edit([&] { m.UnitCellFileName = path; }, ModelChange::Controls);
    return true;
  }
  return m.ImportDataFile(type, path);
}

}  // namespace quorlin
