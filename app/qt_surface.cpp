#include "qt_surface.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "core/atomic_file.h"
#include "core/errors.h"

namespace quorlin {
namespace {

QColor ToQColor(Colour c) {
  Colour rgb = SurfaceRgb(c);
  return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

// Coordinates far outside the picture are pulled in so that the rasteriser
// never sees huge or non-finite values (a line at an impossible angle).
double Tame(double px) {
  if (std::isnan(px)) return -1e6;
  return std::clamp(px, -1e6, 1e6);
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

}  // namespace

QtSurface::QtSurface(int widthPixels, int heightPixels) {
  scale_.widthPixels = std::max(1, widthPixels);
  scale_.heightPixels = std::max(1, heightPixels);
  image_ = QImage(scale_.widthPixels, scale_.heightPixels, QImage::Format_RGB32);
  image_.fill(ToQColor(back_));
}

QPainter& QtSurface::ImagePainter() {
  if (!painter_) painter_ = std::make_unique<QPainter>(&image_);
  return *painter_;
}

void QtSurface::Resize(int widthPixels, int heightPixels) {
  EndPainting();
  scale_.widthPixels = std::max(1, widthPixels);
  scale_.heightPixels = std::max(1, heightPixels);
  image_ = QImage(scale_.widthPixels, scale_.heightPixels, QImage::Format_RGB32);
  Repaint();
}

void QtSurface::Scale(double left, double top, double right, double bottom) {
  if (left == right || top == bottom) return;
  scale_.left = left;
  scale_.top = top;
  scale_.right = right;
  scale_.bottom = bottom;
}

void QtSurface::Clear(Colour background) {
  back_ = background;
  items_.clear();
  penX_ = penY_ = 0;
  EndPainting();
  image_.fill(ToQColor(back_));
}

void QtSurface::Add(Kind kind, double x1, double y1, double x2, double y2, Colour colour, bool filled) {
  const double w = scale_.widthPixels, h = scale_.heightPixels;
  items_.push_back({kind, Tame(scale_.PixelX(x1)) / w, Tame(scale_.PixelY(y1)) / h, Tame(scale_.PixelX(x2)) / w,
                    Tame(scale_.PixelY(y2)) / h, colour, width_, mode_, filled});
  Paint(ImagePainter(), image_.width(), image_.height(), items_.back(), false);
}

void QtSurface::Paint(QPainter& p, int width, int height, const Item& item, bool vectorOutput) const {
  const bool invert = item.mode == DrawMode::Invert && !vectorOutput;
  const QPainter::CompositionMode mode =
      invert ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver;
  if (p.compositionMode() != mode) p.setCompositionMode(mode);
  if (p.testRenderHint(QPainter::Antialiasing)) p.setRenderHint(QPainter::Antialiasing, false);
  const QColor colour = invert ? QColor(Qt::white) : ToQColor(item.colour);
  // A point (or a line of no length) is one square dot of the pen's width.
  const QPointF a(item.x1 * width, item.y1 * height);
  const QPointF b(item.x2 * width, item.y2 * height);
  const bool dot = item.kind == Kind::Point || (item.kind == Kind::Line && a == b);
  const Qt::PenCapStyle cap = dot ? Qt::SquareCap : Qt::FlatCap;
  const QPen& current = p.pen();
  if (current.color() != colour || current.width() != item.width || current.capStyle() != cap) {
    QPen pen(colour);
    pen.setWidth(item.width);
    pen.setCapStyle(cap);
    p.setPen(pen);
  }
  switch (item.kind) {
    case Kind::Point:
    case Kind::Line:
      if (dot)
        p.drawPoint(a);
      else
        p.drawLine(a, b);
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

void QtSurface::Repaint() {
  image_.fill(ToQColor(back_));
  QPainter& p = ImagePainter();
  for (const Item& item : items_) Paint(p, image_.width(), image_.height(), item, false);
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

void QtSurface::LineTo(double x, double y, Colour colour) { Line(penX_, penY_, x, y, colour); }

void QtSurface::SavePicture(const std::string& path) const {
  const QByteArray bytes = PictureBytes(path);
  WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QByteArray QtSurface::PictureBytes(const std::string& path) const {
  EndPainting();
  // Encoded in memory first, so that the file is written in one checked step.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (EndsWithNoCase(path, ".svg")) {
    {
      QSvgGenerator svg;
      svg.setOutputDevice(&buffer);
      svg.setSize(image_.size());
      svg.setViewBox(QRect(QPoint(0, 0), image_.size()));
      svg.setTitle("Quorlin plot");
      QPainter p(&svg);
      p.fillRect(QRect(QPoint(0, 0), image_.size()), ToQColor(back_));
      // Inverted figures only make sense against pixels; leave them out.
      for (const Item& item : items_)
        if (item.mode == DrawMode::Copy) Paint(p, image_.width(), image_.height(), item, true);
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
