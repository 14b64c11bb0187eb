#include "data/jcpds.h"

#include <algorithm>
#include <cmath>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/text_input.h"
#include "reflections/catalogue.h"

namespace quorlin {
namespace {

[[noreturn]] void Fail(const std::string& file, long line, const std::string& problem) {
  throw FormatError(file, line, problem);
}

const char* SystemName(std::int16_t cs) {
  static const char* names[] = {"", "CUBIC", "HEXAGONAL", "TRIGONAL", "TETRAGONAL", "ORTHORHOMBIC", "MONOCLINIC",
                                "TRICLINIC"};
  return cs >= 1 && cs <= 7 ? names[cs] : "?";
}

std::vector<std::string> CommaFields(std::string_view line) {
  std::string s(line);
  std::replace(s.begin(), s.end(), ',', ' ');
  return Fields(s);
}

std::string Joined(const std::vector<std::string>& words) {
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

// A card's version number; 0 when the text holds none that fits an int.
int VersionNumber(std::string_view text) {
  const double v = LenientDouble(text);
  return std::isfinite(v) && std::fabs(v) < 1e6 ? static_cast<int>(v) : 0;
}

// The numbers at the start of a field list, up to the first field that is
// not one.
std::vector<double> LeadingNumbers(const std::vector<std::string>& f) {
  std::vector<double> out;
  for (const auto& s : f) {
    auto v = StrictDouble(s);
    if (!v) break;
    out.push_back(*v);
  }
  return out;
}

// The fields of a keyword line, "KEY:value" written without a blank too.
std::vector<std::string> KeywordFields(std::string_view line) {
  auto f = Fields(line);
  if (!f.empty()) {
    auto colon = f[0].find(':');
    if (colon != std::string::npos && colon + 1 < f[0].size()) {
      std::string rest = f[0].substr(colon + 1);
      f[0].resize(colon + 1);
      f.insert(f.begin() + 1, rest);
    }
  }
  return f;
}

// Whole-cell parameters from what a card gives. Indices: 0 a, 1 b, 2 c,
// 3 alpha, 4 beta, 5 gamma; given[i] is empty when the card lacks it.
std::array<float, 6> CompleteCell(std::int16_t cs, const std::array<std::optional<float>, 6>& given,
                                  const std::string& file, long line) {
  auto need = [&](std::initializer_list<int> which) {
    static const char* names[] = {"A", "B", "C", "ALPHA", "BETA", "GAMMA"};
    std::string missing;
    for (int i : which)
      if (!given[i]) missing += std::string(missing.empty() ? "" : ", ") + names[i];
    if (!missing.empty())
      Fail(file, line, std::string("a ") + SystemName(cs) + " card needs " + missing + ", which it does not give");
  };
  const float a = given[0].value_or(0);
  switch (cs) {
    case 1: need({0}); return {a, a, a, 90, 90, 90};
    case 2:
    case 3: need({0, 2}); return {a, a, *given[2], 90, 90, 120};
    case 4: need({0, 2}); return {a, a, *given[2], 90, 90, 90};
    case 5: need({0, 1, 2}); return {a, *given[1], *given[2], 90, 90, 90};
    case 6: need({0, 1, 2, 4}); return {a, *given[1], *given[2], 90, *given[4], 90};
    default: need({0, 1, 2, 3, 4, 5}); return {a, *given[1], *given[2], *given[3], *given[4], *given[5]};
  }
}

// Adds one "d I h k l" row (fields from `first` on). Fractional hkl are
// left out and counted.
void AddRow(JcpdsCard& card, const std::vector<std::string>& f, std::size_t first, const std::string& file,
            long line, std::string_view text) {
  if (f.size() < first + 5) Fail(file, line, "expected \"d I h k l\", found " + Quote(text));
  double v[5];
  for (int i = 0; i < 5; ++i) {
    auto n = StrictDouble(f[first + i]);
    if (!n) Fail(file, line, "expected a number in \"d I h k l\", found " + Quote(f[first + i]));
    v[i] = *n;
  }
  if (!(v[0] > 0) || !std::isfinite(static_cast<float>(v[0])))
    Fail(file, line, "expected a positive d-spacing, found " + Quote(f[first]));
  if (!ToInteger(static_cast<float>(v[1])))
    Fail(file, line, "intensity " + Quote(f[first + 1]) + " does not fit -32768..32767");
  std::int16_t hkl[3];
  for (int i = 0; i < 3; ++i) {
    double x = v[2 + i];
    auto r = ToInteger(x);
    if (!r) Fail(file, line, "index " + Quote(f[first + 2 + i]) + " does not fit -32768..32767");
    if (std::fabs(x - *r) > 1e-6) {
      ++card.leftOut;
      return;
    }
    hkl[i] = *r;
  }
  card.peaks.push_back({static_cast<float>(v[0]), static_cast<float>(v[1]), hkl[0], hkl[1], hkl[2]});
}

std::int16_t SymmetryFromWord(std::string word) {
  word = AsciiLower(word);
  if (word == "cubic") return 1;
  if (word == "hexagonal") return 2;
  if (word == "trigonal" || word == "rhombohedral") return 3;
  if (word == "tetragonal") return 4;
  if (word == "orthorhombic") return 5;
  if (word == "monoclinic") return 6;
  if (word == "triclinic") return 7;
  return 0;
}

// Symmetry codes of the positional layouts (0 is used for cubic too).
std::int16_t SymmetryFromCode(double code) {
  static const std::int16_t systems[] = {1, 1, 2, 4, 5, 6, 7};
  if (code != std::floor(code) || code < 0 || code > 6) return 0;
  return systems[static_cast<int>(code)];
}

// The equation-of-state constant a keyword names; nullptr for other keys.
std::optional<float>* Constant(JcpdsCard& card, const std::string& key) {
  if (key == "K0:") return &card.K0;
  if (key == "K0P:") return &card.K0p;
  if (key == "DK0DT:") return &card.thermal.dK0dT;
  if (key == "DK0PDT:") return &card.thermal.dK0pdT;
  if (key == "ALPHAT:") return &card.thermal.alphaT;
  if (key == "DALPHADT:") return &card.thermal.dAlphadT;
  return nullptr;
}

void ReadKeywordCard(TextLines& lines, const std::string& file, JcpdsCard& card) {
  std::array<std::optional<float>, 6> given;
  long symmetryLine = 0;
  std::string_view line;
  auto value = [&](const std::vector<std::string>& f) -> float {
    if (f.size() < 2) Fail(file, lines.Number(), "expected a value after " + f[0] + ", found none");
    auto v = StrictSingle(f[1]);
    if (!v) Fail(file, lines.Number(), "expected a number after " + f[0] + ", found " + Quote(f[1]));
    return *v;
  };
  static const char* cellKeys[] = {"A:", "B:", "C:", "ALPHA:", "BETA:", "GAMMA:"};
  while (lines.Next(line)) {
    auto f = KeywordFields(line);
    if (f.empty()) continue;
    const std::string& key = f[0];
    if (key == "VERSION:") {
      if (f.size() > 1) card.version = VersionNumber(f[1]);
    } else if (key == "COMMENT:") {
      card.comment = Joined(Fields(line.substr(line.find("COMMENT:") + 8)));
    } else if (key == "SYMMETRY:") {
      if (f.size() < 2) Fail(file, lines.Number(), "expected a symmetry after SYMMETRY:, found none");
      card.crystalSystem = SymmetryFromWord(f[1]);
      if (card.crystalSystem == 0)
        Fail(file, lines.Number(),
             "expected CUBIC, HEXAGONAL, TRIGONAL, RHOMBOHEDRAL, TETRAGONAL, ORTHORHOMBIC, MONOCLINIC or TRICLINIC, "
             "found " + Quote(f[1]));
      symmetryLine = lines.Number();
    } else if (std::optional<float>* constant = Constant(card, key)) {
      auto v = f.size() > 1 ? StrictSingle(f[1]) : std::nullopt;
      if (!v) card.notes.push_back("line " + std::to_string(lines.Number()) + ": " + key + " has no usable value");
      *constant = v;
    } else if (key == "DIHKL:") {
      AddRow(card, f, 1, file, lines.Number(), line);
    } else {
      for (int i = 0; i < 6; ++i)
        if (key == cellKeys[i]) given[i] = value(f);
    }
  }
  if (symmetryLine == 0) Fail(file, 0, "no SYMMETRY: line");
  card.cell = CompleteCell(card.crystalSystem, given, file, symmetryLine);
}

// Rows after a positional header: lines before the first "d I h k l" row
// are column captions, a thermal-expansion value or a placeholder. A line
// that starts with a number and has four fields or more is a damaged row,
// not one of those: it is refused rather than passed over.
void ReadRows(TextLines& lines, const std::string& file, JcpdsCard& card) {
  std::string_view line;
  bool started = false;
  while (lines.Next(line)) {
    auto f = Fields(line);
    if (f.empty()) continue;
    if (!started && LeadingNumbers(f).size() < 5 && !(f.size() >= 4 && IsNumeric(f[0]))) {
      // The thermal-expansion line of positional VERSION 4 cards.
      if (f.size() == 1 && !card.thermal.alphaT) card.thermal.alphaT = StrictSingle(f[0]);
      continue;
    }
    started = true;
    AddRow(card, f, 0, file, lines.Number(), line);
  }
}

void ReadPositionalCard(TextLines& lines, const std::string& file, JcpdsCard& card) {
  std::string_view line;
  if (!lines.Next(line)) Fail(file, lines.Number(), "the card ends after its version line");
  card.comment = Joined(Fields(line));
  // The symmetry line: code, K0, K0' (an empty line may stand before it).
  std::vector<std::string> f;
  while (f.empty()) {
    if (!lines.Next(line)) Fail(file, lines.Number(), "the card ends before its symmetry line");
    f = CommaFields(line);
  }
  const long codeLine = lines.Number();
  auto code = StrictDouble(f[0]);
  if (!code) Fail(file, codeLine, "expected the symmetry code (1 to 6), found " + Quote(f[0]));
  if (*code == 7)
    Fail(file, codeLine, "symmetry code 7 lists d-spacings without a cell; such a card cannot be drawn from a cell");
  card.crystalSystem = SymmetryFromCode(*code);
  if (card.crystalSystem == 0) Fail(file, codeLine, "expected the symmetry code (1 to 6), found " + Quote(f[0]));
  if (f.size() > 1) card.K0 = StrictSingle(f[1]);
  if (f.size() > 2) card.K0p = StrictSingle(f[2]);
  if (!card.K0 || !card.K0p) card.notes.push_back("line " + std::to_string(codeLine) + ": K0 or K0' has no usable value");

  std::vector<std::string> c;
  while (c.empty()) {
    if (!lines.Next(line)) Fail(file, lines.Number(), "the card ends before its cell line");
    c = CommaFields(line);
  }
  const long cellLine = lines.Number();
  std::vector<double> v = LeadingNumbers(c);
  std::array<std::optional<float>, 6> given;
  // Which parameters the cell line lists, by symmetry code.
  static const std::vector<int> layout[] = {{0}, {0}, {0, 2}, {0, 2}, {0, 1, 2}, {0, 1, 2, 4}, {0, 1, 2, 3, 4, 5}};
  const auto& which = layout[static_cast<int>(*code)];
  if (v.size() < which.size())
    Fail(file, cellLine,
         "expected " + std::to_string(which.size()) + " cell parameters for symmetry code " +
             std::to_string(static_cast<int>(*code)) + ", found " + Quote(line));
  for (std::size_t i = 0; i < which.size(); ++i) given[which[i]] = static_cast<float>(v[i]);
  card.cell = CompleteCell(card.crystalSystem, given, file, cellLine);
  ReadRows(lines, file, card);
}

void ReadOldCard(TextLines& lines, const std::string& file, JcpdsCard& card, std::string_view first) {
  card.version = 1;
  card.comment = Joined(Fields(first));
  std::string_view line;
  std::vector<std::string> f;
  while (f.empty()) {
    if (!lines.Next(line)) Fail(file, lines.Number(), "the card ends before its \"code a K0 K0' c/a\" line");
    f = CommaFields(line);
  }
  const long codeLine = lines.Number();
  std::vector<double> v = LeadingNumbers(f);
  // These cards give a and ratios only: 0 and 1 cubic, 2 hexagonal, 3 with
  // c/a and b/a orthorhombic, 4 with c/a tetragonal (stishovite's card).
  static const std::int16_t systems[] = {1, 1, 2, 5, 4};
  if (v.size() < 2 || v[0] != std::floor(v[0]) || v[0] < 0 || v[0] > 4)
    Fail(file, codeLine, "expected \"symmetry-code a K0 K0' c/a\" (or a VERSION: line), found " + Quote(line));
  card.crystalSystem = systems[static_cast<int>(v[0])];
  const double a = v[1];
  if (v.size() > 2) card.K0 = static_cast<float>(v[2]);
  if (v.size() > 3) card.K0p = static_cast<float>(v[3]);
  std::array<std::optional<float>, 6> given;
  given[0] = static_cast<float>(a);
  if (v.size() > 4) given[2] = static_cast<float>(a * v[4]);
  given[1] = static_cast<float>(v.size() > 5 && v[5] > 0 ? a * v[5] : a);
  card.cell = CompleteCell(card.crystalSystem, given, file, codeLine);
  ReadRows(lines, file, card);
}

}  // namespace

JcpdsCard ReadJcpdsCard(std::istream& in, const std::string& fileName) {
  TextLines lines(in);
  JcpdsCard card;
  std::string_view line;
  std::vector<std::string> f;
  while (f.empty()) {
    if (!lines.Next(line)) Fail(fileName, 0, "the file is empty; expected a jcpds card");
    f = KeywordFields(line);
  }
  if (f[0] == "VERSION:") {
    if (f.size() > 1) card.version = VersionNumber(f[1]);
    ReadKeywordCard(lines, fileName, card);
  } else if (f.size() == 1 && IsNumeric(f[0])) {
    card.version = VersionNumber(f[0]);
    ReadPositionalCard(lines, fileName, card);
  } else {
    ReadOldCard(lines, fileName, card, line);
  }
  if (card.peaks.size() > 32767) Fail(fileName, 0, "more than 32767 reflections");
  for (float p : card.cell)
    if (!std::isfinite(p) || !(p > 0)) Fail(fileName, 0, "the card's cell has a parameter that is not positive");
  if (card.leftOut > 0)
    card.notes.push_back(std::to_string(card.leftOut) + " row" + (card.leftOut == 1 ? "" : "s") +
                         " with fractional hkl left out");
  return card;
}

CardPhase CardPhaseOf(const JcpdsCard& card) {
  CardPhase c;
  c.cell = card.cell;
  const auto finite = [](const std::optional<float>& v, float fallback) {
    return v && std::isfinite(*v) ? *v : fallback;
  };
  c.K0 = finite(card.K0, 0);
  if (!(c.K0 > 0)) c.K0 = 0;
  c.K0p = finite(card.K0p, c.K0p);
  c.dK0dT = finite(card.thermal.dK0dT, 0);
  c.dK0pdT = finite(card.thermal.dK0pdT, 0);
  c.alphaT = finite(card.thermal.alphaT, 0);
  c.dAlphadT = finite(card.thermal.dAlphadT, 0);
  return c;
}

std::int32_t JcpdsBasis(std::int16_t crystalSystem) { return DerivedBasis(crystalSystem, -1); }

SetCrystalSystemFn CrystalSystemSetter(CPattern& pattern, CUnitCell& cell) {
  return [&pattern, &cell](std::int16_t crystalSystem) {
    pattern.SetExtinctionNumber(-1, &cell);
    pattern.CrystalSystem = crystalSystem;
    cell.SetBasis(1, DerivedBasis(crystalSystem, pattern.ExtinctionNumber()));
  };
}

namespace {

// The cell the card makes, tried on a copy so that a refusal changes nothing.
CUnitCell TrialCell(const JcpdsCard& card, const std::string& fileName, const CUnitCell& cell) {
  CUnitCell trial = cell;
  trial.SetBasis(1, JcpdsBasis(card.crystalSystem));
  if (!trial.SetCell(1, card.cell)) {
    std::string text;
    for (float p : card.cell) text += (text.empty() ? "" : " ") + SingleText(p);
    Fail(fileName, 0, "the card's cell (" + text + ") lies outside the cell limits");
  }
  return trial;
}

clsPeakList PeaksFor(const JcpdsCard& card, const CUnitCell& cell) {
  clsPeakList list;
  list.SetNumberOfPeaks(static_cast<std::int16_t>(card.peaks.size()));
  for (std::size_t j = 0; j < card.peaks.size(); ++j) {
    const JcpdsPeak& p = card.peaks[j];
    const int i = static_cast<int>(j);
    list.SetIntens(i, p.intensity);
    float calculated = cell.hklDSpacing(p.h, p.k, p.l);
    list.SetAgrees(i, !(p.d - calculated > 0.1f));
    list.SetIncluded(i, true);
    list.Seth(i, p.h);
    list.Setk(i, p.k);
    list.Setl(i, p.l);
  }
  return list;
}

void SetCardCell(const JcpdsCard& card, CUnitCell& cell, const SetCrystalSystemFn& setCrystalSystem) {
  if (setCrystalSystem) setCrystalSystem(card.crystalSystem);
  cell.SetBasis(1, JcpdsBasis(card.crystalSystem));
  cell.SetCell(1, card.cell);
}

}  // namespace

void ApplyJcpdsCard(const JcpdsCard& card, const std::string& fileName, CUnitCell& cell,
                    const SetCrystalSystemFn& setCrystalSystem, clsPeakList& peaks) {
  CUnitCell trial = TrialCell(card, fileName, cell);
  clsPeakList list = PeaksFor(card, trial);
  SetCardCell(card, cell, setCrystalSystem);
  peaks = std::move(list);
}

std::int16_t OpenJCPDSPart1(std::istream& in, const std::string& fileName, CUnitCell& cell,
                            const SetCrystalSystemFn& setCrystalSystem) {
  JcpdsCard card = ReadJcpdsCard(in, fileName);
  TrialCell(card, fileName, cell);
  SetCardCell(card, cell, setCrystalSystem);
  return static_cast<std::int16_t>(card.peaks.size());
}

void OpenJCPDSPart2(std::istream& in, const std::string& fileName, std::int16_t count, clsPeakList& peaks,
                    const CUnitCell& cell) {
  JcpdsCard card = ReadJcpdsCard(in, fileName);
  if (static_cast<std::size_t>(count) != card.peaks.size())
    Fail(fileName, 0, "the card changed between its two readings");
  peaks = PeaksFor(card, cell);
}

}  // namespace quorlin
