// The crystal-system windows' logic without a display: what a symbol does to
// the model (conditions, list text, the cell's constraint, one undo step), the
// tetragonal Laue-class rules and the orthorhombic orientations.
#include "mainwindow/crystal_system_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "reflections/catalogue.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

using testing::ScriptedPlatform;

struct Model {
  ScriptedPlatform platform;
  MainModel m{platform};
  // A triclinic-looking free cell that no constraint leaves as it is.
  Model() {
    m.EliminateSymmetry();
    EXPECT_TRUE(m.UnitCell.SetCell(1, {5.0f, 6.0f, 7.0f, 80.0f, 95.0f, 100.0f}));
  }
  float P(int i) const { return std::stof(m.UnitCell.CellParameters(i, 1)); }
};

// The symbol tables against the catalogue, a separate table: every entry has
// an option of the same number, and no option lies beyond the last entry.
TEST(CrystalSystemTables, EveryCatalogueEntryHasItsOption) {
  for (std::int16_t s = 1; s <= 7; ++s) {
    const auto& w = CrystalSystemWindow(s);
    EXPECT_EQ(w.system, s);
    std::set<int> numbers;
    for (const auto& e : CatalogueEntries(s)) numbers.insert(e.number);
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(*numbers.begin(), 0);
    EXPECT_EQ(static_cast<int>(w.symbols.size()), *numbers.rbegin() + 1) << w.objectName;
    // The frames hold every option once, in order.
    int next = 0;
    for (const auto& f : w.frames) {
      EXPECT_EQ(f.first, next) << w.objectName;
      next = f.last + 1;
    }
    EXPECT_EQ(next, static_cast<int>(w.symbols.size())) << w.objectName;
  }
  EXPECT_EQ(CrystalSystemWindow(1).symbols[12], "F---");
  EXPECT_EQ(CrystalSystemWindow(3).symbols[8], "R--");
  EXPECT_EQ(CrystalSystemWindow(4).symbols[15], "P42/n--");
  EXPECT_EQ(CrystalSystemWindow(5).symbols[43], "Fddd");
  EXPECT_EQ(CrystalSystemWindow(6).symbols[13], "I1a1");
  EXPECT_THROW(CrystalSystemWindow(8), std::out_of_range);
}

// What a symbol does to the model. Expected lists from the catalogue's
// published tables; reflections worked by hand from the centring (F: h,k,l
// all even or all odd; R obverse: -h+k+l = 3n).
TEST(CrystalSystemDialogs, ChoosingASymbolSetsSystemConditionsAndCell) {
  struct Case {
    std::int16_t system;
    int symbol;
    const char* list;
    std::int32_t basis;
    std::int32_t centring;
    std::array<int, 3> allowed, absent;
  };
  const Case cases[] = {
      {Cubic, 12, "F23, Fm-3, F432, F-43m, Fm-3m", 0, CentringF, {2, 0, 0}, {1, 0, 0}},
      {Trigonal, 8, nullptr, 3, CentringR, {1, 0, 0}, {0, 0, 0}},
      {Trigonal, 4, nullptr, 2, CentringR, {1, 0, 1}, {1, 0, 0}},
      {Hexagonal, 2, nullptr, 2, CentringP, {0, 0, 3}, {0, 0, 1}},
      {Orthorhombic, 19, nullptr, 4, CentringP, {0, 1, 1}, {0, 1, 2}},
      {Monoclinic, 5, nullptr, 5, CentringP, {0, 0, 2}, {1, 0, 1}},
      {Triclinic, 0, "P1, P-1", 6, CentringP, {1, 0, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(CrystalSystemWindow(c.system).objectName) + " " + std::to_string(c.symbol));
    Model t;
    // Start from another system, so the window must replace it.
    t.m.SetCrystalSystem(c.system == Cubic ? Hexagonal : Cubic);
    t.m.pattern.SetExtinctionNumber(1, &t.m.UnitCell);
    const PropertyBag before = [&] {
      PropertyBag b;
      t.m.WriteStateToPb(b);
      return b;
    }();
    const std::string listBefore = t.m.pattern.SpaceGroupList;
    CrystalSystemDialog d(t.m, c.system);
    d.ChooseSymbol(c.symbol);
    EXPECT_EQ(t.m.CrystalSystem(), c.system);
    EXPECT_EQ(t.m.pattern.CrystalSystem, c.system);
    EXPECT_EQ(t.m.pattern.ExtinctionNumber(), c.symbol);
    EXPECT_EQ(d.SelectedSymbol(), c.symbol);
    const char* list = c.list;
    std::string fromCatalogue;
    for (const auto& e : CatalogueEntries(c.system))
      if (e.number == c.symbol) fromCatalogue = std::string(e.spaceGroups);
    EXPECT_EQ(d.SpaceGroupText(), list ? std::string(list) : fromCatalogue);
    EXPECT_EQ(t.m.UnitCell.Basis(), c.basis);
    EXPECT_EQ(t.m.UnitCell.CenteringType, c.centring);
    EXPECT_TRUE(t.m.pattern.IsAllowed(c.allowed[0], c.allowed[1], c.allowed[2]));
    if (c.absent != std::array<int, 3>{0, 0, 0}) {  // 000: the symbol has no absences
      EXPECT_FALSE(t.m.pattern.IsAllowed(c.absent[0], c.absent[1], c.absent[2]));
    }
    // The constraint of the new axes holds.
    switch (c.basis) {
      case 0:
        EXPECT_EQ(t.P(1), t.P(0));
        EXPECT_EQ(t.P(2), t.P(0));
        EXPECT_EQ(t.P(3), 90);
        EXPECT_EQ(t.P(5), 90);
        break;
      case 2:
        EXPECT_EQ(t.P(1), t.P(0));
        EXPECT_EQ(t.P(5), 120);
        EXPECT_EQ(t.P(3), 90);
        break;
      case 3:
        EXPECT_EQ(t.P(1), t.P(0));
        EXPECT_EQ(t.P(2), t.P(0));
        EXPECT_EQ(t.P(4), t.P(3));
        EXPECT_EQ(t.P(5), t.P(3));
        break;
      case 4:
        EXPECT_EQ(t.P(3), 90);
        EXPECT_EQ(t.P(4), 90);
        EXPECT_EQ(t.P(5), 90);
        break;
      case 5:
        EXPECT_EQ(t.P(3), 90);
        EXPECT_EQ(t.P(5), 90);
        break;
      default:
        break;
    }
    // One undo step returns to the state before the choice.
    t.m.Undo();
    PropertyBag after;
    t.m.WriteStateToPb(after);
    EXPECT_TRUE(after == before);
    EXPECT_EQ(d.SpaceGroupText(), listBefore);
    EXPECT_EQ(d.SelectedSymbol(), -1);
  }
}

TEST(CrystalSystemDialogs, NoSymbolKeepsTheConditionsAndShowsNone) {
  Model t;
  CrystalSystemDialog d(t.m, Cubic);
  d.ChooseSymbol(12);
  std::array<std::int16_t, 12> conds{};
  for (int i = 0; i < 12; ++i) conds[static_cast<std::size_t>(i)] = t.m.pattern.ExtCond(i);
  d.NoExtinctionSymbol();
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), -1);
  EXPECT_EQ(d.SpaceGroupText(), "None");
  EXPECT_EQ(d.SelectedSymbol(), -1);
  EXPECT_EQ(t.m.CrystalSystem(), Cubic);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(t.m.pattern.ExtCond(i), conds[static_cast<std::size_t>(i)]);
}

// Tetragonal Laue classes: LaueClass 3 is 4/m, 4 is 4/mmm. P42/n (15) and
// I41/a (28) exist only in 4/m; P4 (0) and P42 (2) in both classes (ITA).
TEST(CrystalSystemDialogs, TetragonalLaueClassFollowsTheSymbolAndTheRememberedChoice) {
  Model t;
  CrystalSystemDialog d(t.m, Tetragonal);
  struct Step {
    int symbol;
    int laueChoice;
    int laue;
    bool optionsEnabled;
    bool lockEnabled;
  };
  const Step steps[] = {
      {0, -1, 4, true, false},                            // both: the remembered 4/mmm
      {0, 0, 3, true, false},                             // the user picks 4/m
      {2, -1, 3, true, false},                            // both: remembered 4/m
      {15, -1, 3, false, true},                           // only 4/m
      {6, -1, 4, false, true},                            // P--c: only 4/mmm
      {28, -1, 3, false, true}, {24, -1, 3, true, true},  // both again: remembered 4/m
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.symbol);
    d.ChooseSymbol(s.symbol);
    if (s.laueChoice >= 0) d.ChooseLaueClass(s.laueChoice);
    EXPECT_EQ(t.m.pattern.LaueClass, s.laue);
    EXPECT_EQ(d.SelectedLaueOption(), s.laue == 3 ? 0 : 1);
    EXPECT_EQ(d.LaueOptionsEnabled(), s.optionsEnabled);
    EXPECT_EQ(d.LockEnabled(), s.lockEnabled);
  }
  EXPECT_EQ(t.m.UnitCell.Basis(), 1);
  // With the lock on under 4/m: one-class 4/mmm symbols are not offered.
  d.SetLock(true);
  EXPECT_TRUE(d.SymbolEnabled(15));
  EXPECT_TRUE(d.SymbolEnabled(0));
  EXPECT_FALSE(d.SymbolEnabled(6));
  d.ChooseSymbol(6);  // 4/mmm now
  EXPECT_FALSE(d.SymbolEnabled(15));
  EXPECT_TRUE(d.SymbolEnabled(1));
  d.SetLock(false);
  for (int i = 0; i <= 30; ++i) EXPECT_TRUE(d.SymbolEnabled(i));
  // No symbol: nothing selected, the Laue class and lock not offered.
  d.NoExtinctionSymbol();
  EXPECT_EQ(d.SelectedLaueOption(), -1);
  EXPECT_FALSE(d.LaueOptionsEnabled());
  EXPECT_FALSE(d.LockEnabled());
}

// Orientations: class 2 takes the cyclic (even) permutations of the axes,
// class 4 the a/b swap (Pbca: Pcab is the other setting), class 5 Amm2 with
// its b-a-c and c-b-a settings. Parities worked out from the edge order.
TEST(CrystalSystemDialogs, OrthorhombicOrientationsAndTheirCells) {
  const std::array<float, 3> e{3, 4, 5};
  const std::array<std::array<float, 3>, 6> cells{{{3, 4, 5}, {4, 3, 5}, {5, 3, 4}, {5, 4, 3}, {4, 5, 3}, {3, 5, 4}}};
  for (int o = 0; o < 6; ++o) EXPECT_EQ(OrientedEdges(o, e), cells[static_cast<std::size_t>(o)]) << o;
  auto even = [&](int o) {
    auto c = OrientedEdges(o, {0, 1, 2});
    int inversions = (c[0] > c[1]) + (c[0] > c[2]) + (c[1] > c[2]);
    return inversions % 2 == 0;
  };
  for (int symbol : {1, 2, 5, 8, 11, 16, 18, 22, 25, 26, 30, 39, 42})
    for (int o = 0; o < 6; ++o) EXPECT_EQ(AllowedOrientations(symbol)[static_cast<std::size_t>(o)], even(o)) << symbol;
  using A = std::array<bool, 6>;
  EXPECT_EQ(AllowedOrientations(0), (A{true, false, false, false, false, false}));  // P---
  EXPECT_EQ(AllowedOrientations(13), (A{true, true, false, false, false, false}));  // Pbca
  EXPECT_EQ(AllowedOrientations(32), (A{true, true, false, true, false, false}));   // A---
  EXPECT_EQ(AllowedOrientations(19), (A{true, true, true, true, true, true}));      // Pnma
  EXPECT_EQ(AllowedOrientations(-1), (A{}));

  // Choosing an orientation rewrites a, b, c from the reference edges.
  Model t;
  CrystalSystemDialog d(t.m, Orthorhombic);
  d.ChooseSymbol(19);
  ASSERT_TRUE(t.m.UnitCell.SetCell(1, {3, 4, 5, 90, 90, 90}));
  d.Activate();
  d.ChooseOrientation(4);
  EXPECT_EQ(d.Orientation(), 4);
  EXPECT_EQ(t.P(0), 4);
  EXPECT_EQ(t.P(1), 5);
  EXPECT_EQ(t.P(2), 3);
  d.ChooseOrientation(1);  // from the reference, not from the cell now
  EXPECT_EQ(t.P(0), 4);
  EXPECT_EQ(t.P(1), 3);
  EXPECT_EQ(t.P(2), 5);
  t.m.Undo();
  EXPECT_EQ(t.P(1), 5);
  // A symbol that does not allow it refuses the orientation.
  d.ChooseSymbol(0);
  EXPECT_EQ(d.Orientation(), 0);
  d.ChooseOrientation(3);
  EXPECT_EQ(d.Orientation(), 0);
}

// Undo toggles: twice returns to exactly where the user was, the Laue class
// the user chose included; a project keeps that class, and an open window
// shows the orientation the restored cell is in.
TEST(CrystalSystemDialogs, UndoAndProjectsKeepTheChosenLaueClassAndOrientation) {
  Model t;
  CrystalSystemDialog tetragonal(t.m, Tetragonal);
  tetragonal.ChooseSymbol(0);        // P---, both classes: 4/mmm
  tetragonal.ChooseLaueClass(0);     // 4/m
  tetragonal.ChooseSymbol(2);        // P42--: keeps 4/m
  t.m.Undo();
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 0);
  EXPECT_EQ(t.m.pattern.LaueClass, 3);
  t.m.Undo();
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 2);
  EXPECT_EQ(t.m.pattern.LaueClass, 3);

  PropertyBag saved;
  t.m.WriteStateToPb(saved);
  EXPECT_TRUE(saved.Contains("LaueClass"));
  Model reopened;
  reopened.m.ReadStateFromPb(saved);
  EXPECT_EQ(reopened.m.pattern.LaueClass, 3);
  // The catalogue's own class is not written; an unknown code reads as it.
  tetragonal.ChooseLaueClass(1);
  t.m.WriteStateToPb(saved);
  EXPECT_FALSE(saved.Contains("LaueClass"));
  saved.WriteProperty("LaueClass", std::int32_t{7}, std::int32_t{0});
  reopened.m.ReadStateFromPb(saved);
  EXPECT_EQ(reopened.m.pattern.LaueClass, 4);

  CrystalSystemDialog ortho(t.m, Orthorhombic);
  ortho.ChooseSymbol(32);  // A---: a-b-c, b-a-c and c-b-a
  ASSERT_TRUE(t.m.UnitCell.SetCell(1, {3, 4, 5, 90, 90, 90}));
  ortho.Activate();
  ortho.ChooseOrientation(1);
  ortho.ChooseOrientation(3);
  t.m.Undo();
  EXPECT_EQ(t.P(0), 4);
  EXPECT_EQ(ortho.Orientation(), 1);
  ortho.StepThrough();  // on from b-a-c: c-b-a, the same symbol
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 32);
  EXPECT_EQ(ortho.Orientation(), 3);
  EXPECT_EQ(t.P(0), 5);
}

TEST(CrystalSystemDialogs, StepThroughVisitsEveryAllowedPairAndWraps) {
  Model t;
  ASSERT_TRUE(t.m.UnitCell.SetCell(1, {3, 4, 5, 90, 90, 90}));
  CrystalSystemDialog d(t.m, Orthorhombic);
  d.ChooseSymbol(24);  // Pnnn: only a-b-c
  d.StepThrough();
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 25);
  EXPECT_EQ(d.Orientation(), 0);
  d.ChooseSymbol(13);  // Pbca: a-b-c, then b-a-c, then Pbcn at a-b-c
  d.StepThrough();
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 13);
  EXPECT_EQ(d.Orientation(), 1);
  EXPECT_EQ(t.P(0), 4);
  d.StepThrough();
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 14);
  EXPECT_EQ(d.Orientation(), 0);
  EXPECT_EQ(t.P(0), 3);  // the cell is back in a-b-c
  d.ChooseSymbol(43);
  d.StepThrough();
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 0);

  // A full round visits each allowed (symbol, orientation) pair once.
  int pairs = 0;
  for (int s = 0; s <= 43; ++s) {
    auto a = AllowedOrientations(s);
    pairs += static_cast<int>(std::count(a.begin(), a.end(), true));
  }
  std::set<std::pair<int, int>> seen;
  for (int i = 0; i < pairs; ++i) {
    seen.insert({t.m.pattern.ExtinctionNumber(), d.Orientation()});
    std::array<float, 3> expect = OrientedEdges(d.Orientation(), {3, 4, 5});
    for (int k = 0; k < 3; ++k) EXPECT_EQ(t.P(k), expect[static_cast<std::size_t>(k)]);
    d.StepThrough();
  }
  EXPECT_EQ(static_cast<int>(seen.size()), pairs);
  EXPECT_EQ(t.m.pattern.ExtinctionNumber(), 0);
  EXPECT_EQ(d.Orientation(), 0);
}

}  // namespace
}  // namespace quorlin
