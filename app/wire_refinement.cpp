// Menu wiring of this group of tool windows: connects their menu items and
// enables them.
#include "frm_indexing.h"
#include "frm_main.h"
#include "frm_pressure.h"
#include "frm_refine_cell.h"

namespace quorlin {

void frmMain::WireRefinement() {
  connect(mnuRefineCell, &QAction::triggered, this, [this] { ShowToolWindow<frmRefineCell>(); });
  mnuRefineCell->setEnabled(true);
  connect(mnuIndexing, &QAction::triggered, this, [this] { ShowToolWindow<frmIndexing>()->SetPlot(picXRayPlot); });
  connect(mnuPressure, &QAction::triggered, this, [this] { ShowToolWindow<frmPressure>(); });
}

}  // namespace quorlin
