#include "core/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <cstring>
#include <random>

using namespace quorlin;

TEST(NumericText, AcceptsOrdinaryNumbersAndRefusesTheRest) {
  for (const char* s : {"5", "-5", "+5", "5.", ".5", "5.10", " 12.5 ", "1e2", "1E-05", "\t3\t", "-0.0e+0"})
    EXPECT_TRUE(IsNumeric(s)) << s;
  for (const char* s : {"", " ", ".", "-", "+.", "5,", "5,1", "1e", "e5", "5 6", "0x10", "abc", "1.2.3", "--1", "1e+"})
    EXPECT_FALSE(IsNumeric(s)) << s;
}

TEST(NumericText, StrictAndLenientConversions) {
  EXPECT_EQ(StrictDouble("12.5"), 12.5);
  EXPECT_FALSE(StrictDouble("12.5x"));
  EXPECT_FALSE(StrictSingle("1e39"));  // beyond a Single
  EXPECT_EQ(StrictSingle("1e38"), 1e38f);
  EXPECT_FALSE(StrictDouble("1e999"));

  EXPECT_EQ(LenientDouble("  344.   12"), 344.0);
  EXPECT_EQ(LenientDouble("12abc"), 12.0);
  EXPECT_EQ(LenientDouble("abc"), 0.0);
  EXPECT_EQ(LenientDouble(""), 0.0);
  EXPECT_EQ(LenientDouble("1.2e-002"), 0.012);
  EXPECT_EQ(LenientDouble("3e"), 3.0);  // a bare exponent letter is not part of the number
  EXPECT_EQ(LenientDouble("-7.5E+1,"), -75.0);
}

TEST(NumericText, OutOfRangeDependsOnMagnitudeNotOnTheExponentLetter) {
  // Whether a number beyond the double range overflows or underflows follows
  // from its value alone: 10^400 is too large however it is written, and
  // 10^-400 too small. The largest double is about 1.8e308.
  const std::string zeros(400, '0');
  struct Case {
    std::string text;
    double lenient;  // expected LenientDouble; StrictDouble must agree when finite
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"1" + zeros, inf},                    // 10^400, no exponent
      {"-1" + zeros + ".5", -inf},           // -10^400 with a fraction
      {"1e400", inf},
      {"0.0001e310", 1e306},                 // in range: 10^-4 * 10^310
      {"1" + zeros + "e-500", 1e-100},       // in range: the exponent brings it back
      {"0." + zeros + "1", 0.0},             // 10^-401 underflows
      {"1e-400", 0.0},
      {"0.001" + zeros + "e-330", 0.0},      // trailing zeros of a fraction do not count
      {"100" + zeros + "e-420", 1e-18},      // 10^402 * 10^-420
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LenientDouble(c.text), c.lenient) << c.text.substr(0, 12);
    auto strict = StrictDouble(c.text);
    if (std::isfinite(c.lenient)) {
      ASSERT_TRUE(strict) << c.text.substr(0, 12);
      EXPECT_DOUBLE_EQ(*strict, c.lenient) << c.text.substr(0, 12);
    } else {
      EXPECT_FALSE(strict) << c.text.substr(0, 12);
    }
  }
}

TEST(NumericText, SingleTextIsShortestAndReadsBack) {
  EXPECT_EQ(SingleText(5.0f), "5");
  EXPECT_EQ(SingleText(0.2f), "0.2");
  EXPECT_EQ(SingleText(-0.0f), "0");
  EXPECT_EQ(SingleText(125.0f), "125");
  EXPECT_EQ(SingleText(1.540562f), "1.540562");
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::uint32_t> bits;
  for (int i = 0; i < 20000; ++i) {
    std::uint32_t u = bits(rng);
    float f;
    std::memcpy(&f, &u, 4);
    if (!std::isfinite(f)) continue;
    std::string t = SingleText(f);
    ASSERT_TRUE(IsNumeric(t)) << t;
    ASSERT_EQ(*StrictSingle(t), f == 0 ? 0.0f : f) << t;
  }
}

TEST(NumericText, GeneralFormatHasSevenSignificantDigits) {
  EXPECT_EQ(GeneralText(12.5), "12.5");
  EXPECT_EQ(GeneralText(0.1234567891), "0.1234568");
  EXPECT_EQ(GeneralText(1234567.0), "1234567");
  EXPECT_EQ(GeneralText(-0.04), "-0.04");
  EXPECT_EQ(GeneralText(150000000.0), "1.5E+08");
  EXPECT_EQ(GeneralText(0.000001), "1E-06");
  EXPECT_EQ(GeneralText(9999999.6), "1E+07");
}

TEST(NumericText, IntegerConversionRoundsHalvesToEvenAndChecksRange) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(1234.4), 1234.0);
  EXPECT_EQ(ToInteger(32767.4), 32767);
  EXPECT_FALSE(ToInteger(32767.5));  // rounds to 32768
  EXPECT_EQ(ToInteger(-32768.5), -32768);
  EXPECT_FALSE(ToInteger(std::nan("")));
  EXPECT_EQ(ToLong(2147483647.0), 2147483647);
  EXPECT_FALSE(ToLong(2147483648.0));
}

TEST(NumericText, KeysFoldAsciiCaseOnly) {
  EXPECT_TRUE(EqualsNoCase("m_NumberOfPeaks", "m_numberofpeaks"));
  EXPECT_FALSE(EqualsNoCase("a", "ab"));
  EXPECT_EQ(AsciiLower("ExtCond(11)"), "extcond(11)");
}
