// The headless picture export: argument checking, and a project drawn into a
// PNG by the real program under the offscreen platform.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <cerrno>
#include <cmath>

#include "core/atomic_file.h"

#include "gui_support.h"
#include "plot_export.h"
#include "qt_surface.h"

namespace quorlin {
namespace {

using testing::TempHome;

TEST(PlotExport, RefusesBadArgumentsWithOneLine) {
  TempHome home;
  EXPECT_EQ(ParsePictureSize("800x600"), QSize(800, 600));
  EXPECT_EQ(ParsePictureSize(" 12 X 34 "), QSize(12, 34));
  EXPECT_FALSE(ParsePictureSize("0x600"));
  EXPECT_FALSE(ParsePictureSize("800x"));
  EXPECT_FALSE(ParsePictureSize("-5x5"));
  EXPECT_FALSE(ParsePictureSize("99999x5"));

  std::string error;
  EXPECT_EQ(ExportPlot({"only-one.prb"}, error), 2);
  EXPECT_NE(error.find("usage"), std::string::npos);
  EXPECT_EQ(ExportPlot({home.File("p.prb"), home.File("out.gif")}, error), 2);
  EXPECT_NE(error.find("out.gif"), std::string::npos);
  EXPECT_EQ(ExportPlot({home.File("missing.prb"), home.File("out.png")}, error), 2);
  EXPECT_NE(error.find("missing.prb"), std::string::npos);
  EXPECT_EQ(ExportPlot({home.File("p.prb"), home.File("out.png"), "--size", "big"}, error), 2);

  // A foreign file is refused with a message naming it; nothing is written.
  QFile junk(home.File("junk.prb"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("this is not a project");
  junk.close();
  EXPECT_EQ(ExportPlot({home.File("junk.prb"), home.File("out.png")}, error), 2);
  EXPECT_NE(error.find("junk.prb"), std::string::npos) << error;
  EXPECT_FALSE(QFile::exists(home.File("out.png")));
}

TEST(PlotExport, DrawsTheProjectAsTheWindowWould) {
  TempHome home;
  QString project = home.File("cubic.prb");
  testing::ScriptedPlatform platform;
  QImage windowPicture, bareWindowPicture;
  PlotScale axesScale;
  {
    frmMain w(&platform);
    MainModel& m = w.Model();
    ASSERT_TRUE(m.UnitCell.SetCell(1, {4.0f, 4.0f, 4.0f, 90, 90, 90}));
    ASSERT_TRUE(m.XRDPlot.SetTTMax("80"));
    ASSERT_TRUE(m.XRDPlot.SetTTMin("20"));
    ASSERT_TRUE(m.ProjectSaveFile(project.toStdString()));
    QtSurface surface(300, 200);
    DrawPlot(m, surface);
    windowPicture = surface.Image();
    axesScale = surface.CurrentScale();
    QtSurface bare(300, 200);
    DrawPlot(m, bare, false);
    bareWindowPicture = bare.Image();
  }
  auto exportPicture = [&](const QString& out, QStringList extra) {
    QProcess run;
    run.setProcessEnvironment([] {
      auto env = QProcessEnvironment::systemEnvironment();
      env.insert("QT_QPA_PLATFORM", "offscreen");
      return env;
    }());
    run.start(QUORLIN_APP_PATH, QStringList{"--export-plot", project, out, "--size", "300x200"} + extra);
    EXPECT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    return QImage(out).convertToFormat(QImage::Format_RGB32);
  };
  QImage withAxes = exportPicture(home.File("axes.png"), {});
  QImage picture = exportPicture(home.File("plot.png"), {"--no-axes"});
  ASSERT_FALSE(picture.isNull());
  ASSERT_FALSE(withAxes.isNull());
  EXPECT_EQ(picture.size(), QSize(300, 200));
  EXPECT_EQ(withAxes.size(), QSize(300, 200));
  EXPECT_EQ(withAxes, windowPicture.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(picture, bareWindowPicture.convertToFormat(QImage::Format_RGB32));
  EXPECT_NE(withAxes, picture);

  // Bragg's law by hand, Cu K-alpha1 (1.540562 A): 100 at d = 4, 110 at
  // d = 4/sqrt(2), 111 at 4/sqrt(3). Without axes each must be a drawn
  // column of the 20..80 degree window, 300 pixels wide; with axes, the
  // same through the plot area inside the frame.
  QRgb background = picture.pixel(0, 100);
  for (double d : {4.0, 4.0 / std::sqrt(2.0), 4.0 / std::sqrt(3.0)}) {
    double tt = 2.0 * std::asin(1.540562 / (2.0 * d)) * 180.0 / M_PI;
    int column = static_cast<int>((tt - 20.0) / 60.0 * 300.0);
    bool drawn = false;
    for (int x = column - 1; x <= column + 1; ++x) drawn = drawn || picture.pixel(x, 150) != background;
    EXPECT_TRUE(drawn) << "no line near " << tt << " degrees";
    column = static_cast<int>(axesScale.originX + (tt - 20.0) / 60.0 * axesScale.widthPixels);
    int row = axesScale.originY + axesScale.heightPixels * 3 / 4;
    drawn = false;
    for (int x = column - 1; x <= column + 1; ++x) drawn = drawn || withAxes.pixel(x, row) != background;
    EXPECT_TRUE(drawn) << "no line near " << tt << " degrees with axes";
  }
  // Between 100 (22.2) and the K-beta line of 110 (28.5) nothing is drawn.
  for (int x = static_cast<int>((23.0 - 20.0) / 60.0 * 300.0); x < static_cast<int>((28.0 - 20.0) / 60.0 * 300.0); ++x)
    ASSERT_EQ(picture.pixel(x, 150), background) << "column " << x;
  // The frame: the column just left of the plot area is drawn down its height.
  EXPECT_GT(axesScale.originX, 0);
  EXPECT_EQ(withAxes.pixel(axesScale.originX - 1, axesScale.originY + 10), qRgb(0, 0, 0));
}

long FullDisk(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

TEST(PlotExport, APictureThatCannotBeWrittenKeepsTheOldOne) {
  TempHome home;
  QtSurface surface(60, 40);
  surface.Line(0, 0, 59, 39, 0);
  for (const char* name : {"old.svg", "old.png", "old.bmp"}) {
    const QString path = home.File(name);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the old picture");
    old.close();
    SetWriteBlockCallForTesting(FullDisk);
    std::string error;
    const bool saved = SavePictureSafely(surface, path, error);
    SetWriteBlockCallForTesting(nullptr);
    EXPECT_FALSE(saved) << name;
    EXPECT_EQ(error, path.toStdString() + ": cannot be written: No space left on device");
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), QByteArray("the old picture")) << name;
    EXPECT_EQ(QDir(home.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "a temporary file was left";
    ASSERT_TRUE(QFile::remove(path));
  }
}

TEST(PlotExport, DataThatCannotBeReadAgainIsNamedWithStatusThree) {
  TempHome home;
  const QString data = home.File("pattern é.chi"), project = home.File("Projekt März.prb");
  auto writeData = [&](const char* text) {
    QFile f(data);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
  };
  writeData("t\nx\ny\n3\n20 5\n30 600\n40 7\n");
  {
    testing::ScriptedPlatform platform;
    MainModel m(platform);
    m.StartUp();
    ASSERT_TRUE(m.ImportDataFile("chi", data.toStdString()));
    ASSERT_TRUE(m.ProjectSaveFile(project.toStdString()));
  }
  std::string error;
  const QString out = home.File("plot.png");
  EXPECT_EQ(ExportPlot({project, out}, error), 0) << error;

  // Damaged, then gone: the picture is still drawn, the file is named, status 3.
  writeData("t\nx\ny\n3\n20 5\n30 abc\n40 7\n");
  error.clear();
  EXPECT_EQ(ExportPlot({project, out}, error), kDrawnWithoutData);
  EXPECT_EQ(error.rfind(data.toStdString() + ":6:", 0), 0u) << error;
  ASSERT_TRUE(QFile::remove(data));
  ASSERT_TRUE(QFile::remove(out));
  error.clear();
  EXPECT_EQ(ExportPlot({project, out}, error), kDrawnWithoutData);
  EXPECT_NE(error.find(data.toStdString() + ": the data file does not exist"), std::string::npos) << error;
  EXPECT_TRUE(QFile::exists(out));

  // The real program: non-ASCII names from the command line, the warning on
  // stderr and status 3.
  const QString picture = home.File("Bild ü.svg");
  QProcess run;
  auto env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  run.setProcessEnvironment(env);
  run.start(QUORLIN_APP_PATH, {"--export-plot", project, picture});
  ASSERT_TRUE(run.waitForFinished(30000));
  EXPECT_EQ(run.exitCode(), 3);
  const QString stderrText = QString::fromUtf8(run.readAllStandardError());
  EXPECT_TRUE(stderrText.contains(data + ": the data file does not exist")) << stderrText.toStdString();
  EXPECT_TRUE(QFile::exists(picture));
}

}  // namespace
}  // namespace quorlin
