// GeneralText is written with to_chars for speed; printf's %.*f and %.6E,
// trimmed the same way, are the independent reference it must match.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "core/numtext.h"

using namespace quorlin;

namespace {

// Seven significant digits through printf, trailing zeros removed; the
// exponent form when the value is out of the fixed range or rounds up to
// an eighth digit.
std::string PrintfGeneral(double v) {
  if (v == 0.0) return "0";
  char buf[64];
  double a = std::fabs(v);
  if (a >= 1e-5 && a < 1e7) {
    int decimals = a >= 1 ? std::max(0, 7 - (static_cast<int>(std::floor(std::log10(a))) + 1))
                          : 7 + (-static_cast<int>(std::floor(std::log10(a))) - 1);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string t(buf);
    if (t.find('.') != std::string::npos) {
      while (t.back() == '0') t.pop_back();
      if (t.back() == '.') t.pop_back();
    }
    std::string digits;
    for (char c : t)
      if (c >= '0' && c <= '9') digits += c;
    auto first = digits.find_first_not_of('0');
    if (first == std::string::npos || digits.size() - first <= 7) return t == "-0" ? "0" : t;
  }
  std::snprintf(buf, sizeof buf, "%.6E", v);
  std::string t(buf);
  auto e = t.find('E');
  std::string mant = t.substr(0, e), ex = t.substr(e + 2);
  if (mant.find('.') != std::string::npos) {
    while (mant.back() == '0') mant.pop_back();
    if (mant.back() == '.') mant.pop_back();
  }
  while (ex.size() > 2 && ex[0] == '0') ex.erase(0, 1);
  return mant + "E" + t[e + 1] + ex;
}

}  // namespace

TEST(GeneralText, MatchesPrintfOverEveryMagnitude) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-12, 12);
  for (int i = 0; i < 200000; ++i) {
    double v = mantissa(random) * std::pow(10.0, exponent(random));
    if (i % 4 == 0) v = static_cast<float>(v);  // x values are Singles
    if (i % 7 == 0) v = std::round(v * 1000) / 1000;  // short decimals, halves
    ASSERT_EQ(GeneralText(v), PrintfGeneral(v)) << v;
  }
  // Neighbouring x values (the reader's test for distinct points): the quick
  // comparison agrees with comparing the texts.
  std::uniform_real_distribution<double> step(0, 3e-7);
  for (int i = 0; i < 100000; ++i) {
    const float a = static_cast<float>(mantissa(random) * std::pow(10.0, exponent(random) / 2));
    const float b = static_cast<float>(a * (1 + step(random)));
    ASSERT_EQ(SameGeneralText(a, b), GeneralText(a) == GeneralText(b)) << a << " " << b;
  }
  // Edges: carries into an eighth digit, the ends of the fixed range.
  for (double v : {9999999.5, 9999999.4, 1e7, 1e-5, 9.9999999e-6, 0.99999996, -0.000009999999, 5e-324, 1.7e308})
    EXPECT_EQ(GeneralText(v), PrintfGeneral(v)) << v;
}
