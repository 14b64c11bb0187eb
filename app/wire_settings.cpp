// Menu wiring of the option windows and the source wavelengths: connects
// their menu items and enables them, and gives the cell editor its own
// right-button menu.
#include <QAction>
#include <QCursor>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

#include "frm_main.h"
#include "settings_windows.h"

namespace quorlin {

void frmMain::WireSettings() {
  // Every window but the d-spacing calculator edits the model: opening it
  // writes the undo record, so one Undo takes back all that was done in it.
  auto opens = [this]<class T>(QAction* action, bool undo) {
    connect(action, &QAction::triggered, this, [this, undo] {
      if (undo) model_->WriteUndoRecord();
      ShowToolWindow<T>();
    });
    action->setEnabled(true);
  };
  opens.template operator()<frmChangeWavelength>(mnuChangeWavelength, true);
  opens.template operator()<frmCellScaleChange>(mnuCellScaleChange, true);
  opens.template operator()<frmCellScaleChange>(mnuCellScaleChange2, true);
  opens.template operator()<frmChangeLimits>(mnuChangeLimits, true);
  opens.template operator()<frmDSpacing>(mnuDSpacing, false);
  opens.template operator()<frmVolumeTracking>(mnuVolumeTracking, true);
  opens.template operator()<frmColors>(mnuColors, true);

  // The cell boxes, their scroll bars and frames offer the scroll-range menu
  // instead of Qt's own edit menu, whose Undo would undo the text and not the
  // model.
  QList<QWidget*> editor;
  for (int i = 0; i < 6; ++i) editor << CellText[i] << hsbCellParameters[i];
  for (const char* frame : {"fraEdges", "fraAngles"})
    if (auto* f = findChild<QGroupBox*>(frame)) editor << f;
  for (QWidget* w : editor) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this, [this] { mnuCellScrolls->popup(QCursor::pos()); });
  }
}

}  // namespace quorlin
