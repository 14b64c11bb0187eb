#include "lattice/section.h"

#include <cmath>
#include <cstdlib>
#include <numeric>

#include "core/numtext.h"
#include "core/unitcell.h"
#include "reflections/pattern.h"

namespace quorlin {

namespace {

// g1 . g2 through the reciprocal metric, in double.
double Dot(const CUnitCell& cell, const Indices& a, const Indices& b) {
  double s = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      s += a[static_cast<std::size_t>(i)] * static_cast<double>(cell.Metric(-1, i, j)) * b[static_cast<std::size_t>(j)];
  return s;
}

bool Zero(const Indices& v) { return v[0] == 0 && v[1] == 0 && v[2] == 0; }

}  // namespace

Indices ZoneOfPlane(const Indices& a, const Indices& b) {
  return Reduced({a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]});
}

Indices Reduced(const Indices& v) {
  int g = std::gcd(std::gcd(std::abs(v[0]), std::abs(v[1])), std::abs(v[2]));
  if (g <= 1) return v;
  return {v[0] / g, v[1] / g, v[2] / g};
}

std::optional<std::array<Indices, 2>> ZoneBasis(const CUnitCell& cell, const Indices& zone, int n) {
  if (Zero(zone)) return std::nullopt;
  std::vector<Indices> members;
  for (int h = -n; h <= n; ++h)
    for (int k = -n; k <= n; ++k)
      for (int l = -n; l <= n; ++l)
        if ((h || k || l) && h * zone[0] + k * zone[1] + l * zone[2] == 0) members.push_back({h, k, l});
  const Indices* first = nullptr;
  double best = 0;
  for (const Indices& m : members) {
    double len = Dot(cell, m, m);
    if (!first || len < best - 1e-12) first = &m, best = len;
  }
  if (!first) return std::nullopt;
  const Indices* second = nullptr;
  best = 0;
  for (const Indices& m : members) {
    if (Zero(ZoneOfPlane(*first, m))) continue;  // parallel
    double len = Dot(cell, m, m);
    if (!second || len < best - 1e-12) second = &m, best = len;
  }
  if (!second) return std::nullopt;
  return std::array<Indices, 2>{*first, *second};
}

std::vector<SectionSpot> SectionSpots(const CUnitCell& cell, const CPattern& pattern, const Indices& first,
                                      const Indices& second, int n) {
  std::vector<SectionSpot> spots;
  const Indices zone = ZoneOfPlane(first, second);
  if (Zero(zone)) return spots;
  const double f2 = Dot(cell, first, first), fs = Dot(cell, first, second), s2 = Dot(cell, second, second);
  const double lf = std::sqrt(f2);
  // Gram-Schmidt in the plane: e1 = first/|first|, e2 = the rest of second.
  const double perp2 = s2 - fs * fs / f2;
  if (!(lf > 0) || !(perp2 > 0)) return spots;
  const double lp = std::sqrt(perp2);
  for (int h = -n; h <= n; ++h)
    for (int k = -n; k <= n; ++k)
      for (int l = -n; l <= n; ++l) {
        if (!(h || k || l) || h * zone[0] + k * zone[1] + l * zone[2] != 0) continue;
        const Indices g{h, k, l};
        const double gf = Dot(cell, g, first), gs = Dot(cell, g, second);
        SectionSpot s{};
        s.h = static_cast<std::int16_t>(h), s.k = static_cast<std::int16_t>(k), s.l = static_cast<std::int16_t>(l);
        s.x = gf / lf;
        s.y = (gs - gf * fs / f2) / lp;
        s.d = cell.hklDSpacing(h, k, l);
        s.allowed = pattern.IsAllowed(s.h, s.k, s.l);
        spots.push_back(s);
      }
  return spots;
}

std::array<double, 2> SectionView::ToPixel(double x, double y) const {
  const double c = std::cos(rotation), s = std::sin(rotation);
  const double rx = c * x - s * y, ry = s * x + c * y;
  return {centreX + scale * rx, centreY - scale * ry};
}

double SectionView::DragRotation(double x0, double y0, double x1, double y1) const {
  // Screen y points down: negate it so that a counter-clockwise drag is positive.
  return std::atan2(-(y1 - centreY), x1 - centreX) - std::atan2(-(y0 - centreY), x0 - centreX);
}

double ScaleFromCamera(double cameraLength, double wavelength, double pixelSize) {
  if (!(pixelSize > 0) || !(cameraLength > 0) || !(wavelength > 0)) return 0;
  return cameraLength * wavelength / pixelSize;
}

std::optional<std::size_t> NearestSpot(const std::vector<SectionSpot>& spots, const SectionView& view, double px,
                                       double py, double radius) {
  std::optional<std::size_t> best;
  double bestDistance = radius * radius;
  for (std::size_t i = 0; i < spots.size(); ++i) {
    auto p = view.ToPixel(spots[i].x, spots[i].y);
    double dd = (p[0] - px) * (p[0] - px) + (p[1] - py) * (p[1] - py);
    if (dd <= bestDistance) best = i, bestDistance = dd;
  }
  return best;
}

std::optional<std::array<Indices, 2>> LatticeProjection::Frame(const CUnitCell& cell) const {
  if (byZone) return ZoneBasis(cell, Reduced(zone), reach);
  if (Zero(ZoneOfPlane(h1, h2))) return std::nullopt;
  return std::array<Indices, 2>{h1, h2};
}

std::vector<SectionSpot> LatticeProjection::Spots(const CUnitCell& cell, const CPattern& pattern) const {
  auto frame = Frame(cell);
  if (!frame) return {};
  auto spots = SectionSpots(cell, pattern, (*frame)[0], (*frame)[1], reach);
  if (!plotAbsences) std::erase_if(spots, [](const SectionSpot& s) { return !s.allowed; });
  return spots;
}

std::string SpotText(const SectionSpot& s) {
  return std::to_string(s.h) + " " + std::to_string(s.k) + " " + std::to_string(s.l) + "   d = " + GeneralText(s.d) +
         (s.allowed ? "" : "  (absent)");
}

}  // namespace quorlin
