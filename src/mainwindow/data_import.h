// The main window's side of importing and exporting measured data: one entry
// that runs the reader for a file type on scratch copies of the model, and an
// all-or-nothing text file write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/unitcell.h"
#include "data/data.h"
#include "data/readers.h"
#include "energy/peak_list.h"
#include "mainwindow/platform.h"
#include "reflections/pattern.h"

namespace quorlin {

// Reads `path` as `type` ("gsa", "cpi", "chi", "mca", "xy" or "jcpds") into
// the given objects. A jcpds card sets the crystal system (with hand-made
// conditions), the cell and the peak list; the other types fill `data`.
// The messages the readers give while carrying on and the notes worth
// telling the user are returned together (`platform` is not used). Returns nothing for an unknown type
// (nothing read); throws QuorlinError ("file:line: problem") when the file is
// refused, and then the objects may be partly changed: callers pass copies.
std::optional<ReadNotes> ReadModelDataFile(const std::string& path, const std::string& type, CData& data,
                                           CPattern& pattern, CUnitCell& cell, clsPeakList& peaks,
                                           std::int16_t& crystalSystem, IPlatform* platform);

// Writes text to path through a temporary file and a rename, so a failure
// never destroys the previous file. Throws QuorlinError naming the file.
void WriteTextFile(const std::string& path, const std::string& text);

}  // namespace quorlin
