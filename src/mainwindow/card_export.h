// File > Export data > jcpds card: the current phase written as a keyword
// jcpds card. A phase opened from a card keeps that card's reflections,
// intensities and K0/K0', with d recomputed from the current cell (the
// everyday case: refine a card's cell at pressure, then pass it on);
// a phase from a crystal structure writes its lines with their computed
// intensities; otherwise the rows are the unique allowed reflections inside
// the plot window, each with intensity 100.
#pragma once

#include <string>

#include "data/jcpds.h"
#include "mainwindow/main_model.h"

namespace quorlin {

JcpdsCard CurrentPhaseCard(const MainModel& model);

// The save dialog ("Save jcpds card", in JCPDSDirectory), then the write
// through a temporary file. A failed write shows a message naming the file
// and keeps any old file.
bool ExportJcpdsCard(MainModel& model);
bool ExportJcpdsCardFile(MainModel& model, const std::string& path);

}  // namespace quorlin
