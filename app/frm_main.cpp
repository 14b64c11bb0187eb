// frmMain's behaviour: start-up, the wiring of every control to the model,
// and the refresh of the controls and the plot from it. The widgets are
// built in frm_main_layout.cpp.
#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include "core/numtext.h"
#include "plot_export.h"
#include "plot_view.h"
#include "qt_platform.h"
#include "qt_surface.h"
#include "reflections/catalogue.h"

namespace quorlin {

frmMain::frmMain(IPlatform* platform, QWidget* parent) : QMainWindow(parent) {
  setObjectName("frmMain");
  setWindowTitle("Quorlin");
  if (platform == nullptr) {
    ownPlatform_ = std::make_unique<QtPlatform>(this);
    platform = ownPlatform_.get();
  }
  BuildControls();
  BuildMenus();
  resize(kDefaultSize);
  surface_ = std::make_unique<QtSurface>(std::max(1, picXRayPlot->width()), std::max(1, picXRayPlot->height()));
  model_ = std::make_unique<MainModel>(*platform, this);
  model_->StartUp();
  Connect();
  // Each group of tool windows wires its own menu items (wire_*.cpp).
  WireCrystalSystems();
  WireSettings();
  WirePhases();
  WireEnergy();
  WireLattice();
  WireRefinement();
  WireInteraction();
  RefreshPlotHistoryButtons();
  PlotLimitUpdate();
  SetCaption(model_->Caption);
  FormUpdate();
  MakeXRDPlot();
}

frmMain::~frmMain() {
  // The model must not call back into a half-destroyed window.
  if (model_) model_->SetView(nullptr);
  // Tool windows observe the model: they go before it does.
  for (auto& entry : toolWindows_) delete entry.second.data();
}

void frmMain::RestoreDefaultSize() {
  if (isMaximized() || isFullScreen()) showNormal();
  resize(kDefaultSize);
}


namespace {

MouseButton ModelButton(Qt::MouseButton b) {
  if (b == Qt::RightButton) return MouseButton::Right;
  if (b == Qt::MiddleButton) return MouseButton::Middle;
  return MouseButton::Left;
}

// Sets a box's text without a change event, keeping the caret where it was
// when the text is the same.
void Rewrite(QLineEdit* box, const std::string& text) {
  QString t = QString::fromStdString(text);
  if (box->text() == t) return;
  QSignalBlocker block(box);
  box->setText(t);
  // A box the user is not typing in shows its number from the first digit:
  // with the caret at the end a narrow box would show only the tail, and
  // "469.18954" would read as "69.18954".
  if (!box->hasFocus()) box->setCursorPosition(0);
}

int IndexIn(const auto& controls, const QObject* o) {
  for (int i = 0; i < static_cast<int>(controls.size()); ++i)
    if (controls[i] == o) return i;
  return -1;
}

}  // namespace

void frmMain::Connect() {
  MainModel& m = *model_;
  connect(cmdDefaultSize, &QPushButton::clicked, this, &frmMain::RestoreDefaultSize);
  connect(mnuExit, &QAction::triggered, this, &QWidget::close);
  WireHelp();
  for (int i = 0; i < 6; ++i) {
    CellText[i]->installEventFilter(this);
    connect(CellText[i], &QLineEdit::textEdited, this,
            [this, i](const QString& text) { model_->CellTextChanged(i, text.toStdString()); });
    // A thumb drag is one change: the model follows it live and closes it at
    // the release.
    connect(hsbCellParameters[i], &QScrollBar::sliderPressed, this, [this, i] { model_->CellScrollPressed(i); });
    connect(hsbCellParameters[i], &QScrollBar::valueChanged, this, [this, i](int value) {
      if (!refreshing_) model_->CellScrollChanged(i, value);
    });
    connect(hsbCellParameters[i], &QScrollBar::sliderReleased, this, [this, i] { model_->CellScrollReleased(i); });
    hsbCellParameters[i]->installEventFilter(this);
  }
  for (int i = 0; i < 4; ++i)
    connect(cmdUnitCellHistory[i], &QPushButton::clicked, this, [this, i] { model_->CellHistoryButton(i); });
  for (int i = 0; i < 3; ++i)
    connect(optCellShape[i], &QRadioButton::clicked, this, [this, i] { model_->CellShapeClicked(i); });
  for (int i = 0; i < 12; ++i)
    connect(cboExtinction[i], &QComboBox::activated, this, [this, i](int index) {
      if (!refreshing_) model_->ExtinctionComboClicked(i, index, cboExtinction[i]->count());
    });
  connect(btnExtinctionClear, &QPushButton::clicked, this, [this] { model_->ClearExtinctions(); });
  for (int i = 0; i < 7; ++i)
    connect(chkDimension[i], &QCheckBox::clicked, this,
            [this, i](bool ticked) { model_->DimensionClicked(i, ticked); });
  connect(cmdClearDiffraction, &QPushButton::clicked, this, [this] { model_->ClearDiffraction(); });

  connect(mouseGroup_, &QButtonGroup::idClicked, this, [this](int mode) {
    model_->SetMouseMode(static_cast<std::int16_t>(mode));
    FormUpdate();
  });
  connect(chkSnap, &QCheckBox::clicked, this, [this](bool on) { model_->SetSnap(on); });

  for (int i = 0; i < 4; ++i) {
    PlotLimits[i]->installEventFilter(this);
    connect(PlotLimits[i], &QLineEdit::textEdited, this,
            [this, i](const QString& text) { model_->PlotLimitChanged(i, text.toStdString()); });
    connect(cmdPlotHistory[i], &QPushButton::clicked, this, [this, i] { model_->PlotHistory(i); });
  }
  connect(cmdShiftLeft, &QPushButton::clicked, this, [this] { model_->ShiftLeft(); });
  connect(cmdShiftRight, &QPushButton::clicked, this, [this] { model_->ShiftRight(); });
  txtSpecimenDisplacement->installEventFilter(this);
  connect(txtSpecimenDisplacement, &QLineEdit::textEdited, this,
          [this](const QString& text) { model_->SpecimenDisplacementChanged(text.toStdString()); });
  connect(ReportText, &QWidget::customContextMenuRequested, this, [this] { PopupPlotMenu(); });
  connect(txtSpecimenDisplacement, &QWidget::customContextMenuRequested, this, [this] { PopupPlotMenu(); });
  connect(cmdUndo, &QPushButton::clicked, this, [this] { model_->Undo(); });
  connect(Command1, &QPushButton::clicked, this, &frmMain::SavePlotPicture);

  connect(picXRayPlot, &PlotView::Pressed, this, [this](Qt::MouseButton b, double x, double y) {
    if (model_->PlotMouseDown(ModelButton(b), static_cast<float>(x), static_cast<float>(y))) PopupPlotMenu();
  });
  connect(picXRayPlot, &PlotView::Moved, this, [this](Qt::MouseButtons buttons, double x, double y) {
    MouseButton b = (buttons & Qt::LeftButton) ? MouseButton::Left
                    : (buttons & Qt::RightButton) ? MouseButton::Right
                                                  : MouseButton::Middle;
    if (buttons == Qt::NoButton) return;  // hover: nothing to do
    model_->PlotMouseMove(b, static_cast<float>(x), static_cast<float>(y));
  });
  connect(picXRayPlot, &PlotView::Released, this, [this](Qt::MouseButton b, double x, double y) {
    model_->PlotMouseUp(ModelButton(b), static_cast<float>(x), static_cast<float>(y));
  });
  connect(picXRayPlot, &PlotView::Resized, this, [this] {
    if (surface_ && model_) MakeXRDPlot();
  });

  // Menus.
  connect(mnuGSAS, &QAction::triggered, this, [this] { model_->ImportData("gsa"); });
  connect(mnuCPI, &QAction::triggered, this, [this] { model_->ImportData("cpi"); });
  connect(mnuCHI, &QAction::triggered, this, [this] { model_->ImportData("chi"); });
  connect(mnuMCA, &QAction::triggered, this, [this] { model_->ImportData("mca"); });
  connect(mnuXYImport, &QAction::triggered, this, [this] { model_->ImportData("xy"); });
  connect(mnujcpds, &QAction::triggered, this, [this] { model_->ImportData("jcpds"); });
  connect(mnuCIF, &QAction::triggered, this, [this] { model_->ImportCif(); });
  connect(mnuXYFile, &QAction::triggered, this, [this] { model_->ExportXY(); });
  connect(mnuProjectOpen, &QAction::triggered, this, [this] { model_->ProjectOpen(); });
  connect(mnuProjectSave, &QAction::triggered, this, [this] { model_->ProjectSave(); });
  connect(mnuProjectSaveAsDefault, &QAction::triggered, this, [this] { model_->ProjectSaveAsDefault(); });
  connect(mnuRestoreDefaults, &QAction::triggered, this, [this] { model_->RestoreDefaults(); });
  connect(mnuDirect, &QAction::triggered, this, [this] { model_->SetLatticeType(1); });
  connect(mnuReciprocal, &QAction::triggered, this, [this] { model_->SetLatticeType(-1); });
  connect(mnuSysNone, &QAction::triggered, this, [this] { model_->SysNone(); });
  connect(mnuUnzoom, &QAction::triggered, this, [this] { model_->Unzoom(); });
  connect(mnuPlotAbsentLines, &QAction::triggered, this, [this] { model_->TogglePlotAbsences(); });
  connect(mnuSpecimenDisplacement, &QAction::triggered, this, [this] { model_->ToggleSpecimenDisplacement(); });
  connect(mnuFreeRemoval, &QAction::triggered, this, [this] { model_->ToggleFreeRemoval(); });
  connect(mnuShowReport, &QAction::triggered, this, [this] { model_->ToggleShowReport(); });
  connect(mnuLineIntensities, &QAction::triggered, this, [this] { model_->ToggleLineIntensities(); });
  (void)m;
}

void frmMain::FormUpdate() {
  if (!model_ || refreshing_) return;
  MainModel& m = *model_;
  refreshing_ = true;
  m.benaCellScroll = false;
  m.benaExtinctionCombo = false;

  // 1. Menus.
  mnuPlotAbsentLines->setChecked(m.pattern.PlotAbsences);
  mnuShowReport->setChecked(m.XRDPlot.ShowReport);
  mnuLineIntensities->setChecked(m.XRDPlot.ShowLineIntensities);
  mnuSpecimenDisplacement->setChecked(m.XRDPlot.ShowSpecimenDisplacement);
  mnuFreeRemoval->setChecked(m.pattern.FreeRemoval());
  mnuDirect->setChecked(m.UserCellType == 1);
  mnuReciprocal->setChecked(m.UserCellType == -1);

  // 2. Mouse modes, report and displacement boxes, snap, pointer.
  bool noSystem = m.CrystalSystem() == 8;
  cmdStrain->setEnabled(noSystem);
  // (The model itself drops a Full Strain mode back to Point without a free cell.)
  if (QAbstractButton* b = mouseGroup_->button(m.MouseMode())) {
    QSignalBlocker block(mouseGroup_);
    b->setChecked(true);
  }
  ReportText->setVisible(m.XRDPlot.ShowReport);
  ReportTextChanged();
  txtSpecimenDisplacement->setVisible(m.XRDPlot.ShowSpecimenDisplacement);
  if (!txtSpecimenDisplacement->hasFocus()) Rewrite(txtSpecimenDisplacement, SingleText(m.XRDPlot.SpecimenDisplacement));
  {
    QSignalBlocker block(chkSnap);
    chkSnap->setChecked(m.Snap());
  }
  RefreshMouseCursor();

  // 3. "Show diffraction from:".
  for (int i = 0; i < 7; ++i) {
    QSignalBlocker block(chkDimension[i]);
    chkDimension[i]->setChecked(m.pattern.DimensionFlags(i));
    chkDimension[i]->setEnabled(m.pattern.DimensionEnabled(i));
  }

  // 4. Axis restriction.
  for (int i = 0; i < 3; ++i) {
    QSignalBlocker block(optCellShape[i]);
    optCellShape[i]->setAutoExclusive(false);
    optCellShape[i]->setChecked(m.UnitCell.CellShape() == i);
    optCellShape[i]->setAutoExclusive(true);
  }

  // 5. Reflection conditions.
  for (int i = 0; i < 12; ++i) {
    QSignalBlocker block(cboExtinction[i]);
    int v = m.pattern.ExtCond(i);
    cboExtinction[i]->setCurrentIndex(v >= 0 && v < cboExtinction[i]->count() ? v : -1);
  }

  // 6. Scroll bars and cell texts.
  for (int i = 0; i < 6; ++i) {
    ScrollSetting s = m.CellScrollSetting(i);
    {
      QSignalBlocker block(hsbCellParameters[i]);
      hsbCellParameters[i]->setRange(s.Min, s.Max);
      hsbCellParameters[i]->setValue(s.Value);
    }
    // The box being typed in keeps its text (and caret); once it has lost the
    // focus it is rewritten like the others.
    if (i != m.EditedCellBox() || !CellText[i]->hasFocus())
      Rewrite(CellText[i], m.CellBoxText(i));
    bool independent = m.UnitCell.IsIndependent(i);
    CellText[i]->setEnabled(independent);
    hsbCellParameters[i]->setEnabled(independent);
  }
  RefreshCellHistoryButtons();

  m.benaCellScroll = true;
  m.benaExtinctionCombo = true;
  refreshing_ = false;
}

void frmMain::RefreshCellHistoryButtons() {
  const CUnitCell& c = model_->UnitCell;
  cmdUnitCellHistory[0]->setEnabled(c.BackwardOK());
  cmdUnitCellHistory[1]->setEnabled(c.BackwardOK());
  cmdUnitCellHistory[2]->setEnabled(c.ForwardOK());
  cmdUnitCellHistory[3]->setEnabled(c.ForwardOK());
}

void frmMain::RefreshMouseCursor() {
  switch (model_->MouseMode()) {
    case kCellEdge: picXRayPlot->setCursor(Qt::CrossCursor); break;
    case kHand: picXRayPlot->setCursor(Qt::SizeAllCursor); break;
    case kFullStrain:
    case kVolume: picXRayPlot->setCursor(Qt::IBeamCursor); break;
    default: picXRayPlot->setCursor(Qt::ArrowCursor); break;
  }
}

void frmMain::MakeXRDPlot() {
  if (!model_ || !surface_) return;
  QSize size = picXRayPlot->size();
  surface_->SetDevicePixelRatio(picXRayPlot->devicePixelRatioF());
  surface_->Resize(std::max(1, size.width()), std::max(1, size.height()));
  if (previewTimer_) previewTimer_->stop();  // this draw shows the latest state
  {
    // While a drag is held the plot shows what its release would give.
    PlotPreview preview(*model_);
    DrawPlot(*model_, *surface_);
  }
  // The mouse keeps the scale of the picture it was pressed on until the
  // release: a Hand drag's release then reads the same position whether or
  // not the picture moved under it.
  if (!model_->ButtonDown()) {
    const PlotScale& s = surface_->CurrentScale();
    picXRayPlot->SetUserScale(s.left, s.top, s.right - s.left, s.bottom - s.top);
    picXRayPlot->SetPlotArea(surface_->PlotArea());
  }
  picXRayPlot->SetPicture(surface_->Image());
  sinceDraw_.start();
  ++redraws_;
}

void frmMain::PlotLimitUpdate() {
  if (!model_) return;
  for (int i = 0; i < 4; ++i) Rewrite(PlotLimits[i], model_->PlotLimits[i]);
}

void frmMain::RefreshPlotHistoryButtons() {
  if (!model_) return;
  bool back = model_->XRDPlot.BackwardOK, forward = model_->XRDPlot.ForwardOK;
  cmdPlotHistory[0]->setEnabled(back);
  cmdPlotHistory[1]->setEnabled(back);
  cmdPlotHistory[2]->setEnabled(forward);
  cmdPlotHistory[3]->setEnabled(forward);
  mnuUnzoom->setEnabled(back);
}

void frmMain::ReportTextChanged() {
  if (!model_) return;
  QString text = QString::fromStdString(ReportWithPressure(*model_));
  if (ReportText->toPlainText() != text) ReportText->setPlainText(text);
  RefreshStatusReadout();
}

void frmMain::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void frmMain::RubberBandChanged(const std::optional<RubberBandFigure>& figure) {
  if (!figure) {
    picXRayPlot->ClearBand();
    return;
  }
  QPointF a(figure->x1, figure->y1), b(figure->x2, figure->y2);
  if (figure->kind == RubberBandFigure::Kind::Box)
    picXRayPlot->ShowBox(a, b);
  else
    picXRayPlot->ShowSegment(a, b);
}

void frmMain::PopupPlotMenu() { mnuOptions->popup(QCursor::pos()); }

void frmMain::SavePlotPicture() {
  MainModel& m = *model_;
  FileDialogRequest request;
  request.title = "Save Picture";
  request.filters = {{"Bitmap Files (*.bmp)", "*.bmp"}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "bmp";
  request.initialFolder = m.ProjectDirectory;
  std::optional<std::string> path = m.Platform().SaveFileDialog(request);
  if (!path) return;
  m.BitmapDirectory = FolderOf(*path);
  std::string error;
  if (!SavePictureSafely(*surface_, QString::fromStdString(*path), error)) m.Platform().ShowMessage(error);
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!model_->QueryExit()) {
    event->ignore();
    return;
  }
  event->accept();
  // Closing the main window closes every other window of the program.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible()) w->close();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  // The program's Undo wins over a text box's own: the box's text undo
  // would change the text without changing the model.
  if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo))
    return true;
  if (watched == txtSpecimenDisplacement) {
    if (event->type() == QEvent::FocusIn) model_->SpecimenDisplacementGotFocus();
    // A refused entry leaves the box showing the value in force.
    if (event->type() == QEvent::FocusOut)
      Rewrite(txtSpecimenDisplacement, SingleText(model_->XRDPlot.SpecimenDisplacement));
  }
  int cell = IndexIn(CellText, watched);
  int limit = IndexIn(PlotLimits, watched);
  if (event->type() == QEvent::FocusIn && (cell >= 0 || limit >= 0)) {
    auto* box = static_cast<QLineEdit*>(watched);
    // Re-activating the window or closing a pop-up gives the focus back
    // without the user moving it.
    Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    bool returned = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    if (cell >= 0) model_->CellTextGotFocus(cell, returned);
    else model_->PlotLimitGotFocus(limit, returned);
    // Select after the click that gave the focus has placed the caret.
    QTimer::singleShot(0, box, [box] { box->selectAll(); });
  } else if (event->type() == QEvent::FocusOut && (cell >= 0 || limit >= 0)) {
    auto* box = static_cast<QLineEdit*>(watched);
    Rewrite(box, cell >= 0 ? model_->CellTextLostFocus(cell) : model_->PlotLimitLostFocus(limit));
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace quorlin
