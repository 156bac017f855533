// A whole-number field with small up and down buttons.
#pragma once

#include <QLineEdit>

#include "skin/skin_style.h"

class QAbstractButton;

namespace skin {

// The user may type at most kMaxLength characters, each a digit or the minus sign; control
// keys (Backspace, Delete, the cursor keys, shortcuts) work as in any edit. Every other
// character, Enter included, is refused with a beep. Up and Down (the keys and the buttons)
// add or subtract 1 with no limit. Setting the text from code is never restricted.
class SkinSpinEdit : public QLineEdit, public Skinned {
  Q_OBJECT
 public:
  static constexpr int kMaxLength = 3;

  explicit SkinSpinEdit(QWidget* parent = nullptr);

  // The text read as a whole number: an optional minus sign and digits, nothing else. Any
  // other text, the empty one included, counts as 0.
  int value() const;
  // Sets the text to value() + delta.
  void stepBy(int delta);

  QAbstractButton* upButton() const { return up_; }
  QAbstractButton* downButton() const { return down_; }

 signals:
  // A key was refused (and the beep sounded).
  void keyRefused();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void StyleChanged() override;

 private:
  void Refuse();

  QAbstractButton* up_;
  QAbstractButton* down_;
};

// The whole number a spin edit's text stands for, by the rule of SkinSpinEdit::value().
int SpinEditNumber(const QString& text);

}  // namespace skin
