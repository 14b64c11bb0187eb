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
#include <QTimer>

#include "core/numtext.h"
#include "plot_export.h"
#include "plot_view.h"
#include "qt_platform.h"
#include "qt_surface.h"
#include "reflections/catalogue.h"

namespace quorlin {

namespace {

QString Indexed(const char* name, int i) { return QString("%1(%2)").arg(name).arg(i); }

const char* const kCellTips[6] = {
    "Unit cell parameter \"a\" in Angstroms",  "Unit cell parameter \"b\" in Angstroms",
    "Unit cell parameter \"c\" in Angstroms",  "Unit cell angle \"alpha\" in degrees",
    "Unit cell angle \"beta\" in degrees",     "Unit cell angle \"gamma\" in degrees"};
const char* const kCellNames[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
const char* const kHistoryCaptions[4] = {"<<", "<", ">", ">>"};

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QAction* Action(QMenu* menu, const QString& name, const QString& caption, bool checkable = false) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  a->setCheckable(checkable);
  return a;
}

QMenu* Menu(QWidget* parent, const QString& name, const QString& caption) {
  auto* m = new QMenu(caption, parent);
  m->setObjectName(name);
  return m;
}

}  // namespace

QStringList ZoneItems(int zone) {
  QStringList items;
  if (zone < 0 || zone >= kZoneCount) return items;
  for (std::string_view item : ZoneSelectors()[zone].items)
    items << QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
  return items;
}

QString ZoneLabel(int zone) {
  if (zone < 0 || zone >= kZoneCount) return QString();
  std::string_view label = ZoneSelectors()[zone].label;
  return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

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

void frmMain::BuildControls() {
  auto* central = new QWidget(this);
  central->setObjectName("centralWidget");
  auto* grid = new QGridLayout(central);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(4);

  auto* left = new QVBoxLayout;
  picXRayPlot = new PlotView(central);
  left->addWidget(picXRayPlot, 1);
  left->addWidget(BuildPlotControls());

  auto* rightPanel = new QWidget(central);
  rightPanel->setFixedWidth(252);
  auto* right = new QVBoxLayout(rightPanel);
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(2);
  right->addWidget(BuildCellEditor());
  right->addWidget(BuildDimensions());
  auto* bottomButtons = new QGridLayout;
  cmdUndo = Button("cmdUndo", "Undo", central);
  Command1 = Button("Command1", "Save plot to a bitmap file", central);
  cmdDefaultSize = Button("cmdDefaultSize", "Default Size", central);
  bottomButtons->addWidget(cmdUndo, 0, 0);
  bottomButtons->addWidget(cmdDefaultSize, 0, 1);
  bottomButtons->addWidget(Command1, 1, 0, 1, 2);
  right->addLayout(bottomButtons);
  right->addStretch(1);

  grid->addLayout(left, 0, 0);
  grid->addWidget(rightPanel, 0, 1);
  grid->addWidget(BuildConditions(), 1, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  grid->setRowStretch(0, 1);
  setCentralWidget(central);

  connect(cmdDefaultSize, &QPushButton::clicked, this, &frmMain::RestoreDefaultSize);
}

QWidget* frmMain::BuildCellEditor() {
  auto* box = new QGroupBox("Unit Cell Parameters");
  box->setObjectName("fraUnitCell");
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(2, 2, 2, 2);
  v->setSpacing(2);
  for (int frame = 0; frame < 2; ++frame) {
    auto* f = new QGroupBox(frame == 0 ? "Edge Lengths" : "Angles", box);
    f->setObjectName(frame == 0 ? "fraEdges" : "fraAngles");
    auto* g = new QGridLayout(f);
    g->setContentsMargins(4, 2, 4, 2);
    g->setVerticalSpacing(1);
    for (int r = 0; r < 3; ++r) {
      int i = frame * 3 + r;
      auto* label = new QLabel(kCellNames[i], f);
      CellText[i] = new QLineEdit(f);
      CellText[i]->setObjectName(Indexed("CellText", i));
      CellText[i]->setToolTip(kCellTips[i]);
      CellText[i]->setFixedWidth(76);
      hsbCellParameters[i] = new QScrollBar(Qt::Horizontal, f);
      hsbCellParameters[i]->setObjectName(Indexed("hsbCellParameters", i));
      hsbCellParameters[i]->setMinimumWidth(60);
      g->addWidget(label, r, 0);
      g->addWidget(CellText[i], r, 1);
      g->addWidget(hsbCellParameters[i], r, 2);
    }
    v->addWidget(f);
  }
  auto* history = new QHBoxLayout;
  for (int i = 0; i < 4; ++i) {
    cmdUnitCellHistory[i] = Button(Indexed("cmdUnitCellHistory", i), kHistoryCaptions[i], box);
    cmdUnitCellHistory[i]->setFixedWidth(34);
    history->addWidget(cmdUnitCellHistory[i]);
  }
  v->addLayout(history);

  auto* shape = new QGroupBox("Axis Restrictions:", box);
  shape->setObjectName("fraCellShape");
  auto* sv = new QVBoxLayout(shape);
  sv->setContentsMargins(2, 1, 2, 1);
  sv->setSpacing(0);
  const char* const captions[3] = {"none", "a = b", "a = b = c; alpha = beta = gamma"};
  for (int i = 0; i < 3; ++i) {
    optCellShape[i] = new QRadioButton(captions[i], shape);
    optCellShape[i]->setObjectName(Indexed("optCellShape", i));
    sv->addWidget(optCellShape[i]);
  }
  v->addWidget(shape);
  return box;
}

QWidget* frmMain::BuildDimensions() {
  auto* box = new QGroupBox("Show diffraction from:");
  box->setObjectName("fraDimension");
  auto* outer = new QVBoxLayout(box);
  outer->setContentsMargins(4, 2, 4, 2);
  outer->setSpacing(1);
  auto* h = new QHBoxLayout;
  h->setSpacing(2);
  outer->addLayout(h);
  struct Group {
    const char* caption;
    int first, count;
  };
  const Group groups[3] = {{"Lines", 0, 3}, {"Planes", 3, 3}, {"Everything", 6, 1}};
  const char* const captions[7] = {"a", "b", "c", "b-c", "a-c", "a-b", "a-b-c"};
  for (const Group& g : groups) {
    auto* f = new QGroupBox(g.caption, box);
    auto* fv = new QVBoxLayout(f);
    fv->setContentsMargins(3, 1, 3, 1);
    for (int i = g.first; i < g.first + g.count; ++i) {
      chkDimension[i] = new QCheckBox(captions[i], f);
      chkDimension[i]->setObjectName(Indexed("chkDimension", i));
      fv->addWidget(chkDimension[i]);
    }
    fv->addStretch(1);
    h->addWidget(f);
  }
  cmdClearDiffraction = Button("cmdClearDiffraction", "Clear", box);
  outer->addWidget(cmdClearDiffraction, 0, Qt::AlignRight);
  return box;
}

QWidget* frmMain::BuildConditions() {
  auto* box = new QGroupBox("Reflection conditions");
  box->setObjectName("fraExtinction");
  auto* g = new QGridLayout(box);
  g->setContentsMargins(4, 2, 4, 2);
  g->setVerticalSpacing(1);
  for (int i = 0; i < 12; ++i) {
    int row = i / 3, col = (i % 3) * 2;
    auto* label = new QLabel(ZoneLabel(i), box);
    label->setObjectName(Indexed("lblExtinction", i));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cboExtinction[i] = new QComboBox(box);
    cboExtinction[i]->setObjectName(Indexed("cboExtinction", i));
    cboExtinction[i]->addItems(ZoneItems(i));
    cboExtinction[i]->setCurrentIndex(-1);
    cboExtinction[i]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboExtinction[i]->setMinimumContentsLength(5);
    label->setBuddy(cboExtinction[i]);
    g->addWidget(label, row, col);
    g->addWidget(cboExtinction[i], row, col + 1);
    g->setColumnStretch(col + 1, 1);
  }
  btnExtinctionClear = Button("btnExtinctionClear", "Clear", box);
  g->addWidget(btnExtinctionClear, 4, 5);
  return box;
}

QWidget* frmMain::BuildPlotControls() {
  auto* panel = new QWidget;
  auto* v = new QVBoxLayout(panel);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(2);

  auto* limits = new QHBoxLayout;
  const char* const tips[4] = {"Minimum of the horizontal axis", "Maximum of the horizontal axis",
                               "Minimum intensity", "Maximum intensity"};
  for (int i = 0; i < 4; ++i) {
    PlotLimits[i] = new QLineEdit(panel);
    PlotLimits[i]->setObjectName(Indexed("PlotLimits", i));
    PlotLimits[i]->setToolTip(tips[i]);
    PlotLimits[i]->setFixedWidth(64);
    limits->addWidget(PlotLimits[i]);
  }
  limits->addStretch(1);
  v->addLayout(limits);

  auto* nav = new QHBoxLayout;
  cmdShiftLeft = Button("cmdShiftLeft", "Shift L&eft", panel);
  cmdShiftRight = Button("cmdShiftRight", "Shift Ri&ght", panel);
  nav->setSpacing(2);
  nav->addWidget(cmdShiftLeft);
  for (int i = 0; i < 4; ++i) {
    cmdPlotHistory[i] = Button(Indexed("cmdPlotHistory", i), kHistoryCaptions[i], panel);
    cmdPlotHistory[i]->setFixedWidth(30);
    nav->addWidget(cmdPlotHistory[i]);
  }
  nav->addWidget(cmdShiftRight);
  nav->addStretch(1);
  v->addLayout(nav);

  auto* modes = new QHBoxLayout;
  auto* mouse = new QGroupBox("Mouse", panel);
  mouse->setObjectName("fraMouse");
  auto* mh = new QHBoxLayout(mouse);
  mh->setContentsMargins(3, 1, 3, 1);
  cmdHand = Button("cmdHand", "Ha&nd", mouse);
  cmdPoint = Button("cmdPoint", "Po&int", mouse);
  mh->addWidget(cmdHand);
  mh->addWidget(cmdPoint);
  auto* drag = new QGroupBox("Peak drag", panel);
  drag->setObjectName("fraPeakDrag");
  auto* dh = new QGridLayout(drag);
  dh->setContentsMargins(3, 1, 3, 1);
  cmdVolume = Button("cmdVolume", "&Volume", drag);
  cmdDrag = Button("cmdDrag", "&Cell Edge", drag);
  cmdStrain = Button("cmdStrain", "Full &Strain", drag);
  chkSnap = new QCheckBox("Snap to peak", drag);
  chkSnap->setObjectName("chkSnap");
  dh->addWidget(cmdVolume, 0, 0);
  dh->addWidget(cmdDrag, 0, 1);
  dh->addWidget(cmdStrain, 0, 2);
  dh->addWidget(chkSnap, 1, 0, 1, 3);
  mouseGroup_ = new QButtonGroup(this);
  mouseGroup_->setExclusive(true);
  // Ids are the mouse modes: 1 Point, 2 Cell Edge, 3 Hand, 4 Full Strain, 5 Volume.
  QPushButton* byMode[5] = {cmdPoint, cmdDrag, cmdHand, cmdStrain, cmdVolume};
  for (int m = 0; m < 5; ++m) {
    byMode[m]->setCheckable(true);
    mouseGroup_->addButton(byMode[m], m + 1);
  }
  cmdPoint->setChecked(true);
  modes->addWidget(mouse);
  modes->addStretch(1);
  v->addLayout(modes);
  v->addWidget(drag);

  auto* report = new QHBoxLayout;
  ReportText = new QTextEdit(panel);
  ReportText->setObjectName("ReportText");
  ReportText->setReadOnly(true);
  ReportText->setMaximumHeight(90);
  ReportText->setContextMenuPolicy(Qt::CustomContextMenu);
  txtSpecimenDisplacement = new QLineEdit(panel);
  txtSpecimenDisplacement->setObjectName("txtSpecimenDisplacement");
  txtSpecimenDisplacement->setToolTip("Specimen displacement");
  txtSpecimenDisplacement->setMaximumWidth(80);
  txtSpecimenDisplacement->setContextMenuPolicy(Qt::CustomContextMenu);
  report->addWidget(ReportText, 1);
  report->addWidget(txtSpecimenDisplacement, 0, Qt::AlignTop);
  v->addLayout(report);
  return panel;
}

void frmMain::BuildMenus() {
  QMenuBar* bar = menuBar();

  mnuFile = Menu(this, "mnuFile", "&File");
  mnuOpen = Menu(mnuFile, "mnuOpen", "&Import data");
  mnuGSAS = Action(mnuOpen, "mnuGSAS", "GSAS file");
  mnuCPI = Action(mnuOpen, "mnuCPI", "Sietronics CPI file");
  mnuCHI = Action(mnuOpen, "mnuCHI", "CHI file");
  mnuMCA = Action(mnuOpen, "mnuMCA", "MCA file");
  mnuXYImport = Action(mnuOpen, "mnuXYImport", "xy file");
  mnuFile->addMenu(mnuOpen);
  mnuExportData = Menu(mnuFile, "mnuExportData", "&Export data");
  mnuXYFile = Action(mnuExportData, "mnuXYFile", "xy file (*.xy)");
  mnuFile->addMenu(mnuExportData);
  mnuFile->addSeparator();
  mnuProjectOpen = Action(mnuFile, "mnuProjectOpen", "&Open a Previous Project");
  mnuProjectSave = Action(mnuFile, "mnuProjectSave", "&Save Project in a (.prb) File");
  mnuProjectSaveAsDefault = Action(mnuFile, "mnuProjectSaveAsDefault", "Save Current Project as &Default");
  mnuRestoreDefaults = Action(mnuFile, "mnuRestoreDefaults", "&Restore the Factory Default");
  mnuStandardUnitCells = Action(mnuFile, "mnuStandardUnitCells", "&Unit Cell Databases");
  mnuFile->addSeparator();
  mnujcpds = Action(mnuFile, "mnujcpds", "Open a &jcpds file");
  mnuFile->addSeparator();
  mnuExit = Action(mnuFile, "mnuExit", "E&xit");
  bar->addMenu(mnuFile);

  mnuTranslations = Menu(this, "mnuTranslations", "&Translations");
  mnuAddCentering = Action(mnuTranslations, "mnuAddCentering", "&Add Centering");
  mnuCellManipulation = Action(mnuTranslations, "mnuCellManipulation", "&Cell transformation");
  mnuCheckLatticePoints = Action(mnuTranslations, "mnuCheckLatticePoints", "&Superlattices");
  bar->addMenu(mnuTranslations);

  mnuLattice = Menu(this, "mnuLattice", "&Lattice");
  mnuDirect = Action(mnuLattice, "mnuDirect", "&Direct", true);
  mnuReciprocal = Action(mnuLattice, "mnuReciprocal", "&Reciprocal", true);
  mnuDirect->setChecked(true);
  bar->addMenu(mnuLattice);

  mnuExtinctions = Menu(this, "mnuExtinctions", "&Crystal System");
  mnuCubic = Action(mnuExtinctions, "mnuCubic", "&Cubic", true);
  mnuHexagonal = Action(mnuExtinctions, "mnuHexagonal", "&Hexagonal", true);
  mnuTrigonal = Action(mnuExtinctions, "mnuTrigonal", "T&rigonal", true);
  mnuTetragonal = Action(mnuExtinctions, "mnuTetragonal", "&Tetragonal", true);
  mnuOrthorhombic = Action(mnuExtinctions, "mnuOrthorhombic", "&Orthorhombic", true);
  mnuMonoclinic = Action(mnuExtinctions, "mnuMonoclinic", "&Monoclinic", true);
  mnuTriclinic = Action(mnuExtinctions, "mnuTriclinic", "Tric&linic", true);
  mnuSysNone = Action(mnuExtinctions, "mnuSysNone", "&None", true);
  bar->addMenu(mnuExtinctions);

  mnuOptions = Menu(this, "mnuOptions", "Pl&ot");
  mnuUnzoom = Action(mnuOptions, "mnuUnzoom", "&Unzoom");
  mnuPlotAbsentLines = Action(mnuOptions, "mnuPlotAbsentLines", "&Plot absent lines", true);
  mnuColors = Action(mnuOptions, "mnuColors", "Choose Line &Colors and Widths");
  mnuSpecimenDisplacement = Action(mnuOptions, "mnuSpecimenDisplacement", "&Specimen Displacement", true);
  mnuFreeRemoval = Action(mnuOptions, "mnuFreeRemoval", "&Allow free removal of planes and lines", true);
  mnuShowReport = Action(mnuOptions, "mnuShowReport", "Show &Report", true);
  bar->addMenu(mnuOptions);

  mnuUtilities = Menu(this, "mnuUtilities", "&Utilities");
  mnuStorePatterns = Action(mnuUtilities, "mnuStorePatterns", "&Store Patterns (multiphase)");
  mnuChangeWavelength = Action(mnuUtilities, "mnuChangeWavelength", "Source &Wavelengths");
  mnuCellScaleChange = Action(mnuUtilities, "mnuCellScaleChange", "&Change cell parameter scroll ranges");
  mnuChangeLimits = Action(mnuUtilities, "mnuChangeLimits", "Change &h,k,l limits");
  mnuDSpacing = Action(mnuUtilities, "mnuDSpacing", "&D-spacing calculation");
  mnuVolumeTracking = Action(mnuUtilities, "mnuVolumeTracking", "&Volume Tracking");
  mnuLatticeProjections = Action(mnuUtilities, "mnuLatticeProjections", "&Draw Lattice Projections");
  mnuFluorescenceLines = Action(mnuUtilities, "mnuFluorescenceLines", "&Fluorescence lines");
  mnuEnergyDispersive = Action(mnuUtilities, "mnuEnergyDispersive", "&Energy Dispersive");
  mnuRefineCell = Action(mnuUtilities, "mnuRefineCell", "&Refine Cell");
  bar->addMenu(mnuUtilities);

  // Pop-up menus, not shown in the bar.
  mnuPopups = Menu(this, "mnuPopups", "Popups");
  mnuCellScrolls = Menu(mnuPopups, "mnuCellScrolls", "CellScrolls");
  mnuCellScaleChange2 = Action(mnuCellScrolls, "mnuCellScaleChange2", "Change cell parameter scroll ranges");
  mnuPopups->addMenu(mnuCellScrolls);

  // A command whose window is not wired yet stays greyed out.
  for (QAction* a : {mnuStandardUnitCells, mnuAddCentering, mnuCellManipulation, mnuCheckLatticePoints,
                     mnuCubic, mnuHexagonal, mnuTrigonal, mnuTetragonal, mnuOrthorhombic, mnuMonoclinic,
                     mnuTriclinic, mnuColors, mnuStorePatterns, mnuChangeWavelength, mnuCellScaleChange,
                     mnuChangeLimits, mnuDSpacing, mnuVolumeTracking, mnuLatticeProjections,
                     mnuFluorescenceLines, mnuEnergyDispersive, mnuRefineCell, mnuCellScaleChange2})
    a->setEnabled(false);

  mnuHelp = Menu(this, "mnuHelp", "&Help");
  mnuAbout = Action(mnuHelp, "mnuAbout", "&About Quorlin");
  bar->addMenu(mnuHelp);

  connect(mnuExit, &QAction::triggered, this, &QWidget::close);
  connect(mnuAbout, &QAction::triggered, this, &frmMain::ShowAbout);
}

void frmMain::ShowAbout() {
  QMessageBox::about(this, "About Quorlin",
                     "Quorlin\n\nA workbench for powder diffraction and crystallography: "
                     "fit a unit cell to a measured pattern by dragging its reflections.");
}

}  // namespace quorlin

namespace quorlin {

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
  for (int i = 0; i < 6; ++i) {
    CellText[i]->installEventFilter(this);
    connect(CellText[i], &QLineEdit::textEdited, this,
            [this, i](const QString& text) { model_->CellTextChanged(i, text.toStdString()); });
    connect(hsbCellParameters[i], &QScrollBar::valueChanged, this, [this, i](int value) {
      if (!refreshing_) model_->CellScrollChanged(i, value);
    });
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
  connect(btnExtinctionClear, &QPushButton::clicked, this, [this] {
    model_->WriteUndoRecord();
    model_->ExtinctionClear_Invoke();
  });
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
      Rewrite(CellText[i], m.UnitCell.CellParameters(i, m.UserCellType));
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
  if (surface_->Image().size() != size) surface_->Resize(std::max(1, size.width()), std::max(1, size.height()));
  DrawPlot(*model_, *surface_);
  const PlotScale& s = surface_->CurrentScale();
  picXRayPlot->SetUserScale(s.left, s.top, s.right - s.left, s.bottom - s.top);
  picXRayPlot->SetPicture(surface_->Image());
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
  QString text = QString::fromStdString(model_->ReportText);
  if (ReportText->toPlainText() != text) ReportText->setPlainText(text);
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
  int cell = IndexIn(CellText, watched);
  int limit = IndexIn(PlotLimits, watched);
  if (event->type() == QEvent::FocusIn && (cell >= 0 || limit >= 0)) {
    auto* box = static_cast<QLineEdit*>(watched);
    if (cell >= 0) model_->CellTextGotFocus(cell);
    else model_->PlotLimitGotFocus(limit);
    // Select after the click that gave the focus has placed the caret.
    QTimer::singleShot(0, box, [box] { box->selectAll(); });
  } else if (event->type() == QEvent::FocusOut && (cell >= 0 || limit >= 0)) {
    auto* box = static_cast<QLineEdit*>(watched);
    Rewrite(box, cell >= 0 ? model_->CellTextLostFocus(cell) : model_->PlotLimitLostFocus(limit));
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace quorlin
