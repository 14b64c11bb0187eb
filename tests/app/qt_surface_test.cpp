#include "qt_surface.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <filesystem>

#include "core/errors.h"

using namespace quorlin;

namespace {

QRgb Pixel(const QtSurface& s, double x, double y) {
  const PlotScale& sc = s.CurrentScale();
  return s.Image().pixel(static_cast<int>(sc.PixelX(x)), static_cast<int>(sc.PixelY(y)));
}

}  // namespace

// Raster painting needs no application object, so these tests create none.
TEST(QtSurface, PaintsInUserCoordinatesAndInvertsRubberBands) {
  QtSurface s(200, 100);
  s.Scale(0, 100, 20, 0);
  s.Clear(kSystemScrollBarColour);
  Colour grey = SurfaceRgb(kSystemScrollBarColour);
  EXPECT_EQ(Pixel(s, 5, 50), qRgb(RedOf(grey), GreenOf(grey), BlueOf(grey)));
  // A vertical red line at x = 10 from intensity 10 to 90.
  s.SetDrawWidth(1);
  s.Line(10, 10, 10, 90, Rgb(255, 0, 0));
  EXPECT_EQ(Pixel(s, 10, 50), qRgb(255, 0, 0));
  EXPECT_EQ(Pixel(s, 15, 50), qRgb(RedOf(grey), GreenOf(grey), BlueOf(grey)));

  // Inverting twice leaves the picture as it was.
  QImage before = s.Image().copy();
  s.SetDrawMode(IDrawingSurface::DrawMode::Invert);
  s.Box(2, 80, 18, 20, 0, false);
  EXPECT_NE(s.Image(), before);
  s.Box(2, 80, 18, 20, 0, false);
  EXPECT_EQ(s.Image(), before);
  s.SetDrawMode(IDrawingSurface::DrawMode::Copy);

  // A resize redraws at the new size.
  s.Resize(400, 300);
  EXPECT_EQ(s.Image().width(), 400);
  EXPECT_EQ(Pixel(s, 10, 50), qRgb(255, 0, 0));
  // Lines far off the picture or at impossible positions do not crash.
  s.Line(1e30, 0, std::nan(""), 1, 0);
}

TEST(QtSurface, SavesBmpPngAndSvg) {
  QtSurface s(120, 80);
  s.Scale(0, 1, 1, 0);
  s.Clear(Rgb(255, 255, 255));
  s.Line(0.5, 0, 0.5, 1, Rgb(0, 0, 255));
  auto dir = std::filesystem::temp_directory_path();
  for (const char* name : {"quorlin_surface.bmp", "quorlin_surface.png"}) {
    auto path = (dir / name).string();
    s.SavePicture(path);
    QImage back(QString::fromStdString(path));
    ASSERT_FALSE(back.isNull()) << name;
    EXPECT_EQ(back.size(), QSize(120, 80));
    EXPECT_EQ(back.pixel(60, 40) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF) << name;
    std::filesystem::remove(path);
  }
  auto svg = (dir / "quorlin_surface.svg").string();
  s.SavePicture(svg);
  QFile f(QString::fromStdString(svg));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray text = f.readAll();
  EXPECT_TRUE(text.contains("<svg"));
  EXPECT_TRUE(text.contains("#0000ff"));
  f.close();
  std::filesystem::remove(svg);
  EXPECT_THROW(s.SavePicture("/nonexistent-folder/plot.png"), QuorlinError);
  EXPECT_THROW(s.SavePicture("/nonexistent-folder/plot.svg"), QuorlinError);
}
