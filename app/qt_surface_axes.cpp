// The axes round the plot area: the margins they take, and the frame,
// ticks and titles painted in them.
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "qt_painting.h"
#include "qt_surface.h"

namespace quorlin {

using namespace qt_painting;

namespace {

// Margins round the plot area when it has axes, in logical pixels.
constexpr int kLeftMargin = 64, kRightMargin = 16, kBottomMargin = 42, kTopMargin = 12, kTopAxisMargin = 42;
constexpr int kTickLength = 5;

}  // namespace

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

}  // namespace quorlin
