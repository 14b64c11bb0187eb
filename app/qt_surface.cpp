// The Qt surface: its picture, size, scale and the flush that paints what
// was drawn; the axes, the batched and the plain primitives have files of
// their own.
#include "qt_surface.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "qt_painting.h"

namespace quorlin {

using namespace qt_painting;

namespace {

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
  pictureWidth_ = std::max(1, widthPixels);
  pictureHeight_ = std::max(1, heightPixels);
  Layout();
  NewImage();
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

QtSurface::Frame QtSurface::RasterFrame() const {
  return {scale_.originX * ratio_, scale_.originY * ratio_, scale_.widthPixels * ratio_, scale_.heightPixels * ratio_,
          ratio_};
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
