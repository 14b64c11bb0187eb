#include "core/numtext.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace quorlin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the number that starts at s[0] (no blanks), 0 when none.
std::size_t NumberLength(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) { ++i; ++digits; }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) { ++i; ++digits; }
  }
  if (digits == 0) return 0;
  // An exponent counts only when it has digits: "1e" is the number 1.
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && IsDigit(s[j])) { ++j; ++expDigits; }
    if (expDigits > 0) i = j;
  }
  return i;
}

// True when a number whose conversion is out of range lies beyond the
// largest double rather than below the smallest: its leading digit's decimal
// position plus the exponent is positive. "1" and 400 zeros overflows as
// surely as "1e400"; "0.000...1" and "1e-400" underflow.
bool Overflows(std::string_view number) {
  std::size_t i = 0;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
  long long position = 0;  // decimal position of the leading non-zero digit
  bool found = false, fraction = false;
  for (; i < number.size() && (IsDigit(number[i]) || number[i] == '.'); ++i) {
    if (number[i] == '.') {
      fraction = true;
      continue;
    }
    if (!found && number[i] != '0') {
      found = true;
      if (fraction) --position;
      continue;
    }
    if (found && !fraction) ++position;
    if (!found && fraction) --position;
  }
  if (!found) return false;
  long long exponent = 0;
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    for (; i < number.size() && IsDigit(number[i]); ++i)
      exponent = std::min<long long>(exponent * 10 + (number[i] - '0'), 1'000'000'000LL);
    if (negative) exponent = -exponent;
  }
  return position + exponent > 0;
}

double ParseDouble(std::string_view number) {
  // from_chars rejects a leading '+'.
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  double v = 0;
  auto r = std::from_chars(number.data(), number.data() + number.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Underflow reads as 0, overflow as infinity with the sign of the text.
    const bool negative = !number.empty() && number.front() == '-';
    if (!Overflows(number)) return negative ? -0.0 : 0.0;
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  return v;
}

}  // namespace

bool IsNumeric(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  std::size_t e = s.size();
  while (e > b && IsBlank(s[e - 1])) --e;
  std::string_view core = s.substr(b, e - b);
  if (core.empty()) return false;
  return NumberLength(core) == core.size();
}

std::optional<double> StrictDouble(std::string_view s) {
  if (!IsNumeric(s)) return std::nullopt;
  std::size_t b = 0;
  while (IsBlank(s[b])) ++b;
  std::size_t e = s.size();
  while (IsBlank(s[e - 1])) --e;
  double v = ParseDouble(s.substr(b, e - b));
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<float> StrictSingle(std::string_view s) {
  auto d = StrictDouble(s);
  if (!d) return std::nullopt;
  float f = static_cast<float>(*d);
  if (!std::isfinite(f)) return std::nullopt;
  return f;
}

std::size_t NumericPrefixLength(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  std::size_t n = NumberLength(s.substr(b));
  return n == 0 ? 0 : b + n;
}

double LenientDouble(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  std::size_t n = NumberLength(s.substr(b));
  if (n == 0) return 0.0;
  return ParseDouble(s.substr(b, n));
}

std::string SingleText(float v) {
  if (v == 0.0f) return "0";  // no "-0"
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string DoubleText(double v) {
  if (v == 0.0) return "0";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string GeneralText(double v) {
  if (v == 0.0) return "0";
  if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
  char buf[64];
  double a = std::fabs(v);
  if (a >= 1e-5 && a < 1e7) {
    // Fixed notation with 7 significant digits, trailing zeros removed.
    int intDigits = a >= 1 ? static_cast<int>(std::floor(std::log10(a))) + 1 : 0;
    int decimals = std::max(0, 7 - intDigits);
    if (a < 1) {
      int lead = -static_cast<int>(std::floor(std::log10(a))) - 1;
      decimals = 7 + lead;
    }
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string t(buf);
    if (t.find('.') != std::string::npos) {
      while (!t.empty() && t.back() == '0') t.pop_back();
      if (!t.empty() && t.back() == '.') t.pop_back();
    }
    // Rounding can carry into an eighth digit (9999999.6): fall through then.
    std::string digitsOnly;
    for (char c : t) if (IsDigit(c)) digitsOnly += c;
    auto firstNonZero = digitsOnly.find_first_not_of('0');
    if (firstNonZero == std::string::npos || digitsOnly.size() - firstNonZero <= 7) return t == "-0" ? "0" : t;
  }
  std::snprintf(buf, sizeof buf, "%.6E", v);
  std::string t(buf);
  auto epos = t.find('E');
  std::string mant = t.substr(0, epos), ex = t.substr(epos + 1);
  if (mant.find('.') != std::string::npos) {
    while (mant.back() == '0') mant.pop_back();
    if (mant.back() == '.') mant.pop_back();
  }
  char sign = ex[0];
  std::string expDigits = ex.substr(1);
  while (expDigits.size() > 2 && expDigits[0] == '0') expDigits.erase(0, 1);
  return mant + "E" + sign + expDigits;
}

double RoundHalfEven(double v) {
  return std::nearbyint(v);  // the default rounding mode sends halves to even
}

std::optional<std::int16_t> ToInteger(double v) {
  if (std::isnan(v)) return std::nullopt;
  double r = RoundHalfEven(v);
  if (r < -32768.0 || r > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> ToLong(double v) {
  if (std::isnan(v)) return std::nullopt;
  double r = RoundHalfEven(v);
  if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace quorlin
