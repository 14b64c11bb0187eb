// The Qt side of the platform services: filter texts, start paths, default
// extensions and the colour convention (red in the lowest byte).

#include <QColor>

#include "gui_support.h"
#include "qt_platform.h"

namespace quorlin {
namespace {

TEST(QtPlatform, DialogRequestsBecomeQtFiltersAndPaths) {
  testing::App();
  std::vector<FileFilter> filters = {{"GSAS Data Files (*.gsa)", "*.gsa"}, {"All Files (*.*)", "*.*"}};
  EXPECT_EQ(QtFilterText(filters), "GSAS Data Files (*.gsa);;All Files (*.*)");
  // A description without its pattern gets it, or Qt would match nothing.
  EXPECT_EQ(QtFilterText({{"xy", "*.xy"}}), "xy (*.xy)");

  FileDialogRequest r;
  r.initialFolder = "/data/runs";
  EXPECT_EQ(QtStartPath(r), "/data/runs");
  r.fileName = "quartz.xy";
  EXPECT_EQ(QtStartPath(r), "/data/runs/quartz.xy");
  r.initialFolder.clear();
  EXPECT_EQ(QtStartPath(r), "quartz.xy");

  EXPECT_EQ(WithDefaultExtension("/tmp/plot", "bmp"), "/tmp/plot.bmp");
  EXPECT_EQ(WithDefaultExtension("/tmp/plot.png", "bmp"), "/tmp/plot.png");
  EXPECT_EQ(WithDefaultExtension("/tmp/plot", ""), "/tmp/plot");
}

TEST(QtPlatform, ColourValuesKeepRedInTheLowestByte) {
  testing::App();
  // &H0000FF is red, &HFF0000 blue in the program's colour values.
  EXPECT_EQ(ColorFromValue(0x0000FFu), QColor(255, 0, 0));
  EXPECT_EQ(ColorFromValue(0xFF0000u), QColor(0, 0, 255));
  EXPECT_EQ(ValueFromColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
  for (std::uint32_t v : {0u, 0x80FF01u, 0xFFFFFFu, 0x010203u}) EXPECT_EQ(ValueFromColor(ColorFromValue(v)), v);
}

}  // namespace
}  // namespace quorlin
