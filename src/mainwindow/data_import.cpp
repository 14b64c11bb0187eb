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

// Shows the readers' carry-on messages through the platform's OK box.
class PlatformMessages : public IMessages {
 public:
  explicit PlatformMessages(IPlatform* p) : platform_(p) {}
  void Show(const std::string& text) override {
    if (platform_ != nullptr) platform_->ShowMessage(text);
  }

 private:
  IPlatform* platform_;
};

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
    return card.notes;
  }
  if (FindDataFormat(type) == nullptr) return std::nullopt;
  PlatformMessages messages(platform);
  return ReadDataFile(path, type, data, &messages);
}

void WriteTextFile(const std::string& path, const std::string& text) { WriteFileAtomically(path, text); }

}  // namespace quorlin
