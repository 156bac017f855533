// The looks a skinned control can draw in, and the colours each look paints with.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>

namespace skin {

// The look of a skinned control. FromThemeFile draws from a loaded theme file; the others
// are built in.
enum class TsuiUIStyle {
  FromThemeFile = 0,
  MacOS = 1,
  WinXP = 2,
  DeepBlue = 3,
  Protein = 4,
  BlueGlass = 5
};

// What a look paints with.
struct StyleColors {
  QColor form;                     // window and panel background
  QColor control;                  // face of edits, lists and boxes
  QColor border;                   // outlines of every control
  QColor font;                     // text on the form and in controls
  QColor buttonFont;               // captions of buttons
  QColor titleFont;                // caption of the title bar
  QColor titleTop, titleBottom;    // title bar gradient
  QColor buttonTop, buttonBottom;  // button face gradient
  QColor buttonHover;              // outline of a button under the mouse or with focus
  QColor highlight;                // selection, checks, radio dots
  QColor barTop, barBottom;        // filled part of a progress bar
  QColor disabledFont;
};

// The colours of a built-in look; FromThemeFile gives DeepBlue's, the look a control falls
// back to while no theme is loaded.
const StyleColors& ColorsOf(TsuiUIStyle style);

class TsuiFileTheme;

// Base of every skinned control: holds its look and its theme, and repaints when either
// changes.
class Skinned {
 public:
  virtual ~Skinned() = default;
  TsuiUIStyle UIStyle() const { return style_; }
  void setUIStyle(TsuiUIStyle style) {
    style_ = style;
    StyleChanged();
  }
  TsuiFileTheme* FileTheme() const;
  void setFileTheme(TsuiFileTheme* theme);

  // The look the control draws in now, and its colours.
  TsuiUIStyle resolvedStyle() const;
  const StyleColors& colors() const;
  // The theme's bitmap under key 0..33 while the control draws from the theme; else null.
  QImage themeBitmap(int key) const;

 protected:
  virtual void StyleChanged() = 0;

 private:
  TsuiUIStyle style_ = TsuiUIStyle::DeepBlue;
  QPointer<TsuiFileTheme> theme_;
};

}  // namespace skin
