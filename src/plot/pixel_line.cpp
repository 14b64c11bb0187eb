#include "plot/pixel_line.h"

#include <climits>
#include <cmath>
#include <utility>

namespace quorlin {
namespace {

using Fixed = std::int64_t;

enum Direction : int { kNoDirection = 0, kDown = 1, kUp = 2, kRight = 4, kLeft = 8 };
constexpr int kVertical = kDown | kUp, kHorizontal = kRight | kLeft;

struct Pixel {
  Fixed x, y;
  bool operator==(const Pixel&) const = default;
};

class Chain {
 public:
  Chain(const PixelTarget& t, std::uint32_t pixel) : t_(t), pixel_(pixel), xmax_(t.width + 1.0), ymax_(t.height + 1.0) {}

  // Paints one segment; false when it painted nothing and the chain should
  // keep its start.
  bool Segment(double x1, double y1, double x2, double y2) {
    const bool longEnough = std::fabs(x2 - x1) + std::fabs(y2 - y1) >= 1.0;
    if (!std::isfinite(x1 + y1 + x2 + y2) || ClipAway(x1, y1, x2, y2)) return Lost();
    const Fixed fx1 = static_cast<Fixed>(x1 * 64.), fy1 = static_cast<Fixed>(y1 * 64.);
    const Fixed fx2 = static_cast<Fixed>(x2 * 64.), fy2 = static_cast<Fixed>(y2 * 64.);
    const Fixed dx = fx2 > fx1 ? fx2 - fx1 : fx1 - fx2, dy = fy2 > fy1 ? fy2 - fy1 : fy1 - fy2;
    if (dx < dy) return Walk(true, fy1, fx1, fy2, fx2) || longEnough;
    if (dx == 0) return true;
    return Walk(false, fx1, fy1, fx2, fy2) || longEnough;
  }

 private:
  void Put(Fixed x, Fixed y) const {
    if (x < t_.clipLeft || x >= t_.clipRight || y < t_.clipTop || y >= t_.clipBottom) return;
    t_.bits[y * t_.stride + x] = pixel_;
  }

  // Cuts the segment to a pixel beyond the image on every side (in floating
  // point, before fixed point could overflow); true when nothing is left.
  bool ClipAway(double& x1, double& y1, double& x2, double& y2) {
    const double xmin = -1, ymin = -1;
    if (x1 < xmin) {
      if (x2 <= xmin) return Lost();
      y1 += (y2 - y1) / (x2 - x1) * (xmin - x1);
      x1 = xmin;
    } else if (x1 > xmax_) {
      if (x2 >= xmax_) return Lost();
      y1 += (y2 - y1) / (x2 - x1) * (xmax_ - x1);
      x1 = xmax_;
    }
    if (x2 < xmin) {
      last_.x = -1;
      y2 += (y2 - y1) / (x2 - x1) * (xmin - x2);
      x2 = xmin;
    } else if (x2 > xmax_) {
      last_.x = -1;
      y2 += (y2 - y1) / (x2 - x1) * (xmax_ - x2);
      x2 = xmax_;
    }
    if (y1 < ymin) {
      if (y2 <= ymin) return Lost();
      x1 += (x2 - x1) / (y2 - y1) * (ymin - y1);
      y1 = ymin;
    } else if (y1 > ymax_) {
      if (y2 >= ymax_) return Lost();
      x1 += (x2 - x1) / (y2 - y1) * (ymax_ - y1);
      y1 = ymax_;
    }
    if (y2 < ymin) {
      last_.x = -1;
      x2 += (x2 - x1) / (y2 - y1) * (ymin - y2);
      y2 = ymin;
    } else if (y2 > ymax_) {
      last_.x = -1;
      x2 += (x2 - x1) / (y2 - y1) * (ymax_ - y2);
      y2 = ymax_;
    }
    return false;
  }
  bool Lost() {
    last_.x = -1;
    return true;
  }

  // Steps along the major axis a (rows when steep, columns when shallow)
  // from a1 to a2, the minor coordinate b following in 16.16 fixed point.
  bool Walk(bool steep, Fixed a1, Fixed b1, Fixed a2, Fixed b2) {
    int dir = steep ? kDown : kRight;
    bool swapped = false;
    if (a1 > a2) {
      std::swap(a1, a2);
      std::swap(b1, b2);
      swapped = true;
      dir = steep ? kUp : kLeft;
    }
    const Fixed inc = ((b2 - b1) * 65536) / (a2 - a1);
    Fixed b = b1 * 1024;
    // Turning straight back, a segment that runs up or left gains half a
    // pixel at the turn (one running down or right does not).
    if (swapped && (lastDir_ ^ (steep ? kVertical : kHorizontal)) == dir) a2 += 32;
    Fixed a = (a1 + 32) >> 6, as = (a2 + 32) >> 6;
    Pixel last = last_;
    if (a == as) {
      last_ = last;
      return false;
    }
    b += ((a * 64 + (inc > 0 ? 32 : 0) - a1) * inc) >> 6;
    auto at = [steep](Fixed major, Fixed minor) { return steep ? Pixel{minor >> 16, major} : Pixel{major, minor >> 16}; };
    Pixel first = at(a, b);
    last = at(as - 1, b + (as - a - 1) * inc);
    if (swapped) std::swap(first, last);
    const bool axisAligned = (inc < 0 ? -inc : inc) < (1 << 14);
    if (last_.x >= 0) {
      const Fixed gx = last_.x - first.x, gy = last_.y - first.y;
      if (first == last_) {  // the turn's pixel is painted once
        if (swapped) {
          --as;
        } else {
          ++a;
          b += inc;
        }
      } else if (lastDir_ != dir && ((axisAligned && lastAxisAligned_ && gx != 0 && gy != 0) || gx > 1 || gx < -1 ||
                                     gy > 1 || gy < -1)) {  // a gap at the turn: one pixel more
        if (swapped) {
          ++as;
        } else {
          --a;
          b -= inc;
        }
      }
    }
    lastDir_ = dir;
    lastAxisAligned_ = axisAligned;
    do {
      if (steep)
        Put(b >> 16, a);
      else
        Put(a, b >> 16);
      b += inc;
    } while (++a < as);
    last_ = last;
    return true;
  }

  const PixelTarget& t_;
  const std::uint32_t pixel_;
  const double xmax_, ymax_;
  Pixel last_{INT_MIN, INT_MIN};
  int lastDir_ = kNoDirection;
  bool lastAxisAligned_ = false;
};

}  // namespace

void PaintPixelPolyline(const PixelTarget& target, const std::vector<PixelPoint>& points, std::uint32_t pixel) {
  const std::size_t n = points.size();
  if (n < 2 || target.bits == nullptr) return;
  Chain chain(target, pixel);
  PixelPoint from = points[0];
  for (std::size_t i = 1; i < n; ++i)
    if (chain.Segment(from.x, from.y, points[i].x, points[i].y) || i == 1 || i == n - 1) from = points[i];
}

}  // namespace quorlin
