// A two-dimensional section of the reciprocal lattice, as a single-crystal
// or electron-diffraction pattern shows it: the reflections of one zone
// [u v w] (h u + k v + l w = 0), or of the plane spanned by two reciprocal
// vectors (whose zone is their cross product), placed in an orthonormal
// frame of the plane, and that frame mapped onto an image's pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorlin {

class CUnitCell;
class CPattern;

using Indices = std::array<int, 3>;

struct SectionSpot {
  std::int16_t h, k, l;
  double x, y;  // 1/Angstrom in the plane: x along the first in-plane vector
  float d;      // Angstrom
  bool allowed;
};

// The zone [u v w] of the plane through 000, h1 and h2: h1 x h2. Zero when the
// two are parallel.
Indices ZoneOfPlane(const Indices& h1, const Indices& h2);

// The greatest common divisor of the three indices made 1 (0 0 0 stays).
Indices Reduced(const Indices& v);

// Two independent reciprocal vectors of the zone [u v w] with indices in
// -n..n, the shortest first (ties: scan order), then the shortest one not
// parallel to it. Nothing for the zone [0 0 0] or when n is too small.
std::optional<std::array<Indices, 2>> ZoneBasis(const CUnitCell& cell, const Indices& zone, int n);

// Every reflection of the zone with |h|, |k|, |l| up to n, except 000,
// placed in the frame of (first, second): x along `first`, y in the plane
// towards `second`. `allowed` is the pattern's IsAllowed.
std::vector<SectionSpot> SectionSpots(const CUnitCell& cell, const CPattern& pattern, const Indices& first,
                                      const Indices& second, int n);

// Where the plane's frame lies on an image: centre in pixels, scale in pixels
// per 1/Angstrom, rotation in radians (counter-clockwise on the screen; the
// image's y axis points down).
struct SectionView {
  double centreX = 0, centreY = 0;
  double scale = 100;
  double rotation = 0;

  std::array<double, 2> ToPixel(double x, double y) const;
  // The rotation change of a drag from (x0, y0) to (x1, y1) about the centre.
  double DragRotation(double x0, double y0, double x1, double y1) const;
};

// Pixels per 1/Angstrom from the camera constant: a spot of spacing d lies
// L lambda / d from the centre on the detector (small angles), so the scale
// is L lambda / pixel size (L and the pixel size in the same unit).
double ScaleFromCamera(double cameraLength, double wavelength, double pixelSize);

// The spot nearest to pixel (px, py) within `radius` pixels, if any.
std::optional<std::size_t> NearestSpot(const std::vector<SectionSpot>& spots, const SectionView& view, double px,
                                       double py, double radius);

// What the lattice-projection window shows: the section (a zone, or the
// plane of two vectors), the index reach, the view on the image and whether
// absent reflections are drawn.
struct LatticeProjection {
  bool byZone = true;
  Indices zone{0, 0, 1};
  Indices h1{1, 0, 0}, h2{0, 1, 0};
  int reach = 6;  // |h|, |k|, |l| up to this
  bool plotAbsences = false;
  SectionView view;

  // The frame's two vectors: the zone's two shortest, or h1 and h2.
  std::optional<std::array<Indices, 2>> Frame(const CUnitCell& cell) const;
  // The spots to draw: allowed ones, and absent ones when plotAbsences.
  std::vector<SectionSpot> Spots(const CUnitCell& cell, const CPattern& pattern) const;
};

// "h k l   d = 2.8201" for the hover read-out.
std::string SpotText(const SectionSpot& spot);

}  // namespace quorlin
