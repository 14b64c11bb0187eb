// Fuzzes opening a project from disk: the file read, its container and bag,
// the check that it is a project (its ProjectDirectory key), the re-import of
// the data file it names, and the plot drawn from the result.
//
// Input: a flags byte, a byte choosing the data file's extension, two bytes
// (little-endian) giving the length of the project part, the project part,
// and the data file's content. When the project part is a valid container,
// flags may give it a ProjectDirectory key and point its data file at the
// fuzzed data file, so that the re-import is reached.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/bag_file.h"
#include "core/errors.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace quorlin;
  if (size < 4) return 0;
  const std::uint8_t flags = bytes[0];
  const std::string ext = fuzz::ExtensionFor(bytes[1]);
  std::size_t projectSize = static_cast<std::size_t>(bytes[2]) | (static_cast<std::size_t>(bytes[3]) << 8);
  if (projectSize > size - 4) projectSize = size - 4;
  const std::span<const std::uint8_t> project(bytes + 4, projectSize);
  const std::string_view dataBytes(reinterpret_cast<const char*>(bytes) + 4 + projectSize, size - 4 - projectSize);

  const std::string dataPath = fuzz::WriteScratchFile("named data." + ext, dataBytes);
  std::string projectBytes(project.begin(), project.end());
  try {
    PropertyBag bag;
    bag.SetContents(UnwrapContainer(project, "fuzz.prb"));
    if (flags & 1) bag.WriteProperty("ProjectDirectory", fuzz::ScratchFolder(), std::string());
    if (flags & 2) {
      bag.WriteProperty("PatternDataFile", dataPath, std::string("default.gsa"));
      bag.WriteProperty("PatternDataFileType", std::string(flags & 4 ? "jcpds" : ext.substr(0, 3)), std::string("gsa"));
    }
    if (flags & 8) {
      bag.WriteProperty("MeasuredDataFile", dataPath, std::string());
      bag.WriteProperty("MeasuredDataFileType", ext.substr(0, 3), std::string());
    }
    const auto wrapped = WrapContainer(bag.Contents());
    projectBytes.assign(wrapped.begin(), wrapped.end());
  } catch (const QuorlinError&) {
    // Not a container: the file is written as it came, to be refused.
  }
  const std::string projectPath = fuzz::WriteScratchFile("project é.prb", projectBytes);

  fuzz::ScratchPlatform platform;
  MainModel model(platform);
  model.ReadState(projectPath);
  fuzz::DrawModel(model);
  return 0;
}
