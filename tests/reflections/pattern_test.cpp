#include "reflections/pattern.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "laue_groups.h"
#include "reflections/catalogue.h"

namespace quorlin {
namespace {

bool Allowed(const CPattern& p, int h, int k, int l) {
  return p.IsAllowed(static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l));
}

TEST(PatternConditions, NoSelectorsAllowsEverythingButTheOrigin) {
  CPattern p;
  for (int h = -6; h <= 6; ++h)
    for (int k = -6; k <= 6; ++k)
      for (int l = -6; l <= 6; ++l) EXPECT_EQ(Allowed(p, h, k, l), h != 0 || k != 0 || l != 0) << h << k << l;
  // Values without a rule impose nothing either.
  for (int i = 0; i < 12; ++i) p.SetExtCond(i, 42);
  EXPECT_TRUE(Allowed(p, 1, 0, 0));
  EXPECT_TRUE(Allowed(p, 1, 2, 3));
  EXPECT_THROW(p.SetExtCond(12, 0), std::out_of_range);
  EXPECT_THROW((void)p.ExtCond(-1), std::out_of_range);
}

TEST(PatternConditions, ZoneRulesAndNegativeIndices) {
  CPattern f;
  f.SetExtCond(ZoneHkl, 6);  // F: h, k, l all odd or all even
  EXPECT_TRUE(Allowed(f, 1, 1, 1));
  EXPECT_TRUE(Allowed(f, 2, 0, 0));
  EXPECT_TRUE(Allowed(f, -1, 1, -1));
  EXPECT_FALSE(Allowed(f, 1, 0, 0));
  EXPECT_FALSE(Allowed(f, 1, 1, 0));

  CPattern six;
  six.SetExtCond(Zone00l, 3);  // l=6n
  EXPECT_TRUE(Allowed(six, 0, 0, 6));
  EXPECT_TRUE(Allowed(six, 0, 0, -6));
  EXPECT_FALSE(Allowed(six, 0, 0, 3));
  EXPECT_FALSE(Allowed(six, 0, 0, -3));
  EXPECT_TRUE(Allowed(six, 1, 0, 3));  // not on the 00l row

  CPattern three;
  three.SetExtCond(Zone00l, 1);  // l=3n holds for l = -3
  EXPECT_TRUE(Allowed(three, 0, 0, -3));
  EXPECT_FALSE(Allowed(three, 0, 0, -2));

  CPattern axis;
  axis.SetExtCond(Zoneh00, 0);  // h = -2 is even
  EXPECT_TRUE(Allowed(axis, -2, 0, 0));
  EXPECT_FALSE(Allowed(axis, -3, 0, 0));
  axis.SetExtCond(Zoneh00, 1);  // h=4n
  EXPECT_TRUE(Allowed(axis, -4, 0, 0));
  EXPECT_FALSE(Allowed(axis, 2, 0, 0));

  CPattern hhh;
  hhh.SetExtCond(Zonehhh, 0);
  EXPECT_FALSE(Allowed(hhh, 3, 3, 3));
  EXPECT_TRUE(Allowed(hhh, 2, 2, 2));
  EXPECT_TRUE(Allowed(hhh, 1, 0, 0));
  EXPECT_TRUE(Allowed(hhh, 3, 3, 1));

  // The hk0 item written "h+l=4n;h,k" tests h+k = 4n with h and k even.
  CPattern d;
  d.SetExtCond(Zonehk0, 3);
  EXPECT_TRUE(Allowed(d, 2, 2, 0));
  EXPECT_FALSE(Allowed(d, 2, 4, 0));
  EXPECT_FALSE(Allowed(d, 1, 3, 0));
  EXPECT_TRUE(Allowed(d, 2, 4, 1));  // l = 0 zone only

  // R obverse and reverse: 101 and 100 against -h+k+l and h-k+l.
  CPattern r;
  r.SetExtCond(ZoneHkl, 4);
  EXPECT_TRUE(Allowed(r, 1, 0, 1));
  EXPECT_FALSE(Allowed(r, 1, 0, 0));
  EXPECT_TRUE(Allowed(r, -1, 0, 2));
  r.SetExtCond(ZoneHkl, 5);
  EXPECT_FALSE(Allowed(r, 1, 0, 1));
  EXPECT_TRUE(Allowed(r, 1, 0, 2));
}

TEST(PatternConditions, PermutationModesCarryAZoneRuleOntoItsEquivalents) {
  // Cubic permutation with an n-glide on 0kl: 0kl, h0l and hk0 all obey it.
  CPattern cubic;
  cubic.SetExtCond(Zone0kl, 0);
  cubic.SetExtCond(ZonePermutation, PermuteCubic);
  EXPECT_FALSE(Allowed(cubic, 0, 1, 2));
  EXPECT_FALSE(Allowed(cubic, 1, 0, 2));
  EXPECT_FALSE(Allowed(cubic, 1, 2, 0));
  EXPECT_TRUE(Allowed(cubic, 0, 2, 2));
  EXPECT_TRUE(Allowed(cubic, 2, 0, 2));

  // A rule on k of 0kl tells the cyclic mode from the full permutation:
  // 021 cycles to 210 and 102 (allowed), but its reversal 120 cycles to 012.
  CPattern cyclic;
  cyclic.SetExtCond(Zone0kl, 1);
  cyclic.SetExtCond(ZonePermutation, PermuteCyclic);
  EXPECT_TRUE(Allowed(cyclic, 0, 2, 1));
  EXPECT_FALSE(Allowed(cyclic, 0, 1, 2));
  EXPECT_FALSE(Allowed(cyclic, 1, 2, 0));  // cycles onto 012
  cyclic.SetExtCond(ZonePermutation, PermuteCubic);
  EXPECT_FALSE(Allowed(cyclic, 0, 2, 1));

  // h,k exchange: the rule on 0kl reaches h0l but never 00l's neighbours hk0.
  CPattern tetragonal;
  tetragonal.SetExtCond(Zone0kl, 1);
  tetragonal.SetExtCond(ZonePermutation, PermuteHK);
  EXPECT_FALSE(Allowed(tetragonal, 0, 1, 2));
  EXPECT_FALSE(Allowed(tetragonal, 1, 0, 2));
  EXPECT_TRUE(Allowed(tetragonal, 1, 2, 0));

  // h,k,i cyclic: hhl with l odd is out, and so are its equivalents 1-21
  // and -211; 112 stays.
  CPattern hex;
  hex.SetExtCond(Zonehhl, 0);
  hex.SetExtCond(ZonePermutation, PermuteHexagonal);
  EXPECT_FALSE(Allowed(hex, 1, 1, 1));
  EXPECT_FALSE(Allowed(hex, 1, -2, 1));
  EXPECT_FALSE(Allowed(hex, -2, 1, 1));
  EXPECT_FALSE(Allowed(hex, 2, -1, 1));  // (2,-1,-1) -> (-1,-1,2)
  EXPECT_TRUE(Allowed(hex, 1, 1, 2));
  EXPECT_TRUE(Allowed(hex, 1, 2, 1));
}

TEST(PatternConditions, TetragonalAndCubicModesSeeEverySignOfTheIndices) {
  // P-43n keeps {221} absent through hhl: l odd, including 2-21 and -212.
  CPattern cubic;
  cubic.SetExtCond(Zonehhl, 0);
  cubic.SetExtCond(ZonePermutation, PermuteCubic);
  EXPECT_FALSE(Allowed(cubic, 2, 2, 1));
  EXPECT_FALSE(Allowed(cubic, 2, -2, 1));
  EXPECT_FALSE(Allowed(cubic, -2, 1, 2));
  EXPECT_FALSE(Allowed(cubic, 1, -2, -2));
  EXPECT_TRUE(Allowed(cubic, 2, -2, 2));

  // P42/mmc: {111} absent, -111 too.
  CPattern tetragonal;
  tetragonal.SetExtCond(Zonehhl, 0);
  tetragonal.SetExtCond(ZonePermutation, PermuteHK);
  EXPECT_FALSE(Allowed(tetragonal, -1, 1, 1));
  EXPECT_FALSE(Allowed(tetragonal, 1, -1, -1));
  EXPECT_TRUE(Allowed(tetragonal, -1, 1, 2));
  // hh0 likewise reaches h-h0.
  tetragonal.SetExtCond(Zonehhl, -1);
  tetragonal.SetExtCond(Zonehh0, 0);
  EXPECT_FALSE(Allowed(tetragonal, 1, -1, 0));

  // Without a permutation, and in the cyclic and hexagonal modes, the zone
  // rules stay where they are stated: h-hl is not hhl.
  for (std::int16_t mode : {std::int16_t{-1}, std::int16_t{PermuteCyclic}, std::int16_t{PermuteHexagonal}}) {
    CPattern p;
    p.SetExtCond(Zonehhl, 0);
    p.SetExtCond(ZonePermutation, mode);
    EXPECT_FALSE(Allowed(p, 2, 2, 1)) << mode;
    EXPECT_TRUE(Allowed(p, 2, -2, 1)) << mode;
  }
}

TEST(PatternDimensions, WantedFollowsTheFlagOfTheNonZeroIndices) {
  CPattern p;
  for (int i = 0; i < 7; ++i) p.PreviousState(i, i == 6, true);
  EXPECT_TRUE(p.IsWanted(1, 2, 3));
  EXPECT_FALSE(p.IsWanted(1, 2, 0));
  EXPECT_FALSE(p.IsWanted(0, 0, 0));
  // One flag at a time selects exactly its own kind of triple.
  const int expected[7][3] = {{3, 0, 0}, {0, 3, 0}, {0, 0, 3}, {0, 1, 2}, {1, 0, 2}, {1, 2, 0}, {1, 2, 3}};
  for (int i = 0; i < 7; ++i) {
    for (int j = 0; j < 7; ++j) p.PreviousState(j, j == i, true);
    for (int j = 0; j < 7; ++j) {
      const auto& t = expected[j];
      EXPECT_EQ(
          p.IsWanted(static_cast<std::int16_t>(t[0]), static_cast<std::int16_t>(t[1]), static_cast<std::int16_t>(t[2])),
          i == j)
          << "flag " << i << " triple " << j;
    }
  }
  for (int j = 0; j < 7; ++j) p.PreviousState(j, j == 0, true);
  EXPECT_TRUE(p.IsWanted(0, 0, 0));  // 000 counts as a line along a
  EXPECT_THROW((void)p.DimensionFlags(7), std::out_of_range);
  EXPECT_THROW(p.PreviousState(-1, true, true), std::out_of_range);
}

TEST(PatternDimensions, PlanesForceTheirLinesUnlessRemovalIsFree) {
  CPattern p;
  // A new set may not switch a-b-c on, but the flags still bubble.
  p.SetDimensionFlags(6, true);
  EXPECT_FALSE(p.DimensionFlags(6));

  p.ClearDimensions();
  p.SetDimensionFlags(6, true);
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(p.DimensionFlags(i)) << i;
    EXPECT_FALSE(p.DimensionEnabled(i)) << i;
  }
  EXPECT_TRUE(p.DimensionEnabled(6));

  // Back off to one plane: b-c keeps b and c on and locked, a is free again.
  p.SetDimensionFlags(6, false);
  EXPECT_TRUE(p.DimensionEnabled(3));
  p.SetDimensionFlags(4, false);
  p.SetDimensionFlags(5, false);
  EXPECT_TRUE(p.DimensionFlags(3));
  EXPECT_TRUE(p.DimensionEnabled(0));
  EXPECT_FALSE(p.DimensionEnabled(1));
  EXPECT_FALSE(p.DimensionEnabled(2));
  p.SetDimensionFlags(2, false);  // ignored while b-c is on
  EXPECT_TRUE(p.DimensionFlags(2));

  // Free removal unlocks every box and lets c go; turning it off bubbles c
  // back on because b-c is still shown.
  p.SetFreeRemoval(true);
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(p.DimensionEnabled(i)) << i;
  p.SetDimensionFlags(2, false);
  EXPECT_FALSE(p.DimensionFlags(2));
  p.SetFreeRemoval(false);
  EXPECT_TRUE(p.DimensionFlags(2));
  EXPECT_FALSE(p.DimensionEnabled(2));

  // PreviousState stores exactly what it is given.
  p.PreviousState(2, false, true);
  EXPECT_FALSE(p.DimensionFlags(2));
  EXPECT_TRUE(p.DimensionEnabled(2));
  p.ClearDimensions();
  for (int i = 0; i < 7; ++i) {
    EXPECT_FALSE(p.DimensionFlags(i));
    EXPECT_TRUE(p.DimensionEnabled(i));
  }
}

TEST(PatternIndices, CycleReverseCentro) {
  std::int16_t h = 1, k = -2, l = 3;
  CPattern::Cycle(h, k, l);
  EXPECT_EQ(h, -2);
  EXPECT_EQ(k, 3);
  EXPECT_EQ(l, 1);
  CPattern::Reverse(h, k, l);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(k, 3);
  EXPECT_EQ(l, -2);
  CPattern::centro(h, k, l);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(k, -3);
  EXPECT_EQ(l, 2);
}

// Every family of reflections must have a member in the wedge: for each
// triple, some image under the Laue group lies inside. Where the wedge is a
// true asymmetric unit, exactly one image does.
TEST(PatternWedge, EveryFamilyHasARepresentative) {
  struct Case {
    std::int32_t laue;
    const char* axes;
    const char* group;
    bool exact;
  };
  const Case cases[] = {
      {0, "", "-1", true},    {-1, "", "-1", true},   {1, "", "2/m", true},          {2, "", "mmm", true},
      {3, "", "4/m", false},  {4, "", "4/mmm", true}, {5, "Hexagonal", "-3", false}, {5, "Rhombohedral", "-3R", false},
      {9, "", "6/mmm", true}, {10, "", "m-3", true},  {11, "", "m-3m", true},
  };
  for (const auto& c : cases) {
    CPattern p;
    p.LaueClass = c.laue;
    p.TrigAxesType = c.axes;
    const auto ops = testing::LaueGroup(c.group);
    ASSERT_FALSE(ops.empty());
    for (int h = -4; h <= 4; ++h)
      for (int k = -4; k <= 4; ++k)
        for (int l = -4; l <= 4; ++l) {
          if (h == 0 && k == 0 && l == 0) continue;
          std::set<testing::Triple> images;
          for (const auto& op : ops) images.insert(testing::Apply(op, {h, k, l}));
          int inside = 0;
          for (const auto& t : images)
            inside += p.IsInWedge(static_cast<std::int16_t>(t[0]), static_cast<std::int16_t>(t[1]),
                                  static_cast<std::int16_t>(t[2]));
          EXPECT_GE(inside, 1) << c.laue << c.axes << " " << h << k << l;
          if (c.exact) {
            EXPECT_EQ(inside, 1) << c.laue << " " << h << k << l;
          }
        }
  }
  CPattern m3m;
  m3m.LaueClass = 11;
  EXPECT_TRUE(m3m.IsInWedge(2, 1, 0));
  EXPECT_FALSE(m3m.IsInWedge(1, 2, 0));
  EXPECT_TRUE(m3m.IsInWedge(0, 0, 0));
  m3m.LaueClass = 6;  // no wedge for this code
  EXPECT_FALSE(m3m.IsInWedge(1, 0, 0));
  CPattern trig;
  trig.LaueClass = 5;
  trig.TrigAxesType = "";
  EXPECT_FALSE(trig.IsInWedge(1, 0, 0));
  // The rhombohedral wedge keeps 1-10 (hexagonal 110 of an obverse R cell).
  trig.TrigAxesType = "Rhombohedral";
  EXPECT_TRUE(trig.IsInWedge(1, 0, -1));
  EXPECT_TRUE(trig.IsInWedge(2, 1, 0));
}

}  // namespace
}  // namespace quorlin
