// What the Qt surface's painting files share: colours, pens, and the
// clean-up after Qt's vector code. Only qt_surface*.cpp include this.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPen>

#include "plot/surface.h"

namespace quorlin::qt_painting {

inline QColor ToQColor(Colour c) {
  Colour rgb = SurfaceRgb(c);
  return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

// Sets the pen only when it changes: setting one costs more than a line.
inline void UsePen(QPainter& p, const QColor& colour, int width, Qt::PenCapStyle cap) {
  const QPen& current = p.pen();
  if (current.color() == colour && current.width() == width && current.capStyle() == cap) return;
  QPen pen(colour);
  pen.setWidth(width);
  pen.setCapStyle(cap);
  p.setPen(pen);
}

// Qt fills and paints with AVX code that leaves the upper halves of the
// vector registers in use. Until they are cleared, every SSE instruction of
// the model that runs next (the whole redraw's geometry) pays a transition
// penalty on Intel cores: the model's share of a redraw took 2.5 times as long.
inline void ClearUpperVectorHalves() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) asm volatile("vzeroupper" ::: "memory");
#endif
}

}  // namespace quorlin::qt_painting
