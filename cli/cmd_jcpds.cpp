// quorlin-cli jcpds: reads a card as the window's "Open a jcpds file" does
// and prints the cell it sets and the peak list it fills.
#include <array>
#include <cmath>
#include <optional>
#include <ostream>
#include <sstream>

#include "command.h"
#include "options.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/formats.h"
#include "data/jcpds.h"
#include "data/jcpds_writer.h"
#include "mainwindow/data_import.h"
#include "energy/peak_list.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"

namespace quorlin::cli {
namespace {

const char* const kUsage = "usage: jcpds CARD [--write OUT [--cell A B C ALPHA BETA GAMMA]]";

// Writes CARD again as a keyword card, with its reflections' d recomputed
// from the given cell (the card's own when none is given); returns the path
// written, which is then listed.
std::string WriteCard(const Args& args) {
  const std::string& source = args[0];
  std::string output;
  std::optional<std::array<float, 6>> newCell;
  ArgReader reader(args, 1);
  while (!reader.Done()) {
    const std::string& opt = reader.Take();
    if (opt == "--write")
      output = reader.Values(1, kUsage)[0];
    else if (opt == "--cell")
      newCell = CellArg(reader.Values(6, kUsage), false);
    else
      throw QuorlinError(kUsage);
  }
  if (output.empty()) throw QuorlinError("--cell needs --write OUT");
  std::istringstream in(ReadWholeFile(source));
  JcpdsCard card = ReadJcpdsCard(in, source);
  CUnitCell cell;
  CPattern pattern;
  clsPeakList peaks;
  ApplyJcpdsCard(card, source, cell, CrystalSystemSetter(pattern, cell), peaks);
  // The card's crystal system constrains the new cell: a cubic card takes a
  // alone, and a cell that breaks the system is refused rather than bent.
  if (newCell) {
    if (!cell.SetCell(1, *newCell)) throw QuorlinError("--cell: the cell is refused (impossible or beyond the limits)");
    for (std::size_t p = 0; p < 6; ++p)
      if (std::fabs(static_cast<float>(LenientDouble(cell.CellParameters(static_cast<int>(p), 1))) - (*newCell)[p]) >
          1e-4f * std::fabs((*newCell)[p]))
        throw QuorlinError("--cell: the " + std::string(CrystalSystemName(pattern.CrystalSystem)) +
                           " card cannot take this cell (parameter " + std::to_string(p + 1) + ")");
  }
  JcpdsCard written = MakeJcpdsCard(card.comment, card.crystalSystem, cell, card.peaks, card.K0, card.K0p, card.thermal);
  WriteTextFile(output, JcpdsCardText(written));
  return output;
}

int Jcpds(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) throw QuorlinError(kUsage);
  const std::string file = args.size() == 1 ? args[0] : WriteCard(args);
  std::istringstream in(ReadWholeFile(file));
  JcpdsCard card = ReadJcpdsCard(in, file);

  CUnitCell cell;
  CPattern pattern;
  clsPeakList peaks;
  ApplyJcpdsCard(card, file, cell, CrystalSystemSetter(pattern, cell), peaks);
  for (const auto& note : card.notes) err << "note: " << note << "\n";

  out << "# comment: " << card.comment << "\n";
  out << "# crystal system: " << pattern.CrystalSystem << " " << CrystalSystemName(pattern.CrystalSystem) << "\n";
  out << "# cell:";
  for (int i = 0; i < 6; ++i) out << " " << cell.CellParameters(i, 1);
  out << "\n";
  out << "# K0: " << (card.K0 ? SingleText(*card.K0) : "-") << "  K0': " << (card.K0p ? SingleText(*card.K0p) : "-")
      << "\n";
  out << "# h k l d_card intensity d_calc agrees\n";
  for (int j = 0; j < peaks.NumberOfPeaks(); ++j) {
    const JcpdsPeak& p = card.peaks[static_cast<std::size_t>(j)];
    out << peaks.h(j) << " " << peaks.k(j) << " " << peaks.l(j) << " " << SingleText(p.d) << " "
        << SingleText(peaks.Intens(j)) << " " << GeneralText(cell.hklDSpacing(p.h, p.k, p.l)) << " "
        << (peaks.Agrees(j) ? "true" : "false") << "\n";
  }
  return 0;
}

Register reg("jcpds",
             "jcpds CARD [--write OUT [--cell A B C ALPHA BETA GAMMA]]   crystal system, cell and reflections of a "
             "jcpds card; --write writes it again as a VERSION: 4 card (d from the given cell) and lists that",
             Jcpds);

}  // namespace
}  // namespace quorlin::cli
