// The one error type of the model. Readers and the project format throw it
// with the file and line; the window layer and the command line catch it in
// one place and show what() as the message.
#pragma once

#include <stdexcept>
#include <string>

namespace quorlin {

class QuorlinError : public std::runtime_error {
 public:
  explicit QuorlinError(const std::string& what) : std::runtime_error(what) {}
};

// "file:line: problem", or "file: problem" when line is 0.
class FormatError : public QuorlinError {
 public:
  FormatError(const std::string& file, long line, const std::string& problem)
      : QuorlinError(Compose(file, line, problem)), file_(file), line_(line), problem_(problem) {}
  const std::string& file() const { return file_; }
  long line() const { return line_; }
  const std::string& problem() const { return problem_; }

 private:
  static std::string Compose(const std::string& file, long line, const std::string& problem) {
    std::string s = file.empty() ? std::string("(input)") : file;
    if (line > 0) s += ":" + std::to_string(line);
    return s + ": " + problem;
  }
  std::string file_;
  long line_;
  std::string problem_;
};

}  // namespace quorlin
