// Tick choice and labels of the plot's axes, and the thinning of a dense
// polyline to what each pixel column shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "data/data.h"
#include "plot/axes.h"
#include "plot/decimate.h"
#include "plot/xrd_plot.h"

using namespace quorlin;

namespace {

std::vector<double> Positions(const std::vector<AxisTick>& ticks) {
  std::vector<double> at;
  for (const auto& t : ticks) at.push_back(t.at);
  return at;
}

}  // namespace

TEST(Axes, StepsAreOneTwoOrFiveTimesAPowerOfTen) {
  // Worked by hand: span / maxTicks, rounded up to the next 1, 2, 5 x 10^n.
  struct Case {
    double span;
    int maxTicks;
    double step;
  } cases[] = {
      {85, 10, 10},      // 8.5 -> 10
      {85, 12, 10},      // 7.08 -> 10
      {85, 20, 5},       // 4.25 -> 5
      {3500, 10, 500},   // 350 -> 500
      {10000, 10, 1000}, // exactly 1000
      {0.3, 6, 0.05},    // 0.05 exactly
      {1.2, 10, 0.2},    // 0.12 -> 0.2
      {4095, 12, 500},   // 341 -> 500
      {0.0004, 4, 0.0001},
  };
  for (const Case& c : cases) EXPECT_NEAR(NiceStep(c.span, c.maxTicks), c.step, c.step * 1e-12) << c.span;
  EXPECT_EQ(NiceStep(0, 5), 0);
  EXPECT_EQ(NiceStep(-1, 5), 0);
  EXPECT_EQ(NiceStep(std::nan(""), 5), 0);
  EXPECT_EQ(NiceStep(INFINITY, 5), 0);
}

TEST(Axes, TicksFollowTheWindowAndReadCleanly) {
  // 5..90 degrees, at most 10 ticks: every 10 degrees from 10 to 90.
  auto ticks = LinearTicks(5, 90, 10);
  EXPECT_EQ(Positions(ticks), (std::vector<double>{10, 20, 30, 40, 50, 60, 70, 80, 90}));
  EXPECT_EQ(ticks.front().label, "10");
  // Zoomed to 20.13..20.61: steps of 0.05, labels with two decimals.
  ticks = LinearTicks(20.13, 20.61, 10);
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks.front().label, "20.15");
  EXPECT_EQ(ticks.back().label, "20.60");
  EXPECT_EQ(ticks.size(), 10u);
  // Intensity from top to bottom (the scale runs downwards) gives the same.
  EXPECT_EQ(Positions(LinearTicks(3500, 0, 7)), Positions(LinearTicks(0, 3500, 7)));
  // Across zero: no "-0", and negative labels keep their sign.
  ticks = LinearTicks(-0.3, 0.3, 6);
  std::vector<std::string> labels;
  for (const auto& t : ticks) labels.push_back(t.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3"}));
  EXPECT_EQ(TickLabel(-1e-17, 0.1), "0.0");
  EXPECT_TRUE(LinearTicks(5, 5, 10).empty());
}

TEST(Axes, EnergyAxisMapsThroughTheCalibration) {
  CData data;
  data.SetNChan(2048);
  data.edsCAL_OFFSET = 0.5f;
  data.edsCAL_SLOPE = 0.02f;  // keV per channel
  CXRDPlot plot(data);
  plot.SetDataType("Energy");
  AxesStyle style = AxesFor(plot);
  EXPECT_EQ(style.bottomTitle, "Channel");
  EXPECT_EQ(style.topTitle, "Energy (keV)");
  // Channels 0..1000 are 0.5..20.5 keV; ticks every 2 keV from 2 to 20, each
  // at channel (E - 0.5) / 0.02 worked by hand: 2 keV at 75, 20 keV at 975.
  auto ticks = MappedTicks(0, 1000, 10, style.topFromBottom, style.bottomFromTop);
  ASSERT_EQ(ticks.size(), 10u);
  EXPECT_NEAR(ticks.front().at, 75, 1e-3);
  EXPECT_EQ(ticks.front().label, "2");
  EXPECT_NEAR(ticks.back().at, 975, 1e-3);
  // A quadratic term: the inverse must undo the forward map.
  data.edsCAL_QUAD = 1e-6f;
  style = AxesFor(plot);
  for (double ch : {0.0, 17.0, 1234.5}) EXPECT_NEAR(style.bottomFromTop(style.topFromBottom(ch)), ch, 1e-6);
  // No calibration, no energy axis; angle data reads in degrees.
  data.edsCAL_SLOPE = 0;
  EXPECT_TRUE(AxesFor(plot).topTitle.empty());
  plot.SetDataType("Angle");
  EXPECT_EQ(AxesFor(plot).bottomTitle, "2θ (°)");
  EXPECT_EQ(AxesFor(plot).leftTitle, "Intensity");
}

namespace {

// Kept points must be input points, in input order, with both ends.
void ExpectSubsequence(const std::vector<PixelPoint>& thin, const std::vector<PixelPoint>& points) {
  ASSERT_FALSE(thin.empty());
  EXPECT_EQ(thin.front().x, points.front().x);
  EXPECT_EQ(thin.back().x, points.back().x);
  std::size_t at = 0;
  for (const auto& p : thin) {
    while (at < points.size() && (points[at].x != p.x || points[at].y != p.y)) ++at;
    ASSERT_LT(at, points.size());
  }
}

// Per pixel column visited, in order: the lowest and the highest y.
std::vector<std::tuple<double, double, double>> Spans(const std::vector<PixelPoint>& pts) {
  std::vector<std::tuple<double, double, double>> out;
  for (const auto& p : pts) {
    double c = std::floor(p.x);
    if (out.empty() || std::get<0>(out.back()) != c) {
      out.emplace_back(c, p.y, p.y);
    } else {
      std::get<1>(out.back()) = std::min(std::get<1>(out.back()), p.y);
      std::get<2>(out.back()) = std::max(std::get<2>(out.back()), p.y);
    }
  }
  return out;
}

}  // namespace

TEST(Decimate, SteepChainsKeepTheirSpanShallowOnesTheirCentreCrossing) {
  // Noise of 5..40 pixels between neighbours, 70 points per column: every
  // segment steep, so each column keeps its lowest and highest point.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(5, 40);
  std::vector<PixelPoint> points;
  for (int i = 0; i < 21000; ++i) points.push_back({15 + i * 0.0143, 100 + (i % 2 ? noise(random) : -noise(random))});
  auto thin = DecimatePerColumn(points);
  ExpectSubsequence(thin, points);
  EXPECT_LT(thin.size(), points.size() / 10);
  EXPECT_EQ(Spans(thin), Spans(points));

  // A slowly rising baseline, 100 points per column: every segment shallow.
  // Each column keeps the points next to its centre (x = c + 0.5), where
  // the line paints its one pixel there.
  points.clear();
  for (int i = 0; i < 30000; ++i) points.push_back({i * 0.01, 200 + i * 0.001});
  thin = DecimatePerColumn(points);
  ExpectSubsequence(thin, points);
  EXPECT_LT(thin.size(), points.size() / 5);
  for (int c = 0; c < 299; ++c) {
    bool before = false, after = false;
    for (const auto& p : thin) {
      before = before || (p.x < c + 0.5 && p.x > c + 0.5 - 0.0101);
      after = after || (p.x > c + 0.5 && p.x < c + 0.5 + 0.0101);
    }
    EXPECT_TRUE(before && after) << "column " << c;
  }
  // Few points, or a chain that falls back in x, stay as they are.
  std::vector<PixelPoint> few{{1.1, 5}, {1.2, 50}, {1.3, 6}};
  EXPECT_EQ(DecimatePerColumn(few).size(), 3u);
  std::vector<PixelPoint> back{{1.9, 5}, {1.8, 5.01}, {1.7, 5.02}, {1.6, 5.03}, {1.5, 5.04}, {1.4, 5.05}};
  EXPECT_EQ(DecimatePerColumn(back).size(), back.size());
}
