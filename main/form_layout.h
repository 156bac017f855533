// What the windows share to lay out their controls.
#pragma once

#include <QFont>
#include <QWidget>

namespace quorbit {

// Names a control and puts it at its place on its parent.
template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left, top, width, height);
  return widget;
}

// The windows' text font, 8 point.
inline QFont ControlFont(bool bold = false) {
  QFont f("MS Sans Serif");
  f.setPointSize(8);
  f.setBold(bold);
  return f;
}

}  // namespace quorbit
