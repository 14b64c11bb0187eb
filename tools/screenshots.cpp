// quorlin-screenshots OUTDIR [--system MENU SYMBOL] [--cell A B C ALPHA BETA GAMMA]
//                     [FILE | --wavelength LAMBDA ...] [-- MENU ...]
// Pictures of the real windows for the user guide. Opens the main window on
// the FILEs (in order, as if named on the command line; --wavelength makes
// LAMBDA the only source line from there on, as the user would in the
// wavelength window, so that a structure opened next gets its intensities
// for it), chooses reflection-
// condition entry SYMBOL in the crystal-system window MENU opens, types the
// cell into the cell editor, and writes OUTDIR/frmMain.png; then triggers each MENU (an
// action's objectName) and writes every window that it shows as
// OUTDIR/<window objectName>.png. A modal dialog is pictured and closed; a
// MENU the program does not have is skipped with a note.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "crystal_system_windows.h"
#include "frm_main.h"
#include "mainwindow/wavelength_dialog.h"

namespace {

QString outDir;
QSet<QWidget*> pictured;
int written = 0;

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void Picture(QWidget* w) {
  if (pictured.contains(w) || w->objectName().isEmpty()) return;
  pictured.insert(w);
  const QString path = QDir(outDir).filePath(w->objectName() + ".png");
  if (w->grab().save(path)) {
    std::printf("%s\n", path.toUtf8().constData());
    std::fflush(stdout);
    ++written;
  } else {
    std::fprintf(stderr, "quorlin-screenshots: %s: cannot be written\n", path.toUtf8().constData());
  }
}

// Every shown window not pictured yet; a modal one is closed afterwards so
// that the menu's exec() returns.
void PictureNewWindows() {
  Settle();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && !pictured.contains(w)) Picture(w);
  if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->reject();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments();
  args.removeFirst();
  if (args.isEmpty()) {
    std::fprintf(stderr,
                 "usage: quorlin-screenshots OUTDIR [--system MENU SYMBOL] [--cell A B C ALPHA BETA GAMMA] "
                 "[FILE | --wavelength LAMBDA ...] [-- MENU ...]\n");
    return 2;
  }
  outDir = args.takeFirst();
  QDir().mkpath(outDir);
  QStringList system, cell, files, menus, ticks;
  bool inMenus = false;
  while (!args.isEmpty()) {
    QString a = args.takeFirst();
    if (inMenus) menus << a;
    else if (a == "--") inMenus = true;
    else if (a == "--cell") { for (int i = 0; i < 6 && !args.isEmpty(); ++i) cell << args.takeFirst(); }
    else if (a == "--wavelength" && !args.isEmpty()) files << "\n" + args.takeFirst();
    else if (a == "--tick" && !args.isEmpty()) ticks << args.takeFirst();
    else if (a == "--system") { for (int i = 0; i < 2 && !args.isEmpty(); ++i) system << args.takeFirst(); }
    else files << a;
  }

  quorlin::frmMain window;
  window.resize(1200, 800);
  window.show();
  for (const QString& f : files) {
    if (!f.startsWith('\n')) {
      if (!window.OpenNamedFile(f)) return 2;
      continue;
    }
    // The first free line ("Wavelength 1") made primary, the tube's lines off.
    quorlin::WavelengthDialog wl(window.Model());
    constexpr int kLine = 6;
    if (!wl.WavelengthEntered(kLine, f.mid(1).toStdString())) return 2;
    wl.CheckClicked(kLine, true);
    for (int i = 0; i < quorlin::WavelengthDialog::kLines && !wl.Row(kLine).primary; ++i) wl.MovePrimaryToNextAvailable();
    for (int i = 0; i < quorlin::WavelengthDialog::kLines; ++i)
      if (i != kLine) wl.CheckClicked(i, false);
    wl.Replot();
  }
  if (system.size() == 2) {
    auto* action = window.findChild<QAction*>(system[0]);
    if (action == nullptr) return 2;
    action->trigger();
    Settle();
    for (auto* w : window.findChildren<quorlin::CrystalSystemToolWindow*>()) {
      if (!w->isVisible()) continue;
      w->Logic().ChooseSymbol(system[1].toInt());
      w->hide();
    }
  }
  for (int i = 0; i < cell.size(); ++i) window.Model().CellTextChanged(i, cell[i].toStdString());
  Settle();
  Picture(&window);

  int status = 0;
  for (const QString& name : menus) {
    auto* action = window.findChild<QAction*>(name);
    // A window still being written has no menu item yet: its picture comes
    // once it does, and the others are made meanwhile.
    if (action == nullptr) {
      std::fprintf(stderr, "quorlin-screenshots: no menu item %s, skipped\n", name.toUtf8().constData());
      continue;
    }
    if (!action->isEnabled()) {
      std::fprintf(stderr, "quorlin-screenshots: no enabled menu item %s\n", name.toUtf8().constData());
      status = 2;
      continue;
    }
    // A modal dialog runs its own loop inside trigger(): the timer pictures
    // it there. A modeless window is pictured once trigger() returns.
    QTimer::singleShot(200, &PictureNewWindows);
    action->trigger();
    // Boxes to tick in the window just opened, as a user would before looking.
    Settle();
    for (const QString& tick : ticks)
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = w->findChild<QCheckBox*>(tick)) box->setChecked(true);
    PictureNewWindows();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != &window && w->isVisible()) w->hide();
  }
  return written == 0 ? 2 : status;
}
