// frmUserGuide, "User Guide": the guide (Markdown with its pictures beside
// it) shown in a browser window, so it reads the same with or without a
// desktop's viewer.
#pragma once

#include "tool_window.h"

class QTextBrowser;

namespace quorlin {

class frmUserGuide : public ToolWindow {
  Q_OBJECT

 public:
  frmUserGuide(MainModel& model, QWidget* parent);

  // Shows the guide at `path`; its pictures are found beside it.
  void Load(const QString& path);

  QTextBrowser* txtGuide = nullptr;

 protected:
  void Refresh() override {}

 private:
  // Pictures wider than `widest` pixels are shown scaled down to it.
  void FitPictures(int widest);
};

}  // namespace quorlin
