// The Quorlin desktop program.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quorlin");
  QMainWindow window;
  window.setObjectName("frmMain");
  window.setWindowTitle("Quorlin");
  window.resize(1000, 760);
  window.show();
  return QApplication::exec();
}
