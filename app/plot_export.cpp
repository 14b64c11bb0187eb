#include "plot_export.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "core/bag_file.h"
#include "core/errors.h"
#include "qt_surface.h"

namespace quorlin {

namespace {

// Messages of a headless run are collected instead of shown; the first one
// becomes the error line.
class HeadlessPlatform : public IPlatform {
 public:
  std::string firstMessage;
  std::vector<std::string> messages;
  void ShowMessage(const std::string& text) override {
    if (firstMessage.empty()) firstMessage = text;
    messages.push_back(text);
  }
  MessageAnswer AskYesNoCancel(const std::string&) override { return MessageAnswer::Cancel; }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t>, CustomColors&) override {
    return std::nullopt;
  }
};

// The data files the project names (a key is stored only when it differs from
// its default) that could not be read again, each with the reason: the
// message the reader gave, or that the file is gone.
std::string MissingDataFiles(const std::string& project, MainModel& model, const std::vector<std::string>& shown) {
  PropertyBag bag;
  try {
    bag = ReadPropertyBagFromFile(project);
  } catch (const QuorlinError&) {
    return {};
  }
  std::vector<std::string> named;
  if (bag.Contains("PatternDataFile")) named.push_back(model.PatternDataFile);
  if (bag.Contains("MeasuredDataFile") && model.PatternDataFileType == "jcpds" && model.MeasuredDataFile != model.PatternDataFile)
    named.push_back(model.MeasuredDataFile);
  std::string text;
  for (const std::string& file : named) {
    std::string reason;
    if (!model.Platform().FileExists(file)) {
      reason = file + ": the data file does not exist";
    } else {
      for (const std::string& m : shown)
        if (m.rfind(file + ":", 0) == 0) {
          reason = m;
          break;
        }
    }
    if (reason.empty()) continue;
    text += (text.empty() ? "" : "; ") + reason;
  }
  if (!text.empty()) text += " (the plot was drawn without its data)";
  return text;
}

}  // namespace

void DrawPlot(MainModel& m, IDrawingSurface& surface) {
  m.XRDPlot.MakeXRDPlot(m.storedphases, surface, m.PlotFromOutside, m.pattern, m.UnitCell, m.data,
                        m.PatternType, m.PeakList);
}

void DrawPlot(MainModel& m, QtSurface& surface, bool withAxes) {
  if (withAxes)
    surface.SetAxes(AxesFor(m.XRDPlot));
  else
    surface.SetAxes(std::nullopt);
  DrawPlot(m, static_cast<IDrawingSurface&>(surface));
}

std::optional<QSize> ParsePictureSize(const QString& text) {
  static const QRegularExpression pattern("^\\s*(\\d{1,5})\\s*[xX]\\s*(\\d{1,5})\\s*$");
  auto match = pattern.match(text);
  if (!match.hasMatch()) return std::nullopt;
  int w = match.captured(1).toInt(), h = match.captured(2).toInt();
  if (w < 1 || h < 1 || w > 20000 || h > 20000) return std::nullopt;
  return QSize(w, h);
}

bool SavePictureSafely(const QtSurface& surface, const QString& path, std::string& error) {
  // One atomic replacement: a failed write leaves an older picture of that
  // name as it was.
  try {
    surface.SavePicture(path.toStdString());
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

int ExportPlot(const QStringList& arguments, std::string& error) {
  // arguments: PROJECT OUT [--size WxH] [--no-axes]
  QStringList args = arguments;
  QSize size(625, 400);
  const bool axes = !args.contains("--no-axes");
  args.removeAll("--no-axes");
  int sizeAt = args.indexOf("--size");
  if (sizeAt >= 0) {
    if (sizeAt + 1 >= args.size()) {
      error = "--size needs a value such as 800x600";
      return 2;
    }
    auto parsed = ParsePictureSize(args[sizeAt + 1]);
    if (!parsed) {
      error = "--size " + args[sizeAt + 1].toStdString() + ": expected WIDTHxHEIGHT, e.g. 800x600";
      return 2;
    }
    size = *parsed;
    args.remove(sizeAt, 2);
  }
  if (args.size() != 2) {
    error = "usage: quorlin --export-plot PROJECT.prb OUT.(png|bmp|svg) [--size WxH] [--no-axes]";
    return 2;
  }
  const QString project = args[0], out = args[1];
  const QString suffix = QFileInfo(out).suffix().toLower();
  if (suffix != "png" && suffix != "bmp" && suffix != "svg") {
    error = out.toStdString() + ": the picture must end in .png, .bmp or .svg";
    return 2;
  }
  if (!QFileInfo(project).isFile()) {
    error = project.toStdString() + ": no such file";
    return 2;
  }
  HeadlessPlatform platform;
  MainModel model(platform);
  if (!model.ReadState(project.toStdString())) {
    error = platform.firstMessage.empty() ? project.toStdString() + ": cannot be read" : platform.firstMessage;
    return 2;
  }
  const std::string missing = MissingDataFiles(project.toStdString(), model, platform.messages);
  QtSurface surface(size.width(), size.height());
  DrawPlot(model, surface, axes);
  if (!SavePictureSafely(surface, out, error)) return 2;
  if (!missing.empty()) {
    error = missing;
    return kDrawnWithoutData;
  }
  return 0;
}

}  // namespace quorlin
