// Menu wiring of this group of tool windows: connects their menu items and
// enables them.
#include <QAction>
#include <QMenu>

#include "frm_main.h"
#include "frm_standard_unit_cells.h"
#include "frm_store_patterns.h"
#include "mainwindow/card_export.h"

namespace quorlin {

void frmMain::WirePhases() {
  // Both windows change the model directly: the undo record is written as
  // they open.
  connect(mnuStorePatterns, &QAction::triggered, this, [this] {
    model_->WriteUndoRecord();
    ShowToolWindow<frmStorePatterns>();
  });
  mnuStorePatterns->setEnabled(true);
  connect(mnuStandardUnitCells, &QAction::triggered, this, [this] {
    model_->WriteUndoRecord();
    ShowToolWindow<frmStandardUnitCells>();
  });
  mnuStandardUnitCells->setEnabled(true);

  QAction* card = mnuExportData->addAction("jcpds card (*.jcpds)");
  card->setObjectName("mnuJcpdsCard");
  connect(card, &QAction::triggered, this, [this] { ExportJcpdsCard(*model_); });
}

}  // namespace quorlin
