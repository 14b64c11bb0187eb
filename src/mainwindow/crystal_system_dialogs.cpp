#include "mainwindow/crystal_system_dialogs.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "reflections/catalogue.h"

namespace quorlin {

namespace {

using sv = std::string_view;

// Symbol captions; position i is catalogue number i of the system.
constexpr sv kCubic[] = {"P---", "P21--, P41--", "P41--", "P--n", "Pa--",  "Pn--", "Pn-n", "I---", "I41--",
                         "I--d", "Ia--",         "Ia-d",  "F---", "F41--", "F--c", "Fd--", "Fd-c"};
constexpr sv kHexagonal[] = {"P---", "P63--", "P62--", "P61--", "P--c", "P-c-", "P-cc"};
constexpr sv kTrigonal[] = {"P---",     "P31--",    "P--c",     "P-c-", "R(obv)--",
                            "R(obv)-c", "R(rev)--", "R(rev)-c", "R--",  "R-c"};
constexpr sv kTetragonal[] = {"P---",  "P-21-", "P42--", "P4221-", "P41--",   "P4121-", "P--c", "P-21c",
                              "P-b-",  "P-bc",  "P-c-",  "P-cc",   "P-n-",    "P-nc",   "Pn--", "P42/n--",
                              "Pn-c",  "Pnb-",  "Pnbc",  "Pnc-",   "Pncc",    "Pnn-",   "Pnnc", "I---",
                              "I41--", "I--d",  "I-c-",  "I-cd",   "I41/a--", "Ia-d",   "Iacd"};
constexpr sv kOrthorhombic[] = {
    "P---", "P--21",   "P2121-",  "P212121", "P--a",    "P--n",    "P-a-", "P-c-",    "P-n-", "P-na",    "Pba-",
    "Pban", "Pbc-",    "Pbca",    "Pbcn",    "Pca-",    "Pcc-",    "Pcca", "Pccn",    "Pn-a", "Pna-",    "Pnc-",
    "Pnn-", "Pnna",    "Pnnn",    "C---",    "C--21",   "C--(ab)", "C-c-", "C-c(ab)", "Ccc-", "Ccc(ab)", "A---",
    "A-a-", "A(bc)--", "A(bc)a-", "I---",    "I--(ab)", "I-(ac)-", "Iba-", "Ibca",    "F---", "Fdd-",    "Fddd"};
constexpr sv kMonoclinic[] = {"P1-1",      "P1 21 1", "P1a1", "P1 21/a 1", "P1c1", "P1 21/c 1", "P1n1",
                              "P1 21/n 1", "C1-1",    "C1c1", "A1-1",      "A1n1", "I1-1",      "I1a1"};
constexpr sv kTriclinic[] = {"P-"};
constexpr sv kOrientations[] = {"a-b-c", "b-a-c", "c-a-b", "c-b-a", "b-c-a", "a-c-b"};

constexpr SymbolFrame kCubicFrames[] = {{"Extinction Symbol", 0, 16}};
constexpr SymbolFrame kHexagonalFrames[] = {{"Extinction Symbol", 0, 6}};
constexpr SymbolFrame kTrigonalFrames[] = {{"Hexagonal axes", 0, 7}, {"Rhombohedral axes", 8, 9}};
constexpr SymbolFrame kTetragonalFrames[] = {{"Primitive", 0, 22}, {"Body-centered", 23, 30}};
constexpr SymbolFrame kOrthorhombicFrames[] = {{"Primitive", 0, 24}, {"Centered", 25, 43}};
constexpr SymbolFrame kMonoclinicFrames[] = {{"Unique axis b", 0, 13}};
constexpr SymbolFrame kTriclinicFrames[] = {{"Extinction symbols", 0, 0}};

const CrystalSystemWindowLayout kWindows[] = {
    {1, "frmCubic", "Cubic System", "ExtinctionSymbol", kCubic, kCubicFrames, "No Extinction Symbol", "OKCommand",
     "Possible Space Groups:"},
    {2, "frmHexagonal", "Hexagonal System", "ExtinctionSymbol", kHexagonal, kHexagonalFrames, "No Extinction Symbol",
     "OKCommand", "Possible Space Groups:"},
    {3, "frmTrigonal", "Trigonal System", "ExtinctionSymbol", kTrigonal, kTrigonalFrames, "No Extinction Symbol",
     "OKCommand", "Possible Space Groups:"},
    {4, "frmTetragonal", "Tetragonal System", "optExtinctionSymbol", kTetragonal, kTetragonalFrames,
     "No Extinction Symbol", "OKCommand", "Possible space groups:"},
    {5, "frmOrthorhombic", "Orthorhombic", "optExtinctionSymbol", kOrthorhombic, kOrthorhombicFrames,
     "No Extinction Symbol", "OKCommand", "Possible Space Groups:"},
    {6, "frmMonoclinic", "Monoclinic System", "ExtinctionSymbol", kMonoclinic, kMonoclinicFrames,
     "No extinction symbol", "OKCommand", "Possible Space Groups:"},
    {7, "frmTriclinic", "Triclinic", "ExtinctionSymbol", kTriclinic, kTriclinicFrames, "No extinction symbol", "cmdOK",
     "Possible Space Groups:"},
};

constexpr int kLaue4m = 3;    // LaueClass code of 4/m
constexpr int kLaue4mmm = 4;  // LaueClass code of 4/mmm

bool In(std::initializer_list<int> list, int v) { return std::find(list.begin(), list.end(), v) != list.end(); }

}  // namespace

const CrystalSystemWindowLayout& CrystalSystemWindow(std::int16_t system) {
  if (system < 1 || system > 7) throw std::out_of_range("crystal system window");
  return kWindows[system - 1];
}

std::span<const std::string_view> OrientationCaptions() { return kOrientations; }

int TetragonalLaueCompatibility(int symbol) {
  if (In({0, 2, 4, 14, 23, 24}, symbol)) return 2;
  if (In({15, 28}, symbol)) return 0;
  return 1;
}

int OrthorhombicPermutationClass(int symbol) {
  if (In({0, 3, 24, 36, 41, 43}, symbol)) return 1;
  if (In({1, 2, 5, 8, 11, 16, 18, 22, 25, 26, 30, 39, 42}, symbol)) return 2;
  if (In({13, 40}, symbol)) return 4;
  if (symbol == 32) return 5;
  if (symbol >= 0 && symbol <= 43) return 3;
  return 0;
}

std::array<bool, 6> AllowedOrientations(int symbol) {
  switch (OrthorhombicPermutationClass(symbol)) {
    case 1:
      return {true, false, false, false, false, false};
    case 2:
      return {true, false, true, false, true, false};  // the cyclic permutations
    case 3:
      return {true, true, true, true, true, true};
    case 4:
      return {true, true, false, false, false, false};
    case 5:
      return {true, true, false, true, false, false};
    default:
      return {};
  }
}

std::array<float, 3> OrientedEdges(int orientation, const std::array<float, 3>& e) {
  // Which reference edge becomes a, b and c.
  static constexpr int kOrder[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
  if (orientation < 0 || orientation > 5) orientation = 0;
  const int* o = kOrder[orientation];
  return {e[o[0]], e[o[1]], e[o[2]]};
}

CrystalSystemDialog::CrystalSystemDialog(MainModel& model, std::int16_t system)
    : model_(model), layout_(CrystalSystemWindow(system)) {
  Activate();
}

bool CrystalSystemDialog::Current() const { return model_.CrystalSystem() == layout_.system; }

int CrystalSystemDialog::SelectedSymbol() const {
  if (!Current()) return -1;
  int n = model_.pattern.ExtinctionNumber();
  return n >= 0 && n < static_cast<int>(layout_.symbols.size()) ? n : -1;
}

std::string CrystalSystemDialog::SpaceGroupText() const { return model_.pattern.SpaceGroupList; }

void CrystalSystemDialog::SetSystemAndNumber(int symbol) {
  const auto number = static_cast<std::int16_t>(symbol);
  if (layout_.system == Trigonal) {
    // The number goes first so that the cell's axes are derived from it. The
    // pattern must already be trigonal, or the entry of the same number of
    // the previous system would be applied.
    model_.pattern.CrystalSystem = Trigonal;
    model_.pattern.SetExtinctionNumber(number, &model_.UnitCell);
    model_.SetCrystalSystem(layout_.system);
  } else {
    model_.SetCrystalSystem(layout_.system);
    model_.pattern.SetExtinctionNumber(number, &model_.UnitCell);
  }
}

void CrystalSystemDialog::ChooseSymbol(int symbol) {
  if (symbol < 0 || symbol >= static_cast<int>(layout_.symbols.size())) return;
  model_.Edit([&] {
    SetSystemAndNumber(symbol);
    switch (layout_.system) {
      case Tetragonal:
        switch (TetragonalLaueCompatibility(symbol)) {
          case 0:
            model_.pattern.LaueClass = kLaue4m;
            lockAvailable_ = true;
            break;
          case 1:
            model_.pattern.LaueClass = kLaue4mmm;
            lockAvailable_ = true;
            break;
          default:
            model_.pattern.LaueClass = rememberedLaue_;
            break;
        }
        break;
      case Orthorhombic:
        // The cell is left as it is; the orientation starts again at a-b-c.
        SetOrientation(0);
        model_.SymmetryChanged();
        break;
      default:
        model_.SymmetryChanged();
        break;
    }
  });
}

void CrystalSystemDialog::NoExtinctionSymbol() {
  model_.Edit([&] {
    SetSystemAndNumber(-1);
    lockAvailable_ = false;
    if (layout_.system == Orthorhombic) model_.SymmetryChanged();
  });
}

// --- tetragonal -----------------------------------------------------------------

int CrystalSystemDialog::SelectedLaueOption() const {
  if (SelectedSymbol() < 0) return -1;
  if (model_.pattern.LaueClass == kLaue4m) return 0;
  if (model_.pattern.LaueClass == kLaue4mmm) return 1;
  return -1;
}

bool CrystalSystemDialog::LaueOptionsEnabled() const {
  int s = SelectedSymbol();
  return s >= 0 && TetragonalLaueCompatibility(s) == 2;
}

bool CrystalSystemDialog::LockEnabled() const { return SelectedSymbol() >= 0 && lockAvailable_; }

void CrystalSystemDialog::SetLock(bool on) { lock_ = on; }

void CrystalSystemDialog::ChooseLaueClass(int option) {
  if (option != 0 && option != 1) return;
  rememberedLaue_ = option == 0 ? kLaue4m : kLaue4mmm;
  model_.Edit([&] { model_.pattern.LaueClass = rememberedLaue_; });
}

bool CrystalSystemDialog::SymbolEnabled(int symbol) const {
  if (symbol < 0 || symbol >= static_cast<int>(layout_.symbols.size())) return false;
  if (layout_.system != Tetragonal || !lock_ || SelectedSymbol() < 0) return true;
  switch (TetragonalLaueCompatibility(symbol)) {
    case 0:
      return model_.pattern.LaueClass == kLaue4m;
    case 1:
      return model_.pattern.LaueClass == kLaue4mmm;
    default:
      return true;
  }
}

// --- orthorhombic ---------------------------------------------------------------

void CrystalSystemDialog::Activate() {
  reference_ = Edges();
  SetOrientation(0);
}

std::array<float, 3> CrystalSystemDialog::Edges() const {
  return {model_.UnitCell.Edge(1, 0), model_.UnitCell.Edge(1, 1), model_.UnitCell.Edge(1, 2)};
}

void CrystalSystemDialog::SetOrientation(int orientation) {
  orientation_ = orientation;
  orientedEdges_ = Edges();
}

int CrystalSystemDialog::Orientation() const {
  const auto now = Edges();
  auto same = [&](const std::array<float, 3>& e) {
    // The state keeps edges as text: a restored edge may differ in its last bit.
    for (std::size_t i = 0; i < 3; ++i)
      if (std::fabs(now[i] - e[i]) > 1e-5f * std::fabs(now[i])) return false;
    return true;
  };
  // The cell is as the window left it; otherwise (an Undo) the orientation
  // of the reference edges that the cell now shows.
  if (same(orientedEdges_)) return orientation_;
  for (int o = 0; o <= 5; ++o)
    if (same(OrientedEdges(o, reference_))) return o;
  return orientation_;
}

std::array<bool, 6> CrystalSystemDialog::OrientationsAllowed() const { return AllowedOrientations(SelectedSymbol()); }

bool CrystalSystemDialog::WriteOrientation(int orientation) {
  // All three edges at once: one at a time, an intermediate cell could be
  // refused by the edge limits and leave the axes half permuted.
  const auto e = OrientedEdges(orientation, reference_);
  const CUnitCell& c = model_.UnitCell;
  std::array<float, 6> p{
      e[0], e[1], e[2], c.CellAngle(1, 0).Degrees(), c.CellAngle(1, 1).Degrees(), c.CellAngle(1, 2).Degrees()};
  if (!model_.UnitCell.SetCell(1, p)) return false;
  SetOrientation(orientation);
  model_.SymmetryChanged();
  return true;
}

void CrystalSystemDialog::ChooseOrientation(int orientation) {
  if (orientation < 0 || orientation > 5 || !OrientationsAllowed()[static_cast<std::size_t>(orientation)]) return;
  model_.Edit([&] { WriteOrientation(orientation); });
}

void CrystalSystemDialog::StepThrough() {
  const int symbol = SelectedSymbol();
  if (symbol < 0) return;
  const auto allowed = AllowedOrientations(symbol);
  SetOrientation(Orientation());
  for (int o = orientation_ + 1; o <= 5; ++o)
    if (allowed[static_cast<std::size_t>(o)]) {
      ChooseOrientation(o);
      return;
    }
  model_.Edit([&] {
    // Back to a-b-c before the next symbol, so that its orientations are
    // permutations of the reference edges and a-b-c is the cell shown.
    if (orientation_ != 0) WriteOrientation(0);
    SetOrientation(0);
    SetSystemAndNumber((symbol + 1) % static_cast<int>(layout_.symbols.size()));
    model_.SymmetryChanged();
  });
}

}  // namespace quorlin
