// The main window's side of importing and exporting measured data: one entry
// that runs the reader for a file type on scratch copies of the model, the
// two passes over a jcpds card, and an all-or-nothing text file write.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "core/unitcell.h"
#include "data/data.h"
#include "energy/peak_list.h"
#include "mainwindow/platform.h"
#include "reflections/pattern.h"

namespace quorlin {

// Reads `path` as `type` ("gsa", "cpi", "chi", "mca", "xy" or "jcpds") into
// the given objects. A jcpds card sets the crystal system (cubic or
// hexagonal, with hand-made conditions), the cell edges and the peak list; the
// other types fill `data`. Messages the readers show while carrying on go to
// `platform`. Returns false for an unknown type (nothing read); throws
// QuorlinError ("file:line: problem") when the file is refused, and then the
// objects may be partly changed: callers pass copies.
bool ReadDataFile(const std::string& path, const std::string& type, CData& data, CPattern& pattern, CUnitCell& cell,
                  clsPeakList& peaks, std::int16_t& crystalSystem, IPlatform* platform);

// The two passes over a jcpds card, on text already read. Pass one sets the
// symmetry and the cell edges and counts the "DIHKL:" lines; pass two fills
// the peak list with intensities and indices, marking each peak that agrees
// with the cell (observed minus calculated d at most 0.1 A).
void ReadJcpdsCard(std::istream& in, const std::string& fileName, CPattern& pattern, CUnitCell& cell,
                   clsPeakList& peaks, std::int16_t& crystalSystem);

// Writes text to path through a temporary file and a rename, so a failure
// never destroys the previous file. Throws QuorlinError naming the file.
void WriteTextFile(const std::string& path, const std::string& text);

}  // namespace quorlin
