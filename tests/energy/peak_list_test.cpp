#include "energy/peak_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace quorlin;

TEST(PeakList, IntensRoundsHalfToEvenAndRefusesWhatDoesNotFit) {
  clsPeakList list;
  list.SetNumberOfPeaks(1);
  // Expected values: round half to even worked by hand.
  const std::pair<float, float> cases[] = {{2.5f, 2}, {3.5f, 4}, {1234.4f, 1234}, {-2.5f, -2}, {-3.6f, -4},
                                           {32767.4f, 32767}, {-32768.0f, -32768}};
  for (auto [in, out] : cases) {
    EXPECT_TRUE(list.SetIntens(0, in)) << in;
    EXPECT_EQ(list.Intens(0), out) << in;
  }
  ASSERT_TRUE(list.SetIntens(0, 77));
  for (float bad : {32767.5f, 40000.0f, -32769.0f, 1e30f, std::nanf(""), INFINITY}) {
    EXPECT_FALSE(list.SetIntens(0, bad)) << bad;
    EXPECT_EQ(list.Intens(0), 77) << bad;  // unchanged
  }
}

TEST(PeakList, IndexErrorsAndResizingClearEverything) {
  clsPeakList list;
  EXPECT_EQ(list.NumberOfPeaks(), 0);
  EXPECT_THROW(list.h(0), std::out_of_range);  // never sized
  EXPECT_THROW(list.SetIntens(0, 1), std::out_of_range);

  list.SetNumberOfPeaks(3);
  for (int i = 0; i < 3; ++i) {
    list.Seth(i, 1);
    list.SetIntens(i, 50);
    list.SetAgrees(i, true);
    list.SetIncluded(i, true);
    list.SetBkd(i, 2.5f);
  }
  EXPECT_THROW(list.h(3), std::out_of_range);
  EXPECT_THROW(list.SetBkd(-1, 1), std::out_of_range);

  list.SetNumberOfPeaks(5);
  ASSERT_EQ(list.NumberOfPeaks(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(list.h(i), 0);
    EXPECT_EQ(list.Intens(i), 0);
    EXPECT_FALSE(list.Agrees(i));
    EXPECT_FALSE(list.Included(i));
    EXPECT_EQ(list.Bkd(i), 0);
    EXPECT_EQ(list.Halfwidth(i), 0);
  }
}

TEST(PeakList, StateRoundTripKeepsCardFieldsAndDropsFitResults) {
  clsPeakList list;
  list.SetNumberOfPeaks(3);
  for (int i = 0; i < 3; ++i) {
    list.Seth(i, static_cast<std::int16_t>(i + 1));
    list.Setk(i, static_cast<std::int16_t>(-(i + 1)));
    list.Setl(i, 2);
    list.SetIntens(i, 10.0f * (i + 1));
    list.SetAgrees(i, true);
    list.SetIncluded(i, i != 1);
    list.SetBkd(i, 3);
    list.SetPkhght(i, 4);
    list.SetHalfwidth(i, 5);
  }
  PropertyBag bag;
  list.WriteObjectState("pl.", bag);
  // One count key and six per entry, less the one false Included.
  EXPECT_EQ(bag.size(), 1u + 18u - 1u);
  EXPECT_TRUE(bag.Contains("pl.m_NumberOfPeaks"));
  EXPECT_TRUE(bag.Contains("pl.h(2)"));
  EXPECT_FALSE(bag.Contains("pl.Included(1)"));
  EXPECT_FALSE(bag.Contains("pl.Bkd(0)"));

  clsPeakList back;
  back.ReadObjectState("pl.", bag);
  ASSERT_EQ(back.NumberOfPeaks(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(back.h(i), i + 1);
    EXPECT_EQ(back.k(i), -(i + 1));
    EXPECT_EQ(back.l(i), 2);
    EXPECT_EQ(back.Intens(i), 10.0f * (i + 1));
    EXPECT_TRUE(back.Agrees(i));
    EXPECT_EQ(back.Included(i), i != 1);
    EXPECT_EQ(back.Bkd(i), 0);
    EXPECT_EQ(back.Pkhght(i), 0);
    EXPECT_EQ(back.Halfwidth(i), 0);
  }

  // A state without peak keys gives no peaks, and the old entries cannot be
  // reached any more.
  back.ReadObjectState("pl.", PropertyBag());
  EXPECT_EQ(back.NumberOfPeaks(), 0);
  EXPECT_THROW(back.h(0), std::out_of_range);

  // A stored intensity that does not fit 16 bits is refused, not wrapped.
  PropertyBag odd;
  odd.WriteProperty("m_NumberOfPeaks", std::int16_t{1}, std::int16_t{0});
  odd.WriteProperty("Intens(0)", 70000.0f, 0.0f);
  clsPeakList third;
  third.ReadObjectState("", odd);
  ASSERT_EQ(third.NumberOfPeaks(), 1);
  EXPECT_EQ(third.Intens(0), 0);
}
