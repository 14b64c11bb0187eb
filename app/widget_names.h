// Small helpers for building windows whose controls are found by name: the
// GUI tests and the window code both look controls up by objectName.
#pragma once

#include <QPushButton>
#include <QString>

namespace quorlin {

// The name of element i of a control array, "Name(i)".
inline QString Indexed(const char* name, int i) { return QString("%1(%2)").arg(name).arg(i); }

template <class W>
W* Named(W* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

// A named push button that Enter in a text box does not press.
inline QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
  auto* b = Named(new QPushButton(caption, parent), name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace quorlin
