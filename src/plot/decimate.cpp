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

// The points are fetched through P (they may be computed on the fly), and
// their fixed-point forms recomputed where needed rather than stored.
template <class Point>
void Thin(std::size_t n, Point P, std::vector<PixelPoint>& out) {
  auto Fix = [](const PixelPoint& p) { return FixedPoint{ToFixed(p.x), ToFixed(p.y)}; };
  auto F = [&](std::size_t k) { return Fix(P(k)); };
  out.resize(n);  // written by index: the thinned line is never longer
  std::size_t m = 0;
  if (n == 0) return;
  out[m++] = P(0);
  std::size_t i = 0;  // the chain starts at point i, which is already out
  while (i + 1 < n) {
    // The chain i..j: segments of one slope inside one column.
    const FixedPoint fi = F(i);
    const Fixed column = ColumnOf(fi.x);
    PixelPoint pj = P(i + 1);
    FixedPoint fj = Fix(pj);
    const Slope slope = SlopeOf(fi, fj, P(i), pj);
    std::size_t j = i + 1;
    const bool sameColumn = ColumnOf(fj.x) == column;
    if (slope != Slope::Unsure && sameColumn)
      while (j + 1 < n) {
        const PixelPoint pn = P(j + 1);
        const FixedPoint fn = Fix(pn);
        if (ColumnOf(fn.x) != column || SlopeOf(fj, fn, pj, pn) != slope) break;
        pj = pn;
        fj = fn;
        ++j;
      }
    if (!sameColumn || slope == Slope::Unsure || j - i < 4) {
      for (std::size_t k = i + 1; k <= j; ++k) out[m++] = P(k);
      i = j;
      continue;
    }
    std::size_t keep[24];
    std::size_t kept = 0;
    if (slope == Slope::Steep) {
      std::size_t lo = i, hi = i;
      double loY = P(i).y, hiY = loY;
      for (std::size_t k = i + 1; k <= j; ++k) {
        const double y = P(k).y;
        if (y < loY) lo = k, loY = y;
        if (y > hiY) hi = k, hiY = y;
      }
      const std::size_t a = lo < hi ? lo : hi, b = lo < hi ? hi : lo;
      for (std::size_t k : {a, b})
        if (k != i && k != j && (kept == 0 || keep[kept - 1] != k)) keep[kept++] = k;
    } else {
      // The points next to the column's centre, with the ones either side.
      const Fixed centre = column * 64 + 32;
      std::size_t a = i, b = j;
      for (std::size_t k = i; k <= j; ++k)
        if (ToFixed(P(k).x) < centre - 2) a = k;
      for (std::size_t k = j + 1; k-- > i;)
        if (ToFixed(P(k).x) > centre + 2) b = k;
      if (b < a || b - a > 20) {  // not the short stretch expected: keep the chain
        for (std::size_t k = i + 1; k <= j; ++k) out[m++] = P(k);
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
    for (std::size_t k = 0; k < kept && same; from = keep[k++]) same = SlopeOf(F(from), F(keep[k]), P(from), P(keep[k])) == slope;
    if (same)
      for (std::size_t k = 0; k < kept; ++k) out[m++] = P(keep[k]);
    else
      for (std::size_t k = i + 1; k <= j; ++k) out[m++] = P(k);
    i = j;
  }
  out.resize(m);
}

}  // namespace

void DecimatePerColumn(const std::vector<PixelPoint>& points, std::vector<PixelPoint>& out) {
  Thin(points.size(), [&](std::size_t k) { return points[k]; }, out);
}

void DecimatePerColumn(const PixelPoint* fractions, std::size_t count, const PixelFrame& frame,
                       std::vector<PixelPoint>& out) {
  Thin(count, [&](std::size_t k) { return PixelPoint{frame.x + fractions[k].x * frame.w, frame.y + fractions[k].y * frame.h}; },
       out);
}

}  // namespace quorlin
