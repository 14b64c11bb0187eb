#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_path.h"
#include "core/errors.h"
#include "plot/recording_surface.h"

using namespace quorlin;

TEST(DrawingSurface, ColoursAndScale) {
  // Red sits in the lowest byte: RGB(1, 2, 3) = &H030201.
  EXPECT_EQ(Rgb(1, 2, 3), 0x030201);
  EXPECT_EQ(RedOf(0x030201), 1);
  EXPECT_EQ(GreenOf(0x030201), 2);
  EXPECT_EQ(BlueOf(0x030201), 3);
  // System colours become real ones; the scroll bar a light grey.
  Colour grey = SurfaceRgb(kSystemScrollBarColour);
  EXPECT_FALSE(IsSystemColour(grey));
  EXPECT_EQ(RedOf(grey), GreenOf(grey));
  EXPECT_EQ(GreenOf(grey), BlueOf(grey));
  EXPECT_GT(RedOf(grey), 150);
  EXPECT_LT(RedOf(grey), 255);
  EXPECT_EQ(SurfaceRgb(static_cast<Colour>(0x80000005u)), Rgb(255, 255, 255));  // window
  EXPECT_FALSE(IsSystemColour(SurfaceRgb(static_cast<Colour>(0x800000FFu))));
  EXPECT_EQ(SurfaceRgb(Rgb(9, 8, 7)), Rgb(9, 8, 7));

  // Intensity grows upwards: top is the larger value.
  RecordingSurface s(200, 100);
  s.Scale(10, 1000, 50, 0);
  const PlotScale& sc = s.CurrentScale();
  EXPECT_DOUBLE_EQ(sc.PixelX(10), 0);
  EXPECT_DOUBLE_EQ(sc.PixelX(50), 200);
  EXPECT_DOUBLE_EQ(sc.PixelY(1000), 0);
  EXPECT_DOUBLE_EQ(sc.PixelY(250), 75);
  EXPECT_DOUBLE_EQ(sc.UserX(sc.PixelX(23.5)), 23.5);
  EXPECT_DOUBLE_EQ(sc.UserY(sc.PixelY(640)), 640);
  s.Scale(5, 1, 5, 0);  // degenerate: refused
  EXPECT_DOUBLE_EQ(s.CurrentScale().left, 10);
}

TEST(DrawingSurface, RecordingKeepsEveryPrimitiveWithPenAndMode) {
  RecordingSurface s;
  s.Clear(Rgb(1, 1, 1));
  s.SetDrawWidth(0);
  EXPECT_EQ(s.DrawWidth(), 1);
  s.SetDrawWidth(3);
  s.PSet(1, 2, 5);
  s.LineTo(4, 6, 7);  // from the point just set
  s.SetDrawMode(IDrawingSurface::DrawMode::Invert);
  s.Box(0, 0, 2, 2, 9, false);
  s.MoveTo(10, 10);
  s.LineTo(11, 12, 8);
  ASSERT_EQ(s.Primitives().size(), 6u);
  EXPECT_EQ(s.BackColor(), Rgb(1, 1, 1));
  auto lines = s.OfKind(RecordingSurface::Kind::Line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].x1, 1);
  EXPECT_EQ(lines[0].y1, 2);
  EXPECT_EQ(lines[0].x2, 4);
  EXPECT_EQ(lines[0].width, 3);
  EXPECT_EQ(lines[0].mode, IDrawingSurface::DrawMode::Copy);
  EXPECT_EQ(lines[1].x1, 10);
  EXPECT_EQ(lines[1].y2, 12);
  EXPECT_EQ(lines[1].mode, IDrawingSurface::DrawMode::Invert);
  EXPECT_EQ(s.CurrentX(), 11);

  auto path = quorlin::testing::TestTempPath("quorlin_recording_surface.txt");
  s.SavePicture(path.string());
  std::ifstream in(path);
  int count = 0;
  for (std::string line; std::getline(in, line);) ++count;
  EXPECT_EQ(count, 6);
  std::filesystem::remove(path);
  EXPECT_THROW(s.SavePicture("/nonexistent-folder/x.txt"), QuorlinError);
}
