#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reflections/catalogue.h"
#include "reflections/pattern.h"

namespace quorlin {
namespace {

TEST(PatternState, AnEmptyBagReadsAsTheFactoryState) {
  CPattern p;
  p.SetExtCond(3, 2);
  p.hmin = -9;
  p.PatternName = "x";
  p.ReadObjectState("", PropertyBag{});
  EXPECT_EQ(p.CrystalSystem, 8);
  EXPECT_EQ(p.ExtinctionNumber(), 0);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(p.ExtCond(i), -1) << i;
  for (int i = 0; i < 7; ++i) {
    EXPECT_TRUE(p.DimensionFlags(i)) << i;
    EXPECT_EQ(p.DimensionEnabled(i), i == 6) << i;
  }
  EXPECT_EQ(p.hmin, -4);
  EXPECT_EQ(p.hmax, 4);
  EXPECT_EQ(p.kmin, -4);
  EXPECT_EQ(p.kmax, 4);
  EXPECT_EQ(p.lmin, 0);
  EXPECT_EQ(p.lmax, 4);
  EXPECT_EQ(p.PatternName, "");
  EXPECT_EQ(p.linewidth, 1);
  EXPECT_EQ(p.ColorScheme, "UserColor");
  EXPECT_EQ(p.LineColor, 255 << 16);  // blue 255, green 0, red 0
  EXPECT_EQ(p.StoredColor, 0xFFFFFF);
  EXPECT_EQ(p.AbsenceColor, 255);  // pure red
  EXPECT_FALSE(p.FreeRemoval());
  EXPECT_FALSE(p.PlotAbsences);
  EXPECT_FALSE(p.Exists);
  EXPECT_FALSE(p.Plotted);

  // Writing that state stores nothing at all, since every value is a default.
  PropertyBag bag;
  p.WriteObjectState("", bag);
  EXPECT_TRUE(bag.empty());
}

TEST(PatternState, RoundTripKeepsAHandMadeSetExactly) {
  CPattern p;
  p.CrystalSystem = Tetragonal;
  p.SetExtinctionNumber(25);
  p.SetExtCond(Zone00l, 3);  // edited after choosing the entry
  p.SetExtinctionNumber(-1);
  p.PatternName = "zircon";
  p.hmin = -7;
  p.hmax = 8;
  p.kmin = -1;
  p.kmax = 2;
  p.lmin = -3;
  p.lmax = 9;
  p.linewidth = 3;
  p.ColorScheme = "Intensity";
  p.LineColor = 0x123456;
  p.StoredColor = 0x00FF00;
  p.AbsenceColor = 0x0000AA;
  p.PlotAbsences = true;
  p.Exists = true;
  p.Plotted = true;
  p.SetFreeRemoval(true);
  for (int i = 0; i < 7; ++i) p.PreviousState(i, i % 2 == 0, i % 3 == 0);

  PropertyBag bag;
  p.WriteObjectState("Stored(2)", bag);
  CPattern q;
  q.ReadObjectState("Stored(2)", bag);
  EXPECT_EQ(q.CrystalSystem, Tetragonal);
  EXPECT_EQ(q.ExtinctionNumber(), -1);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(q.ExtCond(i), p.ExtCond(i)) << i;
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(q.DimensionFlags(i), p.DimensionFlags(i)) << i;
    EXPECT_EQ(q.DimensionEnabled(i), p.DimensionEnabled(i)) << i;
  }
  EXPECT_EQ(q.PatternName, "zircon");
  EXPECT_EQ(q.hmin, -7);
  EXPECT_EQ(q.hmax, 8);
  EXPECT_EQ(q.kmin, -1);
  EXPECT_EQ(q.kmax, 2);
  EXPECT_EQ(q.lmin, -3);
  EXPECT_EQ(q.lmax, 9);
  EXPECT_EQ(q.linewidth, 3);
  EXPECT_EQ(q.ColorScheme, "Intensity");
  EXPECT_EQ(q.LineColor, 0x123456);
  EXPECT_EQ(q.StoredColor, 0x00FF00);
  EXPECT_EQ(q.AbsenceColor, 0x0000AA);
  EXPECT_TRUE(q.PlotAbsences);
  EXPECT_TRUE(q.Exists);
  EXPECT_TRUE(q.Plotted);
  EXPECT_TRUE(q.FreeRemoval());
  // Same state, same bag.
  PropertyBag again;
  q.WriteObjectState("Stored(2)", again);
  EXPECT_EQ(again, bag);
  // Another prefix sees nothing of it.
  CPattern other;
  other.ReadObjectState("", bag);
  EXPECT_EQ(other.PatternName, "");
}

TEST(PatternState, ReadingStoresTheNumberWithoutApplyingIt) {
  PropertyBag bag;
  bag.WriteProperty("CrystalSystem", std::int32_t{1}, std::int32_t{8});
  bag.WriteProperty("ExtinctionNumber", std::int16_t{12}, std::int16_t{0});
  bag.WriteProperty("ExtCond(6)", std::int16_t{2}, std::int16_t{-1});
  bag.WriteProperty("DimensionFlags(6)", true, false);
  bag.WriteProperty("DimensionEnabled(3)", true, false);
  CPattern p;
  p.ReadObjectState("", bag);
  EXPECT_EQ(p.ExtinctionNumber(), 12);
  EXPECT_EQ(p.ExtCond(ZoneHkl), -1);  // the F rule was not applied
  EXPECT_EQ(p.ExtCond(Zone00l), 2);
  EXPECT_TRUE(p.DimensionEnabled(3));  // no bubbling, though a-b-c is on
  // What is not saved comes from the entry, not from the phase held before.
  EXPECT_EQ(p.SpaceGroupList, "F23, Fm-3, F432, F-43m, Fm-3m");
  EXPECT_EQ(p.LaueClass, 11);
  CPattern hexagonal;
  hexagonal.CrystalSystem = Hexagonal;
  hexagonal.SetExtinctionNumber(4);
  hexagonal.ReadObjectState("", bag);
  EXPECT_EQ(hexagonal.LaueClass, 11);
  EXPECT_TRUE(hexagonal.IsInWedge(2, 1, 0));
  EXPECT_FALSE(hexagonal.IsInWedge(1, 2, 0));
}

TEST(PatternState, KeysAreWrittenInTheirFixedOrder) {
  CPattern p;
  p.PatternName = "a";
  p.CrystalSystem = 5;
  p.SetExtinctionNumber(1);
  for (int i = 0; i < 7; ++i) p.PreviousState(i, false, i != 6);
  p.PlotAbsences = true;
  p.AbsenceColor = 1;
  p.hmin = p.hmax = p.kmin = p.kmax = p.lmin = p.lmax = 7;
  p.linewidth = 2;
  p.ColorScheme = "x";
  p.LineColor = 1;
  p.StoredColor = 1;
  p.SetFreeRemoval(true);
  for (int i = 0; i < 7; ++i) p.PreviousState(i, false, i != 6);
  p.Exists = p.Plotted = true;
  PropertyBag bag;
  p.WriteObjectState("", bag);
  std::vector<std::string> names;
  for (const auto& e : bag.Entries()) names.push_back(e.name);
  const std::vector<std::string> expected = {"PatternName",
                                             "CrystalSystem",
                                             "ExtinctionNumber",
                                             "DimensionFlags(0)",
                                             "DimensionEnabled(0)",
                                             "DimensionFlags(1)",
                                             "DimensionEnabled(1)",
                                             "DimensionFlags(2)",
                                             "DimensionEnabled(2)",
                                             "DimensionFlags(3)",
                                             "DimensionEnabled(3)",
                                             "DimensionFlags(4)",
                                             "DimensionEnabled(4)",
                                             "DimensionFlags(5)",
                                             "DimensionEnabled(5)",
                                             "DimensionFlags(6)",
                                             "DimensionEnabled(6)",
                                             "ExtCond(6)",
                                             "PlotAbsences",
                                             "AbsenceColor",
                                             "hmin",
                                             "hmax",
                                             "kmin",
                                             "kmax",
                                             "lmin",
                                             "lmax",
                                             "linewidth",
                                             "ColorScheme",
                                             "LineColor",
                                             "StoredColor",
                                             "FreeRemoval",
                                             "Exists",
                                             "Plotted"};
  EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace quorlin

namespace quorlin {

TEST(PatternState, AbsurdIndexLimitsAreBoundedOnReading) {
  // A damaged project must not make every redraw walk billions of triples.
  PropertyBag bag;
  bag.WriteProperty("hmin", std::int16_t{-32768}, std::int16_t{-4});
  bag.WriteProperty("hmax", std::int16_t{32767}, std::int16_t{4});
  bag.WriteProperty("lmax", std::int16_t{12}, std::int16_t{4});
  CPattern p;
  p.ReadObjectState("", bag);
  EXPECT_EQ(p.hmin, -100);
  EXPECT_EQ(p.hmax, 100);
  EXPECT_EQ(p.lmax, 12);  // ordinary limits are kept as they are
  EXPECT_EQ(p.kmin, -4);
}

}  // namespace quorlin
