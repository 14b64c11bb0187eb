// The plain primitives: each point, line and box recorded as drawn, and
// painted one Qt call each (the reference the batched painting matches, and
// what an SVG is written with).
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "qt_painting.h"
#include "qt_surface.h"

namespace quorlin {

using namespace qt_painting;

void QtSurface::Add(Kind kind, double x1, double y1, double x2, double y2, Colour colour, bool filled) {
  chainOpen_ = false;
  const PixelPoint a = Fraction(x1, y1), b = Fraction(x2, y2);
  items_.push_back({kind, a.x, a.y, b.x, b.y, colour, width_, mode_, filled});
}

void QtSurface::Paint(QPainter& p, const Frame& f, const Item& item, bool vectorOutput) const {
  const bool invert = item.mode == DrawMode::Invert && !vectorOutput;
  const QPainter::CompositionMode mode =
      invert ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver;
  if (p.compositionMode() != mode) p.setCompositionMode(mode);
  const QColor colour = invert ? QColor(Qt::white) : ToQColor(item.colour);
  // A point (or a line of no length) is one square dot of the pen's width.
  const QPointF a = f.At(item.x1, item.y1), b = f.At(item.x2, item.y2);
  const bool dot = item.kind == Kind::Point || (item.kind == Kind::Line && a == b);
  UsePen(p, colour, std::max(1, static_cast<int>(std::lround(item.width * f.penScale))),
         dot ? Qt::SquareCap : Qt::FlatCap);
  switch (item.kind) {
    case Kind::Point:
    case Kind::Line:
      if (dot)
        p.drawPoint(a);
      else
        p.drawLine(a, b);
      break;
    case Kind::Chain:
      for (std::uint32_t k = item.begin + 1; k < item.end; ++k)
        p.drawLine(f.At(chainPoints_[k - 1].x, chainPoints_[k - 1].y), f.At(chainPoints_[k].x, chainPoints_[k].y));
      break;
    case Kind::Box: {
      QRectF r = QRectF(a, b).normalized();
      if (item.filled)
        p.fillRect(r, colour);
      else
        p.drawRect(r);
      break;
    }
  }
}

void QtSurface::PSet(double x, double y, Colour colour) {
  Add(Kind::Point, x, y, x, y, colour, false);
  penX_ = x;
  penY_ = y;
}

void QtSurface::Line(double x1, double y1, double x2, double y2, Colour colour) {
  Add(Kind::Line, x1, y1, x2, y2, colour, false);
  penX_ = x2;
  penY_ = y2;
}

void QtSurface::Box(double x1, double y1, double x2, double y2, Colour colour, bool filled) {
  Add(Kind::Box, x1, y1, x2, y2, colour, filled);
  penX_ = x2;
  penY_ = y2;
}

void QtSurface::MoveTo(double x, double y) {
  penX_ = x;
  penY_ = y;
}

// A pattern is thousands of LineTo calls: they grow one chain item rather
// than adding an item each, while nothing has painted it yet.
void QtSurface::LineTo(double x, double y, Colour colour) {
  if (chainOpen_ && colour == chainColour_ && penX_ == chainEndX_ && penY_ == chainEndY_) {
    // The usual case: the next point of a pattern.
    const PixelPoint to = Fraction(x, y);
    if (to.x != chainPoints_.back().x || to.y != chainPoints_.back().y) {
      chainPoints_.push_back(to);
      ++items_.back().end;
      penX_ = chainEndX_ = x;
      penY_ = chainEndY_ = y;
      return;
    }
  }
  const PixelPoint from = Fraction(penX_, penY_), to = Fraction(x, y);
  if (mode_ != DrawMode::Copy || (from.x == to.x && from.y == to.y)) {
    Line(penX_, penY_, x, y, colour);  // a dot, or an inverted line: an item of its own
    return;
  }
  const auto begin = static_cast<std::uint32_t>(chainPoints_.size());
  chainPoints_.push_back(from);
  chainPoints_.push_back(to);
  items_.push_back({Kind::Chain, from.x, from.y, to.x, to.y, colour, width_, mode_, false, begin, begin + 2});
  penX_ = chainEndX_ = x;
  penY_ = chainEndY_ = y;
  chainColour_ = colour;
  chainOpen_ = true;
}

}  // namespace quorlin
