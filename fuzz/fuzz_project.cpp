// Fuzzes the project format end to end: container, bag payload, and the full
// state read of the main window's model. A refusal must be a QuorlinError;
// an accepted state must write back and read again to the same bag.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

#include "core/errors.h"
#include "mainwindow/main_model.h"
#include "core/bag_file.h"

namespace {

class SilentPlatform : public quorlin::IPlatform {
 public:
  void ShowMessage(const std::string&) override {}
  quorlin::MessageAnswer AskYesNoCancel(const std::string&) override { return quorlin::MessageAnswer::Cancel; }
  std::optional<std::string> OpenFileDialog(const quorlin::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileDialog(const quorlin::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t>, quorlin::CustomColors&) override {
    return std::nullopt;
  }
  // Never touch the file system: a fuzzed state may name any data file.
  bool FileExists(const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quorlin::PropertyBag bag;
  try {
    auto contents = quorlin::UnwrapContainer(std::span<const std::uint8_t>(data, size), "fuzz.prb");
    bag.SetContents(contents);
  } catch (const quorlin::QuorlinError&) {
    return 0;
  }
  SilentPlatform platform;
  quorlin::MainModel model(platform);
  model.ReadStateFromPb(bag);
  quorlin::PropertyBag first, second;
  model.WriteStateToPb(first);
  quorlin::MainModel again(platform);
  again.ReadStateFromPb(first);
  again.WriteStateToPb(second);
  if (!(first == second)) std::abort();  // a written state must read back to itself
  return 0;
}
