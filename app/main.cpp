// The Quorlin desktop program.
#include <QApplication>
#include <QLineEdit>

#include "frm_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quorlin");
  quorlin::frmMain window;
  window.show();
  window.CellText[0]->setFocus();
  window.CellText[0]->selectAll();
  return QApplication::exec();
}
