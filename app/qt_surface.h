// The plot's drawing surface on a Qt raster image. The main window shows
// Image() in its plot widget and calls Resize when the widget changes size.
// Every primitive since the last Clear is also kept, so that a resize redraws
// the picture at the new size and SavePicture can write SVG as vectors.
#pragma once

#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "plot/surface.h"

namespace quorlin {

class QtSurface : public IDrawingSurface {
 public:
  explicit QtSurface(int widthPixels = 625, int heightPixels = 400);

  // The picture as drawn so far (ends the painting in progress).
  const QImage& Image() const {
    EndPainting();
    return image_;
  }
  // New pixel size (at least 1 x 1); the picture is redrawn at that size.
  void Resize(int widthPixels, int heightPixels);

  void Scale(double left, double top, double right, double bottom) override;
  const PlotScale& CurrentScale() const override { return scale_; }
  void Clear(Colour background) override;
  Colour BackColor() const override { return back_; }
  void SetDrawWidth(int pixels) override { width_ = pixels < 1 ? 1 : pixels; }
  int DrawWidth() const override { return width_; }
  void SetDrawMode(DrawMode mode) override { mode_ = mode; }
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
  enum class Kind { Point, Line, Box };
  // Positions as fractions of the picture's width and height, so that a
  // resize or an SVG replays them whatever scale they were drawn under.
  struct Item {
    Kind kind;
    double x1, y1, x2, y2;
    Colour colour;
    int width;
    DrawMode mode;
    bool filled;
  };
  void Add(Kind kind, double x1, double y1, double x2, double y2, Colour colour, bool filled);
  void Paint(QPainter& p, int width, int height, const Item& item, bool vectorOutput) const;
  void Repaint();
  // One painter stays open on the image across primitives: opening one per
  // line costs more than drawing it.
  QPainter& ImagePainter();
  void EndPainting() const { painter_.reset(); }

  QImage image_;
  PlotScale scale_;
  Colour back_ = kSystemScrollBarColour;
  int width_ = 1;
  DrawMode mode_ = DrawMode::Copy;
  double penX_ = 0, penY_ = 0;
  std::vector<Item> items_;
  mutable std::unique_ptr<QPainter> painter_;
};

}  // namespace quorlin
