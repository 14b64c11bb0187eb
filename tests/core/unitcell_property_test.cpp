// Properties over many random cells: the reciprocal cell against textbook
// formulas worked in double precision, and copies and saved states that must
// come back as the same cell whatever the receiving cell held before.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/numtext.h"
#include "core/unitcell.h"
#include "core/property_bag.h"

namespace quorlin {
namespace {

constexpr double kRad = M_PI / 180.0;

struct Cell {
  float p[6];
};

// Random triclinic cells: a third all acute, a third all obtuse, a third mixed.
Cell RandomCell(std::mt19937& rng, int kind) {
  std::uniform_real_distribution<float> edge(1.0f, 30.0f);
  std::uniform_real_distribution<float> acute(40.0f, 89.0f), obtuse(91.0f, 130.0f), any(50.0f, 140.0f);
  Cell c{};
  for (int i = 0; i < 3; ++i) c.p[i] = edge(rng);
  for (int i = 3; i < 6; ++i) c.p[i] = kind == 0 ? acute(rng) : kind == 1 ? obtuse(rng) : any(rng);
  return c;
}

// Reciprocal parameters and volume, Giacovazzo, Fundamentals of
// Crystallography, eqs. 2.15-2.19, in double precision.
struct Reference {
  double edge[3], angle[3], volume;
};
Reference Textbook(const Cell& c) {
  double a = c.p[0], b = c.p[1], cc = c.p[2];
  double ca = std::cos(c.p[3] * kRad), cb = std::cos(c.p[4] * kRad), cg = std::cos(c.p[5] * kRad);
  double sa = std::sin(c.p[3] * kRad), sb = std::sin(c.p[4] * kRad), sg = std::sin(c.p[5] * kRad);
  Reference r{};
  r.volume = a * b * cc * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
  r.edge[0] = b * cc * sa / r.volume;
  r.edge[1] = a * cc * sb / r.volume;
  r.edge[2] = a * b * sg / r.volume;
  r.angle[0] = std::acos((cb * cg - ca) / (sb * sg)) / kRad;
  r.angle[1] = std::acos((ca * cg - cb) / (sa * sg)) / kRad;
  r.angle[2] = std::acos((ca * cb - cg) / (sa * sb)) / kRad;
  return r;
}

TEST(UnitCellProperty, ReciprocalCellAndVolumeAgreeWithTextbookFormulas) {
  std::mt19937 rng(20261208);
  int tested = 0;
  for (int n = 0; n < 3000; ++n) {
    Cell cell = RandomCell(rng, n % 3);
    CUnitCell uc;
    if (!uc.SetCell(1, {cell.p[0], cell.p[1], cell.p[2], cell.p[3], cell.p[4], cell.p[5]})) continue;
    ++tested;
    Reference r = Textbook(cell);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(uc.Edge(-1, i), r.edge[i], 2e-5 * r.edge[i]) << n;
      EXPECT_NEAR(uc.CellAngle(-1, i).Degrees(), r.angle[i], 2e-3) << n;
    }
    EXPECT_NEAR(uc.Volume(), r.volume, 2e-5 * r.volume) << n;
    // d(hkl) from the reciprocal metric of the textbook cell
    const int h = 1 + n % 3, k = -(n % 2), l = 2;
    double rs[3] = {r.edge[0], r.edge[1], r.edge[2]};
    double cs[3] = {std::cos(r.angle[0] * kRad), std::cos(r.angle[1] * kRad), std::cos(r.angle[2] * kRad)};
    double inv = h * h * rs[0] * rs[0] + k * k * rs[1] * rs[1] + l * l * rs[2] * rs[2] +
                 2 * h * k * rs[0] * rs[1] * cs[2] + 2 * h * l * rs[0] * rs[2] * cs[1] +
                 2 * k * l * rs[1] * rs[2] * cs[0];
    double d = 1 / std::sqrt(inv);
    if (d < 100) {
      EXPECT_NEAR(uc.hklDSpacing(h, k, l), d, 3e-5 * d) << n;
    }
    // The direct cell built back from the reciprocal one is the same cell.
    CUnitCell back;
    ASSERT_TRUE(back.SetCell(-1, {uc.Edge(-1, 0), uc.Edge(-1, 1), uc.Edge(-1, 2), uc.CellAngle(-1, 0).Degrees(),
                                  uc.CellAngle(-1, 1).Degrees(), uc.CellAngle(-1, 2).Degrees()}));
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(back.Edge(1, i), cell.p[i], 5e-5 * cell.p[i]) << n;
      EXPECT_NEAR(back.CellAngle(1, i).Degrees(), cell.p[i + 3], 5e-3) << n;
    }
  }
  EXPECT_GT(tested, 2000);
}

// Every observable value of a cell, for exact comparison.
void ExpectSameCell(const CUnitCell& a, const CUnitCell& b, int n) {
  for (int basis : {1, -1})
    for (int i = 0; i < 6; ++i) ASSERT_EQ(a.CellParameters(i, basis), b.CellParameters(i, basis)) << n << " " << i;
  EXPECT_EQ(a.Basis(), b.Basis()) << n;
  EXPECT_EQ(a.CellShape(), b.CellShape()) << n;
  EXPECT_EQ(a.Volume(), b.Volume()) << n;
  EXPECT_EQ(a.hklDSpacing(1, 2, 3), b.hklDSpacing(1, 2, 3)) << n;
}

// A source cell possible under random limits that enclose it, with a random
// constraint type.
CUnitCell RandomSource(std::mt19937& rng, int n) {
  for (;;) {
    Cell cell = RandomCell(rng, n % 3);
    CUnitCell s;
    s.SetBasis(1, static_cast<std::int32_t>(std::uniform_int_distribution<int>(0, 7)(rng)));
    if (s.Basis() == 7) s.SetCellShape(std::uniform_int_distribution<int>(0, 2)(rng));
    if (!s.SetCell(1, {cell.p[0], cell.p[1], cell.p[2], cell.p[3], cell.p[4], cell.p[5]})) continue;
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    float lo = std::min({s.Edge(1, 0), s.Edge(1, 1), s.Edge(1, 2)});
    float hi = std::max({s.Edge(1, 0), s.Edge(1, 1), s.Edge(1, 2)});
    EXPECT_TRUE(s.SetEdgeMin(1, SingleText(lo * (0.5f + 0.5f * u(rng)))));
    EXPECT_TRUE(s.SetEdgeMax(1, SingleText(std::min(100.0f, hi * (1.0f + u(rng))))));
    float amin = 180, amax = 0;
    for (int i = 0; i < 3; ++i) {
      amin = std::min(amin, s.CellAngle(1, i).Degrees());
      amax = std::max(amax, s.CellAngle(1, i).Degrees());
    }
    s.SetAngleMin(SingleText(std::floor(5.0f + (amin - 5.0f) * u(rng))));
    s.SetAngleMax(SingleText(std::ceil(amax + (174.0f - amax) * u(rng))));
    s.SetVRef(1.0f + 500.0f * u(rng));
    // The limit setters look at the direct lattice only; keep sources whose
    // reciprocal lattice lies inside the limits too.
    if (!s.IsPossible(1, s.Edge(1, 0), s.Edge(1, 1), s.Edge(1, 2), s.CellAngle(1, 0), s.CellAngle(1, 1),
                      s.CellAngle(1, 2)))
      continue;
    return s;
  }
}

// A receiving cell that held something else: a cubic cell of another size,
// or a cell whose limits are tight around its own different cell.
CUnitCell RandomTarget(std::mt19937& rng, int n) {
  CUnitCell t;
  switch (n % 3) {
    case 0:
      t.SetBasis(1, 0);
      t.SetCellParameters(0, 1, SingleText(std::uniform_real_distribution<float>(2.0f, 40.0f)(rng)));
      break;
    case 1:
      t.SetBasis(1, 6);
      t.SetCell(1, {7, 8, 9, 100, 110, 95});
      t.SetEdgeMin(1, "6.5");
      t.SetEdgeMax(1, "9.5");
      t.SetAngleMin("94");
      t.SetAngleMax("111");
      break;
    default:
      t.SetBasis(1, 2);
      t.SetCellParameters(2, 1, "12");
      break;
  }
  return t;
}

TEST(UnitCellProperty, MakeCopyReproducesAnyPossibleCell) {
  std::mt19937 rng(7);
  for (int n = 0; n < 600; ++n) {
    CUnitCell source = RandomSource(rng, n);
    CUnitCell target = RandomTarget(rng, n);
    const std::string limits = target.EdgeMin(1) + " " + target.EdgeMax(1) + " " + target.AngleMin();
    // The copy is checked under the target's own limits.
    bool admitted = target.IsPossible(1, source.Edge(1, 0), source.Edge(1, 1), source.Edge(1, 2),
                                      source.CellAngle(1, 0), source.CellAngle(1, 1), source.CellAngle(1, 2));
    CUnitCell before = target;
    bool ok = source.MakeCopy(target);
    EXPECT_EQ(ok, admitted) << n;
    if (ok) {
      ExpectSameCell(source, target, n);
    } else {
      ExpectSameCell(before, target, n);
    }
    // Limits, VRef and history are the target's own.
    EXPECT_EQ(target.EdgeMin(1) + " " + target.EdgeMax(1) + " " + target.AngleMin(), limits);
    EXPECT_EQ(target.VRef(), before.VRef());
    // Into a target with open limits the copy always succeeds.
    CUnitCell open = RandomTarget(rng, 0);
    ASSERT_TRUE(source.MakeCopy(open)) << n;
    ExpectSameCell(source, open, n);
  }
}

TEST(UnitCellProperty, MakeCopyOfAnAcuteCellFromTheRightAngledStart) {
  // One parameter at a time this fails: 30, 30, 90 breaks the angle sum.
  CUnitCell source;
  source.SetBasis(1, 6);
  ASSERT_TRUE(source.SetCell(1, {5, 6, 7, 30, 30, 50}));
  CUnitCell target;
  target.SetBasis(1, 4);
  ASSERT_TRUE(source.MakeCopy(target));
  EXPECT_EQ(target.CellParameters(5, 1), "50");
  EXPECT_EQ(target.Basis(), 6);
  // A target whose limits refuse the cell is left exactly as it was.
  CUnitCell tight;
  ASSERT_TRUE(tight.SetAngleMin("60"));
  ASSERT_TRUE(tight.SetCellParameters(0, 1, "6"));
  tight.CellHistory(-1);
  EXPECT_FALSE(source.MakeCopy(tight));
  EXPECT_EQ(tight.Basis(), 7);
  EXPECT_EQ(tight.CellParameters(0, 1), "6");
  EXPECT_EQ(tight.CellParameters(3, 1), "90");
  EXPECT_TRUE(tight.BackwardOK());
}

TEST(UnitCellProperty, SavedStateReadsBackIntoACellThatHeldSomethingElse) {
  std::mt19937 rng(11);
  for (int n = 0; n < 600; ++n) {
    CUnitCell source = RandomSource(rng, n);
    PropertyBag bag;
    source.WriteObjectState("Cell.", bag);
    CUnitCell target = RandomTarget(rng, n);
    target.ReadObjectState("Cell.", bag);
    for (int i = 0; i < 6; ++i) ASSERT_EQ(target.CellParameters(i, 1), source.CellParameters(i, 1)) << n;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(target.CellParameters(i, -1), source.CellParameters(i, -1)) << n;
    EXPECT_EQ(target.Basis(), source.Basis()) << n;
    EXPECT_EQ(target.CellShape(), source.CellShape()) << n;
    EXPECT_EQ(target.EdgeMin(1), source.EdgeMin(1)) << n;
    EXPECT_EQ(target.EdgeMax(1), source.EdgeMax(1)) << n;
    EXPECT_EQ(target.AngleMin(), source.AngleMin()) << n;
    EXPECT_EQ(target.AngleMax(), source.AngleMax()) << n;
    EXPECT_EQ(target.VRef(), source.VRef()) << n;
    // Writing again gives the same bag.
    PropertyBag again;
    target.WriteObjectState("Cell.", again);
    EXPECT_TRUE(again == bag) << n;
  }
}

// A cell edited in the reciprocal lattice meets its constraint there: under
// "a = b" (Basis 7, CellShape 1) a* = b* holds while the stored direct a and b
// differ. Reading the state back must not let b follow a.
TEST(UnitCellProperty, SavedStateOfACellEditedInTheReciprocalLattice) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> edge(0.04f, 0.8f);
  int tested = 0, unequal = 0;
  for (int n = 0; n < 600; ++n) {
    Cell cell = RandomCell(rng, n % 3);
    CUnitCell source;
    const std::int32_t basis = n % 4 == 0 ? 5 : 7;  // monoclinic, or free with "a = b"
    source.SetBasis(-1, basis);
    source.SetCellShape(1);
    if (!source.SetCell(-1, {edge(rng), edge(rng), edge(rng), cell.p[3], cell.p[4], cell.p[5]})) continue;
    ++tested;
    if (source.CellParameters(0, 1) != source.CellParameters(1, 1)) ++unequal;
    PropertyBag bag;
    source.WriteObjectState("Cell.", bag);
    CUnitCell target = RandomTarget(rng, n);
    target.ReadObjectState("Cell.", bag);
    for (int i = 0; i < 6; ++i) ASSERT_EQ(target.CellParameters(i, 1), source.CellParameters(i, 1)) << n << " " << i;
    // The reciprocal lattice follows from the direct one, to rounding.
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(target.Edge(-1, i), source.Edge(-1, i), 1e-5f * source.Edge(-1, i)) << n;
    PropertyBag again;
    target.WriteObjectState("Cell.", again);
    EXPECT_TRUE(again == bag) << n;
  }
  EXPECT_GT(tested, 300);
  EXPECT_GT(unequal, 100);

  // A new cell's angle bound 175 (refused as typed text) comes back as 175.
  PropertyBag fresh;
  CUnitCell().WriteObjectState("", fresh);
  CUnitCell narrow;
  ASSERT_TRUE(narrow.SetAngleMax("111"));
  narrow.ReadObjectState("", fresh);
  EXPECT_EQ(narrow.AngleMax(), "175");

  // A stored cubic cell with b unlike a, in either lattice, still has b follow a.
  PropertyBag bad;
  bad.WriteProperty("Basis", std::int32_t{0}, std::int32_t{7});
  bad.WriteProperty("UnitCell(0)", std::string("5"), std::string("5"));
  bad.WriteProperty("UnitCell(1)", std::string("6"), std::string("5"));
  CUnitCell cubic;
  cubic.ReadObjectState("", bad);
  EXPECT_EQ(cubic.CellParameters(1, 1), "5");
  EXPECT_EQ(cubic.CellParameters(2, 1), "5");
}

TEST(UnitCellPersistence, KeysDefaultsAndRefusedLimits) {
  CUnitCell c;
  PropertyBag bag;
  c.WriteObjectState("", bag);
  // A new cell differs from the key defaults only in its limits and CellShape
  std::vector<std::string> names;
  for (const auto& e : bag.Entries()) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"CellShape", "EdgeMin", "EdgeMax", "AngleMin", "AngleMax"}));
  EXPECT_EQ(bag.ReadString("EdgeMin", ""), "0.01");
  EXPECT_EQ(bag.ReadLong("CellShape", -1), 0);

  // Keys in their write order, each under the caller's prefix
  CUnitCell w;
  w.SetBasis(1, 6);
  ASSERT_TRUE(w.SetCell(1, {4, 6, 7, 80, 85, 95}));
  ASSERT_TRUE(w.SetEdgeMin(1, "2"));
  ASSERT_TRUE(w.SetEdgeMax(1, "20"));
  ASSERT_TRUE(w.SetAngleMin("20"));
  ASSERT_TRUE(w.SetAngleMax("160"));
  w.SetVRef(100);
  PropertyBag all;
  w.WriteObjectState("X.", all);
  names.clear();
  for (const auto& e : all.Entries()) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"X.CellShape", "X.EdgeMin", "X.EdgeMax", "X.AngleMin", "X.AngleMax",
                                             "X.UnitCell(0)", "X.UnitCell(1)", "X.UnitCell(2)", "X.UnitCell(3)",
                                             "X.UnitCell(4)", "X.UnitCell(5)", "X.Basis", "X.Vref"}));
  EXPECT_EQ(all.ReadString("X.UnitCell(4)", ""), "85");
  EXPECT_EQ(all.ReadLong("X.Basis", 0), 6);

  // An empty bag gives the key defaults: limits 1..30, 10..170, CellShape 2
  CUnitCell d;
  d.ReadObjectState("", PropertyBag{});
  EXPECT_EQ(d.EdgeMin(1), "1");
  EXPECT_EQ(d.EdgeMax(1), "30");
  EXPECT_EQ(d.EdgeMin(-1), SingleText(static_cast<float>(1.0 / 30.0f)));
  EXPECT_EQ(d.AngleMin(), "10");
  EXPECT_EQ(d.AngleMax(), "170");
  EXPECT_EQ(d.CellShape(), 2);
  EXPECT_EQ(d.Basis(), 7);
  EXPECT_EQ(d.VRef(), 125.0f);

  // Stored limits that don't enclose the stored cell are refused; the limits
  // held before stay.
  PropertyBag odd;
  odd.WriteProperty("P.UnitCell(0)", std::string("40"), std::string("5"));
  odd.WriteProperty("P.EdgeMax", std::string("30"), std::string(""));
  odd.WriteProperty("P.AngleMin", std::string("95"), std::string(""));
  odd.WriteProperty("P.Vref", -3.0, 0.0);
  CUnitCell e;
  ASSERT_TRUE(e.SetEdgeMax(1, "50"));
  e.ReadObjectState("P.", odd);
  EXPECT_EQ(e.CellParameters(0, 1), "40");
  EXPECT_EQ(e.EdgeMax(1), "50");
  EXPECT_EQ(e.AngleMin(), "5");
  EXPECT_EQ(e.VRef(), 125.0f);  // a negative reference volume is not taken

  // An impossible or malformed stored cell keeps what the checked setter takes.
  PropertyBag bad;
  bad.WriteProperty("UnitCell(0)", std::string("seven"), std::string("5"));
  bad.WriteProperty("UnitCell(1)", std::string("6"), std::string("5"));
  CUnitCell f;
  f.ReadObjectState("", bad);
  EXPECT_EQ(f.CellParameters(0, 1), "5");
  EXPECT_EQ(f.CellParameters(1, 1), "5");  // CellShape 2 ties b to a
  EXPECT_EQ(f.CellShape(), 2);
}

}  // namespace
}  // namespace quorlin
