#include "plot/surface.h"

#include <array>

namespace quorlin {

Colour SurfaceRgb(Colour c) {
  if (!IsSystemColour(c)) return c;
  // The classic light theme's system colours, by platform colour index.
  static constexpr std::array<Colour, 25> kSystem = {
      Rgb(200, 200, 200),  // 0 scroll bar
      Rgb(0, 0, 0),        // 1 desktop
      Rgb(153, 180, 209),  // 2 active caption
      Rgb(191, 205, 219),  // 3 inactive caption
      Rgb(240, 240, 240),  // 4 menu
      Rgb(255, 255, 255),  // 5 window
      Rgb(100, 100, 100),  // 6 window frame
      Rgb(0, 0, 0),        // 7 menu text
      Rgb(0, 0, 0),        // 8 window text
      Rgb(0, 0, 0),        // 9 caption text
      Rgb(180, 180, 180),  // 10 active border
      Rgb(244, 247, 252),  // 11 inactive border
      Rgb(171, 171, 171),  // 12 application workspace
      Rgb(0, 120, 215),    // 13 highlight
      Rgb(255, 255, 255),  // 14 highlight text
      Rgb(240, 240, 240),  // 15 button face
      Rgb(160, 160, 160),  // 16 button shadow
      Rgb(109, 109, 109),  // 17 grey text
      Rgb(0, 0, 0),        // 18 button text
      Rgb(0, 0, 0),        // 19 inactive caption text
      Rgb(255, 255, 255),  // 20 button highlight
      Rgb(105, 105, 105),  // 21 3-D dark shadow
      Rgb(227, 227, 227),  // 22 3-D light
      Rgb(0, 0, 0),        // 23 tooltip text
      Rgb(255, 255, 225),  // 24 tooltip background
  };
  auto index = static_cast<std::uint32_t>(c) & 0x00FFFFFFu;
  return index < kSystem.size() ? kSystem[index] : kSystem[0];
}

}  // namespace quorlin
