#include "tool_window.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <vector>

namespace quorlin {

ToolWindow::ToolWindow(MainModel& model, const QString& objectName, const QString& caption, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setModal(false);
  // A tool window floats over the main window and closes with it.
  setWindowFlag(Qt::Tool, true);
  setAttribute(Qt::WA_DeleteOnClose, false);
}

ToolWindow::~ToolWindow() {
  if (observing_) model_.RemoveObserver(this);
}

void ToolWindow::RefreshNow() {
  if (refreshing_) return;
  refreshing_ = true;
  std::vector<QSignalBlocker> blockers;
  const auto children = findChildren<QWidget*>();
  blockers.reserve(static_cast<std::size_t>(children.size()));
  // A table's headers stay live: they tell their view that the row count
  // changed, without which rows removed in a refresh stay painted.
  for (QWidget* w : children)
    if (!qobject_cast<QHeaderView*>(w)) blockers.emplace_back(w);
  Refresh();
  refreshing_ = false;
}

void ToolWindow::ModelChanged(ModelChange what) {
  if (isVisible() && Wants(what)) RefreshNow();
}

void ToolWindow::SetTextUnlessEditing(QLineEdit* box, const QString& text) {
  if (box && !box->hasFocus() && box->text() != text) box->setText(text);
}

void ToolWindow::showEvent(QShowEvent* event) {
  if (!observing_) {
    model_.AddObserver(this);
    observing_ = true;
  }
  RefreshNow();
  QDialog::showEvent(event);
}

void ToolWindow::hideEvent(QHideEvent* event) {
  if (observing_) {
    model_.RemoveObserver(this);
    observing_ = false;
  }
  QDialog::hideEvent(event);
}

}  // namespace quorlin
