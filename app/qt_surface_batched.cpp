// The batched painting of the recorded primitives: joined segments as
// thinned polylines, one-pixel vertical lines straight into the pixels,
// wide vertical lines in one call per pen, repeats once.
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "plot/decimate.h"
#include "plot/pixel_line.h"
#include "qt_painting.h"
#include "qt_surface.h"

namespace quorlin {

using namespace qt_painting;

namespace {

struct LineKey {
  double x1, y1, x2, y2;
  int batch;
  bool operator==(const LineKey&) const = default;
};
struct LineKeyHash {
  std::size_t operator()(const LineKey& k) const {
    std::hash<double> h;
    std::size_t s = h(k.x1);
    for (double v : {k.y1, k.x2, k.y2}) s = s * 1000003u ^ h(v);
    return s ^ static_cast<std::size_t>(k.batch);
  }
};

}  // namespace

bool QtSurface::IsPlainSegment(const Item& item) {
  return item.kind == Kind::Line && item.mode == DrawMode::Copy && (item.x1 != item.x2 || item.y1 != item.y2);
}

// Joined segments of one pen, items from..to: one polyline for a one-pixel
// pen (thinned per pixel column), else the segments in one call, so that wide
// pens keep their flat ends instead of gaining joins.
void QtSurface::PaintRun(QPainter& p, const Frame& f, std::size_t from, std::size_t to, const DirectPixels* direct) const {
  runFractions_.clear();
  runFractions_.push_back({items_[from].x1, items_[from].y1});
  for (std::size_t i = from; i < to; ++i) runFractions_.push_back({items_[i].x2, items_[i].y2});
  PaintPolyline(p, f, runFractions_.data(), runFractions_.size(), items_[from].colour, items_[from].width, direct);
}

void QtSurface::PaintPolyline(QPainter& p, const Frame& f, const PixelPoint* points, std::size_t count, Colour colour,
                              int width, const DirectPixels* direct) const {
  const int penWidth = std::max(1, static_cast<int>(std::lround(width * f.penScale)));
  if (penWidth == 1) {
    DecimatePerColumn(points, count, PixelFrame{f.x, f.y, f.w, f.h}, thinPoints_);
    if (direct != nullptr && direct->ok) {
      // Straight into the pixels: a painter costs far more per segment.
      PixelTarget target;
      target.bits = reinterpret_cast<std::uint32_t*>(direct->bits);
      target.stride = direct->stride;
      target.width = image_.width();
      target.height = image_.height();
      target.clipLeft = direct->left;
      target.clipTop = direct->top;
      target.clipRight = direct->right;
      target.clipBottom = direct->bottom;
      PaintPixelPolyline(target, thinPoints_, ToQColor(colour).rgb());
      return;
    }
    UsePen(p, ToQColor(colour), penWidth, Qt::FlatCap);
    QVector<QPointF>& line = polyline_;
    line.resize(static_cast<qsizetype>(thinPoints_.size()));
    for (std::size_t k = 0; k < thinPoints_.size(); ++k) line[static_cast<qsizetype>(k)] = {thinPoints_[k].x, thinPoints_[k].y};
    p.drawPolyline(line.constData(), static_cast<int>(line.size()));
    return;
  }
  // Wide pens keep their flat ends instead of gaining joins.
  UsePen(p, ToQColor(colour), penWidth, Qt::FlatCap);
  QVector<QLineF> lines;
  lines.reserve(static_cast<qsizetype>(count));
  for (std::size_t k = 1; k < count; ++k)
    lines.push_back({f.At(points[k - 1].x, points[k - 1].y), f.At(points[k].x, points[k].y)});
  p.drawLines(lines);
}

// Qt's aliased one-pixel line, vertical: coordinates as 26.6 fixed point
// (truncated), the column of x, and every row whose centre lies in
// [top, bottom). A line that repeats the last one drawn on its column, or
// lies within it, in the same colour, changes nothing and is skipped.
void QtSurface::PaintColumn(DirectPixels& d, double x, double y1, double y2, Colour colour) const {
  if (!(std::fabs(x) < 1e7) || !(std::fabs(y1) < 1e7) || !(std::fabs(y2) < 1e7)) return;
  const long fx = static_cast<long>(x * 64), fy1 = static_cast<long>(y1 * 64), fy2 = static_cast<long>(y2 * 64);
  const long column = fx >= 0 ? fx / 64 : -((-fx + 63) / 64);
  if (fy1 == fy2 || column < d.left || column >= d.right) return;
  const long lo = std::min(fy1, fy2), hi = std::max(fy1, fy2);
  const int r0 = static_cast<int>(std::max<long>(d.top, (lo + 32) >> 6));
  const int r1 = static_cast<int>(std::min<long>(d.bottom, (hi + 32) >> 6));  // one past the last row
  if (r0 >= r1) return;
  if (!d.haveColour || colour != d.colour) {
    d.haveColour = true;
    d.colour = colour;
    d.rgb = ToQColor(colour).rgb();
  }
  const QRgb rgb = d.rgb;
  if (static_cast<int>(lastColumn_.size()) != image_.width()) lastColumn_.assign(static_cast<std::size_t>(image_.width()), {});
  ColumnMemory& last = lastColumn_[static_cast<std::size_t>(column)];
  if (last.epoch == columnEpoch_ && last.rgb == rgb && last.r0 <= r0 && r1 <= last.r1) return;
  last = {columnEpoch_, rgb, r0, r1};
  columnSpans_.push_back({static_cast<int>(column), r0, r1, rgb});
}

// The pending one-pixel columns, in order of column (keeping the drawing
// order within each): neighbouring columns share the image's cache lines,
// and painting them together is several times faster than in drawing order.
void QtSurface::PaintColumnSpans(const DirectPixels& d) const {
  if (columnSpans_.empty()) return;
  const std::size_t columns = static_cast<std::size_t>(image_.width());
  spanStart_.assign(columns + 1, 0);
  for (const ColumnSpan& s : columnSpans_) ++spanStart_[static_cast<std::size_t>(s.column) + 1];
  for (std::size_t c = 0; c < columns; ++c) spanStart_[c + 1] += spanStart_[c];
  sortedSpans_.resize(columnSpans_.size());
  for (const ColumnSpan& s : columnSpans_) sortedSpans_[spanStart_[static_cast<std::size_t>(s.column)]++] = s;
  // In bands of rows, so that the lines of neighbouring columns stay in the
  // first-level cache while they are painted.
  int top = sortedSpans_.front().r0, bottom = sortedSpans_.front().r1;
  for (const ColumnSpan& s : sortedSpans_) {
    top = std::min(top, s.r0);
    bottom = std::max(bottom, s.r1);
  }
  constexpr int kBand = 32;
  for (int band = top; band < bottom; band += kBand) {
    const int bandEnd = std::min(bottom, band + kBand);
    for (const ColumnSpan& s : sortedSpans_) {
      const int r0 = std::max(s.r0, band), r1 = std::min(s.r1, bandEnd);
      auto* pixel = reinterpret_cast<QRgb*>(d.bits) + static_cast<qsizetype>(r0) * d.stride + s.column;
      for (int r = r0; r < r1; ++r, pixel += d.stride) *pixel = s.rgb;
    }
  }
  columnSpans_.clear();
}

struct QtSurface::PenBatches {
  struct Batch {
    Colour colour;
    int width;
    QVector<QLineF> lines;
  };
  std::vector<Batch> batches;
  std::unordered_set<LineKey, LineKeyHash> pending;
};

QtSurface::DirectPixels QtSurface::DirectTarget(const QPainter& p, const Frame& f) const {
  // Only when the clip is whole pixels do the direct pixels match Qt's.
  DirectPixels direct;
  const QRectF clip = p.hasClipping() ? QRectF(f.x, f.y, f.w, f.h) : QRectF(0, 0, image_.width(), image_.height());
  direct.ok = clip.toRect() == clip && p.transform().isIdentity();
  if (direct.ok) {
    direct.bits = image_.bits();
    direct.stride = image_.bytesPerLine() / 4;
    direct.left = static_cast<int>(clip.left());
    direct.top = static_cast<int>(clip.top());
    direct.right = static_cast<int>(clip.left() + clip.width());
    direct.bottom = static_cast<int>(clip.top() + clip.height());
  }
  return direct;
}

std::size_t QtSurface::JoinedRunEnd(std::size_t from, std::size_t to) const {
  const Item& item = items_[from];
  std::size_t j = from + 1;
  while (j < to && IsPlainSegment(items_[j]) && items_[j].colour == item.colour && items_[j].width == item.width &&
         items_[j].x1 == items_[j - 1].x2 && items_[j].y1 == items_[j - 1].y2)
    ++j;
  return j;
}

void QtSurface::FlushBatches(QPainter& p, const Frame& f, PenBatches& b, const DirectPixels& direct) const {
  PaintColumnSpans(direct);
  if (p.compositionMode() != QPainter::CompositionMode_SourceOver)
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  for (const PenBatches::Batch& batch : b.batches) {
    UsePen(p, ToQColor(batch.colour), std::max(1, static_cast<int>(std::lround(batch.width * f.penScale))),
           Qt::FlatCap);
    p.drawLines(batch.lines);
  }
  if (!b.batches.empty()) ++columnEpoch_;
  b.batches.clear();
  b.pending.clear();
  ++stamp_;
}

void QtSurface::BatchVerticalLine(QPainter& p, const Frame& f, const Item& item, PenBatches& b,
                                  const DirectPixels& direct) const {
  const int columns = image_.width();
  int batch = -1;
  for (std::size_t k = 0; k < b.batches.size(); ++k)
    if (b.batches[k].colour == item.colour && b.batches[k].width == item.width) batch = static_cast<int>(k);
  const double px = f.x + item.x1 * f.w;
  const double half = item.width * f.penScale / 2 + 1;
  const int c0 = std::max(0, static_cast<int>(std::floor(px - half)));
  const int c1 = std::min(columns - 1, static_cast<int>(std::floor(px + half)));
  bool clash = false;
  for (int c = c0; c <= c1 && !clash; ++c)
    clash = columnStamp_[static_cast<std::size_t>(c)] == stamp_ && columnPen_[static_cast<std::size_t>(c)] != batch;
  if (clash) {
    FlushBatches(p, f, b, direct);
    batch = -1;
  }
  if (batch < 0) {
    b.batches.push_back({item.colour, item.width, {}});
    batch = static_cast<int>(b.batches.size()) - 1;
  }
  // The same line again in the same pen paints nothing new.
  if (!b.pending.insert({item.x1, item.y1, item.x2, item.y2, batch}).second) return;
  b.batches[static_cast<std::size_t>(batch)].lines.push_back({f.At(item.x1, item.y1), f.At(item.x2, item.y2)});
  for (int c = c0; c <= c1; ++c) {
    columnStamp_[static_cast<std::size_t>(c)] = stamp_;
    columnPen_[static_cast<std::size_t>(c)] = batch;
  }
}

void QtSurface::PaintBatched(QPainter& p, const Frame& f, std::size_t from, std::size_t to) const {
  PenBatches batches;
  const int columns = image_.width();
  if (static_cast<int>(columnPen_.size()) != columns) {
    columnPen_.assign(static_cast<std::size_t>(columns), -1);
    columnStamp_.assign(static_cast<std::size_t>(columns), 0);
  }
  ++stamp_;
  // One-pixel vertical lines go straight into the image's pixels, the same
  // pixels Qt's painter gives them.
  DirectPixels direct = DirectTarget(p, f);
  // Anything painted through Qt first puts down the columns waiting before it.
  auto flushFirst = [&] {
    FlushBatches(p, f, batches, direct);
    ++columnEpoch_;
  };
  for (std::size_t i = from; i < to;) {
    const Item& item = items_[i];
    if (item.kind == Kind::Chain && item.mode == DrawMode::Copy) {
      flushFirst();
      PaintPolyline(p, f, chainPoints_.data() + item.begin, item.end - item.begin, item.colour, item.width, &direct);
      ++i;
      continue;
    }
    if (!IsPlainSegment(item)) {
      flushFirst();
      Paint(p, f, item, false);
      ++i;
      continue;
    }
    const std::size_t j = JoinedRunEnd(i, to);
    if (j - i >= 2) {
      flushFirst();
      PaintRun(p, f, i, j, &direct);
      i = j;
      continue;
    }
    ++i;
    if (item.x1 != item.x2) {  // a lone slanted line: rare, painted as it comes
      flushFirst();
      Paint(p, f, item, false);
      continue;
    }
    const int penWidth = std::max(1, static_cast<int>(std::lround(item.width * f.penScale)));
    if (penWidth == 1 && direct.ok) {
      if (!batches.batches.empty()) FlushBatches(p, f, batches, direct);
      PaintColumn(direct, f.x + item.x1 * f.w, f.y + item.y1 * f.h, f.y + item.y2 * f.h, item.colour);
      continue;
    }
    BatchVerticalLine(p, f, item, batches, direct);
  }
  FlushBatches(p, f, batches, direct);
}

}  // namespace quorlin
