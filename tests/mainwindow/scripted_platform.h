// A platform for tests: it records every message and question and answers
// dialogs from scripted queues, so the model's commands run without a display.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/platform.h"

namespace quorlin::testing {

class ScriptedPlatform : public IPlatform {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<FileDialogRequest> dialogs;
  std::deque<MessageAnswer> answers;                     // empty -> Cancel
  std::deque<std::optional<std::string>> chosenPaths;    // empty -> cancelled
  std::deque<std::optional<std::uint32_t>> chosenColors; // empty -> cancelled
  std::deque<std::optional<int>> chosenItems;            // empty -> the first item

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  MessageAnswer AskYesNoCancel(const std::string& text) override {
    questions.push_back(text);
    return Pop(answers, MessageAnswer::Cancel);
  }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& r) override {
    dialogs.push_back(r);
    return Pop(chosenPaths, std::optional<std::string>());
  }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& r) override {
    dialogs.push_back(r);
    return Pop(chosenPaths, std::optional<std::string>());
  }
  std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t>, CustomColors&) override {
    return Pop(chosenColors, std::optional<std::uint32_t>());
  }
  std::optional<int> ChooseItem(const std::string& title, const std::vector<std::string>& items) override {
    questions.push_back(title);
    return Pop(chosenItems, items.empty() ? std::optional<int>() : std::optional<int>(0));
  }

 private:
  template <class Q, class T>
  static T Pop(Q& q, T fallback) {
    if (q.empty()) return fallback;
    T v = q.front();
    q.pop_front();
    return v;
  }
};

}  // namespace quorlin::testing
