// MainModel: the File menu: importing and exporting measured data, the
// project dialogs and the factory default.
#include "mainwindow/main_model.h"

#include <sstream>
#include <string>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/formats.h"
#include "data/readers.h"
#include "mainwindow/data_import.h"

namespace quorlin {

// --- data files ---------------------------------------------------------------------

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
  if (chosen) return ImportDataFile(type, *chosen);
  Notify();
  return false;
}

bool MainModel::ImportDataFile(const std::string& type, const std::string& path) {
  bool ok = false;
  Edit([&] { ok = ImportFile(type, DialogPath(path)); });
  return ok;
}

bool MainModel::ImportFile(const std::string& type, const std::string& file) {
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
  return ok;
}

bool MainModel::ExportXY() {
  FileDialogRequest request;
  request.title = "Save To File";
  request.filters = {{"xy (*.xy)", "*.xy"}, kAllFiles};
  request.defaultExtension = "xy";
  // The data's own folder and its bare name: the dialog joins the two.
  const std::string dataFile = PatternDataFile;
  const std::string folder = FolderOf(dataFile);
  request.initialFolder = folder.empty() ? DataDirectory : folder;
  request.fileName = FileNameOf(dataFile) + ".xy";
  auto chosen = platform_.SaveFileDialog(request);
  if (!chosen) return false;
  return WriteDataFile(DialogPath(*chosen), "xy");
}

bool MainModel::ProjectOpen() {
  bool ok = false;
  Edit([&] {
    FileDialogRequest request;
    request.title = "Open File";
    request.filters = {kProjectFiles, kAllFiles};
    request.initialFolder = ProjectDirectory;
    auto chosen = platform_.OpenFileDialog(request);
    if (chosen) ok = ProjectOpenFile(DialogPath(*chosen));
  });
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
  bool ok = false;
  Edit([&] {
    ReadStateFromPb(PropertyBag());
    ok = WriteState(DefaultProjectPath());
  });
  return ok;
}

}  // namespace quorlin
