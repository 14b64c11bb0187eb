#include "data/jcpds_writer.h"

#include <cmath>

#include "core/numtext.h"

namespace quorlin {
namespace {

const char* SymmetryWord(std::int16_t cs) {
  static const char* names[] = {"",           "CUBIC",        "HEXAGONAL",  "TRIGONAL",
                                "TETRAGONAL", "ORTHORHOMBIC", "MONOCLINIC", "TRICLINIC"};
  return cs >= 1 && cs <= 7 ? names[cs] : "TRICLINIC";
}

// The cell a reader rebuilds from what the system keeps (a trigonal card is
// on hexagonal axes); the card is honest only when that is the cell itself.
bool CellObeys(std::int16_t cs, const std::array<float, 6>& p) {
  const auto& [a, b, c, al, be, ga] = p;
  std::array<float, 6> rebuilt;
  switch (cs) {
    case 1:
      rebuilt = {a, a, a, 90, 90, 90};
      break;
    case 2:
    case 3:
      rebuilt = {a, a, c, 90, 90, 120};
      break;
    case 4:
      rebuilt = {a, a, c, 90, 90, 90};
      break;
    case 5:
      rebuilt = {a, b, c, 90, 90, 90};
      break;
    case 6:
      rebuilt = {a, b, c, 90, be, 90};
      break;
    case 7:
      return true;
    default:
      return false;
  }
  for (std::size_t i = 0; i < 6; ++i)
    if (std::fabs(rebuilt[i] - p[i]) > 1e-5f * std::fabs(p[i])) return false;
  return true;
}

}  // namespace

JcpdsCard MakeJcpdsCard(const std::string& name, std::int16_t crystalSystem, const CUnitCell& cell,
                        const std::vector<JcpdsPeak>& rows, std::optional<float> K0, std::optional<float> K0p,
                        const JcpdsThermalConstants& thermal) {
  JcpdsCard card;
  card.version = 4;
  // One line only: a line break would end the comment in the card.
  for (char ch : name) card.comment += (ch == '\n' || ch == '\r') ? ' ' : ch;
  for (int i = 0; i < 6; ++i)
    card.cell[static_cast<std::size_t>(i)] = static_cast<float>(LenientDouble(cell.CellParameters(i, 1)));
  card.crystalSystem = CellObeys(crystalSystem, card.cell) ? crystalSystem : std::int16_t{7};
  card.K0 = K0;
  card.K0p = K0p;
  card.thermal = thermal;
  for (const JcpdsPeak& r : rows) {
    float d = cell.hklDSpacing(r.h, r.k, r.l);
    if (!(d > 0) || !std::isfinite(d)) continue;
    card.peaks.push_back({d, r.intensity, r.h, r.k, r.l});
  }
  return card;
}

std::string JcpdsCardText(const JcpdsCard& card) {
  std::string s = "VERSION: 4\n";
  s += "COMMENT: " + card.comment + "\n";
  if (card.K0) s += "K0: " + SingleText(*card.K0) + "\n";
  if (card.K0p) s += "K0P: " + SingleText(*card.K0p) + "\n";
  const auto constant = [&s](const char* key, const std::optional<float>& v) {
    if (v) s += std::string(key) + ": " + SingleText(*v) + "\n";
  };
  constant("DK0DT", card.thermal.dK0dT);
  constant("DK0PDT", card.thermal.dK0pdT);
  s += std::string("SYMMETRY: ") + SymmetryWord(card.crystalSystem) + "\n";
  static const char* keys[] = {"A", "B", "C", "ALPHA", "BETA", "GAMMA"};
  for (std::size_t i = 0; i < 6; ++i) s += std::string(keys[i]) + ": " + SingleText(card.cell[i]) + "\n";
  constant("ALPHAT", card.thermal.alphaT);
  constant("DALPHADT", card.thermal.dAlphadT);
  for (const JcpdsPeak& p : card.peaks)
    s += "DIHKL: " + SingleText(p.d) + " " + SingleText(p.intensity) + " " + std::to_string(p.h) + " " +
         std::to_string(p.k) + " " + std::to_string(p.l) + "\n";
  return s;
}

}  // namespace quorlin
