// Fuzzes what `quorlin-cli convert` does without --type and what an import
// does: a file on disk, its format sniffed from name and content, read by
// ReadDataFile, then imported into the model and drawn. The first byte
// chooses the file's extension; the rest is its content.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "core/errors.h"
#include "data/formats.h"
#include "data/readers.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace quorlin;
  if (size < 1) return 0;
  const std::string ext = fuzz::ExtensionFor(bytes[0]);
  const std::string path =
      fuzz::WriteScratchFile("input." + ext, std::string_view(reinterpret_cast<const char*>(bytes) + 1, size - 1));
  CData data;
  data.SetPattern({1.0f}, {2.0});
  std::string type;
  try {
    ReadDataFile(path, "", data);
    type = GuessDataFormat(path, ReadWholeFile(path).substr(0, kHeadSize))->name;
  } catch (const FormatError&) {
    if (data.NChan() != 1 || data.Intensity(0) != 2.0) std::abort();  // a refusal changed the data
    return 0;
  }
  fuzz::CheckAxis(data);
  std::ostringstream out;
  WriteXY(out, data);

  // The same file through the window's import, then the plot.
  fuzz::ScratchPlatform platform;
  MainModel model(platform);
  model.OpenDataFile(path, type);
  fuzz::DrawModel(model);
  return 0;
}
