// The drawing surface the plot is drawn on: a picture in user coordinates
// (left, top, right, bottom set by Scale), cleared to a background colour,
// with a pen width, a copy mode and an inverting mode for rubber bands,
// points, lines, boxes, a current pen position and saving the picture.
//
// Colours are 32-bit with red in the lowest byte, then green, then blue. A
// value with the top bit set is a system colour; SurfaceRgb turns it into
// the real colour a surface paints.
#pragma once

#include <cstdint>
#include <string>

namespace quorlin {

using Colour = std::int32_t;

constexpr Colour Rgb(int red, int green, int blue) {
  return static_cast<Colour>(static_cast<std::uint32_t>(red & 0xFF) | (static_cast<std::uint32_t>(green & 0xFF) << 8) |
                             (static_cast<std::uint32_t>(blue & 0xFF) << 16));
}
constexpr int RedOf(Colour c) { return static_cast<int>(static_cast<std::uint32_t>(c) & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((static_cast<std::uint32_t>(c) >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((static_cast<std::uint32_t>(c) >> 16) & 0xFF); }

// &H80000000: the platform's scroll-bar colour, the default plot background.
constexpr Colour kSystemScrollBarColour = static_cast<Colour>(0x80000000u);
constexpr bool IsSystemColour(Colour c) { return (static_cast<std::uint32_t>(c) & 0x80000000u) != 0; }

// The colour actually painted for c: plain colours as they are, system
// colours (&H800000nn, nn the platform's colour index) as fixed light-theme
// colours, the scroll bar a light grey.
Colour SurfaceRgb(Colour c);

// User coordinates to pixels and back for a picture of a given pixel size.
// x grows from left to right; y from top (at pixel 0) to bottom.
// The plot area may sit inside a larger picture (axes in a margin round it):
// originX, originY is its top-left pixel, widthPixels x heightPixels its size.
struct PlotScale {
  double left = 0.0, top = 0.0, right = 1.0, bottom = 1.0;
  int widthPixels = 1, heightPixels = 1;
  int originX = 0, originY = 0;

  double PixelX(double x) const { return originX + (x - left) / (right - left) * widthPixels; }
  double PixelY(double y) const { return originY + (y - top) / (bottom - top) * heightPixels; }
  double UserX(double px) const { return left + (px - originX) / widthPixels * (right - left); }
  double UserY(double py) const { return top + (py - originY) / heightPixels * (bottom - top); }
};

class IDrawingSurface {
 public:
  // Copy paints the pen colour; Invert flips every pixel it touches whatever
  // the colour, so drawing a figure twice removes it (rubber bands).
  enum class DrawMode { Copy, Invert };

  virtual ~IDrawingSurface() = default;

  // Sets the user coordinates of the picture's edges. A degenerate scale
  // (left == right or top == bottom) is refused and the old one kept.
  virtual void Scale(double left, double top, double right, double bottom) = 0;
  virtual const PlotScale& CurrentScale() const = 0;

  // Clears the whole picture to the background colour, which is kept.
  virtual void Clear(Colour background) = 0;
  virtual Colour BackColor() const = 0;

  virtual void SetDrawWidth(int pixels) = 0;  // below 1 is taken as 1
  virtual int DrawWidth() const = 0;
  virtual void SetDrawMode(DrawMode mode) = 0;
  virtual DrawMode CurrentDrawMode() const = 0;

  // A single point; the pen moves there.
  virtual void PSet(double x, double y, Colour colour) = 0;
  // A straight line; the pen moves to its end.
  virtual void Line(double x1, double y1, double x2, double y2, Colour colour) = 0;
  // The rectangle with corners (x1, y1) and (x2, y2); the pen moves to (x2, y2).
  virtual void Box(double x1, double y1, double x2, double y2, Colour colour, bool filled) = 0;
  // Pen position without drawing, and a line from the pen position.
  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y, Colour colour) = 0;
  virtual double CurrentX() const = 0;
  virtual double CurrentY() const = 0;

  // Writes the picture to path; the format follows the extension (".bmp",
  // ".png", ".svg" where the surface supports it). Throws QuorlinError naming
  // the file when the picture cannot be written.
  virtual void SavePicture(const std::string& path) const = 0;
};

}  // namespace quorlin
