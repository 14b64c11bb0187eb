// The main window's plot as a user meets it, driven offscreen through real
// events: the status-bar read-out and tooltips on hover, lines that follow a
// held drag (drawn at most once per frame) and Esc, the wheel, the
// shortcuts, and a file dropped on the window.

#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QWheelEvent>

#include "gui_support.h"
#include "plot_view.h"

namespace quorlin {
namespace {

using testing::App;

struct Fixture : testing::MainWindowFixture {
  Fixture() {
    MainModel& m = window.Model();
    m.EliminateSymmetry();
    m.pattern.SetDimensionFlags(6, true);
    EXPECT_TRUE(m.UnitCell.SetCell(1, {5, 5, 5, 90, 90, 90}));
    EXPECT_TRUE(m.XRDPlot.SetTTMax("60"));
    EXPECT_TRUE(m.XRDPlot.SetTTMin("10"));
    m.XRDPlot.LimitHistory(-1);
    m.PlotLimitUpdate();
    window.FormUpdate();
    window.MakeXRDPlot();
  }
  PlotView* plot() { return window.picXRayPlot; }
  QPoint PixelAt(double x, double y) { return plot()->ToPixel(QPointF(x, y)).toPoint(); }
  float TT200() { return m().XRDPlot.TTFromD(m().data.Lambda(m().data.PrimaryLineIndex()), 2.5f); }
  // A move with the given buttons held, delivered without running the event loop.
  void Move(QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), plot()->mapToGlobal(QPointF(at)), Qt::NoButton, buttons, {});
    QApplication::sendEvent(plot(), &e);
  }
};

TEST(FrmMainInteraction, HoverReadsOutInTheStatusBarWithoutRedrawingAndNamesTheLineUnderTheMouse) {
  Fixture f;
  auto* label = f.window.findChild<QLabel*>("lblCursorReadout");
  ASSERT_NE(label, nullptr);
  const int redraws = f.window.RedrawCount();
  const QPoint onLine = f.PixelAt(f.TT200(), 100);
  f.Move(onLine + QPoint(0, 5), Qt::NoButton);
  const QString first = label->text();
  EXPECT_TRUE(first.startsWith("2θ = ")) << first.toStdString();
  EXPECT_NE(first.indexOf("d = "), -1);
  EXPECT_NE(first.indexOf("nearest "), -1);
  // Near the 200 line: its tooltip, with the spacing a / 2.
  EXPECT_NE(f.plot()->toolTip().indexOf("d = 2.5000 Å"), -1) << f.plot()->toolTip().toStdString();
  f.Move(onLine + QPoint(40, 5), Qt::NoButton);
  EXPECT_NE(label->text(), first);
  EXPECT_TRUE(f.plot()->toolTip().isEmpty());
  EXPECT_EQ(f.window.RedrawCount(), redraws) << "a hover never redraws";
}

TEST(FrmMainInteraction, HeldDragLinesFollowOncePerFrameAndEscPutsEverythingBack) {
  Fixture f;
  MainModel& m = f.m();
  f.window.cmdDrag->click();
  ASSERT_EQ(m.MouseMode(), kCellEdge);
  auto edges = [&m] {
    return m.UnitCell.CellParameters(0, 1) + " " + m.UnitCell.CellParameters(1, 1) + " " +
           m.UnitCell.CellParameters(2, 1);
  };
  const std::string a = edges();
  const QImage before = f.plot()->Picture();
  const QPoint press = f.PixelAt(f.TT200(), 100);
  QTest::mousePress(f.plot(), Qt::LeftButton, {}, press);
  const int redraws = f.window.RedrawCount();
  // A burst of moves: each marks the plot dirty, none draws by itself.
  for (int i = 1; i <= 10; ++i) f.Move(press + QPoint(4 * i, 0), Qt::LeftButton);
  EXPECT_EQ(f.window.RedrawCount(), redraws);
  QTest::qWait(60);
  EXPECT_EQ(f.window.RedrawCount(), redraws + 1) << "one draw for the whole burst";
  EXPECT_NE(f.plot()->Picture(), before) << "the lines moved with the mouse";
  EXPECT_EQ(edges(), a) << "nothing is committed while the button is held";
  EXPECT_EQ(f.window.CellText[0]->text().toStdString(), m.UnitCell.CellParameters(0, 1));

  QTest::keyClick(&f.window, Qt::Key_Escape);
  QTest::qWait(60);
  EXPECT_FALSE(m.ButtonDown());
  EXPECT_EQ(edges(), a);
  EXPECT_EQ(f.plot()->Picture(), before) << "the drawn lines are back where they were";
  QTest::mouseRelease(f.plot(), Qt::LeftButton, {}, press + QPoint(40, 0));
  EXPECT_EQ(edges(), a);

  // A drag released where it was shown commits that cell.
  QTest::mousePress(f.plot(), Qt::LeftButton, {}, press);
  f.Move(press + QPoint(30, 0), Qt::LeftButton);
  QTest::qWait(60);
  const QImage shown = f.plot()->Picture();
  QTest::mouseRelease(f.plot(), Qt::LeftButton, {}, press + QPoint(30, 0));
  EXPECT_NE(edges(), a);
  EXPECT_EQ(f.plot()->Picture(), shown) << "the release draws what the drag showed";
}

TEST(FrmMainInteraction, TheWheelZoomsAboutTheCursorAndHomeUnzooms) {
  Fixture f;
  MainModel& m = f.m();
  const QPoint at = f.PixelAt(22.5, 100);
  const double x = f.plot()->ToUser(QPointF(at)).x();
  QWheelEvent wheel(QPointF(at), f.plot()->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 120), Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(f.plot(), &wheel);
  const double lo = m.XRDPlot.SngTTMin(), hi = m.XRDPlot.SngTTMax();
  EXPECT_NEAR(hi - lo, 40.0, 1e-3);
  EXPECT_NEAR((x - lo) / (hi - lo), (x - 10) / 50, 1e-5);
  EXPECT_EQ(f.window.PlotLimits[0]->text().toStdString(), m.PlotLimits[0]);
  EXPECT_TRUE(f.window.mnuUnzoom->isEnabled());
  QTest::keyClick(&f.window, Qt::Key_Home);
  EXPECT_GT(m.XRDPlot.SngTTMax() - m.XRDPlot.SngTTMin(), hi - lo);
  EXPECT_FALSE(f.window.mnuUnzoom->isEnabled()) << "Home went to the oldest window";
}

TEST(FrmMainInteraction, PlatformShortcutsOpenSaveAndUndo) {
  Fixture f;
  MainModel& m = f.m();
  QLineEdit* box = f.window.CellText[0];
  box->setFocus();
  App().processEvents();
  QTest::keyClick(box, Qt::Key_7);
  ASSERT_EQ(m.UnitCell.CellParameters(0, 1), "7");
  // Undo from inside the box undoes the model, not just the box's text.
  QTest::keySequence(box, QKeySequence::Undo);
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "5");
  EXPECT_EQ(box->text(), "5");

  QTest::keySequence(&f.window, QKeySequence::Open);
  ASSERT_FALSE(f.platform.dialogs.empty());
  EXPECT_EQ(f.platform.dialogs.back().title, "Open File");
  QTest::keySequence(&f.window, QKeySequence::Save);
  EXPECT_EQ(f.platform.dialogs.back().title, "Save Project");
}

TEST(FrmMainInteraction, ADroppedPatternOpensAndABadFileGetsOneMessage) {
  Fixture f;
  auto drop = [&](const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&f.window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&f.window, &dropped);
  };
  drop(QUORLIN_SHARED_DIR "/realdata/chi/feooh.chi");
  EXPECT_TRUE(f.m().DataOpened());
  EXPECT_NE(f.window.windowTitle().indexOf("feooh.chi"), -1);
  const int points = f.m().data.NChan();
  f.platform.messages.clear();
  QFile junk(f.home.File("junk.xy"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("no numbers here\n");
  junk.close();
  drop(junk.fileName());
  EXPECT_EQ(f.platform.messages.size(), 1u);
  EXPECT_EQ(f.m().data.NChan(), points);
}

}  // namespace
}  // namespace quorlin
