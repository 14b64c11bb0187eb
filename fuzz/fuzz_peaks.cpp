// The peak-list text and the indexing of what it gives: a refusal must be a
// QuorlinError; anything else (another exception, a crash, a sanitizer
// report) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/errors.h"
#include "indexing/indexing.h"
#include "indexing/peak_list_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<quorlin::ListedPeak> peaks;
  try {
    peaks = quorlin::ParsePeakList(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
  } catch (const quorlin::QuorlinError&) {
    return 0;
  }
  quorlin::IndexingInput input;
  for (const auto& p : peaks) input.positions.push_back(p.position);
  // Small searches: the fuzzer is after bad arithmetic on odd lines, not cells.
  quorlin::IndexingOptions options;
  options.maxLines = 8;
  options.top = 2;
  options.threads = 1;
  for (auto axis : {quorlin::IndexingInput::Axis::Spacing, quorlin::IndexingInput::Axis::TwoTheta}) {
    input.axis = axis;
    try {
      const auto solutions = quorlin::IndexPeaks(input, options);
      for (const auto& s : solutions)
        if (!(s.volume > 0) || s.indexed > s.used) std::abort();
    } catch (const quorlin::QuorlinError&) {
    }
  }
  return 0;
}
