// MainModel: the whole state in a property bag, the one-level undo, and
// project files.
#include "mainwindow/main_model.h"

#include <string>
#include <vector>

#include "core/bag_file.h"
#include "core/errors.h"
#include "core/numtext.h"

namespace quorlin {

namespace {

// Never equal to a real folder text, so the key is always written.
const std::string kAlwaysWritten(1, '\0');

}  // namespace

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
  // The axis kind, so that a project whose data file is gone still reads its
  // window on the right axis.
  bag.WriteProperty("DataType", data.DataType, std::string("Angle"));
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
  Pressure.WriteState(bag);
  bag.WriteProperty("LineCustomColors", LineCustomColors, std::string(64, '\0'));
  bag.WriteProperty("BackCustomColors", BackCustomColors, std::string(64, '\0'));
}

void MainModel::ReadStateFromPb(const PropertyBag& bag) {
  ReadFilesFromPb(bag);
  ReadObjectsFromPb(bag);
  ReimportStateData(bag);
  ReadSettingsFromPb(bag);
}

void MainModel::ReadFilesFromPb(const PropertyBag& bag) {
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
}

void MainModel::ReadObjectsFromPb(const PropertyBag& bag) {
  std::int32_t system = bag.ReadLong("CrystalSystem", 8);
  SetCrystalSystem(static_cast<std::int16_t>(system >= 1 && system <= 8 ? system : 8));
  UnitCell.ReadObjectState("", bag);
  data.ReadObjectState("", bag);
  pattern.ReadObjectState("", bag);
  XRDPlot.ReadObjectState("", bag);
  PeakList.ReadObjectState("", bag);
}

void MainModel::ReimportStateData(const PropertyBag& bag) {
  // The window as the state holds it. The plot's own read judged it against
  // the previous data's axis, which may refuse part of it; it is applied
  // again below against the data now loaded.
  const std::string ttMin = bag.ReadString("TTMin", "5"), ttMax = bag.ReadString("TTMax", "90");
  const std::string iMin = bag.ReadString("IMin", "0"), iMax = bag.ReadString("IMax", "10000");
  // The phase too: the re-import of a card rewrites it.
  const float displacement = XRDPlot.SpecimenDisplacement;
  const CUnitCell savedCell = UnitCell;
  const CPattern savedPattern = pattern;
  const clsPeakList savedPeaks = PeakList;
  const std::int16_t savedSystem = crystalSystem_;

  // A card carries no measured pattern: the pattern under it comes from its
  // own file first (the state read has just emptied the channels).
  std::vector<std::string> missing;
  auto reimport = [&](const std::string& file, const std::string& type) {
    if (!platform_.FileExists(file)) {
      missing.push_back(file);
      return false;
    }
    return OpenDataFile(file, type);
  };
  bool measured = false;
  // A card opened with no pattern under it leaves the factory placeholder
  // as the measured file: that is no file the user lost.
  const bool placeholder = MeasuredDataFile == "default.gsa" && MeasuredDataFileType == "gsa" &&
                           !platform_.FileExists(MeasuredDataFile);
  if (PatternDataFileType == "jcpds" && MeasuredDataFileType != "jcpds" && !MeasuredDataFile.empty() && !placeholder)
    measured = reimport(MeasuredDataFile, MeasuredDataFileType);
  const bool reimported = reimport(PatternDataFile, PatternDataFileType);
  // Only a data file the state names is worth a word: the factory state's
  // placeholder is not written to it.
  if (!missing.empty() && bag.Contains("PatternDataFile")) {
    std::string text = missing.front();
    for (std::size_t i = 1; i < missing.size(); ++i) text += ", " + missing[i];
    platform_.ShowMessage(text + ": the data file of the project is missing; the project opens without it");
  }
  // The caption names the file now shown, not the one imported before.
  Caption = reimported ? "Quorlin: " + ExtractFileName(PatternDataFile)
            : measured ? "Quorlin: " + ExtractFileName(MeasuredDataFile)
                       : "Quorlin";
  if (view_) view_->SetCaption(Caption);
  if (reimported && PatternDataFileType == "jcpds") {
    UnitCell = savedCell;
    // A project saved before phases kept their card takes the card's
    // constants from the card itself.
    const CardPhase card = savedPattern.Card.FromCard() ? savedPattern.Card : pattern.Card;
    pattern = savedPattern;
    pattern.Card = card;
    PeakList = savedPeaks;
    crystalSystem_ = savedSystem;
  }
  if (!reimported && !measured) {
    // No data came: the project's own axis, so that its window reads as the
    // channels or angles it was saved in, not as those of the data before.
    XRDPlot.SetDataType(StateDataType(bag));
    XRDPlot.StartHistory();
  }
  RestoreWindow(ttMin, ttMax, iMin, iMax, reimported || measured);
  XRDPlot.SpecimenDisplacement = displacement;
}

void MainModel::ReadSettingsFromPb(const PropertyBag& bag) {
  const std::string& home = programFolder_;
  UnitCellFileName = bag.ReadString("UnitCellFileName", home + "/UnitCells.ucl");
  PatternType = bag.ReadString("PatternType", "");
  PlotLimitUpdate();
  RefreshHistoryButtons();  // the window history starts again
  auto scale = [](std::int16_t v, std::int16_t fallback) { return v > 0 ? v : fallback; };
  CellScrollWrapper.SetEdgeScale(1, scale(bag.ReadInteger("DEdgeScale", 100), 100));
  CellScrollWrapper.SetEdgeScale(-1, scale(bag.ReadInteger("REdgeScale", 1000), 1000));
  CellScrollWrapper.SetAngleScale(scale(bag.ReadInteger("AngleScale", 100), 100));
  storedphases.ReadObjectState("", bag);
  Pressure.ReadState(bag);
  LineCustomColors = bag.ReadString("LineCustomColors", std::string(64, '\0'));
  BackCustomColors = bag.ReadString("BackCustomColors", std::string(64, '\0'));
  for (int slot = 0; slot < 5; ++slot) {
    const CPattern& p = storedphases.StoredPattern(slot);
    if (p.Exists && p.Plotted) MakeStoredVectors(slot);
  }
}

std::string MainModel::StateDataType(const PropertyBag& bag) const {
  // Projects written before the axis kind was kept: an MCA spectrum is the
  // one kind of file that is always read on channels.
  const std::string type = MeasuredDataFileType == "mca" ? "Energy" : "Angle";
  std::string kind = bag.ReadString("DataType", type);
  return kind == "Energy" ? kind : std::string("Angle");
}

void MainModel::RestoreWindow(const std::string& ttMin, const std::string& ttMax, const std::string& iMin,
                              const std::string& iMax, bool withData) {
  // The plot now shows the data's full range (or the axis bounds without
  // data) as the first entry of a fresh history. The stored window comes
  // back exactly when the plot accepts it and it still meets the data; it is
  // then a second history entry, so that Unzoom returns to the full range.
  const float fullLo = XRDPlot.SngTTMin(), fullHi = XRDPlot.SngTTMax();
  auto lo = StrictSingle(ttMin), hi = StrictSingle(ttMax);
  if (lo && hi && *lo < *hi && (!withData || (*lo < data.Upper && *hi > data.Lower))) {
    SetWindow(*lo, *hi);
    if (XRDPlot.SngTTMin() != *lo || XRDPlot.SngTTMax() != *hi) SetWindow(fullLo, fullHi);
  }
  double dataLo = 0, dataHi = 0;
  data.MinMaxIntensity(dataLo, dataHi);
  auto iLo = StrictSingle(iMin), iHi = StrictSingle(iMax);
  if (iLo && iHi && *iLo < *iHi && (!withData || (*iLo < dataHi && *iHi > dataLo))) {
    const std::string oldLo = XRDPlot.imin(), oldHi = XRDPlot.IMax();
    SetIntensityWindow(iMin, iMax);
    if (XRDPlot.imin() != iMin || XRDPlot.IMax() != iMax) SetIntensityWindow(oldLo, oldHi);
  }
  if (withData) XRDPlot.LimitHistory(-1);
  else XRDPlot.StartHistory();
}

void MainModel::WriteUndoRecord() { WriteStateToPb(undo_); }

void MainModel::Undo() {
  // Before the first change there is nothing to undo; reading the empty
  // record would throw away the state the default project gave.
  if (undo_.empty()) return;
  WriteStateToPb(redo_);
  ReadStateFromPb(undo_);
  undo_ = redo_;
  Notify();
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

}  // namespace quorlin
