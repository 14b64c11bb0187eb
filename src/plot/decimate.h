// Thinning a polyline drawn with a one-pixel pen before it is handed to a
// rasteriser, keeping the pixels it paints.
//
// Coordinates are taken as a 26.6 fixed-point rasteriser takes them (times
// 64, truncated). A steep segment paints one pixel per row whose centre it
// spans, so a chain of steep segments inside one pixel column paints the rows
// between its extremes whatever its order: the first point, the extremes and
// the last paint the same. A shallow segment paints one pixel per column
// whose centre it spans, so a chain of shallow segments rising in x inside
// one column paints only where it crosses the column's centre: the first
// point, the segment across the centre and the last paint the same.
#pragma once

#include <cstddef>
#include <vector>

namespace quorlin {

struct PixelPoint {
  double x = 0, y = 0;  // pixels, x to the right
};

// Writes the thinned polyline to `out` (cleared first).
void DecimatePerColumn(const std::vector<PixelPoint>& points, std::vector<PixelPoint>& out);
// The same for points given as fractions of a frame in pixels: pixel =
// (x + fraction.x * w, y + fraction.y * h).
struct PixelFrame {
  double x = 0, y = 0, w = 1, h = 1;
};
void DecimatePerColumn(const PixelPoint* fractions, std::size_t count, const PixelFrame& frame,
                       std::vector<PixelPoint>& out);
inline std::vector<PixelPoint> DecimatePerColumn(const std::vector<PixelPoint>& points) {
  std::vector<PixelPoint> out;
  DecimatePerColumn(points, out);
  return out;
}

}  // namespace quorlin
