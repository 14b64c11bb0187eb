#include "mainwindow/data_import.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/messages.h"
#include "data/formats.h"
#include "data/jcpds.h"
#include "reflections/catalogue.h"

namespace quorlin {

namespace {

}  // namespace

std::optional<ReadNotes> ReadModelDataFile(const std::string& path, const std::string& type, CData& data,
                                           CPattern& pattern, CUnitCell& cell, clsPeakList& peaks,
                                           std::int16_t& crystalSystem, IPlatform* platform) {
  if (type == "jcpds") {
    std::istringstream in(ReadWholeFile(path));
    JcpdsCard card = ReadJcpdsCard(in, path);
    // The main window's crystal-system setter, on the scratch objects.
    auto setSystem = [&](std::int16_t system) {
      pattern.SetExtinctionNumber(-1, &cell);
      crystalSystem = system;
      pattern.CrystalSystem = system;
      cell.SetBasis(1, DerivedBasis(system, pattern.ExtinctionNumber()));
    };
    ApplyJcpdsCard(card, path, cell, setSystem, peaks);
    pattern.Card = CardPhaseOf(card);
    return card.notes;
  }
  if (FindDataFormat(type) == nullptr) return std::nullopt;
  (void)platform;
  // The readers' carry-on messages join the notes, so that one import shows
  // at most one box, which names the file; a refused file shows only why.
  RecordingMessages messages;
  ReadNotes notes = ReadDataFile(path, type, data, &messages);
  notes.insert(notes.begin(), messages.shown.begin(), messages.shown.end());
  return notes;
}

void WriteTextFile(const std::string& path, const std::string& text) { WriteFileAtomically(path, text); }

}  // namespace quorlin
