// Shared set-up of the window tests: one QApplication for the whole binary
// (the tests run offscreen), a program folder in a fresh temp directory, a
// shown main window over a scripted platform, and the small gestures the
// tests use on named controls.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "../mainwindow/scripted_platform.h"
#include "../support/ceo2_synchrotron.h"
#include "frm_main.h"

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

// The child of this name; a missing one fails the test, naming it.
template <class T>
T* Child(const QObject* parent, const QString& name) {
  T* c = parent->findChild<T*>(name);
  EXPECT_NE(c, nullptr) << name.toStdString();
  return c;
}

// A radio button takes a click on its round indicator or its caption only,
// and a short caption leaves the middle empty.
inline void ClickOption(QRadioButton* option) {
  ASSERT_NE(option, nullptr);
  QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

// Types over a text box's contents and presses Enter, as a user would.
inline void Type(QLineEdit* box, const QString& text) {
  ASSERT_NE(box, nullptr);
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, text);
  QTest::keyClick(box, Qt::Key_Return);
}

// How long the fixture waits after showing the window.
enum class Shown { Active, Exposed, NoWait };

// A shown main window over a scripted platform in a fresh program folder.
struct MainWindowFixture {
  TempHome home;
  ScriptedPlatform platform;
  frmMain window{&platform};

  explicit MainWindowFixture(Shown shown = Shown::Active) {
    window.show();
    if (shown == Shown::Active) {
      window.activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    } else if (shown == Shown::Exposed) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
  }
  MainModel& m() { return window.Model(); }
  QAction* Menu(const char* name) { return window.findChild<QAction*>(name); }
  // Triggers the named menu item, which must exist and be enabled.
  void Trigger(const char* name) {
    QAction* a = Menu(name);
    ASSERT_NE(a, nullptr) << name;
    ASSERT_TRUE(a->isEnabled()) << name;
    a->trigger();
  }
  // Opens a tool window by its menu item and returns it if it is shown.
  template <class T>
  T* OpenTool(QAction* item) {
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    T* w = window.FindToolWindow<T>();
    EXPECT_TRUE(w && w->isVisible());
    return w;
  }
  void Undo() { QTest::mouseClick(window.cmdUndo, Qt::LeftButton); }
  // The real CeO2 pattern, measured at 0.4066 A: that line alone, made
  // primary, and the cubic system. False when the file cannot be read.
  bool UseCeO2AtSynchrotron() { return LoadCeO2AtSynchrotron(m()); }
};

}  // namespace quorlin::testing
