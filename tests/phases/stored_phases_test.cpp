#include "phases/stored_phases.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quorlin;

namespace {

CUnitCell Cell(float a, float b, float c) {
  CUnitCell cell;
  EXPECT_TRUE(cell.SetCell(1, {a, b, c, 90, 90, 90}));
  return cell;
}

bool HasKeyStartingWith(const PropertyBag& bag, std::string_view start) {
  for (const auto& e : bag.Entries())
    if (e.name.rfind(start, 0) == 0) return true;
  return false;
}

}  // namespace

TEST(StoredPhases, SlotsKeepTheirOwnCopies) {
  CStoredPhases stored;
  for (int i = 0; i < CStoredPhases::kSlots; ++i) {
    EXPECT_FALSE(stored.StoredPattern(i).Exists);
    EXPECT_EQ(stored.StoredCrystalSystem(i), 8);
    EXPECT_EQ(stored.StoredLinePosition(i, 400), 0.0f);
    EXPECT_EQ(stored.StoredFluorescenceLine(4, i), 0.0f);
  }

  CPattern current;
  current.PatternName = "Quartz";
  current.Exists = current.Plotted = true;
  current.StoredColor = 0x00FF00;
  current.hmax = 3;
  stored.InsertPattern(2, current);
  current.PatternName = "Changed afterwards";
  EXPECT_EQ(stored.StoredPattern(2).PatternName, "Quartz");
  EXPECT_TRUE(stored.StoredPattern(2).Exists);
  CPattern back;
  stored.GetPattern(2, back);
  EXPECT_EQ(back.PatternName, "Quartz");
  EXPECT_EQ(back.StoredColor, 0x00FF00);
  EXPECT_EQ(back.hmax, 3);

  CUnitCell cell = Cell(5, 6, 7);
  EXPECT_TRUE(stored.InsertUnitCell(2, cell));
  EXPECT_TRUE(cell.SetCell(1, {8, 8, 8, 90, 90, 90}));
  EXPECT_FLOAT_EQ(stored.StoredUnitCell(2).Edge(1, 1), 6.0f);
  CUnitCell out;
  EXPECT_TRUE(stored.GetUnitCell(2, out));
  EXPECT_FLOAT_EQ(out.Edge(1, 0), 5.0f);
  EXPECT_FLOAT_EQ(out.Edge(1, 2), 7.0f);

  // A cell that the slot's own (narrowed) limits would refuse is still
  // stored whole...
  ASSERT_TRUE(stored.StoredUnitCell(4).SetEdgeMax(1, "10"));
  EXPECT_TRUE(stored.InsertUnitCell(4, Cell(50, 50, 50)));
  EXPECT_FLOAT_EQ(stored.StoredUnitCell(4).Edge(1, 0), 50.0f);
  // ...but copying it into a cell that cannot take it changes nothing.
  CUnitCell narrow = Cell(5, 5, 5);
  ASSERT_TRUE(narrow.SetEdgeMax(1, "10"));
  EXPECT_FALSE(stored.GetUnitCell(4, narrow));
  EXPECT_FLOAT_EQ(narrow.Edge(1, 0), 5.0f);

  // Bad slots and line indexes are refused, not written past the tables.
  EXPECT_THROW(stored.StoredPattern(5), std::out_of_range);
  EXPECT_THROW(stored.StoredUnitCell(-1), std::out_of_range);
  EXPECT_THROW(stored.SetStoredLinePosition(0, 401, 1.0f), std::out_of_range);
  EXPECT_THROW(stored.StoredFluorescenceLine(5, 0), std::out_of_range);
  EXPECT_THROW(stored.InsertPattern(7, current), std::out_of_range);
}

TEST(StoredPhases, PersistedKeysRoundTripThroughScratchObjects) {
  CStoredPhases stored;
  CPattern p;
  p.PatternName = "Pattern 1";
  p.Exists = p.Plotted = true;
  p.StoredColor = 0x0080FF;
  p.CrystalSystem = 5;
  stored.InsertPattern(0, p);
  stored.InsertUnitCell(0, Cell(5, 6, 7));
  stored.SetStoredCrystalSystem(0, 5);
  CPattern q;
  q.PatternName = "Halite";
  q.Exists = true;
  stored.InsertPattern(3, q);
  stored.InsertUnitCell(3, Cell(5.64f, 5.64f, 5.64f));
  stored.SetStoredCrystalSystem(3, 8);
  stored.InsertUnitCell(4, Cell(50, 60, 70));
  // Line positions and fluorescence energies are rebuilt, never stored.
  stored.SetStoredLinePosition(0, 10, 2.5f);
  stored.SetStoredFluorescenceLine(1, 0, 8.047f);

  PropertyBag bag;
  stored.WriteObjectState("x", bag);
  EXPECT_TRUE(bag.Contains("xCrystalSystem(0)"));
  EXPECT_FALSE(bag.Contains("xCrystalSystem(3)"));  // 8 is the default
  EXPECT_TRUE(bag.Contains("xStoredPattern(0)PatternName"));
  EXPECT_TRUE(HasKeyStartingWith(bag, "xStoredCell(0)"));
  EXPECT_TRUE(HasKeyStartingWith(bag, "xStoredCell(3)"));
  PropertyBag withoutLines;
  stored.SetStoredLinePosition(0, 10, 0.0f);
  stored.SetStoredFluorescenceLine(1, 0, 0.0f);
  stored.WriteObjectState("x", withoutLines);
  EXPECT_EQ(bag, withoutLines);

  // Read over an object holding other phases: every slot is replaced.
  CStoredPhases back;
  back.StoredPattern(1).Exists = true;
  back.StoredPattern(1).PatternName = "Old";
  back.SetStoredCrystalSystem(1, 2);
  back.ReadObjectState("x", bag);
  EXPECT_EQ(back.StoredPattern(0).PatternName, "Pattern 1");
  EXPECT_TRUE(back.StoredPattern(0).Exists);
  EXPECT_TRUE(back.StoredPattern(0).Plotted);
  EXPECT_EQ(back.StoredPattern(0).StoredColor, 0x0080FF);
  EXPECT_EQ(back.StoredCrystalSystem(0), 5);
  EXPECT_FLOAT_EQ(back.StoredUnitCell(0).Edge(1, 0), 5.0f);
  EXPECT_FLOAT_EQ(back.StoredUnitCell(0).Edge(1, 1), 6.0f);
  EXPECT_FLOAT_EQ(back.StoredUnitCell(0).Edge(1, 2), 7.0f);
  EXPECT_FALSE(back.StoredPattern(1).Exists);
  EXPECT_EQ(back.StoredPattern(1).PatternName, "");
  EXPECT_EQ(back.StoredCrystalSystem(1), 8);
  EXPECT_EQ(back.StoredPattern(3).PatternName, "Halite");
  EXPECT_EQ(back.StoredCrystalSystem(3), 8);
  EXPECT_FLOAT_EQ(back.StoredUnitCell(3).Edge(1, 2), 5.64f);
  EXPECT_FLOAT_EQ(back.StoredUnitCell(4).Edge(1, 2), 70.0f);
  // And it writes back the same keys.
  PropertyBag again;
  back.WriteObjectState("x", again);
  EXPECT_EQ(again, bag);
}
