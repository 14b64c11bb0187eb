#include "options.h"

#include "core/errors.h"
#include "core/numtext.h"
#include "data/data.h"
#include "fitting/pattern_refinement.h"
#include "reflections/catalogue.h"

namespace quorlin::cli {

const std::string& ArgReader::Take() {
  option_ = next_;
  return args_[next_++];
}

std::span<const std::string> ArgReader::Values(std::size_t count, std::string_view missing) {
  if (next_ + count > args_.size()) {
    if (!missing.empty()) throw QuorlinError(std::string(missing));
    throw QuorlinError(args_[option_] + " needs " + std::to_string(count) + " values");
  }
  std::span<const std::string> values(args_.data() + next_, count);
  next_ += count;
  return values;
}

const std::string& ArgReader::Value() {
  if (Done()) throw QuorlinError(args_[option_] + " needs a value");
  return args_[next_++];
}

double NumberArg(const std::string& text, std::string_view what) {
  auto v = StrictDouble(text);
  if (!v && IsNumeric(text)) throw QuorlinError(std::string(what) + ": \"" + text + "\" is out of range");
  if (!v) throw QuorlinError(std::string(what) + ": \"" + text + "\" is not a number");
  return *v;
}

int IntegerArg(const std::string& text, std::string_view what) {
  auto v = StrictDouble(text);
  if (!v || *v != RoundHalfEven(*v) || *v < -32768 || *v > 32767)
    throw QuorlinError(std::string(what) + ": \"" + text + "\" is not an integer");
  return static_cast<int>(*v);
}

float SingleArg(const std::string& text, std::string_view what) {
  auto v = StrictSingle(text);
  if (!v) throw QuorlinError(std::string(what) + ": \"" + text + "\" is not a number");
  return *v;
}

std::array<float, 6> CellArg(std::span<const std::string> values, bool nameEach) {
  static const char* const kNames[6] = {"--cell a",     "--cell b",    "--cell c",
                                        "--cell alpha", "--cell beta", "--cell gamma"};
  std::array<float, 6> cell{};
  for (std::size_t i = 0; i < 6; ++i) cell[i] = SingleArg(values[i], nameEach ? kNames[i] : "--cell");
  return cell;
}

std::int32_t SystemArg(const std::string& text, std::string_view choices) {
  if (std::int32_t code = CrystalSystemFromName(text)) return code;
  auto v = StrictDouble(text);
  if (v && *v == RoundHalfEven(*v) && *v >= 1 && *v <= 8) return static_cast<std::int32_t>(*v);
  throw QuorlinError("--system: \"" + text + "\" is not a crystal system (" + std::string(choices) + ")");
}

bool PhaseAndSource::Take(const std::string& a, ArgReader& reader) {
  if (a == "--cell") {
    cell = CellArg(reader.Values(6), true);
  } else if (a == "--system") {
    system = SystemArg(reader.Values(1)[0], "cubic .. none, or 1..8");
  } else if (a == "--symbol") {
    symbol = static_cast<std::int16_t>(IntegerArg(reader.Values(1)[0], "--symbol"));
  } else if (a == "--tube") {
    tube = reader.Values(1)[0];
    if (tube != "Cu" && tube != "Mo") throw QuorlinError("--tube: \"" + tube + "\" is not a tube (Cu or Mo)");
  } else if (a == "--wavelength") {
    const float v = SingleArg(reader.Values(1)[0], "--wavelength");
    if (!(v > CData::kMinWavelength)) throw QuorlinError("--wavelength: must exceed 0.01 Angstrom");
    wavelength = v;
  } else {
    return false;
  }
  return true;
}

void PhaseAndSource::Check() const {
  if (!cell) throw QuorlinError("--cell A B C ALPHA BETA GAMMA is required");
  if (wavelength && !tube.empty()) throw QuorlinError("--tube and --wavelength exclude each other");
}

void PhaseAndSource::SetSource(CData& data) const {
  if (wavelength) SetSingleWavelength(data, *wavelength);
  else if (!tube.empty()) SetTubeSource(data, tube);
}

}  // namespace quorlin::cli
