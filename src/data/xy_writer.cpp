// The x-y writer and the calibration it writes energies by.
#include "data/readers.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>
#include <charconv>
#include <functional>
#include <ostream>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/reader_support.h"
#include "data/text_input.h"

namespace quorlin {

using namespace reading;

float EnergyFromCalibration(const CData& data, double channel) {
  double e = static_cast<double>(data.edsCAL_QUAD) * (channel * channel) +
             static_cast<double>(data.edsCAL_SLOPE) * channel + static_cast<double>(data.edsCAL_OFFSET);
  return static_cast<float>(e);
}

namespace {

// Whole intensities as integers, others as GeneralText; appended to out.
void AppendIntensity(std::string& out, double v) {
  char buf[64];
  if (v == std::floor(v) && std::fabs(v) < 1e18) {
    auto r = std::to_chars(buf, buf + sizeof buf, v == 0 ? 0.0 : v, std::chars_format::fixed, 0);
    out.append(buf, r.ptr);
  } else {
    out += GeneralText(v);
  }
}

void PadTo8(std::string& out, std::size_t from) {
  if (out.size() - from < 8) out.append(8 - (out.size() - from), ' ');
}

}  // namespace

void WriteXY(std::ostream& out, const CData& data, const std::function<float(float)>& energyFromChannel) {
  const bool angle = data.DataType == "Angle";
  if (!angle && data.DataType != "Energy") return;
  // Rows are put together in a buffer and written in large blocks.
  std::string buffer;
  buffer.reserve(1 << 17);
  for (std::int32_t i = 0; i < data.NChan(); ++i) {
    float x = data.TwoTheta(i);
    if (!angle) x = energyFromChannel ? energyFromChannel(x) : EnergyFromCalibration(data, x);
    std::size_t start = buffer.size();
    buffer += GeneralText(static_cast<double>(x));
    // An x text of 8 or more characters still gets one blank after it, or
    // it would run into the intensity and the line could not be read back.
    if (buffer.size() - start >= 8) buffer += ' ';
    PadTo8(buffer, start);
    start = buffer.size();
    AppendIntensity(buffer, data.Intensity(i));
    PadTo8(buffer, start);
    buffer += "\r\n";
    if (buffer.size() >= (1 << 17) - 128) {
      out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      buffer.clear();
    }
  }
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

}  // namespace quorlin
