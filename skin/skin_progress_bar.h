// A skinned progress bar that shows its own percentage as a caption.
#pragma once

#include <QString>
#include <QWidget>

#include "skin/skin_style.h"

namespace skin {

class SkinProgressBar : public QWidget, public Skinned {
  Q_OBJECT
 public:
  explicit SkinProgressBar(QWidget* parent = nullptr);

  int minimum() const { return min_; }
  int maximum() const { return max_; }
  int position() const { return position_; }
  // The position is kept as set, even outside the range; only the drawing is clamped.
  void setMinimum(int value);
  void setMaximum(int value);
  void setPosition(int value);

  // (position - minimum) * 100 / (maximum - minimum), rounded, then "%"; "0%" when the range
  // is empty.
  QString caption() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void StyleChanged() override { update(); }

 private:
  int min_ = 0, max_ = 100, position_ = 0;
};

}  // namespace skin
