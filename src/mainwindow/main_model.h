// The working model behind the main window: it owns the cell, the reflection
// set, the measured data, the plot, the peak list and the stored phases, and
// carries every operation the window's controls, menus and mouse gestures
// run. It has no display of its own: platform services come through
// IPlatform, and refresh requests go to an IMainView (which may be absent).
//
// Its jobs live in one file each: main_model.cpp (ownership, observers,
// crystal system, menu toggles, exit), model_state.cpp (state and undo),
// file_commands.cpp, cell_editor.cpp, plot_window.cpp, plot_gesture.* (the
// mouse gesture), peak_numerics.* and stored_phase_lines.*.
//
// Every operation that changes the model goes through one edit path, Edit():
// write the undo record, change the model, then notify the view and every
// observer (tool windows) of what changed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cell_scroll_wrapper.h"
#include "core/constants.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "data/readers.h"
#include "energy/peak_list.h"
#include "mainwindow/model_observer.h"
#include "mainwindow/platform.h"
#include "mainwindow/pressure_standard.h"
#include "mainwindow/plot_gesture.h"
#include "core/property_bag.h"
#include "phases/stored_phases.h"
#include "plot/xrd_plot.h"
#include "reflections/pattern.h"

namespace quorlin {

// Range and position of one cell-editor scroll bar, in scroll units.
struct ScrollSetting {
  std::int16_t Min = 0;
  std::int16_t Max = 0;
  std::int16_t Value = 0;
};

class MainModel {
 public:
  explicit MainModel(IPlatform& platform, IMainView* view = nullptr);
  // The plot is bound to `data`; the model stays where it was made.
  MainModel(const MainModel&) = delete;
  MainModel& operator=(const MainModel&) = delete;

  void SetView(IMainView* view) { view_ = view; }

  // --- observers and the one edit path ------------------------------------
  // Open windows subscribe while they are shown. An observer removed during a
  // notification is not called again.
  void AddObserver(IModelObserver* observer);
  void RemoveObserver(IModelObserver* observer);
  // Tells the main view and every observer that `what` changed: Controls
  // refreshes the controls (FormUpdate), Plot redraws.
  void Notify(ModelChange what = ModelChange::All);
  // The one edit path: writes the undo record, applies `change`, notifies.
  template <class Change>
  void Edit(Change&& change, ModelChange what = ModelChange::All) {
    WriteUndoRecord();
    change();
    Notify(what);
  }
  IPlatform& Platform() { return platform_; }

  // Start-up: the program's folder becomes ProjectDirectory, the default
  // project pb.prb there is read if present, then the window defaults (mouse
  // mode Point, no snap, fresh undo and redo records, no data opened).
  void StartUp();

  // --- owned model (other windows read and write these directly) --------
  CData data;
  CXRDPlot XRDPlot;
  CPattern pattern;
  CUnitCell UnitCell;
  PressureMark Pressure;  // the working phase as a pressure standard
  clsPeakList PeakList;
  CStoredPhases storedphases;
  CConstants Constants;
  CCellScrollWrapper CellScrollWrapper;

  std::int32_t UserCellType = 1;  // 1 direct, -1 reciprocal cell in the editor
  std::string PatternType;        // "jcpds" when the lines come from a card
  bool PlotFromOutside = false;
  std::string UnitCellFileName;
  std::string LineCustomColors = std::string(64, '\0');
  std::string BackCustomColors = std::string(64, '\0');
  bool benaCellScroll = true;
  bool benaExtinctionCombo = true;

  std::string ProjectDirectory;
  std::string GSASDirectory, CPIDirectory, CHIDirectory, MCADirectory, BitmapDirectory, DataDirectory,
      JCPDSDirectory;
  std::string PatternDataFile = "default.gsa";
  std::string PatternDataFileType = "gsa";
  // The measured pattern's file. It is the data file itself unless a jcpds
  // card was opened over the pattern: then the state names both, and a state
  // read re-imports the pattern before the card instead of losing it.
  std::string MeasuredDataFile = "default.gsa";
  std::string MeasuredDataFileType = "gsa";

  // Texts the window shows: the report box, the four plot-limit boxes
  // (TTMin, TTMax, imin, IMax) and the caption.
  std::string ReportText;
  std::array<std::string, 4> PlotLimits;
  std::string Caption = "Quorlin";

  // --- crystal system and reflection conditions -------------------------
  std::int16_t CrystalSystem() const { return crystalSystem_; }
  // Stores the code, sets pattern.CrystalSystem and the cell's Basis(1).
  void SetCrystalSystem(std::int16_t code);
  // Crystal-system code (1 cubic .. 8 none) to the cell's Basis code.
  std::int32_t DerivedBasis(std::int16_t code) const;
  void SymmetryChanged();
  void EliminateSymmetry();
  void ExtinctionClear_Invoke();
  // btnExtinctionClear: the undo record, then ExtinctionClear_Invoke.
  void ClearExtinctions();

  // --- stored phases ----------------------------------------------------
  static constexpr int kStoredLines = 400;
  void MakeStoredVectors(int slot);
  void GetStoredPhase(int slot);

  // --- state, undo, files -----------------------------------------------
  // Replaces `bag` by a new bag holding the full state.
  void WriteStateToPb(PropertyBag& bag) const;
  void ReadStateFromPb(const PropertyBag& bag);
  // Writes the undo record (called before every change).
  void WriteUndoRecord();
  // Undo/redo toggle: pressing it twice returns to where the user was.
  // Before the first recorded change there is nothing to undo.
  void Undo();
  const PropertyBag& UndoRecord() const { return undo_; }

  // Re-imports a measured pattern (or a jcpds card) and copies its range to
  // the plot. A missing file changes nothing. A file the reader refuses
  // changes nothing, the reader's message is shown, and the result is false.
  bool OpenDataFile(const std::string& path, const std::string& type);
  // Exports the data as an xy file; a failed write shows a message.
  bool WriteDataFile(const std::string& path, const std::string& type = "xy");
  // Writes / reads the whole state to / from a project file. A failure shows
  // a message naming the file and changes nothing in memory.
  bool WriteState(const std::string& path);
  bool ReadState(const std::string& path);

  // --- commands of the window's menus (dialog answers come from the platform)
  // Import of type "gsa", "cpi", "chi", "mca", "xy" or "jcpds" through the
  // open dialog. A refused or missing file changes nothing and is reported.
  bool ImportData(const std::string& type);
  // The import after the dialog, with the chosen path.
  bool ImportDataFile(const std::string& type, const std::string& path);
  bool ExportXY();
  // File > Import > Crystal Structure (CIF): the structure becomes the
  // working phase with its line intensities, in one undo step. A file that
  // cannot be used gives one message and changes nothing.
  bool ImportCif();
  bool ImportCifFile(const std::string& path);
  // Options > Line Intensities: lines of a structure's phase at their
  // heights, or all at full height.
  void ToggleLineIntensities();
  bool ProjectOpen();                          // dialog
  bool ProjectOpenFile(const std::string& path);
  bool ProjectSave();                          // dialog
  bool ProjectSaveFile(const std::string& path);
  bool ProjectSaveAsDefault();
  bool RestoreDefaults();
  std::string DefaultProjectPath() const { return programFolder_ + "/pb.prb"; }
  const std::string& ProgramFolderPath() const { return programFolder_; }

  // Menu toggles and choices.
  void SetLatticeType(std::int32_t cellType);  // mnuDirect (1) / mnuReciprocal (-1)
  void SysNone();
  void TogglePlotAbsences();
  void ToggleSpecimenDisplacement();
  void ToggleFreeRemoval();
  void ToggleShowReport();

  // --- cell editor --------------------------------------------------------
  // A box got the focus. A focus that only comes back with the window (its
  // activation, a closed pop-up) writes no undo record, or the change just
  // made in a tool window could not be undone; the next accepted keystroke
  // writes it instead.
  void CellTextGotFocus(int index, bool windowReturned = false);
  // A keystroke in CellText(index): applied when the cell accepts it; the
  // result says whether the model changed.
  bool CellTextChanged(int index, std::string_view text);
  // Returns the text the box is rewritten with.
  std::string CellTextLostFocus(int index);
  // What CellText(index) shows: the parameter at 7 significant digits, the
  // precision a Single holds, so that 119 reads "119", not "119.00001".
  std::string CellBoxText(int index) const;
  int EditedCellBox() const { return editedBox_; }
  // Arms the one-shot flag that skips the next text-change event (set while
  // the window rewrites a box itself).
  void SuppressNextCellTextChange() { suppressTextChange_ = true; }
  // Scroll bar i moved to `value` (scroll units). A step of its own (arrow,
  // page, key) is one change; between CellScrollPressed and
  // CellScrollReleased (a thumb drag) the cell follows live and the whole
  // drag is one undo step and one history entry.
  bool CellScrollChanged(int index, std::int32_t value);
  void CellScrollPressed(int index);
  void CellScrollReleased(int index);
  ScrollSetting CellScrollSetting(int index) const;
  void CellShapeClicked(std::int32_t shape);
  void CellHistoryButton(int action);
  // Combo i chose list entry `listIndex` of a list of `listCount` items.
  void ExtinctionComboClicked(int index, int listIndex, int listCount);
  void DimensionClicked(int index, bool ticked);
  void ClearDiffraction();
  // Text of the specimen-displacement box; a non-number keeps the old value.
  // A number too large for a Single is refused and the value the box had
  // when it got the focus comes back.
  bool SpecimenDisplacementChanged(std::string_view text);
  void SpecimenDisplacementGotFocus();

  // --- plot window --------------------------------------------------------
  void PlotLimitUpdate();
  void PlotLimitGotFocus(int index, bool windowReturned = false);
  bool PlotLimitChanged(int index, std::string_view text);
  std::string PlotLimitLostFocus(int index);
  void ShiftLeft();
  void ShiftRight();
  void PlotHistory(int action);
  void Unzoom();
  // Mouse-wheel steps at x (positive zooms in): the window narrows or widens
  // about x, each step recorded in the window history. False when nothing
  // moved (at the limits, or during a gesture).
  bool WheelZoom(float x, int steps);

  // --- mouse on the plot --------------------------------------------------
  std::int16_t MouseMode() const { return mouseMode_; }
  void SetMouseMode(std::int16_t mode);  // a mode button
  bool Snap() const { return snap_; }
  void SetSnap(bool on) { snap_ = on; }
  bool ButtonDown() const { return gesture_.Active(); }
  // Returns true when the right button asks for the Plot pop-up menu.
  bool PlotMouseDown(MouseButton button, float x, float y);
  void PlotMouseMove(MouseButton button, float x, float y);
  void PlotMouseUp(MouseButton button, float x, float y);
  // Drops a gesture in progress (the window lost the mouse): nothing changes.
  void CancelPlotGesture();
  // The reflection picked at the last press (empty when none).
  const std::vector<std::array<std::int16_t, 3>>& DraggedReflections() const { return gesture_.Dragged(); }
  const PlotGesture& Gesture() const { return gesture_; }

  float GrowPeak(std::int32_t peakHalfWidth, std::int32_t halfRange, float initialDSpacing) const;
  double IFromDSPacing(float d) const;
  double PkSum() const;

  // --- exit ---------------------------------------------------------------
  bool DataOpened() const { return dataOpened_; }
  // The exit question is asked when the cell changed at least 26 times and a
  // data file was opened since start-up.
  bool ExitQuestionNeeded() const;
  // Runs the exit rule; false when the user cancelled (keep the window open).
  bool QueryExit();

  static bool IsValid(int code) { return code >= 32 && code <= 126; }
  static std::string ExtractFileName(std::string_view text);

 private:
  friend class PlotGesture;
  friend class PlotPreview;
  void FormUpdate();
  void MakeXRDPlot();
  void NotifyObservers(ModelChange what);
  void RefreshHistoryButtons() { if (view_) view_->RefreshPlotHistoryButtons(); }
  void ReportChanged() { if (view_) view_->ReportTextChanged(); }
  void ShowRubberBand(const std::optional<RubberBandFigure>& f) { if (view_) view_->RubberBandChanged(f); }
  void PreviewChanged() { if (view_) view_->PlotPreviewChanged(); }
  // The steps of ReadStateFromPb, in their order: file names and folders,
  // the object states, the re-import of the data (with its window), the
  // scroll scales, stored phases and colours.
  void ReadFilesFromPb(const PropertyBag& bag);
  void ReadObjectsFromPb(const PropertyBag& bag);
  void ReimportStateData(const PropertyBag& bag);
  void ReadSettingsFromPb(const PropertyBag& bag);
  std::string LimitText(int index) const;
  std::string LimitValueText(int index) const;
  bool SetLimit(int index, std::string_view text);
  void SetWindow(float ttMin, float ttMax);
  void SetIntensityWindow(const std::string& lo, const std::string& hi);
  // After a window change of the user's: the limit boxes, a history entry,
  // the history buttons.
  void WindowMoved();
  bool ImportFile(const std::string& type, const std::string& file);
  // The axis kind a state was saved on.
  std::string StateDataType(const PropertyBag& bag) const;
  void RestoreWindow(const std::string& ttMin, const std::string& ttMax, const std::string& iMin,
                     const std::string& iMax, bool withData);
  float PrimaryLambda() const;
  bool OpenDataFile(const std::string& path, const std::string& type, ReadNotes* notes);
  void ApplyDataRangeToPlot();
  std::string* TypeFolder(const std::string& type);

  IPlatform& platform_;
  IMainView* view_ = nullptr;
  std::vector<IModelObserver*> observers_;
  int notifying_ = 0;
  std::string programFolder_;

  std::int16_t crystalSystem_ = 8;
  std::int16_t mouseMode_ = kPoint;
  bool snap_ = false;
  PropertyBag undo_;
  PropertyBag redo_;
  bool dataOpened_ = false;
  int editedBox_ = -1;
  bool suppressTextChange_ = false;
  bool undoAtNextKey_ = false;  // a returned focus left the undo record unwritten
  // Applies a keystroke's change; when the undo record is due it holds the
  // state from before the change, and only an accepted change writes it.
  bool TypedEdit(const std::function<bool()>& apply);
  int scrollDrag_ = -1;  // the scroll bar whose thumb is being dragged
  // What the box being typed in held when it got the focus.
  std::optional<std::pair<int, std::string>> limitAtFocus_;
  std::optional<float> displacementAtFocus_;

  PlotGesture gesture_{*this};
};

}  // namespace quorlin
