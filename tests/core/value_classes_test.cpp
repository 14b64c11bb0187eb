#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/angle.h"
#include "core/cell_scroll_wrapper.h"
#include "core/constants.h"
#include "core/integer_tests.h"
#include "core/matrix33.h"
#include "core/wrapped_single.h"

namespace quorlin {
namespace {

TEST(Angle, DegreesSnapToTheFixedCellAngles) {
  CAngle a;
  EXPECT_EQ(a.Radians(), 0.0f);
  a.SetDegrees(90);
  EXPECT_EQ(a.Degrees(), 90.0f);
  EXPECT_EQ(a.Radians(), static_cast<float>(static_cast<double>(3.14159274f) * 90.0 / 180.0));
  a.SetRadians(1.5707f);  // 89.9945 degrees: too far from 90 to snap
  EXPECT_NEAR(a.Degrees(), 89.9945, 1e-4);
  EXPECT_NE(a.Degrees(), 90.0f);
  a.SetDegrees(59.9995f);
  EXPECT_EQ(a.Degrees(), 60.0f);
  a.SetDegrees(119.9992f);
  EXPECT_EQ(a.Degrees(), 120.0f);
  a.SetDegrees(89.9985f);  // 0.0015 away: no snap
  EXPECT_NEAR(a.Degrees(), 89.9985, 1e-4);
  EXPECT_NE(a.Degrees(), 90.0f);
  a.SetDegrees(45);
  EXPECT_NEAR(a.trigSin(), std::sqrt(0.5), 1e-7);
  EXPECT_NEAR(a.trigCos(), std::sqrt(0.5), 1e-7);
  // Acos and Asin read the stored value as a cosine or sine
  a.SetRadians(0.5f);
  EXPECT_NEAR(a.Acos(), std::acos(0.5), 1e-6);
  EXPECT_NEAR(a.Asin(), std::asin(0.5), 1e-6);
  a.SetRadians(-0.3f);
  EXPECT_NEAR(a.Acos(), std::acos(-0.3), 1e-6);
}

TEST(Constants, SinglePrecisionValues) {
  EXPECT_EQ(CConstants::Pi(), 3.14159274f);  // nearest Single to pi
  EXPECT_EQ(CConstants::CuKalpha1(), 1.54059f);
  EXPECT_EQ(CConstants::CuKalpha2(), 1.54439f);
  EXPECT_NEAR(CConstants::RadToDegrees(), 57.2957795, 1e-5);
  EXPECT_NEAR(CConstants::DegreesToRad() * CConstants::RadToDegrees(), 1.0f, 1e-7f);
  EXPECT_EQ(CAngle::Pi(), CConstants::Pi());
}

TEST(Matrix33, CofactorInverseTransposeAndIdentity) {
  CMatrix33 m;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(m(i, j), 0.0f);
  // rows (1 2 0)(0 1 0)(0 0 1)
  m.SetSelf(0, 0, 1);
  m.SetSelf(0, 1, 2);
  m.SetSelf(1, 1, 1);
  m.SetSelf(2, 2, 1);
  EXPECT_EQ(m.Inverse(0, 1), -2.0f);
  EXPECT_EQ(m.Inverse(0, 0), 1.0f);
  EXPECT_EQ(m.Transpose(0, 1), 0.0f);
  EXPECT_EQ(m.Transpose(1, 0), 2.0f);
  EXPECT_EQ(m.Determinant(), 1.0f);
  EXPECT_EQ(CMatrix33::Identity(2, 2), 1.0f);
  EXPECT_EQ(CMatrix33::Identity(0, 2), 0.0f);
  // column-major storage is invisible: (i, j) is row i, column j
  CMatrix33 g;
  const float v[3][3] = {{4, 1, 2}, {1, 5, 3}, {2, 3, 6}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) g.SetSelf(i, j, v[i][j]);
  // det by the rule of Sarrus: 120 + 6 + 6 - 20 - 36 - 6 = 70
  EXPECT_EQ(g.Determinant(), 70.0f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int k = 0; k < 3; ++k) s += static_cast<double>(g(i, k)) * g.Inverse(k, j);
      EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-6);
    }
  EXPECT_THROW(g.Self(3, 0), std::out_of_range);
  EXPECT_THROW(g.SetSelf(0, -1, 1), std::out_of_range);
  EXPECT_THROW(CMatrix33::Identity(0, 3), std::out_of_range);
}

TEST(WrappedSingle, BoundsAndTextRules) {
  CWrappedSingle w;
  EXPECT_EQ(w.SngValue(), 0.0f);
  EXPECT_EQ(w.SngMin(), -1e38f);
  EXPECT_EQ(w.SngMax(), 1e38f);
  w.SetMin("0");
  w.SetMax("10");
  w.SetValue("8");
  EXPECT_EQ(w.Value(), "8");
  w.SetValue("11");
  EXPECT_EQ(w.Value(), "8");
  w.SetValue("abc");
  EXPECT_EQ(w.Value(), "8");
  w.SetMax("5");  // pulls the value down
  EXPECT_EQ(w.Value(), "5");
  EXPECT_EQ(w.Max(), "5");
  w.SetMin("20");  // above Max: refused
  EXPECT_EQ(w.Min(), "0");
  w.SetMin("3");
  w.SetValue("4");
  w.SetMin("4.5");  // pushes the value up
  EXPECT_EQ(w.Value(), "4.5");
  w.SetMax("4");  // below Min: refused
  EXPECT_EQ(w.Max(), "5");
  EXPECT_TRUE(w.IsPossible("1e2"));
  EXPECT_TRUE(w.IsPossible("-1e38"));
  EXPECT_FALSE(w.IsPossible("2e38"));
  EXPECT_FALSE(w.IsPossible("12345678901234567890"));  // 20 characters
  EXPECT_TRUE(w.IsPossible("1234567890123456789"));    // 19
  EXPECT_FALSE(w.IsPossible(""));
  EXPECT_TRUE(w.IsAcceptable("5"));
  EXPECT_FALSE(w.IsAcceptable("5.01"));
  // Text from a getter is accepted again by the setter
  CWrappedSingle x;
  x.SetValue("0.1");
  CWrappedSingle y;
  y.SetValue(x.Value());
  EXPECT_EQ(y.SngValue(), x.SngValue());
}

TEST(IntegerTestsAndScrollWrapper, OddTestAndScales) {
  EXPECT_TRUE(CIntegerTests::IsOdd(-1));
  EXPECT_TRUE(CIntegerTests::IsOdd(-3));
  EXPECT_FALSE(CIntegerTests::IsOdd(0));
  EXPECT_FALSE(CIntegerTests::IsOdd(-32768));
  EXPECT_TRUE(CIntegerTests::IsOdd(32767));

  CCellScrollWrapper s;
  EXPECT_EQ(s.EdgeScale(1), 0);
  EXPECT_EQ(s.AngleScale(), 0);
  s.SetEdgeScale(1, 100);
  s.SetEdgeScale(-1, 1000);
  s.SetEdgeScale(0, 7);
  s.SetAngleScale(50);
  EXPECT_EQ(s.EdgeScale(1), 100);
  EXPECT_EQ(s.EdgeScale(-1), 1000);
  EXPECT_EQ(s.EdgeScale(0), 0);
  EXPECT_EQ(s.EdgeScale(2), 0);
  EXPECT_EQ(s.AngleScale(), 50);
}

}  // namespace
}  // namespace quorlin
