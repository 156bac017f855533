// A pick-only drop-down list: the user chooses one of its entries and cannot type.
#pragma once

#include <QComboBox>

#include "skin/skin_style.h"

namespace skin {

// Only the user's own pick emits activated(); selecting an entry from code does not, which is
// what the windows rely on to tell the two apart.
class SkinComboBox : public QComboBox, public Skinned {
  Q_OBJECT
 public:
  explicit SkinComboBox(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void StyleChanged() override;
};

}  // namespace skin
