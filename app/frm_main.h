// frmMain: the main window. It lays out the plot and the cell editor, carries
// every control under its own name, and forwards each event to the model;
// after a change it refreshes the controls from the model (FormUpdate) and
// redraws the plot.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>

#include "mainwindow/main_model.h"
#include "mainwindow/platform.h"
#include "tool_window.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTextEdit;
class QTimer;

namespace quorlin {

class PlotView;
class QtSurface;

class frmMain : public QMainWindow, public IMainView {
  Q_OBJECT

 public:
  // Creates the model and runs its start-up (the default project of the
  // program's folder is read when present). Dialogs and message boxes go
  // through `platform`; without one the window uses Qt's own dialogs.
  explicit frmMain(IPlatform* platform = nullptr, QWidget* parent = nullptr);
  ~frmMain() override;

  MainModel& Model() { return *model_; }
  const MainModel& Model() const { return *model_; }
  QtSurface& Surface() { return *surface_; }
  // Shows the one tool window of type T (constructed as T(MainModel&,
  // QWidget* parent)), creating it on first use; a window already open is
  // raised instead of opened twice.
  template <class T>
  T* ShowToolWindow() {
    QPointer<ToolWindow>& slot = toolWindows_[std::type_index(typeid(T))];
    if (!slot) slot = new T(*model_, this);
    slot->show();
    slot->raise();
    slot->activateWindow();
    return static_cast<T*>(slot.data());
  }
  // The tool window of type T if it was ever opened, else null.
  template <class T>
  T* FindToolWindow() const {
    auto it = toolWindows_.find(std::type_index(typeid(T)));
    return it == toolWindows_.end() ? nullptr : static_cast<T*>(it->second.data());
  }

  // Opens a project, unit-cell library, card or pattern named on the command
  // line or dropped on the window; false (after the reader's message) when
  // nothing was opened.
  bool OpenNamedFile(const QString& path);

  // How many times the plot was drawn since the window was made.
  int RedrawCount() const { return redraws_; }

  // --- what the model asks of its window ---------------------------------
  void FormUpdate() override;
  void MakeXRDPlot() override;
  void PlotLimitUpdate() override;
  void RefreshPlotHistoryButtons() override;
  void ReportTextChanged() override;
  void SetCaption(const std::string& caption) override;
  void RubberBandChanged(const std::optional<RubberBandFigure>& figure) override;
  // Draws the held drag's trial at most once per screen frame.
  void PlotPreviewChanged() override;

  // 9375 by 11925 twips at 15 twips per pixel.
  static constexpr QSize kDefaultSize{625, 795};

  // The controls, named as their objectName.
  std::array<QLineEdit*, 6> CellText{};
  std::array<QScrollBar*, 6> hsbCellParameters{};
  std::array<QPushButton*, 4> cmdUnitCellHistory{};
  std::array<QRadioButton*, 3> optCellShape{};
  std::array<QComboBox*, 12> cboExtinction{};
  QPushButton* btnExtinctionClear = nullptr;
  std::array<QCheckBox*, 7> chkDimension{};
  QPushButton* cmdClearDiffraction = nullptr;
  QPushButton* cmdHand = nullptr;
  QPushButton* cmdPoint = nullptr;
  QPushButton* cmdVolume = nullptr;
  QPushButton* cmdDrag = nullptr;
  QPushButton* cmdStrain = nullptr;
  QCheckBox* chkSnap = nullptr;
  std::array<QLineEdit*, 4> PlotLimits{};
  QPushButton* cmdShiftLeft = nullptr;
  QPushButton* cmdShiftRight = nullptr;
  std::array<QPushButton*, 4> cmdPlotHistory{};
  QTextEdit* ReportText = nullptr;
  QLineEdit* txtSpecimenDisplacement = nullptr;
  QPushButton* cmdUndo = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* cmdDefaultSize = nullptr;
  PlotView* picXRayPlot = nullptr;
  // The status bar's live read-out of the point under the mouse.
  QLabel* lblCursorReadout = nullptr;

  // Menu items.
  QMenu* mnuFile = nullptr;
  QMenu* mnuOpen = nullptr;
  QAction* mnuGSAS = nullptr;
  QAction* mnuCPI = nullptr;
  QAction* mnuCHI = nullptr;
  QAction* mnuMCA = nullptr;
  QAction* mnuXYImport = nullptr;
  QMenu* mnuExportData = nullptr;
  QAction* mnuXYFile = nullptr;
  QAction* mnuProjectOpen = nullptr;
  QAction* mnuProjectSave = nullptr;
  QAction* mnuProjectSaveAsDefault = nullptr;
  QAction* mnuRestoreDefaults = nullptr;
  QAction* mnuStandardUnitCells = nullptr;
  QAction* mnujcpds = nullptr;
  QAction* mnuCIF = nullptr;
  QAction* mnuLineIntensities = nullptr;
  QAction* mnuExit = nullptr;
  QMenu* mnuTranslations = nullptr;
  QAction* mnuAddCentering = nullptr;
  QAction* mnuCellManipulation = nullptr;
  QAction* mnuCheckLatticePoints = nullptr;
  QMenu* mnuLattice = nullptr;
  QAction* mnuDirect = nullptr;
  QAction* mnuReciprocal = nullptr;
  QMenu* mnuExtinctions = nullptr;
  QAction* mnuCubic = nullptr;
  QAction* mnuHexagonal = nullptr;
  QAction* mnuTrigonal = nullptr;
  QAction* mnuTetragonal = nullptr;
  QAction* mnuOrthorhombic = nullptr;
  QAction* mnuMonoclinic = nullptr;
  QAction* mnuTriclinic = nullptr;
  QAction* mnuSysNone = nullptr;
  QMenu* mnuOptions = nullptr;
  QAction* mnuUnzoom = nullptr;
  QAction* mnuPlotAbsentLines = nullptr;
  QAction* mnuColors = nullptr;
  QAction* mnuSpecimenDisplacement = nullptr;
  QAction* mnuFreeRemoval = nullptr;
  QAction* mnuShowReport = nullptr;
  QMenu* mnuUtilities = nullptr;
  QAction* mnuStorePatterns = nullptr;
  QAction* mnuChangeWavelength = nullptr;
  QAction* mnuCellScaleChange = nullptr;
  QAction* mnuChangeLimits = nullptr;
  QAction* mnuDSpacing = nullptr;
  QAction* mnuVolumeTracking = nullptr;
  QAction* mnuLatticeProjections = nullptr;
  QAction* mnuFluorescenceLines = nullptr;
  QAction* mnuEnergyDispersive = nullptr;
  QAction* mnuRefineCell = nullptr;
  QAction* mnuIndexing = nullptr;
  QAction* mnuPressure = nullptr;
  QMenu* mnuPopups = nullptr;
  QMenu* mnuCellScrolls = nullptr;
  QAction* mnuCellScaleChange2 = nullptr;
  QMenu* mnuHelp = nullptr;
  QAction* mnuAbout = nullptr;
  QAction* mnuUserGuide = nullptr;

 public slots:
  void RestoreDefaultSize();
  // Command1: the plot's picture to a file chosen in a save dialog.
  void SavePlotPicture();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Connect();
  void RefreshCellHistoryButtons();
  void RefreshMouseCursor();
  void PopupPlotMenu();
  void BuildControls();
  void BuildMenus();
  QWidget* BuildCellEditor();
  QWidget* BuildPlotControls();
  QWidget* BuildConditions();
  QWidget* BuildDimensions();
  void ShowAbout();
  void WireHelp();  // About box and user guide
  // Menu wiring of each group of tool windows, one file each (wire_*.cpp).
  void WireCrystalSystems();  // crystal-system dialogs
  void WireSettings();        // option dialogs and source wavelengths
  void WirePhases();          // stored phases, unit-cell database, card export
  void WireEnergy();          // energy-dispersive tools, fluorescence lines
  void WireLattice();         // transformations, centring, superlattices, projections
  void WireRefinement();      // cell refinement
  // Read-out, hover tooltips, wheel zoom, shortcuts, Esc and dropped files
  // (wire_interaction.cpp).
  void WireInteraction();
  void ShowCursorReadout(double x, double y);
  // The status read-out at the last cursor position, with the marked
  // standard's pressure as the model now gives it.
  void RefreshStatusReadout();

  std::map<std::type_index, QPointer<ToolWindow>> toolWindows_;
  QButtonGroup* mouseGroup_ = nullptr;
  std::unique_ptr<IPlatform> ownPlatform_;
  std::unique_ptr<MainModel> model_;
  std::unique_ptr<QtSurface> surface_;
  int redraws_ = 0;
  QTimer* previewTimer_ = nullptr;
  QElapsedTimer sinceDraw_;
  bool refreshing_ = false;
  std::optional<float> cursorX_;  // where the read-out last saw the pointer
};

// The item texts of the reflection-condition combo box of zone i, and the
// caption of its label.
QStringList ZoneItems(int zone);
QString ZoneLabel(int zone);

}  // namespace quorlin
