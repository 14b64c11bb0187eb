// Shared set-up of the window tests: one QApplication for the whole binary
// (the tests run offscreen) and a program folder in a fresh temp directory.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

namespace quorlin::testing {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "quorlin_gui_tests";
  static char* argv[] = {name, nullptr};
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Deliberately never destroyed: widgets of a failed test may outlive it.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Points QUORLIN_HOME at a temp folder for as long as the object lives.
class TempHome {
 public:
  TempHome() {
    App();
    setenv("QUORLIN_HOME", dir_.path().toUtf8().constData(), 1);
  }
  ~TempHome() { unsetenv("QUORLIN_HOME"); }
  QString Path() const { return dir_.path(); }
  QString File(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
};

}  // namespace quorlin::testing
