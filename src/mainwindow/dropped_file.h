// A file dropped on the main window opens as the File menu would open it: a
// project, a jcpds card, or a measured pattern in the format its content
// shows.
#pragma once

#include <string>
#include <string_view>

namespace quorlin {

class MainModel;

// "project", "library" (a unit-cell library, .ucl), "jcpds", "cif" or a pattern
// format name ("gsa", "cpi", "chi", "mca",
// "xy"). A file nothing recognises goes to "xy", the plain-text reader,
// which then says what is wrong with it.
std::string DroppedFileType(const std::string& path, std::string_view head);

// Opens the dropped file: one undo step, and on failure the reader's one
// message, the model unchanged. False when nothing was opened. A library that
// reads becomes the model's UnitCellFileName (the window then shows it).
bool OpenDroppedFile(MainModel& m, const std::string& path);

}  // namespace quorlin
