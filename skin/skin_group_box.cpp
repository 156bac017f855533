#include "skin/skin_group_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace skin {

SkinGroupBox::SkinGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

void SkinGroupBox::paintEvent(QPaintEvent*) {
  const StyleColors& c = colors();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setFont(font());
  const QFontMetrics metrics = p.fontMetrics();
  const double top = metrics.height() / 2.0;
  const QRectF outline = QRectF(rect()).adjusted(0.5, top, -0.5, -0.5);
  p.setPen(QPen(c.border, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(outline, 4, 4);
  if (title().isEmpty()) return;
  // The caption interrupts the top edge.
  const QRect caption(8, 0, metrics.horizontalAdvance(title()) + 6, metrics.height());
  p.fillRect(caption, c.form);
  p.setPen(isEnabled() ? c.font : c.disabledFont);
  p.drawText(caption, Qt::AlignCenter, title());
}

void SkinGroupBox::mousePressEvent(QMouseEvent* event) {
  emit mouseDown(event->button());
  event->accept();
}

}  // namespace skin
