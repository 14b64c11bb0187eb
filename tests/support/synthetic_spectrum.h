// A synthetic energy-dispersive spectrum of rock salt at a chosen cell edge,
// and a NaCl card, for the fitting tests. Peaks are Lorentzians on a flat
// background at the channels E = 6.1997 / (d sin theta) keV, E = slope * ch.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace quorlin::testing {

struct RockSaltLine {
  int h, k, l;
  double intensity;
};
// NaCl, JCPDS 5-0628.
inline constexpr RockSaltLine kNaClLines[] = {{1, 1, 1, 13}, {2, 0, 0, 100}, {2, 2, 0, 55}, {3, 1, 1, 2},
                                              {2, 2, 2, 15}, {4, 0, 0, 6},   {3, 3, 1, 1},  {4, 2, 0, 11},
                                              {4, 2, 2, 7},  {5, 1, 1, 1},   {4, 4, 0, 2}};

inline constexpr double kSlope = 0.06;  // keV per channel
inline constexpr double kTwoTheta = 6.5;

inline double ChannelOf(double a, int h, int k, int l) {
  const double d = a / std::sqrt(double(h * h + k * k + l * l));
  return 6.1997 / (d * std::sin(kTwoTheta * 3.14159 / 360.0)) / kSlope;
}

inline std::string RockSaltMca(double a, double halfWidth = 3.0) {
  std::string text =
      "VERSION:    3.1\nELEMENTS:   1\nCHANNELS:   2048\nCAL_OFFSET: 0\nCAL_SLOPE:  0.06\nCAL_QUAD:   0\n"
      "TWO_THETA:  6.5\nDATA:\n";
  for (int ch = 0; ch < 2048; ++ch) {
    double y = 20;
    for (const auto& line : kNaClLines) {
      const double c = ChannelOf(a, line.h, line.k, line.l);
      y += 50 * line.intensity * halfWidth * halfWidth / ((ch - c) * (ch - c) + halfWidth * halfWidth);
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f\n", y);
    text += buf;
  }
  return text;
}

inline std::string NaClCard(double a = 5.6402) {
  std::string text = "VERSION: 4\nCOMMENT: NaCl\nK0: 23.88\nK0P: 5.2\nSYMMETRY: CUBIC\nA: " + std::to_string(a) + "\n";
  for (const auto& line : kNaClLines) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "DIHKL: %.4f %g %d %d %d\n",
                  a / std::sqrt(double(line.h * line.h + line.k * line.k + line.l * line.l)), line.intensity, line.h,
                  line.k, line.l);
    text += buf;
  }
  return text;
}

}  // namespace quorlin::testing
