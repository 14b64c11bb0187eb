#include "quorlin_application.h"

#include <QMessageBox>
#include <exception>

namespace quorlin {

bool QuorlinApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    QMessageBox::warning(activeWindow(), "Quorlin", QString::fromUtf8(e.what()));
  } catch (...) {
    QMessageBox::warning(activeWindow(), "Quorlin", "An unexpected error stopped that command.");
  }
  return false;
}

}  // namespace quorlin
