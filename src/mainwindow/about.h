// What Help shows: the About text with the version and the licences of the
// libraries the program links, and where the user guide is found.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlin {

struct LinkedLibrary {
  std::string name;
  std::string version;  // empty when it is not known at run time
  std::string licence;
};

// The libraries the desktop program links, the toolkit at `qtVersion`.
std::vector<LinkedLibrary> LinkedLibraries(std::string_view qtVersion);

// "Quorlin <version>", a line on what it does, then one line per library:
// "name version: licence".
std::string AboutText(std::string_view version, const std::vector<LinkedLibrary>& libraries);

// The user guide (guide.md) of a program started from `programDir`: the
// installed one (programDir/../share/doc/quorlin), else the one of the source
// tree `sourceDocs` names (a build that is not installed). Empty when neither
// exists.
std::string UserGuidePath(std::string_view programDir, std::string_view sourceDocs);

}  // namespace quorlin
