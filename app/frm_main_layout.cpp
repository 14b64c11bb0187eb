// frmMain's layout: the widgets and menus under their own names, with their
// captions and tips. The wiring and the refresh are in frm_main.cpp.
#include "frm_main.h"

#include <array>

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
#include <QAbstractButton>
#include <QKeySequence>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextDocument>
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
#include "widget_names.h"

namespace quorlin {

namespace {

const char* const kCellTips[6] = {
    "Unit cell parameter \"a\" in Angstroms",  "Unit cell parameter \"b\" in Angstroms",
    "Unit cell parameter \"c\" in Angstroms",  "Unit cell angle \"alpha\" in degrees",
    "Unit cell angle \"beta\" in degrees",     "Unit cell angle \"gamma\" in degrees"};
const char* const kCellNames[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
const char* const kHistoryCaptions[4] = {"<<", "<", ">", ">>"};

QAction* Action(QMenu* menu, const QString& name, const QString& caption, bool checkable = false) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  a->setCheckable(checkable);
  return a;
}

QMenu* Menu(QWidget* parent, const QString& name, const QString& caption) {
  return Named(new QMenu(caption, parent), name);
}

// The four history buttons << < > >>, named Name(0)..Name(3), in a row.
void AddHistoryButtons(std::array<QPushButton*, 4>& buttons, const char* name, int width, QWidget* parent,
                       QHBoxLayout* row) {
  for (int i = 0; i < 4; ++i) {
    buttons[i] = Button(Indexed(name, i), kHistoryCaptions[i], parent);
    buttons[i]->setFixedWidth(width);
    row->addWidget(buttons[i]);
  }
}

// A text box with its name and tip.
QLineEdit* Box(const QString& name, const QString& tip, QWidget* parent) {
  auto* box = Named(new QLineEdit(parent), name);
  box->setToolTip(tip);
  return box;
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

void frmMain::BuildControls() {
  auto* central = Named(new QWidget(this), "centralWidget");
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
}

QWidget* frmMain::BuildCellEditor() {
  auto* box = Named(new QGroupBox("Unit Cell Parameters"), "fraUnitCell");
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(2, 2, 2, 2);
  v->setSpacing(2);
  for (int frame = 0; frame < 2; ++frame) {
    auto* f = Named(new QGroupBox(frame == 0 ? "Edge Lengths" : "Angles", box), frame == 0 ? "fraEdges" : "fraAngles");
    auto* g = new QGridLayout(f);
    g->setContentsMargins(4, 2, 4, 2);
    g->setVerticalSpacing(1);
    for (int r = 0; r < 3; ++r) {
      int i = frame * 3 + r;
      auto* label = new QLabel(kCellNames[i], f);
      CellText[i] = Box(Indexed("CellText", i), kCellTips[i], f);
      CellText[i]->setFixedWidth(76);
      hsbCellParameters[i] = Named(new QScrollBar(Qt::Horizontal, f), Indexed("hsbCellParameters", i));
      hsbCellParameters[i]->setMinimumWidth(60);
      g->addWidget(label, r, 0);
      g->addWidget(CellText[i], r, 1);
      g->addWidget(hsbCellParameters[i], r, 2);
    }
    v->addWidget(f);
  }
  auto* history = new QHBoxLayout;
  AddHistoryButtons(cmdUnitCellHistory, "cmdUnitCellHistory", 34, box, history);
  v->addLayout(history);

  auto* shape = Named(new QGroupBox("Axis Restrictions:", box), "fraCellShape");
  auto* sv = new QVBoxLayout(shape);
  sv->setContentsMargins(2, 1, 2, 1);
  sv->setSpacing(0);
  const char* const captions[3] = {"none", "a = b", "a = b = c; alpha = beta = gamma"};
  for (int i = 0; i < 3; ++i) {
    optCellShape[i] = Named(new QRadioButton(captions[i], shape), Indexed("optCellShape", i));
    sv->addWidget(optCellShape[i]);
  }
  v->addWidget(shape);
  return box;
}

QWidget* frmMain::BuildDimensions() {
  auto* box = Named(new QGroupBox("Show diffraction from:"), "fraDimension");
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
      chkDimension[i] = Named(new QCheckBox(captions[i], f), Indexed("chkDimension", i));
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
  auto* box = Named(new QGroupBox("Reflection conditions"), "fraExtinction");
  auto* g = new QGridLayout(box);
  g->setContentsMargins(4, 2, 4, 2);
  g->setVerticalSpacing(1);
  for (int i = 0; i < 12; ++i) {
    int row = i / 3, col = (i % 3) * 2;
    auto* label = Named(new QLabel(ZoneLabel(i), box), Indexed("lblExtinction", i));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cboExtinction[i] = Named(new QComboBox(box), Indexed("cboExtinction", i));
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
    PlotLimits[i] = Box(Indexed("PlotLimits", i), tips[i], panel);
    // Wide enough for a limit at 7 significant digits with its sign and point.
    const int text = PlotLimits[i]->fontMetrics().horizontalAdvance("-1234567.8");
    PlotLimits[i]->setFixedWidth(text + 14);
    limits->addWidget(PlotLimits[i]);
  }
  limits->addStretch(1);
  v->addLayout(limits);

  auto* nav = new QHBoxLayout;
  cmdShiftLeft = Button("cmdShiftLeft", "Shift L&eft", panel);
  cmdShiftRight = Button("cmdShiftRight", "Shift Ri&ght", panel);
  nav->setSpacing(2);
  nav->addWidget(cmdShiftLeft);
  AddHistoryButtons(cmdPlotHistory, "cmdPlotHistory", 30, panel, nav);
  nav->addWidget(cmdShiftRight);
  nav->addStretch(1);
  v->addLayout(nav);

  auto* modes = new QHBoxLayout;
  auto* mouse = Named(new QGroupBox("Mouse", panel), "fraMouse");
  auto* mh = new QHBoxLayout(mouse);
  mh->setContentsMargins(3, 1, 3, 1);
  cmdHand = Button("cmdHand", "Ha&nd", mouse);
  cmdPoint = Button("cmdPoint", "Po&int", mouse);
  mh->addWidget(cmdHand);
  mh->addWidget(cmdPoint);
  auto* drag = Named(new QGroupBox("Peak drag", panel), "fraPeakDrag");
  auto* dh = new QGridLayout(drag);
  dh->setContentsMargins(3, 1, 3, 1);
  cmdVolume = Button("cmdVolume", "&Volume", drag);
  cmdDrag = Button("cmdDrag", "&Cell Edge", drag);
  cmdStrain = Button("cmdStrain", "Full &Strain", drag);
  chkSnap = Named(new QCheckBox("Snap to peak", drag), "chkSnap");
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
  ReportText = Named(new QTextEdit(panel), "ReportText");
  ReportText->setReadOnly(true);
  // Seven lines: the longest read-out (a refinement's) shows without scrolling.
  ReportText->setFixedHeight(ReportText->fontMetrics().lineSpacing() * 7 + 2 * ReportText->frameWidth() +
                             2 * static_cast<int>(ReportText->document()->documentMargin()) + 2);
  ReportText->setContextMenuPolicy(Qt::CustomContextMenu);
  txtSpecimenDisplacement = Box("txtSpecimenDisplacement", "Specimen displacement", panel);
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
  mnuCIF = Action(mnuOpen, "mnuCIF", "Crystal &Structure (CIF)");
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
  mnuLineIntensities = Action(mnuOptions, "mnuLineIntensities", "Line &Intensities", true);
  bar->addMenu(mnuOptions);

  mnuUtilities = Menu(this, "mnuUtilities", "&Utilities");
  mnuStorePatterns = Action(mnuUtilities, "mnuStorePatterns", "&Store Patterns (multiphase)");
  mnuChangeWavelength = Action(mnuUtilities, "mnuChangeWavelength", "Source &Wavelengths");
  mnuCellScaleChange = Action(mnuUtilities, "mnuCellScaleChange", "&Change cell parameter scroll ranges");
  mnuChangeLimits = Action(mnuUtilities, "mnuChangeLimits", "Change &h,k,l limits");
  mnuDSpacing = Action(mnuUtilities, "mnuDSpacing", "&D-spacing calculation");
  mnuVolumeTracking = Action(mnuUtilities, "mnuVolumeTracking", "&Volume Tracking");
  mnuLatticeProjections = Action(mnuUtilities, "mnuLatticeProjections", "Draw &Lattice Projections");
  mnuFluorescenceLines = Action(mnuUtilities, "mnuFluorescenceLines", "&Fluorescence lines");
  mnuEnergyDispersive = Action(mnuUtilities, "mnuEnergyDispersive", "&Energy Dispersive");
  mnuRefineCell = Action(mnuUtilities, "mnuRefineCell", "&Refine Cell");
  mnuPressure = Action(mnuUtilities, "mnuPressure", "&Pressure");
  mnuIndexing = Action(mnuUtilities, "mnuIndexing", "&Index Pattern");
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

  // A menu title wins its Alt key over a button of the same letter: two
  // owners of one key make Qt cycle between them, and Alt+C would focus
  // "Cell Edge" before it opened "Crystal System". The button keeps its
  // caption; only its Alt key goes.
  QList<QKeySequence> titles;
  for (QAction* title : bar->actions()) titles.append(QKeySequence::mnemonic(title->text()));
  for (QAbstractButton* button : findChildren<QAbstractButton*>())
    if (!button->shortcut().isEmpty() && titles.contains(button->shortcut())) button->setShortcut(QKeySequence());
}

}  // namespace quorlin
