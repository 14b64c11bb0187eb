// Reading a subcommand's words: options with the values that follow them, and
// the kinds of value they take. Every problem is a QuorlinError whose text
// names the option, so main() can print it as it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "command.h"

namespace quorlin {
class CData;
}

namespace quorlin::cli {

// Walks the words of a subcommand from the first one given.
class ArgReader {
 public:
  explicit ArgReader(const Args& args, std::size_t first = 0) : args_(args), next_(first) {}

  bool Done() const { return next_ >= args_.size(); }
  // The next word, left in place; only when not Done().
  const std::string& Peek() const { return args_[next_]; }
  // The next word, taken; it becomes the option whose values follow.
  const std::string& Take();
  // The `count` words after the option just taken. With fewer left the error
  // is `missing`, or "OPTION needs COUNT values" when that is empty.
  std::span<const std::string> Values(std::size_t count, std::string_view missing = {});
  // The one word after the option just taken; "OPTION needs a value" without it.
  const std::string& Value();

 private:
  const Args& args_;
  std::size_t next_;
  std::size_t option_ = 0;
};

// Number arguments; `what` names the option (or its part) in the message.
double NumberArg(const std::string& text, std::string_view what);
int IntegerArg(const std::string& text, std::string_view what);
float SingleArg(const std::string& text, std::string_view what);

// A B C ALPHA BETA GAMMA after --cell. A bad one is reported under "--cell",
// or, with nameEach, under its own name ("--cell alpha").
std::array<float, 6> CellArg(std::span<const std::string> values, bool nameEach);

// A crystal system by name or by its code 1..8; `choices` is what the
// refusal lists as allowed.
std::int32_t SystemArg(const std::string& text,
                       std::string_view choices = "cubic, hexagonal, trigonal, tetragonal, orthorhombic, "
                                                  "monoclinic, triclinic, none, or 1..8");

// The phase and the source that refine and series read alike: --cell,
// --system, --symbol, --tube Cu|Mo, --wavelength L.
struct PhaseAndSource {
  std::optional<std::array<float, 6>> cell;
  std::int32_t system = 8;  // NoSystem
  std::int16_t symbol = -1;
  std::string tube;
  std::optional<float> wavelength;

  // Reads option `a` (just taken from reader) with its values; false when
  // it is none of these.
  bool Take(const std::string& a, ArgReader& reader);
  // --cell is required; --tube and --wavelength exclude each other.
  void Check() const;
  // Puts the source they name (if any) on 2-theta data.
  void SetSource(CData& data) const;
};

}  // namespace quorlin::cli
