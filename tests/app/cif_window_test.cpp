// A CIF dropped on the real window: the phase is drawn with line heights,
// and Options > Line Intensities draws every line at full height.
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <map>

#include "gui_support.h"

namespace quorlin {
namespace {

using testing::MainWindowFixture;

// The heights (in pixels) of the columns of the plot painted in the line
// colour, tallest first.
std::vector<int> ColumnHeights(QWidget* plot, QRgb colour) {
  const QImage image = plot->grab().toImage();
  std::vector<int> heights;
  for (int x = 0; x < image.width(); ++x) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    if (n > 0) heights.push_back(n);
  }
  std::sort(heights.rbegin(), heights.rend());
  return heights;
}

TEST(CifWindow, ADroppedStructureDrawsLinesAtTheirHeights) {
  MainWindowFixture f;
  for (int i = 1; i < CData::kLineCount; ++i) f.m().data.SetLineExists(i, false);
  f.m().data.SetLineExists(0, true);
  f.m().data.SetSourceIntensity(0, 1.0f);
  for (int i = 0; i < 7; ++i) f.m().pattern.PreviousState(i, true, true);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QUORLIN_SOURCE_DIR "/tests/structure/cif/nacl.cif")});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
  QApplication::sendEvent(&f.window, &enter);
  QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
  QApplication::sendEvent(&f.window, &dropped);
  EXPECT_NE(f.window.windowTitle().indexOf("Halite"), -1) << f.window.windowTitle().toStdString();
  EXPECT_EQ(f.m().pattern.ExtinctionNumber(), 12);
  QWidget* plot = testing::Child<QWidget>(&f.window, "picXRayPlot");
  ASSERT_NE(plot, nullptr);
  const std::int32_t c = f.m().pattern.LineColor;  // red in the lowest byte
  const QRgb colour = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  auto heights = ColumnHeights(plot, colour);
  ASSERT_GE(heights.size(), 4u);
  // 200 at full height, 111 at about 8 % of it.
  EXPECT_LT(heights.back() * 5, heights.front());
  f.Trigger("mnuLineIntensities");
  EXPECT_FALSE(f.m().XRDPlot.ShowLineIntensities);
  heights = ColumnHeights(plot, colour);
  ASSERT_GE(heights.size(), 4u);
  EXPECT_LE(heights.front() - heights.back(), 2);
}

}  // namespace
}  // namespace quorlin
