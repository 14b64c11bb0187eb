// The platform of a command run without a window: messages are kept for the
// command to report, and every dialog is answered as cancelled.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/platform.h"

namespace quorlin::cli {

class BatchPlatform : public IPlatform {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  MessageAnswer AskYesNoCancel(const std::string&) override { return MessageAnswer::Cancel; }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t>, CustomColors&) override {
    return std::nullopt;
  }
  // The messages so far on one line, joined with "; "; they are cleared.
  std::string Take() {
    std::string all;
    for (const auto& m : messages) all += (all.empty() ? "" : "; ") + m;
    messages.clear();
    for (char& c : all)
      if (c == '\n') c = ' ';
    return all;
  }

  std::vector<std::string> messages;
};

}  // namespace quorlin::cli
