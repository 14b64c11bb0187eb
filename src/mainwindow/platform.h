// The few platform services the main window's model needs: message boxes,
// file dialogs, the colour chooser and a file-exists test. The model only
// talks to these interfaces; the Qt window supplies real ones and the tests
// supply scripted ones, so no test ever blocks on a modal window.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlin {

// The answer of a message box. An OK-only box always answers Ok.
enum class MessageAnswer { Ok, Yes, No, Cancel };

// One filter pair of a file dialog: the text shown and its pattern,
// e.g. {"Quorlin Project Files (*.prb)", "*.prb"}.
struct FileFilter {
  std::string description;
  std::string pattern;
};

// Everything a file dialog is opened with. filterIndex counts from 1.
struct FileDialogRequest {
  std::string title;
  std::vector<FileFilter> filters;
  int filterIndex = 1;
  std::string defaultExtension;  // without the dot; empty = none
  std::string initialFolder;
  std::string fileName;  // proposed name (save dialogs), may be empty
};

// Colours are 32-bit values with red in the lowest byte, then green, then blue.
using CustomColors = std::array<std::uint32_t, 16>;

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // A message box with an OK button under the application title.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question with Yes, No and Cancel buttons.
  virtual MessageAnswer AskYesNoCancel(const std::string& text) = 0;

  // The chosen path ("/" separators), or nothing when cancelled.
  virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;

  // The colour chooser with 16 custom colours. On OK returns the chosen colour
  // and leaves the (possibly edited) custom colours in `custom`; on cancel
  // returns nothing and must leave `custom` untouched. `initial` empty = no
  // preset colour.
  virtual std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t> initial,
                                                   CustomColors& custom) = 0;

  // True when a regular file of that name exists. The default asks the file
  // system directly.
  virtual bool FileExists(const std::string& path);

  // One of several items (the data blocks of a CIF file), by index; nothing
  // when cancelled. The default takes the first.
  virtual std::optional<int> ChooseItem(const std::string& title, const std::vector<std::string>& items) {
    (void)title;
    if (items.empty()) return std::nullopt;
    return 0;
  }
};

// A figure of the plot gesture in the plot's user coordinates: the zoom box
// (Point mode) or the horizontal drag segment (drag modes).
struct RubberBandFigure {
  enum class Kind { Box, Segment };
  Kind kind = Kind::Box;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  friend bool operator==(const RubberBandFigure&, const RubberBandFigure&) = default;
};

// What the model asks of the window that shows it. Every call is a request to
// refresh from the model's public state; the defaults do nothing, so a test or
// a headless tool only overrides what it watches.
class IMainView {
 public:
  virtual ~IMainView() = default;
  // Refresh every control from the model (menus, mode buttons, dimension
  // boxes, axis restriction, condition combos, scroll bars and cell texts,
  // ReportText and the displacement box).
  virtual void FormUpdate() {}
  // Redraw the whole plot.
  virtual void MakeXRDPlot() {}
  // Rewrite the four plot-limit boxes from MainModel::PlotLimits.
  virtual void PlotLimitUpdate() {}
  // Enable the plot-history buttons and Unzoom from XRDPlot.ForwardOK/BackwardOK.
  virtual void RefreshPlotHistoryButtons() {}
  // MainModel::ReportText changed without a full FormUpdate.
  virtual void ReportTextChanged() {}
  // The window caption ("Quorlin: " and the data file).
  virtual void SetCaption(const std::string& caption) { (void)caption; }
  // The rubber band now on the plot: the figure to show, or none (remove the
  // one shown). A window drawing in an inverting pen erases the previous
  // figure by drawing it again.
  virtual void RubberBandChanged(const std::optional<RubberBandFigure>& figure) { (void)figure; }
  // The trial of a held drag changed (or went): redraw the plot under a
  // PlotPreview. Moves come faster than frames; a window may draw only the
  // last one of a frame.
  virtual void PlotPreviewChanged() {}
};

// The 64-character text form of the 16 custom colours kept in the project
// (each colour as four bytes, lowest byte first) and back. A text of any other
// length reads as 16 zero colours.
std::string CustomColorsToText(const CustomColors& colors);
CustomColors CustomColorsFromText(std::string_view text);

// The program's folder, "/" separated and without a trailing "/": the
// QUORLIN_HOME environment variable when set; else the folder of the running
// executable when it is writable; else the user's data folder for Quorlin
// ($XDG_DATA_HOME/Quorlin or ~/.local/share/Quorlin), created when missing.
std::string ProgramFolder();

// A path as a dialog or an old project gives it: a fixed-size buffer may pad
// it with NULs, which no path holds. Everything else is kept exactly (spaces,
// any letters); only the caption is filtered to printable characters.
std::string DialogPath(std::string_view text);

// The folder part of a path ("/a/b/c.prb" -> "/a/b"), and the name part.
std::string FolderOf(std::string_view path);
std::string FileNameOf(std::string_view path);

}  // namespace quorlin
