#include "mainwindow/main_model.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/formats.h"
#include "data/readers.h"
#include "mainwindow/data_import.h"
#include "mainwindow/plot_interaction.h"
#include "core/bag_file.h"
#include "reflections/catalogue.h"

namespace quorlin {

namespace {

// A path as a dialog or an old project gives it: a fixed-size buffer may pad
// it with NULs, which no path holds. Everything else is kept exactly.
std::string DialogPath(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

// Never equal to a real folder text, so the key is always written.
const std::string kAlwaysWritten(1, '\0');

std::string Num(double v) { return GeneralText(v); }

}  // namespace

MainModel::MainModel(IPlatform& platform, IMainView* view)
    : platform_(platform), view_(view), programFolder_(ProgramFolder()) {
  XRDPlot.BindData(data);
  ProjectDirectory = programFolder_;
  GSASDirectory = CPIDirectory = CHIDirectory = MCADirectory = BitmapDirectory = DataDirectory = JCPDSDirectory =
      programFolder_;
  UnitCellFileName = programFolder_ + "/UnitCells.ucl";
  CellScrollWrapper.SetEdgeScale(1, 100);
  CellScrollWrapper.SetEdgeScale(-1, 1000);
  CellScrollWrapper.SetAngleScale(100);
}

void MainModel::StartUp() {
  ProjectDirectory = programFolder_;
  // A default project that cannot be read has been reported; start from the
  // factory state rather than from half-made objects.
  if (!ReadState(DefaultProjectPath())) ReadStateFromPb(PropertyBag());
  benaCellScroll = true;
  benaExtinctionCombo = true;
  suppressTextChange_ = false;
  RefreshHistoryButtons();
  mouseMode_ = kPoint;
  PlotFromOutside = false;
  editedBox_ = -1;
  undo_ = PropertyBag();
  redo_ = PropertyBag();
  dataOpened_ = false;
  snap_ = false;
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::FormUpdate() {
  // Full Strain needs a free cell: it is offered only without a crystal system.
  if (mouseMode_ == kFullStrain && crystalSystem_ != 8) mouseMode_ = kPoint;
  if (view_) view_->FormUpdate();
  NotifyObservers(ModelChange::Controls);
}

void MainModel::MakeXRDPlot() {
  if (view_) view_->MakeXRDPlot();
  NotifyObservers(ModelChange::Plot);
}

void MainModel::AddObserver(IModelObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void MainModel::RemoveObserver(IModelObserver* observer) {
  // Null out rather than erase, so a notification in progress stays valid.
  std::replace(observers_.begin(), observers_.end(), observer, static_cast<IModelObserver*>(nullptr));
}

void MainModel::NotifyObservers(ModelChange what) {
  ++notifying_;
  for (std::size_t i = 0; i < observers_.size(); ++i)
    if (observers_[i]) observers_[i]->ModelChanged(what);
  if (--notifying_ == 0) std::erase(observers_, nullptr);
}

void MainModel::Notify(ModelChange what) {
  if (Touches(what, ModelChange::Controls)) FormUpdate();
  if (Touches(what, ModelChange::Plot)) MakeXRDPlot();
}

// --- crystal system ---------------------------------------------------------

std::int32_t MainModel::DerivedBasis(std::int16_t code) const {
  return quorlin::DerivedBasis(code, pattern.ExtinctionNumber());
}

void MainModel::SetCrystalSystem(std::int16_t code) {
  if (code < 1 || code > 8) code = 8;
  crystalSystem_ = code;
  pattern.CrystalSystem = code;
  UnitCell.SetBasis(1, DerivedBasis(code));
}

void MainModel::SymmetryChanged() {
  UnitCell.StartHistory();
  PatternType.clear();
}

void MainModel::EliminateSymmetry() {
  SetCrystalSystem(8);
  UnitCell.SetCellShape(0);
  FormUpdate();
}

void MainModel::ExtinctionClear_Invoke() {
  for (int i = 0; i < 12; ++i) pattern.SetExtCond(i, -1);
  FormUpdate();
  MakeXRDPlot();
}

// --- stored phases ------------------------------------------------------------

void MainModel::MakeStoredVectors(int slot) {
  if (slot < 0 || slot > 4) return;
  const CPattern& p = storedphases.StoredPattern(slot);
  const CUnitCell& cell = storedphases.StoredUnitCell(slot);
  int n = 0;
  for (int v : {int(p.hmin), int(p.hmax), int(p.kmin), int(p.kmax), int(p.lmin), int(p.lmax)})
    n = std::max(n, std::abs(v));
  int j = 0;
  // Shells of increasing order, so a long list keeps the lowest orders.
  // A shell's indices lie within -order..order, so only that part of the
  // ranges is scanned (same order as the whole ranges, far fewer triples).
  for (int order = 1; order <= n && j < kStoredLines; ++order) {
    for (int l = std::max<int>(p.lmin, -order); l <= std::min<int>(p.lmax, order) && j < kStoredLines; ++l)
      for (int k = std::max<int>(p.kmin, -order); k <= std::min<int>(p.kmax, order) && j < kStoredLines; ++k)
        for (int h = std::max<int>(p.hmin, -order); h <= std::min<int>(p.hmax, order) && j < kStoredLines; ++h) {
          if (std::max({std::abs(h), std::abs(k), std::abs(l)}) != order) continue;
          auto hh = static_cast<std::int16_t>(h), kk = static_cast<std::int16_t>(k), ll = static_cast<std::int16_t>(l);
          if (!p.IsWanted(hh, kk, ll) || !p.IsAllowed(hh, kk, ll)) continue;
          ++j;
          storedphases.SetStoredLinePosition(slot, j, cell.hklDSpacing(h, k, l));
        }
  }
  storedphases.SetStoredLinePosition(slot, 0, 0.0f);
  for (int e = j + 1; e <= kStoredLines; ++e) storedphases.SetStoredLinePosition(slot, e, 0.0f);
}

void MainModel::GetStoredPhase(int slot) {
  if (slot < 0 || slot > 4) return;
  std::int32_t code = storedphases.StoredCrystalSystem(slot);
  crystalSystem_ = static_cast<std::int16_t>(code >= 1 && code <= 8 ? code : 8);
  storedphases.GetPattern(slot, pattern);
  storedphases.GetUnitCell(slot, UnitCell);
  storedphases.StoredPattern(slot).Plotted = false;
}

// --- state -------------------------------------------------------------------

void MainModel::WriteStateToPb(PropertyBag& bag) const {
  bag = PropertyBag();
  const std::string& home = programFolder_;
  bag.WriteProperty("CellType", std::int32_t{UserCellType}, std::int32_t{1});
  bag.WriteProperty("SpecimenDisplacement", XRDPlot.SpecimenDisplacement, std::string("0"));
  bag.WriteProperty("ProjectDirectory", ProjectDirectory, kAlwaysWritten);
  bag.WriteProperty("GSASDirectory", GSASDirectory, home);
  bag.WriteProperty("CPIDirectory", CPIDirectory, home);
  bag.WriteProperty("CHIDirectory", CHIDirectory, home);
  bag.WriteProperty("MCADirectory", MCADirectory, home);
  bag.WriteProperty("BitmapDirectory", BitmapDirectory, home);
  bag.WriteProperty("DataDirectory", DataDirectory, home);
  bag.WriteProperty("JCPDSDirectory", JCPDSDirectory, home);
  bag.WriteProperty("PatternDataFile", PatternDataFile, std::string("default.gsa"));
  bag.WriteProperty("PatternDataFileType", PatternDataFileType, std::string("gsa"));
  // Omitted when they name the data file itself (no card over the pattern).
  bag.WriteProperty("MeasuredDataFile", MeasuredDataFile, PatternDataFile);
  bag.WriteProperty("MeasuredDataFileType", MeasuredDataFileType, PatternDataFileType);
  bag.WriteProperty("UnitCellFileName", UnitCellFileName, home + "/UnitCells.ucl");
  bag.WriteProperty("PatternType", PatternType, std::string());
  bag.WriteProperty("CrystalSystem", std::int32_t{crystalSystem_}, std::int32_t{8});
  UnitCell.WriteObjectState("", bag);
  XRDPlot.WriteObjectState("", bag);
  pattern.WriteObjectState("", bag);
  data.WriteObjectState("", bag);
  PeakList.WriteObjectState("", bag);
  bag.WriteProperty("DEdgeScale", CellScrollWrapper.EdgeScale(1), std::int16_t{100});
  bag.WriteProperty("REdgeScale", CellScrollWrapper.EdgeScale(-1), std::int16_t{1000});
  bag.WriteProperty("AngleScale", CellScrollWrapper.AngleScale(), std::int16_t{100});
  storedphases.WriteObjectState("", bag);
  bag.WriteProperty("LineCustomColors", LineCustomColors, std::string(64, '\0'));
  bag.WriteProperty("BackCustomColors", BackCustomColors, std::string(64, '\0'));
}

void MainModel::ReadStateFromPb(const PropertyBag& bag) {
  const std::string& home = programFolder_;
  std::int32_t cellType = bag.ReadLong("CellType", 1);
  UserCellType = cellType == -1 ? -1 : 1;
  ProjectDirectory = bag.ReadString("ProjectDirectory", ProjectDirectory);
  GSASDirectory = bag.ReadString("GSASDirectory", home);
  CPIDirectory = bag.ReadString("CPIDirectory", home);
  CHIDirectory = bag.ReadString("CHIDirectory", home);
  MCADirectory = bag.ReadString("MCADirectory", home);
  BitmapDirectory = bag.ReadString("BitmapDirectory", home);
  DataDirectory = bag.ReadString("DataDirectory", home);
  JCPDSDirectory = bag.ReadString("JCPDSDirectory", home);
  // Paths are kept exactly (spaces, any letters); only the caption is filtered.
  PatternDataFile = DialogPath(bag.ReadString("PatternDataFile", "default.gsa"));
  PatternDataFileType = bag.ReadString("PatternDataFileType", "gsa");
  MeasuredDataFile = DialogPath(bag.ReadString("MeasuredDataFile", PatternDataFile));
  MeasuredDataFileType = bag.ReadString("MeasuredDataFileType", PatternDataFileType);
  std::int32_t system = bag.ReadLong("CrystalSystem", 8);
  SetCrystalSystem(static_cast<std::int16_t>(system >= 1 && system <= 8 ? system : 8));

  UnitCell.ReadObjectState("", bag);
  data.ReadObjectState("", bag);
  pattern.ReadObjectState("", bag);
  XRDPlot.ReadObjectState("", bag);
  PeakList.ReadObjectState("", bag);

  // What the state holds for the window and the phase, to be applied again
  // after the re-import below (which resets the window and the displacement,
  // and for a card rewrites the cell).
  const std::string ttMin = XRDPlot.TTMin(), ttMax = XRDPlot.TTMax();
  const std::string iMin = XRDPlot.imin(), iMax = XRDPlot.IMax();
  const float displacement = XRDPlot.SpecimenDisplacement;
  const CUnitCell savedCell = UnitCell;
  const CPattern savedPattern = pattern;
  const clsPeakList savedPeaks = PeakList;
  const std::int16_t savedSystem = crystalSystem_;

  // A card carries no measured pattern: the pattern under it comes from its
  // own file first (the state read has just emptied the channels).
  bool measured = false;
  if (PatternDataFileType == "jcpds" && MeasuredDataFileType != "jcpds" && !MeasuredDataFile.empty())
    measured = OpenDataFile(MeasuredDataFile, MeasuredDataFileType);
  const bool reimported = OpenDataFile(PatternDataFile, PatternDataFileType);
  // The caption names the file now shown, not the one imported before.
  Caption = reimported ? "Quorlin: " + ExtractFileName(PatternDataFile)
            : measured ? "Quorlin: " + ExtractFileName(MeasuredDataFile)
                       : "Quorlin";
  if (view_) view_->SetCaption(Caption);
  if (reimported || measured) {
    if (PatternDataFileType == "jcpds") {
      UnitCell = savedCell;
      pattern = savedPattern;
      PeakList = savedPeaks;
      crystalSystem_ = savedSystem;
    }
    // The stored window where it still meets the imported data and passes
    // the plot's rules; otherwise the import's stays.
    auto lo = StrictSingle(ttMin), hi = StrictSingle(ttMax);
    if (lo && hi && *lo < *hi && *lo < data.Upper && *hi > data.Lower) SetWindow(*lo, *hi);
    double dataLo = 0, dataHi = 0;
    data.MinMaxIntensity(dataLo, dataHi);
    auto iLo = StrictDouble(iMin), iHi = StrictDouble(iMax);
    if (iLo && iHi && *iLo < *iHi && *iLo < dataHi && *iHi > dataLo) {
      SetIntensityWindow(iMin, iMax);
    }
    XRDPlot.SpecimenDisplacement = displacement;
    XRDPlot.StartHistory();
  }

  UnitCellFileName = bag.ReadString("UnitCellFileName", home + "/UnitCells.ucl");
  PatternType = bag.ReadString("PatternType", "");
  PlotLimitUpdate();
  RefreshHistoryButtons();  // the re-import restarted the window history
  auto scale = [](std::int16_t v, std::int16_t fallback) { return v > 0 ? v : fallback; };
  CellScrollWrapper.SetEdgeScale(1, scale(bag.ReadInteger("DEdgeScale", 100), 100));
  CellScrollWrapper.SetEdgeScale(-1, scale(bag.ReadInteger("REdgeScale", 1000), 1000));
  CellScrollWrapper.SetAngleScale(scale(bag.ReadInteger("AngleScale", 100), 100));
  storedphases.ReadObjectState("", bag);
  LineCustomColors = bag.ReadString("LineCustomColors", std::string(64, '\0'));
  BackCustomColors = bag.ReadString("BackCustomColors", std::string(64, '\0'));
  for (int slot = 0; slot < 5; ++slot) {
    const CPattern& p = storedphases.StoredPattern(slot);
    if (p.Exists && p.Plotted) MakeStoredVectors(slot);
  }
}

void MainModel::WriteUndoRecord() { WriteStateToPb(undo_); }

void MainModel::Undo() {
  // Before the first change there is nothing to undo; reading the empty
  // record would throw away the state the default project gave.
  if (undo_.empty()) return;
  WriteStateToPb(redo_);
  ReadStateFromPb(undo_);
  undo_ = redo_;
  FormUpdate();
  MakeXRDPlot();
}

// --- files ---------------------------------------------------------------------

bool MainModel::OpenDataFile(const std::string& path, const std::string& type) {
  return OpenDataFile(path, type, nullptr);
}

bool MainModel::OpenDataFile(const std::string& path, const std::string& type, ReadNotes* notes) {
  if (!platform_.FileExists(path)) return false;
  // The reader works on copies; only a file it accepts reaches the model.
  CData newData = data;
  CPattern newPattern = pattern;
  CUnitCell newCell = UnitCell;
  clsPeakList newPeaks = PeakList;
  std::int16_t newSystem = crystalSystem_;
  try {
    auto read = ReadModelDataFile(path, type, newData, newPattern, newCell, newPeaks, newSystem, &platform_);
    if (!read) return false;
    if (notes != nullptr) *notes = std::move(*read);
  } catch (const QuorlinError& e) {
    platform_.ShowMessage(e.what());
    return false;
  } catch (const std::exception& e) {
    platform_.ShowMessage(path + ": " + e.what());
    return false;
  }
  data = std::move(newData);
  pattern = std::move(newPattern);
  UnitCell = std::move(newCell);
  PeakList = std::move(newPeaks);
  crystalSystem_ = newSystem;
  ApplyDataRangeToPlot();
  return true;
}

void MainModel::ApplyDataRangeToPlot() {
  XRDPlot.SetDataType(data.DataType);
  XRDPlot.SetTTMin(SingleText(data.Lower));
  XRDPlot.SetTTMax(SingleText(data.Upper));
  double lo = 0, hi = 0;
  data.MinMaxIntensity(lo, hi);
  XRDPlot.Setimin(DoubleText(lo));
  XRDPlot.SetIMax(DoubleText(hi));
  XRDPlot.StartHistory();
  PlotLimitUpdate();
}

bool MainModel::WriteDataFile(const std::string& path, const std::string& type) {
  if (type != "xy") return false;
  std::ostringstream text;
  WriteXY(text, data, [this](float ch) { return XRDPlot.EnergyFromChannel(ch); });
  try {
    WriteTextFile(path, text.str());
  } catch (const QuorlinError& e) {
    platform_.ShowMessage(e.what());
    return false;
  }
  return true;
}

bool MainModel::WriteState(const std::string& path) {
  PropertyBag bag;
  WriteStateToPb(bag);
  try {
    WritePropertyBagToFile(path, bag);
  } catch (const QuorlinError& e) {
    platform_.ShowMessage(e.what());
    return false;
  }
  return true;
}

bool MainModel::ReadState(const std::string& path) {
  PropertyBag bag;
  if (!path.empty() && platform_.FileExists(path)) {
    try {
      bag = ReadPropertyBagFromFile(path);
    } catch (const QuorlinError& e) {
      platform_.ShowMessage(e.what());
      return false;
    }
    // Every project names its folder. A well-formed bag without it (a unit
    // cell database, another program's file) would reset the whole state to
    // the factory defaults.
    if (!bag.Contains("ProjectDirectory")) {
      platform_.ShowMessage(FormatError(path, 0, "not a Quorlin project (it holds no project keys)").what());
      return false;
    }
  }
  ReadStateFromPb(bag);
  return true;
}

std::string MainModel::ExtractFileName(std::string_view text) {
  std::string out;
  for (char c : text)
    if (IsValid(static_cast<unsigned char>(c))) out.push_back(c);
  return out;
}

// --- menu commands ---------------------------------------------------------------

namespace {

struct ImportKind {
  const char* type;
  const char* title;
  const char* filter;   // nullptr: only "All Files (*.*)"
  const char* pattern;
};

constexpr ImportKind kImports[] = {
    {"gsa", "Open a GSAS File", kGsasDialogFilter, kGsasDialogPattern},
    {"cpi", "Open a CPI File", "Sietronics CPI Files (*.cpi)", "*.cpi"},
    {"chi", "Open a CHI File", "CHI Files (*.chi)", "*.chi"},
    {"mca", "Open an MCA File", nullptr, nullptr},
    {"jcpds", "Open a jcpds File", "jcpds Files (*.jcpds)", "*.jcpds"},
    {"xy", "Open an xy File", "xy Files (*.xy *.xye *.dat)", "*.xy;*.xye;*.dat"},
};

const FileFilter kAllFiles{"All Files (*.*)", "*.*"};
const FileFilter kProjectFiles{"Quorlin Project Files (*.prb)", "*.prb"};

}  // namespace

std::string* MainModel::TypeFolder(const std::string& type) {
  if (type == "gsa") return &GSASDirectory;
  if (type == "cpi") return &CPIDirectory;
  if (type == "chi") return &CHIDirectory;
  if (type == "mca") return &MCADirectory;
  if (type == "jcpds") return &JCPDSDirectory;
  return &DataDirectory;
}

bool MainModel::ImportData(const std::string& type) {
  const ImportKind* kind = nullptr;
  for (const auto& k : kImports)
    if (type == k.type) kind = &k;
  if (kind == nullptr) return false;
  FileDialogRequest request;
  request.title = kind->title;
  if (kind->filter != nullptr) request.filters.push_back({kind->filter, kind->pattern});
  request.filters.push_back(kAllFiles);
  request.initialFolder = *TypeFolder(type);
  auto chosen = platform_.OpenFileDialog(request);
  bool ok = false;
  if (chosen) {
    ok = ImportDataFile(type, *chosen);
  } else {
    FormUpdate();
    MakeXRDPlot();
  }
  return ok;
}

bool MainModel::ImportDataFile(const std::string& type, const std::string& path) {
  WriteUndoRecord();
  const std::string file = DialogPath(path);
  bool ok = false;
  if (!platform_.FileExists(file)) {
    platform_.ShowMessage(file + ": the file does not exist");
  } else if (ReadNotes notes; OpenDataFile(file, type, &notes)) {
    if (!notes.empty()) {
      std::string text = file + ":";
      for (const auto& n : notes) text += "\n" + n;
      platform_.ShowMessage(text);
    }
    const std::string folder = FolderOf(file);
    DataDirectory = folder;
    *TypeFolder(type) = folder;
    BitmapDirectory = folder;
    PatternDataFile = file;
    PatternDataFileType = type;
    if (type != "jcpds") {
      MeasuredDataFile = file;
      MeasuredDataFileType = type;
    }
    if (type == "jcpds") PatternType = "jcpds";
    Caption = "Quorlin: " + ExtractFileName(file);
    if (view_) view_->SetCaption(Caption);
    dataOpened_ = true;
    ok = true;
  }
  FormUpdate();
  MakeXRDPlot();
  return ok;
}

bool MainModel::ExportXY() {
  FileDialogRequest request;
  request.title = "Save To File";
  request.filters = {{"xy (*.xy)", "*.xy"}, kAllFiles};
  request.defaultExtension = "xy";
  request.initialFolder = DataDirectory;
  request.fileName = PatternDataFile + ".xy";
  auto chosen = platform_.SaveFileDialog(request);
  if (!chosen) return false;
  return WriteDataFile(DialogPath(*chosen), "xy");
}

bool MainModel::ProjectOpen() {
  WriteUndoRecord();
  FileDialogRequest request;
  request.title = "Open File";
  request.filters = {kProjectFiles, kAllFiles};
  request.initialFolder = ProjectDirectory;
  auto chosen = platform_.OpenFileDialog(request);
  bool ok = false;
  if (chosen) ok = ProjectOpenFile(DialogPath(*chosen));
  MakeXRDPlot();
  FormUpdate();
  return ok;
}

bool MainModel::ProjectOpenFile(const std::string& path) {
  if (!ReadState(path)) return false;
  ProjectDirectory = FolderOf(path);
  return true;
}

bool MainModel::ProjectSave() {
  FileDialogRequest request;
  request.title = "Save Project";
  request.filters = {kProjectFiles, kAllFiles};
  request.defaultExtension = "prb";
  request.initialFolder = ProjectDirectory;
  auto chosen = platform_.SaveFileDialog(request);
  if (!chosen) return false;
  return ProjectSaveFile(DialogPath(*chosen));
}

bool MainModel::ProjectSaveFile(const std::string& path) { return WriteState(path); }

bool MainModel::ProjectSaveAsDefault() { return WriteState(DefaultProjectPath()); }

bool MainModel::RestoreDefaults() {
  WriteUndoRecord();
  ReadStateFromPb(PropertyBag());
  bool ok = WriteState(DefaultProjectPath());
  FormUpdate();
  MakeXRDPlot();
  return ok;
}

void MainModel::SetLatticeType(std::int32_t cellType) {
  if (cellType != 1 && cellType != -1) return;
  WriteUndoRecord();
  UserCellType = cellType;
  FormUpdate();
}

void MainModel::SysNone() {
  WriteUndoRecord();
  SetCrystalSystem(8);
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::TogglePlotAbsences() {
  WriteUndoRecord();
  pattern.PlotAbsences = !pattern.PlotAbsences;
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::ToggleSpecimenDisplacement() {
  WriteUndoRecord();
  XRDPlot.ShowSpecimenDisplacement = !XRDPlot.ShowSpecimenDisplacement;
  FormUpdate();
}

void MainModel::ToggleFreeRemoval() {
  WriteUndoRecord();
  pattern.SetFreeRemoval(!pattern.FreeRemoval());
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::ToggleShowReport() {
  WriteUndoRecord();
  XRDPlot.ShowReport = !XRDPlot.ShowReport;
  FormUpdate();
}

// --- cell editor ---------------------------------------------------------------------

void MainModel::CellTextGotFocus(int index) {
  (void)index;
  WriteUndoRecord();
}

bool MainModel::CellTextChanged(int index, std::string_view text) {
  if (suppressTextChange_) {
    suppressTextChange_ = false;
    return false;
  }
  if (index < 0 || index > 5) return false;
  editedBox_ = index;
  if (!UnitCell.SetCellParameters(index, UserCellType, text)) return false;
  FormUpdate();
  MakeXRDPlot();
  return true;
}

std::string MainModel::CellTextLostFocus(int index) {
  editedBox_ = -1;
  std::string text = UnitCell.CellParameters(index, UserCellType);
  UnitCell.CellHistory(-1);
  return text;
}

bool MainModel::CellScrollChanged(int index, std::int32_t value) {
  if (index < 0 || index > 5 || !UnitCell.IsIndependent(index) || !benaCellScroll) return false;
  WriteUndoRecord();
  std::int16_t scale = index < 3 ? CellScrollWrapper.EdgeScale(UserCellType) : CellScrollWrapper.AngleScale();
  if (scale <= 0) return false;
  float parameter = static_cast<float>(value) / static_cast<float>(scale);
  bool ok = UnitCell.SetCellParameters(index, UserCellType, SingleText(parameter));
  UnitCell.CellHistory(-1);
  FormUpdate();
  MakeXRDPlot();
  return ok;
}

ScrollSetting MainModel::CellScrollSetting(int index) const {
  ScrollSetting s;
  if (index < 0 || index > 5) return s;
  auto units = [](double v, double scale) {
    double r = RoundHalfEven(v * scale);
    return static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
  };
  if (index < 3) {
    double scale = CellScrollWrapper.EdgeScale(UserCellType);
    s.Min = units(LenientDouble(UnitCell.EdgeMin(UserCellType)), scale);
    s.Max = units(LenientDouble(UnitCell.EdgeMax(UserCellType)), scale);
    s.Value = units(UnitCell.Edge(UserCellType, index), scale);
  } else {
    double scale = CellScrollWrapper.AngleScale();
    s.Min = units(LenientDouble(UnitCell.AngleMin()), scale);
    s.Max = units(LenientDouble(UnitCell.AngleMax()), scale);
    s.Value = units(UnitCell.CellAngle(UserCellType, index - 3).Degrees(), scale);
  }
  return s;
}

void MainModel::CellShapeClicked(std::int32_t shape) {
  if (shape < 0 || shape > 2) return;
  WriteUndoRecord();
  SetCrystalSystem(8);
  UnitCell.SetCellShape(shape);
  pattern.SetExtinctionNumber(-1, &UnitCell);
  SymmetryChanged();
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::CellHistoryButton(int action) {
  if (action < 0 || action > 3) return;
  WriteUndoRecord();
  UnitCell.CellHistory(action);
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::ExtinctionComboClicked(int index, int listIndex, int listCount) {
  if (!benaExtinctionCombo || index < 0 || index > 11) return;
  WriteUndoRecord();
  int value = listIndex;
  if (listIndex < 0 || listIndex >= listCount - 1) value = -1;  // "(none)" / "(No)" clear the box
  pattern.SetExtCond(index, static_cast<std::int16_t>(value));
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::DimensionClicked(int index, bool ticked) {
  if (index < 0 || index > 6) return;
  WriteUndoRecord();
  pattern.SetDimensionFlags(index, ticked);
  FormUpdate();
  MakeXRDPlot();
}

void MainModel::ClearDiffraction() {
  WriteUndoRecord();
  pattern.ClearDimensions();
  FormUpdate();
  MakeXRDPlot();
}

bool MainModel::SpecimenDisplacementChanged(std::string_view text) {
  auto v = StrictSingle(text);
  if (!v || !std::isfinite(*v)) return false;
  XRDPlot.SpecimenDisplacement = *v;
  FormUpdate();
  MakeXRDPlot();
  return true;
}

// --- plot window -------------------------------------------------------------------------

std::string MainModel::LimitText(int index) const {
  switch (index) {
    case 0:
    case 1: {
      double v = index == 0 ? XRDPlot.SngTTMin() : XRDPlot.SngTTMax();
      double roundOff = XRDPlot.IRoundOff > 0 ? XRDPlot.IRoundOff : 1;
      return Num(RoundHalfEven(v * roundOff) / roundOff);
    }
    case 2: return XRDPlot.imin();
    case 3: return XRDPlot.IMax();
    default: return std::string();
  }
}

void MainModel::PlotLimitUpdate() {
  for (int i = 0; i < 4; ++i) PlotLimits[static_cast<std::size_t>(i)] = LimitText(i);
  if (view_) view_->PlotLimitUpdate();
}

bool MainModel::SetLimit(int index, std::string_view text) {
  switch (index) {
    case 0: return XRDPlot.SetTTMin(text);
    case 1: return XRDPlot.SetTTMax(text);
    case 2: return XRDPlot.Setimin(text);
    case 3: return XRDPlot.SetIMax(text);
    default: return false;
  }
}

void MainModel::PlotLimitGotFocus(int index) {
  (void)index;
  WriteUndoRecord();
}

bool MainModel::PlotLimitChanged(int index, std::string_view text) {
  if (!SetLimit(index, text)) return false;
  MakeXRDPlot();
  return true;
}

std::string MainModel::PlotLimitLostFocus(int index) {
  if (index < 0 || index > 3) return std::string();
  PlotLimits[static_cast<std::size_t>(index)] = LimitText(index);
  XRDPlot.LimitHistory(-1);
  RefreshHistoryButtons();
  return PlotLimits[static_cast<std::size_t>(index)];
}

void MainModel::SetWindow(float ttMin, float ttMax) {
  const std::string lo = SingleText(ttMin), hi = SingleText(ttMax);
  // Move the edge first that keeps the window valid in between.
  if (ttMin < XRDPlot.SngTTMin()) {
    XRDPlot.SetTTMin(lo);
    XRDPlot.SetTTMax(hi);
  } else {
    XRDPlot.SetTTMax(hi);
    XRDPlot.SetTTMin(lo);
  }
}

void MainModel::SetIntensityWindow(const std::string& lo, const std::string& hi) {
  // As for the horizontal window: set first the limit that keeps lo < hi.
  if (LenientDouble(lo) < XRDPlot.IMaxValue()) {
    XRDPlot.Setimin(lo);
    XRDPlot.SetIMax(hi);
  } else {
    XRDPlot.SetIMax(hi);
    XRDPlot.Setimin(lo);
  }
}

void MainModel::ShiftLeft() {
  WriteUndoRecord();
  float lo = XRDPlot.SngTTMin(), hi = XRDPlot.SngTTMax();
  float step = (hi - lo) / 3.0f;
  float newLo = std::max(lo - step, XRDPlot.TTAbsMin);
  float shift = lo - newLo;
  XRDPlot.SetTTMin(SingleText(newLo));
  XRDPlot.SetTTMax(SingleText(hi - shift));
  PlotLimitUpdate();
  XRDPlot.LimitHistory(-1);
  RefreshHistoryButtons();
  MakeXRDPlot();
}

void MainModel::ShiftRight() {
  WriteUndoRecord();
  float lo = XRDPlot.SngTTMin(), hi = XRDPlot.SngTTMax();
  float step = (hi - lo) / 3.0f;
  float newHi = std::min(hi + step, XRDPlot.TTAbsMax);
  float shift = newHi - hi;
  XRDPlot.SetTTMax(SingleText(newHi));
  XRDPlot.SetTTMin(SingleText(lo + shift));
  PlotLimitUpdate();
  XRDPlot.LimitHistory(-1);
  RefreshHistoryButtons();
  MakeXRDPlot();
}

void MainModel::PlotHistory(int action) {
  if (action < 0 || action > 3) return;
  WriteUndoRecord();
  XRDPlot.LimitHistory(action);
  RefreshHistoryButtons();
  PlotLimitUpdate();
  MakeXRDPlot();
}

void MainModel::Unzoom() { PlotHistory(0); }

// --- mouse ------------------------------------------------------------------------------------

void MainModel::SetMouseMode(std::int16_t mode) {
  if (mode < kPoint || mode > kVolume) return;
  if (mode == kFullStrain && crystalSystem_ != 8) return;  // the button is disabled then
  WriteUndoRecord();
  mouseMode_ = mode;
  FormUpdate();
}

float MainModel::PrimaryLambda() const { return data.Lambda(data.PrimaryLineIndex()); }

std::vector<std::array<std::int16_t, 3>> MainModel::Nearest(float d, int maxNumber) const {
  std::vector<std::array<std::int16_t, 3>> out;
  if (PatternType == "jcpds") {
    for (std::int16_t p : XRDPlot.jcpdsNearestLine(d, maxNumber, UnitCell, PeakList))
      out.push_back({PeakList.h(p), PeakList.k(p), PeakList.l(p)});
  } else {
    for (const MillerIndices& r : XRDPlot.NearestLine(d, maxNumber, UnitCell, pattern, false))
      out.push_back({r.h, r.k, r.l});
  }
  return out;
}

bool MainModel::PlotMouseDown(MouseButton button, float x, float y) {
  if (button == MouseButton::Right) return true;  // the Plot pop-up menu
  if (button != MouseButton::Left) return false;
  buttonDown_ = true;
  WriteUndoRecord();
  switch (mouseMode_) {
    case kPoint:
      boxDrawn_ = false;
      anchorX_ = lastX_ = x;
      anchorY_ = lastY_ = y;
      break;
    case kCellEdge:
    case kFullStrain:
    case kVolume: {
      dragged_ = Nearest(XRDPlot.DFromTT(x), 1);
      d0_ = 0;
      anchorX_ = x;
      ReportText.clear();
      if (!dragged_.empty()) {
        const auto& r = dragged_.front();
        ReportText = "Dragging " + std::to_string(r[0]) + std::to_string(r[1]) + std::to_string(r[2]);
        ReportChanged();
        d0_ = UnitCell.hklDSpacing(r[0], r[1], r[2]);
        if (d0_ > 0) anchorX_ = XRDPlot.TTFromD(PrimaryLambda(), d0_);
      }
      anchorY_ = lastY_ = y;
      lastX_ = x;
      segmentDrawn_ = true;
      ShowRubberBand(RubberBandFigure{RubberBandFigure::Kind::Segment, anchorX_, y, x, y});
      if (mouseMode_ == kFullStrain) EliminateSymmetry();
      break;
    }
    case kHand:
      anchorX_ = x;
      anchorY_ = y;
      break;
    default: break;
  }
  return false;
}

void MainModel::PlotMouseMove(MouseButton button, float x, float y) {
  if (!buttonDown_ || button != MouseButton::Left) return;
  switch (mouseMode_) {
    case kPoint:
      if (std::fabs(anchorX_ - x) > 0.01f && RoundHalfEven(std::fabs(anchorY_ - y)) >= 1) {
        ShowRubberBand(RubberBandFigure{RubberBandFigure::Kind::Box, anchorX_, anchorY_, x, y});
        boxDrawn_ = true;
        lastX_ = x;
        lastY_ = y;
      }
      break;
    case kCellEdge:
    case kFullStrain:
    case kVolume:
      ShowRubberBand(RubberBandFigure{RubberBandFigure::Kind::Segment, anchorX_, y, x, y});
      segmentDrawn_ = true;
      lastX_ = x;
      lastY_ = y;
      break;
    default: break;
  }
}

void MainModel::PlotMouseUp(MouseButton button, float x, float y) {
  if (!buttonDown_) return;
  WriteUndoRecord();
  float dt = XRDPlot.DFromTT(x);
  bool redraw = true;
  switch (mouseMode_) {
    case kPoint:
      if (boxDrawn_) {
        ShowRubberBand(std::nullopt);
        boxDrawn_ = false;
        if (button == MouseButton::Left) {
          SetWindow(std::min(anchorX_, x), std::max(anchorX_, x));
          SetIntensityWindow(SingleText(std::min(anchorY_, y)), SingleText(std::max(anchorY_, y)));
          PlotLimitUpdate();
          XRDPlot.LimitHistory(-1);
          RefreshHistoryButtons();
        }
      } else {
        CursorReadout(x, y);
        redraw = false;
      }
      break;
    case kCellEdge:
    case kFullStrain:
    case kVolume: {
      ShowRubberBand(std::nullopt);
      segmentDrawn_ = false;
      // A press that found no reflection leaves the cell as it was.
      if (!dragged_.empty() && d0_ > 0) {
        if (snap_) dt = GrowPeak(5, 15, d0_);
        const auto& r = dragged_.front();
        if (mouseMode_ == kCellEdge) CellEdgeDrag(UnitCell, r[0], r[1], r[2], d0_, dt);
        else if (mouseMode_ == kVolume) VolumeDrag(UnitCell, d0_, dt);
        else FullStrainDrag(UnitCell, r[0], r[1], r[2], d0_, dt);
      }
      UnitCell.CellHistory(-1);
      FormUpdate();
      if (!ReportText.empty()) ReportText += "\n";
      ReportText += "Volume tracking: " + Num(UnitCell.VNorm());
      ReportChanged();
      break;
    }
    case kHand: Pan(x, y); break;
    default: break;
  }
  if (redraw) MakeXRDPlot();
  anchorX_ = x;
  anchorY_ = y;
  buttonDown_ = false;
}

void MainModel::Pan(float x, float y) {
  const float dx = x - anchorX_, dy = y - anchorY_;
  const float lo = XRDPlot.SngTTMin(), hi = XRDPlot.SngTTMax();
  const float absLo = XRDPlot.TTAbsMin, absHi = XRDPlot.TTAbsMax;
  float newLo = lo - dx, newHi = hi - dx;
  // Keep the width and stay inside the absolute bounds.
  if (newLo < absLo) {
    newHi += absLo - newLo;
    newLo = absLo;
  }
  if (newHi > absHi) {
    newLo = std::max(absLo, newLo - (newHi - absHi));
    newHi = absHi;
  }
  SetWindow(newLo, newHi);
  const double iLo = XRDPlot.IMinValue() - dy, iHi = XRDPlot.IMaxValue() - dy;
  SetIntensityWindow(DoubleText(iLo), DoubleText(iHi));
  PlotLimitUpdate();
  XRDPlot.LimitHistory(-1);
  RefreshHistoryButtons();
}

void MainModel::CursorReadout(float x, float y) {
  float dt = XRDPlot.DFromTT(x);
  auto found = Nearest(dt, 10);
  std::string text;
  if (!found.empty()) {
    for (std::size_t i = 0; i < found.size(); ++i) {
      const auto& r = found[i];
      if (i > 0) text += ", ";
      text += std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]);
    }
    text += "\n";
    const auto& first = found.front();
    text += "(d = " + Num(UnitCell.hklDSpacing(first[0], first[1], first[2])) + ")\n";
  }
  text += "Cursor:\n";
  if (XRDPlot.DataType() == "Energy") {
    text += "Channel = " + Num(x) + ",\n";
    text += "Energy = " + Num(XRDPlot.EnergyFromChannel(x)) + ",\n";
  } else {
    text += "2 theta = " + Num(x) + ",\n";
    text += "I = " + Num(y) + ",\n";
  }
  text += "d = " + Num(dt) + "\n";
  text += "Cell volume: " + Num(UnitCell.Volume()) + "\n";
  text += "Volume tracking: " + Num(UnitCell.VNorm()) + "\n";
  if (PatternType == "jcpds") text += "PeakSum: " + Num(PkSum());
  ReportText = text;
  ReportChanged();
}

float MainModel::GrowPeak(std::int32_t peakHalfWidth, std::int32_t halfRange, float initialDSpacing) const {
  const float x = XRDPlot.TTFromD(PrimaryLambda(), initialDSpacing);
  const auto i0 = data.Index(x);
  if (!i0) return XRDPlot.DFromTT(x);
  const std::int64_t first = std::int64_t{*i0} - halfRange - peakHalfWidth;
  const std::int64_t last = std::int64_t{*i0} + halfRange + peakHalfWidth;
  if (first < 0 || last > data.NChan() - 1) return XRDPlot.DFromTT(x);
  double best = -10000.0;
  std::int32_t bestJ = 0;
  for (std::int32_t j = -halfRange; j <= halfRange; ++j) {
    double sum = 0;
    for (std::int32_t m = -peakHalfWidth; m <= peakHalfWidth; ++m) sum += data.Intensity(*i0 + j + m);
    if (sum > best) {
      best = sum;
      bestJ = j;
    }
  }
  return XRDPlot.DFromTT(data.TwoTheta(*i0 + bestJ));
}

double MainModel::IFromDSPacing(float d) const {
  if (d < XRDPlot.DMin() || d > XRDPlot.DMax()) return 0.0;
  const float x = XRDPlot.TTFromD(PrimaryLambda(), d);
  if (data.DataType == "Energy") return data.IntensityInterpolated(x);
  // Angle data: interpolate at the fractional channel of the 2-theta position.
  const auto& xs = data.XValues();
  if (xs.size() < 2 || !(x >= xs.front()) || !(x <= xs.back())) return 0.0;
  auto upper = std::upper_bound(xs.begin(), xs.end(), x);
  std::size_t i2 = static_cast<std::size_t>(upper - xs.begin());
  if (i2 >= xs.size()) i2 = xs.size() - 1;
  std::size_t i1 = i2 - 1;
  const double span = static_cast<double>(xs[i2]) - xs[i1];
  const double fraction = span > 0 ? (static_cast<double>(x) - xs[i1]) / span : 0.0;
  const double a = data.Intensity(static_cast<std::int32_t>(i1)), b = data.Intensity(static_cast<std::int32_t>(i2));
  return a + fraction * (b - a);
}

double MainModel::PkSum() const {
  double sum = 0;
  for (int i = 0; i < PeakList.NumberOfPeaks(); ++i) {
    if (!PeakList.Included(i)) continue;
    float d = UnitCell.hklDSpacing(PeakList.h(i), PeakList.k(i), PeakList.l(i));
    sum += static_cast<double>(PeakList.Intens(i)) * IFromDSPacing(d);
  }
  return sum;
}

// --- exit -------------------------------------------------------------------------------------

bool MainModel::ExitQuestionNeeded() const { return UnitCell.NumberOfChanges() >= 26 && dataOpened_; }

bool MainModel::QueryExit() {
  if (!ExitQuestionNeeded()) return true;
  switch (platform_.AskYesNoCancel("Save your work to a .prb file?")) {
    case MessageAnswer::Yes:
      // Closing after a cancelled or failed save would lose the work.
      return ProjectSave();
    case MessageAnswer::No: return true;
    default: return false;
  }
}

}  // namespace quorlin
