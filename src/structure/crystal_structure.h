// A crystal structure read from a CIF data block: the cell, the symmetry
// operations that the file itself defines, and the atom sites. The CIF
// library stays inside this folder's .cpp files; this header is plain C++.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorlin {

// One symmetry operation x' = R x + t, in the library's integer form:
// rotation and translation in units of 1/kSymDen.
inline constexpr int kSymDen = 24;
struct SymOp {
  std::array<int, 9> rot{};  // row-major
  std::array<int, 3> tran{};
};

struct AtomSite {
  std::string label;
  std::string typeSymbol;
  int z = 0;          // atomic number
  int charge = 0;     // read from the type symbol; the form factors are neutral
  std::array<double, 3> fract{};
  double occupancy = 1.0;  // chemical occupancy as in the file
  double uIso = 0.0;       // Angstrom^2
  bool anisotropic = false;
  std::array<double, 6> uAniso{};  // U11 U22 U33 U12 U13 U23
};

struct CrystalStructure {
  std::string name;                // the data block's name
  std::array<double, 6> cell{};    // a b c (Angstrom), alpha beta gamma (degrees)
  std::string spaceGroupSymbol;    // Hermann-Mauguin, as the group was resolved
  int spaceGroupNumber = 0;        // 1..230
  std::string groupSource;         // "symmetry operators", "Hall symbol", "H-M name", "IT number"
  std::vector<SymOp> symOps;       // the first is the identity
  std::vector<std::array<int, 3>> centring;  // the first is 0 0 0
  std::vector<AtomSite> sites;
  std::vector<std::string> notes;  // what was read with an assumption
};

// The names of the data blocks of a CIF text; throws FormatError(source, ...)
// when the text is not CIF.
std::vector<std::string> CifBlockNames(std::string_view text, const std::string& source);

// Reads data block `block` (an index into CifBlockNames; -1: the first block
// that has atom sites). The space group comes from the operator loop, then
// the Hall symbol, then the H-M name, then the IT number; a stated IT number
// must agree with it. Throws FormatError(source, line, problem) for anything
// that would give a wrong pattern: no cell, a bad edge or angle, no symmetry
// at all, an unknown element, occupancies above one, a damaged file.
CrystalStructure ReadCifStructure(std::string_view text, const std::string& source, int block = -1);

// Reads a file (plain or .gz) from disk into text; throws FormatError.
std::string ReadCifText(const std::string& path);

// The systematic absence test of the structure's group.
bool IsSystematicallyAbsent(const CrystalStructure& s, int h, int k, int l);

// The crystal-system code of CPattern (1 cubic .. 7 triclinic) of an IT
// number; 0 outside 1..230.
int CrystalSystemOfNumber(int number);

}  // namespace quorlin
