// Number and text conventions shared by the whole model: what counts as a
// number typed by the user, the text form of a Single, rounding to Integer and
// Long, and the two conversions used by the file readers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorlin {

// Optional blanks, optional sign, digits with at most one '.', optional
// exponent, optional blanks. C locale: ',' is never part of a number.
bool IsNumeric(std::string_view s);

// Whole text must be a number (IsNumeric); its value in double precision.
std::optional<double> StrictDouble(std::string_view s);
// As StrictDouble, and the value must fit a Single (finite after rounding).
std::optional<float> StrictSingle(std::string_view s);

// The value of the longest numeric prefix after leading blanks and tabs, or 0.
double LenientDouble(std::string_view s);
// Number of characters of that prefix (0 when there is none), blanks included.
std::size_t NumericPrefixLength(std::string_view s);

// Shortest text that reads back to the same Single ("5", "0.2", "1e-05").
std::string SingleText(float v);
// Shortest text that reads back to the same Double.
std::string DoubleText(double v);
// Up to 7 significant digits, no trailing zeros ("12.5", "0.1234567", "1.5E+08").
std::string GeneralText(double v);
// Fixed notation with `decimals` digits after the point, as printf's %.*f.
std::string FixedText(double v, int decimals);
// GeneralText(a) == GeneralText(b), without writing either in the usual case.
bool SameGeneralText(double a, double b);

// Round to nearest, halves to even.
double RoundHalfEven(double v);
// 16-bit Integer and 32-bit Long conversions; empty when out of range or NaN.
std::optional<std::int16_t> ToInteger(double v);
std::optional<std::int32_t> ToLong(double v);

// 16-bit and 32-bit wrap-free arithmetic helpers for index sums.
inline bool IsOdd(std::int32_t n) { return (n & 1) != 0; }

// ASCII case folding for keywords and property-bag keys.
std::string AsciiLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace quorlin
