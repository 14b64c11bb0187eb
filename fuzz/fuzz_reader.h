// The body shared by the pattern-reader fuzz targets: a refusal must be a
// FormatError that leaves the data set alone; anything else (another
// exception, a crash, a sanitizer report) is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/errors.h"
#include "core/messages.h"
#include "data/readers.h"

namespace quorlin::fuzz {

inline int ReadPattern(ReadNotes (*reader)(std::istream&, const std::string&, CData&, IMessages*),
                       const std::uint8_t* bytes, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(bytes), size));
  CData data;
  data.SetPattern({1.0f}, {2.0});
  RecordingMessages messages;
  try {
    reader(in, "fuzz", data, &messages);
  } catch (const FormatError&) {
    if (data.NChan() != 1 || data.Intensity(0) != 2.0) std::abort();  // a refusal changed the data
    return 0;
  }
  if (data.NChan() < 1 || data.XValues().size() != data.Intensities().size()) std::abort();
  double lo = 0, hi = 0;
  data.MinMaxIntensity(lo, hi);
  std::ostringstream out;
  WriteXY(out, data);
  return 0;
}

}  // namespace quorlin::fuzz
