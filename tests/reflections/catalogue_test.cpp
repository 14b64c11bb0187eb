#include "reflections/catalogue.h"

#include <gtest/gtest.h>

#include "core/unitcell.h"
#include "reflections/pattern.h"

namespace quorlin {
namespace {

bool Allowed(const CPattern& p, int h, int k, int l) {
  return p.IsAllowed(static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l));
}

CPattern Entry(std::int32_t system, std::int16_t number, CUnitCell* cell = nullptr) {
  CPattern p;
  p.CrystalSystem = system;
  p.SetExtinctionNumber(number, cell);
  return p;
}

TEST(CatalogueVocabulary, ZoneLabelsAndItems) {
  const auto& zones = ZoneSelectors();
  const char* labels[] = {"hkl", "0kl", "h0l", "hk0", "h00", "0k0", "00l", "hh0", "h-hl", "hhl", "hhh", "Permutable"};
  const std::size_t counts[] = {8, 6, 6, 6, 3, 3, 5, 2, 5, 7, 2, 5};
  for (int i = 0; i < kZoneCount; ++i) {
    EXPECT_EQ(zones[i].label, labels[i]);
    EXPECT_EQ(zones[i].items.size(), counts[i]) << i;
    EXPECT_EQ(zones[i].items.back(), i == ZonePermutation ? "(No)" : "(none)");
    EXPECT_EQ(zones[i].NoneItem(), static_cast<std::int16_t>(counts[i] - 1));
  }
  EXPECT_EQ(zones[ZoneHkl].Find("h-k+l=3n"), std::int16_t{5});
  EXPECT_EQ(zones[Zone0k0].Find("k = 4n"), std::int16_t{1});
  EXPECT_EQ(zones[Zonehk0].Find("h+l=4n;h,k"), std::int16_t{3});
  EXPECT_FALSE(zones[Zone0k0].Find("k=4n").has_value());
  EXPECT_EQ(zones[ZonePermutation].items[3], "h,k,i cyclic (hexagonal basis)");
}

TEST(CatalogueSystems, NamesCodesAndDerivedBasis) {
  EXPECT_EQ(CrystalSystemFromName("Cubic"), 1);
  EXPECT_EQ(CrystalSystemFromName("orthorhombic"), 5);
  EXPECT_EQ(CrystalSystemFromName("none"), 8);
  EXPECT_EQ(CrystalSystemFromName("rhombic"), 0);
  EXPECT_EQ(CrystalSystemName(3), "trigonal");
  EXPECT_EQ(CrystalSystemName(9), "");
  const std::int32_t basis[] = {0, 2, 2, 1, 4, 5, 6, 7};
  for (int s = 1; s <= 8; ++s) EXPECT_EQ(DerivedBasis(s, 0), basis[s - 1]) << s;
  EXPECT_EQ(DerivedBasis(Trigonal, 7), 2);
  EXPECT_EQ(DerivedBasis(Trigonal, 8), 3);
  EXPECT_EQ(DerivedBasis(Trigonal, 9), 3);
  EXPECT_EQ(DerivedBasis(Trigonal, -1), 2);
  EXPECT_EQ(DerivedBasis(0, 0), 7);
}

TEST(CatalogueEntries, EverySystemHasItsNumberedEntries) {
  const std::size_t sizes[] = {17, 7, 10, 31, 44, 14, 1, 0};
  for (int s = 1; s <= 8; ++s) {
    const auto entries = CatalogueEntries(s);
    ASSERT_EQ(entries.size(), sizes[s - 1]) << s;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].number, static_cast<std::int16_t>(i));
      // Applying resolves every condition text against the vocabulary.
      CPattern p;
      EXPECT_NO_THROW(p = Entry(s, entries[i].number)) << s << " " << i;
      EXPECT_EQ(p.SpaceGroupList, entries[i].spaceGroups);
    }
  }
  EXPECT_EQ(CatalogueEntries(Hexagonal)[3].spaceGroups, "P61, P65, P6122, P6522");
  EXPECT_EQ(CatalogueEntries(Orthorhombic)[43].spaceGroups, "Fddd");
  EXPECT_EQ(CatalogueEntries(Triclinic)[0].spaceGroups, "P1, P-1");
}

TEST(CatalogueApply, PublishedExamples) {
  // Hexagonal P62: 003 and 006 in, 001 002 004 out, 100 in.
  CPattern p62 = Entry(Hexagonal, 2);
  EXPECT_TRUE(Allowed(p62, 0, 0, 3));
  EXPECT_TRUE(Allowed(p62, 0, 0, 6));
  EXPECT_FALSE(Allowed(p62, 0, 0, 1));
  EXPECT_FALSE(Allowed(p62, 0, 0, 2));
  EXPECT_FALSE(Allowed(p62, 0, 0, 4));
  EXPECT_TRUE(Allowed(p62, 1, 0, 0));
  EXPECT_EQ(p62.LaueClass, 9);
  EXPECT_EQ(p62.ExtCond(ZonePermutation), PermuteHexagonal);

  // P63mc: 112 in, 111 and 1-21 out.
  CPattern p63mc = Entry(Hexagonal, 4);
  EXPECT_TRUE(Allowed(p63mc, 1, 1, 2));
  EXPECT_FALSE(Allowed(p63mc, 1, 1, 1));
  EXPECT_FALSE(Allowed(p63mc, 1, -2, 1));

  // Cubic F: 111 200 220 in, 100 110 210 out; centring F.
  CUnitCell cell;
  CPattern f = Entry(Cubic, 12, &cell);
  for (auto t : {std::array{1, 1, 1}, std::array{2, 0, 0}, std::array{2, 2, 0}})
    EXPECT_TRUE(Allowed(f, t[0], t[1], t[2]));
  for (auto t : {std::array{1, 0, 0}, std::array{1, 1, 0}, std::array{2, 1, 0}})
    EXPECT_FALSE(Allowed(f, t[0], t[1], t[2]));
  EXPECT_EQ(cell.CenteringType, CentringF);
  EXPECT_EQ(f.LaueClass, 11);

  // Pnma: 011 in, 012 out, 210 in, 110 out, no permutation.
  CPattern pnma = Entry(Orthorhombic, 19, &cell);
  EXPECT_TRUE(Allowed(pnma, 0, 1, 1));
  EXPECT_FALSE(Allowed(pnma, 0, 1, 2));
  EXPECT_TRUE(Allowed(pnma, 2, 1, 0));
  EXPECT_FALSE(Allowed(pnma, 1, 1, 0));
  EXPECT_EQ(pnma.ExtCond(ZonePermutation), -1);
  EXPECT_EQ(cell.CenteringType, CentringP);

  // R obverse on hexagonal axes: 101 in, 100 out, 003 in, 001 out; R.
  CPattern r = Entry(Trigonal, 4, &cell);
  EXPECT_TRUE(Allowed(r, 1, 0, 1));
  EXPECT_FALSE(Allowed(r, 1, 0, 0));
  EXPECT_TRUE(Allowed(r, 0, 0, 3));
  EXPECT_FALSE(Allowed(r, 0, 0, 1));
  EXPECT_EQ(cell.CenteringType, CentringR);
  EXPECT_EQ(r.TrigAxesType, "Hexagonal");
  EXPECT_EQ(r.LaueClass, 5);
}

TEST(CatalogueApply, SystemWideValuesByNumberRange) {
  struct Case {
    std::int32_t system;
    std::int16_t number;
    std::int32_t centring, laue;
    std::int16_t permutation;
  };
  const Case cases[] = {
      {Cubic, 6, CentringP, 11, PermuteCubic},
      {Cubic, 7, CentringI, 11, PermuteCubic},
      {Cubic, 4, CentringP, 10, PermuteCyclic},
      {Cubic, 10, CentringI, 10, PermuteCubic},
      {Cubic, 16, CentringF, 11, PermuteCubic},
      {Hexagonal, 6, CentringP, 9, PermuteHexagonal},
      {Trigonal, 3, CentringP, 5, PermuteHexagonal},
      {Trigonal, 8, CentringR, 5, PermuteCyclic},
      {Tetragonal, 22, CentringP, 4, PermuteHK},
      {Tetragonal, 23, CentringI, 4, PermuteHK},
      {Tetragonal, 15, CentringP, 3, PermuteHK},
      {Tetragonal, 28, CentringI, 3, PermuteHK},
      {Orthorhombic, 24, CentringP, 2, -1},
      {Orthorhombic, 25, CentringC, 2, -1},
      {Orthorhombic, 32, CentringA, 2, -1},
      {Orthorhombic, 36, CentringI, 2, -1},
      {Orthorhombic, 41, CentringF, 2, -1},
      {Monoclinic, 7, CentringP, 1, -1},
      {Monoclinic, 8, CentringC, 1, -1},
      {Monoclinic, 10, CentringA, 1, -1},
      {Monoclinic, 13, CentringI, 1, -1},
      {Triclinic, 0, CentringP, 0, -1},
  };
  for (const auto& c : cases) {
    CUnitCell cell;
    cell.CenteringType = 99;
    CPattern p = Entry(c.system, c.number, &cell);
    EXPECT_EQ(cell.CenteringType, c.centring) << c.system << "/" << c.number;
    EXPECT_EQ(p.LaueClass, c.laue) << c.system << "/" << c.number;
    EXPECT_EQ(p.ExtCond(ZonePermutation), c.permutation) << c.system << "/" << c.number;
  }
  // The range conditions come first and the entry adds its own: Cmc21.
  CPattern cmc = Entry(Orthorhombic, 28);
  EXPECT_EQ(cmc.ExtCond(ZoneHkl), 1);  // h+k
  EXPECT_EQ(cmc.ExtCond(Zoneh00), 0);  // h
  EXPECT_EQ(cmc.ExtCond(Zoneh0l), 4);  // h,l
  EXPECT_EQ(cmc.ExtCond(Zone00l), 0);  // l
  EXPECT_EQ(cmc.ExtCond(Zonehhl), -1);
}

TEST(CatalogueApply, ReverseRhombohedralSettings) {
  CUnitCell cell;
  CPattern r6 = Entry(Trigonal, 6, &cell);
  EXPECT_EQ(r6.ExtCond(ZoneHkl), 5);       // h-k+l=3n
  EXPECT_EQ(r6.ExtCond(ZonehMinushl), 2);  // -h+l=3n
  EXPECT_EQ(r6.ExtCond(Zonehhl), 1);       // l=3n
  EXPECT_EQ(r6.ExtCond(Zone00l), 1);       // l=3n
  EXPECT_EQ(r6.SpaceGroupList, "R3, R-3, R32, R3m, R-3m");
  EXPECT_EQ(r6.TrigAxesType, "Hexagonal");
  EXPECT_EQ(r6.LaueClass, 5);
  EXPECT_EQ(r6.ExtCond(ZonePermutation), PermuteHexagonal);
  EXPECT_EQ(cell.CenteringType, CentringR);
  // Reverse: 102 in, 101 out (h-k+l), the mirror image of the obverse.
  EXPECT_TRUE(Allowed(r6, 1, 0, 2));
  EXPECT_FALSE(Allowed(r6, 1, 0, 1));
  EXPECT_TRUE(Allowed(r6, 0, 1, 1));

  CPattern r7 = Entry(Trigonal, 7);
  EXPECT_EQ(r7.ExtCond(ZoneHkl), 5);
  EXPECT_EQ(r7.ExtCond(ZonehMinushl), 0);  // l
  EXPECT_EQ(r7.ExtCond(Zone00l), 3);       // l=6n
  EXPECT_EQ(r7.SpaceGroupList, "R3c, R-3c");
  EXPECT_FALSE(Allowed(r7, 0, 0, 3));
  EXPECT_TRUE(Allowed(r7, 0, 0, 6));
}

TEST(CatalogueApply, HandMadeNumberAndNoSystem) {
  CPattern p = Entry(Cubic, 12);
  p.SetExtCond(Zone00l, 2);
  p.SetExtinctionNumber(-1);
  EXPECT_EQ(p.SpaceGroupList, "None");
  EXPECT_EQ(p.ExtCond(ZoneHkl), 6);
  EXPECT_EQ(p.ExtCond(Zone00l), 2);
  EXPECT_EQ(p.LaueClass, 11);

  CUnitCell cell;
  cell.CenteringType = CentringI;
  CPattern none = Entry(Cubic, 12);
  none.TrigAxesType = "Hexagonal";
  none.CrystalSystem = NoSystem;
  none.SetExtinctionNumber(3, &cell);
  for (int i = 0; i < kZoneCount; ++i) EXPECT_EQ(none.ExtCond(i), -1) << i;
  EXPECT_EQ(none.SpaceGroupList, "F23, Fm-3, F432, F-43m, Fm-3m");
  EXPECT_EQ(none.LaueClass, 11);
  EXPECT_EQ(none.TrigAxesType, "Hexagonal");
  EXPECT_EQ(cell.CenteringType, CentringI);
  EXPECT_EQ(none.ExtinctionNumber(), 3);

  // A number without a row: selectors cleared, system values set, the list
  // text and the axes kept.
  CPattern gap = Entry(Hexagonal, 2);
  gap.SetExtinctionNumber(20);
  EXPECT_EQ(gap.SpaceGroupList, "P62, P64, P6222, P6422");
  EXPECT_EQ(gap.ExtCond(Zone00l), -1);
  EXPECT_EQ(gap.ExtCond(ZonePermutation), PermuteHexagonal);
}

TEST(CatalogueApply, IDBarFortyThreeDKeepsItsZeroKLReflections) {
  // I-43d shows 031 and 013 (only I-centring acts on 0kl); Ia-3d does not.
  CPattern i43d = Entry(Cubic, 9);
  EXPECT_TRUE(Allowed(i43d, 0, 3, 1));
  EXPECT_TRUE(Allowed(i43d, 0, 1, 3));
  EXPECT_TRUE(Allowed(i43d, 1, 3, 0));
  EXPECT_FALSE(Allowed(i43d, 0, 1, 2));  // I: k+l odd
  EXPECT_EQ(i43d.SpaceGroupList, "I-43d");
  CPattern ia3d = Entry(Cubic, 11);
  EXPECT_FALSE(Allowed(ia3d, 0, 3, 1));
  EXPECT_FALSE(Allowed(ia3d, 0, 1, 3));
}

TEST(CatalogueApply, SignEquivalentZonesInTetragonalAndCubicEntries) {
  CPattern p43n = Entry(Cubic, 3);  // P-43n: {221} absent
  EXPECT_FALSE(Allowed(p43n, 2, 2, 1));
  EXPECT_FALSE(Allowed(p43n, 2, -2, 1));
  EXPECT_FALSE(Allowed(p43n, -2, 1, 2));
  EXPECT_TRUE(Allowed(p43n, 2, -2, 2));
  CPattern p42mmc = Entry(Tetragonal, 6);  // P42/mmc: {111} absent
  EXPECT_FALSE(Allowed(p42mmc, -1, 1, 1));
  EXPECT_FALSE(Allowed(p42mmc, 1, -1, 1));
  EXPECT_TRUE(Allowed(p42mmc, -1, 1, 2));
}

TEST(CatalogueApply, MakeCopyKeepsHandMadeConditions) {
  CPattern source = Entry(Cubic, 12);
  source.SetExtinctionNumber(-1);
  source.SetExtCond(Zone00l, 2);
  source.PatternName = "NaCl";
  source.hmax = 9;
  source.StoredColor = 0x00FF00;
  source.PeakTop = 0.5f;
  source.SetFreeRemoval(true);
  source.PreviousState(6, true, false);
  CPattern target = Entry(Hexagonal, 4);
  source.MakeCopy(target);
  EXPECT_EQ(target.ExtinctionNumber(), -1);
  EXPECT_EQ(target.CrystalSystem, Cubic);
  for (int i = 0; i < kZoneCount; ++i) EXPECT_EQ(target.ExtCond(i), source.ExtCond(i)) << i;
  EXPECT_EQ(target.LaueClass, 11);
  EXPECT_EQ(target.SpaceGroupList, "None");
  EXPECT_EQ(target.PatternName, "NaCl");
  EXPECT_EQ(target.hmax, 9);
  EXPECT_EQ(target.StoredColor, 0x00FF00);
  EXPECT_EQ(target.PeakTop, 0.5f);
  EXPECT_TRUE(target.FreeRemoval());
  EXPECT_TRUE(target.DimensionFlags(6));
  EXPECT_FALSE(target.DimensionEnabled(6));
  EXPECT_TRUE(Allowed(target, 0, 0, 4));
  EXPECT_FALSE(Allowed(target, 0, 0, 2));

  // A catalogue entry is re-applied on the target, which sets the centring
  // of the cell given with it.
  CPattern loaded;
  PropertyBag bag;
  Entry(Trigonal, 9).WriteObjectState("", bag);
  loaded.ReadObjectState("", bag);
  CUnitCell cell;
  CPattern copy;
  loaded.MakeCopy(copy, &cell);
  EXPECT_EQ(copy.LaueClass, 5);
  EXPECT_EQ(copy.TrigAxesType, "Rhombohedral");
  EXPECT_EQ(copy.SpaceGroupList, "R3c, R-3c");
  EXPECT_EQ(copy.ExtCond(ZonePermutation), PermuteCyclic);
  EXPECT_EQ(cell.CenteringType, CentringR);
}

}  // namespace
}  // namespace quorlin
