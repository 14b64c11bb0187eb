// Lattice metrics for indexing: the Niggli reduction of a cell and the
// conventional cells of the crystal systems its metric allows.
//
// A metric is the symmetric 3x3 matrix of dot products of three basis
// vectors. Reductions and conventional settings are integer changes of basis
// (rows: the new vectors in terms of the old), so they can be applied to
// indices as well as to metrics.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quorlin {

using Metric = std::array<std::array<double, 3>, 3>;
using IntBasis = std::array<std::array<int, 3>, 3>;

Metric MetricFromCell(const std::array<double, 6>& cell);  // a b c alpha beta gamma, degrees
std::array<double, 6> CellFromMetric(const Metric& g);
double MetricDeterminant(const Metric& g);
// The inverse (direct <-> reciprocal metric); false when singular.
bool InvertMetric(const Metric& g, Metric& inverse);
// T g T^T.
Metric Transform(const Metric& g, const IntBasis& t);
int Determinant(const IntBasis& t);

// The Niggli-reduced form of a direct metric, with the change of basis that
// gives it. `relative` scales the comparisons to the cell's size so that
// measured, slightly noisy metrics reduce consistently.
Metric NiggliReduce(const Metric& g, IntBasis* t = nullptr, double relative = 1e-5);
// A+B+C, and the six Niggli parameters (A, B, C, 2 b.c, 2 a.c, 2 a.b).
std::array<double, 6> G6(const Metric& g);
// Whether two reduced metrics describe the same lattice within `relative`.
bool SameReducedLattice(const Metric& a, const Metric& b, double relative);

// A conventional cell of a crystal system found in a reduced lattice.
struct ConventionalCell {
  std::int32_t system = 7;  // CrystalSystemCode: 1 cubic .. 7 triclinic
  char lattice = 'P';       // P I F A B C R (R on hexagonal axes, obverse)
  IntBasis basis{};         // conventional vectors in terms of the reduced ones
  Metric metric{};
};

// The metric of a primitive cell of the lattice that a conventional cell
// with centring `lattice` (P I F A B C R, R obverse on hexagonal axes) spans.
Metric PrimitiveMetric(const std::array<double, 6>& cell, char lattice);

// The centring of a conventional basis: 'P' 'A' 'B' 'C' 'I' 'F' 'R' (obverse)
// 'r' (reverse), or 0 for a set of lattice points that is none of these.
char CentringOf(const IntBasis& t);

// Every crystal system whose metric conditions the reduced lattice meets
// within `cosTolerance` (angles, as cosines) and `lengthTolerance`
// (relative), highest symmetry first, each in its conventional setting:
// monoclinic b unique with beta >= 90, trigonal R on hexagonal axes; the
// last entry is always the reduced triclinic cell. A system may come with
// more than one centring, primitive first, where its conditions hold in more
// than one setting within the tolerance.
std::vector<ConventionalCell> ConventionalCells(const Metric& reduced, double cosTolerance, double lengthTolerance);

}  // namespace quorlin
