// A captioned group: a rounded outline with its caption set into the top edge.
#pragma once

#include <QGroupBox>

#include "skin/skin_style.h"

namespace skin {

// Reports every mouse press on its free area (not on the controls inside it), so a window can
// be dragged from it.
class SkinGroupBox : public QGroupBox, public Skinned {
  Q_OBJECT
 public:
  explicit SkinGroupBox(const QString& title, QWidget* parent = nullptr);

 signals:
  void mouseDown(Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void StyleChanged() override { update(); }
};

}  // namespace skin
