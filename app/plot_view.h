// picXRayPlot: shows the plot's picture, maps the mouse into the plot's user
// coordinates (x the horizontal value, y the intensity) and draws the rubber
// bands of a gesture as an overlay, so a mouse move never redraws the plot.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QWidget>

namespace quorlin {

class PlotView : public QWidget {
  Q_OBJECT

 public:
  enum class Band { None, Box, Segment };

  explicit PlotView(QWidget* parent = nullptr);

  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }

  // The user coordinate system of the picture: the left edge is `left`, the
  // top edge `top`; width and height may be negative (y grows upwards).
  void SetUserScale(double left, double top, double width, double height);
  // The part of the widget the user scale covers (the picture's plot area,
  // inside the axes); an empty rectangle means the whole widget.
  void SetPlotArea(const QRect& area);
  QRect PlotArea() const;
  QPointF ToUser(QPointF pixel) const;
  QPointF ToPixel(QPointF user) const;

  // The overlay, in user coordinates. Setting a band replaces the previous one.
  void ShowBox(QPointF corner1, QPointF corner2);
  void ShowSegment(QPointF from, QPointF to);
  void ClearBand();
  Band CurrentBand() const { return band_; }
  QPointF BandStart() const { return bandStart_; }
  QPointF BandEnd() const { return bandEnd_; }

  // While picking (a tool window's mode), a left press emits Picked alone:
  // neither it nor its drag and release reach Pressed, Moved and Released,
  // so the plot's own mouse mode does nothing with it.
  void SetPicking(bool on);
  bool Picking() const { return picking_; }

  QSize sizeHint() const override { return {380, 330}; }

 signals:
  // Button and position in user coordinates.
  void Pressed(Qt::MouseButton button, double x, double y);
  void Moved(Qt::MouseButtons buttons, double x, double y);
  void Released(Qt::MouseButton button, double x, double y);
  // Whole wheel steps at (x, y): positive away from the user.
  void WheelSteps(int steps, double x, double y);
  void Resized();
  void Picked(double x, double y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage picture_;
  double left_ = 0, top_ = 1, width_ = 1, height_ = -1;
  int wheelAngle_ = 0;  // eighths of a degree not yet a whole step (fine wheels)
  QRect plotArea_;
  Band band_ = Band::None;
  bool picking_ = false;
  bool swallowing_ = false;  // a picking press is held
  QPointF bandStart_, bandEnd_;
};

}  // namespace quorlin
