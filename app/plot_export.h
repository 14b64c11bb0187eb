// Drawing the main window's plot onto a surface, shared by the window and the
// headless picture export, so both draw the same picture from the same model.
#pragma once

#include <QSize>
#include <QString>
#include <optional>
#include <string>

#include "mainwindow/main_model.h"
#include "plot/surface.h"

namespace quorlin {

class QtSurface;

// Everything MakeXRDPlot draws: reflection lines, stored phases, data.
void DrawPlot(MainModel& model, IDrawingSurface& surface);
// The same on a Qt picture, with the axes of the plot's unit round it unless
// withAxes is false (then the plot fills the picture edge to edge).
void DrawPlot(MainModel& model, QtSurface& surface, bool withAxes = true);

// "WxH" with both at least 1 and at most 20000, or nothing.
std::optional<QSize> ParsePictureSize(const QString& text);

// Writes the surface's picture (format from the extension: .png, .svg, else
// BMP) without ever leaving a half-written file under that name. False, with
// a one-line message in `error`, when it could not be written.
bool SavePictureSafely(const QtSurface& surface, const QString& path, std::string& error);

// The exit status of an export whose picture was written without the
// measured data: the data file the project names is gone or was refused.
constexpr int kDrawnWithoutData = 3;

// quorlin --export-plot PROJECT.prb OUT.(png|bmp|svg) [--size WxH]
// [--no-axes]: reads the project, draws the plot (with axes unless
// --no-axes) and writes the picture. Returns the exit status (0 done, 2 bad
// arguments or a file that cannot be read or written, kDrawnWithoutData when
// the picture lacks the data); problems go to `error` as one line naming the
// file.
int ExportPlot(const QStringList& arguments, std::string& error);

}  // namespace quorlin
