// quorlin-cli reflections with a diffraction axis: one row per drawn line.
#include <gtest/gtest.h>

#include "support/shell.h"
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

using quorlin::testing::Outcome;

Outcome RunCli(const std::string& args, bool withStderr = false) {
  return quorlin::testing::RunShell(quorlin::testing::CliCommand("reflections " + args) +
                                    (withStderr ? " 2>&1" : " 2>/dev/null"));
}

struct Line {
  int h, k, l;
  double d, x;
  int source;
  double intensity;
};

std::vector<Line> Lines(const std::string& out, std::string* header = nullptr) {
  std::vector<Line> lines;
  std::istringstream in(out);
  for (std::string text; std::getline(in, text);) {
    if (text.rfind("#", 0) == 0) {
      if (header) *header = text;
      continue;
    }
    Line l{};
    std::istringstream f(text);
    f >> l.h >> l.k >> l.l >> l.d >> l.x >> l.source >> l.intensity;
    if (f) lines.push_back(l);
  }
  return lines;
}

// Bragg's law with a displaced specimen, in degrees.
double TwoTheta(double lambda, double d, double s = 0) {
  double theta = std::asin(lambda / (2 * d));
  return (2 * theta - 2 * s * std::cos(theta)) * 180 / kPi;
}

const std::string kCubic = "--cell 4 4 4 90 90 90 --unique ";

}  // namespace

TEST(ReflectionsAxisCli, TwoThetaForAWavelengthOrATube) {
  for (double s : {0.0, 0.002}) {
    std::string header;
    auto r = RunCli(kCubic + "--wavelength 1.5406 --displacement " + std::to_string(s));
    ASSERT_EQ(r.status, 0) << r.output;
    auto lines = Lines(r.output, &header);
    EXPECT_EQ(header.rfind("# h k l d x source intensity", 0), 0u) << header;
    ASSERT_GT(lines.size(), 20u);
    for (const auto& l : lines) {
      EXPECT_NEAR(l.d, 4 / std::sqrt(l.h * l.h + l.k * l.k + l.l * l.l), 1e-5);
      EXPECT_NEAR(l.x, TwoTheta(1.5406, l.d, s), 2e-4) << l.h << l.k << l.l;
      EXPECT_EQ(l.source, 0);
      EXPECT_EQ(l.intensity, 1.0);
    }
  }
  // The tubes' lines (International Tables, Vol. C) with intensities 1, 0.5, 0.05.
  const std::map<int, double> lambda = {{0, 1.540562}, {1, 1.54439}, {2, 1.392218},
                                        {3, 0.7093},   {4, 0.71359}, {5, 0.632288}};
  const double height[] = {1, 0.5, 0.05};
  for (const char* tube : {"Cu", "Mo"}) {
    auto lines = Lines(RunCli(kCubic + "--limits 0 2 0 2 0 2 --tube " + tube).output);
    int first = std::string(tube) == "Mo" ? 3 : 0;
    ASSERT_FALSE(lines.empty());
    ASSERT_EQ(lines.size() % 3, 0u);  // every line of this cell is reachable by all three
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const auto& l = lines[i];
      EXPECT_EQ(l.source, first + static_cast<int>(i % 3));
      EXPECT_DOUBLE_EQ(l.intensity, height[i % 3]);
      EXPECT_NEAR(l.x, TwoTheta(lambda.at(l.source), l.d), 2e-4);
    }
  }
}

TEST(ReflectionsAxisCli, EnergyAndTheStrictRange) {
  // E d sin(theta) = 6.1997 keV Angstrom, pi taken as 3.14159.
  auto lines = Lines(RunCli(kCubic + "--energy 7.5").output);
  ASSERT_FALSE(lines.empty());
  for (const auto& l : lines) EXPECT_NEAR(l.x, 6.1997 / (l.d * std::sin(7.5 * 3.14159 / 360)), 1e-3 * l.x);

  // A range whose ends are exactly two lines' positions keeps neither of them.
  auto all = Lines(RunCli(kCubic + "--wavelength 1.5406").output);
  ASSERT_GT(all.size(), 10u);
  std::ostringstream range;
  range.precision(9);
  range << " --range " << all[0].x << ' ' << all[6].x;
  auto inside = Lines(RunCli(kCubic + "--wavelength 1.5406" + range.str()).output);
  ASSERT_FALSE(inside.empty());
  for (const auto& l : inside) {
    EXPECT_GT(l.x, all[0].x);
    EXPECT_LT(l.x, all[6].x);
  }
  std::size_t expected = 0;
  for (const auto& l : all) expected += l.x > all[0].x && l.x < all[6].x;
  EXPECT_EQ(inside.size(), expected);
}

TEST(ReflectionsAxisCli, ContradictoryOrBadOptionsAreRefused) {
  for (const char* bad : {"--tube Fe", "--wavelength 0.01", "--wavelength 1 --tube Cu", "--energy 7 --tube Mo",
                          "--range 10 20", "--displacement 0.001", "--tube Cu --range 30 20",
                          "--energy 7 --displacement 0.001", "--energy 200", "--wavelength x"}) {
    auto r = RunCli(kCubic + bad, true);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.output.find("reflections"), std::string::npos) << bad << ": " << r.output;
    EXPECT_TRUE(Lines(r.output).empty()) << bad;
  }
}

TEST(ReflectionsAxisCli, ReadmeExample) {
  // Rock salt (Fm-3m) under Cu: 111, 200, 220, 311 and 222 fall inside
  // 20..60 degrees for all three lines, 400 only for K-beta.
  auto r = RunCli("--cell 5.64 5.64 5.64 90 90 90 --system cubic --symbol 12 --unique --tube Cu --range 20 60");
  ASSERT_EQ(r.status, 0) << r.output;
  auto lines = Lines(r.output);
  const int families[][3] = {{1, 1, 1}, {2, 0, 0}, {2, 2, 0}, {3, 1, 1}, {2, 2, 2}};
  ASSERT_EQ(lines.size(), 5u * 3u + 1u);
  for (int f = 0; f < 5; ++f)
    for (int s = 0; s < 3; ++s) {
      const auto& l = lines[static_cast<std::size_t>(3 * f + s)];
      EXPECT_EQ(l.h, families[f][0]);
      EXPECT_EQ(l.k, families[f][1]);
      EXPECT_EQ(l.l, families[f][2]);
      EXPECT_EQ(l.source, s);
    }
  // 200 of NaCl under Cu K-alpha1: 2 asin(1.540562 / 5.64) = 31.70 degrees.
  EXPECT_NEAR(lines[3].x, 31.70, 0.01);
  EXPECT_EQ(lines.back().h, 4);
  EXPECT_EQ(lines.back().l, 0);
  EXPECT_EQ(lines.back().source, 2);
}
