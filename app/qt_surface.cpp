#include "qt_surface.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "plot/decimate.h"
#include "plot/pixel_line.h"

namespace quorlin {
namespace {

QColor ToQColor(Colour c) {
  Colour rgb = SurfaceRgb(c);
  return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

bool EndsWithNoCase(const std::string& s, const char* ext) {
  std::string e(ext);
  if (s.size() < e.size()) return false;
  for (std::size_t i = 0; i < e.size(); ++i) {
    char a = s[s.size() - e.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != e[i]) return false;
  }
  return true;
}

void UsePen(QPainter& p, const QColor& colour, int width, Qt::PenCapStyle cap) {
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
void ClearUpperVectorHalves() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) asm volatile("vzeroupper" ::: "memory");
#endif
}

// Margins round the plot area when it has axes, in logical pixels.
constexpr int kLeftMargin = 64, kRightMargin = 16, kBottomMargin = 42, kTopMargin = 12, kTopAxisMargin = 42;
constexpr int kTickLength = 5;

}  // namespace

QtSurface::QtSurface(int widthPixels, int heightPixels) {
  pictureWidth_ = std::max(1, widthPixels);
  pictureHeight_ = std::max(1, heightPixels);
  Layout();
  NewImage();
}

void QtSurface::Layout() {
  int left = 0, right = 0, top = 0, bottom = 0;
  if (axes_) {
    left = kLeftMargin;
    right = kRightMargin;
    top = axes_->topTitle.empty() ? kTopMargin : kTopAxisMargin;
    bottom = kBottomMargin;
    // Too small a picture for axes: the plot keeps the whole of it.
    if (pictureWidth_ - left - right < 60 || pictureHeight_ - top - bottom < 40) left = right = top = bottom = 0;
  }
  scale_.originX = left;
  scale_.originY = top;
  scale_.widthPixels = pictureWidth_ - left - right;
  scale_.heightPixels = pictureHeight_ - top - bottom;
  UpdateFractions();
}

void QtSurface::NewImage() {
  EndPainting();
  image_ = QImage(static_cast<int>(std::lround(pictureWidth_ * ratio_)),
                  static_cast<int>(std::lround(pictureHeight_ * ratio_)), QImage::Format_RGB32);
  image_.fill(ToQColor(back_));
  painted_ = 0;
  axesPainted_ = false;
}

QPainter& QtSurface::ImagePainter() const {
  // Painted in device pixels: a painter on an image with a ratio would scale again.
  if (!painter_) {
    image_.setDevicePixelRatio(1.0);
    painter_ = std::make_unique<QPainter>(&image_);
  }
  return *painter_;
}

void QtSurface::Resize(int widthPixels, int heightPixels) {
  widthPixels = std::max(1, widthPixels);
  heightPixels = std::max(1, heightPixels);
  if (widthPixels == pictureWidth_ && heightPixels == pictureHeight_) return;
  pictureWidth_ = widthPixels;
  pictureHeight_ = heightPixels;
  Layout();
  NewImage();
}

void QtSurface::SetDevicePixelRatio(double ratio) {
  if (!(ratio >= 1.0) || ratio > 16.0) ratio = 1.0;
  if (ratio == ratio_) return;
  ratio_ = ratio;
  NewImage();
}

void QtSurface::SetAxes(std::optional<AxesStyle> axes) {
  const QRect before = PlotArea();
  axes_ = std::move(axes);
  axesPainted_ = false;
  Layout();
  if (PlotArea() != before) {  // what was drawn moves: paint it again
    EndPainting();
    image_.fill(ToQColor(back_));
    painted_ = 0;
  }
}

void QtSurface::Scale(double left, double top, double right, double bottom) {
  if (left == right || top == bottom) return;
  scale_.left = left;
  scale_.top = top;
  scale_.right = right;
  scale_.bottom = bottom;
  axesPainted_ = false;  // the ticks follow the window
  UpdateFractions();
}

void QtSurface::Clear(Colour background) {
  back_ = background;
  items_.clear();
  chainPoints_.clear();
  chainOpen_ = false;
  penX_ = penY_ = 0;
  EndPainting();
  image_.fill(ToQColor(back_));
  ClearUpperVectorHalves();
  painted_ = 0;
  axesPainted_ = false;
}

// Coordinates far outside the picture are pulled in so that the rasteriser
// never sees huge or non-finite values (a line at an impossible angle).
void QtSurface::UpdateFractions() {
  toFraction_ = {scale_.left, scale_.top, 1.0 / (scale_.right - scale_.left), 1.0 / (scale_.bottom - scale_.top),
                 1e6 / scale_.widthPixels, 1e6 / scale_.heightPixels};
  chainOpen_ = false;
}


void QtSurface::Add(Kind kind, double x1, double y1, double x2, double y2, Colour colour, bool filled) {
  chainOpen_ = false;
  const PixelPoint a = Fraction(x1, y1), b = Fraction(x2, y2);
  items_.push_back({kind, a.x, a.y, b.x, b.y, colour, width_, mode_, filled});
}

QtSurface::Frame QtSurface::RasterFrame() const {
  return {scale_.originX * ratio_, scale_.originY * ratio_, scale_.widthPixels * ratio_, scale_.heightPixels * ratio_,
          ratio_};
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

void QtSurface::Flush() const {
  if (painted_ == items_.size() && (axesPainted_ || !axes_)) return;
  QPainter& p = ImagePainter();
  if (p.testRenderHint(QPainter::Antialiasing)) p.setRenderHint(QPainter::Antialiasing, false);
  const Frame f = RasterFrame();
  if (painted_ < items_.size()) {
    ++columnEpoch_;
    // With axes, what is drawn stays inside the plot area.
    const bool clip = scale_.originX != 0 || scale_.originY != 0 || scale_.widthPixels != pictureWidth_ ||
                      scale_.heightPixels != pictureHeight_;
    if (clip) p.setClipRect(QRectF(f.x, f.y, f.w, f.h));
    if (batched_)
      PaintBatched(p, f, painted_, items_.size());
    else
      for (std::size_t i = painted_; i < items_.size(); ++i) Paint(p, f, items_[i], false);
    if (clip) p.setClipping(false);
    painted_ = items_.size();
    chainOpen_ = false;
  }
  if (axes_ && !axesPainted_) {
    PaintAxes(p, ratio_);
    axesPainted_ = true;
  }
  ClearUpperVectorHalves();
}

void QtSurface::PaintAxes(QPainter& p, double ratio) const {
  const QRect area = PlotArea();
  if (area.width() == pictureWidth_ && area.height() == pictureHeight_) return;  // no room for them
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.scale(ratio, ratio);
  // The margins are cleared first: the ticks of an earlier window go.
  const QColor back = ToQColor(back_);
  p.fillRect(QRect(0, 0, pictureWidth_, area.top()), back);
  p.fillRect(QRect(0, area.bottom() + 1, pictureWidth_, pictureHeight_ - area.bottom() - 1), back);
  p.fillRect(QRect(0, area.top(), area.left(), area.height()), back);
  p.fillRect(QRect(area.right() + 1, area.top(), pictureWidth_ - area.right() - 1, area.height()), back);

  QPen pen(Qt::black);
  pen.setWidth(1);
  pen.setCapStyle(Qt::FlatCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  // The frame sits on the pixels just outside the plot area.
  p.drawRect(QRect(area.left() - 1, area.top() - 1, area.width() + 1, area.height() + 1));

  const bool text = QGuiApplication::instance() != nullptr;  // fonts need the application
  QFont font;
  if (text) {
    font = QGuiApplication::font();
    font.setPixelSize(11);
    p.setFont(font);
  }
  const int lineHeight = text ? QFontMetrics(font).height() : 12;
  const double x0 = area.left(), x1 = area.left() + area.width();
  const double y0 = area.top(), y1 = area.top() + area.height();
  auto xOf = [&](double v) { return scale_.PixelX(v); };
  auto yOf = [&](double v) { return scale_.PixelY(v); };
  auto inX = [&](double px) { return px >= x0 - 0.5 && px <= x1 + 0.5; };
  auto inY = [&](double py) { return py >= y0 - 0.5 && py <= y1 + 0.5; };

  // Bottom axis, in the plot's unit.
  for (const AxisTick& t : LinearTicks(scale_.left, scale_.right, std::max(2, area.width() / 50))) {
    double px = xOf(t.at);
    if (!inX(px)) continue;
    p.drawLine(QPointF(px, y1), QPointF(px, y1 + kTickLength));
    if (text)
      p.drawText(QRectF(px - 40, y1 + kTickLength + 1, 80, lineHeight), Qt::AlignHCenter | Qt::AlignTop,
                 QString::fromStdString(t.label));
  }
  // Left axis, intensity.
  for (const AxisTick& t : LinearTicks(scale_.bottom, scale_.top, std::max(2, area.height() / 50))) {
    double py = yOf(t.at);
    if (!inY(py)) continue;
    p.drawLine(QPointF(x0 - 1 - kTickLength, py), QPointF(x0 - 1, py));
    if (text)
      p.drawText(QRectF(0, py - lineHeight / 2.0, x0 - kTickLength - 3, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                 QString::fromStdString(t.label));
  }
  // Top axis: the energy of each channel through the calibration.
  const bool top = !axes_->topTitle.empty() && axes_->topFromBottom && axes_->bottomFromTop;
  if (top) {
    for (const AxisTick& t : MappedTicks(scale_.left, scale_.right, std::max(2, area.width() / 50),
                                         axes_->topFromBottom, axes_->bottomFromTop)) {
      double px = xOf(t.at);
      if (!inX(px)) continue;
      p.drawLine(QPointF(px, y0 - 1 - kTickLength), QPointF(px, y0 - 1));
      if (text)
        p.drawText(QRectF(px - 40, y0 - 1 - kTickLength - lineHeight, 80, lineHeight), Qt::AlignHCenter | Qt::AlignBottom,
                   QString::fromStdString(t.label));
    }
  }
  if (text) {
    p.drawText(QRectF(x0, y1 + kTickLength + lineHeight, x1 - x0, lineHeight + 4), Qt::AlignHCenter | Qt::AlignTop,
               QString::fromStdString(axes_->bottomTitle));
    if (top)
      p.drawText(QRectF(x0, 0, x1 - x0, lineHeight + 2), Qt::AlignHCenter | Qt::AlignTop,
                 QString::fromStdString(axes_->topTitle));
    p.save();
    p.translate(2, (y0 + y1) / 2);
    p.rotate(-90);
    p.drawText(QRectF(-(y1 - y0) / 2, 0, y1 - y0, lineHeight + 2), Qt::AlignHCenter | Qt::AlignTop,
               QString::fromStdString(axes_->leftTitle));
    p.restore();
  }
  p.restore();
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

void QtSurface::SavePicture(const std::string& path) const {
  const QByteArray bytes = PictureBytes(path);
  WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QByteArray QtSurface::PictureBytes(const std::string& path) const {
  Flush();
  EndPainting();
  // Encoded in memory first, so that the file is written in one checked step.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (EndsWithNoCase(path, ".svg")) {
    {
      const QSize size(pictureWidth_, pictureHeight_);
      QSvgGenerator svg;
      svg.setOutputDevice(&buffer);
      svg.setSize(size);
      svg.setViewBox(QRect(QPoint(0, 0), size));
      svg.setTitle("Quorlin plot");
      QPainter p(&svg);
      p.fillRect(QRect(QPoint(0, 0), size), ToQColor(back_));
      const Frame f{static_cast<double>(scale_.originX), static_cast<double>(scale_.originY),
                    static_cast<double>(scale_.widthPixels), static_cast<double>(scale_.heightPixels), 1.0};
      p.save();
      p.setClipRect(QRectF(f.x, f.y, f.w, f.h));
      // Inverted figures only make sense against pixels; leave them out.
      for (const Item& item : items_)
        if (item.mode == DrawMode::Copy) Paint(p, f, item, true);
      p.restore();
      if (axes_) PaintAxes(p, 1.0);
    }
    if (bytes.isEmpty()) throw QuorlinError(path + ": cannot be written: the picture could not be encoded");
    return bytes;
  }
  const char* format = EndsWithNoCase(path, ".png") ? "PNG" : "BMP";
  if (!image_.save(&buffer, format) || bytes.isEmpty())
    throw QuorlinError(path + ": cannot be written: the picture could not be encoded");
  return bytes;
}

}  // namespace quorlin
