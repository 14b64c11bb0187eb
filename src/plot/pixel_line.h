// A one-pixel aliased polyline painted straight into 32-bit pixels, pixel
// for pixel as a raster painter's one-pixel pen paints it, so that the plot
// can hand its pattern to the image without a painter's per-segment cost.
//
// The rules: coordinates in 26.6 fixed point (times 64, truncated); a steep
// segment paints one pixel per row whose centre it spans, a shallow one one
// pixel per column; where the chain turns, a pixel is added if the two
// segments would otherwise leave a gap, and a segment running up or left that
// reverses the last one's direction is lengthened by half a pixel at the
// turn. A segment that paints nothing (shorter than a pixel) does not move
// the chain's start, so a run of tiny steps is painted as one segment. Qt's
// raster engine paints a handful of turns otherwise (about one pixel in two
// thousand of a measured pattern, always next to the line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plot/decimate.h"

namespace quorlin {

struct PixelTarget {
  std::uint32_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // pixels per row
  int width = 0, height = 0;  // the whole image
  // Pixels outside [clipLeft, clipRight) x [clipTop, clipBottom) are left alone.
  int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
};

void PaintPixelPolyline(const PixelTarget& target, const std::vector<PixelPoint>& points, std::uint32_t pixel);

}  // namespace quorlin
