#include "mainwindow/about.h"

#include <filesystem>

namespace quorlin {

std::vector<LinkedLibrary> LinkedLibraries(std::string_view qtVersion) {
  // The toolkit is linked dynamically, so its LGPL lets the user replace it;
  // the C++ runtime's exception leaves the program's own terms alone.
  return {
      {"Qt (Core, Gui, Widgets, Svg)", std::string(qtVersion), "GNU LGPL version 3 (or GPL version 2 or 3)"},
      {"GNU C++ library (libstdc++)", "", "GNU GPL version 3 with the GCC Runtime Library Exception"},
      {"GNU C library", "", "GNU LGPL version 2.1 or later"},
  };
}

std::string AboutText(std::string_view version, const std::vector<LinkedLibrary>& libraries) {
  std::string text = "Quorlin " + std::string(version) +
                     "\n\nA workbench for powder diffraction and crystallography: "
                     "fit a unit cell to a measured pattern by dragging its reflections.\n\n"
                     "It links:\n";
  for (const auto& l : libraries) {
    text += "  " + l.name;
    if (!l.version.empty()) text += " " + l.version;
    text += ": " + l.licence + "\n";
  }
  return text;
}

std::string UserGuidePath(std::string_view programDir, std::string_view sourceDocs) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> candidates;
  if (!programDir.empty())
    candidates.push_back(fs::path(programDir).parent_path() / "share" / "doc" / "quorlin" / "guide.md");
  if (!sourceDocs.empty()) candidates.push_back(fs::path(sourceDocs) / "guide.md");
  for (const auto& p : candidates)
    if (fs::is_regular_file(p, ec)) return p.lexically_normal().generic_string();
  return {};
}

}  // namespace quorlin
