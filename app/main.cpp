// The Quorlin desktop program. With --export-plot it draws a project's plot
// into a picture file and exits without showing a window; a file named on the
// command line (how a desktop passes a double-clicked file) opens as if it
// had been dropped on the window.
#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <cstring>

#include "frm_main.h"
#include "plot_export.h"
#include "quorlin_application.h"

namespace {

constexpr const char* kHelp =
    "usage: quorlin [FILE]\n"
    "       quorlin --export-plot PROJECT.prb OUT.png [--size WxH] [--no-axes]\n"
    "       quorlin --version | --help\n"
    "\n"
    "Quorlin, a workbench for powder diffraction and crystallography: fit a unit\n"
    "cell to a measured pattern by dragging its reflections over the plot.\n"
    "\n"
    "FILE, when given, is opened at start-up as if it had been dropped on the\n"
    "window: a project (.prb), a unit-cell library (.ucl, shown in the Unit Cell\n"
    "Databases window), a jcpds card (.jcpds) or a measured pattern\n"
    "(GSAS, Sietronics CPI, CHI, MCA or x-y; the format is told from the content).\n"
    "\n"
    "options:\n"
    "  --export-plot PROJECT.prb OUT   draw the project's plot into OUT (PNG, BMP\n"
    "                                  or SVG by the extension) and exit; needs no\n"
    "                                  display (QT_QPA_PLATFORM=offscreen)\n"
    "  --size WxH                      the picture's size in pixels (800x600)\n"
    "  --no-axes                       the plot alone, without frame and axes\n"
    "  --version                       print the version and exit\n"
    "  --help                          print this help and exit\n"
    "\n"
    "exit status: 0 done; 2 bad arguments or an unreadable project; 3 the picture\n"
    "was drawn without the measured pattern the project names.\n"
    "\n"
    "environment: QUORLIN_HOME, the folder of the default project pb.prb (else the\n"
    "program's folder when writable, else ~/.local/share/Quorlin).\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before the toolkit starts, so they work without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("quorlin %s\n", QUORLIN_VERSION);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kHelp, stdout);
    return 0;
  }

  quorlin::QuorlinApplication app(argc, argv);
  QApplication::setApplicationName("Quorlin");
  QApplication::setApplicationVersion(QUORLIN_VERSION);

  QStringList args = QApplication::arguments();
  args.removeFirst();
  if (!args.isEmpty() && args.front() == "--export-plot") {
    args.removeFirst();
    std::string error;
    int status = quorlin::ExportPlot(args, error);
    if (status != 0) std::fprintf(stderr, "quorlin: %s%s\n", status == quorlin::kDrawnWithoutData ? "warning: " : "",
                                  error.c_str());
    return status;
  }
  if (args.size() > 1 || (!args.isEmpty() && args.front().startsWith("--"))) {
    std::fprintf(stderr, "quorlin: unexpected arguments (try quorlin --help)\n");
    return 2;
  }

  quorlin::frmMain window;
  window.show();
  window.CellText[0]->setFocus();
  window.CellText[0]->selectAll();
  // A file that cannot be opened gets the reader's message; the window stays.
  if (!args.isEmpty()) window.OpenNamedFile(args.front());
  return QApplication::exec();
}
