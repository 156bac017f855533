// What the windows share to lay out their controls.
#pragma once

#include <string>

#include <QFont>
#include <QWidget>

#include "skin/skin_theme.h"

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

// Where the windows' theme file was when they were designed. It is looked for under its name
// beside the program and in the Windows and system folders too.
inline constexpr char kThemeFile[] = "/usr/share/quorbit/skins/OneOrange.ssk";

// Gives the window its theme component, puts every skinned control on it to draw from the
// theme file, and loads that file.
inline skin::TsuiFileTheme* LoadTheme(QWidget* window, const std::string& programFolder) {
  auto* theme = new skin::TsuiFileTheme(window);
  theme->setObjectName("suiFileTheme1");
  theme->setProgramFolder(QString::fromStdString(programFolder));
  skin::UseThemeFile(window, theme);
  theme->SetThemeFile(kThemeFile);
  return theme;
}

}  // namespace quorbit
