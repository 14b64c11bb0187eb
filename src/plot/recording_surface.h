// A drawing surface that keeps every primitive drawn on it, with its colour,
// pen width and draw mode, so that tests can check what the plot drew.
#pragma once

#include <vector>

#include "plot/surface.h"

namespace quorlin {

class RecordingSurface : public IDrawingSurface {
 public:
  enum class Kind { Clear, Point, Line, Box, Move };

  struct Primitive {
    Kind kind = Kind::Line;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Point and Move use x1, y1 only
    Colour colour = 0;
    int width = 1;
    DrawMode mode = DrawMode::Copy;
    bool filled = false;
  };

  explicit RecordingSurface(int widthPixels = 1000, int heightPixels = 600);

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
  // Writes the primitives as text, one a line.
  void SavePicture(const std::string& path) const override;

  const std::vector<Primitive>& Primitives() const { return primitives_; }
  // Only the primitives of one kind, in drawing order.
  std::vector<Primitive> OfKind(Kind kind) const;
  void Forget() { primitives_.clear(); }

 private:
  void Add(Kind kind, double x1, double y1, double x2, double y2, Colour colour, bool filled);

  PlotScale scale_;
  Colour back_ = 0;
  int width_ = 1;
  DrawMode mode_ = DrawMode::Copy;
  double penX_ = 0, penY_ = 0;
  std::vector<Primitive> primitives_;
};

}  // namespace quorlin
