// The plot's everyday gestures around the mouse modes: the status-bar
// read-out and hover tooltips, the wheel zoom, the usual shortcuts, Esc to
// drop a held drag, and files dropped on the window. The arithmetic lives in
// the model (cursor_readout, plot_navigation, dropped_file); this wires it.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <cmath>

#include "frm_main.h"
#include "frm_standard_unit_cells.h"
#include "mainwindow/cursor_readout.h"
#include "mainwindow/dropped_file.h"
#include "plot_view.h"

namespace quorlin {

namespace {

// A line within this many pixels of the mouse gets a tooltip.
constexpr double kHoverPixels = 4.0;

QString LocalFileOf(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls() || mime->urls().isEmpty()) return {};
  const QUrl& url = mime->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

void frmMain::WireInteraction() {
  lblCursorReadout = new QLabel(this);
  lblCursorReadout->setObjectName("lblCursorReadout");
  statusBar()->setObjectName("StatusBar");
  statusBar()->addWidget(lblCursorReadout, 1);

  // Moves of a held drag come faster than the screen shows them: each marks
  // the plot dirty and one draw per frame shows the latest.
  previewTimer_ = new QTimer(this);
  previewTimer_->setSingleShot(true);
  connect(previewTimer_, &QTimer::timeout, this, [this] { MakeXRDPlot(); });

  connect(picXRayPlot, &PlotView::Moved, this,
          [this](Qt::MouseButtons, double x, double y) { ShowCursorReadout(x, y); });
  connect(picXRayPlot, &PlotView::WheelSteps, this,
          [this](int steps, double x, double) { model_->WheelZoom(static_cast<float>(x), steps); });

  mnuProjectOpen->setShortcut(QKeySequence::Open);
  mnuProjectSave->setShortcut(QKeySequence::Save);
  mnuUnzoom->setShortcut(Qt::Key_Home);
  auto* undo = new QShortcut(QKeySequence::Undo, this);
  connect(undo, &QShortcut::activated, this, [this] {
    // As a click on the button: the box being typed in is left first.
    cmdUndo->setFocus(Qt::ShortcutFocusReason);
    model_->Undo();
  });
  auto* escape = new QShortcut(Qt::Key_Escape, this);
  connect(escape, &QShortcut::activated, this, [this] { model_->CancelPlotGesture(); });

  setAcceptDrops(true);
}

void frmMain::ShowCursorReadout(double x, double y) {
  (void)y;
  const MainModel& m = *model_;
  const auto fx = static_cast<float>(x);
  cursorX_ = fx;
  RefreshStatusReadout();
  if (model_->ButtonDown()) return;  // no tooltip over a gesture
  QPointF pixel = picXRayPlot->ToPixel(QPointF(x, y));
  double tolerance = std::fabs(picXRayPlot->ToUser(pixel + QPointF(kHoverPixels, 0)).x() - x);
  if (auto line = LineUnderCursor(m, fx, static_cast<float>(tolerance))) {
    QString tip = QString::fromStdString(LineToolTip(m, *line));
    if (picXRayPlot->toolTip() != tip) {
      picXRayPlot->setToolTip(tip);
      QToolTip::showText(picXRayPlot->mapToGlobal(pixel.toPoint()), tip, picXRayPlot);
    }
  } else if (!picXRayPlot->toolTip().isEmpty()) {
    picXRayPlot->setToolTip(QString());
    QToolTip::hideText();
  }
}

void frmMain::RefreshStatusReadout() {
  if (!model_ || !lblCursorReadout) return;
  // A marked pressure standard's pressure follows the cell: during a drag,
  // after a typed change, a refinement or an Undo.
  const std::string pressure = MarkedPressureText(*model_);
  std::string text = cursorX_ ? CursorStatusText(*model_, *cursorX_) : std::string();
  if (!pressure.empty()) text += (text.empty() ? "" : "  ") + pressure;
  lblCursorReadout->setText(QString::fromStdString(text));
}

void frmMain::PlotPreviewChanged() {
  if (previewTimer_ == nullptr || previewTimer_->isActive()) return;  // the pending frame draws the latest
  double hz = screen() != nullptr ? screen()->refreshRate() : 60.0;
  const qint64 frame = static_cast<qint64>(1000.0 / (hz > 1 ? hz : 60.0));
  const qint64 since = sinceDraw_.isValid() ? sinceDraw_.elapsed() : frame;
  previewTimer_->start(static_cast<int>(std::max<qint64>(0, frame - since)));
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFileOf(event->mimeData()).isEmpty() && !model_->ButtonDown()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
  QString path = LocalFileOf(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  OpenNamedFile(path);
}

bool frmMain::OpenNamedFile(const QString& path) {
  const std::string name = path.toStdString();
  const bool library = DroppedFileType(name, {}) == "library";
  auto* cells = FindToolWindow<frmStandardUnitCells>();
  const bool cellsOpen = cells != nullptr && cells->isVisible();
  // Another library would replace the open window's unsaved cells.
  if (library && cellsOpen && cells->Logic().Changed()) {
    model_->Platform().ShowMessage("Save or close the unit cell database before opening " + name + ".");
    return false;
  }
  if (!OpenDroppedFile(*model_, name)) return false;
  if (!library) return true;
  // The library is read into its window, which shows it at once.
  if (cellsOpen) {
    cells->Logic().Open();
    cells->RefreshNow();
  }
  ShowToolWindow<frmStandardUnitCells>();
  return true;
}

}  // namespace quorlin
