#include "plot/pixel_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace quorlin;

// Whatever the points (far off the image, huge, not numbers), the polyline
// writes only inside its clip: a border of guard pixels round the image and
// the rows and columns outside the clip stay untouched. A straight run across
// the clip paints one pixel per column, as a one-pixel line should.
TEST(PixelLine, PaintsOnlyInsideTheClip) {
  constexpr int kW = 60, kH = 40, kGuard = 8, kStride = kW + 2 * kGuard;
  constexpr std::uint32_t kPaper = 0x11111111, kInk = 0xff203040;
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  std::mt19937 random(11);
  std::uniform_real_distribution<double> wide(-200.0, 260.0);
  const double odd[] = {nan, inf, -inf, 1e300, -1e300, 1e7, -1e7};
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(kStride * (kH + 2 * kGuard)), kPaper);
    PixelTarget t;
    t.bits = buffer.data() + kGuard * kStride + kGuard;
    t.stride = kStride;
    t.width = kW;
    t.height = kH;
    t.clipLeft = 5, t.clipTop = 3, t.clipRight = 50, t.clipBottom = 33;
    std::vector<PixelPoint> points;
    for (int i = 0; i < 30; ++i) {
      double x = wide(random), y = wide(random);
      if (i % 7 == trial % 7) x = odd[static_cast<std::size_t>(i + trial) % 7];
      if (i % 11 == trial % 11) y = odd[static_cast<std::size_t>(i * 3 + trial) % 7];
      points.push_back({x, y});
    }
    PaintPixelPolyline(t, points, kInk);
    for (int y = -kGuard; y < kH + kGuard; ++y)
      for (int x = -kGuard; x < kW + kGuard; ++x) {
        const bool inside = x >= t.clipLeft && x < t.clipRight && y >= t.clipTop && y < t.clipBottom;
        if (!inside) {
          ASSERT_EQ(buffer[static_cast<std::size_t>((y + kGuard) * kStride + x + kGuard)], kPaper) << x << "," << y;
        }
      }
  }
  // A shallow line from far left to far right: exactly one pixel in every
  // column of the clip, in the row the line crosses at the column's centre
  // (to the 1/64 pixel the rasteriser works in).
  std::vector<std::uint32_t> image(static_cast<std::size_t>(kW * kH), kPaper);
  PixelTarget t{image.data(), kW, kW, kH, 5, 0, 50, kH};
  PaintPixelPolyline(t, {{-100, 0.3}, {200, 36.3}}, kInk);
  for (int x = 0; x < kW; ++x) {
    int inked = 0, row = -1;
    for (int y = 0; y < kH; ++y)
      if (image[static_cast<std::size_t>(y * kW + x)] == kInk) ++inked, row = y;
    const bool inClip = x >= 5 && x < 50;
    EXPECT_EQ(inked, inClip ? 1 : 0) << "column " << x;
    const double y = 0.3 + 0.12 * (x + 0.5 + 100);
    if (inClip) {
      EXPECT_LE(std::fabs(row + 0.5 - y), 0.5 + 1.0 / 32) << "column " << x;
    }
  }
}
