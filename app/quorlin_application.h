// The program's QApplication. Qt cannot carry an exception through its event
// loop, so any error escaping an event handler is caught here, in one place,
// and shown in a message box instead of ending the program.
#pragma once

#include <QApplication>

namespace quorlin {

class QuorlinApplication : public QApplication {
 public:
  QuorlinApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quorlin
