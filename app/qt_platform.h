// The platform services of the main window's model, done with Qt's own
// dialogs: QMessageBox, QFileDialog and QColorDialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "mainwindow/platform.h"

namespace quorlin {

class QtPlatform : public IPlatform {
 public:
  explicit QtPlatform(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void ShowMessage(const std::string& text) override;
  MessageAnswer AskYesNoCancel(const std::string& text) override;
  std::optional<int> ChooseItem(const std::string& title, const std::vector<std::string>& items) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t> initial,
                                           CustomColors& custom) override;

 private:
  QPointer<QWidget> owner_;
};

// "GSAS Data Files (*.gsa);;All Files (*.*)": the dialog's filter text. Qt
// takes the patterns from the parentheses, so the pattern of each pair is
// appended in parentheses when the description does not already show it.
QString QtFilterText(const std::vector<FileFilter>& filters);
// The dialog's starting path: the folder, with the proposed name when there is one.
QString QtStartPath(const FileDialogRequest& request);
// A chosen save path with the default extension added when it has none.
QString WithDefaultExtension(const QString& path, const std::string& extension);

// 0x00BBGGRR <-> QColor.
QColor ColorFromValue(std::uint32_t value);
std::uint32_t ValueFromColor(const QColor& color);

}  // namespace quorlin
