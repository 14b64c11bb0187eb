// quorlin-cli: the scriptable face of the model library.
#include <exception>
#include <iostream>

#include "command.h"

namespace quorlin::cli {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace quorlin::cli

namespace {

void Usage(std::ostream& os) {
  os << "usage: quorlin-cli COMMAND [ARGS]\n       quorlin-cli COMMAND --help\n       quorlin-cli --version | --help\n\n"
        "Quorlin's model without a window: each command reads files or numbers and\n"
        "prints plain columns under a # header. Bad input gives one line on stderr\n"
        "and exit status 2.\n\ncommands:\n";
  for (const auto& c : quorlin::cli::Registry()) os << "  " << c.usage << "\n";
}

bool AsksForHelp(const quorlin::cli::Args& args) {
  for (const auto& a : args)
    if (a == "--help") return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorlin::cli;
  if (argc < 2) {
    Usage(std::cerr);
    return 2;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    Usage(std::cout);
    return 0;
  }
  if (name == "--version") {
    std::cout << "quorlin-cli " << QUORLIN_VERSION << "\n";
    return 0;
  }
  for (const auto& c : Registry()) {
    if (c.name != name) continue;
    Args args(argv + 2, argv + argc);
    // Help comes before any check of the other words: it always answers.
    if (AsksForHelp(args)) {
      std::cout << "usage: quorlin-cli " << c.usage << "\n";
      return std::cout.flush() ? 0 : 2;
    }
    try {
      int status = c.run(args, std::cout, std::cerr);
      // Output that could not be written (a full disk, a closed pipe) is a
      // failure, not a success with a truncated result.
      if (!std::cout.flush()) {
        std::cerr << "quorlin-cli " << name << ": the output cannot be written\n";
        return 2;
      }
      return status;
    } catch (const std::exception& e) {
      std::cout.flush();
      std::cerr << "quorlin-cli " << name << ": " << e.what() << "\n";
      return 2;
    }
  }
  std::cerr << "quorlin-cli: unknown command \"" << name << "\" (try quorlin-cli --help)\n";
  return 2;
}
