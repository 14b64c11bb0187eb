// The Quorlin desktop program. With --export-plot it draws a project's plot
// into a picture file and exits without showing a window.
#include <QApplication>
#include <QLineEdit>
#include <cstdio>

#include "frm_main.h"
#include "plot_export.h"
#include "quorlin_application.h"

int main(int argc, char** argv) {
  quorlin::QuorlinApplication app(argc, argv);
  QApplication::setApplicationName("Quorlin");

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

  quorlin::frmMain window;
  window.show();
  window.CellText[0]->setFocus();
  window.CellText[0]->selectAll();
  return QApplication::exec();
}
