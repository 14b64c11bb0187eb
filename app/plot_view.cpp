#include "plot_view.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace quorlin {

PlotView::PlotView(QWidget* parent) : QWidget(parent) {
  setObjectName("picXRayPlot");
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMinimumSize(120, 100);
}

void PlotView::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void PlotView::SetUserScale(double left, double top, double width, double height) {
  if (width == 0 || height == 0) return;  // a degenerate scale would divide by zero
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void PlotView::SetPlotArea(const QRect& area) { plotArea_ = area; }

QRect PlotView::PlotArea() const {
  if (plotArea_.isEmpty()) return rect();
  return plotArea_;
}

QPointF PlotView::ToUser(QPointF pixel) const {
  const QRect area = PlotArea();
  // The axes' margin maps to no data: a gesture that strays into it stops at
  // the plot's edge instead of reaching past the window's limits.
  pixel.setX(std::clamp<double>(pixel.x(), area.left(), area.left() + area.width()));
  pixel.setY(std::clamp<double>(pixel.y(), area.top(), area.top() + area.height()));
  double w = std::max(1, area.width());
  double h = std::max(1, area.height());
  return {left_ + (pixel.x() - area.x()) / w * width_, top_ + (pixel.y() - area.y()) / h * height_};
}

QPointF PlotView::ToPixel(QPointF user) const {
  const QRect area = PlotArea();
  return {area.x() + (user.x() - left_) / width_ * std::max(1, area.width()),
          area.y() + (user.y() - top_) / height_ * std::max(1, area.height())};
}

void PlotView::ShowBox(QPointF corner1, QPointF corner2) {
  band_ = Band::Box;
  bandStart_ = corner1;
  bandEnd_ = corner2;
  update();
}

void PlotView::ShowSegment(QPointF from, QPointF to) {
  band_ = Band::Segment;
  bandStart_ = from;
  bandEnd_ = to;
  update();
}

void PlotView::ClearBand() {
  if (band_ == Band::None) return;
  band_ = Band::None;
  update();
}

void PlotView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!picture_.isNull()) painter.drawImage(rect(), picture_);
  if (band_ == Band::None) return;
  painter.setClipRect(PlotArea());
  // Inverting pen: the band shows on any background colour.
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  painter.setPen(QPen(Qt::black, 1));
  QPointF a = ToPixel(bandStart_), b = ToPixel(bandEnd_);
  if (band_ == Band::Box)
    painter.drawRect(QRectF(a, b).normalized());
  else
    painter.drawLine(a, b);
}

void PlotView::SetPicking(bool on) {
  picking_ = on;
  if (!on) swallowing_ = false;
}

void PlotView::mousePressEvent(QMouseEvent* event) {
  QPointF u = ToUser(event->position());
  if (picking_ && event->button() == Qt::LeftButton) {
    swallowing_ = true;
    emit Picked(u.x(), u.y());
    return;
  }
  emit Pressed(event->button(), u.x(), u.y());
}

void PlotView::mouseMoveEvent(QMouseEvent* event) {
  QPointF u = ToUser(event->position());
  if (swallowing_ && event->buttons() != Qt::NoButton) return;
  emit Moved(event->buttons(), u.x(), u.y());
}

void PlotView::mouseReleaseEvent(QMouseEvent* event) {
  QPointF u = ToUser(event->position());
  if (swallowing_ && event->button() == Qt::LeftButton) {
    swallowing_ = false;
    return;
  }
  emit Released(event->button(), u.x(), u.y());
}

void PlotView::wheelEvent(QWheelEvent* event) {
  // A step is 15 degrees (120 eighths); finer wheels add up to whole steps.
  wheelAngle_ += event->angleDelta().y();
  const int steps = wheelAngle_ / 120;
  wheelAngle_ -= steps * 120;
  if (steps != 0) {
    QPointF u = ToUser(event->position());
    emit WheelSteps(steps, u.x(), u.y());
  }
  event->accept();
}

void PlotView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit Resized();
}

}  // namespace quorlin
