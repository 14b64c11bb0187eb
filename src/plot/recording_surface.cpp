#include "plot/recording_surface.h"

#include <fstream>

#include "core/atomic_file.h"
#include "core/errors.h"

namespace quorlin {

RecordingSurface::RecordingSurface(int widthPixels, int heightPixels) {
  scale_.widthPixels = widthPixels < 1 ? 1 : widthPixels;
  scale_.heightPixels = heightPixels < 1 ? 1 : heightPixels;
}

void RecordingSurface::Scale(double left, double top, double right, double bottom) {
  if (left == right || top == bottom) return;
  scale_.left = left;
  scale_.top = top;
  scale_.right = right;
  scale_.bottom = bottom;
}

void RecordingSurface::Add(Kind kind, double x1, double y1, double x2, double y2, Colour colour, bool filled) {
  primitives_.push_back({kind, x1, y1, x2, y2, colour, width_, mode_, filled});
}

void RecordingSurface::Clear(Colour background) {
  back_ = background;
  penX_ = penY_ = 0;
  Add(Kind::Clear, 0, 0, 0, 0, background, true);
}

void RecordingSurface::PSet(double x, double y, Colour colour) {
  Add(Kind::Point, x, y, x, y, colour, false);
  penX_ = x;
  penY_ = y;
}

void RecordingSurface::Line(double x1, double y1, double x2, double y2, Colour colour) {
  Add(Kind::Line, x1, y1, x2, y2, colour, false);
  penX_ = x2;
  penY_ = y2;
}

void RecordingSurface::Box(double x1, double y1, double x2, double y2, Colour colour, bool filled) {
  Add(Kind::Box, x1, y1, x2, y2, colour, filled);
  penX_ = x2;
  penY_ = y2;
}

void RecordingSurface::MoveTo(double x, double y) {
  Add(Kind::Move, x, y, x, y, 0, false);
  penX_ = x;
  penY_ = y;
}

void RecordingSurface::LineTo(double x, double y, Colour colour) { Line(penX_, penY_, x, y, colour); }

std::vector<RecordingSurface::Primitive> RecordingSurface::OfKind(Kind kind) const {
  std::vector<Primitive> out;
  for (const auto& p : primitives_)
    if (p.kind == kind) out.push_back(p);
  return out;
}

void RecordingSurface::SavePicture(const std::string& path) const {
  static const char* const kNames[] = {"clear", "point", "line", "box", "move"};
  WriteFileAtomically(path, [&](std::ostream& out) {
    out.precision(9);
    for (const auto& p : primitives_)
      out << kNames[static_cast<int>(p.kind)] << ' ' << p.x1 << ' ' << p.y1 << ' ' << p.x2 << ' ' << p.y2 << ' '
          << p.colour << ' ' << p.width << ' ' << (p.mode == DrawMode::Invert ? "invert" : "copy") << '\n';
  });
}

}  // namespace quorlin
