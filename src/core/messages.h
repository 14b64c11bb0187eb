// The message boxes of the model, as an interface: the core never shows a
// dialog. The window supplies one that shows an OK box under the program's
// title; the command line prints to stderr; tests record.
#pragma once

#include <string>
#include <vector>

namespace quorlin {

class IMessages {
 public:
  virtual ~IMessages() = default;
  virtual void Show(const std::string& text) = 0;
};

// Keeps every message in the order shown.
class RecordingMessages : public IMessages {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

}  // namespace quorlin
