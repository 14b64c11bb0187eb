#include "phases/unit_cell_library.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "core/bag_file.h"
#include "core/errors.h"
#include "core/numtext.h"

namespace quorlin {
namespace {

std::string Pair(int g, int c) { return std::to_string(g) + "," + std::to_string(c); }

// A number kept under `key`, which must convert when present.
double NumberAt(const PropertyBag& bag, const std::string& key, double defaultValue, const std::string& file) {
  if (!bag.Contains(key)) return defaultValue;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double v = bag.ReadDouble(key, nan);
  if (!std::isfinite(v)) throw FormatError(file, 0, key + " holds no finite number");
  return v;
}

std::int64_t WholeAt(const PropertyBag& bag, const std::string& key, std::int64_t lo, std::int64_t hi,
                     std::int64_t defaultValue, const std::string& file) {
  double v = NumberAt(bag, key, static_cast<double>(defaultValue), file);
  if (v != std::nearbyint(v) || v < static_cast<double>(lo) || v > static_cast<double>(hi))
    throw FormatError(file, 0,
                      key + " is " + GeneralText(v) +
                          (v != std::nearbyint(v) ? ", not a whole number" : ", outside the range") + " (expected " +
                          std::to_string(lo) + " to " + std::to_string(hi) + ")");
  return static_cast<std::int64_t>(v);
}

std::string TextAt(const PropertyBag& bag, const std::string& key, const char* defaultValue, const std::string& file) {
  if (!bag.Contains(key)) return defaultValue;
  BagValue v = bag.ReadProperty(key, std::string(defaultValue));
  if (!std::holds_alternative<std::string>(v)) throw FormatError(file, 0, key + " holds a number, expected a name");
  return std::get<std::string>(v);
}

std::string AsciiLowerCopy(std::string s) {
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return s;
}

}  // namespace

std::string GroupNameKey(int g) { return "GroupNames(" + std::to_string(g) + ")"; }
std::string CellNameKey(int g, int c) { return "CellNames(" + Pair(g, c) + ")"; }
std::string CellSymmetryKey(int g, int c) { return "CellSymmetries(" + Pair(g, c) + ")"; }
std::string ExtinctionNumberKey(int g, int c) { return "ExtinctionNumbers(" + Pair(g, c) + ")"; }
std::string CellParameterKey(int g, int c, int p) {
  return "CellParameters(" + Pair(g, c) + "," + std::to_string(p) + ")";
}

// Volume factor 1 - cos^2 a - cos^2 b - cos^2 g + 2 cos a cos b cos g must be
// positive (Giacovazzo, Fundamentals of Crystallography, cell volume).
std::string CellProblem(const std::array<float, 6>& p) {
  for (int i = 0; i < 3; ++i)
    if (!(std::isfinite(p[i]) && p[i] > 0)) return "its edges must be positive";
  double cs[3];
  for (int i = 0; i < 3; ++i) {
    if (!(p[3 + i] > 0 && p[3 + i] < 180)) return "its angles must lie between 0 and 180 degrees";
    cs[i] = std::cos(p[3 + i] * std::numbers::pi / 180.0);
  }
  if (1 - cs[0] * cs[0] - cs[1] * cs[1] - cs[2] * cs[2] + 2 * cs[0] * cs[1] * cs[2] > 1e-9) return std::string();
  return "its angles cannot close: each must be less than the sum of the other two, and the three less than 360 "
         "degrees";
}

bool CellCanExist(const std::array<float, 6>& p) { return CellProblem(p).empty(); }

void UnitCellLibrary::WriteToBag(PropertyBag& bag) const {
  bag = PropertyBag();
  for (int g = 0; g < kGroups; ++g) {
    bag.WriteProperty(GroupNameKey(g), GroupName(g), std::string(" "));
    for (int c = 0; c < kSlots; ++c) {
      const UnitCellEntry& e = Entry(g, c);
      bag.WriteProperty(CellNameKey(g, c), e.name, std::string("."));
      bag.WriteProperty(CellSymmetryKey(g, c), e.symmetry, std::int32_t{7});
      bag.WriteProperty(ExtinctionNumberKey(g, c), e.extinction, std::int16_t{-1});
      for (int p = 0; p < 6; ++p) bag.WriteProperty(CellParameterKey(g, c, p), e.parameters[p], std::string("0.0"));
    }
  }
}

// Everything is read into a new library, so a refusal leaves the caller's
// library as it was. Free slots keep hidden values, which are checked only
// for being numbers; a filled slot must hold a cell that can exist.
UnitCellLibrary UnitCellLibrary::FromBag(const PropertyBag& bag, const std::string& file) {
  UnitCellLibrary lib;
  // A bag of some other kind (a project opened by mistake) would read as an
  // empty library and could then be saved over.
  if (!bag.empty()) {
    bool known = false;
    for (const auto& e : bag.Entries())
      for (const char* start :
           {"groupnames(", "cellnames(", "cellsymmetries(", "extinctionnumbers(", "cellparameters("})
        if (AsciiLowerCopy(e.name).rfind(start, 0) == 0) known = true;
    if (!known) throw FormatError(file, 0, "holds no unit cells (is it a project file?)");
  }
  for (int g = 0; g < kGroups; ++g) {
    lib.groups_[Index(g)] = TextAt(bag, GroupNameKey(g), " ", file);
    for (int c = 0; c < kSlots; ++c) {
      UnitCellEntry& e = lib.Entry(g, c);
      e.name = TextAt(bag, CellNameKey(g, c), ".", file);
      if (e.name.empty()) throw FormatError(file, 0, CellNameKey(g, c) + " is empty, expected a name or \".\"");
      e.symmetry = static_cast<std::int32_t>(WholeAt(bag, CellSymmetryKey(g, c), 1, 8, 7, file));
      // Catalogue entries are numbered from 0; no system has more than 100.
      e.extinction = static_cast<std::int16_t>(WholeAt(bag, ExtinctionNumberKey(g, c), -1, 99, -1, file));
      for (int p = 0; p < 6; ++p) {
        double v = NumberAt(bag, CellParameterKey(g, c, p), 0.0, file);
        if (std::fabs(v) > std::numeric_limits<float>::max())
          throw FormatError(file, 0, CellParameterKey(g, c, p) + " does not fit a single-precision number");
        e.parameters[p] = static_cast<float>(v);
      }
      if (!e.Free())
        if (const std::string problem = CellProblem(e.parameters); !problem.empty())
          throw FormatError(file, 0,
                            "the cell \"" + e.name + "\" (" + CellNameKey(g, c) + ") cannot exist: " + problem);
    }
  }
  return lib;
}

UnitCellLibrary UnitCellLibrary::ReadFile(const std::string& fileName) {
  PropertyBag bag;
  try {
    bag = ReadPropertyBagFromFile(fileName);
  } catch (const FormatError& e) {
    // The container is the project file's; the message names what was opened.
    std::string problem = e.problem();
    for (std::size_t at; (at = problem.find("project file")) != std::string::npos;)
      problem.replace(at, 12, "unit-cell library");
    throw FormatError(fileName, e.line(), problem);
  }
  return FromBag(bag, fileName);
}

void UnitCellLibrary::WriteFile(const std::string& fileName) const {
  if (fileName.empty()) return;
  PropertyBag bag;
  WriteToBag(bag);
  WritePropertyBagToFile(fileName, bag);
}

}  // namespace quorlin
