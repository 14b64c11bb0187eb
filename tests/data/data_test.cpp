#include "data/data.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

using namespace quorlin;

TEST(Data, NewDataSetAndLineTableRules) {
  CData d;
  EXPECT_EQ(d.DataType, "Angle");
  EXPECT_EQ(d.NChan(), 0);
  EXPECT_EQ(d.NumberOfSourceLines(), 9);
  EXPECT_EQ(d.TubeType, "");
  EXPECT_EQ(d.PrimaryLine, 0);
  // Cu K-alpha1, K-alpha2, K-beta1 and Mo lines in Angstrom (the tube table).
  const float lines[6] = {1.540562f, 1.54439f, 1.392218f, 0.7093f, 0.71359f, 0.632288f};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(d.Lambda(i), lines[i]) << i;
  for (int i = 6; i <= 20; ++i) EXPECT_EQ(d.Lambda(i), 0) << i;
  for (int i = 0; i <= 20; ++i) {
    EXPECT_EQ(d.SourceIntensity(i), 0);
    EXPECT_FALSE(d.LineExists(i));
  }

  d.SetLambda(7, 0.005f);  // at or below 0.01 keeps the old value
  EXPECT_EQ(d.Lambda(7), 0);
  d.SetLambda(0, 0.01f);
  EXPECT_EQ(d.Lambda(0), 1.540562f);
  d.SetLambda(7, 0.0101f);
  EXPECT_EQ(d.Lambda(7), 0.0101f);
  // An infinite wavelength (a damaged project) would make every angle NaN.
  d.SetLambda(7, std::numeric_limits<float>::infinity());
  d.SetLambda(7, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(d.Lambda(7), 0.0101f);
  EXPECT_THROW(d.SetLambda(21, 1.0f), std::out_of_range);
  EXPECT_THROW(d.LineExists(-1), std::out_of_range);

  // Moving the primary line: with only line 0 on it stays; with 0, 2 and 7
  // on and 2 primary, one press gives 7 and the next 0.
  CData p;
  p.SetLineExists(0, true);
  p.MovePrimaryToNextAvailable();
  EXPECT_EQ(p.PrimaryLine, 0);
  p.SetLineExists(2, true);
  p.SetLineExists(7, true);
  p.PrimaryLine = 2;
  p.MovePrimaryToNextAvailable();
  EXPECT_EQ(p.PrimaryLine, 7);
  p.MovePrimaryToNextAvailable();
  EXPECT_EQ(p.PrimaryLine, 0);

  // Channel counts beyond 16 bits.
  d.SetNChan(40000);
  d.SetIntensity(39999, 5);
  EXPECT_EQ(d.Intensity(39999), 5);
  d.SetNChan(3);
  EXPECT_EQ(d.NChan(), 3);
  EXPECT_EQ(d.Intensity(2), 0);
  EXPECT_THROW(d.Intensity(3), std::out_of_range);
  EXPECT_THROW(d.SetPattern({1, 2}, {1}), std::invalid_argument);
  EXPECT_EQ(d.NChan(), 3);
}

TEST(Data, IntensityRangeRoundsOutwardAndAlwaysHoldsZero) {
  CData d;
  d.SetPattern({1, 2, 3}, {5, 7, 9});
  double lo = 1, hi = -1;
  d.MinMaxIntensity(lo, hi);
  EXPECT_EQ(lo, 0);  // all above 0: min stays 0
  EXPECT_EQ(hi, 9);
  d.SetPattern({1, 2, 3}, {-2.3, 0.5, 4.2});
  d.MinMaxIntensity(lo, hi);
  EXPECT_EQ(lo, -3);
  EXPECT_EQ(hi, 5);
  d.SetPattern({1, 2}, {-0.02, -0.01});
  d.MinMaxIntensity(lo, hi);
  EXPECT_EQ(lo, -1);
  EXPECT_EQ(hi, 0);
}

TEST(Data, InterpolationAndNearestChannel) {
  CData d;
  d.DataType = "Energy";
  std::vector<float> x;
  std::vector<double> y;
  for (int i = 0; i < 10; ++i) {
    x.push_back(static_cast<float>(i));
    y.push_back(10.0 * i * i);
  }
  d.SetPattern(x, y);
  d.Lower = 0;
  d.Upper = 9;
  // Straight line between channels 2 (40) and 3 (90): 40 + 0.25 * 50.
  EXPECT_DOUBLE_EQ(d.IntensityInterpolated(2.25f), 52.5);
  EXPECT_DOUBLE_EQ(d.IntensityInterpolated(0.0f), 0.0);
  EXPECT_DOUBLE_EQ(d.IntensityInterpolated(8.5f), 0.5 * (810 - 640) + 640);
  EXPECT_EQ(d.IntensityInterpolated(9.0f), 0);   // channel 10 lies above Upper
  EXPECT_EQ(d.IntensityInterpolated(-0.5f), 0);  // channel -1 lies below Lower
  d.Upper = 20;                                  // range wider than the arrays
  EXPECT_EQ(d.IntensityInterpolated(12.0f), 0);

  CData a;
  a.SetPattern({10.0f, 10.5f, 11.0f}, {1, 2, 3});
  EXPECT_EQ(a.Index(10.25f), 0);  // equally near 10.0 and 10.5: the lower wins
  EXPECT_EQ(a.Index(10.9f), 2);
  EXPECT_EQ(a.Index(-5000.0f), std::nullopt);
  EXPECT_EQ(a.Index(1011.0f), std::nullopt);  // exactly 1000 away is not closer
  EXPECT_EQ(a.Index(1010.0f), 2);
  EXPECT_EQ(CData().Index(1.0f), std::nullopt);
}

TEST(Data, StateRoundTripAndTubeDefaults) {
  CData d;
  d.SetNChan(50000);
  d.Lower = 2.5f;
  d.Upper = 140;
  d.SetLambda(7, 1.2345f);
  d.SetSourceIntensity(1, 0.25f);
  d.SetSourceIntensity(8, 0.75f);
  d.SetLineExists(2, true);
  d.SetLineExists(9, true);
  d.TubeType = "Mo";
  d.PrimaryLine = 4;
  PropertyBag bag;
  d.WriteObjectState("D.", bag);
  EXPECT_TRUE(bag.Contains("D.m_Lambda(7)"));
  EXPECT_FALSE(bag.Contains("D.m_Lambda(0)"));  // tube lines are never stored
  EXPECT_FALSE(bag.Contains("D.m_LineExists(0)"));  // equal to its default false
  EXPECT_TRUE(bag.Contains("D.m_SourceIntensity(0)"));  // 0 differs from the default 1

  CData back;
  back.ReadObjectState("D.", bag);
  EXPECT_EQ(back.NChan(), 50000);
  EXPECT_EQ(back.Intensity(49999), 0);
  EXPECT_EQ(back.Lower, 2.5f);
  EXPECT_EQ(back.Upper, 140);
  EXPECT_EQ(back.Lambda(7), 1.2345f);
  EXPECT_EQ(back.Lambda(6), 0.0f);   // stored 0 is refused by the 0.01 rule
  EXPECT_EQ(back.Lambda(10), 1.0f);  // absent: 1.0 after a read
  EXPECT_EQ(back.Lambda(20), 1.0f);
  EXPECT_EQ(back.SourceIntensity(1), 0.25f);
  EXPECT_EQ(back.SourceIntensity(8), 0.75f);
  EXPECT_TRUE(back.LineExists(2));
  EXPECT_TRUE(back.LineExists(9));
  EXPECT_FALSE(back.LineExists(3));
  EXPECT_EQ(back.TubeType, "Mo");
  EXPECT_EQ(back.PrimaryLine, 4);  // stored: the tube rule does not apply

  // Factory state: every key absent.
  CData f;
  f.ReadObjectState("", PropertyBag());
  EXPECT_EQ(f.NChan(), 1);
  EXPECT_EQ(f.Lower, 5);
  EXPECT_EQ(f.Upper, 90);
  EXPECT_EQ(f.TubeType, "Cu");
  EXPECT_EQ(f.PrimaryLine, 0);
  EXPECT_TRUE(f.LineExists(0));
  for (int i = 1; i <= 9; ++i) EXPECT_FALSE(f.LineExists(i)) << i;
  const float defaults[10] = {1, 0.5f, 0.05f, 1, 0.5f, 0.05f, 1, 1, 1, 1};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(f.SourceIntensity(i), defaults[i]) << i;

  auto readTube = [](const std::string& tube) {
    PropertyBag b;
    b.WriteProperty("TubeType", tube, std::string("Cu"));
    CData r;
    r.ReadObjectState("", b);
    return r;
  };
  CData mo = readTube("Mo");
  EXPECT_EQ(mo.PrimaryLine, 3);
  EXPECT_TRUE(mo.LineExists(3));
  EXPECT_FALSE(mo.LineExists(0));
  CData xx = readTube("Xx");
  EXPECT_EQ(xx.PrimaryLine, 6);
  EXPECT_TRUE(xx.LineExists(6));
  EXPECT_EQ(xx.Lambda(6), 1.540562f);
  EXPECT_EQ(xx.SourceIntensity(6), 1.0f);
  CData co = readTube("Co");
  EXPECT_EQ(co.PrimaryLine, -1);  // any other tube leaves the value read
  EXPECT_FALSE(co.LineExists(0));

  // An absurd stored channel count does not allocate.
  PropertyBag huge;
  huge.WriteProperty("NChan", std::int32_t{2000000000}, std::int32_t{1});
  CData h;
  h.ReadObjectState("", huge);
  EXPECT_EQ(h.NChan(), 1);
}

TEST(Data, AStateWithAnInfiniteRangeReadsTheDefaultRange) {
  // A project saved from an overflowing axis held "Upper = inf".
  PropertyBag bag;
  bag.WriteProperty("Lower", -std::numeric_limits<float>::infinity(), 5.0f);
  bag.WriteProperty("Upper", std::numeric_limits<float>::infinity(), 90.0f);
  CData d;
  d.ReadObjectState("", bag);
  EXPECT_EQ(d.Lower, 5.0f);
  EXPECT_EQ(d.Upper, 90.0f);
}
