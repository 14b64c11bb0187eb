// quorlin-cli jcpds: reads a card as the window's "Open a jcpds file" does
// and prints the cell it sets and the peak list it fills.
#include <ostream>
#include <sstream>

#include "command.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/formats.h"
#include "data/jcpds.h"
#include "energy/peak_list.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"

namespace quorlin::cli {
namespace {

int Jcpds(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) throw QuorlinError("usage: jcpds CARD");
  const std::string& file = args[0];
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

Register reg("jcpds", "jcpds CARD   crystal system, cell and reflections of a jcpds card", Jcpds);

}  // namespace
}  // namespace quorlin::cli
