// The catalogue against the reflection conditions of International Tables
// for Crystallography Vol. A (the "Reflection conditions, General" block of
// each space-group table, in the setting named). The conditions are written
// here as the tables print them, for the representative zones only; the
// equivalent zones follow by applying the space group's Laue group, as the
// tables intend. Every triple with indices -8..8 is then compared with
// IsAllowed.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "laue_groups.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"

namespace quorlin {
namespace {

using testing::Triple;

// One printed condition, e.g. "0kl: k+l=4n" or "hkl: h+k,h+l,k+l=2n".
struct Condition {
  std::string zone;
  std::vector<std::array<int, 3>> sums;  // coefficients of h, k, l
  int modulus = 2;
};

std::array<int, 3> ParseSum(const std::string& text) {
  std::array<int, 3> c{};
  int sign = 1, factor = 0;
  bool haveFactor = false;
  for (char ch : text) {
    if (ch == ' ') continue;
    if (ch == '+' || ch == '-') {
      sign = ch == '-' ? -1 : 1;
    } else if (std::isdigit(static_cast<unsigned char>(ch))) {
      factor = factor * 10 + (ch - '0');
      haveFactor = true;
    } else {
      const int index = ch == 'h' ? 0 : ch == 'k' ? 1 : 2;
      c[index] += sign * (haveFactor ? factor : 1);
      sign = 1;
      factor = 0;
      haveFactor = false;
    }
  }
  return c;
}

std::vector<Condition> Parse(const std::string& text) {
  std::vector<Condition> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string clause = text.substr(start, end - start);
    start = end + 1;
    const auto colon = clause.find(':');
    const auto equals = clause.find('=');
    if (colon == std::string::npos || equals == std::string::npos) continue;
    Condition c;
    for (char ch : clause.substr(0, colon))
      if (ch != ' ') c.zone += ch;
    c.modulus = std::stoi(clause.substr(equals + 1));
    std::string sums = clause.substr(colon + 1, equals - colon - 1);
    std::size_t s = 0;
    while (s <= sums.size()) {
      std::size_t comma = sums.find(',', s);
      if (comma == std::string::npos) comma = sums.size();
      c.sums.push_back(ParseSum(sums.substr(s, comma - s)));
      s = comma + 1;
    }
    out.push_back(c);
  }
  return out;
}

bool InZone(const std::string& zone, const Triple& t) {
  const int h = t[0], k = t[1], l = t[2];
  if (zone == "hkl") return true;
  if (zone == "0kl") return h == 0;
  if (zone == "h0l") return k == 0;
  if (zone == "hk0") return l == 0;
  if (zone == "h00") return k == 0 && l == 0;
  if (zone == "0k0") return h == 0 && l == 0;
  if (zone == "00l") return h == 0 && k == 0;
  if (zone == "hhl") return h == k;  // hh-2hl on hexagonal axes
  if (zone == "hh0") return h == k && l == 0;
  if (zone == "hhh") return h == k && k == l;
  if (zone == "h-hl") return h == -k;  // h-h0l on hexagonal axes
  if (zone == "h-h0") return h == -k && l == 0;
  ADD_FAILURE() << "unknown zone " << zone;
  return false;
}

bool Violates(const Condition& c, const Triple& t) {
  if (!InZone(c.zone, t)) return false;
  for (const auto& s : c.sums)
    if ((s[0] * t[0] + s[1] * t[1] + s[2] * t[2]) % c.modulus != 0) return true;
  return false;
}

struct Group {
  const char* name;
  std::int32_t system;
  std::int16_t number;
  const char* laue;
  const char* conditions;
};

// clang-format off
const Group kGroups[] = {
    // Cubic: every entry; a group of Laue class m-3 as well where the entry mixes classes.
    {"Pm-3m", 1, 0, "m-3m", ""},
    {"P23", 1, 0, "m-3", ""},
    {"P4232", 1, 1, "m-3m", "00l: l=2n"},
    {"P213", 1, 1, "m-3", "00l: l=2n"},
    {"P4132", 1, 2, "m-3m", "00l: l=4n"},
    {"Pm-3n", 1, 3, "m-3m", "hhl: l=2n; 00l: l=2n"},
    {"P-43n", 1, 3, "m-3m", "hhl: l=2n; 00l: l=2n"},
    {"Pa-3", 1, 4, "m-3", "0kl: k=2n; h00: h=2n"},
    {"Pn-3m", 1, 5, "m-3m", "0kl: k+l=2n; h00: h=2n"},
    {"Pn-3", 1, 5, "m-3", "0kl: k+l=2n; h00: h=2n"},
    {"Pn-3n", 1, 6, "m-3m", "0kl: k+l=2n; hhl: l=2n; h00: h=2n"},
    {"Im-3m", 1, 7, "m-3m", "hkl: h+k+l=2n; 0kl: k+l=2n; hhl: l=2n; h00: h=2n"},
    {"I213", 1, 7, "m-3", "hkl: h+k+l=2n; 0kl: k+l=2n; hhl: l=2n; h00: h=2n"},
    {"I4132", 1, 8, "m-3m", "hkl: h+k+l=2n; 0kl: k+l=2n; hhl: l=2n; h00: h=4n"},
    {"I-43d", 1, 9, "m-3m", "hkl: h+k+l=2n; 0kl: k+l=2n; hhl: 2h+l=4n; h00: h=4n"},
    {"Ia-3", 1, 10, "m-3", "hkl: h+k+l=2n; 0kl: k,l=2n; hhl: l=2n; h00: h=2n"},
    {"Ia-3d", 1, 11, "m-3m", "hkl: h+k+l=2n; 0kl: k,l=2n; hhl: 2h+l=4n; h00: h=4n"},
    {"Fm-3m", 1, 12, "m-3m", "hkl: h+k,h+l,k+l=2n; 0kl: k,l=2n; hhl: h+l=2n; h00: h=2n"},
    {"F23", 1, 12, "m-3", "hkl: h+k,h+l,k+l=2n; 0kl: k,l=2n; hhl: h+l=2n; h00: h=2n"},
    {"F4132", 1, 13, "m-3m", "hkl: h+k,h+l,k+l=2n; 0kl: k,l=2n; hhl: h+l=2n; h00: h=4n"},
    {"Fm-3c", 1, 14, "m-3m", "hkl: h+k,h+l,k+l=2n; 0kl: k,l=2n; hhl: h,l=2n; h00: h=2n"},
    {"Fd-3m", 1, 15, "m-3m", "hkl: h+k,h+l,k+l=2n; 0kl: k+l=4n; 0kl: k,l=2n; hhl: h+l=2n; h00: h=4n"},
    {"Fd-3", 1, 15, "m-3", "hkl: h+k,h+l,k+l=2n; 0kl: k+l=4n; 0kl: k,l=2n; hhl: h+l=2n; h00: h=4n"},
    {"Fd-3c", 1, 16, "m-3m", "hkl: h+k,h+l,k+l=2n; 0kl: k+l=4n; 0kl: k,l=2n; hhl: h,l=2n; h00: h=4n"},

    // Hexagonal: every entry.
    {"P6/mmm", 2, 0, "6/mmm", ""},
    {"P63", 2, 1, "6/m", "00l: l=2n"},
    {"P6322", 2, 1, "6/mmm", "00l: l=2n"},
    {"P62", 2, 2, "6/m", "00l: l=3n"},
    {"P61", 2, 3, "6/m", "00l: l=6n"},
    {"P63mc", 2, 4, "6/mmm", "hhl: l=2n; 00l: l=2n"},
    {"P63cm", 2, 5, "6/mmm", "h-hl: l=2n; 00l: l=2n"},
    {"P6cc", 2, 6, "6/mmm", "h-hl: l=2n; hhl: l=2n; 00l: l=2n"},

    // Trigonal: every entry, hexagonal axes (obverse and reverse) and rhombohedral axes.
    {"P-3m1", 3, 0, "-3m1", ""},
    {"P31", 3, 1, "-3", "00l: l=3n"},
    {"P3121", 3, 1, "-3m1", "00l: l=3n"},
    {"P31c", 3, 2, "-31m", "hhl: l=2n; 00l: l=2n"},
    {"P3c1", 3, 3, "-3m1", "h-hl: l=2n; 00l: l=2n"},
    {"R-3m (obverse)", 3, 4, "-3m1", "hkl: -h+k+l=3n; h-hl: h+l=3n; hhl: l=3n; 00l: l=3n"},
    {"R3 (obverse)", 3, 4, "-3", "hkl: -h+k+l=3n; h-hl: h+l=3n; hhl: l=3n; 00l: l=3n"},
    {"R-3c (obverse)", 3, 5, "-3m1", "hkl: -h+k+l=3n; h-hl: h+l=3n; h-hl: l=2n; hhl: l=3n; 00l: l=6n"},
    {"R-3m (reverse)", 3, 6, "-3m1", "hkl: h-k+l=3n; h-hl: -h+l=3n; hhl: l=3n; 00l: l=3n"},
    {"R-3c (reverse)", 3, 7, "-3m1", "hkl: h-k+l=3n; h-hl: -h+l=3n; h-hl: l=2n; hhl: l=3n; 00l: l=6n"},
    {"R-3m (rhombohedral)", 3, 8, "-3mR", ""},
    {"R-3c (rhombohedral)", 3, 9, "-3mR", "hhl: l=2n; hhh: h=2n"},
    {"R3c (rhombohedral)", 3, 9, "-3R", "hhl: l=2n; hhh: h=2n"},

    // Tetragonal: every entry; a group of Laue class 4/m where the entry has one.
    {"P4/mmm", 4, 0, "4/mmm", ""},
    {"P4", 4, 0, "4/m", ""},
    {"P4212", 4, 1, "4/mmm", "h00: h=2n"},
    {"P4222", 4, 2, "4/mmm", "00l: l=2n"},
    {"P42", 4, 2, "4/m", "00l: l=2n"},
    {"P42212", 4, 3, "4/mmm", "00l: l=2n; h00: h=2n"},
    {"P4122", 4, 4, "4/mmm", "00l: l=4n"},
    {"P41", 4, 4, "4/m", "00l: l=4n"},
    {"P41212", 4, 5, "4/mmm", "00l: l=4n; h00: h=2n"},
    {"P42/mmc", 4, 6, "4/mmm", "hhl: l=2n; 00l: l=2n"},
    {"P-421c", 4, 7, "4/mmm", "hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"P4bm", 4, 8, "4/mmm", "0kl: k=2n; h00: h=2n"},
    {"P42bc", 4, 9, "4/mmm", "0kl: k=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"P42cm", 4, 10, "4/mmm", "0kl: l=2n; 00l: l=2n"},
    {"P4cc", 4, 11, "4/mmm", "0kl: l=2n; hhl: l=2n; 00l: l=2n"},
    {"P42nm", 4, 12, "4/mmm", "0kl: k+l=2n; 00l: l=2n; h00: h=2n"},
    {"P4nc", 4, 13, "4/mmm", "0kl: k+l=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"P4/nmm", 4, 14, "4/mmm", "hk0: h+k=2n; h00: h=2n"},
    {"P4/n", 4, 14, "4/m", "hk0: h+k=2n; h00: h=2n"},
    {"P42/n", 4, 15, "4/m", "hk0: h+k=2n; 00l: l=2n; h00: h=2n"},
    {"P42/nmc", 4, 16, "4/mmm", "hk0: h+k=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"P4/nbm", 4, 17, "4/mmm", "hk0: h+k=2n; 0kl: k=2n; h00: h=2n"},
    {"P42/nbc", 4, 18, "4/mmm", "hk0: h+k=2n; 0kl: k=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"P42/ncm", 4, 19, "4/mmm", "hk0: h+k=2n; 0kl: l=2n; 00l: l=2n; h00: h=2n"},
    {"P4/ncc", 4, 20, "4/mmm", "hk0: h+k=2n; 0kl: l=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"P42/nnm", 4, 21, "4/mmm", "hk0: h+k=2n; 0kl: k+l=2n; 00l: l=2n; h00: h=2n"},
    {"P4/nnc", 4, 22, "4/mmm", "hk0: h+k=2n; 0kl: k+l=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"I4/mmm", 4, 23, "4/mmm", "hkl: h+k+l=2n; hk0: h+k=2n; 0kl: k+l=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"I4", 4, 23, "4/m", "hkl: h+k+l=2n; hk0: h+k=2n; 0kl: k+l=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"I4122", 4, 24, "4/mmm", "hkl: h+k+l=2n; hk0: h+k=2n; 0kl: k+l=2n; hhl: l=2n; 00l: l=4n; h00: h=2n"},
    {"I41", 4, 24, "4/m", "hkl: h+k+l=2n; hk0: h+k=2n; 0kl: k+l=2n; hhl: l=2n; 00l: l=4n; h00: h=2n"},
    {"I41md", 4, 25, "4/mmm",
     "hkl: h+k+l=2n; hk0: h+k=2n; 0kl: k+l=2n; hhl: 2h+l=4n; 00l: l=4n; h00: h=2n; h-h0: h=2n"},
    {"I4/mcm", 4, 26, "4/mmm", "hkl: h+k+l=2n; hk0: h+k=2n; 0kl: k,l=2n; hhl: l=2n; 00l: l=2n; h00: h=2n"},
    {"I41cd", 4, 27, "4/mmm",
     "hkl: h+k+l=2n; hk0: h+k=2n; 0kl: k,l=2n; hhl: 2h+l=4n; 00l: l=4n; h00: h=2n; h-h0: h=2n"},
    {"I41/a", 4, 28, "4/m", "hkl: h+k+l=2n; hk0: h,k=2n; 0kl: k+l=2n; hhl: l=2n; 00l: l=4n; h00: h=2n"},
    {"I41/amd", 4, 29, "4/mmm",
     "hkl: h+k+l=2n; hk0: h,k=2n; 0kl: k+l=2n; hhl: 2h+l=4n; 00l: l=4n; h00: h=2n; h-h0: h=2n"},
    {"I41/acd", 4, 30, "4/mmm",
     "hkl: h+k+l=2n; hk0: h,k=2n; 0kl: k,l=2n; hhl: 2h+l=4n; 00l: l=4n; h00: h=2n; h-h0: h=2n"},

    // Orthorhombic (standard settings), every entry.
    {"Pmmm", 5, 0, "mmm", ""},
    {"P2221", 5, 1, "mmm", "00l: l=2n"},
    {"P21212", 5, 2, "mmm", "h00: h=2n; 0k0: k=2n"},
    {"P212121", 5, 3, "mmm", "h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pmma", 5, 4, "mmm", "hk0: h=2n; h00: h=2n"},
    {"Pmmn", 5, 5, "mmm", "hk0: h+k=2n; h00: h=2n; 0k0: k=2n"},
    {"Pma2", 5, 6, "mmm", "h0l: h=2n; h00: h=2n"},
    {"Pmc21", 5, 7, "mmm", "h0l: l=2n; 00l: l=2n"},
    {"Pmn21", 5, 8, "mmm", "h0l: h+l=2n; h00: h=2n; 00l: l=2n"},
    {"Pmna", 5, 9, "mmm", "h0l: h+l=2n; hk0: h=2n; h00: h=2n; 00l: l=2n"},
    {"Pbam", 5, 10, "mmm", "0kl: k=2n; h0l: h=2n; h00: h=2n; 0k0: k=2n"},
    {"Pban", 5, 11, "mmm", "0kl: k=2n; h0l: h=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n"},
    {"Pbcm", 5, 12, "mmm", "0kl: k=2n; h0l: l=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pbca", 5, 13, "mmm", "0kl: k=2n; h0l: l=2n; hk0: h=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pbcn", 5, 14, "mmm", "0kl: k=2n; h0l: l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pca21", 5, 15, "mmm", "0kl: l=2n; h0l: h=2n; h00: h=2n; 00l: l=2n"},
    {"Pccm", 5, 16, "mmm", "0kl: l=2n; h0l: l=2n; 00l: l=2n"},
    {"Pcca", 5, 17, "mmm", "0kl: l=2n; h0l: l=2n; hk0: h=2n; h00: h=2n; 00l: l=2n"},
    {"Pccn", 5, 18, "mmm", "0kl: l=2n; h0l: l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pnma", 5, 19, "mmm", "0kl: k+l=2n; hk0: h=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pna21", 5, 20, "mmm", "0kl: k+l=2n; h0l: h=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pnc2", 5, 21, "mmm", "0kl: k+l=2n; h0l: l=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pnnm", 5, 22, "mmm", "0kl: k+l=2n; h0l: h+l=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pnna", 5, 23, "mmm", "0kl: k+l=2n; h0l: h+l=2n; hk0: h=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Pnnn", 5, 24, "mmm", "0kl: k+l=2n; h0l: h+l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Cmmm", 5, 25, "mmm", "hkl: h+k=2n; 0kl: k=2n; h0l: h=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n"},
    {"C2221", 5, 26, "mmm", "hkl: h+k=2n; 0kl: k=2n; h0l: h=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Cmma", 5, 27, "mmm", "hkl: h+k=2n; 0kl: k=2n; h0l: h=2n; hk0: h,k=2n; h00: h=2n; 0k0: k=2n"},
    {"Cmcm", 5, 28, "mmm", "hkl: h+k=2n; 0kl: k=2n; h0l: h,l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Cmca", 5, 29, "mmm", "hkl: h+k=2n; 0kl: k=2n; h0l: h,l=2n; hk0: h,k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Cccm", 5, 30, "mmm", "hkl: h+k=2n; 0kl: k,l=2n; h0l: h,l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Ccca", 5, 31, "mmm", "hkl: h+k=2n; 0kl: k,l=2n; h0l: h,l=2n; hk0: h,k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Amm2", 5, 32, "mmm", "hkl: k+l=2n; 0kl: k+l=2n; h0l: l=2n; hk0: k=2n; 0k0: k=2n; 00l: l=2n"},
    {"Ama2", 5, 33, "mmm", "hkl: k+l=2n; 0kl: k+l=2n; h0l: h,l=2n; hk0: k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Abm2", 5, 34, "mmm", "hkl: k+l=2n; 0kl: k,l=2n; h0l: l=2n; hk0: k=2n; 0k0: k=2n; 00l: l=2n"},
    {"Aba2", 5, 35, "mmm", "hkl: k+l=2n; 0kl: k,l=2n; h0l: h,l=2n; hk0: k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Immm", 5, 36, "mmm", "hkl: h+k+l=2n; 0kl: k+l=2n; h0l: h+l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Imma", 5, 37, "mmm", "hkl: h+k+l=2n; 0kl: k+l=2n; h0l: h+l=2n; hk0: h,k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Ima2", 5, 38, "mmm", "hkl: h+k+l=2n; 0kl: k+l=2n; h0l: h,l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Ibam", 5, 39, "mmm", "hkl: h+k+l=2n; 0kl: k,l=2n; h0l: h,l=2n; hk0: h+k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Ibca", 5, 40, "mmm", "hkl: h+k+l=2n; 0kl: k,l=2n; h0l: h,l=2n; hk0: h,k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Fmmm", 5, 41, "mmm", "hkl: h+k,h+l,k+l=2n; 0kl: k,l=2n; h0l: h,l=2n; hk0: h,k=2n; h00: h=2n; 0k0: k=2n; 00l: l=2n"},
    {"Fdd2", 5, 42, "mmm",
     "hkl: h+k,h+l,k+l=2n; 0kl: k+l=4n; 0kl: k,l=2n; h0l: h+l=4n; h0l: h,l=2n; hk0: h,k=2n; h00: h=4n; 0k0: k=4n; "
     "00l: l=4n"},
    {"Fddd", 5, 43, "mmm",
     "hkl: h+k,h+l,k+l=2n; 0kl: k+l=4n; 0kl: k,l=2n; h0l: h+l=4n; h0l: h,l=2n; hk0: h+k=4n; hk0: h,k=2n; h00: h=4n; "
     "0k0: k=4n; 00l: l=4n"},

    // Monoclinic, unique axis b, every entry.
    {"P2/m", 6, 0, "2/m", ""},
    {"P21/m", 6, 1, "2/m", "0k0: k=2n"},
    {"P2/a", 6, 2, "2/m", "h0l: h=2n; h00: h=2n"},
    {"P21/a", 6, 3, "2/m", "h0l: h=2n; h00: h=2n; 0k0: k=2n"},
    {"P2/c", 6, 4, "2/m", "h0l: l=2n; 00l: l=2n"},
    {"P21/c", 6, 5, "2/m", "h0l: l=2n; 00l: l=2n; 0k0: k=2n"},
    {"P2/n", 6, 6, "2/m", "h0l: h+l=2n; h00: h=2n; 00l: l=2n"},
    {"P21/n", 6, 7, "2/m", "h0l: h+l=2n; h00: h=2n; 00l: l=2n; 0k0: k=2n"},
    {"C2/m", 6, 8, "2/m", "hkl: h+k=2n; h0l: h=2n; 0kl: k=2n; hk0: h+k=2n; 0k0: k=2n; h00: h=2n"},
    {"C2/c", 6, 9, "2/m", "hkl: h+k=2n; h0l: h,l=2n; 0kl: k=2n; hk0: h+k=2n; 0k0: k=2n; h00: h=2n; 00l: l=2n"},
    {"A2/m", 6, 10, "2/m", "hkl: k+l=2n; h0l: l=2n; 0kl: k+l=2n; hk0: k=2n; 0k0: k=2n; 00l: l=2n"},
    {"A2/n", 6, 11, "2/m", "hkl: k+l=2n; h0l: h,l=2n; 0kl: k+l=2n; hk0: k=2n; 0k0: k=2n; h00: h=2n; 00l: l=2n"},
    {"I2/m", 6, 12, "2/m", "hkl: h+k+l=2n; h0l: h+l=2n; 0kl: k+l=2n; hk0: h+k=2n; 0k0: k=2n; h00: h=2n; 00l: l=2n"},
    {"I2/a", 6, 13, "2/m", "hkl: h+k+l=2n; h0l: h,l=2n; 0kl: k+l=2n; hk0: h+k=2n; 0k0: k=2n; h00: h=2n; 00l: l=2n"},

    {"P-1", 7, 0, "-1", ""},
};
// clang-format on

TEST(CatalogueTables, AbsencesAgreeWithInternationalTables) {
  for (const auto& g : kGroups) {
    const auto conditions = Parse(g.conditions);
    const auto ops = testing::LaueGroup(g.laue);
    ASSERT_FALSE(ops.empty()) << g.laue;
    CPattern p;
    p.CrystalSystem = g.system;
    p.SetExtinctionNumber(g.number);
    int mismatches = 0;
    for (int h = -8; h <= 8; ++h)
      for (int k = -8; k <= 8; ++k)
        for (int l = -8; l <= 8; ++l) {
          if (h == 0 && k == 0 && l == 0) continue;
          bool absent = false;
          for (const auto& op : ops) {
            const Triple image = testing::Apply(op, {h, k, l});
            for (const auto& c : conditions) absent = absent || Violates(c, image);
          }
          const bool allowed =
              p.IsAllowed(static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l));
          if (allowed == absent && ++mismatches <= 3)
            ADD_FAILURE() << g.name << " (" << g.system << "/" << g.number << "): " << h << " " << k << " " << l
                          << (absent ? " is absent but allowed" : " is present but refused");
        }
    EXPECT_EQ(mismatches, 0) << g.name;
  }
}

TEST(CatalogueTables, LaueGroupsHaveTheirOrders) {
  // Orders of the Laue groups (International Tables Vol. A, Table 10.1.2.2).
  const std::pair<const char*, std::size_t> orders[] = {
      {"-1", 2},    {"2/m", 4},  {"mmm", 8},    {"4/m", 8},  {"4/mmm", 16}, {"-3", 6},  {"-3m1", 12},
      {"-31m", 12}, {"6/m", 12}, {"6/mmm", 24}, {"m-3", 24}, {"m-3m", 48},  {"-3R", 6}, {"-3mR", 12}};
  for (const auto& [symbol, order] : orders) EXPECT_EQ(testing::LaueGroup(symbol).size(), order) << symbol;
  // The parser reads what the tables print.
  const auto c = Parse("hkl: -h+k+l=3n; hhl: 2h+l=4n; 0kl: k,l=2n");
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].sums[0], (std::array<int, 3>{-1, 1, 1}));
  EXPECT_EQ(c[0].modulus, 3);
  EXPECT_EQ(c[1].sums[0], (std::array<int, 3>{2, 0, 1}));
  EXPECT_EQ(c[2].sums.size(), 2u);
}

}  // namespace
}  // namespace quorlin
