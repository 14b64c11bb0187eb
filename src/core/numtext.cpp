#include "core/numtext.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

namespace {

// floor(log10(a)) for 1e-5 <= a < 1e7, found by comparison; next to a
// power of ten, where the logarithm's rounding decides, by the logarithm.
int Decade(double a) {
  static constexpr double kPowers[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
  int d = 0;
  while (d + 1 < 13 && a >= kPowers[d + 1]) ++d;
  const double below = kPowers[d], above = kPowers[d + 1 < 13 ? d + 1 : d];
  if (a < below * (1 + 1e-9) || a > above * (1 - 1e-9)) return static_cast<int>(std::floor(std::log10(a)));
  return d - 5;
}

constexpr double kTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// |v| times 10^decimals rounded to an integer, when that is surely the
// exact value's rounding: the product's error is far below the distance of
// its fraction from one half.
std::optional<std::uint64_t> ScaledDigits(double v, int decimals) {
  if (decimals < 0 || decimals > 15) return std::nullopt;
  const double scaled = std::fabs(v) * kTen[decimals];
  if (!(scaled < 1e9) || std::fabs(scaled - std::floor(scaled) - 0.5) <= 1e-6) return std::nullopt;
  return static_cast<std::uint64_t>(std::nearbyint(scaled));
}

// Digits after the point in GeneralText's fixed notation (7 significant).
int FixedDecimals(double a) {
  const int decade = Decade(a);
  if (a < 1) return 7 + (-decade - 1);
  return std::max(0, 7 - (decade + 1));
}

// v in fixed notation with `decimals` digits after the point, as to_chars
// writes it, without to_chars's cost where the digits are sure.
char* FixedDigits(char* buf, char* end, double v, int decimals) {
  const auto scaled = ScaledDigits(v, decimals);
  if (!scaled) return std::to_chars(buf, end, v, std::chars_format::fixed, decimals).ptr;
  std::uint64_t r = *scaled;
  char digits[32];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + r % 10);
    r /= 10;
  } while (r != 0);
  while (n <= decimals) digits[n++] = '0';  // at least one digit before the point
  char* out = buf;
  if (v < 0) *out++ = '-';
  for (int i = n - 1; i >= 0; --i) {
    if (i == decimals - 1) *out++ = '.';
    *out++ = digits[i];
  }
  return out;
}

}  // namespace

std::string GeneralText(double v) {
  if (v == 0.0) return "0";
  if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
  // Written with to_chars: exact decimal rounding as printf gives, without
  // its cost, which x-y files of half a million rows pay twice a row.
  char buf[64];
  char* const end = buf + sizeof buf;
  double a = std::fabs(v);
  if (a >= 1e-5 && a < 1e7) {
    // Fixed notation with 7 significant digits, trailing zeros removed.
    const int decimals = FixedDecimals(a);
    char* last = FixedDigits(buf, end, v, decimals);
    if (std::find(buf, last, '.') != last) {
      while (last > buf && last[-1] == '0') --last;
      if (last > buf && last[-1] == '.') --last;
    }
    // Rounding can carry into an eighth digit (9999999.6): fall through then.
    int significant = 0;
    bool leading = true;
    for (const char* c = buf; c < last; ++c) {
      if (!IsDigit(*c)) continue;
      if (leading && *c == '0') continue;
      leading = false;
      ++significant;
    }
    if (significant <= 7) {
      std::string t(buf, last);
      return t == "-0" ? "0" : t;
    }
  }
  // d.dddddde+XX: mantissa without trailing zeros, "E", sign, at least two
  // exponent digits.
  char* last = std::to_chars(buf, end, v, std::chars_format::scientific, 6).ptr;
  char* e = std::find(buf, last, 'e');
  char* mantEnd = e;
  if (std::find(buf, e, '.') != e) {
    while (mantEnd[-1] == '0') --mantEnd;
    if (mantEnd[-1] == '.') --mantEnd;
  }
  std::string t(buf, mantEnd);
  t += 'E';
  t += e[1];
  const char* digits = e + 2;
  while (last - digits > 2 && *digits == '0') ++digits;
  t.append(digits, static_cast<std::size_t>(last - digits));
  return t;
}

std::string FixedText(double v, int decimals) {
  char buf[400];  // the widest double in %f is 309 digits and a sign
  std::snprintf(buf, sizeof buf, "%.*f", std::clamp(decimals, 0, 60), v);
  return buf;
}

bool SameGeneralText(double a, double b) {
  // In the fixed range the text is a function of the sign, the number of
  // decimals and the rounded digits.
  const double fa = std::fabs(a), fb = std::fabs(b);
  if (std::signbit(a) == std::signbit(b) && fa >= 1e-5 && fa < 1e7 && fb >= 1e-5 && fb < 1e7) {
    const int decimals = FixedDecimals(fa);
    if (decimals == FixedDecimals(fb)) {
      const auto ra = ScaledDigits(a, decimals), rb = ScaledDigits(b, decimals);
      if (ra && rb) return *ra == *rb;
    }
  }
  return GeneralText(a) == GeneralText(b);
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
