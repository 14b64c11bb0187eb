// The base of every modeless tool window. A tool window holds no model of its
// own: it observes the main window's model while it is shown and refreshes
// itself from it on every change, with its controls' signals blocked so that
// a refresh never writes back into the model. The box the user is typing in
// is left alone (SetTextUnlessEditing).
#pragma once

#include <QDialog>
#include <QString>

#include "mainwindow/main_model.h"
#include "mainwindow/model_observer.h"

class QLineEdit;

namespace quorlin {

class ToolWindow : public QDialog, public IModelObserver {
  Q_OBJECT

 public:
  // `objectName` is the window's own name (frmCubic), `caption` its title.
  ToolWindow(MainModel& model, const QString& objectName, const QString& caption, QWidget* parent);
  ~ToolWindow() override;

  MainModel& Model() { return model_; }
  // Re-reads the model into the controls now, signals blocked.
  void RefreshNow();
  bool Refreshing() const { return refreshing_; }

  void ModelChanged(ModelChange what) override;

 protected:
  // Fills the controls from the model. Called with every child's signals
  // blocked; never changes the model.
  virtual void Refresh() = 0;
  // Which changes this window cares about (default: controls and plot).
  virtual bool Wants(ModelChange what) const { (void)what; return true; }

  // Rewrites `box` unless it has the keyboard focus (the user is typing).
  static void SetTextUnlessEditing(QLineEdit* box, const QString& text);

  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  MainModel& model_;
  bool refreshing_ = false;
  bool observing_ = false;
};

}  // namespace quorlin
