#include "plot/decimate.h"

#include <cmath>
#include <cstdint>

namespace quorlin {
namespace {

using Fixed = std::int64_t;

Fixed ToFixed(double v) {
  if (!(std::fabs(v) < 1e12)) return v > 0 ? Fixed(1) << 52 : -(Fixed(1) << 52);  // NaN and huge: far away
  return static_cast<Fixed>(v * 64.0);
}
Fixed Abs(Fixed v) { return v < 0 ? -v : v; }
Fixed ColumnOf(Fixed x) { return x >> 6; }  // floor(x / 64): an arithmetic shift

struct FixedPoint {
  Fixed x, y;
};

// Surely steep (with a margin so that rounding to fixed point cannot make it
// shallow), shallow (rising in x at least twice as fast as in y), or
// neither.
enum class Slope { Steep, Shallow, Unsure };
Slope SlopeOf(const FixedPoint& a, const FixedPoint& b, const PixelPoint& pa, const PixelPoint& pb) {
  if (Abs(b.y - a.y) >= Abs(b.x - a.x) + 2) return Slope::Steep;
  if (pb.x > pa.x && pb.x - pa.x > 2 * std::fabs(pb.y - pa.y)) return Slope::Shallow;
  return Slope::Unsure;
}

}  // namespace

void DecimatePerColumn(const std::vector<PixelPoint>& points, std::vector<PixelPoint>& out) {
  const std::size_t n = points.size();
  out.resize(n);  // written by index: the thinned line is never longer
  std::size_t m = 0;
  if (n == 0) return;
  thread_local std::vector<FixedPoint> f;  // kept between calls: this runs on every redraw
  f.resize(n);
  for (std::size_t i = 0; i < n; ++i) f[i] = {ToFixed(points[i].x), ToFixed(points[i].y)};
  out[m++] = points[0];
  std::size_t i = 0;  // the chain starts at point i, which is already out
  while (i + 1 < n) {
    // The chain i..j: segments of one slope inside one column.
    const Fixed column = ColumnOf(f[i].x);
    const Slope slope = SlopeOf(f[i], f[i + 1], points[i], points[i + 1]);
    std::size_t j = i + 1;
    if (slope != Slope::Unsure && ColumnOf(f[j].x) == column)
      while (j + 1 < n && ColumnOf(f[j + 1].x) == column && SlopeOf(f[j], f[j + 1], points[j], points[j + 1]) == slope) ++j;
    if (ColumnOf(f[j].x) != column || slope == Slope::Unsure || j - i < 4) {
      for (std::size_t k = i + 1; k <= j; ++k) out[m++] = points[k];
      i = j;
      continue;
    }
    std::size_t keep[24];
    std::size_t kept = 0;
    if (slope == Slope::Steep) {
      std::size_t lo = i, hi = i;
      for (std::size_t k = i + 1; k <= j; ++k) {
        if (points[k].y < points[lo].y) lo = k;
        if (points[k].y > points[hi].y) hi = k;
      }
      const std::size_t a = lo < hi ? lo : hi, b = lo < hi ? hi : lo;
      for (std::size_t k : {a, b})
        if (k != i && k != j && (kept == 0 || keep[kept - 1] != k)) keep[kept++] = k;
    } else {
      // The points next to the column's centre, with the ones either side.
      const Fixed centre = column * 64 + 32;
      std::size_t a = i, b = j;
      for (std::size_t k = i; k <= j; ++k)
        if (f[k].x < centre - 2) a = k;
      for (std::size_t k = j + 1; k-- > i;)
        if (f[k].x > centre + 2) b = k;
      if (b < a || b - a > 20) {  // not the short stretch expected: keep the chain
        for (std::size_t k = i + 1; k <= j; ++k) out[m++] = points[k];
        i = j;
        continue;
      }
      for (std::size_t k = a; k <= b; ++k)
        if (k != i && k != j) keep[kept++] = k;
    }
    keep[kept++] = j;
    // The replacing segments must keep the chain's slope.
    bool same = true;
    std::size_t from = i;
    for (std::size_t k = 0; k < kept && same; from = keep[k++]) same = SlopeOf(f[from], f[keep[k]], points[from], points[keep[k]]) == slope;
    if (same)
      for (std::size_t k = 0; k < kept; ++k) out[m++] = points[keep[k]];
    else
      for (std::size_t k = i + 1; k <= j; ++k) out[m++] = points[k];
    i = j;
  }
  out.resize(m);
}

}  // namespace quorlin
