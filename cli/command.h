// Subcommands of quorlin-cli register themselves here; main() dispatches.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace quorlin::cli {

using Args = std::vector<std::string>;
// A subcommand writes its result to out and returns the exit status. It
// throws QuorlinError (or a std::exception) for bad input; main() prints the
// message as one line on stderr and exits with 2.
using Handler = std::function<int(const Args& args, std::ostream& out, std::ostream& err)>;

struct Command {
  std::string name;
  std::string usage;
  Handler run;
};

std::vector<Command>& Registry();

struct Register {
  Register(std::string name, std::string usage, Handler run) {
    Registry().push_back({std::move(name), std::move(usage), std::move(run)});
  }
};

}  // namespace quorlin::cli
