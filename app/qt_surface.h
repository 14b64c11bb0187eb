// The plot's drawing surface on a Qt raster image. The main window shows
// Image() in its plot widget and calls Resize when the widget changes size.
// Every primitive since the last Clear is kept, so that a resize redraws the
// picture at the new size and SavePicture can write SVG as vectors.
//
// Primitives are painted when the picture is asked for, batched: runs of
// joined segments as one polyline (thinned to what each pixel column shows),
// single lines in one call per pen, repeated lines once, and the pen set only
// when it changes. The picture is pixel for pixel the one the plain painting,
// one Qt call per primitive, gives (SetBatched(false), kept as the reference).
//
// With axes set, the plot area sits in a margin that carries a frame, ticks
// and labels; user coordinates map onto the plot area alone.
#pragma once

#include <QImage>
#include <algorithm>
#include <cmath>
#include <QPainter>
#include <QRect>
#include <memory>
#include <optional>
#include <vector>

#include "plot/axes.h"
#include "plot/decimate.h"
#include "plot/surface.h"

namespace quorlin {

class QtSurface : public IDrawingSurface {
 public:
  explicit QtSurface(int widthPixels = 625, int heightPixels = 400);

  // The picture as drawn so far, at the device pixel ratio (ends the painting
  // in progress).
  const QImage& Image() const {
    Flush();
    EndPainting();
    image_.setDevicePixelRatio(ratio_);
    return image_;
  }
  // New size in logical pixels (at least 1 x 1); the picture is redrawn at
  // that size. The same size again does nothing.
  void Resize(int widthPixels, int heightPixels);
  // Physical pixels per logical pixel (HiDPI screens): the image grows by it
  // and pens thicken with it, so lines stay crisp. Below 1 is taken as 1.
  void SetDevicePixelRatio(double ratio);
  double DevicePixelRatio() const { return ratio_; }
  QSize LogicalSize() const { return {pictureWidth_, pictureHeight_}; }

  // Axes round the plot area, or none (the plot fills the picture).
  void SetAxes(std::optional<AxesStyle> axes);
  bool HasAxes() const { return axes_.has_value(); }
  const std::optional<AxesStyle>& Axes() const { return axes_; }
  // The plot area in logical pixels.
  QRect PlotArea() const { return {scale_.originX, scale_.originY, scale_.widthPixels, scale_.heightPixels}; }

  void SetBatched(bool on) { batched_ = on; }

  void Scale(double left, double top, double right, double bottom) override;
  const PlotScale& CurrentScale() const override { return scale_; }
  void Clear(Colour background) override;
  Colour BackColor() const override { return back_; }
  void SetDrawWidth(int pixels) override {
    width_ = pixels < 1 ? 1 : pixels;
    chainOpen_ = false;
  }
  int DrawWidth() const override { return width_; }
  void SetDrawMode(DrawMode mode) override {
    mode_ = mode;
    chainOpen_ = false;
  }
  DrawMode CurrentDrawMode() const override { return mode_; }
  void PSet(double x, double y, Colour colour) override;
  void Line(double x1, double y1, double x2, double y2, Colour colour) override;
  void Box(double x1, double y1, double x2, double y2, Colour colour, bool filled) override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y, Colour colour) override;
  double CurrentX() const override { return penX_; }
  double CurrentY() const override { return penY_; }
  // ".png" PNG, ".svg" SVG (inverted figures such as rubber bands left out),
  // anything else BMP.
  // Written through WriteFileAtomically: a failed save keeps the old file.
  void SavePicture(const std::string& path) const override;
  // The encoded picture SavePicture writes for that name.
  QByteArray PictureBytes(const std::string& path) const;

 private:
  // A chain is a run of joined one-pen segments drawn by LineTo, its points
  // kept in chainPoints_[begin, end).
  enum class Kind { Point, Line, Box, Chain };
  // Positions as fractions of the plot area's width and height, so that a
  // resize or an SVG replays them whatever scale they were drawn under.
  struct Item {
    Kind kind;
    double x1, y1, x2, y2;
    Colour colour;
    int width;
    DrawMode mode;
    bool filled;
    std::uint32_t begin = 0, end = 0;
  };
  // Where the fractions land: the plot area in the device's pixels.
  struct Frame {
    double x, y, w, h, penScale;
    QPointF At(double fx, double fy) const { return {x + fx * w, y + fy * h}; }
  };
  // A line of some length in copy mode: what may be batched.
  static bool IsPlainSegment(const Item& item);
  void Add(Kind kind, double x1, double y1, double x2, double y2, Colour colour, bool filled);
  void Paint(QPainter& p, const Frame& f, const Item& item, bool vectorOutput) const;
  void PaintBatched(QPainter& p, const Frame& f, std::size_t from, std::size_t to) const;
  struct DirectPixels {
    bool ok = false;
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool haveColour = false;
    Colour colour = 0;
    QRgb rgb = 0;
  };
  // The pens' batches of wide vertical lines waiting to be painted.
  struct PenBatches;
  // Where one-pixel lines may go straight into the image's pixels (ok false: not here).
  DirectPixels DirectTarget(const QPainter& p, const Frame& f) const;
  // One past the last item of the run of joined one-pen segments from `from`.
  std::size_t JoinedRunEnd(std::size_t from, std::size_t to) const;
  // Paints what waits: the direct columns, then each pen's batch.
  void FlushBatches(QPainter& p, const Frame& f, PenBatches& batches, const DirectPixels& direct) const;
  // A wide vertical line joins its pen's batch (what waits is painted first
  // when another pen's line waits on one of its columns).
  void BatchVerticalLine(QPainter& p, const Frame& f, const Item& item, PenBatches& batches,
                         const DirectPixels& direct) const;
  // Records a one-pixel vertical line for PaintColumnSpans.
  void PaintColumn(DirectPixels& d, double x, double y1, double y2, Colour colour) const;
  void PaintColumnSpans(const DirectPixels& d) const;
  void PaintRun(QPainter& p, const Frame& f, std::size_t from, std::size_t to, const DirectPixels* direct) const;
  // A polyline of one pen, points as fractions of the plot area.
  void PaintPolyline(QPainter& p, const Frame& f, const PixelPoint* points, std::size_t count, Colour colour, int width,
                     const DirectPixels* direct) const;
  // Positions as fractions of the plot area (inline: a pattern takes one a point).
  PixelPoint Fraction(double x, double y) const {
    const FractionMap& m = toFraction_;
    const double fx = (x - m.left) * m.kx, fy = (y - m.top) * m.ky;
    return {std::isnan(fx) ? -m.limitX : std::clamp(fx, -m.limitX, m.limitX),
            std::isnan(fy) ? -m.limitY : std::clamp(fy, -m.limitY, m.limitY)};
  }
  void UpdateFractions();
  void PaintAxes(QPainter& p, double ratio) const;
  void Layout();
  void NewImage();
  Frame RasterFrame() const;
  void Flush() const;
  // One painter stays open on the image across flushes: opening one costs
  // more than many lines.
  QPainter& ImagePainter() const;
  void EndPainting() const { painter_.reset(); }

  mutable QImage image_;
  PlotScale scale_;
  int pictureWidth_ = 1, pictureHeight_ = 1;
  double ratio_ = 1.0;
  std::optional<AxesStyle> axes_;
  bool batched_ = true;
  Colour back_ = kSystemScrollBarColour;
  int width_ = 1;
  DrawMode mode_ = DrawMode::Copy;
  double penX_ = 0, penY_ = 0;
  std::vector<Item> items_;
  std::vector<PixelPoint> chainPoints_;
  // The last item is a chain, not yet painted, that the next LineTo in its
  // colour from (chainEndX_, chainEndY_) may continue.
  mutable bool chainOpen_ = false;
  double chainEndX_ = 0, chainEndY_ = 0;
  Colour chainColour_ = 0;
  struct FractionMap {
    double left = 0, top = 0, kx = 1, ky = 1, limitX = 1e6, limitY = 1e6;
  };
  FractionMap toFraction_;
  mutable std::size_t painted_ = 0;  // items_ already on the image
  mutable bool axesPainted_ = false;
  mutable std::unique_ptr<QPainter> painter_;
  // Which pen batch last claimed each pixel column (valid when the stamp is
  // the current one): lines of different pens on one column keep their order.
  mutable std::vector<int> columnPen_;
  mutable std::vector<unsigned> columnStamp_;
  mutable unsigned stamp_ = 0;
  // The last one-pixel line put on each column since anything else was
  // painted (epoch), to skip repeats.
  struct ColumnMemory {
    unsigned epoch = 0;
    QRgb rgb = 0;
    int r0 = 0, r1 = 0;
  };
  mutable std::vector<ColumnMemory> lastColumn_;
  struct ColumnSpan {
    int column, r0, r1;  // rows r0 .. r1 - 1
    QRgb rgb;
  };
  mutable std::vector<ColumnSpan> columnSpans_, sortedSpans_;
  mutable std::vector<std::size_t> spanStart_;
  // Buffers of the pattern's polyline, kept between redraws.
  mutable std::vector<PixelPoint> runFractions_, thinPoints_;
  mutable QVector<QPointF> polyline_;
  mutable unsigned columnEpoch_ = 1;
};

}  // namespace quorlin
