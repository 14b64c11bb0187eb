#include "qt_surface.h"

#include "../../bench/plot_scene.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <random>

#include "core/errors.h"
#include "plot/pixel_line.h"

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

namespace {

// Pixels that differ between two pictures of one size.
int DifferingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// Pixels where the two pictures differ other than at a join of the pattern:
// a polyline and separate segments end a segment on different pixels where
// it meets the next one (a peak's tip), so a pattern pixel may come or go
// there, always beside the pattern in the other picture. Nothing else may
// differ.
bool NearColour(const QImage& image, int x, int y, QRgb colour) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if ((dx || dy) && image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour) return true;
  return false;
}

int ForeignPixels(const QImage& plain, const QImage& batched, QRgb pattern, int& joins) {
  int foreign = 0;
  joins = 0;
  for (int y = 0; y < plain.height(); ++y)
    for (int x = 0; x < plain.width(); ++x) {
      if (plain.pixel(x, y) == batched.pixel(x, y)) continue;
      bool join = (batched.pixel(x, y) == pattern && NearColour(plain, x, y, pattern)) ||
                  (plain.pixel(x, y) == pattern && NearColour(batched, x, y, pattern));
      (join ? joins : foreign) += 1;
    }
  return foreign;
}

int PixelsOf(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
  return n;
}

}  // namespace

// The batched painting (polylines thinned per pixel column, lines per pen,
// repeats once) against the plain one call per primitive: the benchmark's
// scene of many coloured reflections over a 10 000- and a 100 000-point
// pattern, then wide pens, inverted boxes and a zoom that clips the pattern.
TEST(QtSurface, BatchedPaintingGivesThePlainPicture) {
  const QRgb black = qRgb(0, 0, 0);  // the pattern's colour
  for (int points : {10000, 100000}) {
    quorlin::bench::PlotScene scene(4, points);
    QtSurface plain(1000, 600), batched(1000, 600);
    plain.SetBatched(false);
    scene.Draw(plain);
    scene.Draw(batched);
    int joins = 0;
    EXPECT_EQ(ForeignPixels(plain.Image(), batched.Image(), black, joins), 0) << points << " points";
    EXPECT_LT(joins, PixelsOf(plain.Image(), black) / 100) << points << " points";
    // The reflection lines alone, with no pattern: exactly the same pixels.
    scene.data.SetNChan(0);
    scene.Draw(plain);
    scene.Draw(batched);
    EXPECT_EQ(DifferingPixels(plain.Image(), batched.Image()), 0);
  }
  quorlin::bench::PlotScene scene(3, 20000);
  scene.pattern.linewidth = 2;
  scene.pattern.ColorScheme = "Direction";
  scene.plot.XRDDataWidth = 2;
  ASSERT_TRUE(scene.plot.SetTTMin("30"));
  ASSERT_TRUE(scene.plot.SetTTMax("44"));
  ASSERT_TRUE(scene.plot.SetIMax("900"));
  QtSurface plain(640, 400), batched(640, 400);
  plain.SetBatched(false);
  for (QtSurface* s : {&plain, &batched}) {
    scene.Draw(*s);
    s->SetDrawMode(IDrawingSurface::DrawMode::Invert);
    s->Box(32, 800, 40, 100, 0, false);
    s->SetDrawMode(IDrawingSurface::DrawMode::Copy);
    s->SetDrawWidth(1);
    s->Line(35, 0, 35, 900, Rgb(0, 0, 255));
  }
  // Wide pens are painted segment by segment either way: the same picture.
  EXPECT_EQ(DifferingPixels(plain.Image(), batched.Image()), 0);
}

TEST(QtSurface, AxesSitOutsideThePlotAreaAndHiDpiDoublesThePixels) {
  QtSurface s(400, 300);
  s.Scale(0, 100, 20, 0);
  s.Clear(Rgb(255, 255, 255));
  AxesStyle style;
  style.bottomTitle = "Channel";
  s.SetAxes(style);
  const QRect area = s.PlotArea();
  EXPECT_GT(area.left(), 0);
  EXPECT_LT(area.right(), 399);
  EXPECT_LT(area.bottom(), 299);
  // User coordinates map onto the plot area: its corners are the window's.
  EXPECT_DOUBLE_EQ(s.CurrentScale().PixelX(0), area.left());
  EXPECT_DOUBLE_EQ(s.CurrentScale().PixelX(20), area.left() + area.width());
  EXPECT_DOUBLE_EQ(s.CurrentScale().PixelY(0), area.top() + area.height());
  s.Line(10, 10, 10, 90, Rgb(255, 0, 0));
  // A line running off the window stays inside the plot area.
  s.Line(5, -50, 5, 500, Rgb(0, 255, 0));
  QImage picture = s.Image();
  EXPECT_EQ(Pixel(s, 10, 50), qRgb(255, 0, 0));
  const int green = static_cast<int>(s.CurrentScale().PixelX(5));
  EXPECT_EQ(picture.pixel(green, area.top() - 3), qRgb(255, 255, 255));
  // The frame on the pixels just outside the area; the area itself is clear.
  EXPECT_EQ(picture.pixel(area.left() - 1, area.center().y()), qRgb(0, 0, 0));
  EXPECT_EQ(picture.pixel(area.center().x(), area.bottom() + 1), qRgb(0, 0, 0));
  EXPECT_EQ(picture.pixel(area.left(), area.center().y()), qRgb(255, 255, 255));
  // Ticks every 2 units on the bottom axis (20 units over 320 pixels): below
  // x = 10 a tick mark, between ticks none.
  const int tick = static_cast<int>(s.CurrentScale().PixelX(10));
  EXPECT_EQ(picture.pixel(tick, area.bottom() + 3), qRgb(0, 0, 0));
  EXPECT_EQ(picture.pixel(static_cast<int>(s.CurrentScale().PixelX(11)), area.bottom() + 3), qRgb(255, 255, 255));

  // At a device pixel ratio of 2 the picture has twice the pixels each way
  // and a one-pixel line becomes two physical pixels wide.
  QtSurface hi(200, 100);
  hi.SetDevicePixelRatio(2.0);
  hi.Scale(0, 1, 100, 0);
  hi.Clear(Rgb(255, 255, 255));
  hi.Line(50, 0, 50, 1, Rgb(0, 0, 0));
  QImage big = hi.Image();
  EXPECT_EQ(big.size(), QSize(400, 200));
  int dark = 0;
  for (int x = 190; x < 210; ++x) dark += big.pixel(x, 100) == qRgb(0, 0, 0);
  EXPECT_EQ(dark, 2);
}

// The plot's own one-pixel polyline against Qt's painter on the same points:
// random walks mixing steep, shallow, sub-pixel and reversing steps, some
// wandering off the image, with and without a clip rectangle, and
// pattern-like chains.
TEST(QtSurface, OwnPolylineGivesQtsPixels) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const QRgb ink = qRgb(10, 20, 30), paper = qRgb(250, 250, 250);
  int stray = 0, turns = 0, inked = 0;
  for (int trial = 0; trial < 80; ++trial) {
    std::vector<PixelPoint> points{{unit(random) * 200, unit(random) * 120}};
    if (trial < 60) {
      const double reach = trial % 3 == 0 ? 0.4 : trial % 3 == 1 ? 3.0 : 40.0;  // step size in pixels
      for (int i = 0; i < 400; ++i) {
        const PixelPoint& p = points.back();
        points.push_back({p.x + (unit(random) - 0.3) * reach, p.y + (unit(random) - 0.5) * reach * 2});
      }
    } else {
      for (double x = -5; x < 205; x += trial % 2 ? 0.1 : 0.8)
        points.push_back({x, 100 - 80 * std::pow(std::sin(x * 0.05 + trial), 40) - 5 * unit(random)});
    }
    const bool clipped = trial % 2 == 1;
    const QRect clip = clipped ? QRect(20, 15, 150, 80) : QRect(0, 0, 200, 120);
    QImage qt(200, 120, QImage::Format_RGB32), own(200, 120, QImage::Format_RGB32);
    qt.fill(paper);
    own.fill(paper);
    {
      QPainter p(&qt);
      QPen pen{QColor(ink)};
      pen.setCapStyle(Qt::FlatCap);  // as the surface paints
      p.setPen(pen);
      if (clipped) p.setClipRect(clip);
      QVector<QPointF> line;
      for (const PixelPoint& q : points) line.push_back({q.x, q.y});
      p.drawPolyline(line.constData(), static_cast<int>(line.size()));
    }
    PixelTarget target{reinterpret_cast<std::uint32_t*>(own.bits()), own.bytesPerLine() / 4, 200, 120,
                       clip.left(),  clip.top(), clip.left() + clip.width(), clip.top() + clip.height()};
    PaintPixelPolyline(target, points, ink);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 200; ++x) {
        const bool ours = own.pixel(x, y) == ink, theirs = qt.pixel(x, y) == ink;
        inked += theirs;
        if (ours && !theirs) (NearColour(qt, x, y, ink) ? turns : stray) += 1;
        if (theirs && !ours) ++turns;
      }
  }
  // Every pixel painted lies on Qt's line or touches it; the few that differ
  // are at turns (and a rare odd pixel of Qt's own off the line).
  EXPECT_EQ(stray, 0);
  EXPECT_LT(turns, inked / 200) << turns << " of " << inked;
}
