// picXRayPlot: pixels to user coordinates and back, mouse events reported in
// user coordinates, and the inverting rubber-band overlay.

#include <QSignalSpy>

#include "gui_support.h"
#include "plot_view.h"

namespace quorlin {
namespace {

using testing::App;

TEST(PlotView, MapsPixelsToUserCoordinatesAndReportsMouseThere) {
  App();
  PlotView view;
  view.resize(400, 200);
  // x from 10 to 50 degrees left to right, intensity 1000 at the top down to 0.
  view.SetUserScale(10, 1000, 40, -1000);
  // Worked by hand: pixel (100, 50) is a quarter across and a quarter down.
  QPointF u = view.ToUser(QPointF(100, 50));
  EXPECT_DOUBLE_EQ(u.x(), 20.0);
  EXPECT_DOUBLE_EQ(u.y(), 750.0);
  QPointF p = view.ToPixel(QPointF(45, 100));
  EXPECT_DOUBLE_EQ(p.x(), 350.0);
  EXPECT_DOUBLE_EQ(p.y(), 180.0);

  // A degenerate scale is refused and the old one kept.
  view.SetUserScale(0, 0, 0, 5);
  EXPECT_DOUBLE_EQ(view.ToUser(QPointF(100, 50)).x(), 20.0);

  QSignalSpy pressed(&view, &PlotView::Pressed);
  QSignalSpy released(&view, &PlotView::Released);
  view.show();
  QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(200, 100));
  QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(300, 0));
  ASSERT_EQ(pressed.count(), 1);
  ASSERT_EQ(released.count(), 1);
  EXPECT_EQ(pressed[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
  EXPECT_NEAR(pressed[0][1].toDouble(), 30.0, 1e-9);
  EXPECT_NEAR(pressed[0][2].toDouble(), 500.0, 1e-9);
  EXPECT_EQ(released[0][0].value<Qt::MouseButton>(), Qt::RightButton);
  EXPECT_NEAR(released[0][1].toDouble(), 40.0, 1e-9);
  EXPECT_NEAR(released[0][2].toDouble(), 1000.0, 1e-9);
}

TEST(PlotView, RubberBandInvertsWhatIsUnderItAndGoesAwayCleanly) {
  App();
  PlotView view;
  view.resize(100, 100);
  view.SetUserScale(0, 100, 100, -100);
  // Left half black, right half white: the band must show on both.
  QImage picture(100, 100, QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 50; ++x) picture.setPixel(x, y, qRgb(0, 0, 0));
  view.SetPicture(picture);
  view.show();
  QImage plain = view.grab().toImage();

  view.ShowSegment(QPointF(10, 50), QPointF(90, 50));  // a horizontal line at pixel row 50
  EXPECT_EQ(view.CurrentBand(), PlotView::Band::Segment);
  QImage banded = view.grab().toImage();
  EXPECT_EQ(QColor(banded.pixel(20, 50)), QColor(Qt::white));
  EXPECT_EQ(QColor(banded.pixel(80, 50)), QColor(Qt::black));
  EXPECT_EQ(banded.pixel(20, 70), plain.pixel(20, 70));  // off the line nothing changes

  view.ShowBox(QPointF(20, 80), QPointF(70, 30));
  EXPECT_EQ(view.CurrentBand(), PlotView::Band::Box);
  EXPECT_EQ(view.BandStart(), QPointF(20, 80));
  EXPECT_EQ(view.BandEnd(), QPointF(70, 30));

  view.ClearBand();
  EXPECT_EQ(view.CurrentBand(), PlotView::Band::None);
  EXPECT_EQ(view.grab().toImage(), plain);
}

}  // namespace
}  // namespace quorlin
